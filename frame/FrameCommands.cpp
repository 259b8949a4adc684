#include "frame/FrameCommands.h"

namespace veldin::frame {

const std::vector<Menu>& MainMenu() {
    static const std::vector<Menu> menu = {
        {"&File",
         {{kNew, "&New..."}, {kOpen, "&Open..."}, {kImportFloppy, "&Import from floppy"}, {kSeparator, ""},
          {kSave, "&Save..."}, {kSaveAs, "Save &As..."}, {kExportFloppy, "&Export to floppy"}, {kSeparator, ""},
          {kOptimize, "&Optimize"}, {kFormatFloppy, "&Format floppy"}, {kSeparator, ""},
          {kSendToPatch, "Send to &Patch Editor"}, {kSendToMidi, "Send to &MIDI Editor"}, {kClose, "&Close"},
          {kSeparator, ""}, {kPreferences, "P&references"}, {kSeparator, ""}, {kExit, "E&xit\tAlt+F4"}}},
        {"&Edit",
         {{kUndo, "&Undo"}, {kRedo, "&Redo"}, {kSeparator, ""}, {kCopy, "&Copy\tCtrl+C"}, {kCut, "C&ut\tCtrl+X"},
          {kPaste, "&Paste\tCtrl+V"}, {kSeparator, ""}, {kDelete, "&Delete"}}},
        {"&Special",
         {{kLoadTone, "&Load Tone"}, {kSaveTone, "&Save Tone"}, {kSeparator, ""}, {kLoadWave, "L&oad Wave"},
          {kSaveWave, "Sa&ve Wave"}, {kSeparator, ""}, {kPlay, "&Play\tSpace"}}},
        {"&Window",
         {{kTile, "&Tile"}, {kCascade, "&Cascade"}, {kArrange, "&Arrange Icons"}, {kNextWindow, "&Next Window\tCtrl+F6"},
          {kSeparator, ""}, {kCloseAll, "C&lose All"}}},
        {"&Help", {{kHelp, "&Help\tF1"}, {kAbout, "&About"}}},
    };
    return menu;
}

const std::vector<Menu>& PatchMainMenu() {
    static const std::vector<Menu> menu = [] {
        std::vector<Menu> m = MainMenu();
        m[0].entries = {{kNew, "&New..."}, {kOpen, "&Open..."}, {kImportFloppy, "&Import from floppy"},
                        {kSeparator, ""}, {kSave, "&Save..."}, {kSaveAs, "Save &As..."},
                        {kExportFloppy, "&Export to floppy"}, {kSeparator, ""}, {kFormatFloppy, "&Format floppy"},
                        {kSeparator, ""}, {kSendToTone, "Send to &Tone Editor"}, {kSendToMidi, "Send to &MIDI Editor"},
                        {kClose, "&Close"}, {kSeparator, ""}, {kPreferences, "P&references"}, {kSeparator, ""},
                        {kExit, "E&xit\tAlt+F4"}};
        m[2].entries = {{kLoadTone, "&Load Patch"}, {kSaveTone, "&Save Patch"}};
        return m;
    }();
    return menu;
}

std::string_view MenuText(int id) {
    for (const auto& m : MainMenu())
        for (const auto& e : m.entries)
            if (e.id == id && id != kSeparator) return e.text;
    return {};
}

const std::vector<int>& ToolBarCommands() {
    static const std::vector<int> bar = {kSeparator, kNew, kOpen, kSave, kSeparator, kUndo, kRedo, kSeparator,
                                         kCopy, kCut, kPaste, kSeparator, kDelete, kSeparator, kImportFloppy,
                                         kExportFloppy, kFormatFloppy, kSeparator, kSendToPatch, kSendToMidi};
    return bar;
}

int ToolBarImage(int id) {
    switch (id) {
    case kNew: return 0;
    case kOpen: return 1;
    case kSave: return 2;
    case kUndo: return 3;
    case kRedo: return 4;
    case kCopy: return 5;
    case kCut: return 6;
    case kPaste: return 7;
    case kDelete: return 8;
    case kImportFloppy: return 9;
    case kExportFloppy: return 10;
    case kFormatFloppy: return 11;
    case kSendToMidi: return 12;
    case kSendToPatch:
    case kSendToTone: return 13;
    default: return -1;
    }
}

const std::vector<int>& ContextMenuCommands() {
    static const std::vector<int> menu = {kCopy, kCut, kPaste, kSeparator, kDelete, kSeparator, kLoadTone,
                                          kSaveTone, kSeparator, kLoadWave, kSaveWave, kSeparator, kPlay};
    return menu;
}

const std::vector<int>& PatchContextMenuCommands() {
    static const std::vector<int> menu = {kCopy, kCut, kPaste, kSeparator, kDelete, kSeparator, kLoadTone, kSaveTone};
    return menu;
}

const std::set<int>& DocumentCommands() {
    static const std::set<int> all = {kSave, kSaveAs, kExportFloppy, kSendToPatch, kSendToMidi, kOptimize, kClose,
                                      kUndo, kRedo, kCopy, kCut, kPaste, kDelete, kTile, kCascade, kArrange,
                                      kNextWindow, kCloseAll, kLoadTone, kSaveTone, kLoadWave, kSaveWave, kPlay};
    return all;
}

namespace {
const std::set<int> kSoundList = {kSaveAs, kExportFloppy, kSendToPatch, kSendToMidi, kClose, kTile, kCascade,
                                  kArrange, kNextWindow, kCloseAll, kLoadTone, kSaveTone, kLoadWave, kSaveWave};
const std::set<int> kSongList = {kSendToMidi, kClose, kTile, kCascade, kArrange, kNextWindow, kCloseAll};
} // namespace

const ModuleMenus& ToneEditorMenus() {
    static const ModuleMenus m{&MainMenu(), &ContextMenuCommands(), kSendToPatch};
    return m;
}

const ModuleMenus& PatchEditorMenus() {
    static const ModuleMenus m{&PatchMainMenu(), &PatchContextMenuCommands(), kSendToTone};
    return m;
}

std::set<int> EnabledDocumentCommands(const DocumentState& state, int sendToSound) {
    std::set<int> on;
    if (!state.disk) return on;
    const DiskDefinition& d = *state.disk;
    // The system list and the sound list hold the same commands; their Send to names
    // the other sound editor.
    if (d.isSystem || d.hasSounds) {
        on.insert(kSoundList.begin(), kSoundList.end());
        on.erase(kSendToPatch);
        on.insert(sendToSound);
    }
    if (!d.isSystem && d.hasSongs) on.insert(kSongList.begin(), kSongList.end());
    // The selection decides these; a document change starts them off.
    for (int id : {kCopy, kCut, kPaste, kDelete, kLoadTone, kSaveTone, kLoadWave, kSaveWave, kPlay}) on.erase(id);
    if (state.canUndo) on.insert({kSave, kUndo});
    if (state.canRedo) on.insert(kRedo);
    return on;
}

} // namespace veldin::frame
