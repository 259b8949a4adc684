// Tone changes through the disk image document: each is one undo step of the store,
// and undo and redo hand back what the tree needs and restore the image byte for byte.
#include <gtest/gtest.h>

#include "core/Document.h"
#include "tests/support/TestSupport.h"
#include "tone/DocumentAdapter.h"
#include "tone/ToneEditor.h"

namespace veldin::tone {
namespace {

std::vector<std::uint8_t> Image(const DocumentAdapter& a) {
    std::vector<std::uint8_t> b(737280);
    EXPECT_TRUE(a.read(0, b));
    return b;
}

TEST(DocumentAdapter, EveryToneChangeUndoesAndRedoesExactly) {
    veldin::test::TempDir dir;
    std::filesystem::copy_file(veldin::test::DemoImage("demo.s55"), dir / "d.s55");
    const Workspace ws = Workspace::System(dir.path());
    auto doc = Document::Open(ws, dir / "d.s55");
    ASSERT_TRUE(doc) << doc.failure().text;
    DocumentAdapter adapter(**doc);
    ToneEditor ed(adapter);

    const ToneRef original = ToneRef::Make(0, Area::Ram, 0);
    std::vector<std::vector<std::uint8_t>> states{Image(adapter)};
    auto step = [&](const Status& st) {
        ASSERT_TRUE(st) << st.failure().text;
        states.push_back(Image(adapter));
        EXPECT_NE(states.back(), states[states.size() - 2]);
    };
    // Save the original as a tone file, rename, change, delete it, then load it into B.
    ASSERT_TRUE(ed.selectTone(original));
    auto saved = ExtractToneFile(adapter, ed.areas(), original);
    ASSERT_TRUE(saved);
    step(ed.rename(ed.tree().findValue(original), "RENAMED"));
    ToneRecord r = *ed.areas().find(original);
    r.setVolume(7);
    step(ed.changeToneDetails(kCmdChange, original, kNoTone, r));
    ASSERT_TRUE(ed.selectTone(original));
    step(ed.deleteSelectedConfirmed());
    ASSERT_TRUE(ed.selectGroup(Group::RamB));
    step(ed.importToneFile(saved->file.bytes(), ed.target()));
    EXPECT_TRUE((*doc)->canUndo());

    const std::vector<int> codes{kCmdImport, kCmdDelete, kCmdChange, kCmdRename};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        auto back = adapter.undo();
        ASSERT_TRUE(back);
        EXPECT_EQ(back->code, codes[i]);
        ed.afterStep(*back, StepDirection::Undo);
        EXPECT_EQ(Image(adapter), states[states.size() - 2 - i]) << "undo " << codes[i];
    }
    // The deleted original and its subtone are back in the tree, with the old name.
    const ItemId id = ed.tree().findValue(original);
    ASSERT_NE(id, kNoItem);
    EXPECT_EQ(ed.tree().item(id)->label, "SINE A4 ");
    EXPECT_EQ(ed.tree().item(id)->children.size(), 1u);
    EXPECT_FALSE((*doc)->canUndo());

    for (std::size_t i = 1; i < states.size(); ++i) {
        auto fwd = adapter.redo();
        ASSERT_TRUE(fwd);
        ed.afterStep(*fwd, StepDirection::Redo);
        EXPECT_EQ(Image(adapter), states[i]) << "redo " << i;
    }
    // The deleted original stays deleted; the loaded copy sits in bank B at position 0.
    const ItemId loaded = ed.tree().findValue(ToneRef::Make(0, Area::Ram, 0));
    ASSERT_NE(loaded, kNoItem);
    EXPECT_EQ(ed.tree().item(ed.tree().item(loaded)->parent)->group, Group::RamB);
    ASSERT_TRUE((*doc)->save());
    EXPECT_EQ(veldin::test::ReadFile(dir / "d.s55"), states.back());
}

} // namespace
} // namespace veldin::tone
