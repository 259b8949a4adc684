// Version markers in the bytes of installed and published files. Property checked: the
// version found is the first well-formed marker: a well-formed marker put after the
// input changes nothing when one was found, and is what is found when none was.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "update/FileVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const std::span<const std::uint8_t> in(data, size);
    const auto found = FindFileVersion(in);
    if (found && ParseVersion(found->toString()) != found) std::abort();
    const FileVersion tail = FileVersion::FromParts(static_cast<std::uint16_t>(size), 2, 3, 65535);
    std::vector<std::uint8_t> more(in.begin(), in.end());
    more.insert(more.end(), kVersionMarker.begin(), kVersionMarker.end());
    const std::string text = tail.toString();
    more.insert(more.end(), text.begin(), text.end());
    more.push_back(0);
    if (FindFileVersion(more) != (found ? *found : tail)) std::abort();
    return 0;
}
