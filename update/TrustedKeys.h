#pragma once
// The keys whose signatures the update client accepts: the publisher's key, built in at
// compile time (VELDIN_UPDATE_PUBLIC_KEY), and the keys that the setting "Update Keys"
// lists (64 hex digits each, separated by blanks or commas) for people who publish
// updates from a server of their own.

#include <vector>

#include "core/Settings.h"
#include "core/UserInteraction.h"
#include "update/Signing.h"

namespace veldin::update {

PublicKey BuiltInUpdateKey();

// The built-in key and the listed ones. A setting that is not such a list is ignored,
// with a warning through `ui`.
std::vector<PublicKey> TrustedKeys(SettingsStore& store, UserInteraction& ui);

} // namespace veldin::update
