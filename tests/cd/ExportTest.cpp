// Sound areas to disk images: one area, a batch of them with its names and summary,
// the drive choice, and reads that stop once cancelled.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>

#include "cd/BatchExport.h"
#include "cd/CdMessages.h"
#include "cd/DiscEditorState.h"
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

std::set<std::string> FileNames(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

CdTables TablesOf(const Bytes& bytes) {
    MemoryDisc disc(bytes);
    auto t = LoadTables(disc);
    EXPECT_TRUE(t.ok());
    return t ? std::move(t).value() : CdTables{};
}

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

TEST(SoundAreaExport, FullAreaMakesACompleteImageWithTheTonesAndWaves) {
    const SyntheticSound& full = SoundNamed("PIANO - Grand Full");
    ASSERT_EQ(full.units, kMaxAreaUnits);
    test::TempDir dir;
    MemoryDisc disc(Disc().iso);
    ASSERT_TRUE(
        ExportSoundArea(disc, RecordOf(full), SamplerFamily::S550, veldin::test::BinDir(), dir / "full.s55").ok());

    const Bytes image = veldin::test::ReadFile(dir / "full.s55");
    ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
    ASSERT_TRUE(CheckImageBytes(image).ok());
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
        EXPECT_TRUE(FileNames(dir.path()).empty());
    }
}

TEST(SoundAreaExport, MissingTemplateLeavesNoFile) {
    MemoryDisc disc(Disc().iso);
    test::TempDir dir, empty;
    const auto st = ExportSoundArea(disc, RecordOf(Disc().sounds[0]), SamplerFamily::S330, empty.path(), dir / "x.s33");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.failure().text, "Can't copy temporary file!");
    EXPECT_EQ(st.failure().icon, Icon::Error);
    EXPECT_TRUE(FileNames(dir.path()).empty());
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
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"x.s55"});
}

TEST(WriteFileAtomically, ReplacesWholeOrFails) {
    test::TempDir dir;
    veldin::test::WriteFile(dir / "f", Bytes(5000, 1));
    ASSERT_TRUE(WriteFileAtomically(dir / "f", Bytes{9, 8}).ok());
    EXPECT_EQ(veldin::test::ReadFile(dir / "f"), (Bytes{9, 8}));
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"f"});

    const auto st = WriteFileAtomically(dir / "no-such-folder" / "f", Bytes{1});
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.failure().text, text::kCantCreateFile);
    fs::create_directory(dir / "d"); // a folder where the file should go
    EXPECT_FALSE(WriteFileAtomically(dir / "d", Bytes{1}).ok());
    EXPECT_TRUE(fs::is_directory(dir / "d"));
    EXPECT_EQ(FileNames(dir.path()).size(), 2u);
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

std::vector<std::string> Texts(const BatchPlan& p) {
    std::vector<std::string> out;
    for (const auto& i : p.items)
        out.push_back(i.text);
    return out;
}

