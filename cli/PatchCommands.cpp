// veldin-cli patches / patch: the patches of an image, patch files and patch changes.
// Changes go the way the Patch Editor goes: the image is opened as a document, the
// change is recorded through its undo store, then the image is saved (or, with -o OUT,
// written to OUT and the image left as it was).
#include "cli/PatchCommands.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <map>
#include <optional>
#include <ostream>

#include "core/FileRead.h"
#include "core/Document.h"
#include "core/ImageFile.h"
#include "core/Messages.h"
#include "core/Names.h"
#include "tone/DocumentAdapter.h"
#include "patch/PatchEditor.h"
#include "patch/PatchTexts.h"

namespace veldin::cli {

const std::string_view kPatchesHelp =
    "Usage: veldin-cli patches IMAGE [--json]\n"
    "\n"
    "Lists the patches of IMAGE as the Patch Editor's tree shows them: each patch's\n"
    "position (counted from 1), name, key mode and the tones it plays, and the number of\n"
    "free patch positions.\n"
    "\n"
    "  --json   one JSON object: {file, freePositions, firstFreePosition, patches:\n"
    "           [{position, name, keyMode, keyAssign, level, tones: [{number, name}]}]}\n"
    "\n"
    "Exit status: 0 ok, 1 refused (the fixed message is printed), 2 usage error.\n";

const std::string_view kPatchHelp =
    "Usage: veldin-cli patch SUBCOMMAND IMAGE ...\n"
    "\n"
    "  veldin-cli patch save IMAGE PATCH OUT.pat\n"
    "  veldin-cli patch load IMAGE FILE.pat [--map NAME=TONE]... [--keep-missing] [-o OUT]\n"
    "  veldin-cli patch delete IMAGE PATCH [-o OUT]\n"
    "  veldin-cli patch rename IMAGE PATCH NAME [-o OUT]\n"
    "\n"
    "PATCH is the patch's position counted from 1, or its name. Changes are written back\n"
    "to IMAGE, or to OUT with -o (IMAGE stays as it was). Every command also takes\n"
    "--main-dir DIR, the folder of the session files (default: the folder of veldin-cli).\n"
    "\n"
    "save    writes a patch file with a fingerprint of each tone the patch plays; the\n"
    "        file always ends in .pat.\n"
    "load    puts a patch file (.pat or .ptc) into the first free patch position and\n"
    "        renumbers its key maps to the tones of IMAGE that match the fingerprints.\n"
    "        A tone that no record matches must be mapped with --map NAME=TONE (TONE is\n"
    "        ram:N, rom:N or a tone name of IMAGE) or kept as it is with --keep-missing;\n"
    "        otherwise nothing is loaded and the missing tones are named.\n"
    "delete  clears all 256 bytes of the patch's position.\n"
    "rename  gives the patch a name of up to 12 characters.\n"
    "\n"
    "Exit status: 0 ok, 1 refused (the fixed message is printed), 2 usage error.\n";

namespace {

namespace fs = std::filesystem;
using namespace veldin::patch;
namespace ptext = veldin::patch::text;

// Messages go to standard error; the only question, whether to save on close, is
// answered No: a command saves explicitly before it closes.
class TerminalUi final : public UserInteraction {
public:
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::No; }
};

struct Options {
    std::vector<std::string> positional;
    std::vector<std::string> maps;
    std::optional<std::string> output, mainDir;
    bool json = false, keepMissing = false;
    std::string problem;
};

Options Parse(const Args& args) {
    Options o;
    for (std::size_t i = 0; i < args.size() && o.problem.empty(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 < args.size()) return args[++i];
            o.problem = "option '" + a + "' needs a value";
            return std::nullopt;
        };
        if (a == "--json") o.json = true;
        else if (a == "--keep-missing") o.keepMissing = true;
        else if (a == "--map") {
            if (auto v = value()) o.maps.push_back(*v);
        } else if (a == "-o") o.output = value();
        else if (a == "--main-dir") o.mainDir = value();
        else if (a.size() > 1 && a[0] == '-') o.problem = "unknown option '" + a + "'";
        else o.positional.push_back(a);
    }
    return o;
}

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The main directory holds the session files of the undo store; by default it is the
// folder of this program.
Workspace StartWork(const Options& o) {
    Workspace ws = Workspace::System(o.mainDir ? fs::path(*o.mainDir) : DefaultMainDirectory());
    UndoStore::Recover(ws);
    return ws;
}

