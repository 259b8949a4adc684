// The launcher's settings: first run, reading with warnings, writing all or the position.

#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "launcher/LauncherSettings.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::launcher;

TEST(LauncherSettings, NoKeyIsTheFirstRunAndItCreatesTheDiskImageFolderOrSaysItCannot) {
    MemorySettingsStore store;
    test::ScriptedUi ui;
    LauncherSettings s;
    s.ioRepeat = 9;
    EXPECT_EQ(ReadLauncherSettings(store, s, ui), SettingsStart::FirstRun);
    EXPECT_EQ(s.ioRepeat, 3);
    EXPECT_TRUE(ui.shown().empty());
    test::TempDir dir;
    ASSERT_TRUE(PrepareFirstRun(s, dir.path()).ok());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Diskimages"));
    EXPECT_EQ(FieldString(s.sdkPath), (dir / "Diskimages").string());
    EXPECT_EQ(FieldString(s.mainPath), dir.path().string());
    test::TempDir other;
    test::WriteFile(other / "Diskimages", {1}); // a file where the folder should go
    EXPECT_FALSE(PrepareFirstRun(s, other.path()).ok());
}

TEST(LauncherSettings, SaveThenReadRoundTripAndQuitWritesOnlyThePosition) {
    MemorySettingsStore store;
    test::ScriptedUi ui;
    LauncherSettings s;
    s.winPosX = 10, s.winPosY = 20, s.floppy = 1, s.ioRepeat = 7;
    SetFieldString(s.sdkPath, "/opt/veldin/Diskimages");
    SaveLauncherSettings(store, s, ui);
    LauncherSettings back;
    EXPECT_EQ(ReadLauncherSettings(store, back, ui), SettingsStart::Loaded);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(std::tuple(back.winPosX, back.winPosY, back.floppy, back.ioRepeat), std::tuple(10, 20, 1, 7));
    EXPECT_EQ(FieldString(back.sdkPath), "/opt/veldin/Diskimages");

    // Quit writes the position only: the next start warns for each value it misses.
    MemorySettingsStore quit;
    SaveLauncherPosition(quit, s, ui);
    EXPECT_EQ(quit.find("", "Floppy"), nullptr);
    EXPECT_EQ(ReadLauncherSettings(quit, back, ui), SettingsStart::Loaded);
    EXPECT_EQ(back.winPosX, 10);
    const auto texts = ui.texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Software\\Brannick\\VELDIN\\Floppy\n\rCouldn't read this key from the registry!");
}
