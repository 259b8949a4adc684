// The whole road: veldin-publish makes an update folder, a real HTTP server on 127.0.0.1
// serves it, and the programs bring an empty installation up to date.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "platform/QtSettingsStore.h"
#include "tests/support/TestSupport.h"
#include "tests/update/LocalServer.h"
#include "update/UpdateMessages.h"
#include "update/net/HttpDownloader.h"

namespace veldin::update {
namespace {

namespace fs = std::filesystem;
using veldin::test::BinDir;
using veldin::test::ReadFile;
using veldin::test::TempDir;
using test::Server;

// A real deliverable and a small stand-in for a module, both carrying file versions.
const char* const kPrograms[] = {"veldin-publish", "libQuilla.so"};

struct Outcome {
    int rc;
    std::string out, err;
};

Outcome Program(const std::string& program, const QStringList& args, const fs::path& config) {
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string())); // never the user's settings
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString((BinDir() / program).string()), args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }
bool Has(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

class EndToEnd : public ::testing::Test {
protected:
    // One published folder for all the tests: packing is the slow part.
    static void SetUpTestSuite() {
        EnsureCoreApplication();
        published_ = new TempDir;
        const fs::path src = *published_ / "src";
        fs::create_directories(src);
        fs::copy_file(BinDir() / "veldin-publish", src / "veldin-publish");
        std::string module = "\x7f" "ELF module body ";
        for (int i = 0; i < 2000; ++i) module += std::to_string(i * i % 977) + ' ';
        module += "VELDIN-FileVersion=0.1.0.0";
        module.push_back('\0');
        veldin::test::WriteFile(src / "libQuilla.so", {module.begin(), module.end()});
        fs::permissions(src / "libQuilla.so", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        const fs::path key = *published_ / "publisher.pem";
        const Outcome made = Program("veldin-publish", {"--make-key", Q(key)}, *published_ / "cfg");
        ASSERT_EQ(made.rc, 0) << made.err;
        const Outcome pub =
            Program("veldin-publish", {"--key", Q(key), Q(src), Q(*published_ / "srv" / "update")}, *published_ / "cfg");
        ASSERT_EQ(pub.rc, 0) << pub.err;
    }
    static void TearDownTestSuite() {
        delete published_;
        published_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(published_, nullptr);
        fs::copy(*published_ / "srv", root_ / "srv", fs::copy_options::recursive);
        fs::copy(*published_ / "src", root_ / "src", fs::copy_options::recursive);
        fs::create_directories(inst_);
        // The clients of these tests trust the publisher's key through their settings.
        const auto pub = ReadFile(*published_ / "publisher.pem.pub");
        QtSettingsStore store((root_ / "cfg" / "Brannick" / "VELDIN.conf").string());
        ASSERT_TRUE(store.write("", "Update Keys", RegType::Sz, pub));
        ASSERT_TRUE(store.sync());
    }
    // veldin-cli update from the server's /update/ (or another folder) into inst_.
    Outcome CliUpdate(const Server& server, const QStringList& more = {}, const char* scheme = "http",
                      const char* folder = "update") {
        const QString url = QString("%1://127.0.0.1:%2/%3/").arg(scheme).arg(server.port()).arg(folder);
        return Program("veldin-cli", QStringList{"update", "--server", url, "--dir", Q(inst_), "--no"} + more,
                       root_ / "cfg");
    }
    void ExpectInstalled() {
        for (const char* p : kPrograms) {
            EXPECT_EQ(ReadFile(inst_ / p), ReadFile(root_ / "src" / p)) << p;
            // New to the installation: the mode it was published with.
            EXPECT_EQ(fs::status(inst_ / p).permissions(), fs::status(root_ / "src" / p).permissions()) << p;
        }
    }
    std::size_t InstalledCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(inst_), fs::directory_iterator()));
    }
    TempDir root_;
    fs::path inst_ = root_ / "inst";
    static inline TempDir* published_ = nullptr;
};

TEST_F(EndToEnd, CliPlansInstallsThenFetchesNothing) {
    Server server(root_ / "srv", test::PlainHttp());
    const Outcome wrong = CliUpdate(server, {}, "http", "nothing");
    EXPECT_EQ(wrong.rc, 1);
    EXPECT_TRUE(Has(wrong.out, "Connection to server failed. Can't perform update!")) << wrong.out;

    const Outcome plan = CliUpdate(server, {"--dry-run"});
    EXPECT_EQ(plan.rc, 0) << plan.err;
    EXPECT_TRUE(Has(plan.out, "fetch  libQuilla.so    Normal    0.1.0.0                 not installed\n")) << plan.out;
    EXPECT_EQ(InstalledCount(), 0u);

    const Outcome first = CliUpdate(server);
    ASSERT_EQ(first.rc, 0) << first.out << first.err;
    EXPECT_TRUE(Has(first.out, "2 updated, 0 failed")) << first.out;
    ExpectInstalled(); // a real program among them, packed to well under its size
    EXPECT_LT(fs::file_size(root_ / "srv" / "update" / "veldin-publis_"),
              fs::file_size(root_ / "src" / "veldin-publish") * 3 / 5);
    EXPECT_EQ(server.requestsFor("_ HTTP"), 2);

    const Outcome second = CliUpdate(server);
    ASSERT_EQ(second.rc, 0) << second.err;
    EXPECT_TRUE(Has(second.out, "0 updated, 0 failed, 2 up to date")) << second.out;
    EXPECT_EQ(server.requestsFor("_ HTTP"), 2); // no packed file was asked for again
}

