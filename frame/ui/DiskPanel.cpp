#include "frame/ui/DiskPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "frame/MemoEdit.h"
#include "frame/ui/MemoDialog.h"
#include "frame/ui/ModuleFrame.h"

namespace veldin::ui {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

DiskPanel::DiskPanel(Document& doc, ModuleFrame& frame, InfoLines lines, QWidget* parent)
    : doc_(doc), frame_(frame), parent_(parent), lines_(std::move(lines)) {
    const DiskDefinition& def = doc.definition();
    diskLine_ = new QLabel(QStringLiteral(" Disk: ") + Q(def.samplerName), parent);
    diskLine_->setObjectName(QStringLiteral("diskLine"));
    // Shown as plain text, so an "&" of the kind name stays a literal character.
    typeLine_ = new QLabel(QStringLiteral(" Type: ") + Q(def.kindName), parent);
    typeLine_->setObjectName(QStringLiteral("typeLine"));
    typeLine_->setTextFormat(Qt::PlainText);
    for (QLabel* l : {diskLine_, typeLine_}) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    diskLine_->setAccessibleName(QStringLiteral("Disk"));
    typeLine_->setAccessibleName(QStringLiteral("Type"));
    if (!def.hasSounds) {
        layout();
        return;
    }

    memoBox_ = new QGroupBox(QStringLiteral("Roland Memo"), parent);
    memoBox_->setObjectName(QStringLiteral("ctl500"));
    memoBox_->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid #9aa3ad; border-radius: 3px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    memoText_ = new QLabel(Q(frame::MemoBoxText(doc)), parent);
    memoText_->setObjectName(QStringLiteral("ctl50"));
    memoText_->setWordWrap(true);
    memoText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    memoText_->setTextFormat(Qt::PlainText);
    memoText_->setAccessibleName(QStringLiteral("Roland Memo"));
    editMemo_ = new QPushButton(QStringLiteral("Edit Memo"), parent);
    editMemo_->setObjectName(QStringLiteral("ctl530"));
    // A disk without a memo sector has nothing the editor could write.
    editMemo_->setEnabled(def.memoSector >= 0);
    QObject::connect(editMemo_, &QPushButton::clicked, parent, [this] { editMemo(); });
    for (std::size_t i = 0; i < lines_.ids.size(); ++i) {
        auto* l = new QLabel(parent);
        l->setObjectName(QStringLiteral("ctl%1").arg(lines_.ids[i]));
        l->setTextFormat(Qt::PlainText);
        l->setAccessibleName(lines_.accessibleName.arg(i + 1));
        info_.push_back(l);
    }
    layout();
}

QLabel* DiskPanel::infoLine(int line) const {
    return line >= 0 && static_cast<std::size_t>(line) < info_.size() ? info_[static_cast<std::size_t>(line)] : nullptr;
}

void DiskPanel::setInfo(std::span<const std::string> texts) {
    for (std::size_t i = 0; i < info_.size() && i < texts.size(); ++i) info_[i]->setText(Q(texts[i]));
}

void DiskPanel::showMemo() {
    if (!memoText_) return;
    memoText_->setText(Q(frame::MemoBoxText(doc_)));
    layout();
}

MemoDialog* DiskPanel::editMemo() {
    auto* d = new MemoDialog(doc_, frame_.interaction(), frame_.identity().programName, parent_);
    d->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(d, &QDialog::accepted, parent_, [this] {
        showMemo();
        frame_.updateCommands();
    });
    d->open();
    return d;
}

void DiskPanel::layout() {
    // The panel keeps its arrangement (disk and type lines, memo box, button, info rows)
    // but is as wide as its widest possible text and its rows as high as the font: at
    // 110 x 16 pixels a larger font cut "Frequency: 30000Hz" and "Loopmode: Fordward".
    const QFontMetrics fm(parent_->font());
    const int rowH = std::max(16, fm.height() + 4);
    int textW = 0;
    for (QLabel* l : {diskLine_, typeLine_}) textW = std::max(textW, fm.horizontalAdvance(l->text()) + 6);
    for (const QString& sample : lines_.widest + QStringList{QStringLiteral("Roland Memo  ")})
        textW = std::max(textW, fm.horizontalAdvance(sample) + 4);
    const int leftW = std::max(65, fm.horizontalAdvance(lines_.widestLeft) + 4);
    const int rightW = std::max(43, fm.horizontalAdvance(lines_.widestRight) + 4);
    width_ = std::max({110, textW, leftW + 4 + rightW});
    if (editMemo_) width_ = std::max(width_, editMemo_->sizeHint().width());
    const int w = width_;
    int y = 2;
    diskLine_->setGeometry(2, y, w, rowH);
    y += rowH + 2;
    typeLine_->setGeometry(2, y, w, rowH);
    y += rowH + 2;
    if (!memoBox_) {
        bottom_ = y;
        return;
    }
    const int top = fm.height() + 6; // the box's caption
    const int memoW = w - 22;
    const int memoH = std::max(74, memoText_->heightForWidth(memoW));
    memoBox_->setGeometry(2, y, w, top + memoH + 8);
    memoText_->setGeometry(13, y + top, memoW, memoH);
    y += top + memoH + 8 + 3;
    const int buttonH = std::max(21, editMemo_->sizeHint().height());
    editMemo_->setGeometry(2, y, w, buttonH);
    y += buttonH + 2;
    const int paired = lines_.pairedLine;
    for (int i = 0; i < static_cast<int>(info_.size()); ++i) {
        // The paired line and the one after it share a row; every other line has its own.
        const int row = paired < 0 || i <= paired ? i : i - 1;
        int x = 2, lw = w;
        if (i == paired) lw = w - rightW - 4;
        if (paired >= 0 && i == paired + 1) x = 2 + w - rightW, lw = rightW;
        info_[static_cast<std::size_t>(i)]->setGeometry(x, y + (rowH + 2) * row, lw, rowH);
    }
    const int rows = static_cast<int>(info_.size()) - (paired >= 0 ? 1 : 0);
    bottom_ = y + (rowH + 2) * rows;
}

} // namespace veldin::ui
