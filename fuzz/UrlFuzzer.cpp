// The update server's address helpers on a base and a name (split at the first NUL).
// Property checked: a normalised address has a scheme and normalising it again changes
// nothing; the file name of an address is its end and holds no separator; a name joined
// to a base follows the base and is the joined address's file name.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = std::min(in.find('\0'), in.size());
    const std::string_view base = in.substr(0, cut);
    const std::string_view name = cut < in.size() ? in.substr(cut + 1) : std::string_view{};

    const std::string url = NormalizeUrl(base);
    if (SchemeOf(url).empty() || NormalizeUrl(url) != url) std::abort();
    if (!SchemeOf(base).empty() && url != base) std::abort();
    const std::string_view file = FileNameOfUrl(base);
    if (!base.ends_with(file) || file.find_first_of("/\\") != std::string_view::npos) std::abort();
    const std::string joined = JoinUrl(url, name);
    if (!std::string_view(joined).starts_with(url)) std::abort();
    if (name.find_first_of("/\\") == std::string_view::npos && FileNameOfUrl(joined) != name) std::abort();
    return 0;
}
