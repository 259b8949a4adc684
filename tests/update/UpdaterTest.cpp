#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "tests/update/UpdateFakes.h"
#include "update/PackedFile.h"
#include "update/Publish.h"
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

    Rig() { fs::create_directories(install); }

    void offer(const Entry& e, const std::vector<std::uint8_t>& packedFile) {
        details.entries.push_back(e);
        server.files[PackedName(e.fullName())] = packedFile;
    }
    void offer(const Entry& e, std::string_view content) { offer(e, PackFile(Bytes(content))); }

    Result<UpdateSummary> run(bool dryRun = false) {
        server.files[std::string(kVersionFileName)] = WriteVersionFile(details);
        return RunUpdate({"http://127.0.0.1:1/update/", install, dryRun}, {server, view, ui, settings, shell});
    }
    std::string installed(std::string_view name) {
        const auto b = ReadFile(install / std::string(name));
        return {b.begin(), b.end()};
    }
};

TEST(Updater, ReplacesWhatIsNewerAndKeepsWhatIsCurrent) {
    Rig r;
    WriteFile(r.install / "veldin.exe", Bytes(Marked("1.0.0.3", "old launcher")));
    WriteFile(r.install / "Quilla.dll", Bytes(Marked("1.0.0.3", "current module")));
    r.offer(MakeEntry("veldin.exe", EntryKind::Normal, FileVersion::FromParts(1, 0, 0, 4)), Marked("1.0.0.4", "new launcher"));
    r.offer(MakeEntry("Quilla.dll", EntryKind::Normal, FileVersion::FromParts(1, 0, 0, 3)), Marked("1.0.0.3", "same"));
    r.offer(MakeEntry("readme.txt", EntryKind::Forced), "read me");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->updated, (std::vector<std::string>{"veldin.exe", "readme.txt"}));
    EXPECT_TRUE(s->failed.empty());
    EXPECT_EQ(r.installed("veldin.exe"), Marked("1.0.0.4", "new launcher"));
    EXPECT_EQ(r.installed("Quilla.dll"), Marked("1.0.0.3", "current module"));
    EXPECT_EQ(r.installed("readme.txt"), "read me");
    // The current module is not even downloaded; the text file travels as ".tx_".
    EXPECT_EQ(r.server.requested, (std::vector<std::string>{"veldin.ver", "veldin.ex_", "readme.tx_"}));
    ASSERT_EQ(r.view.rows.size(), 2u);
    EXPECT_EQ(r.view.rows[0].type, "Normal");
    EXPECT_EQ(r.view.rows[0].version, "1.0.0.4");
    EXPECT_EQ(r.view.statuses.front(), text::kConnecting);
    EXPECT_EQ(r.view.statuses.back(), text::kUpdatePerformed);
    EXPECT_TRUE(r.ui.shown().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(r.install), fs::directory_iterator()), 3); // nothing left beside
}

TEST(Updater, DryRunOnlyPlans) {
    Rig r;
    r.offer(MakeEntry("veldin.exe", EntryKind::Normal, FileVersion::FromParts(1, 0, 0, 4)), "x");
    r.offer(MakeEntry("odd.bin", static_cast<EntryKind>(9)), "y");
    auto s = r.run(true);
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s->plan.size(), 2u);
    EXPECT_TRUE(s->plan[0].decision.fetch);
    EXPECT_EQ(s->plan[0].decision.why, "not installed");
    EXPECT_FALSE(s->plan[1].decision.fetch);
    EXPECT_EQ(r.server.requested, (std::vector<std::string>{"veldin.ver"}));
    EXPECT_TRUE(fs::is_empty(r.install));

    Rig none; // nothing offered: only the details travel
    ASSERT_TRUE(none.run().ok());
    EXPECT_EQ(none.view.statuses.back(), text::kDetailsDownloaded);
    EXPECT_EQ(none.server.requested.size(), 1u);
}

TEST(Updater, DetailsMissingOrCorrupted) {
    Rig r;
    r.server.broken.insert("veldin.ver");
    auto s = r.run();
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.failure().text, text::kConnectionFailed);
    EXPECT_EQ(r.view.statuses.back(), text::kConnectionFailed);
    EXPECT_NE(std::find(r.view.details.begin(), r.view.details.end(), text::kCantOpenSite), r.view.details.end());

    Rig c;
    c.server.files["veldin.ver"] = Bytes("DPUX0000000000000000");
    auto d = RunUpdate({"http://h/update/", c.install, false}, {c.server, c.view, c.ui, c.settings, c.shell});
    ASSERT_FALSE(d.ok());
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
    EXPECT_EQ(r.server.requested, (std::vector<std::string>{"veldin.ver", "good.tx_"}));
    EXPECT_EQ(r.ui.texts().size(), 7u);
    EXPECT_EQ(r.ui.texts()[0], std::string(text::kUnsafeName) + "../victim.txt");
}

