#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <optional>

#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/UndoStore.h"
#include "tests/core/Helpers.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/TestWorkspace.h"

namespace veldin {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Call;
using test::Refused;
namespace fs = std::filesystem;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

std::string HexName(std::int32_t n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "veldin.%08x", static_cast<unsigned>(n));
    return buf;
}

// A store over a copy of the demo S-550 image, opened as Open would open it.
class UndoStoreTest : public ::testing::Test {
protected:
    explicit UndoStoreTest(os::FileOps& files = os::SystemFileOps()) : w(files) {}

    void SetUp() override {
        userPath = w.demo("demo.s55");
        original = test::ReadFile(userPath);
        userFile = os::SystemFileOps().open(userPath, os::OpenMode::ReadWrite);
        ASSERT_NE(userFile, os::kNoHandle);
    }
    void TearDown() override { os::SystemFileOps().close(userFile); }

    std::unique_ptr<UndoStore> start() {
        auto s = UndoStore::Start(w.ws, userFile);
        EXPECT_TRUE(s.ok()) << (s.ok() ? "" : s.failure().text);
        return s.ok() ? std::move(*s) : nullptr;
    }
    Bytes workingCopy(const UndoStore& s) const { return test::ReadFile(s.workingCopyPath()); }

    // The image as it would be after writing `bytes` at `offset` into `image`.
    static Bytes With(Bytes image, std::uint32_t offset, const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
        return image;
    }

    test::TestWorkspace w;
    fs::path userPath;
    Bytes original;
    int userFile = os::kNoHandle;
};

// Most tests begin with a store running.
class StartedStore : public UndoStoreTest {
protected:
    void SetUp() override {
        UndoStoreTest::SetUp();
        if (!HasFatalFailure()) store = start();
        ASSERT_TRUE(store);
    }
    void TearDown() override {
        store.reset();
        UndoStoreTest::TearDown();
    }
    std::unique_ptr<UndoStore> store;
};

TEST_F(StartedStore, StartMakesWorkingCopySessionAndFirstDirectoryName) {
    const auto& s = store->state();
    EXPECT_EQ(s.tempDirectory, w.temp / "veldin.4f984842"); // the first name of every run
    EXPECT_EQ(workingCopy(*store), original);
    EXPECT_EQ(std::tuple(s.currentStep, s.lastStep), std::tuple(0u, 0u));

    ASSERT_EQ(w.sessionFiles().size(), 1u);
    const auto session = w.main / w.sessionFiles()[0];
    EXPECT_EQ(session, s.sessionPath);
    EXPECT_TRUE(session.filename().string().ends_with(".tmp"));
    const auto stored = DecodeUndoState(test::ReadFile(session));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, s);
}

TEST_F(UndoStoreTest, StartGivesUpAfterABoundedSearch) {
    MinStdRandom names;
    for (int i = 0; i < UndoStore::kDirectoryAttempts; ++i)
        fs::create_directory(w.temp / HexName(names.next()));
    EXPECT_EQ(Refused(UndoStore::Start(w.ws, userFile)).text, text::kCantCreateTempDirectory);
    EXPECT_TRUE(w.sessionFiles().empty());

    // One name fewer taken: the last attempt succeeds, and the others' folders stay.
    test::TestWorkspace fresh;
    MinStdRandom again;
    for (int i = 0; i + 1 < UndoStore::kDirectoryAttempts; ++i)
        fs::create_directory(fresh.temp / HexName(again.next()));
    auto ok = UndoStore::Start(fresh.ws, userFile);
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ((*ok)->state().tempDirectory.filename(), HexName(again.next()));
    EXPECT_EQ(test::TestWorkspace::Entries(fresh.temp.path()).size(), static_cast<std::size_t>(UndoStore::kDirectoryAttempts));
}

TEST_F(UndoStoreTest, UnwritableTemporaryFolderFailsAtOnce) {
    Workspace ws{w.ws.files, w.main.path(), w.temp / "missing" / "folder", w.random};
    EXPECT_EQ(Refused(UndoStore::Start(ws, userFile)).text, text::kCantCreateTempDirectory);
    EXPECT_EQ(w.random.state(), MinStdRandom().next()); // one name tried, not 64
}

