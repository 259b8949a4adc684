// Clean-up of the sessions that processes left behind, with real processes: one killed
// with SIGKILL, one ended without closing, one still running.
#include <gtest/gtest.h>

#include "core/Document.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace veldin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class RecoveryTest : public ::testing::Test {
protected:
    // A child that opens an image and changes it, then waits.
    std::unique_ptr<test::LiveChild> editingChild() {
        return std::make_unique<test::LiveChild>([this] {
            auto doc = Document::Open(w.ws, image);
            if (!doc) return false;
            const Bytes b(100, 1);
            if (!(*doc)->record({.code = 1, .blocks = {{0x40000, b}}})) return false;
            (*doc).release(); // the child never closes it
            return true;
        });
    }
    fs::path undoDirectory() const {
        const auto entries = test::TestWorkspace::Entries(w.temp.path());
        return entries.size() == 1 ? w.temp / entries[0] : fs::path();
    }

    test::TestWorkspace w;
    fs::path image = w.demo("demo.s55");
    Bytes original = test::ReadFile(image);
};

TEST_F(RecoveryTest, ASessionOfAKilledProcessIsRemoved) {
    auto child = editingChild();
    ASSERT_TRUE(child->ready());
    EXPECT_TRUE(child->kill().killed);
    ASSERT_EQ(w.sessionFiles().size(), 1u);
    const auto dir = undoDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(test::TestWorkspace::Entries(dir), (std::vector<std::string>{"1.stp", "image.stp"}));

    const auto report = UndoStore::Recover(w.ws);
    EXPECT_EQ(std::tuple(report.removed, report.skipped), std::tuple(1, 0));
    EXPECT_TRUE(w.sessionFiles().empty());
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_EQ(test::ReadFile(image), original);
    EXPECT_TRUE(Document::Open(w.ws, image).ok()); // the image is free again
}

TEST_F(RecoveryTest, ASessionOfARunningProcessIsLeftAlone) {
    auto child = editingChild();
    ASSERT_TRUE(child->ready());
    const auto session = w.sessionFiles();
    const auto dir = undoDirectory();

    const auto report = UndoStore::Recover(w.ws);
    EXPECT_EQ(std::tuple(report.removed, report.skipped), std::tuple(0, 1));
    EXPECT_EQ(w.sessionFiles(), session);
    EXPECT_EQ(test::TestWorkspace::Entries(dir), (std::vector<std::string>{"1.stp", "image.stp"}));
    EXPECT_FALSE(Document::Open(w.ws, image).ok()); // and its image stays held

    // Once it has ended (without closing), the session is stale.
    EXPECT_EQ(child->release().code, 0);
    EXPECT_EQ(UndoStore::Recover(w.ws).removed, 1);
    EXPECT_FALSE(fs::exists(dir));
}

TEST_F(RecoveryTest, ALiveSessionOfThisProcessIsLeftAlone) {
    auto doc = Document::Open(w.ws, image);
    ASSERT_TRUE(doc.ok());
    const auto report = UndoStore::Recover(w.ws);
    EXPECT_EQ(std::tuple(report.removed, report.skipped), std::tuple(0, 1));
    EXPECT_TRUE(fs::exists((*doc)->undoStore().workingCopyPath()));
}

TEST_F(RecoveryTest, ShortAndForeignSessionFiles) {
    // A session file cut short (a process killed while creating it) is deleted.
    test::WriteFile(w.main / "VDNaaaaaa.tmp", Bytes(535, 0));
    // A session file naming a directory that is not one of ours: the file goes, the
    // directory and its files stay.
    const auto foreign = w.temp / "important";
    fs::create_directory(foreign);
    test::WriteFile(foreign / "keep.stp", {1});
    const auto stored = EncodeUndoState(UndoState{3, 4, w.main / "VDNbbbbbb.tmp", foreign, 1, 1});
    ASSERT_TRUE(stored);
    test::WriteFile(w.main / "VDNbbbbbb.tmp", Bytes(stored->begin(), stored->end()));
    // Not session files at all.
    test::WriteFile(w.main / "VDN.txt", {1});
    test::WriteFile(w.main / "XVDNcccccc.tmp", {1});
    fs::create_directory(w.main / "VDNdir.tmp");

    const auto report = UndoStore::Recover(w.ws);
    EXPECT_EQ(report.removed, 2);
    EXPECT_TRUE(fs::exists(foreign / "keep.stp"));
    EXPECT_EQ(w.sessionFiles(), (std::vector<std::string>{"VDN.txt", "VDNdir.tmp"}));
    EXPECT_TRUE(fs::exists(w.main / "XVDNcccccc.tmp"));
}

} // namespace
} // namespace veldin
