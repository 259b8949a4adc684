#include <gtest/gtest.h>

#include "core/Bytes.h"
#include "core/Messages.h"
#include "core/MemorySettingsStore.h"
#include "core/ModuleSettings.h"
#include "tests/support/TestSupport.h"

namespace veldin {
namespace {

using test::ScriptedUi;

class SettingsEngine : public ::testing::Test {
protected:
    void SetUp() override {
        store.createKey("");
        store.writeText("", "Main Path", "/opt/veldin");
        store.writeText("", "SDK Path", "/home/me/disks");
        store.writeDword("", "WinPosX", 100);
        store.writeDword("", "WinPosY", 50);
    }
    LoadOutcome Load(ToneEditorSettings& s) {
        return LoadSettings(store, kToneEditorKey, ToneEditorTable(), StorageOf(s), common, ui, text::kTitleToneEditor);
    }
    void Save(const ToneEditorSettings& s) {
        SaveSettings(store, kToneEditorKey, ToneEditorTable(), StorageOf(s), ui, text::kTitleToneEditor);
    }

    MemorySettingsStore store;
    CommonSettings common;
    ScriptedUi ui;
};

TEST_F(SettingsEngine, FirstStartWhenTheModuleKeyIsMissing) {
    ToneEditorSettings s;
    EXPECT_EQ(Load(s), LoadOutcome::FirstStart);
    EXPECT_EQ(common.mainPath, "/opt/veldin");
    EXPECT_EQ(common.sdkPath, "/home/me/disks");
    EXPECT_EQ(common.launcherX, 100u);
    EXPECT_EQ(common.launcherY, 50u);
    EXPECT_TRUE(ui.shown().empty());

    store.erase("", "SDK Path"); // without it the image directory is the main directory
    Load(s);
    EXPECT_EQ(common.sdkPath, "/opt/veldin");
}

TEST_F(SettingsEngine, MissingMainKeyOrMainPathIsFatal) {
    MemorySettingsStore empty;
    ToneEditorSettings s;
    EXPECT_EQ(LoadSettings(empty, kToneEditorKey, ToneEditorTable(), StorageOf(s), common, ui, "Tone Editor"),
              LoadOutcome::Fatal);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, text::kReinstall);
    EXPECT_EQ(ui.shown()[0].icon, Icon::Error);

    ui.clear();
    store.erase("", "Main Path");
    EXPECT_EQ(Load(s), LoadOutcome::Fatal);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, text::kReinstall);
    EXPECT_EQ(ui.shown()[0].icon, Icon::Warning);
}

TEST_F(SettingsEngine, SaveThenLoadRoundTrips) {
    ToneEditorSettings s;
    s.frame.winPosX = 12;
    s.frame.winPosY = 34;
    s.frame.winPosW = 640;
    s.frame.winPosH = 480;
    s.tree = 0xAABBCCDD;
    SetFieldString(s.tonePath, "/t");
    SetFieldString(s.wavePath, "/w");
    s.playingDevice = 2;
    s.saveMrk = 1;
    Save(s);
    EXPECT_TRUE(ui.shown().empty());

    ToneEditorSettings back;
    ASSERT_EQ(Load(back), LoadOutcome::Loaded);
    EXPECT_TRUE(ui.shown().empty()) << ui.shown()[0].text;
    EXPECT_EQ(back.frame.winPosX, 12u);
    EXPECT_EQ(back.frame.winPosH, 480u);
    EXPECT_EQ(back.tree, 0xAABBCCDDu);
    EXPECT_EQ(FieldString(back.tonePath), "/t");
    EXPECT_EQ(FieldString(back.wavePath), "/w");
    EXPECT_EQ(back.playingDevice, 2);
    EXPECT_EQ(back.saveMrk, 1);
    // Settings written by earlier versions are read by type and size: a one-byte flag stays one byte.
    EXPECT_EQ(store.find(kToneEditorKey, "WinPos")->bytes.size(), 1u);
}