TEST_F(StartedStore, RecordUndoRedo) {
    const Bytes a = Pattern(300, 1), b = Pattern(40, 9);
    ASSERT_TRUE(store->record({.code = 1105, .returnedBlock = 1, .parameter = 7, .blocks = {{1000, a}, {70000, b}}}).ok());
    const Bytes after = With(With(original, 1000, a), 70000, b);
    EXPECT_EQ(workingCopy(*store), after);
    EXPECT_EQ(test::ReadFile(userPath), original);
    EXPECT_EQ(std::tuple(store->canUndo(), store->canRedo()), std::tuple(true, false));

    auto undone = store->back();
    ASSERT_TRUE(undone.ok() && undone->block);
    EXPECT_EQ(std::tuple(undone->code, undone->parameter), std::tuple(1105u, 7u));
    EXPECT_EQ(*undone->block, Bytes(original.begin() + 70000, original.begin() + 70040)); // old bytes of block 1
    EXPECT_EQ(workingCopy(*store), original);
    EXPECT_EQ(std::tuple(store->canUndo(), store->canRedo()), std::tuple(false, true));

    auto redone = store->forward();
    ASSERT_TRUE(redone.ok() && redone->block);
    EXPECT_EQ(redone->code, 1105u);
    EXPECT_EQ(*redone->block, b);
    EXPECT_EQ(workingCopy(*store), after);

    // Nothing left to redo, then nothing left to undo: code 0 and no change.
    EXPECT_EQ(store->forward()->code, 0u);
    ASSERT_TRUE(store->back().ok());
    EXPECT_EQ(store->back()->code, 0u);
    EXPECT_EQ(workingCopy(*store), original);
}

TEST_F(StartedStore, StepFileHasTheDocumentedLayout) {
    const Bytes a = {1, 2, 3};
    ASSERT_TRUE(store->record({.code = 530, .returnedBlock = 0, .parameter = 0x01020304, .blocks = {{10, a}}}).ok());
    const Bytes step = test::ReadFile(store->stepPath(1));
    Bytes expected = {0x12, 0x02, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 3, 2, 1, // header
                      3, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0};                  // descriptor
    expected.insert(expected.end(), original.begin() + 10, original.begin() + 13); // old
    expected.insert(expected.end(), a.begin(), a.end());                           // new
    EXPECT_EQ(step, expected);
}

TEST_F(StartedStore, AbandonedStepsAreNotRedoneAndTheirNumbersAreReused) {
    for (std::uint8_t i = 1; i <= 3; ++i) ASSERT_TRUE(store->record({.code = i, .blocks = {{100u * i, Pattern(10, i)}}}).ok());
    ASSERT_TRUE(store->back().ok());
    ASSERT_TRUE(store->back().ok());
    EXPECT_EQ(std::tuple(store->state().currentStep, store->state().lastStep), std::tuple(1u, 3u));

    const Bytes c = Pattern(10, 50);
    ASSERT_TRUE(store->record({.code = 99, .blocks = {{5000, c}}}).ok());
    EXPECT_EQ(std::tuple(store->state().currentStep, store->state().lastStep), std::tuple(2u, 2u));
    EXPECT_FALSE(store->canRedo());
    EXPECT_TRUE(fs::exists(store->stepPath(3))); // stays until close
    const Bytes before = workingCopy(*store);
    EXPECT_EQ(store->forward()->code, 0u); // step 3 is not reached again
    EXPECT_EQ(workingCopy(*store), before);

    auto undone = store->back(); // step 2 is now the new change
    ASSERT_TRUE(undone.ok());
    EXPECT_EQ(undone->code, 99u);
    EXPECT_EQ(workingCopy(*store), With(original, 100, Pattern(10, 1)));
}

TEST_F(StartedStore, OverlappingBlocksUndoToTheImageBeforeTheStep) {
    const Bytes a = Pattern(100, 3), b = Pattern(100, 200);
    // Block 1 overlaps the second half of block 0.
    ASSERT_TRUE(store->record({.code = 1, .returnedBlock = 0, .blocks = {{2000, a}, {2050, b}}}).ok());
    const Bytes after = With(With(original, 2000, a), 2050, b); // the later block wins
    EXPECT_EQ(workingCopy(*store), after);

    // Both blocks' old bytes are what the image held before the step.
    auto peeked = store->peek(1, StepSide::Old);
    ASSERT_TRUE(peeked.ok() && peeked->block);
    EXPECT_EQ(*peeked->block, Bytes(original.begin() + 2050, original.begin() + 2150));

    ASSERT_TRUE(store->back().ok());
    EXPECT_EQ(workingCopy(*store), original);
    ASSERT_TRUE(store->forward().ok());
    EXPECT_EQ(workingCopy(*store), after);
}

