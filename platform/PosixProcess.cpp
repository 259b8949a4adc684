#include "platform/PosixProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace veldin {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr auto kGrace = std::chrono::seconds(2); // between asking the formatter to end and forcing it

// Waits for the child without blocking; true once it has ended, with its status.
bool Reaped(pid_t pid, int& status) {
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            status = -1;
            return true; // not our child any more: nothing left to wait for
        }
        return false;
    }
}

int ExitCodeOf(int status) { return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

} // namespace

ProcessOutcome PosixProcessRunner::run(const std::vector<std::string>& argv, const std::atomic<bool>& stop) {
    ProcessOutcome outcome;
    if (argv.empty()) return outcome;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return outcome;
    outcome.started = true;

    int status = 0;
    while (!Reaped(pid, status)) {
        if (stop.load()) {
            outcome.stopped = true;
            ::kill(-pid, SIGTERM);
            const auto deadline = std::chrono::steady_clock::now() + kGrace;
            while (!Reaped(pid, status)) {
                if (std::chrono::steady_clock::now() > deadline) {
                    ::kill(-pid, SIGKILL);
                    while (!Reaped(pid, status)) std::this_thread::sleep_for(kPoll);
                    break;
                }
                std::this_thread::sleep_for(kPoll);
            }
            return outcome; // the exit code of a stopped formatter means nothing
        }
        std::this_thread::sleep_for(kPoll);
    }
    outcome.exitCode = ExitCodeOf(status);
    return outcome;
}

} // namespace veldin
