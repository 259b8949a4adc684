#include "cli/Cli.h"

#include <cstdio>
#include <ostream>

namespace veldin::cli {

std::string TerminalText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool pair = i + 1 < text.size() && ((c == '\n' && text[i + 1] == '\r') || (c == '\r' && text[i + 1] == '\n'));
        if (pair) {
            out.push_back('\n');
            ++i;
        } else {
            out.push_back(c == '\r' ? '\n' : c);
        }
    }
    return out;
}

int Refuse(std::ostream& err, const Failure& failure) {
    err << "veldin-cli: " << TerminalText(failure.text) << '\n';
    return kRefused;
}

int UsageError(std::ostream& err, std::string_view command, std::string_view problem) {
    err << "veldin-cli " << command << ": " << problem << "\nTry 'veldin-cli " << command << " --help'.\n";
    return kUsage;
}

bool WantsHelp(const Args& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

std::string JsonEscape(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else if (c >= 0x80) { // Latin-1 to UTF-8
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out;
}

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ << ',';
        first_.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ << '{';
    first_.push_back(true);
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    first_.pop_back();
    out_ << '}';
    if (first_.empty()) out_ << '\n';
    return *this;
}
JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ << '[';
    first_.push_back(true);
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    first_.pop_back();
    out_ << ']';
    return *this;
}
JsonWriter& JsonWriter::key(std::string_view k) {
    separate();
    out_ << '"' << JsonEscape(k) << "\":";
    afterKey_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(std::string_view s) {
    separate();
    out_ << '"' << JsonEscape(s) << '"';
    return *this;
}
JsonWriter& JsonWriter::value(long long n) {
    separate();
    out_ << n;
    return *this;
}
JsonWriter& JsonWriter::value(bool b) {
    separate();
    out_ << (b ? "true" : "false");
    return *this;
}
JsonWriter& JsonWriter::null() {
    separate();
    out_ << "null";
    return *this;
}

} // namespace veldin::cli
