#pragma once
// Running an external program (the floppy formatter) as a child process that the user
// can stop while it runs. The platform layer implements it.

#include <atomic>
#include <string>
#include <vector>

namespace veldin {

struct ProcessOutcome {
    bool started = false; // false: the program could not be run at all (not installed)
    bool stopped = false; // ended because the stop request was set
    int exitCode = -1;    // the program's exit status; -1 when it did not exit by itself
};

class ChildProcessRunner {
public:
    virtual ~ChildProcessRunner() = default;

    // Runs argv[0] (looked up on the search path) with the other entries as arguments and
    // waits until it ends. When `stop` becomes true meanwhile, the program and whatever it
    // started are ended and the outcome says `stopped`.
    virtual ProcessOutcome run(const std::vector<std::string>& argv, const std::atomic<bool>& stop) = 0;
};

} // namespace veldin
