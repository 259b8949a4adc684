#include "midi/SongToMidi.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Bytes.h"
#include "core/LogWriter.h"
#include "core/Messages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"

namespace veldin::midi {
namespace {


// The output of one pass: pass 1 only counts, pass 2 writes.
class Out {
public:
    explicit Out(std::vector<std::uint8_t>* buffer) : buf_(buffer) {}
    std::size_t size() const { return size_; }
    void byte(std::uint8_t b) {
        if (buf_) buf_->push_back(b);
        ++size_;
    }
    void bytes(std::span<const std::uint8_t> b) {
        for (const auto c : b) byte(c);
    }
    void text(std::string_view s) {
        for (const char c : s) byte(static_cast<std::uint8_t>(c));
    }
    void be32(std::uint32_t v) {
        for (int i = 3; i >= 0; --i) byte(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void be16(std::uint16_t v) {
        byte(static_cast<std::uint8_t>(v >> 8));
        byte(static_cast<std::uint8_t>(v));
    }
    void vlq(std::uint64_t v) {
        v = std::min<std::uint64_t>(v, 0x0FFFFFFF);
        std::uint8_t tmp[4];
        int n = 0;
        tmp[n++] = static_cast<std::uint8_t>(v & 0x7F);
        while ((v >>= 7) != 0) tmp[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
        while (n > 0) byte(tmp[--n]);
    }
    // Chunk length written once the chunk is complete.
    void patchBe32(std::size_t at, std::uint32_t v) {
        if (!buf_) return;
        for (int i = 0; i < 4; ++i) (*buf_)[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
    }

private:
    std::vector<std::uint8_t>* buf_;
    std::size_t size_ = 0;
};

struct MidiTimeSignature {
    std::array<std::uint8_t, 4> bytes{4, 2, 24, 8}; // nn dd cc bb
    std::uint16_t measureTicks = 0;
    bool valid = false;
};

// Entry {beat ticks b, measure ticks m}: numerator m / b, denominator 2^(4 - k) where b
// halved k times is 24, MIDI clocks b / 4.
MidiTimeSignature FromEntry(std::uint8_t b, std::uint16_t m) {
    MidiTimeSignature t;
    if (b == 0 || m == 0) return t;
    int exponent = 0;
    int beat = b;
    for (int k = 0; k <= 4; ++k) {
        if (beat == 24) {
            exponent = 4 - k;
            break;
        }
        if (beat % 2 != 0) break;
        beat /= 2;
    }
    t.bytes = {static_cast<std::uint8_t>(m / b), static_cast<std::uint8_t>(exponent), static_cast<std::uint8_t>(b / 4), 8};
    t.measureTicks = m;
    t.valid = true;
    return t;
}

// The log's name of a meta-event type or status byte.
std::string_view EventName(std::uint8_t index) {
    switch (index) {
    case 0x00: return " TRACKSEQUENCE";
    case 0x01: return " TEXT";
    case 0x02: return " COPYRIGHT";
    case 0x03: return " TRACKNAME";
    case 0x04: return " INSTRUMENT";
    case 0x05: return " LYRIC";
    case 0x06: return " MARKER";
    case 0x07: return " CUEPOINT";
    case 0x08: return " NOTEOFF";
    case 0x09: return " NOTEON";
    case 0x0A: return " AFTERTOUCH";
    case 0x0B: return " CONTROL";
    case 0x0C: return " PROGRAM";
    case 0x0D: return " CAFTERTOUCH";
    case 0x0E: return " PITCHWHEEL";
    case 0x2F: return " ENDOFTRACK";
    case 0x51: return " TEMPO";
    case 0x58: return " TIMESIGNATURE";
    case 0x59: return " KEYSIGNATURE";
    case 0x7F: return " SEQUENCERSPEC";
    case 0xF0: return " SYSEX";
    case 0xF7: return " SYSEXEND";
    default: return " UNKNOWN";
    }
}

struct Pending {
    std::uint64_t tick;
    std::uint8_t status;
    std::uint8_t key;
};

class Converter {
public:
    Converter(std::span<const std::uint8_t> song, UserInteraction& ui, const SongToMidiOptions& o, LogWriter& log)
        : song_(song), ui_(ui), options_(o), log_(log) {}

    Status parse_song();
    Result<std::size_t> pass(std::vector<std::uint8_t>* buffer);

private:
    std::span<const std::uint8_t> sector(std::uint32_t s) const { return song_.subspan(s * kSongSector, kSongSector); }
    std::uint8_t typeOf(std::uint32_t s) const { return song_[s * kSongSector + 1]; }
    std::uint32_t slotsIn(std::uint32_t s) const { return std::min<std::uint32_t>(SlotCount(sector(s)), kSlotsPerSector); }

    std::uint32_t headerBlock(std::uint32_t first, Out& out);
    std::uint32_t measureBlock(std::uint32_t first, Out& out);
    Result<std::uint32_t> trackBlock(std::uint32_t first, Out& out);
    void closeConductor(Out& out);
    void event(Out& out, std::uint64_t tick, std::uint64_t& last);
    void logMeta(std::uint8_t type, std::string_view text = {});

    // Tempo block reading, resumed where the previous fetch stopped.
    struct TempoCursor {
        std::uint32_t sector = 0;
        std::uint32_t slot = 0;
        std::uint64_t tick = 0;
        bool done = true;
    };
    struct TempoChange {
        std::uint64_t tick = 0;
        std::uint32_t tempo = 0;
        bool found = false;
    };
    TempoChange nextTempo(TempoCursor& c, std::uint32_t current) const;

    std::span<const std::uint8_t> song_;
    UserInteraction& ui_;
    const SongToMidiOptions& options_;
    LogWriter& log_;

    SongHeader header_;
    std::array<std::string, 16> trackNames_;
    std::uint32_t sectors_ = 0;
    std::optional<std::uint32_t> tempoSector_;
    MidiTimeSignature timeSig_;
    std::uint32_t tempo_ = 500000;
    std::uint16_t tracks_ = 0;
    std::optional<std::size_t> conductorStart_;
    std::uint64_t conductorLast_ = 0;
};

std::string PatchPart(const SongToMidiOptions& o, std::size_t t, std::uint8_t patch) {
    if (t >= 8 || !o.patchName) return {};
    return o.patchName(patch).value_or(std::string{});
}

Status Converter::parse_song() {
    log_.writeLine("--- parse_song ---");
    if (!is_song(song_)) return Fail(text::kNotASong);
    header_ = read_song_header(song_);
    // A song whose header claims more sectors than it holds is not read past its end.
    if (static_cast<std::uint64_t>(header_.sectors) * kSongSector > song_.size()) return Fail(text::kNotASong);
    // The MIDI file counts its tracks in 16 bits; no song comes near that many sectors.
    if (header_.sectors > 0xFFFF) return Fail(text::kNotASong);
    sectors_ = header_.sectors;

    switch (options_.trackNames) {
    case TrackNameSource::Track: log_.writeLine("Extracting Track Names:"); break;
    case TrackNameSource::Patch: log_.writeLine("Extracting Patch Names:"); break;
    case TrackNameSource::TrackAndPatch: log_.writeLine("Extracting Track/Patch Names:"); break;
    }
    for (std::size_t t = 0; t < 16; ++t) {
        const std::string track = TrimBlanks(header_.trackNames[t]);
        const std::string patch = t < 8 ? PatchPart(options_, t, header_.patches[t]) : std::string{};
        switch (options_.trackNames) {
        case TrackNameSource::Track: trackNames_[t] = track; break;
        case TrackNameSource::Patch: trackNames_[t] = patch; break;
        case TrackNameSource::TrackAndPatch:
            trackNames_[t] = options_.patchName && t < 8 ? track + " / " + patch : track;
            break;
        }
        log_.writeLine(trackNames_[t]);
    }
    for (std::uint32_t s = 0; s < sectors_; ++s) {
        if (typeOf(s) != kBlockTempo) continue;
        tempoSector_ = s;
        std::uint32_t count = 1;
        while (s + count < sectors_ && typeOf(s + count) == kBlockTempo) ++count;
        log_.write("Found Tempo block ");
        log_.writeHex8(s);
        log_.write(" ");
        log_.writeHex8(count);
        log_.write(" ");
        log_.writeHex8(slotsIn(s));
        log_.writeLine("");
        break;
    }
    log_.write("Song Name = ");
    log_.writeLine(header_.name);
    timeSig_ = FromEntry(header_.timeSignature.beatTicks, header_.timeSignature.measureTicks);
    tempo_ = MicrosecondsPerQuarter(header_.tempo);
    return {};
}

void Converter::logMeta(std::uint8_t type, std::string_view text) {
    log_.write(EventName(type));
    if (!text.empty()) {
        log_.write(" => ");
        log_.write(text);
    }
    log_.writeLine("");
}

void Converter::event(Out& out, std::uint64_t tick, std::uint64_t& last) {
    out.vlq(tick > last ? tick - last : 0);
    last = std::max(last, tick);
}

std::uint32_t Converter::headerBlock(std::uint32_t first, Out& out) {
    std::uint32_t used = 0;
    while (first + used < sectors_ && typeOf(first + used) == kBlockHeader) ++used;
    ++tracks_;
    out.text("MTrk");
    conductorStart_ = out.size();
    out.be32(0);
    const std::string note = std::string(text::kConvertedWith) + std::string(text::kMidiEditorName);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 2>{0xFF, 0x03});
    out.vlq(header_.name.size());
    out.text(header_.name);
    logMeta(0x03, header_.name);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 2>{0xFF, 0x02});
    out.vlq(note.size());
    out.text(note);
    logMeta(0x02, note);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x58, 0x04});
    out.bytes(timeSig_.bytes);
    logMeta(0x58);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 5>{0xFF, 0x59, 0x02, 0x00, 0x00});
    logMeta(0x59);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x51, 0x03});
    out.byte(static_cast<std::uint8_t>(tempo_ >> 16));
    out.byte(static_cast<std::uint8_t>(tempo_ >> 8));
    out.byte(static_cast<std::uint8_t>(tempo_));
    logMeta(0x51);
    conductorLast_ = 0;
    return used;
}

