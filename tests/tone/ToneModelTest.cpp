// The tone record, ToneRef, bank memory figures, the tree model and the info panel.
#include <gtest/gtest.h>

#include "tests/tone/ToneTestSupport.h"
#include "tone/ToneEditor.h"
#include "tone/ToneFields.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

using data::TemplateKind;
using test::EmptyImage;
using test::Put;

TEST(ToneRecord, AccessorsReadTheirBytesAndKeepTheOthers) {
    RecordBytes b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 3 + 1);
    ToneRecord r(b);
    EXPECT_EQ(std::tuple(r.sourceTone(), r.segmentCount(), r.tvaEnvelope()[0], r.tvfEnvelope()[17]),
              std::tuple(9 * 3 + 1, 15 * 3 + 1, 51 * 3 + 1, static_cast<std::uint8_t>(124 * 3 + 1)));
    EXPECT_EQ(std::tuple(r.startPoint(), r.loopPoint()),
              std::tuple((49u << 16) | (52u << 8) | 55u, (67u << 16) | (70u << 8) | 73u));
    EXPECT_EQ(r.pitchShift(), static_cast<std::int8_t>(36 * 3 + 1));

    r.setEndPoint(0x123456);
    r.setName("AB");
    RecordBytes expect = b;
    expect[19] = 0x12, expect[20] = 0x34, expect[21] = 0x56;
    std::copy_n("AB\0\0\0\0\0\0", 8, expect.begin());
    EXPECT_EQ(r.bytes(), expect);
    EXPECT_EQ(r.displayName(), "AB      ");
}

TEST(ToneRef, BitsAsTheTreeCarriesThem) {
    const ToneRef r = ToneRef::Make(5, Area::Ram, 5);
    EXPECT_EQ(r.value, 0x05010280u);
    EXPECT_EQ(std::tuple(r.number(), r.area(), r.position()), std::tuple(5, Area::Ram, 5));
    EXPECT_EQ(r.withPosition(7).value, 0x05010380u);
    EXPECT_FALSE(kNoTone.isTone());
}

TEST(BankMemory, OriginalsCountPerBankPositionsPerAreaFromTheToneList) {
    auto doc = EmptyImage(TemplateKind::S550);
    EXPECT_EQ(MemoryText(ComputeBankMemory(ToneAreas::Read(doc), 0)), "32 positions & 442368 bytes free");
    Put(doc, {"ORIG", 0, 0, 0, 5});
    Put(doc, {"SUB1", 1, 0, 0, 5, true, 0});
    Put(doc, {"SUB2", 2, 0, 0, 5, true, 0});
    auto areas = ToneAreas::Read(doc);
    const auto a = ComputeBankMemory(areas, 0);
    EXPECT_EQ(MemoryText(a), "29 positions & 319488 bytes free");
    EXPECT_EQ(std::tuple(a.nextFreeSegment, a.firstFreePosition), std::tuple(5, 3));
    const auto b = ComputeBankMemory(areas, 1);
    EXPECT_EQ(std::tuple(b.freeSegments, b.freePositions), std::tuple(18, 29));

    // A record whose list entry says free: the figures follow the list.
    ToneOperation op;
    op.blocks.push_back({static_cast<std::uint32_t>(135 * 512 + 32 * 128), std::vector<std::uint8_t>(16, 0)});
    ASSERT_TRUE(doc.record(op));
    EXPECT_EQ(ComputeBankMemory(ToneAreas::Read(doc), 0).freeSegments, 18);
}

TEST(BankMemory, GapBelowTheHighestOriginalIsCountedButNotAbove) {
    auto doc = EmptyImage(TemplateKind::S550);
    Put(doc, {"HIGH", 4, 1, 10, 4});
    Put(doc, {"WRONG", 6, 3, 0, 2}); // bank 3 in the tone area: not shown, not counted, not free
    const auto areas = ToneAreas::Read(doc);
    const auto b = ComputeBankMemory(areas, 1);
    EXPECT_EQ(std::tuple(b.freeSegments, b.nextFreeSegment, b.freePositions), std::tuple(14, 14, 30));
    EXPECT_EQ(ComputeBankMemory(areas, 0).freeSegments, 18);
}

