#include <gtest/gtest.h>

#include <map>

#include "core/ModuleSettings.h"
#include "core/PageBinding.h"

namespace veldin {
namespace {

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
    for (const auto& p : ToneEditorPages()) ShowPageValues(c, p.bindings, StorageOf(s));
    EXPECT_TRUE(c.checked[3001]);
    EXPECT_FALSE(c.checked[3002]);
    EXPECT_TRUE(c.checked[3203]);
    EXPECT_EQ(c.texts[3100], "/tones");
    EXPECT_EQ(c.combo[3201], 3);

    c.checked[3002] = true;
    c.checked[3203] = false;
    c.texts[3102] = "/waves";
    c.combo[3201] = 1;
    for (const auto& p : ToneEditorPages()) ReadPageValues(c, p.bindings, StorageOf(s));
    EXPECT_EQ(s.frame.winAlign, 1);
    EXPECT_EQ(s.saveMrk, 0);
    EXPECT_EQ(FieldString(s.wavePath), "/waves");
    EXPECT_EQ(s.playingDevice, 1);
}

TEST(PageBinding, TextIsCutToTheField) {
    ToneEditorSettings s;
    FakeControls c;
    c.texts[3100] = std::string(300, 'x');
    ReadPageValues(c, Page("Paths"), StorageOf(s));
    EXPECT_EQ(FieldString(s.tonePath).size(), 255u);
}

TEST(PageBinding, EveryControlIsShownAndHiddenWithItsPage) {
    FakeControls c;
    ShowPage(c, Page("Sound && Conversion"), false);
    for (int id : {3904, 3200, 3906, 3201, 3905, 3202, 3203, 3204}) EXPECT_FALSE(c.visible.at(id)) << id;
    EXPECT_EQ(c.visible.count(3100), 0u);
    ShowPage(c, Page("Sound && Conversion"), true);
    EXPECT_TRUE(c.visible.at(3904));
}

TEST(PageBinding, RadioGroups) {
    struct S {
        std::uint8_t choice = 2;
    } s;
    const PageBinding page[] = {
        {500, ControlKind::RadioFirst, 0, 3},
        {501, ControlKind::RadioNext, 0, 1},
        {502, ControlKind::RadioNext, 0, 1},
        {503, ControlKind::RadioNext, 0, 1},
        {0, ControlKind::Static, 0, 0},
    };
    FakeControls c;
    ShowPageValues(c, page, StorageOf(s));
    EXPECT_FALSE(c.checked[500]);
    EXPECT_TRUE(c.checked[502]);
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
    EXPECT_EQ(c.texts[1], "200");
    EXPECT_EQ(c.texts[2], "60000");
    EXPECT_EQ(c.texts[3], "4000000000");
    EXPECT_EQ(c.texts[4], "0");
}

} // namespace
} // namespace veldin