TEST_F(StartedStore, ReturnedBlockThatNamesNoBlockIsHandedBackItself) {
    ASSERT_TRUE(store->record({.code = 1300, .returnedBlock = 17, .parameter = 3, .blocks = {{0, Pattern(4, 0)}}}).ok());
    for (auto r : {store->back(), store->forward()}) {
        ASSERT_TRUE(r.ok());
        EXPECT_FALSE(r->block);
        EXPECT_EQ(r->returnedValue, 17u);
        EXPECT_EQ(r->parameter, 3u);
    }
}

TEST_F(StartedStore, PeekReadsStepOneWhenNothingIsApplied) {
    EXPECT_EQ(store->peek(0, StepSide::New).failure().text, text::kCantOpenStep); // no step yet

    const Bytes a = Pattern(64, 5);
    ASSERT_TRUE(store->record({.code = 51, .blocks = {{4096, a}}}).ok());
    ASSERT_TRUE(store->back().ok());
    ASSERT_EQ(store->state().currentStep, 0u);
    const Bytes before = workingCopy(*store);

    auto fresh = store->peek(0, StepSide::New);
    ASSERT_TRUE(fresh.ok() && fresh->block);
    EXPECT_EQ(std::tuple(fresh->code, *fresh->block), std::tuple(51u, a));
    auto old = store->peek(0, StepSide::Old);
    ASSERT_TRUE(old.ok() && old->block);
    EXPECT_EQ(*old->block, Bytes(original.begin() + 4096, original.begin() + 4160));
    auto none = store->peek(5, StepSide::New);
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none->block);
    EXPECT_EQ(workingCopy(*store), before);
    EXPECT_EQ(store->state().currentStep, 0u);
}

TEST_F(StartedStore, BlocksOutsideTheImageAreRefused) {
    const Bytes a = Pattern(2, 0);
    for (std::uint32_t offset : {737279u, 737280u, 0xFFFFFFFFu}) {
        EXPECT_EQ(Refused(store->record({.code = 1, .blocks = {{0, a}, {offset, a}}})).text, text::kCantCreateStep);
    }
    EXPECT_TRUE(store->record({.code = 1, .blocks = {{737278, a}}}).ok()); // the last two bytes
    EXPECT_EQ(store->state().currentStep, 1u);
}

