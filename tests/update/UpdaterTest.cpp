#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "tests/update/UpdateFakes.h"
#include "update/Manifest.h"
#include "update/PackedFile.h"
#include "update/Publish.h"
#include "update/SafeName.h"
#include "update/Updater.h"

namespace veldin::update {
namespace {

using veldin::test::ReadFile;
using veldin::test::ScriptedUi;
using veldin::test::TempDir;
using veldin::test::WriteFile;
namespace fs = std::filesystem;
using test::MapDownloader;
using test::RecordingShell;
using test::RecordingView;
using test::ServeFolder;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::string Marked(std::string_view version, std::string_view body) {
    return std::string(body) + std::string(kVersionMarker) + std::string(version) + '\0';
}

Entry MakeEntry(std::string_view fullName, EntryKind kind, FileVersion v = {}) {
    Entry e = EntryForName(fullName);
    e.kind = static_cast<std::uint32_t>(kind);
    e.version = v;
    return e;
}

// An installation directory, a server in memory and everything the run talks to.
struct Rig {
    TempDir root;
    fs::path install = root / "install";
    MapDownloader server;
    RecordingView view;
    ScriptedUi ui;
    MemorySettingsStore settings;
    RecordingShell shell;
    VersionFile details;
    SigningKey publisher = SigningKey::Generate();
    std::uint32_t published = 1796729400;
    std::map<std::string, std::uint32_t> modes; // by packed name; 0644 when not given

    Rig() { fs::create_directories(install); }
    std::uint32_t modeOf(std::string_view name) {
        return static_cast<std::uint32_t>(fs::status(install / std::string(name)).permissions() & fs::perms::mask);
    }

    void offer(const Entry& e, const std::vector<std::uint8_t>& packedFile) {
        details.entries.push_back(e);
        server.files[PackedName(e.fullName())] = packedFile;
    }
    void offer(const Entry& e, std::string_view content) { offer(e, PackFile(Bytes(content))); }

