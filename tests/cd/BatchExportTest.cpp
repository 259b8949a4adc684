#include <gtest/gtest.h>

#include <algorithm>

#include "cd/BatchExport.h"
#include "cd/CdMessages.h"
#include "cd/DiscEditorState.h"
#include "cd/SyntheticDisc.h"
#include "core/Messages.h"
#include "tests/cd/CdTestSupport.h"
#include "tests/support/TestSupport.h"

namespace veldin::cd {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const SyntheticDisc& Disc() { return test::FullDisc(); }

CdTables TablesOf(const Bytes& bytes) {
    MemoryDisc disc(bytes);
    auto t = LoadTables(disc);
    EXPECT_TRUE(t.ok());
    return t ? std::move(t).value() : CdTables{};
}

std::vector<std::string> Texts(const BatchPlan& p) {
    std::vector<std::string> out;
    for (const auto& i : p.items)
        out.push_back(i.text);
    return out;
}

std::set<std::string> FileNames(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
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
        {"A/B: C?", "A_B_ C_.s55"},
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
    EXPECT_TRUE(r->failed.empty());
    EXPECT_FALSE(r->cancelled);
    EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"DRUMS - Kick.s50", "DRUMS - Parameters Only.s50"}));
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
    EXPECT_FALSE(FileNames(dir.path()).contains("DRUMS - Kick.sdk"));
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
    EXPECT_TRUE(r->cancelled);
    EXPECT_TRUE(r->failed.empty());
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

} // namespace
} // namespace veldin::cd
