#pragma once
#include "cli/Cli.h"

namespace veldin::cli {

int RunPatches(const Args& args, std::ostream& out, std::ostream& err);
int RunPatch(const Args& args, std::ostream& out, std::ostream& err);

extern const std::string_view kPatchesHelp;
extern const std::string_view kPatchHelp;

} // namespace veldin::cli
