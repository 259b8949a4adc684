// The sector loop on the file-backed drive: attempts, the Sector Invalid question,
// auto-ignore, progress, the stop request and the range checks.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <tuple>

#include "core/Messages.h"
#include "core/SectorLoop.h"
#include "platform/FileFloppy.h"
#include "tests/core/Helpers.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

using test::Refused;
using test::ScriptedUi;
using Sectors = std::vector<std::uint32_t>;

// A disk whose every sector is distinct: byte i of sector n is (n * 7 + i) mod 251 + 1.
std::vector<std::uint8_t> PatternDisk() {
    std::vector<std::uint8_t> b(static_cast<std::size_t>(kImageSize));
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(((i / 512) * 7 + i % 512) % 251 + 1);
    return b;
}

std::span<const std::uint8_t> SectorOf(const std::vector<std::uint8_t>& bytes, std::size_t n) {
    return std::span<const std::uint8_t>(bytes).subspan(n * kSectorSize, kSectorSize);
}

bool SameSector(const std::vector<std::uint8_t>& a, std::size_t na, const std::vector<std::uint8_t>& b, std::size_t nb) {
    const auto x = SectorOf(a, na), y = SectorOf(b, nb);
    return std::equal(x.begin(), x.end(), y.begin());
}

// Answers the Sector Invalid question through a function, as the GUI's dialog does:
// the function may tick "Automatically ignore bad sectors" before it answers.
class DialogUi final : public UserInteraction {
public:
    explicit DialogUi(std::function<Answer(int)> answer) : answer_(std::move(answer)) {}
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view text, std::string_view, Buttons, Icon) override {
        questions.emplace_back(text);
        return answer_(static_cast<int>(questions.size()));
    }
    std::vector<std::string> questions;

private:
    std::function<Answer(int)> answer_;
};

class SectorLoopTest : public ::testing::Test {
protected:
    void SetUp() override { test::WriteFile(dir / "disk.img", source); }

    FileFloppyDrive& driveWith(std::vector<SectorFault> faults) {
        drive = std::make_unique<FileFloppyDrive>(dir / "disk.img", FaultPlan{std::move(faults), false, {}, 0});
        return *drive;
    }
    std::unique_ptr<FloppyDevice> open(DriveAccess access = DriveAccess::Read) {
        auto d = drive->open(access);
        EXPECT_TRUE(d.ok());
        return d.ok() ? std::move(d).value() : nullptr;
    }
    std::uint32_t reads(std::uint32_t sector) const { return drive->log().reads[sector]; }
    std::uint32_t totalReads() const {
        return std::accumulate(drive->log().reads.begin(), drive->log().reads.end(), 0u);
    }

    test::TempDir dir;
    std::vector<std::uint8_t> source = PatternDisk();
    std::unique_ptr<FileFloppyDrive> drive;
    SectorLoopControl control;
    ScriptedUi ui;
    LoopContext context{control, ui, text::kTitleLauncher};
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(static_cast<std::size_t>(kImageSize), 0xEE);
};

TEST_F(SectorLoopTest, ThreeTriesThenTheQuestionAndRetryGivesThreeMore) {
    driveWith({{5, SectorFault::Kind::Always, 0}});
    auto device = open();
    ui.answer(Answer::Retry);
    ui.answer(Answer::Abort);
    auto r = ReadSectors(*device, 0, 10, buffer, context);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->end, LoopEnd::Aborted);
    EXPECT_EQ(std::tuple(reads(5), reads(6)), std::tuple(6u, 0u));
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(std::tuple(ui.shown()[0].text, ui.shown()[0].title, ui.shown()[0].question),
              std::tuple("Invalid Sector - 5", "VELDIN", true));
    // Sectors before the failure stay transferred.
    for (std::size_t i = 0; i < 5; ++i) EXPECT_TRUE(SameSector(buffer, i, source, i));
}

