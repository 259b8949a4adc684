// veldin-cli floppy info|read|write|format: the launcher's floppy transfer from the
// command line. DEVICE is a floppy device (/dev/fd0, a USB floppy drive) or an image
// file that acts as a drive, with faults injected on request.
#include <atomic>
#include <csignal>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include "cli/Commands.h"
#include "core/Messages.h"
#include "core/SectorLoop.h"
#include "launcher/FloppyOptions.h"
#include "launcher/FloppyPanel.h"
#include "launcher/FloppyTransfer.h"
#include "platform/Drives.h"
#include "platform/PosixProcess.h"
#include "platform/Terminal.h"

namespace veldin::cli {
namespace {

constexpr std::string_view kCommand = "floppy";

struct Options {
    std::string sub;
    std::vector<std::string> operands;
    FaultPlan plan;
    std::uint8_t ioRepeat = kDefaultIoRepeat;
    bool ignoreBad = false;
    std::optional<std::string> formatter;
    FormatCommand formatCommand; // --formatter, parsed
};

// Reads the options; a usage error is returned as its text.
std::optional<std::string> ParseOptions(const Args& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto next = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (a == "--ignore-bad") {
            o.ignoreBad = true;
        } else if (a == "--no-medium") {
            o.plan.noMedium = true;
        } else if (a == "--retries" || a == "--fault" || a == "--slow-ms" || a == "--geometry" || a == "--formatter") {
            const std::string* v = next();
            if (!v) return "option '" + a + "' needs a value";
            if (a == "--retries") {
                if (v->empty() || v->find_first_not_of("0123456789") != std::string::npos)
                    return "--retries takes a number";
                o.ioRepeat = IoRepeatFromTyped(*v);
            } else if (a == "--fault") {
                const auto f = ParseFault(*v);
                if (!f) return "bad fault '" + *v + "' (SECTOR:always, SECTOR:fail=N or SECTOR:slow=MS)";
                o.plan.faults.push_back(*f);
            } else if (a == "--slow-ms") {
                const auto f = ParseFault("0:slow=" + *v);
                if (!f) return "--slow-ms takes milliseconds (at most 60000)";
                o.plan.slowMs = f->value;
            } else if (a == "--geometry") {
                const auto g = ParseGeometry(*v);
                if (!g) return "bad geometry '" + *v + "' (TRACKSxHEADSxSECTORS, e.g. 80x2x9)";
                o.plan.geometry = *g;
            } else {
                o.formatter = *v;
            }
        } else if (a.starts_with("-")) {
            return "unknown option '" + a + "'";
        } else if (o.sub.empty()) {
            o.sub = a;
        } else {
            o.operands.push_back(a);
        }
    }
    return std::nullopt;
}

// Messages go to standard error; the Sector Invalid question is asked on the terminal,
// or answered with Abort when nobody is there to answer it.
class CliInteraction final : public UserInteraction {
public:
    CliInteraction(std::ostream& err, SectorLoopControl& control) : err_(err), control_(control) {}

    void message(std::string_view text, std::string_view, Icon) override {
        endProgressLine();
        err_ << "veldin-cli: " << TerminalText(text) << '\n';
    }

    Answer ask(std::string_view text, std::string_view, Buttons buttons, Icon) override {
        endProgressLine();
        if (buttons != Buttons::RetryIgnoreAbort || !IsTerminal(StandardStream::In)) {
            err_ << "veldin-cli: " << text << ": aborted (--ignore-bad skips sectors that cannot be read)\n";
            return Answer::Abort;
        }
        for (;;) {
            err_ << text << ": [r]etry, [i]gnore, ignore [a]ll bad sectors, a[b]ort? " << std::flush;
            std::string line;
            if (!std::getline(std::cin, line)) return Answer::Abort;
            if (line == "r") return Answer::Retry;
            if (line == "i") return Answer::Ignore;
            if (line == "a") {
                control_.autoIgnore.store(true);
                return Answer::Ignore;
            }
            if (line == "b") return Answer::Abort;
        }
    }

    // A progress bar leaves its line open; anything printed after it starts a new one.
    void progressLineOpen(bool open) { lineOpen_ = open; }
    void endProgressLine() {
        if (lineOpen_) err_ << '\n';
        lineOpen_ = false;
    }

private:
    std::ostream& err_;
    SectorLoopControl& control_;
    bool lineOpen_ = false;
};

// A bar with the panel's cylinder counter, redrawn at every cylinder; only on a terminal.
class ProgressBar final : public SectorProgress {
public:
    ProgressBar(std::ostream& err, CliInteraction& ui) : err_(err), ui_(ui) {}

