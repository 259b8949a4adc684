#pragma once
// Where the update client stands: the installation directory ("Main Path" of the
// launcher) and the connection settings, all in the main settings key.
//
//   "Connect"  32-bit number: 0 "Auto" (direct), 1 "Via Modem" (the system's settings),
//              2 "Use Proxy" (the proxy the user typed)
//   "Proxy"    text, at most 256 characters: "host" or "host:port"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/Result.h"
#include "core/Settings.h"
#include "core/UserInteraction.h"

namespace veldin::update {

enum class ConnectionType : std::uint32_t { Direct = 0, System = 1, NamedProxy = 2 };

struct ConnectionSettings {
    ConnectionType type = ConnectionType::Direct;
    std::string proxy;
};

struct ProxyAddress {
    std::string host;
    std::uint16_t port = 80;
};

// The first 99 characters of the typed text, as "host" or "host:port", with an optional
// "http://" in front. nullopt when no host is left or the port is not a number 1..65535.
std::optional<ProxyAddress> ParseProxy(std::string_view text);

// "Main Path" with a separator at the end; fails with the not-installed text.
Result<std::filesystem::path> ReadInstallDir(SettingsStore& store);

// Reads "Connect" and "Proxy". When either is missing (or "Connect" is out of range) both
// become their defaults (direct, empty) and are written back.
ConnectionSettings LoadConnection(SettingsStore& store);
bool SaveConnection(SettingsStore& store, const ConnectionSettings& settings);

// The optional value "Update Server": the base URL used when none is given.
std::optional<std::string> ReadServerUrl(SettingsStore& store);

} // namespace veldin::update
