#include "cli/Commands.h"

#include <array>
#include <ostream>
#include <string>

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

// The main directory holds the templates and the session files of the undo store.
constexpr std::string_view kMainDirHelp =
    "  --main-dir DIR  the main directory: templates (W30.dat, S50.dat, S330.dat,\n"
    "                  S550.dat) and session files; default: the folder of veldin-cli\n";

constexpr std::string_view kExitHelp = "\nExit status: 0 ok, 1 refused (the reason is on standard error), 2 usage error.\n";

const std::string kNewHelp = std::string(
    "Usage: veldin-cli new --family w30|s50|s330|s550 OUT [--main-dir DIR]\n"
    "\n"
    "Makes a new, empty disk image at OUT (replacing a file there) from the template of\n"
    "the family: the template's 126 sectors followed by zero bytes.\n"
    "\n") + std::string(kMainDirHelp) + std::string(kExitHelp);

const std::string kConvertHelp = std::string(
    "Usage: veldin-cli convert IMAGE --to w30|s50|s330|s550 OUT [--main-dir DIR]\n"
    "\n"
    "Writes a copy of IMAGE for another sampler family (Save As): the system area\n"
    "(sectors 0-125) comes from the target's template, sectors 126-1439 from IMAGE; for\n"
    "the S-50 the second half of each sector 126-133 is cleared. To the same family the\n"
    "copy is byte for byte. IMAGE itself is not changed.\n"
    "\n") + std::string(kMainDirHelp) + std::string(kExitHelp);

const std::string kMemoHelp = std::string(
    "Usage: veldin-cli memo IMAGE\n"
    "       veldin-cli memo IMAGE [--name TEXT] [--line N TEXT]... [-o OUT] [--main-dir DIR]\n"
    "\n"
    "Shows the disk memo, or changes it: each text is centred in its field as the memo\n"
    "editor does (sound disks: a name and lines 1-4 of 12 characters; system and utility\n"
    "disks: lines 1-3 of 31 characters). The change is recorded as one undo step and the\n"
    "image is saved, or, with -o OUT, written to OUT and IMAGE left as it was.\n"
    "\n") + std::string(kMainDirHelp) + std::string(kExitHelp);

const std::string kRecoverHelp = std::string(
    "Usage: veldin-cli recover [--main-dir DIR]\n"
    "\n"
    "Removes the session files, working copies and undo steps that processes left behind\n"
    "when they ended without closing their images. Sessions of running processes are\n"
    "left alone.\n"
    "\n") + std::string(kMainDirHelp) + std::string(kExitHelp);

const std::array<Command, 5> kCommands{{
    {"info", "info IMAGE [--json]", kInfoHelp, RunInfo},
    {"new", "new --family w30|s50|s330|s550 OUT", kNewHelp, RunNew},
    {"convert", "convert IMAGE --to w30|s50|s330|s550 OUT", kConvertHelp, RunConvert},
    {"memo", "memo IMAGE [--name TEXT] [--line N TEXT]... [-o OUT]", kMemoHelp, RunMemo},
    {"recover", "recover", kRecoverHelp, RunRecover},
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
