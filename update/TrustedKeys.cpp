#include "update/TrustedKeys.h"

#include "update/UpdateMessages.h"

#ifndef VELDIN_UPDATE_PUBLIC_KEY
#error "VELDIN_UPDATE_PUBLIC_KEY: the publisher's Ed25519 public key, 64 hex digits"
#endif

namespace veldin::update {

PublicKey BuiltInUpdateKey() {
    static const PublicKey key = [] {
        auto k = ParsePublicKey(VELDIN_UPDATE_PUBLIC_KEY);
        return k ? *k : PublicKey{};
    }();
    return key;
}

std::vector<PublicKey> TrustedKeys(SettingsStore& store, UserInteraction& ui) {
    std::vector<PublicKey> keys{BuiltInUpdateKey()};
    const auto listed = store.read("", "Update Keys", RegType::Sz);
    if (!listed) return keys;
    const auto parsed = ParseKeyList({reinterpret_cast<const char*>(listed->data()), listed->size()});
    if (!parsed) {
        ui.message(text::kBadTrustedKeys, text::kTitle, Icon::Warning);
        return keys;
    }
    keys.insert(keys.end(), parsed->begin(), parsed->end());
    return keys;
}

} // namespace veldin::update
