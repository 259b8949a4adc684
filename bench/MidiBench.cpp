// Speed of the two conversions on the largest inputs they meet: a song that fills a
// W-30 song disk, and a MIDI file of 16 tracks with thousands of events each. The last
// benchmark sets midi2song beside Debian's python3-mido reading the same file and
// reports the ratio (mido time / our time).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/UserInteraction.h"
#include "midi/MidiToSong.h"
#include "midi/Song.h"
#include "midi/SongToMidi.h"
#include "tests/midi/Builders.h"

namespace {

using namespace veldin;

class Silent final : public UserInteraction {
public:
    void message(std::string_view, std::string_view, Icon) override {}
    Answer ask(std::string_view, std::string_view, Buttons, Icon) override { return Answer::Cancel; }
};

// 16 tracks of `notes` notes, a controller every eighth note and a pitch bend every
// fifth, on a conductor with tempo and signature changes; division 480.
test::Bytes LargeMidi(int notes) {
    test::TrackBuilder c;
    c.name("BENCH").timeSignature(0, 4, 2).tempo(0, 500000);
    for (int m = 1; m < 200; ++m) c.tempo(1920, 400000 + 1000 * (m % 50));
    c.end();
    std::vector<test::TrackBuilder> tracks{c};
    for (std::uint8_t t = 0; t < 16; ++t) {
        test::TrackBuilder b;
        b.name("TRACK").event(0, {static_cast<std::uint8_t>(0xC0 | t), t});
        const auto on = static_cast<std::uint8_t>(0x90 | t);
        for (int n = 0; n < notes; ++n) {
            const auto key = static_cast<std::uint8_t>(36 + (n * 7 + t) % 48);
            b.event(n % 4 == 0 ? 240 : 120, {on, key, 100});
            if (n % 8 == 0) b.event(10, {static_cast<std::uint8_t>(0xB0 | t), 1, static_cast<std::uint8_t>(n % 128)});
            if (n % 5 == 0) b.event(0, {static_cast<std::uint8_t>(0xE0 | t), 0, static_cast<std::uint8_t>(n % 128)});
            b.event(110, {on, key, 0});
        }
        tracks.push_back(b.end());
    }
    return test::Smf(1, 480, tracks);
}

std::vector<std::uint8_t> FullDiskSong() {
    Silent ui;
    // 16 x 5200 notes with their controllers fill about 1,400 of a disk's 1,422 sectors.
    auto song = midi::midi2song(LargeMidi(5200), ui, {});
    if (!song) std::abort();
    return *song;
}

void BM_SongToMidi_FullDisk(benchmark::State& state) {
    const auto song = FullDiskSong();
    Silent ui;
    for (auto _ : state) {
        auto midi = midi::song_to_midi(song, ui, {});
        benchmark::DoNotOptimize(midi);
    }
    state.counters["song_sectors"] = static_cast<double>(song.size() / 512);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * song.size()));
}
BENCHMARK(BM_SongToMidi_FullDisk)->Unit(benchmark::kMillisecond);

void BM_Midi2Song_16Tracks(benchmark::State& state) {
    const auto midi = LargeMidi(static_cast<int>(state.range(0)));
    Silent ui;
    for (auto _ : state) {
        auto song = midi::midi2song(midi, ui, {});
        benchmark::DoNotOptimize(song);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * midi.size()));
}
BENCHMARK(BM_Midi2Song_16Tracks)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond);

// mido's load of the same file, timed inside python so that its start is left out.
double MidoSeconds(const std::filesystem::path& file) {
    const auto out = std::filesystem::temp_directory_path() / "veldin-bench-mido.txt";
    const std::string cmd = "/usr/bin/python3 -c \"import mido,sys,time; t=time.perf_counter(); "
                            "mido.MidiFile(sys.argv[1]); print(time.perf_counter()-t)\" '" +
                            file.string() + "' >'" + out.string() + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return -1;
    double seconds = -1;
    std::ifstream(out) >> seconds;
    std::filesystem::remove(out);
    return seconds;
}

void BM_Midi2Song_VersusMido(benchmark::State& state) {
    const auto midi = LargeMidi(5000);
    const auto file = std::filesystem::temp_directory_path() / "veldin-bench.mid";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(midi.data()), static_cast<std::streamsize>(midi.size()));
    const double mido = MidoSeconds(file);
    std::filesystem::remove(file);
    if (mido < 0) {
        state.SkipWithError("Debian's python3-mido is not installed");
        return;
    }
    Silent ui;
    const auto start = std::chrono::steady_clock::now();
    std::int64_t runs = 0;
    for (auto _ : state) {
        auto song = midi::midi2song(midi, ui, {});
        benchmark::DoNotOptimize(song);
        ++runs;
    }
    const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / static_cast<double>(runs);
    state.counters["ours_ms"] = ours * 1000;
    state.counters["mido_ms"] = mido * 1000;
    state.counters["mido_over_ours"] = mido / ours;
}
BENCHMARK(BM_Midi2Song_VersusMido)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
