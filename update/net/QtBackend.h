#pragma once
// The update backend of the real programs: the user's settings, the desktop, Qt Network
// downloads and the launcher's local socket.

#include <memory>

#include "update/Backend.h"

namespace veldin::update {

std::unique_ptr<UpdateBackend> MakeQtBackend();

// Opens a file with the desktop's program for it (xdg-open, open, or start).
class ProcessDesktopShell final : public DesktopShell {
public:
    bool open(const std::filesystem::path& file) override;
};

} // namespace veldin::update
