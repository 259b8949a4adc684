#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/os/FileOps.h"
#include "tests/support/TestSupport.h"

namespace veldin::os {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FileOpsTest : public ::testing::Test {
protected:
    FileOps& f = SystemFileOps();
    test::TempDir dir;
};

TEST_F(FileOpsTest, ALockBelongsToOneOpenFile) {
    test::WriteFile(dir / "a", {1});
    const int first = f.open(dir / "a", OpenMode::ReadWrite);
    const int second = f.open(dir / "a", OpenMode::ReadOnly);
    ASSERT_NE(first, kNoHandle);
    ASSERT_NE(second, kNoHandle);
    EXPECT_EQ(f.lockExclusive(first), LockResult::Locked);
    EXPECT_EQ(f.lockExclusive(second), LockResult::Busy); // even in the same process
    EXPECT_TRUE(f.close(first));
    EXPECT_EQ(f.lockExclusive(second), LockResult::Locked);
    f.close(second);
}

TEST_F(FileOpsTest, ReadsAndWritesAtPositions) {
    const int h = f.open(dir / "b", OpenMode::CreateTruncate);
    ASSERT_NE(h, kNoHandle);
    EXPECT_TRUE(f.writeAt(h, 4, Bytes{1, 2, 3}));
    EXPECT_EQ(f.size(h), 7);
    Bytes buf(10, 9);
    EXPECT_EQ(f.readAt(h, 2, buf), 5); // short only at the end
    EXPECT_EQ(buf, (Bytes{0, 0, 1, 2, 3, 9, 9, 9, 9, 9}));
    EXPECT_EQ(std::tuple(f.readAt(h, 100, buf), f.readAt(h, -1, buf)), std::tuple(0, -1));
    EXPECT_FALSE(f.writeAt(h, -1, Bytes{1}));
    EXPECT_TRUE(f.sync(h));
    EXPECT_TRUE(f.truncate(h, 2));
    EXPECT_EQ(f.size(h), 2);
    f.close(h);
    // CreateTruncate empties an existing file; ReadWrite wants one.
    const int again = f.open(dir / "b", OpenMode::CreateTruncate);
    EXPECT_EQ(f.size(again), 0);
    f.close(again);
    EXPECT_EQ(f.open(dir / "missing", OpenMode::ReadWrite), kNoHandle);
    EXPECT_EQ(f.open(dir.path(), OpenMode::ReadOnly), kNoHandle); // folders are not files
}

TEST_F(FileOpsTest, UniqueFilesCarryPrefixAndSuffix) {
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        auto u = f.createUnique(dir.path(), "VDN", ".tmp");
        ASSERT_TRUE(u);
        const std::string name = u->path.filename().string();
        EXPECT_TRUE(name.size() == 13u && name.starts_with("VDN") && name.ends_with(".tmp")) << name;
        EXPECT_EQ(u->path.parent_path(), dir.path());
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_TRUE(f.writeAt(u->handle, 0, Bytes{1}));
        f.close(u->handle);
    }
    EXPECT_FALSE(f.createUnique(dir / "missing", "VDN", ".tmp"));
}

TEST_F(FileOpsTest, RenameReplacesAndPermissionsFollowTheHandle) {
    test::WriteFile(dir / "old", {1});
    test::WriteFile(dir / "new", {2, 2});
    const int h = f.open(dir / "new", OpenMode::ReadWrite);
    EXPECT_TRUE(f.setPermissions(h, 0640));
    EXPECT_EQ(f.permissions(h), 0640u);
    const int held = f.open(dir / "old", OpenMode::ReadOnly);
    EXPECT_TRUE(f.isSameFile(held, dir / "old"));
    EXPECT_TRUE(f.rename(dir / "new", dir / "old"));
    EXPECT_TRUE(f.syncDirectory(dir.path()));
    EXPECT_FALSE(f.isSameFile(held, dir / "old")); // the name now is the new file's
    EXPECT_TRUE(f.isSameFile(h, dir / "old"));
    EXPECT_EQ(test::ReadFile(dir / "old"), (Bytes{2, 2}));
    EXPECT_EQ(fs::status(dir / "old").permissions() & fs::perms::mask, fs::perms(0640));
    f.close(h);
    f.close(held);
    EXPECT_EQ(f.newFilePermissions() & ~0666u, 0u);
}

TEST_F(FileOpsTest, DirectoriesAndListing) {
    EXPECT_EQ(f.makeDirectory(dir / "d"), MakeDirResult::Created);
    EXPECT_EQ(f.makeDirectory(dir / "d"), MakeDirResult::Exists);
    EXPECT_EQ(f.makeDirectory(dir / "no" / "parent"), MakeDirResult::Failed);
    test::WriteFile(dir / "d" / "x.stp", {1});
    fs::create_directory_symlink(dir / "d", dir / "link");
    auto entries = f.list(dir.path());
    ASSERT_TRUE(entries);
    std::map<std::string, bool> isDir;
    for (const auto& e : *entries) isDir[e.name] = e.isDirectory;
    EXPECT_EQ(isDir, (std::map<std::string, bool>{{"d", true}, {"link", false}}));
    EXPECT_FALSE(f.removeDirectory(dir / "d")); // not empty
    EXPECT_TRUE(f.removeFile(dir / "link"));    // the link, not what it names
    EXPECT_TRUE(fs::exists(dir / "d" / "x.stp"));
    EXPECT_TRUE(f.removeFile(dir / "d" / "x.stp"));
    EXPECT_TRUE(f.removeDirectory(dir / "d"));
    EXPECT_FALSE(f.list(dir / "d"));
}

TEST_F(FileOpsTest, FoldersOfTheMachineAndTheProgram) {
    EXPECT_TRUE(fs::is_directory(f.temporaryFolder()));
    EXPECT_EQ(f.executableDirectory(), test::BinDir().parent_path() / "tests");
}

} // namespace
} // namespace veldin::os
