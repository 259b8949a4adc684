#pragma once
// The launcher's command line: "-oT", "-oP" or "-oM" picks the Tone, Patch or MIDI
// Editor, and every following argument that names an existing file is opened there.

#include <filesystem>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veldin::launcher {

inline constexpr std::string_view kUsageTitle = "veldin.exe";
inline constexpr std::string_view kUsage =
    "Usage:\n\r\n\r-oT,-oP or -oM path\n\r  Open diskimage file in editor specified by one letter code replacing\n\r"
    "  <Editor> text. Supported codes are T - Tone Editor,P - Patch Editor\n\r  and M - MIDI Editor\n\r\n\r"
    "  Example:\n\r  veldin.exe -oT diskimage.sdk\n\r  this will open file diskimage.sdk in Tone Editor";

// Splits a command line as the launcher always has: tabs are blanks, double quotes group
// blanks into one argument and are removed; an odd number of quotes gives no arguments.
std::vector<std::string> SplitCommandLine(std::string_view line);

struct OpenRequest {
    int button; // 56 Tone, 57 Patch, 58 MIDI
    std::filesystem::path path;
    friend bool operator==(const OpenRequest&, const OpenRequest&) = default;
};

struct CommandLineResult {
    std::vector<OpenRequest> opens;
    bool showUsage = false; // arguments given, but nothing to open
};

// The editor whose button opens a disk image of this kind (by bytes 4-7 and 12-15 of
// its header): sound and system disks the Tone Editor, song disks the MIDI Editor; 0 for
// anything else (a utility disk, an unknown header).
int EditorForHeader(std::span<const std::uint8_t> header);
// The same for a file; 0 when it cannot be read.
int EditorForFile(const std::filesystem::path& path);

// `args` without the program itself. Stops at the first empty argument. Options that are
// not ours (they start with "--") are left to the caller and skipped here. An existing
// file before any "-o" option goes to the editor that `editorOf` names for it (a file
// manager's "Open with" gives the bare path); without `editorOf`, or when it names none,
// such a file opens nothing.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args,
                                   const std::function<bool(const std::filesystem::path&)>& fileExists,
                                   const std::function<int(const std::filesystem::path&)>& editorOf = nullptr);

} // namespace veldin::launcher
