// The typed proxy address. Property checked: an address that parses has a host without
// blanks or slashes and a port 1..65535, and written as "host:port" it parses to itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/Connection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const auto a = ParseProxy(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!a) return 0;
    if (a->host.empty() || a->host.find_first_of(" /") != std::string::npos || a->port == 0) std::abort();
    const std::string again = a->host + ":" + std::to_string(a->port);
    if (again.size() > 99) return 0; // only the first 99 characters are read
    const auto b = ParseProxy(again);
    if (!b || b->host != a->host || b->port != a->port) std::abort();
    return 0;
}
