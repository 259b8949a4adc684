#include "tone/TonePlayback.h"

#include <algorithm>

namespace veldin::tone {
namespace {
constexpr int kFraction = 32;
constexpr std::int64_t kOne = std::int64_t{1} << kFraction;
} // namespace

PlaybackCursor::PlaybackCursor(std::vector<std::int16_t> wave, PlayRegion r, int toneRate, int outputRate)
    : wave_(std::move(wave)), mode_(r.loopMode) {
    const auto last = static_cast<std::int64_t>(wave_.size()) - 1;
    if (last < 0 || toneRate <= 0 || outputRate <= 0) {
        finished_ = true;
        return;
    }
    const std::int64_t end = std::clamp<std::int64_t>(r.end, 0, last);
    const std::int64_t start = std::clamp<std::int64_t>(r.start, 0, end);
    const std::int64_t loop = std::clamp<std::int64_t>(r.loop, start, end);
    start_ = start * kOne;
    loop_ = loop * kOne;
    end_ = end * kOne;
    step_ = (static_cast<std::int64_t>(toneRate) << kFraction) / outputRate;
    if (r.end < r.start) finished_ = true;
    if (mode_ == 3) {
        pos_ = end_;
        direction_ = -1;
    } else {
        pos_ = start_;
    }
}

std::int16_t PlaybackCursor::at(std::int64_t p) const {
    const auto i = static_cast<std::size_t>(p >> kFraction);
    const std::int64_t frac = p & (kOne - 1);
    const std::int64_t a = wave_[i];
    const std::int64_t b = i + 1 < wave_.size() && (p + kOne) <= end_ + kOne ? wave_[i + 1] : a;
    return static_cast<std::int16_t>(a + (((b - a) * frac) >> kFraction));
}

std::size_t PlaybackCursor::read(std::span<std::int16_t> out) {
    std::size_t n = 0;
    while (n < out.size() && !finished_) {
        out[n++] = at(pos_);
        pos_ += direction_ * step_;
        if (direction_ > 0 && pos_ > end_) {
            switch (mode_) {
            case 0: // Forward: on from Loop; a loop of one sample holds it
                pos_ = loop_ + (pos_ - end_ - kOne) % (end_ - loop_ + kOne);
                break;
            case 1: // Alternate: turn at End
                pos_ = std::max(loop_, end_ - (pos_ - end_));
                direction_ = -1;
                break;
            default: finished_ = true; break;
            }
        } else if (direction_ < 0 && pos_ < (mode_ == 1 ? loop_ : start_)) {
            if (mode_ == 1) { // turn at Loop
                pos_ = std::min(end_, loop_ + (loop_ - pos_));
                direction_ = 1;
            } else {
                finished_ = true;
            }
        }
    }
    return n;
}

std::vector<std::int16_t> SignedSamples(std::span<const std::uint16_t> words) {
    std::vector<std::int16_t> out(words.size());
    std::transform(words.begin(), words.end(), out.begin(), [](std::uint16_t w) { return static_cast<std::int16_t>(w); });
    return out;
}

PlayRegion RegionOf(std::int64_t start, std::int64_t loop, std::int64_t end, int loopModeByte) {
    return {start, loop, end, loopModeByte >= 0 && loopModeByte <= 3 ? loopModeByte : 0};
}

PlayBlock WhyNoPlay(const PlayConditions& c) {
    if (!c.toneSelected) return PlayBlock::NoTone;
    if (c.soundOff) return PlayBlock::SoundOff;
    if (!c.haveDevice) return PlayBlock::NoDevice;
    if (!c.waveInImage) return PlayBlock::NoWave;
    return PlayBlock::None;
}

std::string_view PlayBlockText(PlayBlock b) {
    switch (b) {
    case PlayBlock::NoTone: return "Select a tone to play it.";
    case PlayBlock::SoundOff: return "Sound is switched off (\"No Sound\" in the preferences).";
    case PlayBlock::NoDevice: return "This system has no sound output device.";
    case PlayBlock::NoWave: return "Can't play. ROM wave is not available.";
    case PlayBlock::None: break;
    }
    return {};
}

} // namespace veldin::tone
