// Reading a whole floppy (1440 sectors of 512 bytes) through the sector loop from the
// file-backed drive, compared in one run with the drive's reads without the loop, the
// same file read 512 bytes at a time through a stream, and `dd bs=512` of the same file
// (a process started through the shell, as a user would run it); the ratios are printed
// at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/SectorLoop.h"
#include "platform/FileFloppy.h"

namespace {

using namespace veldin;
namespace fs = std::filesystem;

// Never asked: the drive has no faults.
class NoQuestions final : public UserInteraction {
public:
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::Abort; }
};

const fs::path& ImageFile() {
    static const fs::path path = [] {
        const fs::path p = fs::temp_directory_path() / "veldin-bench-floppy.img";
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        for (std::int64_t i = 0; i < kImageSize; ++i) out.put(static_cast<char>((i / 512 * 7 + i) % 251));
        return p;
    }();
    return path;
}

void LoopFromFileDrive(benchmark::State& state) {
    FileFloppyDrive drive(ImageFile(), {});
    auto device = std::move(drive.open(DriveAccess::Read)).value();
    SectorLoopControl control;
    NoQuestions ui;
    const LoopContext context{control, ui, "VELDIN"};
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kImageSize));
    for (auto _ : state) {
        auto r = ReadSectors(*device, 0, kSectorCount, buffer, context);
        if (!r || !r->completed()) state.SkipWithError("the loop did not read every sector");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

// The same positioned reads without the loop: what the loop itself costs.
void FileDriveWithoutLoop(benchmark::State& state) {
    FileFloppyDrive drive(ImageFile(), {});
    auto device = std::move(drive.open(DriveAccess::Read)).value();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(kImageSize));
    for (auto _ : state) {
        for (std::uint32_t s = 0; s < kSectorCount; ++s)
            if (!device->readSector(s, std::span(buffer).subspan(s * kSectorSize).first<kSectorSize>()))
                state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void PlainFileBySector(benchmark::State& state) {
    std::vector<char> buffer(static_cast<std::size_t>(kImageSize));
    for (auto _ : state) {
        std::ifstream in(ImageFile(), std::ios::binary);
        for (int s = 0; s < kSectorCount; ++s)
            if (!in.read(buffer.data() + static_cast<std::ptrdiff_t>(s) * kSectorSize, kSectorSize))
                state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void DdBs512(benchmark::State& state) {
    const std::string cmd = "dd if='" + ImageFile().string() + "' of=/dev/null bs=512 status=none";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("dd failed");
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

BENCHMARK(LoopFromFileDrive)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FileDriveWithoutLoop)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(PlainFileBySector)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(DdBs512)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Keeps the real time of each benchmark for the ratios.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& t = reporter.times;
    const auto ratio = [&](const char* a, const char* b) {
        if (t.count(a) && t.count(b) && t.at(b) > 0) std::printf("%-62s %8.3f\n", (std::string(a) + " / " + b).c_str(), t.at(a) / t.at(b));
    };
    std::printf("\nTime ratios (below 1: the first is faster)\n");
    ratio("LoopFromFileDrive/real_time", "DdBs512/real_time");
    ratio("LoopFromFileDrive/real_time", "PlainFileBySector/real_time");
    ratio("LoopFromFileDrive/real_time", "FileDriveWithoutLoop/real_time");
    std::error_code ec;
    std::filesystem::remove(ImageFile(), ec);
    benchmark::Shutdown();
    return 0;
}
