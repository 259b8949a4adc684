#pragma once
// A disc held as an image file: 2,048-byte sectors (".iso"), or raw 2,352-byte Mode 1
// sectors (".bin", ".img"), told apart by the sync pattern at the start of the file,
// whatever the file is called.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cd/DiscSource.h"
#include "core/Result.h"

namespace veldin::platform {

enum class DiscImageFormat { Iso, RawMode1 };

class DiscImageFile final : public cd::DiscSource {
public:
    // Fails with "Couldn't open file!".
    static Result<std::unique_ptr<DiscImageFile>> open(const std::filesystem::path& path);

    DiscImageFormat format() const { return format_; }
    std::size_t sectorSize() const;
    std::uint64_t blockCount() override { return blocks_; }
    // A raw sector that is not Mode 1, and any read past the end or short read, fails
    // with the read-error text (EIO when the system gives no number).
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override;

private:
    DiscImageFile(std::ifstream in, DiscImageFormat format, std::uint64_t blocks)
        : in_(std::move(in)), format_(format), blocks_(blocks) {}
    std::ifstream in_;
    DiscImageFormat format_;
    std::uint64_t blocks_;
    std::vector<std::uint8_t> raw_;
};

} // namespace veldin::platform
