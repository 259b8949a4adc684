// Which frame commands each kind of disk enables, and the menu tables they come from.

#include <gtest/gtest.h>

#include "core/DiskDefinition.h"
#include "frame/FrameCommands.h"

using namespace veldin;
using namespace veldin::frame;

namespace {
const DiskDefinition& Kind(std::string_view sampler, std::string_view kind) {
    for (const auto& d : DefinitionTable())
        if (d.samplerName == sampler && d.kindName == kind) return d;
    throw std::runtime_error("no such kind");
}
const std::set<int> kWindow = {kTile, kCascade, kArrange, kNextWindow, kCloseAll};
std::set<int> With(std::set<int> a, std::initializer_list<int> more) {
    a.insert(more);
    return a;
}
} // namespace

TEST(FrameCommands, NoDocumentEnablesNothing) {
    EXPECT_TRUE(EnabledDocumentCommands({}).empty());
}

TEST(FrameCommands, SongDiskEnablesOnlySendToMidiCloseAndWindow) {
    const auto on = EnabledDocumentCommands({&Kind("W30", "Song"), false, false});
    EXPECT_EQ(on, With(kWindow, {kSendToMidi, kClose}));
}

TEST(FrameCommands, SoundAndSongDiskGetsBothLists) {
    const auto on = EnabledDocumentCommands({&Kind("W30", "Sound & Song"), false, false});
    EXPECT_EQ(on, With(kWindow, {kSaveAs, kExportFloppy, kSendToPatch, kSendToMidi, kClose}));
}

TEST(FrameCommands, SoundAndSystemDisksGetTheSoundList) {
    const auto expected = With(kWindow, {kSaveAs, kExportFloppy, kSendToPatch, kSendToMidi, kClose});
    EXPECT_EQ(EnabledDocumentCommands({&Kind("S550", "Sound"), false, false}), expected);
    EXPECT_EQ(EnabledDocumentCommands({&Kind("W30", "System"), false, false}), expected);
}

TEST(FrameCommands, UtilityDiskEnablesNothing) {
    const auto on = EnabledDocumentCommands({&Kind("S330", "Utility"), false, false});
    EXPECT_TRUE(on.empty());
}

TEST(FrameCommands, UndoStateDrivesSaveUndoRedo) {
    const DiskDefinition& d = Kind("S550", "Sound");
    auto on = EnabledDocumentCommands({&d, true, false});
    EXPECT_TRUE(on.count(kSave) && on.count(kUndo));
    EXPECT_FALSE(on.count(kRedo));
    on = EnabledDocumentCommands({&d, false, true});
    EXPECT_FALSE(on.count(kSave) || on.count(kUndo));
    EXPECT_TRUE(on.count(kRedo));
    EXPECT_FALSE(on.count(kOptimize));
}

TEST(FrameCommands, EveryEnabledCommandIsOneThatADocumentChangeSwitches) {
    for (const auto& d : DefinitionTable())
        for (int id : EnabledDocumentCommands({&d, true, true})) EXPECT_TRUE(DocumentCommands().count(id)) << id;
}

TEST(FrameCommands, MenuTextsAndToolBarImages) {
    EXPECT_EQ(MenuText(kSendToPatch), "Send to &Patch Editor");
    EXPECT_EQ(MenuText(kExit), "E&xit\tAlt+F4");
    EXPECT_EQ(MenuText(kCloseAll), "C&lose All");
    EXPECT_EQ(MenuText(9999), "");
    ASSERT_EQ(MainMenu().size(), 5u);
    EXPECT_EQ(MainMenu()[3].title, "&Window");
    int buttons = 0;
    for (int id : ToolBarCommands())
        if (id != kSeparator) {
            ++buttons;
            EXPECT_GE(ToolBarImage(id), 0) << id;
        }
    EXPECT_EQ(buttons, 14);
    EXPECT_EQ(ToolBarImage(kSendToPatch), 13);
    EXPECT_EQ(ToolBarImage(kSendToMidi), 12);
}
