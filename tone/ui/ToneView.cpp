#include "tone/ui/ToneView.h"

#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QGroupBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>
#include <QKeyEvent>
#include <cmath>
#include <cstring>
#include <fstream>

#include "frame/ui/MemoDialog.h"
#include "tone/ui/ToneParameterDialog.h"
#include "tone/ToneFile.h"
#include "tone/WaveExport.h"
#include "tone/WaveImport.h"

#include "tone/ToneTexts.h"

namespace veldin::quilla {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
// The tone info panel: key and output share a row.
ui::InfoLines ToneInfoLines() {
    return {{54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65},
            QStringLiteral("Tone info line %1"),
            tone::kLineKey,
            {"Tone Number: 255", "Subtone of 255", "Lenght: 99.9 s", "Frequency: 30000Hz", "Start: 9999999",
             "Loop: 9999999", "End: 9999999", "Loopmode: Fordward", "Loopmode: One-Shot", "Volume: 127",
             "Position: 255"},
            QStringLiteral("Key: G#-8"),
            QStringLiteral("Out: 8")};
}
constexpr int kRoleId = Qt::UserRole + 1;
constexpr int kRoleRef = Qt::UserRole + 2;
using namespace veldin::frame;

std::optional<std::vector<std::uint8_t>> ReadWhole(const QString& path) {
    std::ifstream in(std::filesystem::path(path.toStdString()), std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteWhole(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

QString PathField(const char* field) {
    return QString::fromStdString(std::string(field, strnlen(field, kSettingsPathSize)));
}

const QString kToneMime = QString::fromLatin1(tone::kToneMimeType.data(), static_cast<qsizetype>(tone::kToneMimeType.size()));

// Files handed to a file manager (the clipboard's tone file, a dragged tone's WAV) live
// in one folder of the module's run, removed when the program ends.
std::optional<QString> HandOver(const tone::NamedBytes& file) {
    static QTemporaryDir dir;
    if (!dir.isValid()) return std::nullopt;
    const QString path = dir.filePath(Q(file.name));
    if (!WriteWhole(path.toStdString(), file.bytes)) return std::nullopt;
    return path;
}

// The tree with drops and drags of files; what they mean is the view's.
class FileTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<QMimeData*()> dragOut;
    std::function<bool(const QMimeData*)> takes;
    std::function<void(const QMimeData*, QPoint)> dropped;

protected:
    void startDrag(Qt::DropActions) override {
        QMimeData* data = dragOut();
        if (!data) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        if (QTreeWidgetItem* it = currentItem()) drag->setPixmap(it->icon(0).pixmap(16, 16));
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    // A tone dragged from this tree and dropped back onto it would only make a copy
    // by accident; disk images alone are left to the frame, which opens them.
    bool accepts(const QDropEvent* e) const { return e->source() != this && takes(e->mimeData()); }
    void dragEnterEvent(QDragEnterEvent* e) override { accepts(e) ? e->acceptProposedAction() : e->ignore(); }
    void dragMoveEvent(QDragMoveEvent* e) override { accepts(e) ? e->acceptProposedAction() : e->ignore(); }
    void dropEvent(QDropEvent* e) override {
        if (!accepts(e)) return e->ignore();
        e->acceptProposedAction();
        // The import (with its questions and messages) runs after the drop has ended, so
        // that the file manager is not held by a dialog; the drag's data goes with the drag.
        auto copy = std::make_shared<QMimeData>();
        if (e->mimeData()->hasFormat(kToneMime)) copy->setData(kToneMime, e->mimeData()->data(kToneMime));
        if (e->mimeData()->hasUrls()) copy->setUrls(e->mimeData()->urls());
        const QPoint at = e->position().toPoint();
        QTimer::singleShot(0, this, [this, copy, at] { dropped(copy.get(), at); });
    }
};

std::vector<std::string> LocalNames(const QList<QUrl>& urls) {
    std::vector<std::string> names;
    // A URL that is not a local file has no name the tree could take.
    for (const QUrl& u : urls) names.push_back(u.isLocalFile() ? u.toLocalFile().toStdString() : std::string());
    return names;
}
} // namespace

QIcon TreeIcon(tone::IconKind kind, bool bank) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1d, 0x3a, 0x5f);
    p.setPen(QPen(ink, 1));
    if (bank) {
        // A memory bank: a chip with pins.
        p.setBrush(QColor(0x4a, 0x55, 0x63));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(1, 5 + 3 * i), QPointF(3, 5 + 3 * i));
            p.drawLine(QPointF(13, 5 + 3 * i), QPointF(15, 5 + 3 * i));
        }
        return QIcon(pm);
    }
    switch (kind) {
    case tone::IconKind::RomGroup:
    case tone::IconKind::RamGroup: {
        // A floppy: grey for the second tone area, blue for the tone area.
        const QColor body = kind == tone::IconKind::RomGroup ? QColor(0x80, 0x86, 0x8f) : QColor(0x2c, 0x5d, 0x9a);
        p.setBrush(body);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(QColor(0xf4, 0xf1, 0xe8));
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    }
    case tone::IconKind::Original:
    case tone::IconKind::Subtone: {
        // A wave: full for an original, a smaller one in orange for a subtone.
        const bool sub = kind == tone::IconKind::Subtone;
        p.setPen(QPen(sub ? QColor(0xd9, 0x5d, 0x1e) : QColor(0x2f, 0x8f, 0x4e), 1.6));
        QPainterPath path;
        path.moveTo(1, 8);
        const double amp = sub ? 3.5 : 6;
        for (int x = 1; x <= 15; ++x) path.lineTo(x, 8 - amp * std::sin((x - 1) * 0.9) * (1.0 - (x - 1) / 18.0));
        p.drawPath(path);
        break;
    }
    }
    return QIcon(pm);
}

