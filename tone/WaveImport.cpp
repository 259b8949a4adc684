#include "tone/WaveImport.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

#include <soxr.h>

#include "core/Bytes.h"
#include "core/LogWriter.h"
#include "core/Messages.h"
#include "core/SamplePacking.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

constexpr int kTagPcm = 1;
constexpr int kTagFloat = 3;
constexpr int kTagExtensible = 0xFFFE;
constexpr std::size_t kMaxSegments = 255; // one byte in the tone file header

bool IdIs(std::span<const std::uint8_t> b, const char* id) { return std::memcmp(b.data(), id, 4) == 0; }

bool Printable(std::span<const std::uint8_t> id) {
    return std::all_of(id.begin(), id.begin() + 4, [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// The "fmt " chunk: format tag, channels, rate, bits; an extensible format is resolved
// to the tag of its sub-format (the first two bytes of the GUID).
std::optional<WaveFormat> ReadFormat(std::span<const std::uint8_t> c) {
    if (c.size() < 16) return std::nullopt;
    WaveFormat f;
    f.tag = ReadLe16(c);
    f.channels = ReadLe16(c.subspan(2));
    f.rate = ReadLe32(c.subspan(4));
    f.bits = ReadLe16(c.subspan(14));
    if (f.tag == kTagExtensible && c.size() >= 26) f.tag = ReadLe16(c.subspan(24));
    return f;
}

bool WidthSupported(const WaveFormat& f) {
    if (f.tag == kTagFloat) return f.bits == 32;
    return f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32;
}

std::array<std::uint8_t, 8> ToneNameFrom(std::string_view fileName) {
    std::array<std::uint8_t, 8> name{};
    const std::string base = std::filesystem::path(std::string(fileName)).filename().string();
    std::copy_n(base.begin(), std::min<std::size_t>(base.size(), 8), name.begin());
    return name;
}

// "piano.wa" becomes "piano.wL" / "piano.wR": the name up to its first zero byte with
// its last character replaced.
void MarkChannel(ToneRecord& r, char mark) {
    std::string name = r.rawName();
    name.resize(std::strlen(name.c_str()));
    if (name.empty()) name = " ";
    name.back() = mark;
    r.setName(name);
}

std::string Decimal(std::int64_t v) { return std::to_string(v); }

// High-quality resampling of one channel (libsoxr); the length scales with the rates.
std::vector<std::int16_t> Resample(const std::vector<std::int16_t>& in, std::uint32_t from, int to) {
    if (in.empty()) return {};
    const std::size_t outLength = static_cast<std::size_t>(
        (static_cast<std::uint64_t>(in.size()) * static_cast<std::uint64_t>(to) + from / 2) / from);
    std::vector<std::int16_t> out(std::max<std::size_t>(outLength, 1));
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    std::size_t done = 0;
    if (soxr_oneshot(from, to, 1, in.data(), in.size(), nullptr, out.data(), out.size(), &done, &io, &quality,
                     nullptr) != nullptr)
        return in;
    out.resize(done);
    return out;
}

bool IsRiffWave(std::span<const std::uint8_t> wav) {
    return wav.size() >= 12 && IdIs(wav, "RIFF") && IdIs(wav.subspan(8), "WAVE");
}

} // namespace

std::int16_t SampleAt(const WaveFormat& f, std::size_t frame, int channel) {
    const std::size_t width = static_cast<std::size_t>(f.bits / 8);
    const std::size_t at = (frame * static_cast<std::size_t>(f.channels) + static_cast<std::size_t>(channel)) * width;
    const auto s = f.data.subspan(at, width);
    if (f.tag == kTagFloat) {
        float v;
        const std::uint32_t bits = ReadLe32(s);
        std::memcpy(&v, &bits, sizeof v);
        if (!(v == v)) return 0; // NaN
        const double scaled = std::floor(static_cast<double>(v) * 32768.0);
        return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
    }
    switch (width) {
    case 1: return static_cast<std::int16_t>((s[0] - 128) * 256);
    case 2: return static_cast<std::int16_t>(ReadLe16(s));
    case 3: return static_cast<std::int16_t>(s[1] | (s[2] << 8));
    default: return static_cast<std::int16_t>(s[2] | (s[3] << 8));
    }
}

Result<ToneRecord> LoadTemplate(const std::filesystem::path& mainDir, LogWriter* log) {
    std::ifstream in(FindDataFile(mainDir, text::kTemplateFileName), std::ios::binary);
    if (!in) return Fail(text::kNoTemplate, Icon::None);
    if (log) log->writeLine(" default.ston loaded");
    std::vector<std::uint8_t> b(kToneFileHeader + kToneRecordSize);
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    const bool magic = got >= kToneFileHeader && HasRtonMagic(b);
    const bool oneRecord = got >= kToneFileHeader && b[5] == 1 && b[4] == 0;
    if (log && !magic) log->writeLine(" default.ston does not contain RTON chunk");
    if (log && !oneRecord) log->writeLine(" default.ston RTON struct have lenght 0!");
    // A template shorter than its one record is as unusable as a wrong header.
    if (!magic || !oneRecord || got < b.size()) return Fail(text::kBadTemplate, Icon::None);
    return ToneRecord::FromBytes(std::span(b).subspan(kToneFileHeader));
}

Result<ToneFile> WaveToToneFile(std::span<const std::uint8_t> wav, std::string_view fileName,
                                const WaveImportOptions& options, UserInteraction& ui) {
    LogWriter log;
    if (options.log) {
        log.open(options.logDir / text::kLogFileName);
        log.writeLine(text::kLogTitle);
    }
    if (!IsRiffWave(wav)) return Fail(text::kNotWave, Icon::None);
    std::error_code ec;
    log.writeLine(std::filesystem::absolute(FindDataFile(options.mainDir, text::kTemplateFileName), ec).string());
    auto tpl = LoadTemplate(options.mainDir, &log);
    if (!tpl) return tpl.failure();
    return ConvertWave(wav, fileName, *tpl, ui, &log, options.resample);
}

Result<ToneFile> ConvertWave(std::span<const std::uint8_t> wav, std::string_view fileName, const ToneRecord& tpl,
                             UserInteraction& ui, LogWriter* logTo, bool resample) {
    LogWriter none;
    LogWriter& log = logTo ? *logTo : none;
    if (!IsRiffWave(wav)) return Fail(text::kNotWave, Icon::None);
    ToneRecord r1 = tpl;
    const auto name = ToneNameFrom(fileName);
    std::copy(name.begin(), name.end(), r1.bytes().begin());
    r1.setOutput(0);
    r1.setIsSubtone(0);
    r1.setOrigKey(72);
    r1.setSegmentTop(0);
    r1.setLoopMode(2);
    log.writeLine(" * examine wave");

    std::optional<WaveFormat> format;
    std::optional<std::span<const std::uint8_t>> data;
    ChannelMode mode = ChannelMode::Mono;
    std::size_t pos = 12;
    while (pos < wav.size()) {
        if (wav.size() - pos < 8) break; // a few stray bytes after the last chunk
        const auto id = wav.subspan(pos, 4);
        const std::uint32_t size = ReadLe32(wav.subspan(pos + 4));
        if (size > wav.size() - pos - 8) return Fail(text::kWaveChunkPastEnd, Icon::None);
        const auto body = wav.subspan(pos + 8, size);
        if (IdIs(id, "fmt ")) {
            log.writeLine(" processing FMT chunk");
            format = ReadFormat(body);
            if (!format || format->channels == 0) return Fail(text::kWaveNoFormat, Icon::None);
            if (format->tag != kTagPcm && format->tag != kTagFloat) {
                log.writeLine(" - pcm.wf.wFormatTag = " + Decimal(format->tag));
                return Fail(text::kNotPcm, Icon::None);
            }
            log.write(" Wave Format: PCM Wave, " + Decimal(format->bits) + "bit, " + Decimal(format->rate) + "kHz");
            if (format->channels > 2) {
                log.writeLine(" - pcm.wf.nChannels = " + Decimal(format->channels));
                return Fail(text::kTooManyChannels, Icon::None);
            }
            if (!WidthSupported(*format)) return Fail(text::kWaveSampleWidth, Icon::None);
            if (format->channels != 2) {
                log.writeLine(", MONO");
                mode = ChannelMode::Mono;
            } else {
                log.writeLine(text::kStereoQuestion.substr(0, 70));
                const Answer a = ui.ask(text::kStereoQuestion, veldin::text::kTitleToneEditor, Buttons::YesNoCancel,
                                        Icon::None);
                if (a == Answer::Cancel) {
                    // The user keeps the image as it is; there is nothing to tell.
                    log.writeLine("  CANCEL pressed - nothing imported");
                    return Fail(text::kImportCancelled, Icon::None);
                }
                if (a == Answer::Yes) {
                    mode = ChannelMode::Left;
                    log.writeLine("  YES pressed - import only left channel");
                } else {
                    mode = ChannelMode::Both;
                    log.writeLine("  NO pressed  - import both channels");
                }
            }
        } else if (IdIs(id, "data")) {
            if (!format) return Fail(text::kWaveNoFormat, Icon::None);
            log.writeLine(" processing DATA chunk");
            log.writeLine(" Wave lenght in bytes:" + Decimal(size));
            data = body; // the last "data" chunk counts
        }
        // Chunks are padded to an even length; a writer that forgot the pad byte is
        // recognised by a printable id where the unpadded next chunk would start.
        std::size_t next = pos + 8 + size;
        if (size % 2 != 0) {
            const bool padMissing = next + 4 <= wav.size() && Printable(wav.subspan(next, 4)) &&
                                    !(next + 5 <= wav.size() && Printable(wav.subspan(next + 1, 4)));
            if (!padMissing) ++next;
        }
        pos = next;
    }
    log.writeLine(" * end of wave");
    if (!format) return Fail(text::kWaveNoFormat, Icon::None);
    if (!data) return Fail(text::kWaveNoData, Icon::None);

    WaveFormat f = *format;
    f.data = *data;
    const std::size_t frameBytes = static_cast<std::size_t>(f.channels) * static_cast<std::size_t>(f.bits / 8);
    const std::size_t frames = f.data.size() / frameBytes;
    std::vector<std::int16_t> left(frames), right;
    for (std::size_t i = 0; i < frames; ++i) left[i] = SampleAt(f, i, 0);
    if (mode == ChannelMode::Both) {
        right.resize(frames);
        for (std::size_t i = 0; i < frames; ++i) right[i] = SampleAt(f, i, 1);
    }
    if (resample && f.rate != 0 && static_cast<int>(f.rate) != tpl.rate()) {
        left = Resample(left, f.rate, tpl.rate());
        if (!right.empty()) right = Resample(right, f.rate, tpl.rate());
        log.writeLine(" resampled to " + Decimal(tpl.rate()) + "Hz");
    }
    const std::size_t n = left.size(); // samples per channel
    std::vector<std::uint16_t> words(left.begin(), left.end());
    if (mode == ChannelMode::Both) words.insert(words.end(), right.begin(), right.end());
    else words.resize(n / 2 * 2); // a last odd sample is dropped
    if (words.empty()) return Fail(text::kWaveNoData, Icon::None);
    const std::size_t needed = (PackedSize(words.size()) + kSegmentSize - 1) / kSegmentSize;
    if (needed > kMaxSegments) return Fail(text::kWaveTooLong, Icon::None);

    ToneFile file;
    file.segments = static_cast<std::uint8_t>(needed);
    file.wave.assign(needed * kSegmentSize, 0);
    PackSamples12(words, file.wave);
    r1.setStartPoint(0);
    r1.setLoopPoint(0);
    r1.setEndPoint(static_cast<std::uint32_t>(n));
    r1.setLoopLength(static_cast<std::uint32_t>(n));
    r1.setSegmentCount(file.segments);
    if (mode == ChannelMode::Both) {
        ToneRecord r2 = r1;
        r2.setIsSubtone(1);
        MarkChannel(r1, 'L');
        MarkChannel(r2, 'R');
        r2.setStartPoint(static_cast<std::uint32_t>(n));
        r2.setLoopPoint(static_cast<std::uint32_t>(n));
        r2.setEndPoint(static_cast<std::uint32_t>(2 * n));
        r2.setLoopLength(static_cast<std::uint32_t>(n));
        file.records = {r1, r2};
    } else {
        file.records = {r1};
    }
    return file;
}

} // namespace veldin::tone
