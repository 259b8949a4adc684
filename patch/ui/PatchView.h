#pragma once
// The Patch Editor's document window: the shared left panel with the patch info lines,
// and the patch tree ("Patches", each patch with the tones it plays). It mirrors
// patch::PatchEditor, which holds every rule.

#include <QTreeWidget>
#include <functional>
#include <memory>

#include "core/ModuleSettings.h"
#include "frame/ui/DiskPanel.h"
#include "frame/ui/ModuleFrame.h"
#include "patch/PatchEditor.h"
#include "patch/ui/KeyStripView.h"
#include "tone/DocumentAdapter.h"

namespace veldin::brisko {

// The clipboard type of a copied patch: the bytes Save Patch writes.
inline constexpr const char* kPatchMimeType = "application/x-veldin-patch";

// Answers the missing-tone question of a Load Patch; the window's own shows the dialog.
using MapperFactory = std::function<std::unique_ptr<patch::ToneMapper>(QWidget* parent)>;

class PatchView final : public ui::DocumentView {
public:
    // `settings`: the module's settings (the patch directory); null runs on defaults.
    PatchView(Document& doc, ui::ModuleFrame& frame, QWidget* parent, const PatchEditorSettings* settings = nullptr);
    ~PatchView() override;

    QSize minimumSizeHint() const override;
    std::set<int> selectionCommands() const override;
    bool runCommand(int id) override;
    void stepDone(const StepResult& step, bool undo) override;
    void documentClosing() override;

    ui::DiskPanel& panel() const { return *panel_; }
    // Null for an image without a patch area.
    QTreeWidget* tree() const { return tree_; }
    const patch::PatchEditor* editor() const { return editor_.get(); }
    // The keyboard of the selected patch, under the tree.
    KeyStripView* keyStrip() const { return keys_; }
    void setMapperFactory(MapperFactory f) { mappers_ = std::move(f); }

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void layoutPanel();
    void rebuildTree();
    // Brings the widget tree, panel and status to the editor's tree and selection: items
    // the editor removed go, items it added come in their place, labels follow.
    void follow();
    QTreeWidgetItem* makeItem(patch::ItemId id) const;
    QTreeWidgetItem* widgetItemOf(patch::ItemId id) const;
    void selectionChanged();
    void showPanel();
    void showKeyStrip();
    void deletePatch();
    void loadPatch();
    void savePatch();
    void copyPatch();
    void cutPatch();
    void pastePatch();
    // Loads patch file bytes (a file's or the clipboard's) into the first free position.
    void loadBytes(std::span<const std::uint8_t> bytes);
    void labelEdited(QTreeWidgetItem* item);
    void report(const Failure& f);
    QString patchDirectory() const;

    Document& doc_;
    ui::ModuleFrame& frame_;
    tone::DocumentAdapter patchDoc_;
    std::unique_ptr<ui::DiskPanel> panel_;
    std::unique_ptr<patch::PatchEditor> editor_;
    QTreeWidget* tree_ = nullptr;
    KeyStripView* keys_ = nullptr;
    bool filling_ = false;
    PatchEditorSettings defaults_;
    const PatchEditorSettings* settings_ = &defaults_;
    MapperFactory mappers_;
};

// The three 16 x 16 images of the tree: the root, a patch, a tone.
QIcon PatchTreeIcon(patch::IconKind kind);

} // namespace veldin::brisko
