#include "core/InstallLayout.h"

#include <cstdlib>
#include <system_error>

#include "platform/os/FileOps.h"

namespace veldin {

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool IsPrefix(const fs::path& prefix) {
    return IsDirectory(prefix / "lib" / "veldin") && IsDirectory(prefix / "share" / "veldin");
}

// The user's own copy first, then the installation's; the user's path when neither exists.
fs::path FirstOf(const fs::path& own, const fs::path& shipped) {
    if (IsFile(own)) return own;
    if (IsFile(shipped)) return shipped;
    return own;
}

} // namespace

InstallLayout LayoutAround(const fs::path& dir) {
    const fs::path d = dir.lexically_normal();
    // "/usr/bin/" normalises to "/usr/bin/" with an empty file name.
    const fs::path folder = d.has_filename() ? d : d.parent_path();
    fs::path prefix;
    if (folder.filename() == "bin") prefix = folder.parent_path();
    else if (folder.filename() == "veldin" && folder.parent_path().filename() == "lib")
        prefix = folder.parent_path().parent_path();
    if (!prefix.empty() && IsPrefix(prefix)) {
        return InstallLayout{InstallKind::System, prefix / "bin", prefix / "lib" / "veldin",
                             prefix / "share" / "veldin", prefix / "share" / "veldin" / "help"};
    }
    return InstallLayout{InstallKind::Portable, folder, folder, folder, folder};
}

const InstallLayout& RunningLayout() {
    static const InstallLayout layout = LayoutAround(os::SystemFileOps().executableDirectory());
    return layout;
}

fs::path UserDataDirectory(const std::function<std::string(const char*)>& env) {
    const std::string xdg = env("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    fs::path base = !xdg.empty() && fs::path(xdg).is_absolute() ? fs::path(xdg) : fs::path(env("HOME")) / ".local" / "share";
    return base / "Brannick" / "VELDIN";
}

fs::path DefaultMainDirectory(const InstallLayout& layout, const fs::path& userData) {
    return layout.kind == InstallKind::System ? userData : layout.programDir;
}

fs::path DefaultMainDirectory() {
    const fs::path dir = DefaultMainDirectory(RunningLayout(), UserDataDirectory([](const char* name) {
        const char* v = std::getenv(name);
        return std::string(v ? v : "");
    }));
    // A new user's data folder does not exist yet; session files need it.
    std::error_code ec;
    if (RunningLayout().kind == InstallKind::System) fs::create_directories(dir, ec);
    return dir;
}

fs::path FindDataFile(const fs::path& mainDir, std::string_view name, const InstallLayout& layout) {
    return FirstOf(mainDir / name, layout.dataDir / name);
}

fs::path FindDataFile(const fs::path& mainDir, std::string_view name) {
    return FindDataFile(mainDir, name, RunningLayout());
}

fs::path FindHelpPage(const fs::path& mainDir, std::string_view name, const InstallLayout& layout) {
    return FirstOf(mainDir / name, layout.helpDir / name);
}

fs::path FindHelpPage(const fs::path& mainDir, std::string_view name) {
    return FindHelpPage(mainDir, name, RunningLayout());
}

} // namespace veldin
