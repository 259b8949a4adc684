#pragma once
#include <filesystem>

#include "cli/Cli.h"

namespace veldin::cli {

int RunTones(const Args& args, std::ostream& out, std::ostream& err);
int RunTone(const Args& args, std::ostream& out, std::ostream& err);

extern const std::string_view kTonesHelp;
extern const std::string_view kToneHelp;

// Where "default.ston" is looked for: --main-dir, else VELDIN_MAIN_DIR, else the folder
// of the program (set by main()), else the current folder.
void SetProgramPath(const std::filesystem::path& argv0);

} // namespace veldin::cli
