#include "core/PageBinding.h"

#include <algorithm>
#include <cstring>

#include "core/ModuleSettings.h"

namespace veldin {
namespace {

bool Fits(const PageBinding& b, std::size_t bytes, std::span<const std::byte> storage) {
    return b.offset <= storage.size() && bytes <= storage.size() - b.offset;
}

std::uint32_t StoredNumber(const PageBinding& b, std::span<const std::byte> storage) {
    const std::size_t width = b.width == 2 || b.width == 4 ? b.width : 1;
    if (!Fits(b, width, storage)) return 0;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i)
        v |= static_cast<std::uint32_t>(storage[b.offset + i]) << (8 * i);
    return v;
}

void StoreByte(const PageBinding& b, std::uint8_t value, std::span<std::byte> storage) {
    if (Fits(b, 1, storage)) storage[b.offset] = static_cast<std::byte>(value);
}

template <class F>
void Walk(std::span<const PageBinding> page, F&& f) {
    int groupFirst = 0;
    for (const auto& b : page) {
        if (b.controlId == 0) break;
        if (b.kind == ControlKind::RadioFirst) groupFirst = b.controlId;
        f(b, groupFirst);
    }
}

// clang-format off
#define AT(field) offsetof(ToneEditorSettings, field)
#define FRAME_AT(field) (offsetof(ToneEditorSettings, frame) + offsetof(FrameSettings, field))
const PageBinding kAppearance[] = {
    {3900, ControlKind::Static, 0, 0},
    {3001, ControlKind::CheckBox, FRAME_AT(winPos), 1},
    {3002, ControlKind::CheckBox, FRAME_AT(winAlign), 1},
    {3003, ControlKind::CheckBox, FRAME_AT(winTexture), 1},
    {0, ControlKind::Static, 0, 0},
};
const PageBinding kTonePaths[] = {
    {3901, ControlKind::Static, 0, 0},
    {3902, ControlKind::Static, 0, 0},
    {3100, ControlKind::Text, AT(tonePath), kSettingsPathSize},
    {3101, ControlKind::Static, 0, 0},
    {3903, ControlKind::Static, 0, 0},
    {3102, ControlKind::Text, AT(wavePath), kSettingsPathSize},
    {3103, ControlKind::Static, 0, 0},
    {0, ControlKind::Static, 0, 0},
};
const PageBinding kToneSound[] = {
    {3904, ControlKind::Static, 0, 0},
    {3200, ControlKind::CheckBox, AT(noSound), 1},
    {3906, ControlKind::Static, 0, 0},
    {3201, ControlKind::Combo, AT(playingDevice), 1},
    {3905, ControlKind::Static, 0, 0},
    {3202, ControlKind::CheckBox, AT(saveRegion), 1},
    {3203, ControlKind::CheckBox, AT(saveMrk), 1},
    {3204, ControlKind::CheckBox, AT(logConversion), 1},
    {0, ControlKind::Static, 0, 0},
};
// The Patch Editor's one page: the frame's "Window" group with the patch directory
// beside it.
const PageBinding kPatchAppearance[] = {
    {3900, ControlKind::Static, 0, 0},
    {3001, ControlKind::CheckBox, FRAME_AT(winPos), 1},
    {3002, ControlKind::CheckBox, FRAME_AT(winAlign), 1},
    {3003, ControlKind::CheckBox, FRAME_AT(winTexture), 1},
    {3901, ControlKind::Static, 0, 0},
    {3902, ControlKind::Static, 0, 0},
    {3100, ControlKind::Text, offsetof(PatchEditorSettings, patchPath), kSettingsPathSize},
    {3101, ControlKind::Static, 0, 0},
    {0, ControlKind::Static, 0, 0},
};
static_assert(offsetof(PatchEditorSettings, frame) == offsetof(ToneEditorSettings, frame));
#undef AT
#undef FRAME_AT
const PreferencesPage kPatchPages[] = {
    {"Appearance", kPatchAppearance},
};
const PreferencesPage kTonePages[] = {
    {"Appearance", kAppearance},
    {"Paths", kTonePaths},
    {"Sound && Conversion", kToneSound},
};
// clang-format on

} // namespace

void ShowPageValues(PageControls& controls, std::span<const PageBinding> page, std::span<const std::byte> storage) {
    Walk(page, [&](const PageBinding& b, int) {
        switch (b.kind) {
        case ControlKind::CheckBox:
            controls.setChecked(b.controlId, StoredNumber(b, storage) != 0);
            break;
        case ControlKind::Text:
            if (Fits(b, b.width, storage))
                controls.setText(b.controlId,
                                 FieldString({reinterpret_cast<const char*>(storage.data() + b.offset), b.width}));
            break;
        case ControlKind::RadioFirst: {
            const auto value = StoredNumber(PageBinding{b.controlId, b.kind, b.offset, 1}, storage);
            for (std::uint32_t i = 0; i <= b.width; ++i)
                controls.setChecked(b.controlId + static_cast<int>(i), i == value);
            break;
        }
        case ControlKind::Number:
            controls.setText(b.controlId, std::to_string(StoredNumber(b, storage)));
            break;
        case ControlKind::Combo:
            controls.setComboIndex(b.controlId, static_cast<int>(StoredNumber(PageBinding{b.controlId, b.kind, b.offset, 1}, storage)));
            break;
        case ControlKind::RadioNext:
        case ControlKind::Static:
            break;
        }
    });
}

void ReadPageValues(PageControls& controls, std::span<const PageBinding> page, std::span<std::byte> storage) {
    Walk(page, [&](const PageBinding& b, int groupFirst) {
        switch (b.kind) {
        case ControlKind::CheckBox:
            StoreByte(b, controls.isChecked(b.controlId) ? 1 : 0, storage);
            break;
        case ControlKind::Text:
            if (Fits(b, b.width, storage))
                SetFieldString({reinterpret_cast<char*>(storage.data() + b.offset), b.width}, controls.text(b.controlId));
            break;
        case ControlKind::RadioFirst:
            if (controls.isChecked(b.controlId)) StoreByte(b, 0, storage);
            break;
        case ControlKind::RadioNext:
            if (controls.isChecked(b.controlId)) StoreByte(b, static_cast<std::uint8_t>(b.controlId - groupFirst), storage);
            break;
        case ControlKind::Combo: {
            const int index = controls.comboIndex(b.controlId);
            if (index >= 0) StoreByte(b, static_cast<std::uint8_t>(index), storage);
            break;
        }
        case ControlKind::Number:
        case ControlKind::Static:
            break;
        }
    });
}

void ShowPage(PageControls& controls, std::span<const PageBinding> page, bool visible) {
    Walk(page, [&](const PageBinding& b, int) { controls.setVisible(b.controlId, visible); });
}

std::span<const PreferencesPage> ToneEditorPages() { return kTonePages; }
std::span<const PreferencesPage> PatchEditorPages() { return kPatchPages; }

} // namespace veldin
