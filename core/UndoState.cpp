#include "core/UndoState.h"

#include <algorithm>
#include <string>

#include "core/Bytes.h"

namespace veldin {
namespace {

// The stored undo state, 536 bytes, numbers little-endian:
//
//   offset  size  field
//        0     4  working copy handle   (a handle of the storing process; never used again)
//        4     4  session file handle   (likewise)
//        8   260  session file path     bytes of the path, closed by 00h, zero-padded
//      268   260  temporary directory   likewise
//      528     4  current step
//      532     4  last step
constexpr std::size_t kWorkingCopyAt = 0;
constexpr std::size_t kSessionHandleAt = 4;
constexpr std::size_t kSessionPathAt = 8;
constexpr std::size_t kTempDirectoryAt = kSessionPathAt + kUndoStatePathField; // 268
constexpr std::size_t kCurrentStepAt = kTempDirectoryAt + kUndoStatePathField; // 528
constexpr std::size_t kLastStepAt = kCurrentStepAt + 4;                          // 532
static_assert(kLastStepAt + 4 == kUndoStateSize);

bool PutPath(const std::filesystem::path& path, std::span<std::uint8_t> field) {
    const std::string& s = path.native();
    if (s.size() >= field.size() || s.find('\0') != std::string::npos) return false;
    std::copy(s.begin(), s.end(), field.begin());
    return true; // the rest of the field is already zero
}

std::optional<std::filesystem::path> GetPath(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    if (end == field.end()) return std::nullopt;
    return std::filesystem::path(std::string(field.begin(), end));
}

} // namespace

std::optional<StoredUndoState> EncodeUndoState(const UndoState& state) {
    StoredUndoState out{};
    const std::span<std::uint8_t> b(out);
    WriteLe32(static_cast<std::uint32_t>(state.workingCopyHandle), b.subspan(kWorkingCopyAt, 4));
    WriteLe32(static_cast<std::uint32_t>(state.sessionHandle), b.subspan(kSessionHandleAt, 4));
    if (!PutPath(state.sessionPath, b.subspan(kSessionPathAt, kUndoStatePathField))) return std::nullopt;
    if (!PutPath(state.tempDirectory, b.subspan(kTempDirectoryAt, kUndoStatePathField))) return std::nullopt;
    WriteLe32(state.currentStep, b.subspan(kCurrentStepAt, 4));
    WriteLe32(state.lastStep, b.subspan(kLastStepAt, 4));
    return out;
}

std::optional<UndoState> DecodeUndoState(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kUndoStateSize) return std::nullopt;
    UndoState state;
    state.workingCopyHandle = static_cast<std::int32_t>(ReadLe32(bytes.subspan(kWorkingCopyAt, 4)));
    state.sessionHandle = static_cast<std::int32_t>(ReadLe32(bytes.subspan(kSessionHandleAt, 4)));
    auto session = GetPath(bytes.subspan(kSessionPathAt, kUndoStatePathField));
    auto temp = GetPath(bytes.subspan(kTempDirectoryAt, kUndoStatePathField));
    if (!session || !temp) return std::nullopt;
    state.sessionPath = std::move(*session);
    state.tempDirectory = std::move(*temp);
    state.currentStep = ReadLe32(bytes.subspan(kCurrentStepAt, 4));
    state.lastStep = ReadLe32(bytes.subspan(kLastStepAt, 4));
    return state;
}

} // namespace veldin
