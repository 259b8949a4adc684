#pragma once
// The update client's dialog, "VELDIN Online Update v1.0": tab "Update" with the icon,
// the main and detail status lines, the list of fetched files, the progress bar and
// "Start"; tab "Settings" with the connection type, the proxy and "Save Settings". The
// update runs on a worker thread; it reaches the widgets only through blocking queued
// calls, so it sees every status line shown before it goes on.

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>

#include "core/Settings.h"
#include "core/UserInteraction.h"
#include "update/Backend.h"
#include "update/ConnectionForm.h"
#include "update/Updater.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QThread;
class QTreeWidget;

namespace veldin::update {

// What a run needs that the dialog does not own. `settings` and `shell` are used by the
// worker thread; `makeDownloader` is called there, with the connection of the Settings tab.
struct ClientServices {
    SettingsStore& settings;       // the dialog's own reads and writes
    SettingsStore& workerSettings; // imports of "Registry" files, on the worker thread
    UserInteraction& ui;
    DesktopShell& shell;
    std::function<std::unique_ptr<Downloader>(const ConnectionSettings&)> makeDownloader;
};

struct ClientSetup {
    std::filesystem::path installDir;
    std::string server; // base URL; empty: Start says that none is configured
    std::vector<PublicKey> trustedKeys;
};

class UpdateDialog final : public QDialog {
public:
    UpdateDialog(ClientServices services, ClientSetup setup, ConnectionSettings connection, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    void start(); // the Start button
    bool busy() const { return gate_.busy(); }
    const ConnectionForm& connectionForm() const { return form_; }

    // Called on the dialog's thread when a run has ended (true: it did not fail as a whole).
    std::function<void(bool)> onFinished;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QWidget* buildUpdateTab();
    QWidget* buildSettingsTab();
    void setUpTrayIcon();
    void runOnWorker();
    void workerDone(bool ok);
    void saveSettings();

    ClientServices s_;
    ClientSetup setup_;
    ConnectionForm form_;
    RunGate gate_;
    std::atomic<bool> stop_{false};
    bool closeWhenDone_ = false;
    QThread* worker_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* detail_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QRadioButton* types_[3] = {};
    QLineEdit* proxy_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;

    friend class GuiView;
    friend class GuiUi;
};

// The program icons: 200 in the notification area, 201 while it is pressed, 202 the
// dialog's own.
QIcon UpdateIcon(int id);

} // namespace veldin::update
