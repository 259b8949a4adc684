#pragma once
// The left panel of an editor's document window: the " Disk: " and " Type: " lines and,
// for an image with sounds, the "Roland Memo" box with the memo, the "Edit Memo" button
// (the shared memo editor) and the module's info lines below it. The Tone Editor and
// the Patch Editor differ only in their info lines.

#include <QString>
#include <QStringList>
#include <span>
#include <string>
#include <vector>

#include "core/Document.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace veldin::ui {

class MemoDialog;
class ModuleFrame;

// The module's info lines: their control ids in panel order, their accessible name
// ("Tone info line %1"), the one line that shares its row with the line after it (left
// and right part, at least 65 and 43 pixels wide) and the widest texts each may show.
struct InfoLines {
    std::vector<int> ids;
    QString accessibleName;
    int pairedLine = -1;
    QStringList widest;
    QString widestLeft, widestRight;
};

class DiskPanel {
public:
    // Creates the controls as children of `parent` (the view); `frame` runs the memo
    // editor's messages and recomputes the commands after it.
    DiskPanel(Document& doc, ModuleFrame& frame, InfoLines lines, QWidget* parent);

    QLabel* diskLine() const { return diskLine_; }
    QLabel* typeLine() const { return typeLine_; }
    // Null for an image without sounds (only the disk and type lines exist).
    QGroupBox* memoBox() const { return memoBox_; }
    QLabel* memoText() const { return memoText_; }
    QPushButton* editMemoButton() const { return editMemo_; }
    QLabel* infoLine(int line) const;
    // One text per info line, in panel order.
    void setInfo(std::span<const std::string> texts);

    // The memo as the working copy holds it now (after the editor, an undo or a redo).
    void showMemo();
    // Opens the memo editor (window-modal); Apply shows the new memo.
    MemoDialog* editMemo();

    // Places the controls: as wide as the widest text, rows as high as the font.
    void layout();
    int width() const { return width_; }
    int bottom() const { return bottom_; }

private:
    Document& doc_;
    ModuleFrame& frame_;
    QWidget* parent_;
    InfoLines lines_;
    QLabel* diskLine_ = nullptr;
    QLabel* typeLine_ = nullptr;
    QGroupBox* memoBox_ = nullptr;
    QLabel* memoText_ = nullptr;
    QPushButton* editMemo_ = nullptr;
    std::vector<QLabel*> info_;
    int width_ = 110;
    int bottom_ = 0;
};

} // namespace veldin::ui
