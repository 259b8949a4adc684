#include "launcher/ui/LauncherWindow.h"

#include <memory>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QFontDatabase>
#include <QLocalSocket>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "core/InstallLayout.h"
#include "core/FileVersion.h"
#include "core/SingleInstance.h"
#include "frame/ui/AboutDialog.h"
#include "launcher/FloppyPanel.h"
#include "launcher/InstanceMessages.h"
#include "launcher/LauncherSettings.h"
#include "launcher/ui/FloppyWorker.h"
#include "launcher/ui/OptionsDialog.h"

namespace veldin::launcher {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Panel colours: the display's ink, and the caption boxes' fill and lettering.
const QColor kInk(0, 30, 70);
const QColor kCaptionFill(0, 30, 70);
const QColor kCaptionText(55, 126, 215);

QFont PanelFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Mono"), QStringLiteral("Courier New"),
                   QStringLiteral("monospace")});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(13);
    return f;
}

QFont LabelFont(int px, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

bool IsModuleButton(int id) { return id == kCdButton || id == kToneButton || id == kPatchButton || id == kMidiButton; }

} // namespace

// ---------------------------------------------------------------- buttons

namespace {

// What assistive technology sees of a drawn button: a push button with its face text
// as name and one action, press, that clicks it.
class BitmapButtonAccessible final : public QAccessibleWidget {
public:
    explicit BitmapButtonAccessible(BitmapButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) static_cast<BitmapButton*>(widget())->press();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// The button has no meta object of its own: it is asked for under "QWidget".
QAccessibleInterface* BitmapButtonFactory(const QString&, QObject* object) {
    if (auto* b = dynamic_cast<BitmapButton*>(object)) return new BitmapButtonAccessible(b);
    return nullptr;
}

} // namespace

void InstallButtonAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(BitmapButtonFactory);
        return true;
    }();
    (void)installed;
}

BitmapButton::BitmapButton(const ButtonInfo& info, QWidget* parent)
    : QWidget(parent), info_(info), endpoint_([this](std::uint32_t message, bus::Param, bus::Param) -> bus::Param {
          if (message != msg::LM_BUTTON_PRESS) return 0;
          press();
          return 1;
      }) {
    // Before anything can ask for the button's accessible interface (a name change does).
    InstallButtonAccessibility();
    setObjectName(QStringLiteral("ctl%1").arg(info.id));
    setToolTip(Q(info.tooltip));
    // Drawn, not a push button: screen readers learn its face text and what it does.
    setAccessibleName(Q(info.label));
    setAccessibleDescription(Q(info.tooltip));
    setGeometry(info.x, info.y, kButtonWidth, kButtonHeight);
    setCursor(Qt::PointingHandCursor);
}

void BitmapButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(e);
}

void BitmapButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool fkey = info_.id >= 61;
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    // A rubber key in a bezel: the bezel stays, the key sinks while held.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x2e, 0x33));
    p.drawRoundedRect(r, 5, 5);
    const QRectF key = r.adjusted(2, 2, -2, -2).translated(0, down_ ? 1 : 0);
    QLinearGradient g(key.topLeft(), key.bottomLeft());
    QColor top = fkey ? QColor(0x5b, 0x66, 0x73) : QColor(0x6c, 0x74, 0x7e);
    QColor bottom = fkey ? QColor(0x37, 0x3f, 0x48) : QColor(0x43, 0x49, 0x51);
    if (info_.id == 50) top = QColor(0xc2, 0x4a, 0x2c), bottom = QColor(0x8a, 0x2a, 0x17);
    if (down_) std::swap(top, bottom);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawRoundedRect(key, 4, 4);
    p.setPen(QColor(255, 255, 255, 40));
    p.setBrush(Qt::NoBrush);
    p.drawLine(key.topLeft() + QPointF(4, 0.5), key.topRight() + QPointF(-4, 0.5));
    // Module keys carry a lamp that is lit while their module runs.
    QRectF textRect = key;
    if (IsModuleButton(info_.id)) {
        const QRectF lamp(key.left() + 5, key.center().y() - 2.5, 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(lit_ ? QColor(0x5c, 0xf0, 0x6a) : QColor(0x24, 0x3a, 0x28));
        p.drawEllipse(lamp);
        textRect.setLeft(lamp.right() + 1);
    }
    p.setFont(LabelFont(fkey ? 10 : 9));
    p.setPen(isEnabled() ? QColor(0xf2, 0xf2, 0xee) : QColor(0xa0, 0xa4, 0xa8));
    p.drawText(textRect, Qt::AlignCenter, Q(info_.label));
}

void BitmapButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    down_ = true;
    update();
}

void BitmapButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !down_) return;
    down_ = false;
    update();
    if (rect().contains(e->position().toPoint()) && clicked) clicked();
}

// ---------------------------------------------------------------- window

LauncherWindow::LauncherWindow(UserInteraction& ui, LibraryLoader& loader, int osFamily) : ui_(ui) {
    setObjectName(QStringLiteral("VELDIN_Class"));
    setWindowTitle(QStringLiteral("VELDIN"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
    setFixedSize(kWindowWidth, kWindowHeight);
    setAcceptDrops(true);
    QRegion outline;
    for (const Rect& r : OutlineRects()) outline += QRegion(r.x, r.y, r.w, r.h);
    setMask(outline);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().width() / 2 - kWindowWidth / 2, s->geometry().height() / 2 - kWindowHeight / 2);

    host_ = std::make_unique<ModuleHost>(loader, ui_, osFamily);
    host_->changed = [this] { syncButtons(); };
    host_->moduleClosed = [this] {
        raise();
        activateWindow();
    };
    for (const ButtonInfo& b : Buttons()) {
        auto* button = new BitmapButton(b, this);
        const int id = b.id;
        button->clicked = [this, id] { command(id); };
        buttons_[id] = button;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) serveConnection(s);
    });
    // The panel is drawn; this invisible stand-in carries its text for screen readers.
    panelName_ = new QWidget(this);
    panelName_->setObjectName(QStringLiteral("panel"));
    panelName_->setGeometry(kPanelRect.x, kPanelRect.y, kPanelRect.w, kPanelRect.h);
    panelName_->setAttribute(Qt::WA_TransparentForMouseEvents);
    worker_ = std::make_unique<FloppyWorker>(this);
    workerUi_ = std::make_unique<WorkerInteraction>(*worker_, this, ui_, control_);
    host_->floppyRequested = [this](std::uint32_t module, std::uint32_t request, std::string path) {
        floppyRequest(module, request, std::move(path));
    };
    syncButtons();
    refresh();
}

LauncherWindow::~LauncherWindow() {
    // A running transfer stops; the worker waits for nothing more from this window.
    control_.stopRequest.store(true);
    worker_->abandon();
    host_->changed = nullptr;
    host_->moduleClosed = nullptr;
    host_->floppyRequested = nullptr;
}

void LauncherWindow::start(SettingsStore* store, const std::filesystem::path& installDir) {
    store_ = store;
    if (!store_) return;
    // The launcher listens before its start, so a second launcher may hand over images
    // while a message of the start is shown; they wait until the settings are read.
    settingUp_ = true;
    const SettingsStart how = ReadLauncherSettings(*store_, settings_, ui_);
    if (settings_.winPosX != -1 && settings_.winPosY != -1) move(settings_.winPosX, settings_.winPosY);
    host_->launcherMoved(x(), y()); // the modules that start learn where to align
    if (how == SettingsStart::FirstRun) {
        Status s = PrepareFirstRun(settings_, installDir);
        if (!s.ok()) ui_.report(s.failure(), kTitle);
        showOptions(true);
        return;
    }
    openWaiting();
}

void LauncherWindow::openWaiting() {
    settingUp_ = false;
    std::vector<OpenRequest> waiting;
    waiting.swap(waitingOpens_);
    for (const OpenRequest& r : waiting) openRequest(r);
}

