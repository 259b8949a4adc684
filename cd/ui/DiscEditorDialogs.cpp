#include "cd/ui/DiscEditorDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMoveEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "cd/CdMessages.h"
#include "core/FileVersion.h"
#include "core/Messages.h"
#include "core/ModuleMessages.h"
#include "frame/ui/AboutDialog.h"
#include "platform/CdDrive.h"
#include "platform/DiscImageFile.h"

namespace veldin::dorrel {

namespace fs = std::filesystem;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The control ids of the dialogs, as object names, so that tests and tools find them.
QString CtlName(int id) { return QStringLiteral("ctl%1").arg(id); }

constexpr std::string_view kTitle = text::kTitleDiscEditor;

// The wait dialog ignores Escape and the close box: it ends with its job.
class WaitDialog final : public QDialog {
public:
    explicit WaitDialog(QWidget* owner) : QDialog(owner) {
        setWindowTitle(QStringLiteral("Please Wait..."));
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
        icon->setAccessibleName(QStringLiteral("CD-ROM"));
        icon->setObjectName(CtlName(1002));
        auto* texts = new QVBoxLayout;
        texts->addWidget(new QLabel(QStringLiteral("Please wait..."), this));
        texts->addWidget(new QLabel(QStringLiteral("Accessing CD-ROM"), this));
        auto* row = new QHBoxLayout(this);
        row->addWidget(icon);
        row->addLayout(texts);
        setWindowFlag(Qt::WindowCloseButtonHint, false);
    }

protected:
    void reject() override {}
};

} // namespace

void RunWaiting(QWidget* owner, const std::function<void()>& job, bool blockOwner) {
    WaitDialog wait(owner);
    wait.setWindowModality(blockOwner ? Qt::WindowModal : Qt::NonModal);
    QEventLoop loop;
    QThread* thread = QThread::create(job);
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    wait.show();
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
}

Choosers StandardChoosers() {
    Choosers c;
    c.saveAs = [](QWidget* parent, const fs::path& dir, const QString& suggested, cd::SamplerFamily& family) {
        QStringList filters;
        for (const auto& f : cd::Families()) filters << Q(f.filterText);
        QFileDialog d(parent, QStringLiteral("Save As..."), QString::fromStdString(dir.string()));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setNameFilters(filters);
        d.setDefaultSuffix(QStringLiteral("sdk"));
        d.selectFile(suggested + QStringLiteral(".sdk"));
        // The suffix follows the chosen family.
        QObject::connect(&d, &QFileDialog::filterSelected, &d, [&d, filters](const QString& f) {
            d.setDefaultSuffix(Q(cd::Families()[static_cast<std::size_t>(filters.indexOf(f))].extension));
        });
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return fs::path{};
        const auto index = filters.indexOf(d.selectedNameFilter());
        family = cd::Families()[static_cast<std::size_t>(index < 0 ? 0 : index)].family;
        return fs::path(d.selectedFiles().front().toStdString());
    };
    c.batch = [](QWidget* parent, const BatchQuestion& question, BatchChoice& choice) {
        BatchExportDialog d(question, choice, parent);
        if (d.exec() != QDialog::Accepted) return false;
        choice = d.choice();
        return true;
    };
    c.discImage = [](QWidget* parent, const fs::path& dir) {
        const QString f = QFileDialog::getOpenFileName(parent, QStringLiteral("Disc image file"),
                                                       QString::fromStdString(dir.string()),
                                                       QStringLiteral("Disc images (*.iso *.bin *.img);;All files (*)"));
        return fs::path(f.toStdString());
    };
    return c;
}

// ---- batch export dialog --------------------------------------------------------------

