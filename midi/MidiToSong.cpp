#include "midi/MidiToSong.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "core/Bytes.h"
#include "core/LogWriter.h"
#include "core/Messages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"

namespace veldin::midi {
namespace {

constexpr std::size_t kMaxChunks = 17; // conductor and 16 song tracks
constexpr std::uint16_t kNoteDurationCap = 0xFFFF;

struct ParseError {};

// One event of a track chunk, its time already at 96 ticks per quarter.
struct MidiEvent {
    std::uint64_t time = 0;
    std::uint8_t status = 0; // 80h-EFh channel message, F0h sysex, FFh meta, other Fxh skipped
    std::uint8_t type = 0;   // meta type
    std::uint8_t d1 = 0, d2 = 0;
    std::span<const std::uint8_t> data;
    std::uint32_t duration = 0; // note-on with velocity: found by stopnote_clock
    bool ended = true;
};

// Bounds-checked reading of one chunk's bytes.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    bool atEnd() const { return at_ >= b_.size(); }
    std::uint8_t byte() {
        if (at_ >= b_.size()) throw ParseError{};
        return b_[at_++];
    }
    std::span<const std::uint8_t> take(std::uint64_t n) {
        if (n > b_.size() - at_) throw ParseError{};
        const auto s = b_.subspan(at_, static_cast<std::size_t>(n));
        at_ += static_cast<std::size_t>(n);
        return s;
    }
    std::uint32_t vlq() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t c = byte();
            v = (v << 7) | (c & 0x7F);
            if (!(c & 0x80)) return v;
        }
        throw ParseError{};
    }

private:
    std::span<const std::uint8_t> b_;
    std::size_t at_ = 0;
};

std::uint32_t ReadBe32(std::span<const std::uint8_t> b) {
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
}

// The events of a chunk up to its end or its end-of-track event. A data byte in status
// position reuses the running status, which every channel message sets. System
// messages other than F0h (and F7h escapes) carry nothing convertible and are passed over.
// Times are rescaled from the file's absolute times, never delta by delta: rounding each
// delta on its own adds up, and tracks that end together in the file would end up to
// many quarter notes apart in the song.
std::vector<MidiEvent> ReadEvents(std::span<const std::uint8_t> chunk, std::uint16_t division) {
    Reader r(chunk);
    std::vector<MidiEvent> events;
    std::uint64_t raw = 0;
    int running = -1;
    while (!r.atEnd()) {
        MidiEvent e;
        raw += r.vlq();
        e.time = RescaleTime(raw, division);
        std::uint8_t b = r.byte();
        if (b < 0x80) {
            if (running < 0) throw ParseError{};
            e.status = static_cast<std::uint8_t>(running);
            e.d1 = b;
        } else {
            e.status = b;
            if (b < 0xF0) {
                running = b;
                e.d1 = r.byte() & 0x7F;
            }
        }
        if (e.status < 0xF0) {
            const std::uint8_t kind = e.status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0) e.d2 = r.byte() & 0x7F;
        } else if (e.status == 0xFF) {
            e.type = r.byte();
            e.data = r.take(r.vlq());
            if (e.type == 0x2F) {
                events.push_back(e);
                break;
            }
        } else if (e.status == 0xF0 || e.status == 0xF7) {
            e.data = r.take(r.vlq());
        } else if (e.status == 0xF2) {
            r.take(2);
        } else if (e.status == 0xF1 || e.status == 0xF3) {
            r.take(1);
        }
        events.push_back(e);
    }
    return events;
}

bool EndsNote(const MidiEvent& e, std::uint8_t channel, std::uint8_t key) {
    const std::uint8_t kind = e.status & 0xF0;
    if (e.status >= 0xF0 || (e.status & 0x0F) != channel || e.d1 != key) return false;
    return kind == 0x80 || (kind == 0x90 && e.d2 == 0);
}

