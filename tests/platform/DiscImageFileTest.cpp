#include <gtest/gtest.h>

#include "cd/CdTables.h"
#include "cd/RawSector.h"
#include "cd/SyntheticDisc.h"
#include "core/Messages.h"
#include "platform/DiscImageFile.h"
#include "tests/support/TestSupport.h"

namespace veldin::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

const cd::SyntheticDisc& Disc() {
    static const cd::SyntheticDisc disc = cd::BuildSyntheticDisc();
    return disc;
}

struct Images {
    test::TempDir dir;
    fs::path iso = dir / "disc.iso";
    fs::path raw = dir / "disc.bin";
    Images() {
        test::WriteFile(iso, Disc().iso);
        test::WriteFile(raw, cd::ToRawImage(Disc().iso));
    }
};

std::unique_ptr<DiscImageFile> Open(const fs::path& p) {
    auto r = DiscImageFile::open(p);
    if (!r) throw std::runtime_error(r.failure().text);
    return std::move(r).value();
}

Bytes ReadAll(DiscImageFile& f, std::size_t blocksPerRead) {
    Bytes all(f.blockCount() * cd::kBlockSize);
    for (std::uint64_t b = 0; b < f.blockCount(); b += blocksPerRead) {
        const std::size_t n = std::min<std::uint64_t>(blocksPerRead, f.blockCount() - b);
        const auto st = f.readBlocks(b, std::span(all).subspan(b * cd::kBlockSize, n * cd::kBlockSize));
        if (!st) throw std::runtime_error(st.failure().text);
    }
    return all;
}

TEST(DiscImageFile, IsoAndRawGiveTheSameBlocksWhateverTheirNames) {
    Images images;
    fs::rename(images.raw, images.dir / "raw.iso"); // the format is told by content, not by name
    fs::rename(images.iso, images.dir / "plain.bin");
    auto iso = Open(images.dir / "plain.bin");
    auto raw = Open(images.dir / "raw.iso");
    EXPECT_EQ(std::tuple(iso->format(), iso->sectorSize()), std::tuple(DiscImageFormat::Iso, 2048u));
    EXPECT_EQ(std::tuple(raw->format(), raw->sectorSize()), std::tuple(DiscImageFormat::RawMode1, 2352u));
    EXPECT_EQ(std::tuple(iso->blockCount(), raw->blockCount()),
              std::tuple(Disc().iso.size() / cd::kBlockSize, iso->blockCount()));
    for (std::size_t piece : {1, 7, 33, 1000}) {
        SCOPED_TRACE(piece);
        EXPECT_EQ(ReadAll(*iso, piece), Disc().iso);
        EXPECT_EQ(ReadAll(*raw, piece), Disc().iso);
    }
}

TEST(DiscImageFile, ANonModeOneRawSectorFailsItsRead) {
    Images images;
    Bytes raw = test::ReadFile(images.raw);
    raw[3 * cd::kRawSectorSize + 15] = 2; // block 3 says Mode 2
    test::WriteFile(images.raw, raw);
    auto f = Open(images.raw);
    Bytes block(cd::kBlockSize);
    EXPECT_TRUE(f->readBlocks(2, block).ok());
    const auto st = f->readBlocks(3, block);
    EXPECT_EQ(st.ok() ? "" : st.failure().text, "Errorcode: 5\r\n\r\n");
    Bytes two(2 * cd::kBlockSize);
    EXPECT_FALSE(f->readBlocks(2, two).ok());
}

TEST(DiscImageFile, ReadsPastTheEndFail) {
    Images images;
    Bytes raw = test::ReadFile(images.raw);
    raw.resize(raw.size() - 100); // the last sector is cut short and is no block
    test::WriteFile(images.raw, raw);
    auto f = Open(images.raw);
    EXPECT_EQ(f->blockCount(), Disc().iso.size() / cd::kBlockSize - 1);
    Bytes block(cd::kBlockSize);
    EXPECT_TRUE(f->readBlocks(f->blockCount() - 1, block).ok());
    EXPECT_FALSE(f->readBlocks(f->blockCount(), block).ok() || f->readBlocks(~0ull, block).ok());
}

TEST(DiscImageFile, OpenFailures) {
    test::TempDir dir;
    for (const fs::path& p : {dir / "missing.iso", dir.path()}) {
        const auto r = DiscImageFile::open(p);
        EXPECT_EQ(r.ok() ? "" : r.failure().text, text::kCantOpenFile);
    }
    // An empty file opens as a disc without blocks; reading it fails.
    test::WriteFile(dir / "empty.iso", {});
    auto f = Open(dir / "empty.iso");
    EXPECT_EQ(f->blockCount(), 0u);
    EXPECT_EQ(cd::LoadTables(*f).failure().text, "Errorcode: 5\r\n\r\n");
}

} // namespace
} // namespace veldin::platform
