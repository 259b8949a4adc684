// veldin-cli tones / tone: the tone tree of an image and every tone change.
//
// Commands that only read take the image file as it is on disk. Commands that change it
// open it as a document, as the Tone Editor does: the change is one undo step on the
// working copy, then Save (or Save As for -o OUT) writes the file, atomically.
#include "cli/ToneCommands.h"
#include "core/InstallLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "core/FileRead.h"
#include "core/Document.h"
#include "core/ImageFile.h"
#include "core/Messages.h"
#include "core/Names.h"
#include "platform/os/FileOps.h"
#include "tone/DocumentAdapter.h"
#include "tone/ToneEditor.h"
#include "tone/ToneFields.h"
#include "tone/ToneTexts.h"
#include "tone/WaveExport.h"
#include "tone/WaveImport.h"

namespace veldin::cli {

const std::string_view kTonesHelp =
    "Usage: veldin-cli tones IMAGE [--json]\n"
    "\n"
    "Lists the tones of IMAGE as the Tone Editor's tree shows them: the groups RAM and\n"
    "ROM (W-30), their banks A and B with the free memory of each, the original tones\n"
    "and their subtones, with each tone's parameters.\n"
    "\n"
    "  --json   one JSON object: {file, banks: [...], tones: [{name, area, bank,\n"
    "           position, number, subtone, original, segments, segmentTop, start,\n"
    "           loop, end, rate, key, loopMode, volume, pointsInsideWave}]}\n";

const std::string_view kToneHelp =
    "Usage: veldin-cli tone SUBCOMMAND IMAGE ...\n"
    "\n"
    "  veldin-cli tone export-wav IMAGE TONE OUT.wav [--no-regions] [--mrk] [--smpl]\n"
    "  veldin-cli tone import-wav IMAGE WAV (--bank A|B|romA|romB | --onto TONE) [--stereo left|both]\n"
    "                             [--resample] [--log] [--main-dir DIR] [-o OUT]\n"
    "  veldin-cli tone save IMAGE TONE OUT.ton|OUT.ston\n"
    "  veldin-cli tone load IMAGE FILE (--bank A|B|romA|romB | --onto TONE) [-o OUT]\n"
    "  veldin-cli tone delete IMAGE TONE [-o OUT]\n"
    "  veldin-cli tone rename IMAGE TONE NAME [-o OUT]\n"
    "  veldin-cli tone set IMAGE TONE FIELD=VALUE... [-o OUT]\n"
    "\n"
    "TONE is the tone's position in its area (ram:5, rom:12) or its name.\n"
    "Changes are written back to IMAGE, or to OUT with -o (IMAGE stays as it was). The\n"
    "image is opened as a document: locked while it is open, changed as one undo step on\n"
    "a working copy, saved atomically. --main-dir DIR names the folder of default.ston\n"
    "and of the session files (default: the folder of this program).\n"
    "\n"
    "export-wav  writes the tone as a 16-bit mono WAV file with its points as cue\n"
    "            markers and regions; --no-regions leaves them out, --mrk also writes a\n"
    "            WaveLab marker file (OUT.MRK) and puts the samples at byte 4096,\n"
    "            --smpl adds a \"smpl\" chunk with the loop.\n"
    "import-wav  makes a tone of a WAV file (8/16/24/32-bit PCM or 32-bit float) in\n"
    "            bank A or B, or a subtone of the tone given with --onto. A stereo file\n"
    "            needs --stereo: left keeps the left channel, both makes a tone of the\n"
    "            left channel with a subtone of the right. --resample converts the\n"
    "            samples to the tone's rate (30,000 or 15,000 Hz) so that the sound keeps\n"
    "            its pitch; without it the samples play at the tone's rate as they are.\n"
    "            --log writes wave2rton.txt into the current folder.\n"
    "save        writes a tone file: .ton holds an original with its subtones and wave,\n"
    "            .ston the first record only.\n"
    "load        imports a tone file as the Tone Editor's Load Tone does.\n"
    "set         changes parameters (points are checked against the wave; loopLength\n"
    "            follows end - loop). FIELD is one of: output origKey startPoint\n"
    "            endPoint loopPoint loopMode tvaLfoDepth lfoRate lfoSync lfoDelay\n"
    "            lfoMode oscLfoDepth lfoPolarity lfoOffset pitchShift fineTune tvfCutoff\n"
    "            tvfResonance tvfKeyFollow tvfLfoDepth tvfEgDepth tvfEgPolarity\n"
    "            tvfLevelCurve tvfKeyRate tvfVelRate tvfSwitch benderSwitch tvaKeyRate\n"
    "            volume tvaVelRate loopTune tvaLevelCurve pitchFollow aftertouchSwitch\n"
    "            rateShift\n"
    "\n"
    "Exit status: 0 ok, 1 refused (the fixed message is printed), 2 usage error.\n";

namespace {

namespace fs = std::filesystem;
using namespace veldin::tone;

// Answers the stereo question from the command line.
class CliUi final : public UserInteraction {
public:
    std::optional<Answer> answer;
    bool unanswered = false;
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override {
        if (answer) return *answer;
        unanswered = true;
        return Answer::No;
    }
};

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // --bank A, -o OUT ...
    std::vector<std::string> flags;
    bool has(const std::string& f) const { return std::find(flags.begin(), flags.end(), f) != flags.end(); }
    const std::string* value(const std::string& k) const {
        auto it = values.find(k);
        return it == values.end() ? nullptr : &it->second;
    }
};

std::optional<Options> Parse(const Args& args, std::initializer_list<std::string_view> withValue,
                             std::initializer_list<std::string_view> flags, std::string& problem) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 1 && a[0] == '-') {
            if (std::find(withValue.begin(), withValue.end(), a) != withValue.end()) {
                if (i + 1 >= args.size()) {
                    problem = "option '" + a + "' needs a value";
                    return std::nullopt;
                }
                o.values[a] = args[++i];
            } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
                o.flags.push_back(a);
            } else {
                problem = "unknown option '" + a + "'";
                return std::nullopt;
            }
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const fs::path& p) {
    auto bytes = ReadFileBytes(p);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
}