ToneView::ToneView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, std::uint32_t* expansion,
                   const ToneEditorSettings* settings)
    : ui::DocumentView(parent), doc_(doc), frame_(frame), toneDoc_(doc), expansion_(expansion) {
    if (settings) settings_ = settings;
    setObjectName(QStringLiteral("toneView"));
    panel_ = std::make_unique<ui::DiskPanel>(doc, frame, ToneInfoLines(), this);
    if (!doc.definition().hasSounds) {
        layoutPanel();
        return;
    }
    auto* tree = new FileTree(this);
    tree->dragOut = [this] { return toneDragData(); };
    tree->takes = [](const QMimeData* m) {
        return m->hasFormat(kToneMime) ||
               (m->hasUrls() && tone::UseOfDrop(LocalNames(m->urls())) != tone::DropUse::OpenImages);
    };
    tree->dropped = [this](const QMimeData* m, QPoint at) { dropped(m, at); };
    tree->setDragEnabled(true);
    tree->setAcceptDrops(true);
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->setDefaultDropAction(Qt::CopyAction);
    tree_ = tree;
    // The keys of the window (Delete, Ctrl+C/X/V) are the tree's: it takes the keyboard
    // when the window is activated.
    setFocusProxy(tree_);
    tree_->setObjectName(QStringLiteral("toneTree"));
    tree_->setAccessibleName(QStringLiteral("Tone tree"));
    tree_->setHeaderHidden(true);
    tree_->setIconSize(QSize(16, 16));
    tree_->setStyleSheet(QStringLiteral("QTreeWidget { background: white; }"));
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it) { labelEdited(it); });
    tree_->installEventFilter(this);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (player_->playing()) player_->stop();
        editParameters();
    });
    player_ = new TonePlayer(this);
    player_->stopped = [this] { showPlaying(); };
    // One tone sounds at a time, the active window's: another window's activation ends it.
    connect(frame_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (sub && sub->widget() != parentWidget() && player_->playing()) player_->stop();
    });
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { frame_.contextMenu()->popup(tree_->viewport()->mapToGlobal(at)); });
    auto noteExpansion = [this](QTreeWidgetItem* it, bool on) {
        if (!filling_) editor_->tree().setExpanded(it->data(0, kRoleId).toInt(), on);
    };
    connect(tree_, &QTreeWidget::itemExpanded, this, [noteExpansion](QTreeWidgetItem* it) { noteExpansion(it, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [noteExpansion](QTreeWidgetItem* it) { noteExpansion(it, false); });
    // Paste follows what the clipboard holds.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { frame_.updateCommands(); });
    frame_.statusPart(1)->setText(QStringLiteral("Octave: %1").arg(4));
    layoutPanel();
    editor_ = std::make_unique<tone::ToneEditor>(toneDoc_);
    if (expansion_) editor_->tree().presetExpansion(*expansion_);
    rebuildTree();
}

ToneView::~ToneView() {
    if (player_) player_->stopped = nullptr;
}

QTreeWidgetItem* ToneView::makeItem(tone::ItemId id) {
    const tone::TreeItem* item = editor_->tree().item(id);
    auto* it = new QTreeWidgetItem;
    it->setText(0, Q(item->label));
    it->setData(0, kRoleId, id);
    it->setData(0, kRoleRef, static_cast<qulonglong>(item->value.value));
    // A tone's label is its name: editing it renames the tone.
    if (item->value.isTone()) it->setFlags(it->flags() | Qt::ItemIsEditable);
    const bool bank = item->group && *item->group != tone::Group::Rom && *item->group != tone::Group::Ram;
    it->setIcon(0, TreeIcon(item->icon, bank));
    for (tone::ItemId child : item->children) it->addChild(makeItem(child));
    return it;
}

void ToneView::rebuildTree() {
    if (!tree_) return;
    filling_ = true;
    editor_->rebuild();
    tree_->clear();
    for (tone::ItemId root : editor_->tree().roots()) tree_->addTopLevelItem(makeItem(root));
    QTreeWidgetItemIterator walk(tree_);
    QTreeWidgetItem* selected = nullptr;
    for (; *walk; ++walk) {
        const tone::TreeItem* item = editor_->tree().item((*walk)->data(0, kRoleId).toInt());
        (*walk)->setExpanded(item->expanded);
        if (item->id == editor_->tree().selected()) selected = *walk;
    }
    filling_ = false;
    if (selected) tree_->setCurrentItem(selected);
    else showPanel();
}

void ToneView::selectionChanged() {
    if (filling_) return;
    // What sounds is the tone that was selected; another selection ends it.
    if (player_->playing()) player_->stop();
    QTreeWidgetItem* it = tree_->currentItem();
    if (it) editor_->select(it->data(0, kRoleId).toInt());
    showPanel();
    frame_.updateCommands();
}

void ToneView::showPanel() {
    const tone::ToneSelection& sel = editor_->selection();
    panel_->setInfo(sel.panel);
    frame_.statusPart(0)->setText(sel.bank >= 0 ? Q(tone::MemoryText(sel.memory)) : QString());
}

void ToneView::documentClosing() {
    // The groups' expansion goes on to the next window; the status bar parts belong to
    // the document that is going.
    if (expansion_ && editor_ && tree_) *expansion_ = editor_->tree().expansionMask();
    if (player_) {
        player_->stopped = nullptr;
        player_->stop();
    }
    frame_.statusPart(0)->clear();
    frame_.statusPart(1)->clear();
}

ToneParameterDialog* ToneView::editParameters() {
    const tone::ToneSelection& sel = editor_->selection();
    const auto record = editor_->areas().find(sel.ref);
    if (!sel.ref.isTone() || !record) return nullptr;
    // The graph shows the whole wave, also for a subtone; the second tone area's waves
    // are not in the image, and End of such a tone is held within its segments.
    std::optional<std::vector<std::uint16_t>> samples;
    std::int64_t length = static_cast<std::int64_t>(record->segmentCount()) * 12288;
    if (sel.ref.area() == tone::Area::Ram)
        if (auto w = tone::BuildToneWave(toneDoc_, editor_->areas(), sel.ref, {false, false, false, true})) {
            length = static_cast<std::int64_t>(w->samples.size());
            samples = std::move(w->samples);
        }
    auto* d = new ToneParameterDialog(*record, std::move(samples), length, doc_.definition().family() == "S-50",
                                      ChoosePlaybackDevice(*settings_), this);
    d->setAttribute(Qt::WA_DeleteOnClose);
    const tone::ToneRef ref = sel.ref;
    const tone::TreeItem* parent = editor_->tree().item(sel.parent);
    const tone::ToneRef parentRef = parent ? parent->value : tone::kNoTone;
    connect(d, &QDialog::accepted, this, [this, d, ref, parentRef] {
        editor_->clearEvents();
        if (auto st = editor_->changeToneDetails(tone::kCmdChange, ref, parentRef, d->result()); !st) report(st.failure());
        followEvents();
        frame_.updateCommands();
    });
    d->open();
    return d;
}

void ToneView::showMemo() {
    panel_->showMemo();
    layoutPanel();
}

void ToneView::layoutPanel() {
    panel_->layout();
    if (tree_) tree_->setGeometry(panel_->width() + 4, 2, width() - panel_->width() - 4, height() - 2);
}

QSize ToneView::minimumSizeHint() const {
    // The whole panel and a tree wide enough for a bank's label and a tone name.
    return QSize(panel_->width() + (tree_ ? 4 + fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWW")) + 60 : 2),
                 panel_->bottom() + 2);
}

void ToneView::resizeEvent(QResizeEvent* e) {
    if (tree_) tree_->setGeometry(panel_->width() + 4, 2, e->size().width() - panel_->width() - 4, e->size().height() - 2);
}

std::set<int> ToneView::selectionCommands() const {
    if (!tree_) return {};
    const tone::ToneSelection& sel = editor_->selection();
    std::set<int> on;
    if (sel.bank >= 0) on.insert({kLoadTone, kLoadWave});
    if (tone::CanCopy(sel)) on.insert({kCopy, kCut});
    if (tone::CanPaste(editor_->target(), clipboardOffers())) on.insert(kPaste);
    if (sel.ref.isTone()) {
        on.insert({kDelete, kSaveTone});
        // The second tone area's tones have no wave in the image.
        if (sel.ref.area() == tone::Area::Ram) on.insert(kSaveWave);
    }
    if (player_->playing() || tone::WhyNoPlay(playConditions()) == tone::PlayBlock::None) on.insert(kPlay);
    return on;
}

tone::PlayConditions ToneView::playConditions() const {
    const tone::ToneSelection& sel = editor_->selection();
    // The second tone area's waves are not in the image.
    return {sel.ref.isTone(), settings_->noSound != 0, HaveOutputDevice(),
            sel.ref.isTone() && sel.ref.area() == tone::Area::Ram};
}

QString ToneView::disabledHint(int id) const {
    if (id != kPlay || !tree_) return {};
    return Q(tone::PlayBlockText(tone::WhyNoPlay(playConditions())));
}

bool ToneView::togglePlay() {
    if (player_->playing()) {
        player_->stop();
        return false;
    }
    showPlaying(); // a triggered entry checked itself
    if (tone::WhyNoPlay(playConditions()) != tone::PlayBlock::None) return false;
    const tone::ToneSelection& sel = editor_->selection();
    const auto record = editor_->areas().find(sel.ref);
    if (!record) return false;
    // The points of a subtone are places in the whole wave, as its graph shows them.
    auto wave = tone::BuildToneWave(toneDoc_, editor_->areas(), sel.ref, {false, false, false, true});
    if (!wave) {
        report(wave.failure());
        return false;
    }
    const PlaybackDevice out = ChoosePlaybackDevice(*settings_);
    const tone::PlayRegion region =
        tone::RegionOf(record->startPoint(), record->loopPoint(), record->endPoint(), record->loopMode());
    const bool on = out.device && player_->play(tone::SignedSamples(wave->samples), region, record->rate(), *out.device);
    showPlaying();
    return on;
}

void ToneView::showPlaying() {
    // The menu entry is checked while the tone sounds, like the dialog's pressed button.
    if (QAction* a = frame_.action(kPlay)) {
        a->setCheckable(true);
        a->setChecked(player_->playing());
    }
    frame_.updateCommands();
}

bool ToneView::runCommand(int id) {
    if (!tree_) return false;
    switch (id) {
    case kCopy: copyTone(); return true;
    case kCut: cutTone(); return true;
    case kPaste: pasteTone(); return true;
    case kDelete: deleteTone(); return true;
    case kLoadTone: loadTone(); return true;
    case kSaveTone: saveTone(); return true;
    case kLoadWave: loadWave(); return true;
    case kSaveWave: saveWave(); return true;
    case kPlay: togglePlay(); return true;
    default: return false;
    }
}

void ToneView::report(const Failure& f) { frame_.interaction().report(f, veldin::text::kTitleToneEditor); }

QString ToneView::toneDirectory() const {
    const QString d = PathField(settings_->tonePath);
    return d.isEmpty() ? QString::fromStdString(frame_.mainDirectory().string()) : d;
}

QString ToneView::waveDirectory() const {
    const QString d = PathField(settings_->wavePath);
    return d.isEmpty() ? QString::fromStdString(frame_.mainDirectory().string()) : d;
}

void ToneView::deleteTone() {
    editor_->clearEvents();
    if (auto st = editor_->deleteSelected(frame_.interaction()); !st) report(st.failure());
    followEvents();
}

void ToneView::loadTone() {
    const tone::ImportTarget target = editor_->target();
    ui::FileRequest req;
    req.title = QStringLiteral("Load...");
    req.directory = toneDirectory();
    req.filters = {QStringLiteral("Roland tone/subtone (*.ton *.ston)"), QStringLiteral("All files (*.*)")};
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    const auto bytes = ReadWhole(choice->path);
    if (!bytes) return report(Fail(tone::text::kCantOpenFile, Icon::None));
    editor_->clearEvents();
    if (auto st = editor_->importToneFile(*bytes, target); !st) report(st.failure());
    followEvents();
}

void ToneView::saveTone() {
    const tone::ToneRef ref = editor_->selection().ref;
    if (!ref.isTone()) return;
    auto x = tone::ExtractToneFile(toneDoc_, editor_->areas(), ref);
    if (!x) return report(x.failure());
    const std::vector<tone::SaveKind> kinds = tone::SaveFilters(x->file);
    ui::FileRequest req;
    req.save = true;
    req.title = QStringLiteral("Save...");
    req.directory = toneDirectory();
    req.proposedName = Q(tone::ProposedFileName(x->file.records.front()));
    req.defaultSuffix = kinds.front() == tone::SaveKind::Tone ? QStringLiteral("ton") : QStringLiteral("ston");
    for (tone::SaveKind k : kinds) req.filters << Q(k == tone::SaveKind::Tone ? tone::kToneFilter : tone::kSubtoneFilter);
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    const std::size_t index = choice->filter >= 0 && static_cast<std::size_t>(choice->filter) < kinds.size()
                                  ? static_cast<std::size_t>(choice->filter)
                                  : 0;
    // A file that cannot be written is said so: the user would otherwise believe the tone saved.
    if (!WriteWhole(choice->path.toStdString(), tone::SaveToneBytes(x->file, kinds[index])))
        report(Fail(veldin::text::kCantCreateFile));
}

void ToneView::loadWave() {
    const tone::ImportTarget target = editor_->target();
    ui::FileRequest req;
    req.title = QStringLiteral("Load...");
    req.directory = waveDirectory();
    req.filters = {QStringLiteral("Wave File (*.wav)"), QStringLiteral("All files (*.*)")};
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    const auto bytes = ReadWhole(choice->path);
    if (!bytes) return report(Fail(tone::text::kCantOpenFile, Icon::None));
    const std::string name = std::filesystem::path(choice->path.toStdString()).filename().string();
    auto file = tone::WaveToToneFile(*bytes, name, tone::ImportOptionsFrom(*settings_, frame_.mainDirectory()),
                                     frame_.interaction());
    if (!file && file.failure().text == tone::text::kImportCancelled) return;
    if (!file) return report(file.failure());
    editor_->clearEvents();
    if (auto st = editor_->importToneFile(*file, target); !st) report(st.failure());
    followEvents();
}

void ToneView::saveWave() {
    const tone::ToneRef ref = editor_->selection().ref;
    if (!ref.isTone() || ref.area() != tone::Area::Ram) return;
    auto files = tone::ToneWaveFiles(toneDoc_, editor_->areas(), ref, tone::ExportOptionsFrom(*settings_));
    if (!files) return report(files.failure());
    ui::FileRequest req;
    req.save = true;
    req.title = QStringLiteral("Save...");
    req.directory = waveDirectory();
    req.proposedName = Q(tone::ProposedFileName(*editor_->areas().find(ref)));
    req.defaultSuffix = QStringLiteral("wav");
    req.filters = {QStringLiteral("Wave File (*.wav)")};
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    const std::filesystem::path out = choice->path.toStdString();
    if (!WriteWhole(out, files->wav.bytes)) return report(Fail(veldin::text::kCantCreateFile));
    // The marker file is a companion; one that cannot be written is left out.
    if (files->mrk) WriteWhole(tone::MrkPathFor(out), files->mrk->bytes);
}

bool ToneView::clipboardOffers() const {
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    return m && (m->hasFormat(kToneMime) || m->hasUrls());
}

void ToneView::putOnClipboard(const tone::NamedBytes& tone) {
    auto* m = new QMimeData;
    m->setData(kToneMime, QByteArray(reinterpret_cast<const char*>(tone.bytes.data()), static_cast<qsizetype>(tone.bytes.size())));
    // File managers paste the file; without the hand-over folder they get nothing.
    if (const auto path = HandOver(tone)) m->setUrls({QUrl::fromLocalFile(*path)});
    QGuiApplication::clipboard()->setMimeData(m);
}

void ToneView::copyTone() {
    auto copied = tone::CopyTone(toneDoc_, editor_->areas(), editor_->selection().ref);
    if (!copied) return report(copied.failure());
    putOnClipboard(*copied);
}

void ToneView::cutTone() {
    editor_->clearEvents();
    auto cut = tone::CutSelected(toneDoc_, *editor_);
    if (!cut) report(cut.failure());
    else putOnClipboard(*cut);
    followEvents();
}

void ToneView::pasteTone() {
    if (const QMimeData* m = QGuiApplication::clipboard()->mimeData()) importData(m, editor_->target());
}

void ToneView::dropped(const QMimeData* data, QPoint at) {
    // The item under the drop becomes the selection and the target, for every file.
    if (QTreeWidgetItem* it = tree_->itemAt(at)) tree_->setCurrentItem(it);
    else tree_->clearSelection();
    importData(data, editor_->target());
    frame_.updateCommands();
}

void ToneView::importData(const QMimeData* data, const tone::ImportTarget& target) {
    if (data->hasFormat(kToneMime)) {
        const QByteArray b = data->data(kToneMime);
        editor_->clearEvents();
        const auto st = tone::PasteTone(*editor_, std::span(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                                           static_cast<std::size_t>(b.size())), target);
        if (!st) report(st.failure());
        return followEvents();
    }
    const std::vector<std::string> names = LocalNames(data->urls());
    if (tone::UseOfDrop(names) != tone::DropUse::Import) return report(Fail(tone::text::kUnknownFileKind));
    const tone::WaveImportOptions options = tone::ImportOptionsFrom(*settings_, frame_.mainDirectory());
    // One step per file, in order; the first refusal stops the rest.
    for (const std::string& path : names) {
        const auto bytes = ReadWhole(Q(path));
        if (!bytes) return report(Fail(tone::text::kCantOpenFile, Icon::None));
        editor_->clearEvents();
        const auto st = tone::ImportFile(*editor_, *bytes, std::filesystem::path(path).filename().string(), target,
                                         options, frame_.interaction());
        followEvents();
        if (!st) {
            if (st.failure().text != tone::text::kImportCancelled) report(st.failure());
            return;
        }
    }
}

QMimeData* ToneView::toneDragData() {
    const tone::ToneRef ref = editor_->selection().ref;
    if (!ref.isTone() || ref.area() != tone::Area::Ram) return nullptr;
    auto files = tone::ToneWaveFiles(toneDoc_, editor_->areas(), ref, tone::ExportOptionsFrom(*settings_));
    if (!files) {
        report(files.failure());
        return nullptr;
    }
    QList<QUrl> urls;
    for (const tone::NamedBytes* f : {&files->wav, files->mrk ? &*files->mrk : nullptr}) {
        if (!f) continue;
        const auto path = HandOver(*f);
        if (!path) {
            report(Fail(veldin::text::kCantCreateFile));
            return nullptr;
        }
        urls << QUrl::fromLocalFile(*path);
    }
    auto* m = new QMimeData;
    m->setUrls(urls);
    if (auto copied = tone::CopyTone(toneDoc_, editor_->areas(), ref))
        m->setData(kToneMime, QByteArray(reinterpret_cast<const char*>(copied->bytes.data()),
                                         static_cast<qsizetype>(copied->bytes.size())));
    return m;
}

void ToneView::labelEdited(QTreeWidgetItem* it) {
    if (filling_) return;
    const tone::ItemId id = it->data(0, kRoleId).toInt();
    const tone::TreeItem* item = editor_->tree().item(id);
    if (!item || it->text(0) == Q(item->label)) return;
    editor_->clearEvents();
    const QByteArray text = it->text(0).toLatin1();
    if (auto st = editor_->rename(id, std::string_view(text.constData(), static_cast<std::size_t>(text.size()))); !st) {
        report(st.failure());
        filling_ = true;
        it->setText(0, Q(item->label)); // the label stays as it was
        filling_ = false;
        return;
    }
    // The label becomes the stored name (blank-padded to eight characters).
    followEvents();
    frame_.updateCommands();
}

QTreeWidgetItem* ToneView::widgetItemOf(tone::ItemId id) const {
    for (QTreeWidgetItemIterator walk(tree_); *walk; ++walk)
        if ((*walk)->data(0, kRoleId).toInt() == id) return *walk;
    return nullptr;
}

QTreeWidgetItem* ToneView::widgetItemOfTone(tone::ToneRef ref) const {
    for (QTreeWidgetItemIterator walk(tree_); *walk; ++walk)
        if ((*walk)->data(0, kRoleRef).toULongLong() == ref.value) return *walk;
    return nullptr;
}

void ToneView::followEvents() {
    using Kind = tone::RefreshEvent::Kind;
    const tone::ToneTree& t = editor_->tree();
    filling_ = true;
    for (const tone::RefreshEvent& e : editor_->lastEvents()) {
        switch (e.kind) {
        case Kind::AddTone: {
            const tone::ItemId id = t.findValue(e.ref);
            const tone::TreeItem* item = t.item(id);
            if (!item || widgetItemOf(id)) break;
            const std::vector<tone::ItemId>& siblings = item->parent == tone::kNoItem ? t.roots() : t.item(item->parent)->children;
            const int index = static_cast<int>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
            if (QTreeWidgetItem* parent = widgetItemOf(item->parent)) {
                parent->insertChild(index, makeItem(id));
                parent->setExpanded(true);
            }
            break;
        }
        case Kind::RemoveTone:
            delete widgetItemOfTone(e.ref);
            break;
        case Kind::Relabel:
            if (QTreeWidgetItem* it = widgetItemOfTone(e.ref)) {
                if (const tone::TreeItem* item = t.item(it->data(0, kRoleId).toInt())) it->setText(0, Q(item->label));
            }
            break;
        case Kind::Panel: break;
        case Kind::Memo: showMemo(); break;
        }
    }
    if (QTreeWidgetItem* selected = widgetItemOf(t.selected())) {
        tree_->setCurrentItem(selected);
        tree_->scrollToItem(selected);
    }
    filling_ = false;
    showPanel();
}

void ToneView::stepDone(const StepResult& step, bool undo) {
    if (!tree_) return;
    editor_->clearEvents();
    editor_->afterStep(tone::StepResult{static_cast<int>(step.code), step.parameter, step.returnedValue},
                       undo ? tone::StepDirection::Undo : tone::StepDirection::Redo);
    followEvents();
    if (step.code == tone::kCmdMemo) showMemo();
}

bool ToneView::eventFilter(QObject* watched, QEvent* e) {
    // The Delete key in the tree is Edit -> Delete, when that is enabled (a label being
    // edited has the keys to itself: its line edit is another widget).
    if (watched == tree_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete &&
        static_cast<QKeyEvent*>(e)->modifiers() == Qt::NoModifier) {
        if (QAction* a = frame_.action(kDelete); a && a->isEnabled()) frame_.runCommand(kDelete);
        return true;
    }
    // Space is Play and stops it again; Escape stops what sounds.
    if (watched == tree_ && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier) {
            if (QAction* a = frame_.action(kPlay); a && a->isEnabled()) frame_.runCommand(kPlay);
            return true;
        }
        if (k->key() == Qt::Key_Escape && player_->playing()) {
            player_->stop();
            return true;
        }
    }
    // Ctrl+C, Ctrl+X and Ctrl+V are Edit's Copy, Cut and Paste (the tree's own copy of
    // the label text does not run).
    if (watched == tree_ && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        for (const auto& [keys, id] : {std::pair{QKeySequence::Copy, kCopy}, std::pair{QKeySequence::Cut, kCut},
                                       std::pair{QKeySequence::Paste, kPaste}})
            if (k->matches(keys)) {
                if (QAction* a = frame_.action(id); a && a->isEnabled()) frame_.runCommand(id);
                return true;
            }
    }
    return ui::DocumentView::eventFilter(watched, e);
}

} // namespace veldin::quilla