void Converter::closeConductor(Out& out) {
    if (!conductorStart_) return;
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x2F, 0x00});
    logMeta(0x2F);
    out.patchBe32(*conductorStart_, static_cast<std::uint32_t>(out.size() - *conductorStart_ - 4));
    conductorStart_.reset();
}

Converter::TempoChange Converter::nextTempo(TempoCursor& c, std::uint32_t current) const {
    while (!c.done) {
        if (c.slot >= slotsIn(c.sector)) {
            if (c.sector + 1 < sectors_ && typeOf(c.sector + 1) == kBlockTempo) {
                ++c.sector;
                c.slot = 0;
                continue;
            }
            c.done = true;
            break;
        }
        const auto s = sector(c.sector).subspan(kSectorHeader + 6 * c.slot++, 6);
        if (s[0] == kSlotFiller) continue;
        if (s[0] == kSlotWait) {
            c.tick += static_cast<std::uint64_t>(ReadLe16(s.subspan(2, 2))) * 256;
            continue;
        }
        c.tick += s[1];
        if (s[0] != kSlotTempo) continue;
        const std::uint32_t tempo = MicrosecondsPerQuarter(static_cast<std::int64_t>(ReadLe16(s.subspan(2, 2)) >> 1) - 8);
        if (tempo != current) return {c.tick, tempo, true};
    }
    return {};
}

