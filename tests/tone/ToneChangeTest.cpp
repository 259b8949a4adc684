// Tone files and every tone change: extraction and Save Tone, the import rules and
// their messages, delete, rename, parameter changes, the refresh events, and undo and
// redo restoring the image byte for byte.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/tone/ToneTestSupport.h"
#include "tone/ToneEditor.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

using data::TemplateKind;
using test::EmptyImage;
using test::Put;
using test::Refused;
using Kind = RefreshEvent::Kind;

constexpr std::uint32_t kRamArea = 135 * 512;
constexpr std::uint32_t kRamList = kRamArea + 32 * 128;

// Position 0: an original of 3 segments at segment 0 of bank A with subtones at 4 and 6.
MemoryDocument ImageWithThreeSegmentTone(TemplateKind kind = TemplateKind::S550) {
    auto doc = EmptyImage(kind);
    Put(doc, {"PIANO", 0, 0, 0, 3, false, 0, 0, 100, 30000});
    Put(doc, {"PIANO-1", 4, 0, 0, 3, true, 0, 1000, 3000, 5000});
    Put(doc, {"PIANO-2", 6, 0, 0, 3, true, 0, 2000, 2500, 9000});
    test::FillWave(doc, 0, 0, 3, 1);
    return doc;
}

ToneRecord RecordAt(const MemoryDocument& doc, std::uint32_t areaOffset, int position) {
    return ToneRecord::FromBytes(std::span(doc.image()).subspan(areaOffset + static_cast<std::uint32_t>(position) * 128, 128));
}

// Source tone, subtone flag, wave bank, segment top and count.
std::tuple<int, int, int, int, int> Placing(const ToneRecord& r) {
    return {r.sourceTone(), r.isSubtone(), r.waveBank(), r.segmentTop(), r.segmentCount()};
}

TEST(ToneFileExtract, OriginalWithSubtonesAndItsSubtoneForm) {
    auto doc = ImageWithThreeSegmentTone();
    const auto areas = ToneAreas::Read(doc);
    auto x = ExtractToneFile(doc, areas, ToneRef::Make(0, Area::Ram, 0));
    ASSERT_TRUE(x);
    const auto bytes = SaveToneBytes(x->file, SaveKind::Tone);
    ASSERT_EQ(bytes.size(), 55686u);
    EXPECT_EQ(std::tuple(bytes[4], bytes[5]), std::tuple(3, 3)); // segments, records
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 11), "PIANO");
    EXPECT_EQ(std::string(bytes.begin() + 134, bytes.begin() + 141), "PIANO-1");
    EXPECT_TRUE(std::equal(bytes.end() - 3 * 18432, bytes.end(), doc.image().begin() + 0x12000));
    EXPECT_EQ(std::tuple(x->positions, x->waveOffset),
              std::tuple(std::vector<std::uint32_t>{0, 4 * 128, 6 * 128}, 0x12000u));
    EXPECT_EQ(SaveFilters(x->file), (std::vector<SaveKind>{SaveKind::Tone, SaveKind::Subtone}));

    const auto ston = SaveToneBytes(x->file, SaveKind::Subtone);
    ASSERT_EQ(ston.size(), 134u);
    EXPECT_EQ(std::tuple(ston[4], ston[5], ston[6 + 15]), std::tuple(0, 1, 3)); // the record keeps its segment count
}

TEST(ToneFileExtract, SubtonesAndRomTonesBecomeSubtoneFiles) {
    auto doc = ImageWithThreeSegmentTone(TemplateKind::W30);
    Put(doc, {"ROMT", 2, 2, 0, 22, false, 0}, Area::Rom);
    const auto areas = ToneAreas::Read(doc);
    for (ToneRef ref : {ToneRef::Make(0, Area::Ram, 4), ToneRef::Make(0, Area::Rom, 2)}) {
        auto x = ExtractToneFile(doc, areas, ref);
        ASSERT_TRUE(x);
        EXPECT_EQ(SaveFilters(x->file), std::vector<SaveKind>{SaveKind::Subtone});
        EXPECT_EQ(SaveToneBytes(x->file, SaveKind::Tone).size(), 134u);
        EXPECT_FALSE(x->waveOffset);
    }
}

