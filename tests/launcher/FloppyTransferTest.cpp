// Reading, writing and formatting through the file-backed drive.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "core/Messages.h"
#include "launcher/FloppyRequester.h"
#include "launcher/FloppyTexts.h"
#include "launcher/FloppyTransfer.h"
#include "platform/FileFloppy.h"
#include "platform/PosixProcess.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

using Kind = SectorFault::Kind;
namespace fs = std::filesystem;

bool SectorIs(const std::vector<std::uint8_t>& bytes, std::size_t n, std::uint8_t value) {
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(n * 512),
                       bytes.begin() + static_cast<std::ptrdiff_t>((n + 1) * 512), [&](auto b) { return b == value; });
}

struct CountProgress final : SectorProgress {
    void progress(std::uint32_t finished) override {
        ++calls;
        last = finished;
    }
    std::uint32_t calls = 0, last = 0;
};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The demo S-550 disk with two sectors that are not zero, so a zero-filled skip shows.
        source = test::ReadFile(test::DemoImage("demo.s55"));
        ASSERT_EQ(source.size(), 737280u);
        std::memset(source.data() + 17 * 512, 0xAB, 512);
        std::memset(source.data() + 300 * 512, 0xCD, 512);
        test::WriteFile(floppy, source);
    }

    FileFloppyDrive& driveWith(FaultPlan plan) {
        drive = std::make_unique<FileFloppyDrive>(floppy, std::move(plan));
        return *drive;
    }
    OpenedDrive openFor(DriveAccess access) {
        auto r = OpenAndIdentify(*drive, access, context);
        if (!r) ADD_FAILURE() << r.failure().text;
        return r ? std::move(r).value() : OpenedDrive{};
    }
    std::uint32_t totalReads() const {
        return std::accumulate(drive->log().reads.begin(), drive->log().reads.end(), 0u);
    }
    OutputChooser into(fs::path p) {
        return [p](const DiskIdentity&) -> std::optional<fs::path> { return p; };
    }

    test::TempDir dir;
    fs::path floppy = dir / "floppy.img";
    std::vector<std::uint8_t> source;
    std::unique_ptr<FileFloppyDrive> drive;
    SectorLoopControl control;
    test::ScriptedUi ui;
    LoopContext context{control, ui, text::kTitleLauncher};
};

TEST_F(TransferTest, IdentificationReadsSectorZeroAndTheMemoSectorOnlyAndAnUnknownDiskIsRefused) {
    driveWith({});
    const auto opened = openFor(DriveAccess::Read);
    EXPECT_EQ(opened.identity.definition.samplerName, "S550");
    EXPECT_EQ(opened.identity.memo.kind, DiskMemo::Sound);
    EXPECT_EQ(opened.identity.memo.name, "VELDIN DEMO ");
    EXPECT_EQ(drive->log().reads[0], 1u);
    EXPECT_EQ(drive->log().reads[134], 1u);
    EXPECT_EQ(totalReads(), 2u);
    EXPECT_EQ(control.state.load(), TransferState::Prepared);
    EXPECT_TRUE(CheckReadable(opened.identity).ok());

    // An unreadable sector 0 makes an unknown disk.
    driveWith(FaultPlan{{{0, Kind::Always, 0}}, false, {}, 0});
    ui.answer(Answer::Abort);
    const auto unknown = openFor(DriveAccess::Read);
    EXPECT_TRUE(unknown.identity.definition.isFallback());
    const auto refusal = CheckReadable(unknown.identity);
    ASSERT_FALSE(refusal.ok());
    EXPECT_EQ(refusal.failure().text, text::kFloppyNotRoland);
    EXPECT_EQ(refusal.failure().icon, Icon::Warning);
}

TEST_F(TransferTest, TheDriveRefusalsComeThroughButFormatTakesAnyGeometry) {
    for (auto [plan, text] : {std::pair{FaultPlan{{}, true, {}, 0}, text::kNoFloppy},
                              {FaultPlan{{}, false, MediumGeometry{80, 2, 18}, 0}, text::kNotDoubleDensity}}) {
        driveWith(plan);
        auto r = OpenAndIdentify(*drive, DriveAccess::Write, context);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, text);
    }
    EXPECT_TRUE(OpenAndIdentify(*drive, DriveAccess::Format, context).ok());
    EXPECT_EQ(totalReads(), 2u); // only the accepted opening read anything
}

