#include "midi/ui/MidiPreferences.h"

#include "core/Messages.h"
#include "core/ModuleMessages.h"
#include "midi/MidiEditorPages.h"
#include "midi/SongEditor.h"

namespace veldin::fennet {

using ui::ControlType;

ui::ModuleSettingsSpec MidiSettingsSpec(MidiEditorSettings& settings) {
    ui::ModuleSettingsSpec spec;
    spec.key = std::string(kMidiEditorKey);
    spec.table = MidiEditorTable();
    spec.storage = StorageOf(settings);
    spec.frame = &settings.frame;
    spec.firstStart = [&settings](const std::filesystem::path& mainDir) {
        return midi::SetMidiEditorFirstStart(settings, mainDir);
    };
    const auto pages = midi::MidiEditorPages();
    spec.pages.push_back(ui::AppearancePage(pages[0].bindings));
    spec.pages.push_back({pages[1].name, pages[1].bindings,
                          {{3901, ControlType::Group, ""},
                           {3902, ControlType::Label, "Song directory:"},
                           {3100, ControlType::Edit, ""},
                           {3101, ControlType::Browse, ">>"},
                           {3903, ControlType::Label, "MIDI directory:"},
                           {3102, ControlType::Edit, ""},
                           {3103, ControlType::Browse, ">>"}}});
    spec.pages.push_back({pages[2].name, pages[2].bindings,
                          {{3904, ControlType::Group, "As track names in MIDI song use"},
                           {3200, ControlType::Radio, "Track"},
                           {3201, ControlType::Radio, "Patch"},
                           {3202, ControlType::Radio, "Track && Patch"},
                           {3905, ControlType::Group, "As Roland Song Name use"},
                           {3210, ControlType::Radio, "Filename"},
                           {3211, ControlType::Radio, "Title"},
                           {3212, ControlType::Radio, "Prompt"},
                           {3906, ControlType::Group, ""},
                           {3301, ControlType::Check, "Log conversion progress"}}});
    return spec;
}

ui::ModuleIdentity MidiEditorIdentity() {
    ui::ModuleIdentity id{std::string(text::kTitleMidiEditor), msg::kMidiEditor, "Fennet.html", &frame::ToneEditorMenus(), {}, {}};
    id.special = {{midi::kCmdLoadSong, "&Load Song"},
                  {midi::kCmdSaveSong, "&Save Song"},
                  {frame::kSeparator, ""},
                  {midi::kCmdLoadMidi, "L&oad MIDI"},
                  {midi::kCmdSaveMidi, "Sa&ve MIDI"}};
    id.context = {midi::kCmdLoadSong, midi::kCmdSaveSong};
    return id;
}

} // namespace veldin::fennet
