#include "patch/PatchFile.h"

#include <algorithm>
#include <cctype>

#include "core/Bytes.h"
#include "patch/PatchTexts.h"

namespace veldin::patch {
namespace {

// Fingerprint bytes (record bytes 0-15) compared by the match.
constexpr std::size_t kOutput = 8, kIsSubtone = 10, kRateShift = 11, kOrigKey = 12, kWaveBank = 13,
                      kSegmentTop = 14, kSegmentCount = 15;

std::string Blanked(std::span<const std::uint8_t> name) {
    std::string s(name.begin(), name.end());
    std::replace(s.begin(), s.end(), '\0', ' ');
    return s;
}

std::vector<ListedTone> Listed(const tone::AreaCopy* area, int base) {
    std::vector<ListedTone> out;
    for (int k = 0; area && k < area->count; ++k) {
        const tone::ToneRecord r = area->record(k);
        if (r.isUsed()) out.push_back({r.displayName(), k, static_cast<std::uint8_t>(k + base)});
    }
    return out;
}

std::optional<std::size_t> FirstNamed(const std::vector<ListedTone>& list, const std::string& name) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].name == name) return i;
    return std::nullopt;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string ToneEntry::displayName() const { return Blanked(std::span(fingerprint).first(8)); }

PatchFile MakePatchFile(const PatchRecord& record, const PatchAreas& areas) {
    PatchFile f{record, {}};
    for (std::uint8_t t : record.tones()) {
        ToneEntry e{t, {}};
        if (const auto r = areas.toneRecord(t)) std::copy_n(r->bytes().begin(), e.fingerprint.size(), e.fingerprint.begin());
        f.entries.push_back(e);
    }
    return f;
}

std::vector<std::uint8_t> PatchFileBytes(const PatchFile& file) {
    std::vector<std::uint8_t> out(kPatchFileHead + file.entries.size() * kToneEntrySize);
    std::copy(text::kMagic.begin(), text::kMagic.end(), out.begin());
    WriteLe32(static_cast<std::uint32_t>(file.entries.size()), std::span(out).subspan(4));
    std::copy(file.record.bytes().begin(), file.record.bytes().end(), out.begin() + 8);
    std::size_t at = kPatchFileHead;
    for (const auto& e : file.entries) {
        WriteLe32(e.number, std::span(out).subspan(at));
        std::copy(e.fingerprint.begin(), e.fingerprint.end(), out.begin() + static_cast<std::ptrdiff_t>(at + 4));
        at += kToneEntrySize;
    }
    return out;
}

Result<PatchFile> ParsePatchFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4 || !std::equal(text::kMagic.begin(), text::kMagic.end(), bytes.begin()))
        return Fail(text::kNotRpat);
    if (bytes.size() < kPatchFileHead) return Fail(text::kPatchFileShort);
    const std::uint64_t n = ReadLe32(bytes.subspan(4));
    if (n > (bytes.size() - kPatchFileHead) / kToneEntrySize) return Fail(text::kPatchFileShort);
    PatchFile f{PatchRecord::FromBytes(bytes.subspan(8, kPatchRecordSize)), {}};
    f.entries.reserve(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const auto e = bytes.subspan(kPatchFileHead + i * kToneEntrySize, kToneEntrySize);
        ToneEntry entry{ReadLe32(e), {}};
        std::copy_n(e.begin() + 4, entry.fingerprint.size(), entry.fingerprint.begin());
        f.entries.push_back(entry);
    }
    return f;
}

bool Matches(const ToneEntry& entry, const tone::ToneRecord& target) {
    const auto& e = entry.fingerprint;
    const auto& t = target.bytes();
    if (!target.isUsed() || !std::equal(e.begin(), e.begin() + 8, t.begin())) return false;
    if ((e[kWaveBank] < 2) != (t[kWaveBank] < 2)) return false;
    for (std::size_t at : {kSegmentTop, kSegmentCount, kOutput, kIsSubtone, kOrigKey})
        if (e[at] != t[at]) return false;
    return e[kRateShift] == t[kRateShift] || t[kRateShift] == 0xFF;
}

std::optional<std::uint8_t> FindTone(const ToneEntry& entry, const PatchAreas& areas) {
    const bool second = entry.waveBank() >= 2;
    const tone::AreaCopy* area = areas.tones().get(second ? tone::Area::Rom : tone::Area::Ram);
    const int base = second ? kSecondAreaBase : 0;
    for (int k = 0; area && k < area->count && k + base < kFirstNoTone; ++k)
        if (Matches(entry, area->record(k))) return static_cast<std::uint8_t>(k + base);
    return std::nullopt;
}