TEST(ToneFileParse, RefusesWhatIsNotWholeAndNamesAreSafe) {
    auto doc = ImageWithThreeSegmentTone();
    auto x = ExtractToneFile(doc, ToneAreas::Read(doc), ToneRef::Make(0, Area::Ram, 0));
    ASSERT_TRUE(x);
    auto bytes = x->file.bytes();
    auto ok = ParseToneFile(bytes);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->bytes(), bytes);
    bytes.pop_back();
    using B = std::vector<std::uint8_t>;
    for (const auto& [file, refusal] : {std::pair{bytes, text::kToneFileShort},
                                        {B{'R', 'T', 'O', 'N', 0}, text::kToneFileShort},
                                        {B{'R', 'T', 'O', 'N', 0, 0}, text::kToneFileNoTones},
                                        {B{'R', 'T', 'O', 'X', 0, 1}, text::kNotRton}})
        EXPECT_EQ(Refused(ParseToneFile(file)).text, refusal) << file.size();

    for (const auto& [name, file] : {std::pair{"", "NoName"}, {"A/B", "A_B"}, {":\\,?*<\"|", "________"}}) {
        ToneRecord r;
        if (*name) r.setName(name);
        EXPECT_EQ(ProposedFileName(r), file) << name;
    }
}

struct ImportCase : ::testing::Test {
    MemoryDocument doc = ImageWithThreeSegmentTone();
    ToneFile TonFile(int segments, int tones) {
        ToneFile f;
        f.segments = static_cast<std::uint8_t>(segments);
        for (int i = 0; i < tones; ++i)
            f.records.push_back(test::MakeRecord({i == 0 ? "NEW" : "NEWSUB", 9 + i, 1, 7, segments, i > 0, 9}));
        f.wave.assign(static_cast<std::size_t>(segments) * 18432, 0x5A);
        return f;
    }
};

TEST_F(ImportCase, WholeToneGoesToFreePositionsAboveTheHighestOriginal) {
    Put(doc, {"SECOND", 1, 0, 3, 2}); // positions 0, 1 used; bank A segments 0-4 used
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectGroup(Group::RamA));
    const auto before = doc.image();
    ASSERT_TRUE(ed.importToneFile(TonFile(3, 3).bytes(), ed.target()));

    const ToneRecord orig = RecordAt(doc, kRamArea, 2);
    EXPECT_EQ(orig.rawName().substr(0, 3), "NEW");
    EXPECT_EQ(Placing(orig), std::tuple(2, 0, 0, 5, 3));
    for (int pos : {3, 5}) {
        const ToneRecord s = RecordAt(doc, kRamArea, pos);
        EXPECT_EQ(Placing(s), std::tuple(2, 1, 0, 5, 3));
        EXPECT_TRUE(std::equal(s.bytes().begin(), s.bytes().begin() + 16, doc.image().begin() + kRamList + pos * 16));
    }
    EXPECT_EQ(doc.image()[0x12000 + 8 * 18432 - 1], 0x5A);
    EXPECT_EQ(doc.image()[0x12000 + 8 * 18432], 0);

    // The tree shows the new original with its two subtones, selected.
    const ItemId id = ed.tree().findValue(ToneRef::Make(2, Area::Ram, 2));
    ASSERT_NE(id, kNoItem);
    EXPECT_EQ(ed.tree().item(id)->children.size(), 2u);
    EXPECT_EQ(ed.tree().item(ed.tree().item(id)->parent)->group, Group::RamA);
    EXPECT_EQ(ed.lastEvents(), (std::vector<RefreshEvent>{{Kind::AddTone, ToneRef::Make(2, Area::Ram, 2), kNoTone}}));

    // Undo restores every byte; redo writes them again.
    const auto after = doc.image();
    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(ed.tree().findValue(ToneRef::Make(2, Area::Ram, 2)), kNoItem);
    ed.afterStep(doc.redo(), StepDirection::Redo);
    EXPECT_EQ(doc.image(), after);
    EXPECT_NE(ed.tree().findValue(ToneRef::Make(2, Area::Ram, 2)), kNoItem);
}

