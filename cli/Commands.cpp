#include "cli/Commands.h"
#include "cli/SongCommands.h"
#include "cli/ToneCommands.h"
#include "cli/PatchCommands.h"

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

constexpr std::string_view kFloppyHelp =
    "Usage: veldin-cli floppy info DEVICE\n"
    "       veldin-cli floppy read DEVICE OUT [--retries N] [--ignore-bad]\n"
    "       veldin-cli floppy write IMAGE DEVICE [--retries N] [--ignore-bad]\n"
    "       veldin-cli floppy format DEVICE [--formatter COMMAND]\n"
    "\n"
    "Reads a sampler floppy into a disk image file, writes an image file onto a floppy,\n"
    "formats a floppy, or shows what is on one. DEVICE is a floppy drive (/dev/fd0,\n"
    "/dev/fd1, or the block device of a USB floppy drive) or an image file that acts as a\n"
    "drive. Only 720 KB double-density floppies are read and written.\n"
    "\n"
    "  read OUT         OUT is the new image file; when OUT is a directory, the file in it\n"
    "                   is named after the disk's memo and gets the disk kind's extension\n"
    "  --retries N      attempts per sector before asking what to do (default 3; 0 means 1;\n"
    "                   above 255 means 255)\n"
    "  --ignore-bad     skip sectors that fail every attempt instead of asking; skipped\n"
    "                   sectors are zero bytes in a read image and are named at the end\n"
    "  --formatter CMD  the formatter's command line; {device} stands for DEVICE and \"&&\"\n"
    "                   separates steps. Defaults: superformat {device} dd (controller\n"
    "                   drives), ufiformat -f 720 {device} && mformat -f 720 -v VELDIN\n"
    "                   -i {device} :: (USB), mformat -f 720 -v VELDIN -i {device} :: (file)\n"
    "\n"
    "An image file acting as a drive takes faults, to try the failure paths:\n"
    "  --fault S:always     sector S fails every attempt\n"
    "  --fault S:fail=N     sector S fails N attempts, then works\n"
    "  --fault S:slow=MS    every attempt at sector S takes MS milliseconds longer\n"
    "  --slow-ms MS         every attempt takes MS milliseconds longer\n"
    "  --no-medium          the drive has no floppy in it\n"
    "  --geometry TxHxS     the medium's geometry (default 80x2x9 for a 737,280-byte file)\n"
    "\n"
    "When a sector fails every attempt, you are asked on the terminal whether to retry,\n"
    "ignore it, ignore all bad sectors, or abort; without a terminal the operation aborts.\n"
    "Ctrl-C stops a running operation; a stopped read writes no file.\n"
    "\n"
    "Exit status: 0 ok, 1 refused or failed, 2 usage error, 3 done but sectors skipped.\n";

constexpr std::string_view kCdHelp =
    "Usage: veldin-cli cd drives\n"
    "       veldin-cli cd list SOURCE [--json]\n"
    "       veldin-cli cd export SOURCE --group N --sound M --family FAMILY [--main-dir DIR] OUT\n"
    "       veldin-cli cd export-all SOURCE [--group N] --family FAMILY [--main-dir DIR] DIR\n"
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
    "  export-all   write every sound area of the disc (of group N with --group) into DIR,\n"
    "               each named after its list text; characters that file names cannot\n"
    "               hold become '_', and a name already taken gets \" (2)\", \" (3)\", ...,\n"
    "               so no file in DIR is replaced\n"
    "\n"
    "  --family FAMILY  w30, s50, s330 or s550: whose template (W30.dat, S50.dat, S330.dat,\n"
    "                   S550.dat) gives the image its system area\n"
    "  --main-dir DIR   where the templates are (default: the folder of veldin-cli)\n"
    "\n"
    "An area of 18 to 1,746 units makes a 737,280-byte disk image; what an area shorter\n"
    "than a full one (1,746 units) leaves of the wave banks is empty. An existing OUT is\n"
    "replaced.\n"
    "\n"
    "Exit status: 0 ok, 1 the disc or an area was refused, 2 usage error.\n";

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

const std::string kNewWithSongsHelp = kNewHelp + std::string(kNewSongDiskHelp);

constexpr std::string_view kUpdateHelp =
    "Usage: veldin-cli update --server URL --dir INSTALLDIR [--dry-run] [options]\n"
    "\n"
    "Fetches the update details URL/veldin.ver and brings the files of INSTALLDIR up to\n"
    "date: each new file is downloaded packed, unpacked beside the installed one and\n"
    "renamed over it. A running VELDIN of that installation is asked to close first.\n"
    "\n"
    "  --dry-run          only show what would be fetched and why\n"
    "  --yes, --no        answer questions without asking\n"
    "  --direct           connect directly (default: the stored connection settings)\n"
    "  --proxy HOST:PORT  connect through this proxy\n"
    "  --system-proxy     use the system's proxy settings\n"
    "  --ca-cert FILE     also trust this certificate for https (repeatable)\n"
    "  --verbose          show the download details as well\n"
    "\n"
    "Exit status: 0 ok, 1 the update failed in part or whole, 2 usage error.\n";

constexpr std::string_view kUnpackHelp =
    "Usage: veldin-cli unpack FILE_ OUT\n"
    "\n"
    "Unpacks an AP32 packed file (8-byte or 24-byte header) into OUT.\n"
    "\n"
    "Exit status: 0 ok, 1 the file was refused, 2 usage error.\n";



// Rows are added here as commands come; the usage text lists them in this order.
const Command kCommands[] = {
    {"info", "info IMAGE [--json]", kInfoHelp, RunInfo},
    {"new", "new --family w30|w30song|s50|s330|s550 OUT", kNewWithSongsHelp, RunNewWithSongDisks},
    {"convert", "convert IMAGE --to w30|s50|s330|s550 OUT", kConvertHelp, RunConvert},
    {"memo", "memo IMAGE [--name TEXT] [--line N TEXT]... [-o OUT]", kMemoHelp, RunMemo},
    {"recover", "recover", kRecoverHelp, RunRecover},
    {"floppy", "floppy info|read|write|format ...", kFloppyHelp, RunFloppy},
    {"cd", "cd drives | list SOURCE [--json] | export SOURCE ... OUT | export-all SOURCE ... DIR", kCdHelp, RunCd},
    {"songs", "songs IMAGE [--json]", kSongsHelp, RunSongs},
    {"song", "song to-midi|from-midi|save|load|delete|rename IMAGE ...", kSongHelp, RunSong},
    {"label", "label IMAGE [--set TEXT]", kLabelHelp, RunLabel},
    {"update", "update --server URL --dir INSTALLDIR [--dry-run]", kUpdateHelp, RunUpdate},
    {"unpack", "unpack FILE_ OUT", kUnpackHelp, RunUnpack},
    {"tones", "tones IMAGE [--json]", kTonesHelp, RunTones},
    {"tone", "tone export-wav|import-wav|save|load|delete|rename|set IMAGE ...", kToneHelp, RunTone},
    {"patches", "patches IMAGE [--json]", kPatchesHelp, RunPatches},
    {"patch", "patch save|load|delete|rename IMAGE ...", kPatchHelp, RunPatch},
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
