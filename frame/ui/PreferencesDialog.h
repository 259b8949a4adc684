#pragma once
// The editor modules' "Preferences" dialog: a tab bar (3000) over pages of controls, each
// page bound to the module's settings through its page-binding table, and "Save" (1) /
// "Cancel" (2). The frame's own page "Appearance" comes first; its check boxes change
// their stored flag the moment they are clicked. At a module's first start Cancel is
// disabled. Controls are found by their ids (object names "ctl<id>").

#include <QDialog>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "core/PageBinding.h"

class QPushButton;
class QTabBar;

namespace veldin::ui {

enum class ControlType { Group, Label, Check, Radio, Edit, Browse, Combo };

// One control of a page, in layout order. A Group holds the controls after it up to the
// next Group; a Label shares its row with the Edit or Combo after it; a Browse button
// (">>") sits after its Edit and fills it with the folder chosen. The Radio buttons of one
// Group are one choice.
struct ControlSpec {
    int id;
    ControlType type;
    std::string_view text;
};

struct PageSpec {
    std::string_view name;                 // tab text; "&&" shows one "&"
    std::span<const PageBinding> bindings; // what the controls show and store
    std::vector<ControlSpec> controls;
};

// The frame's "Appearance" page over the FrameSettings at `frameOffset` of the storage.
PageSpec AppearancePage(std::span<const PageBinding> bindings);

class PreferencesDialog final : public QDialog {
public:
    PreferencesDialog(std::vector<PageSpec> pages, std::span<std::byte> storage, bool firstStart, QWidget* parent);
    ~PreferencesDialog() override;

    QTabBar* tabs() const { return tabs_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QWidget* control(int id) const;
    PageControls& controls();

    // Shows the page values again (after a module changed a list, say).
    void showValues();

    // After every page was read back on Save; the frame writes the settings then.
    std::function<void()> saved;
    // A check box of the first page changed its stored flag.
    std::function<void()> appearanceChanged;

private:
    void selectPage(int index);
    void commit();

    class Controls;
    std::vector<PageSpec> pages_;
    std::span<std::byte> storage_;
    std::unique_ptr<Controls> controls_;
    std::vector<QWidget*> pageWidgets_; // one a page, in tab order
    QTabBar* tabs_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int current_ = 0;
};

} // namespace veldin::ui