TEST_F(SectorLoopTest, IgnoreSkipsAndTheNextSectorGetsFreshAttempts) {
    driveWith({{5, SectorFault::Kind::Always, 0}, {6, SectorFault::Kind::FailTimes, 2}});
    auto device = open();
    ui.answer(Answer::Ignore);
    auto r = ReadSectors(*device, 0, 10, buffer, context);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->completed());
    EXPECT_EQ(r->skipped, Sectors{5});
    // Sector 6: two failures and the good third attempt, without a question.
    EXPECT_EQ(std::tuple(reads(5), reads(6), ui.shown().size()), std::tuple(3u, 3u, 1u));
    // The skipped sector's bytes are left as they were; its neighbours are read.
    EXPECT_TRUE(std::all_of(buffer.begin() + 5 * 512, buffer.begin() + 6 * 512, [](auto b) { return b == 0xEE; }));
    EXPECT_TRUE(SameSector(buffer, 6, source, 6) && SameSector(buffer, 9, source, 9));
    EXPECT_EQ(std::tuple(buffer[10 * kSectorSize], reads(10)), std::tuple(0xEE, 0u)); // nothing beyond the run
}

TEST_F(SectorLoopTest, EverySectorGetsItsOwnAttempts) {
    // Weak sectors before a sector that reads on its last attempt do not use up its count,
    // with or without auto-ignore: nothing is asked and nothing is skipped.
    for (bool autoIgnore : {false, true}) {
        SCOPED_TRACE(autoIgnore);
        driveWith({{2, SectorFault::Kind::FailTimes, 2},
                   {3, SectorFault::Kind::FailTimes, 1},
                   {4, SectorFault::Kind::FailTimes, 2}});
        auto device = open();
        control.autoIgnore.store(autoIgnore);
        auto r = ReadSectors(*device, 0, 8, buffer, context);
        ASSERT_TRUE(r.ok());
        EXPECT_TRUE(r->completed() && r->skipped.empty());
        EXPECT_EQ(std::tuple(reads(2), reads(3), reads(4)), std::tuple(3u, 2u, 3u));
        EXPECT_TRUE(ui.shown().empty());
        for (std::size_t i = 2; i <= 4; ++i) EXPECT_TRUE(SameSector(buffer, i, source, i));
        control.autoIgnore.store(false);
    }
}

TEST_F(SectorLoopTest, AutoIgnoreThenRetryRetriesOnceMoreAndSkipsLaterSectorsSilently) {
    driveWith({{5, SectorFault::Kind::Always, 0}, {9, SectorFault::Kind::Always, 0}});
    auto device = open();
    DialogUi dialog([&](int) {
        control.autoIgnore.store(true); // the box is ticked, then "Retry" pressed
        return Answer::Retry;
    });
    const LoopContext ctx{control, dialog, text::kTitleLauncher};
    auto r = ReadSectors(*device, 0, 12, buffer, ctx);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->completed());
    EXPECT_EQ(r->skipped, (Sectors{5, 9}));
    EXPECT_EQ(std::tuple(reads(5), reads(9), dialog.questions.size()), std::tuple(6u, 3u, 1u));
    EXPECT_TRUE(control.autoIgnore.load());
}

TEST_F(SectorLoopTest, AbortOrClosingTheDialogClearsAutoIgnoreSoTheNextLoopAsksAgain) {
    for (Answer end : {Answer::Abort, Answer::Cancel}) {
        SCOPED_TRACE(static_cast<int>(end));
        driveWith({{5, SectorFault::Kind::Always, 0}});
        auto device = open();
        DialogUi dialog([&](int n) {
            control.autoIgnore.store(true);
            return n == 1 ? end : Answer::Ignore;
        });
        const LoopContext ctx{control, dialog, text::kTitleLauncher};
        auto r = ReadSectors(*device, 0, 10, buffer, ctx);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->end, LoopEnd::Aborted);
        EXPECT_FALSE(control.autoIgnore.load());
        control.autoIgnore.store(false);

        r = ReadSectors(*device, 0, 10, buffer, ctx);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(dialog.questions.size(), 2u);
        control.autoIgnore.store(false);
    }
}

TEST_F(SectorLoopTest, AStoredRepeatCountOfZeroStillMakesOneAttempt) {
    for (std::uint8_t repeat : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{255}}) {
        driveWith({{5, SectorFault::Kind::Always, 0}});
        auto device = open();
        control.ioRepeat = repeat;
        ui.answer(Answer::Ignore);
        auto r = ReadSectors(*device, 5, 1, buffer, context);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(reads(5), repeat == 0 ? 1u : repeat);
    }
}