BatchExportDialog::BatchExportDialog(const BatchQuestion& question, const BatchChoice& defaults, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Batch Export"));
    auto* which = new QGroupBox(QStringLiteral("Sound Areas"), this);
    group_ = new QRadioButton(
        // One pass: a group name holding "%2" stays as it is.
        QStringLiteral("Every sound of the group %1 (%2)").arg(question.groupText, QString::number(question.groupSounds)),
        which);
    disc_ = new QRadioButton(QStringLiteral("Every sound of the disc (%1)").arg(question.discSounds), which);
    (defaults.wholeDisc ? disc_ : group_)->setChecked(true);
    auto* whichLayout = new QVBoxLayout(which);
    whichLayout->addWidget(group_);
    whichLayout->addWidget(disc_);

    family_ = new QComboBox(this);
    family_->setAccessibleName(QStringLiteral("Sampler"));
    for (const auto& f : cd::Families()) family_->addItem(Q(f.filterText), static_cast<int>(f.family));
    family_->setCurrentIndex(family_->findData(static_cast<int>(defaults.family)));
    folder_ = new QLineEdit(QString::fromStdString(defaults.folder.string()), this);
    folder_->setAccessibleName(QStringLiteral("Folder"));
    folder_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setAccessibleName(QStringLiteral("Choose the folder"));
    browse->setAutoDefault(false);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Sampler:"), family_);
    form->addRow(QStringLiteral("&Folder:"), folderRow);
    static_cast<QLabel*>(form->labelForField(folderRow))->setBuddy(folder_);

    auto* buttons = new QDialogButtonBox(this);
    export_ = buttons->addButton(QStringLiteral("Export"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addLayout(form);
    layout->addWidget(buttons);

    const auto update = [this] { export_->setEnabled(!folder_->text().trimmed().isEmpty()); };
    update();
    connect(folder_, &QLineEdit::textChanged, this, update);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Folder"), folder_->text());
        if (!dir.isEmpty()) folder_->setText(dir);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

BatchChoice BatchExportDialog::choice() const {
    BatchChoice c;
    c.wholeDisc = disc_->isChecked();
    c.family = static_cast<cd::SamplerFamily>(family_->currentData().toInt());
    c.folder = fs::path(folder_->text().trimmed().toStdString());
    return c;
}

// ---- export dialog --------------------------------------------------------------------

ExportDialog::ExportDialog(cd::DiscSource& disc, fs::path mainDir, fs::path imageDir, UserInteraction& ui,
                           Choosers choosers, QWidget* parent)
    : QDialog(parent), disc_(disc), mainDir_(std::move(mainDir)), imageDir_(std::move(imageDir)), ui_(ui),
      choosers_(std::move(choosers)) {
    setWindowTitle(QStringLiteral("Roland CD-ROM Export"));
    auto* info = new QGroupBox(QStringLiteral("CD Informations"), this);
    auto* infoLayout = new QVBoxLayout(info);
    for (std::size_t i = 0; i < cd::kDescriptionLines; ++i) {
        lines_[i] = new QLabel(info);
        lines_[i]->setAccessibleName(QStringLiteral("Description line %1").arg(i + 1));
        lines_[i]->setObjectName(CtlName(2000 + static_cast<int>(i)));
        lines_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        infoLayout->addWidget(lines_[i]);
    }
    auto* groupBox = new QGroupBox(QStringLiteral("Instrument Group"), this);
    groups_ = new QComboBox(groupBox);
    groups_->setAccessibleName(QStringLiteral("Instrument Group"));
    groups_->setObjectName(CtlName(2004));
    groups_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    (new QVBoxLayout(groupBox))->addWidget(groups_);
    auto* soundBox = new QGroupBox(QStringLiteral("Sound Areas"), this);
    sounds_ = new QListWidget(soundBox);
    sounds_->setAccessibleName(QStringLiteral("Sound Areas"));
    sounds_->setObjectName(CtlName(2005));
    sounds_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 36);
    (new QVBoxLayout(soundBox))->addWidget(sounds_);
    auto* progressBox = new QGroupBox(QStringLiteral("Progress"), this);
    progress_ = new QProgressBar(progressBox);
    progress_->setAccessibleName(QStringLiteral("Progress"));
    progress_->setObjectName(CtlName(2006));
    progress_->setValue(0);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), progressBox);
    cancel_->setEnabled(false);
    cancel_->setObjectName(CtlName(2007));
    auto* progressRow = new QHBoxLayout(progressBox);
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(cancel_);
    export_ = new QPushButton(QStringLiteral("Export"), this);
    export_->setDefault(true);
    export_->setObjectName(CtlName(1));
    batch_ = new QPushButton(QStringLiteral("Batch Export..."), this);
    batch_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(batch_);
    buttons->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(groupBox);
    layout->addWidget(soundBox, 1);
    layout->addWidget(progressBox);
    layout->addLayout(buttons);

    connect(groups_, &QComboBox::currentIndexChanged, this, [this](int i) { fillSounds(i); });
    connect(export_, &QPushButton::clicked, this, [this] { exportSelected(); });
    connect(batch_, &QPushButton::clicked, this, [this] { exportBatch(); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (running_) running_->cancel();
    });
}

