#pragma once
// Child processes for the tests of crashes and of sessions held by another process.

#include <functional>

namespace veldin::test {

struct ChildEnd {
    bool killed = false; // ended by a signal
    int signal = 0;
    int code = 0; // exit status when not killed
};

// Runs `body` in a forked child, whose exit status is body's result; waits for it.
ChildEnd RunInChild(const std::function<int()>& body);

// A child that runs `setUp`, tells the parent it is ready and then waits until it is
// released (it then exits with 0) or killed.
class LiveChild {
public:
    explicit LiveChild(const std::function<bool()>& setUp);
    ~LiveChild();
    LiveChild(const LiveChild&) = delete;
    LiveChild& operator=(const LiveChild&) = delete;

    bool ready() const { return ready_; } // setUp succeeded
    ChildEnd release();                   // lets it exit normally
    ChildEnd kill();                      // SIGKILL

private:
    ChildEnd wait();
    int pid_ = -1;
    int release_ = -1; // write end: closing it releases the child
    bool ready_ = false;
};

} // namespace veldin::test
