#pragma once
// The floppy worker: one thread at a time runs a floppy job (opening the drive, reading,
// writing, formatting) while the launcher's window stays live. The job reaches the
// window only through `onGui`: the call is queued to the window's thread and the worker
// waits for its answer, so it keeps the meaning of a message sent synchronously. A
// dialog may answer later (the Sector Invalid dialog, the file choosers), so the window
// goes on handling events while it is open.

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "core/SectorLoop.h"
#include "core/UserInteraction.h"

class QCheckBox;

namespace veldin::launcher {

class FloppyWorker {
public:
    explicit FloppyWorker(QObject* window) : window_(window) {}
    ~FloppyWorker() { abandon(); }
    FloppyWorker(const FloppyWorker&) = delete;
    FloppyWorker& operator=(const FloppyWorker&) = delete;

    // Runs `job` on the worker thread, then `done` on the window's thread.
    void run(std::function<void()> job, std::function<void()> done);

    // From the worker: runs `show(reply)` on the window's thread and waits until `reply`
    // is called (at once or when a dialog closes). `fallback` is the answer when the
    // window goes away first.
    template <class T>
    T onGui(std::function<void(std::function<void(T)> reply)> show, T fallback) {
        auto promise = std::make_shared<std::promise<T>>();
        auto answered = std::make_shared<std::atomic<bool>>(false);
        std::future<T> future = promise->get_future();
        QMetaObject::invokeMethod(
            window_,
            [show = std::move(show), promise, answered] {
                show([promise, answered](T value) {
                    if (!answered->exchange(true)) promise->set_value(std::move(value));
                });
            },
            Qt::QueuedConnection);
        while (future.wait_for(std::chrono::milliseconds(20)) == std::future_status::timeout)
            if (abandoned_) return fallback;
        return future.get();
    }

    // The window goes: nothing more is waited for, and the thread is joined.
    void abandon();

private:
    QObject* window_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> abandoned_{false};
};

// The interaction of the loop on the worker: messages and questions are shown by the
// window's own interaction, the Sector Invalid question by its dialog.
class WorkerInteraction final : public UserInteraction {
public:
    WorkerInteraction(FloppyWorker& worker, QWidget* window, UserInteraction& gui, SectorLoopControl& control)
        : worker_(worker), window_(window), gui_(gui), control_(control) {}
    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, veldin::Buttons buttons, Icon icon) override;

private:
    FloppyWorker& worker_;
    QWidget* window_;
    UserInteraction& gui_;
    SectorLoopControl& control_;
};

// "Invalid Sector - N": Retry (ctl2003), Ignore (ctl2004), "Abort operation" (ctl2005)
// and "Automatically ignore bad sectors" (ctl2006), which sets the loop's flag at once.
// Closed by its close box it answers Abort and clears the flag.
class SectorInvalidDialog final : public QDialog {
public:
    SectorInvalidDialog(std::string_view title, SectorLoopControl& control, QWidget* parent);
    Answer answer() const { return answer_; }

protected:
    void reject() override;

private:
    void answerWith(Answer a);
    SectorLoopControl& control_;
    QCheckBox* autoIgnore_;
    Answer answer_ = Answer::Abort;
};

} // namespace veldin::launcher
