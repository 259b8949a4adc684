// Our WAV files read back by independent readers (sndfile-info, sox), and WAV files
// from Debian packages (written by others, one of them broken) converted and compared
// with what sox reads from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "tests/support/TestSupport.h"
#include "tests/tone/ToneTestSupport.h"
#include "tone/WaveExport.h"
#include "tone/WaveImport.h"

namespace veldin::tone {
namespace {

using test::Unpacked;

namespace fs = std::filesystem;
using veldin::test::ReadFile;
using veldin::test::ScriptedUi;
using veldin::test::TempDir;
using veldin::test::WriteFile;

std::optional<std::string> Capture(const std::string& command) {
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return std::nullopt;
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    if (pclose(p) != 0) return std::nullopt;
    return out;
}

bool Have(const char* tool) { return Capture(std::string("command -v ") + tool + " >/dev/null 2>&1 && echo y") == "y\n"; }

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// The samples sox reads from a file, as 16-bit signed integers, no dither.
std::optional<std::vector<std::int16_t>> SoxSamples(const fs::path& wav) {
    auto raw = Capture("sox -D " + Quote(wav) + " -t raw -e signed-integer -b 16 -L - 2>/dev/null");
    if (!raw) return std::nullopt;
    std::vector<std::int16_t> s(raw->size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>((*raw)[2 * i]) |
                                         (static_cast<std::uint8_t>((*raw)[2 * i + 1]) << 8));
    return s;
}

TEST(IndependentReaders, ExportedWaveAsSndfileAndSoxSeeIt) {
    if (!Have("sndfile-info") || !Have("sox")) GTEST_SKIP() << "sndfile-info or sox is not installed (scripts/deps.sh)";
    auto doc = test::EmptyImage(data::TemplateKind::S550);
    test::Put(doc, {"PIANO", 0, 0, 0, 2, false, 0, 0, 1000, 24576});
    test::Put(doc, {"PIANO-S", 1, 0, 0, 2, true, 0, 3000, 5000, 9000});
    test::FillWave(doc, 0, 0, 2, 5);
    TempDir dir;
    const WaveExportOptions o{true, true, true, false};
    auto w = BuildToneWave(doc, ToneAreas::Read(doc), ToneRef::Make(0, Area::Ram, 0), o);
    ASSERT_TRUE(w);
    WriteFile(dir / "t.wav", WaveFileBytes(*w, o));

    const auto info = Capture("sndfile-info " + Quote(dir / "t.wav"));
    ASSERT_TRUE(info);
    for (const char* line : {"Format        : 0x1 => WAVE_FORMAT_PCM", "Channels      : 1", "Sample Rate   : 30000",
                             "Bit Width     : 16", "Bytes/sec     : 60000", "cue  : 100", "Count : 4",
                             "Cue ID :  1  Pos :     0", "Cue ID :  2  Pos :  1000", "Cue ID :  3  Pos :  3000",
                             "Cue ID :  4  Pos :  5000", "LIST : ", "adtl", "ltxt : 20", "smpl : 60", "PAD  : ",
                             "data : 49152", "Frames      : 24576"})
        EXPECT_NE(info->find(line), std::string::npos) << line << " in\n" << *info;
    EXPECT_LT(info->find("PAD  : "), info->find("data : "));

    const auto inst = Capture("sndfile-info --instrument " + Quote(dir / "t.wav"));
    ASSERT_TRUE(inst);
    for (const char* line : {"Base note   : 60", "Loop points : 1", "Start :   1000   End :  24576"})
        EXPECT_NE(inst->find(line), std::string::npos) << line << " in\n" << *inst;

    auto s = SoxSamples(dir / "t.wav");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->size(), w->samples.size());
    for (std::size_t i = 0; i < s->size(); ++i) ASSERT_EQ(static_cast<std::uint16_t>((*s)[i]), w->samples[i]) << i;
}

struct DebianSound {
    const char* path;
    int channels;
};

class DebianSounds : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = VELDIN_DEB_SOUNDS;
        if (!fs::exists(root_ / "usr/share/sounds/alsa/Front_Center.wav"))
            GTEST_SKIP() << "the Debian sound packages could not be fetched into " << root_;
        if (!Have("sox")) GTEST_SKIP() << "sox is not installed (scripts/deps.sh)";
    }
    fs::path root_;
};

TEST_F(DebianSounds, ConvertedSamplesAgreeWithSox) {
    const DebianSound files[] = {
        {"usr/share/sounds/alsa/Front_Center.wav", 1},              // 16-bit mono 48 kHz
        {"usr/share/sounds/purple/alert.wav", 1},                   // 16-bit, LIST/INFO after data
        {"usr/share/games/circuslinux/data/sounds/teeter1.wav", 2}, // 16-bit stereo
        {"usr/share/games/circuslinux/data/sounds/splat.wav", 1},   // 8-bit, "fmt " of 18, "fact"
        {"usr/share/games/circuslinux/data/sounds/wahoo.wav", 1},   // 8-bit, odd data, padded, LIST
    };
    const ToneRecord tpl = *LoadTemplate(veldin::test::BinDir());
    for (const auto& f : files) {
        SCOPED_TRACE(f.path);
        const auto wav = ReadFile(root_ / f.path);
        const auto sox = SoxSamples(root_ / f.path);
        ASSERT_TRUE(sox);
        const std::size_t frames = sox->size() / static_cast<std::size_t>(f.channels);
        for (Answer a : {Answer::Yes, Answer::No}) {
            if (f.channels == 1 && a == Answer::No) continue;
            ScriptedUi ui;
            ui.answer(a);
            auto t = ConvertWave(wav, fs::path(f.path).filename().string(), tpl, ui, nullptr);
            ASSERT_TRUE(t) << t.failure().text;
            EXPECT_EQ(t->records[0].endPoint(), frames);
            const auto w = Unpacked(*t);
            const std::size_t c = static_cast<std::size_t>(f.channels);
            for (std::size_t i = 0; i < frames / 2 * 2; ++i)
                ASSERT_EQ(w[i], static_cast<std::uint16_t>((*sox)[i * c]) & 0xFFF0) << i;
            if (a == Answer::No) {
                ASSERT_EQ(t->records.size(), 2u);
                for (std::size_t i = 0; i < frames; ++i)
                    ASSERT_EQ(w[frames + i], static_cast<std::uint16_t>((*sox)[i * 2 + 1]) & 0xFFF0) << i;
            }
        }
    }
}

TEST_F(DebianSounds, BrokenPopIsReadWithinItsBytes) {
    // RIFF size 36 (wrong), 3,985 bytes of 8-bit data, the file ends without a pad byte.
    const auto wav = ReadFile(root_ / "usr/share/games/circuslinux/data/sounds/pop.wav");
    ASSERT_EQ(wav.size(), 4029u);
    ScriptedUi ui;
    auto t = ConvertWave(wav, "pop.wav", *LoadTemplate(veldin::test::BinDir()), ui, nullptr);
    ASSERT_TRUE(t) << t.failure().text;
    EXPECT_EQ(t->records[0].endPoint(), 3985u);
    const auto w = Unpacked(*t);
    EXPECT_EQ(w[0], static_cast<std::uint16_t>((wav[44] - 128) * 256));
    EXPECT_EQ(w[3983], static_cast<std::uint16_t>((wav[44 + 3983] - 128) * 256));
}

} // namespace
} // namespace veldin::tone
