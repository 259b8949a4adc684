#pragma once
// Binding of preferences dialog pages to settings storage. Each page is a table of
// {control id, kind, storage offset, width}; two routines copy between storage and the
// controls, which the GUI provides behind the PageControls interface.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace veldin {

enum class ControlKind : std::uint8_t {
    CheckBox = 10,   // checked when the stored value is not zero; read back as 1 or 0
    Text = 11,       // the stored text; read back at most width - 1 characters
    RadioFirst = 12, // button id + stored value is checked among id .. id + width
    RadioNext = 13,  // read back as its id minus the group's first id when checked
    Number = 14,     // the stored value (width 1, 2 or 4 bytes), shown only
    Static = 15,     // frame, label or button: shown and hidden with the page only
    Combo = 16,      // the stored byte selects the list index; read back as a byte
};

struct PageBinding {
    int controlId; // 0 ends a table
    ControlKind kind;
    std::size_t offset;
    std::uint32_t width;
};

struct PreferencesPage {
    std::string_view name;
    std::span<const PageBinding> bindings;
};

class PageControls {
public:
    virtual ~PageControls() = default;
    virtual void setVisible(int id, bool visible) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual bool isChecked(int id) = 0;
    virtual void setText(int id, std::string_view text) = 0;
    virtual std::string text(int id) = 0;
    virtual void setComboIndex(int id, int index) = 0;
    virtual int comboIndex(int id) = 0;
};

void ShowPageValues(PageControls& controls, std::span<const PageBinding> page, std::span<const std::byte> storage);
void ReadPageValues(PageControls& controls, std::span<const PageBinding> page, std::span<std::byte> storage);
void ShowPage(PageControls& controls, std::span<const PageBinding> page, bool visible);

// The pages of the Tone Editor's preferences dialog ("Appearance" is the frame's own page).
std::span<const PreferencesPage> ToneEditorPages();
// The Patch Editor's: "Appearance" with "Patch directory:" (3100) and ">>" (3101).
std::span<const PreferencesPage> PatchEditorPages();

} // namespace veldin