TEST(ToneTree, PlacesOriginalsSubtonesAndRomTones) {
    auto doc = EmptyImage(TemplateKind::W30);
    Put(doc, {"PIANO", 0, 0, 0, 2});
    Put(doc, {"BASS", 1, 1, 0, 1});
    Put(doc, {"PIANO-S", 2, 0, 0, 2, true, 0});
    Put(doc, {"ORPHAN", 3, 0, 0, 2, true, 9}); // its original does not exist
    Put(doc, {"FREE", 4, 0, 0, 0});           // segmentCount 0: never shown
    Put(doc, {"ROMT", 5, 3, 0, 22, false, 0}, Area::Rom);
    Put(doc, {"ROMX", 6, 0, 0, 22, false, 0}, Area::Rom); // bank 0 does not fit the ROM area
    ToneTree t;
    t.build(ToneAreas::Read(doc));

    std::vector<std::string> labels;
    for (ItemId id : t.walk()) labels.push_back(t.item(id)->label);
    EXPECT_EQ(labels, (std::vector<std::string>{"ROM", "A", "B", "ROMT    ", "RAM", "A", "PIANO   ", "PIANO-S ", "B",
                                                "BASS    "}));

    const ItemId sub = t.findValue(ToneRef::Make(0, Area::Ram, 2));
    ASSERT_NE(sub, kNoItem);
    EXPECT_EQ(t.item(t.item(sub)->parent)->value, ToneRef::Make(0, Area::Ram, 0));
    EXPECT_EQ(t.item(sub)->icon, IconKind::Subtone);
    EXPECT_EQ(t.item(t.findValue(ToneRef::Make(0, Area::Rom, 5)))->icon, IconKind::Subtone);
    EXPECT_EQ(t.findValue(ToneRef::Make(9, Area::Ram, 3)), kNoItem);
    // The last item added is selected.
    EXPECT_EQ(t.selected(), t.findValue(ToneRef::Make(1, Area::Ram, 1)));
    EXPECT_EQ(t.item(t.roots()[0])->icon, IconKind::RomGroup);

    auto s55 = EmptyImage(TemplateKind::S550); // no ROM groups
    t.build(ToneAreas::Read(s55));
    ASSERT_EQ(t.roots().size(), 1u);
    EXPECT_EQ(t.item(t.roots()[0])->label, "RAM");
}

TEST(TonePanel, LinesOfAnOriginalASubtoneAndARomTone) {
    auto doc = EmptyImage(TemplateKind::S550);
    test::Placed p{"PIANO", 5, 0, 0, 3, false, 5, 10, 20, 30};
    Put(doc, p);
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(5, Area::Ram, 5)));
    EXPECT_EQ(ed.selection().panel,
              (PanelTexts{"Tone Number: 5", "Original **", "Lenght: 1.2 s", "Key: C-4", "Out: 0", "Frequency: 30000Hz",
                          "Start: 10", "Loop: 20", "End: 30", "Loopmode: Fordward", "Volume: 100", "Position: 5"}));

    auto r = test::MakeRecord(p);
    r.setRateShift(1);
    r.setIsSubtone(1);
    r.setSourceTone(2);
    const auto sub = PanelFor(ToneRef::Make(2, Area::Ram, 5), r);
    EXPECT_EQ(std::tuple(sub[kLineSubtone], sub[kLineFrequency]), std::tuple("Subtone of 2", "Frequency: 15000Hz"));
    // A ROM tone shows fixed figures whatever its record says.
    const auto rom = PanelFor(ToneRef::Make(0, Area::Rom, 1), r);
    EXPECT_EQ(std::tuple(rom[kLineSubtone], rom[kLineLength], rom[kLineFrequency]),
              std::tuple("Subtone of 0", "Lenght: 7.2 s", "Frequency: 30000Hz"));
}

TEST(ToneSelection, GroupsSelectBanksAndClearThePanel) {
    auto doc = EmptyImage(TemplateKind::W30);
    Put(doc, {"PIANO", 0, 1, 0, 4});
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(0, Area::Ram, 0)));
    EXPECT_EQ(std::tuple(ed.selection().bank, ed.selection().memory.freeSegments), std::tuple(1, 14));

    ASSERT_TRUE(ed.selectGroup(Group::RomB));
    EXPECT_EQ(std::tuple(ed.selection().bank, ed.selection().panel[kLineNumber]), std::tuple(3, " "));
    EXPECT_EQ(MemoryText(ed.selection().memory), "64 positions & 0 bytes free");

    ASSERT_TRUE(ed.selectGroup(Group::RamA));
    EXPECT_EQ(ed.selection().bank, 0);
    const auto before = ed.selection().memory;
    ASSERT_TRUE(ed.selectGroup(Group::Ram)); // a root: bank unknown, figures unchanged
    EXPECT_EQ(ed.selection().bank, -1);
    EXPECT_EQ(ed.selection().memory.freeSegments, before.freeSegments);
    EXPECT_FALSE(ed.selection().ref.isTone());
}