bool WritePlain(const fs::path& p, std::span<const std::uint8_t> bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

struct Opened {
    MemoryDocument doc;
    fs::path path;
};

Result<Opened> Open(const std::string& path) {
    auto img = LoadImageFile(path);
    if (!img) return img.failure();
    return Opened{MemoryDocument(std::move(img->bytes), img->definition), path};
}

// Messages go to standard error; the question whether to save on close is answered
// No: a command saves explicitly before it closes.
class CloseUi final : public UserInteraction {
public:
    explicit CloseUi(std::ostream& err) : err_(err) {}
    void message(std::string_view text, std::string_view, Icon) override { Refuse(err_, Fail(text)); }
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::No; }

private:
    std::ostream& err_;
};

fs::path MainDir(const Options& o) {
    if (const std::string* d = o.value("--main-dir")) return *d;
    return DefaultMainDirectory();
}

// An image opened for a change: the document and the tone logic's view of it.
struct Editing {
    std::unique_ptr<Document> doc;
    std::unique_ptr<DocumentAdapter> adapter;
};

Result<Editing> OpenForChange(const std::string& path, const Options& o) {
    const Workspace ws = Workspace::System(MainDir(o));
    UndoStore::Recover(ws); // like a module at its start
    auto doc = Document::Open(ws, path);
    if (!doc) return doc.failure();
    Editing e{std::move(*doc), nullptr};
    e.adapter = std::make_unique<DocumentAdapter>(*e.doc);
    return e;
}

SamplerChoice ChoiceOf(const DiskDefinition& definition) {
    for (const auto& c : SamplerChoices())
        if (c.key == definition.family()) return c.choice;
    return SamplerChoice::W30;
}

// Save, or Save As to the same family for -o OUT (the image itself stays as it was).
int SaveAndClose(Editing& e, const Options& o, std::ostream& err) {
    const std::string* out = o.value("-o");
    const auto saved = out ? e.doc->saveAs(ChoiceOf(e.doc->definition()), *out) : e.doc->save();
    if (!saved) return Refuse(err, saved.failure());
    CloseUi ui(err);
    e.doc->close(ui, veldin::text::kTitleToneEditor);
    return kOk;
}

