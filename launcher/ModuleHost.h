#pragma once
// The launcher's side of the editor modules: loading each module's library on demand,
// starting it through its StartEd export, the hello / handshake / closed exchange, the
// image hand-over between modules ("Send to") and from the command line, and closing
// the running modules through CloseEd when the launcher quits.
//
// Each module slot is a small state machine that keeps why it failed, so the window can
// say it: NotLoaded -> Loaded (StartEd called) -> Running (hello answered) -> Closed
// (closed message) -> Loaded again on the next start; Failed from any load or resolve
// step, with the fixed text that was shown.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "bus/MessageBus.h"
#include "core/ModuleMessages.h"
#include "core/UserInteraction.h"

namespace veldin::launcher {

// The exports every editor module library has.
using StartEdFn = int (*)(bus::Handle launcherWindow, int osFamily);
using CloseEdFn = int (*)(bus::Handle launcherWindow);
inline constexpr const char* kStartEd = "StartEd";
inline constexpr const char* kCloseEd = "CloseEd";

inline constexpr std::string_view kTitle = "VELDIN";
inline constexpr std::string_view kNotInstalled = "This module is not installed";
inline constexpr std::string_view kCouldntStart = "Couldn't start Module";

// Main button ids of the modules.
enum ButtonId : int { kCdButton = 54, kToneButton = 56, kPatchButton = 57, kMidiButton = 58 };

enum class ModuleState { NotLoaded, Loaded, Running, Closed, Failed };
std::string_view StateName(ModuleState s);

class ModuleLibrary {
public:
    virtual ~ModuleLibrary() = default;
    virtual void* symbol(const char* name) = 0; // null when the library lacks it
};

class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // Loads the library of this stem ("Quilla"); null with `why` filled on failure.
    virtual std::unique_ptr<ModuleLibrary> load(std::string_view stem, std::string& why) = 0;
};

struct ModuleSlot {
    std::string_view stem;    // library file stem: "Quilla" -> libQuilla.so
    std::string_view tooltip; // "Tone Editor"
    std::uint32_t code = 0;   // module code of the messages
    int button = 0;           // main button id
    ModuleState state = ModuleState::NotLoaded;
    std::string failure;      // why the last start failed (the loader's own words included)
    bool buttonEnabled = true;
    bus::Handle window = 0;   // the module's frame while it runs
    int pendingTarget = 0;    // button id of the module this one waits to send its image to
    std::unique_ptr<ModuleLibrary> library;
};

class ModuleHost {
public:
    ModuleHost(LibraryLoader& loader, UserInteraction& ui, int osFamily);
    ~ModuleHost();
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    bus::Handle window() const { return endpoint_.handle(); }
    // Called after any slot changed (a module started, announced itself or closed).
    std::function<void()> changed;
    // A module's frame closed: the launcher comes to the front again.
    std::function<void()> moduleClosed;

    // A module asks for a floppy operation: `request` is the lParam of LM_FLOPPY_REQUEST
    // (1040 read, 1042 format) or 1041 for LM_WRITE_IMAGE, whose path comes along. The
    // path is copied: it belongs to the module only while its message is handled.
    std::function<void(std::uint32_t module, std::uint32_t request, std::string path)> floppyRequested;
    // The first running module (Tone, else Patch, else MIDI, else CD) hears that the
    // launcher is busy with the floppy (LM_FLOPPY_REQUEST 1, 1) or idle again
    // (EDM_FLOPPY_RESULT 1, 1).
    void tellFloppyBusy(bool busy);
    // EDM_FLOPPY_RESULT to a running module; a path crosses as the module's to copy.
    void sendFloppyResult(std::uint32_t module, std::uint32_t wParam, std::uint32_t lParam, std::string path = {});

    // A main button (54, 56, 57, 58): starts its module; ignored while busy.
    void pressButton(int button);
    void setBusy(bool on) { busy_ = on; }
    bool busy() const { return busy_; }

    // The launcher's message handler (what modules send to the launcher window).
    bus::Param handle(std::uint32_t message, bus::Param wParam, bus::Param lParam);

    // A command-line request (from this launcher's arguments or a second launcher):
    // open `path` in the module of `button`, starting it when needed.
    void openFromCommandLine(int button, const std::filesystem::path& path);

    // The launcher window moved: every running module hears of it.
    void launcherMoved(int x, int y);
    // Quitting: CloseEd for every running module, whose button is enabled again.
    void closeAll();

    const ModuleSlot* slotByCode(std::uint32_t code) const;
    const ModuleSlot* slotByButton(int button) const;
    const std::array<ModuleSlot, 4>& moduleSlots() const { return slots_; }

private:
    bus::Param dispatch(std::uint32_t message, bus::Param wParam, bus::Param lParam);
    ModuleSlot* byCode(std::uint32_t code);
    ModuleSlot* byButton(int button);
    void start(ModuleSlot& slot);
    void fail(ModuleSlot& slot, std::string_view text, Icon icon, std::string detail);
    void hello(std::uint32_t code, bus::Handle frame);
    void openInModule(std::uint32_t sender, std::uint32_t target);

    LibraryLoader& loader_;
    UserInteraction& ui_;
    int osFamily_;
    std::array<ModuleSlot, 4> slots_;
    bool busy_ = false;
    int requestButton_ = 0;  // command-line request: module button and path
    std::string requestPath_;
    bool positionKnown_ = false; // the launcher window's last position
    int x_ = 0, y_ = 0;
    bus::Endpoint endpoint_;
};

} // namespace veldin::launcher
