#include <algorithm>
#include <array>
#include <iomanip>
#include <ostream>

#include "cli/Commands.h"
#include "core/DiskMemo.h"
#include "core/Geometry.h"
#include "core/ImageFile.h"

namespace veldin::cli {
namespace {

struct Area {
    std::string_view key;
    std::string_view label;
    long long count;
    long long sector;
};

std::vector<Area> AreasOf(const DiskDefinition& d) {
    std::vector<Area> areas;
    if (d.patchSector >= 0) areas.push_back({"patches", "Patches", d.patchCount, d.patchSector});
    if (d.toneSector >= 0) areas.push_back({"tones", "Tones (RAM)", d.toneCount, d.toneSector});
    if (d.toneSector2 >= 0) areas.push_back({"tones2", "Tones (ROM)", d.toneCount2, d.toneSector2});
    return areas;
}

DiskMemo MemoOf(const LoadedImage& image) {
    const auto& d = image.definition;
    std::array<std::uint8_t, 512> sector{};
    const auto offset = SectorToOffset(d.memoSector);
    if (d.memoSector >= 0 && offset >= 0 && offset + 512 <= kImageSize)
        std::copy_n(image.bytes.begin() + offset, 512, sector.begin());
    return DecodeMemo(d, sector);
}

void PrintJson(std::ostream& out, const std::string& path, const LoadedImage& image, const DiskMemo& memo) {
    const auto& d = image.definition;
    JsonWriter j(out);
    j.beginObject();
    j.key("file").value(path);
    j.key("sampler").value(d.samplerName);
    j.key("kind").value(d.kindName);
    j.key("extension").value(d.extension);
    j.key("title").value(memo.title);
    j.key("memo").beginObject();
    j.key("kind").value(static_cast<long long>(memo.kind));
    if (memo.kind == DiskMemo::Sound) {
        j.key("name").value(memo.name);
        j.key("lines").beginArray();
        for (const auto& l : memo.memoLines) j.value(l);
        j.endArray();
    } else if (memo.kind == DiskMemo::Lines) {
        j.key("lines").beginArray();
        for (const auto& l : memo.systemLines) j.value(l);
        j.endArray();
    }
    j.endObject();
    j.key("memoSector").value(static_cast<long long>(d.memoSector));
    j.key("hasSounds").value(d.hasSounds);
    j.key("hasSongs").value(d.hasSongs);
    j.key("isSystem").value(d.isSystem);
    j.key("areas").beginObject();
    for (const auto& a : AreasOf(d)) {
        j.key(a.key).beginObject();
        j.key("count").value(a.count);
        j.key("sector").value(a.sector);
        j.endObject();
    }
    if (d.hasSongs) {
        j.key("songs").beginObject();
        j.key("positions").value(static_cast<long long>(d.songSlots));
        j.key("clusters").value(static_cast<long long>(d.songAreaKb));
        j.endObject();
    }
    j.endObject();
    j.endObject();
}

void PrintText(std::ostream& out, const std::string& path, const LoadedImage& image, const DiskMemo& memo) {
    const auto& d = image.definition;
    const auto row = [&](std::string_view label) -> std::ostream& {
        return out << std::left << std::setw(12) << label;
    };
    row("Image:") << path << '\n';
    row("Sampler:") << d.samplerName << '\n';
    row("Kind:") << d.kindName << '\n';
    row("Extension:") << d.extension << '\n';
    row("Title:") << memo.title << '\n';
    if (memo.kind == DiskMemo::Sound) {
        row("Name:") << '"' << memo.name << "\"\n";
        for (std::size_t i = 0; i < memo.memoLines.size(); ++i)
            row(i == 0 ? "Memo:" : "") << '"' << memo.memoLines[i] << "\"\n";
    } else if (memo.kind == DiskMemo::Lines) {
        for (std::size_t i = 0; i < memo.systemLines.size(); ++i)
            row(i == 0 ? "Memo:" : "") << '"' << memo.systemLines[i] << "\"\n";
    } else {
        row("Memo:") << "(none)\n";
    }
    out << "Areas:\n";
    if (d.memoSector >= 0) out << "  " << std::setw(14) << "Memo" << "sector " << d.memoSector << '\n';
    for (const auto& a : AreasOf(d))
        out << "  " << std::setw(14) << a.label << a.count << " records from sector " << a.sector << '\n';
    if (d.hasSounds && d.toneSector >= 0)
        out << "  " << std::setw(14) << "Wave banks" << "A from sector " << kWaveBankA / kSectorSize << ", B from sector "
            << kWaveBankB / kSectorSize << ", " << kSegmentsPerBank << " segments each\n";
    if (d.hasSongs)
        out << "  " << std::setw(14) << "Songs" << d.songSlots << " positions, " << d.songAreaKb << " clusters of 1 KB\n";
}

} // namespace

int RunInfo(const Args& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    std::vector<std::string> paths;
    for (const auto& a : args) {
        if (a == "--json") json = true;
        else if (a.starts_with("-")) return UsageError(err, "info", "unknown option '" + a + "'");
        else paths.push_back(a);
    }
    if (paths.size() != 1) return UsageError(err, "info", "expects one IMAGE");
    auto image = LoadImageFile(paths[0]);
    if (!image) return Refuse(err, image.failure());
    const DiskMemo memo = MemoOf(*image);
    if (json) PrintJson(out, paths[0], *image, memo);
    else PrintText(out, paths[0], *image, memo);
    return kOk;
}

} // namespace veldin::cli
