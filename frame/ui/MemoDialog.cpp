#include "frame/ui/MemoDialog.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/MemoEdit.h"

namespace veldin::ui {

MemoDialog::MemoDialog(Document& doc, UserInteraction& ui, std::string title, QWidget* parent)
    : QDialog(parent), doc_(doc), ui_(ui), title_(std::move(title)) {
    setObjectName(QStringLiteral("dlg901"));
    setWindowTitle(QStringLiteral("MEMO Editor"));
    // The sampler's display is a grid of characters: a fixed font shows the centring.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const frame::MemoFields now = frame::CurrentMemo(doc);
    auto* layout = new QVBoxLayout(this);
    auto group = [&](const QString& caption, int first, int count, int width, auto textOf, auto nameOf) {
        auto* box = new QGroupBox(caption, this);
        auto* inner = new QVBoxLayout(box);
        for (int i = 0; i < count; ++i) {
            auto* e = new QLineEdit(box);
            e->setObjectName(QStringLiteral("ctl%1").arg(2600 + first + i));
            e->setMaxLength(width);
            e->setAccessibleName(nameOf(i));
            // Wide enough for a full field of the widest character.
            e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(width + 2, QLatin1Char('W'))));
            e->setText(QString::fromStdString(textOf(i)));
            inner->addWidget(e);
            fields_[static_cast<std::size_t>(first + i)] = e;
        }
        box->setEnabled(caption == QLatin1String("System MEMO") ? now.system : !now.system);
        layout->addWidget(box);
    };
    group(QStringLiteral("MEMO"), 0, 1 + kMemoLineCount, kMemoLineLength,
          [&](int i) { return now.memo[static_cast<std::size_t>(i)]; },
          [](int i) { return i == 0 ? QStringLiteral("Name") : QStringLiteral("Memo line %1").arg(i); });
    // The sector holds 31 characters of each system line; a 32nd would be cut.
    group(QStringLiteral("System MEMO"), 1 + kMemoLineCount, kSystemLineCount, kSystemLineLength,
          [&](int i) { return now.lines[static_cast<std::size_t>(i)]; },
          [](int i) { return QStringLiteral("System line %1").arg(i + 1); });
    auto* applyButton = new QPushButton(QStringLiteral("Apply"), this);
    applyButton->setObjectName(QStringLiteral("ctl1"));
    applyButton->setDefault(true);
    layout->addWidget(applyButton);
    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
}

void MemoDialog::apply() {
    frame::MemoFields typed;
    typed.system = doc_.definition().isSystem;
    auto text = [this](int i) { return fields_[static_cast<std::size_t>(i)]->text().toLatin1().toStdString(); };
    for (std::size_t i = 0; i < typed.memo.size(); ++i) typed.memo[i] = text(static_cast<int>(i));
    for (std::size_t i = 0; i < typed.lines.size(); ++i) typed.lines[i] = text(static_cast<int>(typed.memo.size() + i));
    if (Status s = frame::ApplyMemo(doc_, typed); !s.ok()) {
        ui_.report(s.failure(), title_);
        return;
    }
    accept();
}

} // namespace veldin::ui
