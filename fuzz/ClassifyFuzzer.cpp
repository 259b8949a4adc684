// Classification and memo decoding of arbitrary first sectors. Properties checked:
// every input classifies; decoding a memo and encoding it again leaves the sector as the
// decoder left it; titles are clean and at most 60 characters.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/DiskDefinition.h"
#include "core/DiskMemo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    const std::span<const std::uint8_t> in(data, size);
    const DiskDefinition found = ClassifyImage(in);

    // The sector decoded is the input's first 512 bytes; the row is the one found, or,
    // for an unknown input, a row picked by the first byte so that all memo forms run.
    std::array<std::uint8_t, 512> sector{};
    std::copy_n(in.begin(), std::min<std::size_t>(size, 512), sector.begin());
    const auto table = DefinitionTable();
    const DiskDefinition row = found.isFallback() && size > 0 ? table[data[0] % table.size()] : found;

    const DiskMemo memo = DecodeMemo(row, sector);
    if (memo.title.size() > static_cast<std::size_t>(kMemoTitleMax)) std::abort();
    if (!memo.title.empty() && (memo.title.front() == ' ' || memo.title.back() == ' ')) std::abort();
    if (memo.title.find("  ") != std::string::npos) std::abort();

    auto again = sector;
    if (EncodeMemo(memo, row, again)) {
        if (memo.kind == DiskMemo::Sound && again != sector) std::abort();
        if (!(DecodeMemo(row, again) == memo) && memo.kind == DiskMemo::Sound) std::abort();
    } else if (again != sector) {
        std::abort();
    }
    return 0;
}