// stopnote_clock: a note lasts until the next note-off (or note-on with velocity 0) of
// its channel and key, at any velocity. Found for all notes at once, walking backwards.
void stopnote_clock(std::vector<MidiEvent>& events, LogWriter& log) {
    std::array<std::array<std::int64_t, 128>, 16> nextEnd{};
    for (auto& row : nextEnd) row.fill(-1);
    for (std::size_t i = events.size(); i-- > 0;) {
        MidiEvent& e = events[i];
        if (e.status >= 0xF0) continue;
        const std::uint8_t channel = e.status & 0x0F;
        const std::uint8_t key = e.d1 & 0x7F;
        if (EndsNote(e, channel, e.d1)) {
            nextEnd[channel][key] = static_cast<std::int64_t>(e.time);
        } else if ((e.status & 0xF0) == 0x90) {
            const std::int64_t end = nextEnd[channel][key];
            if (end < 0) {
                log.write("--- function: stopnote_clock --- \n\r");
                log.write(text::kNoEndNote);
                e.duration = kTicksPerQuarter;
                e.ended = false;
            } else {
                e.duration = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>(static_cast<std::uint64_t>(end) - e.time, kNoteDurationCap));
            }
        }
    }
}

// Places slots in sectors. Pass 1 (no buffer) only counts sectors and slots.
class BlockWriter {
public:
    BlockWriter(std::uint8_t type, std::size_t slotSize, std::vector<std::uint8_t>* out)
        : type_(type), slotSize_(slotSize), perSector_(static_cast<int>((kSongSector - kSectorHeader) / slotSize)), out_(out) {}

    std::uint32_t sectors() const { return sectors_; }

    void startSector() {
        const std::uint32_t previousTicks = static_cast<std::uint32_t>(ticks_);
        ++sectors_;
        left_ = perSector_;
        ticks_ = 0;
        if (!out_) return;
        sectorAt_ = out_->size();
        out_->resize(out_->size() + kSongSector, 0xFF);
        auto h = std::span(*out_).subspan(sectorAt_, kSectorHeader);
        h[0] = 0;
        h[1] = type_;
        WriteLe16(static_cast<std::uint16_t>(previousTicks), h.subspan(2, 2));
        h[4] = h[5] = h[6] = 0;
        h[7] = kSlotsPerSector;
    }

    // A group of slots that stays within one sector.
    void put(std::span<const std::uint8_t> bytes, std::uint64_t ticks) {
        const int slots = static_cast<int>(bytes.size() / slotSize_);
        if (sectors_ == 0 || left_ < slots) startSector();
        if (out_) {
            const std::size_t at = sectorAt_ + kSectorHeader + slotSize_ * static_cast<std::size_t>(perSector_ - left_);
            std::copy(bytes.begin(), bytes.end(), out_->begin() + static_cast<std::ptrdiff_t>(at));
        }
        left_ -= slots;
        ticks_ += ticks;
    }

    // A track or tempo event: a delta above 255 goes first into wait slots of 256-tick units.
    // The slots of a system exclusive message may go on into the next sector.
    void event(std::span<std::uint8_t> slots, std::uint64_t delta, bool acrossSectors = false) {
        while (delta > 255) {
            const std::uint64_t units = std::min<std::uint64_t>(delta / 256, 0xFFFF);
            const std::array<std::uint8_t, 6> wait{kSlotWait, 0, static_cast<std::uint8_t>(units),
                                                   static_cast<std::uint8_t>(units >> 8), 0, 0};
            put(wait, units * 256);
            delta -= units * 256;
        }
        slots[1] = static_cast<std::uint8_t>(delta);
        if (!acrossSectors) {
            put(slots, delta);
            return;
        }
        for (std::size_t i = 0; i < slots.size(); i += slotSize_) put(slots.subspan(i, slotSize_), i == 0 ? delta : 0);
    }

