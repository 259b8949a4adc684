#include "tone/ui/TonePreferences.h"

#include <QCheckBox>
#include <QComboBox>

namespace veldin::quilla {

using ui::ControlSpec;
using ui::ControlType;

namespace {

void FillDevices(ui::PreferencesDialog& d, const std::vector<std::string>& outputs, bool noSound) {
    auto* list = qobject_cast<QComboBox*>(d.control(3201));
    if (!list) return;
    const QSignalBlocker quiet(list);
    list->clear();
    if (noSound) {
        list->addItem(QStringLiteral("No Sound"));
        list->setEnabled(false);
        return;
    }
    for (const std::string& o : outputs) list->addItem(QString::fromStdString(o));
    list->setEnabled(true);
}

} // namespace

ui::ModuleSettingsSpec ToneSettingsSpec(ToneEditorSettings& settings, std::vector<std::string> outputs) {
    ui::ModuleSettingsSpec spec;
    spec.key = std::string(kToneEditorKey);
    spec.table = ToneEditorTable();
    spec.storage = StorageOf(settings);
    spec.frame = &settings.frame;
    spec.firstStart = [&settings](const std::filesystem::path& mainDir) {
        return SetToneEditorFirstStart(settings, mainDir);
    };
    const auto pages = ToneEditorPages();
    spec.pages.push_back(ui::AppearancePage(pages[0].bindings));
    spec.pages.push_back({pages[1].name, pages[1].bindings,
                          {{3901, ControlType::Group, ""},
                           {3902, ControlType::Label, "Tone directory:"},
                           {3100, ControlType::Edit, ""},
                           {3101, ControlType::Browse, ">>"},
                           {3903, ControlType::Label, "Wave directory:"},
                           {3102, ControlType::Edit, ""},
                           {3103, ControlType::Browse, ">>"}}});
    spec.pages.push_back({pages[2].name, pages[2].bindings,
                          {{3904, ControlType::Group, "DirectSound Output"},
                           {3200, ControlType::Check, "No Sound"},
                           {3906, ControlType::Label, "Device:"},
                           {3201, ControlType::Combo, ""},
                           {3905, ControlType::Group, "Wave Export"},
                           {3202, ControlType::Check, "Save Tone regions in wave file"},
                           {3203, ControlType::Check, "Generate MRK files for WaveLab"},
                           {3204, ControlType::Check, "Log conversion progress"}}});
    spec.prepare = [&settings, outputs = std::move(outputs)](ui::PreferencesDialog& d) {
        // "No Sound" leaves only itself in the device list; unchecked, the devices come
        // back with the saved one selected.
        FillDevices(d, outputs, settings.noSound != 0);
        d.showValues();
        if (auto* noSound = qobject_cast<QCheckBox*>(d.control(3200))) {
            QObject::connect(noSound, &QCheckBox::toggled, &d, [&d, &settings, outputs](bool on) {
                FillDevices(d, outputs, on);
                if (!on) d.controls().setComboIndex(3201, settings.playingDevice);
            });
        }
    };
    return spec;
}

} // namespace veldin::quilla
