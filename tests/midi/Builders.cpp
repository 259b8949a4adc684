#include "tests/midi/Builders.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace veldin::test {

Bytes Vlq(std::uint32_t v) {
    Bytes out{static_cast<std::uint8_t>(v & 0x7F)};
    while ((v >>= 7) != 0) out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
    return out;
}

TrackBuilder& TrackBuilder::delta(std::uint32_t d) {
    const Bytes v = Vlq(d);
    events_.insert(events_.end(), v.begin(), v.end());
    return *this;
}

TrackBuilder& TrackBuilder::raw(std::initializer_list<std::uint8_t> bytes) {
    events_.insert(events_.end(), bytes.begin(), bytes.end());
    return *this;
}

TrackBuilder& TrackBuilder::meta(std::uint32_t d, std::uint8_t type, const Bytes& data) {
    delta(d).raw({0xFF, type});
    const Bytes len = Vlq(static_cast<std::uint32_t>(data.size()));
    events_.insert(events_.end(), len.begin(), len.end());
    events_.insert(events_.end(), data.begin(), data.end());
    return *this;
}

TrackBuilder& TrackBuilder::tempo(std::uint32_t d, std::uint32_t us) {
    return meta(d, 0x51, {static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8), static_cast<std::uint8_t>(us)});
}

TrackBuilder& TrackBuilder::timeSignature(std::uint32_t d, std::uint8_t nn, std::uint8_t dd) {
    return meta(d, 0x58, {nn, dd, 24, 8});
}

TrackBuilder& TrackBuilder::sysex(std::uint32_t d, const Bytes& data) {
    delta(d).raw({0xF0});
    const Bytes len = Vlq(static_cast<std::uint32_t>(data.size()));
    events_.insert(events_.end(), len.begin(), len.end());
    events_.insert(events_.end(), data.begin(), data.end());
    return *this;
}

Bytes TrackBuilder::chunk() const {
    Bytes out{'M', 'T', 'r', 'k'};
    const auto n = static_cast<std::uint32_t>(events_.size());
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    out.insert(out.end(), events_.begin(), events_.end());
    return out;
}