TEST_F(SettingsEngine, SizeIsWrittenOnlyWhenSaveSizeAndPositionIsOn) {
    ToneEditorSettings s;
    s.frame.winPos = 0;
    s.frame.winPosW = 640;
    Save(s);
    EXPECT_NE(store.find(kToneEditorKey, "WinPosX"), nullptr);
    EXPECT_NE(store.find(kToneEditorKey, "WinPosY"), nullptr);
    EXPECT_NE(store.find(kToneEditorKey, "WinPos"), nullptr);
    EXPECT_EQ(store.find(kToneEditorKey, "WinPosW"), nullptr);
    EXPECT_EQ(store.find(kToneEditorKey, "WinPosH"), nullptr);
    // the group ends: what follows it is written again
    EXPECT_NE(store.find(kToneEditorKey, "WinAlign"), nullptr);
    EXPECT_NE(store.find(kToneEditorKey, "Log conversion"), nullptr);
}

TEST_F(SettingsEngine, OneUnreadableValueWarnsAndTheRestStillLoad) {
    ToneEditorSettings saved;
    saved.saveMrk = 1;
    saved.tree = 7;
    Save(saved);
    store.erase(kToneEditorKey, "Tree");

    ToneEditorSettings s;
    s.tree = 99;
    ASSERT_EQ(Load(s), LoadOutcome::Loaded);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text,
              "Software\\Brannick\\VELDIN\\Tone Editor\\Tree\n\rCouldn't read this key from the registry!");
    EXPECT_EQ(ui.shown()[0].icon, Icon::Warning);
    EXPECT_EQ(ui.shown()[0].title, "Tone Editor");
    EXPECT_EQ(s.tree, 99u); // keeps its previous content
    EXPECT_EQ(s.saveMrk, 1);
}

TEST_F(SettingsEngine, ValuesOfTheWrongTypeOrSizeAreUnreadable) {
    Save(ToneEditorSettings{});
    store.writeText(kToneEditorKey, "WinPosX", "12");                 // text where a number belongs
    store.writeText(kToneEditorKey, "Tone Path", std::string(256, 'p')); // no room for the zero
    const std::uint8_t two[2] = {1, 2};
    store.write(kToneEditorKey, "No Sound", RegType::Binary, two);       // 2 bytes into 1
    ToneEditorSettings s;
    SetFieldString(s.tonePath, "kept");
    ASSERT_EQ(Load(s), LoadOutcome::Loaded);
    EXPECT_EQ(ui.shown().size(), 3u);
    EXPECT_EQ(FieldString(s.tonePath), "kept");
}

TEST_F(SettingsEngine, UnwritableValueWarnsAndTheOthersAreWritten) {
    store.makeUnwritable(kToneEditorKey, "Wave Path");
    ToneEditorSettings s;
    Save(s);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text,
              "Software\\Brannick\\VELDIN\\Tone Editor\\Wave Path\n\rCouldn't write this key into the registry!");
    EXPECT_NE(store.find(kToneEditorKey, "No Sound"), nullptr);
    EXPECT_NE(store.find(kToneEditorKey, "Tone Path"), nullptr);
}

TEST_F(SettingsEngine, LauncherTableLivesInTheMainKey) {
    LauncherSettings l;
    l.winPosX = -1;
    l.ioRepeat = 5;
    SetFieldString(l.mainPath, "/opt/veldin");
    SaveSettings(store, "", LauncherTable(), StorageOf(l), ui, text::kTitleLauncher);
    LauncherSettings back;
    back.ioRepeat = 0;
    ASSERT_EQ(LoadSettings(store, "", LauncherTable(), StorageOf(back), common, ui, text::kTitleLauncher),
              LoadOutcome::Loaded);
    EXPECT_EQ(back.winPosX, -1);
    EXPECT_EQ(back.ioRepeat, 5);
}

TEST(ModuleTables, ToneEditorFirstStartCreatesItsDirectories) {
    test::TempDir dir;
    ToneEditorSettings s;
    s.saveMrk = 1;
    ASSERT_TRUE(SetToneEditorFirstStart(s, dir.path()).ok());
    EXPECT_EQ(FieldString(s.wavePath), (dir.path() / "Waves").string());
    EXPECT_EQ(FieldString(s.tonePath), (dir.path() / "Tones").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Waves"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Tones"));
    EXPECT_EQ(s.saveMrk, 0); // the first-start values replace what was there

    ToneEditorSettings t;
    EXPECT_FALSE(SetToneEditorFirstStart(t, "/proc/no-such-place").ok());
}

} // namespace
} // namespace veldin
