#include "core/ImageFile.h"

#include <fstream>

#include "core/Geometry.h"
#include "core/Messages.h"

namespace veldin {

Result<DiskDefinition> CheckImageBytes(std::span<const std::uint8_t> bytes) {
    if (static_cast<std::int64_t>(bytes.size()) != kImageSize) return Fail(text::kInvalidSize);
    DiskDefinition def = ClassifyImage(bytes.first(kHeaderSize));
    if (def.isFallback()) return Fail(text::kNotRolandImage);
    return def;
}

Result<LoadedImage> LoadImageFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(path, ec)) return Fail(text::kCantOpenFile);
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::int64_t>(in.tellg());
    if (size != kImageSize) return Fail(text::kInvalidSize);
    in.seekg(0);
    LoadedImage image;
    image.bytes.resize(static_cast<std::size_t>(kImageSize));
    if (!in.read(reinterpret_cast<char*>(image.bytes.data()), kImageSize)) return Fail(text::kCantOpenFile);
    auto def = CheckImageBytes(image.bytes);
    if (!def) return def.failure();
    image.definition = *def;
    return image;
}

} // namespace veldin