    // Serves the details and a manifest of everything served, signed by the publisher.
    void publish() {
        server.files[std::string(kVersionFileName)] = WriteVersionFile(details);
        sign();
    }
    // Signs what is served now; a publisher can list only plain file names.
    void sign() {
        server.files.erase(std::string(kManifestFileName));
        std::vector<ManifestFile> listed;
        for (const auto& [name, bytes] : server.files)
            if (IsSafeFileName(name)) listed.push_back(DescribeFile(name, bytes, modes.contains(name) ? modes[name] : 0644));
        server.files[std::string(kManifestFileName)] = SignManifest(published, listed, publisher);
    }
    Result<UpdateSummary> serve(bool dryRun = false) {
        return RunUpdate({"http://127.0.0.1:1/update/", install, dryRun, {publisher.publicKey()}},
                         {server, view, ui, settings, shell});
    }
    Result<UpdateSummary> run(bool dryRun = false) {
        publish();
        return serve(dryRun);
    }
    std::string installed(std::string_view name) {
        const auto b = ReadFile(install / std::string(name));
        return {b.begin(), b.end()};
    }
};

// With nothing offered the run ends at "details downloaded"; signed bytes that are no
// update details are corrupted.
TEST(Updater, NothingOfferedAndCorruptedDetails) {
    Rig none;
    ASSERT_TRUE(none.run().ok());
    EXPECT_EQ(none.view.statuses.back(), text::kDetailsDownloaded);
    EXPECT_EQ(none.server.requested, (std::vector<std::string>{"veldin.ver", "veldin.manifest"}));

    Rig c;
    c.server.files["veldin.ver"] = Bytes("DPUX0000000000000000");
    c.sign();
    ASSERT_FALSE(c.serve().ok());
    EXPECT_EQ(c.view.statuses.back(), text::kDetailsCorrupted);
}

// A packed file without "AP32", a damaged stream and a download that breaks off leave
// the installed files exactly as they were; the other entries are still updated.
TEST(Updater, FailuresLeaveInstalledFilesUntouched) {
    Rig r;
    for (const char* name : {"a.exe", "b.exe", "c.exe"}) WriteFile(r.install / name, Bytes(Marked("1.0.0.0", name)));
    const auto v2 = FileVersion::FromParts(2, 0, 0, 0);
    r.offer(MakeEntry("a.exe", EntryKind::Normal, v2), Bytes("MZ not packed at all"));
    auto damaged = PackFile(Bytes(Marked("2.0.0.0", "a longer new body for b, a longer new body for b")));
    damaged.resize(damaged.size() - 3);
    r.offer(MakeEntry("b.exe", EntryKind::Normal, v2), damaged);
    r.offer(MakeEntry("c.exe", EntryKind::Normal, v2), "new c");
    r.server.broken.insert("c.ex_");
    r.offer(MakeEntry("d.txt", EntryKind::Forced), "fine");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->failed, (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
    EXPECT_EQ(s->updated, (std::vector<std::string>{"d.txt"}));
    for (const char* name : {"a.exe", "b.exe", "c.exe"}) EXPECT_EQ(r.installed(name), Marked("1.0.0.0", name));
    EXPECT_EQ(r.ui.texts(), (std::vector<std::string>{std::string(text::kNotApPacked), std::string(text::kPackedFileDamaged)}));
    EXPECT_EQ(r.ui.shown()[0].title, text::kTitle);
    EXPECT_EQ(r.view.statuses.back(), text::kSomeFilesFailed);
    EXPECT_EQ(std::distance(fs::directory_iterator(r.install), fs::directory_iterator()), 4);
}

// Whatever is changed on the way, or signed by someone else, nothing is installed, not
// even the files that came before the changed one; the reason is shown once.
TEST(Updater, UpdatesThatAreNotAsSignedChangeNothing) {
    struct Case {
        const char* what;
        void (*forge)(Rig&);
        std::string_view reason;
    };
    static const Case cases[] = {
        {"no manifest", [](Rig& r) { r.server.files.erase("veldin.manifest"); }, text::kManifestMissing},
        {"manifest damaged", [](Rig& r) { r.server.files["veldin.manifest"].pop_back(); }, text::kManifestDamaged},
        {"signed by another key",
         [](Rig& r) {
             const SigningKey trusted = r.publisher;
             r.publisher = SigningKey::Generate();
             r.publish();
             r.publisher = trusted;
         },
         text::kManifestUnknownKey},
        {"list changed after signing",
         [](Rig& r) {
             auto& m = r.server.files["veldin.manifest"];
             const std::string body(m.begin(), m.end());
             const auto at = body.find(" 0644 ") + 1;
             m[at + 3] = '5'; // 0644 -> 0645
         },
         text::kManifestBadSignature},
        {"details changed after signing", [](Rig& r) { r.server.files["veldin.ver"][4] ^= 0x20; }, text::kFileNotAsSigned},
        {"file changed after signing", [](Rig& r) { r.server.files["b.ex_"][9] ^= 0x01; }, text::kFileNotAsSigned},
        {"file longer than signed", [](Rig& r) { r.server.files["b.ex_"].push_back(0); }, text::kFileNotAsSigned},
    };
    for (const auto& c : cases) {
        Rig r;
        const auto v2 = FileVersion::FromParts(2, 0, 0, 0);
        WriteFile(r.install / "b.exe", Bytes(Marked("1.0.0.0", "old b")));
        r.offer(MakeEntry("a.exe", EntryKind::Normal, v2), Marked("2.0.0.0", "new a"));
        r.offer(MakeEntry("b.exe", EntryKind::Normal, v2), Marked("2.0.0.0", "new b"));
        r.offer(MakeEntry("c.reg", EntryKind::Registry), "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"P\"=\"x\"\n");
        r.publish();
        c.forge(r);
        auto s = r.serve();
        ASSERT_FALSE(s.ok()) << c.what;
        EXPECT_EQ(s.failure().text, text::kDetailsCorrupted) << c.what;
        EXPECT_EQ(r.view.statuses.back(), text::kDetailsCorrupted) << c.what;
        ASSERT_EQ(r.ui.shown().size(), 1u) << c.what;
        EXPECT_TRUE(r.ui.shown()[0].text.starts_with(c.reason)) << c.what << ": " << r.ui.shown()[0].text;
        EXPECT_EQ(r.installed("b.exe"), Marked("1.0.0.0", "old b")) << c.what;
        EXPECT_FALSE(fs::exists(r.install / "a.exe")) << c.what;
        EXPECT_EQ(r.settings.valueCount(), 0u) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(r.install), fs::directory_iterator()), 1) << c.what;
    }
}

// An old signed update served again cannot take files back: it is refused once a newer
// one of the same publisher was installed. Another publisher's dates do not count, and a
// dry run remembers nothing.
TEST(Updater, OlderUpdateOfThePublisherIsRefused) {
    Rig r;
    r.offer(MakeEntry("a.txt", EntryKind::Forced), "old a");
    r.published = 1000;
    r.publish();
    const auto oldServer = r.server.files;
    r.server.files["a.tx_"] = PackFile(Bytes("new a"));
    r.published = 2000;
    ASSERT_TRUE(r.run(true).ok());
    r.server.files = oldServer;
    ASSERT_TRUE(r.serve().ok()) << "a dry run of a newer update remembers nothing";
    r.server.files["a.tx_"] = PackFile(Bytes("new a"));
    ASSERT_TRUE(r.run().ok());
    EXPECT_EQ(r.installed("a.txt"), "new a");

    r.server.files = oldServer;
    r.ui.clear();
    auto s = r.serve();
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(r.view.statuses.back(), text::kDetailsCorrupted);
    EXPECT_EQ(r.ui.texts(), (std::vector<std::string>{std::string(text::kManifestOlder)}));
    EXPECT_EQ(r.installed("a.txt"), "new a");

    r.published = 2000; // the same update again is fine
    r.server.files["a.tx_"] = PackFile(Bytes("new a"));
    ASSERT_TRUE(r.run().ok());
    const SigningKey mine = r.publisher;
    r.publisher = SigningKey::Generate(); // another publisher, with an older date
    r.published = 10;
    r.publish();
    auto other = RunUpdate({"http://h/update/", r.install, false, {mine.publicKey(), r.publisher.publicKey()}},
                           {r.server, r.view, r.ui, r.settings, r.shell});
    EXPECT_TRUE(other.ok());
}

// A file new to the installation gets the mode it was published with (never writable by
// group or others); a file that was there keeps its own.
TEST(Updater, NewFilesKeepThePublishedMode) {
    struct Case {
        const char* name;
        std::uint32_t published;
        std::uint32_t installed;
    };
    const Case cases[] = {{"tool", 0755, 0755}, {"private.txt", 0600, 0600}, {"open.txt", 0666, 0644}};
    Rig r;
    for (const auto& c : cases) {
        r.offer(MakeEntry(c.name, EntryKind::Forced), c.name);
        r.modes[PackedName(c.name)] = c.published;
    }
    WriteFile(r.install / "kept.txt", Bytes("old"));
    fs::permissions(r.install / "kept.txt", fs::perms::owner_read | fs::perms::owner_write);
    r.offer(MakeEntry("kept.txt", EntryKind::Forced), "new");
    r.modes["kept.tx_"] = 0755;
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    ASSERT_TRUE(s->failed.empty());
    for (const auto& c : cases) EXPECT_EQ(r.modeOf(c.name), c.installed) << c.name;
    EXPECT_EQ(r.modeOf("kept.txt"), 0600u);
    EXPECT_EQ(r.installed("kept.txt"), "new");
}

// The tenth file cannot be written (a folder stands in its place): the nine before it
// are replaced whole, the tenth is left as it was, and the status says so.
TEST(Updater, PartialUpdateKeepsWhatWasReplaced) {
    Rig r;
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        WriteFile(r.install / name, Bytes("old"));
        r.offer(MakeEntry(name, EntryKind::Forced), "new " + name);
    }
    fs::remove(r.install / "f10.txt");
    fs::create_directories(r.install / "f10.txt" / "inside");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->updated.size(), 9u);
    EXPECT_EQ(s->failed, (std::vector<std::string>{"f10.txt"}));
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(r.installed("f" + std::to_string(i) + ".txt"), "new f" + std::to_string(i) + ".txt");
    EXPECT_TRUE(fs::is_directory(r.install / "f10.txt" / "inside"));
    EXPECT_EQ(r.view.statuses.back(), text::kSomeFilesFailed);
    EXPECT_NE(std::find(r.view.statuses.begin(), r.view.statuses.end(), std::string(text::kFileNotUpdated) + "f10.txt!"),
              r.view.statuses.end());
}

