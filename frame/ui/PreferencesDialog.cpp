#include "frame/ui/PreferencesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <map>

namespace veldin::ui {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString CtlName(int id) { return QStringLiteral("ctl%1").arg(id); }
// Window texts double an ampersand to show one; buttons, group boxes and tabs do the
// same, a label without a buddy shows its text as it is.
QString Plain(std::string_view s) { return Q(s).replace(QStringLiteral("&&"), QStringLiteral("&")); }
} // namespace

PageSpec AppearancePage(std::span<const PageBinding> bindings) {
    return {"Appearance", bindings,
            {{3900, ControlType::Group, "Window"},
             {3001, ControlType::Check, "Save size && position"},
             {3002, ControlType::Check, "Align to VELDIN Win"},
             {3003, ControlType::Check, "Use textured background"}}};
}

// The dialog's widgets behind the binding routines.
class PreferencesDialog::Controls final : public PageControls {
public:
    std::map<int, QWidget*> byId;

    template <class W>
    W* as(int id) const {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : qobject_cast<W*>(it->second);
    }
    void setVisible(int id, bool visible) override {
        if (auto it = byId.find(id); it != byId.end()) it->second->setVisible(visible);
    }
    void setChecked(int id, bool checked) override {
        if (auto* c = as<QAbstractButton>(id)) c->setChecked(checked);
    }
    bool isChecked(int id) override {
        auto* c = as<QAbstractButton>(id);
        return c && c->isChecked();
    }
    void setText(int id, std::string_view text) override {
        if (auto* e = as<QLineEdit>(id)) e->setText(QString::fromStdString(std::string(text)));
    }
    std::string text(int id) override {
        auto* e = as<QLineEdit>(id);
        return e ? e->text().toStdString() : std::string();
    }
    void setComboIndex(int id, int index) override {
        // A stored index beyond the list selects its first entry.
        if (auto* c = as<QComboBox>(id)) c->setCurrentIndex(index >= 0 && index < c->count() ? index : 0);
    }
    int comboIndex(int id) override {
        // A disabled list stands for nothing to choose ("No Sound"): the stored choice stays.
        auto* c = as<QComboBox>(id);
        return c && c->isEnabled() ? c->currentIndex() : -1;
    }
};

