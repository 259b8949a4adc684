#pragma once
// The commands of an editor module's frame: their ids and menu texts, and which of them
// are enabled for the active disk image. One table drives the menus, the context menu
// and the tool bar alike.

#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "core/DiskDefinition.h"

namespace veldin::frame {

enum Cmd : int {
    kNew = 1000, kOpen = 1001, kImportFloppy = 1002, kSave = 1003, kSaveAs = 1004, kExportFloppy = 1005,
    kOptimize = 1006, kFormatFloppy = 1007, kClose = 1008, kPreferences = 1010, kExit = 1011,
    kSendToPatch = 1020, kSendToMidi = 1021, kSendToTone = 1023,
    kUndo = 1100, kRedo = 1101, kCopy = 1102, kCut = 1103, kPaste = 1104, kDelete = 1105,
    kLoadTone = 1301, kSaveTone = 1302, kLoadWave = 1303, kSaveWave = 1304, kPlay = 1310,
    kTile = 1800, kCascade = 1801, kArrange = 1802, kNextWindow = 1803, kCloseAll = 1804, kFirstChild = 1805,
    kHelp = 1900, kAbout = 1901,
    kSeparator = 0,
};

struct MenuEntry {
    int id;                // kSeparator for a line
    std::string_view text; // with "&" marks and "\t" shortcut
};

struct Menu {
    std::string_view title;
    std::vector<MenuEntry> entries;
};

// The main menu of the Tone Editor's frame.
const std::vector<Menu>& MainMenu();
// The Patch Editor's: Send to Tone Editor in place of Send to Patch Editor, no Optimize,
// and its Special menu of patch files (1301, 1302).
const std::vector<Menu>& PatchMainMenu();
std::string_view MenuText(int id);
// Tool bar: command ids with kSeparator for the gaps, and each button's image index.
const std::vector<int>& ToolBarCommands();
int ToolBarImage(int id);
const std::vector<int>& ContextMenuCommands();
const std::vector<int>& PatchContextMenuCommands();

// What a module's frame is built from: its menus, its context menu, and the Send to
// command that takes the place of Send to Patch Editor (in menus, tool bar and lists).
struct ModuleMenus {
    const std::vector<Menu>* menu;
    const std::vector<int>* contextMenu;
    int sendToSound;
};
const ModuleMenus& ToneEditorMenus();
const ModuleMenus& PatchEditorMenus();

// What follows the active document: the commands of every list the disk kind gets, and
// Save/Undo/Redo by the undo state. `disk` null: no active document. Commands that the
// selection decides (Copy ... Save Wave) are not in the result; the view adds them.
struct DocumentState {
    const DiskDefinition* disk = nullptr;
    bool canUndo = false;
    bool canRedo = false;
};
// `sendToSound`: the sound list's Send to command of the module (Send to Patch Editor in
// the Tone Editor, Send to Tone Editor in the Patch Editor).
std::set<int> EnabledDocumentCommands(const DocumentState& state, int sendToSound = kSendToPatch);
// Every command that a change of the active document may switch.
const std::set<int>& DocumentCommands();

} // namespace veldin::frame
