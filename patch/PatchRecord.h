#pragma once
// The 256-byte patch record and the 32-bit reference by which the Patch Editor names a
// patch item.
//
//   0 patchName[12]  12 benderRange  13 -  14 atSense  15 keyMode  16 vswThreshold
//  17 keyMap1[109] (tone number per key, first layer)  126 keyMap2[109] (second layer)
// 235 -[2]  237 patchLevel (0 marks an empty position)  238 -  239 uniDetune
// 240 vmixRatio  241 atAssign  242 keyAssign  243 patchOutput  244 -[12]
// Bytes marked "-" mean nothing to us and travel untouched: the record is its raw bytes.
//
// A key-map byte below 128 names a tone: 0-31 the record at that position of the tone
// area, 32 and above the record at (value - 32) of the second tone area (W-30).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Geometry.h"

namespace veldin::patch {

using PatchBytes = std::array<std::uint8_t, kPatchRecordSize>;

inline constexpr std::size_t kNameLength = 12;
inline constexpr std::size_t kKeyCount = 109;
inline constexpr std::size_t kKeyMap1 = 17;
inline constexpr std::size_t kKeyMap2 = 126;
inline constexpr std::uint8_t kFirstNoTone = 128;
inline constexpr int kSecondAreaBase = 32;

class PatchRecord {
public:
    PatchRecord() = default;
    explicit PatchRecord(const PatchBytes& bytes) : b_(bytes) {}
    // The first 256 bytes of `bytes`; missing bytes stay zero.
    static PatchRecord FromBytes(std::span<const std::uint8_t> bytes);

    const PatchBytes& bytes() const { return b_; }
    PatchBytes& bytes() { return b_; }

    std::string rawName() const { return std::string(b_.begin(), b_.begin() + kNameLength); }
    std::string displayName() const; // zero bytes as blanks
    // Up to 12 characters, the rest filled with zero bytes.
    void setName(std::string_view name);

    std::uint8_t benderRange() const { return b_[12]; }
    std::uint8_t atSense() const { return b_[14]; }
    std::uint8_t keyMode() const { return b_[15]; }
    std::uint8_t vswThreshold() const { return b_[16]; }
    std::span<const std::uint8_t, kKeyCount> keyMap1() const { return std::span<const std::uint8_t, kKeyCount>(b_.data() + kKeyMap1, kKeyCount); }
    std::span<const std::uint8_t, kKeyCount> keyMap2() const { return std::span<const std::uint8_t, kKeyCount>(b_.data() + kKeyMap2, kKeyCount); }
    std::span<std::uint8_t, kKeyCount> keyMap1() { return std::span<std::uint8_t, kKeyCount>(b_.data() + kKeyMap1, kKeyCount); }
    std::span<std::uint8_t, kKeyCount> keyMap2() { return std::span<std::uint8_t, kKeyCount>(b_.data() + kKeyMap2, kKeyCount); }
    std::uint8_t patchLevel() const { return b_[237]; }
    std::uint8_t uniDetune() const { return b_[239]; }
    std::uint8_t vmixRatio() const { return b_[240]; }
    std::uint8_t atAssign() const { return b_[241]; }
    std::uint8_t keyAssign() const { return b_[242]; }
    std::uint8_t patchOutput() const { return b_[243]; }

    void setByte(std::size_t offset, std::uint8_t v) { b_[offset] = v; }
    void setPatchLevel(std::uint8_t v) { b_[237] = v; }
    void setKeyMode(std::uint8_t v) { b_[15] = v; }

    // Present: the key maps name at least one tone and the level is not 0.
    bool isPresent() const;
    // The distinct tone numbers of keyMap1 in key order, then those of keyMap2 not yet
    // seen, in order of first appearance.
    std::vector<std::uint8_t> tones() const;

    friend bool operator==(const PatchRecord&, const PatchRecord&) = default;

private:
    PatchBytes b_{};
};

// bits 24-31 position k, 16-23 FFh (a patch), 0-15 k x 256 (offset in the patch area).
// The root item carries -1; a tone item under a patch carries its tone number (bits
// 16-23 are 0).
struct PatchRef {
    std::uint32_t value = kNone;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    static PatchRef Patch(int position) {
        const auto k = static_cast<std::uint32_t>(position);
        return PatchRef{(k << 24) | 0x00FF0000u | ((k * kPatchRecordSize) & 0xFFFFu)};
    }
    static PatchRef Tone(std::uint8_t number) { return PatchRef{number}; }

    bool isRoot() const { return value == kNone; }
    bool isPatch() const { return !isRoot() && ((value >> 16) & 0xFF) == 0xFF; }
    bool isTone() const { return !isRoot() && ((value >> 16) & 0xFF) == 0; }
    int position() const { return static_cast<int>(value >> 24); }
    std::uint32_t offset() const { return value & 0xFFFF; }
    std::uint8_t toneNumber() const { return static_cast<std::uint8_t>(value); }

    friend bool operator==(const PatchRef&, const PatchRef&) = default;
};

inline constexpr PatchRef kRootRef{};

} // namespace veldin::patch
