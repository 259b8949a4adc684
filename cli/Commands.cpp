#include "cli/Commands.h"

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

constexpr std::string_view kCdHelp =
    "Usage: veldin-cli cd drives\n"
    "       veldin-cli cd list SOURCE [--json]\n"
    "       veldin-cli cd export SOURCE --group N --sound M --family FAMILY [--main-dir DIR] OUT\n"
    "       veldin-cli cd export-all SOURCE --family FAMILY [--main-dir DIR] DIR\n"
    "\n"
    "Reads a Roland sample CD-ROM. SOURCE is a CD-ROM drive (/dev/sr0) or an image of the\n"
    "disc: 2,048-byte sectors (.iso) or raw 2,352-byte Mode 1 sectors (.bin, .img; told by\n"
    "their sync pattern). Nothing is written to the source.\n"
    "\n"
    "  drives       list the CD-ROM drives (/dev/sr*)\n"
    "  list         print the disc's description, its instrument groups and their sounds,\n"
    "               numbered from 1; --json prints one JSON object (keys: source, kind,\n"
    "               format, blocks, description, groups[group, text, name, secondName,\n"
    "               firstRecord, sounds[sound, record, text, name, category, firstUnit,\n"
    "               units, exportable]])\n"
    "  export       write sound M of group N as the disk image OUT\n"
    "  export-all   write every sound area into DIR, each named after its list text\n"
    "\n"
    "  --family FAMILY  w30, s50, s330 or s550: whose template (W30.dat, S50.dat, S330.dat,\n"
    "                   S550.dat) gives the image its system area\n"
    "  --main-dir DIR   where the templates are (default: the folder of veldin-cli)\n"
    "\n"
    "An area of 18 to 1,746 units makes an image; a full area (1,746 units) makes a\n"
    "complete 737,280-byte disk image. An existing OUT is replaced.\n"
    "\n"
    "Exit status: 0 ok, 1 the disc or an area was refused, 2 usage error.\n";

const std::array<Command, 2> kCommands{{
    {"info", "info IMAGE [--json]", kInfoHelp, RunInfo},
    {"cd", "cd drives | list SOURCE [--json] | export SOURCE ... OUT | export-all SOURCE ... DIR", kCdHelp, RunCd},
}};

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
