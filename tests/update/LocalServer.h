#pragma once
// A real web server for the update tests: python3's http.server serving a folder on a
// free port of 127.0.0.1 (or any script that prints "port N" and serves).

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

namespace veldin::update::test {

namespace fs = std::filesystem;

inline constexpr const char* kPython = "/usr/bin/python3";
// Serves a folder on a free port of 127.0.0.1 until the object goes; the server prints
// its port, and logs each request on its error output.
class Server {
public:
    Server(const fs::path& folder, const QStringList& args) {
        proc_.setWorkingDirectory(QString::fromStdString(folder.string()));
        proc_.start(kPython, args);
        EXPECT_TRUE(proc_.waitForStarted(5000));
        QByteArray out;
        while (!out.contains("port ") || !out.endsWith('\n')) {
            if (!proc_.waitForReadyRead(10000)) break;
            out += proc_.readAllStandardOutput();
        }
        const auto m = QRegularExpression("port (\\d+)").match(QString::fromUtf8(out));
        EXPECT_TRUE(m.hasMatch()) << out.toStdString() << proc_.readAllStandardError().toStdString();
        port_ = m.captured(1).toInt();
    }
    ~Server() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    int port() const { return port_; }
    // Requests seen so far, as "GET /update/veldin.ver" lines.
    int requestsFor(const QString& suffix) {
        proc_.setReadChannel(QProcess::StandardError);
        while (proc_.waitForReadyRead(300)) log_ += proc_.readAllStandardError();
        log_ += proc_.readAllStandardError();
        return static_cast<int>(log_.count(suffix.toUtf8()));
    }

private:
    QProcess proc_;
    QByteArray log_;
    int port_ = 0;
};

// Plain HTTP on 127.0.0.1.
inline QStringList PlainHttp() { return {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1"}; }

// Plain HTTP where a GET of a path ending in `suffix` first runs `python` (lines indented
// twelve blanks; it may answer and return, or let the file be served after it).
inline QStringList HttpWith(const QString& suffix, const QString& python) {
    return {"-u", "-c",
            "import http.server, time\n"
            "class H(http.server.SimpleHTTPRequestHandler):\n"
            "    def do_GET(self):\n"
            "        if self.path.endswith('" + suffix + "'):\n" + python +
            "        return super().do_GET()\n"
            "s = http.server.HTTPServer(('127.0.0.1', 0), H)\n"
            "print('port', s.server_address[1], flush=True)\n"
            "s.serve_forever()\n"};
}

} // namespace veldin::update::test
