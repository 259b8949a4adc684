#include "cd/SoundAreaExport.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <random>
#include <string>

#include "core/FileRead.h"
#include "cd/CdMessages.h"
#include "core/Bytes.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/SamplePacking.h"

namespace veldin::cd {
namespace {

constexpr std::array<FamilyInfo, 4> kFamilies{{
    {SamplerFamily::W30, "w30", "Roland W30 (*.sdk)", "W30.dat", "sdk"},
    {SamplerFamily::S50, "s50", "Roland S-50 (*.s50)", "S50.dat", "s50"},
    {SamplerFamily::S330, "s330", "Roland S330 (*.s33)", "S330.dat", "s33"},
    {SamplerFamily::S550, "s550", "Roland S550 (*.s55)", "S550.dat", "s55"},
}};

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    auto bytes = ReadFileBytes(path);
    if (!bytes) return false;
    out = std::move(bytes).value();
    return true;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    std::random_device rd;
    return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(rd()) + ".tmp");
}

} // namespace

std::span<const FamilyInfo> Families() { return kFamilies; }

const FamilyInfo& InfoOf(SamplerFamily family) {
    return *std::find_if(kFamilies.begin(), kFamilies.end(), [&](const auto& f) { return f.family == family; });
}

const FamilyInfo* FindFamily(std::string_view option) {
    for (const auto& f : kFamilies)
        if (f.option == option) return &f;
    return nullptr;
}

std::vector<std::uint8_t> BuildSoundAreaImage(std::span<const std::uint8_t> templateBytes,
                                              std::span<const std::uint8_t> area) {
    const std::size_t params = std::min<std::size_t>(area.size(), kParameterBytes);
    const auto samples = area.subspan(params);
    const std::size_t wordCount = samples.size() / 2;

    std::vector<std::uint8_t> image;
    image.reserve(std::max(templateBytes.size() + params + PackedSize(wordCount), static_cast<std::size_t>(kImageSize)));
    image.insert(image.end(), templateBytes.begin(), templateBytes.end());
    image.insert(image.end(), area.begin(), area.begin() + static_cast<std::ptrdiff_t>(params));
    // Samples go through a small buffer of words (an even count, so that pairs stay
    // together) rather than a second copy of the whole wave.
    std::array<std::uint16_t, 4096> words{};
    std::array<std::uint8_t, PackedSize(4096)> packed{};
    for (std::size_t done = 0; done < wordCount;) {
        const std::size_t n = std::min(words.size(), wordCount - done);
        for (std::size_t i = 0; i < n; ++i)
            words[i] = ReadLe16(samples.subspan(2 * (done + i), 2));
        const std::size_t bytes = PackSamples12(std::span(words).first(n), packed);
        image.insert(image.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(bytes));
        done += n;
    }
    // Editors open only whole images; what the area does not fill is silence.
    if (image.size() < static_cast<std::size_t>(kImageSize)) image.resize(static_cast<std::size_t>(kImageSize), 0);
    return image;
}

Status WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    const auto temp = TemporaryBeside(target);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (out) out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return Fail(text::kCantCreateFile, Icon::Error);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return Fail(text::kCantCreateFile, Icon::Error);
    }
    return {};
}

Result<std::vector<std::uint8_t>> ReadTemplate(const std::filesystem::path& mainDir, SamplerFamily family) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(FindDataFile(mainDir, InfoOf(family).templateFile), bytes)) return Fail(text::kCantCopyTemplate, Icon::Error);
    return bytes;
}

Status WriteSoundArea(DiscSource& disc, const SoundRecord& sound, std::span<const std::uint8_t> templateBytes,
                      const std::filesystem::path& target, const ReadProgress& progress) {
    if (auto st = CheckSoundArea(sound, disc.blockCount() * kUnitsPerBlock); !st) return st;
    auto area = ReadUnits(disc, sound.firstUnit, sound.units, progress);
    if (!area) return area.failure();
    return WriteFileAtomically(target, BuildSoundAreaImage(templateBytes, *area));
}

Status ExportSoundArea(DiscSource& disc, const SoundRecord& sound, SamplerFamily family,
                       const std::filesystem::path& mainDir, const std::filesystem::path& target,
                       const ReadProgress& progress) {
    if (auto st = CheckSoundArea(sound, disc.blockCount() * kUnitsPerBlock); !st) return st;
    auto templateBytes = ReadTemplate(mainDir, family);
    if (!templateBytes) return templateBytes.failure();
    return WriteSoundArea(disc, sound, *templateBytes, target, progress);
}

std::string FileNameOf(std::string_view listText) {
    std::string name(listText);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view(":\\/,?*<>\"|").find(c) != std::string_view::npos) c = '_';
    }
    if (name.empty()) return "NoName";
    // A leading dot would hide the file; "." and ".." are not names at all.
    if (name.front() == '.') name.front() = '_';
    return name;
}

} // namespace veldin::cd