    // The last sector of a track or tempo block carries the slots it uses.
    void finish() {
        if (!out_ || sectors_ == 0) return;
        const std::uint32_t used = static_cast<std::uint32_t>(perSector_ - left_);
        (*out_)[sectorAt_ + 4] = static_cast<std::uint8_t>(used >> 24);
        (*out_)[sectorAt_ + 5] = static_cast<std::uint8_t>(used >> 16);
        (*out_)[sectorAt_ + 6] = static_cast<std::uint8_t>(used >> 8);
        (*out_)[sectorAt_ + 7] = static_cast<std::uint8_t>(used);
    }

private:
    std::uint8_t type_;
    std::size_t slotSize_;
    int perSector_;
    std::vector<std::uint8_t>* out_;
    std::uint32_t sectors_ = 0;
    int left_ = 0;
    std::uint64_t ticks_ = 0;
    std::size_t sectorAt_ = 0;
};

struct Chunk {
    std::span<const std::uint8_t> data;
    std::size_t size = 0; // with its 8-byte header
};

// The conversion context, shared by both passes.
struct Context {
    std::array<std::string, 16> trackNames;
    std::string songName;
    std::uint16_t division = 96;
    float coefficient = 1.0f;
    std::uint32_t sectors = 0;
    std::uint32_t measures = 0;
    W30TimeSignature timeSignature{96, 384};
    std::int64_t tempo = 120;
    std::uint64_t longest = 0;
    std::array<std::uint8_t, 8> patches{};
    std::array<std::uint8_t, 16> volumes{};
    std::vector<std::uint8_t> measurePart, trackPart, tempoPart;
    std::vector<std::vector<MidiEvent>> events; // per chunk, read once
};

enum class Parse { Ok, Failed, OddSignature };

class Converter {
public:
    Converter(Context& c, LogWriter& log, const MidiToSongOptions& o) : c_(c), log_(log), options_(o) {}
    Parse parse_MainMTrk(int pass);
    Parse parse_MTrk(int pass, std::size_t track);

private:
    void writeHeader();
    Context& c_;
    LogWriter& log_;
    const MidiToSongOptions& options_;
};

std::string Padded(std::string_view s, std::size_t width) {
    std::string out(s.substr(0, std::min(s.size(), width)));
    out.resize(width, ' ');
    return out;
}

void Converter::writeHeader() {
    auto& b = c_.measurePart;
    b.assign(2 * kSongSector, 0);
    b[1] = kBlockHeader;
    b[7] = kSlotsPerSector;
    const std::string name = Padded(c_.songName, 28);
    std::copy(name.begin(), name.end(), b.begin() + kHdrName);
    WriteLe32(c_.sectors, std::span(b).subspan(kHdrSectors, 4));
    WriteLe16(static_cast<std::uint16_t>(std::clamp<std::int64_t>(c_.tempo, 0, 0xFFFF)), std::span(b).subspan(kHdrTempo, 2));
    b[kHdrMeasures] = static_cast<std::uint8_t>(c_.measures >> 8);
    b[kHdrMeasures + 1] = static_cast<std::uint8_t>(c_.measures);
    const std::uint8_t constant[] = {0x09, 0x25, 0x7F, 0x09, 0x25, 0x40, 0x36};
    std::copy(std::begin(constant), std::end(constant), b.begin() + kHdrConstant);
    b[kHdrTimeSig] = c_.timeSignature.beatTicks;
    WriteLe16(c_.timeSignature.measureTicks, std::span(b).subspan(kHdrTimeSig + 1, 2));
    std::fill_n(b.begin() + 56, 16, std::uint8_t{0x83});
    for (std::size_t t = 0; t < 16; ++t) {
        const std::string n = Padded(c_.trackNames[t], 8);
        std::copy(n.begin(), n.end(), b.begin() + static_cast<std::ptrdiff_t>(kHdrTrackNames + 8 * t));
    }
    for (std::size_t g = 0; g < 8; ++g) {
        b[202 + 4 * g] = 0xFF;
        b[203 + 4 * g] = 0xFF;
    }
    b[240] = 1;
    std::fill_n(b.begin() + 268, 28, std::uint8_t{0xFF});
    std::copy(c_.patches.begin(), c_.patches.end(), b.begin() + kHdrPatches);
    std::copy(c_.volumes.begin(), c_.volumes.end(), b.begin() + kHdrVolumes);
    std::copy_n(b.begin(), kSectorHeader, b.begin() + kSongSector);
}