std::uint32_t Converter::measureBlock(std::uint32_t first, Out& out) {
    std::uint32_t used = 0;
    while (first + used < sectors_ && typeOf(first + used) == kBlockMeasure) ++used;
    if (!conductorStart_) return used; // measures belong to the conductor track only
    log_.writeLine(" MEASURE block");
    TempoCursor cursor;
    if (tempoSector_) cursor = {*tempoSector_, 0, 0, false};
    auto change = nextTempo(cursor, tempo_);
    std::uint64_t time = 0;
    std::uint32_t remaining = header_.measures;
    for (std::uint32_t s = first; s < first + used && remaining > 0; ++s) {
        for (int i = 0; i < kMeasuresPerSector && remaining > 0; ++i, --remaining) {
            const auto e = sector(s).subspan(kSectorHeader + 3 * static_cast<std::size_t>(i), 3);
            const MidiTimeSignature sig = FromEntry(e[0], ReadLe16(e.subspan(1, 2)));
            if (sig.valid && sig.bytes != timeSig_.bytes) {
                event(out, time, conductorLast_);
                out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x58, 0x04});
                out.bytes(sig.bytes);
                logMeta(0x58);
                timeSig_ = sig;
            }
            while (change.found && change.tick < time + sig.measureTicks) {
                event(out, change.tick, conductorLast_);
                out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x51, 0x03});
                out.byte(static_cast<std::uint8_t>(change.tempo >> 16));
                out.byte(static_cast<std::uint8_t>(change.tempo >> 8));
                out.byte(static_cast<std::uint8_t>(change.tempo));
                logMeta(0x51);
                tempo_ = change.tempo;
                change = nextTempo(cursor, tempo_);
            }
            time += sig.measureTicks;
        }
    }
    return used;
}

