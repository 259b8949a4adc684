// The whole road: veldin-publish makes an update folder, a real HTTP server on 127.0.0.1
// serves it, and the programs bring an empty installation up to date.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

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
        // The clients of these tests trust the publisher's key through their settings.
        const auto pub = ReadFile(*published_ / "publisher.pem.pub");
        QtSettingsStore store((root_ / "cfg" / "Brannick" / "VELDIN.conf").string());
        ASSERT_TRUE(store.write("", "Update Keys", RegType::Sz, pub));
        ASSERT_TRUE(store.sync());
    }
    void ExpectInstalled(const fs::path& dir) {
        for (const char* p : kPrograms) {
            EXPECT_EQ(ReadFile(dir / p), ReadFile(root_ / "src" / p)) << p;
            // New to the installation: the mode it was published with.
            EXPECT_EQ(fs::status(dir / p).permissions(), fs::status(root_ / "src" / p).permissions()) << p;
        }
    }
    TempDir root_;
    static inline TempDir* published_ = nullptr;
};

TEST_F(EndToEnd, CliInstallsThenFetchesNothing) {
    Server server(root_ / "srv", test::PlainHttp());
    const QString url = QString("http://127.0.0.1:%1/update/").arg(server.port());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);

    const Outcome first = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    ASSERT_EQ(first.rc, 0) << first.out << first.err;
    EXPECT_NE(first.out.find("2 updated, 0 failed"), std::string::npos) << first.out;
    ExpectInstalled(inst);
    EXPECT_EQ(server.requestsFor("_ HTTP"), 2);

    const Outcome second = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    ASSERT_EQ(second.rc, 0) << second.err;
    EXPECT_NE(second.out.find("0 updated, 0 failed, 2 up to date"), std::string::npos) << second.out;
    EXPECT_EQ(server.requestsFor("_ HTTP"), 2); // no packed file was asked for again
    EXPECT_EQ(server.requestsFor("veldin.ver HTTP"), 2);
    ExpectInstalled(inst);
}

TEST_F(EndToEnd, UpdateProgramReadsTheLaunchersSettings) {
    Server server(root_ / "srv", test::PlainHttp());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);
    {
        QtSettingsStore store((root_ / "cfg" / "Brannick" / "VELDIN.conf").string());
        const auto text = [&](const char* name, const std::string& value) {
            ASSERT_TRUE(store.write("", name, RegType::Sz, {reinterpret_cast<const std::uint8_t*>(value.data()), value.size()}));
        };
        text("Main Path", inst.string());
        text("Update Server", QString("http://127.0.0.1:%1/update/").arg(server.port()).toStdString());
        ASSERT_TRUE(store.sync());
    }
    const Outcome run = Program("update", {"--console", "--no"}, root_ / "cfg");
    ASSERT_EQ(run.rc, 0) << run.out << run.err;
    ExpectInstalled(inst);
}

TEST_F(EndToEnd, FailuresInstallNothing) {
    Server server(root_ / "srv", test::PlainHttp());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);
    const Outcome wrong = Program("veldin-cli", {"update", "--server", QString("http://127.0.0.1:%1/nothing/").arg(server.port()),
                                             "--dir", Q(inst), "--no"}, root_ / "cfg");
    EXPECT_EQ(wrong.rc, 1);
    EXPECT_NE(wrong.out.find("Connection to server failed. Can't perform update!"), std::string::npos) << wrong.out;
    EXPECT_TRUE(fs::is_empty(inst));

    const Outcome noSettings = Program("update", {"--console", "--no"}, root_ / "empty-cfg");
    EXPECT_EQ(noSettings.rc, 1);
    EXPECT_NE(noSettings.err.find("Installation of VELDIN is not present on your \ncomputer"), std::string::npos)
        << noSettings.err;
}

