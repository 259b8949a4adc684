// veldin-cli commands of the MIDI Editor: new song disks, the song list, conversions
// between songs and MIDI files, song files, and the changes of a song volume.
#include <charconv>
#include "core/InstallLayout.h"
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

#include "core/FileRead.h"
#include "cli/Commands.h"
#include "cli/SongCommands.h"
#include "core/Document.h"
#include "core/FileReplacement.h"
#include "midi/DocumentSongImage.h"
#include "platform/os/FileOps.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "midi/MidiTexts.h"
#include "midi/MidiToSong.h"
#include "midi/SongDiskFiles.h"
#include "midi/SongToMidi.h"
#include "midi/SongVolume.h"

namespace veldin::cli {
namespace {

using namespace veldin::midi;

// Messages and warnings of the logic go to standard error; questions are not asked.
class TerminalUi final : public UserInteraction {
public:
    explicit TerminalUi(std::ostream& err) : err_(err) {}
    void message(std::string_view text, std::string_view, Icon icon) override {
        err_ << "veldin-cli: " << (icon == Icon::Warning ? "warning: " : "") << TerminalText(text) << '\n';
    }
    // Nothing is asked: a command saves explicitly, and a document closed without a save
    // drops its changes.
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::No; }

private:
    std::ostream& err_;
};

class FixedName final : public SongNamePrompt {
public:
    explicit FixedName(std::string name) : name_(std::move(name)) {}
    std::optional<std::string> askSongName(std::string_view) override { return name_; }

private:
    std::string name_;
};

struct Options {
    std::vector<std::string> positional;
    std::optional<std::string> output; // -o OUT: Save As
    std::optional<std::string> log;    // --log DIR
    std::vector<std::pair<std::string, std::string>> named;
    bool json = false;
    std::optional<std::string> bad;

