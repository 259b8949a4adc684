// veldin-cli cd: listing Roland sample CD-ROMs (drives or disc images) and exporting
// their sound areas as disk images.
#include <charconv>
#include "core/InstallLayout.h"
#include <filesystem>
#include <iomanip>
#include <memory>
#include <ostream>
#include <optional>

#include "cd/BatchExport.h"
#include "cd/CdMessages.h"
#include "cd/CdTables.h"
#include "cd/SoundAreaExport.h"
#include "cli/Commands.h"
#include "platform/CdDrive.h"
#include "platform/DiscImageFile.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;

struct OpenedSource {
    std::unique_ptr<cd::DiscSource> disc;
    std::string kind;   // "CD-ROM" or "Image file"
    std::string format; // "drive", "iso", "raw"
    std::size_t sectorSize = 0;
};

// A drive is a device file; a path below /dev that is not there is taken for a drive
// too, so that a missing /dev/sr1 is reported as a drive. Files (also those on /dev/shm)
// are images.
bool IsDevice(const fs::path& p) {
    std::error_code ec;
    const auto status = fs::status(p, ec);
    if (fs::is_block_file(status) || fs::is_character_file(status)) return true;
    return !fs::exists(status) && p.string().starts_with("/dev/");
}

Result<OpenedSource> OpenSource(const fs::path& path) {
    OpenedSource s;
    if (IsDevice(path)) {
        auto drive = platform::CdDrive::open(path);
        if (!drive) return drive.failure();
        s.disc = std::move(drive).value();
        s.kind = text::kSourceCdRom;
        s.format = "drive";
        s.sectorSize = cd::kRawSectorSize;
        return s;
    }
    auto image = platform::DiscImageFile::open(path);
    if (!image) return image.failure();
    s.kind = text::kSourceImageFile;
    s.format = (*image)->format() == platform::DiscImageFormat::Iso ? "iso" : "raw";
    s.sectorSize = (*image)->sectorSize();
    s.disc = std::move(image).value();
    return s;
}

// Options of the form "--name VALUE" taken out of the arguments; the rest stay in order.
struct Parsed {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    bool json = false;
    std::string error;

    const std::string* option(std::string_view name) const {
        for (const auto& [k, v] : options)
            if (k == name) return &v;
        return nullptr;
    }
};

Parsed ParseArgs(const Args& args, std::initializer_list<std::string_view> valued, bool allowJson) {
    Parsed p;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json" && allowJson) {
            p.json = true;
        } else if (a.starts_with("--")) {
            const bool known = std::find(valued.begin(), valued.end(), a.substr(2)) != valued.end();
            if (!known) {
                p.error = "unknown option '" + a + "'";
            } else if (i + 1 >= args.size()) {
                p.error = "option '" + a + "' needs a value";
            } else {
                p.options.emplace_back(a.substr(2), args[++i]);
            }
        } else {
            p.positional.push_back(a);
        }
    }
    return p;
}

bool ParseNumber(const std::string& s, std::size_t& n) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && n > 0;
}

int Usage(std::ostream& err, std::string_view problem) { return UsageError(err, "cd", problem); }

// ---- cd drives ------------------------------------------------------------------------

int RunDrives(const Args& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) return Usage(err, "'cd drives' takes no arguments");
    for (const auto& d : platform::ListCdDrives())
        out << d.string() << '\n';
    return kOk;
}

// ---- cd list --------------------------------------------------------------------------

struct Listing {
    std::vector<std::vector<std::size_t>> sounds; // per group
    std::vector<std::string> errors;              // per group, empty when listed
};

Listing ListGroups(const cd::CdTables& t) {
    Listing l;
    for (std::size_t g = 0; g < t.groups.size(); ++g) {
        auto s = cd::SoundsOfGroup(t, g);
        l.sounds.push_back(s ? *s : std::vector<std::size_t>{});
        l.errors.push_back(s ? std::string() : s.failure().text);
    }
    return l;
}

