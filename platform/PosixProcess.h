#pragma once
// Child processes on POSIX systems. The child runs in a process group of its own, so
// that a stop ends the formatter together with the helpers it starts itself.

#include "core/ChildProcess.h"

namespace veldin {

class PosixProcessRunner final : public ChildProcessRunner {
public:
    ProcessOutcome run(const std::vector<std::string>& argv, const std::atomic<bool>& stop) override;
};

} // namespace veldin
