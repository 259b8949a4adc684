#pragma once
// The rules of the dialog's "Settings" tab, without widgets: choosing a connection type
// or typing a proxy enables "Save Settings"; saving writes "Connect" and "Proxy" (the
// text of a 256-character buffer) and disables it again.

#include <string>

#include "core/Settings.h"
#include "update/Connection.h"

namespace veldin::update {

class ConnectionForm {
public:
    explicit ConnectionForm(ConnectionSettings stored) : edited_(std::move(stored)) {}

    void choose(ConnectionType type);
    void typeProxy(std::string text);
    bool canSave() const { return changed_; }
    const ConnectionSettings& edited() const { return edited_; }
    // Writes both values; "Save Settings" stays enabled when they could not be written.
    bool save(SettingsStore& store);

private:
    ConnectionSettings edited_;
    bool changed_ = false;
};

// Idle or busy: a Start while an update runs does nothing.
class RunGate {
public:
    bool tryStart() {
        if (busy_) return false;
        busy_ = true;
        return true;
    }
    void finished() { busy_ = false; }
    bool busy() const { return busy_; }

private:
    bool busy_ = false;
};

} // namespace veldin::update
