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
} // namespace

// The Tone Editor's list per disk kind; the Patch Editor's is the same with its own Send to.
TEST(FrameCommands, EachDiskKindEnablesItsList) {
    const std::set<int> window = {kTile, kCascade, kArrange, kNextWindow, kCloseAll};
    const std::set<int> sound = {kSaveAs, kExportFloppy, kSendToPatch, kSendToMidi, kClose};
    struct Case {
        const char* sampler;
        const char* kind;
        std::set<int> own; // besides the window commands; empty: nothing at all
    };
    const Case cases[] = {
        {"W30", "Song", {kSendToMidi, kClose}},
        {"W30", "Sound & Song", sound},
        {"S550", "Sound", sound},
        {"W30", "System", sound},
        {"S330", "Utility", {}},
    };
    EXPECT_TRUE(EnabledDocumentCommands({}).empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        std::set<int> expected = c.own;
        if (!expected.empty()) expected.insert(window.begin(), window.end());
        const auto tone = EnabledDocumentCommands({&Kind(c.sampler, c.kind), false, false});
        EXPECT_EQ(tone, expected);
        auto swapped = tone;
        if (swapped.erase(kSendToPatch)) swapped.insert(kSendToTone);
        EXPECT_EQ(EnabledDocumentCommands({&Kind(c.sampler, c.kind), false, false}, kSendToTone), swapped);
    }
}

TEST(FrameCommands, UndoStateDrivesSaveUndoRedoAndStaysInTheSwitchedSet) {
    const DiskDefinition& d = Kind("S550", "Sound");
    auto on = EnabledDocumentCommands({&d, true, false});
    EXPECT_TRUE(on.count(kSave) && on.count(kUndo));
    EXPECT_FALSE(on.count(kRedo));
    on = EnabledDocumentCommands({&d, false, true});
    EXPECT_FALSE(on.count(kSave) || on.count(kUndo) || on.count(kOptimize));
    EXPECT_TRUE(on.count(kRedo));
    for (const auto& k : DefinitionTable())
        for (int id : EnabledDocumentCommands({&k, true, true})) EXPECT_TRUE(DocumentCommands().count(id)) << id;
}

TEST(FrameCommands, EveryToolBarButtonHasAnImageAndThePatchEditorItsOwnMenus) {
    EXPECT_EQ(MenuText(9999), "");
    int buttons = 0;
    for (int id : ToolBarCommands())
        if (id != kSeparator) {
            ++buttons;
            EXPECT_GE(ToolBarImage(id), 0) << id;
        }
    EXPECT_EQ(buttons, 14);
    const auto& m = PatchEditorMenus();
    EXPECT_EQ(m.sendToSound, kSendToTone);
    std::vector<int> file, special;
    for (const MenuEntry& e : (*m.menu)[0].entries) file.push_back(e.id);
    for (const MenuEntry& e : (*m.menu)[2].entries) special.push_back(e.id);
    EXPECT_EQ(std::count(file.begin(), file.end(), kOptimize) + std::count(file.begin(), file.end(), kSendToPatch), 0);
    EXPECT_EQ(std::count(file.begin(), file.end(), kSendToTone), 1);
    EXPECT_EQ(special, (std::vector<int>{kLoadTone, kSaveTone}));
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
    EXPECT_EQ(std::pair(x, y), std::pair(100, 250));
    EXPECT_TRUE(AlignedPosition(s, -20, -300, x, y)) << "a launcher partly off screen is still followed";
    EXPECT_EQ(y, -100);
    EXPECT_FALSE(AlignedPosition(s, -1, 50, x, y)) << "-1: the launcher never kept a position";
    s.winAlign = 0;
    EXPECT_FALSE(AlignedPosition(s, 100, 50, x, y));
    KeepGeometry(s, {-5, 7, 640, 480});
    EXPECT_EQ(static_cast<std::int32_t>(s.winPosX), -5);
    EXPECT_EQ(s.winPosH, 480u);
}
