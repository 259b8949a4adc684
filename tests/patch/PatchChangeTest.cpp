// Patch changes: delete, rename and load as undo steps, the checks that refuse anything
// but a patch, and the tree and free positions after do, undo and redo.
#include <gtest/gtest.h>

#include "patch/PatchEditor.h"
#include "patch/PatchTexts.h"
#include "tests/patch/PatchTestSupport.h"
#include "tests/support/TestSupport.h"

namespace veldin::patch {
namespace {

using data::TemplateKind;
using tone::MemoryDocument;
using tone::test::EmptyImage;
using tone::test::Put;
using veldin::test::ScriptedUi;
using namespace veldin::patch::test;
using Kind = RefreshEvent::Kind;

class KeepAll final : public ToneMapper {
public:
    MapChoice mapMissingTone(const MissingToneDialog&) override { return {Answer::No, 0}; }
};

struct Changes : ::testing::Test {
    MemoryDocument doc = EmptyImage(TemplateKind::S550);
    void SetUp() override {
        Put(doc, {"Piano", 0, 0, 0, 2});
        PutPatch(doc, 1, MakePatch("First", {0}));
        PutPatch(doc, 4, MakePatch("Second", {0}, {0}));
    }
    ItemId toneItemOf(const PatchEditor& ed, int position) {
        return ed.tree().item(ed.tree().findPatch(position))->children.at(0);
    }
};

TEST_F(Changes, DeleteZeroesAllBytesAndUndoRedoAreByteExact) {
    PatchEditor ed(doc);
    const auto before = doc.image();
    ASSERT_TRUE(ed.selectPatch(4));
    ScriptedUi ui;
    ui.answer(Answer::No);
    ASSERT_TRUE(ed.deleteSelected(ui).ok());
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(std::tuple(ui.shown().at(0).text, ui.shown().at(0).title),
              std::tuple("Do you really want to delete this patch?", "Patch Editor"));
    ui.answer(Answer::Yes);
    ASSERT_TRUE(ed.deleteSelected(ui).ok());
    const PatchRecord gone = PatchAt(doc, 4);
    EXPECT_TRUE(std::all_of(gone.bytes().begin(), gone.bytes().end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(std::tuple(ed.tree().findPatch(4), ed.selection().freePositions), std::tuple(kNoItem, 15));
    EXPECT_EQ(ed.lastEvents(), (std::vector<RefreshEvent>{{Kind::RemovePatch, PatchRef::Patch(4)}}));
    const auto deleted = doc.image();

    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    EXPECT_TRUE(ed.tree().findPatch(4) != kNoItem && ed.selection().freePositions == 14);
    ed.afterStep(doc.redo(), StepDirection::Redo);
    EXPECT_EQ(doc.image(), deleted);
    EXPECT_EQ(ed.tree().findPatch(4), kNoItem);
}

TEST_F(Changes, DeleteRenameAndChangeRefuseAnythingButAPatch) {
    PatchEditor ed(doc);
    const auto before = doc.image();
    ed.select(ed.tree().root());
    EXPECT_EQ(ed.deleteSelectedConfirmed().failure(), Fail("This node cannot be edited!", Icon::Warning));
    EXPECT_EQ(ed.rename(ed.tree().root(), "X").failure(), Fail(text::kNotEditable, Icon::Warning));
    EXPECT_EQ(ed.rename(kNoItem, "X").failure(), Fail(text::kNotEditable, Icon::Warning));
    ed.select(toneItemOf(ed, 1));
    EXPECT_EQ(ed.deleteSelectedConfirmed().failure(), Fail("Only Patches can be edited!", Icon::Warning));
    EXPECT_EQ(ed.rename(toneItemOf(ed, 1), "X").failure(), Fail(text::kOnlyPatches, Icon::Warning));
    EXPECT_EQ(ed.tree().item(ed.tree().findPatch(1))->label, "First       ");

    // A change without a record, or of anything but a patch, is refused too.
    EXPECT_EQ(ed.changePatch(kCmdRename, PatchRef::Patch(1), kRootRef, std::nullopt).failure(),
              Fail("Can not change Patch details!"));
    EXPECT_EQ(ed.changePatch(kCmdRename, PatchRef::Tone(1), kRootRef, PatchRecord{}).failure().text, text::kCantChange);
    EXPECT_EQ(ed.changePatch(kCmdRename, PatchRef::Patch(16), kRootRef, PatchRecord{}).failure().text,
              text::kCantChange);
    EXPECT_EQ(doc.image(), before);
}

TEST_F(Changes, RenameKeepsTwelveCharactersOrFillsWithZeroBytes) {
    PatchEditor ed(doc);
    const PatchRecord old = PatchAt(doc, 1);
    ASSERT_TRUE(ed.rename(ed.tree().findPatch(1), "TwelveChars!").ok());
    EXPECT_EQ(std::tuple(PatchAt(doc, 1).rawName(), ed.tree().item(ed.tree().findPatch(1))->label),
              std::tuple("TwelveChars!", "TwelveChars!"));
    ASSERT_TRUE(ed.rename(ed.tree().findPatch(1), "Lead").ok());
    EXPECT_EQ(PatchAt(doc, 1).rawName(), std::string("Lead\0\0\0\0\0\0\0\0", 12));
    // Only the name changed.
    EXPECT_TRUE(std::equal(old.bytes().begin() + 12, old.bytes().end(), PatchAt(doc, 1).bytes().begin() + 12));

    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(ed.tree().item(ed.tree().findPatch(1))->label, "TwelveChars!");
    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(PatchAt(doc, 1), old);
    EXPECT_EQ(ed.tree().item(ed.tree().findPatch(1))->label, "First       ");
}

TEST_F(Changes, UndoOfALoadRemovesTheItemAndFreesThePosition) {
    PatchEditor ed(doc);
    ASSERT_TRUE(ed.selectPatch(1));
    const auto file = ed.savePatch();
    ASSERT_TRUE(file.ok() && file->has_value());
    const auto before = doc.image();
    KeepAll keep;
    const auto r = ed.loadPatch(PatchFileBytes(**file), keep);
    ASSERT_TRUE(r.ok() && r->position == 0);
    ASSERT_NE(ed.tree().findPatch(0), kNoItem);
    // Added items come without tone items until the next full build.
    EXPECT_TRUE(ed.tree().item(ed.tree().findPatch(0))->children.empty());
    EXPECT_EQ(ed.tree().item(ed.tree().root())->children.front(), ed.tree().findPatch(0));
    const auto loaded = doc.image();

    ed.afterStep(doc.undo(), StepDirection::Undo);
    EXPECT_EQ(doc.image(), before);
    EXPECT_EQ(std::tuple(ed.tree().findPatch(0), ed.selection().firstFreePosition), std::tuple(kNoItem, 0));
    ed.afterStep(doc.redo(), StepDirection::Redo);
    EXPECT_EQ(doc.image(), loaded);
    EXPECT_TRUE(ed.tree().findPatch(0) != kNoItem && ed.selection().firstFreePosition == 2);
}

} // namespace
} // namespace veldin::patch
