#include <gtest/gtest.h>

#include <map>

#include "core/Bytes.h"
#include "core/MemorySettingsStore.h"
#include "core/Messages.h"
#include "core/ModuleSettings.h"
#include "core/PageBinding.h"
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
    EXPECT_EQ(std::tuple(common.mainPath, common.sdkPath, common.launcherX, common.launcherY),
              std::tuple("/opt/veldin", "/home/me/disks", 100u, 50u));
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
    EXPECT_EQ(std::tuple(ui.shown()[0].text, ui.shown()[0].icon), std::tuple(text::kReinstall, Icon::Error));

    ui.clear();
    store.erase("", "Main Path");
    EXPECT_EQ(Load(s), LoadOutcome::Fatal);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(std::tuple(ui.shown()[0].text, ui.shown()[0].icon), std::tuple(text::kReinstall, Icon::Warning));
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
    EXPECT_EQ(std::tuple(back.frame.winPosX, back.frame.winPosY, back.frame.winPosW, back.frame.winPosH, back.tree),
              std::tuple(12u, 34u, 640u, 480u, 0xAABBCCDDu));
    EXPECT_EQ(std::tuple(FieldString(back.tonePath), FieldString(back.wavePath), back.playingDevice, back.saveMrk),
              std::tuple("/t", "/w", 2, 1));
    // Settings written by earlier versions are read by type and size: a one-byte flag stays one byte.
    EXPECT_EQ(store.find(kToneEditorKey, "WinPos")->bytes.size(), 1u);
}

TEST_F(SettingsEngine, SizeIsWrittenOnlyWhenSaveSizeAndPositionIsOn) {
    ToneEditorSettings s;
    s.frame.winPos = 0;
    s.frame.winPosW = 640;
    Save(s);
    // The group ends after the size: what follows it is written again.
    for (const char* name : {"WinPosX", "WinPosY", "WinPos", "WinAlign", "Log conversion"})
        EXPECT_NE(store.find(kToneEditorKey, name), nullptr) << name;
    for (const char* name : {"WinPosW", "WinPosH"})
        EXPECT_EQ(store.find(kToneEditorKey, name), nullptr) << name;
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
    EXPECT_EQ(std::tuple(ui.shown()[0].icon, ui.shown()[0].title), std::tuple(Icon::Warning, "Tone Editor"));
    EXPECT_EQ(std::tuple(s.tree, s.saveMrk), std::tuple(99u, 1)); // the unread value keeps its previous content
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
    EXPECT_TRUE(store.find(kToneEditorKey, "No Sound") && store.find(kToneEditorKey, "Tone Path"));
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
    EXPECT_EQ(std::tuple(back.winPosX, back.ioRepeat), std::tuple(-1, 5));
}

TEST(ModuleTables, ToneEditorFirstStartCreatesItsDirectories) {
    test::TempDir dir;
    ToneEditorSettings s;
    s.saveMrk = 1;
    ASSERT_TRUE(SetToneEditorFirstStart(s, dir.path()).ok());
    for (const auto& [field, name] :
         {std::pair{FieldString(s.wavePath), "Waves"}, {FieldString(s.tonePath), "Tones"}}) {
        EXPECT_EQ(field, (dir.path() / name).string());
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() / name));
    }
    EXPECT_EQ(s.saveMrk, 0); // the first-start values replace what was there

    ToneEditorSettings t;
    EXPECT_FALSE(SetToneEditorFirstStart(t, "/proc/no-such-place").ok());
}

class FakeControls final : public PageControls {
public:
    void setVisible(int id, bool v) override { visible[id] = v; }
    void setChecked(int id, bool c) override { checked[id] = c; }
    bool isChecked(int id) override { return checked[id]; }
    void setText(int id, std::string_view t) override { texts[id] = std::string(t); }
    std::string text(int id) override { return texts[id]; }
    void setComboIndex(int id, int i) override { combo[id] = i; }
    int comboIndex(int id) override { return combo.count(id) ? combo[id] : -1; }

