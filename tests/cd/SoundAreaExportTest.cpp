#include <gtest/gtest.h>

#include "cd/CdMessages.h"
#include "cd/SoundAreaExport.h"
#include "cd/SyntheticDisc.h"
#include "core/Bytes.h"
#include "core/Geometry.h"
#include "core/ImageFile.h"
#include "core/Messages.h"
#include "core/SamplePacking.h"
#include "tests/cd/CdTestSupport.h"
#include "tests/support/TestSupport.h"

namespace veldin::cd {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const SyntheticDisc& Disc() { return test::FullDisc(); }

SoundRecord RecordOf(const SyntheticSound& s) {
    SoundRecord r;
    r.name = s.name;
    r.category = s.category;
    r.firstUnit = s.firstUnit;
    r.units = s.units;
    r.group = s.group;
    return r;
}

const SyntheticSound& SoundNamed(std::string_view listText) {
    for (const auto& s : Disc().sounds)
        if (s.listText == listText) return s;
    throw std::runtime_error("no such sound");
}

std::span<const std::uint8_t> AreaOf(const SyntheticSound& s) {
    return std::span(Disc().iso)
        .subspan(static_cast<std::size_t>(s.firstUnit) * 512, static_cast<std::size_t>(s.units) * 512);
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir))
        files.push_back(e.path().filename());
    return files;
}

TEST(SoundAreaExport, FullAreaMakesACompleteImageWithTheTonesAndWaves) {
    const SyntheticSound& full = SoundNamed("PIANO - Grand Full");
    ASSERT_EQ(full.units, kMaxAreaUnits);
    test::TempDir dir;
    MemoryDisc disc(Disc().iso);
    ASSERT_TRUE(
        ExportSoundArea(disc, RecordOf(full), SamplerFamily::S550, veldin::test::BinDir(), dir / "full.s55").ok());

    const Bytes image = veldin::test::ReadFile(dir / "full.s55");
    ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
    const auto def = CheckImageBytes(image);
    ASSERT_TRUE(def.ok());
    EXPECT_EQ(def->samplerName, "S550");
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + kSystemAreaSize,
                           veldin::test::ReadFile(veldin::test::BinDir() / "S550.dat").begin()));
    const auto area = AreaOf(full);
    EXPECT_TRUE(std::equal(area.begin(), area.begin() + kParameterBytes, image.begin() + kSystemAreaSize));

    // Each tone record of the tone area (sector 135) names its wave; the wave holds the
    // upper 12 bits of the area's samples that the tone covers.
    int tones = 0;
    for (int k = 0; k < 32; ++k) {
        const std::size_t rec = 135 * 512 + static_cast<std::size_t>(k) * kToneRecordSize;
        const std::uint8_t bank = image[rec + 13], top = image[rec + 14], count = image[rec + 15];
        if (count == 0) continue;
        ++tones;
        SCOPED_TRACE(k);
        ASSERT_LE(top + count, kSegmentsPerBank);
        const std::size_t at = (bank == 0 ? kWaveBankA : kWaveBankB) + std::size_t{top} * kSegmentSize;
        std::vector<std::uint16_t> wave(UnpackedSize(std::size_t{count} * kSegmentSize));
        UnpackSamples12(std::span(image).subspan(at, std::size_t{count} * kSegmentSize), wave);
        const std::size_t firstSample = (at - kWaveBankA) / 3 * 2;
        for (std::size_t i = 0; i < wave.size(); ++i) {
            const std::uint16_t source = ReadLe16(area.subspan(kParameterBytes + 2 * (firstSample + i), 2));
            if (wave[i] != (source & 0xFFF0)) {
                ADD_FAILURE() << "sample " << i << ": " << wave[i] << " != " << (source & 0xFFF0);
                break;
            }
        }
    }
    EXPECT_EQ(tones, 2); // one per bank
}

TEST(SoundAreaExport, EveryFamilyKeepsItsTemplateAndTheAreaAsItIs) {
    // A partial area, and one of parameters only: the wave banks beyond the area stay
    // empty, and the image is whole, so that the editors open it.
    for (std::string_view name : {"PIANO - Grand Short", "DRUMS - Parameters Only"}) {
        const SyntheticSound& s = SoundNamed(name);
        MemoryDisc disc(Disc().iso);
        test::TempDir dir;
        Bytes parameters;
        for (const auto& f : Families()) {
            SCOPED_TRACE(std::string(name) + " " + std::string(f.option));
            const fs::path out = dir / ("x." + std::string(f.extension));
            ASSERT_TRUE(ExportSoundArea(disc, RecordOf(s), f.family, veldin::test::BinDir(), out).ok());
            const Bytes image = veldin::test::ReadFile(out);
            const Bytes tpl = veldin::test::ReadFile(veldin::test::BinDir() / f.templateFile);
            ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
            EXPECT_TRUE(CheckImageBytes(image).ok());
            EXPECT_TRUE(std::equal(tpl.begin(), tpl.end(), image.begin()));
            const std::size_t filled = tpl.size() + kParameterBytes + (s.units - kParameterUnits) * 512 / 4 * 3;
            EXPECT_TRUE(std::all_of(image.begin() + static_cast<std::ptrdiff_t>(filled), image.end(),
                                    [](std::uint8_t b) { return b == 0; }));
            const Bytes rest(image.begin() + static_cast<std::ptrdiff_t>(tpl.size()), image.end());
            if (parameters.empty()) parameters = rest;
            EXPECT_EQ(rest, parameters); // the family changes nothing but the system area
        }
    }
}