MissingToneDialog MakeMissingToneDialog(const ToneEntry& entry, const PatchAreas& areas) {
    MissingToneDialog d;
    d.missingNumber = entry.number;
    d.missingName = entry.displayName();
    d.message = std::string(text::kMapMessageBefore) + d.missingName + std::string(text::kMapMessageAfter);
    d.ram = Listed(areas.tones().ram(), 0);
    d.rom = Listed(areas.tones().rom(), kSecondAreaBase);
    if ((d.preselected = FirstNamed(d.ram, d.missingName))) return d;
    if ((d.preselected = FirstNamed(d.rom, d.missingName))) d.romShown = true;
    return d;
}

MissingToneState::MissingToneState(const MissingToneDialog& dialog)
    : dialog_(dialog), romShown_(dialog.romShown), selected_(dialog.preselected),
      yesEnabled_(dialog.preselected.has_value()) {}

void MissingToneState::showBank(bool rom) {
    romShown_ = rom;
    selected_.reset();
    yesEnabled_ = false;
}

void MissingToneState::select(std::size_t index) {
    if (index < list().size()) selected_ = index;
}

void MissingToneState::doubleClick(std::size_t index) {
    if (index >= list().size()) return;
    selected_ = index;
    yesEnabled_ = true;
}

std::optional<MapChoice> MissingToneState::yes() const {
    if (!yesEnabled_ || !selected_ || *selected_ >= list().size()) return std::nullopt;
    return MapChoice{Answer::Yes, list()[*selected_].number};
}

MapChoice AskingToneMapper::mapMissingTone(const MissingToneDialog& dialog) {
    const Answer a = ui_.ask(dialog.message, text::kMapTitle, Buttons::YesNoCancel, Icon::Question);
    if (a == Answer::No) return {Answer::No, 0};
    if (a != Answer::Yes || !dialog.preselected) return {Answer::Cancel, 0};
    const auto& list = dialog.romShown ? dialog.rom : dialog.ram;
    return {Answer::Yes, list[*dialog.preselected].number};
}

std::string EntryLabel(std::uint32_t number, std::string_view displayName) {
    const auto last = displayName.find_last_not_of(' ');
    if (last != std::string_view::npos) return std::string(displayName.substr(0, last + 1));
    if (number >= static_cast<std::uint32_t>(kSecondAreaBase))
        return "rom:" + std::to_string(number - static_cast<std::uint32_t>(kSecondAreaBase));
    return "ram:" + std::to_string(number);
}

std::vector<ToneEntry> MissingTones(const PatchFile& file, const PatchAreas& areas) {
    std::vector<ToneEntry> out;
    for (const auto& e : file.entries)
        if (e.number < kFirstNoTone && !FindTone(e, areas)) out.push_back(e);
    return out;
}

std::optional<PatchRecord> TranslatePatch(const PatchFile& file, const PatchAreas& areas, ToneMapper& mapper) {
    // Indexed by the number a key-map byte holds in the file. Numbers of 128 and more
    // name no tone in a key map and are left out; a number given twice keeps its first
    // entry.
    std::array<std::optional<std::uint8_t>, kFirstNoTone> table{};
    for (const auto& e : file.entries) {
        if (e.number >= kFirstNoTone || table[e.number]) continue;
        if (const auto found = FindTone(e, areas)) {
            table[e.number] = *found;
            continue;
        }
        const MapChoice c = mapper.mapMissingTone(MakeMissingToneDialog(e, areas));
        if (c.answer == Answer::Yes) table[e.number] = c.number;
        else if (c.answer == Answer::No) table[e.number] = static_cast<std::uint8_t>(e.number);
        else return std::nullopt;
    }
    PatchRecord out = file.record;
    for (auto map : {out.keyMap1(), out.keyMap2()})
        for (std::uint8_t& v : map)
            if (v < kFirstNoTone && table[v]) v = *table[v];
    return out;
}

std::string ProposedFileName(const PatchRecord& record) {
    std::string name = record.rawName();
    name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    for (char& c : name)
        if (std::string_view(":\\/,?*<\"|").find(c) != std::string_view::npos) c = '_';
    if (name.empty()) name = text::kNoName;
    return name + std::string(text::kSavedExtension);
}

std::filesystem::path SavedPatchPath(const std::filesystem::path& chosen) {
    if (Lower(chosen.extension().string()) == text::kSavedExtension) return chosen;
    return std::filesystem::path(chosen.string() + std::string(text::kSavedExtension));
}

bool IsPatchFileName(const std::filesystem::path& path) {
    const std::string ext = Lower(path.extension().string());
    return ext == text::kSavedExtension || ext == text::kOlderExtension;
}

} // namespace veldin::patch
