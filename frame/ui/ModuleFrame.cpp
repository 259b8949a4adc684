#include "frame/ui/ModuleFrame.h"
#include "core/InstallLayout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "core/FileVersion.h"
#include "core/ModuleMessages.h"
#include "core/UndoStore.h"
#include "frame/FrameGeometry.h"
#include "frame/ui/AboutDialog.h"
#include "frame/ui/QtUserInteraction.h"

namespace veldin::ui {

using namespace veldin::frame;

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString CtlName(int id) { return QStringLiteral("ctl%1").arg(id); }
} // namespace

// ---------------------------------------------------------------- document window

DocumentWindow::DocumentWindow(ModuleFrame& frame, std::unique_ptr<Document> doc) : frame_(frame) {
    slot_.attach(std::move(doc));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(200, 120);
    if (Document* d = document()) setWindowTitle(QString::fromStdString(d->path().filename().string()));
}

Document* DocumentWindow::document() const {
    auto r = slot_.get();
    return r.ok() ? r.value() : nullptr;
}

void DocumentWindow::setView(DocumentView* view) {
    view_ = view;
    view_->setGeometry(rect());
}

void DocumentWindow::resizeEvent(QResizeEvent*) {
    if (view_) view_->setGeometry(rect());
}

bool DocumentWindow::closeDocument() {
    if (slot_.empty()) return true;
    const int r = DocumentFileOp(slot_, static_cast<int>(FileOp::Close), {}, Workspace::System({}),
                                 frame_.interaction(), frame_.identity().programName);
    if (r != 1) return false;
    if (view_) view_->documentClosing();
    slot_.detach();
    return true;
}

void DocumentWindow::keyReleaseEvent(QKeyEvent* e) {
    // F6 released anywhere in a document window goes on to the next one.
    if (e->key() == Qt::Key_F6 && e->modifiers() == Qt::NoModifier) {
        frame_.mdiArea()->activateNextSubWindow();
        return;
    }
    QWidget::keyReleaseEvent(e);
}

void DocumentWindow::closeEvent(QCloseEvent* e) {
    if (!closeDocument()) {
        e->ignore();
        return;
    }
    e->accept();
}

// ---------------------------------------------------------------- frame

ModuleFrame::ModuleFrame(ModuleIdentity identity, bus::Handle launcher, std::filesystem::path mainDirectory,
                         ViewFactory views, UserInteraction* ui)
    : identity_(std::move(identity)), mainDirectory_(std::move(mainDirectory)), views_(std::move(views)), ui_(ui),
      workspace_(Workspace::System(mainDirectory_)), sdkPath_(mainDirectory_) {
    if (!ui_) {
        ownUi_ = std::make_unique<QtUserInteraction>(this);
        ui_ = ownUi_.get();
    }
    setObjectName(QStringLiteral("ModuleFrame%1").arg(identity_.code));
    setProperty("programName", Q(identity_.programName));
    setWindowTitle(Q(identity_.programName));
    setAcceptDrops(true);
    resize(500, 350);
    if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - QPoint(250, 175));

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiClient"));
    setCentralWidget(mdi_);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    applyTexture();
    // The MDI keys: Ctrl+F4 closes the active document window, Ctrl+F6 (the Window menu's
    // "Next Window") goes to the next; F1 opens the help its menu entry names.
    auto* closeChild = new QShortcut(QKeySequence(QStringLiteral("Ctrl+F4")), this);
    connect(closeChild, &QShortcut::activated, this, [this] {
        if (QMdiSubWindow* sub = mdi_->activeSubWindow()) sub->close();
    });
    for (int id : {kNextWindow, kHelp})
        if (QAction* a = action(id)) a->setShortcutContext(Qt::WindowShortcut);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        // A view that names the control for the keys (its focus proxy) gets the keyboard
        // when its window is activated (Window -> 1, 2 ..., Ctrl+F6), not the first button.
        if (DocumentWindow* w = activeWindow(); w && w->view() && w->view()->focusProxy()) w->view()->setFocus();
        updateCommands();
    });

    bus::FrameEvents ev;
    ev.close = [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); };
    ev.openImage = [this](const std::string& p) {
        openImage(p);
        raise();
        activateWindow();
    };
    ev.launcherMoved = [this](int x, int y) { launcherMoved(x, y); };
    ev.targetReady = [this](std::uint32_t, bus::Handle frame) { sendImageTo(frame); };
    ev.floppyBusy = [this](bool busy) {
        floppyBusy_ = busy;
        updateCommands();
    };
    ev.floppyResult = [this](std::uint32_t what, bus::Param result) {
        if (what == msg::kFloppyIdle) {
            pendingFloppy_ = 0;
            floppyBusy_ = false;
            setEnabled(true);
        } else if (pendingFloppy_ != 0) {
            floppyBusy_ = false;
            // The frame waited, disabled, while its image was written.
            if (what == msg::kFloppyWrite) setEnabled(true);
            if (what == msg::kFloppyRead && result != 0) openImage(reinterpret_cast<const char*>(result));
            raise();
            activateWindow();
        }
        updateCommands();
    };
    link_ = std::make_unique<bus::FrameLink>(identity_.code, launcher, std::move(ev));
    updateCommands();
}