std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// "ram:5", "rom:12" or a tone's name (blanks at its end ignored).
std::optional<ToneRef> FindTone(const ToneEditor& ed, const std::string& spec, std::string& problem) {
    for (auto [prefix, area] : {std::pair{"ram:", Area::Ram}, std::pair{"rom:", Area::Rom}}) {
        if (spec.rfind(prefix, 0) != 0) continue;
        const AreaCopy* a = ed.areas().get(area);
        char* end = nullptr;
        const long pos = std::strtol(spec.c_str() + 4, &end, 10);
        if (!a || *end != '\0' || spec.size() == 4 || pos < 0 || pos >= a->count) {
            problem = "no position '" + spec + "' in this image";
            return std::nullopt;
        }
        const ToneRecord r = a->record(static_cast<int>(pos));
        if (!r.isUsed()) {
            problem = "position '" + spec + "' holds no tone";
            return std::nullopt;
        }
        return ToneRef::Make(r.sourceTone(), area, static_cast<int>(pos));
    }
    std::vector<ToneRef> found;
    for (ItemId id : ed.tree().walk()) {
        const TreeItem* it = ed.tree().item(id);
        if (it->value.isTone() && Trimmed(it->label) == Trimmed(spec)) found.push_back(it->value);
    }
    if (found.size() == 1) return found.front();
    problem = found.empty() ? "no tone named '" + spec + "'" : "several tones are named '" + spec + "'; use ram:N or rom:N";
    return std::nullopt;
}

// The import target: a bank group or the tone given with --onto.
bool SelectTarget(ToneEditor& ed, const Options& o, std::string& problem) {
    const std::string* bank = o.value("--bank");
    const std::string* onto = o.value("--onto");
    if ((bank != nullptr) == (onto != nullptr)) {
        problem = "give either --bank A|B or --onto TONE";
        return false;
    }
    if (onto) {
        auto ref = FindTone(ed, *onto, problem);
        return ref && ed.selectTone(*ref);
    }
    // A and B are the banks of the tone area ("RAM"); romA and romB those of the second
    // tone area ("ROM") of W-30 disks.
    static constexpr std::array<std::pair<std::string_view, Group>, 8> kBanks{{{"A", Group::RamA},
                                                                               {"a", Group::RamA},
                                                                               {"B", Group::RamB},
                                                                               {"b", Group::RamB},
                                                                               {"romA", Group::RomA},
                                                                               {"roma", Group::RomA},
                                                                               {"romB", Group::RomB},
                                                                               {"romb", Group::RomB}}};
    const auto it = std::find_if(kBanks.begin(), kBanks.end(), [&](const auto& b) { return b.first == *bank; });
    if (it == kBanks.end()) {
        problem = "--bank takes A, B, romA or romB";
        return false;
    }
    const bool ok = ed.selectGroup(it->second);
    if (!ok) problem = it->second == Group::RamA || it->second == Group::RamB ? "this image has no tone area"
                                                                              : "this image has no second tone area";
    return ok;
}

// ---- tones ----------------------------------------------------------------

std::string_view AreaName(Area a) { return a == Area::Ram ? "ram" : "rom"; }

void ToneJson(JsonWriter& j, ToneRef ref, const ToneRecord& r, ToneRef parent) {
    j.beginObject();
    j.key("name").value(r.displayName());
    j.key("area").value(AreaName(ref.area()));
    j.key("bank").value(r.waveBank() % 2 == 0 ? "A" : "B");
    j.key("position").value(static_cast<long long>(ref.position()));
    j.key("number").value(static_cast<long long>(ref.number()));
    j.key("subtone").value(ref.area() == Area::Rom || r.isSubtone() != 0);
    if (parent.isTone()) j.key("original").value(static_cast<long long>(parent.position()));
    j.key("segments").value(static_cast<long long>(r.segmentCount()));
    j.key("segmentTop").value(static_cast<long long>(r.segmentTop()));
    j.key("start").value(static_cast<long long>(r.startPoint()));
    j.key("loop").value(static_cast<long long>(r.loopPoint()));
    j.key("end").value(static_cast<long long>(r.endPoint()));
    j.key("rate").value(static_cast<long long>(ref.area() == Area::Rom ? 30000 : r.rate()));
    j.key("key").value(NoteName(r.origKey()));
    j.key("loopMode").value(LoopModeName(r.loopMode()));
    j.key("volume").value(static_cast<long long>(r.volume()));
    j.key("pointsInsideWave").value(ref.area() == Area::Rom || PointsInsideWave(r));
    j.endObject();
}