bool ExportDialog::load() {
    std::optional<Result<cd::CdTables>> loaded;
    RunWaiting(this, [&] { loaded.emplace(cd::LoadTables(disc_)); });
    if (!*loaded) {
        ui_.report(loaded->failure(), kTitle);
        return false;
    }
    tables_ = std::move(loaded->value());
    for (std::size_t i = 0; i < cd::kDescriptionLines; ++i) lines_[i]->setText(Q(tables_.header.description[i]));
    const QSignalBlocker block(groups_);
    for (const auto& g : tables_.groups) groups_->addItem(Q(g.text()));
    if (!tables_.groups.empty()) groups_->setCurrentIndex(0);
    fillSounds(tables_.groups.empty() ? -1 : 0);
    batch_->setEnabled(!tables_.groups.empty());
    return true;
}

void ExportDialog::fillSounds(int group) {
    sounds_->clear();
    if (group < 0) return;
    auto list = cd::SoundsOfGroup(tables_, static_cast<std::size_t>(group));
    if (!list) {
        ui_.report(list.failure(), kTitle);
        return;
    }
    for (std::size_t index : *list) {
        auto* item = new QListWidgetItem(Q(tables_.sounds[index].text()), sounds_);
        item->setData(Qt::UserRole, static_cast<qulonglong>(index));
    }
    if (sounds_->count() > 0) sounds_->setCurrentRow(0);
}

bool ExportDialog::runCancellable(std::uint64_t blocks,
                                  const std::function<void(cd::CancellableDisc&, const cd::ReadProgress&)>& job) {
    progress_->setRange(0, static_cast<int>(std::clamp<std::uint64_t>(blocks, 1, INT_MAX)));
    progress_->setValue(0);
    cd::CancellableDisc disc(disc_);
    running_ = &disc;
    for (QWidget* w : std::initializer_list<QWidget*>{groups_, sounds_, export_, batch_}) w->setEnabled(false);
    cancel_->setEnabled(true);
    QPointer<QProgressBar> bar = progress_;
    const cd::ReadProgress progress = [bar](std::uint64_t done, std::uint64_t) {
        QMetaObject::invokeMethod(
            bar, [bar, done] {
                if (bar) bar->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
            },
            Qt::QueuedConnection);
    };
    RunWaiting(this, [&] { job(disc, progress); }, false);
    running_ = nullptr;
    QCoreApplication::processEvents(); // the last progress steps
    cancel_->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{groups_, sounds_, export_, batch_}) w->setEnabled(true);
    if (disc.cancelled()) progress_->setValue(0);
    return disc.cancelled();
}