TEST(BatchNames, SafeUniqueAndNeverAnExistingFile) {
    test::TempDir dir;
    veldin::test::WriteFile(dir / "DRUMS - Kick.s55", Bytes{1});
    veldin::test::WriteFile(dir / "DRUMS - Kick (2).s55", Bytes{1});
    fs::create_symlink(dir / "nowhere", dir / "Link.s55");
    BatchNames names(dir.path(), "s55");
    const struct {
        std::string_view text;
        std::string expected;
    } cases[] = {
        {"PIANO - Grand", "PIANO - Grand.s55"},
        {"PIANO - Grand", "PIANO - Grand (2).s55"},
        {"piano - grand", "piano - grand (3).s55"}, // folders may ignore case
        {"DRUMS - Kick", "DRUMS - Kick (3).s55"},   // the folder holds the first two
        {"Link", "Link (2).s55"},                   // a dangling link is not replaced
        {"", "NoName.s55"},
        {"", "NoName (2).s55"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(names.next(c.text), dir / c.expected) << c.text;

    // A name given back is given out again.
    const fs::path kept = names.next("SYNTH - Pad");
    names.release(kept);
    EXPECT_EQ(names.next("SYNTH - Pad"), kept);
}

TEST(PlanBatch, AGroupOrTheWholeDiscInListOrder) {
    const CdTables t = TablesOf(Disc().iso);
    EXPECT_EQ(Texts(PlanBatch(t, 0)), (std::vector<std::string>{"PIANO - Grand Full", "PIANO - Grand Short"}));
    EXPECT_EQ(Texts(PlanBatch(t, 2)), (std::vector<std::string>{"DRUMS - Kick", "DRUMS - Parameters Only"}));
    std::vector<std::string> all;
    for (const auto& s : Disc().sounds)
        all.push_back(s.listText);
    const BatchPlan whole = PlanBatch(t);
    EXPECT_EQ(Texts(whole), all);
    EXPECT_TRUE(whole.problems.empty());
}

TEST(PlanBatch, ARecordOfTwoGroupsComesOnceAndADamagedGroupIsAProblem) {
    Bytes d = Disc().iso;
    d[7 * 512 + 6] = 0;   // group 4 starts at record 0 too: group 1's sounds
    d[7 * 512 + 2] = 200; // group 2's first record lies beyond the sound directory
    const CdTables t = TablesOf(d);
    const BatchPlan p = PlanBatch(t);
    EXPECT_EQ(Texts(p), (std::vector<std::string>{"PIANO - Grand Full", "PIANO - Grand Short", "DRUMS - Kick",
                                                  "DRUMS - Parameters Only"}));
    ASSERT_EQ(p.problems.size(), 1u);
    EXPECT_EQ(p.problems[0].what, "group 2");
    EXPECT_EQ(p.problems[0].reason, text::kCdTablesDamaged);
    EXPECT_EQ(PlanBatch(t, 7).problems.size(), 1u) << "a group the disc does not have";
}

TEST(ExportBatch, OneImagePerSoundEachAsTheSingleExportWritesIt) {
    const CdTables t = TablesOf(Disc().iso);
    MemoryDisc disc(Disc().iso);
    test::TempDir dir, single;
    const BatchPlan plan = PlanBatch(t, 2);
    std::vector<std::uint64_t> steps;
    const auto r = ExportBatch(disc, t, plan, SamplerFamily::S50, veldin::test::BinDir(), dir.path(),
                               [&](std::uint64_t done, std::uint64_t total) {
                                   EXPECT_EQ(total, BatchBlocks(t, plan));
                                   steps.push_back(done);
                               });
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->written, (std::vector<fs::path>{dir / "DRUMS - Kick.s50", dir / "DRUMS - Parameters Only.s50"}));
    EXPECT_TRUE(r->failed.empty() && !r->cancelled);
    EXPECT_EQ(FileNames(dir.path()).size(), 2u);
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const fs::path one = single / "one.s50";
        ASSERT_TRUE(
            ExportSoundArea(disc, t.sounds[plan.items[i].record], SamplerFamily::S50, veldin::test::BinDir(), one));
        EXPECT_EQ(veldin::test::ReadFile(r->written[i]), veldin::test::ReadFile(one)) << plan.items[i].text;
    }
    ASSERT_FALSE(steps.empty());
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_EQ(steps.back(), BatchBlocks(t, plan));
}

TEST(ExportBatch, AFailedAreaIsListedAndTheOthersWritten) {
    Bytes d = Disc().iso;
    d[5 * 512 + 64 * 4 + 55] = 17; // "Parameters Only": 17 units
    const CdTables t = TablesOf(d);
    test::RecordingDisc disc(d);
    disc.failAt = Disc().sounds[3].firstUnit / 4 + 1; // inside "Kick"
    test::TempDir dir;
    const auto r = ExportBatch(disc, t, PlanBatch(t), SamplerFamily::W30, veldin::test::BinDir(), dir.path());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->planned, 6u);
    EXPECT_EQ(r->written.size(), 4u);
    ASSERT_EQ(r->failed.size(), 2u);
    EXPECT_EQ(r->failed[0].what, "DRUMS - Kick");
    EXPECT_EQ(r->failed[0].reason, "Errorcode: 5\r\n\r\n");
    EXPECT_EQ(r->failed[1].what, "DRUMS - Parameters Only");
    EXPECT_EQ(r->failed[1].reason, text::kSoundAreaSize);
    EXPECT_EQ(FileNames(dir.path()).size(), 4u);
}

