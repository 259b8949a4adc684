#include "launcher/FloppyPanel.h"

#include <cstdio>

#include "launcher/FloppyTexts.h"

namespace veldin {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::size_t kBoxInner = 14;  // 12 characters and a blank on each side
constexpr std::size_t kBoxWidth = kBoxInner + 2;
constexpr std::size_t kSystemLineIndent = 7;

// Code page 437 line-drawing bytes of the memo box.
constexpr char kTopLeft = '\xDA', kTopRight = '\xBF', kBottomLeft = '\xC0', kBottomRight = '\xD9';
constexpr char kHorizontal = '\xC4', kVertical = '\xB3';

std::string Padded(std::string_view label, std::string_view value) {
    std::string line(label);
    line += value;
    if (line.size() < kSummaryLabelWidth) line.resize(kSummaryLabelWidth, ' ');
    return line;
}

// A memo text as 12 characters: the decoder gives exactly 12, but the box keeps its
// shape whatever it is handed.
std::string Field12(std::string_view text) {
    std::string f(text.substr(0, kMemoLineLength));
    f.resize(kMemoLineLength, ' ');
    return f;
}

void AppendBox(std::string& out, const DiskMemo& memo) {
    out += kTopLeft;
    out.append(kBoxInner, kHorizontal);
    out += kTopRight;
    const auto boxLine = [&](std::string_view text) {
        out += kLineBreak;
        out += kVertical;
        out += ' ';
        out += Field12(text);
        out += ' ';
        out += kVertical;
    };
    boxLine(memo.name);
    for (const auto& line : memo.memoLines) boxLine(line);
    out += kLineBreak;
    out += kBottomLeft;
    out.append(kBoxInner, kHorizontal);
    out += kBottomRight;
}

// Unicode code points of bytes 80h-FFh of code page 437.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

const CaptionTable kMenu{true,
                         {text::kCaptionRead, text::kCaptionWrite, text::kCaptionFormat, text::kCaptionExit, {}},
                         {text::kListRead, text::kListWrite, text::kListFormat, text::kCaptionExit, {}}};
const CaptionTable kReadPrepared{false, {text::kCaptionRead, text::kCaptionCancel, {}, {}, {}}, {}};
const CaptionTable kWritePrepared{false, {text::kCaptionOverwrite, text::kCaptionCancel, {}, {}, {}}, {}};
const CaptionTable kFormatPrepared{false, {text::kCaptionFormat, text::kCaptionCancel, {}, {}, {}}, {}};
const CaptionTable kRunning{false, {text::kCaptionStop, {}, {}, {}, {}}, {}};

} // namespace

std::string SummaryText(const DiskMemo& memo, std::optional<int> counter) {
    std::string out = Padded(text::kSamplerLabel, memo.samplerName);
    if (counter) out += TwoDigits(*counter);
    out += kLineBreak;
    out += Padded(text::kTypeLabel, memo.kindName);
    out += kLineBreak;
    switch (memo.kind) {
    case DiskMemo::Sound: AppendBox(out, memo); break;
    case DiskMemo::Lines:
        for (std::size_t i = 0; i < memo.systemLines.size(); ++i) {
            if (i > 0) out += kLineBreak;
            out.append(kSystemLineIndent, ' ');
            out += memo.systemLines[i];
        }
        break;
    default: out.append(kBoxWidth, ' '); break;
    }
    return out;
}

std::optional<int> CylindersLeft(std::uint32_t finished) {
    if (finished % kSectorsPerCylinder != 0) return std::nullopt;
    return kCylinders - static_cast<int>(finished / kSectorsPerCylinder);
}

std::string TwoDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2d", value);
    return buf;
}

std::string FormattingText(std::optional<std::uint32_t> count) {
    std::string out(text::kFormattingFloppy);
    if (count) out += TwoDigits(kCylinders - 1 - static_cast<int>(*count));
    return out;
}

std::string Cp437ToUtf8(std::string_view cp437) {
    std::string out;
    out.reserve(cp437.size() * 3);
    for (const char ch : cp437) {
        const auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b < 0x80 ? char32_t{b} : kHighHalf[b - 0x80]);
    }
    return out;
}

const CaptionTable& CaptionsFor(FloppyStage stage) {
    switch (stage) {
    case FloppyStage::Menu: return kMenu;
    case FloppyStage::ReadPrepared: return kReadPrepared;
    case FloppyStage::WritePrepared: return kWritePrepared;
    case FloppyStage::FormatPrepared: return kFormatPrepared;
    case FloppyStage::Running: return kRunning;
    }
    return kRunning;
}

std::string CaptionListing(const CaptionTable& table) {
    std::string out;
    if (!table.listOnPanel) return out;
    for (std::size_t i = 0; i < table.listing.size(); ++i) {
        out += 'F';
        out += static_cast<char>('1' + i);
        out += ':';
        out += table.listing[i];
        out += kLineBreak;
    }
    return out;
}

} // namespace veldin
