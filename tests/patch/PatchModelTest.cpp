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

TEST(PatchRecord, FieldsAtTheirOffsets) {
    PatchBytes b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
    const PatchRecord r(b);
    EXPECT_EQ(r.benderRange(), 12);
    EXPECT_EQ(r.atSense(), 14);
    EXPECT_EQ(r.keyMode(), 15);
    EXPECT_EQ(r.vswThreshold(), 16);
    EXPECT_EQ(r.keyMap1()[0], 17);
    EXPECT_EQ(r.keyMap1()[108], 125);
    EXPECT_EQ(r.keyMap2()[0], 126);
    EXPECT_EQ(r.keyMap2()[108], 234);
    EXPECT_EQ(r.patchLevel(), 237);
    EXPECT_EQ(r.uniDetune(), 239);
    EXPECT_EQ(r.vmixRatio(), 240);
    EXPECT_EQ(r.atAssign(), 241);
    EXPECT_EQ(r.keyAssign(), 242);
    EXPECT_EQ(r.patchOutput(), 243);
}

TEST(PatchRecord, NameKeepsTwelveCharactersAndFillsWithZeroBytes) {
    PatchRecord r = test::MakePatch("x", {0});
    r.setName("ABCDEFGHIJKLMNOP");
    EXPECT_EQ(r.rawName(), "ABCDEFGHIJKL");
    r.setName("Pad");
    EXPECT_EQ(r.rawName(), std::string("Pad\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(r.displayName(), "Pad         ");
    EXPECT_EQ(r.bytes()[13], 0xA5); // the byte after the name is not the name's
}

TEST(PatchRecord, PresentNeedsAToneAndALevel) {
    EXPECT_TRUE(MakePatch("a", {3}).isPresent());
    EXPECT_TRUE(MakePatch("a", {}, {127}).isPresent());
    EXPECT_FALSE(MakePatch("a", {3}, {}, 0).isPresent());        // level 0: free
    EXPECT_FALSE(MakePatch("a", {128, 200, 255}, {128}).isPresent()); // names no tone
}

TEST(PatchRecord, TonesInOrderOfFirstAppearance) {
    EXPECT_EQ(MakePatch("a", {3, 3, 5}, {5, 7}).tones(), (std::vector<std::uint8_t>{3, 5, 7}));
    EXPECT_EQ(MakePatch("a", {9, 128, 2}, {2, 1, 9}).tones(), (std::vector<std::uint8_t>{9, 2, 1}));
    EXPECT_TRUE(MakePatch("a", {}, {}).tones().empty());
}

TEST(PatchRef, ValuesOfPatchesToneItemsAndTheRoot) {
    EXPECT_EQ(PatchRef::Patch(0).value, 0x00FF0000u);
    EXPECT_EQ(PatchRef::Patch(3).value, 0x03FF0300u);
    EXPECT_EQ(PatchRef::Patch(31).value, 0x1FFF1F00u);
    EXPECT_TRUE(PatchRef::Patch(3).isPatch());
    EXPECT_EQ(PatchRef::Patch(3).position(), 3);
    EXPECT_EQ(PatchRef::Patch(3).offset(), 768u);
    EXPECT_TRUE(PatchRef::Tone(5).isTone());
    EXPECT_FALSE(PatchRef::Tone(5).isPatch());
    EXPECT_TRUE(kRootRef.isRoot());
    EXPECT_FALSE(kRootRef.isPatch());
    EXPECT_FALSE(kRootRef.isTone());
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
    EXPECT_EQ(root->label, "Patches");
    EXPECT_EQ(root->icon, IconKind::Root);
    EXPECT_EQ(Labels(t, t.root()), (std::vector<std::string>{"Grand       ", "Lead:1      ", "Far         "}));
    const ItemId grand = t.findPatch(0);
    EXPECT_EQ(t.item(grand)->value, PatchRef::Patch(0));
    EXPECT_FALSE(t.item(grand)->expanded);
    EXPECT_EQ(Labels(t, grand), (std::vector<std::string>{"Piano   ", "Strings ", "Bass    "}));
    EXPECT_EQ(t.item(t.item(grand)->children[2])->value, PatchRef::Tone(7));
    EXPECT_EQ(t.item(t.item(grand)->children[2])->icon, IconKind::Tone);
    EXPECT_EQ(t.findPatch(4), kNoItem); // level 0
    EXPECT_EQ(t.findPatch(6), kNoItem); // no tone named
}

TEST_F(S550WithPatches, ToneBeyondTheAreasHasNoName) {
    // 40 names the second tone area, which an S-550 image does not have.
    const PatchEditor ed(doc);
    const ItemId far = ed.tree().findPatch(9);
    EXPECT_EQ(Labels(ed.tree(), far), (std::vector<std::string>{"", "Piano   "}));
    EXPECT_FALSE(ed.areas().toneRecord(40).has_value());
    EXPECT_FALSE(ed.areas().toneRecord(127).has_value());
    EXPECT_TRUE(ed.areas().toneRecord(31).has_value());
}

TEST_F(S550WithPatches, FreePositionsAndStatusText) {
    const PatchEditor ed(doc);
    EXPECT_EQ(ed.selection().freePositions, 13);
    EXPECT_EQ(ed.selection().firstFreePosition, 1);
    EXPECT_EQ(ed.selection().status, "Patch positions free: 13");
}

TEST_F(S550WithPatches, PanelOfAPatchAndOfTheRoot) {
    PatchRecord r = MakePatch("Third", {3});
    r.setByte(12, 2);   // bender range
    r.setByte(14, 9);   // AT sense
    r.setKeyMode(3);    // V-SW
    r.setByte(16, 77);  // V-SW threshold
    r.setByte(239, 11); // uni-detune
    r.setByte(240, 22); // V-mix ratio
    r.setByte(241, 4);  // AT assign
    r.setByte(242, 1);  // Fix
    r.setByte(243, 6);  // output
    PutPatch(doc, 2, r);
    PatchEditor ed(doc);
    ASSERT_TRUE(ed.selectPatch(2));
    const PanelTexts& p = ed.selection().panel;
    EXPECT_EQ(p[kLineNumber], "Patch Number: 3");
    EXPECT_EQ(p[kLineKeyMode], "Key Mode: V-SW");
    EXPECT_EQ(p[kLineKeyAssign], "Key Assign: Fix");
    EXPECT_EQ(p[kLineBenderRange], "B.Range: 2");
    EXPECT_EQ(p[kLineOut], "Out: 6");
    EXPECT_EQ(p[kLineUniDetune], "Uni-Detune: 11");
    EXPECT_EQ(p[kLineVswThreshold], "V-SW Tresh: 77");
    EXPECT_EQ(p[kLineVmixRatio], "V-Mix Ratio: 22");
    EXPECT_EQ(p[kLineAtAssign], "AT Assign: 4");
    EXPECT_EQ(p[kLineAtSense], "AT Sense: 9");
    EXPECT_EQ(p[kLineVolume], "Volume: 100");

    // A tone item leaves the panel as it is; the root clears it.
    ed.select(ed.tree().item(ed.tree().findPatch(2))->children[0]);
    EXPECT_EQ(ed.selection().panel[kLineNumber], "Patch Number: 3");
    ed.select(ed.tree().root());
    for (const auto& line : ed.selection().panel) EXPECT_EQ(line, "");
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
}

TEST(PatchAreasPerFamily, AllPositionsInUseHaveNoFirstFree) {
    auto doc = EmptyImage(TemplateKind::S50);
    for (int k = 0; k < 8; ++k) PutPatch(doc, k, MakePatch("P", {0}));
    const PatchEditor ed(doc);
    EXPECT_EQ(ed.selection().freePositions, 0);
    EXPECT_EQ(ed.selection().firstFreePosition, 0xFF);
    EXPECT_EQ(ed.selection().status, "Patch positions free: 0");
}

} // namespace
} // namespace veldin::patch
