#pragma once
// A W-30 song as a Standard MIDI File of format 1 at 96 ticks per quarter note: the
// conductor track from the header, measure and tempo blocks, one track per track block.
// Two passes run the same code: the first only measures, the second writes into one
// buffer of exactly that size.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/DiskDefinition.h"
#include "core/ModuleSettings.h"
#include "core/Result.h"
#include "core/UserInteraction.h"
#include "midi/SongImage.h"

namespace veldin::midi {

// The "MIDI Track Name" preference.
enum class TrackNameSource : std::uint8_t { Track = 0, Patch = 1, TrackAndPatch = 2 };

struct SongToMidiOptions {
    TrackNameSource trackNames = TrackNameSource::Track;
    // The name of a patch of the open disk; empty unless the disk is a "Sound & Song" disk.
    std::function<std::optional<std::string>(int patch)> patchName;
    // Folder of "ConversionLog-Song2MIDI.txt"; no log without one.
    std::optional<std::filesystem::path> logDir;
};

// The options as the MIDI Editor's preferences set them ("MIDI Track Name"; a value out of
// range counts as "Track"). Patch names and the log folder are the caller's.
SongToMidiOptions SongToMidiOptionsFrom(const MidiEditorSettings& settings);

// The patch names of a W-30 "Sound & Song" disk (12 characters of the 256-byte record at
// FC00h + 256 x patch); an empty function for every other disk kind.
std::function<std::optional<std::string>(int)> PatchNamesOf(const SongImage& image, const DiskDefinition& definition);

Result<std::vector<std::uint8_t>> song_to_midi(std::span<const std::uint8_t> song, UserInteraction& ui,
                                             const SongToMidiOptions& options);

// The title of the message box that shows a failure of the conversion.
std::string_view SongToMidiTitle(const Failure& failure);

// 60,000,000 / BPM to the nearest integer, ties to even, kept within the 24 bits of a
// tempo event; a tempo below 1 BPM counts as the slowest.
std::uint32_t MicrosecondsPerQuarter(std::int64_t bpm);

} // namespace veldin::midi
