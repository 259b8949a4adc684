// WAV files into tone files: channel modes, sample widths, the template, the log, and
// damaged files that must be refused without reading past their end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/Bytes.h"
#include "tests/support/TestSupport.h"
#include "tests/tone/ToneTestSupport.h"
#include "tone/ToneTexts.h"
#include "tone/WaveImport.h"

namespace veldin::tone {
namespace {

using test::Unpacked;

using Bytes = std::vector<std::uint8_t>;

void Le(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Id(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}
void Chunk(Bytes& b, const char* id, const Bytes& body) {
    Id(b, id);
    Le(b, static_cast<std::uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
}
Bytes Fmt(int tag, int channels, std::uint32_t rate, int bits, int extensibleSub = 0) {
    Bytes f;
    Le(f, static_cast<std::uint32_t>(extensibleSub ? 0xFFFE : tag), 2);
    Le(f, static_cast<std::uint32_t>(channels), 2);
    Le(f, rate, 4);
    Le(f, rate * static_cast<std::uint32_t>(channels * bits / 8), 4);
    Le(f, static_cast<std::uint32_t>(channels * bits / 8), 2);
    Le(f, static_cast<std::uint32_t>(bits), 2);
    if (extensibleSub) {
        Le(f, 22, 2);
        Le(f, static_cast<std::uint32_t>(bits), 2);
        Le(f, 4, 4);
        Le(f, static_cast<std::uint32_t>(extensibleSub), 2);
        const std::uint8_t rest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        f.insert(f.end(), rest, rest + 14);
    }
    return f;
}
Bytes Riff(const std::vector<std::pair<const char*, Bytes>>& chunks) {
    Bytes b;
    Id(b, "RIFF");
    Le(b, 0, 4);
    Id(b, "WAVE");
    for (const auto& [id, body] : chunks) Chunk(b, id, body);
    WriteLe32(static_cast<std::uint32_t>(b.size() - 8), std::span(b).subspan(4, 4));
    return b;
}
Bytes Pcm16(const std::vector<std::int16_t>& s) {
    Bytes b;
    for (auto v : s) Le(b, static_cast<std::uint16_t>(v), 2);
    return b;
}
std::vector<std::int16_t> Ramp(std::size_t n, int step = 37) {
    std::vector<std::int16_t> s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::int16_t>((static_cast<int>(i) * step) % 65536 - 32768);
    return s;
}
struct WaveImport : ::testing::Test {
    veldin::test::ScriptedUi ui;
    veldin::test::TempDir dir;
    WaveImportOptions options{veldin::test::BinDir(), false, "."};
    Result<ToneFile> Convert(const Bytes& wav, std::string_view name = "piano.wav") {
        return WaveToToneFile(wav, name, options, ui);
    }
};

TEST_F(WaveImport, MonoFileBecomesOneTone) {
    const auto samples = Ramp(12000);
    auto f = Convert(Riff({{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", Pcm16(samples)}}));
    ASSERT_TRUE(f) << f.failure().text;
    ASSERT_EQ(f->records.size(), 1u);
    EXPECT_EQ(f->segments, 1);
    const ToneRecord& r = f->records[0];
    EXPECT_EQ(std::tuple(r.startPoint(), r.endPoint(), r.loopLength(), r.segmentCount()), std::tuple(0u, 12000u, 12000u, 1));
    EXPECT_EQ(std::tuple(r.origKey(), r.loopMode(), r.rawName()), std::tuple(72, 2, "piano.wa"));
    EXPECT_EQ(r.rate(), 30000); // the file's 44.1 kHz is not used
    const auto w = Unpacked(*f);
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(w[i], static_cast<std::uint16_t>(samples[i]) & 0xFFF0) << i;
    // The packed samples fill 18,000 bytes; the rest of the segment is zero.
    EXPECT_TRUE(std::all_of(f->wave.begin() + 18000, f->wave.end(), [](auto b) { return b == 0; }));
    EXPECT_TRUE(ui.shown().empty());

    // An odd sample count drops the last sample but keeps the end point.
    auto s = Ramp(12289);
    s.back() = 0x7FF0;
    auto odd = Convert(Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", Pcm16(s)}}), "kick.wav");
    ASSERT_TRUE(odd);
    EXPECT_EQ(std::tuple(odd->records[0].endPoint(), odd->segments, odd->records[0].rawName()),
              std::tuple(12289u, 1, "kick.wav"));
    const auto stored = Unpacked(*odd);
    ASSERT_EQ(stored.size(), 12288u);
    EXPECT_EQ(stored.back(), static_cast<std::uint16_t>(s[12287]) & 0xFFF0);
}

TEST_F(WaveImport, StereoLeftOrBothAsToneAndSubtone) {
    std::vector<std::int16_t> inter;
    for (int i = 0; i < 1000; ++i) {
        inter.push_back(static_cast<std::int16_t>(i * 16));
        inter.push_back(static_cast<std::int16_t>(-i * 16));
    }
    const auto wav = Riff({{"fmt ", Fmt(1, 2, 22050, 16)}, {"LIST", Bytes(5, 'x')}, {"data", Pcm16(inter)}});
    ui.answer(Answer::Yes);
    auto left = Convert(wav);
    ASSERT_TRUE(left);
    EXPECT_EQ(ui.shown().at(0).text, text::kStereoQuestion);
    ASSERT_EQ(left->records.size(), 1u);
    EXPECT_EQ(left->records[0].endPoint(), 1000u);
    EXPECT_EQ(Unpacked(*left)[999], static_cast<std::uint16_t>(999 * 16));

    ui.answer(Answer::No);
    auto both = Convert(wav);
    ASSERT_TRUE(both);
    ASSERT_EQ(both->records.size(), 2u);
    const auto& l = both->records[0];
    const auto& r = both->records[1];
    EXPECT_EQ(std::tuple(l.rawName(), l.isSubtone(), r.rawName(), r.isSubtone(), r.segmentCount()),
              std::tuple("piano.wL", 0, "piano.wR", 1, l.segmentCount()));
    EXPECT_EQ(std::tuple(r.startPoint(), r.loopPoint(), r.endPoint(), r.loopLength()), std::tuple(1000u, 1000u, 2000u, 1000u));
    const auto w = Unpacked(*both);
    EXPECT_EQ(std::tuple(w[5], w[1005]),
              std::tuple(static_cast<std::uint16_t>(5 * 16), static_cast<std::uint16_t>(-5 * 16)));

    ui.answer(Answer::No);
    auto shortName = Convert(wav, "ab");
    ASSERT_TRUE(shortName);
    EXPECT_EQ(shortName->records[0].rawName(), std::string("aL\0\0\0\0\0\0", 8));
}

TEST_F(WaveImport, OtherSampleWidthsBecomeSixteenBits) {
    struct Case {
        const char* what;
        Bytes fmt;
        Bytes data;
        std::vector<std::uint16_t> expect;
    };
    float fl[4] = {0.5f, -1.0f, 2.0f, -0.25f};
    Bytes floats;
    for (float v : fl) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        Le(floats, u, 4);
    }
    const Case cases[] = {
        {"8-bit", Fmt(1, 1, 8000, 8), {0x80, 0xFF, 0x00, 0x90}, {0x0000, 0x7F00, 0x8000, 0x1000}},
        {"24-bit", Fmt(1, 1, 48000, 24), {0x11, 0x34, 0x12, 0xFF, 0xFF, 0xFF}, {0x1230, 0xFFF0}},
        {"32-bit", Fmt(1, 1, 48000, 32), {0x11, 0x22, 0x34, 0x12, 0, 0, 0x00, 0x80}, {0x1230, 0x8000}},
        {"float", Fmt(3, 1, 48000, 32), floats, {0x4000, 0x8000, 0x7FF0, 0xE000}},
        {"extensible 24-bit", Fmt(1, 1, 48000, 24, 1), {0x11, 0x34, 0x12, 0, 0, 0x80}, {0x1230, 0x8000}},
        {"extensible float", Fmt(3, 1, 48000, 32, 3), Bytes(floats.begin(), floats.begin() + 8), {0x4000, 0x8000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto f = Convert(Riff({{"fmt ", c.fmt}, {"data", c.data}}));
        ASSERT_TRUE(f) << f.failure().text;
        const auto w = Unpacked(*f);
        for (std::size_t i = 0; i < c.expect.size(); ++i) EXPECT_EQ(w[i], c.expect[i]) << i;
    }
}

TEST_F(WaveImport, RefusalsWithTheirTexts) {
    const auto good = Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", Pcm16(Ramp(10))}});
    auto refused = [&](const Bytes& wav, std::string_view text) {
        EXPECT_EQ(veldin::tone::test::Refused(Convert(wav)), Fail(text, Icon::None));
    };
    Bytes notRiff = good;
    notRiff[0] = 'X';
    refused(notRiff, text::kNotWave);
    refused(Bytes(good.begin(), good.begin() + 11), text::kNotWave);
    refused(Riff({{"fmt ", Fmt(2, 1, 30000, 16)}, {"data", Pcm16(Ramp(10))}}), text::kNotPcm);
    refused(Riff({{"fmt ", Fmt(1, 4, 30000, 16)}, {"data", Pcm16(Ramp(12))}}), text::kTooManyChannels);
    refused(Riff({{"fmt ", Fmt(1, 0, 30000, 16)}, {"data", Pcm16(Ramp(12))}}), text::kWaveNoFormat);
    refused(Riff({{"fmt ", Fmt(1, 1, 30000, 12)}, {"data", Pcm16(Ramp(12))}}), text::kWaveSampleWidth);
    refused(Riff({{"data", Pcm16(Ramp(10))}, {"fmt ", Fmt(1, 1, 30000, 16)}}), text::kWaveNoFormat);
    refused(Riff({{"data", Pcm16(Ramp(10))}}), text::kWaveNoFormat);
    refused(Riff({{"fmt ", Fmt(1, 1, 30000, 16)}}), text::kWaveNoData);
    refused(Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", {}}}), text::kWaveNoData);
    refused(Riff({{"fmt ", Bytes(10, 1)}, {"data", Pcm16(Ramp(10))}}), text::kWaveNoFormat);
    // A data chunk whose size runs past the end of the file, by one byte.
    Bytes past = good;
    WriteLe32(21, std::span(past).subspan(past.size() - 24, 4));
    refused(past, text::kWaveChunkPastEnd);
    Bytes huge = good;
    WriteLe32(0xFFFFFFF0u, std::span(huge).subspan(16, 4));
    refused(huge, text::kWaveChunkPastEnd);
}

TEST_F(WaveImport, TooLongForAToneFileIsRefused) {
    // 256 segments of 12,288 samples.
    const std::size_t n = 256 * 12288;
    Bytes data(n * 2, 0);
    EXPECT_EQ(veldin::tone::test::Refused(Convert(Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", data}}))).text,
              text::kWaveTooLong);
    data.resize((n - 12288) * 2);
    auto g = Convert(Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", data}}));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->segments, 255);
}

TEST_F(WaveImport, LastDataChunkCountsAndOddChunksAreSkippedSafely) {
    Bytes wav = Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", Pcm16(Ramp(4))}, {"junk", Bytes(3, 7)},
                      {"data", Pcm16(Ramp(6, 99))}});
    EXPECT_EQ(Convert(wav)->records[0].endPoint(), 6u);
    // A file ending in an odd-sized data chunk without its pad byte, and a RIFF size
    // that is wrong.
    Bytes odd = Riff({{"fmt ", Fmt(1, 1, 8000, 8)}, {"data", Bytes{1, 2, 3}}});
    odd.pop_back();
    WriteLe32(12345678, std::span(odd).subspan(4, 4));
    auto g = Convert(odd);
    ASSERT_TRUE(g) << g.failure().text;
    EXPECT_EQ(g->records[0].endPoint(), 3u);
}

TEST_F(WaveImport, TemplateMissingOrDamagedAndTheLog) {
    const auto wav = Riff({{"fmt ", Fmt(1, 1, 30000, 16)}, {"data", Pcm16(Ramp(10))}});
    options.mainDir = dir.path();
    EXPECT_EQ(Convert(wav).failure(), Fail(text::kNoTemplate, Icon::None));
    auto ston = veldin::test::ReadFile(veldin::test::BinDir() / "default.ston");
    ASSERT_EQ(ston.size(), 134u);
    for (auto damage : {std::pair{0, int{'X'}}, std::pair{4, 1}, std::pair{5, 2}}) {
        auto bad = ston;
        bad[static_cast<std::size_t>(damage.first)] = static_cast<std::uint8_t>(damage.second);
        veldin::test::WriteFile(dir / "default.ston", bad);
        EXPECT_EQ(Convert(wav).failure(), Fail(text::kBadTemplate, Icon::None));
    }
    // The log says what is wrong.
    options.log = true;
    options.logDir = dir.path();
    auto noMagic = ston;
    noMagic[1] = 'X';
    noMagic[5] = 0;
    veldin::test::WriteFile(dir / "default.ston", noMagic);
    EXPECT_FALSE(Convert(wav));
    const auto logBytes = veldin::test::ReadFile(dir / "wave2rton.txt");
    const std::string log(logBytes.begin(), logBytes.end());
    EXPECT_NE(log.find(" default.ston does not contain RTON chunk\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" default.ston RTON struct have lenght 0!\r\n"), std::string::npos);
    // The log of a conversion follows it, answers included; without the option there is none.
    veldin::test::WriteFile(dir / "default.ston", ston);
    ui.answer(Answer::No);
    ASSERT_TRUE(Convert(Riff({{"fmt ", Fmt(1, 2, 44100, 16)}, {"data", Pcm16(std::vector<std::int16_t>(20, 0))}})));
    const auto again = veldin::test::ReadFile(dir / "wave2rton.txt");
    const std::string conversion(again.begin(), again.end());
    for (const char* line : {"========== Wave 2 RTON Conversion Log =========\r\n", " Wave Format: PCM Wave, 16bit, 44100kHz",
                             "  NO pressed  - import both channels\r\n", " Wave lenght in bytes:40\r\n"})
        EXPECT_NE(conversion.find(line), std::string::npos) << line;
    options.log = false;
    std::filesystem::remove(dir / "wave2rton.txt");
    ASSERT_TRUE(Convert(wav));
    EXPECT_FALSE(std::filesystem::exists(dir / "wave2rton.txt"));
    veldin::test::WriteFile(dir / "default.ston", Bytes(ston.begin(), ston.begin() + 100));
    EXPECT_EQ(Convert(wav).failure().text, text::kBadTemplate);
    // A template's bytes reach the tone, apart from the fields the conversion sets.
    auto mine = ston;
    mine[6 + 71] = 55; // volume
    mine[6 + 100] = 0xEE; // not interpreted
    mine[6 + 11] = 1; // 15 kHz
    veldin::test::WriteFile(dir / "default.ston", mine);
    auto f = Convert(wav);
    ASSERT_TRUE(f);
    EXPECT_EQ(std::tuple(f->records[0].volume(), f->records[0].bytes()[100], f->records[0].rate()),
              std::tuple(55, 0xEE, 15000));
}

TEST_F(WaveImport, ResampleKeepsThePitchOnlyWhenAsked) {
    // One second of a 441 Hz sine at 44.1 kHz: 100 samples per period.
    std::vector<std::int16_t> s(44100);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * 3.14159265358979 * static_cast<double>(i) / 100.0)));
    const auto wav = Riff({{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", Pcm16(s)}});
    EXPECT_EQ(Convert(wav)->records[0].endPoint(), 44100u);

    options.resample = true;
    auto re = Convert(wav);
    ASSERT_TRUE(re);
    EXPECT_EQ(std::tuple(re->records[0].endPoint(), re->segments), std::tuple(30000u, 3));
    // At 30 kHz a period of 441 Hz is 68.03 samples: count rising zero crossings in the
    // middle of the tone.
    const auto w = Unpacked(*re);
    int crossings = 0;
    for (std::size_t i = 1000; i < 29000; ++i)
        crossings += static_cast<std::int16_t>(w[i - 1]) < 0 && static_cast<std::int16_t>(w[i]) >= 0;
    EXPECT_NEAR(crossings, 28000.0 / (30000.0 / 441.0), 2.0);

    // A file already at the tone's rate is left as it is.
    ui.answer(Answer::No);
    std::vector<std::int16_t> st(2 * 30000, 100);
    EXPECT_EQ(Convert(Riff({{"fmt ", Fmt(1, 2, 30000, 16)}, {"data", Pcm16(st)}}))->records[1].endPoint(), 60000u);
}

} // namespace
} // namespace veldin::tone