void ExportDialog::exportSelected() {
    QListWidgetItem* item = sounds_->currentItem();
    if (!item || running_) return;
    const cd::SoundRecord sound = tables_.sounds[item->data(Qt::UserRole).toULongLong()];
    export_->setEnabled(false);
    cd::SamplerFamily family = cd::SamplerFamily::W30;
    const fs::path target =
        choosers_.saveAs(this, imageDir_, QString::fromStdString(cd::FileNameOf(item->text().toStdString())), family);
    export_->setEnabled(true);
    if (target.empty()) return;
    // The progress counts the blocks of 2,048 bytes that hold the area.
    Status result;
    const bool cancelled = runCancellable(cd::BlocksForUnits(sound.firstUnit, sound.units).blocks, [&](cd::CancellableDisc& disc, const auto& progress) {
        result = cd::ExportSoundArea(disc, sound, family, mainDir_, target, progress);
    });
    if (closedWhileRunning()) return;
    if (!result && !cancelled) ui_.report(result.failure(), kTitle);
}

void ExportDialog::exportBatch() {
    if (running_ || groups_->currentIndex() < 0) return;
    const auto group = static_cast<std::size_t>(groups_->currentIndex());
    BatchChoice choice = lastBatch_;
    if (choice.folder.empty()) choice.folder = imageDir_;
    const BatchQuestion question{groups_->currentText(), cd::PlanBatch(tables_, group).items.size(),
                                 cd::PlanBatch(tables_).items.size()};
    if (!choosers_.batch(this, question, choice)) return;
    lastBatch_ = choice;
    const cd::BatchPlan plan = cd::PlanBatch(tables_, choice.wholeDisc ? std::nullopt : std::optional(group));
    std::optional<Result<cd::BatchSummary>> result;
    runCancellable(cd::BatchBlocks(tables_, plan), [&](cd::CancellableDisc& disc, const auto& progress) {
        result.emplace(cd::ExportBatch(disc, tables_, plan, choice.family, mainDir_, choice.folder, progress,
                                       [&disc] { return disc.cancelled(); }));
    });
    // Closed meanwhile: the person (or the launcher quitting) wants the dialog gone, and
    // the images written so far stay without a summary.
    if (closedWhileRunning()) return;
    if (!*result) {
        ui_.report(result->failure(), kTitle);
        return;
    }
    ui_.message(cd::SummaryText(**result, choice.folder), kTitle, cd::SummaryIcon(**result));
}

void ExportDialog::reject() {
    // Closing while an area is read cancels it first; the dialog closes once it ended.
    if (running_) {
        running_->cancel();
        closeWhenDone_ = true;
        return;
    }
    QDialog::reject();
}

bool ExportDialog::closedWhileRunning() {
    if (!closeWhenDone_) return false;
    closeWhenDone_ = false;
    QDialog::reject();
    return true;
}

// ---- main dialog ------------------------------------------------------------------------

