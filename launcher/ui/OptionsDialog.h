#pragma once
// The Options dialog: disk image folder, floppy drive and attempts per sector. At the
// first run it cannot be cancelled.

#include <QDialog>

#include "core/ModuleSettings.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"

class QLineEdit;
class QComboBox;
class QPushButton;

namespace veldin::launcher {

class OptionsDialog final : public QDialog {
public:
    OptionsDialog(SettingsStore& store, LauncherSettings& settings, UserInteraction& ui, bool firstRun,
                  QWidget* parent);
    QPushButton* cancelButton() const { return cancel_; }

    void save();

private:
    SettingsStore& store_;
    LauncherSettings& settings_;
    UserInteraction& ui_;
    bool firstRun_;
    QLineEdit* folder_;
    QComboBox* drive_;
    QLineEdit* repeat_;
    QPushButton* cancel_;
};

} // namespace veldin::launcher