struct StopAt final : SectorProgress {
    StopAt(SectorLoopControl& c, std::uint32_t at) : control(c), stopAt(at) {}
    void progress(std::uint32_t finished) override {
        seen.push_back(finished);
        if (finished == stopAt) control.stopRequest.store(true);
    }
    SectorLoopControl& control;
    std::uint32_t stopAt;
    std::vector<std::uint32_t> seen;
};

TEST_F(SectorLoopTest, ProgressAfterEverySectorOfTheCallAndAStopEndsAfterSectorFive) {
    driveWith({{102, SectorFault::Kind::Always, 0}});
    auto device = open();
    control.state.store(TransferState::Running);
    StopAt stop(control, 5);
    auto r = ReadSectors(*device, 0, kSectorCount, buffer, context, &stop);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->end, LoopEnd::Stopped);
    EXPECT_EQ(stop.seen, (Sectors{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(control.state.load(), TransferState::Cancelled);
    EXPECT_EQ(std::tuple(reads(5), reads(6)), std::tuple(1u, 0u));

    // Counted from the call's first sector; the skipped sector reports too.
    control.stopRequest.store(false);
    control.autoIgnore.store(true);
    StopAt never(control, 999);
    ASSERT_TRUE(ReadSectors(*device, 100, 4, buffer, context, &never).ok());
    EXPECT_EQ(never.seen, (Sectors{0, 1, 2, 3}));
}

TEST_F(SectorLoopTest, RangeChecks) {
    driveWith({});
    auto device = open();
    auto last = ReadSectors(*device, 1439, 1, buffer, context);
    ASSERT_TRUE(last.ok());
    EXPECT_TRUE(SameSector(buffer, 0, source, 1439));

    struct Case {
        std::int64_t first, count;
        std::string_view text;
    };
    for (auto c : {Case{1439, 2, text::kBadLength}, Case{1440, 1, text::kBadLength}, Case{0, 1441, text::kBadLength},
                   Case{1441, 1, text::kBadStartSector}, Case{-1, 1, text::kBadStartSector},
                   Case{0, -1, text::kBadLength}}) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(Refused(ReadSectors(*device, c.first, c.count, buffer, context)), Fail(c.text, Icon::Error));
        EXPECT_EQ(Refused(WriteSectors(*device, c.first, c.count, buffer, context)).text, c.text);
    }
    // A buffer too small for the count is refused, not overrun.
    std::vector<std::uint8_t> small(kSectorSize * 2 - 1);
    EXPECT_EQ(Refused(ReadSectors(*device, 0, 2, small, context)).text, text::kBadLength);
    EXPECT_EQ(totalReads(), 1u); // only the good call read anything
}

TEST_F(SectorLoopTest, WritingSkipsLeaveTheMediumAsItWas) {
    driveWith({{3, SectorFault::Kind::Always, 0}});
    auto device = open(DriveAccess::Write);
    std::vector<std::uint8_t> zeros(10 * kSectorSize, 0);
    ui.answer(Answer::Ignore);
    auto r = WriteSectors(*device, 0, 10, zeros, context);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->skipped, Sectors{3});
    EXPECT_EQ(drive->log().writes[3], 3u);
    ASSERT_TRUE(device->flush());
    const auto after = test::ReadFile(dir / "disk.img");
    for (std::size_t i = 0; i < 10; ++i) {
        const auto s = SectorOf(after, i);
        if (i == 3) EXPECT_TRUE(SameSector(after, 3, source, 3));
        else EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](auto b) { return b == 0; })) << i;
    }
    EXPECT_TRUE(SameSector(after, 10, source, 10));
}

TEST_F(SectorLoopTest, WritingThroughAReadOnlyDriveFailsEveryAttempt) {
    driveWith({});
    auto device = open(DriveAccess::Read);
    ui.answer(Answer::Abort);
    auto r = WriteSectors(*device, 0, 1, buffer, context);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(std::tuple(r->end, drive->log().writes[0]), std::tuple(LoopEnd::Aborted, 3u));
    EXPECT_EQ(test::ReadFile(dir / "disk.img"), source);
}

} // namespace
} // namespace veldin
