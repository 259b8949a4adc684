// Packed files of any content. Properties checked: unpacking never reads or writes out of
// bounds (ASan), a success has exactly the stated size, and packing the input with our
// packer and unpacking it gives the input back.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "update/Depack.h"
#include "update/Pack.h"
#include "update/PackedFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const std::span<const std::uint8_t> in(data, size);
    constexpr std::size_t kCap = std::size_t{1} << 20; // keeps each run small

    auto header = ReadPackedHeader(in);
    if (header && header->unpackedSize <= kCap) {
        auto out = UnpackFile(in);
        if (out && out->size() != header->unpackedSize) std::abort();
    } else if (header) {
        auto out = DepackAplib(in.subspan(header->streamOffset), kCap);
        if (out && out->size() != kCap) std::abort();
    }

    const auto sample = in.first(std::min<std::size_t>(size, 4096));
    for (auto form : {PackedForm::Short, PackedForm::Safe}) {
        auto back = UnpackFile(PackFile(sample, form));
        if (!back || !std::equal(back->begin(), back->end(), sample.begin(), sample.end())) std::abort();
    }
    return 0;
}