TEST_F(ImportCase, FilesWhoseRecordsContradictTheHeaderAreRefusedAndChangeNothing) {
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectGroup(Group::RamA));
    const auto before = doc.image();
    struct Row {
        const char* what;
        int record;
        int segmentCount; // -1: as made
        int isSubtone;    // -1: as made
    } rows[] = {
        {"subtone claims more than the header", 1, 5, -1},
        {"original claims more than the header", 0, 4, -1},
        {"first record is a subtone", 0, -1, 1},
        {"original of 0 segments", 0, 0, -1},
        {"subtone of 0 segments", 2, 0, -1},
        {"second original", 1, -1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ToneFile f = TonFile(3, 3);
        ToneRecord& r = f.records[static_cast<std::size_t>(row.record)];
        if (row.segmentCount >= 0) r.setSegmentCount(static_cast<std::uint8_t>(row.segmentCount));
        if (row.isSubtone >= 0) r.setIsSubtone(static_cast<std::uint8_t>(row.isSubtone));
        EXPECT_FALSE(RecordsMatchHeader(f));
        EXPECT_EQ(Refused(ed.importToneFile(f.bytes(), ed.target())).text, text::kNotRton);
        EXPECT_EQ(doc.image(), before);
    }
    // A subtone playing fewer segments than the file holds is consistent.
    ToneFile shorter = TonFile(3, 2);
    shorter.records[1].setSegmentCount(2);
    EXPECT_TRUE(RecordsMatchHeader(shorter));
    EXPECT_TRUE(ed.importToneFile(shorter.bytes(), ed.target()));
}

TEST_F(ImportCase, WholeToneRefusals) {
    // Fill every position but 3 and 5 (4 and 6 hold subtones).
    for (int p = 1; p < 32; ++p)
        if (p != 3 && p != 4 && p != 5 && p != 6) Put(doc, {"SUB", p, 0, 0, 3, true, 0});
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectGroup(Group::RamA));
    const auto before = doc.image();
    EXPECT_EQ(Refused(ed.importToneFile(TonFile(3, 3).bytes(), ed.target())),
              Fail(text::kNoFreePositions, Icon::Error));
    EXPECT_EQ(doc.image(), before);
    // A subtone needs one position: refused once 3 and 5 are taken too.
    Put(doc, {"SUB", 3, 0, 0, 3, true, 0});
    Put(doc, {"SUB", 5, 0, 0, 3, true, 0});
    ToneEditor full(doc);
    ASSERT_TRUE(full.selectTone(ToneRef::Make(0, Area::Ram, 0)));
    const auto fullImage = doc.image();
    EXPECT_EQ(Refused(full.importToneFile(TonFile(0, 1).bytes(), full.target())).text, text::kNoFreePositions);
    EXPECT_EQ(doc.image(), fullImage);

    // Bank B, original of 4 segments at segment 10: 14 free but only 4 above it.
    auto doc2 = EmptyImage(TemplateKind::S550);
    Put(doc2, {"HIGH", 0, 1, 10, 4});
    ToneEditor ed2(doc2);
    ASSERT_TRUE(ed2.selectGroup(Group::RamB));
    EXPECT_EQ(ed2.importToneFile(TonFile(5, 1).bytes(), ed2.target()).failure().text, text::kNoFreeMemory);
    EXPECT_EQ(ed2.importToneFile(TonFile(15, 1).bytes(), ed2.target()).failure().text, text::kNoFreeMemory);
    EXPECT_TRUE(ed2.importToneFile(TonFile(4, 1).bytes(), ed2.target()));
    EXPECT_EQ(RecordAt(doc2, kRamArea, 1).segmentTop(), 14);
}

