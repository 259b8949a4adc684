#include "update/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

#include "core/Bytes.h"
#include "core/Messages.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER\\";

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::optional<std::string> DecodeText(std::span<const std::uint8_t> b) {
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        if (b.size() % 2 != 0) return std::nullopt;
        std::string out;
        for (std::size_t i = 2; i < b.size(); i += 2) {
            std::uint32_t u = ReadLe16(b.subspan(i));
            if (u >= 0xD800 && u < 0xDC00) {
                if (i + 4 > b.size()) return std::nullopt;
                const std::uint32_t lo = ReadLe16(b.subspan(i + 2));
                if (lo < 0xDC00 || lo >= 0xE000) return std::nullopt;
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else if (u >= 0xDC00 && u < 0xE000) {
                return std::nullopt;
            }
            if (u == 0) return std::nullopt;
            AppendUtf8(out, u);
        }
        return out;
    }
    if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) b = b.subspan(3);
    if (std::find(b.begin(), b.end(), 0) != b.end()) return std::nullopt;
    return std::string(b.begin(), b.end());
}

// Logical lines: CR/LF removed, "\" continuations joined, blank and comment lines dropped.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const auto end = std::min(text.find('\n', pos), text.size());
        std::string_view line(text.data() + pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (!line.empty() && line.back() == '\\') { // continued on the next line
            current += line.substr(0, line.size() - 1);
        } else {
            current += line;
            if (!current.empty() && current[0] != ';') lines.push_back(current);
            current.clear();
        }
        pos = end + 1;
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "[HKEY_CURRENT_USER\Software\Brannick\VELDIN\Sub]" -> "Sub"; nullopt outside our key.
std::optional<std::string> SubkeyOf(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    std::string_view path = line.substr(1, line.size() - 2);
    if (path.size() < kRoot.size() || !EqualsNoCase(path.substr(0, kRoot.size()), kRoot)) return std::nullopt;
    path.remove_prefix(kRoot.size());
    if (path.size() < kMainKey.size() || !EqualsNoCase(path.substr(0, kMainKey.size()), kMainKey)) return std::nullopt;
    path.remove_prefix(kMainKey.size());
    if (path.empty()) return std::string();
    if (path.front() != '\\' || path.size() < 2) return std::nullopt;
    path.remove_prefix(1);
    if (path.find('\\') != std::string_view::npos) return std::nullopt;
    return std::string(path);
}

// A quoted string starting at s[0] == '"'; returns the text and advances `s`.
std::optional<std::string> Quoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (++i >= s.size() || (s[i] != '\\' && s[i] != '"')) return std::nullopt;
            out.push_back(s[i]);
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view s) {
    std::vector<std::uint8_t> out;
    while (!s.empty()) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        if (s.empty()) break;
        if (s.size() < 2 || !std::isxdigit(static_cast<unsigned char>(s[0])) ||
            !std::isxdigit(static_cast<unsigned char>(s[1])))
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(std::stoul(std::string(s.substr(0, 2)), nullptr, 16)));
        s.remove_prefix(2);
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        if (!s.empty()) {
            if (s.front() != ',') return std::nullopt;
            s.remove_prefix(1);
        }
    }
    return out;
}

std::optional<SettingValue> ValueLine(std::string_view line, const std::string& subkey) {
    SettingValue v;
    v.subkey = subkey;
    auto name = Quoted(line);
    if (!name || name->empty() || line.empty() || line.front() != '=') return std::nullopt;
    v.name = *name;
    line.remove_prefix(1);
    if (!line.empty() && line.front() == '"') {
        auto text = Quoted(line);
        if (!text || !line.empty()) return std::nullopt;
        v.type = RegType::Sz;
        v.bytes.assign(text->begin(), text->end());
        return v;
    }
    if (line.starts_with("dword:")) {
        const auto digits = line.substr(6);
        if (digits.empty() || digits.size() > 8 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return std::nullopt;
        v.type = RegType::Dword;
        v.bytes.resize(4);
        WriteLe32(static_cast<std::uint32_t>(std::stoul(std::string(digits), nullptr, 16)), v.bytes);
        return v;
    }
    if (line.starts_with("hex:")) {
        auto bytes = HexBytes(line.substr(4));
        if (!bytes) return std::nullopt;
        v.type = RegType::Binary;
        v.bytes = std::move(*bytes);
        return v;
    }
    return std::nullopt;
}

} // namespace

Result<std::vector<SettingValue>> ParseSettingsFile(std::span<const std::uint8_t> bytes) {
    const Failure bad = Fail(text::kSettingsFileBad);
    auto text = DecodeText(bytes);
    if (!text) return bad;
    const auto lines = Lines(*text);
    if (lines.empty() || (lines[0] != "REGEDIT4" && lines[0] != "Windows Registry Editor Version 5.00")) return bad;
    std::vector<SettingValue> values;
    std::optional<std::string> subkey;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.front() == '[') {
            subkey = SubkeyOf(line);
            if (!subkey) return bad;
            continue;
        }
        if (!subkey) return bad;
        auto v = ValueLine(line, *subkey);
        if (!v) return bad;
        values.push_back(std::move(*v));
    }
    return values;
}

Status ImportSettingsFile(std::span<const std::uint8_t> bytes, SettingsStore& store, UserInteraction& ui) {
    auto values = ParseSettingsFile(bytes);
    if (!values) return values.failure();
    for (const auto& v : *values) {
        if (!v.subkey.empty() && !store.keyExists(v.subkey)) store.createKey(v.subkey);
        if (!store.write(v.subkey, v.name, v.type, v.bytes))
            ui.message(KeyPath(v.subkey) + "\\" + v.name + std::string(veldin::text::kCantWriteKey), text::kTitle,
                       Icon::Warning);
    }
    return {};
}

} // namespace veldin::update
