#pragma once
// What a second launcher tells the first over the local socket: one line per image to
// open, "open <button id> <path>\n", beside the update client's "close\n".

#include <optional>
#include <string>
#include <string_view>

#include "launcher/CommandLine.h"

namespace veldin::launcher {

std::string OpenLine(const OpenRequest& request);
// A line without its "\n"; none when it is not an open request for a module button.
std::optional<OpenRequest> ParseOpenLine(std::string_view line);

} // namespace veldin::launcher