TEST(SoundAreaExport, SamplesAreLittleEndianPackedToTwelveBits) {
    Bytes area(kParameterBytes, 0x5A);
    for (std::uint8_t b : {0x34, 0x12, 0xCD, 0xAB, 0x0F, 0x80, 0xFF, 0x7F})
        area.push_back(b);
    const Bytes tpl{1, 2, 3};
    const Bytes image = BuildSoundAreaImage(tpl, area);
    ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 3), tpl);
    // 1234h, ABCDh -> 12h 3Ch ABh; 800Fh, 7FFFh -> 80h 0Fh 7Fh
    const auto wave = image.begin() + 3 + kParameterBytes;
    EXPECT_EQ(Bytes(wave, wave + 6), (Bytes{0x12, 0x3C, 0xAB, 0x80, 0x0F, 0x7F}));
    EXPECT_EQ(std::count(wave + 6, image.end(), 0), image.end() - wave - 6);
}

TEST(SoundAreaExport, RefusedAreasWriteNothingAndReadNothing) {
    struct Case {
        std::uint32_t first, units;
        std::string_view text;
    };
    const auto discUnits = static_cast<std::uint32_t>(Disc().iso.size() / 512);
    for (auto c : {Case{8, 17, text::kSoundAreaSize}, Case{8, 1747, text::kSoundAreaSize},
                   Case{discUnits - 17, 18, text::kSoundAreaOutside}}) {
        SCOPED_TRACE(c.units);
        test::RecordingDisc disc(Disc().iso);
        test::TempDir dir;
        SoundRecord r;
        r.firstUnit = c.first;
        r.units = c.units;
        const auto st = ExportSoundArea(disc, r, SamplerFamily::S50, veldin::test::BinDir(), dir / "x.s50");
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.failure().text, c.text);
        EXPECT_TRUE(disc.blocksRead.empty());
        EXPECT_TRUE(FilesIn(dir.path()).empty());
    }
}

TEST(SoundAreaExport, MissingTemplateLeavesNoFile) {
    MemoryDisc disc(Disc().iso);
    test::TempDir dir, empty;
    const auto st = ExportSoundArea(disc, RecordOf(Disc().sounds[0]), SamplerFamily::S330, empty.path(), dir / "x.s33");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.failure().text, "Can't copy temporary file!");
    EXPECT_EQ(st.failure().icon, Icon::Error);
    EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST(SoundAreaExport, AReadFailingMidwayLeavesTheOldFileAlone) {
    const SyntheticSound& s = SoundNamed("PIANO - Grand Full");
    test::RecordingDisc disc(Disc().iso);
    disc.failAt = s.firstUnit / 4 + 200;
    test::TempDir dir;
    const Bytes old{'o', 'l', 'd'};
    veldin::test::WriteFile(dir / "x.s55", old);
    const auto st = ExportSoundArea(disc, RecordOf(s), SamplerFamily::S550, veldin::test::BinDir(), dir / "x.s55");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.failure().text, "Errorcode: 5\r\n\r\n");
    EXPECT_EQ(veldin::test::ReadFile(dir / "x.s55"), old);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<fs::path>{"x.s55"});
}

TEST(WriteFileAtomically, ReplacesWholeOrFails) {
    test::TempDir dir;
    veldin::test::WriteFile(dir / "f", Bytes(5000, 1));
    ASSERT_TRUE(WriteFileAtomically(dir / "f", Bytes{9, 8}).ok());
    EXPECT_EQ(veldin::test::ReadFile(dir / "f"), (Bytes{9, 8}));
    EXPECT_EQ(FilesIn(dir.path()), std::vector<fs::path>{"f"});

    const auto st = WriteFileAtomically(dir / "no-such-folder" / "f", Bytes{1});
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.failure().text, text::kCantCreateFile);
    fs::create_directory(dir / "d"); // a folder where the file should go
    EXPECT_FALSE(WriteFileAtomically(dir / "d", Bytes{1}).ok());
    EXPECT_TRUE(fs::is_directory(dir / "d"));
    EXPECT_EQ(FilesIn(dir.path()).size(), 2u);
}

TEST(Families, OptionsAreExactAndEveryTemplateIsBuilt) {
    ASSERT_NE(FindFamily("s330"), nullptr);
    EXPECT_EQ(FindFamily("S330"), nullptr);
    EXPECT_EQ(FindFamily("w30s"), nullptr);
    for (const auto& f : Families())
        EXPECT_TRUE(fs::exists(veldin::test::BinDir() / f.templateFile)) << f.templateFile;
}

TEST(FileNameOf, ReplacesWhatFileNamesCannotHold) {
    EXPECT_EQ(FileNameOf("PIANO - Grand"), "PIANO - Grand");
    EXPECT_EQ(FileNameOf("A:B/C\\D,E?F*G<H>I\"J|K"), "A_B_C_D_E_F_G_H_I_J_K");
    EXPECT_EQ(FileNameOf(std::string("x\ty\0z", 5)), "x_y_z");
    EXPECT_EQ(FileNameOf(""), "NoName");
    EXPECT_EQ(FileNameOf(".."), "_.");
    EXPECT_EQ(FileNameOf(".hidden"), "_hidden");
}

} // namespace
} // namespace veldin::cd
