#pragma once
// The process-wide message bus between the launcher and the editor modules. Every window
// that takes part has a handle; send() runs the receiver's handler before it returns, so
// a message is handled exactly once and in order, as the modules expect. A message to
// handle 0, or to a handle that is gone, is not delivered.
//
// The bus lives in a shared library of its own so that the launcher and every module
// loaded at run time see the same one.

#include <cstdint>
#include <functional>
#include <map>

namespace veldin::bus {

using Handle = std::uintptr_t;
using Param = std::intptr_t;
using Handler = std::function<Param(std::uint32_t message, Param wParam, Param lParam)>;

class MessageBus {
public:
    static MessageBus& instance();

    Handle attach(Handler handler);
    void detach(Handle handle);
    bool exists(Handle handle) const;

    // Runs the receiver's handler and returns its result; 0 when not delivered.
    Param send(Handle to, std::uint32_t message, Param wParam, Param lParam);

private:
    std::map<Handle, Handler> handlers_;
    Handle next_ = 1;
};

// A handle that detaches itself; a window owns one while it lives.
class Endpoint {
public:
    explicit Endpoint(Handler handler) : handle_(MessageBus::instance().attach(std::move(handler))) {}
    ~Endpoint() { MessageBus::instance().detach(handle_); }
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;
    Handle handle() const { return handle_; }

private:
    Handle handle_;
};

} // namespace veldin::bus