Parse Converter::parse_MainMTrk(int pass) {
    log_.writeLine("--- function: parse_MainMTrk --- ");
    std::vector<std::uint8_t>* measureOut = pass == 2 ? &c_.measurePart : nullptr;
    std::vector<std::uint8_t>* tempoOut = pass == 2 ? &c_.tempoPart : nullptr;
    if (pass == 2) writeHeader();
    BlockWriter measures(kBlockMeasure, 3, measureOut);
    BlockWriter tempo(kBlockTempo, 6, tempoOut);
    tempo.startSector();

    std::optional<W30TimeSignature> current;
    std::uint64_t changeTime = 0;
    std::uint64_t tempoTime = 0;
    bool firstTempo = true;
    std::uint64_t now = 0;
    std::uint64_t measureCount = 0;
    W30TimeSignature initial{96, 384};
    std::string title;
    const auto writeMeasures = [&](const W30TimeSignature& sig, std::uint64_t n) {
        measureCount += std::min<std::uint64_t>(n, 0x10000);
        if (measureCount > 0xFFFF) return;
        const std::array<std::uint8_t, 3> entry{sig.beatTicks, static_cast<std::uint8_t>(sig.measureTicks),
                                                static_cast<std::uint8_t>(sig.measureTicks >> 8)};
        for (std::uint64_t i = 0; i < n; ++i) measures.put(entry, sig.measureTicks);
    };
    for (const MidiEvent& e : c_.events[0]) {
        now = e.time;
        if (e.status != 0xFF) continue;
        if (e.type == 0x03) {
            log_.writeLine("ME_TRACKNAME    ");
            title.assign(e.data.begin(), e.data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(e.data.size(), 28)));
        } else if (e.type == 0x58 && e.data.size() >= 2) {
            log_.writeLine("ME_TIMESIGNATURE");
            W30TimeSignature sig;
            const SignatureOutcome o = ConvertTimeSignature(e.data[0], e.data[1], sig);
            if (o == SignatureOutcome::Odd) return Parse::OddSignature;
            if (o == SignatureOutcome::Unusable) continue;
            if (!current) {
                log_.writeLine("found main measure");
                initial = sig;
            } else {
                const std::uint64_t n = now == changeTime ? 1 : (now - changeTime) / current->measureTicks;
                writeMeasures(*current, n);
            }
            current = sig;
            changeTime = now;
        } else if (e.type == 0x51 && e.data.size() >= 3) {
            log_.writeLine("ME_TEMPO        ");
            const std::uint32_t us = (static_cast<std::uint32_t>(e.data[0]) << 16) | (e.data[1] << 8) | e.data[2];
            if (us == 0) continue;
            const auto bpm = static_cast<std::int64_t>(std::nearbyint(60000000.0 / us));
            if (firstTempo) {
                log_.writeLine("Main Tempo");
                c_.tempo = bpm;
                firstTempo = false;
                continue;
            }
            const auto v = static_cast<std::uint16_t>(std::min<std::int64_t>((bpm + 8) * 2, 0xFFFF));
            std::array<std::uint8_t, 6> slot{kSlotTempo, 0, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), 0, 0};
            tempo.event(slot, now - tempoTime);
            tempoTime = now;
        } else if (e.type == 0x2F) {
            log_.writeLine("END_OF_TRACK");
        }
    }
    if (options_.songName == SongNameSource::Title && !title.empty()) c_.songName = Padded(title, 28);
    // A file without a time signature is in 4/4.
    if (!current) current = initial;
    const std::uint64_t length = std::max(now, c_.longest);
    if (changeTime < length) writeMeasures(*current, (length - changeTime) / current->measureTicks);
    if (measureCount > 0xFFFF) return Parse::Failed;
    tempo.finish();
    c_.timeSignature = initial;
    c_.measures = static_cast<std::uint32_t>(measureCount);
    // Pass 1 sizes the parts; pass 2 fills them.
    const std::uint32_t measureSectors = 2 + measures.sectors();
    if (pass == 1) {
        c_.sectors += measureSectors + tempo.sectors();
    }
    log_.write("Lenght of measures = ");
    log_.writeHex8(measureSectors * static_cast<std::uint32_t>(kSongSector));
    log_.writeLine("");
    log_.write("Lenght of tempo = ");
    log_.writeHex8(tempo.sectors() * static_cast<std::uint32_t>(kSongSector));
    log_.writeLine("");
    return Parse::Ok;
}

