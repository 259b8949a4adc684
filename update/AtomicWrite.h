#pragma once
// Replacing an installed file so that it is either the old file or the whole new one,
// never a part: the bytes go to a new file beside it, are flushed, and the new file is
// renamed over the old. The new file keeps the old one's permissions; a program (ELF or
// "#!" script) is made executable.

#include <cstdint>
#include <filesystem>
#include <span>

namespace veldin::update {

bool ReplaceFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

} // namespace veldin::update