void PrintTonesJson(std::ostream& out, const std::string& path, const ToneEditor& ed) {
    JsonWriter j(out);
    j.beginObject();
    j.key("file").value(path);
    j.key("banks").beginArray();
    for (auto [area, bank, label] : {std::tuple{Area::Ram, 0, "A"}, std::tuple{Area::Ram, 1, "B"},
                                     std::tuple{Area::Rom, 2, "A"}, std::tuple{Area::Rom, 3, "B"}}) {
        if (!ed.areas().get(area)) continue;
        const BankMemory m = ComputeBankMemory(ed.areas(), bank);
        j.beginObject();
        j.key("area").value(AreaName(area));
        j.key("bank").value(label);
        j.key("freePositions").value(static_cast<long long>(m.freePositions));
        j.key("freeSegments").value(static_cast<long long>(m.freeSegments));
        j.key("freeBytes").value(static_cast<long long>(m.freeSegments) * 24576);
        j.key("nextFreeSegment").value(static_cast<long long>(m.nextFreeSegment));
        j.key("text").value(MemoryText(m));
        j.endObject();
    }
    j.endArray();
    j.key("tones").beginArray();
    for (ItemId id : ed.tree().walk()) {
        const TreeItem* it = ed.tree().item(id);
        if (!it->value.isTone()) continue;
        const TreeItem* parent = ed.tree().item(it->parent);
        ToneJson(j, it->value, *ed.areas().find(it->value), parent ? parent->value : kNoTone);
    }
    j.endArray();
    j.endObject();
}

void PrintTonesText(std::ostream& out, const ToneEditor& ed) {
    const ToneTree& t = ed.tree();
    for (ItemId id : t.walk()) {
        const TreeItem* it = t.item(id);
        int depth = 0;
        for (ItemId p = it->parent; p != kNoItem; p = t.item(p)->parent) ++depth;
        out << std::string(static_cast<std::size_t>(depth) * 2, ' ');
        if (!it->value.isTone()) {
            out << it->label;
            if (it->parent != kNoItem) {
                const int bank = (it->label == "B" ? 1 : 0) + (t.item(it->parent)->label == "ROM" ? 2 : 0);
                out << "  (" << MemoryText(ComputeBankMemory(ed.areas(), bank)) << ')';
            }
            out << '\n';
            continue;
        }
        const ToneRecord r = *ed.areas().find(it->value);
        const PanelTexts p = PanelFor(it->value, r);
        out << AreaName(it->value.area()) << ':' << std::left << std::setw(3) << it->value.position() << std::right
            << '"' << it->label << "\"  ";
        for (int line : {kLineNumber, kLineSubtone, kLineLength, kLineKey, kLineFrequency, kLineStart, kLineLoop,
                         kLineEnd, kLineLoopmode, kLineVolume})
            out << p[static_cast<std::size_t>(line)] << (line == kLineVolume ? "" : ", ");
        if (it->value.area() == Area::Ram && !PointsInsideWave(r)) out << "  [points outside its wave]";
        out << '\n';
    }
}

// ---- tone subcommands -----------------------------------------------------

int ExportWav(const Options& o, std::ostream& err) {
    if (o.positional.size() != 3) return UsageError(err, "tone export-wav", "expects IMAGE TONE OUT.wav");
    auto img = Open(o.positional[0]);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(img->doc);
    std::string problem;
    auto ref = FindTone(ed, o.positional[1], problem);
    if (!ref) return UsageError(err, "tone export-wav", problem);
    const WaveExportOptions wo{!o.has("--no-regions"), o.has("--mrk"), o.has("--smpl"), false};
    auto wave = BuildToneWave(img->doc, ed.areas(), *ref, wo);
    if (!wave) return Refuse(err, wave.failure());
    const fs::path out = o.positional[2];
    if (!WritePlain(out, WaveFileBytes(*wave, wo))) return Refuse(err, Fail(veldin::text::kCantCreateFile));
    if (wo.mrk) WritePlain(MrkPathFor(out), std::span(reinterpret_cast<const std::uint8_t*>(wave->mrk.data()), wave->mrk.size()));
    return kOk;
}