TEST_F(ImportCase, TargetRulesAndMessages) {
    ToneEditor ed(doc);
    const auto before = doc.image();
    const auto ston = TonFile(0, 1).bytes();
    auto fails = [&](const std::vector<std::uint8_t>& file, std::string_view text, Icon icon) {
        EXPECT_EQ(Refused(ed.importToneFile(file, ed.target())), Fail(text, icon));
        EXPECT_EQ(doc.image(), before);
    };
    ASSERT_TRUE(ed.selectGroup(Group::Ram));
    fails(ston, text::kImportHere, Icon::Error);
    ASSERT_TRUE(ed.selectGroup(Group::RamB));
    auto notRton = ston;
    notRton[3] = 'X';
    fails(notRton, text::kNotRton, Icon::Error);
    fails(ston, text::kSubtoneIntoRam, Icon::Warning);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(0, Area::Ram, 4)));
    fails(ston, text::kSubtoneIntoSubtone, Icon::Warning);
    // A .ton onto a selected tone is a subtone import too.
    fails(TonFile(3, 1).bytes(), text::kSubtoneIntoSubtone, Icon::Warning);
    auto shortFile = TonFile(1, 1).bytes();
    shortFile.resize(shortFile.size() - 1);
    ASSERT_TRUE(ed.selectGroup(Group::RamA));
    fails(shortFile, text::kToneFileShort, Icon::Error);
}

TEST_F(ImportCase, SubtoneImportPlaysTheSelectedOriginalsSegments) {
    Put(doc, {"OTHER", 1, 1, 4, 2, false, 1});
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(1, Area::Ram, 1)));
    auto rec = test::MakeRecord({"NEWSUB", 0, 0, 9, 9, false, 77});
    rec.setRateShift(1);
    ToneFile f;
    f.segments = 2;
    f.records = {rec, rec};
    f.wave.assign(2 * 18432, 0x33);
    const auto before = doc.image();
    ASSERT_TRUE(ed.importToneFile(f.bytes(), ed.target()));
    const ToneRecord s = RecordAt(doc, kRamArea, 2);
    EXPECT_EQ(Placing(s), std::tuple(1, 1, 1, 4, 2));
    EXPECT_EQ(s.rateShift(), 0);
    EXPECT_FALSE(RecordAt(doc, kRamArea, 3).isUsed()); // only the first record
    // No wave written.
    EXPECT_TRUE(std::equal(doc.image().begin() + 0x12000, doc.image().end(), before.begin() + 0x12000));
    const ItemId id = ed.tree().findValue(ToneRef::Make(1, Area::Ram, 2));
    ASSERT_NE(id, kNoItem);
    EXPECT_EQ(ed.tree().item(ed.tree().item(id)->parent)->value, ToneRef::Make(1, Area::Ram, 1));
}

TEST(ToneImportRom, SubtoneIntoARomBank) {
    auto doc = EmptyImage(TemplateKind::W30);
    Put(doc, {"ROM0", 0, 2, 0, 22, false, 0}, Area::Rom);
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectGroup(Group::RomB));
    ToneFile f;
    f.records.push_back(test::MakeRecord({"INROM", 3, 0, 4, 2}));
    ASSERT_TRUE(ed.importToneFile(f.bytes(), ed.target()));
    EXPECT_EQ(Placing(ToneAreas::Read(doc).rom()->record(1)), std::tuple(0, 1, 3, 0, 22));
    const ItemId id = ed.tree().findValue(ToneRef::Make(0, Area::Rom, 1));
    ASSERT_NE(id, kNoItem);
    EXPECT_EQ(ed.tree().item(ed.tree().item(id)->parent)->group, Group::RomB);
}

