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

TEST(Templates, EachClassifiesAsItsKind) {
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
        EXPECT_EQ(d.samplerName, e.sampler);
        EXPECT_EQ(d.kindName, e.diskKind);
    }
}

TEST(Templates, W30MatchesWhatTheSamplerFormats) {
    const auto b = BuildTemplate(TemplateKind::W30);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b[i], 0);
    EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 12), "W-30    ");
    EXPECT_EQ(b[12], 0x06);
    EXPECT_EQ(b[15], 0x01);
    EXPECT_EQ(std::string(b.begin() + 32, b.begin() + 59), "W-30 Sound & Song Data Disk");
    EXPECT_EQ(b[63], 0xFE);

    // FAT1 and FAT2 identical; entries 0-3; the 45-cluster song area free; the rest FFF.
    EXPECT_TRUE(std::equal(b.begin() + 512, b.begin() + 2048, b.begin() + 2048));
    EXPECT_EQ(Fat12(b, 512, 0), 0xFF9);
    EXPECT_EQ(Fat12(b, 512, 1), 0xFFF);
    EXPECT_EQ(Fat12(b, 512, 2), 0x003);
    EXPECT_EQ(Fat12(b, 512, 3), 0xFFF);
    for (int c = 4; c <= 48; ++c) EXPECT_EQ(Fat12(b, 512, c), 0) << c;
    for (int c = 49; c <= 714; ++c) EXPECT_EQ(Fat12(b, 512, c), 0xFFF) << c;
    for (int c = 715; c < 1024; ++c) EXPECT_EQ(Fat12(b, 512, c), 0) << c;

    // Root entry 0: volume label; entry 1: the song directory in clusters 2-3.
    EXPECT_EQ(b[3584 + 11], 0x08);
    EXPECT_EQ(std::string(b.begin() + 3616, b.begin() + 3627), "SONG    DIR");
    EXPECT_EQ(b[3616 + 11], 0x20);
    EXPECT_EQ(b[3616 + 26], 2);
    EXPECT_EQ(b[3616 + 28] | b[3616 + 29] << 8, 2048);
    for (std::size_t i = 3648; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i; // other entries, song directory
}

TEST(Templates, W30SongDiskHas711FreeClusters) {
    const auto b = BuildTemplate(TemplateKind::W30S);
    EXPECT_EQ(b[12], 0x04);
    EXPECT_EQ(b[15], 0x02);
    EXPECT_EQ(Fat12(b, 2048, 0), 0xFF9);
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
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RTON");
    EXPECT_EQ(b[4], 0);
    EXPECT_EQ(b[5], 1);
    const auto* r = b.data() + 6;
    EXPECT_EQ(r[11], 0);   // 30 kHz
    EXPECT_EQ(r[71], 127); // full volume
    EXPECT_EQ(r[38], 127); // open filter
    EXPECT_GE(r[52], 1);   // envelope end point
    EXPECT_LE(r[52], 7);
    EXPECT_LT(r[51], r[52]);
}

TEST(GeneratedFiles, BuildPutThemBesideThePrograms) {
    for (const auto& t : kTemplates) EXPECT_EQ(test::ReadFile(test::BinDir() / t.fileName), BuildTemplate(t.kind));
    EXPECT_EQ(test::ReadFile(test::BinDir() / "default.ston"), BuildDefaultSton());
    for (const auto& d : BuildDemoImages()) {
        EXPECT_EQ(test::ReadFile(test::DemoImage(std::string(d.fileName))), d.bytes);
        EXPECT_FALSE(ClassifyImage(d.bytes).isFallback());
        EXPECT_EQ(d.bytes.size(), 737280u);
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
