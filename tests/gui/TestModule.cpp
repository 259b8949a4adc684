// A tiny real module library for the loading tests: StartEd opens a frame that is only
// a message endpoint, announces it, and counts what it is told.

#include <memory>

#include "bus/FrameLink.h"
#include "core/ModuleMessages.h"

namespace {
std::unique_ptr<veldin::bus::FrameLink> g_frame;
int g_closeRequests = 0;
} // namespace

extern "C" __attribute__((visibility("default"))) int StartEd(veldin::bus::Handle launcher, int) {
    veldin::bus::FrameEvents ev;
    ev.close = [] { ++g_closeRequests; };
    g_frame = std::make_unique<veldin::bus::FrameLink>(veldin::msg::kPatchEditor, launcher, ev);
    g_frame->announce();
    return 1;
}

extern "C" __attribute__((visibility("default"))) int CloseEd(veldin::bus::Handle) {
    g_frame.reset();
    return 1;
}

// How often the frame was told to close (a wrong handshake value).
extern "C" __attribute__((visibility("default"))) int TestModuleCloseRequests() { return g_closeRequests; }
