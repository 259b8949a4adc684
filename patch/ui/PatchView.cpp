#include "patch/ui/PatchView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <cmath>
#include <cstring>
#include <fstream>

#include "core/FileRead.h"
#include "core/Messages.h"
#include "patch/PatchTexts.h"
#include "patch/ui/MapToneDialog.h"

namespace veldin::brisko {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
constexpr int kRoleId = Qt::UserRole + 1;
using namespace veldin::frame;
namespace ptext = veldin::patch::text;

// The patch info panel: bender range and output share a row.
ui::InfoLines PatchInfoLines() {
    return {{54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64},
            QStringLiteral("Patch info line %1"),
            patch::kLineBenderRange,
            {"Patch Number: 256", "Key Mode: Norm", "Key Mode: V-SW", "Key Mode: Fade", "Key Assign: ROT",
             "Uni-Detune: 255", "V-SW Tresh: 255", "V-Mix Ratio: 255", "AT Assign: 255", "AT Sense: 255",
             "Volume: 255"},
            QStringLiteral("B.Range: 255"),
            QStringLiteral("Out: 255")};
}

bool WriteWhole(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

QString FileFilter() { return Q(ptext::kFilterText); }
} // namespace

QIcon PatchTreeIcon(patch::IconKind kind) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1d, 0x3a, 0x5f);
    p.setPen(QPen(ink, 1));
    switch (kind) {
    case patch::IconKind::Root:
        // A floppy, as the disk that holds the patches.
        p.setBrush(QColor(0x2c, 0x5d, 0x9a));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(QColor(0xf4, 0xf1, 0xe8));
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case patch::IconKind::Patch:
        // A keyboard: white keys with three black ones.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 3.5, 15, 10));
        for (int x = 4; x < 16; x += 4) p.drawLine(QPointF(x + 0.5, 3.5), QPointF(x + 0.5, 13.5));
        p.setBrush(ink);
        for (int x : {3, 7, 11}) p.drawRect(QRectF(x, 3.5, 2.5, 6));
        break;
    case patch::IconKind::Tone: {
        // A wave, as the Tone Editor draws its tones.
        p.setPen(QPen(QColor(0x2f, 0x8f, 0x4e), 1.6));
        QPainterPath path;
        path.moveTo(1, 8);
        for (int x = 1; x <= 15; ++x) path.lineTo(x, 8 - 6 * std::sin((x - 1) * 0.9) * (1.0 - (x - 1) / 18.0));
        p.drawPath(path);
        break;
    }
    }
    return QIcon(pm);
}

PatchView::PatchView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, const PatchEditorSettings* settings)
    : ui::DocumentView(parent), doc_(doc), frame_(frame), patchDoc_(doc) {
    if (settings) settings_ = settings;
    setObjectName(QStringLiteral("patchView"));
    mappers_ = [](QWidget* p) { return std::make_unique<DialogToneMapper>(p); };
    panel_ = std::make_unique<ui::DiskPanel>(doc, frame, PatchInfoLines(), this);
    editor_ = std::make_unique<patch::PatchEditor>(patchDoc_);
    if (!editor_->areas().patches()) {
        layoutPanel();
        return;
    }
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("patchTree"));
    tree_->setAccessibleName(QStringLiteral("Patch tree"));
    tree_->setHeaderHidden(true);
    tree_->setIconSize(QSize(16, 16));
    tree_->setStyleSheet(QStringLiteral("QTreeWidget { background: white; }"));
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it) { labelEdited(it); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* it) {
        // The panel of the selected patch again; the root keeps it empty.
        editor_->select(it->data(0, kRoleId).toInt());
        showPanel();
    });
    keys_ = new KeyStripView(this);
    tree_->installEventFilter(this);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { frame_.contextMenu()->popup(tree_->viewport()->mapToGlobal(at)); });
    layoutPanel();
    rebuildTree();
}

PatchView::~PatchView() = default;

QTreeWidgetItem* PatchView::makeItem(patch::ItemId id) const {
    const patch::TreeItem* item = editor_->tree().item(id);
    auto* it = new QTreeWidgetItem;
    it->setText(0, Q(item->label));
    it->setData(0, kRoleId, id);
    it->setIcon(0, PatchTreeIcon(item->icon));
    // Every label can be edited; only a patch's is a name (the others are refused).
    it->setFlags(it->flags() | Qt::ItemIsEditable);
    for (patch::ItemId child : item->children) it->addChild(makeItem(child));
    return it;
}

void PatchView::rebuildTree() {
    filling_ = true;
    tree_->clear();
    QTreeWidgetItem* root = makeItem(editor_->tree().root());
    tree_->addTopLevelItem(root);
    root->setExpanded(true);
    filling_ = false;
    follow();
}

