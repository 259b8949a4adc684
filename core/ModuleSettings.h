#pragma once
// The settings of each module: the struct that holds them and the table that binds them
// to value names, types and sizes. Group flags ("WinPos" = "Save size && position")
// decide whether the window size that follows them is written.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "core/Result.h"
#include "core/Settings.h"

namespace veldin {

inline constexpr std::size_t kSettingsPathSize = 256;

inline constexpr std::string_view kToneEditorKey = "Tone Editor";
inline constexpr std::string_view kPatchEditorKey = "Patch Editor";
inline constexpr std::string_view kMidiEditorKey = "MIDI Editor";
inline constexpr std::string_view kDiscEditorKey = "Disc Editor";

// The window part that every editor frame shares.
struct FrameSettings {
    std::uint32_t winPosX = 0;
    std::uint32_t winPosY = 0;
    std::uint8_t winPos = 1;     // "Save size && position"
    std::uint32_t winPosW = 0;
    std::uint32_t winPosH = 0;
    std::uint8_t winAlign = 1;   // "Align to VELDIN Win"
    std::uint8_t winTexture = 1; // "Use textured background"
};

struct ToneEditorSettings {
    FrameSettings frame;
    std::uint32_t tree = 0;
    char tonePath[kSettingsPathSize] = {};
    char wavePath[kSettingsPathSize] = {};
    std::uint8_t noSound = 0;
    std::uint8_t playingDevice = 0;
    std::uint8_t saveRegion = 1;
    std::uint8_t saveMrk = 0;
    std::uint8_t logConversion = 0;
};

struct PatchEditorSettings {
    FrameSettings frame;
    std::uint32_t tree = 0;
    char patchPath[kSettingsPathSize] = {};
};

struct MidiEditorSettings {
    FrameSettings frame;
    char songPath[kSettingsPathSize] = {};
    char midiPath[kSettingsPathSize] = {};
    std::uint8_t midiTrackName = 0;
    std::uint8_t rolandSongName = 0;
    std::uint8_t logConversion = 0;
};

struct DiscEditorSettings {
    std::uint32_t winPosX = 0;
    std::uint32_t winPosY = 0;
    std::uint32_t maxHost = 0;
    std::uint32_t repeat = 0;
    std::uint32_t host = 0;
    std::uint32_t target = 0;
    char name[kSettingsPathSize] = {};
};

// The launcher keeps its values in the main key itself.
struct LauncherSettings {
    std::int32_t winPosX = -1; // -1: not set, the window is centred
    std::int32_t winPosY = -1;
    std::uint8_t floppy = 0;   // 0 = A:, 1 = B:
    std::uint8_t ioRepeat = 3; // attempts per sector
    char mainPath[kSettingsPathSize] = {};
    char sdkPath[kSettingsPathSize] = {};
};

std::span<const SettingEntry> ToneEditorTable();
std::span<const SettingEntry> PatchEditorTable();
std::span<const SettingEntry> MidiEditorTable();
std::span<const SettingEntry> DiscEditorTable();
std::span<const SettingEntry> LauncherTable();
std::span<const SettingEntry> LauncherPositionTable(); // what the launcher writes on quit

// First start of the Tone Editor: "Wave Path" and "Tone Path" under the main directory,
// both created; the flags as a new user expects them.
Status SetToneEditorFirstStart(ToneEditorSettings& s, const std::filesystem::path& mainDir);
// First start of the Patch Editor: "Patch Path" = main directory + "Patches", created.
Status SetPatchEditorFirstStart(PatchEditorSettings& s, const std::filesystem::path& mainDir);

} // namespace veldin