DiscEditorDialog::DiscEditorDialog(bus::Handle launcher, fs::path mainDir, SettingsStore* store, UserInteraction& ui,
                                   Choosers choosers, QWidget* parent)
    : QDialog(parent), mainDir_(std::move(mainDir)), imageDir_(mainDir_), store_(store), ui_(ui),
      choosers_(std::move(choosers)) {
    setWindowTitle(Q(kTitle));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveCDIcon));
    auto* box = new QGroupBox(QStringLiteral("Select Drive"), this);
    cdRom_ = new QRadioButton(Q(text::kSourceCdRom), box);
    cdRom_->setChecked(true);
    cdRom_->setObjectName(CtlName(1001));
    // In the place of the original's HARDDRIVE choice, which was always disabled.
    imageFile_ = new QRadioButton(QStringLiteral("Disc image file"), box);
    imageFile_->setObjectName(CtlName(1002));
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(cdRom_, 1);
    kinds->addButton(imageFile_, 2);
    drives_ = new QComboBox(box);
    drives_->setAccessibleName(QStringLiteral("CD-ROM drive"));
    drives_->setObjectName(CtlName(1200));
    drives_->setMinimumContentsLength(16);
    imagePath_ = new QLineEdit(box);
    imagePath_->setReadOnly(true);
    imagePath_->setAccessibleName(QStringLiteral("Disc image file"));
    imagePath_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
    browse_ = new QPushButton(QStringLiteral("Browse..."), box);
    browse_->setAccessibleName(QStringLiteral("Choose a disc image file"));
    auto* grid = new QGridLayout(box);
    grid->addWidget(cdRom_, 0, 0);
    grid->addWidget(drives_, 0, 1, 1, 2);
    grid->addWidget(imageFile_, 1, 0);
    grid->addWidget(imagePath_, 1, 1);
    grid->addWidget(browse_, 1, 2);

    auto makeButton = [this](const char* text, int id) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(CtlName(id));
        b->setAutoDefault(false);
        return b;
    };
    apply_ = makeButton("Apply", 1010);
    build_ = makeButton("Build", 1012);
    build_->setEnabled(false);
    build_->setToolTip(QStringLiteral("Not available"));
    about_ = makeButton("About", 1011);
    help_ = makeButton("Help", 1020);
    export_ = makeButton("Export", 1013);
    auto* buttons = new QVBoxLayout;
    for (auto* b : {apply_, build_, about_, help_, export_}) buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(box, 1);
    layout->addLayout(buttons);

    bus::FrameEvents events;
    events.close = [this] { reject(); };
    link_ = std::make_unique<bus::FrameLink>(msg::kCdEditor, launcher, std::move(events));

    connect(apply_, &QPushButton::clicked, this, [this] { ping(); apply(); });
    connect(export_, &QPushButton::clicked, this, [this] { ping(); exportFromSource(); });
    connect(about_, &QPushButton::clicked, this, [this] { ping(); about(); });
    connect(help_, &QPushButton::clicked, this, [this] { ping(); help(); });
    connect(browse_, &QPushButton::clicked, this, [this] { ping(); browseImage(); });
    connect(kinds, &QButtonGroup::idClicked, this, [this] { ping(); updateSource(); });
    connect(drives_, &QComboBox::activated, this, [this] { apply_->setEnabled(cdRom_->isChecked()); });
}

DiscEditorDialog::~DiscEditorDialog() { link_->sayClosed(); }

QPushButton* DiscEditorDialog::button(const char* text) const {
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == QLatin1String(text)) return b;
    return nullptr;
}

bool DiscEditorDialog::start() {
    link_->announce();
    cd::ResetDriveChoice(settings_);
    if (store_) {
        CommonSettings common;
        const auto outcome = LoadSettings(*store_, kDiscEditorKey, DiscEditorTable(), StorageOf(settings_), common, ui_,
                                          kTitle);
        if (outcome == LoadOutcome::Fatal) return false;
        if (!common.mainPath.empty()) mainDir_ = common.mainPath;
        imageDir_ = common.sdkPath.empty() ? mainDir_ : fs::path(common.sdkPath);
    }
    chosenAtOpening_ = cd::DriveChosen(settings_);
    apply_->setEnabled(!chosenAtOpening_);
    export_->setEnabled(chosenAtOpening_);
    // Always centred on the screen; the stored position is only written.
    adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
    placed_ = true;
    listDrives();
    updateSource();
    return true;
}

void DiscEditorDialog::ping() {
    bus::MessageBus::instance().send(link_->launcher(), msg::LM_MODULE_PING, msg::kCdEditor, msg::kHandshake);
}

void DiscEditorDialog::listDrives() {
    std::vector<std::string> found;
    RunWaiting(this, [&found] {
        for (const auto& p : platform::ListCdDrives()) found.push_back(p.string());
    });
    drives_->clear();
    for (const auto& d : found) drives_->addItem(QString::fromStdString(d));
    const cd::DriveListState st = cd::PlaceDrives(found, settings_);
    drives_->setCurrentIndex(st.selected);
    apply_->setEnabled(st.applyEnabled);
    export_->setEnabled(st.exportEnabled);
}