    void progress(std::uint32_t finished) override {
        const auto left = CylindersLeft(finished);
        if (!left) return;
        constexpr int kWidth = 40;
        const int filled = (kCylinders - *left) * kWidth / kCylinders;
        err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << TwoDigits(*left)
             << " cylinders to go" << std::flush;
        ui_.progressLineOpen(true);
    }

private:
    std::ostream& err_;
    CliInteraction& ui_;
};

// Ctrl-C sets the stop request: a read then writes no file, a formatter is ended.
std::atomic<std::atomic<bool>*> g_stopRequest{nullptr};
extern "C" void OnInterrupt(int) {
    if (auto* stop = g_stopRequest.load()) stop->store(true);
}

class InterruptStops {
public:
    explicit InterruptStops(std::atomic<bool>& stop) {
        g_stopRequest.store(&stop);
        previous_ = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptStops() {
        std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
        g_stopRequest.store(nullptr);
    }
    InterruptStops(const InterruptStops&) = delete;
    InterruptStops& operator=(const InterruptStops&) = delete;

private:
    void (*previous_)(int) = SIG_DFL;
};

std::string_view KindName(DriveKind kind) {
    switch (kind) {
    case DriveKind::Internal: return "floppy controller drive";
    case DriveKind::Usb: return "USB floppy drive";
    case DriveKind::File: return "image file acting as a drive";
    }
    return {};
}

std::string SectorList(const std::vector<std::uint32_t>& sectors) {
    std::string s;
    for (std::size_t i = 0; i < sectors.size(); ++i) s += (i ? ", " : "") + std::to_string(sectors[i]);
    return s;
}

// One floppy operation: the options, the drive, the loop's control and the interaction.
struct Session {
    Session(Options o, std::ostream& output, std::ostream& errors)
        : options(std::move(o)), out(output), err(errors), ui(errors, control), bar(errors, ui),
          context{control, ui, text::kTitleLauncher} {
        control.ioRepeat = options.ioRepeat;
        control.autoIgnore.store(options.ignoreBad);
    }

    SectorProgress* progress() { return IsTerminal(StandardStream::Err) ? &bar : nullptr; }

    void printSummary(const DiskIdentity& id) { out << Cp437ToUtf8(TerminalText(SummaryText(id.memo))) << '\n'; }

    // Prints what a transfer left behind; returns the exit status. `unfinished` says
    // what an aborted or stopped transfer leaves, `skippedAre` what became of skipped sectors.
    int finish(const TransferResult& r, std::string_view unfinished, std::string_view skippedAre) {
        ui.endProgressLine();
        if (r.failure) return Refuse(err, *r.failure);
        if (r.state != TransferState::Succeeded) {
            const std::string_view why = r.loopEnd == LoopEnd::Stopped   ? "stopped"
                                         : r.loopEnd == LoopEnd::Aborted ? "aborted"
                                         : r.state == TransferState::Cancelled ? "cancelled"
                                                                               : "failed";
            err << "veldin-cli: " << why << "; " << unfinished << '\n';
            return kRefused;
        }
        if (!r.skipped.empty()) {
            err << "veldin-cli: " << r.skipped.size() << (r.skipped.size() == 1 ? " sector" : " sectors")
                << " skipped, " << skippedAre << ": " << SectorList(r.skipped) << '\n';
            return kIncomplete;
        }
        return kOk;
    }

