#pragma once
// The launcher's window: a skinned 600 x 200 panel with bitmap buttons and the console
// display. It draws LauncherState and forwards clicks, keys and moves to it and to the
// module host.

#include <QLocalServer>
#include <QWidget>
#include <map>
#include <memory>

#include "core/ModuleSettings.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"
#include "launcher/CommandLine.h"
#include "launcher/FloppyStages.h"
#include "launcher/FloppyTransfer.h"
#include "launcher/LauncherPanel.h"
#include "launcher/ModuleHost.h"

namespace veldin::launcher {

class FloppyWorker;
class WorkerInteraction;

class BitmapButton final : public QWidget {
public:
    BitmapButton(const ButtonInfo& info, QWidget* parent);
    std::function<void()> clicked;
    // A click without the mouse: the bus, assistive technology.
    void press() {
        if (isEnabled() && clicked) clicked();
    }
    const ButtonInfo& info() const { return info_; }
    void setLit(bool on) { lit_ = on, update(); }
    // The button's own handle: LM_BUTTON_PRESS to it acts as a click.
    bus::Handle handle() const { return endpoint_.handle(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    ButtonInfo info_;
    bool down_ = false;
    bool lit_ = false;
    bus::Endpoint endpoint_;
};

class LauncherWindow final : public QWidget {
public:
    LauncherWindow(UserInteraction& ui, LibraryLoader& loader, int osFamily);
    ~LauncherWindow() override;

    // Reads the settings (null: none, as for headless screenshots), places the window and
    // at the first run opens the Options dialog, which cannot be cancelled then.
    void start(SettingsStore* store, const std::filesystem::path& installDir);
    void showOptions(bool firstRun);
    const LauncherSettings& settings() const { return settings_; }

    ModuleHost& host() { return *host_; }
    LauncherState& state() { return state_; }
    BitmapButton* button(int id) const;

    // Listens for a second launcher (and the update client); false when the name is taken.
    bool listen(const QString& name);
    void openRequest(const OpenRequest& r);
    // The launcher's close request: the confirmation first, then the real close.
    void requestClose();
    void pressFunctionKey(int n);
    void showAbout();

    // The floppy stages: the FLOPPY button, a dropped image file, and what they show.
    void pressFloppyButton();
    void dropImage(const std::filesystem::path& image);
    const FloppyStages& floppyStages() const { return stages_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void command(int id);
    void syncButtons();
    void paintPanel(QPainter& p);
    void serveConnection(QLocalSocket* socket);
    void refresh(); // the panel changed: repaint, and tell assistive technology
    void syncBusy();

    // Floppy stages (LauncherFloppy.cpp).
    void floppyAction(StageAction a);
    void floppyRequest(std::uint32_t module, std::uint32_t request, std::string path);
    void enterFloppyBusy();
    void showStage();
    void showSummary(std::optional<int> counter);
    void openDrive();
    void driveOpened(Result<OpenedDrive> opened);
    void startOperation();
    void beginRunning(FloppyOperation op);
    std::shared_ptr<SectorProgress> counterProgress(); // the cylinder counter on the panel
    void runRead();
    void runWrite(const std::filesystem::path& image);
    void runFormat();
    void operationDone(const TransferResult& result);
    void finishStage(const TransferResult& result);
    LoopContext workerContext();

    UserInteraction& ui_;
    LauncherState state_;
    std::unique_ptr<ModuleHost> host_;
    std::map<int, BitmapButton*> buttons_;
    QLocalServer server_;
    bool reallyClosing_ = false;
    SettingsStore* store_ = nullptr;
    LauncherSettings settings_;
    void openWaiting();
    bool settingUp_ = false; // the settings are being read, or the first run's Options are open
    std::vector<OpenRequest> waitingOpens_;
    QWidget* panelName_ = nullptr; // what assistive technology reads of the panel

    FloppyStages stages_;
    SectorLoopControl control_;
    std::unique_ptr<FloppyDrive> drive_;
    std::unique_ptr<FloppyDevice> device_;
    DiskIdentity floppyIdentity_; // the floppy in the drive
    DiskIdentity shownIdentity_;  // what the summary describes (the image while writing)
    std::string formatCommandLine_;
    std::optional<FloppyOperation> ran_; // the operation that was started in this stage
    std::unique_ptr<FloppyWorker> worker_;
    std::unique_ptr<WorkerInteraction> workerUi_;
};

} // namespace veldin::launcher
