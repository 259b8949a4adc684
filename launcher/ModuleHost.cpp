#include "launcher/ModuleHost.h"

namespace veldin::launcher {

using namespace veldin::msg;

std::string_view StateName(ModuleState s) {
    switch (s) {
    case ModuleState::NotLoaded: return "not loaded";
    case ModuleState::Loaded: return "loaded";
    case ModuleState::Running: return "running";
    case ModuleState::Closed: return "closed";
    case ModuleState::Failed: return "failed";
    }
    return "";
}

ModuleHost::ModuleHost(LibraryLoader& loader, UserInteraction& ui, int osFamily)
    : loader_(loader), ui_(ui), osFamily_(osFamily),
      endpoint_([this](std::uint32_t m, bus::Param w, bus::Param l) { return handle(m, w, l); }) {
    slots_[0].stem = "Quilla", slots_[0].tooltip = "Tone Editor", slots_[0].code = kToneEditor, slots_[0].button = kToneButton;
    slots_[1].stem = "Brisko", slots_[1].tooltip = "Patch Editor", slots_[1].code = kPatchEditor, slots_[1].button = kPatchButton;
    slots_[2].stem = "Fennet", slots_[2].tooltip = "MIDI Editor", slots_[2].code = kMidiEditor, slots_[2].button = kMidiButton;
    slots_[3].stem = "Dorrel", slots_[3].tooltip = "CD Editor", slots_[3].code = kCdEditor, slots_[3].button = kCdButton;
}

ModuleHost::~ModuleHost() = default;

ModuleSlot* ModuleHost::byCode(std::uint32_t code) {
    for (auto& s : slots_)
        if (s.code == code) return &s;
    return nullptr;
}

ModuleSlot* ModuleHost::byButton(int button) {
    for (auto& s : slots_)
        if (s.button == button) return &s;
    return nullptr;
}

const ModuleSlot* ModuleHost::slotByCode(std::uint32_t code) const {
    return const_cast<ModuleHost*>(this)->byCode(code);
}

const ModuleSlot* ModuleHost::slotByButton(int button) const {
    return const_cast<ModuleHost*>(this)->byButton(button);
}

void ModuleHost::pressButton(int button) {
    if (busy_) return;
    if (ModuleSlot* slot = byButton(button)) start(*slot);
    if (changed) changed();
}

void ModuleHost::fail(ModuleSlot& slot, std::string_view text, Icon icon, std::string detail) {
    slot.state = ModuleState::Failed;
    slot.failure = std::string(text);
    if (!detail.empty()) slot.failure += " (" + detail + ")";
    ui_.message(text, kTitle, icon);
}

void ModuleHost::start(ModuleSlot& slot) {
    // A running module's button is disabled; a second start would make a second frame.
    if (!slot.buttonEnabled) return;
    slot.library.reset();
    std::string why;
    slot.library = loader_.load(slot.stem, why);
    if (!slot.library) {
        fail(slot, kNotInstalled, Icon::Information, why);
        return;
    }
    slot.buttonEnabled = false;
    auto startEd = reinterpret_cast<StartEdFn>(slot.library->symbol(kStartEd));
    if (!startEd) {
        fail(slot, kCouldntStart, Icon::Error, "no StartEd");
        return; // the button stays disabled
    }
    slot.state = ModuleState::Loaded;
    slot.failure.clear();
    startEd(window(), osFamily_);
}

bus::Param ModuleHost::handle(std::uint32_t message, bus::Param wParam, bus::Param lParam) {
    const bus::Param r = dispatch(message, wParam, lParam);
    if (changed) changed();
    return r;
}

bus::Param ModuleHost::dispatch(std::uint32_t message, bus::Param wParam, bus::Param lParam) {
    auto& bus = bus::MessageBus::instance();
    switch (message) {
    case LM_MODULE_HELLO:
        hello(static_cast<std::uint32_t>(wParam), static_cast<bus::Handle>(lParam));
        return 0;
    case LM_MODULE_PING:
        if (ModuleSlot* s = byCode(static_cast<std::uint32_t>(wParam)))
            bus.send(s->window, EDM_LAUNCHER_REPLY, LM_MODULE_PING, lParam);
        return 0;
    case LM_MODULE_CLOSED:
        if (ModuleSlot* s = byCode(static_cast<std::uint32_t>(wParam))) {
            s->window = 0;
            s->buttonEnabled = true;
            if (s->state == ModuleState::Running || s->state == ModuleState::Loaded) s->state = ModuleState::Closed;
            if (moduleClosed) moduleClosed();
        }
        return 0;
    case LM_OPEN_IN_MODULE:
        openInModule(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
        return 0;
    case LM_FLOPPY_REQUEST:
    case LM_WRITE_IMAGE: {
        const auto code = static_cast<std::uint32_t>(wParam);
        if (!byCode(code)) return 0;
        const bool write = message == LM_WRITE_IMAGE;
        std::string path = write && lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
        const auto request = write ? std::uint32_t{kFloppyWrite} : static_cast<std::uint32_t>(lParam);
        // Without floppy stages the module hears at once that the launcher is idle, so it
        // does not wait for an answer that never comes.
        if (floppyRequested) floppyRequested(code, request, std::move(path));
        else sendFloppyResult(code, kFloppyIdle, 1);
        return 0;
    }
    default:
        return 0;
    }
}

void ModuleHost::hello(std::uint32_t code, bus::Handle frame) {
    ModuleSlot* slot = byCode(code);
    if (!slot) return;
    slot->window = frame;
    slot->state = ModuleState::Running;
    slot->buttonEnabled = false;
    auto& bus = bus::MessageBus::instance();
    // A module waiting to send its image here goes first (Tone, Patch, MIDI), then the
    // command line.
    bool done = false;
    for (auto& waiting : slots_) {
        if (&waiting == &slots_[3]) break;
        if (waiting.pendingTarget == slot->button) {
            waiting.pendingTarget = 0;
            bus.send(waiting.window, LM_MODULE_HELLO, code, static_cast<bus::Param>(frame));
            done = true;
            break;
        }
    }
    if (!done && requestButton_ == slot->button) {
        requestButton_ = 0;
        std::string path = requestPath_;
        bus.send(frame, EDM_OPEN_IMAGE, 0, reinterpret_cast<bus::Param>(path.data()));
    }
    // The frame may have closed itself while opening; answer only a living window.
    bus.send(slot->window, EDM_LAUNCHER_REPLY, LM_MODULE_HELLO, kHandshake);
    // The module read where the launcher stood when it last quit; tell it where it is now,
    // so an aligned module window lines up with it.
    if (positionKnown_ && slot->window) bus.send(slot->window, EDM_LAUNCHER_MOVED, x_, y_);
}

void ModuleHost::openInModule(std::uint32_t sender, std::uint32_t target) {
    ModuleSlot* to = byCode(target);
    if (!to || target == kCdEditor) return;
    auto& bus = bus::MessageBus::instance();
    ModuleSlot* from = sender == kLauncher ? nullptr : byCode(sender);
    if (to->window != 0) {
        if (from) {
            bus.send(from->window, LM_MODULE_HELLO, target, static_cast<bus::Param>(to->window));
        } else if (requestButton_ == to->button) {
            requestButton_ = 0;
            std::string path = requestPath_;
            bus.send(to->window, EDM_OPEN_IMAGE, 0, reinterpret_cast<bus::Param>(path.data()));
        }
        return;
    }
    if (from) from->pendingTarget = to->button;
    pressButton(to->button);
}

void ModuleHost::openFromCommandLine(int button, const std::filesystem::path& path) {
    ModuleSlot* slot = byButton(button);
    if (!slot) return;
    requestButton_ = button;
    requestPath_ = path.string();
    handle(LM_OPEN_IN_MODULE, kLauncher, slot->code);
}

void ModuleHost::launcherMoved(int x, int y) {
    positionKnown_ = true;
    x_ = x;
    y_ = y;
    for (auto& s : slots_)
        if (s.window) bus::MessageBus::instance().send(s.window, EDM_LAUNCHER_MOVED, x, y);
}

void ModuleHost::tellFloppyBusy(bool busy) {
    for (auto& s : slots_) {
        if (!s.window) continue;
        if (busy) bus::MessageBus::instance().send(s.window, LM_FLOPPY_REQUEST, 1, 1);
        else bus::MessageBus::instance().send(s.window, EDM_FLOPPY_RESULT, kFloppyIdle, 1);
        return;
    }
}

void ModuleHost::sendFloppyResult(std::uint32_t module, std::uint32_t wParam, std::uint32_t lParam, std::string path) {
    ModuleSlot* s = byCode(module);
    if (!s || !s->window) return;
    const bus::Param l = path.empty() ? static_cast<bus::Param>(lParam) : reinterpret_cast<bus::Param>(path.c_str());
    bus::MessageBus::instance().send(s->window, EDM_FLOPPY_RESULT, wParam, l);
}

void ModuleHost::closeAll() {
    for (auto& s : slots_) {
        if (!s.window) continue;
        if (s.library)
            if (auto closeEd = reinterpret_cast<CloseEdFn>(s.library->symbol(kCloseEd))) closeEd(window());
        s.buttonEnabled = true;
    }
}

} // namespace veldin::launcher