Result<std::uint32_t> Converter::trackBlock(std::uint32_t first, Out& out) {
    const std::uint8_t type = typeOf(first);
    log_.writeLine(" TRACK block");
    log_.write("   Track Nr.:");
    log_.writeHex4(type);
    log_.writeLine("");
    ++tracks_;
    out.text("MTrk");
    const std::size_t start = out.size();
    out.be32(0);
    const std::string& name = trackNames_[type];
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 2>{0xFF, 0x03});
    out.vlq(name.size());
    out.text(name);
    logMeta(0x03, name);

    std::vector<Pending> queue;
    std::uint64_t time = 0;
    std::uint64_t last = 0;
    int running = -1;
    const auto putStatus = [&](std::uint8_t status) {
        if (running != status) out.byte(status);
        running = status;
    };
    // Every note-off due at or before an event's time goes before that event: a repeated
    // key then reads "on, off, on" and the new note keeps sounding.
    const auto flush = [&](bool all) {
        std::size_t n = 0;
        while (n < queue.size() && (all || queue[n].tick <= time)) {
            event(out, queue[n].tick, last);
            putStatus(queue[n].status);
            out.byte(queue[n].key);
            out.byte(0);
            ++n;
        }
        queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(n));
    };

    // The block goes on into the next sector while a full sector is followed by one of
    // the same track.
    std::uint32_t s = first;
    std::uint32_t slot = 0;
    std::uint32_t counter = 0;
    const auto nextSlot = [&]() {
        ++slot;
        while (slot >= slotsIn(s)) {
            if (s + 1 < sectors_) {
                log_.write("Next Sector:");
                log_.writeHex4(typeOf(s + 1));
                log_.writeLine("");
            }
            if (slotsIn(s) == kSlotsPerSector && s + 1 < sectors_ && typeOf(s + 1) == type) {
                ++s;
                slot = 0;
                log_.write("Jump to next sector:");
                log_.writeHex8(s);
                log_.writeLine("");
            } else {
                return false;
            }
        }
        return true;
    };
    bool more = slotsIn(s) > 0;
    while (more) {
        const auto e = sector(s).subspan(kSectorHeader + 6 * static_cast<std::size_t>(slot), 6);
        const std::uint8_t status = e[0];
        log_.write("[");
        log_.writeHex8(static_cast<std::uint32_t>(s * kSongSector + kSectorHeader + 6 * slot));
        log_.write("]");
        log_.write(" ,6b events:");
        log_.writeHex8(counter++);
        log_.writeLine("");
        if (status == kSlotWait) time += static_cast<std::uint64_t>(ReadLe16(e.subspan(2, 2))) * 256;
        else if (status != kSlotFiller) time += e[1];
        flush(false);
        if (status == kSlotWait || status == kSlotFiller || status == kSlotIgnored) {
            log_.writeLine("* end of cycle *");
            more = nextSlot();
            continue;
        }
        const std::uint8_t kind = status & 0xF0;
        if (status == kSlotSysex) {
            // Data from byte 2 on, through the following slots and on into the next sector
            // of this track, up to the first byte with the top bit set.
            logMeta(0xF0);
            log_.writeLine("calc_sysex()");
            std::vector<std::uint8_t> data;
            const std::uint32_t startSlots = counter - 1; // the F0h slot is counted
            {
                std::uint32_t ds = s;
                std::size_t at = kSectorHeader + 6 * static_cast<std::size_t>(slot) + 2;
                std::uint32_t lastSector = s, lastSlot = slot;
                for (;;) {
                    if (at >= kSongSector) {
                        if (ds + 1 < sectors_ && typeOf(ds + 1) == type) {
                            log_.write("Event is spanning over more sectors, Sect:");
                            log_.writeHex8(ds + 1);
                            log_.write(" posit=");
                            log_.writeHex8(static_cast<std::uint32_t>(ds * kSongSector + at));
                            ++ds;
                            at = kSectorHeader;
                            log_.write(" new posit=");
                            log_.writeHex8(static_cast<std::uint32_t>(ds * kSongSector + at));
                            log_.writeLine("");
                            continue;
                        }
                        break;
                    }
                    const std::uint8_t b = sector(ds)[at];
                    if (b & 0x80) break;
                    data.push_back(b);
                    log_.writeHex4(b);
                    log_.write(" ");
                    lastSector = ds;
                    lastSlot = static_cast<std::uint32_t>((at - kSectorHeader) / 6);
                    ++at;
                }
                counter += (lastSector - s) * kSlotsPerSector + lastSlot - slot;
                s = lastSector;
                slot = lastSlot;
                more = nextSlot();
            }
            event(out, time, last);
            out.byte(0xF0);
            out.vlq(data.size() + 1);
            out.bytes(data);
            out.byte(0xF7);
            running = -1;
            log_.writeLine("");
            log_.writeLine("calc_sysex() ret");
            log_.write("eax=");
            log_.writeHex8(static_cast<std::uint32_t>(data.size() + 1));
            log_.write(" ecx=");
            log_.writeHex8(counter - startSlots);
            log_.writeLine("");
            log_.writeLine("* end of cycle *");
            continue;
        }
        if (kind < 0x90 || kind == 0xF0) return Fail(text::kUnknownMidiEvent);
        event(out, time, last);
        putStatus(status);
        out.byte(e[2] & 0x7F);
        switch (kind) {
        case 0x90:
            out.byte(e[3] & 0x7F);
            // The queue grows as needed: no note is left without its end.
            {
                const Pending p{time + ReadLe16(e.subspan(4, 2)), status, static_cast<std::uint8_t>(e[2] & 0x7F)};
                const auto pos = std::upper_bound(queue.begin(), queue.end(), p.tick,
                                                  [](std::uint64_t t, const Pending& q) { return t < q.tick; });
                queue.insert(pos, p);
            }
            break;
        case 0xA0:
        case 0xB0:
        case 0xE0: out.byte(e[3] & 0x7F); break;
        default: break; // 0xC0, 0xD0: one data byte
        }
        log_.writeLine("* end of cycle *");
        more = nextSlot();
    }
    flush(true);
    out.vlq(0);
    out.bytes(std::array<std::uint8_t, 3>{0xFF, 0x2F, 0x00});
    logMeta(0x2F);
    out.patchBe32(start, static_cast<std::uint32_t>(out.size() - start - 4));
    // The sectors of this block: up to the last one read, and at least the first.
    std::uint32_t used = 1;
    while (first + used < sectors_ && typeOf(first + used) == type && slotsIn(first + used - 1) == kSlotsPerSector) ++used;
    return used;
}

