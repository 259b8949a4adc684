// The stored undo state of a session file, as recovery reads it from any file named like
// a session. Properties checked: only 536-byte inputs decode; a decoded state encodes
// again and decodes to the same state; an input with zero padding encodes to itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/UndoState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    const std::span<const std::uint8_t> in(data, size);
    const auto state = DecodeUndoState(in);
    if (!state) return 0;
    if (size != kUndoStateSize) std::abort();
    const auto stored = EncodeUndoState(*state);
    if (!stored) std::abort();
    const auto again = DecodeUndoState(*stored);
    if (!again || !(*again == *state)) std::abort();

    // Where the input is zero after each path's closing zero, it is the encoding.
    const auto paddedWithZeros = [&](std::size_t at, std::size_t length) {
        const auto field = in.subspan(at, length);
        const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
        return std::all_of(end, field.end(), [](std::uint8_t b) { return b == 0; });
    };
    if (paddedWithZeros(8, kUndoStatePathField) && paddedWithZeros(268, kUndoStatePathField) &&
        !std::equal(stored->begin(), stored->end(), in.begin()))
        std::abort();
    return 0;
}
