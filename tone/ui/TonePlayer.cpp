#include "tone/ui/TonePlayer.h"

#include <QAudioSink>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <cstring>

namespace veldin::quilla {

// Takes samples from the cursor in the sink's format.
class WaveSource {
public:
    WaveSource(tone::PlaybackCursor cursor, QAudioFormat format) : cursor_(std::move(cursor)), format_(format) {}
    bool ended() const { return cursor_.finished(); }

    // Up to `maxSize` bytes of whole frames; 0 once the sound has ended.
    qint64 fill(char* data, qint64 maxSize) {
        const int channels = std::max(1, format_.channelCount());
        const int bytes = format_.bytesPerSample();
        const auto frames = static_cast<std::size_t>(maxSize / (bytes * channels));
        buffer_.resize(frames);
        const std::size_t n = cursor_.read(buffer_);
        char* out = data;
        for (std::size_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c, out += bytes) put(out, buffer_[i]);
        return out - data;
    }

private:
    void put(char* out, std::int16_t s) const {
        switch (format_.sampleFormat()) {
        case QAudioFormat::UInt8: *reinterpret_cast<std::uint8_t*>(out) = static_cast<std::uint8_t>((s >> 8) + 128); break;
        case QAudioFormat::Int32: {
            const std::int32_t v = static_cast<std::int32_t>(s) * 65536;
            std::memcpy(out, &v, 4);
            break;
        }
        case QAudioFormat::Float: {
            const float v = static_cast<float>(s) / 32768.0f;
            std::memcpy(out, &v, 4);
            break;
        }
        default: std::memcpy(out, &s, 2); break;
        }
    }

    tone::PlaybackCursor cursor_;
    QAudioFormat format_;
    std::vector<std::int16_t> buffer_;
};

namespace {
// How often the sink is topped up, in milliseconds.
constexpr int kFeedMs = 10;
} // namespace

std::vector<std::string> PlaybackDeviceNames() {
    std::vector<std::string> names{"Default output"};
    for (const QAudioDevice& d : QMediaDevices::audioOutputs()) names.push_back(d.description().toStdString());
    return names;
}

PlaybackDevice ChoosePlaybackDevice(const ToneEditorSettings& settings) {
    const auto why = [](tone::PlayBlock b) {
        const std::string_view text = tone::PlayBlockText(b);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    if (settings.noSound != 0) return {std::nullopt, why(tone::PlayBlock::SoundOff)};
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty()) return {std::nullopt, why(tone::PlayBlock::NoDevice)};
    const int index = settings.playingDevice;
    if (index >= 1 && index <= outputs.size()) return {outputs[index - 1], QString()};
    const QAudioDevice def = QMediaDevices::defaultAudioOutput();
    return {def.isNull() ? outputs.front() : def, QString()};
}

bool HaveOutputDevice() { return !QMediaDevices::audioOutputs().isEmpty(); }

TonePlayer::TonePlayer(QObject* parent) : QObject(parent) {}

TonePlayer::~TonePlayer() {
    stopped = nullptr;
    stop();
}

bool TonePlayer::play(std::vector<std::int16_t> wave, const tone::PlayRegion& region, int toneRate,
                      const QAudioDevice& device) {
    stop();
    QAudioFormat format;
    format.setSampleRate(toneRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    // A device that cannot take the tone's rate gets its own format, converted by the cursor.
    if (!device.isFormatSupported(format)) format = device.preferredFormat();
    if (!format.isValid()) return false;
    source_ = std::make_unique<WaveSource>(tone::PlaybackCursor(std::move(wave), region, toneRate, format.sampleRate()),
                                           format);
    // Not a child of the player: a sink's destructor runs an event loop of its own, which
    // must never happen while the window that owns the player is being torn down. A
    // stopped sink goes with deleteLater, from the main loop.
    auto* sink = new QAudioSink(device, format);
    // About 60 ms of sound ahead: short enough that Play and a second press feel at once.
    sink->setBufferSize(format.bytesForDuration(60000));
    sink_ = sink;
    latencyMs_ = -1;
    QIODevice* io = sink->start();
    if (!io || sink->error() != QAudio::NoError) {
        stop();
        return false;
    }
    // Pushed by a timer: the sink takes what it has room for; once the sound has ended
    // and the sink has played out its buffer, playing is over.
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto* feed = new QTimer(sink);
    auto top = [this, sink, io, clock] {
        if (sink != sink_) return;
        std::vector<char> bytes(static_cast<std::size_t>(sink->bytesFree()));
        const qint64 n = bytes.empty() ? 0 : source_->fill(bytes.data(), static_cast<qint64>(bytes.size()));
        if (n > 0) {
            io->write(bytes.data(), n);
            if (latencyMs_ < 0) latencyMs_ = clock->elapsed();
        }
        if (source_->ended() && sink->bytesFree() >= sink->bufferSize()) stop();
        else if (sink->error() != QAudio::NoError && sink->error() != QAudio::UnderrunError) stop();
    };
    connect(feed, &QTimer::timeout, this, top);
    feed->start(kFeedMs);
    top();
    return true;
}

void TonePlayer::stop() {
    if (!sink_) return;
    QAudioSink* sink = sink_;
    sink_ = nullptr;
    sink->stop();
    sink->deleteLater();
    source_.reset();
    if (stopped) stopped();
}

} // namespace veldin::quilla
