#include "update/ConnectionForm.h"

namespace veldin::update {

void ConnectionForm::choose(ConnectionType type) {
    edited_.type = type;
    changed_ = true;
}

void ConnectionForm::typeProxy(std::string text) {
    edited_.proxy = std::move(text);
    changed_ = true;
}

bool ConnectionForm::save(SettingsStore& store) {
    edited_.proxy = edited_.proxy.substr(0, 255); // the text of a 256-character buffer
    if (!SaveConnection(store, edited_)) return false;
    changed_ = false;
    return true;
}

} // namespace veldin::update
