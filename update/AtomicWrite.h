#pragma once
// Replacing an installed file so that it is either the old file or the whole new one,
// never a part: the bytes go to a new file beside it, are flushed, and the new file is
// renamed over the old. The new file keeps the old one's permissions; a program (ELF or
// "#!" script) is made executable. A file new to its folder gets `newFileMode` when one is
// given (the mode it was published with), without write permission for group and others
// so that no other user can change an installed program; otherwise rw-r--r--, executable
// for a program.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace veldin::update {

bool ReplaceFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                           std::optional<std::uint32_t> newFileMode = std::nullopt);

} // namespace veldin::update