int ImportWav(const Options& o, std::ostream& err) {
    if (o.positional.size() != 2) return UsageError(err, "tone import-wav", "expects IMAGE WAV");
    auto img = OpenForChange(o.positional[0], o);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(*img->adapter);
    std::string problem;
    if (!SelectTarget(ed, o, problem)) return UsageError(err, "tone import-wav", problem);
    CliUi ui;
    if (const std::string* s = o.value("--stereo")) {
        if (*s != "left" && *s != "both") return UsageError(err, "tone import-wav", "--stereo takes left or both");
        ui.answer = *s == "left" ? Answer::Yes : Answer::No;
    }
    const auto target = ed.target();
    auto wav = ReadWhole(o.positional[1]);
    if (!wav) return Refuse(err, Fail(tone::text::kCantOpenFile, Icon::None));
    const WaveImportOptions wo{MainDir(o), o.has("--log"), ".", o.has("--resample")};
    auto file = WaveToToneFile(*wav, fs::path(o.positional[1]).filename().string(), wo, ui);
    if (ui.unanswered) return UsageError(err, "tone import-wav", "the file is stereo: give --stereo left or --stereo both");
    if (!file) return Refuse(err, file.failure());
    if (auto st = ed.importToneFile(*file, target); !st) return Refuse(err, st.failure());
    return SaveAndClose(*img, o, err);
}

int SaveTone(const Options& o, std::ostream& err) {
    if (o.positional.size() != 3) return UsageError(err, "tone save", "expects IMAGE TONE OUT");
    auto img = Open(o.positional[0]);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(img->doc);
    std::string problem;
    auto ref = FindTone(ed, o.positional[1], problem);
    if (!ref) return UsageError(err, "tone save", problem);
    auto x = ExtractToneFile(img->doc, ed.areas(), *ref);
    if (!x) return Refuse(err, x.failure());
    const fs::path out = o.positional[2];
    const SaveKind kind = out.extension() == ".ston" ? SaveKind::Subtone : SaveKind::Tone;
    if (!WritePlain(out, SaveToneBytes(x->file, kind))) return Refuse(err, Fail(veldin::text::kCantCreateFile));
    return kOk;
}

int LoadTone(const Options& o, std::ostream& err) {
    if (o.positional.size() != 2) return UsageError(err, "tone load", "expects IMAGE FILE");
    auto img = OpenForChange(o.positional[0], o);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(*img->adapter);
    std::string problem;
    if (!SelectTarget(ed, o, problem)) return UsageError(err, "tone load", problem);
    auto bytes = ReadWhole(o.positional[1]);
    if (!bytes) return Refuse(err, Fail(tone::text::kCantOpenFile, Icon::None));
    if (auto st = ed.importToneFile(*bytes, ed.target()); !st) return Refuse(err, st.failure());
    return SaveAndClose(*img, o, err);
}

int DeleteTone(const Options& o, std::ostream& err) {
    if (o.positional.size() != 2) return UsageError(err, "tone delete", "expects IMAGE TONE");
    auto img = OpenForChange(o.positional[0], o);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(*img->adapter);
    std::string problem;
    auto ref = FindTone(ed, o.positional[1], problem);
    if (!ref) return UsageError(err, "tone delete", problem);
    // A tone that the tree does not show (a subtone without original) is still deleted.
    if (auto st = ed.deleteTone(*ref); !st) return Refuse(err, st.failure());
    return SaveAndClose(*img, o, err);
}