QTreeWidgetItem* PatchView::widgetItemOf(patch::ItemId id) const {
    for (QTreeWidgetItemIterator walk(tree_); *walk; ++walk)
        if ((*walk)->data(0, kRoleId).toInt() == id) return *walk;
    return nullptr;
}

void PatchView::follow() {
    const patch::PatchTree& t = editor_->tree();
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    const patch::TreeItem* model = t.item(t.root());
    if (!root || !model) return rebuildTree();
    filling_ = true;
    for (int i = root->childCount() - 1; i >= 0; --i)
        if (!t.item(root->child(i)->data(0, kRoleId).toInt())) delete root->takeChild(i);
    for (std::size_t i = 0; i < model->children.size(); ++i) {
        const patch::ItemId id = model->children[i];
        QTreeWidgetItem* it = i < static_cast<std::size_t>(root->childCount()) ? root->child(static_cast<int>(i)) : nullptr;
        if (!it || it->data(0, kRoleId).toInt() != id) root->insertChild(static_cast<int>(i), it = makeItem(id));
        it->setText(0, Q(t.item(id)->label));
    }
    QTreeWidgetItem* selected = widgetItemOf(editor_->selection().item);
    tree_->setCurrentItem(selected ? selected : root);
    if (selected) tree_->scrollToItem(selected);
    filling_ = false;
    showPanel();
}

void PatchView::selectionChanged() {
    if (filling_) return;
    if (QTreeWidgetItem* it = tree_->currentItem()) editor_->select(it->data(0, kRoleId).toInt());
    showPanel();
    frame_.updateCommands();
}

void PatchView::showPanel() {
    const patch::PatchSelection& sel = editor_->selection();
    panel_->setInfo(sel.panel);
    frame_.statusPart(0)->setText(Q(sel.status));
    showKeyStrip();
}

void PatchView::showKeyStrip() {
    // A tone item shows the keyboard of the patch it belongs to.
    const patch::PatchSelection& sel = editor_->selection();
    patch::PatchRef ref = sel.value;
    if (const patch::TreeItem* parent = editor_->tree().item(sel.parent); ref.isTone() && parent) ref = parent->value;
    const patch::PatchArea* area = editor_->areas().patches();
    if (ref.isPatch() && area) keys_->show(patch::MakeKeyStrip(area->record(ref.position())), editor_->areas());
    else keys_->clear();
}

void PatchView::documentClosing() { frame_.statusPart(0)->clear(); }

void PatchView::layoutPanel() {
    panel_->layout();
    if (!tree_) return;
    const int x = panel_->width() + 4, w = width() - x, stripH = keys_->sizeHint().height();
    tree_->setGeometry(x, 2, w, height() - stripH - 4);
    keys_->setGeometry(x, height() - stripH - 2, w, stripH);
}

