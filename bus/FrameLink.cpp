#include "bus/FrameLink.h"

#include "core/ModuleMessages.h"

namespace veldin::bus {

using namespace veldin::msg;

FrameLink::FrameLink(std::uint32_t moduleCode, Handle launcher, FrameEvents events)
    : code_(moduleCode), launcher_(launcher), events_(std::move(events)),
      endpoint_([this](std::uint32_t m, Param w, Param l) { return handle(m, w, l); }) {}

FrameLink::~FrameLink() { sayClosed(); }

void FrameLink::announce() {
    MessageBus::instance().send(launcher_, LM_MODULE_HELLO, code_, static_cast<Param>(window()));
}

void FrameLink::sayClosed() {
    if (closedSent_) return;
    closedSent_ = true;
    MessageBus::instance().send(launcher_, LM_MODULE_CLOSED, code_, kHandshake);
}

void FrameLink::requestSendTo(std::uint32_t target) {
    MessageBus::instance().send(launcher_, LM_OPEN_IN_MODULE, code_, target);
}

bool FrameLink::sendImage(Handle target, std::string path) {
    MessageBus::instance().send(target, EDM_OPEN_IMAGE, code_, reinterpret_cast<Param>(path.data()));
    return path.empty() || path[0] == '\0';
}

void FrameLink::requestFloppy(std::uint32_t what) {
    MessageBus::instance().send(launcher_, LM_FLOPPY_REQUEST, code_, what);
}

void FrameLink::requestWrite(std::string path) {
    MessageBus::instance().send(launcher_, LM_WRITE_IMAGE, code_, reinterpret_cast<Param>(path.c_str()));
}

Param FrameLink::handle(std::uint32_t message, Param wParam, Param lParam) {
    switch (message) {
    case EDM_LAUNCHER_REPLY:
        if ((wParam == LM_MODULE_HELLO || wParam == LM_MODULE_PING) && lParam != static_cast<Param>(kHandshake) &&
            events_.close)
            events_.close();
        return 0;
    case EDM_LAUNCHER_MOVED:
        if (events_.launcherMoved) events_.launcherMoved(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case LM_MODULE_HELLO:
        if (events_.targetReady) events_.targetReady(static_cast<std::uint32_t>(wParam), static_cast<Handle>(lParam));
        return 0;
    case EDM_OPEN_IMAGE: {
        if (lParam == 0) return 0;
        char* text = reinterpret_cast<char*>(lParam);
        std::string path(text);
        text[0] = '\0';
        if (events_.openImage) events_.openImage(path);
        return 0;
    }
    case LM_FLOPPY_REQUEST:
        if (wParam == 1 && lParam == 1 && events_.floppyBusy) events_.floppyBusy(true);
        return 0;
    case EDM_FLOPPY_RESULT:
        if (events_.floppyResult) events_.floppyResult(static_cast<std::uint32_t>(wParam), lParam);
        return 0;
    default:
        return 0;
    }
}

} // namespace veldin::bus
