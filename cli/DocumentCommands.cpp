// Commands that make and change images. Every change goes the way the editors go: open
// the image as a document, record the change through its undo store, then Save (or,
// with -o OUT, Save As to OUT, leaving the image itself as it was).
#include <algorithm>
#include "core/InstallLayout.h"
#include <array>
#include <optional>
#include <ostream>

#include "cli/Commands.h"
#include "core/DiskMemo.h"
#include "core/Document.h"
#include "core/ImageFile.h"
#include "core/Messages.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMemoEditCode = 530; // the memo editor's command

// Messages go to standard error; the only question, whether to save on close, is
// answered No: a command saves explicitly before it closes.
class TerminalUi final : public UserInteraction {
public:
    explicit TerminalUi(std::ostream& err) : err_(err) {}
    void message(std::string_view text, std::string_view, Icon) override { Refuse(err_, Fail(text)); }
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::No; }

private:
    std::ostream& err_;
};

struct FamilyName {
    std::string_view name;
    SamplerChoice choice;
};
constexpr std::array<FamilyName, 4> kFamilyNames{{
    {"w30", SamplerChoice::W30}, {"s50", SamplerChoice::S50}, {"s330", SamplerChoice::S330}, {"s550", SamplerChoice::S550}}};

std::optional<SamplerChoice> ParseFamily(std::string_view name) {
    for (const auto& f : kFamilyNames)
        if (f.name == name) return f.choice;
    return std::nullopt;
}

// The sampler choice whose key is the family of `definition` (Save As to the same family).
SamplerChoice ChoiceOf(const DiskDefinition& definition) {
    for (const auto& c : SamplerChoices())
        if (c.key == definition.family()) return c.choice;
    return SamplerChoice::W30;
}

// Options shared by the commands, and the positional arguments.
struct Parsed {
    std::vector<std::string> positional;
    std::optional<std::string> family, to, mainDir, output, name;
    std::vector<std::pair<std::string, std::string>> lines; // --line N TEXT
    std::string problem;
};

Parsed Parse(const Args& args) {
    Parsed p;
    for (std::size_t i = 0; i < args.size() && p.problem.empty(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::optional<std::string>& slot) {
            if (i + 1 >= args.size()) p.problem = a + " needs a value";
            else slot = args[++i];
        };
        if (a == "--family") value(p.family);
        else if (a == "--to") value(p.to);
        else if (a == "--main-dir") value(p.mainDir);
        else if (a == "-o") value(p.output);
        else if (a == "--name") value(p.name);
        else if (a == "--line") {
            if (i + 2 >= args.size()) p.problem = "--line needs a number and a text";
            else {
                p.lines.emplace_back(args[i + 1], args[i + 2]);
                i += 2;
            }
        } else if (a.size() > 1 && a[0] == '-') p.problem = "unknown option '" + a + "'";
        else p.positional.push_back(a);
    }
    return p;
}

// The main directory holds the templates and the session files; by default it is the
// folder of this program, where the build puts the templates.
Workspace WorkspaceOf(const Parsed& p) {
    return Workspace::System(p.mainDir ? fs::path(*p.mainDir) : DefaultMainDirectory());
}

// Like a module at its start: first clean up after processes that ended without closing.
Workspace StartWork(const Parsed& p) {
    Workspace ws = WorkspaceOf(p);
    UndoStore::Recover(ws);
    return ws;
}

std::string Describe(const DiskDefinition& d) { return std::string(d.samplerName) + " " + std::string(d.kindName); }

int Finish(Document& doc, UserInteraction& ui, std::string_view title, std::ostream& err) {
    if (doc.close(ui, title) != Document::CloseResult::Closed) return Refuse(err, Fail(text::kCantSaveFile));
    return kOk;
}

void PrintMemo(std::ostream& out, const DiskMemo& memo) {
    if (memo.kind == DiskMemo::Sound) {
        out << "Name: \"" << memo.name << "\"\n";
        for (std::size_t i = 0; i < memo.memoLines.size(); ++i) out << "Line " << i + 1 << ": \"" << memo.memoLines[i] << "\"\n";
    } else if (memo.kind == DiskMemo::Lines) {
        for (std::size_t i = 0; i < memo.systemLines.size(); ++i)
            out << "Line " << i + 1 << ": \"" << memo.systemLines[i] << "\"\n";
    } else {
        out << "(no memo)\n";
    }
}

// Reads the memo sector of an image, from a document's working copy or from bytes.
std::array<std::uint8_t, kSectorSize> MemoSectorOf(std::span<const std::uint8_t> image, const DiskDefinition& d) {
    std::array<std::uint8_t, kSectorSize> sector{};
    const auto at = SectorToOffset(d.memoSector);
    if (d.memoSector >= 0 && at >= 0 && at + kSectorSize <= kImageSize)
        std::copy_n(image.begin() + at, kSectorSize, sector.begin());
    return sector;
}

int ShowMemo(const std::string& path, std::ostream& out, std::ostream& err) {
    auto image = LoadImageFile(path);
    if (!image) return Refuse(err, image.failure());
    auto sector = MemoSectorOf(image->bytes, image->definition);
    PrintMemo(out, DecodeMemo(image->definition, sector));
    return kOk;
}

} // namespace

