#include "launcher/FormatCommand.h"

namespace veldin {
namespace {

constexpr std::string_view kStepSeparator = "&&";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

struct Token {
    std::string text;
    bool quoted = false; // a quoted "&&" is an argument, not a separator
};

// Splits into arguments; nothing when a quote is left open or a backslash ends the text.
std::optional<std::vector<Token>> Tokens(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        if (IsBlank(s[i])) {
            ++i;
            continue;
        }
        Token t;
        while (i < s.size() && !IsBlank(s[i])) {
            const char c = s[i++];
            if (c == '\'') {
                const auto end = s.find('\'', i);
                if (end == std::string_view::npos) return std::nullopt;
                t.text.append(s.substr(i, end - i));
                t.quoted = true;
                i = end + 1;
            } else if (c == '"') {
                t.quoted = true;
                for (;;) {
                    if (i >= s.size()) return std::nullopt;
                    const char q = s[i++];
                    if (q == '"') break;
                    if (q == '\\' && i < s.size() && (s[i] == '"' || s[i] == '\\')) {
                        t.text += s[i++];
                    } else {
                        t.text += q;
                    }
                }
            } else if (c == '\\') {
                if (i >= s.size()) return std::nullopt;
                t.text += s[i++];
                t.quoted = true;
            } else {
                t.text += c;
            }
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

} // namespace

std::optional<FormatCommand> ParseFormatCommand(std::string_view text) {
    auto tokens = Tokens(text);
    if (!tokens) return std::nullopt;
    FormatCommand command;
    CommandStep step;
    for (auto& t : *tokens) {
        if (!t.quoted && t.text == kStepSeparator) {
            if (step.empty()) return std::nullopt;
            command.steps.push_back(std::move(step));
            step.clear();
        } else {
            step.push_back(std::move(t.text));
        }
    }
    if (step.empty()) return std::nullopt;
    command.steps.push_back(std::move(step));
    return command;
}

std::string_view DefaultFormatCommandLine(DriveKind kind) {
    switch (kind) {
    case DriveKind::Internal: return "superformat {device} dd";
    case DriveKind::Usb: return "ufiformat -f 720 {device} && mformat -f 720 -v VELDIN -i {device} ::";
    case DriveKind::File: return "mformat -f 720 -v VELDIN -i {device} ::";
    }
    return {};
}

FormatCommand DefaultFormatCommand(DriveKind kind) { return *ParseFormatCommand(DefaultFormatCommandLine(kind)); }

std::vector<CommandStep> ForDevice(const FormatCommand& command, std::string_view device) {
    std::vector<CommandStep> steps = command.steps;
    for (auto& step : steps) {
        for (auto& arg : step) {
            for (std::size_t at = arg.find(kDevicePlaceholder); at != std::string::npos;
                 at = arg.find(kDevicePlaceholder, at + device.size()))
                arg.replace(at, kDevicePlaceholder.size(), device);
        }
    }
    return steps;
}

} // namespace veldin
