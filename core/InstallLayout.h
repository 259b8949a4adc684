#pragma once
// Where an installation keeps its parts. Two layouts exist:
//
//   portable  one folder the user owns (build/bin, an unpacked archive): programs,
//             module libraries, templates and help lie side by side, and that folder is
//             the main directory, as it always was.
//   system    a prefix (/usr, /opt/veldin, ~/.local): programs in <prefix>/bin, module
//             libraries and the update client in <prefix>/lib/veldin, templates,
//             default.ston and help in <prefix>/share/veldin. The prefix is not the
//             user's to write, so the main directory (session files, "Diskimages",
//             "Tones", logs ...) is the user's data folder instead.
//
// Every program finds the rest from its own folder, so one tree works wherever it lies.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace veldin {

enum class InstallKind { Portable, System };

struct InstallLayout {
    InstallKind kind = InstallKind::Portable;
    std::filesystem::path programDir; // veldin, veldin-cli
    std::filesystem::path moduleDir;  // lib<Module>.so, the update client
    std::filesystem::path dataDir;    // templates "*.dat", "default.ston"
    std::filesystem::path helpDir;    // the help pages and their pictures
};

// The layout around `dir`, the folder of the running program: <prefix>/bin or
// <prefix>/lib/veldin with <prefix>/lib/veldin and <prefix>/share/veldin beside it is a
// system installation; anything else is portable.
InstallLayout LayoutAround(const std::filesystem::path& dir);

// The layout of the program that runs (from the executable's own location).
const InstallLayout& RunningLayout();

// The user's data folder: $XDG_DATA_HOME/Brannick/VELDIN, or ~/.local/share/Brannick/VELDIN
// (what Qt calls the application data location). `env` reads an environment variable.
std::filesystem::path UserDataDirectory(const std::function<std::string(const char*)>& env);

// The first-run main directory: the installation folder of a portable layout, the user's
// data folder of a system one.
std::filesystem::path DefaultMainDirectory(const InstallLayout& layout, const std::filesystem::path& userData);
// Of the running program, from the environment; a system installation's user data folder
// is created when it is missing.
std::filesystem::path DefaultMainDirectory();

// A data file (a template, "default.ston"): the main directory's copy wins, so that a user
// may put a better template (made from a real disk) there; then the installation's copy.
// When neither exists the main directory's path is returned, for the caller's message.
std::filesystem::path FindDataFile(const std::filesystem::path& mainDir, std::string_view name,
                                   const InstallLayout& layout);
std::filesystem::path FindDataFile(const std::filesystem::path& mainDir, std::string_view name);

// A help page ("veldin.html" ...): the main directory's copy, then the installation's help.
std::filesystem::path FindHelpPage(const std::filesystem::path& mainDir, std::string_view name,
                                   const InstallLayout& layout);
std::filesystem::path FindHelpPage(const std::filesystem::path& mainDir, std::string_view name);

} // namespace veldin