SamplerChoice ChoiceOf(const DiskDefinition& definition) {
    for (const auto& c : SamplerChoices())
        if (c.key == definition.family()) return c.choice;
    return SamplerChoice::W30;
}

// A position counted from 1, or a name (blanks at its end ignored).
std::optional<int> FindPatch(const PatchEditor& ed, const std::string& spec, std::string& problem) {
    const PatchTree& t = ed.tree();
    char* end = nullptr;
    const long n = std::strtol(spec.c_str(), &end, 10);
    if (!spec.empty() && *end == '\0') {
        if (n >= 1 && t.findPatch(static_cast<int>(n - 1)) != kNoItem) return static_cast<int>(n - 1);
        problem = "no patch at position " + spec;
        return std::nullopt;
    }
    std::vector<int> found;
    for (ItemId c : t.item(t.root())->children)
        if (Trimmed(t.item(c)->label) == Trimmed(spec)) found.push_back(t.item(c)->value.position());
    if (found.size() == 1) return found.front();
    problem = found.empty() ? "no patch named '" + spec + "'" : "several patches are named '" + spec + "'; use its position";
    return std::nullopt;
}

// "ram:N", "rom:N" or a tone name of the image: the number a key map uses for it.
std::optional<std::uint8_t> FindTargetTone(const PatchAreas& areas, const std::string& spec) {
    for (auto [prefix, area, base] : {std::tuple{"ram:", tone::Area::Ram, 0}, std::tuple{"rom:", tone::Area::Rom, 32}}) {
        if (spec.rfind(prefix, 0) != 0) continue;
        const tone::AreaCopy* a = areas.tones().get(area);
        char* end = nullptr;
        const long pos = std::strtol(spec.c_str() + 4, &end, 10);
        if (!a || spec.size() == 4 || *end != '\0' || pos < 0 || pos >= a->count || pos + base >= kFirstNoTone ||
            !a->record(static_cast<int>(pos)).isUsed())
            return std::nullopt;
        return static_cast<std::uint8_t>(pos + base);
    }
    for (auto [area, base] : {std::pair{tone::Area::Ram, 0}, std::pair{tone::Area::Rom, 32}}) {
        const tone::AreaCopy* a = areas.tones().get(area);
        for (int k = 0; a && k < a->count && k + base < kFirstNoTone; ++k) {
            const tone::ToneRecord r = a->record(k);
            if (r.isUsed() && Trimmed(r.displayName()) == Trimmed(spec)) return static_cast<std::uint8_t>(k + base);
        }
    }
    return std::nullopt;
}

// Answers the map dialog from --map and --keep-missing; the load is refused beforehand
// when a missing tone has neither.
class CliMapper final : public ToneMapper {
public:
    std::map<std::string, std::uint8_t> mapped; // missing tone's label -> target number
    MapChoice mapMissingTone(const MissingToneDialog& d) override {
        const auto it = mapped.find(EntryLabel(d.missingNumber, d.missingName));
        if (it != mapped.end()) return {Answer::Yes, it->second};
        return {Answer::No, 0};
    }
};

std::optional<std::vector<std::uint8_t>> ReadWhole(const fs::path& p) {
    auto bytes = ReadFileBytes(p);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
}

// ---- patches --------------------------------------------------------------

void PrintJson(std::ostream& out, const std::string& file, const PatchEditor& ed) {
    JsonWriter j(out);
    const PatchTree& t = ed.tree();
    j.beginObject();
    j.key("file").value(file);
    j.key("freePositions").value(static_cast<long long>(ed.selection().freePositions));
    const int first = ed.selection().firstFreePosition;
    j.key("firstFreePosition");
    if (first == kNoFreePosition) j.null();
    else j.value(static_cast<long long>(first + 1));
    j.key("patches").beginArray();
    for (ItemId c : t.item(t.root())->children) {
        const int k = t.item(c)->value.position();
        const PatchRecord r = ed.areas().patches()->record(k);
        j.beginObject();
        j.key("position").value(static_cast<long long>(k + 1));
        j.key("name").value(r.displayName());
        j.key("keyMode").value(KeyModeName(r.keyMode()));
        j.key("keyAssign").value(KeyAssignName(r.keyAssign()));
        j.key("level").value(static_cast<long long>(r.patchLevel()));
        j.key("tones").beginArray();
        for (std::uint8_t n : r.tones()) {
            j.beginObject();
            j.key("number").value(static_cast<long long>(n));
            j.key("name").value(ed.areas().toneName(n));
            j.endObject();
        }
        j.endArray();
        j.endObject();
    }
    j.endArray();
    j.endObject();
    out << '\n';
}