Result<std::size_t> Converter::pass(std::vector<std::uint8_t>* buffer) {
    Out out(buffer);
    tracks_ = 0;
    conductorStart_.reset();
    timeSig_ = FromEntry(header_.timeSignature.beatTicks, header_.timeSignature.measureTicks);
    tempo_ = MicrosecondsPerQuarter(header_.tempo);
    out.text("MThd");
    out.be32(6);
    out.be16(1);
    const std::size_t trackCountAt = out.size();
    out.be16(0);
    out.be16(kTicksPerQuarter);
    std::optional<Failure> failure;
    ForEachBlock(song_, sectors_, [&](std::uint8_t type, std::uint32_t s) -> std::uint32_t {
        if (failure) return sectors_;
        log_.write("\r\n");
        log_.writeHex4(type);
        const auto left = [&](std::uint32_t used) {
            log_.write("Length in sectors = ");
            log_.writeHex8(sectors_ - std::min(sectors_, s + used));
            log_.writeLine("");
            return used;
        };
        if (type == kBlockMeasure) {
            const std::uint32_t used = measureBlock(s, out);
            closeConductor(out);
            return left(used);
        }
        closeConductor(out);
        if (type == kBlockHeader) {
            log_.writeLine(" HEADER block");
            return left(headerBlock(s, out));
        }
        if (type == kBlockTempo) return 1;
        if (type <= 0x0F) {
            auto used = trackBlock(s, out);
            if (!used) {
                failure = used.failure();
                return sectors_;
            }
            return left(*used);
        }
        ui_.message(text::kUnknownTrackType, text::kTitleMidiEditor, Icon::Warning);
        return 1;
    });
    if (failure) return *failure;
    closeConductor(out);
    if (buffer) {
        (*buffer)[trackCountAt] = static_cast<std::uint8_t>(tracks_ >> 8);
        (*buffer)[trackCountAt + 1] = static_cast<std::uint8_t>(tracks_);
    }
    return out.size();
}

} // namespace