TEST(ToneTree, ExpansionMaskCarriesGroupsTheTreeLacks) {
    // ROM (bit 0) and RAM B (bit 5) noted; an S-550 tree has no ROM groups.
    auto s55 = EmptyImage(TemplateKind::S550);
    Put(s55, {"PIANO", 0, 0, 0, 2});
    ToneTree t;
    t.build(ToneAreas::Read(s55));
    t.presetExpansion(0b100001);
    EXPECT_TRUE(t.item(t.findGroup(Group::RamB))->expanded);
    EXPECT_FALSE(t.item(t.findGroup(Group::Ram))->expanded);
    t.setExpanded(t.findGroup(Group::Ram), true);
    t.setExpanded(t.findValue(ToneRef::Make(0, Area::Ram, 0)), true); // not a group: not kept
    t.build(ToneAreas::Read(s55)); // a rebuild keeps what the user did
    EXPECT_TRUE(t.item(t.findGroup(Group::Ram))->expanded);
    EXPECT_FALSE(t.item(t.findValue(ToneRef::Make(0, Area::Ram, 0)))->expanded);
    EXPECT_EQ(t.expansionMask(), 0b100011u) << "ROM stays noted though this disk has none";

    // A fresh tree built with a preset comes up expanded as noted.
    auto w30 = EmptyImage(TemplateKind::W30);
    ToneTree u;
    u.presetExpansion(0b100011);
    u.build(ToneAreas::Read(w30));
    EXPECT_TRUE(u.item(u.findGroup(Group::Rom))->expanded);
    EXPECT_FALSE(u.item(u.findGroup(Group::RomA))->expanded);
    EXPECT_EQ(u.expansionMask(), 0b100011u);
}

TEST(ToneFields, RangesAndPointsAgainstTheWave) {
    ToneRecord r = test::MakeRecord({"T", 0, 0, 0, 2, false, 0, 0, 100, 200});
    const ToneField* vol = FindToneField("volume");
    ASSERT_NE(vol, nullptr);
    EXPECT_TRUE(SetField(r, *vol, 127));
    EXPECT_FALSE(SetField(r, *vol, 128));
    const ToneField* shift = FindToneField("pitchShift");
    EXPECT_TRUE(SetField(r, *shift, -24));
    EXPECT_FALSE(SetField(r, *shift, -25));
    EXPECT_EQ(std::tuple(r.volume(), r.pitchShift(), GetField(r, *shift)), std::tuple(127, -24, -24));
    EXPECT_EQ(r.bytes()[73], 0xA5);
    const ToneField* rate = FindToneField("rateShift");
    ASSERT_NE(rate, nullptr);
    EXPECT_TRUE(SetField(r, *rate, 1));
    EXPECT_FALSE(SetField(r, *rate, 2));
    EXPECT_EQ(r.rateShift(), 1);
}

TEST(ToneFields, PointsKeepStartLoopEndInOrderAndLoopLengthFollows) {
    // Start 1000, loop 2000, end 3000 on a wave of 24,576 samples; the sets run in order.
    struct Row {
        std::vector<std::pair<const char*, std::int64_t>> sets;
        std::uint32_t start, loop, end;
    } rows[] = {
        {{{"loopPoint", 30000}}, 1000, 2000, 3000}, // beyond the wave: refused, unchanged
        {{{"loopPoint", 20000}, {"endPoint", 100}}, 100, 100, 100},
        {{{"loopPoint", 500}}, 1000, 1000, 3000},
        {{{"loopPoint", 9000}}, 1000, 3000, 3000},
        {{{"startPoint", 2500}}, 2500, 2500, 3000},
        {{{"startPoint", 5000}}, 3000, 3000, 3000},
        {{{"endPoint", 1500}}, 1000, 1500, 1500},
        {{{"endPoint", 24576}, {"loopPoint", 20000}}, 1000, 20000, 24576}, // the wave's end (2 x 12,288)
        {{{"endPoint", 24576}, {"loopPoint", 24577}}, 1000, 2000, 24576},
    };
    for (const Row& row : rows) {
        ToneRecord r = test::MakeRecord({"T", 0, 0, 0, 2, false, 0, 1000, 2000, 3000});
        std::string trace;
        for (const auto& [name, value] : row.sets) {
            trace += std::string(name) + "=" + std::to_string(value) + " ";
            (void)SetField(r, *FindToneField(name), value);
        }
        SCOPED_TRACE(trace);
        EXPECT_EQ(std::tuple(r.startPoint(), r.loopPoint(), r.endPoint()), std::tuple(row.start, row.loop, row.end));
        if (row.sets.size() > 1 || row.sets[0].second <= 24576) {
            EXPECT_EQ(r.loopLength(), row.end - row.loop);
        }
    }
}

} // namespace
} // namespace veldin::tone
