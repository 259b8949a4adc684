#include "update/Url.h"

#include <algorithm>
#include <cctype>

namespace veldin::update {

std::string SchemeOf(std::string_view url) {
    const auto sep = url.find("://");
    if (sep == std::string_view::npos || sep == 0) return "";
    std::string scheme(url.substr(0, sep));
    const bool plain = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
    if (!plain) return "";
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return scheme;
}

std::string NormalizeUrl(std::string_view url) {
    if (SchemeOf(url).empty()) return "http://" + std::string(url);
    return std::string(url);
}

std::string_view FileNameOfUrl(std::string_view url) {
    const auto slash = url.find_last_of("/\\");
    return slash == std::string_view::npos ? url : url.substr(slash + 1);
}

std::string JoinUrl(std::string_view base, std::string_view name) {
    std::string url(base);
    if (!url.empty() && url.back() != '/' && url.back() != '\\') url += '/';
    url += name;
    return url;
}

} // namespace veldin::update
