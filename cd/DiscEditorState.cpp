#include "cd/DiscEditorState.h"

#include <span>

namespace veldin::cd {

bool DriveChosen(const DiscEditorSettings& s) { return s.host != kNoDrive && s.target != kNoDrive; }

void ResetDriveChoice(DiscEditorSettings& s) {
    s.host = kNoDrive;
    s.target = kNoDrive;
}

void ApplyDrive(DiscEditorSettings& s, std::string_view name) {
    SetFieldString(std::span<char>(s.name), name);
    s.host = 0;
    s.target = 0;
}

DriveListState PlaceDrives(const std::vector<std::string>& drives, const DiscEditorSettings& s) {
    DriveListState st;
    const bool chosen = DriveChosen(s);
    st.applyEnabled = !chosen;
    st.exportEnabled = chosen;
    const std::string name = FieldString(std::span<const char>(s.name));
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (drives[i] == name) {
            st.selected = static_cast<int>(i);
            return st;
        }
    st.applyEnabled = true;
    st.exportEnabled = false;
    st.selected = drives.empty() ? -1 : 0;
    return st;
}

Status CancellableDisc::readBlocks(std::uint64_t first, std::span<std::uint8_t> out) {
    // A cancelled read fails without a text: the person asked for it, nothing is shown.
    if (cancelled_) return Failure{"", Icon::Information};
    return inner_.readBlocks(first, out);
}

} // namespace veldin::cd
