// The launcher window's rules without a window: outline, quit confirmation, command line
// and the messages between two launchers.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "launcher/CommandLine.h"
#include "launcher/LauncherPanel.h"
#include "launcher/ModuleHost.h"
#include "tests/support/TestSupport.h"

using namespace veldin::launcher;

namespace {
bool Inside(const std::array<Rect, 17>& rects, int x, int y) {
    for (const Rect& r : rects)
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
    return false;
}
} // namespace

TEST(Outline, SeventeenBandsWithinBoundsNotchedAtTheEdges) {
    const auto& rects = OutlineRects();
    int top = 0;
    for (const Rect& r : rects) {
        EXPECT_GE(r.x, 0);
        EXPECT_LE(r.x + r.w, 600);
        EXPECT_EQ(r.y, top) << "bands follow each other without gap or overlap";
        top = r.y + r.h;
    }
    EXPECT_EQ(top, 199);
    EXPECT_TRUE(Inside(rects, 0, 30));
    EXPECT_TRUE(Inside(rects, 599, 100));
    for (int y : {14, 23, 176, 185}) {
        EXPECT_FALSE(Inside(rects, 0, y)) << y;
        EXPECT_FALSE(Inside(rects, 599, y)) << y;
        EXPECT_TRUE(Inside(rects, 300, y)) << y;
    }
    EXPECT_FALSE(Inside(rects, 0, 0)); // a rounded corner
}

TEST(Buttons, MainButtonsLieWithinTheWindow) {
    for (const auto& b : Buttons()) {
        EXPECT_LE(b.x + kButtonWidth, 600) << b.id;
        EXPECT_LE(b.y + kButtonHeight, 199) << b.id;
    }
}

TEST(QuitConfirmation, FirstCloseAsksF1ClosesF2Cancels) {
    LauncherState s;
    EXPECT_EQ(s.functionKey(1), Action::None); // function keys mean nothing when idle
    EXPECT_EQ(s.panel().text, "VELDIN\r\nSystem ready");
    EXPECT_EQ(s.closeRequest(), Action::Repaint);
    EXPECT_TRUE(s.busy());
    EXPECT_EQ(s.panel().text, "F1:YES, I want to quit.\r\nF2:NO, I still have something to do.\r\n");
    EXPECT_EQ(s.panel().captions[0], "QUIT!");
    EXPECT_EQ(s.escape(), Action::None); // ignored while busy
    EXPECT_EQ(s.functionKey(2), Action::Repaint);
    EXPECT_FALSE(s.busy() || s.quitting());
    EXPECT_EQ(s.panel().text, kReady);
    EXPECT_FALSE(s.panel().captions[0]);
    EXPECT_EQ(s.escape(), Action::Repaint); // idle again: Escape asks
    EXPECT_EQ(s.functionKey(1), Action::Close);

    LauncherState second;
    second.setQuitFlag(); // a second launcher closes without asking
    EXPECT_EQ(second.closeRequest(), Action::Close);
}

TEST(CommandLine, SplitsOnBlanksAndTabsAndGroupsQuotes) {
    EXPECT_EQ(SplitCommandLine("veldin -oT \"my disk.s55\"\tb.s55"),
              (std::vector<std::string>{"veldin", "-oT", "my disk.s55", "b.s55"}));
    EXPECT_TRUE(SplitCommandLine("veldin -oT \"my disk.s55").empty());
    EXPECT_EQ(SplitCommandLine("a \"\" b"), (std::vector<std::string>{"a", "", "b"}));
}

// Header bytes 4-7 and 12-15 of each disk kind, and the editor that opens it.
TEST(CommandLine, DiskKindPicksTheEditorOfAHeaderAndAFile) {
    struct Case {
        const char key4[5];
        std::array<std::uint8_t, 4> key12;
        int editor;
    };
    const Case cases[] = {
        {"S330", {'5', 'C', 0, 8}, kToneButton}, {"S-50", {'5', 'A', 0, 1}, kToneButton},
        {"S550", {'5', 'B', 0, 4}, kToneButton}, {"W-30", {6, 0, 0, 1}, kToneButton},
        {"W-30", {1, 0, 0, 0}, kToneButton},     {"W-30", {4, 0, 0, 2}, kMidiButton},
        {"S330", {'5', 'C', 0, 9}, 0}, // utility disk: no editor of ours
        {"S550", {'5', 'B', 0, 5}, 0}, // unknown
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 16> h{};
        std::copy_n(c.key4, 4, h.begin() + 4);
        std::copy(c.key12.begin(), c.key12.end(), h.begin() + 12);
        EXPECT_EQ(EditorForHeader(h), c.editor) << c.key4 << int(c.key12[3]);
    }
    EXPECT_EQ(EditorForHeader(std::span<const std::uint8_t>()), 0);
    for (auto [demo, editor] :
         {std::pair{"demo.s55", int(kToneButton)}, {"demo.sdk", kToneButton}, {"demo.sng", kMidiButton}})
        EXPECT_EQ(EditorForFile(veldin::test::DemoImage(demo)), editor) << demo;
    EXPECT_EQ(EditorForFile("/nonexistent/demo.s55"), 0);
}

// Files that exist open in the module of their option or, bare before any option, in the
// editor of their kind; without one to open, the usage shows (unless nothing was asked).
TEST(CommandLine, FilesOpenInTheChosenModuleOrTheEditorOfTheirKindOrShowUsage) {
    auto exists = [](const std::filesystem::path& p) { return p != "missing.s55" && p != "nothere.s55"; };
    auto kind = [](const std::filesystem::path& p) {
        return p.extension() == ".sng" ? int(kMidiButton) : p.extension() == ".txt" ? 0 : int(kToneButton);
    };
    struct Case {
        std::vector<std::string> args;
        std::vector<OpenRequest> opens;
        bool byKind = true;
        bool usage = opens.empty();
    };
    const Case cases[] = {
        {{"-oT", "a.s55", "missing.s55", "-oP", "b.sdk"}, {{kToneButton, "a.s55"}, {kPatchButton, "b.sdk"}}, false},
        {{"-oM", "", "a.s55"}, {}, false}, // stops at the first empty argument
        {{"-oT", "nothere.s55"}, {}, false},
        {{"a.s55"}, {}, false}, // no module chosen, no kind to ask
        {{}, {}, false, false},
        {{"--screenshot-like-option"}, {}, false, false},
        {{"a.s55"}, {{kToneButton, "a.s55"}}},
        {{"song.sng", "a.s55"}, {{kMidiButton, "song.sng"}, {kToneButton, "a.s55"}}},
        {{"notes.txt"}, {}},
        {{"missing.s55"}, {}},
        {{"song.sng", "-oP", "a.s55"}, {{kMidiButton, "song.sng"}, {kPatchButton, "a.s55"}}},
        {{"-oT", "song.sng"}, {{kToneButton, "song.sng"}}}, // the option wins over the kind
        {{"-oX", "a.s55"}, {}},
        {{"-oM", "-oX", "a.s55"}, {{kMidiButton, "a.s55"}}},
    };
    for (const Case& c : cases) {
        const auto r = c.byKind ? ParseCommandLine(c.args, exists, kind) : ParseCommandLine(c.args, exists);
        EXPECT_EQ(r.opens, c.opens) << testing::PrintToString(c.args);
        EXPECT_EQ(r.showUsage, c.usage) << testing::PrintToString(c.args);
    }
}
