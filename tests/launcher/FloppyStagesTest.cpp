// The rules of the floppy stages: which key does what in which stage, who may ask, and
// what a requester is told at the end.
#include <gtest/gtest.h>

#include "launcher/FloppyStages.h"
#include "launcher/FloppyTexts.h"
#include "launcher/FloppyTransfer.h"
#include "launcher/LauncherPanel.h"

namespace veldin {
namespace {

using A = StageAction;
using S = FloppyStage;
using Op = FloppyOperation;

// One step of a walk through the stages: an event and what must follow.
struct Step {
    enum Event { Menu, Key, Opened, OpenFailed, Started, Drop, Request } event;
    int key = 0;
    A action = A::None;
    std::optional<S> stage;
    bool active = true;
};

TEST(FloppyStages, WalksThroughTheStageTable) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        Op operation;
    } kWalks[] = {
        {"read, cancel, exit",
         {{Step::Menu, 0, A::None, S::Menu},
          {Step::Key, 5, A::None, S::Menu},
          {Step::Key, 1, A::OpenDrive, std::nullopt},
          {Step::Opened, 0, A::None, S::ReadPrepared},
          {Step::Key, 3, A::None, S::ReadPrepared},
          {Step::Key, 2, A::BackToMenu, S::Menu},
          {Step::Key, 4, A::EndStage, S::Menu}},
         Op::Read},
        {"write and stop",
         {{Step::Menu, 0, A::None, S::Menu},
          {Step::Key, 2, A::OpenDrive, std::nullopt},
          {Step::Opened, 0, A::None, S::WritePrepared},
          {Step::Key, 1, A::Start, S::WritePrepared},
          {Step::Started, 0, A::None, S::Running},
          {Step::Key, 2, A::None, S::Running},
          {Step::Key, 1, A::Stop, S::Running}},
         Op::Write},
        {"format, the drive fails",
         {{Step::Menu, 0, A::None, S::Menu},
          {Step::Key, 3, A::OpenDrive, std::nullopt},
          {Step::OpenFailed, 0, A::EndStage, std::nullopt, false}},
         Op::Format},
        {"a dropped file",
         {{Step::Drop, 0, A::OpenDrive, std::nullopt}, {Step::Opened, 0, A::None, S::WritePrepared}},
         Op::Write},
        {"a module's request from the menu",
         {{Step::Menu, 0, A::None, S::Menu},
          {Step::Request, 0, A::OpenDrive, std::nullopt},
          {Step::Opened, 0, A::None, S::FormatPrepared}},
         Op::Format},
    };
    for (const auto& walk : kWalks) {
        SCOPED_TRACE(walk.name);
        FloppyStages st;
        EXPECT_FALSE(st.active());
        for (std::size_t i = 0; i < walk.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const Step& s = walk.steps[i];
            A got = A::None;
            switch (s.event) {
            case Step::Menu: EXPECT_TRUE(st.enterMenu()); break;
            case Step::Key: got = st.functionKey(s.key); break;
            case Step::Opened: st.driveOpened(); break;
            case Step::OpenFailed: got = st.driveFailed(); st.end(); break;
            case Step::Started: st.started(); break;
            case Step::Drop: got = st.drop("/images/a.s55"); break;
            case Step::Request: got = st.request(msg::kPatchEditor, walk.operation); break;
            }
            EXPECT_EQ(got, s.action);
            EXPECT_EQ(st.stage(), s.stage);
            EXPECT_EQ(st.active(), s.active);
        }
        EXPECT_EQ(st.operation(), walk.operation);
    }
}

