#include "midi/PianoRoll.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace veldin::midi {
namespace {

// A song has at most 65,535 measures; a file that claims more gets no more lines.
constexpr std::size_t kMaxMeasureLines = 65535;

// A bounded cursor over the bytes of one chunk.
struct Reader {
    std::span<const std::uint8_t> b;
    std::size_t at = 0;
    bool bad = false;

    bool more() const { return !bad && at < b.size(); }
    std::uint8_t byte() {
        if (at >= b.size()) {
            bad = true;
            return 0;
        }
        return b[at++];
    }
    std::uint32_t vlq() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t c = byte();
            v = (v << 7) | (c & 0x7F);
            if (!(c & 0x80)) return v;
        }
        bad = true; // longer than the four bytes a delta may have
        return 0;
    }
    std::span<const std::uint8_t> take(std::uint32_t n) {
        if (n > b.size() - at) {
            bad = true;
            at = b.size();
            return {};
        }
        auto s = b.subspan(at, n);
        at += n;
        return s;
    }
};

std::uint32_t Be(std::span<const std::uint8_t> b) {
    std::uint32_t v = 0;
    for (auto c : b) v = (v << 8) | c;
    return v;
}

// One track chunk: notes (paired by channel and key, first in first out), tempi,
// signatures and the name.
bool ReadTrack(std::span<const std::uint8_t> chunk, int track, RollSong& song, std::string& name) {
    Reader r{chunk};
    std::uint32_t tick = 0;
    std::uint8_t status = 0;
    std::map<int, std::vector<std::size_t>> open; // channel * 128 + key -> notes
    while (r.more()) {
        tick += r.vlq();
        std::uint8_t s = r.byte();
        if (r.bad) return false;
        if (s < 0x80) {
            if (status == 0) return false; // running status without a status
            --r.at;
            s = status;
        }
        if (s == 0xFF) {
            const std::uint8_t type = r.byte();
            const auto data = r.take(r.vlq());
            if (r.bad) return false;
            if (type == 0x2F) break;
            if (type == 0x03 && name.empty()) name.assign(data.begin(), data.end());
            if (type == 0x51 && data.size() == 3 && Be(data) > 0) song.tempi.push_back({tick, 60000000.0 / Be(data)});
            if (type == 0x58 && data.size() >= 2 && data[0] > 0 && data[1] < 8)
                song.meters.push_back({tick, data[0], 1 << data[1]});
            continue;
        }
        if (s == 0xF0 || s == 0xF7) {
            r.take(r.vlq());
            if (r.bad) return false;
            continue;
        }
        if (s >= 0xF0) return false; // no other system message belongs in a file
        status = s;
        const int kind = s & 0xF0, channel = s & 0x0F;
        const std::uint8_t d1 = r.byte();
        const std::uint8_t d2 = (kind == 0xC0 || kind == 0xD0) ? 0 : r.byte();
        if (r.bad) return false;
        const int id = channel * 128 + (d1 & 0x7F);
        if (kind == 0x90 && d2 > 0) {
            open[id].push_back(song.notes.size());
            song.notes.push_back({track, channel, d1 & 0x7F, d2, tick, 0});
        } else if (kind == 0x80 || kind == 0x90) {
            auto it = open.find(id);
            if (it == open.end() || it->second.empty()) continue; // an off without its on
            RollNote& n = song.notes[it->second.front()];
            n.length = std::max<std::uint32_t>(1, tick - n.start);
            it->second.erase(it->second.begin());
        }
    }
    // Notes still sounding end with the track.
    for (auto& [id, list] : open)
        for (std::size_t i : list) song.notes[i].length = std::max<std::uint32_t>(1, tick - song.notes[i].start);
    song.endTick = std::max(song.endTick, tick);
    return true;
}

} // namespace

