#pragma once
// Starting the update client's window: the installation from "Main Path" (or --dir), the
// connection settings (written back with their defaults when missing), a running
// launcher of the installation closed with the user's consent.

#include <filesystem>
#include <optional>

#include "core/Settings.h"
#include "core/UserInteraction.h"
#include "update/Connection.h"
#include "update/Interfaces.h"

namespace veldin::update {

struct ClientStart {
    std::filesystem::path installDir;
    ConnectionSettings connection;
};

// nullopt when the client must end: the installation is missing (after the fixed
// message) or the user would not let the launcher close.
std::optional<ClientStart> PrepareClient(SettingsStore& store, UserInteraction& ui, LauncherControl& launcher,
                                         std::optional<std::filesystem::path> installDir);

// Message boxes with the fixed texts, their titles and icons.
class MessageBoxUi final : public UserInteraction {
public:
    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;
};

// The `update` program: the window, or the terminal with --console.
int UpdateProgramMain(int argc, char** argv);

} // namespace veldin::update
