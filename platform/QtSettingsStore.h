#pragma once
// The settings store on QSettings: native format, organisation "Brannick", application
// "VELDIN" (on Windows that is the registry key itself, on Linux
// ~/.config/Brannick/VELDIN.conf). Module subkeys become groups of the same name.
// REG_SZ is a string, REG_DWORD a 32-bit number, REG_BINARY a byte array.

#include <memory>
#include <string>

#include "core/Settings.h"

class QSettings;

namespace veldin {

class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore(); // the user's settings, or the file named by VELDIN_SETTINGS
    explicit QtSettingsStore(const std::string& iniFile); // a file of its own (tests, portable use)
    ~QtSettingsStore() override;

    bool keyExists(std::string_view subkey) override;
    bool createKey(std::string_view subkey) override;
    std::optional<std::vector<std::uint8_t>> read(std::string_view subkey, std::string_view name,
                                                  RegType type) override;
    bool write(std::string_view subkey, std::string_view name, RegType type,
               std::span<const std::uint8_t> bytes) override;
    bool sync(); // flushes to storage; false when it could not be written

    std::string location() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace veldin