void LauncherWindow::showOptions(bool firstRun) {
    if (!store_) return;
    auto* d = new OptionsDialog(*store_, settings_, ui_, firstRun, this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    if (firstRun) {
        // Images named on the command line wait for the set-up: a module started before
        // the settings exist could only say that VELDIN needs reinstalling.
        settingUp_ = true;
        connect(d, &QDialog::finished, this, [this] { openWaiting(); });
    }
    d->open();
}

BitmapButton* LauncherWindow::button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

bool LauncherWindow::listen(const QString& name) {
    QLocalServer::removeServer(name); // a name left behind by a launcher that was killed
    return server_.listen(name);
}

void LauncherWindow::serveConnection(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto reader = std::make_shared<InstanceReader>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
        const QByteArray bytes = socket->readAll();
        reader->feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        // The requests run after this handler: an open or a close may show a message box,
        // whose event loop would see the peer hang up and delete the socket under it.
        while (auto m = reader->next()) {
            if (m->close) {
                socket->write(QByteArray(kInstancePidPrefix.data(), static_cast<qsizetype>(kInstancePidPrefix.size())) +
                              QByteArray::number(QCoreApplication::applicationPid()) + '\n');
                socket->flush();
                QMetaObject::invokeMethod(this, [this] { requestClose(); }, Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(this, [this, r = m->open] { openRequest(r); }, Qt::QueuedConnection);
            }
        }
        // A malformed message: nothing more from this peer is trusted.
        if (reader->broken()) socket->abort();
    });
}

void LauncherWindow::openRequest(const OpenRequest& r) {
    if (settingUp_) waitingOpens_.push_back(r);
    else host_->openFromCommandLine(r.button, r.path);
}

void LauncherWindow::syncButtons() {
    for (const auto& slot : host_->moduleSlots()) {
        if (BitmapButton* b = button(slot.button)) {
            b->setEnabled(slot.buttonEnabled);
            b->setLit(slot.window != 0);
        }
    }
}

void LauncherWindow::command(int id) {
    // The busy mark of a floppy stage: only the F-keys act.
    if (stages_.active() && !(id >= 61 && id <= 65)) return;
    switch (id) {
    case 50: requestClose(); break;
    case 51: showOptions(false); break;
    case 53: pressFloppyButton(); break;
    case 52: {
        // The help is an HTML page in the main directory or the installation's help folder.
        const QString help = QString::fromStdString(FindHelpPage(settings_.mainPath, "veldin.html").string());
        if (!QFileInfo::exists(help) || !QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
            ui_.message("Couldn't start Help! Please check if .chm file is present in VELDIN working directory.",
                        kTitle, Icon::Error);
        break;
    }
    case 55:
        // The update client; whether it started is not checked.
        // The update client lies with the modules.
        QProcess::startDetached(QString::fromStdString((RunningLayout().moduleDir / "update").string()), {},
                                QString::fromStdString(RunningLayout().moduleDir.string()));
        break;
    case 61: case 62: case 63: case 64: case 65: pressFunctionKey(id - 60); break;
    default:
        if (IsModuleButton(id)) host_->pressButton(id);
        break; // Configuration, floppy and update come with their own windows
    }
    syncButtons();
}

void LauncherWindow::pressFunctionKey(int n) {
    if (stages_.stage()) {
        floppyAction(stages_.functionKey(n));
        return;
    }
    const Action a = state_.functionKey(n);
    if (a == Action::Close) requestClose();
    syncBusy();
    refresh();
}

void LauncherWindow::syncBusy() { host_->setBusy(state_.busy() || stages_.active()); }

void LauncherWindow::refresh() {
    const PanelContent& c = state_.panel();
    QStringList words;
    for (const std::string& line : PanelLines(c.text)) {
        const QString l = QString::fromStdString(Cp437ToUtf8(line)).simplified();
        if (!l.isEmpty()) words << l;
    }
    panelName_->setAccessibleName(words.join(QLatin1Char(' ')));
    for (int i = 0; i < 5; ++i)
        if (BitmapButton* b = button(61 + i)) {
            const auto& caption = c.captions[static_cast<std::size_t>(i)];
            b->setAccessibleName(caption ? QString::fromStdString(*caption) : QStringLiteral("F%1").arg(i + 1));
        }
    update();
}

void LauncherWindow::requestClose() {
    // A floppy stage is ended by its own keys first.
    if (stages_.active()) return;
    const Action a = state_.closeRequest();
    syncBusy();
    if (a != Action::Close) {
        refresh();
        return;
    }
    host_->closeAll();
    if (store_) {
        settings_.winPosX = x();
        settings_.winPosY = y();
        SaveLauncherPosition(*store_, settings_, ui_);
    }
    reallyClosing_ = true;
    close();
}

void LauncherWindow::closeEvent(QCloseEvent* e) {
    if (reallyClosing_) {
        server_.close();
        e->accept();
        return;
    }
    e->ignore();
    requestClose();
}

void LauncherWindow::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F5) {
        // The key acts as the click on its F-key button would.
        if (BitmapButton* b = button(61 + (e->key() - Qt::Key_F1)))
            bus::MessageBus::instance().send(b->handle(), msg::LM_BUTTON_PRESS, 0, 0);
    } else if (e->key() == Qt::Key_Escape) {
        if (!state_.busy() && !stages_.active()) requestClose();
    } else {
        QWidget::keyReleaseEvent(e);
        return;
    }
    syncBusy();
}

