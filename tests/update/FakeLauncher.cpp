// A stand-in for the launcher's single-instance socket: FakeLauncher DIR obedient|stubborn.
// It answers "close" with its pid; an obedient one then exits, a stubborn one (a launcher
// whose user has not answered the save question) stays. Either ends itself after 60 s.
#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "core/SingleInstance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    const bool obedient = std::string_view(argv[2]) == "obedient";
    const QString name = QString::fromStdString(veldin::SingleInstanceName(argv[1]));
    QLocalServer::removeServer(name);
    QLocalServer server;
    if (!server.listen(name)) return 1;
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        QLocalSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QLocalSocket::readyRead, [s, obedient] {
            if (!s->readAll().contains("close")) return;
            s->write(("pid " + std::to_string(QCoreApplication::applicationPid()) + "\n").c_str());
            s->flush();
            if (obedient) QTimer::singleShot(100, qApp, &QCoreApplication::quit);
        });
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
