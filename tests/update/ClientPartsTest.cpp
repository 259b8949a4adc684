// Settings files, connection settings, download progress, URLs and closing the launcher.
#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "core/SingleInstance.h"
#include "tests/update/UpdateFakes.h"
#include "update/Connection.h"
#include "update/ConnectionForm.h"
#include "update/LauncherClose.h"
#include "update/SettingsFile.h"

namespace veldin::update {
namespace {

using veldin::test::ScriptedUi;

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(SettingsFile, ReadsEveryValueType) {
    const auto v = ParseSettingsFile(Bytes("REGEDIT4\r\n\r\n; a comment\r\n"
                                           "[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\r\n"
                                           "\"Main Path\"=\"C:\\\\VELDIN \\\"new\\\"\"\r\n"
                                           "[hkey_current_user\\software\\brannick\\veldin\\Tone Editor]\r\n"
                                           "\"Tree\"=dword:0000ABCD\r\n"
                                           "\"Flags\"=hex:01,ff,\\\r\n  00\r\n"));
    ASSERT_TRUE(v.ok());
    ASSERT_EQ(v->size(), 3u);
    EXPECT_EQ((*v)[0], (SettingValue{"", "Main Path", RegType::Sz, Bytes("C:\\VELDIN \"new\"")}));
    EXPECT_EQ((*v)[1], (SettingValue{"Tone Editor", "Tree", RegType::Dword, {0xCD, 0xAB, 0, 0}}));
    EXPECT_EQ((*v)[2], (SettingValue{"Tone Editor", "Flags", RegType::Binary, {1, 0xFF, 0}}));
}

TEST(SettingsFile, ReadsUtf16AsWindowsWritesIt) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN\\Patch Editor]\r\n"
                                u"\"Patch Path\"=\"C:\\\\Patches \u00e9\"\r\n";
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    const auto v = ParseSettingsFile(bytes);
    ASSERT_TRUE(v.ok());
    ASSERT_EQ(v->size(), 1u);
    EXPECT_EQ((*v)[0].bytes, Bytes("C:\\Patches \xc3\xa9"));
}

TEST(SettingsFile, RefusesWholeFileOnAnyBadLine) {
    const std::string head = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"Ok\"=\"1\"\n";
    for (std::string tail : {"\"X\"=dword:123456789\n", "\"X\"=hex:1\n", "\"X\"=hex(2):00\n", "@=\"default\"\n",
                             "\"X\"=\"unterminated\n", "[HKEY_LOCAL_MACHINE\\Software\\Evil]\n\"X\"=\"1\"\n",
                             "[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN\\A\\B]\n",
                             "[HKEY_CURRENT_USER\\Software\\Brannick\\VELDINX]\n", "garbage\n", "\"X\"=\"a\\q\"\n"}) {
        MemorySettingsStore store;
        ScriptedUi ui;
        const Status s = ImportSettingsFile(Bytes(head + tail), store, ui);
        ASSERT_FALSE(s.ok()) << tail;
        EXPECT_EQ(s.failure().text, text::kSettingsFileBad);
        EXPECT_EQ(store.valueCount(), 0u) << tail;
    }
    for (std::string whole : {std::string(""), std::string("\"X\"=\"1\"\n"), std::string("REGEDIT4\n\"X\"=\"1\"\n"),
                              std::string("REGEDIT4\n\0[x]", 13)})
        EXPECT_FALSE(ParseSettingsFile(Bytes(whole)).ok());
}

TEST(SettingsFile, UnwritableValueIsReportedAndOthersStillWritten) {
    MemorySettingsStore store;
    store.makeUnwritable("", "A");
    ScriptedUi ui;
    const Status s = ImportSettingsFile(
        Bytes("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Brannick\\VELDIN]\n\"A\"=\"1\"\n\"B\"=\"2\"\n"), store, ui);
    ASSERT_TRUE(s.ok());
    EXPECT_NE(store.find("", "B"), nullptr);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Software\\Brannick\\VELDIN\\A\n\rCouldn't write this key into the registry!"}));
}

