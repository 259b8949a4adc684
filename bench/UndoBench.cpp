// Speed of the undo store against the limit that the disk sets. Every step reaches the
// disk before the store returns (the step file and the working copy are flushed), so the
// yardstick is writing the same bytes with plain positioned writes and one flush.
//
//   veldin-bench-undo [--benchmark_min_time=S]
//
// Prints Google Benchmark's table, then per step size the steps per second of recording,
// undoing and redoing and their ratio to the plain write + flush of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/UndoStore.h"

namespace {

namespace fs = std::filesystem;
using namespace veldin;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kBigStep = 331776; // 18 wave segments: a whole wave bank
constexpr std::int64_t kSmallStep = 4608; // nine sectors
constexpr std::uint32_t kAt = kWaveBankA;

// A folder beside the undo directories (the same disk), an image in it, and a store.
class Bench {
public:
    Bench() {
        std::random_device rd;
        root_ = fs::temp_directory_path() / ("veldin-bench-undo-" + std::to_string(rd()));
        fs::create_directories(root_);
        const int h = files().open(root_ / "image.s55", os::OpenMode::CreateTruncate);
        files().writeAt(h, 0, Bytes(kImageSize, 0x11));
        files().close(h);
        user_ = files().open(root_ / "image.s55", os::OpenMode::ReadOnly);
        ws_.emplace(Workspace{files(), root_, root_, random_});
        auto store = UndoStore::Start(*ws_, user_);
        if (!store) throw std::runtime_error(store.failure().text);
        store_ = std::move(*store);
    }
    ~Bench() {
        store_.reset();
        files().close(user_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    static os::FileOps& files() { return os::SystemFileOps(); }
    UndoStore& store() { return *store_; }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
    int user_ = os::kNoHandle;
    MinStdRandom random_;
    std::optional<Workspace> ws_;
    std::unique_ptr<UndoStore> store_;
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

Operation StepOf(const Bytes& bytes) { return {.code = 1300, .returnedBlock = 0, .parameter = 0, .blocks = {{kAt, bytes}}}; }

void Check(benchmark::State& state, bool ok) {
    if (!ok) state.SkipWithError("the store failed");
}

void BM_PlainWriteAndFlush(benchmark::State& state) {
    const Bytes bytes(static_cast<std::size_t>(state.range(0)), 0x22);
    auto& f = Bench::files();
    const int h = f.open(Shared().root() / "plain.bin", os::OpenMode::CreateTruncate);
    f.writeAt(h, 0, Bytes(kImageSize, 0));
    f.sync(h);
    for (auto _ : state) Check(state, f.writeAt(h, kAt, bytes) && f.sync(h));
    f.close(h);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Record(benchmark::State& state) {
    const Bytes bytes(static_cast<std::size_t>(state.range(0)), 0x33);
    auto& store = Shared().store();
    for (auto _ : state) {
        Check(state, store.record(StepOf(bytes)).ok());
        state.PauseTiming();
        Check(state, store.back().ok()); // keeps the history at one step
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Undo(benchmark::State& state) {
    const Bytes bytes(static_cast<std::size_t>(state.range(0)), 0x44);
    auto& store = Shared().store();
    for (auto _ : state) {
        state.PauseTiming();
        Check(state, store.record(StepOf(bytes)).ok());
        state.ResumeTiming();
        Check(state, store.back().ok());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Redo(benchmark::State& state) {
    const Bytes bytes(static_cast<std::size_t>(state.range(0)), 0x55);
    auto& store = Shared().store();
    Check(state, store.record(StepOf(bytes)).ok() && store.back().ok());
    for (auto _ : state) {
        Check(state, store.forward().ok());
        state.PauseTiming();
        Check(state, store.back().ok());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PlainWriteAndFlush)->Arg(kBigStep)->Arg(kSmallStep)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Record)->Arg(kBigStep)->Arg(kSmallStep)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->Arg(kBigStep)->Arg(kSmallStep)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Redo)->Arg(kBigStep)->Arg(kSmallStep)->UseRealTime()->Unit(benchmark::kMillisecond);

// Keeps the seconds per iteration of every run for the closing summary.
class SummaryReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !r.error_occurred)
                seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
    }

    void printSummary() const {
        std::printf("\nUndo store against plain write + flush of the same bytes (the limit):\n");
        std::printf("%-10s %-8s %14s %14s %8s\n", "step", "action", "steps/s", "limit/s", "ratio");
        for (std::int64_t size : {kBigStep, kSmallStep}) {
            const std::string arg = "/" + std::to_string(size) + "/real_time";
            const auto limit = seconds_.find("BM_PlainWriteAndFlush" + arg);
            if (limit == seconds_.end()) continue;
            for (const char* action : {"Record", "Undo", "Redo"}) {
                const auto it = seconds_.find(std::string("BM_") + action + arg);
                if (it == seconds_.end()) continue;
                std::printf("%-10lld %-8s %14.1f %14.1f %8.2f\n", static_cast<long long>(size), action, 1.0 / it->second,
                            1.0 / limit->second, limit->second / it->second);
            }
        }
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
