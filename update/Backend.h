#pragma once
// Everything an update run reaches outside plain C++, handed to the command-line tool by
// the program that links the networking code.

#include <filesystem>
#include <memory>
#include <vector>

#include "core/Settings.h"
#include "update/Connection.h"
#include "update/Interfaces.h"

namespace veldin::update {

struct DownloadOptions {
    std::vector<std::filesystem::path> caCertificates; // trusted in addition to the system's
};

class UpdateBackend {
public:
    virtual ~UpdateBackend() = default;
    virtual SettingsStore& settings() = 0;
    virtual DesktopShell& shell() = 0;
    virtual std::unique_ptr<Downloader> downloader(const ConnectionSettings& connection,
                                                   const DownloadOptions& options) = 0;
    virtual std::unique_ptr<LauncherControl> launcher(const std::filesystem::path& installDir) = 0;
};

} // namespace veldin::update