QSize PatchView::minimumSizeHint() const {
    // The whole panel and a tree wide enough for a patch's name under its tones.
    return QSize(panel_->width() + (tree_ ? 4 + fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWWWW")) + 60 : 2),
                 std::max(panel_->bottom(), tree_ ? keys_->sizeHint().height() + 120 : 0) + 2);
}

void PatchView::resizeEvent(QResizeEvent*) { layoutPanel(); }

std::set<int> PatchView::selectionCommands() const {
    if (!tree_) return {};
    // Delete asks first and then says why a node that is not a patch cannot go; Save
    // Patch does nothing for the root and refuses a tone.
    // Paste takes whatever the clipboard holds and says when it is no patch.
    std::set<int> on = {kDelete, kLoadTone, kPaste};
    if (!editor_->selection().value.isRoot()) on.insert(kSaveTone);
    if (editor_->selection().value.isPatch()) on.insert({kCopy, kCut});
    return on;
}

bool PatchView::runCommand(int id) {
    if (!tree_) return false;
    switch (id) {
    case kDelete: deletePatch(); return true;
    case kLoadTone: loadPatch(); return true;
    case kSaveTone: savePatch(); return true;
    case kCopy: copyPatch(); return true;
    case kCut: cutPatch(); return true;
    case kPaste: pastePatch(); return true;
    default: return false;
    }
}

void PatchView::report(const Failure& f) {
    // The file's magic is the library's own check, titled with its name.
    const std::string_view title = f.text == ptext::kNotRpat ? ptext::kModuleFileTitle : veldin::text::kTitlePatchEditor;
    frame_.interaction().report(f, title);
}

QString PatchView::patchDirectory() const {
    const QString d = QString::fromStdString(std::string(settings_->patchPath, strnlen(settings_->patchPath, kSettingsPathSize)));
    return d.isEmpty() ? QString::fromStdString(frame_.mainDirectory().string()) : d;
}

void PatchView::deletePatch() {
    if (auto st = editor_->deleteSelected(frame_.interaction()); !st) report(st.failure());
    follow();
}

void PatchView::loadPatch() {
    // With every position in use there is nowhere to load to; no chooser is offered.
    if (editor_->selection().freePositions == 0) return report(Fail(ptext::kNoFreePatchPosition, Icon::Information));
    ui::FileRequest req;
    req.title = Q(veldin::text::kLoadTitle);
    req.directory = patchDirectory();
    req.filters = {FileFilter()};
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    const auto bytes = ReadFileBytes(choice->path.toStdString());
    // The message carries no icon.
    if (!bytes) return report(Fail(ptext::kCantOpenFile, Icon::None));
    loadBytes(*bytes);
}

void PatchView::loadBytes(std::span<const std::uint8_t> bytes) {
    auto mapper = mappers_(this);
    auto loaded = editor_->loadPatch(bytes, *mapper);
    if (!loaded) return report(loaded.failure());
    follow();
}

void PatchView::copyPatch() {
    auto file = editor_->savePatch();
    if (!file || !*file) return;
    const std::vector<std::uint8_t> bytes = patch::PatchFileBytes(**file);
    auto* data = new QMimeData;
    data->setData(QLatin1String(kPatchMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    QApplication::clipboard()->setMimeData(data);
}

void PatchView::cutPatch() {
    // The patch goes to the clipboard and from the image in one undo step, unasked: it
    // can be pasted back.
    copyPatch();
    if (auto st = editor_->deleteSelectedConfirmed(); !st) report(st.failure());
    follow();
}

void PatchView::pastePatch() {
    // The clipboard's patch is loaded as Load Patch loads a file; anything else is no
    // patch file and changes nothing.
    if (editor_->selection().freePositions == 0) return report(Fail(ptext::kNoFreePatchPosition, Icon::Information));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const QByteArray bytes = data ? data->data(QLatin1String(kPatchMimeType)) : QByteArray();
    if (bytes.isEmpty()) return report(Fail(ptext::kNotRpat));
    loadBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}

void PatchView::savePatch() {
    auto file = editor_->savePatch();
    if (!file) return report(file.failure());
    if (!*file) return;
    ui::FileRequest req;
    req.save = true;
    req.title = Q(veldin::text::kSaveTitle);
    req.directory = patchDirectory();
    req.proposedName = Q(patch::ProposedFileName((*file)->record));
    req.defaultSuffix = Q(ptext::kSavedExtension).mid(1);
    req.filters = {FileFilter()};
    const auto choice = frame_.chooseFile(req);
    if (!choice) return;
    // A file that cannot be written is said so: the user would otherwise believe it saved.
    if (!WriteWhole(patch::SavedPatchPath(choice->path.toStdString()), patch::PatchFileBytes(**file)))
        report(Fail(veldin::text::kCantCreateFile));
}

void PatchView::labelEdited(QTreeWidgetItem* it) {
    if (filling_) return;
    const patch::ItemId id = it->data(0, kRoleId).toInt();
    const patch::TreeItem* item = editor_->tree().item(id);
    if (!item || it->text(0) == Q(item->label)) return;
    const QByteArray typed = it->text(0).toLatin1();
    if (auto st = editor_->rename(id, std::string_view(typed.constData(), static_cast<std::size_t>(typed.size()))); !st) {
        report(st.failure());
        filling_ = true;
        it->setText(0, Q(item->label)); // the label stays as it was
        filling_ = false;
        return;
    }
    // The label shows the stored name.
    follow();
    frame_.updateCommands();
}

void PatchView::stepDone(const StepResult& step, bool undo) {
    if (!tree_) return;
    editor_->afterStep(tone::StepResult{static_cast<int>(step.code), step.parameter, step.returnedValue},
                       undo ? patch::StepDirection::Undo : patch::StepDirection::Redo);
    follow();
    if (step.code == patch::kCmdMemo) {
        panel_->showMemo();
        layoutPanel();
    }
}

bool PatchView::eventFilter(QObject* watched, QEvent* e) {
    // Delete, Ctrl+C, Ctrl+X and Ctrl+V in the tree are the Edit menu's commands, when
    // they are enabled (a label being edited has the keys to itself).
    if (watched == tree_ && e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        int id = 0;
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) id = kDelete;
        else if (key->matches(QKeySequence::Copy)) id = kCopy;
        else if (key->matches(QKeySequence::Cut)) id = kCut;
        else if (key->matches(QKeySequence::Paste)) id = kPaste;
        if (id != 0) {
            if (QAction* a = frame_.action(id); a && a->isEnabled()) frame_.runCommand(id);
            return true;
        }
    }
    return ui::DocumentView::eventFilter(watched, e);
}

} // namespace veldin::brisko
