#pragma once
// Helpers of the window tests: finding the module frames a library opened, a frame whose
// file choosers the test answers from a queue, and the check of a single message.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "frame/ui/ModuleFrame.h"
#include "tests/support/GuiTestApp.h"
#include "tests/support/TestSupport.h"

namespace veldin::test {

// The visible frame of the module with this code ("ModuleFrame17" is the Tone Editor's).
inline ui::ModuleFrame* FrameOf(std::uint32_t code) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("ModuleFrame%1").arg(code) && w->isVisible())
            return static_cast<ui::ModuleFrame*>(w);
    return nullptr;
}

// Closes the frame of `code` if one is open and waits until it is gone, so that no frame
// of one test lives on into the next.
inline void CloseFrameOf(std::uint32_t code) {
    if (QPointer<ui::ModuleFrame> f = FrameOf(code)) {
        f->close();
        WaitFor([&] { return f.isNull(); });
    }
}

// A key pressed on a widget, as the user presses it.
inline void PressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

// Exactly one message or question was shown, with this text (and title, when given).
inline void ExpectOneMessage(const ScriptedUi& ui, std::string_view text, std::string_view title = {}) {
    ASSERT_EQ(ui.shown().size(), 1u) << (ui.shown().empty() ? std::string() : ui.shown().front().text);
    EXPECT_EQ(ui.shown()[0].text, text);
    if (!title.empty()) {
        EXPECT_EQ(ui.shown()[0].title, title);
    }
}

// A module frame on the offscreen platform whose file choosers take the queued answers
// (and cancel when none is left), recording every request.
class FrameFixture : public ::testing::Test {
protected:
    void makeFrame(ui::ModuleIdentity identity, ui::ViewFactory views) {
        frame = std::make_unique<ui::ModuleFrame>(identity, 0, BinDir(), std::move(views), &ui);
        frame->setFileChooser([this](QWidget*, const ui::FileRequest& r) -> std::optional<ui::FileChoice> {
            requests.push_back(r);
            if (answers.empty()) return std::nullopt;
            auto a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
    }
    void choose(const std::filesystem::path& p, int filter = 0) {
        answers.push_back({QString::fromStdString(p.string()), filter});
    }
    // Runs an enabled command as its menu entry does.
    void run(int id) {
        ASSERT_TRUE(frame->action(id)->isEnabled()) << id;
        frame->action(id)->trigger();
    }
    bool enabled(int id) const { return frame->action(id)->isEnabled(); }
    QString status(int part = 0) const { return frame->statusPart(part)->text(); }

    TempDir dir;
    ScriptedUi ui;
    std::unique_ptr<ui::ModuleFrame> frame;
    std::vector<ui::FileRequest> requests;
    std::vector<ui::FileChoice> answers;
};

} // namespace veldin::test