TEST(Connection, InstallDirAndDefaults) {
    MemorySettingsStore store;
    auto missing = ReadInstallDir(store);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().text, text::kNotInstalled);
    store.writeText("", "SDK Path", "/x");
    EXPECT_FALSE(ReadInstallDir(store).ok());
    store.writeText("", "Main Path", "/opt/veldin");
    ASSERT_TRUE(ReadInstallDir(store).ok());
    EXPECT_EQ(ReadInstallDir(store)->string(), "/opt/veldin/");

    // "Proxy" or "Connect" missing: both defaults, written back.
    store.writeDword("", "Connect", 2);
    const auto c = LoadConnection(store);
    EXPECT_EQ(c.type, ConnectionType::Direct);
    EXPECT_EQ(c.proxy, "");
    ASSERT_NE(store.find("", "Connect"), nullptr);
    EXPECT_EQ(store.find("", "Connect")->bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    ASSERT_NE(store.find("", "Proxy"), nullptr);

    ASSERT_TRUE(SaveConnection(store, {ConnectionType::NamedProxy, "proxy.lan:3128"}));
    const auto again = LoadConnection(store);
    EXPECT_EQ(again.type, ConnectionType::NamedProxy);
    EXPECT_EQ(again.proxy, "proxy.lan:3128");
}

TEST(ConnectionForm, ChangesEnableSaveAndSavingWritesBoth) {
    struct Case {
        const char* what;
        void (*edit)(ConnectionForm&);
        std::uint32_t connect;
        std::string proxy;
    };
    const Case cases[] = {
        {"choose named proxy", [](ConnectionForm& f) { f.choose(ConnectionType::NamedProxy); }, 2, "old:1"},
        {"choose the same again", [](ConnectionForm& f) { f.choose(ConnectionType::System); }, 1, "old:1"},
        {"type", [](ConnectionForm& f) { f.typeProxy("p:8080"); }, 1, "p:8080"},
        {"type too much", [](ConnectionForm& f) { f.typeProxy(std::string(300, 'x')); }, 1, std::string(255, 'x')},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        ConnectionForm form({ConnectionType::System, "old:1"});
        EXPECT_FALSE(form.canSave());
        c.edit(form);
        EXPECT_TRUE(form.canSave()) << c.what;
        ASSERT_TRUE(form.save(store)) << c.what;
        EXPECT_FALSE(form.canSave()) << c.what;
        const auto stored = LoadConnection(store);
        EXPECT_EQ(static_cast<std::uint32_t>(stored.type), c.connect) << c.what;
        EXPECT_EQ(stored.proxy, c.proxy) << c.what;
    }
}

TEST(Connection, ProxyText) {
    auto p = ParseProxy("proxy.lan:3128");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->host, "proxy.lan");
    EXPECT_EQ(p->port, 3128);
    EXPECT_EQ(ParseProxy("http://10.0.0.1/")->port, 80);
    EXPECT_EQ(ParseProxy(" cache ")->host, "cache");
    for (std::string_view bad : {"", ":8080", "host:", "host:0", "host:70000", "host:80x", "a b:1"})
        EXPECT_FALSE(ParseProxy(bad).has_value()) << bad;
    // Only the first 99 characters count.
    EXPECT_EQ(ParseProxy(std::string(99, 'h') + ":81")->host, std::string(99, 'h'));
}

TEST(Url, SchemesAndNames) {
    EXPECT_EQ(NormalizeUrl("example.org/update/"), "http://example.org/update/");
    EXPECT_EQ(NormalizeUrl("https://example.org/update/"), "https://example.org/update/");
    EXPECT_EQ(SchemeOf("HTTPS://x/"), "https");
    EXPECT_EQ(SchemeOf("x/y"), "");
    EXPECT_EQ(FileNameOfUrl("http://h/update/veldin.ex_"), "veldin.ex_");
    EXPECT_EQ(FileNameOfUrl("http://h/a\\b.txt"), "b.txt");
}

