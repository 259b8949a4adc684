#include "midi/ui/SongView.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSplitter>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <cstring>
#include <QFileInfo>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/FileRead.h"
#include "core/Messages.h"
#include "midi/MidiTexts.h"
#include "midi/Song.h"
#include "midi/PianoRoll.h"
#include "midi/SongToMidi.h"
#include "midi/ui/PianoRollView.h"

namespace veldin::fennet {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
// Names on the sampler are bytes; Latin-1 keeps every one of them as one character.
QString Name(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string Bytes(const QString& s) { return s.toLatin1().toStdString(); }
constexpr int kRolePosition = Qt::UserRole + 1;
constexpr int kLabelId = 56;
constexpr int kApplyId = 57;
constexpr int kListId = 55;

QString PathField(const char* field) {
    return QString::fromStdString(std::string(field, strnlen(field, kSettingsPathSize)));
}

} // namespace

// A note on a stave.
QIcon SongIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1d, 0x3a, 0x5f);
    p.setPen(QPen(ink, 1.4));
    p.drawLine(QPointF(6.5, 12), QPointF(6.5, 2.5));
    p.drawLine(QPointF(12.5, 10), QPointF(12.5, 1.5));
    p.setPen(QPen(ink, 2));
    p.drawLine(QPointF(6.5, 3), QPointF(12.5, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x8f, 0x4e));
    p.drawEllipse(QRectF(2.5, 10, 4.5, 3.5));
    p.drawEllipse(QRectF(8.5, 8, 4.5, 3.5));
    return QIcon(pm);
}

namespace {
bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

// The conversion logs are written into the current directory.
// The preview converts quietly: what the conversion would say is the preview's caption.
class QuietUi final : public UserInteraction {
public:
    std::string said;
    void message(std::string_view text, std::string_view, Icon) override {
        if (said.empty()) said = text;
    }
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::Cancel; }
};

std::filesystem::path LogFolder() {
    std::error_code ec;
    auto here = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(".") : here;
}
} // namespace

// ---------------------------------------------------------------- song-name dialog

SongNameDialog::SongNameDialog(const QString& proposed, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("songNameDialog"));
    setWindowTitle(Q(veldin::text::kTitleMidiEditor));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Song name:"), this);
    layout->addWidget(caption);
    edit_ = new QLineEdit(proposed.left(static_cast<int>(midi::kSongNameLimit)), this);
    edit_->setObjectName(QStringLiteral("ctl1001"));
    edit_->setAccessibleName(QStringLiteral("Song name"));
    edit_->setMaxLength(static_cast<int>(midi::kSongNameLimit));
    // Room for the widest 28 characters.
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QString(28, QLatin1Char('W'))) / 2 + 40);
    caption->setBuddy(edit_);
    layout->addWidget(edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ctl1"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

// ---------------------------------------------------------------- view

SongView::SongView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, const MidiEditorSettings* settings)
    : ui::DocumentView(parent), doc_(doc), frame_(frame), image_(doc) {
    if (settings) settings_ = settings;
    setObjectName(QStringLiteral("songView"));
    const DiskDefinition& def = doc.definition();
    roland_ = new QGroupBox(QStringLiteral("Roland"), this);
    roland_->setObjectName(QStringLiteral("rolandGroup"));
    disk_ = new QLabel(QStringLiteral(" Disk: ") + Q(def.samplerName), this);
    disk_->setObjectName(QStringLiteral("diskLine"));
    disk_->setAccessibleName(QStringLiteral("Disk"));
    type_ = new QLabel(QStringLiteral(" Type: ") + Q(def.kindName), this);
    type_->setObjectName(QStringLiteral("typeLine"));
    type_->setAccessibleName(QStringLiteral("Type"));
    for (QLabel* l : {disk_, type_}) {
        l->setTextFormat(Qt::PlainText); // an "&" of a kind name stays a character
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }

    split_ = new QSplitter(Qt::Vertical, this);
    split_->setObjectName(QStringLiteral("songSplitter"));
    split_->setChildrenCollapsible(false);
    auto* songs = new SongListWidget(split_);
    songs->dragData = [this](const QList<QTreeWidgetItem*>&) { return dragOut(); };
    list_ = songs;
    list_->setObjectName(QStringLiteral("ctl%1").arg(kListId));
    list_->setAccessibleName(QStringLiteral("Song list"));
    list_->header()->setAccessibleName(QStringLiteral("Song list columns"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Song Name"), QStringLiteral("Size")});
    list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->setRootIsDecorated(false);
    list_->setIconSize(QSize(16, 16));
    list_->setUniformRowHeights(true);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAcceptDrops(true);
    list_->viewport()->setAcceptDrops(true);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragDrop);
    list_->setDefaultDropAction(Qt::CopyAction);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { frame_.contextMenu()->popup(list_->viewport()->mapToGlobal(at)); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it) { rowEdited(it); });

    if (def.hasSongs && !def.isSystem) {
        diskBox_ = new QGroupBox(QStringLiteral(" Disk: "), this);
        diskBox_->setObjectName(QStringLiteral("diskGroup"));
        nameLabel_ = new QLabel(QStringLiteral(" Name: "), this);
        label_ = new QLineEdit(this);
        label_->setObjectName(QStringLiteral("ctl%1").arg(kLabelId));
        label_->setAccessibleName(QStringLiteral("Volume label"));
        label_->setMaxLength(11);
        nameLabel_->setBuddy(label_);
        apply_ = new QPushButton(QStringLiteral("Apply"), this);
        apply_->setObjectName(QStringLiteral("ctl%1").arg(kApplyId));
        apply_->setEnabled(false);
        connect(label_, &QLineEdit::textEdited, this, [this] { apply_->setEnabled(true); });
        connect(label_, &QLineEdit::returnPressed, this, [this] {
            if (apply_->isEnabled()) applyLabel();
        });
        connect(apply_, &QPushButton::clicked, this, [this] { applyLabel(); });
        auto opened = midi::SongEditor::Open(image_, def, frame_.interaction(), LogFolder());
        if (opened) editor_.emplace(std::move(*opened));
        else report(opened.failure());
    }
    roll_ = new PianoRollView(split_);
    split_->addWidget(list_);
    split_->addWidget(roll_);
    split_->setStretchFactor(0, 2);
    split_->setStretchFactor(1, 3);
    list_->setEnabled(editor_.has_value());
    if (label_) label_->setEnabled(editor_.has_value());
    layoutControls();
    fillList();
    // The status bar shows the figures of the window in front.
    connect(frame_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (sub && sub->widget() && sub->widget()->isAncestorOf(this)) showFigures();
    });
}