Parse Converter::parse_MTrk(int pass, std::size_t t) {
    log_.write("--- function: parse_MTrk --- ");
    log_.write(" - ");
    log_.writeHex4(static_cast<std::uint32_t>(t));
    log_.writeLine("");
    if (options_.status) {
        char buf[64];
        std::snprintf(buf, sizeof buf, std::string(text::kStatusPassTrack).c_str(), pass, static_cast<int>(t));
        options_.status(buf);
    }
    BlockWriter w(static_cast<std::uint8_t>(t), 6, pass == 2 ? &c_.trackPart : nullptr);
    w.startSector();
    bool named = false, volumeSet = false, programSet = false;
    std::uint64_t now = 0, last = 0;
    for (const MidiEvent& e : c_.events[t + 1]) {
        now = e.time;
        std::array<std::uint8_t, 6> slot{};
        if (e.status == 0xFF) {
            if (e.type == 0x03 && !named) {
                log_.writeLine("ME_TRACKNAME    ");
                c_.trackNames[t] = Padded(std::string(e.data.begin(), e.data.end()), 8);
                named = true;
            }
            continue;
        }
        if (e.status == 0xF0) {
            log_.writeLine("ME_SYSEX      ");
            // The song keeps 7-bit data: its reader ends a message at the first byte with
            // the top bit set, so the message ends there (at its F7 when it is well formed).
            auto data = e.data;
            const auto end = std::find_if(data.begin(), data.end(), [](std::uint8_t b) { return (b & 0x80) != 0; });
            data = data.first(static_cast<std::size_t>(end - data.begin()));
            // One message, however long: bytes 2-5 of its F0h slot, then all six bytes of
            // the following slots, on into the next sector of the track after its header.
            // Cut into pieces it would come back as several messages.
            const std::size_t n = data.size();
            const std::size_t slots = n <= 4 ? 1 : 1 + (n - 4 + 5) / 6;
            std::vector<std::uint8_t> group(slots * 6, 0xFF);
            group[0] = kSlotSysex;
            std::copy(data.begin(), data.end(), group.begin() + 2);
            w.event(group, now - last, true);
            last = now;
            continue;
        }
        if (e.status > 0xF0) continue;
        const std::uint8_t kind = e.status & 0xF0;
        if (kind == 0x80 || (kind == 0x90 && e.d2 == 0)) {
            log_.writeLine("NOTEOFF    ");
            continue;
        }
        slot[0] = e.status;
        slot[2] = e.d1;
        switch (kind) {
        case 0x90:
            log_.writeLine("NOTEON     ");
            slot[3] = e.d2;
            WriteLe16(static_cast<std::uint16_t>(e.duration), std::span(slot).subspan(4, 2));
            break;
        case 0xA0:
        case 0xE0:
            log_.writeLine(kind == 0xA0 ? "ME_AFTERTOUCH " : "ME_PITCHWHEEL ");
            slot[3] = e.d2;
            break;
        case 0xB0:
            log_.writeLine("ME_CONTROL    ");
            slot[3] = e.d2;
            if (e.d1 == 7 && !volumeSet) {
                c_.volumes[t] = e.d2;
                volumeSet = true;
            }
            break;
        case 0xC0:
            log_.writeLine("ME_PROGRAM    ");
            // Tracks 9-16 have no patch byte: theirs would fall on the volumes of tracks 1-8.
            if (!programSet && t < 8) c_.patches[t] = std::min<std::uint8_t>(e.d1, 16);
            programSet = true;
            break;
        default: log_.writeLine("ME_CAFTERTOUCH"); break;
        }
        w.event(slot, now - last);
        last = now;
    }
    w.finish();
    c_.longest = std::max(c_.longest, now);
    if (pass == 1) c_.sectors += w.sectors();
    return Parse::Ok;
}