void LauncherWindow::mousePressEvent(QMouseEvent* e) {
    // The whole body is the window's caption: pressing on it drags the window.
    if (e->button() == Qt::LeftButton && windowHandle()) windowHandle()->startSystemMove();
}

void LauncherWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) showAbout();
}

void LauncherWindow::moveEvent(QMoveEvent*) { host_->launcherMoved(x(), y()); }

void LauncherWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (!state_.busy() && !stages_.active() && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void LauncherWindow::dropEvent(QDropEvent* e) {
    // The first of the dropped files is written to the floppy.
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile() || state_.busy() || stages_.active()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    dropImage(urls.first().toLocalFile().toStdString());
}

void LauncherWindow::showAbout() {
    // The launcher's picture: its own panel, small.
    const QPixmap panel = grab().scaled(120, 40, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui::AboutDialog d(panel, QStringLiteral("VELDIN"), Q(BuiltFileVersion()), this);
    d.exec();
}

// ---------------------------------------------------------------- painting

void LauncherWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Brushed aluminium body with a dark top rail.
    QLinearGradient body(0, 0, 0, height());
    body.setColorAt(0, QColor(0xdf, 0xe3, 0xe7));
    body.setColorAt(0.5, QColor(0xc9, 0xcf, 0xd5));
    body.setColorAt(1, QColor(0xa9, 0xb1, 0xb9));
    p.fillRect(rect(), body);
    p.setPen(QColor(255, 255, 255, 28));
    for (int y = 36; y < height(); y += 3) p.drawLine(0, y, width(), y);
    QLinearGradient rail(0, 0, 0, 34);
    rail.setColorAt(0, QColor(0x33, 0x39, 0x41));
    rail.setColorAt(1, QColor(0x1f, 0x24, 0x2a));
    p.fillRect(QRect(0, 0, width(), 34), rail);
    p.fillRect(QRect(0, 34, width(), 2), QColor(0xd9, 0x5d, 0x1e));

    p.setFont(LabelFont(18));
    p.setPen(QColor(0xf2, 0xf2, 0xee));
    p.drawText(QRect(22, 4, 200, 28), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("VELDIN"));
    p.setFont(LabelFont(9, false));
    p.setPen(QColor(0xa8, 0xb2, 0xbd));
    p.drawText(QRect(112, 4, 300, 28), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("SOUND MANAGER  ·  S-50 / S-330 / S-550 / W-30"));
    p.setPen(QColor(0xd9, 0x5d, 0x1e));
    p.drawText(QRect(380, 4, 200, 28), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("DISK  ·  TONE  ·  MIDI"));

    // Screws in the corners of the body.
    for (QPoint c : {QPoint(16, 48), QPoint(584, 48), QPoint(16, 184), QPoint(584, 184)}) {
        QRadialGradient g(c - QPoint(1, 1), 5);
        g.setColorAt(0, QColor(0xf5, 0xf5, 0xf5));
        g.setColorAt(1, QColor(0x8a, 0x92, 0x9a));
        p.setPen(QColor(0x6a, 0x72, 0x7a));
        p.setBrush(g);
        p.drawEllipse(c, 4, 4);
        p.drawLine(c + QPoint(-2, 2), c + QPoint(2, -2));
    }

    // Silk-screen labels above the key groups.
    p.setFont(LabelFont(8));
    p.setPen(QColor(0x4a, 0x52, 0x5c));
    p.drawText(QRect(400, 38, 167, 12), Qt::AlignLeft, QStringLiteral("SYSTEM"));
    p.drawText(QRect(400, 100, 167, 12), Qt::AlignLeft, QStringLiteral("TOOLS"));
    p.drawText(QRect(400, 161, 167, 12), Qt::AlignLeft, QStringLiteral("EDITORS"));
    p.drawText(QRect(56, 44, 300, 12), Qt::AlignLeft, QStringLiteral("DISPLAY"));
    p.setPen(QColor(0x9a, 0xa2, 0xab));
    p.drawLine(395, 88, 572, 88);
    p.drawLine(395, 150, 572, 150);
    p.drawLine(378, 50, 378, 196);

    // The display sits in a bezel below the window's surface.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x2e, 0x33));
    p.drawRoundedRect(QRectF(kPanelRect.x - 6, kPanelRect.y - 6, kPanelRect.w + 12, kPanelRect.h + 12), 6, 6);
    paintPanel(p);
}

void LauncherWindow::paintPanel(QPainter& win) {
    // Drawn off-screen and copied as a whole, so the display never flickers.
    QPixmap off(kPanelRect.w, kPanelRect.h);
    QPainter p(&off);
    QLinearGradient lcd(0, 0, 0, kPanelRect.h);
    lcd.setColorAt(0, QColor(0xb9, 0xd3, 0xdf));
    lcd.setColorAt(1, QColor(0x9c, 0xc0, 0xd0));
    p.fillRect(off.rect(), lcd);
    p.setPen(QColor(0, 30, 70, 40));
    p.drawRect(off.rect().adjusted(0, 0, -1, -1));

    const PanelContent& c = state_.panel();
    p.setPen(kInk);
    // The panel's texts are code page 437 bytes (its box lines among them).
    QStringList lines;
    for (const std::string& line : PanelLines(c.text)) lines << QString::fromStdString(Cp437ToUtf8(line));
    // The text stays above the caption boxes; a long text (a disk's summary with its memo
    // box) gets a smaller font rather than being cut.
    bool anyCaption = false;
    for (const auto& caption : c.captions) anyCaption = anyCaption || caption.has_value();
    const int room = (anyCaption ? CaptionBox(0).y - kPanelRect.y - 2 : kPanelRect.h) - 8;
    QFont font = PanelFont();
    for (int px = font.pixelSize(); px > 6; --px) {
        font.setPixelSize(px);
        const QFontMetrics m(font);
        int widest = 0;
        for (const QString& line : lines) widest = std::max(widest, m.horizontalAdvance(line));
        if (m.height() * static_cast<int>(lines.size()) <= room && widest <= kPanelRect.w - 8) break;
    }
    p.setFont(font);
    const QFontMetrics fm(font);
    int y = 4 + fm.ascent();
    for (const QString& line : lines) {
        int x = 4;
        if (c.align == Align::Centre) x = (kPanelRect.w - fm.horizontalAdvance(line)) / 2;
        else if (c.align == Align::Right) x = kPanelRect.w - 4 - fm.horizontalAdvance(line);
        p.drawText(x, y, line);
        y += fm.height();
    }
    p.setFont(LabelFont(9));
    for (int i = 0; i < 5; ++i) {
        if (!c.captions[static_cast<std::size_t>(i)]) continue;
        const Rect b = CaptionBox(i);
        const QRect r(b.x - kPanelRect.x, b.y - kPanelRect.y, b.w, b.h);
        p.fillRect(r, kCaptionFill);
        p.setPen(kCaptionText);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(*c.captions[static_cast<std::size_t>(i)]));
    }
    p.end();
    win.drawPixmap(kPanelRect.x, kPanelRect.y, off);
}

} // namespace veldin::launcher
