#pragma once
// The Tone Editor's document window: disk and type lines, memo box, tone info panel and
// the tone tree. It mirrors tone::ToneEditor, which holds every rule.

#include <QTreeWidget>
#include <array>
#include <memory>

#include "frame/ui/ModuleFrame.h"
#include "tone/ui/CoreToneDocument.h"
#include "tone/ToneEditor.h"

class QLabel;
class QGroupBox;
class QPushButton;

namespace veldin::quilla {

class ToneView final : public ui::DocumentView {
public:
    // `expansion`: the module's note of the groups' expansion (bits of
    // tone::ToneTree::expansionMask), taken by a new window and left by a closing one;
    // null when nothing is carried over.
    ToneView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, std::uint32_t* expansion = nullptr);
    ~ToneView() override;

    QTreeWidget* tree() const { return tree_; }
    const tone::ToneEditor* editor() const { return editor_.get(); }
    QLabel* infoLine(int line) const { return info_[static_cast<std::size_t>(line)]; }
    void documentClosing() override;
    // Rebuilds the tree from the image, keeping the groups' expansion.
    void rebuildTree();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void selectionChanged();
    void showPanel();
    QTreeWidgetItem* makeItem(tone::ItemId id);

    Document& doc_;
    ui::ModuleFrame& frame_;
    CoreToneDocument toneDoc_;
    std::unique_ptr<tone::ToneEditor> editor_;
    QLabel* diskLine_ = nullptr;
    QLabel* typeLine_ = nullptr;
    QGroupBox* memoBox_ = nullptr;
    QLabel* memoText_ = nullptr;
    QPushButton* editMemo_ = nullptr;
    std::array<QLabel*, tone::kPanelLines> info_{};
    QTreeWidget* tree_ = nullptr;
    bool filling_ = false;
    std::uint32_t* expansion_ = nullptr;
};

// The five 16 x 16 images of the tree: ROM group, RAM group, bank, original, subtone.
QIcon TreeIcon(tone::IconKind kind, bool bank);

} // namespace veldin::quilla