TEST(DownloadProgress, NeverAbove100AndNoDivisionByZero) {
    EXPECT_EQ(DownloadProgress::Percent(0, 0), 0);
    EXPECT_EQ(DownloadProgress::Percent(5000, 0), 0);
    EXPECT_EQ(DownloadProgress::Percent(999, 1000), 99);
    EXPECT_EQ(DownloadProgress::Percent(1000, 1000), 100);
    EXPECT_EQ(DownloadProgress::Percent(3000, 1000), 100); // a server sending more than it said
    EXPECT_EQ(DownloadProgress::Percent((std::uint64_t{1} << 62) + 1, std::uint64_t{1} << 63), 50);

    test::RecordingView view;
    DownloadProgress p(view);
    p.connecting("veldin.ex_");
    p.requestSent();
    p.length(2048);
    for (std::uint64_t b = 0; b <= 4096; b += 512) p.received(b);
    p.success(4096);
    p.finish();
    for (int v : view.percents) EXPECT_LE(v, 100);
    EXPECT_EQ(view.details[3], "Downloading file veldin.ex_, length = 2048 bytes.");
    EXPECT_EQ(view.details[5], "25% downloaded");
    EXPECT_EQ(std::count(view.details.begin(), view.details.end(), "100% downloaded"), 1);
    EXPECT_EQ(view.details[view.details.size() - 2], "Success, 4096 bytes written.");
    EXPECT_EQ(view.details.back(), text::kClickClose);

    test::RecordingView noLength;
    DownloadProgress q(noLength);
    q.connecting("f");
    q.length(std::nullopt);
    q.received(100);
    EXPECT_EQ(noLength.details.back(), text::kNoLength);
}

TEST(SingleInstance, OneNamePerInstallation) {
    veldin::test::TempDir a, b;
    const std::string name = SingleInstanceName(a.path());
    EXPECT_TRUE(name.starts_with("veldin-"));
    EXPECT_EQ(name.size(), 7u + 16u);
    EXPECT_EQ(SingleInstanceName(a.path() / ""), name);
    EXPECT_EQ(SingleInstanceName(a.path() / "sub" / ".."), name);
    EXPECT_NE(SingleInstanceName(b.path()), name);
}

// A launcher that exits on request, or only when ended by force.
class FakeLauncher final : public LauncherControl {
public:
    bool runningNow = true;
    bool closesOnRequest = true;
    bool killWorks = true;
    std::vector<std::string> calls;

    bool running() override { return runningNow; }
    bool requestClose() override {
        calls.push_back("close");
        return true;
    }
    bool waitForExit(std::chrono::milliseconds) override {
        calls.push_back("wait");
        if (closesOnRequest) runningNow = false;
        return !runningNow;
    }
    bool terminate() override {
        calls.push_back("kill");
        if (killWorks) runningNow = false;
        return killWorks;
    }
};

// The launcher is asked once; one that does not close on request (its user has not
// answered the save question) is ended only after a second Yes.
TEST(LauncherClose, ClosesOnlyWithConsent) {
    struct Case {
        bool running, closes, killWorks;
        std::vector<Answer> answers;
        CloseOutcome outcome;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {false, true, true, {}, CloseOutcome::NotRunning, {}},
        {true, true, true, {Answer::No}, CloseOutcome::Declined, {}},
        {true, true, true, {Answer::Yes}, CloseOutcome::Closed, {"close", "wait"}},
        {true, false, true, {Answer::Yes, Answer::No}, CloseOutcome::Declined, {"close", "wait"}},
        {true, false, true, {Answer::Yes, Answer::Yes}, CloseOutcome::Killed, {"close", "wait", "kill", "wait"}},
        {true, false, false, {Answer::Yes, Answer::Yes}, CloseOutcome::Failed, {"close", "wait", "kill"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        FakeLauncher l;
        l.runningNow = c.running;
        l.closesOnRequest = c.closes;
        l.killWorks = c.killWorks;
        ScriptedUi ui;
        for (Answer a : c.answers) ui.answer(a);
        EXPECT_EQ(CloseRunningLauncher(l, ui), c.outcome) << i;
        EXPECT_EQ(l.calls, c.calls) << i;
        ASSERT_EQ(ui.shown().size(), c.answers.size()) << i;
        if (!c.answers.empty()) {
            EXPECT_EQ(ui.shown()[0].text, text::kCloseLauncher) << i;
            EXPECT_EQ(ui.shown()[0].icon, Icon::Information) << i;
        }
        if (c.answers.size() == 2) {
            EXPECT_EQ(ui.shown()[1].text, text::kLauncherStillRunning) << i;
        }
        const bool ended = c.outcome == CloseOutcome::Closed || c.outcome == CloseOutcome::Killed;
        EXPECT_EQ(l.runningNow, c.running && !ended) << i;
    }
}

} // namespace
} // namespace veldin::update
