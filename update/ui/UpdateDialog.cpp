#include "update/ui/UpdateDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "update/ConsoleView.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The fixed texts break lines with "\n\r"; a label wants "\n".
QString Shown(std::string_view s) { return Q(PlainLines(s)); }

// Runs `f` on the thread of `o` and returns when it is done.
void OnGui(QObject* o, const std::function<void()>& f) {
    if (QThread::currentThread() == o->thread())
        f();
    else
        QMetaObject::invokeMethod(o, f, Qt::BlockingQueuedConnection);
}

QWidget* Named(QWidget* w, const char* id, const QString& accessible) {
    w->setObjectName(QString::fromLatin1(id));
    w->setAccessibleName(accessible);
    return w;
}

constexpr int kColumns = 5;

} // namespace

// The worker's view: every call lands on the dialog's thread.
class GuiView final : public UpdateView {
public:
    explicit GuiView(UpdateDialog& d) : d_(d) {}
    void status(std::string_view t) override {
        OnGui(&d_, [&] { d_.status_->setText(Shown(t)); });
    }
    void detail(std::string_view t) override {
        OnGui(&d_, [&] { d_.detail_->setText(Shown(t)); });
    }
    void progress(int percent) override {
        OnGui(&d_, [&] { d_.progress_->setValue(percent); });
    }
    void addRow(const FetchRow& row) override {
        OnGui(&d_, [&] {
            auto* item = new QTreeWidgetItem(
                QStringList{Q(row.name), Q(row.type), Q(row.version), Q(row.size), Q(row.packed)});
            item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
            item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
            const QFileInfo local(QString::fromStdString((d_.setup_.installDir / row.name).string()));
            const QFileIconProvider icons;
            item->setIcon(0, local.exists() ? icons.icon(local) : icons.icon(QAbstractFileIconProvider::File));
            d_.list_->addTopLevelItem(item);
            d_.list_->scrollToItem(item);
        });
    }

private:
    UpdateDialog& d_;
};

// The worker's message boxes, shown by the dialog's thread; none once the user closed
// the dialog and the run is only winding down.
class GuiUi final : public UserInteraction {
public:
    explicit GuiUi(UpdateDialog& d) : d_(d) {}
    void message(std::string_view text, std::string_view title, Icon icon) override {
        if (d_.stop_) return;
        OnGui(&d_, [&] { d_.s_.ui.message(text, title, icon); });
    }
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override {
        if (d_.stop_) return Answer::No;
        Answer a = Answer::No;
        OnGui(&d_, [&] { a = d_.s_.ui.ask(text, title, buttons, icon); });
        return a;
    }

private:
    UpdateDialog& d_;
};

QIcon UpdateIcon(int id) {
    // Colours of the launcher's panel: the icon of a running update is lit.
    const QColor back = id == 201 ? QColor(55, 126, 215) : QColor(0, 30, 70);
    const QColor arrow = id == 201 ? QColor(255, 255, 255) : QColor(55, 126, 215);
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(back);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1.0, size - 1.0), size / 5.0, size / 5.0);
        const double u = size / 16.0;
        QPainterPath down;
        down.moveTo(6 * u, 3 * u);
        down.lineTo(10 * u, 3 * u);
        down.lineTo(10 * u, 8 * u);
        down.lineTo(13 * u, 8 * u);
        down.lineTo(8 * u, 13 * u);
        down.lineTo(3 * u, 8 * u);
        down.lineTo(6 * u, 8 * u);
        down.closeSubpath();
        p.setBrush(arrow);
        p.drawPath(down);
        if (id == 202) p.fillRect(QRectF(3 * u, 13.5 * u, 10 * u, 1.2 * u), arrow);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