void DiscEditorDialog::updateSource() {
    const bool drive = cdRom_->isChecked();
    drives_->setEnabled(drive);
    imagePath_->setEnabled(!drive);
    browse_->setEnabled(!drive);
    if (drive) {
        apply_->setEnabled(!cd::DriveChosen(settings_) ||
                           drives_->currentText().toStdString() != FieldString(std::span<const char>(settings_.name)));
        export_->setEnabled(cd::DriveChosen(settings_) && drives_->count() > 0);
    } else {
        apply_->setEnabled(false);
        export_->setEnabled(!imagePath_->text().isEmpty());
    }
}

void DiscEditorDialog::apply() {
    if (!cdRom_->isChecked() || drives_->currentIndex() < 0) return;
    cd::ApplyDrive(settings_, drives_->currentText().toStdString());
    if (store_) SaveSettings(*store_, kDiscEditorKey, DiscEditorTable(), StorageOf(settings_), ui_, kTitle);
    export_->setEnabled(true);
    apply_->setEnabled(false);
}

void DiscEditorDialog::browseImage() {
    const fs::path start = imagePath_->text().isEmpty() ? imageDir_ : fs::path(imagePath_->text().toStdString()).parent_path();
    const fs::path chosen = choosers_.discImage(this, start);
    if (chosen.empty()) return;
    imagePath_->setText(QString::fromStdString(chosen.string()));
    updateSource();
}

void DiscEditorDialog::exportFromSource() {
    export_->setEnabled(false);
    std::unique_ptr<cd::DiscSource> disc;
    if (cdRom_->isChecked()) {
        if (!cd::DriveChosen(settings_)) {
            ui_.message(text::kNoDriveChosen, kTitle, Icon::Warning);
            export_->setEnabled(true);
            return;
        }
        auto drive = platform::CdDrive::open(FieldString(std::span<const char>(settings_.name)));
        if (!drive) {
            ui_.report(drive.failure(), kTitle);
            export_->setEnabled(true);
            return;
        }
        disc = std::move(drive).value();
    } else {
        auto image = platform::DiscImageFile::open(imagePath_->text().toStdString());
        if (!image) {
            ui_.report(image.failure(), kTitle);
            export_->setEnabled(true);
            return;
        }
        disc = std::move(image).value();
    }
    ExportDialog dialog(*disc, mainDir_, imageDir_, ui_, choosers_, this);
    exportDialog_ = &dialog;
    if (dialog.load()) dialog.exec();
    exportDialog_ = nullptr;
    export_->setEnabled(true);
}

void DiscEditorDialog::about() {
    ui::AboutDialog d(windowIcon().pixmap(32, 32), QStringLiteral("CD Editor module"), Q(BuiltFileVersion()), this);
    d.exec();
}

void DiscEditorDialog::help() {
    // The help pages lie in the main directory beside the programs.
    const QString file = QString::fromStdString((mainDir_ / "dorrel.html").string());
    if (!QFileInfo::exists(file) || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        ui_.message("Couldn't start Help! Please check if .chm file is present in VELDIN working directory.", kTitle,
                    Icon::Error);
}

void DiscEditorDialog::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    if (!placed_) return;
    settings_.winPosX = static_cast<std::uint32_t>(std::max(0, pos().x()));
    settings_.winPosY = static_cast<std::uint32_t>(std::max(0, pos().y()));
    // The whole table, as the dialog holds it (the drive choice changes only with Apply,
    // which writes it too): a subkey made by a move alone would lack the other values,
    // and a start after a crash would then warn about each of them.
    if (store_) SaveSettings(*store_, kDiscEditorKey, DiscEditorTable(), StorageOf(settings_), ui_, kTitle);
}

void DiscEditorDialog::done(int r) {
    if (!chosenAtOpening_ && store_)
        SaveSettings(*store_, kDiscEditorKey, DiscEditorTable(), StorageOf(settings_), ui_, kTitle);
    QDialog::done(r);
}

} // namespace veldin::dorrel