TEST_F(StartedStore, MissingOrCorruptStepFilesChangeNothing) {
    ASSERT_TRUE(store->record({.code = 1, .blocks = {{10, Pattern(50, 1)}, {900, Pattern(50, 2)}}}).ok());
    const Bytes good = test::ReadFile(store->stepPath(1));
    const Bytes after = workingCopy(*store);

    const auto with = [&](std::size_t at, std::uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    Bytes longer = good;
    longer.push_back(0);
    const std::pair<const char*, std::optional<Bytes>> damaged[] = {
        {"missing", std::nullopt},
        {"one byte short", Bytes(good.begin(), good.end() - 1)},
        {"one byte long", longer},
        {"block outside the image", with(16 + 6, 0xFF)}, // first block's offset
        {"block count beyond the file", with(4, 0xFF)},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        fs::remove(store->stepPath(1));
        if (bytes) test::WriteFile(store->stepPath(1), *bytes);
        EXPECT_EQ(Refused(store->back()).text, text::kCantOpenStep);
        EXPECT_EQ(workingCopy(*store), after);
        EXPECT_EQ(store->state().currentStep, 1u);
    }
    test::WriteFile(store->stepPath(1), good);
    ASSERT_TRUE(store->back().ok());
    EXPECT_EQ(workingCopy(*store), original);
    fs::remove(store->stepPath(1));
    EXPECT_EQ(Refused(store->forward()).text, text::kCantOpenStep);
    EXPECT_EQ(store->state().currentStep, 0u);
}

TEST_F(StartedStore, RenamesOfStepsStayInsideTheDirectoryAndCloseRemovesThem) {
    for (std::uint8_t i = 0; i < 3; ++i) ASSERT_TRUE(store->record({.code = i, .blocks = {{i, Pattern(1, i)}}}).ok());
    EXPECT_EQ(test::TestWorkspace::Entries(store->state().tempDirectory),
              (std::vector<std::string>{"1.stp", "2.stp", "3.stp", "image.stp"}));
    const auto dir = store->state().tempDirectory;
    store.reset(); // the destructor closes too
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(w.sessionFiles().empty());
}

// The same store over file services that fail where a test asks.
class UndoStoreFaultTest : public UndoStoreTest {
protected:
    UndoStoreFaultTest() : UndoStoreTest(faults) {}
    static bool Named(const fs::path& p, std::string_view name) { return p.filename() == name; }
    test::FaultyFileOps faults;
};

TEST_F(UndoStoreFaultTest, StartFailuresLeaveNothingBehind) {
    struct Case {
        Call call;
        std::string_view file;
        std::string_view text;
    };
    for (const Case& c : {Case{Call::Open, "image.stp", text::kCantCreateWorkingCopy},
                          Case{Call::WriteAt, "image.stp", text::kCantCreateWorkingCopy},
                          Case{Call::Sync, "image.stp", text::kCantCreateWorkingCopy},
                          Case{Call::CreateUnique, "", text::kCantCreateSession},
                          Case{Call::Lock, "", text::kCantCreateSession},
                          Case{Call::WriteAt, "", text::kCantCreateSession}}) {
        SCOPED_TRACE(std::string(c.text) + " " + std::string(c.file));
        faults.failWhen([&](Call call, const fs::path& p) {
            if (call != c.call) return false;
            if (!c.file.empty()) return Named(p, c.file);
            return p == w.main.path() || p.filename().string().starts_with("VDN");
        });
        EXPECT_EQ(Refused(UndoStore::Start(w.ws, userFile)).text, c.text);
        faults.clear();
        EXPECT_TRUE(test::TestWorkspace::Entries(w.temp.path()).empty());
        EXPECT_TRUE(w.sessionFiles().empty());
    }
}

TEST_F(UndoStoreFaultTest, AStepThatCannotBeWrittenChangesNothing) {
    auto store = start();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->record({.code = 1, .blocks = {{100, Pattern(10, 1)}}}).ok());
    ASSERT_TRUE(store->record({.code = 2, .blocks = {{200, Pattern(10, 2)}}}).ok());
    ASSERT_TRUE(store->back().ok()); // step 2 is abandoned but can still be redone
    const Bytes before = workingCopy(*store);
    const Bytes step2 = test::ReadFile(store->stepPath(2));

    struct Case {
        Call call;
        std::string_view file;
        int nth; // fail the nth such call
    };
    for (const Case& c : {Case{Call::Open, "record.stp", 1}, Case{Call::WriteAt, "record.stp", 3},
                          Case{Call::Sync, "record.stp", 1}, Case{Call::ReadAt, "image.stp", 2},
                          Case{Call::WriteAt, "image.stp", 1}, Case{Call::WriteAt, "image.stp", 2},
                          Case{Call::Sync, "image.stp", 1}, Case{Call::Rename, "2.stp", 1}}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.call)) + " " + std::string(c.file) + " #" + std::to_string(c.nth));
        int seen = 0;
        faults.failWhen(
            [&](Call call, const fs::path& p) { return call == c.call && Named(p, c.file) && ++seen == c.nth; });
        EXPECT_EQ(
            Refused(store->record({.code = 3, .blocks = {{300, Pattern(500, 3)}, {100000, Pattern(700, 4)}}})).text,
            text::kCantCreateStep);
        faults.clear();
        EXPECT_EQ(workingCopy(*store), before);
        EXPECT_EQ(std::tuple(store->state().currentStep, store->state().lastStep), std::tuple(1u, 2u));
        EXPECT_EQ(test::ReadFile(store->stepPath(2)), step2);
        EXPECT_FALSE(fs::exists(store->state().tempDirectory / "record.stp"));
    }
    auto redone = store->forward(); // the abandoned step is intact
    ASSERT_TRUE(redone.ok());
    EXPECT_EQ(redone->code, 2u);
}

TEST_F(UndoStoreFaultTest, AStepThatFailsHalfWayIsGivenUpWhole) {
    auto store = start();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->record({.code = 1, .blocks = {{100, Pattern(100, 1)}, {150, Pattern(100, 2)}, {9000, Pattern(30, 3)}}}).ok());
    const Bytes after = workingCopy(*store);
    for (int nth : {1, 2, 3}) {
        for (bool undo : {true, false}) {
            SCOPED_TRACE(std::string(undo ? "undo" : "redo") + ", write #" + std::to_string(nth));
            if (!undo) {
                ASSERT_TRUE(store->back().ok());
            }
            const Bytes before = workingCopy(*store);
            const auto step = store->state().currentStep;
            int seen = 0;
            faults.failWhen([&](Call call, const fs::path& p) {
                return call == Call::WriteAt && Named(p, "image.stp") && ++seen == nth;
            });
            EXPECT_EQ(Refused(undo ? store->back() : store->forward()).text, text::kCantOpenStep);
            faults.clear();
            EXPECT_EQ(workingCopy(*store), before);
            EXPECT_EQ(store->state().currentStep, step);
            if (!undo) {
                ASSERT_TRUE(store->forward().ok());
            }
            EXPECT_EQ(workingCopy(*store), after);
        }
    }
}

} // namespace
} // namespace veldin