    const std::string* get(std::string_view key) const {
        for (const auto& [k, v] : named)
            if (k == key) return &v;
        return nullptr;
    }
};

Options Parse(const Args& args, std::initializer_list<std::string_view> valued) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "-o" || a == "--log" || a == "--main-dir" || std::find(valued.begin(), valued.end(), a) != valued.end();
        if (takesValue) {
            if (i + 1 >= args.size()) {
                o.bad = "option '" + a + "' needs a value";
                return o;
            }
            const std::string& v = args[++i];
            if (a == "-o") o.output = v;
            else if (a == "--log") o.log = v;
            else o.named.emplace_back(a, v);
        } else if (a == "--json") {
            o.json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            o.bad = "unknown option '" + a + "'";
            return o;
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

std::optional<std::filesystem::path> LogDir(const Options& o) {
    if (o.log) return std::filesystem::path(*o.log);
    return std::nullopt;
}

Result<std::vector<std::uint8_t>> ReadWhole(const std::filesystem::path& p) {
    auto bytes = ReadFileBytes(p, text::kCantOpenSpecified);
    if (bytes && bytes->empty()) return Fail(text::kCantOpenSpecified);
    return bytes;
}

Status WriteWhole(const std::filesystem::path& p, std::span<const std::uint8_t> bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(text::kCantCreateFile);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return Fail(text::kCantCreateFile);
    return {};
}

// The main directory holds the templates and the session files of the undo store; by
// default it is the installation's (the program's folder, or the user's data folder).
std::filesystem::path MainDir(const Options& o) {
    if (const std::string* d = o.get("--main-dir")) return *d;
    return DefaultMainDirectory();
}

// An open song disk: the document, the song logic's view of it, its volume and its list.
struct Disk {
    std::unique_ptr<Document> document;
    std::unique_ptr<DocumentSongImage> image;
    std::optional<SongVolume> volume;
    SongList list;
};

// Opens IMAGE as the editors do (after cleaning up what ended processes left behind).
Result<Disk> OpenDisk(const std::string& path, const Options& o, UserInteraction& ui) {
    const Workspace workspace = Workspace::System(MainDir(o));
    UndoStore::Recover(workspace);
    auto document = Document::Open(workspace, path);
    if (!document) return document.failure();
    Disk d;
    d.document = std::move(*document);
    if (!d.document->definition().hasSongs) return Fail(text::kFatCorrupted);
    d.image = std::make_unique<DocumentSongImage>(*d.document);
    auto volume = SongVolume::load_fat_area(*d.image, d.document->definition(), LogDir(o));
    if (!volume) return volume.failure();
    d.volume.emplace(std::move(*volume));
    d.list = d.volume->listSongs(ui);
    return d;
}

// Save, or with -o OUT Save As (the same family: byte for byte), leaving IMAGE as it was.
int SaveDisk(const Disk& d, const Options& o, std::ostream& err) {
    const Status s = o.output ? d.document->saveAs(SamplerChoice::W30, *o.output) : d.document->save();
    if (!s) return Refuse(err, s.failure());
    return kOk;
}

// SONG: a listed position (2-65) or a song name.
std::optional<int> FindSong(const SongList& list, const std::string& song) {
    int position = 0;
    const auto [end, ec] = std::from_chars(song.data(), song.data() + song.size(), position);
    if (ec == std::errc{} && end == song.data() + song.size() && list.find(position)) return position;
    if (const SongRow* r = list.findByName(song)) return r->position;
    return std::nullopt;
}

int NoSuchSong(std::ostream& err, std::string_view command, const std::string& song) {
    err << "veldin-cli " << command << ": no song '" << song << "' on this disk\n";
    return kRefused;
}

Result<std::vector<std::uint8_t>> SongBytes(const Disk& d, int position) {
    auto info = d.volume->songAt(position);
    if (!info) return info.failure();
    if (!*info) return Fail(text::kNotASong);
    return d.volume->readSong(*d.image, **info);
}

int SongToMidiCommand(const Options& o, std::ostream& err, TerminalUi& ui) {
    if (o.positional.size() != 4) return UsageError(err, "song", "to-midi expects IMAGE SONG OUT.mid");
    SongToMidiOptions options;
    if (const std::string* t = o.get("--track-names")) {
        if (*t == "track") options.trackNames = TrackNameSource::Track;
        else if (*t == "patch") options.trackNames = TrackNameSource::Patch;
        else if (*t == "both") options.trackNames = TrackNameSource::TrackAndPatch;
        else return UsageError(err, "song", "--track-names takes track, patch or both");
    }
    auto d = OpenDisk(o.positional[1], o, ui);
    if (!d) return Refuse(err, d.failure());
    const auto position = FindSong(d->list, o.positional[2]);
    if (!position) return NoSuchSong(err, "song to-midi", o.positional[2]);
    auto song = SongBytes(*d, *position);
    if (!song) return Refuse(err, song.failure());
    options.patchName = PatchNamesOf(*d->image, d->document->definition());
    options.logDir = LogDir(o);
    auto midi = song_to_midi(*song, ui, options);
    if (!midi) return Refuse(err, midi.failure());
    if (const Status s = WriteWhole(o.positional[3], *midi); !s) return Refuse(err, s.failure());
    return kOk;
}

int StoreSong(Disk& d, std::span<const std::uint8_t> song, const Options& o, std::ostream& out, std::ostream& err) {
    auto position = d.volume->insert_song_file(*d.image, song, d.list.freeBytes);
    if (!position) return Refuse(err, position.failure());
    if (const int rc = SaveDisk(d, o, err); rc != kOk) return rc;
    out << "stored at position " << *position << " (SONG" << (SongIdOf(*position) < 10 ? "0" : "") << SongIdOf(*position)
        << ")\n";
    return kOk;
}

int SongFromMidiCommand(const Options& o, std::ostream& out, std::ostream& err, TerminalUi& ui) {
    if (o.positional.size() != 3) return UsageError(err, "song", "from-midi expects IMAGE FILE.mid");
    const std::filesystem::path file = o.positional[2];
    MidiToSongOptions options;
    options.fileName = file.filename().string();
    options.logDir = LogDir(o);
    std::optional<FixedName> typed;
    if (const std::string* n = o.get("--name")) {
        if (*n == "filename") options.songName = SongNameSource::Filename;
        else if (*n == "title") options.songName = SongNameSource::Title;
        else {
            options.songName = SongNameSource::Prompt;
            typed.emplace(*n);
            options.prompt = &*typed;
        }
    }
    auto d = OpenDisk(o.positional[1], o, ui);
    if (!d) return Refuse(err, d.failure());
    if (d->list.freePositions <= 0 || d->list.freeBytes <= 0) return Refuse(err, Fail(text::kNoFreeSpace));
    auto bytes = ReadWhole(file);
    if (!bytes) return Refuse(err, bytes.failure());
    int rc = kOk;
    options.store = [&](std::span<const std::uint8_t> song) { rc = StoreSong(*d, song, o, out, err); };
    auto song = midi2song(*bytes, ui, options);
    if (!song) return Refuse(err, song.failure());
    return rc;
}

} // namespace

int RunSongs(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args, {});
    if (o.bad) return UsageError(err, "songs", *o.bad);
    if (o.positional.size() != 1) return UsageError(err, "songs", "expects one IMAGE");
    TerminalUi ui(err);
    auto d = OpenDisk(o.positional[0], o, ui);
    if (!d) return Refuse(err, d.failure());
    const SongList& l = d->list;
    if (o.json) {
        JsonWriter j(out);
        j.beginObject();
        j.key("file").value(o.positional[0]);
        j.key("label").value(l.label);
        j.key("songs").beginArray();
        for (const auto& r : l.rows) {
            j.beginObject();
            j.key("position").value(static_cast<long long>(r.position));
            j.key("songId").value(static_cast<long long>(r.songId()));
            j.key("name").value(r.name);
            j.key("size").value(static_cast<long long>(r.bytes));
            j.endObject();
        }
        j.endArray();
        j.key("freePositions").value(static_cast<long long>(l.freePositions));
        j.key("freeBytes").value(static_cast<long long>(l.freeBytes));
        j.endObject();
        return kOk;
    }
    out << "Label: \"" << l.label << "\"\n";
    for (const auto& r : l.rows)
        out << "  " << r.position << "  SONG" << (r.songId() < 10 ? "0" : "") << r.songId() << "  \"" << r.name << "\"  "
            << r.bytes << " b\n";
    out << l.freeText() << '\n';
    return kOk;
}