SongView::~SongView() = default;

void SongView::report(const Failure& f) { frame_.interaction().report(f, veldin::text::kTitleMidiEditor); }

QString SongView::songDirectory() const {
    const QString d = PathField(settings_->songPath);
    return d.isEmpty() ? QString::fromStdString(frame_.mainDirectory().string()) : d;
}

QString SongView::midiDirectory() const {
    const QString d = PathField(settings_->midiPath);
    return d.isEmpty() ? QString::fromStdString(frame_.mainDirectory().string()) : d;
}

void SongView::layoutControls() {
    // The arrangement of the classic window (two groups in a row, the list below), with
    // every box as wide and high as its text in the font in use.
    const QFontMetrics fm(font());
    const int rowH = std::max({18, fm.height() + 6, disk_->sizeHint().height()});
    const int top = fm.height() + 2; // a group's caption
    const int lineW = std::max({115, disk_->sizeHint().width() + 4, type_->sizeHint().width() + 4});
    int x = 2;
    const int groupH = top + rowH + 8;
    roland_->setGeometry(x, 2, 5 + lineW + 10 + lineW + 5, groupH);
    disk_->setGeometry(x + 5, 2 + top, lineW, rowH);
    type_->setGeometry(x + 5 + lineW + 10, 2 + top, lineW, rowH);
    x = roland_->geometry().right() + 10;
    if (diskBox_) {
        const int nameW = nameLabel_->sizeHint().width() + 2;
        const int editW = std::max(100, fm.horizontalAdvance(QStringLiteral("WWWWWWWWWWW")) * 3 / 4 + 12);
        const int applyW = std::max(40, apply_->sizeHint().width());
        diskBox_->setGeometry(x, 2, 5 + nameW + editW + 5 + applyW + 5, groupH);
        nameLabel_->setGeometry(x + 5, 2 + top, nameW, rowH);
        label_->setGeometry(x + 5 + nameW, 2 + top, editW, rowH);
        apply_->setGeometry(x + 5 + nameW + editW + 5, 2 + top, applyW, rowH);
        x = diskBox_->geometry().right() + 2;
    }
    minWidth_ = std::max(x, 300);
    listTop_ = 2 + groupH + 7;
    split_->setGeometry(1, listTop_, width() - 2, std::max(0, height() - listTop_ - 1));
    list_->setColumnWidth(0, std::max(300, fm.horizontalAdvance(QString(28, QLatin1Char('M'))) * 3 / 4 + 24));
    list_->setColumnWidth(1, std::max(100, fm.horizontalAdvance(QStringLiteral("000000 b")) + 16));
}

