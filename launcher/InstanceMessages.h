#pragma once
// What a second launcher tells the first over the local socket, beside the update
// client's "close\n" (core/SingleInstance.h). One message per image to open:
//
//   "open <button id> <byte count>\n" <the path's bytes> "\n"
//
// The byte count (decimal, no sign, no leading zeros) carries the path whole, so a file
// name holding a newline or anything else the file system allows arrives as one path.
// A stream that breaks this form is refused from the first bad byte on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/CommandLine.h"

namespace veldin::launcher {

// No single argument of a command line is longer (the kernel's limit per argument).
inline constexpr std::size_t kMaxInstancePath = 128 * 1024;

std::string OpenMessage(const OpenRequest& request);

// Reads the messages of one connection as its bytes come in, in pieces of any size.
class InstanceReader {
public:
    struct Message {
        bool close = false; // "close\n"; otherwise `open`
        OpenRequest open{0, {}};
        friend bool operator==(const Message&, const Message&) = default;
    };

    void feed(std::string_view bytes);
    // The next whole message; none while more bytes are needed or once the stream broke.
    std::optional<Message> next();
    // A malformed message came: an unknown word, a button that takes no images, a bad
    // count, a path that is empty, too long or holds a NUL (which no file name can),
    // or no "\n" after the path. Nothing after it is read.
    bool broken() const { return broken_; }
    // Bytes taken by the messages returned so far.
    std::size_t consumed() const { return consumed_; }

private:
    std::string buffer_;
    std::size_t consumed_ = 0;
    bool broken_ = false;
};

} // namespace veldin::launcher
