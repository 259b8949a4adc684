// The patch record, present and free positions, the tones of a patch, the tree, the
// info panel and the status text.
#include <gtest/gtest.h>

#include "patch/PatchEditor.h"
#include "patch/PatchTexts.h"
#include "tests/patch/PatchTestSupport.h"

namespace veldin::patch {
namespace {

using data::TemplateKind;
using tone::Area;
using tone::test::EmptyImage;
using tone::test::Put;
using namespace veldin::patch::test;

std::vector<std::string> Labels(const PatchTree& t, ItemId parent) {
    std::vector<std::string> out;
    for (ItemId c : t.item(parent)->children) out.push_back(t.item(c)->label);
    return out;
}

TEST(PatchRecord, TonesInOrderOfFirstAppearanceAndPresence) {
    EXPECT_EQ(MakePatch("a", {9, 128, 2}, {2, 1, 9}).tones(), (std::vector<std::uint8_t>{9, 2, 1}));
    EXPECT_TRUE(MakePatch("a", {}, {127}).isPresent());
    EXPECT_FALSE(MakePatch("a", {3}, {}, 0).isPresent());           // level 0: free
    EXPECT_FALSE(MakePatch("a", {128, 200, 255}, {128}).isPresent()); // names no tone
}

struct S550WithPatches : ::testing::Test {
    tone::MemoryDocument doc = EmptyImage(TemplateKind::S550);
    void SetUp() override {
        Put(doc, {"Piano", 3, 0, 0, 2});
        Put(doc, {"Strings", 5, 0, 2, 2});
        Put(doc, {"Bass", 7, 1, 0, 2});
        PutPatch(doc, 0, MakePatch("Grand", {3, 3, 5}, {5, 7}));
        PutPatch(doc, 2, MakePatch("Lead:1", {7}));
        PutPatch(doc, 4, MakePatch("Silent", {3}, {}, 0));
        PutPatch(doc, 6, MakePatch("Empty maps", {200}, {128}));
        PutPatch(doc, 9, MakePatch("Far", {40, 3}));
    }
};

TEST_F(S550WithPatches, TreeListsPresentPatchesWithTheirTones) {
    const PatchEditor ed(doc);
    const PatchTree& t = ed.tree();
    const TreeItem* root = t.item(t.root());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::tuple(root->label, root->icon), std::tuple("Patches", IconKind::Root));
    EXPECT_EQ(Labels(t, t.root()), (std::vector<std::string>{"Grand       ", "Lead:1      ", "Far         "}));
    const ItemId grand = t.findPatch(0);
    EXPECT_EQ(std::tuple(t.item(grand)->value, t.item(grand)->expanded), std::tuple(PatchRef::Patch(0), false));
    EXPECT_EQ(Labels(t, grand), (std::vector<std::string>{"Piano   ", "Strings ", "Bass    "}));
    const TreeItem* bass = t.item(t.item(grand)->children[2]);
    EXPECT_EQ(std::tuple(bass->value, bass->icon), std::tuple(PatchRef::Tone(7), IconKind::Tone));
    EXPECT_EQ(std::tuple(t.findPatch(4), t.findPatch(6)), std::tuple(kNoItem, kNoItem)); // level 0; no tone named
    EXPECT_EQ(std::tuple(ed.selection().freePositions, ed.selection().firstFreePosition), std::tuple(13, 1));
    EXPECT_EQ(ed.selection().status, "Patch positions free: 13");
}

TEST_F(S550WithPatches, ToneBeyondTheAreasHasNoName) {
    // 40 names the second tone area, which an S-550 image does not have.
    const PatchEditor ed(doc);
    const ItemId far = ed.tree().findPatch(9);
    EXPECT_EQ(Labels(ed.tree(), far), (std::vector<std::string>{"", "Piano   "}));
    EXPECT_EQ(std::tuple(ed.areas().toneRecord(31).has_value(), ed.areas().toneRecord(40).has_value(),
                         ed.areas().toneRecord(127).has_value()),
              std::tuple(true, false, false));
}

TEST_F(S550WithPatches, PanelOfAPatchAndOfTheRoot) {
    // Each field set at its offset in the record, as files and images hold it.
    // Bender range, AT sense, key mode V-SW, V-SW threshold, uni-detune, V-mix ratio, AT assign,
    // Fix, output, level.
    PatchRecord r = MakePatch("Third", {3});
    for (const auto& [at, value] :
         {std::pair{12, 2}, {14, 9}, {15, 3}, {16, 77}, {239, 11}, {240, 22}, {241, 4}, {242, 1}, {243, 6}, {237, 90}})
        r.setByte(static_cast<std::size_t>(at), static_cast<std::uint8_t>(value));
    PutPatch(doc, 2, r);
    PatchEditor ed(doc);
    ASSERT_TRUE(ed.selectPatch(2));
    EXPECT_EQ(ed.selection().panel,
              (PanelTexts{"Patch Number: 3", "Key Mode: V-SW", "Key Assign: Fix", "B.Range: 2", "Out: 6", "Uni-Detune: 11",
                          "V-SW Tresh: 77", "V-Mix Ratio: 22", "AT Assign: 4", "AT Sense: 9", "Volume: 90"}));

    // A tone item leaves the panel as it is; the root clears it.
    ed.select(ed.tree().item(ed.tree().findPatch(2))->children[0]);
    EXPECT_EQ(ed.selection().panel[kLineNumber], "Patch Number: 3");
    ed.select(ed.tree().root());
    EXPECT_EQ(ed.selection().panel, PanelTexts{});
}

TEST(PatchAreasPerFamily, PositionsOfEachFamilyAndTheSecondToneArea) {
    struct Case {
        TemplateKind kind;
        int positions;
    };
    for (const auto& c : {Case{TemplateKind::S50, 8}, Case{TemplateKind::S330, 16}, Case{TemplateKind::S550, 16},
                          Case{TemplateKind::W30, 16}}) {
        auto doc = EmptyImage(c.kind);
        const PatchEditor ed(doc);
        ASSERT_NE(ed.areas().patches(), nullptr) << static_cast<int>(c.kind);
        EXPECT_EQ(ed.areas().patches()->count, c.positions);
        EXPECT_EQ(ed.selection().status, "Patch positions free: " + std::to_string(c.positions));
    }
    auto w30 = EmptyImage(TemplateKind::W30);
    Put(w30, {"RomTone", 2, 2, 0, 22}, Area::Rom);
    Put(w30, {"RamTone", 2, 0, 0, 2});
    PutPatch(w30, 15, MakePatch("Both", {34, 2}));
    const PatchEditor ed(w30);
    EXPECT_EQ(Labels(ed.tree(), ed.tree().findPatch(15)), (std::vector<std::string>{"RomTone ", "RamTone "}));
    EXPECT_EQ(ed.selection().firstFreePosition, 0);

    auto full = EmptyImage(TemplateKind::S50);
    for (int k = 0; k < 8; ++k) PutPatch(full, k, MakePatch("P", {0}));
    const PatchEditor fullEd(full);
    EXPECT_EQ(std::tuple(fullEd.selection().freePositions, fullEd.selection().firstFreePosition), std::tuple(0, 0xFF));
}

} // namespace
} // namespace veldin::patch
