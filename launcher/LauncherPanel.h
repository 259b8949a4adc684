#pragma once
// The launcher window as plain data and rules: the outline of 17 rectangles, the buttons
// with their positions and tooltips, the panel text with its alignment and the five
// F-key captions, and the idle / quit-confirmation states. The window draws this and
// forwards keys and clicks here.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veldin::launcher {

inline constexpr int kWindowWidth = 600;
inline constexpr int kWindowHeight = 200;

struct Rect {
    int x, y, w, h;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The window's outline: 600 x 199 with notched left and right edges between y 13-25
// and 175-187, and rounded corners, as 17 rectangles.
const std::array<Rect, 17>& OutlineRects();

// The panel inside the window, and the F-key caption boxes inside it (window coordinates).
inline constexpr Rect kPanelRect{56, 59, 300, 101};
Rect CaptionBox(int index); // 0-4

inline constexpr int kButtonWidth = 50;
inline constexpr int kButtonHeight = 24;

struct ButtonInfo {
    int id;
    int x, y;
    std::string_view tooltip;
    std::string_view label; // what the button face says
};
const std::vector<ButtonInfo>& Buttons();

enum class Align { LeftTop = 0, Centre = 1, Right = 2 };

inline constexpr std::string_view kReady = "VELDIN\r\nSystem ready";
inline constexpr std::string_view kQuitYes = "YES, I want to quit.";
inline constexpr std::string_view kQuitNo = "NO, I still have something to do.";
inline constexpr std::string_view kQuitCaption = "QUIT!";
inline constexpr std::string_view kCancelCaption = "CANCEL";

// The panel's lines. Its texts break lines with "\r\n" and, in the floppy texts, with
// "\n\r"; either pair, or a lone "\r" or "\n", is one break.
std::vector<std::string> PanelLines(std::string_view text);

struct PanelContent {
    std::string text;
    Align align = Align::Centre;
    std::array<std::optional<std::string>, 5> captions;
};

// What the window must do after a key or a close request.
enum class Action { None, Close, Repaint };

class LauncherState {
public:
    LauncherState() { showReady(); }

    const PanelContent& panel() const { return panel_; }
    bool busy() const { return busy_; }
    bool quitting() const { return quit_; }
    void setBusy(bool on) { busy_ = on; }
    // A second launcher found this one: close without asking.
    void setQuitFlag() { quit_ = true; }

    void showReady();
    void setText(std::string text, Align align);
    void clearText();
    // The F-key captions of a floppy stage (empty: no caption box).
    void setCaptions(const std::array<std::string_view, 5>& captions);

    // The close box, the Exit button, Escape, F1 of the confirmation: Close when the
    // window really goes, otherwise the confirmation is shown.
    Action closeRequest();
    Action escape();            // a close request unless busy
    Action functionKey(int n);  // F1-F5 (1-5)

private:
    PanelContent panel_;
    bool busy_ = false;
    bool quit_ = false;
    bool confirming_ = false;
};

} // namespace veldin::launcher
