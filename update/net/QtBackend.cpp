#include "update/net/QtBackend.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/QtSettingsStore.h"
#include "update/net/HttpDownloader.h"
#include "update/net/LocalLauncherControl.h"

namespace veldin::update {
namespace {

class QtBackend final : public UpdateBackend {
public:
    SettingsStore& settings() override { return settings_; }
    DesktopShell& shell() override { return shell_; }
    std::unique_ptr<Downloader> downloader(const ConnectionSettings& c, const DownloadOptions& o) override {
        return std::make_unique<HttpDownloader>(c, o);
    }
    std::unique_ptr<LauncherControl> launcher(const std::filesystem::path& installDir) override {
        return std::make_unique<LocalLauncherControl>(installDir);
    }

private:
    QtSettingsStore settings_;
    ProcessDesktopShell shell_;
};

} // namespace

bool ProcessDesktopShell::open(const std::filesystem::path& file) {
    const QString path = QString::fromStdString(file.string());
#if defined(_WIN32)
    return QProcess::startDetached("cmd", {"/c", "start", "", path});
#elif defined(__APPLE__)
    return QProcess::startDetached("open", {path});
#else
    return QProcess::startDetached("xdg-open", {path});
#endif
}

std::unique_ptr<UpdateBackend> MakeQtBackend() {
    EnsureCoreApplication();
    return std::make_unique<QtBackend>();
}

} // namespace veldin::update
