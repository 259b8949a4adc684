// Speed of the tone conversions: a full bank (221,184 samples) from a WAV file into an
// image, every tone of a full image out as WAV files, and for scale sox converting the
// same WAV file to 16-bit raw samples (the ratio of the two is what to watch). All are
// timed by the wall clock, since sox runs as a process of its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Bytes.h"
#include "core/DiskDefinition.h"
#include "core/Geometry.h"
#include "data/Templates.h"
#include "tone/ToneEditor.h"
#include "tone/WaveExport.h"
#include "tone/WaveImport.h"

namespace {

using namespace veldin;
using namespace veldin::tone;
namespace fs = std::filesystem;

constexpr std::size_t kBankSamples = 221184;

std::vector<std::uint8_t> FullBankWav() {
    std::vector<std::uint8_t> b(44 + kBankSamples * 2);
    const char* ids[] = {"RIFF", "WAVE", "fmt ", "data"};
    const std::size_t at[] = {0, 8, 12, 36};
    for (int i = 0; i < 4; ++i) std::copy(ids[i], ids[i] + 4, b.begin() + static_cast<long>(at[i]));
    WriteLe32(static_cast<std::uint32_t>(b.size() - 8), std::span(b).subspan(4));
    WriteLe32(16, std::span(b).subspan(16));
    WriteLe16(1, std::span(b).subspan(20));
    WriteLe16(1, std::span(b).subspan(22));
    WriteLe32(30000, std::span(b).subspan(24));
    WriteLe32(60000, std::span(b).subspan(28));
    WriteLe16(2, std::span(b).subspan(32));
    WriteLe16(16, std::span(b).subspan(34));
    WriteLe32(kBankSamples * 2, std::span(b).subspan(40));
    for (std::size_t i = 0; i < kBankSamples; ++i)
        WriteLe16(static_cast<std::uint16_t>(i * 7919), std::span(b).subspan(44 + 2 * i));
    return b;
}

MemoryDocument EmptyS550() {
    auto img = data::BuildTemplate(data::TemplateKind::S550);
    img.resize(static_cast<std::size_t>(kImageSize), 0);
    const auto def = ClassifyImage(std::span(img).first(kHeaderSize));
    return MemoryDocument(std::move(img), def);
}

class NoQuestions final : public UserInteraction {
public:
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::Yes; }
};

void BM_ImportFullBankFromWav(benchmark::State& state) {
    const auto wav = FullBankWav();
    NoQuestions ui;
    for (auto _ : state) {
        MemoryDocument doc = EmptyS550();
        ToneEditor ed(doc);
        ed.selectGroup(Group::RamA);
        auto file = WaveToToneFile(wav, "bank.wav", {VELDIN_BIN_DIR}, ui);
        if (!file || !ed.importToneFile(*file, ed.target())) state.SkipWithError("import failed");
        benchmark::DoNotOptimize(doc.image().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wav.size()));
}
BENCHMARK(BM_ImportFullBankFromWav)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every position used: 16 originals of one segment (8 per bank), each with a subtone.
void BM_ExportEveryToneOfAFullImage(benchmark::State& state) {
    MemoryDocument doc = EmptyS550();
    {
        ToneEditor ed(doc);
        NoQuestions ui;
        std::vector<std::uint8_t> one(44 + 12288 * 2 * 2);
        const auto wav = FullBankWav();
        std::copy(wav.begin(), wav.begin() + static_cast<long>(one.size()), one.begin());
        WriteLe32(12288 * 2 * 2, std::span(one).subspan(40));
        WriteLe16(2, std::span(one).subspan(22));
        WriteLe16(4, std::span(one).subspan(32));
        for (Group g : {Group::RamA, Group::RamB})
            for (int i = 0; i < 8; ++i) {
                ed.selectGroup(g);
                auto file = WaveToToneFile(one, "tone.wav", {VELDIN_BIN_DIR}, ui);
                if (file) (void)ed.importToneFile(*file, ed.target());
            }
    }
    const ToneAreas areas = ToneAreas::Read(doc);
    const WaveExportOptions o{true, true, false, false};
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (int k = 0; k < areas.ram()->count; ++k) {
            const ToneRecord r = areas.ram()->record(k);
            if (!r.isUsed()) continue;
            auto w = BuildToneWave(doc, areas, ToneRef::Make(r.sourceTone(), Area::Ram, k), o);
            if (w) bytes += WaveFileBytes(*w, o).size() + w->mrk.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ExportEveryToneOfAFullImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// sox reading the same full-bank WAV and writing 16-bit raw samples, for scale.
void BM_SoxFullBankToRaw(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path();
    const fs::path in = dir / "veldin-bench-bank.wav";
    const fs::path out = dir / "veldin-bench-bank.raw";
    const auto wav = FullBankWav();
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(wav.data()), static_cast<long>(wav.size()));
    const std::string cmd = "sox -D '" + in.string() + "' -t raw -e signed-integer -b 16 '" + out.string() + "' 2>/dev/null";
    if (std::system("command -v sox >/dev/null 2>&1") != 0) state.SkipWithError("sox is not installed");
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("sox failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wav.size()));
    std::error_code ec;
    fs::remove(in, ec);
    fs::remove(out, ec);
}
BENCHMARK(BM_SoxFullBankToRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