int RunNew(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = Parse(args);
    if (!p.problem.empty()) return UsageError(err, "new", p.problem);
    if (p.positional.size() != 1) return UsageError(err, "new", "expects one OUT");
    if (!p.family) return UsageError(err, "new", "needs --family w30|s50|s330|s550");
    const auto choice = ParseFamily(*p.family);
    if (!choice) return UsageError(err, "new", "unknown family '" + *p.family + "'");

    TerminalUi ui(err);
    auto doc = Document::New(StartWork(p), *choice, p.positional[0]);
    if (!doc) return Refuse(err, doc.failure());
    out << "Created " << p.positional[0] << ": " << Describe((*doc)->definition()) << " disk\n";
    return Finish(**doc, ui, text::kTitleLauncher, err);
}

int RunConvert(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = Parse(args);
    if (!p.problem.empty()) return UsageError(err, "convert", p.problem);
    if (p.positional.size() != 2) return UsageError(err, "convert", "expects IMAGE and OUT");
    if (!p.to) return UsageError(err, "convert", "needs --to w30|s50|s330|s550");
    const auto choice = ParseFamily(*p.to);
    if (!choice) return UsageError(err, "convert", "unknown family '" + *p.to + "'");

    TerminalUi ui(err);
    auto doc = Document::Open(StartWork(p), p.positional[0]);
    if (!doc) return Refuse(err, doc.failure());
    if (auto s = (*doc)->saveAs(*choice, p.positional[1]); !s) return Refuse(err, s.failure());
    out << "Wrote " << p.positional[1] << " for the " << InfoOf(*choice).key << '\n';
    return Finish(**doc, ui, text::kTitleLauncher, err);
}

int RunMemo(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = Parse(args);
    if (!p.problem.empty()) return UsageError(err, "memo", p.problem);
    if (p.positional.size() != 1) return UsageError(err, "memo", "expects one IMAGE");
    if (!p.name && p.lines.empty()) {
        if (p.output) return UsageError(err, "memo", "-o goes with --name or --line");
        return ShowMemo(p.positional[0], out, err);
    }

    TerminalUi ui(err);
    auto opened = Document::Open(StartWork(p), p.positional[0]);
    if (!opened) return Refuse(err, opened.failure());
    Document& doc = **opened;
    const DiskDefinition& d = doc.definition();
    std::array<std::uint8_t, kSectorSize> sector{};
    if (d.memoSector >= 0)
        if (auto s = doc.read(static_cast<std::uint32_t>(d.memoSector) * kSectorSize, sector); !s) return Refuse(err, s.failure());
    DiskMemo memo = DecodeMemo(d, sector);
    if (memo.kind == DiskMemo::None) return UsageError(err, "memo", "this kind of disk has no memo");
    if (d.memoSector == 7) return UsageError(err, "memo", "the memo of a song disk is its volume label and is only read");

    const bool sound = memo.kind == DiskMemo::Sound;
    const std::size_t width = sound ? kMemoLineLength : kSystemLineLength;
    const std::size_t count = sound ? kMemoLineCount : kSystemLineCount;
    if (p.name) {
        if (!sound) return UsageError(err, "memo", "this disk's memo has lines only, no name");
        if (p.name->size() > kMemoNameLength) return UsageError(err, "memo", "the name has at most 12 characters");
        memo.name = CentreInField(*p.name, kMemoNameLength);
    }
    for (const auto& [number, line] : p.lines) {
        std::size_t n = 0;
        if (number.size() != 1 || number[0] < '1' || static_cast<std::size_t>(number[0] - '0') > count)
            return UsageError(err, "memo", "--line takes 1 to " + std::to_string(count) + " on this disk");
        n = static_cast<std::size_t>(number[0] - '1');
        if (line.size() > width)
            return UsageError(err, "memo", "a line has at most " + std::to_string(width) + " characters");
        (sound ? memo.memoLines[n] : memo.systemLines[n]) = CentreInField(line, width);
    }
    EncodeMemo(memo, d, sector);

    const Operation edit{.code = kMemoEditCode,
                         .returnedBlock = 0,
                         .parameter = 0,
                         .blocks = {{static_cast<std::uint32_t>(d.memoSector) * kSectorSize, sector}}};
    if (auto s = doc.record(edit); !s) return Refuse(err, s.failure());
    const auto saved = p.output ? doc.saveAs(ChoiceOf(d), *p.output) : doc.save();
    if (!saved) return Refuse(err, saved.failure());
    PrintMemo(out, DecodeMemo(d, sector));
    return Finish(doc, ui, text::kTitleLauncher, err);
}

int RunRecover(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = Parse(args);
    if (!p.problem.empty()) return UsageError(err, "recover", p.problem);
    if (!p.positional.empty()) return UsageError(err, "recover", "takes no arguments besides --main-dir");
    const Workspace ws = WorkspaceOf(p);
    const RecoveryReport report = UndoStore::Recover(ws);
    out << "Removed " << report.removed << " stale session(s) from " << ws.mainDirectory.string() << "; "
        << report.skipped << " in use left alone\n";
    return kOk;
}

} // namespace veldin::cli
