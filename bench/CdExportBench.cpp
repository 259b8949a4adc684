// Exporting a full sound area (1,746 units) from an ISO image of a disc, against dd
// copying the same 893,952 bytes out of the same file; prints the ratio of the two.
// The export reads the template, reads the area, packs 442,368 samples to 12 bits and
// writes a 737,280-byte image through a temporary file; dd only copies.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>

#include "cd/CdTables.h"
#include "cd/SoundAreaExport.h"
#include "cd/SyntheticDisc.h"
#include "platform/DiscImageFile.h"

namespace {

namespace fs = std::filesystem;
using namespace veldin;

struct Setup {
    fs::path dir;
    fs::path iso;
    cd::SoundRecord full;
    Setup() {
        dir = fs::temp_directory_path() / ("veldin-cd-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        iso = dir / "disc.iso";
        const auto disc = cd::BuildSyntheticDisc();
        std::ofstream(iso, std::ios::binary)
            .write(reinterpret_cast<const char*>(disc.iso.data()), static_cast<std::streamsize>(disc.iso.size()));
        const auto& s = disc.sounds.front();
        full.firstUnit = s.firstUnit;
        full.units = s.units;
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Setup& Shared() {
    static Setup s;
    return s;
}

std::uint64_t AreaBytes() { return std::uint64_t{Shared().full.units} * cd::kUnitSize; }

void BM_ExportFullAreaFromIso(benchmark::State& state) {
    Setup& s = Shared();
    for (auto _ : state) {
        auto image = platform::DiscImageFile::open(s.iso);
        if (!image) {
            state.SkipWithError("cannot open the image");
            break;
        }
        const auto st =
            cd::ExportSoundArea(**image, s.full, cd::SamplerFamily::S550, VELDIN_BIN_DIR, s.dir / "full.s55");
        if (!st) {
            state.SkipWithError(st.failure().text.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * AreaBytes()));
}
BENCHMARK(BM_ExportFullAreaFromIso)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string DdCommand(std::uint64_t bytes) {
    Setup& s = Shared();
    return "dd if='" + s.iso.string() + "' of='" + (s.dir / "dd.out").string() +
           "' bs=64K iflag=skip_bytes,count_bytes skip=" +
           std::to_string(std::uint64_t{s.full.firstUnit} * cd::kUnitSize) + " count=" + std::to_string(bytes) +
           " status=none";
}

void RunCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("dd failed");
            break;
        }
    }
}

void BM_DdSameBytes(benchmark::State& state) {
    RunCommand(state, DdCommand(AreaBytes()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * AreaBytes()));
}
BENCHMARK(BM_DdSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// dd started the same way copying nothing: what of BM_DdSameBytes is starting a process.
void BM_DdStartOnly(benchmark::State& state) { RunCommand(state, DdCommand(0)); }
BENCHMARK(BM_DdStartOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual and keeps the time per iteration of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto time = [&](const char* name) {
        const auto it = reporter.times.find(name);
        return it == reporter.times.end() ? 0.0 : it->second;
    };
    const double exportTime = time("BM_ExportFullAreaFromIso"), dd = time("BM_DdSameBytes");
    const double ddCopy = dd - time("BM_DdStartOnly");
    if (exportTime > 0 && dd > 0) std::cout << "export / dd time ratio: " << exportTime / dd << '\n';
    if (exportTime > 0 && ddCopy > 0 && time("BM_DdStartOnly") > 0)
        std::cout << "export / dd time ratio without dd's process start: " << exportTime / ddCopy << '\n';
    benchmark::Shutdown();
    return 0;
}
