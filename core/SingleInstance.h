#pragma once
// One launcher per installation. The launcher listens on a local socket whose name is
// derived from its installation directory; a second launcher, or the update client,
// finds it there. Messages are text lines:
//
//   "close\n"   close as if the user closed the window (which asks to save unsaved work);
//               the launcher answers "pid N\n" with its process id before it starts closing

#include <filesystem>
#include <string>
#include <string_view>

namespace veldin {

inline constexpr std::string_view kInstanceClose = "close\n";
inline constexpr std::string_view kInstancePidPrefix = "pid ";

// "veldin-" + 16 hexadecimal digits of the directory's absolute, normalised path, so that
// two installations never share a name and the same one always gets the same name.
std::string SingleInstanceName(const std::filesystem::path& installDir);

} // namespace veldin
