#include "launcher/ui/OptionsDialog.h"

#include <algorithm>

#include <QFontMetrics>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "launcher/LauncherSettings.h"

namespace veldin::launcher {

OptionsDialog::OptionsDialog(SettingsStore& store, LauncherSettings& settings, UserInteraction& ui, bool firstRun,
                             QWidget* parent)
    : QDialog(parent), store_(store), settings_(settings), ui_(ui), firstRun_(firstRun) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    auto* layout = new QVBoxLayout(this);

    auto* paths = new QGroupBox(QStringLiteral("Paths"), this);
    auto* pl = new QHBoxLayout(paths);
    pl->addWidget(new QLabel(QStringLiteral("Disk Images"), paths));
    folder_ = new QLineEdit(QString::fromStdString(FieldString(settings_.sdkPath)), paths);
    folder_->setObjectName(QStringLiteral("ctl3100"));
    folder_->setMaxLength(255);
    // Wide enough for the folder's whole path in the dialog's font (a system installation's
    // folder lies deep in the user's data folder), within reason.
    const QFontMetrics fm(folder_->font());
    folder_->setMinimumWidth(std::clamp(fm.horizontalAdvance(folder_->text()) + 4 * fm.averageCharWidth(), 260,
                                        100 * fm.averageCharWidth()));
    pl->addWidget(folder_, 1);
    auto* browse = new QPushButton(QStringLiteral(">>"), paths);
    browse->setObjectName(QStringLiteral("ctl3101"));
    browse->setFixedWidth(32);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Please select directory"),
                                                              folder_->text());
        if (dir.isEmpty()) return;
        folder_->setText(dir);
        // The choice stays in memory even when the dialog is cancelled.
        SetFieldString(settings_.sdkPath, dir.toStdString());
    });
    pl->addWidget(browse);
    layout->addWidget(paths);

    auto* floppy = new QGroupBox(QStringLiteral("Floppy"), this);
    auto* fl = new QGridLayout(floppy);
    fl->addWidget(new QLabel(QStringLiteral("Drive:"), floppy), 0, 0);
    drive_ = new QComboBox(floppy);
    drive_->setObjectName(QStringLiteral("ctl3111"));
    drive_->addItems({QStringLiteral("Drive A:"), QStringLiteral("Drive B:")});
    drive_->setCurrentIndex(settings_.floppy == 1 ? 1 : 0);
    fl->addWidget(drive_, 0, 1);
    fl->addWidget(new QLabel(QStringLiteral("IO operations repeat"), floppy), 1, 0);
    repeat_ = new QLineEdit(QString::number(settings_.ioRepeat), floppy);
    repeat_->setObjectName(QStringLiteral("ctl3102"));
    repeat_->setMaxLength(3);
    repeat_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), repeat_));
    repeat_->setFixedWidth(48);
    fl->addWidget(repeat_, 1, 1);
    fl->addWidget(new QLabel(QStringLiteral("times"), floppy), 1, 2);
    layout->addWidget(floppy);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* saveButton = new QPushButton(QStringLiteral("Save"), this);
    saveButton->setObjectName(QStringLiteral("ctl1"));
    saveButton->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("ctl2"));
    cancel_->setEnabled(!firstRun_);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void OptionsDialog::save() {
    settings_.ioRepeat = RepeatCount(repeat_->text().toStdString());
    settings_.floppy = static_cast<std::uint8_t>(drive_->currentIndex() == 1 ? 1 : 0);
    SetFieldString(settings_.sdkPath, folder_->text().left(255).toStdString());
    SaveLauncherSettings(store_, settings_, ui_);
    accept();
}

} // namespace veldin::launcher
