#pragma once
// Plays a tone through Qt Multimedia: a QAudioSink at the tone's own rate where the
// device takes it, otherwise at the device's preferred format, converted here.

#include <QAudioDevice>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ModuleSettings.h"
#include "tone/TonePlayback.h"

class QAudioSink;

namespace veldin::quilla {

class WaveSource;

// The devices of the preferences' list: the default output first, then every output
// Qt Multimedia plays on, in its order.
std::vector<std::string> PlaybackDeviceNames();

struct PlaybackDevice {
    std::optional<QAudioDevice> device; // none: Play is disabled
    QString why;                        // the tooltip that says why
};
// The device "Playing Device" names (index 0: the default), none with "No Sound" or
// when the system has no output at all.
PlaybackDevice ChoosePlaybackDevice(const ToneEditorSettings& settings);
// Whether the system has any output to play on.
bool HaveOutputDevice();

class TonePlayer final : public QObject {
public:
    explicit TonePlayer(QObject* parent = nullptr);
    ~TonePlayer() override;

    // Starts playing (stopping what played before); false when the device refuses.
    bool play(std::vector<std::int16_t> wave, const tone::PlayRegion& region, int toneRate, const QAudioDevice& device);
    void stop();
    bool playing() const { return sink_ != nullptr; }
    // Milliseconds from play() until the sink took the first samples; -1 before.
    qint64 startLatencyMs() const { return latencyMs_; }

    // Called when playing ends by itself (One-Shot, Reverse) or by stop().
    std::function<void()> stopped;

private:
    std::unique_ptr<WaveSource> source_;
    QAudioSink* sink_ = nullptr;
    qint64 latencyMs_ = -1;
};

} // namespace veldin::quilla
