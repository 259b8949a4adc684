#include "core/DiskMemo.h"

#include <algorithm>

namespace veldin {
namespace {

constexpr int kSystemLineOffsets[kSystemLineCount] = {32, 64, 96};
constexpr int kSongLabelLength = 11;

bool Printable(std::uint8_t c) { return c >= 0x20 && c <= 0x7E; }

// A NUL-terminated copy of a fixed-width field.
std::string FieldText(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

void PutField(std::string_view text, std::span<std::uint8_t> field) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto c = i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
        field[i] = Printable(c) ? c : std::uint8_t{' '};
    }
}

std::size_t InterleavedOffset(int line, int column) {
    return static_cast<std::size_t>(kMemoLinesOffset + 4 * column + line);
}

} // namespace

std::string CleanTitle(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    const auto isPad = [](char c) { return c == ' ' || c == '\t'; };
    const auto first = std::find_if_not(out.begin(), out.end(), isPad);
    const auto last = std::find_if_not(out.rbegin(), out.rend(), isPad).base();
    if (first >= last) return {};
    return std::string(first, last);
}

std::string CentreInField(std::string_view text, std::size_t width) {
    text = text.substr(0, width);
    const std::size_t left = (width - text.size()) / 2;
    std::string out(left, ' ');
    out.append(text);
    out.resize(width, ' ');
    return out;
}

DiskMemo DecodeMemo(const DiskDefinition& row, std::span<std::uint8_t, 512> sector) {
    DiskMemo memo;
    memo.samplerName = std::string(row.samplerName);
    memo.kindName = std::string(row.kindName);
    if (row.memoSector == -1) return memo;

    if (row.memoSector == 0) {
        memo.kind = DiskMemo::Lines;
        for (int i = 0; i < kSystemLineCount; ++i)
            memo.systemLines[static_cast<std::size_t>(i)] =
                FieldText(std::span<const std::uint8_t>(sector).subspan(
                    static_cast<std::size_t>(kSystemLineOffsets[i]), kSystemLineLength));
        memo.title = CleanTitle(memo.systemLines[0]);
        return memo;
    }
    if (row.memoSector == 7) {
        memo.kind = DiskMemo::Lines;
        memo.systemLines[0] = FieldText(std::span<const std::uint8_t>(sector).first(kSongLabelLength));
        memo.title = CleanTitle(memo.systemLines[0]);
        return memo;
    }

    memo.kind = DiskMemo::Sound;
    for (int i = kMemoNameOffset; i <= 110; ++i) {
        auto& c = sector[static_cast<std::size_t>(i)];
        if (!Printable(c)) c = ' ';
    }
    memo.name.assign(reinterpret_cast<const char*>(sector.data()) + kMemoNameOffset, kMemoNameLength);
    for (int line = 0; line < kMemoLineCount; ++line) {
        auto& text = memo.memoLines[static_cast<std::size_t>(line)];
        text.resize(kMemoLineLength);
        for (int col = 0; col < kMemoLineLength; ++col)
            text[static_cast<std::size_t>(col)] = static_cast<char>(sector[InterleavedOffset(line, col)]);
    }
    std::string whole = memo.name;
    for (const auto& line : memo.memoLines) whole += line;
    memo.title = CleanTitle(whole);
    return memo;
}

bool EncodeMemo(const DiskMemo& memo, const DiskDefinition& row, std::span<std::uint8_t, 512> sector) {
    if (row.memoSector == -1 || row.memoSector == 7) return false;
    if (row.memoSector == 0) {
        if (memo.kind != DiskMemo::Lines) return false;
        for (int i = 0; i < kSystemLineCount; ++i)
            PutField(memo.systemLines[static_cast<std::size_t>(i)],
                     sector.subspan(static_cast<std::size_t>(kSystemLineOffsets[i]), kSystemLineLength));
        return true;
    }
    if (memo.kind != DiskMemo::Sound) return false;
    PutField(memo.name, sector.subspan(kMemoNameOffset, kMemoNameLength));
    for (int line = 0; line < kMemoLineCount; ++line) {
        std::array<std::uint8_t, kMemoLineLength> field{};
        PutField(memo.memoLines[static_cast<std::size_t>(line)], field);
        for (int col = 0; col < kMemoLineLength; ++col)
            sector[InterleavedOffset(line, col)] = field[static_cast<std::size_t>(col)];
    }
    return true;
}

} // namespace veldin
