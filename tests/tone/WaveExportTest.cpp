// Tones into WAV files: the chunk order of every preference combination, cue points,
// labels, the MRK text, the samples at 4096, subtones cut to their points.
#include <gtest/gtest.h>

#include "core/Bytes.h"
#include "core/SamplePacking.h"
#include "tests/tone/ToneTestSupport.h"
#include "tone/ToneTexts.h"
#include "tone/WaveExport.h"

namespace veldin::tone {
namespace {

using data::TemplateKind;
using test::Put;

std::string Id(const std::vector<std::uint8_t>& b, std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) { return ReadLe32(std::span(b).subspan(at, 4)); }

// The chunk ids and offsets after the header.
std::vector<std::pair<std::string, std::size_t>> Chunks(const std::vector<std::uint8_t>& b) {
    std::vector<std::pair<std::string, std::size_t>> out;
    for (std::size_t at = 36; at + 8 <= b.size(); at += 8 + U32(b, at + 4)) out.emplace_back(Id(b, at), at);
    return out;
}
std::vector<std::string> Ids(const std::vector<std::uint8_t>& b) {
    std::vector<std::string> out;
    for (const auto& c : Chunks(b)) out.push_back(c.first);
    return out;
}

struct WaveExport : ::testing::Test {
    MemoryDocument doc = test::EmptyImage(TemplateKind::S550);
    void SetUp() override {
        Put(doc, {"PIANO", 0, 0, 0, 1, false, 0, 0, 100, 12288});
        test::FillWave(doc, 0, 0, 1, 3);
    }
    std::vector<std::uint8_t> Export(ToneRef ref, WaveExportOptions o, ToneWave* keep = nullptr) {
        auto w = BuildToneWave(doc, ToneAreas::Read(doc), ref, o);
        EXPECT_TRUE(w) << (w ? "" : w.failure().text);
        if (!w) return {};
        if (keep) *keep = *w;
        return WaveFileBytes(*w, o);
    }
};

TEST_F(WaveExport, RegionsOffIsPlainPcm) {
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {false, false});
    ASSERT_EQ(b.size(), 44u + 24576u);
    EXPECT_EQ(std::tuple(U32(b, 4), U32(b, 24), U32(b, 28)),
              std::tuple(24612u, 30000u, 60000u)); // RIFF size, rate, bytes/s
    EXPECT_EQ(Ids(b), std::vector<std::string>{"data"});
    // The samples are the unpacked wave.
    std::vector<std::uint16_t> w(12288);
    UnpackSamples12(std::span(doc.image()).subspan(0x12000, 18432), w);
    for (std::size_t i = 0; i < w.size(); i += 997) EXPECT_EQ(ReadLe16(std::span(b).subspan(44 + 2 * i, 2)), w[i]);
    // MRK on without regions changes nothing in the WAV.
    EXPECT_EQ(Export(ToneRef::Make(0, Area::Ram, 0), {false, true}), b);
}

TEST_F(WaveExport, RegionsAfterDataAndLabels) {
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {true, false});
    const auto chunks = Chunks(b);
    ASSERT_EQ(Ids(b), (std::vector<std::string>{"data", "cue ", "LIST"}));
    EXPECT_EQ(chunks[0].second, 36u);
    const std::size_t cue = chunks[1].second;
    // 60 bytes, two points: id 1 at start, id 2 at the loop (position and sample offset).
    EXPECT_EQ(std::tuple(U32(b, cue + 4) + 8, U32(b, cue + 8), U32(b, cue + 12), Id(b, cue + 20)),
              std::tuple(60u, 2u, 1u, "data"));
    EXPECT_EQ(std::tuple(U32(b, cue + 36), U32(b, cue + 40), U32(b, cue + 56)), std::tuple(2u, 100u, 100u));
    const std::size_t list = chunks[2].second;
    // A labelled text for cue 2 running end - loop samples, purpose "rgn ".
    EXPECT_EQ(std::tuple(Id(b, list + 8), Id(b, list + 12), U32(b, list + 20), U32(b, list + 24), Id(b, list + 28)),
              std::tuple("adtl", "ltxt", 2u, 12188u, "rgn "));
    // PIANO: 5 characters take 6 bytes; PIANO_rgn: 9 take 10.
    const std::size_t l1 = list + 12 + 28;
    EXPECT_EQ(std::tuple(Id(b, l1), U32(b, l1 + 4)), std::tuple("labl", 10u));
    EXPECT_EQ(std::string(b.begin() + static_cast<long>(l1) + 12, b.begin() + static_cast<long>(l1) + 18),
              std::string("PIANO\0", 6));
    const std::size_t l2 = l1 + 18;
    EXPECT_EQ(U32(b, l2 + 4), 14u);
    EXPECT_EQ(std::string(b.begin() + static_cast<long>(l2) + 12, b.begin() + static_cast<long>(l2) + 22),
              std::string("PIANO_rgn\0", 10));
    EXPECT_EQ(std::tuple(l2 + 22, U32(b, 4) + 8), std::tuple(b.size(), b.size()));
}