TEST_F(TransferTest, ReadWithTwoBadSectorsIgnoredGivesAZeroFilledImageAndNamesThem) {
    driveWith(FaultPlan{{{17, Kind::Always, 0}, {300, Kind::FailTimes, 5}}, false, {}, 0});
    auto opened = openFor(DriveAccess::Read);
    control.autoIgnore.store(true);
    BeginTransfer(control);
    CountProgress progress;
    const auto out = dir / "out.s55";
    const auto r = ReadFloppyToImage(*opened.device, opened.identity, context, &progress, into(out));
    EXPECT_EQ(r.state, TransferState::Succeeded);
    EXPECT_EQ(control.state.load(), TransferState::Succeeded);
    EXPECT_FALSE(r.failure.has_value());
    EXPECT_EQ(r.skipped, (std::vector<std::uint32_t>{17, 300}));
    EXPECT_EQ(r.image, out);
    EXPECT_EQ(progress.calls, 1440u);
    EXPECT_EQ(progress.last, 1439u);

    const auto image = test::ReadFile(out);
    ASSERT_EQ(image.size(), 737280u);
    EXPECT_TRUE(SectorIs(image, 17, 0));
    EXPECT_TRUE(SectorIs(image, 300, 0));
    auto expected = source;
    std::memset(expected.data() + 17 * 512, 0, 512);
    std::memset(expected.data() + 300 * 512, 0, 512);
    EXPECT_TRUE(image == expected);
    EXPECT_EQ(ReadResultMessage(r), (FloppyResultMessage{1040, 0, out.string()}));
    EXPECT_FALSE(fs::exists(dir / "out.s55.vdn-part"));
}

TEST_F(TransferTest, OutputFileCancelledRefusedOrReplaced) {
    driveWith({});
    auto opened = openFor(DriveAccess::Read);
    auto r = ReadFloppyToImage(*opened.device, opened.identity, context, nullptr,
                               [](const DiskIdentity&) { return std::optional<fs::path>(); });
    EXPECT_EQ(r.state, TransferState::Cancelled);
    EXPECT_FALSE(r.failure.has_value());

    r = ReadFloppyToImage(*opened.device, opened.identity, context, nullptr, into(dir / "no-such-dir" / "a.s55"));
    EXPECT_EQ(r.state, TransferState::Failed);
    ASSERT_TRUE(r.failure.has_value());
    EXPECT_EQ(r.failure->text, text::kCantCreateOutput);
    EXPECT_EQ(r.failure->icon, Icon::Error);

    const auto existing = dir / "old.s55";
    test::WriteFile(existing, std::vector<std::uint8_t>(800000, 1));
    r = ReadFloppyToImage(*opened.device, opened.identity, context, nullptr, into(existing));
    EXPECT_EQ(r.state, TransferState::Succeeded);
    EXPECT_TRUE(test::ReadFile(existing) == source);
}

TEST_F(TransferTest, RequesterImagePathFromTheTitleAndSaveFiltersByExtension) {
    DiskIdentity id;
    id.definition = ClassifyImage(source);
    for (auto [title, name] : {std::pair{"VELDIN DEMO S-550 sounds Sine, saw", "VELDIN DEMO S-550 sounds Sine_ saw"},
                               {"   \t ", "Unknown"},
                               {" a\"b*c,d/e:f<g?h\\i|j ", "a_b_c_d_e_f_g_h_i_j"},
                               {"x\x01y", "x_y"}}) {
        id.memo.title = title;
        EXPECT_EQ(RequesterImagePath(dir.path(), id), dir / (std::string(name) + ".s55")) << title;
    }
    EXPECT_EQ(SaveFilterFor(".s55"), "Roland S550 (*.s55)");
    EXPECT_EQ(SaveFilterFor(""), "");
    for (const auto& row : DefinitionTable()) EXPECT_FALSE(SaveFilterFor(row.extension).empty()) << row.extension;
}