ModuleFrame::~ModuleFrame() {
    // The document windows go with the MDI area after this body; none of their signals
    // may reach a frame whose members are gone.
    mdi_->disconnect(this);
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (sub->widget()) sub->widget()->disconnect(this);
    link_->sayClosed();
}

void ModuleFrame::announce() { link_->announce(); }

bool ModuleFrame::start(SettingsStore* store, ModuleSettingsSpec spec) {
    store_ = store;
    settings_ = std::move(spec);
    if (settings_.frame) frameSettings_ = settings_.frame;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    const Geometry centred{screen.center().x() - kFrameWidth / 2, screen.center().y() - kFrameHeight / 2, kFrameWidth,
                           kFrameHeight};
    CommonSettings common;
    const LoadOutcome outcome = store_ ? LoadSettings(*store_, settings_.key, settings_.table, settings_.storage,
                                                      common, *ui_, identity_.programName)
                                       : LoadOutcome::Loaded;
    if (outcome == LoadOutcome::Fatal) {
        store_ = nullptr; // nothing of a key that is not there is written on the way out
        return false;
    }
    if (store_) {
        mainDirectory_ = common.mainPath;
        sdkPath_ = common.sdkPath;
        workspace_.emplace(Workspace::System(mainDirectory_));
    }
    // Sessions of editors that crashed are cleaned up before this one starts its own.
    UndoStore::Recover(*workspace_);
    if (outcome == LoadOutcome::FirstStart) {
        firstStart_ = true;
        if (settings_.firstStart) {
            Status s = settings_.firstStart(mainDirectory_);
            if (!s.ok()) ui_->report(s.failure(), identity_.programName);
        }
    }
    const Geometry g = store_ ? InitialGeometry(outcome, *frameSettings_, common, centred) : centred;
    resize(g.w, g.h);
    move(g.x, g.y);
    applyTexture();
    return true;
}

void ModuleFrame::launcherMoved(int x, int y) {
    int toX = 0, toY = 0;
    if (AlignedPosition(*frameSettings_, x, y, toX, toY)) keepOnScreen(QPoint(toX, toY));
}

void ModuleFrame::applyTexture() {
    mdi_->setBackground(frameSettings_->winTexture ? QBrush(BackgroundTexture()) : QBrush(QColor(0x3a, 0x44, 0x52)));
}