PreferencesDialog::PreferencesDialog(std::vector<PageSpec> pages, std::span<std::byte> storage, bool firstStart,
                                     QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), storage_(storage), controls_(std::make_unique<Controls>()) {
    setObjectName(QStringLiteral("preferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabBar(this);
    tabs_->setObjectName(CtlName(3000));
    tabs_->setDrawBase(true);
    layout->addWidget(tabs_);

    // Every page lies in the same place; only the selected one is shown.
    auto* area = new QWidget(this);
    auto* stack = new QGridLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    for (std::size_t p = 0; p < pages_.size(); ++p) {
        tabs_->addTab(Q(pages_[p].name));
        auto* page = new QWidget(area);
        page->setObjectName(QStringLiteral("page%1").arg(p));
        pageWidgets_.push_back(page);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(4, 8, 4, 4);
        QGridLayout* grid = nullptr;
        QLineEdit* lastEdit = nullptr;
        int row = 0;
        auto ensureGroup = [&] {
            if (grid) return;
            auto* box = new QGroupBox(page);
            pageLayout->addWidget(box);
            grid = new QGridLayout(box);
            row = 0;
        };
        for (const ControlSpec& c : pages_[p].controls) {
            QWidget* w = nullptr;
            switch (c.type) {
            case ControlType::Group: {
                auto* box = new QGroupBox(Q(c.text), page); // "&&" shows one "&"
                pageLayout->addWidget(box);
                grid = new QGridLayout(box);
                grid->setColumnStretch(1, 1);
                row = 0;
                w = box;
                break;
            }
            case ControlType::Label:
                ensureGroup();
                w = new QLabel(Plain(c.text), page);
                grid->addWidget(w, row, 0);
                break;
            case ControlType::Check:
                ensureGroup();
                w = new QCheckBox(Q(c.text), page);
                grid->addWidget(w, row++, 0, 1, 3);
                break;
            case ControlType::Radio:
                ensureGroup();
                w = new QRadioButton(Q(c.text), page);
                grid->addWidget(w, row++, 0, 1, 3);
                break;
            case ControlType::Edit: {
                ensureGroup();
                auto* e = new QLineEdit(page);
                e->setMaxLength(255);
                e->setMinimumWidth(240);
                grid->addWidget(e, row, 1);
                lastEdit = e;
                w = e;
                ++row;
                break;
            }
            case ControlType::Browse: {
                ensureGroup();
                auto* b = new QPushButton(QStringLiteral(">>"), page);
                b->setFixedWidth(32);
                grid->addWidget(b, row - 1, 2);
                QLineEdit* target = lastEdit;
                connect(b, &QPushButton::clicked, this, [this, target] {
                    const QString dir = QFileDialog::getExistingDirectory(
                        this, QStringLiteral("Please select directory"), target ? target->text() : QString(),
                        QFileDialog::ShowDirsOnly);
                    if (!dir.isEmpty() && target) target->setText(dir);
                });
                w = b;
                break;
            }
            case ControlType::Combo:
                ensureGroup();
                w = new QComboBox(page);
                grid->addWidget(w, row++, 1, 1, 2);
                break;
            }
            w->setObjectName(CtlName(c.id));
            controls_->byId[c.id] = w;
        }
        pageLayout->addStretch(1);
        stack->addWidget(page, 0, 0);
    }
    layout->addWidget(area, 1);

    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    save_->setObjectName(CtlName(1));
    save_->setDefault(true);
    cancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(CtlName(2));
    cancel_->setEnabled(!firstStart);
    layout->addWidget(buttons);
    connect(save_, &QPushButton::clicked, this, [this] { commit(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // The first page's check boxes store their flag at once.
    if (!pages_.empty()) {
        for (const PageBinding& b : pages_.front().bindings) {
            if (b.controlId == 0) break;
            if (b.kind != ControlKind::CheckBox) continue;
            if (auto* c = controls_->as<QCheckBox>(b.controlId)) {
                connect(c, &QCheckBox::toggled, this, [this] {
                    ReadPageValues(*controls_, pages_.front().bindings, storage_);
                    if (appearanceChanged) appearanceChanged();
                });
            }
        }
    }
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { selectPage(index); });
    showValues();
    for (std::size_t p = 0; p < pages_.size(); ++p) {
        ShowPage(*controls_, pages_[p].bindings, p == 0);
        pageWidgets_[p]->setVisible(p == 0);
    }
}

PreferencesDialog::~PreferencesDialog() = default;

QWidget* PreferencesDialog::control(int id) const {
    auto it = controls_->byId.find(id);
    return it == controls_->byId.end() ? nullptr : it->second;
}

PageControls& PreferencesDialog::controls() { return *controls_; }

void PreferencesDialog::showValues() {
    // Showing values must not count as the user's clicks.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (auto& [id, w] : controls_->byId) quiet.push_back(std::make_unique<QSignalBlocker>(w));
    for (const PageSpec& p : pages_) ShowPageValues(*controls_, p.bindings, storage_);
}

void PreferencesDialog::selectPage(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size()) || index == current_) return;
    const auto old = static_cast<std::size_t>(current_), now = static_cast<std::size_t>(index);
    ShowPage(*controls_, pages_[old].bindings, false);
    pageWidgets_[old]->hide();
    current_ = index;
    pageWidgets_[now]->show();
    ShowPage(*controls_, pages_[now].bindings, true);
}

void PreferencesDialog::commit() {
    for (const PageSpec& p : pages_) ReadPageValues(*controls_, p.bindings, storage_);
    if (saved) saved();
    accept();
}

} // namespace veldin::ui