Bytes Smf(std::uint16_t format, std::uint16_t division, const std::vector<TrackBuilder>& tracks) {
    Bytes out{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    const auto n = static_cast<std::uint16_t>(tracks.size());
    for (std::uint16_t v : {format, n, division}) {
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    }
    for (const auto& t : tracks) {
        const Bytes c = t.chunk();
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

Bytes TrackChunk(const Bytes& midi, int index) {
    std::size_t at = 14;
    for (int i = 0; at + 8 <= midi.size(); ++i) {
        std::size_t len = 0;
        for (std::size_t k = 4; k < 8; ++k) len = (len << 8) | midi[at + k];
        const auto begin = midi.begin() + static_cast<std::ptrdiff_t>(at + 8);
        if (i == index) return Bytes(begin, begin + static_cast<std::ptrdiff_t>(std::min(len, midi.size() - at - 8)));
        at += 8 + len;
    }
    return {};
}

Slot Note(std::uint8_t channel, std::uint8_t delta, std::uint8_t key, std::uint8_t velocity, std::uint16_t duration) {
    return {{static_cast<std::uint8_t>(0x90 | channel), delta, key, velocity, static_cast<std::uint8_t>(duration),
             static_cast<std::uint8_t>(duration >> 8)}};
}
Slot Channel(std::uint8_t status, std::uint8_t delta, std::uint8_t d1, std::uint8_t d2) {
    return {{status, delta, d1, d2, 0, 0}};
}
Slot Wait(std::uint16_t units) {
    return {{0xFE, 0, static_cast<std::uint8_t>(units), static_cast<std::uint8_t>(units >> 8), 0, 0}};
}
Slot TempoSlot(std::uint8_t delta, int bpm) {
    const int v = (bpm + 8) * 2;
    return {{0xF9, delta, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), 0, 0}};
}

namespace {
Bytes SectorHeader(std::uint8_t type, std::uint32_t count) {
    Bytes s(512, 0xFF);
    s[0] = 0;
    s[1] = type;
    s[2] = s[3] = 0;
    s[4] = static_cast<std::uint8_t>(count >> 24);
    s[5] = static_cast<std::uint8_t>(count >> 16);
    s[6] = static_cast<std::uint8_t>(count >> 8);
    s[7] = static_cast<std::uint8_t>(count);
    return s;
}
} // namespace

void AppendSlotBlock(Bytes& song, std::uint8_t type, const std::vector<Slot>& slots) {
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(84, slots.size() - at);
        Bytes s = SectorHeader(type, n == 84 ? 84 : static_cast<std::uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) std::copy(slots[at + i].b.begin(), slots[at + i].b.end(), s.begin() + 8 + 6 * static_cast<std::ptrdiff_t>(i));
        song.insert(song.end(), s.begin(), s.end());
        at += n;
    } while (at < slots.size());
}

Bytes SongBuilder::build() const {
    Bytes song(1024, 0);
    song[1] = 0x80;
    song[7] = 84;
    std::string n = name_;
    n.resize(28, ' ');
    std::copy(n.begin(), n.end(), song.begin() + 8);
    song[40] = static_cast<std::uint8_t>(tempo_);
    song[41] = static_cast<std::uint8_t>(tempo_ >> 8);
    song[43] = static_cast<std::uint8_t>(measures_.size() >> 8);
    song[44] = static_cast<std::uint8_t>(measures_.size());
    song[53] = beat_;
    song[54] = static_cast<std::uint8_t>(measure_);
    song[55] = static_cast<std::uint8_t>(measure_ >> 8);
    for (int t = 0; t < 16; ++t) {
        const std::string tn = "TRACK " + std::to_string(t + 1) + "  ";
        std::copy_n(tn.begin(), 8, song.begin() + 72 + 8 * t);
    }
    std::copy_n(song.begin(), 8, song.begin() + 512);
    for (std::size_t m = 0; m < measures_.size(); m += 168) {
        Bytes s = SectorHeader(0x18, 84);
        for (std::size_t i = 0; i < 168 && m + i < measures_.size(); ++i)
            std::copy(measures_[m + i].begin(), measures_[m + i].end(), s.begin() + 8 + 3 * static_cast<std::ptrdiff_t>(i));
        song.insert(song.end(), s.begin(), s.end());
    }
    for (const auto& [type, slots] : tracks_) AppendSlotBlock(song, type, slots);
    for (const auto& s : extra_) song.insert(song.end(), s.begin(), s.end());
    if (hasTempo_) AppendSlotBlock(song, 0x10, tempoSlots_);
    const auto sectors = static_cast<std::uint32_t>(song.size() / 512);
    for (int i = 0; i < 4; ++i) song[36 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sectors >> (8 * i));
    return song;
}

Bytes SongOfSectors(std::size_t sectors, std::string_view name) {
    Bytes song = SongBuilder().name(name).build();
    song.resize(sectors * 512, 0xFF);
    for (int i = 0; i < 4; ++i) song[36 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sectors >> (8 * i));
    return song;
}

std::vector<std::filesystem::path> DebianMidiFiles(const std::filesystem::path& cacheDir, std::string& whyNot) {
    namespace fs = std::filesystem;
    const fs::path cache = cacheDir / "debian-midi";
    if (!fs::exists(cache / "root")) {
        // Fetched into a folder of this process and renamed into place, so that two test
        // programs started together never see each other's half-extracted files.
        const fs::path mine = cache / ("fetch-" + std::to_string(::getpid()));
        fs::create_directories(mine);
        const std::string get = "cd '" + mine.string() +
                                "' && apt-get download openttd-openmsx planetblupi-music-midi >download.log 2>&1"
                                " && for d in *.deb; do dpkg-deb -x \"$d\" root || exit 1; done";
        const bool fetched = std::system(get.c_str()) == 0;
        std::error_code ec;
        if (fetched) fs::rename(mine / "root", cache / "root", ec); // the first one in wins
        if (!fs::exists(cache / "root")) {
            whyNot = "cannot fetch the Debian MIDI packages (apt-get download failed; see " + (mine / "download.log").string() + ")";
            return {};
        }
        fs::remove_all(mine, ec);
    }
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(cache / "root"))
        if (e.is_regular_file() && e.path().extension() == ".mid") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) whyNot = "the Debian MIDI packages hold no .mid files";
    return files;
}

} // namespace veldin::test