int RunSong(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args, {"--track-names", "--name"});
    if (o.bad) return UsageError(err, "song", *o.bad);
    if (o.positional.empty()) return UsageError(err, "song", "expects a subcommand");
    const std::string& sub = o.positional[0];
    TerminalUi ui(err);
    if (sub == "to-midi") return SongToMidiCommand(o, err, ui);
    if (sub == "from-midi") return SongFromMidiCommand(o, out, err, ui);
    if (sub == "load") {
        if (o.positional.size() != 3) return UsageError(err, "song", "load expects IMAGE FILE.sng");
        auto d = OpenDisk(o.positional[1], o, ui);
        if (!d) return Refuse(err, d.failure());
        if (d->list.freePositions <= 0 || d->list.freeBytes <= 0) return Refuse(err, Fail(text::kNoFreeSpace));
        auto bytes = ReadWhole(o.positional[2]);
        if (!bytes) return Refuse(err, bytes.failure());
        return StoreSong(*d, *bytes, o, out, err);
    }
    if (sub == "save" || sub == "delete" || sub == "rename") {
        const std::size_t want = sub == "delete" ? 3 : 4;
        if (o.positional.size() != want)
            return UsageError(err, "song", sub == "save"     ? "save expects IMAGE SONG OUT.sng"
                                           : sub == "delete" ? "delete expects IMAGE SONG"
                                                             : "rename expects IMAGE SONG NAME");
        auto d = OpenDisk(o.positional[1], o, ui);
        if (!d) return Refuse(err, d.failure());
        const auto position = FindSong(d->list, o.positional[2]);
        if (!position) return NoSuchSong(err, "song " + sub, o.positional[2]);
        if (sub == "save") {
            auto song = SongBytes(*d, *position);
            if (!song) return Refuse(err, song.failure());
            if (const Status s = WriteWhole(o.positional[3], *song); !s) return Refuse(err, s.failure());
            return kOk;
        }
        const Status s = sub == "delete" ? d->volume->delete_song_file(*d->image, *position)
                                         : d->volume->renameSong(*d->image, *position, o.positional[3]);
        if (!s) return Refuse(err, s.failure());
        return SaveDisk(*d, o, err);
    }
    return UsageError(err, "song", "unknown subcommand '" + sub + "'");
}

int RunLabel(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args, {"--set"});
    if (o.bad) return UsageError(err, "label", *o.bad);
    if (o.positional.size() != 1) return UsageError(err, "label", "expects one IMAGE");
    TerminalUi ui(err);
    auto d = OpenDisk(o.positional[0], o, ui);
    if (!d) return Refuse(err, d.failure());
    if (const std::string* text = o.get("--set")) {
        if (const Status s = d->volume->setLabel(*d->image, *text); !s) return Refuse(err, s.failure());
        return SaveDisk(*d, o, err);
    }
    out << d->list.label << '\n';
    return kOk;
}

// The MIDI Editor's second New choice, "Roland W30 Song (*.sng)": the template W30S.dat
// of the main directory (its 126 sectors) followed by 0xA4400 zero bytes. Every other
// family is the document's New.
int RunNewWithSongDisks(const Args& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args, {"--family"});
    const std::string* family = o.get("--family");
    if (o.bad || !family || *family != "w30song") return RunNew(args, out, err);
    if (o.positional.size() != 1) return UsageError(err, "new", "expects one OUT");
    const std::filesystem::path target = o.positional[0];
    if (const Status s = MakeSongDisk(os::SystemFileOps(), MainDir(o), 2, target); !s) return Refuse(err, s.failure());
    // Opened as the editor would open it: the image must be one it takes.
    const Workspace workspace = Workspace::System(MainDir(o));
    auto document = Document::Open(workspace, target);
    if (!document) return Refuse(err, document.failure());
    out << "Created " << target.string() << ": " << (*document)->definition().samplerName << ' '
        << (*document)->definition().kindName << " disk\n";
    return kOk;
}

} // namespace veldin::cli