std::optional<RollSong> ReadRoll(std::span<const std::uint8_t> midi) {
    if (midi.size() < 14 || Be(midi.first(4)) != 0x4D546864u /* MThd */) return std::nullopt;
    const std::uint32_t headerLength = Be(midi.subspan(4, 4));
    if (headerLength < 6 || headerLength > midi.size() - 8) return std::nullopt;
    RollSong song;
    const std::uint16_t tracks = static_cast<std::uint16_t>(Be(midi.subspan(10, 2)));
    song.division = static_cast<std::uint16_t>(Be(midi.subspan(12, 2)));
    if (song.division == 0 || (song.division & 0x8000)) return std::nullopt; // no SMPTE time here
    std::size_t at = 8 + headerLength;
    for (int t = 0; t < tracks; ++t) {
        if (midi.size() - at < 8 || Be(midi.subspan(at, 4)) != 0x4D54726Bu /* MTrk */) return std::nullopt;
        const std::uint32_t length = Be(midi.subspan(at + 4, 4));
        if (length > midi.size() - at - 8) return std::nullopt;
        std::string name;
        // The first track of a format 1 file is the conductor; its notes, if any, count
        // as track 0 all the same.
        if (!ReadTrack(midi.subspan(at + 8, length), std::max(0, t - 1), song, name)) return std::nullopt;
        if (t > 0) song.trackNames.push_back(name);
        at += 8 + length;
    }
    std::stable_sort(song.notes.begin(), song.notes.end(), [](const RollNote& a, const RollNote& b) {
        return a.track != b.track ? a.track < b.track : a.start < b.start;
    });
    for (const RollNote& n : song.notes) song.endTick = std::max(song.endTick, n.start + n.length);
    std::stable_sort(song.meters.begin(), song.meters.end(), [](auto& a, auto& b) { return a.tick < b.tick; });
    std::stable_sort(song.tempi.begin(), song.tempi.end(), [](auto& a, auto& b) { return a.tick < b.tick; });
    return song;
}

int RollLayout::width(const RollSong& song) const { return x(song.endTick) + 1; }

int RollLayout::x(std::uint32_t tick) const { return static_cast<int>(std::lround(tick * pixelsPerTick)); }

int RollLayout::y(int key) const { return header + (highKey - key) * keyHeight; }

RollLayout::Rect RollLayout::noteRect(const RollNote& n) const {
    const int left = x(n.start);
    return {left, y(n.key), std::max(2, x(n.start + n.length) - left), keyHeight};
}

void FitKeys(RollLayout& layout, const RollSong& song) {
    if (song.notes.empty()) {
        layout.lowKey = 48;
        layout.highKey = 72;
        return;
    }
    int low = 127, high = 0;
    for (const RollNote& n : song.notes) low = std::min(low, n.key), high = std::max(high, n.key);
    low = std::max(0, low - 2);
    high = std::min(127, high + 2);
    // At least two octaves, grown around the middle of the notes.
    while (high - low < 24) {
        if (low > 0) --low;
        if (high - low < 24 && high < 127) ++high;
    }
    layout.lowKey = low;
    layout.highKey = high;
}

std::vector<std::uint32_t> MeasureStarts(const RollSong& song, std::uint32_t endTick) {
    std::vector<std::uint32_t> starts;
    std::vector<RollMeter> meters = song.meters;
    if (meters.empty() || meters.front().tick > 0) meters.insert(meters.begin(), RollMeter{0, 4, 4});
    for (std::size_t i = 0; i < meters.size(); ++i) {
        const RollMeter& m = meters[i];
        const std::uint64_t until = i + 1 < meters.size() ? meters[i + 1].tick : std::uint64_t{endTick} + 1;
        const std::uint64_t measure =
            std::max<std::uint64_t>(1, static_cast<std::uint64_t>(song.division) * 4 * m.numerator / m.denominator);
        for (std::uint64_t t = m.tick; t < until && t <= endTick && starts.size() < kMaxMeasureLines; t += measure)
            starts.push_back(static_cast<std::uint32_t>(t));
    }
    return starts;
}

std::string HeaderText(const RollSong& song) {
    const double bpm = song.tempi.empty() ? 120.0 : song.tempi.front().bpm;
    const RollMeter m = song.meters.empty() ? RollMeter{} : song.meters.front();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f BPM  %d/%d", bpm, m.numerator, m.denominator);
    return buf;
}

double ZoomStep(double pixelsPerTick, int steps) {
    const double z = pixelsPerTick * std::pow(2.0, steps);
    return std::clamp(z, 1.0 / 64, 4.0);
}

} // namespace veldin::midi