TEST(Updater, TraversalNamesWriteNothingOutside) {
    Rig r;
    const fs::path outside = r.root.path() / "victim.txt";
    WriteFile(outside, Bytes("keep"));
    for (std::string_view evil : {"../victim.txt", "..\\victim.txt", "/tmp/veldin-evil.txt", "sub/inner.txt", "..", "C:evil"}) {
        Entry e = EntryForName(evil);
        e.kind = 0;
        r.offer(e, "overwritten");
    }
    // A name whose suffix smuggles the separator in.
    Entry tricky;
    tricky.name = "..";
    tricky.suffix = {'/', 'v', 'i', 'c'};
    r.offer(tricky, "overwritten");
    r.offer(MakeEntry("good.txt", EntryKind::Forced), "good");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->failed.size(), 7u);
    EXPECT_EQ(s->updated, (std::vector<std::string>{"good.txt"}));
    EXPECT_EQ(ReadFile(outside), Bytes("keep"));
    EXPECT_FALSE(fs::exists("/tmp/veldin-evil.txt"));
    EXPECT_FALSE(fs::exists(r.install / "sub"));
    EXPECT_EQ(std::distance(fs::directory_iterator(r.install), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(r.root.path()), fs::directory_iterator()), 2); // install + victim
    // Nothing was even downloaded for them.
    EXPECT_EQ(r.server.requested, (std::vector<std::string>{"veldin.ver", "veldin.manifest", "good.tx_"}));
    EXPECT_EQ(r.ui.texts().size(), 7u);
    EXPECT_EQ(r.ui.texts()[0], std::string(text::kUnsafeName) + "../victim.txt");
}