UpdateDialog::UpdateDialog(ClientServices services, ClientSetup setup, ConnectionSettings connection, QWidget* parent)
    : QDialog(parent), s_(std::move(services)), setup_(std::move(setup)), form_(connection) {
    setObjectName("VELDINOU");
    setWindowTitle(Q(text::kDialogTitle));
    setWindowIcon(UpdateIcon(202));
    tabs_ = new QTabWidget;
    Named(tabs_, "ctl1000", tr("Update and Settings tabs"));
    tabs_->addTab(buildUpdateTab(), tr("Update"));
    tabs_->addTab(buildSettingsTab(), tr("Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    // Never smaller than what the font in use needs.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    types_[static_cast<int>(connection.type)]->setChecked(true);
    proxy_->setText(Q(connection.proxy));
    saveButton_->setEnabled(false);
    status_->setText(Q(text::kPressStart));
    setUpTrayIcon();
}

UpdateDialog::~UpdateDialog() {
    stop_ = true;
    // The worker may be waiting for this thread to show a line; let it finish.
    while (worker_ && !worker_->isFinished()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (worker_) worker_->wait();
}

QWidget* UpdateDialog::buildUpdateTab() {
    auto* page = new QWidget;
    icon_ = new QLabel;
    Named(icon_, "ctl1001", tr("VELDIN Online Update icon"));
    icon_->setPixmap(UpdateIcon(202).pixmap(32, 32));
    status_ = new QLabel;
    detail_ = new QLabel;
    Named(status_, "ctl1002", tr("Status"));
    Named(detail_, "ctl1003", tr("Details"));
    for (QLabel* l : {status_, detail_}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    // Two lines each, so that a long file name never pushes the list around.
    status_->setMinimumHeight(QFontMetrics(bold).lineSpacing() * 2);
    detail_->setMinimumHeight(detail_->fontMetrics().lineSpacing() * 2);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    detail_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    list_ = new QTreeWidget;
    Named(list_, "ctl1004", tr("Fetched files"));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(kColumns);
    list_->setHeaderLabels({tr("Name"), tr("Type"), tr("Version"), tr("Size"), tr("Packed")});
    list_->header()->setAccessibleName(tr("File list columns"));
    list_->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    list_->headerItem()->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    // Widths that hold typical contents in the font in use.
    const QFontMetrics fm = list_->fontMetrics();
    const QString samples[kColumns] = {"libQuilla.so.xx", "Registry", "10.10.100.100", "99999999 b", "99999999 b"};
    int total = 0;
    for (int c = 0; c < kColumns; ++c) {
        const int w = std::max(fm.horizontalAdvance(samples[c]), fm.horizontalAdvance(list_->headerItem()->text(c))) +
                      fm.averageCharWidth() * 3 + (c == 0 ? list_->iconSize().width() + 20 : 0);
        list_->setColumnWidth(c, w);
        total += w;
    }
    list_->setMinimumWidth(total + 8);
    list_->setMinimumHeight(fm.lineSpacing() * 8);

    progress_ = new QProgressBar;
    Named(progress_, "ctl1005", tr("Download progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    startButton_ = new QPushButton(tr("Start"));
    Named(startButton_, "ctl1", tr("Start"));
    startButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, &UpdateDialog::start);

    auto* lines = new QVBoxLayout;
    lines->addWidget(status_);
    lines->addWidget(detail_);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(startButton_);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);
    return page;
}

QWidget* UpdateDialog::buildSettingsTab() {
    auto* page = new QWidget;
    auto* typeBox = new QGroupBox(tr("Connection Type"));
    Named(typeBox, "ctl1105", tr("Connection Type"));
    auto* typeLayout = new QVBoxLayout(typeBox);
    const char* ids[3] = {"ctl1100", "ctl1101", "ctl1102"};
    const QString names[3] = {tr("Auto"), tr("Via Modem"), tr("Use Proxy")};
    for (int i = 0; i < 3; ++i) {
        types_[i] = new QRadioButton(names[i]);
        Named(types_[i], ids[i], names[i]);
        typeLayout->addWidget(types_[i]);
        connect(types_[i], &QRadioButton::clicked, this, [this, i] {
            form_.choose(static_cast<ConnectionType>(i));
            saveButton_->setEnabled(form_.canSave());
        });
    }
    auto* proxyBox = new QGroupBox(tr("Proxy"));
    Named(proxyBox, "ctl1106", tr("Proxy"));
    proxy_ = new QLineEdit;
    Named(proxy_, "ctl1103", tr("Proxy"));
    proxy_->setMaxLength(255);
    proxy_->setPlaceholderText("host:port");
    connect(proxy_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.typeProxy(t.toStdString());
        saveButton_->setEnabled(form_.canSave());
    });
    auto* proxyLayout = new QVBoxLayout(proxyBox);
    proxyLayout->addWidget(proxy_);
    saveButton_ = new QPushButton(tr("Save Settings"));
    Named(saveButton_, "ctl1104", tr("Save Settings"));
    connect(saveButton_, &QPushButton::clicked, this, &UpdateDialog::saveSettings);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(typeBox);
    layout->addWidget(proxyBox);
    layout->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

void UpdateDialog::setUpTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(UpdateIcon(200), this);
    tray_->setToolTip(Q(text::kTitle));
    connect(tray_, &QSystemTrayIcon::activated, this, [this] {
        tray_->setIcon(UpdateIcon(201));
        raise();
        activateWindow();
        QTimer::singleShot(300, this, [this] { tray_->setIcon(UpdateIcon(200)); });
    });
    tray_->show();
}

void UpdateDialog::saveSettings() {
    form_.save(s_.settings);
    saveButton_->setEnabled(form_.canSave());
}

void UpdateDialog::start() {
    if (!gate_.tryStart()) return;
    startButton_->setEnabled(false);
    if (setup_.server.empty()) {
        status_->setText(Q(text::kNoServer));
        workerDone(false);
        return;
    }
    list_->clear();
    progress_->setValue(0);
    detail_->clear();
    stop_ = false;
    const ConnectionSettings connection = form_.edited();
    worker_ = QThread::create([this, connection] {
        auto downloader = s_.makeDownloader(connection);
        GuiView view(*this);
        GuiUi ui(*this);
        const UpdateRequest request{setup_.server, setup_.installDir, false, setup_.trustedKeys, &stop_};
        const bool ok = RunUpdate(request, {*downloader, view, ui, s_.workerSettings, s_.shell}).ok();
        QMetaObject::invokeMethod(this, [this, ok] { workerDone(ok); }, Qt::QueuedConnection);
    });
    worker_->setObjectName("update worker");
    worker_->start();
}

void UpdateDialog::workerDone(bool ok) {
    if (worker_) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    gate_.finished();
    startButton_->setEnabled(true);
    if (onFinished) onFinished(ok);
    if (closeWhenDone_) close();
}

void UpdateDialog::closeEvent(QCloseEvent* e) {
    if (gate_.busy()) {
        // The files already fetched are not installed; the dialog closes once the
        // download under way has ended.
        stop_ = true;
        closeWhenDone_ = true;
        startButton_->setEnabled(false);
        e->ignore();
        return;
    }
    if (tray_) tray_->hide();
    QDialog::closeEvent(e);
}

} // namespace veldin::update
