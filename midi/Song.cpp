#include "midi/Song.h"

#include <algorithm>

#include "core/Bytes.h"

namespace veldin::midi {

std::uint32_t SlotCount(std::span<const std::uint8_t> sector) {
    return (static_cast<std::uint32_t>(sector[4]) << 24) | (static_cast<std::uint32_t>(sector[5]) << 16) |
           (static_cast<std::uint32_t>(sector[6]) << 8) | sector[7];
}

bool is_song(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kMinSongSize && bytes[1] == kBlockHeader && SlotCount(bytes) == kSlotsPerSector;
}

std::string TrimBlanks(std::string s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.back())) s.pop_back();
    const auto first = std::find_if_not(s.begin(), s.end(), blank);
    s.erase(s.begin(), first);
    return s;
}

SongHeader read_song_header(std::span<const std::uint8_t> song) {
    SongHeader h;
    const auto text = [&](std::size_t at, std::size_t n) {
        std::string s(song.begin() + static_cast<std::ptrdiff_t>(at), song.begin() + static_cast<std::ptrdiff_t>(at + n));
        std::replace(s.begin(), s.end(), '\0', ' ');
        return s;
    };
    h.name = TrimBlanks(text(kHdrName, 28));
    h.sectors = ReadLe32(song.subspan(kHdrSectors, 4));
    h.tempo = ReadLe16(song.subspan(kHdrTempo, 2));
    h.measures = static_cast<std::uint16_t>((song[kHdrMeasures] << 8) | song[kHdrMeasures + 1]);
    h.timeSignature = {song[kHdrTimeSig], ReadLe16(song.subspan(kHdrTimeSig + 1, 2))};
    for (std::size_t t = 0; t < 16; ++t) {
        h.trackNames[t] = text(kHdrTrackNames + 8 * t, 8);
        h.volumes[t] = song[kHdrVolumes + t];
    }
    for (std::size_t t = 0; t < 8; ++t) h.patches[t] = song[kHdrPatches + t];
    return h;
}

void ForEachBlock(std::span<const std::uint8_t> song, std::uint32_t sectors,
                  const std::function<std::uint32_t(std::uint8_t, std::uint32_t)>& visit) {
    const std::uint32_t available = static_cast<std::uint32_t>(song.size() / kSongSector);
    sectors = std::min(sectors, available);
    std::uint32_t s = 0;
    while (s < sectors) {
        const std::uint32_t used = visit(song[s * kSongSector + 1], s);
        s += std::max<std::uint32_t>(used, 1);
    }
}

} // namespace veldin::midi
