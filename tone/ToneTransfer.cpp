#include "tone/ToneTransfer.h"

#include <algorithm>
#include <cctype>

#include "tone/ToneTexts.h"

namespace veldin::tone {

namespace {

// A name for a file handed to a file manager: Save Tone's proposal without its trailing
// blanks, and no byte that a file name should not hold (control characters, the upper
// half of a sampler's character set).
std::string HandOverName(const ToneRecord& r, std::string_view suffix) {
    std::string name = ProposedFileName(r);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '_';
    if (name.empty()) name = text::kNoName;
    return name + std::string(suffix);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

Result<NamedBytes> CopyTone(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref) {
    if (!ref.isTone()) return Fail(text::kCantOpenTone);
    auto x = ExtractToneFile(doc, areas, ref);
    if (!x) return x.failure();
    const SaveKind kind = SaveFilters(x->file).front();
    NamedBytes out;
    out.bytes = SaveToneBytes(x->file, kind);
    // What was written decides the ending: an original's first record as a subtone file
    // (a subtone, a tone of the second area) is a ".ston".
    out.name = HandOverName(x->file.records.front(), out.bytes[4] != 0 ? ".ton" : ".ston");
    return out;
}

Result<NamedBytes> CutSelected(ToneDocument& doc, ToneEditor& editor) {
    auto copy = CopyTone(doc, editor.areas(), editor.selection().ref);
    if (!copy) return copy;
    if (auto st = editor.deleteTone(editor.selection().ref); !st) return st.failure();
    return copy;
}

Result<ToneFile> ClipboardToneFile(std::span<const std::uint8_t> bytes) {
    const Failure damaged = Fail(text::kClipboardDamaged);
    if (!HasRtonMagic(bytes) || bytes.size() < kToneFileHeader) return damaged;
    const std::size_t segments = bytes[4], tones = bytes[5];
    if (tones == 0 || (segments == 0 && tones != 1)) return damaged;
    if (bytes.size() != kToneFileHeader + tones * kToneRecordSize + segments * kSegmentSize) return damaged;
    auto file = ParseToneFile(bytes);
    if (!file) return damaged;
    if (segments == 0 ? !file->records.front().isUsed() : !RecordsMatchHeader(*file)) return damaged;
    return file;
}

Status PasteTone(ToneEditor& editor, std::span<const std::uint8_t> bytes, const ImportTarget& target) {
    // The target first, as Load Tone: a paste onto a root group says where to select.
    if (target.bank < 0) return Fail(text::kImportHere);
    auto file = ClipboardToneFile(bytes);
    if (!file) return file.failure();
    return editor.importToneFile(*file, target);
}

bool CanCopy(const ToneSelection& sel) { return sel.ref.isTone(); }

bool CanPaste(const ImportTarget& target, bool clipboardOffers) {
    const bool ontoSubtone = target.summary >= 0 && ((target.summary >> 16) & 0xFF) == 1;
    return clipboardOffers && target.bank >= 0 && !ontoSubtone;
}

FileKind KindOfFile(std::string_view name) {
    const auto slash = name.find_last_of("/\\");
    const std::string base = Lower(slash == std::string_view::npos ? name : name.substr(slash + 1));
    const auto dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0) return FileKind::Other;
    const std::string ext = base.substr(dot + 1);
    if (ext == "wav") return FileKind::Wave;
    if (ext == "ton" || ext == "ston") return FileKind::Tone;
    // The Open dialog's "Roland diskimage (*.s* *.out *.w30)".
    if ((ext.size() >= 2 && ext[0] == 's') || ext == "out" || ext == "w30") return FileKind::DiskImage;
    return FileKind::Other;
}

DropUse UseOfDrop(std::span<const std::string> names) {
    if (names.empty()) return DropUse::Refuse;
    const auto is = [&](auto pred) { return std::all_of(names.begin(), names.end(), pred); };
    if (is([](const std::string& n) {
            const FileKind k = KindOfFile(n);
            return k == FileKind::Wave || k == FileKind::Tone;
        }))
        return DropUse::Import;
    if (is([](const std::string& n) { return KindOfFile(n) == FileKind::DiskImage; })) return DropUse::OpenImages;
    return DropUse::Refuse;
}

Status ImportFile(ToneEditor& editor, std::span<const std::uint8_t> bytes, std::string_view name,
                  const ImportTarget& target, const WaveImportOptions& options, UserInteraction& ui) {
    switch (KindOfFile(name)) {
    case FileKind::Tone: return editor.importToneFile(bytes, target);
    case FileKind::Wave: {
        // Load Wave's order: the conversion (and its stereo question) before the target.
        auto file = WaveToToneFile(bytes, name, options, ui);
        if (!file) return file.failure();
        return editor.importToneFile(*file, target);
    }
    case FileKind::DiskImage:
    case FileKind::Other: break;
    }
    return Fail(text::kUnknownFileKind);
}

Result<WaveFiles> ToneWaveFiles(const ToneDocument& doc, const ToneAreas& areas, ToneRef ref,
                                const WaveExportOptions& options) {
    if (!ref.isTone() || ref.area() != Area::Ram) return Fail(text::kRomHasNoWave);
    auto wave = BuildToneWave(doc, areas, ref, options);
    if (!wave) return wave.failure();
    const auto record = areas.find(ref);
    if (!record) return Fail(text::kCantOpenTone);
    WaveFiles out;
    out.wav = {HandOverName(*record, ".wav"), WaveFileBytes(*wave, options)};
    if (options.mrk)
        out.mrk = NamedBytes{MrkPathFor(out.wav.name).string(), std::vector<std::uint8_t>(wave->mrk.begin(), wave->mrk.end())};
    return out;
}

} // namespace veldin::tone
