#include "core/ModuleSettings.h"

#include <system_error>

namespace veldin {
namespace {

constexpr std::uint32_t kText = kSettingsPathSize;

// clang-format off
#define FRAME(S) \
    {Usage::Always,    "WinPosX", offsetof(S, frame) + offsetof(FrameSettings, winPosX), 4, RegType::Dword}, \
    {Usage::Always,    "WinPosY", offsetof(S, frame) + offsetof(FrameSettings, winPosY), 4, RegType::Dword}
#define FRAME_GROUP(S) \
    {Usage::GroupFlag, "WinPos",  offsetof(S, frame) + offsetof(FrameSettings, winPos),  1, RegType::Binary}, \
    {Usage::Plain,     "WinPosW", offsetof(S, frame) + offsetof(FrameSettings, winPosW), 4, RegType::Dword}, \
    {Usage::Plain,     "WinPosH", offsetof(S, frame) + offsetof(FrameSettings, winPosH), 4, RegType::Dword}, \
    {Usage::GroupEnd,  "",        0, 0, RegType::Binary}, \
    {Usage::Plain,     "WinAlign",   offsetof(S, frame) + offsetof(FrameSettings, winAlign),   1, RegType::Binary}, \
    {Usage::Plain,     "WinTexture", offsetof(S, frame) + offsetof(FrameSettings, winTexture), 1, RegType::Binary}

const SettingEntry kToneEditor[] = {
    FRAME(ToneEditorSettings),
    {Usage::Always, "Tree", offsetof(ToneEditorSettings, tree), 4, RegType::Binary},
    FRAME_GROUP(ToneEditorSettings),
    {Usage::Plain, "Tone Path",      offsetof(ToneEditorSettings, tonePath),      kText, RegType::Sz},
    {Usage::Plain, "Wave Path",      offsetof(ToneEditorSettings, wavePath),      kText, RegType::Sz},
    {Usage::Plain, "No Sound",       offsetof(ToneEditorSettings, noSound),       1, RegType::Binary},
    {Usage::Plain, "Playing Device", offsetof(ToneEditorSettings, playingDevice), 1, RegType::Binary},
    {Usage::Plain, "Save Region",    offsetof(ToneEditorSettings, saveRegion),    1, RegType::Binary},
    {Usage::Plain, "Save MRK",       offsetof(ToneEditorSettings, saveMrk),       1, RegType::Binary},
    {Usage::Plain, "Log conversion", offsetof(ToneEditorSettings, logConversion), 1, RegType::Binary},
    {Usage::End, "", 0, 0, RegType::Binary},
};

const SettingEntry kMidiEditor[] = {
    FRAME(MidiEditorSettings),
    FRAME_GROUP(MidiEditorSettings),
    {Usage::Plain, "Song Path",        offsetof(MidiEditorSettings, songPath),       kText, RegType::Sz},
    {Usage::Plain, "MIDI Path",        offsetof(MidiEditorSettings, midiPath),       kText, RegType::Sz},
    {Usage::Plain, "MIDI Track Name",  offsetof(MidiEditorSettings, midiTrackName),  1, RegType::Binary},
    {Usage::Plain, "Roland Song Name", offsetof(MidiEditorSettings, rolandSongName), 1, RegType::Binary},
    {Usage::Plain, "Log conversion",   offsetof(MidiEditorSettings, logConversion),  1, RegType::Binary},
    {Usage::End, "", 0, 0, RegType::Binary},
};

const SettingEntry kPatchEditor[] = {
    FRAME(PatchEditorSettings),
    {Usage::Always, "Tree", offsetof(PatchEditorSettings, tree), 4, RegType::Binary},
    FRAME_GROUP(PatchEditorSettings),
    {Usage::Plain, "Patch Path", offsetof(PatchEditorSettings, patchPath), kText, RegType::Sz},
    {Usage::End, "", 0, 0, RegType::Binary},
};

const SettingEntry kDiscEditor[] = {
    {Usage::Always, "WinPosX", offsetof(DiscEditorSettings, winPosX), 4, RegType::Dword},
    {Usage::Always, "WinPosY", offsetof(DiscEditorSettings, winPosY), 4, RegType::Dword},
    {Usage::Plain,  "MaxHost", offsetof(DiscEditorSettings, maxHost), 4, RegType::Dword},
    {Usage::Plain,  "Repeat",  offsetof(DiscEditorSettings, repeat),  4, RegType::Dword},
    {Usage::Plain,  "Host",    offsetof(DiscEditorSettings, host),    4, RegType::Dword},
    {Usage::Plain,  "Target",  offsetof(DiscEditorSettings, target),  4, RegType::Dword},
    {Usage::Plain,  "Name",    offsetof(DiscEditorSettings, name),    kText, RegType::Sz},
    {Usage::End, "", 0, 0, RegType::Binary},
};

const SettingEntry kLauncher[] = {
    {Usage::Always, "WinPosX",   offsetof(LauncherSettings, winPosX),  4, RegType::Dword},
    {Usage::Always, "WinPosY",   offsetof(LauncherSettings, winPosY),  4, RegType::Dword},
    {Usage::Plain,  "Floppy",    offsetof(LauncherSettings, floppy),   1, RegType::Binary},
    {Usage::Plain,  "IO Repeat", offsetof(LauncherSettings, ioRepeat), 1, RegType::Binary},
    {Usage::Plain,  "Main Path", offsetof(LauncherSettings, mainPath), kText, RegType::Sz},
    {Usage::Plain,  "SDK Path",  offsetof(LauncherSettings, sdkPath),  kText, RegType::Sz},
    {Usage::End, "", 0, 0, RegType::Binary},
};
#undef FRAME
#undef FRAME_GROUP
// clang-format on

} // namespace

std::span<const SettingEntry> ToneEditorTable() { return kToneEditor; }
std::span<const SettingEntry> PatchEditorTable() { return kPatchEditor; }
std::span<const SettingEntry> MidiEditorTable() { return kMidiEditor; }
std::span<const SettingEntry> DiscEditorTable() { return kDiscEditor; }
std::span<const SettingEntry> LauncherTable() { return kLauncher; }
std::span<const SettingEntry> LauncherPositionTable() { return std::span(kLauncher).first(2); }

Status SetToneEditorFirstStart(ToneEditorSettings& s, const std::filesystem::path& mainDir) {
    s = ToneEditorSettings{};
    const auto waves = mainDir / "Waves";
    const auto tones = mainDir / "Tones";
    SetFieldString(s.wavePath, waves.string());
    SetFieldString(s.tonePath, tones.string());
    std::error_code ec;
    std::filesystem::create_directories(waves, ec);
    if (ec) return Fail("Couldn't create directory " + waves.string());
    std::filesystem::create_directories(tones, ec);
    if (ec) return Fail("Couldn't create directory " + tones.string());
    return {};
}

Status SetPatchEditorFirstStart(PatchEditorSettings& s, const std::filesystem::path& mainDir) {
    s = PatchEditorSettings{};
    const auto patches = mainDir / "Patches";
    SetFieldString(s.patchPath, patches.string());
    std::error_code ec;
    std::filesystem::create_directories(patches, ec);
    if (ec) return Fail("Couldn't create directory " + patches.string());
    return {};
}

} // namespace veldin