PreferencesDialog* ModuleFrame::showPreferences() {
    if (auto* open = findChild<PreferencesDialog*>(); open && open->isVisible()) return open;
    // A frame started without module settings (tools, tests) has nothing to show.
    if (settings_.pages.empty()) return nullptr;
    auto* d = new PreferencesDialog(settings_.pages, settings_.storage, firstStart_, this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->appearanceChanged = [this] { applyTexture(); };
    d->saved = [this] {
        firstStart_ = false;
        writeSettings();
        applyTexture();
        updateCommands(); // "No Sound" and the like decide what a view enables
    };
    if (settings_.prepare) settings_.prepare(*d);
    d->open();
    return d;
}

void ModuleFrame::writeSettings() {
    if (!store_ || settings_.storage.empty()) return;
    KeepGeometry(*frameSettings_, {x(), y(), width(), height()});
    SaveSettings(*store_, settings_.key, settings_.table, settings_.storage, *ui_, identity_.programName);
}

void ModuleFrame::openHelp() {
    // The help pages: the main directory's, else the installation's.
    const QString file = QString::fromStdString(FindHelpPage(mainDirectory_, identity_.helpFile).string());
    if (identity_.helpFile.empty() || !QFileInfo::exists(file) || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        ui_->message("Couldn't start Help! Please check if .chm file is present in VELDIN working directory.",
                     identity_.programName, Icon::Error);
}

void ModuleFrame::buildMenus() {
    std::vector<Menu> menus = *identity_.menus->menu;
    for (Menu& m : menus)
        if (m.title == "&Special" && !identity_.special.empty()) m.entries = identity_.special;
    for (const Menu& m : menus) {
        QMenu* menu = menuBar()->addMenu(Q(m.title));
        menu->setObjectName(Q(m.title).remove('&'));
        menu->setToolTipsVisible(true); // a disabled command's tooltip says why
        if (m.title == "&Window") windowMenu_ = menu;
        for (const MenuEntry& e : m.entries) {
            if (e.id == kSeparator) {
                menu->addSeparator();
                continue;
            }
            QString text = Q(e.text);
            QString shortcut;
            if (int tab = text.indexOf('\t'); tab >= 0) {
                shortcut = text.mid(tab + 1);
                text = text.left(tab);
            }
            auto* a = new QAction(text, this);
            a->setObjectName(CtlName(e.id));
            // The shortcut shows in the menu as it always has; the keys are the views'.
            if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut)), a->setShortcutContext(Qt::WidgetShortcut);
            const int id = e.id;
            connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
            menu->addAction(a);
            actions_[e.id] = a;
        }
    }
    if (auto* more = menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        more->setAccessibleName(QStringLiteral("More menus"));
    contextMenu_ = new QMenu(this);
    contextMenu_->setToolTipsVisible(true);
    for (int id : identity_.context.empty() ? *identity_.menus->contextMenu : identity_.context) {
        if (id == kSeparator) contextMenu_->addSeparator();
        else if (QAction* a = action(id)) contextMenu_->addAction(a);
    }
}

void ModuleFrame::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    for (int id : ToolBarCommands()) {
        if (id == kSeparator) {
            bar->addSeparator();
            continue;
        }
        if (id == kSendToPatch) id = identity_.menus->sendToSound;
        QAction* a = action(id);
        if (!a) continue;
        a->setIcon(ToolIcon(ToolBarImage(id)));
        bar->addAction(a);
    }
    // The bar's own button for the commands that do not fit is nameless to screen readers.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More commands"));
}

void ModuleFrame::buildStatusBar() {
    // The parts are as wide as the longest text each shows (the memory figures, the
    // octave), never narrower than the classic widths.
    const QFontMetrics fm(font());
    const int widths[] = {std::max(150, fm.horizontalAdvance(QStringLiteral("00 positions & 0000000 bytes free")) + 10),
                          std::max(60, fm.horizontalAdvance(QStringLiteral("Octave: 0")) + 10), 190};
    for (int i = 0; i < 4; ++i) {
        auto* part = new QLabel(this);
        part->setObjectName(QStringLiteral("statusPart%1").arg(i));
        static const char* const names[] = {"Free memory", "Octave", "Status", "Messages"};
        part->setAccessibleName(QLatin1String(names[i]));
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 3) {
            part->setMinimumWidth(widths[i]);
            statusBar()->addWidget(part);
        } else {
            statusBar()->addWidget(part, 1);
        }
        statusParts_.push_back(part);
    }
}