TEST_F(WaveExport, MrkPutsSamplesAt4096) {
    ToneWave w;
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {true, true}, &w);
    ASSERT_EQ(Ids(b), (std::vector<std::string>{"cue ", "LIST", "PAD ", "data"}));
    EXPECT_EQ(std::tuple(Chunks(b)[3].second + 8, b.size()), std::tuple(4096u, 4096u + 24576u));
    EXPECT_EQ(w.mrk,
              "Markers\r\n{\r\n"
              "\tMarker\r\n\t{\r\n\t\tName=PIANO\r\n\t\tPos=0\r\n\t\tType=10\r\n\t\tFlags=0\r\n\t\tExtra=0\r\n\t}\r\n"
              "\tMarker1\r\n\t{\r\n\t\tName=PIANO_rgn\r\n\t\tPos=100\r\n\t\tType=11\r\n\t\tFlags=0\r\n\t\tExtra=0\r\n\t}\r\n"
              "\tMarker2\r\n\t{\r\n\t\tName=Region End\r\n\t\tPos=12288\r\n\t\tType=12\r\n\t\tFlags=1\r\n\t\tExtra=0\r\n\t}\r\n"
              "}\r\n");
    EXPECT_EQ(MrkPathFor("dir.x/piano.wav"), std::filesystem::path("dir.x/piano.MRK"));
    EXPECT_EQ(MrkPathFor("dir.x/piano"), std::filesystem::path("dir.x/piano.MRK"));
}

TEST_F(WaveExport, SubtoneIsCutToItsPoints) {
    Put(doc, {"SUB", 3, 0, 0, 1, true, 0, 1000, 3000, 5000});
    ToneWave w;
    const auto b = Export(ToneRef::Make(0, Area::Ram, 3), {true, true}, &w);
    ASSERT_EQ(w.samples.size(), 4000u);
    std::vector<std::uint16_t> all(12288);
    UnpackSamples12(std::span(doc.image()).subspan(0x12000, 18432), all);
    EXPECT_EQ(std::tuple(w.samples.front(), w.samples.back()), std::tuple(all[1000], all[4999]));
    ASSERT_EQ(w.tones.size(), 1u);
    EXPECT_EQ(std::tuple(w.tones[0].start, w.tones[0].loop, w.tones[0].end), std::tuple(0u, 2000u, 4000u));
    EXPECT_TRUE(w.mrk.find("\tMarker2\r\n") != std::string::npos && w.mrk.find("\tMarker3\r\n") == std::string::npos);
    // The graph asks for the whole wave.
    auto whole = BuildToneWave(doc, ToneAreas::Read(doc), ToneRef::Make(0, Area::Ram, 3), {true, false, false, true});
    ASSERT_TRUE(whole);
    EXPECT_EQ(std::tuple(whole->samples.size(), whole->tones[0].loop), std::tuple(12288u, 3000u));
}

TEST_F(WaveExport, OriginalWithTwoSubtonesAndFallbackLabels) {
    Put(doc, {"", 2, 0, 0, 1, true, 0, 10, 20, 30});
    Put(doc, {"S2", 5, 0, 0, 1, true, 0, 40, 50, 60});
    Put(doc, {"OTHERBNK", 6, 1, 0, 1, true, 0, 40, 50, 60}); // another bank: not exported
    ToneWave w;
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {true, false}, &w);
    const auto chunks = Chunks(b);
    EXPECT_EQ(U32(b, chunks[1].second + 8), 6u);
    std::size_t ltxt = 0, labl = 0;
    for (std::size_t at = chunks[2].second + 12; at < b.size(); at += 8 + U32(b, at + 4)) {
        ltxt += Id(b, at) == "ltxt";
        labl += Id(b, at) == "labl";
    }
    EXPECT_EQ(std::tuple(ltxt, labl, w.tones[1].label, w.tones[1].mrkLabel), std::tuple(3u, 6u, "Tone3", ""));
    EXPECT_NE(w.mrk.find("Name=_rgn\r\n"), std::string::npos);
    EXPECT_TRUE(w.mrk.find("\tMarker8\r\n") != std::string::npos && w.mrk.find("\tMarker9\r\n") == std::string::npos);
    const std::string text(b.begin(), b.end());
    EXPECT_NE(text.find(std::string("Tone3_rgn\0", 10)), std::string::npos);
}

