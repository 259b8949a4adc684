// The parameter dialog on the longest wave a bank holds (221,184 samples): building the
// graph's columns at each zoom step with its markers (done on every zoom change, so it
// must stay far below a frame), and the player filling one second of sound.
#include <benchmark/benchmark.h>

#include <cmath>

#include "tone/ToneParameters.h"
#include "tone/TonePlayback.h"

namespace {

using namespace veldin::tone;

constexpr std::size_t kBankSamples = 221184;

std::vector<std::uint16_t> LongestWave() {
    std::vector<std::uint16_t> w(kBankSamples);
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<std::uint16_t>(static_cast<std::int16_t>(20000 * std::sin(static_cast<double>(i) * 0.01)) & ~0xF);
    return w;
}

void BM_GraphAtZoom(benchmark::State& state) {
    const auto wave = LongestWave();
    const int zoom = static_cast<int>(state.range(0));
    for (auto _ : state) {
        WaveGraph g = BuildGraph(wave, zoom);
        g.markers = GraphMarkers(wave.size(), g.columns.size(), {1000, 100000, 221000});
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_GraphAtZoom)->DenseRange(0, GraphZoomMax(kBankSamples), 3)->Unit(benchmark::kMicrosecond);

void BM_PlayOneSecond(benchmark::State& state) {
    const auto wave = SignedSamples(LongestWave());
    std::vector<std::int16_t> out(48000);
    for (auto _ : state) {
        PlaybackCursor c(wave, {0, 1000, 221000, 1}, 30000, 48000);
        benchmark::DoNotOptimize(c.read(out));
    }
}
BENCHMARK(BM_PlayOneSecond)->Unit(benchmark::kMicrosecond);

} // namespace
