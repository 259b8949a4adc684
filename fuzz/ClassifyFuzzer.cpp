// Classification and memo decoding of arbitrary first sectors. Properties checked:
// every input classifies; titles are clean and at most 60 characters; encoding a decoded
// memo gives back the same memo, and a sound memo leaves the sector as the decoder left
// it (the decoder has already blanked what the sampler cannot show). A line memo is read
// up to a NUL, so its first encoding may change bytes (what the sampler cannot show
// becomes a blank, a short line is padded with blanks), but only inside its three 31-byte
// lines; each line reads back as the text written, and from then on the memo is stable.
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
    if (!EncodeMemo(memo, row, again)) {
        if (again != sector) std::abort();
    } else if (memo.kind == DiskMemo::Sound) {
        if (again != sector || !(DecodeMemo(row, again) == memo)) std::abort();
    } else if (memo.kind == DiskMemo::Lines) {
        for (std::size_t i = 0; i < sector.size(); ++i) {
            const bool inLine = i >= 32 && i < 128 && i % 32 != 31;
            if (!inLine && again[i] != sector[i]) std::abort();
        }
        const DiskMemo second = DecodeMemo(row, again);
        for (std::size_t l = 0; l < memo.systemLines.size(); ++l) {
            std::string written(static_cast<std::size_t>(kSystemLineLength), ' ');
            for (std::size_t i = 0; i < std::min(written.size(), memo.systemLines[l].size()); ++i) {
                const char c = memo.systemLines[l][i];
                if (c >= 0x20 && c <= 0x7E) written[i] = c;
            }
            if (second.systemLines[l] != written) std::abort();
        }
        auto third = again;
        if (!EncodeMemo(second, row, third) || third != again || !(DecodeMemo(row, third) == second)) std::abort();
    }
    return 0;
}
