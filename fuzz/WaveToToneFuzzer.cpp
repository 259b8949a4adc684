// WAV files of any content into tone files. Properties checked: a conversion either
// refuses or yields a consistent tone file (whole segments, 1 or 2 records whose points
// lie in the wave) that reads back as itself.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "data/Templates.h"
#include "tone/WaveImport.h"

namespace {

class Answers final : public veldin::UserInteraction {
public:
    explicit Answers(bool left) : left_(left) {}
    void message(std::string_view, std::string_view, veldin::Icon) override {}
    veldin::Answer ask(std::string_view, std::string_view, veldin::Buttons, veldin::Icon) override {
        return left_ ? veldin::Answer::Yes : veldin::Answer::No;
    }

private:
    bool left_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::tone;
    static const ToneRecord tpl = [] {
        const auto ston = veldin::data::BuildDefaultSton();
        return ToneRecord::FromBytes(std::span(ston).subspan(kToneFileHeader));
    }();
    const std::span<const std::uint8_t> in(data, size);
    Answers ui(size % 2 == 0);
    auto file = ConvertWave(in, "fuzz.wav", tpl, ui, nullptr);
    if (!file) return 0;
    if (file->segments == 0 || file->wave.size() != file->segments * std::size_t{veldin::kSegmentSize}) std::abort();
    if (file->records.empty() || file->records.size() > 2) std::abort();
    const std::uint32_t samples = file->segments * 12288u;
    for (const auto& r : file->records)
        if (r.segmentCount() != file->segments || r.startPoint() > r.endPoint() || r.endPoint() > samples + 1) std::abort();
    auto back = ParseToneFile(file->bytes());
    if (!back || back->bytes() != file->bytes()) std::abort();
    return 0;
}
