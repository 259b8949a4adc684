#pragma once
// The 128-byte tone parameter record and the 32-bit reference by which every tone
// operation names a tone.
//
//   0 name[8]  8 output  9 sourceTone  10 isSubtone  11 rateShift  12 origKey
//  13 waveBank  14 segmentTop  15 segmentCount (0 = free position)
//  16 startPoint  19 endPoint  22 loopPoint (24-bit big-endian sample indices)
//  25 loopMode  26 tvaLfoDepth  28 lfoRate  29 lfoSync  30 lfoDelay  32 lfoMode
//  33 oscLfoDepth  34 lfoPolarity  35 lfoOffset  36 pitchShift  37 fineTune
//  38 tvfCutoff  39 tvfResonance  40 tvfKeyFollow  42 tvfLfoDepth  43 tvfEgDepth
//  44 tvfEgPolarity  45 tvfLevelCurve  46 tvfKeyRate  47 tvfVelRate  49 tvfSwitch
//  50 benderSwitch  51 tvaEnvelope[18]  70 tvaKeyRate  71 volume  72 tvaVelRate
//  88 loopTune  89 tvaLevelCurve  102 loopLength (24-bit BE)  105 pitchFollow
// 107 tvfEnvelope[18]  125 aftertouchSwitch
// Bytes 27, 31, 41, 48, 69, 73-87, 90-101, 106, 126-127 mean nothing to us and are
// carried along untouched: the record is kept as its raw bytes.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/Bytes.h"
#include "core/Geometry.h"

namespace veldin::tone {

using RecordBytes = std::array<std::uint8_t, kToneRecordSize>;

class ToneRecord {
public:
    ToneRecord() = default;
    explicit ToneRecord(const RecordBytes& bytes) : b_(bytes) {}
    // The first 128 bytes of `bytes`; missing bytes stay zero.
    static ToneRecord FromBytes(std::span<const std::uint8_t> bytes);

    const RecordBytes& bytes() const { return b_; }
    RecordBytes& bytes() { return b_; }

    // The name field as stored (8 bytes, zero bytes included) and as shown (zero bytes
    // as blanks).
    std::string rawName() const { return std::string(b_.begin(), b_.begin() + 8); }
    std::string displayName() const;
    // Up to 8 characters, the rest filled with zero bytes.
    void setName(std::string_view name);

    std::uint8_t output() const { return b_[8]; }
    std::uint8_t sourceTone() const { return b_[9]; }
    std::uint8_t isSubtone() const { return b_[10]; }
    std::uint8_t rateShift() const { return b_[11]; }
    std::uint8_t origKey() const { return b_[12]; }
    std::uint8_t waveBank() const { return b_[13]; }
    std::uint8_t segmentTop() const { return b_[14]; }
    std::uint8_t segmentCount() const { return b_[15]; }
    std::uint32_t startPoint() const { return Be24(16); }
    std::uint32_t endPoint() const { return Be24(19); }
    std::uint32_t loopPoint() const { return Be24(22); }
    std::uint8_t loopMode() const { return b_[25]; }
    std::uint8_t tvaLfoDepth() const { return b_[26]; }
    std::uint8_t lfoRate() const { return b_[28]; }
    std::uint8_t lfoSync() const { return b_[29]; }
    std::uint8_t lfoDelay() const { return b_[30]; }
    std::uint8_t lfoMode() const { return b_[32]; }
    std::uint8_t oscLfoDepth() const { return b_[33]; }
    std::uint8_t lfoPolarity() const { return b_[34]; }
    std::int8_t lfoOffset() const { return Signed(35); }
    std::int8_t pitchShift() const { return Signed(36); }
    std::int8_t fineTune() const { return Signed(37); }
    std::uint8_t tvfCutoff() const { return b_[38]; }
    std::uint8_t tvfResonance() const { return b_[39]; }
    std::int8_t tvfKeyFollow() const { return Signed(40); }
    std::uint8_t tvfLfoDepth() const { return b_[42]; }
    std::uint8_t tvfEgDepth() const { return b_[43]; }
    std::uint8_t tvfEgPolarity() const { return b_[44]; }
    std::uint8_t tvfLevelCurve() const { return b_[45]; }
    std::uint8_t tvfKeyRate() const { return b_[46]; }
    std::uint8_t tvfVelRate() const { return b_[47]; }
    std::uint8_t tvfSwitch() const { return b_[49]; }
    std::uint8_t benderSwitch() const { return b_[50]; }
    std::span<const std::uint8_t, 18> tvaEnvelope() const { return std::span<const std::uint8_t, 18>(b_.data() + 51, 18); }
    std::uint8_t tvaKeyRate() const { return b_[70]; }
    std::uint8_t volume() const { return b_[71]; }
    std::uint8_t tvaVelRate() const { return b_[72]; }
    std::int8_t loopTune() const { return Signed(88); }
    std::uint8_t tvaLevelCurve() const { return b_[89]; }
    std::uint32_t loopLength() const { return Be24(102); }
    std::uint8_t pitchFollow() const { return b_[105]; }
    std::span<const std::uint8_t, 18> tvfEnvelope() const { return std::span<const std::uint8_t, 18>(b_.data() + 107, 18); }
    std::uint8_t aftertouchSwitch() const { return b_[125]; }

