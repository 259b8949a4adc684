#pragma once
// A module frame's side of the launcher messages: it announces itself with a hello,
// closes itself when the launcher's answer lacks the handshake value, follows launcher
// moves, takes images sent to it, hands its own image to another module, and says
// goodbye with the closed message. The frame's widgets only forward to this class.

#include <cstdint>
#include <functional>
#include <string>

#include "bus/MessageBus.h"

namespace veldin::bus {

struct FrameEvents {
    std::function<void()> close;                          // close the frame
    std::function<void(const std::string&)> openImage;    // open this image file
    std::function<void(int x, int y)> launcherMoved;
    std::function<void(std::uint32_t code, Handle frame)> targetReady; // send your image there
    std::function<void(bool busy)> floppyBusy;
    std::function<void(std::uint32_t what, Param result)> floppyResult;
};

class FrameLink {
public:
    FrameLink(std::uint32_t moduleCode, Handle launcher, FrameEvents events);
    ~FrameLink();
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    Handle window() const { return endpoint_.handle(); }
    Handle launcher() const { return launcher_; }
    std::uint32_t code() const { return code_; }

    void announce();                  // hello to the launcher
    void sayClosed();                 // the closed message, once
    void requestSendTo(std::uint32_t target);
    // Sends the image to another module's frame; the receiver copies the path and blanks
    // our copy, so an empty string afterwards tells that it was taken.
    bool sendImage(Handle target, std::string path);
    void requestFloppy(std::uint32_t what);
    void requestWrite(std::string path);

    Param handle(std::uint32_t message, Param wParam, Param lParam);

private:
    std::uint32_t code_;
    Handle launcher_;
    FrameEvents events_;
    bool closedSent_ = false;
    Endpoint endpoint_;
};

} // namespace veldin::bus
