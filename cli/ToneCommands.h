#pragma once
#include "cli/Cli.h"

namespace veldin::cli {

int RunTones(const Args& args, std::ostream& out, std::ostream& err);
int RunTone(const Args& args, std::ostream& out, std::ostream& err);

extern const std::string_view kTonesHelp;
extern const std::string_view kToneHelp;

} // namespace veldin::cli