    std::map<int, bool> visible, checked;
    std::map<int, std::string> texts;
    std::map<int, int> combo;
};

std::span<const PageBinding> Page(std::string_view name) {
    for (const auto& p : ToneEditorPages())
        if (p.name == name) return p.bindings;
    return {};
}

TEST(PageBinding, ToneEditorPagesShowAndReadBack) {
    ToneEditorSettings s;
    s.frame.winAlign = 0;
    s.saveMrk = 1;
    s.playingDevice = 3;
    SetFieldString(s.tonePath, "/tones");
    FakeControls c;
    for (const auto& p : ToneEditorPages())
        ShowPageValues(c, p.bindings, StorageOf(s));
    EXPECT_EQ(std::tuple(c.checked[3001], c.checked[3002], c.checked[3203]), std::tuple(true, false, true));
    EXPECT_EQ(std::tuple(c.texts[3100], c.combo[3201]), std::tuple("/tones", 3));

    c.checked[3002] = true;
    c.checked[3203] = false;
    c.texts[3102] = "/waves";
    c.texts[3100] = std::string(300, 'x'); // cut to the field
    c.combo[3201] = 1;
    for (const auto& p : ToneEditorPages())
        ReadPageValues(c, p.bindings, StorageOf(s));
    EXPECT_EQ(std::tuple(s.frame.winAlign, s.saveMrk, FieldString(s.wavePath), s.playingDevice),
              std::tuple(1, 0, "/waves", 1));
    EXPECT_EQ(FieldString(s.tonePath), std::string(255, 'x'));
}

TEST(PageBinding, EveryControlIsShownAndHiddenWithItsPage) {
    FakeControls c;
    ShowPage(c, Page("Sound && Conversion"), false);
    EXPECT_FALSE(c.visible.at(3904) || c.visible.at(3204));
    EXPECT_EQ(c.visible.count(3100), 0u);
    ShowPage(c, Page("Sound && Conversion"), true);
    EXPECT_TRUE(c.visible.at(3904));
}

TEST(PageBinding, RadioGroups) {
    struct S {
        std::uint8_t choice = 2;
    } s;
    const PageBinding page[] = {
        {500, ControlKind::RadioFirst, 0, 3}, {501, ControlKind::RadioNext, 0, 1}, {502, ControlKind::RadioNext, 0, 1},
        {503, ControlKind::RadioNext, 0, 1},  {0, ControlKind::Static, 0, 0},
    };
    FakeControls c;
    ShowPageValues(c, page, StorageOf(s));
    EXPECT_EQ(std::tuple(c.checked[500], c.checked[502]), std::tuple(false, true));
    c.checked[502] = false;
    c.checked[503] = true;
    ReadPageValues(c, page, StorageOf(s));
    EXPECT_EQ(s.choice, 3);
    c.checked[503] = false;
    c.checked[500] = true;
    ReadPageValues(c, page, StorageOf(s));
    EXPECT_EQ(s.choice, 0);
}

TEST(PageBinding, NumbersOfEveryWidth) {
    struct S {
        std::uint8_t a = 200;
        std::uint16_t b = 60000;
        std::uint32_t c = 4000000000u;
    } s;
    const PageBinding page[] = {
        {1, ControlKind::Number, offsetof(S, a), 1},
        {2, ControlKind::Number, offsetof(S, b), 2},
        {3, ControlKind::Number, offsetof(S, c), 4},
        {4, ControlKind::Number, sizeof(S), 4}, // outside the storage: shown as 0, never read
        {0, ControlKind::Static, 0, 0},
    };
    FakeControls c;
    ShowPageValues(c, page, StorageOf(s));
    EXPECT_EQ(std::tuple(c.texts[1], c.texts[2], c.texts[3], c.texts[4]),
              std::tuple("200", "60000", "4000000000", "0"));
}

} // namespace
} // namespace veldin
