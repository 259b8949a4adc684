// The kernel's PCM list as the device list reads it. Properties checked: any text is
// read without fault; every device named carries its "(hw:C,D)" address.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/AudioOutputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& name : veldin::ParseAlsaPcm(text))
        if (name.find(" (hw:") == std::string::npos || name.back() != ')') std::abort();
    return 0;
}