TEST(ExportBatch, WithoutTheTemplateOrTheFolderNothingIsRead) {
    const CdTables t = TablesOf(Disc().iso);
    test::TempDir dir, empty;
    veldin::test::WriteFile(dir / "file", Bytes{1});
    const struct {
        fs::path mainDir, folder;
        std::string_view text;
    } cases[] = {
        {empty.path(), dir.path(), text::kCantCopyTemplate},
        {veldin::test::BinDir(), dir / "missing", text::kCantCreateFile},
        {veldin::test::BinDir(), dir / "file", text::kCantCreateFile},
    };
    for (const auto& c : cases) {
        test::RecordingDisc disc(Disc().iso);
        const auto r = ExportBatch(disc, t, PlanBatch(t), SamplerFamily::S330, c.mainDir, c.folder);
        ASSERT_FALSE(r.ok()) << c.folder;
        EXPECT_EQ(r.failure().text, c.text);
        EXPECT_TRUE(disc.blocksRead.empty());
        EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"file"});
    }
}

TEST(ExportBatch, CancelInsideAnAreaKeepsTheWrittenOnesAndNoPart) {
    const CdTables t = TablesOf(Disc().iso);
    MemoryDisc memory(Disc().iso);
    CancellableDisc disc(memory);
    test::TempDir dir;
    // Cancelled while the second sound ("Grand Short") is read.
    const std::uint64_t firstBlocks = BlocksForUnits(Disc().sounds[0].firstUnit, Disc().sounds[0].units).blocks;
    const auto r = ExportBatch(
        disc, t, PlanBatch(t), SamplerFamily::S550, veldin::test::BinDir(), dir.path(),
        [&](std::uint64_t done, std::uint64_t) {
            if (done > firstBlocks) disc.cancel();
        },
        [&] { return disc.cancelled(); });
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->cancelled && r->failed.empty());
    EXPECT_EQ(r->written, std::vector<fs::path>{dir / "PIANO - Grand Full.s55"});
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"PIANO - Grand Full.s55"});
}

TEST(SummaryText, CountsFolderCancelAndReasons) {
    const fs::path folder = "/tmp/areas";
    BatchSummary all{{"/tmp/areas/a.sdk", "/tmp/areas/b.sdk"}, {}, 2, false};
    BatchSummary one{{"/tmp/areas/a.sdk"}, {}, 1, false};
    BatchSummary cancelled{{"/tmp/areas/a.sdk"}, {}, 6, true};
    BatchSummary failed{
        {"/tmp/areas/a.sdk"}, {{"group 2", "Damaged!"}, {"DRUMS - Kick", "Errorcode: 5\r\n\r\n"}}, 2, false};
    BatchSummary many{{}, std::vector<BatchProblem>(13, {"X", "Y"}), 13, false};
    const struct {
        const BatchSummary& s;
        std::string text;
        Icon icon;
    } cases[] = {
        {all, "2 disk images written to\n/tmp/areas", Icon::Information},
        {one, "1 disk image written to\n/tmp/areas", Icon::Information},
        {cancelled, "Cancelled: 1 of 6 disk images written to\n/tmp/areas", Icon::Information},
        {failed,
         "1 of 2 disk images written to\n/tmp/areas\n\nNot written:\ngroup 2: Damaged!\nDRUMS - Kick: Errorcode: 5",
         Icon::Warning},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SummaryText(c.s, folder), c.text);
        EXPECT_EQ(SummaryIcon(c.s), c.icon) << c.text;
    }
    const std::string text = SummaryText(many, folder);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 10 + 1);
    EXPECT_TRUE(text.ends_with("\nX: Y\n... and 3 more")) << text;
}

