#include "core/InstallLayout.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

namespace fs = std::filesystem;

void MakeDirs(const fs::path& root, std::initializer_list<const char*> dirs) {
    for (const char* d : dirs) fs::create_directories(root / d);
}

// Which folders exist decides the layout; the program may run from bin or lib/veldin.
TEST(InstallLayoutTest, LayoutFollowsTheFoldersAroundTheProgram) {
    struct Case {
        const char* name;
        std::initializer_list<const char*> dirs;
        const char* programFolder;
        InstallKind kind;
        const char* prefix; // for System: where the tree is rooted
    };
    const Case cases[] = {
        {"usr tree, launcher", {"usr/bin", "usr/lib/veldin", "usr/share/veldin"}, "usr/bin", InstallKind::System, "usr"},
        {"usr tree, update client", {"usr/bin", "usr/lib/veldin", "usr/share/veldin"}, "usr/lib/veldin", InstallKind::System, "usr"},
        {"opt tree", {"opt/veldin/bin", "opt/veldin/lib/veldin", "opt/veldin/share/veldin"}, "opt/veldin/bin", InstallKind::System, "opt/veldin"},
        {"build folder named bin", {"build/bin"}, "build/bin", InstallKind::Portable, nullptr},
        {"bin without share", {"p/bin", "p/lib/veldin"}, "p/bin", InstallKind::Portable, nullptr},
        {"bin without lib", {"p/bin", "p/share/veldin"}, "p/bin", InstallKind::Portable, nullptr},
        {"folder of any other name", {"x/VELDIN", "x/lib/veldin", "x/share/veldin"}, "x/VELDIN", InstallKind::Portable, nullptr},
        {"lib/other is no module folder", {"q/lib/other", "q/share/veldin", "q/lib/veldin"}, "q/lib/other", InstallKind::Portable, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        MakeDirs(root.path(), c.dirs);
        const fs::path dir = root.path() / c.programFolder;
        const InstallLayout l = LayoutAround(dir);
        EXPECT_EQ(l.kind, c.kind);
        if (c.kind == InstallKind::System) {
            const fs::path p = root.path() / c.prefix;
            EXPECT_EQ(std::tuple(l.programDir, l.moduleDir, l.dataDir, l.helpDir),
                      std::tuple(p / "bin", p / "lib/veldin", p / "share/veldin", p / "share/veldin/help"));
        } else {
            for (const fs::path& got : {l.programDir, l.moduleDir, l.dataDir, l.helpDir}) EXPECT_EQ(got, dir);
        }
    }
}

TEST(InstallLayoutTest, TrailingSeparatorAndDotsDoNotChangeTheLayout) {
    test::TempDir root;
    MakeDirs(root.path(), {"usr/bin", "usr/lib/veldin", "usr/share/veldin"});
    for (const fs::path& dir : {root.path() / "usr/bin/", root.path() / "usr/lib/../bin"}) {
        const InstallLayout l = LayoutAround(dir);
        EXPECT_EQ(l.kind, InstallKind::System) << dir;
        EXPECT_EQ(l.moduleDir, root.path() / "usr/lib/veldin") << dir;
    }
}

// The build's own bin folder is the portable layout the tests and developers run.
TEST(InstallLayoutTest, TheBuildFolderIsPortable) {
    const InstallLayout l = LayoutAround(test::BinDir());
    EXPECT_EQ(l.kind, InstallKind::Portable);
    EXPECT_TRUE(fs::exists(l.dataDir / "W30.dat"));
}

TEST(InstallLayoutTest, UserDataFolderFollowsTheBaseDirectoryRules) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"", "/home/ann", "/home/ann/.local/share/Brannick/VELDIN"},
        {"/data/ann", "/home/ann", "/data/ann/Brannick/VELDIN"},
        {"relative/share", "/home/ann", "/home/ann/.local/share/Brannick/VELDIN"},
    };
    for (const Case& c : cases) {
        const std::map<std::string, std::string> env{{"XDG_DATA_HOME", c.xdg}, {"HOME", c.home}};
        const fs::path got = UserDataDirectory([&env](const char* n) { return env.at(n); });
        EXPECT_EQ(got, fs::path(c.expected)) << c.xdg;
    }
}

TEST(InstallLayoutTest, MainDirectoryIsTheFolderOnlyWhenPortable) {
    const fs::path user = "/home/ann/.local/share/Brannick/VELDIN", own = "/home/ann/veldin";
    EXPECT_EQ(DefaultMainDirectory({InstallKind::Portable, own, own, own, own}, user), own);
    EXPECT_EQ(
        DefaultMainDirectory(
            {InstallKind::System, "/usr/bin", "/usr/lib/veldin", "/usr/share/veldin", "/usr/share/veldin/help"}, user),
        user);
}

// The user's template beats the shipped one; a missing file names the main directory, and
// a folder of the template's name is no template.
TEST(InstallLayoutTest, DataFilesAreLookedUpInTheMainDirectoryFirst) {
    struct Case {
        const char* name;
        bool inMain;
        bool folderInMain;
        bool shipped;
        const char* expectedIn;
    };
    const Case cases[] = {
        {"both", true, false, true, "main"},
        {"only shipped", false, false, true, "data"},
        {"only shipped, a folder in main", false, true, true, "data"},
        {"only the user's", true, false, false, "main"},
        {"neither", false, false, false, "main"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        MakeDirs(root.path(), {"main", "data"});
        if (c.inMain) test::WriteFile(root / "main/S550.dat", {1});
        if (c.folderInMain) fs::create_directories(root / "main/S550.dat");
        if (c.shipped) test::WriteFile(root / "data/S550.dat", {2});
        InstallLayout l{InstallKind::System, root / "bin", root / "lib", root / "data", root / "help"};
        EXPECT_EQ(FindDataFile(root / "main", "S550.dat", l), root.path() / c.expectedIn / "S550.dat");
    }
}

} // namespace
} // namespace veldin
