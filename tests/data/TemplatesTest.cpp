#include <gtest/gtest.h>

#include "core/DiskDefinition.h"
#include "core/DiskMemo.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "tests/support/TestSupport.h"

namespace veldin::data {
namespace {

std::uint16_t Fat12(const std::vector<std::uint8_t>& b, std::size_t fat, int n) {
    const std::size_t at = fat + static_cast<std::size_t>(n / 2 * 3);
    return n % 2 == 0 ? static_cast<std::uint16_t>(b[at] | (b[at + 1] & 0x0F) << 8)
                      : static_cast<std::uint16_t>(b[at + 1] >> 4 | b[at + 2] << 4);
}

// A new image as New makes it: the template followed by 673,792 zero bytes.
std::vector<std::uint8_t> NewImage(TemplateKind kind) {
    auto b = BuildTemplate(kind);
    b.resize(static_cast<std::size_t>(kImageSize), 0);
    return b;
}

TEST(Templates, W30MatchesWhatTheSamplerFormats) {
    const auto b = BuildTemplate(TemplateKind::W30);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 16), std::string("\0\0\0\0W-30    \x06\0\0\x01", 16));
    EXPECT_EQ(std::string(b.begin() + 32, b.begin() + 59), "W-30 Sound & Song Data Disk");
    EXPECT_EQ(b[63], 0xFE);

    // FAT1 and FAT2 identical; entries 0-3; the 45-cluster song area free; the rest FFF.
    EXPECT_TRUE(std::equal(b.begin() + 512, b.begin() + 2048, b.begin() + 2048));
    EXPECT_EQ(std::tuple(Fat12(b, 512, 0), Fat12(b, 512, 1), Fat12(b, 512, 2), Fat12(b, 512, 3)),
              std::tuple(0xFF9, 0xFFF, 0x003, 0xFFF));
    for (int c = 4; c <= 48; ++c) EXPECT_EQ(Fat12(b, 512, c), 0) << c;
    for (int c = 49; c <= 714; ++c) EXPECT_EQ(Fat12(b, 512, c), 0xFFF) << c;
    for (int c = 715; c < 1024; ++c) EXPECT_EQ(Fat12(b, 512, c), 0) << c;

    // Root entry 0: volume label; entry 1: the song directory in clusters 2-3.
    EXPECT_EQ(b[3584 + 11], 0x08);
    EXPECT_EQ(std::string(b.begin() + 3616, b.begin() + 3627), "SONG    DIR");
    EXPECT_EQ(std::tuple(b[3616 + 11], b[3616 + 26], b[3616 + 28] | b[3616 + 29] << 8), std::tuple(0x20, 2, 2048));
    for (std::size_t i = 3648; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i; // other entries, song directory
}

TEST(Templates, W30SongDiskHas711FreeClusters) {
    const auto b = BuildTemplate(TemplateKind::W30S);
    EXPECT_EQ(std::tuple(b[12], b[15], Fat12(b, 2048, 0)), std::tuple(0x04, 0x02, 0xFF9));
    int free = 0;
    for (int c = 4; c <= 714; ++c) free += Fat12(b, 512, c) == 0;
    EXPECT_EQ(free, 711);
    // The memo of a song disk is its volume label, in sector 7.
    auto image = NewImage(TemplateKind::W30S);
    std::span<std::uint8_t, 512> sector(image.data() + 7 * 512, 512);
    EXPECT_EQ(DecodeMemo(ClassifyImage(image), sector).title, "SONG DISK");
}

TEST(DefaultSton, IsOneRecordWithoutWave) {
    const auto b = BuildDefaultSton();
    ASSERT_EQ(b.size(), 134u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), std::string("RTON\0\x01", 6));
    const auto* r = b.data() + 6;
    EXPECT_EQ(std::tuple(r[11], r[71], r[38]), std::tuple(0, 127, 127)); // 30 kHz, full volume, open filter
    EXPECT_TRUE(r[52] >= 1 && r[52] <= 7 && r[51] < r[52]) << int{r[51]} << " " << int{r[52]}; // envelope end, sustain
}

TEST(GeneratedFiles, BuildPutThemBesideTheProgramsAndEachClassifiesAsItsKind) {
    for (const auto& t : kTemplates) EXPECT_EQ(test::ReadFile(test::BinDir() / t.fileName), BuildTemplate(t.kind));
    struct Expect {
        TemplateKind kind;
        const char* sampler;
        const char* diskKind;
    };
    for (auto e : {Expect{TemplateKind::W30, "W30", "Sound & Song"}, Expect{TemplateKind::S50, "S50", "Sound"},
                   Expect{TemplateKind::S330, "S330", "Sound"}, Expect{TemplateKind::S550, "S550", "Sound"},
                   Expect{TemplateKind::W30S, "W30", "Song"}}) {
        const auto t = BuildTemplate(e.kind);
        ASSERT_EQ(t.size(), 64512u);
        const auto d = ClassifyImage(t);
        EXPECT_EQ(std::tuple(d.samplerName, d.kindName), std::tuple(e.sampler, e.diskKind));
    }
    EXPECT_EQ(test::ReadFile(test::BinDir() / "default.ston"), BuildDefaultSton());
    for (const auto& d : BuildDemoImages()) {
        EXPECT_EQ(test::ReadFile(test::DemoImage(std::string(d.fileName))), d.bytes);
        EXPECT_TRUE(!ClassifyImage(d.bytes).isFallback() && d.bytes.size() == 737280u) << d.fileName;
    }
}

TEST(DemoImages, ToneListMirrorsTheRecords) {
    for (const auto& d : BuildDemoImages()) {
        const auto def = ClassifyImage(d.bytes);
        if (def.toneSector < 0) continue;
        const std::size_t area = static_cast<std::size_t>(SectorToOffset(def.toneSector));
        for (std::size_t k = 0; k < def.toneCount; ++k)
            EXPECT_TRUE(std::equal(d.bytes.begin() + area + k * 128, d.bytes.begin() + area + k * 128 + 16,
                                   d.bytes.begin() + area + def.toneCount * 128 + k * 16));
    }
}

} // namespace
} // namespace veldin::data
