#include "patch/ui/MapToneDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "patch/PatchTexts.h"

namespace veldin::brisko {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Ctl(int id) { return QStringLiteral("ctl%1").arg(id); }
} // namespace

MapToneDialog::MapToneDialog(const patch::MissingToneDialog& model, QWidget* parent)
    : QDialog(parent), state_(model) {
    namespace text = patch::text;
    setObjectName(QStringLiteral("dlg1000"));
    setWindowTitle(Q(text::kMapTitle));
    // The text keeps its "\n\r" line ends; a label shows each as one line break.
    message_ = new QLabel(Q(model.message).remove(QLatin1Char('\r')), this);
    message_->setObjectName(Ctl(1001));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAccessibleName(QStringLiteral("Missing tone"));
    // About sixty characters a line, whatever the font.
    message_->setMinimumWidth(message_->fontMetrics().horizontalAdvance(QString(60, QLatin1Char('n'))));

    list_ = new QListWidget(this);
    list_->setObjectName(Ctl(1002));
    list_->setAccessibleName(QStringLiteral("Tones"));
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWW")) + 40);
    auto* bank = new QGroupBox(Q(text::kBankGroup), this);
    bank->setObjectName(Ctl(1006));
    ram_ = new QRadioButton(Q(text::kRam), bank);
    ram_->setObjectName(Ctl(1007));
    rom_ = new QRadioButton(Q(text::kRom), bank);
    rom_->setObjectName(Ctl(1008));
    auto* bankLayout = new QVBoxLayout(bank);
    bankLayout->addWidget(ram_);
    bankLayout->addWidget(rom_);
    auto* group = new QButtonGroup(this);
    group->addButton(ram_);
    group->addButton(rom_);

    yes_ = new QPushButton(Q(text::kYes), this);
    yes_->setObjectName(Ctl(1003));
    no_ = new QPushButton(Q(text::kNo), this);
    no_->setObjectName(Ctl(1005));
    cancel_ = new QPushButton(Q(text::kCancel), this);
    cancel_->setObjectName(Ctl(1004));
    for (QPushButton* b : {yes_, no_, cancel_}) b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    no_->setDefault(true);

    auto* side = new QVBoxLayout;
    side->addWidget(bank);
    side->addStretch(1);
    side->addWidget(yes_);
    side->addWidget(no_);
    side->addWidget(cancel_);
    auto* lower = new QHBoxLayout;
    lower->addWidget(list_, 1);
    lower->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(lower, 1);

    connect(ram_, &QRadioButton::clicked, this, [this] {
        state_.showBank(false);
        fill();
    });
    connect(rom_, &QRadioButton::clicked, this, [this] {
        state_.showBank(true);
        fill();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) state_.select(static_cast<std::size_t>(row));
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* it) {
        state_.doubleClick(static_cast<std::size_t>(list_->row(it)));
        yes_->setEnabled(state_.yesEnabled());
    });
    connect(yes_, &QPushButton::clicked, this, [this] {
        if (auto c = state_.yes()) finish(*c);
    });
    connect(no_, &QPushButton::clicked, this, [this] { finish({Answer::No, 0}); });
    connect(cancel_, &QPushButton::clicked, this, [this] { finish({Answer::Cancel, 0}); });
    fill();
}

void MapToneDialog::fill() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const patch::ListedTone& t : state_.list()) list_->addItem(Q(t.name));
    if (state_.selected()) list_->setCurrentRow(static_cast<int>(*state_.selected()));
    (state_.romShown() ? rom_ : ram_)->setChecked(true);
    yes_->setEnabled(state_.yesEnabled());
}

void MapToneDialog::finish(patch::MapChoice c) {
    choice_ = c;
    if (c.answer == Answer::Cancel) reject();
    else accept();
}

patch::MapChoice DialogToneMapper::mapMissingTone(const patch::MissingToneDialog& dialog) {
    MapToneDialog d(dialog, parent_);
    d.exec();
    return d.choice();
}

} // namespace veldin::brisko