int RenameTone(const Options& o, std::ostream& err) {
    if (o.positional.size() != 3) return UsageError(err, "tone rename", "expects IMAGE TONE NAME");
    auto img = OpenForChange(o.positional[0], o);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(*img->adapter);
    std::string problem;
    auto ref = FindTone(ed, o.positional[1], problem);
    if (!ref) return UsageError(err, "tone rename", problem);
    const ItemId id = ed.tree().findValue(*ref);
    if (id == kNoItem) return UsageError(err, "tone rename", "the tone is not shown in the tree");
    if (auto st = ed.rename(id, o.positional[2]); !st) return Refuse(err, st.failure());
    return SaveAndClose(*img, o, err);
}

int SetTone(const Options& o, std::ostream& err) {
    if (o.positional.size() < 3) return UsageError(err, "tone set", "expects IMAGE TONE FIELD=VALUE...");
    auto img = OpenForChange(o.positional[0], o);
    if (!img) return Refuse(err, img.failure());
    ToneEditor ed(*img->adapter);
    std::string problem;
    auto ref = FindTone(ed, o.positional[1], problem);
    if (!ref) return UsageError(err, "tone set", problem);
    ToneRecord r = *ed.areas().find(*ref);
    for (std::size_t i = 2; i < o.positional.size(); ++i) {
        const std::string& a = o.positional[i];
        const auto eq = a.find('=');
        const ToneField* f = eq == std::string::npos ? nullptr : FindToneField(a.substr(0, eq));
        if (!f) return UsageError(err, "tone set", "unknown field in '" + a + "'");
        char* end = nullptr;
        const long long v = std::strtoll(a.c_str() + eq + 1, &end, 10);
        if (eq + 1 == a.size() || *end != '\0') return UsageError(err, "tone set", "not a number in '" + a + "'");
        if (auto st = SetField(r, *f, v); !st) return Refuse(err, Fail(st.failure().text + " (" + a + ")"));
    }
    const ItemId id = ed.tree().findValue(*ref);
    const TreeItem* parent = ed.tree().item(ed.tree().item(id) ? ed.tree().item(id)->parent : kNoItem);
    if (auto st = ed.changeToneDetails(kCmdChange, *ref, parent ? parent->value : kNoTone, r); !st)
        return Refuse(err, st.failure());
    return SaveAndClose(*img, o, err);
}

} // namespace

int RunTones(const Args& args, std::ostream& out, std::ostream& err) {
    std::string problem;
    auto o = Parse(args, {}, {"--json"}, problem);
    if (!o) return UsageError(err, "tones", problem);
    if (o->positional.size() != 1) return UsageError(err, "tones", "expects one IMAGE");
    auto img = Open(o->positional[0]);
    if (!img) return Refuse(err, img.failure());
    const ToneEditor ed(img->doc);
    if (!ed.areas().ram() && !ed.areas().rom()) return Refuse(err, Fail(tone::text::kNoToneAreas));
    if (o->has("--json")) PrintTonesJson(out, o->positional[0], ed);
    else PrintTonesText(out, ed);
    return kOk;
}

int RunTone(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "tone", "expects a subcommand");
    const std::string sub = args[0];
    const Args rest(args.begin() + 1, args.end());
    std::string problem;
    std::optional<Options> o;
    if (sub == "export-wav") o = Parse(rest, {}, {"--no-regions", "--mrk", "--smpl"}, problem);
    else if (sub == "import-wav") o = Parse(rest, {"--bank", "--onto", "--stereo", "--main-dir", "-o"}, {"--log", "--resample"}, problem);
    else if (sub == "load") o = Parse(rest, {"--bank", "--onto", "--main-dir", "-o"}, {}, problem);
    else if (sub == "save") o = Parse(rest, {}, {}, problem);
    else if (sub == "delete" || sub == "rename" || sub == "set") o = Parse(rest, {"--main-dir", "-o"}, {}, problem);
    else return UsageError(err, "tone", "unknown subcommand '" + sub + "'");
    if (!o) return UsageError(err, "tone " + sub, problem);
    (void)out;
    if (sub == "export-wav") return ExportWav(*o, err);
    if (sub == "import-wav") return ImportWav(*o, err);
    if (sub == "save") return SaveTone(*o, err);
    if (sub == "load") return LoadTone(*o, err);
    if (sub == "delete") return DeleteTone(*o, err);
    if (sub == "rename") return RenameTone(*o, err);
    return SetTone(*o, err);
}

} // namespace veldin::cli
