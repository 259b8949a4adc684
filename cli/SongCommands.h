#pragma once
// veldin-cli commands of the MIDI Editor.
#include <string_view>

#include "cli/Cli.h"

namespace veldin::cli {

int RunNewWithSongDisks(const Args& args, std::ostream& out, std::ostream& err);
int RunSongs(const Args& args, std::ostream& out, std::ostream& err);
int RunSong(const Args& args, std::ostream& out, std::ostream& err);
int RunLabel(const Args& args, std::ostream& out, std::ostream& err);

// The "new" command with the MIDI Editor's song disk added to the document's families.
inline constexpr std::string_view kNewSongDiskHelp =
    "\n"
    "  --family w30song  a W-30 song disk (.sng) from the template W30S.dat, as the MIDI\n"
    "                    Editor's New makes it; w30 is the W-30 Sound & Song disk (.sdk).\n";

inline constexpr std::string_view kSongsHelp =
    "Usage: veldin-cli songs IMAGE [--json] [--log DIR]\n"
    "\n"
    "Lists the songs of a W-30 song volume: position, song ID, name and size, then the\n"
    "free positions and bytes. --json prints one object (keys: file, label, songs with\n"
    "position, songId, name, size; freePositions, freeBytes). --log DIR writes\n"
    "fat12log.txt there.\n";
inline constexpr std::string_view kSongHelp =
    "Usage: veldin-cli song SUBCOMMAND ...\n"
    "\n"
    "  song to-midi IMAGE SONG OUT.mid [--track-names track|patch|both]\n"
    "  song from-midi IMAGE FILE.mid [--name filename|title|TEXT] [-o OUT]\n"
    "  song save IMAGE SONG OUT.sng\n"
    "  song load IMAGE FILE.sng [-o OUT]\n"
    "  song delete IMAGE SONG [-o OUT]\n"
    "  song rename IMAGE SONG NAME [-o OUT]\n"
    "\n"
    "SONG is the song's position (2-65) or its name. IMAGE is opened as a document; a\n"
    "change is one undo step, then IMAGE is saved, or with -o OUT written to OUT and IMAGE\n"
    "left as it was. --log DIR writes the conversion logs there; --main-dir DIR names the\n"
    "main directory (session files), by default the folder of veldin-cli.\n"
    "\n"
    "Exit status: 0 ok, 1 refused (the reason on standard error), 2 usage error.\n";
inline constexpr std::string_view kLabelHelp =
    "Usage: veldin-cli label IMAGE [--set TEXT] [-o OUT]\n"
    "\n"
    "Prints the volume label of a W-30 song volume, or sets it (up to 10 characters).\n";

} // namespace veldin::cli