// A byte changed on the server after signing: refused, and not a file is installed, not
// even the one listed before the changed one.
TEST_F(EndToEnd, ChangedFileIsRefusedAndNothingInstalled) {
    auto packed = ReadFile(root_ / "srv" / "update" / "veldin-publis_");
    packed[packed.size() / 2] ^= 0x01;
    veldin::test::WriteFile(root_ / "srv" / "update" / "veldin-publis_", packed);
    Server server(root_ / "srv", test::PlainHttp());
    const QString url = QString("http://127.0.0.1:%1/update/").arg(server.port());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);
    const Outcome run = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.out.find("Update details are corrupted!"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(std::string(text::kFileNotAsSigned) + "veldin-publis_"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(inst));

    // Without the key in its settings the client trusts only its built-in key.
    fs::remove(root_ / "cfg" / "Brannick" / "VELDIN.conf");
    fs::copy(*published_ / "srv" / "update" / "veldin-publis_", root_ / "srv" / "update" / "veldin-publis_",
             fs::copy_options::overwrite_existing);
    const Outcome stranger = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    EXPECT_EQ(stranger.rc, 1);
    EXPECT_NE(stranger.err.find(text::kManifestUnknownKey), std::string::npos) << stranger.err;
    EXPECT_TRUE(fs::is_empty(inst));
}

// A file missing on the server (404) fails that file alone, with the fixed texts and
// without any warning of the network library on the console.
TEST_F(EndToEnd, MissingFileFailsQuietly) {
    fs::remove(root_ / "srv" / "update" / "libQuilla.s_");
    Server server(root_ / "srv", test::PlainHttp());
    const QString url = QString("http://127.0.0.1:%1/update/").arg(server.port());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);
    const Outcome run =
        Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no", "--verbose"}, root_ / "cfg");
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.out.find("Can't open site"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 updated, 1 failed"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "") << run.err;
    EXPECT_FALSE(fs::exists(inst / "libQuilla.so"));
    EXPECT_EQ(ReadFile(inst / "veldin-publish"), ReadFile(root_ / "src" / "veldin-publish"));
}

// A download that breaks off before its stated length: that file is not installed, the
// others are.
TEST_F(EndToEnd, TruncatedDownloadInstallsNothingOfIt) {
    const QString script =
        "import http.server\n"
        "class H(http.server.SimpleHTTPRequestHandler):\n"
        "    def do_GET(self):\n"
        "        if not self.path.endswith('libQuilla.s_'):\n"
        "            return super().do_GET()\n"
        "        data = open('.' + self.path, 'rb').read()\n"
        "        self.send_response(200)\n"
        "        self.send_header('Content-Length', str(len(data)))\n"
        "        self.end_headers()\n"
        "        self.wfile.write(data[:len(data) // 2])\n"
        "        self.wfile.flush()\n"
        "        self.close_connection = True\n"
        "s = http.server.HTTPServer(('127.0.0.1', 0), H)\n"
        "print('port', s.server_address[1], flush=True)\n"
        "s.serve_forever()\n";
    Server server(root_ / "srv", {"-u", "-c", script});
    const QString url = QString("http://127.0.0.1:%1/update/").arg(server.port());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);
    const Outcome run = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.out.find("1 updated, 1 failed"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(inst / "libQuilla.so"));
    EXPECT_EQ(ReadFile(inst / "veldin-publish"), ReadFile(root_ / "src" / "veldin-publish"));
    EXPECT_EQ(std::distance(fs::directory_iterator(inst), fs::directory_iterator()), 1); // nothing left beside
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
    const QString url = QString("https://127.0.0.1:%1/update/").arg(server.port());
    const fs::path inst = root_ / "inst";
    fs::create_directories(inst);

    const Outcome untrusted = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no"}, root_ / "cfg");
    EXPECT_EQ(untrusted.rc, 1);
    EXPECT_TRUE(fs::is_empty(inst));

    const Outcome trusted = Program("veldin-cli", {"update", "--server", url, "--dir", Q(inst), "--no", "--ca-cert", Q(cert)},
                                root_ / "cfg");
    ASSERT_EQ(trusted.rc, 0) << trusted.out << trusted.err;
    ExpectInstalled(inst);
}

} // namespace
} // namespace veldin::update