QSize SongView::minimumSizeHint() const {
    // Both groups, a few rows of the list and two octaves of the piano roll.
    return QSize(minWidth_ + 2, listTop_ + 6 * (fontMetrics().height() + 6) + roll_->minimumSizeHint().height());
}

void SongView::resizeEvent(QResizeEvent* e) {
    split_->setGeometry(1, listTop_, e->size().width() - 2, std::max(0, e->size().height() - listTop_ - 1));
}

void SongView::changeEvent(QEvent* e) {
    // The window's font reaches the view once it sits in the frame: sizes follow it.
    if (e->type() == QEvent::FontChange) layoutControls();
    ui::DocumentView::changeEvent(e);
}

QTreeWidgetItem* SongView::makeRow(const midi::SongRow& row) const {
    auto* it = new QTreeWidgetItem;
    // The 28 name bytes, without the blanks that pad them (which an edit would keep).
    it->setText(0, Name(midi::TrimBlanks(row.name)));
    it->setText(1, Q(midi::SizeText(row.bytes)));
    it->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    it->setIcon(0, SongIcon());
    it->setData(0, kRolePosition, row.position);
    it->setFlags(it->flags() | Qt::ItemIsEditable);
    return it;
}

QTreeWidgetItem* SongView::rowOf(int position) const {
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (list_->topLevelItem(i)->data(0, kRolePosition).toInt() == position) return list_->topLevelItem(i);
    return nullptr;
}

void SongView::fillList() {
    filling_ = true;
    list_->clear();
    if (editor_) {
        for (const midi::SongRow& r : editor_->list().rows) list_->addTopLevelItem(makeRow(r));
        label_->setText(Name(editor_->list().label));
    }
    filling_ = false;
    showFigures();
}

void SongView::showFigures() {
    if (editor_) frame_.statusPart(0)->setText(Q(editor_->list().freeText()));
}

void SongView::documentClosing() {
    frame_.statusPart(0)->clear();
    frame_.statusPart(2)->clear();
}

void SongView::selectionChanged() {
    if (filling_ || !editor_) return;
    const QList<QTreeWidgetItem*> sel = list_->selectedItems();
    editor_->select(sel.isEmpty() ? -1 : sel.first()->data(0, kRolePosition).toInt());
    showRoll();
    frame_.updateCommands();
}

void SongView::showRoll() {
    const midi::SongRow* row = editor_ ? editor_->currentRow() : nullptr;
    if (!row) return roll_->clear(QStringLiteral("No song selected"));
    auto bytes = editor_->currentSongBytes();
    if (!bytes) return roll_->clear(Q(bytes.failure().text));
    // The notes as Save MIDI would write them, without its log.
    QuietUi quiet;
    midi::SongToMidiOptions options = midi::SongToMidiOptionsFrom(*settings_);
    auto midiBytes = midi::song_to_midi(*bytes, quiet, options);
    if (!midiBytes) return roll_->clear(Q(midiBytes.failure().text));
    auto song = midi::ReadRoll(*midiBytes);
    if (!song) return roll_->clear(Q(veldin::text::kNotMidi));
    roll_->setSong(std::move(*song), Name(midi::TrimBlanks(row->name)));
}

void SongView::follow(const std::vector<midi::RefreshEvent>& events) {
    using Kind = midi::RefreshEvent::Kind;
    filling_ = true;
    for (const midi::RefreshEvent& e : events) {
        switch (e.kind) {
        case Kind::InsertRow: {
            if (rowOf(e.position)) break;
            // At index position - 2, at the end when the list is shorter.
            const int index = std::min(e.position - midi::kFirstPosition, list_->topLevelItemCount());
            list_->insertTopLevelItem(index, makeRow({e.position, e.text, e.bytes}));
            break;
        }
        case Kind::RemoveRow: delete rowOf(e.position); break;
        case Kind::SetRowName:
            if (QTreeWidgetItem* it = rowOf(e.position)) it->setText(0, Name(midi::TrimBlanks(e.text)));
            break;
        case Kind::SetLabel:
            if (label_) label_->setText(Name(e.text));
            break;
        }
    }
    filling_ = false;
    // The current song follows the list: a removed row leaves none selected.
    const int current = editor_->current();
    if (current < 0) {
        list_->clearSelection();
        list_->setCurrentItem(nullptr);
    }
    showRoll();
    showFigures();
    frame_.updateCommands();
}

std::set<int> SongView::selectionCommands() const {
    if (!editor_) return {};
    // Save As is the song disk's own here (the frame's lists give it only to sound disks).
    std::set<int> on = {midi::kCmdLoadSong, midi::kCmdLoadMidi, frame::kSaveAs};
    if (editor_->current() >= 0) on.insert({frame::kDelete, midi::kCmdSaveSong, midi::kCmdSaveMidi});
    return on;
}

