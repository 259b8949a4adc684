#pragma once
#include <span>

#include <memory>

#include "cli/Cli.h"

namespace veldin::update {
class UpdateBackend;
}

namespace veldin::cli {

int RunInfo(const Args& args, std::ostream& out, std::ostream& err);
int RunFloppy(const Args& args, std::ostream& out, std::ostream& err);
int RunCd(const Args& args, std::ostream& out, std::ostream& err);
int RunNew(const Args& args, std::ostream& out, std::ostream& err);
int RunConvert(const Args& args, std::ostream& out, std::ostream& err);
int RunMemo(const Args& args, std::ostream& out, std::ostream& err);
int RunRecover(const Args& args, std::ostream& out, std::ostream& err);
int RunUpdate(const Args& args, std::ostream& out, std::ostream& err);
int RunUnpack(const Args& args, std::ostream& out, std::ostream& err);

// The networking behind "update" is linked by the program, not by this library; tests
// hand in their own.
using UpdateBackendFactory = std::unique_ptr<update::UpdateBackend> (*)();
void SetUpdateBackendFactory(UpdateBackendFactory factory);

// Every command of the tool, in the order the usage text lists them.
std::span<const Command> AllCommands();

// Runs the tool as main() does, writing to the given streams; returns the exit code.
int Main(const Args& args, std::ostream& out, std::ostream& err);

} // namespace veldin::cli
