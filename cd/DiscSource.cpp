#include "cd/DiscSource.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "cd/CdMessages.h"

namespace veldin::cd {

Failure ReadError(int code) {
    constexpr std::string_view fmt = text::kReadErrorFormat;
    const auto at = fmt.find("%d");
    std::string s(fmt.substr(0, at));
    s += std::to_string(code);
    s += fmt.substr(at + 2);
    return Fail(s, Icon::Error);
}

Status MemoryDisc::readBlocks(std::uint64_t first, std::span<std::uint8_t> out) {
    const std::uint64_t blocks = out.size() / kBlockSize;
    if (first > blockCount() || blocks > blockCount() - first) return ReadError(EIO);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(first * kBlockSize), blocks * kBlockSize, out.begin());
    return {};
}

} // namespace veldin::cd