DiscEditorSettings Chosen(std::string_view name) {
    DiscEditorSettings s;
    ResetDriveChoice(s);
    if (!name.empty()) ApplyDrive(s, name);
    return s;
}

TEST(DiscEditorState, PlacesTheDriveList) {
    struct Case {
        const char* what;
        std::vector<std::string> drives;
        std::string applied; // "" = never applied
        DriveListState expect;
    };
    const Case cases[] = {
        {"no drives, none chosen", {}, "", {-1, true, false}},
        {"none chosen: first drive, Apply", {"/dev/sr0", "/dev/sr1"}, "", {0, true, false}},
        {"chosen drive present", {"/dev/sr0", "/dev/sr1"}, "/dev/sr1", {1, false, true}},
        {"chosen drive gone: Apply again", {"/dev/sr0"}, "/dev/sr1", {0, true, false}},
        {"chosen drive, empty list", {}, "/dev/sr0", {-1, true, false}},
    };
    for (const auto& c : cases) {
        const DriveListState st = PlaceDrives(c.drives, Chosen(c.applied));
        EXPECT_EQ(st.selected, c.expect.selected) << c.what;
        EXPECT_EQ(st.applyEnabled, c.expect.applyEnabled) << c.what;
        EXPECT_EQ(st.exportEnabled, c.expect.exportEnabled) << c.what;
    }
}

TEST(DiscEditorState, ApplyStoresTheChoice) {
    DiscEditorSettings s;
    ResetDriveChoice(s);
    EXPECT_FALSE(DriveChosen(s));
    EXPECT_EQ(s.host, 0xFFFFFFFFu);
    ApplyDrive(s, "/dev/sr2");
    EXPECT_TRUE(DriveChosen(s));
    EXPECT_EQ(s.host, 0u);
    EXPECT_EQ(s.target, 0u);
    EXPECT_EQ(FieldString(std::span<const char>(s.name)), "/dev/sr2");
    // Only one of the two set is not a choice.
    s.target = kNoDrive;
    EXPECT_FALSE(DriveChosen(s));
}

// A source that cancels itself after a number of reads, as a person pressing Cancel
// while an area is read.
class CancelAfter final : public DiscSource {
public:
    CancelAfter(DiscSource& inner, int reads) : inner_(inner), left_(reads) {}
    CancellableDisc* outer = nullptr;
    std::uint64_t blockCount() override { return inner_.blockCount(); }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override {
        if (--left_ == 0 && outer) outer->cancel();
        return inner_.readBlocks(first, out);
    }

private:
    DiscSource& inner_;
    int left_;
};

TEST(DiscEditorState, CancelledExportLeavesTheTargetAsItWas) {
    MemoryDisc memory(Disc().iso);
    auto tables = LoadTables(memory);
    ASSERT_TRUE(tables.ok());
    // The full-size area: many chunks, so the cancel falls in the middle.
    const SoundRecord* full = nullptr;
    for (const auto& s : tables->sounds)
        if (s.units == kMaxAreaUnits) full = &s;
    ASSERT_NE(full, nullptr);
    test::TempDir dir;
    for (bool existing : {false, true}) {
        const auto target = dir / (existing ? "old.sdk" : "new.sdk");
        if (existing) test::WriteFile(target, std::vector<std::uint8_t>{1, 2, 3});
        CancelAfter inner(memory, 2);
        CancellableDisc disc(inner);
        inner.outer = &disc;
        const Status st = ExportSoundArea(disc, *full, SamplerFamily::S550, test::BinDir(), target);
        ASSERT_FALSE(st.ok());
        EXPECT_TRUE(disc.cancelled());
        EXPECT_TRUE(st.failure().text.empty()) << "a cancel shows nothing";
        EXPECT_EQ(std::filesystem::exists(target), existing);
        if (existing) {
            EXPECT_EQ(test::ReadFile(target), (std::vector<std::uint8_t>{1, 2, 3}));
        }
    }
    // Nothing beside it either (no temporary file left).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace veldin::cd
