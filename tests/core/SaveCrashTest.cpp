// Save interrupted at every call it makes to the file services, by a failure or by
// SIGKILL: the user's file is always the old image or the new one, whole.
#include <gtest/gtest.h>

#include <csignal>

#include "core/Document.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace veldin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const Bytes kNewBytes(4608, 0x5A);
constexpr std::uint32_t kAt = 0x30000;

class SaveCrashTest : public ::testing::Test {
protected:
    SaveCrashTest() : w(faults) {}

    void SetUp() override {
        path = w.demo("demo.s55");
        oldImage = test::ReadFile(path);
        newImage = oldImage;
        std::copy(kNewBytes.begin(), kNewBytes.end(), newImage.begin() + kAt);
    }

    std::unique_ptr<Document> openChanged() {
        auto doc = Document::Open(w.ws, path);
        if (!doc || !(*doc)->record({.code = 1, .blocks = {{kAt, kNewBytes}}})) return nullptr;
        return std::move(*doc);
    }

    // Calls that a whole, successful Save makes.
    int callsOfASave() {
        auto doc = openChanged();
        const int before = faults.calls();
        EXPECT_TRUE(doc && doc->save().ok());
        const int n = faults.calls() - before;
        doc.reset();
        test::WriteFile(path, oldImage);
        return n;
    }

    void expectOldOrNew(const std::string& where) const {
        const Bytes now = test::ReadFile(path);
        EXPECT_TRUE(now == oldImage || now == newImage) << where << ": the image is neither the old nor the new one";
    }

    test::FaultyFileOps faults;
    test::TestWorkspace w;
    fs::path path;
    Bytes oldImage, newImage;
};

TEST_F(SaveCrashTest, AFailureAtAnyCallLeavesTheOldImageAndAUsableDocument) {
    const int calls = callsOfASave();
    ASSERT_GT(calls, 5);
    int failed = 0;
    for (int n = 1; n <= calls; ++n) {
        const std::string where = "failure at call " + std::to_string(n);
        auto doc = openChanged();
        ASSERT_TRUE(doc) << where;
        faults.failAtCall(n);
        const auto s = doc->save();
        faults.clear();
        expectOldOrNew(where);
        if (!s) {
            ++failed;
            EXPECT_EQ(test::ReadFile(path), oldImage) << where;
            EXPECT_EQ(test::TestWorkspace::Entries(w.images.path()), std::vector<std::string>{"demo.s55"}) << where;
            EXPECT_TRUE(doc->isModified()) << where;
            ASSERT_TRUE(doc->save().ok()) << where; // usable: the next Save goes through
        }
        EXPECT_EQ(test::ReadFile(path), newImage) << where;
        doc.reset();
        test::WriteFile(path, oldImage);
    }
    EXPECT_GT(failed, calls / 2);
}

TEST_F(SaveCrashTest, AKillAtAnyCallLeavesTheOldImageOrTheNewOne) {
    const int calls = callsOfASave();
    int killed = 0, sawNew = 0;
    for (int n = 1; n <= calls + 1; ++n) {
        const std::string where = "kill at call " + std::to_string(n);
        const auto end = test::RunInChild([&] {
            auto doc = openChanged();
            if (!doc) return 3;
            faults.killAtCall(n);
            const bool saved = doc->save().ok();
            faults.clear();
            return saved ? 0 : 4;
        });
        if (n <= calls) {
            EXPECT_TRUE(end.killed && end.signal == SIGKILL) << where;
        } else {
            EXPECT_FALSE(end.killed) << where;
            EXPECT_EQ(end.code, 0) << where;
        }
        killed += end.killed ? 1 : 0;
        expectOldOrNew(where);
        sawNew += test::ReadFile(path) == newImage ? 1 : 0;

        // The next start cleans up what the killed process left (its session, its undo
        // directory); a half-written replacement in the image folder stays harmless.
        UndoStore::Recover(w.ws);
        EXPECT_TRUE(w.sessionFiles().empty()) << where;
        EXPECT_TRUE(test::TestWorkspace::Entries(w.temp.path()).empty()) << where;
        for (const auto& e : test::TestWorkspace::Entries(w.images.path()))
            if (e != "demo.s55") fs::remove(w.images / e);
        test::WriteFile(path, oldImage);
    }
    EXPECT_EQ(killed, calls);
    EXPECT_GT(sawNew, 0); // killed after the rename: the new image, whole
}

} // namespace
} // namespace veldin