TEST_F(WaveExport, ManyRegionsMoveTheSamplesToTheNextBoundary) {
    // 32 tones of 8-character names fill 3,992 bytes of regions: 52 are left before
    // byte 4096, too few for the "smpl" chunk as well.
    for (int p = 1; p < 32; ++p) Put(doc, {"LONGNAME", p, 0, 0, 1, true, 0, 1, 2, 3});
    const auto fits = Export(ToneRef::Make(0, Area::Ram, 0), {true, true});
    EXPECT_EQ(Chunks(fits).back().second + 8, 4096u);
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {true, true, true});
    const auto chunks = Chunks(b);
    ASSERT_EQ(chunks.back().first, "data");
    EXPECT_EQ((chunks.back().second + 8) % 4096, 0u);
    EXPECT_GT(chunks.back().second + 8, 4096u);
}

TEST_F(WaveExport, SmplCarriesTheLoop) {
    ToneWave w;
    const auto b = Export(ToneRef::Make(0, Area::Ram, 0), {true, false, true}, &w);
    ASSERT_EQ(Ids(b), (std::vector<std::string>{"data", "cue ", "LIST", "smpl"}));
    const std::size_t s = Chunks(b)[3].second + 8;
    // Unity note, one loop, its start and its inclusive end.
    EXPECT_EQ(std::tuple(U32(b, s + 12), U32(b, s + 28), U32(b, s + 44), U32(b, s + 48)),
              std::tuple(60u, 1u, 100u, 12287u));
}

TEST_F(WaveExport, RefusalsChangeNothing) {
    Put(doc, {"BACK", 4, 0, 0, 1, true, 0, 5000, 100, 1000});
    Put(doc, {"PAST", 8, 0, 17, 2});
    auto w30 = test::EmptyImage(TemplateKind::W30);
    Put(w30, {"ROMT", 0, 2, 0, 22}, Area::Rom);
    const auto refusal = [](const MemoryDocument& d, ToneRef ref) {
        return test::Refused(BuildToneWave(d, ToneAreas::Read(d), ref, {})).text;
    };
    EXPECT_EQ(refusal(doc, ToneRef::Make(0, Area::Ram, 4)), text::kEndBeforeStart);
    EXPECT_EQ(refusal(doc, ToneRef::Make(0, Area::Ram, 9)), text::kCantOpenTone);
    EXPECT_EQ(refusal(w30, ToneRef::Make(0, Area::Rom, 0)), text::kRomHasNoWave);
    EXPECT_EQ(refusal(doc, ToneRef::Make(8, Area::Ram, 8)), text::kWaveOutsideBank);
    // Points past the wave are held at its end, and reported.
    Put(doc, {"FAR", 7, 0, 0, 1, true, 0, 12000, 12100, 90000});
    auto far = BuildToneWave(doc, ToneAreas::Read(doc), ToneRef::Make(0, Area::Ram, 7), {});
    ASSERT_TRUE(far);
    EXPECT_EQ(far->samples.size(), 288u);
    EXPECT_FALSE(PointsInsideWave(test::MakeRecord({"FAR", 7, 0, 0, 1, true, 0, 12000, 12100, 90000})));
    EXPECT_TRUE(PointsInsideWave(test::MakeRecord({"OK", 7, 0, 0, 1, true, 0, 0, 0, 12288})));
}

TEST(WaveLabel, TrimsAndReplaces) {
    auto label = [](std::string_view name) {
        ToneRecord r;
        r.setName(name);
        return LabelText(r);
    };
    for (const auto& [name, text] :
         {std::pair{"PIANO   ", "PIANO"}, {"  \tA:B  ", "A_B"}, {"        ", ""}, {"A?B*C|D<", "A_B_C_D_"}})
        EXPECT_EQ(label(name), text) << name;
}

} // namespace
} // namespace veldin::tone