    Options options;
    std::ostream& out;
    std::ostream& err;
    SectorLoopControl control;
    CliInteraction ui;
    ProgressBar bar;
    LoopContext context;
};

int Info(Session& s, FloppyDrive& drive) {
    auto opened = OpenAndIdentify(drive, DriveAccess::Read, s.context);
    if (!opened) return Refuse(s.err, opened.failure());
    s.out << "Device:     " << drive.path() << " (" << KindName(drive.kind()) << ")\n";
    s.out << "Extension:  " << opened->identity.definition.extension << '\n';
    s.out << "Title:      " << opened->identity.memo.title << '\n';
    s.printSummary(opened->identity);
    return kOk;
}

int Read(Session& s, FloppyDrive& drive, const std::filesystem::path& target) {
    auto opened = OpenAndIdentify(drive, DriveAccess::Read, s.context);
    if (!opened) return Refuse(s.err, opened.failure());
    s.printSummary(opened->identity);
    if (auto readable = CheckReadable(opened->identity); !readable) return Refuse(s.err, readable.failure());

    // A directory gets the name a module's read gets: the disk's title and extension.
    std::error_code ec;
    const bool intoDirectory = std::filesystem::is_directory(target, ec);
    const OutputChooser choose = [&](const DiskIdentity& id) -> std::optional<std::filesystem::path> {
        return intoDirectory ? RequesterImagePath(target, id) : target;
    };
    BeginTransfer(s.control);
    InterruptStops interrupt(s.control.stopRequest);
    const auto r = ReadFloppyToImage(*opened->device, opened->identity, s.context, s.progress(), choose);
    opened->device.reset();
    const int rc = s.finish(r, "no image was written", "zero-filled in the image");
    if (r.state == TransferState::Succeeded) s.out << "Image:      " << r.image.string() << '\n';
    return rc;
}

int Write(Session& s, FloppyDrive& drive, const std::filesystem::path& image) {
    auto opened = OpenAndIdentify(drive, DriveAccess::Write, s.context);
    if (!opened) return Refuse(s.err, opened.failure());
    BeginTransfer(s.control);
    InterruptStops interrupt(s.control.stopRequest);
    const auto r = WriteImageToFloppy(*opened->device, image, s.context, s.progress(),
                                      [&](const DiskIdentity& id) {
                                          s.printSummary(id);
                                          return true;
                                      });
    opened->device.reset();
    const int rc = s.finish(r, "the floppy may be partly written", "left as they were on the floppy");
    if (r.state == TransferState::Succeeded) s.out << "Written:    " << drive.path() << '\n';
    return rc;
}

int Format(Session& s, FloppyDrive& drive) {
    auto opened = OpenAndIdentify(drive, DriveAccess::Format, s.context);
    if (!opened) return Refuse(s.err, opened.failure());
    opened->device.reset(); // the formatter needs the drive to itself
    const FormatCommand command =
        s.options.formatter ? s.options.formatCommand : DefaultFormatCommand(drive.kind());

    s.out << Cp437ToUtf8(TerminalText(FormattingText())) << '\n' << std::flush;
    PosixProcessRunner runner;
    BeginTransfer(s.control);
    InterruptStops interrupt(s.control.stopRequest);
    const auto r = FormatFloppy(drive, command, runner, s.control);
    if (r.completed()) {
        s.out << "Formatted:  " << drive.path() << '\n';
        return kOk;
    }
    if (!r.last.started) s.err << "veldin-cli: cannot run '" << r.program << "'; is it installed?\n";
    else if (r.last.stopped) s.err << "veldin-cli: formatting stopped\n";
    else s.err << "veldin-cli: '" << r.program << "' ended with status " << r.last.exitCode << '\n';
    return kRefused;
}

} // namespace

int RunFloppy(const Args& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (auto problem = ParseOptions(args, o)) return UsageError(err, kCommand, *problem);
    const struct {
        std::string_view name;
        std::size_t operands;
    } kSubs[] = {{"info", 1}, {"read", 2}, {"write", 2}, {"format", 1}};
    std::size_t expected = 0;
    for (const auto& sub : kSubs)
        if (o.sub == sub.name) expected = sub.operands;
    if (expected == 0) return UsageError(err, kCommand, "expects info, read, write or format");
    if (o.operands.size() != expected) return UsageError(err, kCommand, "wrong number of arguments for " + o.sub);
    if (o.formatter && o.sub != "format") return UsageError(err, kCommand, "--formatter is for format only");
    if (o.formatter) {
        auto command = ParseFormatCommand(*o.formatter);
        if (!command) return UsageError(err, kCommand, "bad formatter command line '" + *o.formatter + "'");
        o.formatCommand = std::move(*command);
    }

    const std::string device = o.sub == "write" ? o.operands[1] : o.operands[0];
    std::error_code ec;
    if (!o.plan.empty() && !std::filesystem::is_regular_file(device, ec))
        return UsageError(err, kCommand, "faults can only be injected into an image file acting as a drive");
    const auto drive = DriveForPath(device, o.plan);
    Session s(std::move(o), out, err);
    if (s.options.sub == "info") return Info(s, *drive);
    if (s.options.sub == "read") return Read(s, *drive, s.options.operands[1]);
    if (s.options.sub == "write") return Write(s, *drive, s.options.operands[0]);
    return Format(s, *drive);
}

} // namespace veldin::cli
