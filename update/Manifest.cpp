#include "update/Manifest.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "core/Bytes.h"
#include "update/SafeName.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

constexpr std::string_view kHeader = "VELDIN update manifest 1\n";
constexpr std::string_view kPublished = "published ";
constexpr std::string_view kFile = "file ";
constexpr std::string_view kSignature = "signature ";
constexpr std::size_t kMaxName = 255;

// Cuts the next field ending in a blank off `line`.
std::optional<std::string_view> Field(std::string_view& line) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos || blank == 0) return std::nullopt;
    const auto field = line.substr(0, blank);
    line.remove_prefix(blank + 1);
    return field;
}

std::optional<std::uint32_t> ParseMode(std::string_view s) {
    if (s.size() != 4 || s[0] != '0') return std::nullopt;
    std::uint32_t mode = 0;
    for (char c : s.substr(1)) {
        if (c < '0' || c > '7') return std::nullopt;
        mode = mode * 8 + static_cast<std::uint32_t>(c - '0');
    }
    return mode;
}

std::optional<std::uint32_t> ParseSize(std::string_view s) {
    if (s.empty() || (s.size() > 1 && s[0] == '0')) return std::nullopt;
    std::uint32_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc{} || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

// Exactly N bytes in lower-case hex.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ParseBytes(std::string_view s) {
    if (s.size() != 2 * N || std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'F'; }))
        return std::nullopt;
    auto bytes = FromHex(s);
    if (!bytes) return std::nullopt;
    std::array<std::uint8_t, N> out{};
    std::copy(bytes->begin(), bytes->end(), out.begin());
    return out;
}

std::optional<ManifestFile> ParseFileLine(std::string_view line) {
    ManifestFile f;
    auto mode = Field(line);
    auto size = Field(line);
    auto hash = Field(line);
    if (!mode || !size || !hash) return std::nullopt;
    auto m = ParseMode(*mode);
    auto n = ParseSize(*size);
    auto h = ParseBytes<32>(*hash);
    if (!m || !n || !h || line.size() > kMaxName || !IsSafeFileName(line)) return std::nullopt;
    return ManifestFile{std::string(line), *n, *h, *m};
}

bool ParseSignatureLine(std::string_view line, Manifest& m) {
    auto key = Field(line);
    auto k = key ? ParseBytes<32>(*key) : std::nullopt;
    auto s = ParseBytes<64>(line);
    if (!k || !s) return false;
    m.key = *k;
    m.signature = *s;
    return true;
}

std::string ModeText(std::uint32_t mode) {
    std::string s = "0000";
    for (int i = 3; i >= 1; --i, mode >>= 3) s[static_cast<std::size_t>(i)] = static_cast<char>('0' + (mode & 7));
    return s;
}

void Append(std::vector<std::uint8_t>& out, std::string_view s) { out.insert(out.end(), s.begin(), s.end()); }

} // namespace

const ManifestFile* Manifest::find(std::string_view name) const {
    auto it = std::find_if(files.begin(), files.end(), [&](const ManifestFile& f) { return f.name == name; });
    return it == files.end() ? nullptr : &*it;
}

Result<Manifest> ParseManifest(std::span<const std::uint8_t> bytes) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto corrupted = Fail(text::kDetailsCorrupted);
    if (!all.starts_with(kHeader)) return corrupted;
    Manifest m;
    std::size_t pos = kHeader.size();
    const auto dateEnd = all.find('\n', pos);
    if (dateEnd == std::string_view::npos || !all.substr(pos).starts_with(kPublished)) return corrupted;
    const auto date = ParseSize(all.substr(pos + kPublished.size(), dateEnd - pos - kPublished.size()));
    if (!date) return corrupted;
    m.published = *date;
    pos = dateEnd + 1;
    std::set<std::string_view> names;
    for (;;) {
        const auto end = all.find('\n', pos);
        if (end == std::string_view::npos) return corrupted; // no signature line
        const auto line = all.substr(pos, end - pos);
        if (line.starts_with(kSignature)) {
            if (end + 1 != all.size() || !ParseSignatureLine(line.substr(kSignature.size()), m)) return corrupted;
            m.signedBytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(pos));
            return m;
        }
        if (!line.starts_with(kFile)) return corrupted;
        auto f = ParseFileLine(line.substr(kFile.size()));
        if (!f || !names.insert(line.substr(line.size() - f->name.size())).second) return corrupted;
        m.files.push_back(std::move(*f));
        pos = end + 1;
    }
}

std::vector<std::uint8_t> WriteManifestBody(std::uint32_t published, const std::vector<ManifestFile>& files) {
    std::vector<std::uint8_t> out;
    Append(out, kHeader);
    Append(out, std::string(kPublished) + std::to_string(published) + "\n");
    for (const auto& f : files) {
        Append(out, kFile);
        Append(out, ModeText(f.mode & 0777));
        Append(out, " " + std::to_string(f.size) + " " + ToHex(f.sha256) + " " + f.name + "\n");
    }
    return out;
}

std::vector<std::uint8_t> SignManifest(std::uint32_t published, const std::vector<ManifestFile>& files,
                                       const SigningKey& key) {
    std::vector<std::uint8_t> out = WriteManifestBody(published, files);
    const SignatureBytes sig = key.sign(out);
    Append(out, kSignature);
    Append(out, ToHex(key.publicKey()) + " " + ToHex(sig) + "\n");
    return out;
}

ManifestFile DescribeFile(std::string name, std::span<const std::uint8_t> bytes, std::uint32_t mode) {
    return {std::move(name), static_cast<std::uint32_t>(bytes.size()), Sha256(bytes), mode & 0777};
}

Status CheckSignature(const Manifest& m, std::span<const PublicKey> trusted) {
    if (std::find(trusted.begin(), trusted.end(), m.key) == trusted.end())
        return Fail(std::string(text::kManifestUnknownKey) + ToHex(m.key), Icon::Warning);
    if (!VerifySignature(m.key, m.signedBytes, m.signature)) return Fail(text::kManifestBadSignature, Icon::Warning);
    return {};
}

namespace {
std::string PublishedValueName(const Manifest& m) { return "Update Published " + ToHex(m.key).substr(0, 16); }
} // namespace

Status CheckNotOlder(const Manifest& m, SettingsStore& store) {
    const auto last = store.read("", PublishedValueName(m), RegType::Dword);
    if (last && last->size() == 4 && ReadLe32(*last) > m.published) return Fail(text::kManifestOlder, Icon::Warning);
    return {};
}

void RememberPublished(const Manifest& m, SettingsStore& store) {
    if (!CheckNotOlder(m, store)) return;
    std::uint8_t dword[4];
    WriteLe32(m.published, dword);
    store.write("", PublishedValueName(m), RegType::Dword, dword);
}

Status CheckFile(const Manifest& m, std::string_view name, std::span<const std::uint8_t> bytes) {
    const ManifestFile* f = m.find(name);
    if (!f || f->size != bytes.size() || f->sha256 != Sha256(bytes))
        return Fail(std::string(text::kFileNotAsSigned) + std::string(name), Icon::Warning);
    return {};
}

} // namespace veldin::update
