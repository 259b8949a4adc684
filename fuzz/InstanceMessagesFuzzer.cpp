// What a second launcher may send to the first, in pieces of any size. Properties
// checked: every message read is exactly the bytes it was read from when written again,
// so the messages read are the input's first bytes and nothing is read twice or
// skipped; no path read is empty, too long or holds a NUL; and a request built from the
// input's bytes (without NULs) is read back as itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launcher/InstanceMessages.h"
#include "launcher/ModuleHost.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::launcher;
    if (size == 0) return 0;
    const std::size_t piece = data[0] % 16 + 1;
    const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);

    InstanceReader reader;
    std::string again;
    for (std::size_t i = 0; i < in.size(); i += piece) {
        reader.feed(in.substr(i, piece));
        while (auto m = reader.next()) {
            if (m->close) {
                again += "close\n";
                continue;
            }
            const std::string path = m->open.path.string();
            if (path.empty() || path.size() > kMaxInstancePath || path.find('\0') != std::string::npos) std::abort();
            again += OpenMessage(m->open);
        }
    }
    if (again.size() != reader.consumed() || in.substr(0, again.size()) != again) std::abort();
    if (!reader.broken() && in.size() - again.size() > kMaxInstancePath + 32) std::abort();

    std::string path(in);
    std::replace(path.begin(), path.end(), '\0', '/');
    if (path.empty() || path.size() > kMaxInstancePath) return 0;
    const OpenRequest request{data[0] % 3 == 0 ? kToneButton : data[0] % 3 == 1 ? kPatchButton : kMidiButton, path};
    InstanceReader back;
    back.feed(OpenMessage(request));
    const auto m = back.next();
    if (!m || m->close || !(m->open == request) || back.next() || back.broken()) std::abort();
    return 0;
}