QAction* ModuleFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QLabel* ModuleFrame::statusPart(int index) const {
    return index >= 0 && index < static_cast<int>(statusParts_.size()) ? statusParts_[index] : nullptr;
}

DocumentWindow* ModuleFrame::activeWindow() const {
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    if (!sub && !mdi_->subWindowList().isEmpty()) sub = mdi_->subWindowList().last();
    return sub ? dynamic_cast<DocumentWindow*>(sub->widget()) : nullptr;
}

Document* ModuleFrame::activeDocument() const {
    DocumentWindow* w = activeWindow();
    return w ? w->document() : nullptr;
}

std::vector<DocumentWindow*> ModuleFrame::documentWindows() const {
    std::vector<DocumentWindow*> out;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = dynamic_cast<DocumentWindow*>(sub->widget())) out.push_back(w);
    return out;
}

void ModuleFrame::updateCommands() {
    Document* doc = activeDocument();
    DocumentState state;
    if (doc) state = {&doc->definition(), doc->canUndo(), doc->canRedo()};
    std::set<int> on = EnabledDocumentCommands(state, identity_.menus->sendToSound);
    if (DocumentWindow* w = activeWindow(); w && w->view()) {
        std::set<int> sel = w->view()->selectionCommands();
        on.insert(sel.begin(), sel.end());
    }
    std::set<int> switched = DocumentCommands();
    switched.insert(identity_.menus->sendToSound);
    const DocumentView* view = activeWindow() ? activeWindow()->view() : nullptr;
    for (int id : switched)
        if (QAction* a = action(id)) {
            a->setEnabled(on.count(id) != 0);
            const QString hint = a->isEnabled() || !view ? QString() : view->disabledHint(id);
            // No tooltip of its own: menus show none, the tool bar shows the name.
            a->setToolTip(hint);
        }
    for (const MenuEntry& e : identity_.special)
        if (QAction* a = action(e.id)) a->setEnabled(on.count(e.id) != 0);
    for (int id : {kImportFloppy, kFormatFloppy})
        if (QAction* a = action(id)) a->setEnabled(!floppyBusy_);
    if (floppyBusy_)
        if (QAction* a = action(kExportFloppy)) a->setEnabled(false);
    updateWindowList();
}

void ModuleFrame::updateWindowList() {
    // The Window menu ends with one entry per document window, ids from 1805.
    for (QAction* a : windowList_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowList_.clear();
    const QList<QMdiSubWindow*> subs = mdi_->subWindowList();
    if (!subs.isEmpty()) windowList_.push_back(windowMenu_->addSeparator());
    for (int i = 0; i < subs.size(); ++i) {
        QMdiSubWindow* sub = subs[i];
        auto* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(sub->widget()->windowTitle()));
        a->setObjectName(CtlName(kFirstChild + i));
        a->setCheckable(true);
        a->setChecked(sub == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] { mdi_->setActiveSubWindow(sub); });
        windowList_.push_back(a);
    }
}

bool ModuleFrame::addDocument(Result<std::unique_ptr<Document>> opened) {
    if (!opened.ok()) {
        ui_->report(opened.failure(), identity_.programName);
        return false;
    }
    auto* w = new DocumentWindow(*this, std::move(opened).value());
    if (views_) w->setView(views_(*w->document(), *this, w));
    QMdiSubWindow* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(w, &QObject::destroyed, this, [this] { QMetaObject::invokeMethod(this, [this] { updateCommands(); }, Qt::QueuedConnection); });
    sub->showMaximized();
    mdi_->setActiveSubWindow(sub);
    fitDocument(w);
    updateCommands();
    return true;
}