void PrintListText(std::ostream& out, const std::string& path, const OpenedSource& src, const cd::CdTables& t,
                   const Listing& l) {
    out << std::left << std::setw(14) << "Source:" << path << " (" << src.kind << ", " << src.sectorSize
        << "-byte sectors, " << src.disc->blockCount() << " blocks)\n";
    for (std::size_t i = 0; i < t.header.description.size(); ++i)
        out << std::setw(14) << (i == 0 ? "Description:" : "") << t.header.description[i] << '\n';
    for (std::size_t g = 0; g < t.groups.size(); ++g) {
        out << "Group " << g + 1 << ": " << t.groups[g].text() << '\n';
        if (!l.errors[g].empty()) {
            out << "  (" << TerminalText(l.errors[g]) << ")\n";
            continue;
        }
        for (std::size_t i = 0; i < l.sounds[g].size(); ++i) {
            const cd::SoundRecord& s = t.sounds[l.sounds[g][i]];
            out << "  " << std::right << std::setw(3) << i + 1 << "  " << std::left << std::setw(40) << s.text()
                << std::right << std::setw(6) << s.units << " units";
            if (auto st = cd::CheckSoundArea(s, t.discUnits); !st)
                out << "  (" << TerminalText(st.failure().text) << ")";
            out << std::left << '\n';
        }
    }
}

void PrintListJson(std::ostream& out, const std::string& path, const OpenedSource& src, const cd::CdTables& t,
                   const Listing& l) {
    JsonWriter j(out);
    j.beginObject();
    j.key("source").value(path);
    j.key("kind").value(src.kind);
    j.key("format").value(src.format);
    j.key("blocks").value(static_cast<long long>(src.disc->blockCount()));
    j.key("description").beginArray();
    for (const auto& d : t.header.description)
        j.value(d);
    j.endArray();
    j.key("groups").beginArray();
    for (std::size_t g = 0; g < t.groups.size(); ++g) {
        j.beginObject();
        j.key("group").value(static_cast<long long>(g + 1));
        j.key("text").value(t.groups[g].text());
        j.key("name").value(cd::TrimText(t.groups[g].name));
        j.key("secondName").value(cd::TrimText(t.groups[g].secondName));
        j.key("firstRecord").value(static_cast<long long>(t.groupMap[g]));
        if (!l.errors[g].empty()) j.key("error").value(l.errors[g]);
        j.key("sounds").beginArray();
        for (std::size_t i = 0; i < l.sounds[g].size(); ++i) {
            const cd::SoundRecord& s = t.sounds[l.sounds[g][i]];
            const auto check = cd::CheckSoundArea(s, t.discUnits);
            j.beginObject();
            j.key("sound").value(static_cast<long long>(i + 1));
            j.key("record").value(static_cast<long long>(l.sounds[g][i]));
            j.key("text").value(s.text());
            j.key("name").value(cd::TrimText(s.name));
            j.key("category").value(cd::TrimText(s.category));
            j.key("firstUnit").value(static_cast<long long>(s.firstUnit));
            j.key("units").value(static_cast<long long>(s.units));
            j.key("exportable").value(check.ok());
            j.endObject();
        }
        j.endArray();
        j.endObject();
    }
    j.endArray();
    j.endObject();
}

struct OpenedDisc {
    OpenedSource source;
    cd::CdTables tables;
};

Result<OpenedDisc> OpenDisc(const std::string& path) {
    auto src = OpenSource(path);
    if (!src) return src.failure();
    auto tables = cd::LoadTables(*src->disc);
    if (!tables) return tables.failure();
    return OpenedDisc{std::move(src).value(), std::move(tables).value()};
}

int RunList(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = ParseArgs(args, {}, true);
    if (!p.error.empty()) return Usage(err, p.error);
    if (p.positional.size() != 1) return Usage(err, "'cd list' expects one SOURCE");
    auto disc = OpenDisc(p.positional[0]);
    if (!disc) return Refuse(err, disc.failure());
    const Listing l = ListGroups(disc->tables);
    if (p.json)
        PrintListJson(out, p.positional[0], disc->source, disc->tables, l);
    else
        PrintListText(out, p.positional[0], disc->source, disc->tables, l);
    int rc = kOk;
    for (std::size_t g = 0; g < l.errors.size(); ++g)
        if (!l.errors[g].empty()) rc = Refuse(err, Fail("group " + std::to_string(g + 1) + ": " + l.errors[g]));
    return rc;
}

// ---- cd export, cd export-all ---------------------------------------------------------

