#include "platform/AudioOutputs.h"

#include <fstream>
#include <sstream>

namespace veldin {

namespace {
std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}
} // namespace

std::vector<std::string> ParseAlsaPcm(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // "CC-DD: id : name : playback N [: capture N]"
        const std::size_t colon = line.find(':');
        auto digit = [&](std::size_t i) { return line[i] >= '0' && line[i] <= '9'; };
        if (colon != 5 || line[2] != '-' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) continue;
        std::vector<std::string_view> fields;
        std::string_view rest = line.substr(colon + 1);
        while (true) {
            const std::size_t sep = rest.find(" : ");
            fields.push_back(Trim(rest.substr(0, sep)));
            if (sep == std::string_view::npos) break;
            rest = rest.substr(sep + 3);
        }
        if (fields.size() < 3) continue;
        bool playback = false;
        for (std::size_t i = 2; i < fields.size(); ++i) playback = playback || fields[i].starts_with("playback");
        if (!playback) continue;
        std::string name(fields[1].empty() ? fields[0] : fields[1]);
        const int card = (line[0] - '0') * 10 + (line[1] - '0'), device = (line[3] - '0') * 10 + (line[4] - '0');
        out.push_back(name + " (hw:" + std::to_string(card) + "," + std::to_string(device) + ")");
    }
    return out;
}

std::vector<std::string> AudioOutputs() {
    std::vector<std::string> out{std::string(kDefaultOutput)};
    std::ifstream in("/proc/asound/pcm");
    if (in) {
        std::stringstream text;
        text << in.rdbuf();
        for (auto& d : ParseAlsaPcm(text.str())) out.push_back(std::move(d));
    }
    return out;
}

} // namespace veldin