void ModuleFrame::fitDocument(DocumentWindow* w) {
    // A frame smaller than a document window's view (with menus, tool bar and status
    // bar around it) grows so that everything shows, as far as the screen allows.
    if (!w->view()) return;
    const QSize view = w->view()->minimumSizeHint();
    const int chromeH = menuBar()->sizeHint().height() + findChild<QToolBar*>()->sizeHint().height() +
                        statusBar()->sizeHint().height() + 8;
    QSize want(std::max({width(), view.width() + 8, statusBar()->sizeHint().width()}),
               std::max(height(), view.height() + chromeH));
    if (want == size()) return;
    QScreen* s = screen();
    const QRect avail = s ? s->availableGeometry() : QRect(QPoint(0, 0), want);
    want = want.boundedTo(avail.size());
    resize(want);
    keepOnScreen(pos());
}

void ModuleFrame::keepOnScreen(QPoint at) {
    // A frame placed below the launcher must not reach past the screen's edge.
    QScreen* s = screen();
    if (!s) return;
    const QRect avail = s->availableGeometry();
    QRect placed(at, frameGeometry().size().boundedTo(avail.size()));
    if (placed.bottom() > avail.bottom()) placed.moveBottom(avail.bottom());
    if (placed.right() > avail.right()) placed.moveRight(avail.right());
    if (placed.topLeft() != pos()) move(placed.topLeft());
}

bool ModuleFrame::openImage(const std::filesystem::path& path) {
    return addDocument(Document::Open(*workspace_, path));
}

bool ModuleFrame::newImage(SamplerChoice choice, const std::filesystem::path& path) {
    return addDocument(Document::New(*workspace_, choice, path));
}

namespace {
QString Filters() {
    QStringList f;
    for (const auto& c : SamplerChoices())
        f << QStringLiteral("%1 (%2)").arg(Q(c.filterText).section(" (", 0, 0), Q(c.pattern));
    return f.join(";;");
}
std::optional<SamplerChoice> ChoiceOfFilter(const QString& filter) {
    for (const auto& c : SamplerChoices())
        if (filter.contains(Q(c.pattern))) return c.choice;
    return std::nullopt;
}
} // namespace

void ModuleFrame::commandNew() {
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Create New..."),
                                                      QString::fromStdString(sdkPath_.string()), Filters(), &filter);
    if (path.isEmpty()) return;
    newImage(ChoiceOfFilter(filter).value_or(SamplerChoice::W30), path.toStdString());
}

void ModuleFrame::commandOpen() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load..."), QString::fromStdString(sdkPath_.string()),
        QStringLiteral("Roland diskimage (*.s* *.out *.w30);;All files (*)"));
    if (!path.isEmpty()) openImage(path.toStdString());
}

void ModuleFrame::commandSaveAs() {
    DocumentWindow* w = activeWindow();
    Document* doc = w ? w->document() : nullptr;
    if (!doc) return;
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As..."),
                                                      QString::fromStdString(sdkPath_.string()), Filters(), &filter);
    if (path.isEmpty()) return;
    Status s = doc->saveAs(ChoiceOfFilter(filter).value_or(SamplerChoice::W30), path.toStdString());
    if (!s.ok()) ui_->report(s.failure(), identity_.programName);
    updateCommands();
}

void ModuleFrame::undoRedo(bool undo) {
    Document* doc = activeDocument();
    if (!doc) return;
    auto r = undo ? doc->undo() : doc->redo();
    if (!r.ok()) ui_->report(r.failure(), identity_.programName);
    // The view follows the step it is handed back (which tree item, panel or memo).
    if (DocumentWindow* w = activeWindow(); w && w->view() && r.ok()) w->view()->stepDone(r.value(), undo);
    updateCommands();
}

void ModuleFrame::sendTo(std::uint32_t target) {
    link_->requestSendTo(target);
}

void ModuleFrame::sendImageTo(bus::Handle target) {
    DocumentWindow* w = activeWindow();
    Document* doc = w ? w->document() : nullptr;
    if (!doc) return;
    const std::string path = doc->path().string();
    // The target opens the file itself; ours must be closed first (it is held locked).
    if (!w->closeDocument()) return;
    w->parentWidget()->close();
    link_->sendImage(target, path);
}

