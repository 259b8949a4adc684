// Which frame commands each kind of disk enables, and the menu tables they come from.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/DiskDefinition.h"
#include "frame/FrameCommands.h"
#include "frame/FrameGeometry.h"

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

TEST(FrameCommands, PatchEditorSendsToTheToneEditorAndHasItsOwnSpecialMenu) {
    const auto& m = PatchEditorMenus();
    EXPECT_EQ(m.sendToSound, kSendToTone);
    std::vector<int> file, special;
    for (const MenuEntry& e : (*m.menu)[0].entries) file.push_back(e.id);
    for (const MenuEntry& e : (*m.menu)[2].entries) special.push_back(e.id);
    EXPECT_EQ(std::count(file.begin(), file.end(), kOptimize), 0);
    EXPECT_EQ(std::count(file.begin(), file.end(), kSendToPatch), 0);
    EXPECT_EQ(std::count(file.begin(), file.end(), kSendToTone), 1);
    EXPECT_EQ(special, (std::vector<int>{kLoadTone, kSaveTone}));
    EXPECT_EQ((*m.menu)[2].entries[0].text, "&Load Patch");
    EXPECT_EQ((*m.menu)[2].entries[1].text, "&Save Patch");
    EXPECT_EQ((*m.menu)[3].title, "&Window");
    // The sound list's Send to is the module's; the song list is the same for both.
    struct Case {
        const char* sampler;
        const char* kind;
        bool sendsToTone;
    };
    for (const Case c : {Case{"S550", "Sound", true}, Case{"W30", "System", true}, Case{"W30", "Song", false}}) {
        const auto tone = EnabledDocumentCommands({&Kind(c.sampler, c.kind), false, false});
        const auto patch = EnabledDocumentCommands({&Kind(c.sampler, c.kind), false, false}, kSendToTone);
        EXPECT_EQ(patch.count(kSendToTone) != 0, c.sendsToTone) << c.kind;
        EXPECT_EQ(patch.count(kSendToPatch), 0u) << c.kind;
        auto swapped = tone;
        if (swapped.erase(kSendToPatch)) swapped.insert(kSendToTone);
        EXPECT_EQ(patch, swapped) << c.kind;
    }
}

TEST(FrameGeometry, StartPlacesTheWindowByItsSettings) {
    const Geometry centred{262, 209, 500, 350};
    FrameSettings s;
    s.winPosX = 10, s.winPosY = 20, s.winPosW = 600, s.winPosH = 400, s.winAlign = 0;
    CommonSettings launcher;
    launcher.launcherX = 100, launcher.launcherY = 50;
    EXPECT_EQ(InitialGeometry(LoadOutcome::FirstStart, s, launcher, centred), centred);
    EXPECT_EQ(InitialGeometry(LoadOutcome::Loaded, s, launcher, centred), (Geometry{10, 20, 600, 400}));
    s.winAlign = 1;
    EXPECT_EQ(InitialGeometry(LoadOutcome::Loaded, s, launcher, centred), (Geometry{100, 250, 600, 400}));
    s.winPos = 0; // neither size nor position kept: centred size, still aligned
    EXPECT_EQ(InitialGeometry(LoadOutcome::Loaded, s, launcher, centred), (Geometry{100, 250, 500, 350}));
    s.winPos = 1, s.winPosW = 0, s.winAlign = 0; // a size never kept
    EXPECT_EQ(InitialGeometry(LoadOutcome::Loaded, s, launcher, centred), (Geometry{10, 20, 500, 350}));
}

TEST(FrameGeometry, AlignmentNeedsTheFlagAndAKnownLauncherPosition) {
    FrameSettings s;
    int x = 0, y = 0;
    ASSERT_TRUE(AlignedPosition(s, 100, 50, x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 250);
    EXPECT_TRUE(AlignedPosition(s, -20, -300, x, y)) << "a launcher partly off screen is still followed";
    EXPECT_EQ(y, -100);
    EXPECT_FALSE(AlignedPosition(s, -1, 50, x, y)) << "-1: the launcher never kept a position";
    s.winAlign = 0;
    EXPECT_FALSE(AlignedPosition(s, 100, 50, x, y));
    KeepGeometry(s, {-5, 7, 640, 480});
    EXPECT_EQ(static_cast<std::int32_t>(s.winPosX), -5);
    EXPECT_EQ(s.winPosH, 480u);
}