std::optional<std::vector<Chunk>> ReadChunks(std::span<const std::uint8_t> midi, std::size_t start, std::size_t count,
                                             LogWriter& log) {
    std::vector<Chunk> chunks;
    std::size_t at = start;
    for (std::size_t i = 0; i < count; ++i) {
        const bool header = at <= midi.size() && midi.size() - at >= 8;
        if (!header || !(midi[at] == 'M' && midi[at + 1] == 'T' && midi[at + 2] == 'r' && midi[at + 3] == 'k')) {
            log.writeLine("MTrk expected >> exit ");
            return std::nullopt;
        }
        const auto h = midi.subspan(at, 8);
        const std::uint32_t length = ReadBe32(h.subspan(4, 4));
        if (length > midi.size() - at - 8) return std::nullopt;
        chunks.push_back({midi.subspan(at + 8, length), std::size_t{length} + 8});
        at += std::size_t{length} + 8;
    }
    return chunks;
}

Failure Refuse(LogWriter& log, std::string_view text) {
    log.writeLine("ERROR !!!");
    log.writeLine("--- label:midi_exit ---");
    log.writeLine(text);
    return Fail(text);
}

} // namespace

MidiToSongOptions MidiToSongOptionsFrom(const MidiEditorSettings& settings, const std::filesystem::path& currentDir) {
    MidiToSongOptions o;
    if (settings.rolandSongName <= static_cast<std::uint8_t>(SongNameSource::Prompt))
        o.songName = static_cast<SongNameSource>(settings.rolandSongName);
    if (settings.logConversion != 0) o.logDir = currentDir;
    return o;
}

std::uint64_t RescaleTime(std::uint64_t raw, std::uint16_t division) {
    if (division == 0) return 0;
    return static_cast<std::uint64_t>(std::nearbyint(static_cast<double>(raw) * 96.0 / static_cast<double>(division)));
}

SignatureOutcome ConvertTimeSignature(std::uint8_t numerator, std::uint8_t exponent, W30TimeSignature& out) {
    unsigned nn = numerator;
    unsigned dd = exponent;
    if (nn == 0) return SignatureOutcome::Unusable;
    if (dd == 0) {
        nn *= 2; // whole-note beats as half notes
        dd = 1;
    }
    // Beats shorter than a sixteenth: each halving of an even numerator doubles the beat.
    while (dd > 4) {
        if (nn % 2 != 0) return SignatureOutcome::Odd;
        nn /= 2;
        --dd;
    }
    const unsigned beat = 384u >> dd;
    const unsigned measure = nn * beat;
    if (measure > 0xFFFF) return SignatureOutcome::Unusable;
    out = {static_cast<std::uint8_t>(beat), static_cast<std::uint16_t>(measure)};
    return SignatureOutcome::Ok;
}