void ModuleFrame::about() {
    AboutDialog d(windowIcon().pixmap(32, 32), Q(identity_.programName) + QStringLiteral(" Module"),
                  Q(BuiltFileVersion()), this);
    d.exec();
}

void ModuleFrame::runCommand(int id) {
    switch (id) {
    case kNew: newCommand ? newCommand() : commandNew(); break;
    case kOpen: commandOpen(); break;
    case kImportFloppy:
        pendingFloppy_ = msg::kFloppyRead;
        link_->requestFloppy(msg::kFloppyRead);
        break;
    case kFormatFloppy:
        pendingFloppy_ = msg::kFloppyFormat;
        link_->requestFloppy(msg::kFloppyFormat);
        break;
    case kExportFloppy:
        // The launcher writes the file as it is on disk: changes not saved are not part of
        // it. The file stays open here; the launcher only reads it.
        // Without a launcher nobody would answer, and the frame would stay disabled.
        if (Document* d = activeDocument();
            d && link_->launcher() != 0 && action(kExportFloppy) && action(kExportFloppy)->isEnabled()) {
            pendingFloppy_ = msg::kFloppyWrite;
            setEnabled(false);
            link_->requestWrite(d->path().string());
        }
        break;
    case kSave:
        if (Document* d = activeDocument()) {
            Status s = d->save();
            if (!s.ok()) ui_->report(s.failure(), identity_.programName);
        }
        updateCommands();
        break;
    case kSaveAs: saveAsCommand ? saveAsCommand() : commandSaveAs(); break;
    case kClose:
        if (QMdiSubWindow* sub = mdi_->activeSubWindow()) sub->close();
        break;
    case kExit: close(); break;
    case kSendToPatch: sendTo(msg::kPatchEditor); break;
    case kSendToMidi: sendTo(msg::kMidiEditor); break;
    case kSendToTone: sendTo(msg::kToneEditor); break;
    case kUndo: undoRedo(true); break;
    case kRedo: undoRedo(false); break;
    case kTile: mdi_->tileSubWindows(); break;
    case kCascade: mdi_->cascadeSubWindows(); break;
    case kArrange: mdi_->tileSubWindows(); break;
    case kNextWindow: mdi_->activateNextSubWindow(); break;
    case kCloseAll:
        while (QMdiSubWindow* sub = mdi_->activeSubWindow() ? mdi_->activeSubWindow()
                                                             : (mdi_->subWindowList().isEmpty()
                                                                    ? nullptr
                                                                    : mdi_->subWindowList().first())) {
            if (!sub->close()) break; // Cancel keeps the rest open
        }
        break;
    case kPreferences: showPreferences(); break;
    case kHelp: openHelp(); break;
    case kAbout: about(); break;
    default:
        // Delete, the tone commands and the like belong to the active document's view.
        if (DocumentWindow* w = activeWindow(); w && w->view() && action(id) && action(id)->isEnabled())
            w->view()->runCommand(id);
        updateCommands();
        break;
    }
}

void ModuleFrame::closeEvent(QCloseEvent* e) {
    // Every window asks about its unsaved changes; a Cancel keeps the frame and the
    // windows not yet closed, so no work is lost without the user saying so.
    for (DocumentWindow* w : documentWindows()) {
        if (!w->closeDocument()) {
            e->ignore();
            return;
        }
        w->parentWidget()->close();
    }
    writeSettings();
    e->accept();
    link_->sayClosed();
}

void ModuleFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void ModuleFrame::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) openImage(urls.first().toLocalFile().toStdString());
}

std::optional<FileChoice> ChooseFileWithDialog(QWidget* parent, const FileRequest& request) {
    QFileDialog d(parent, request.title, request.directory);
    d.setNameFilters(request.filters);
    d.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (request.save) {
        d.setDefaultSuffix(request.defaultSuffix);
        d.selectFile(request.proposedName);
    }
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    return FileChoice{d.selectedFiles().first(), static_cast<int>(request.filters.indexOf(d.selectedNameFilter()))};
}

