#include "launcher/InstanceMessages.h"

#include "core/SingleInstance.h"
#include "launcher/ModuleHost.h"

namespace veldin::launcher {

namespace {

// The longest header that can be right: "open 58 131072\n".
constexpr std::size_t kMaxHeader = 32;

std::optional<int> ButtonOf(std::string_view id) {
    if (id == "56") return kToneButton;
    if (id == "57") return kPatchButton;
    if (id == "58") return kMidiButton;
    return std::nullopt; // the CD Editor (54) takes no images
}

// "<digits>" without sign or leading zeros, 1 .. kMaxInstancePath.
std::optional<std::size_t> CountOf(std::string_view s) {
    if (s.empty() || s.size() > 6 || s[0] == '0') return std::nullopt;
    std::size_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    if (n > kMaxInstancePath) return std::nullopt;
    return n;
}

} // namespace

std::string OpenMessage(const OpenRequest& request) {
    const std::string path = request.path.string();
    return "open " + std::to_string(request.button) + " " + std::to_string(path.size()) + "\n" + path + "\n";
}

void InstanceReader::feed(std::string_view bytes) {
    if (!broken_) buffer_.append(bytes);
}

std::optional<InstanceReader::Message> InstanceReader::next() {
    if (broken_) return std::nullopt;
    const std::string_view rest(buffer_);
    const auto eol = rest.find('\n');
    if (eol == std::string_view::npos) {
        if (rest.size() >= kMaxHeader) broken_ = true;
        return std::nullopt;
    }
    const auto take = [this](std::size_t n) {
        buffer_.erase(0, n);
        consumed_ += n;
    };
    if (rest.substr(0, eol + 1) == kInstanceClose) {
        take(eol + 1);
        return Message{true, {0, {}}};
    }
    // "open <id> <count>"
    std::string_view header = rest.substr(0, eol);
    constexpr std::string_view word = "open ";
    const auto blank = header.find(' ', word.size());
    std::optional<int> button;
    std::optional<std::size_t> count;
    if (eol < kMaxHeader && header.substr(0, word.size()) == word && blank != std::string_view::npos) {
        button = ButtonOf(header.substr(word.size(), blank - word.size()));
        count = CountOf(header.substr(blank + 1));
    }
    if (!button || !count) {
        broken_ = true;
        return std::nullopt;
    }
    const std::size_t start = eol + 1;
    if (rest.size() < start + *count + 1) return std::nullopt; // the path is still coming
    const std::string_view path = rest.substr(start, *count);
    if (rest[start + *count] != '\n' || path.find('\0') != std::string_view::npos) {
        broken_ = true;
        return std::nullopt;
    }
    Message m{false, {*button, std::string(path)}};
    take(start + *count + 1);
    return m;
}

} // namespace veldin::launcher
