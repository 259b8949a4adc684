#include "launcher/LauncherPanel.h"

#include "launcher/ModuleHost.h"

namespace veldin::launcher {

const std::array<Rect, 17>& OutlineRects() {
    // Corners cut in four steps; each notch 6 pixels deep with a one-pixel shoulder.
    static const std::array<Rect, 17> rects = {{
        {4, 0, 592, 1}, {3, 1, 594, 1}, {2, 2, 596, 1}, {1, 3, 598, 1},
        {0, 4, 600, 9},
        {2, 13, 596, 1}, {6, 14, 588, 10}, {2, 24, 596, 1},
        {0, 25, 600, 150},
        {2, 175, 596, 1}, {6, 176, 588, 10}, {2, 186, 596, 1},
        {0, 187, 600, 8},
        {1, 195, 598, 1}, {2, 196, 596, 1}, {3, 197, 594, 1}, {4, 198, 592, 1},
    }};
    return rects;
}

Rect CaptionBox(int index) { return Rect{59 + 60 * index, 145, 54, 12}; }

const std::vector<ButtonInfo>& Buttons() {
    static const std::vector<ButtonInfo> buttons = {
        {50, 517, 51, "Exit Application", "EXIT"},
        {51, 400, 51, "Configuration", "CONFIG"},
        {52, 457, 51, "Help", "HELP"},
        {53, 400, 113, "Floppy functions", "FLOPPY"},
        {kCdButton, 457, 113, "CD Editor", "CD"},
        {55, 517, 113, "Online Update", "UPDATE"},
        {kToneButton, 400, 174, "Tone Editor", "TONE"},
        {kPatchButton, 457, 174, "Patch Editor", "PATCH"},
        {kMidiButton, 517, 174, "MIDI Editor", "MIDI"},
        {61, 69, 174, "F1 button", "F1"},
        {62, 129, 174, "F2 button", "F2"},
        {63, 189, 174, "F3 button", "F3"},
        {64, 249, 174, "F4 button", "F4"},
        {65, 309, 174, "F5 button", "F5"},
    };
    return buttons;
}

void LauncherState::showReady() {
    panel_.text = std::string(kReady);
    panel_.align = Align::Centre;
    panel_.captions = {};
}

void LauncherState::setText(std::string text, Align align) {
    panel_.text = std::move(text);
    panel_.align = align;
}

void LauncherState::clearText() { panel_.text.clear(); }

void LauncherState::setCaptions(const std::array<std::string_view, 5>& captions) {
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (captions[i].empty()) panel_.captions[i].reset();
        else panel_.captions[i] = std::string(captions[i]);
    }
}

std::vector<std::string> PanelLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            lines.back() += c;
            continue;
        }
        // The other half of a pair belongs to this break.
        if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) ++i;
        lines.emplace_back();
    }
    return lines;
}

Action LauncherState::closeRequest() {
    if (quit_) return Action::Close;
    busy_ = true;
    quit_ = true;
    confirming_ = true;
    panel_.text = "F1:" + std::string(kQuitYes) + "\r\nF2:" + std::string(kQuitNo) + "\r\n";
    panel_.align = Align::LeftTop;
    panel_.captions = {};
    panel_.captions[0] = std::string(kQuitCaption);
    panel_.captions[1] = std::string(kCancelCaption);
    return Action::Repaint;
}

Action LauncherState::escape() { return busy_ ? Action::None : closeRequest(); }

Action LauncherState::functionKey(int n) {
    if (!confirming_) return Action::None; // the floppy stages give the keys their meaning
    if (n == 1) return closeRequest();
    if (n == 2) {
        confirming_ = false;
        quit_ = false;
        busy_ = false;
        showReady();
        return Action::Repaint;
    }
    return Action::None;
}

} // namespace veldin::launcher