// ---------------------------------------------------------------- tool bar images

QPixmap BackgroundTexture() {
    // Dark anodised metal: a fixed grain over a slate ground, the same on every start.
    QPixmap pm(96, 96);
    pm.fill(QColor(0x34, 0x3d, 0x49));
    QPainter p(&pm);
    QRandomGenerator grain(0x5eed);
    for (int i = 0; i < 1400; ++i) {
        const int x = static_cast<int>(grain.bounded(96)), y = static_cast<int>(grain.bounded(96));
        const int len = 2 + static_cast<int>(grain.bounded(10));
        const bool light = grain.bounded(2) == 0;
        p.setPen(light ? QColor(255, 255, 255, 10 + static_cast<int>(grain.bounded(10)))
                       : QColor(0, 0, 0, 14 + static_cast<int>(grain.bounded(14))));
        p.drawLine(x, y, x + len, y);
        if (x + len >= 96) p.drawLine(x - 96, y, x + len - 96, y); // seamless when tiled
    }
    return pm;
}

QIcon ToolIcon(int image) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1d, 0x3a, 0x5f), paper(0xf4, 0xf1, 0xe8), accent(0xd9, 0x5d, 0x1e), green(0x2f, 0x8f, 0x4e);
    p.setPen(QPen(ink, 1));
    auto page = [&] {
        p.setBrush(paper);
        p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(10.5, 1.5), QPointF(13.5, 4.5), QPointF(13.5, 14.5),
                                 QPointF(3.5, 14.5)}));
    };
    auto floppy = [&](QColor c) {
        p.setBrush(c);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xcc, 0xcc, 0xcc));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
    };
    auto arrow = [&](bool left) {
        p.setPen(QPen(ink, 2));
        QPainterPath path;
        if (left) {
            path.moveTo(13, 12);
            path.cubicTo(13, 5, 8, 4, 4, 6);
        } else {
            path.moveTo(3, 12);
            path.cubicTo(3, 5, 8, 4, 12, 6);
        }
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        if (left) p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(6, 2), QPointF(6, 10)}));
        else p.drawPolygon(QPolygonF({QPointF(15, 6), QPointF(10, 2), QPointF(10, 10)}));
    };
    switch (image) {
    case 0: page(); break;
    case 1:
        p.setBrush(QColor(0xe8, 0xb9, 0x4a));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case 2: floppy(ink); break;
    case 3: arrow(true); break;
    case 4: arrow(false); break;
    case 5:
        page();
        p.translate(-2, -1);
        page();
        break;
    case 6:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2.5, 10.5, 4, 4));
        p.drawEllipse(QRectF(9.5, 10.5, 4, 4));
        p.drawLine(QPointF(5, 11), QPointF(11, 1));
        p.drawLine(QPointF(11, 11), QPointF(5, 1));
        break;
    case 7:
        p.setBrush(QColor(0xb0, 0x86, 0x4f));
        p.drawRect(QRectF(2.5, 2.5, 11, 12));
        p.setBrush(paper);
        p.drawRect(QRectF(5.5, 5.5, 8, 9));
        break;
    case 8:
        p.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2.5));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case 9: floppy(green); break;
    case 10: floppy(accent); break;
    case 11:
        floppy(QColor(0x70, 0x70, 0x70));
        break;
    case 12:
    case 13:
        p.setBrush(image == 12 ? green : accent);
        p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2);
        p.setPen(QPen(paper, 1.5));
        p.drawLine(QPointF(4, 8), QPointF(11, 8));
        p.drawLine(QPointF(8.5, 5.5), QPointF(11, 8));
        p.drawLine(QPointF(8.5, 10.5), QPointF(11, 8));
        break;
    default: break;
    }
    return QIcon(pm);
}

} // namespace veldin::ui