bool SongView::runCommand(int id) {
    if (!editor_) return false;
    switch (id) {
    case frame::kDelete: deleteSong(); return true;
    case midi::kCmdLoadSong: loadSong(); return true;
    case midi::kCmdSaveSong: saveSong(); return true;
    case midi::kCmdLoadMidi: loadMidi(); return true;
    case midi::kCmdSaveMidi: saveMidi(); return true;
    default: return false;
    }
}

void SongView::stepDone(const StepResult& step, bool undo) {
    if (!editor_) return;
    auto events = editor_->afterStep(midi::FromStore(step), undo);
    if (!events) return report(events.failure());
    follow(*events);
}

void SongView::deleteSong() {
    if (editor_->current() < 0) return;
    if (frame_.interaction().ask(midi::kDeleteQuestion, veldin::text::kTitleMidiEditor, Buttons::YesNo,
                                 Icon::Question) != Answer::Yes)
        return;
    auto events = editor_->deleteCurrent();
    if (!events) return report(events.failure());
    follow(*events);
}

void SongView::rowEdited(QTreeWidgetItem* it) {
    if (filling_ || !editor_) return;
    const int position = it->data(0, kRolePosition).toInt();
    const midi::SongRow* row = editor_->list().find(position);
    if (!row) return;
    const QString shown = Name(midi::TrimBlanks(row->name));
    if (it->text(0) == shown) return;
    auto events = editor_->rename(position, Bytes(it->text(0)));
    if (!events) {
        report(events.failure());
        filling_ = true;
        it->setText(0, shown); // the row keeps its name
        filling_ = false;
        return;
    }
    follow(*events);
}

void SongView::applyLabel() {
    apply_->setEnabled(false);
    auto events = editor_->setLabel(Bytes(label_->text()));
    if (!events) {
        report(events.failure());
        label_->setText(Name(editor_->list().label));
        return;
    }
    follow(*events);
}

void SongView::loadSong(const QString& given) {
    if (!editor_->canStore()) return;
    QString path = given;
    if (path.isEmpty()) {
        ui::FileRequest req;
        req.title = QStringLiteral("Load...");
        req.directory = songDirectory();
        req.filters = {QStringLiteral("Roland song (*.sng *.dat)")};
        const auto choice = frame_.chooseFile(req);
        if (!choice) return;
        path = choice->path;
    }
    auto bytes = ReadFileBytes(path.toStdString(), veldin::text::kCantOpenSpecifiedFile);
    if (!bytes) return report(bytes.failure());
    auto events = editor_->store(*bytes);
    if (!events) return report(events.failure());
    follow(*events);
}

void SongView::saveSong() {
    const midi::SongRow* row = editor_->currentRow();
    if (!row) return;
    auto bytes = editor_->currentSongBytes();
    if (!bytes) return report(bytes.failure());
    saveBytes(*bytes, songDirectory(), QStringLiteral("Roland W30 Song (*.sng)"), QStringLiteral("sng"));
}

void SongView::saveBytes(std::span<const std::uint8_t> bytes, const QString& directory, const QString& filter,
                         const QString& suffix) {
    ui::FileRequest req;
    req.save = true;
    req.title = QStringLiteral("Save...");
    req.directory = directory;
    req.proposedName = Name(midi::ProposedFileName(editor_->currentRow()->name));
    req.defaultSuffix = suffix;
    req.filters = {filter};
    const auto choice = frame_.chooseFile(req); // Cancel: nothing is written
    if (!choice) return;
    // A file that cannot be written is said so: the user would otherwise believe it saved.
    if (!WriteFileBytes(choice->path.toStdString(), bytes)) report(Fail(veldin::text::kCantCreateFile));
}

std::optional<std::string> SongView::askSongName(std::string_view proposed) {
    SongNameDialog d(Name(midi::TrimBlanks(std::string(proposed))), this);
    d.exec(); // OK or Enter take the text; closing the box keeps it as well
    return Bytes(d.edit()->text());
}

