// Patch files: the bytes written, the refusals of damaged files, the tone fingerprint
// match, the translation in one pass and the missing-tone mapping.
#include <gtest/gtest.h>

#include <deque>

#include "core/Bytes.h"
#include "patch/PatchEditor.h"
#include "patch/PatchTexts.h"
#include "tests/patch/PatchTestSupport.h"
#include "tests/support/TestSupport.h"

namespace veldin::patch {
namespace {

using data::TemplateKind;
using tone::Area;
using tone::MemoryDocument;
using tone::test::EmptyImage;
using tone::test::Put;
using namespace veldin::patch::test;
using tone::test::Refused;

// Answers the map dialog from a script and keeps every dialog it was shown.
class ScriptedMapper final : public ToneMapper {
public:
    std::deque<MapChoice> answers;
    std::vector<MissingToneDialog> shown;
    MapChoice mapMissingTone(const MissingToneDialog& d) override {
        shown.push_back(d);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected map dialog for '" << d.missingName << "'";
            return {Answer::Cancel, 0};
        }
        const MapChoice c = answers.front();
        answers.pop_front();
        return c;
    }
};

// The file of the patch at `position` of `doc`.
std::vector<std::uint8_t> SavedFile(MemoryDocument& doc, int position) {
    PatchEditor ed(doc);
    EXPECT_TRUE(ed.selectPatch(position));
    auto f = ed.savePatch();
    EXPECT_TRUE(f.ok() && f->has_value());
    return PatchFileBytes(**f);
}

// Source: tones 0 "Piano" and 5 "Strings"; the patch plays both in both layers.
MemoryDocument Source() {
    auto doc = EmptyImage(TemplateKind::S550);
    Put(doc, {"Piano", 0, 0, 0, 2});
    Put(doc, {"Strings", 5, 0, 2, 3});
    PutPatch(doc, 0, MakePatch("Duo", {0, 0, 5, 255}, {5, 0}));
    return doc;
}

TEST(SavePatch, WritesHeadRecordAndOneEntryPerTone) {
    auto doc = Source();
    const auto bytes = SavedFile(doc, 0);
    ASSERT_EQ(bytes.size(), 304u); // 264 + 2 x 20
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RPAT");
    EXPECT_EQ(ReadLe32(std::span(bytes).subspan(4)), 2u);
    EXPECT_TRUE(std::equal(bytes.begin() + 8, bytes.begin() + 264, PatchAt(doc, 0).bytes().begin()));
    EXPECT_EQ(ReadLe32(std::span(bytes).subspan(264)), 0u);
    EXPECT_EQ(std::string(bytes.begin() + 268, bytes.begin() + 275), std::string("Piano\0\0", 7));
    EXPECT_EQ(ReadLe32(std::span(bytes).subspan(284)), 5u);
    EXPECT_EQ(std::string(bytes.begin() + 288, bytes.begin() + 295), "Strings");
    EXPECT_EQ(std::tuple(bytes[288 + 14], bytes[288 + 15]), std::tuple(2, 3)); // segment top and count

    // A tone beyond the areas has an empty fingerprint.
    PutPatch(doc, 1, MakePatch("Far", {100, 0}));
    const auto far = SavedFile(doc, 1);
    ASSERT_EQ(far.size(), 304u);
    EXPECT_EQ(ReadLe32(std::span(far).subspan(264)), 100u);
    EXPECT_TRUE(std::all_of(far.begin() + 268, far.begin() + 284, [](std::uint8_t b) { return b == 0; }));
}

TEST(SavePatch, NothingForTheRootRefusedForAToneItem) {
    auto doc = Source();
    PatchEditor ed(doc);
    ed.select(ed.tree().root());
    auto none = ed.savePatch();
    EXPECT_TRUE(none.ok() && !none->has_value());
    ed.select(ed.tree().item(ed.tree().findPatch(0))->children[1]);
    EXPECT_EQ(Refused(ed.savePatch()), Fail("Only Patches can be edited!", Icon::Warning));
}

TEST(ParsePatchFile, RefusesDamagedFiles) {
    auto doc = Source();
    const auto good = SavedFile(doc, 0);
    EXPECT_EQ(ParsePatchFile(good).value().entries.size(), 2u);

    using Bytes = std::vector<std::uint8_t>;
    auto notRpat = good, hugeN = good, fewer = good;
    notRpat[0] = 'X';
    WriteLe32(0xFFFFFFFFu, std::span(hugeN).subspan(4));
    EXPECT_EQ(Refused(ParsePatchFile(notRpat)), Fail("This is not RPAT (VELDIN Roland Patch) file!", Icon::Error));
    const std::pair<Bytes, std::string_view> refused[] = {
        {Bytes(good.begin(), good.begin() + 3), text::kNotRpat},
        {Bytes(good.begin(), good.begin() + 263), text::kPatchFileShort}, // no whole record
        {Bytes(good.begin(), good.begin() + 303), text::kPatchFileShort}, // last entry cut
        {hugeN, text::kPatchFileShort},
    };
    for (const auto& [file, refusal] : refused)
        EXPECT_EQ(Refused(ParsePatchFile(file)).text, refusal) << file.size();
    WriteLe32(1, std::span(fewer).subspan(4)); // bytes beyond N entries are ignored
    EXPECT_EQ(ParsePatchFile(fewer).value().entries.size(), 1u);
    // Loading a refused file changes nothing.
    auto dst = EmptyImage(TemplateKind::S550);
    PatchEditor ed(dst);
    const auto before = dst.image();
    ScriptedMapper mapper;
    EXPECT_EQ(Refused(ed.loadPatch(hugeN, mapper)).text, text::kPatchFileShort);
    EXPECT_EQ(dst.image(), before);
}

TEST(LoadPatch, SwapsZeroAndFiveOnceInBothKeyMaps) {
    auto src = Source();
    const auto file = SavedFile(src, 0);
    auto dst = EmptyImage(TemplateKind::S330);
    Put(dst, {"Strings", 0, 0, 2, 3});
    Put(dst, {"Piano", 5, 0, 0, 2});
    PatchEditor ed(dst);
    ScriptedMapper mapper;
    auto r = ed.loadPatch(file, mapper);
    ASSERT_TRUE(r.ok()) << r.failure().text;
    EXPECT_EQ(std::tuple(r->cancelled, r->position), std::tuple(false, 0));
    const PatchRecord loaded = PatchAt(dst, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(loaded.keyMap1().begin(), loaded.keyMap1().begin() + 4),
              (std::vector<std::uint8_t>{5, 5, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(loaded.keyMap2().begin(), loaded.keyMap2().begin() + 2),
              (std::vector<std::uint8_t>{0, 5}));
    // Everything but the key maps is the source record byte for byte.
    const PatchRecord original = PatchAt(src, 0);
    EXPECT_TRUE(std::equal(original.bytes().begin(), original.bytes().begin() + 17, loaded.bytes().begin()));
    EXPECT_TRUE(std::equal(original.bytes().begin() + 235, original.bytes().end(), loaded.bytes().begin() + 235));
    EXPECT_TRUE(mapper.shown.empty());
    // The tree names the same tones as on the source.
    ASSERT_NE(ed.tree().findPatch(0), kNoItem);
    EXPECT_EQ(std::tuple(ed.areas().toneName(loaded.keyMap1()[0]), ed.areas().toneName(loaded.keyMap2()[0])),
              std::tuple("Piano   ", "Strings "));
}

TEST(Fingerprint, ComparedBytesIgnoredBytesAndWildcards) {
    tone::ToneRecord target = tone::test::MakeRecord({"Tone", 4, 1, 3, 2});
    ToneEntry e{4, {}};
    std::copy_n(target.bytes().begin(), 16, e.fingerprint.begin());
    EXPECT_TRUE(Matches(e, target));
    struct Case {
        std::size_t at;
        std::uint8_t value;
        bool matches;
    };
    // Name (0-7), output (8), sourceTone (9, ignored), subtone flag (10), rate (11), orig key
    // (12), wave bank by its class only (13: A and B are both below 2), top (14), count (15).
    for (const Case c : {Case{0, 'X', false}, Case{7, 1, false}, Case{8, 1, false}, Case{9, 17, true}, Case{10, 1, false},
                         Case{11, 1, false},
                         Case{11, 0xFF, false}, Case{12, 61, false}, Case{13, 0, true}, Case{13, 2, false},
                         Case{14, 4, false}, Case{15, 3, false}}) {
        ToneEntry changed = e;
        changed.fingerprint[c.at] = c.value;
        EXPECT_EQ(Matches(changed, target), c.matches) << "byte " << c.at << " = " << int{c.value};
    }
    // Rate FFh on the target matches any rate; a free target matches nothing.
    ToneEntry otherRate = e;
    otherRate.fingerprint[11] = 1;
    target.setRateShift(0xFF);
    EXPECT_TRUE(Matches(otherRate, target));
    target.setSegmentCount(0);
    e.fingerprint[15] = 0;
    EXPECT_FALSE(Matches(e, target));
}

TEST(LoadPatch, SubtoneAndOriginalOfOneNameAreTold) {
    auto src = EmptyImage(TemplateKind::S550);
    Put(src, {"Voice", 0, 0, 0, 2});
    Put(src, {"Voice", 1, 0, 0, 2, true, 0});
    PutPatch(src, 0, MakePatch("Sub", {1}));
    const auto file = SavedFile(src, 0);
    auto dst = EmptyImage(TemplateKind::S550);
    Put(dst, {"Voice", 0, 0, 0, 2});        // the original: no match for the subtone
    Put(dst, {"Voice", 9, 0, 0, 2, true, 0}); // the subtone
    PatchEditor ed(dst);
    ScriptedMapper mapper;
    ASSERT_TRUE(ed.loadPatch(file, mapper).ok());
    EXPECT_EQ(PatchAt(dst, 0).keyMap1()[0], 9);
}

struct MissingTone : ::testing::Test {
    MemoryDocument src = Source();
    std::vector<std::uint8_t> file = SavedFile(src, 0);
    MemoryDocument dst = EmptyImage(TemplateKind::S550);
    void SetUp() override {
        Put(dst, {"Piano", 5, 0, 0, 2}); // found
        Put(dst, {"Organ", 3, 0, 2, 3}); // "Strings" is missing
    }
};

TEST_F(MissingTone, CancelChangesNothing) {
    PatchEditor ed(dst);
    const auto before = dst.image();
    ScriptedMapper mapper;
    mapper.answers.push_back({Answer::Cancel, 0});
    auto r = ed.loadPatch(file, mapper);
    ASSERT_TRUE(r.ok() && r->cancelled);
    EXPECT_EQ(dst.image(), before);
    EXPECT_EQ(ed.tree().findPatch(0), kNoItem);
    ASSERT_EQ(mapper.shown.size(), 1u);
    EXPECT_EQ(mapper.shown[0].missingName, "Strings ");
    EXPECT_EQ(mapper.shown[0].message.substr(0, 40), "Tone 'Strings ' found in this patch is n");
}

TEST_F(MissingTone, NoKeepsTheFileNumberYesMapsToTheChosenTone) {
    {
        auto copy = dst;
        PatchEditor ed(copy);
        ScriptedMapper mapper;
        mapper.answers.push_back({Answer::No, 0});
        ASSERT_TRUE(ed.loadPatch(file, mapper).ok());
        // 5 kept, now naming Piano; 0 -> 5 found.
        EXPECT_EQ(std::tuple(PatchAt(copy, 0).keyMap1()[2], PatchAt(copy, 0).keyMap1()[0]), std::tuple(5, 5));
    }
    PatchEditor ed(dst);
    ScriptedMapper mapper;
    mapper.answers.push_back({Answer::Yes, 3});
    ASSERT_TRUE(ed.loadPatch(file, mapper).ok());
    const PatchRecord r = PatchAt(dst, 0);
    EXPECT_EQ(std::tuple(r.keyMap1()[2], r.keyMap2()[0], r.keyMap2()[1]), std::tuple(3, 3, 5));
}

TEST(MapDialog, ListsUsedTonesAndPreselectsByExactName) {
    auto doc = EmptyImage(TemplateKind::W30);
    Put(doc, {"Alpha", 0, 0, 0, 2});
    Put(doc, {"Beta", 3, 0, 2, 2});
    Put(doc, {"Gamma", 4, 1, 0, 2});
    Put(doc, {"Beta", 6, 2, 0, 22}, Area::Rom);
    Put(doc, {"Delta", 7, 2, 0, 22}, Area::Rom);
    const PatchAreas areas = PatchAreas::Read(doc);
    ToneEntry e{9, {}};
    const auto named = [&](std::string_view n) {
        std::fill(e.fingerprint.begin(), e.fingerprint.begin() + 8, std::uint8_t{0});
        std::copy(n.begin(), n.end(), e.fingerprint.begin());
        return MakeMissingToneDialog(e, areas);
    };

    const auto ram = named("Beta");
    ASSERT_EQ(std::tuple(ram.ram.size(), ram.rom.size()), std::tuple(3u, 2u));
    // Third listed with positions 1 and 2 free: 4, not 2.
    EXPECT_EQ(std::tuple(ram.ram[2].name, ram.ram[2].number, ram.rom[1].number), std::tuple("Gamma   ", 4, 32 + 7));
    using Pre = std::optional<std::size_t>;
    EXPECT_EQ(std::tuple(ram.romShown, ram.preselected), std::tuple(false, Pre(1)));
    const auto rom = named("Delta");
    EXPECT_EQ(std::tuple(rom.romShown, rom.preselected), std::tuple(true, Pre(1)));
    const auto none = named("Omega");
    EXPECT_EQ(std::tuple(none.romShown, none.preselected), std::tuple(false, Pre()));
    EXPECT_EQ(none.message.find("Tone 'Omega   ' found"), 0u);
}

TEST(MapDialog, YesFollowsPreselectionDoubleClickAndBankSwitch) {
    MissingToneDialog d;
    d.ram = {{"Alpha   ", 0, 0}, {"Gamma   ", 4, 4}};
    d.rom = {{"Delta   ", 7, 39}};
    // Each step: what the user does (b = bank, s = single click, d = double click), then
    // what the dialog shows and what "&Yes" would give (-1 while it is disabled).
    struct Step {
        char action;
        std::size_t arg;
        bool rom;
        int yes;
    };
    struct Case {
        const char* name;
        std::optional<std::size_t> preselected;
        bool romShown;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"no preselection", std::nullopt, false,
         {{'s', 1, false, -1}, {'d', 1, false, 4}, {'s', 0, false, 0}, {'b', 1, true, -1}, {'d', 0, true, 39}}},
        {"preselected in ROM", 0, true, {{'-', 0, true, 39}, {'b', 0, false, -1}, {'d', 5, false, -1}}},
        {"preselected in RAM", 1, false, {{'-', 0, false, 4}, {'b', 0, false, -1}, {'d', 0, false, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.preselected = c.preselected;
        d.romShown = c.romShown;
        MissingToneState st(d);
        for (const Step& s : c.steps) {
            if (s.action == 'b') st.showBank(s.arg != 0);
            if (s.action == 's') st.select(s.arg);
            if (s.action == 'd') st.doubleClick(s.arg);
            EXPECT_EQ(st.romShown(), s.rom) << s.action << s.arg;
            EXPECT_EQ(st.list().size(), (s.rom ? d.rom : d.ram).size());
            const auto yes = st.yes();
            EXPECT_EQ(st.yesEnabled(), yes.has_value());
            EXPECT_EQ(yes ? yes->number : -1, s.yes) << s.action << s.arg;
        }
    }
}

TEST(MapDialog, AskingMapperTakesThePreselectionAndCancelsWithoutOne) {
    veldin::test::ScriptedUi ui;
    AskingToneMapper mapper(ui);
    MissingToneDialog d;
    d.message = "m";
    d.rom = {{"Delta   ", 7, 39}};
    d.romShown = true;
    d.preselected = 0;
    ui.answer(Answer::Yes);
    const MapChoice yes = mapper.mapMissingTone(d);
    EXPECT_EQ(std::tuple(yes.answer, yes.number), std::tuple(Answer::Yes, 39));
    EXPECT_EQ(ui.shown().back().title, "Map missing tone");
    ui.answer(Answer::No);
    EXPECT_EQ(mapper.mapMissingTone(d).answer, Answer::No);
    d.preselected.reset();
    ui.answer(Answer::Yes);
    EXPECT_EQ(mapper.mapMissingTone(d).answer, Answer::Cancel);
}

TEST(LoadPatch, EachLoadTakesTheFirstFreePositionThenRefuses) {
    auto src = Source();
    const auto file = SavedFile(src, 0);
    auto dst = EmptyImage(TemplateKind::S50);
    Put(dst, {"Piano", 0, 0, 0, 2});
    Put(dst, {"Strings", 5, 0, 2, 3});
    for (int k = 0; k < 8; ++k)
        if (k != 3) PutPatch(dst, k, MakePatch("Full", {0}));
    PutPatch(dst, 7, MakePatch("Free", {0}, {}, 0));
    PatchEditor ed(dst);
    ScriptedMapper mapper;
    EXPECT_EQ(ed.loadPatch(file, mapper)->position, 3);
    EXPECT_EQ(ed.loadPatch(file, mapper)->position, 7);
    EXPECT_EQ(PatchAt(dst, 7).rawName().substr(0, 3), "Duo");
    EXPECT_NE(ed.tree().findPatch(7), kNoItem);
    EXPECT_EQ(ed.selection().freePositions, 0);

    const auto before = dst.image();
    EXPECT_EQ(Refused(ed.loadPatch(file, mapper)).text, text::kNoFreePatchPosition);
    EXPECT_EQ(dst.image(), before);
}

TEST(PatchFileNames, ProposedSavedAndAccepted) {
    for (const auto& [name, file] :
         {std::pair{"a:b\\c/d,e?f*", "a_b_c_d_e_f_.pat"}, {"<x\"y|", "_x_y_.pat"}, {"", "NoName.pat"}})
        EXPECT_EQ(ProposedFileName(MakePatch(name, {0})), file) << name;
    for (const auto& [chosen, saved] : {std::pair{"dir/Lead", "dir/Lead.pat"},
                                        {"dir/Lead.ptc", "dir/Lead.ptc.pat"},
                                        {"dir/Lead.PAT", "dir/Lead.PAT"}})
        EXPECT_EQ(SavedPatchPath(chosen), std::filesystem::path(saved)) << chosen;
    for (const auto& [name, accepted] : {std::pair{"a.pat", true}, {"a.PTC", true}, {"a.ton", false}, {"pat", false}})
        EXPECT_EQ(IsPatchFileName(name), accepted) << name;
}

} // namespace
} // namespace veldin::patch
