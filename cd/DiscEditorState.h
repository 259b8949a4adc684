#pragma once
// What the Disc Editor's main dialog decides without showing anything: which drive of the
// list is selected and whether Apply and Export can be used, the choice that Apply stores,
// and reads that a person can cancel between two chunks of blocks.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cd/DiscSource.h"
#include "core/ModuleSettings.h"

namespace veldin::cd {

// "Host" and "Target" hold -1 (as a 32-bit value) until a drive was chosen with Apply.
inline constexpr std::uint32_t kNoDrive = 0xFFFFFFFFu;

bool DriveChosen(const DiscEditorSettings& s);
// Marks "no drive chosen yet" before the settings are read over it.
void ResetDriveChoice(DiscEditorSettings& s);
// The drive the user applied: "Name" becomes its text, "Host" and "Target" 0.
void ApplyDrive(DiscEditorSettings& s, std::string_view name);

struct DriveListState {
    int selected = -1; // index into the list; -1 for an empty list
    bool applyEnabled = true;
    bool exportEnabled = false;
};
// The drive named by "Name" is selected and Apply stays as the settings leave it; a list
// without it selects its first entry and asks for Apply again.
DriveListState PlaceDrives(const std::vector<std::string>& drives, const DiscEditorSettings& s);

// A source whose reads fail once cancel() was called; the area read in progress ends
// after the chunk it is in, and whatever was being written is left out.
class CancellableDisc final : public DiscSource {
public:
    explicit CancellableDisc(DiscSource& inner) : inner_(inner) {}
    std::uint64_t blockCount() override { return inner_.blockCount(); }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override;
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    DiscSource& inner_;
    std::atomic<bool> cancelled_{false};
};

} // namespace veldin::cd
