#pragma once
// A Standard MIDI File of format 1 as a W-30 song: the first track is the conductor
// (song name, time signatures, tempi), each further track up to 16 becomes one song
// track. Absolute times are rescaled from the file's division to 96 ticks per quarter
// note, rounding to the nearest tick with ties to even.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ModuleSettings.h"
#include "core/Result.h"
#include "core/UserInteraction.h"

namespace veldin::midi {

// The "Roland Song Name" preference.
enum class SongNameSource : std::uint8_t { Filename = 0, Title = 1, Prompt = 2 };

// The song-name question: the text typed (up to 28 characters), or nullopt to keep the
// name proposed.
class SongNamePrompt {
public:
    virtual ~SongNamePrompt() = default;
    virtual std::optional<std::string> askSongName(std::string_view proposed) = 0;
};

struct MidiToSongOptions {
    SongNameSource songName = SongNameSource::Filename;
    std::string fileName;             // the file's name as chosen, with extension
    SongNamePrompt* prompt = nullptr; // asked when songName is Prompt
    std::optional<std::filesystem::path> logDir; // "midi2song.txt" when "Log conversion" is on
    std::function<void(std::string_view)> status; // the module's status line
    // write_song: stores the converted song (and reports its own outcome) while the log
    // is still open, between "--- invoke: write_song ---" and "--- exit: write_song ---".
    std::function<void(std::span<const std::uint8_t>)> store;
};

// The options as the MIDI Editor's preferences set them: "Roland Song Name" (a value out of
// range counts as "Filename") and, with "Log conversion" on, the log in `currentDir`.
MidiToSongOptions MidiToSongOptionsFrom(const MidiEditorSettings& settings, const std::filesystem::path& currentDir);

// midi2song: the song bytes (no Song ID yet), or the failure's fixed text. The warning
// about an unusual division goes to `ui` and the conversion goes on.
Result<std::vector<std::uint8_t>> midi2song(std::span<const std::uint8_t> midi, UserInteraction& ui,
                                            const MidiToSongOptions& options);

// An absolute time at the song's resolution: round(raw x 96 / division), ties to even.
std::uint64_t RescaleTime(std::uint64_t raw, std::uint16_t division);

struct W30TimeSignature {
    std::uint8_t beatTicks = 0;
    std::uint16_t measureTicks = 0;
    friend bool operator==(const W30TimeSignature&, const W30TimeSignature&) = default;
};
// MIDI numerator and denominator exponent in W-30 form; nullopt for an odd numerator
// over a note shorter than a sixteenth (and for a numerator of 0 or a measure that does
// not fit in 16 bits, which are left out).
enum class SignatureOutcome { Ok, Odd, Unusable };
SignatureOutcome ConvertTimeSignature(std::uint8_t numerator, std::uint8_t exponent, W30TimeSignature& out);

} // namespace veldin::midi
