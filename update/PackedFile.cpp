#include "update/PackedFile.h"

#include <algorithm>
#include <string_view>

#include "core/Bytes.h"
#include "update/Crc32.h"
#include "update/Depack.h"
#include "update/Pack.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

constexpr std::string_view kMagic = "AP32";
constexpr std::size_t kShortHeader = 8;
constexpr std::size_t kSafeHeader = 24;

bool IsSafeForm(std::span<const std::uint8_t> file) {
    return file.size() >= kSafeHeader && ReadLe32(file.subspan(4)) == kSafeHeader &&
           ReadLe32(file.subspan(8)) == file.size() - kSafeHeader;
}

} // namespace

Result<PackedHeader> ReadPackedHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), file.begin()))
        return Fail(text::kNotApPacked);
    if (IsSafeForm(file)) return PackedHeader{PackedForm::Safe, ReadLe32(file.subspan(16)), kSafeHeader};
    if (file.size() < kShortHeader) return Fail(text::kPackedFileDamaged);
    return PackedHeader{PackedForm::Short, ReadLe32(file.subspan(4)), kShortHeader};
}

Result<std::vector<std::uint8_t>> UnpackFile(std::span<const std::uint8_t> file) {
    auto header = ReadPackedHeader(file);
    if (!header) return header.failure();
    const auto stream = file.subspan(header->streamOffset);
    if (header->form == PackedForm::Safe && Crc32(stream) != ReadLe32(file.subspan(12)))
        return Fail(text::kPackedFileDamaged);
    auto data = DepackAplib(stream, header->unpackedSize);
    if (!data) return data.failure();
    if (header->form == PackedForm::Safe && Crc32(*data) != ReadLe32(file.subspan(20)))
        return Fail(text::kPackedFileDamaged);
    return data;
}

std::vector<std::uint8_t> PackFile(std::span<const std::uint8_t> data, PackedForm form) {
    const std::vector<std::uint8_t> stream = PackAplib(data);
    const std::size_t headerSize = form == PackedForm::Safe ? kSafeHeader : kShortHeader;
    std::vector<std::uint8_t> file(headerSize);
    std::copy(kMagic.begin(), kMagic.end(), file.begin());
    const auto size = static_cast<std::uint32_t>(data.size());
    if (form == PackedForm::Safe) {
        WriteLe32(static_cast<std::uint32_t>(kSafeHeader), std::span(file).subspan(4));
        WriteLe32(static_cast<std::uint32_t>(stream.size()), std::span(file).subspan(8));
        WriteLe32(Crc32(stream), std::span(file).subspan(12));
        WriteLe32(size, std::span(file).subspan(16));
        WriteLe32(Crc32(data), std::span(file).subspan(20));
    } else {
        WriteLe32(size, std::span(file).subspan(4));
    }
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

} // namespace veldin::update