// Without settings the update program says the installation is missing; with the
// launcher's "Main Path" and "Update Server" it needs no arguments.
TEST_F(EndToEnd, UpdateProgramReadsTheLaunchersSettings) {
    const Outcome noSettings = Program("update", {"--console", "--no"}, root_ / "empty-cfg");
    EXPECT_EQ(noSettings.rc, 1);
    EXPECT_TRUE(Has(noSettings.err, "Installation of VELDIN is not present on your \ncomputer")) << noSettings.err;

    Server server(root_ / "srv", test::PlainHttp());
    {
        QtSettingsStore store((root_ / "cfg" / "Brannick" / "VELDIN.conf").string());
        const auto text = [&](const char* name, const std::string& value) {
            ASSERT_TRUE(store.write("", name, RegType::Sz, {reinterpret_cast<const std::uint8_t*>(value.data()), value.size()}));
        };
        text("Main Path", inst_.string());
        text("Update Server", QString("http://127.0.0.1:%1/update/").arg(server.port()).toStdString());
        ASSERT_TRUE(store.sync());
    }
    const Outcome run = Program("update", {"--console", "--no"}, root_ / "cfg");
    ASSERT_EQ(run.rc, 0) << run.out << run.err;
    ExpectInstalled();
}

// Without the publisher's key in its settings the client trusts only its built-in key: a
// real published update is refused and nothing installed.
TEST_F(EndToEnd, UnknownKeyIsRefusedAndNothingInstalled) {
    fs::remove(root_ / "cfg" / "Brannick" / "VELDIN.conf");
    Server server(root_ / "srv", test::PlainHttp());
    const Outcome stranger = CliUpdate(server);
    EXPECT_EQ(stranger.rc, 1);
    EXPECT_TRUE(Has(stranger.out, "Update details are corrupted!")) << stranger.out;
    EXPECT_TRUE(Has(stranger.err, text::kManifestUnknownKey)) << stranger.err;
    EXPECT_EQ(InstalledCount(), 0u);
}

// A file the server does not have (404) or breaks off before its stated length fails that
// file alone; the other is installed and nothing is left beside it. A 404 says so with
// the fixed text, without any warning of the network library on the console.
TEST_F(EndToEnd, MissingOrTruncatedFileFailsThatFileAlone) {
    struct Case {
        const char* what;
        const char* python;
        const char* said;
    };
    const Case cases[] = {
        {"404", "            return self.send_error(404)\n", "Can't open site"},
        {"truncated",
         "            data = open('.' + self.path, 'rb').read()\n"
         "            self.send_response(200)\n"
         "            self.send_header('Content-Length', str(len(data)))\n"
         "            self.end_headers()\n"
         "            self.wfile.write(data[:len(data) // 2])\n"
         "            self.wfile.flush()\n"
         "            self.close_connection = True\n"
         "            return\n",
         "1 updated, 1 failed"},
    };
    for (const auto& c : cases) {
        fs::remove_all(inst_);
        fs::create_directories(inst_);
        Server server(root_ / "srv", test::HttpWith("libQuilla.s_", c.python));
        const Outcome run = CliUpdate(server, {"--verbose"});
        EXPECT_EQ(run.rc, 1) << c.what;
        EXPECT_TRUE(Has(run.out, "1 updated, 1 failed")) << c.what << run.out;
        EXPECT_TRUE(Has(run.out, c.said)) << c.what << run.out;
        if (std::string_view(c.what) == "404") {
            EXPECT_EQ(run.err, "") << c.what;
        }
        EXPECT_EQ(ReadFile(inst_ / "veldin-publish"), ReadFile(root_ / "src" / "veldin-publish")) << c.what;
        EXPECT_EQ(InstalledCount(), 1u) << c.what;
    }
}

// https with a certificate of our own, trusted with --ca-cert; without it the server is
// not trusted and nothing is installed.
TEST_F(EndToEnd, HttpsWorksWithATrustedCertificate) {
    const fs::path cert = root_ / "cert.pem", key = root_ / "key.pem";
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                              "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", Q(key), "-out", Q(cert)});
    ASSERT_TRUE(openssl.waitForFinished(30000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    const QString script =
        "import functools, http.server, ssl, sys, threading\n"
        "h = functools.partial(http.server.SimpleHTTPRequestHandler, directory='.')\n"
        "s = http.server.HTTPServer(('127.0.0.1', 0), h)\n"
        "c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)\n"
        "c.load_cert_chain(sys.argv[1], sys.argv[2])\n"
        "s.socket = c.wrap_socket(s.socket, server_side=True)\n"
        "threading.Timer(120, s.shutdown).start()\n"
        "print('port', s.server_address[1], flush=True)\n"
        "s.serve_forever()\n";
    Server server(root_ / "srv", {"-u", "-c", script, Q(cert), Q(key)});
    const Outcome untrusted = CliUpdate(server, {}, "https");
    EXPECT_EQ(untrusted.rc, 1);
    EXPECT_EQ(InstalledCount(), 0u);
    const Outcome trusted = CliUpdate(server, {"--ca-cert", Q(cert)}, "https");
    ASSERT_EQ(trusted.rc, 0) << trusted.out << trusted.err;
    ExpectInstalled();
}

} // namespace
} // namespace veldin::update
