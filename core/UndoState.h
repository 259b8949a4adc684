#pragma once
// The undo state of one document and its stored form, the 536 bytes that a session file
// holds so that a later start can clean up after a process that ended without closing.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace veldin {

struct UndoState {
    std::int32_t workingCopyHandle = -1; // meaningful only inside the process that stored it
    std::int32_t sessionHandle = -1;
    std::filesystem::path sessionPath;   // "VDN??????.tmp" in the main directory
    std::filesystem::path tempDirectory; // "<temporary folder>/veldin.%08x"
    std::uint32_t currentStep = 0;       // last applied step, 0 = unchanged since open or save
    std::uint32_t lastStep = 0;          // highest step that redo may reach

    friend bool operator==(const UndoState&, const UndoState&) = default;
};

inline constexpr std::size_t kUndoStateSize = 536;
inline constexpr std::size_t kUndoStatePathField = 260; // room for 259 bytes and the closing zero

using StoredUndoState = std::array<std::uint8_t, kUndoStateSize>;

// Fails when a path does not fit its field (or holds a zero byte).
std::optional<StoredUndoState> EncodeUndoState(const UndoState& state);

// Fails unless `bytes` is exactly 536 bytes long and each path field is closed by a zero.
std::optional<UndoState> DecodeUndoState(std::span<const std::uint8_t> bytes);

} // namespace veldin
