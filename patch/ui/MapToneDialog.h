#pragma once
// "Map missing tone" (dialog 1000): asked once for every tone of a patch file that the
// image lacks. The list shows the tones of the chosen bank; a double click chooses the
// replacement, "&Yes" maps to it, "&No" keeps the invalid mapping, "&Cancel" (or the
// close box) abandons the load. patch::MissingToneState holds the rules.

#include <QDialog>

#include "patch/PatchFile.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace veldin::brisko {

class MapToneDialog final : public QDialog {
public:
    MapToneDialog(const patch::MissingToneDialog& model, QWidget* parent);

    QLabel* message() const { return message_; }
    QListWidget* list() const { return list_; }
    QRadioButton* ram() const { return ram_; }
    QRadioButton* rom() const { return rom_; }
    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QPushButton* cancelButton() const { return cancel_; }
    // What the user answered; Cancel until a button said otherwise.
    patch::MapChoice choice() const { return choice_; }

private:
    void fill();
    void finish(patch::MapChoice c);

    patch::MissingToneState state_;
    patch::MapChoice choice_;
    QLabel* message_ = nullptr;
    QListWidget* list_ = nullptr;
    QRadioButton* ram_ = nullptr;
    QRadioButton* rom_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The window's mapper: one dialog, modal, for each missing tone.
class DialogToneMapper final : public patch::ToneMapper {
public:
    explicit DialogToneMapper(QWidget* parent) : parent_(parent) {}
    patch::MapChoice mapMissingTone(const patch::MissingToneDialog& dialog) override;

private:
    QWidget* parent_;
};

} // namespace veldin::brisko