Result<std::vector<std::uint8_t>> midi2song(std::span<const std::uint8_t> midi, UserInteraction& ui,
                                            const MidiToSongOptions& options) {
    LogWriter log;
    if (options.logDir) {
        log.open(*options.logDir / text::kMidi2SongLog);
        log.write(text::kLogBanner);
        log.writeLine(text::kLogStarted);
    }
    log.write("--- function: perform_loadmidi --- \n\r");
    log.writeLine("Allocate memory for MIDI file");
    log.write("--- function: midi2song --- \n\r");
    if (options.status) options.status(text::kStatusInitializing);
    if (midi.size() < 14 || !(midi[0] == 'M' && midi[1] == 'T' && midi[2] == 'h' && midi[3] == 'd'))
        return Refuse(log, text::kNotMidi);
    // MThd: length (BE 32), format, tracks, division (BE 16 each).
    if (((midi[8] << 8) | midi[9]) != 1) return Refuse(log, text::kNotFormat1);
    Context c;
    c.division = static_cast<std::uint16_t>((midi[12] << 8) | midi[13]);
    // A division with the top bit set counts SMPTE frames, not parts of a quarter note:
    // read as ticks, every event would land on tick 0.
    if (c.division & 0x8000) return Refuse(log, text::kBadResolution);
    if (c.division < 48 || c.division > 960 || c.division % 24 != 0)
        ui.message(text::kBadResolution, text::kTitleMidiEditor, Icon::Warning);
    if (c.division == 0) return Refuse(log, text::kMidiParseError);
    c.coefficient = static_cast<float>(c.division) / 96.0f;
    log.write("BPQN (Beats Per Quarter Note) = ");
    log.writeHex8(c.division / 24u);
    log.writeLine("");
    log.write("Coefficient = ");
    log.writeFormatted("%f", static_cast<double>(c.coefficient));
    log.writeLine("");
    const std::size_t declared = static_cast<std::size_t>((midi[10] << 8) | midi[11]);
    const std::size_t count = std::min(declared, kMaxChunks);
    const std::uint32_t headerLength = ReadBe32(midi.subspan(4, 4));
    if (count == 0 || headerLength < 6 || headerLength > midi.size() - 8) return Refuse(log, text::kMidiParseError);
    const auto chunks = ReadChunks(midi, 8 + std::size_t{headerLength}, count, log);
    if (!chunks) return Refuse(log, text::kMidiParseError);
    log.write("Tracks to parse ");
    log.writeHex8(static_cast<std::uint32_t>(count - 1));
    log.writeLine("");
    try {
        for (const Chunk& ch : *chunks) {
            c.events.push_back(ReadEvents(ch.data, c.division));
            stopnote_clock(c.events.back(), log);
        }
    } catch (const ParseError&) {
        return Refuse(log, text::kMidiParseError);
    }

    std::string name = options.fileName.substr(0, 28);
    if (options.songName == SongNameSource::Prompt && options.prompt)
        if (auto typed = options.prompt->askSongName(name)) name = typed->substr(0, 28);
    c.songName = Padded(name, 28);
    for (auto& n : c.trackNames) n = std::string(8, ' ');

    Converter conv(c, log, options);
    // Pass 1 reads the song tracks before the conductor, so that the song's length bounds
    // the measures before their part is sized.
    for (std::size_t t = 0; t + 1 < chunks->size(); ++t) conv.parse_MTrk(1, t);
    Parse p = conv.parse_MainMTrk(1);
    if (p == Parse::OddSignature) return Refuse(log, text::kOddTimeSignature);
    if (p == Parse::Failed) return Refuse(log, text::kMidiParseError);
    const std::uint32_t sectors = c.sectors;
    // A conductor of no length and no song track make no song a volume would take.
    if (static_cast<std::size_t>(sectors) * kSongSector < kMinSongSize) return Refuse(log, text::kMidiParseError);
    log.writeLine("Allocate memory for Roland song");
    p = conv.parse_MainMTrk(2);
    if (p != Parse::Ok) return Refuse(log, text::kMidiParseError);
    for (std::size_t t = 0; t + 1 < chunks->size(); ++t) conv.parse_MTrk(2, t);
    log.write("Lenght of tracks = ");
    log.writeHex8(static_cast<std::uint32_t>(c.trackPart.size()));
    log.writeLine("");

    std::vector<std::uint8_t> song;
    song.reserve(static_cast<std::size_t>(sectors) * kSongSector);
    song.insert(song.end(), c.measurePart.begin(), c.measurePart.end());
    song.insert(song.end(), c.trackPart.begin(), c.trackPart.end());
    song.insert(song.end(), c.tempoPart.begin(), c.tempoPart.end());
    if (song.size() != static_cast<std::size_t>(sectors) * kSongSector) return Refuse(log, text::kMidiParseError);
    if (options.status) options.status(text::kStatusConverted);
    log.write("--- function: midi2song end --- \n\r");
    // The log closes after the store, which it brackets.
    if (options.store) {
        log.writeLine("--- invoke: write_song ---");
        options.store(song);
        log.writeLine("--- exit: write_song ---");
    }
    log.writeLine(text::kLogFinished);
    return song;
}

} // namespace veldin::midi
