#include "cli/Commands.h"
#include "cli/SongCommands.h"

#include <array>
#include <ostream>

namespace veldin::cli {
namespace {

constexpr std::string_view kInfoHelp =
    "Usage: veldin-cli info IMAGE [--json]\n"
    "\n"
    "Checks that IMAGE is a 737,280-byte Roland sampler disk image, classifies it and\n"
    "prints the sampler, the kind of disk, its memo and where its areas lie.\n"
    "\n"
    "  --json   print one JSON object (keys: file, sampler, kind, extension, title,\n"
    "           memo, memoSector, hasSounds, hasSongs, isSystem, areas)\n"
    "\n"
    "Exit status: 0 ok, 1 the file was refused, 2 usage error.\n";

const std::array kCommands{
    Command{"info", "info IMAGE [--json]", kInfoHelp, RunInfo},
    Command{"new", "new --family w30song|w30 OUT", kNewHelp, RunNew},
    Command{"songs", "songs IMAGE [--json]", kSongsHelp, RunSongs},
    Command{"song", "song to-midi|from-midi|save|load|delete|rename IMAGE ...", kSongHelp, RunSong},
    Command{"label", "label IMAGE [--set TEXT]", kLabelHelp, RunLabel},
};

void PrintUsage(std::ostream& out) {
    out << "Usage: veldin-cli COMMAND [ARGS...]\n\nCommands:\n";
    for (const auto& c : kCommands) out << "  " << c.synopsis << '\n';
    out << "\nRun 'veldin-cli COMMAND --help' for the options of a command.\n";
}

} // namespace

std::span<const Command> AllCommands() { return kCommands; }

int Main(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintUsage(err);
        return kUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(out);
        return kOk;
    }
    for (const auto& c : kCommands) {
        if (args[0] != c.name) continue;
        const Args rest(args.begin() + 1, args.end());
        if (WantsHelp(rest)) {
            out << c.help;
            return kOk;
        }
        return c.run(rest, out, err);
    }
    err << "veldin-cli: unknown command '" << args[0] << "'\n";
    PrintUsage(err);
    return kUsage;
}

} // namespace veldin::cli