void PrintText(std::ostream& out, const PatchEditor& ed) {
    const PatchTree& t = ed.tree();
    for (ItemId c : t.item(t.root())->children) {
        const int k = t.item(c)->value.position();
        const PatchRecord r = ed.areas().patches()->record(k);
        out << std::setw(2) << k + 1 << "  \"" << r.displayName() << "\"  " << ptext::kKeyMode
            << KeyModeName(r.keyMode()) << "  tones:";
        for (std::uint8_t n : r.tones()) out << ' ' << static_cast<int>(n) << " \"" << ed.areas().toneName(n) << '"';
        out << '\n';
    }
    out << ed.selection().status << '\n';
}

// ---- changes through the document ------------------------------------------

struct Session {
    std::unique_ptr<Document> doc;
    std::unique_ptr<tone::DocumentAdapter> image;
    std::unique_ptr<PatchEditor> editor;
};

Result<Session> OpenSession(const Options& o) {
    auto doc = Document::Open(StartWork(o), o.positional[0]);
    if (!doc) return doc.failure();
    Session s{std::move(*doc), nullptr, nullptr};
    s.image = std::make_unique<tone::DocumentAdapter>(*s.doc);
    s.editor = std::make_unique<PatchEditor>(*s.image);
    if (!s.editor->areas().patches()) return Fail(ptext::kNoPatchArea);
    return s;
}

int SaveAndClose(Session& s, const Options& o, std::ostream& err) {
    const auto saved = o.output ? s.doc->saveAs(ChoiceOf(s.doc->definition()), *o.output) : s.doc->save();
    if (!saved) return Refuse(err, saved.failure());
    TerminalUi ui;
    if (s.doc->close(ui, veldin::text::kTitlePatchEditor) != Document::CloseResult::Closed)
        return Refuse(err, Fail(veldin::text::kCantSaveFile));
    return kOk;
}

int SavePatch(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 3) return UsageError(err, "patch save", "expects IMAGE PATCH OUT.pat");
    auto img = LoadImageFile(o.positional[0]);
    if (!img) return Refuse(err, img.failure());
    tone::MemoryDocument doc(std::move(img->bytes), img->definition);
    PatchEditor ed(doc);
    if (!ed.areas().patches()) return Refuse(err, Fail(ptext::kNoPatchArea));
    std::string problem;
    const auto k = FindPatch(ed, o.positional[1], problem);
    if (!k) return UsageError(err, "patch save", problem);
    ed.selectPatch(*k);
    auto file = ed.savePatch();
    if (!file) return Refuse(err, file.failure());
    const fs::path target = SavedPatchPath(o.positional[2]);
    const auto bytes = PatchFileBytes(**file);
    std::ofstream f(target, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) return Refuse(err, Fail(veldin::text::kCantCreateFile));
    out << "Wrote " << target.string() << '\n';
    return kOk;
}

