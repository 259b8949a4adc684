#include "launcher/InstanceMessages.h"

#include "launcher/ModuleHost.h"

namespace veldin::launcher {

std::string OpenLine(const OpenRequest& request) {
    return "open " + std::to_string(request.button) + " " + request.path.string() + "\n";
}

std::optional<OpenRequest> ParseOpenLine(std::string_view line) {
    constexpr std::string_view prefix = "open ";
    if (line.substr(0, prefix.size()) != prefix) return std::nullopt;
    line.remove_prefix(prefix.size());
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size()) return std::nullopt;
    const std::string_view id = line.substr(0, blank);
    int button = 0;
    if (id == "56") button = kToneButton;
    else if (id == "57") button = kPatchButton;
    else if (id == "58") button = kMidiButton;
    else return std::nullopt;
    return OpenRequest{button, std::string(line.substr(blank + 1))};
}

} // namespace veldin::launcher
