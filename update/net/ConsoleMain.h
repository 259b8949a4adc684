#pragma once
// The update program on a terminal ("update --console ..."); the window is the default.

#include <string_view>

namespace veldin::update {

int ConsoleMain(int argc, char** argv);
std::string_view UpdateUsage();

} // namespace veldin::update