TEST(ToneDelete, OriginalTakesItsSubtonesAndWaveAndUndoBringsThemBack) {
    auto doc = ImageWithThreeSegmentTone();
    Put(doc, {"KEEP", 1, 0, 3, 1});
    test::FillWave(doc, 0, 3, 1, 2);
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(0, Area::Ram, 0)));
    veldin::test::ScriptedUi ui;
    ui.answer(Answer::No);
    const auto before = doc.image();
    ASSERT_TRUE(ed.deleteSelected(ui));
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(ui.shown().at(0).text, text::kReallyDelete);

    ui.answer(Answer::Yes);
    ASSERT_TRUE(ed.deleteSelected(ui));
    for (int pos : {0, 4, 6}) {
        EXPECT_EQ(RecordAt(doc, kRamArea, pos).bytes(), RecordBytes{});
        EXPECT_TRUE(std::all_of(doc.image().begin() + kRamList + pos * 16, doc.image().begin() + kRamList + pos * 16 + 16,
                                [](auto b) { return b == 0; }));
    }
    EXPECT_TRUE(std::all_of(doc.image().begin() + 0x12000, doc.image().begin() + 0x12000 + 3 * 18432,
                            [](auto b) { return b == 0; }));
    EXPECT_NE(doc.image()[0x12000 + 3 * 18432 + 5], 0); // the next tone's wave is untouched
    EXPECT_EQ(RecordAt(doc, kRamArea, 1).rawName().substr(0, 4), "KEEP");
    EXPECT_EQ(ed.tree().findValue(ToneRef::Make(0, Area::Ram, 0)), kNoItem);

    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    const ItemId back = ed.tree().findValue(ToneRef::Make(0, Area::Ram, 0));
    ASSERT_NE(back, kNoItem);
    EXPECT_EQ(ed.tree().item(back)->children.size(), 2u);
}

TEST(ToneDelete, SubtoneAloneAndUndoPutsItUnderItsOriginal) {
    auto doc = ImageWithThreeSegmentTone();
    ToneEditor ed(doc);
    ASSERT_TRUE(ed.selectTone(ToneRef::Make(0, Area::Ram, 6)));
    const auto before = doc.image();
    ASSERT_TRUE(ed.deleteSelectedConfirmed());
    EXPECT_EQ(std::tuple(RecordAt(doc, kRamArea, 6).isUsed(), RecordAt(doc, kRamArea, 4).isUsed()),
              std::tuple(false, true));
    EXPECT_TRUE(std::equal(doc.image().begin() + 0x12000, doc.image().end(), before.begin() + 0x12000));
    EXPECT_EQ(ed.lastEvents(), (std::vector<RefreshEvent>{
                                   {Kind::RemoveTone, ToneRef::Make(0, Area::Ram, 6), ToneRef::Make(0, Area::Ram, 0)}}));
    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    const ItemId id = ed.tree().findValue(ToneRef::Make(0, Area::Ram, 6));
    ASSERT_NE(id, kNoItem);
    EXPECT_EQ(ed.tree().item(ed.tree().item(id)->parent)->value, ToneRef::Make(0, Area::Ram, 0));
}

TEST(ToneDelete, ASubtoneWithoutOriginalIsDeletedByItsValue) {
    auto doc = EmptyImage(TemplateKind::S550);
    Put(doc, {"ORPHAN", 3, 0, 0, 3, true, 7});
    ToneEditor ed(doc);
    const ToneRef orphan = ToneRef::Make(7, Area::Ram, 3);
    ASSERT_EQ(ed.tree().findValue(orphan), kNoItem);
    ASSERT_TRUE(ed.deleteTone(orphan));
    EXPECT_FALSE(RecordAt(doc, kRamArea, 3).isUsed());
    // A free position is not a tone.
    EXPECT_FALSE(ed.deleteTone(orphan));
}

TEST(ToneRename, StoresZeroPaddedNameAndRelabels) {
    auto doc = ImageWithThreeSegmentTone();
    ToneEditor ed(doc);
    const ItemId id = ed.tree().findValue(ToneRef::Make(0, Area::Ram, 0));
    const auto before = doc.image();
    ASSERT_TRUE(ed.rename(id, "AB"));
    const ToneRecord r = RecordAt(doc, kRamArea, 0);
    EXPECT_EQ(r.rawName(), std::string("AB\0\0\0\0\0\0", 8));
    EXPECT_TRUE(std::equal(r.bytes().begin(), r.bytes().begin() + 16, doc.image().begin() + kRamList));
    EXPECT_EQ(ed.tree().item(id)->label, "AB      ");
    ASSERT_TRUE(ed.rename(id, "LONGERNAME"));
    EXPECT_EQ(RecordAt(doc, kRamArea, 0).rawName(), "LONGERNA");
    ed.afterStep(doc.undo(), StepDirection::Undo);
    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(ed.tree().item(id)->label, "PIANO   ");
}

