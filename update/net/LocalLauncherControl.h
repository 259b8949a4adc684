#pragma once
// The launcher of an installation, reached through its single-instance local socket.

#include <filesystem>
#include <string>

#include "update/Interfaces.h"

namespace veldin::update {

class LocalLauncherControl final : public LauncherControl {
public:
    explicit LocalLauncherControl(const std::filesystem::path& installDir);
    bool running() override;
    bool requestClose() override;
    bool waitForExit(std::chrono::milliseconds timeout) override;
    bool terminate() override;

private:
    std::string name_;
    long long pid_ = 0; // told by the launcher when asked to close
};

} // namespace veldin::update
