#pragma once
// The frame window that every editor module shows: menus, tool bar, status bar and an
// MDI area with one window per open disk image. The frame only shows and forwards; the
// documents are the core's, the launcher exchange is bus::FrameLink, and which commands
// are enabled comes from FrameCommands.

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "bus/FrameLink.h"
#include "core/Document.h"
#include "core/UndoStore.h"
#include "core/MinStdRandom.h"
#include "core/ModuleSettings.h"
#include "core/Settings.h"
#include "frame/FrameCommands.h"
#include "frame/ui/PreferencesDialog.h"

class QAction;
class QLabel;

namespace veldin::ui {

// The module's own view inside a document window.
class DocumentView : public QWidget {
public:
    using QWidget::QWidget;
    // Commands that the view's selection enables (Copy ... Save Wave).
    virtual std::set<int> selectionCommands() const { return {}; }
    // Why a command is disabled for the selection, shown as its tooltip; empty when the
    // command's name says enough.
    virtual QString disabledHint(int id) const {
        (void)id;
        return {};
    }
    // A command the frame does not handle itself; false when the view has none for it.
    virtual bool runCommand(int id) {
        (void)id;
        return false;
    }
    // After an undo (`undo` true) or redo of `step` on the view's document.
    virtual void stepDone(const StepResult& step, bool undo) {
        (void)step;
        (void)undo;
    }
    virtual void documentClosing() {}
};

// A file chooser's question and answer. `filters` are shown in order; `filter` of the
// answer is the index of the one chosen.
struct FileRequest {
    bool save = false;
    QString title;
    QString directory;
    QString proposedName;  // save only
    QString defaultSuffix; // save only, without the dot
    QStringList filters;   // "Wave File (*.wav)"
};
struct FileChoice {
    QString path;
    int filter = 0;
};
// Empty when the user cancelled. Tests put their own in place of the file dialog.
using FileChooser = std::function<std::optional<FileChoice>(QWidget* parent, const FileRequest&)>;
std::optional<FileChoice> ChooseFileWithDialog(QWidget* parent, const FileRequest& request);

struct ModuleIdentity {
    std::string programName; // "Tone Editor"
    std::uint32_t code = 0;  // 17
    std::string helpFile;    // "Quilla.html", in the main directory
    const frame::ModuleMenus* menus = &frame::ToneEditorMenus();
    // A module with commands of its own: its "&Special" menu and its context menu in
    // place of the Tone Editor's. The view enables them through selectionCommands().
    std::vector<frame::MenuEntry> special = {};
    std::vector<int> context = {};
};

// What a module hands its frame about its settings: the subkey and table, the struct
// they live in (with the frame's window part inside it), its first-start defaults and
// its preferences pages after "Appearance".
struct ModuleSettingsSpec {
    std::string key;                       // "Tone Editor"
    std::span<const SettingEntry> table;
    std::span<std::byte> storage;
    FrameSettings* frame = nullptr;        // inside `storage`
    std::function<Status(const std::filesystem::path& mainDir)> firstStart;
    std::vector<PageSpec> pages;           // "Appearance" first
    std::function<void(PreferencesDialog&)> prepare; // the module fills its lists
};

class ModuleFrame;
using ViewFactory = std::function<DocumentView*(Document& doc, ModuleFrame& frame, QWidget* parent)>;

class DocumentWindow : public QWidget {
public:
    DocumentWindow(ModuleFrame& frame, std::unique_ptr<Document> doc);
    Document* document() const;
    DocumentView* view() const { return view_; }
    void setView(DocumentView* view);
    // Closes the document, asking about unsaved changes; false when the user cancelled.
    bool closeDocument();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    ModuleFrame& frame_;
    DocumentSlot slot_;
    DocumentView* view_ = nullptr;
};

class ModuleFrame : public QMainWindow {
public:
    ModuleFrame(ModuleIdentity identity, bus::Handle launcher, std::filesystem::path mainDirectory,
                ViewFactory views, UserInteraction* ui = nullptr);
    ~ModuleFrame() override;