TEST_F(TransferTest, WriteCopiesTheImageAndDescribesIt) {
    test::WriteFile(floppy, std::vector<std::uint8_t>(737280, 0));
    const auto image = dir / "in.s55";
    test::WriteFile(image, source);
    fs::permissions(image, fs::perms::owner_read); // a read-only image can be written to floppy
    driveWith({});
    auto opened = openFor(DriveAccess::Write);
    EXPECT_TRUE(opened.identity.definition.isFallback()); // the floppy's own kind does not matter
    std::optional<DiskIdentity> described;
    CountProgress progress;
    BeginTransfer(control);
    const auto r = WriteImageToFloppy(*opened.device, image, context, &progress,
                                      [&](const DiskIdentity& id) {
                                          described = id;
                                          return true;
                                      });
    EXPECT_EQ(r.state, TransferState::Succeeded);
    EXPECT_TRUE(r.skipped.empty());
    ASSERT_TRUE(described.has_value());
    EXPECT_EQ(described->definition.samplerName, "S550");
    EXPECT_EQ(described->memo.name, "VELDIN DEMO ");
    EXPECT_EQ(progress.calls, 1440u);
    EXPECT_TRUE(test::ReadFile(floppy) == source);
    EXPECT_EQ(WriteResultMessage(r), (FloppyResultMessage{1041, 1, ""}));
}

TEST_F(TransferTest, WriteSkipsABadSectorWhenToldAndSaysSo) {
    const auto image = dir / "in.s55";
    test::WriteFile(image, std::vector<std::uint8_t>(737280, 0x5A));
    driveWith(FaultPlan{{{42, Kind::Always, 0}}, false, {}, 0});
    auto opened = openFor(DriveAccess::Write);
    ui.answer(Answer::Ignore);
    const auto r = WriteImageToFloppy(*opened.device, image, context, nullptr);
    EXPECT_EQ(r.state, TransferState::Succeeded);
    EXPECT_EQ(r.skipped, std::vector<std::uint32_t>{42});
    const auto after = test::ReadFile(floppy);
    EXPECT_TRUE(SectorIs(after, 41, 0x5A));
    EXPECT_TRUE(std::equal(after.begin() + 42 * 512, after.begin() + 43 * 512, source.begin() + 42 * 512));
}

class FormatTest : public TransferTest {
protected:
    std::string script = std::string(VELDIN_TEST_DATA_DIR) + "/fake-formatter.sh";
    PosixProcessRunner runner;

    FormatResult format(const std::string& line) {
        driveWith({});
        auto command = ParseFormatCommand(line);
        EXPECT_TRUE(command.has_value()) << line;
        return FormatFloppy(*drive, *command, runner, control);
    }
};

TEST_F(FormatTest, RunsEveryStepOnTheDeviceAndAFailingStepEndsTheChain) {
    const auto log = (dir / "log").string();
    auto r = format("sh " + script + " " + log + " {device} && sh " + script + " " + log + " {device}");
    EXPECT_TRUE(r.completed());
    EXPECT_EQ(r.stepsRun, 2u);
    EXPECT_EQ(control.state.load(), TransferState::Succeeded);
    const auto logged = test::ReadFile(log);
    EXPECT_EQ(std::string(logged.begin(), logged.end()), floppy.string() + "\n" + floppy.string() + "\n");
    EXPECT_TRUE(test::ReadFile(floppy) == std::vector<std::uint8_t>(737280, 0));

    r = format("sh " + script + " " + log + " {device} 4 && sh " + script + " " + log + "2 {device}");
    EXPECT_FALSE(r.completed());
    EXPECT_EQ(std::pair(r.stepsRun, r.last.exitCode), std::pair(std::size_t{1}, 4));
    EXPECT_EQ(control.state.load(), TransferState::Failed);
    EXPECT_FALSE(fs::exists(log + "2"));
}

} // namespace
} // namespace veldin