std::uint32_t MicrosecondsPerQuarter(std::int64_t bpm) {
    if (bpm < 1) return 0xFFFFFF;
    const double us = std::nearbyint(60000000.0 / static_cast<double>(bpm));
    return static_cast<std::uint32_t>(std::min(us, 16777215.0));
}

SongToMidiOptions SongToMidiOptionsFrom(const MidiEditorSettings& settings) {
    SongToMidiOptions o;
    if (settings.midiTrackName <= static_cast<std::uint8_t>(TrackNameSource::TrackAndPatch))
        o.trackNames = static_cast<TrackNameSource>(settings.midiTrackName);
    return o;
}

std::function<std::optional<std::string>(int)> PatchNamesOf(const SongImage& image, const DiskDefinition& definition) {
    if (!(definition.hasSongs && definition.hasSounds)) return {};
    return [&image](int patch) -> std::optional<std::string> {
        std::array<std::uint8_t, 256> record{};
        if (!image.read(0xFC00 + 256 * static_cast<std::uint32_t>(patch), record)) return std::nullopt;
        std::string name(record.begin(), record.begin() + 12);
        std::replace(name.begin(), name.end(), '\0', ' ');
        return TrimBlanks(name);
    };
}

Result<std::vector<std::uint8_t>> song_to_midi(std::span<const std::uint8_t> song, UserInteraction& ui,
                                             const SongToMidiOptions& options) {
    LogWriter log;
    if (options.logDir) log.open(*options.logDir / text::kSong2MidiLog);
    log.writeLine(text::kLogStarted);
    Converter c(song, ui, options, log);
    if (const Status s = c.parse_song(); !s) {
        log.writeLine(s.failure().text);
        return s.failure();
    }
    log.writeLine("================== PASS 1 ==================");
    const auto size = c.pass(nullptr);
    if (!size) return size.failure();
    log.writeLine("\n\r================== PASS 2 ==================");
    std::vector<std::uint8_t> midi;
    midi.reserve(*size);
    const auto written = c.pass(&midi);
    if (!written) return written.failure();
    log.writeLine(text::kLogFinished);
    return midi;
}

std::string_view SongToMidiTitle(const Failure& failure) {
    return failure.text == text::kUnknownMidiEvent ? text::kTitleFennet : text::kTitleMidiEditor;
}

} // namespace veldin::midi
