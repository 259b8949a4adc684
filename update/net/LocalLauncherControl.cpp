#include "update/net/LocalLauncherControl.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <fstream>
#include <string>

#include "core/SingleInstance.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace veldin::update {
namespace {

constexpr int kConnectMs = 1000;

bool ProcessAlive(long long pid) {
#ifdef _WIN32
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    const bool alive = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return alive;
#else
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
#ifdef __linux__
    // A process that has ended but was not reaped yet still answers kill(0).
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (std::getline(stat, line)) {
        const auto close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z') return false;
    }
#endif
    return true;
#endif
}

bool KillProcess(long long pid) {
#ifdef _WIN32
    HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    const bool ok = TerminateProcess(h, 1) != 0;
    CloseHandle(h);
    return ok;
#else
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
#endif
}

} // namespace

LocalLauncherControl::LocalLauncherControl(const std::filesystem::path& installDir)
    : name_(SingleInstanceName(installDir)) {}

bool LocalLauncherControl::running() {
    if (pid_ > 0) return ProcessAlive(pid_);
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(name_));
    const bool connected = socket.waitForConnected(kConnectMs);
    socket.abort();
    return connected;
}

bool LocalLauncherControl::requestClose() {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(name_));
    if (!socket.waitForConnected(kConnectMs)) return false;
    socket.write(kInstanceClose.data(), static_cast<qint64>(kInstanceClose.size()));
    if (!socket.waitForBytesWritten(kConnectMs)) return false;
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (!answer.contains('\n') && clock.elapsed() < 3000 && socket.waitForReadyRead(500)) answer += socket.readAll();
    const QByteArray prefix(kInstancePidPrefix.data(), static_cast<qsizetype>(kInstancePidPrefix.size()));
    if (answer.startsWith(prefix)) {
        bool ok = false;
        const long long pid = answer.mid(prefix.size()).trimmed().toLongLong(&ok);
        if (ok && pid > 0) pid_ = pid;
    }
    return true;
}

bool LocalLauncherControl::waitForExit(std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (!running()) return true;
        if (clock.elapsed() >= timeout.count()) return false;
        QThread::msleep(100);
    }
}

bool LocalLauncherControl::terminate() { return pid_ > 0 && KillProcess(pid_); }

} // namespace veldin::update
