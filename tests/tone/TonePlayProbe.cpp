// Plays a 1 kHz sine tone through the Tone Editor's player on the default output, for
// the null-sink test: `tone_play_probe MODE SECONDS` (MODE 0-3, the loop modes).
// The tone is 0.1 s long (100 periods of 30 samples at 30,000 Hz), looped over all of
// it; prints the milliseconds until the device took the first samples.

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tone/ui/TonePlayer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int mode = argc > 1 ? std::atoi(argv[1]) : 0;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    std::vector<std::int16_t> wave(3000);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * static_cast<double>(i) / 30.0));
    veldin::ToneEditorSettings settings; // the default output
    const veldin::quilla::PlaybackDevice out = veldin::quilla::ChoosePlaybackDevice(settings);
    if (!out.device) {
        std::fprintf(stderr, "no output: %s\n", out.why.toUtf8().constData());
        return 2;
    }
    veldin::quilla::TonePlayer player;
    bool ended = false;
    player.stopped = [&] { ended = true; };
    if (!player.play(wave, {0, 0, 2999, mode}, 30000, *out.device)) {
        std::fprintf(stderr, "the device refused the tone\n");
        return 3;
    }
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&] {
        std::printf("active_after_ms %lld\nended_by_itself %d\n", static_cast<long long>(player.startLatencyMs()), ended ? 1 : 0);
        player.stop();
        app.quit();
    });
    return app.exec();
}