int LoadPatch(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) return UsageError(err, "patch load", "expects IMAGE FILE.pat");
    if (!IsPatchFileName(o.positional[1])) return UsageError(err, "patch load", "FILE must end in .pat or .ptc");
    const auto bytes = ReadWhole(o.positional[1]);
    if (!bytes) return Refuse(err, Fail(ptext::kCantOpenFile, Icon::None));
    auto file = ParsePatchFile(*bytes);
    if (!file) return Refuse(err, file.failure());

    auto s = OpenSession(o);
    if (!s) return Refuse(err, s.failure());
    PatchEditor& ed = *s->editor;
    if (ed.selection().freePositions == 0) return Refuse(err, Fail(ptext::kNoFreePatchPosition));

    CliMapper mapper;
    for (const std::string& m : o.maps) {
        const auto eq = m.find('=');
        if (eq == std::string::npos || eq == 0) return UsageError(err, "patch load", "--map takes NAME=TONE");
        const auto target = FindTargetTone(ed.areas(), m.substr(eq + 1));
        if (!target) return UsageError(err, "patch load", "no tone '" + m.substr(eq + 1) + "' in this image");
        const std::string name = Trimmed(m.substr(0, eq));
        // A name the patch does not use would be ignored silently: most likely a typo.
        const bool used = std::any_of(file->entries.begin(), file->entries.end(), [&](const ToneEntry& e) {
            return e.number < kFirstNoTone && EntryLabel(e.number, e.displayName()) == name;
        });
        if (!used) return UsageError(err, "patch load", "this patch uses no tone named '" + name + "'");
        mapper.mapped[name] = *target;
    }
    std::vector<std::string> unmapped;
    for (const auto& e : MissingTones(*file, ed.areas())) {
        const std::string label = EntryLabel(e.number, e.displayName());
        if (!mapper.mapped.count(label)) unmapped.push_back(label);
    }
    if (!unmapped.empty() && !o.keepMissing) {
        err << "veldin-cli: tones of this patch are not on the image:";
        for (const auto& n : unmapped) err << " '" << n << '\'';
        err << "\nmap each with --map NAME=TONE, or keep their numbers with --keep-missing\n";
        return kRefused;
    }
    auto r = ed.loadPatch(*file, mapper);
    if (!r) return Refuse(err, r.failure());
    out << "Loaded \"" << Trimmed(file->record.displayName()) << "\" into patch position " << r->position + 1 << '\n';
    return SaveAndClose(*s, o, err);
}

int DeletePatch(const Options& o, std::ostream& err) {
    if (o.positional.size() != 2) return UsageError(err, "patch delete", "expects IMAGE PATCH");
    auto s = OpenSession(o);
    if (!s) return Refuse(err, s.failure());
    std::string problem;
    const auto k = FindPatch(*s->editor, o.positional[1], problem);
    if (!k) return UsageError(err, "patch delete", problem);
    s->editor->selectPatch(*k);
    if (auto st = s->editor->deleteSelectedConfirmed(); !st) return Refuse(err, st.failure());
    return SaveAndClose(*s, o, err);
}

int RenamePatch(const Options& o, std::ostream& err) {
    if (o.positional.size() != 3) return UsageError(err, "patch rename", "expects IMAGE PATCH NAME");
    if (o.positional[2].size() > kNameLength) return UsageError(err, "patch rename", "a name has at most 12 characters");
    auto s = OpenSession(o);
    if (!s) return Refuse(err, s.failure());
    std::string problem;
    const auto k = FindPatch(*s->editor, o.positional[1], problem);
    if (!k) return UsageError(err, "patch rename", problem);
    if (auto st = s->editor->rename(s->editor->tree().findPatch(*k), o.positional[2]); !st) return Refuse(err, st.failure());
    return SaveAndClose(*s, o, err);
}

} // namespace

int RunPatches(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args);
    if (!o.problem.empty()) return UsageError(err, "patches", o.problem);
    if (o.positional.size() != 1 || !o.maps.empty() || o.keepMissing || o.output)
        return UsageError(err, "patches", "expects one IMAGE");
    auto img = LoadImageFile(o.positional[0]);
    if (!img) return Refuse(err, img.failure());
    tone::MemoryDocument doc(std::move(img->bytes), img->definition);
    const PatchEditor ed(doc);
    if (!ed.areas().patches()) return Refuse(err, Fail(ptext::kNoPatchArea));
    if (o.json) PrintJson(out, o.positional[0], ed);
    else PrintText(out, ed);
    return kOk;
}

int RunPatch(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "patch", "expects a subcommand");
    const std::string sub = args[0];
    const Options o = Parse(Args(args.begin() + 1, args.end()));
    if (!o.problem.empty()) return UsageError(err, "patch " + sub, o.problem);
    if (sub != "load" && (!o.maps.empty() || o.keepMissing))
        return UsageError(err, "patch " + sub, "--map and --keep-missing go with load");
    if (o.json) return UsageError(err, "patch " + sub, "--json goes with 'patches'");
    if (sub == "save") {
        if (o.output) return UsageError(err, "patch save", "-o does not go with save");
        return SavePatch(o, out, err);
    }
    if (sub == "load") return LoadPatch(o, out, err);
    if (sub == "delete") return DeletePatch(o, err);
    if (sub == "rename") return RenamePatch(o, err);
    return UsageError(err, "patch", "unknown subcommand '" + sub + "'");
}

} // namespace veldin::cli
