#pragma once
// Addresses of the update server. A base URL without a scheme gets "http://" in front.

#include <string>
#include <string_view>

namespace veldin::update {

std::string NormalizeUrl(std::string_view url);
// The scheme in lower case, without its colon ("http"); "" when there is none.
std::string SchemeOf(std::string_view url);
// The part after the last "/" or "\".
std::string_view FileNameOfUrl(std::string_view url);
// base + name, with a "/" between them when the base does not end in one.
std::string JoinUrl(std::string_view base, std::string_view name);

} // namespace veldin::update