// A settings file is imported and a "Launch" file opened; a damaged settings file changes
// no setting (only the date of the update is remembered) and says so.
TEST(Updater, SettingsFilesAreImportedAndLaunchFilesOpened) {
    const std::string head = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN\\Tone Editor]\r\n";
    for (bool damaged : {false, true}) {
        Rig r;
        r.offer(MakeEntry("veldin.reg", EntryKind::Registry),
                head + "\"Tree\"=dword:00000002\r\n" + (damaged ? "\"Broken\n" : ""));
        r.offer(MakeEntry("news.html", EntryKind::Launch), "<p>new</p>");
        auto s = r.run();
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(s->failed, damaged ? std::vector<std::string>{"veldin.reg"} : std::vector<std::string>{});
        EXPECT_EQ(r.shell.opened, std::vector<fs::path>{r.install / "news.html"});
        const auto* tree = r.settings.find("Tone Editor", "Tree");
        if (damaged) {
            EXPECT_EQ(tree, nullptr);
            EXPECT_EQ(r.settings.valueCount(), 1u);
            EXPECT_EQ(r.ui.texts(), (std::vector<std::string>{std::string(text::kSettingsFileBad)}));
        } else {
            ASSERT_NE(tree, nullptr);
            EXPECT_EQ(tree->bytes, (std::vector<std::uint8_t>{2, 0, 0, 0}));
        }
    }
}

// veldin-publish's folder: a file with a file version is "Normal", a ".reg" file
// "Registry", any other "Forced" unless set; served as it is, the installed files equal
// the published ones. Two names that pack to the same name are refused before anything is
// written.
TEST(Publish, KindsRoundTripAndCollisions) {
    Rig r;
    const fs::path src = r.root / "src", out = r.root / "out";
    fs::create_directories(src);
    WriteFile(src / "veldin", Bytes(Marked("0.2.0.1", "launcher")));
    WriteFile(src / "libQuilla.so", Bytes(Marked("0.2.0.1", std::string(50000, 'q'))));
    WriteFile(src / "settings.reg",
              Bytes("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"Update Server\"=\"x\"\n"));
    WriteFile(src / "help.html", Bytes("<p>"));
    WriteFile(src / "notes.txt", Bytes("notes"));
    auto published = Publish(src, out, r.publisher, {{"help.html", EntryKind::Launch}});
    ASSERT_TRUE(published.ok()) << published.failure().text;
    std::vector<std::string> kinds;
    for (const auto& p : *published) kinds.push_back(p.entry.fullName() + " " + std::string(KindName(p.entry.kind)));
    EXPECT_EQ(kinds, (std::vector<std::string>{"help.html Launch", "libQuilla.so Normal", "notes.txt Forced",
                                               "settings.reg Registry", "veldin Normal"}));
    ServeFolder(r.server, out);
    auto s = r.serve();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->updated.size(), 5u);
    for (const char* name : {"veldin", "libQuilla.so", "settings.reg", "help.html", "notes.txt"})
        EXPECT_EQ(ReadFile(r.install / name), ReadFile(src / name)) << name;
    EXPECT_NE(r.settings.find("", "Update Server"), nullptr);

    EXPECT_FALSE(Publish(src, r.root / "out2", r.publisher, {{"nothere", EntryKind::Launch}}).ok());
    EXPECT_FALSE(Publish(r.root / "missing", r.root / "out3", r.publisher).ok());
    WriteFile(src / "help.htm_", Bytes("other"));
    auto clash = Publish(src, r.root / "out4", r.publisher);
    ASSERT_FALSE(clash.ok());
    EXPECT_EQ(clash.failure().text, std::string(text::kPublishSameName) + "help.htm_");
    EXPECT_FALSE(fs::exists(r.root / "out4" / "veldin.ver"));
}

} // namespace
} // namespace veldin::update
