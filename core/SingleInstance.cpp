#include "core/SingleInstance.h"

#include <cstdint>
#include <cstdio>

namespace veldin {

std::string SingleInstanceName(const std::filesystem::path& installDir) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(installDir, ec), ec);
    if (ec) p = installDir.lexically_normal();
    std::string text = p.generic_string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    std::uint64_t h = 14695981039346656037ull; // FNV-1a, 64 bits
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return "veldin-" + std::string(buf);
}

} // namespace veldin