TEST(ToneChangeDetails, RefusesFreeRecordsAndKeepsUntouchedBytes) {
    auto doc = ImageWithThreeSegmentTone();
    ToneEditor ed(doc);
    const auto ref = ToneRef::Make(0, Area::Ram, 0);
    ASSERT_TRUE(ed.selectTone(ref));
    const auto before = doc.image();
    ToneRecord freeRec = *ed.areas().find(ref);
    freeRec.setSegmentCount(0);
    for (const auto& record : {std::optional<ToneRecord>(), std::optional(freeRec)})
        EXPECT_EQ(Refused(ed.changeToneDetails(kCmdChange, ref, kNoTone, record)).text, text::kCantChange);
    EXPECT_EQ(doc.image(), before);
    // Renaming a free position is refused as well.
    EXPECT_FALSE(ed.rename(ed.tree().findGroup(Group::RamA), "X"));

    ToneRecord r = *ed.areas().find(ref);
    r.setVolume(33);
    ASSERT_TRUE(ed.changeToneDetails(kCmdChange, ref, kNoTone, r));
    EXPECT_EQ(ed.selection().panel[kLineVolume], "Volume: 33");
    EXPECT_EQ(RecordAt(doc, kRamArea, 0).bytes()[73], 0xA5);
    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(ed.selection().panel[kLineVolume], "Volume: 100");
}

TEST(ToneFileTransfer, BetweenFamiliesKeepsRecordAndWave) {
    auto w30 = ImageWithThreeSegmentTone(TemplateKind::W30);
    ToneEditor from(w30);
    auto x = ExtractToneFile(w30, from.areas(), ToneRef::Make(0, Area::Ram, 0));
    ASSERT_TRUE(x);
    const auto file = x->file.bytes();
    for (auto kind : {TemplateKind::S50, TemplateKind::S330, TemplateKind::S550}) {
        auto doc = EmptyImage(kind);
        Put(doc, {"FIRST", 0, 1, 0, 2});
        ToneEditor to(doc);
        ASSERT_TRUE(to.selectGroup(Group::RamB));
        ASSERT_TRUE(to.importToneFile(file, to.target()));
        auto back = ExtractToneFile(doc, to.areas(), ToneRef::Make(1, Area::Ram, 1));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->file.wave, x->file.wave);
        ASSERT_EQ(back->file.records.size(), 3u);
        auto expect = x->file.records[2]; // placed at position 1, after the two segments of bank B's tone
        expect.setSourceTone(1);
        expect.setWaveBank(1);
        expect.setSegmentTop(2);
        EXPECT_EQ(back->file.records[2], expect);
    }
}

TEST(ToneDelete, WavePastItsBankIsNeitherReadNorZeroed) {
    auto doc = EmptyImage(TemplateKind::S550);
    Put(doc, {"BROKEN", 0, 0, 17, 3}); // segments 17-19: two of them are bank B's
    Put(doc, {"BROKEN-S", 1, 0, 17, 3, true, 0});
    test::FillWave(doc, 1, 0, 2, 9);
    ToneEditor ed(doc);
    const auto ref = ToneRef::Make(0, Area::Ram, 0);
    EXPECT_EQ(ExtractToneFile(doc, ed.areas(), ref).failure().text, text::kWaveOutsideBank);
    const auto bankB = std::vector<std::uint8_t>(doc.image().begin() + 0x63000, doc.image().end());
    ASSERT_TRUE(ed.selectTone(ref));
    ASSERT_TRUE(ed.deleteSelectedConfirmed());
    EXPECT_FALSE(RecordAt(doc, kRamArea, 0).isUsed() || RecordAt(doc, kRamArea, 1).isUsed());
    EXPECT_TRUE(std::equal(bankB.begin(), bankB.end(), doc.image().begin() + 0x63000));
}

} // namespace
} // namespace veldin::tone
