// Unpacking speed of the update client: our aPLib depacker against zlib's inflate on the
// same few MB of a real program (a Debian shared library, packed once with the packer
// that veldin-publish uses). Prints both speeds, their ratio and both compressed sizes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "update/Depack.h"
#include "update/Pack.h"

namespace {

struct Corpus {
    std::string name;
    std::vector<std::uint8_t> data, aplib, zlib;
};

const Corpus& TheCorpus() {
    static const Corpus c = [] {
        Corpus c;
        for (const char* path : {"/usr/lib/x86_64-linux-gnu/libQt6Core.so.6", "/usr/bin/cmake", "/usr/bin/g++"}) {
            std::ifstream in(path, std::ios::binary);
            if (!in) continue;
            c.name = path;
            c.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            break;
        }
        c.aplib = veldin::update::PackAplib(c.data);
        uLongf size = compressBound(static_cast<uLong>(c.data.size()));
        c.zlib.resize(size);
        compress2(c.zlib.data(), &size, c.data.data(), static_cast<uLong>(c.data.size()), Z_BEST_COMPRESSION);
        c.zlib.resize(size);
        return c;
    }();
    return c;
}

void BM_DepackAplib(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    for (auto _ : state) {
        auto out = veldin::update::DepackAplib(c.aplib, c.data.size());
        if (!out || *out != c.data) state.SkipWithError("depack failed");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.data.size()));
}
BENCHMARK(BM_DepackAplib)->Unit(benchmark::kMillisecond);

void BM_InflateZlib(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    std::vector<std::uint8_t> out(c.data.size());
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(out.size());
        if (uncompress(out.data(), &size, c.zlib.data(), static_cast<uLong>(c.zlib.size())) != Z_OK || out != c.data)
            state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.data.size()));
}
BENCHMARK(BM_InflateZlib)->Unit(benchmark::kMillisecond);

// Keeps each run's speed so that the ratio can be printed after them.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            const auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end()) speed[r.run_name.function_name] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> speed;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const Corpus& c = TheCorpus();
    if (c.data.empty()) {
        std::fprintf(stderr, "no input file found\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double mb = 1024.0 * 1024.0;
    std::printf("\ninput: %s, %zu bytes\n", c.name.c_str(), c.data.size());
    std::printf("aPLib (ours): %zu bytes (%.1f %%), zlib -9: %zu bytes (%.1f %%)\n", c.aplib.size(),
                100.0 * static_cast<double>(c.aplib.size()) / static_cast<double>(c.data.size()), c.zlib.size(),
                100.0 * static_cast<double>(c.zlib.size()) / static_cast<double>(c.data.size()));
    const double depack = reporter.speed["BM_DepackAplib"], inflate = reporter.speed["BM_InflateZlib"];
    if (depack > 0 && inflate > 0)
        std::printf("depack %.0f MB/s, inflate %.0f MB/s, depack/inflate = %.2f\n", depack / mb, inflate / mb,
                    depack / inflate);
    return 0;
}