struct ExportOptions {
    const cd::FamilyInfo* family = nullptr;
    fs::path mainDir;
};

std::string ParseExportOptions(const Parsed& p, ExportOptions& o) {
    const std::string* family = p.option("family");
    if (!family) return "--family is required";
    o.family = cd::FindFamily(*family);
    if (!o.family) return "unknown family '" + *family + "' (w30, s50, s330 or s550)";
    const std::string* dir = p.option("main-dir");
    o.mainDir = dir ? fs::path(*dir) : DefaultMainDirectory();
    return {};
}

int RunExport(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = ParseArgs(args, {"group", "sound", "family", "main-dir"}, false);
    if (!p.error.empty()) return Usage(err, p.error);
    if (p.positional.size() != 2) return Usage(err, "'cd export' expects SOURCE and OUT");
    ExportOptions o;
    if (auto problem = ParseExportOptions(p, o); !problem.empty()) return Usage(err, problem);
    std::size_t group = 0, sound = 0;
    if (!p.option("group") || !ParseNumber(*p.option("group"), group))
        return Usage(err, "--group needs a number from 1");
    if (!p.option("sound") || !ParseNumber(*p.option("sound"), sound))
        return Usage(err, "--sound needs a number from 1");

    auto disc = OpenDisc(p.positional[0]);
    if (!disc) return Refuse(err, disc.failure());
    const cd::CdTables& t = disc->tables;
    if (group > t.groups.size())
        return Refuse(err, Fail("the disc has no group " + std::to_string(group) + " (it has " +
                                std::to_string(t.groups.size()) + ")"));
    auto list = cd::SoundsOfGroup(t, group - 1);
    if (!list) return Refuse(err, list.failure());
    if (sound > list->size())
        return Refuse(err, Fail("group " + std::to_string(group) + " has no sound " + std::to_string(sound) +
                                " (it lists " + std::to_string(list->size()) + ")"));
    const cd::SoundRecord& record = t.sounds[(*list)[sound - 1]];
    if (auto st = cd::ExportSoundArea(*disc->source.disc, record, o.family->family, o.mainDir, p.positional[1]); !st)
        return Refuse(err, st.failure());
    out << p.positional[1] << '\n';
    return kOk;
}

int RunExportAll(const Args& args, std::ostream& out, std::ostream& err) {
    const Parsed p = ParseArgs(args, {"group", "family", "main-dir"}, false);
    if (!p.error.empty()) return Usage(err, p.error);
    if (p.positional.size() != 2) return Usage(err, "'cd export-all' expects SOURCE and DIR");
    ExportOptions o;
    if (auto problem = ParseExportOptions(p, o); !problem.empty()) return Usage(err, problem);
    std::optional<std::size_t> group;
    if (const std::string* g = p.option("group")) {
        std::size_t n = 0;
        if (!ParseNumber(*g, n)) return Usage(err, "--group needs a number from 1");
        group = n - 1;
    }
    auto disc = OpenDisc(p.positional[0]);
    if (!disc) return Refuse(err, disc.failure());
    const cd::CdTables& t = disc->tables;
    if (group && *group >= t.groups.size())
        return Refuse(err, Fail("the disc has no group " + std::to_string(*group + 1) + " (it has " +
                                std::to_string(t.groups.size()) + ")"));
    const fs::path dir = p.positional[1];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return Refuse(err, Fail("cannot create the folder " + dir.string()));

    auto summary = cd::ExportBatch(*disc->source.disc, t, cd::PlanBatch(t, group), o.family->family, o.mainDir, dir);
    if (!summary) return Refuse(err, summary.failure());
    for (const fs::path& written : summary->written) out << written.string() << '\n';
    int rc = kOk;
    for (const cd::BatchProblem& f : summary->failed) rc = Refuse(err, Fail(f.what + ": " + f.reason));
    return rc;
}

} // namespace

int RunCd(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Usage(err, "expects a subcommand: drives, list, export or export-all");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "drives") return RunDrives(rest, out, err);
    if (args[0] == "list") return RunList(rest, out, err);
    if (args[0] == "export") return RunExport(rest, out, err);
    if (args[0] == "export-all") return RunExportAll(rest, out, err);
    return Usage(err, "unknown subcommand '" + args[0] + "'");
}

} // namespace veldin::cli