void SongView::loadMidi(const QString& given) {
    if (!editor_->canStore()) return;
    midi::MidiToSongOptions options = midi::MidiToSongOptionsFrom(*settings_, LogFolder());
    options.prompt = this;
    options.status = [this](std::string_view s) { frame_.statusPart(2)->setText(Q(s)); };
    QString path = given;
    if (path.isEmpty()) {
        frame_.statusPart(2)->setText(QStringLiteral("Waiting for MIDI file..."));
        ui::FileRequest req;
        req.title = QStringLiteral("Load...");
        req.directory = midiDirectory();
        req.filters = {QStringLiteral("MIDI File (*.mid)")};
        const auto choice = frame_.chooseFile(req);
        if (!choice) {
            frame_.statusPart(2)->clear();
            return;
        }
        path = choice->path;
    }
    options.fileName = std::filesystem::path(path.toStdString()).filename().string();
    auto bytes = ReadFileBytes(path.toStdString(), veldin::text::kCantOpenSpecified);
    if (!bytes) return report(bytes.failure());
    std::optional<Result<std::vector<midi::RefreshEvent>>> stored;
    options.store = [this, &stored](std::span<const std::uint8_t> song) { stored.emplace(editor_->store(song)); };
    auto song = midi::midi2song(*bytes, frame_.interaction(), options);
    if (!song) return report(song.failure());
    if (!stored) return;
    if (!*stored) return report(stored->failure());
    follow(**stored);
}

void SongView::saveMidi() {
    const midi::SongRow* row = editor_->currentRow();
    if (!row) return;
    auto bytes = editor_->currentSongBytes();
    if (!bytes) return report(bytes.failure());
    midi::SongToMidiOptions options = midi::SongToMidiOptionsFrom(*settings_);
    options.patchName = midi::PatchNamesOf(image_, doc_.definition());
    options.logDir = LogFolder();
    auto midiBytes = midi::song_to_midi(*bytes, frame_.interaction(), options);
    if (!midiBytes) {
        frame_.interaction().report(midiBytes.failure(), midi::SongToMidiTitle(midiBytes.failure()));
        return;
    }
    // Cancelling the chooser discards the conversion.
    saveBytes(*midiBytes, midiDirectory(), QStringLiteral("MIDI File (*.mid)"), QStringLiteral("mid"));
}

void SongView::importFiles(const QStringList& paths) {
    for (const QString& p : paths) {
        const QString ext = QFileInfo(p).suffix().toLower();
        if (ext == QLatin1String("mid") || ext == QLatin1String("midi")) loadMidi(p);
        else if (ext == QLatin1String("sng") || ext == QLatin1String("dat")) loadSong(p);
    }
}

bool SongView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == list_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        // Delete in the list is Edit -> Delete, when that is enabled (a row's edit box
        // has the keys to itself: it is another widget).
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::NoModifier) {
            if (QAction* a = frame_.action(frame::kDelete); a && a->isEnabled()) frame_.runCommand(frame::kDelete);
            return true;
        }
    }
    // A row dragged within the list is no file to import.
    const bool dropping = e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove || e->type() == QEvent::Drop;
    if (watched == list_->viewport() && dropping && static_cast<QDropEvent*>(e)->source() == list_) {
        e->ignore();
        return true;
    }
    if (watched == list_->viewport() && editor_) {
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto* d = static_cast<QDropEvent*>(e);
            if (d->mimeData()->hasUrls()) {
                d->acceptProposedAction();
                return true;
            }
        }
        if (e->type() == QEvent::Drop) {
            auto* d = static_cast<QDropEvent*>(e);
            QStringList paths;
            for (const QUrl& u : d->mimeData()->urls())
                if (u.isLocalFile()) paths << u.toLocalFile();
            d->acceptProposedAction();
            importFiles(paths);
            return true;
        }
    }
    return ui::DocumentView::eventFilter(watched, e);
}

QMimeData* SongListWidget::mimeData(const QList<QTreeWidgetItem*>& items) const {
    return dragData ? dragData(items) : nullptr;
}

QMimeData* SongView::dragOut() {
    const midi::SongRow* row = editor_ ? editor_->currentRow() : nullptr;
    if (!row) return nullptr;
    auto bytes = editor_->currentSongBytes();
    if (!bytes) return nullptr;
    QuietUi quiet;
    midi::SongToMidiOptions options = midi::SongToMidiOptionsFrom(*settings_);
    options.patchName = midi::PatchNamesOf(image_, doc_.definition());
    auto midiBytes = midi::song_to_midi(*bytes, quiet, options);
    if (!midiBytes) return nullptr;
    // The file must outlive the drag: the file manager copies it after the drop.
    if (!dragDir_ || !dragDir_->isValid()) dragDir_ = std::make_unique<QTemporaryDir>();
    QString name = Name(midi::ProposedFileName(row->name));
    if (name.isEmpty()) name = QStringLiteral("Song");
    const QString path = dragDir_->filePath(name + QStringLiteral(".mid"));
    if (!WriteFileBytes(path.toStdString(), *midiBytes)) return nullptr;
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

} // namespace veldin::fennet