TEST(FloppyStages, OneOperationAndOneRequesterAtATime) {
    FloppyStages st;
    EXPECT_EQ(st.request(msg::kToneEditor, Op::Write, "/images/a.s55"), A::OpenDrive);
    EXPECT_EQ(st.imagePath(), "/images/a.s55");
    // While the drive opens, nobody else gets in: not a module, a drop or the FLOPPY button.
    EXPECT_EQ(st.request(msg::kPatchEditor, Op::Read), A::None);
    EXPECT_EQ(st.drop("/images/b.s55"), A::None);
    EXPECT_FALSE(st.enterMenu());
    st.driveOpened();
    EXPECT_EQ(st.request(msg::kPatchEditor, Op::Read), A::None);
    EXPECT_EQ(st.requester(), msg::kToneEditor);
    EXPECT_EQ(st.imagePath(), "/images/a.s55");
    // Cancel leads to the menu, which would let a module in, but the first is still set.
    EXPECT_EQ(st.functionKey(2), A::BackToMenu);
    EXPECT_TRUE(st.imagePath().empty());
    EXPECT_EQ(st.request(msg::kPatchEditor, Op::Read), A::None);
    EXPECT_EQ(st.end(), msg::kToneEditor);
    EXPECT_FALSE(st.requester().has_value());
    EXPECT_FALSE(st.end().has_value()) << "the requester is handed back once";
    EXPECT_EQ(st.request(msg::kPatchEditor, Op::Read), A::OpenDrive);
}

TEST(FloppyStages, RequesterResultsSayWhatWasDone) {
    TransferResult read;
    read.state = TransferState::Succeeded;
    read.image = "/images/DEMO.s55";
    TransferResult failed;
    const struct {
        Op requested;
        std::optional<Op> ran;
        const TransferResult& result;
        FloppyResultMessage expected;
    } kCases[] = {
        {Op::Read, Op::Read, read, {1040, 0, "/images/DEMO.s55"}},
        {Op::Read, Op::Read, failed, {1040, 0, ""}},
        {Op::Read, std::nullopt, read, {1040, 0, ""}},
        {Op::Read, Op::Format, read, {1040, 0, ""}},
        {Op::Write, Op::Write, read, {1041, 1, ""}},
        {Op::Write, Op::Write, failed, {1041, 0, ""}},
        {Op::Write, Op::Read, read, {1041, 0, ""}},
        {Op::Format, Op::Format, read, {1008, 0, ""}},
        {Op::Format, std::nullopt, failed, {1008, 0, ""}},
    };
    for (const auto& c : kCases) EXPECT_EQ(RequesterResult(c.requested, c.ran, c.result), c.expected);
}

TEST(FloppyStages, OverwritingAnotherKindIsAsked) {
    const auto row = [](std::string_view ext) {
        for (const auto& d : DefinitionTable())
            if (d.extension == ext) return d;
        return FallbackDefinition();
    };
    const DiskIdentity s55{row(".s55"), {}}, s50{row(".s50"), {}}, song{row(".sng"), {}},
        unknown{FallbackDefinition(), {}};
    EXPECT_FALSE(OverwriteQuestion(s55, s55).has_value());
    EXPECT_FALSE(OverwriteQuestion(unknown, s55).has_value());
    const auto q = OverwriteQuestion(s50, s55);
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(*q, std::string(text::kOverwriteOtherKind) + "Sampler: S50  Type: Sound" +
                      std::string(text::kOverwriteOtherKindEnd));
    EXPECT_NE(OverwriteQuestion(song, s55).value_or("").find("Sampler: W30  Type: Song"), std::string::npos);
}

// The formatter's outcomes give their texts through the window; a command line that did
// not parse runs nothing, and says so as a formatter that did not start.
TEST(FloppyStages, AnUnparsedFormatterLineIsOneThatDidNotStart) {
    EXPECT_EQ(FormatFailure(FormatResult{}).value_or(Failure{}).text, text::kFormatterNotStarted);
}

TEST(PanelLines, BothPairsAndLoneBreaksAreOneBreakEach) {
    const struct {
        std::string_view text;
        std::vector<std::string> lines;
    } kCases[] = {
        {"VELDIN\r\nSystem ready", {"VELDIN", "System ready"}},
        {"\n\r\n\r\n\rAccessing floppy drive...", {"", "", "", "Accessing floppy drive..."}},
        {"F1:a\r\nF2:\r\n", {"F1:a", "F2:", ""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"", {""}},
    };
    for (const auto& c : kCases) EXPECT_EQ(launcher::PanelLines(c.text), c.lines) << c.text;
}

} // namespace
} // namespace veldin
