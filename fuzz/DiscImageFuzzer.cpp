// Disc image files of any content. The first byte's low bit stamps the sync pattern at
// the start of every 2,352-byte piece (so that raw sectors are read); the rest is the
// file. Properties checked: a file is raw exactly when it starts with the sync pattern,
// and has as many blocks as whole sectors; a block reads exactly when it exists (and,
// raw, is a Mode 1 sector), and gives the sector's user data; a read of several blocks
// succeeds exactly when each of them does and gives the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

#include "cd/RawSector.h"
#include "platform/DiscImageFile.h"

namespace {

constexpr std::uint8_t kSync[veldin::cd::kSyncSize] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};

// One file of this process, removed when it ends.
struct ScratchFile {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("veldin-fuzz-disc-" + std::to_string(::getpid()) + ".bin");
    ~ScratchFile() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    using veldin::cd::kBlockSize;
    using veldin::cd::kRawSectorSize;
    static const ScratchFile scratch;
    if (size == 0) return 0;
    std::vector<std::uint8_t> file(data + 1, data + size);
    if (data[0] & 1)
        for (std::size_t at = 0; at + sizeof kSync <= file.size(); at += kRawSectorSize)
            std::copy(std::begin(kSync), std::end(kSync), file.begin() + static_cast<std::ptrdiff_t>(at));
    {
        std::ofstream out(scratch.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (!out) return 0;
    }
    auto disc = platform::DiscImageFile::open(scratch.path);
    if (!disc) std::abort();
    const bool raw = file.size() >= sizeof kSync && std::equal(std::begin(kSync), std::end(kSync), file.begin());
    if (raw != ((*disc)->format() == platform::DiscImageFormat::RawMode1)) std::abort();
    const std::size_t sector = raw ? kRawSectorSize : kBlockSize;
    const std::uint64_t blocks = (*disc)->blockCount();
    if (blocks != file.size() / sector) std::abort();

    std::vector<std::uint8_t> one(kBlockSize);
    std::vector<std::uint8_t> expected;
    bool allRead = true;
    for (std::uint64_t b = 0; b <= blocks; ++b) {
        const bool ok = (*disc)->readBlocks(b, one).ok();
        const std::size_t at = static_cast<std::size_t>(b) * sector;
        const bool exists = b < blocks && (!raw || (std::equal(std::begin(kSync), std::end(kSync), file.begin() +
                                                               static_cast<std::ptrdiff_t>(at)) &&
                                                    file[at + 15] == 1));
        if (ok != exists) std::abort();
        if (b == blocks) break;
        allRead = allRead && ok;
        if (!ok) continue;
        const auto from = file.begin() + static_cast<std::ptrdiff_t>(at + (raw ? cd::kUserDataOffset : 0));
        if (!std::equal(one.begin(), one.end(), from)) std::abort();
        expected.insert(expected.end(), from, from + kBlockSize);
    }
    std::vector<std::uint8_t> all(static_cast<std::size_t>(blocks) * kBlockSize);
    if ((*disc)->readBlocks(0, all).ok() != allRead) std::abort();
    if (allRead && all != expected) std::abort();
    return 0;
}
