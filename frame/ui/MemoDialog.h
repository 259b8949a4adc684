#pragma once
// "MEMO Editor": the disk's name and four memo lines, or the three system lines of a
// system disk. Shared by the editor modules whose window has an "Edit Memo" button.

#include <QDialog>
#include <array>

#include "core/Document.h"
#include "core/UserInteraction.h"

class QLineEdit;

namespace veldin::ui {

class MemoDialog final : public QDialog {
public:
    // `title`: the program whose messages these are ("Tone Editor").
    MemoDialog(Document& doc, UserInteraction& ui, std::string title, QWidget* parent);
    // 0-4 name and lines, 5-7 system lines.
    QLineEdit* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
    // Writes the memo as one undo step and closes; a refusal is shown and keeps it open.
    void apply();

private:
    Document& doc_;
    UserInteraction& ui_;
    std::string title_;
    std::array<QLineEdit*, 8> fields_{};
};

} // namespace veldin::ui