TEST(Updater, SettingsFilesAreImportedAndLaunchFilesOpened) {
    Rig r;
    r.offer(MakeEntry("veldin.reg", EntryKind::Registry),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN\\Tone Editor]\r\n\"Tree\"=dword:00000002\r\n");
    r.offer(MakeEntry("news.html", EntryKind::Launch), "<p>new</p>");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_TRUE(s->failed.empty());
    const auto* tree = r.settings.find("Tone Editor", "Tree");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->bytes, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    ASSERT_EQ(r.shell.opened.size(), 1u);
    EXPECT_EQ(r.shell.opened[0], r.install / "news.html");
}

TEST(Updater, DamagedSettingsFileChangesNoSetting) {
    Rig r;
    r.offer(MakeEntry("veldin.reg", EntryKind::Registry),
            "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"Proxy\"=\"p\"\n\"Broken\n");
    auto s = r.run();
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->failed, (std::vector<std::string>{"veldin.reg"}));
    EXPECT_EQ(r.settings.valueCount(), 0u);
    EXPECT_EQ(r.ui.texts(), (std::vector<std::string>{std::string(text::kSettingsFileBad)}));
}

// veldin-publish's folder, served as it is: the installed files equal the published
// ones, and a second run fetches nothing.
TEST(Publish, FolderRoundTripsThroughAnUpdate) {
    Rig r;
    const fs::path src = r.root / "src", out = r.root / "out";
    fs::create_directories(src);
    WriteFile(src / "veldin", Bytes(Marked("0.2.0.1", "launcher")));
    WriteFile(src / "libQuilla.so", Bytes(Marked("0.2.0.1", std::string(50000, 'q'))));
    WriteFile(src / "settings.reg", Bytes("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"Update Server\"=\"http://x/update/\"\n"));
    auto published = Publish(src, out);
    ASSERT_TRUE(published.ok()) << published.failure().text;
    ASSERT_EQ(published->size(), 3u);
    EXPECT_EQ(KindName(published->at(0).entry.kind), "Normal");
    EXPECT_EQ(KindName(published->at(1).entry.kind), "Registry");
    EXPECT_EQ(KindName(published->at(2).entry.kind), "Normal");
    EXPECT_TRUE(fs::exists(out / "libQuilla.s_"));
    ServeFolder(r.server, out);
    auto s = RunUpdate({"http://h/update", r.install, false}, {r.server, r.view, r.ui, r.settings, r.shell});
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s->updated.size(), 3u);
    for (const char* name : {"veldin", "libQuilla.so", "settings.reg"})
        EXPECT_EQ(ReadFile(r.install / name), ReadFile(src / name)) << name;
    ASSERT_NE(r.settings.find("", "Update Server"), nullptr);

    r.server.requested.clear();
    auto again = RunUpdate({"http://h/update", r.install, false}, {r.server, r.view, r.ui, r.settings, r.shell});
    ASSERT_TRUE(again.ok());
    // Only the settings file, which is always imported, travels again.
    EXPECT_EQ(again->updated, (std::vector<std::string>{"settings.reg"}));
    EXPECT_EQ(r.server.requested, (std::vector<std::string>{"veldin.ver", "settings.re_"}));
}

TEST(Publish, KindsCanBeSetAndCollisionsAreRefused) {
    TempDir root;
    fs::create_directories(root / "src");
    WriteFile(root / "src" / "help.html", Bytes("<p>"));
    auto p = Publish(root / "src", root / "out", {{"help.html", EntryKind::Launch}});
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->at(0).entry.kind, 3u);
    EXPECT_FALSE(Publish(root / "src", root / "out2", {{"nothere", EntryKind::Launch}}).ok());

    WriteFile(root / "src" / "help.htm_", Bytes("other"));
    auto clash = Publish(root / "src", root / "out3");
    ASSERT_FALSE(clash.ok());
    EXPECT_EQ(clash.failure().text, std::string(text::kPublishSameName) + "help.htm_");
    EXPECT_FALSE(fs::exists(root / "out3" / "veldin.ver"));
    EXPECT_FALSE(Publish(root / "missing", root / "out4").ok());
}

} // namespace
} // namespace veldin::update