    const ModuleIdentity& identity() const { return identity_; }
    UserInteraction& interaction() { return *ui_; }
    void setInteraction(UserInteraction* ui) { ui_ = ui; }
    bus::FrameLink& link() { return *link_; }

    // Reads the settings and places the window. False when the settings are unusable
    // (the message was shown): the frame must close. Without a call the frame runs on
    // defaults and writes nothing (tests, tools).
    bool start(SettingsStore* store, ModuleSettingsSpec spec);
    bool firstStart() const { return firstStart_; }
    const FrameSettings& frameSettings() const { return *frameSettings_; }
    const std::filesystem::path& mainDirectory() const { return mainDirectory_; }
    // The preferences dialog, window-modal; at the first start it cannot be cancelled.
    // Null without module settings.
    PreferencesDialog* showPreferences();
    void openHelp();

    // Sends the hello to the launcher (after the frame is shown).
    void announce();

    QAction* action(int id) const;
    QLabel* statusPart(int index) const;
    QMdiArea* mdiArea() const { return mdi_; }
    QMenu* contextMenu() const { return contextMenu_; }
    std::optional<FileChoice> chooseFile(const FileRequest& request) { return chooser_(this, request); }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // Opens a document window for this file; false when it failed (already reported).
    bool openImage(const std::filesystem::path& path);
    bool newImage(SamplerChoice choice, const std::filesystem::path& path);
    DocumentWindow* activeWindow() const;
    Document* activeDocument() const;
    std::vector<DocumentWindow*> documentWindows() const;

    // Recomputes the enabled commands for the active document and its view.
    void updateCommands();
    void runCommand(int id);
    bool closedByLauncher() const { return closedByLauncher_; }

    // A module whose New and Save As make images of kinds of its own (the MIDI Editor's
    // song disks) puts its commands here; without them the frame offers the families.
    std::function<void()> newCommand;
    std::function<void()> saveAsCommand;
    // Where New, Open and Save As start ("SDK Path").
    const std::filesystem::path& imageDirectory() const { return sdkPath_; }
    const Workspace& workspace() const { return *workspace_; }
    void setClosedByLauncher() { closedByLauncher_ = true; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void applyTexture();
    void launcherMoved(int x, int y);
    void writeSettings();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void updateWindowList();
    bool addDocument(Result<std::unique_ptr<Document>> opened);
    void fitDocument(DocumentWindow* w);
    void keepOnScreen(QPoint at);
    void commandNew();
    void commandOpen();
    void commandSaveAs();
    void undoRedo(bool undo);
    void sendTo(std::uint32_t target);
    void sendImageTo(bus::Handle target);
    void about();

    ModuleIdentity identity_;
    std::filesystem::path mainDirectory_;
    ViewFactory views_;
    UserInteraction* ui_;
    std::unique_ptr<UserInteraction> ownUi_;
    FileChooser chooser_ = ChooseFileWithDialog;
    std::optional<Workspace> workspace_;
    std::filesystem::path sdkPath_;
    SettingsStore* store_ = nullptr;
    ModuleSettingsSpec settings_;
    FrameSettings defaultFrameSettings_;
    FrameSettings* frameSettings_ = &defaultFrameSettings_;
    bool firstStart_ = false;
    QMdiArea* mdi_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QLabel*> statusParts_;
    QMenu* contextMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::vector<QAction*> windowList_;
    std::unique_ptr<bus::FrameLink> link_;
    bool closedByLauncher_ = false;
    bool floppyBusy_ = false;
    std::uint32_t pendingFloppy_ = 0;
};

// 16 x 16 tool bar images, drawn rather than shipped.
QIcon ToolIcon(int image);
// The tile behind the document windows with "Use textured background".
QPixmap BackgroundTexture();

} // namespace veldin::ui
