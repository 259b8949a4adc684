#pragma once
// The table of sampler disk kinds and the classification of an image by its first sector.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace veldin {

struct DiskDefinition {
    // Bytes 0-3 must equal image bytes 4-7, bytes 4-7 must equal image bytes 12-15.
    std::array<std::uint8_t, 8> key{};
    std::string_view samplerName;
    std::string_view kindName;
    std::int32_t memoSector = -1; // -1: no memo; 0 and 7 select the line memo, others the sound memo
    bool hasSounds = false;
    bool hasSongs = false;
    bool isSystem = false;
    std::uint32_t patchCount = 0;
    std::uint32_t toneCount2 = 0;
    std::uint32_t toneCount = 0;
    std::uint32_t songSlots = 0;
    std::uint32_t songAreaKb = 0;
    std::int32_t patchSector = -1;
    std::int32_t toneSector2 = -1;
    std::int32_t toneSector = -1;
    std::string_view extension; // empty for the fallback row

    // The fallback row ("Unknown") has a key whose first four bytes are zero.
    bool isFallback() const { return key[0] == 0 && key[1] == 0 && key[2] == 0 && key[3] == 0; }
    std::string_view family() const { return {reinterpret_cast<const char*>(key.data()), 4}; }

    friend bool operator==(const DiskDefinition&, const DiskDefinition&) = default;
};

// The seven rows in the order they are tried.
std::span<const DiskDefinition> DefinitionTable();
const DiskDefinition& FallbackDefinition();

// Classifies by image bytes 4-7 and 12-15 of the header (the first 112 bytes of an
// image, or sector 0 of a floppy). Nothing else is examined; a header shorter than 16
// bytes, or one that matches no row, yields the fallback row.
DiskDefinition ClassifyImage(std::span<const std::uint8_t> header);

} // namespace veldin
