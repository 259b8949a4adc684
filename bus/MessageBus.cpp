#include "bus/MessageBus.h"

namespace veldin::bus {

MessageBus& MessageBus::instance() {
    static MessageBus bus;
    return bus;
}

Handle MessageBus::attach(Handler handler) {
    const Handle h = next_++;
    handlers_.emplace(h, std::move(handler));
    return h;
}

void MessageBus::detach(Handle handle) { handlers_.erase(handle); }

bool MessageBus::exists(Handle handle) const { return handlers_.count(handle) != 0; }

Param MessageBus::send(Handle to, std::uint32_t message, Param wParam, Param lParam) {
    if (to == 0) return 0;
    auto it = handlers_.find(to);
    if (it == handlers_.end()) return 0;
    // A copy: the handler may detach its own window (a frame that closes itself).
    Handler h = it->second;
    return h(message, wParam, lParam);
}

} // namespace veldin::bus
