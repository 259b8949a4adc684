#include "tests/support/Process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace veldin::test {
namespace {

ChildEnd WaitFor(int pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildEnd end;
    end.killed = WIFSIGNALED(status);
    end.signal = end.killed ? WTERMSIG(status) : 0;
    end.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return end;
}

} // namespace

ChildEnd RunInChild(const std::function<int()>& body) {
    const int pid = ::fork();
    if (pid == 0) ::_exit(body());
    return WaitFor(pid);
}

LiveChild::LiveChild(const std::function<bool()>& setUp) {
    int toParent[2], toChild[2];
    if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(toParent[0]);
        ::close(toChild[1]);
        const char ok = setUp() ? 1 : 0;
        if (::write(toParent[1], &ok, 1) != 1) ::_exit(3);
        char c;
        while (::read(toChild[0], &c, 1) > 0) {
        }
        ::_exit(0);
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    release_ = toChild[1];
    char ok = 0;
    ready_ = ::read(toParent[0], &ok, 1) == 1 && ok == 1;
    ::close(toParent[0]);
}

LiveChild::~LiveChild() {
    if (pid_ > 0) kill();
}

ChildEnd LiveChild::wait() {
    const ChildEnd end = WaitFor(pid_);
    pid_ = -1;
    return end;
}

ChildEnd LiveChild::release() {
    ::close(release_);
    release_ = -1;
    return wait();
}

ChildEnd LiveChild::kill() {
    ::kill(pid_, SIGKILL);
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    return wait();
}

} // namespace veldin::test