    void setOutput(std::uint8_t v) { b_[8] = v; }
    void setSourceTone(std::uint8_t v) { b_[9] = v; }
    void setIsSubtone(std::uint8_t v) { b_[10] = v; }
    void setRateShift(std::uint8_t v) { b_[11] = v; }
    void setOrigKey(std::uint8_t v) { b_[12] = v; }
    void setWaveBank(std::uint8_t v) { b_[13] = v; }
    void setSegmentTop(std::uint8_t v) { b_[14] = v; }
    void setSegmentCount(std::uint8_t v) { b_[15] = v; }
    void setStartPoint(std::uint32_t v) { SetBe24(16, v); }
    void setEndPoint(std::uint32_t v) { SetBe24(19, v); }
    void setLoopPoint(std::uint32_t v) { SetBe24(22, v); }
    void setLoopMode(std::uint8_t v) { b_[25] = v; }
    void setLoopLength(std::uint32_t v) { SetBe24(102, v); }
    void setVolume(std::uint8_t v) { b_[71] = v; }
    // Any single byte by offset, for the parameter table (ToneFields.h).
    void setByte(std::size_t offset, std::uint8_t v) { b_[offset] = v; }

    bool isUsed() const { return segmentCount() != 0; }
    // Sampling rate: 30000 >> (rateShift mod 32).
    int rate() const { return 30000 >> (rateShift() % 32); }

    friend bool operator==(const ToneRecord&, const ToneRecord&) = default;

private:
    std::uint32_t Be24(std::size_t at) const { return ReadBe24(std::span(b_).subspan(at, 3)); }
    void SetBe24(std::size_t at, std::uint32_t v) { WriteBe24(v, std::span(b_).subspan(at, 3)); }
    std::int8_t Signed(std::size_t at) const { return static_cast<std::int8_t>(b_[at]); }

    RecordBytes b_{};
};

// Which tone area a record lives in: the tone area ("RAM") or the second tone area of
// W-30 disks ("ROM"). The numbers are those of bits 16-23 of a ToneRef.
enum class Area : std::uint8_t { Rom = 0, Ram = 1 };

// bits 24-31 tone number, 16-23 area (1 RAM, 0 ROM), 0-15 position x 128.
// Group items and "nothing selected" carry -1 (all bits set).
struct ToneRef {
    std::uint32_t value = kNone;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    static ToneRef Make(std::uint8_t number, Area area, int position) {
        return ToneRef{(static_cast<std::uint32_t>(number) << 24) | (static_cast<std::uint32_t>(area) << 16) |
                       (static_cast<std::uint32_t>(position) * kToneRecordSize)};
    }
    bool isTone() const { return value != kNone; }
    std::uint8_t number() const { return static_cast<std::uint8_t>(value >> 24); }
    // Any non-zero area byte names the tone area.
    Area area() const { return ((value >> 16) & 0xFF) != 0 ? Area::Ram : Area::Rom; }
    std::uint32_t offset() const { return value & 0xFFFF; }
    int position() const { return static_cast<int>(offset() / kToneRecordSize); }
    ToneRef withPosition(int position) const {
        return ToneRef{(value & 0xFFFF0000u) | (static_cast<std::uint32_t>(position) * kToneRecordSize)};
    }

    friend bool operator==(const ToneRef&, const ToneRef&) = default;
};

inline constexpr ToneRef kNoTone{};

} // namespace veldin::tone
