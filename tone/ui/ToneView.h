#pragma once
// The Tone Editor's document window: disk and type lines, memo box, tone info panel and
// the tone tree. It mirrors tone::ToneEditor, which holds every rule.

#include <QTreeWidget>
#include <array>
#include <memory>

#include "core/ModuleSettings.h"
#include "frame/ui/DiskPanel.h"
#include "frame/ui/ModuleFrame.h"
#include "tone/ui/CoreToneDocument.h"
#include "tone/ToneEditor.h"
#include "tone/TonePlayback.h"
#include "tone/ToneTransfer.h"

class QLabel;
class QGroupBox;
class QMimeData;
class QPushButton;

namespace veldin::ui {
class MemoDialog;
}

namespace veldin::quilla {

class ToneParameterDialog;
class TonePlayer;

class ToneView final : public ui::DocumentView {
public:
    // `expansion`: the module's note of the groups' expansion (bits of
    // tone::ToneTree::expansionMask), taken by a new window and left by a closing one;
    // null when nothing is carried over.
    // `settings`: the module's settings (tone and wave directories, wave options); null
    // runs on the first-start defaults.
    ToneView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, std::uint32_t* expansion = nullptr,
             const ToneEditorSettings* settings = nullptr);
    ~ToneView() override;

    // The whole panel beside a usable tree.
    QSize minimumSizeHint() const override;
    std::set<int> selectionCommands() const override;
    QString disabledHint(int id) const override;
    bool runCommand(int id) override;
    void stepDone(const StepResult& step, bool undo) override;
    QLabel* memoText() const { return panel_->memoText(); }
    // Opens the memo editor (window-modal) and returns it.
    ui::MemoDialog* editMemo() { return panel_->editMemo(); }
    QPushButton* editMemoButton() const { return panel_->editMemoButton(); }
    // Opens the parameter dialog on the selected tone (window-modal) and returns it;
    // null when no tone is selected.
    ToneParameterDialog* editParameters();

    // Play: starts the selected tone, or stops it while it sounds. False when nothing
    // plays after it.
    bool togglePlay();
    TonePlayer* player() const { return player_; }

    QTreeWidget* tree() const { return tree_; }
    const tone::ToneEditor* editor() const { return editor_.get(); }
    QLabel* infoLine(int line) const { return panel_->infoLine(line); }
    void documentClosing() override;
    // What a drag of the selected tone carries: the WAV file (and marker file) that Save
    // Wave would write, written into the module's hand-over folder, and the tone itself
    // for another window's tree. Null when the tone has no wave (the failure was shown).
    QMimeData* toneDragData();
    // Rebuilds the tree from the image, keeping the groups' expansion.
    void rebuildTree();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    tone::PlayConditions playConditions() const;
    void showPlaying();
    void layoutPanel();
    void showMemo();
    void deleteTone();
    void loadTone();
    void saveTone();
    void loadWave();
    void saveWave();
    void copyTone();
    void cutTone();
    void pasteTone();
    void putOnClipboard(const tone::NamedBytes& tone);
    // A tone of ours (the clipboard's format) or a list of files, onto `target`.
    void importData(const QMimeData* data, const tone::ImportTarget& target);
    void dropped(const QMimeData* data, QPoint at);
    bool clipboardOffers() const;
    void labelEdited(QTreeWidgetItem* item);
    void report(const Failure& f);
    // Brings the widget tree, the panel and the memo box to what the last change did.
    void followEvents();
    QTreeWidgetItem* widgetItemOf(tone::ItemId id) const;
    QTreeWidgetItem* widgetItemOfTone(tone::ToneRef ref) const;
    QString toneDirectory() const;
    QString waveDirectory() const;
    void selectionChanged();
    void showPanel();
    QTreeWidgetItem* makeItem(tone::ItemId id);

    Document& doc_;
    ui::ModuleFrame& frame_;
    CoreToneDocument toneDoc_;
    std::unique_ptr<tone::ToneEditor> editor_;
    std::unique_ptr<ui::DiskPanel> panel_;
    QTreeWidget* tree_ = nullptr;
    TonePlayer* player_ = nullptr;
    bool filling_ = false;
    std::uint32_t* expansion_ = nullptr;
    ToneEditorSettings defaults_;
    const ToneEditorSettings* settings_ = &defaults_; // read at each command: preferences may change
};

// The five 16 x 16 images of the tree: ROM group, RAM group, bank, original, subtone.
QIcon TreeIcon(tone::IconKind kind, bool bank);

} // namespace veldin::quilla
