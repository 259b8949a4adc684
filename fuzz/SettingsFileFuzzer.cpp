// Settings files of any content. Properties checked: a file that parses names only the
// main key and its direct subkeys, and its numbers are 4 bytes; importing it into a store
// writes exactly the values parsed, the last of each name winning.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>

#include "core/MemorySettingsStore.h"
#include "update/SettingsFile.h"

namespace {

class Silent final : public veldin::UserInteraction {
public:
    void message(std::string_view, std::string_view, veldin::Icon) override {}
    veldin::Answer ask(std::string_view, std::string_view, veldin::Buttons, veldin::Icon) override {
        return veldin::Answer::No;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin;
    const std::span<const std::uint8_t> in(data, size);
    auto values = update::ParseSettingsFile(in);
    MemorySettingsStore store;
    Silent ui;
    const Status imported = update::ImportSettingsFile(in, store, ui);
    if (imported.ok() != values.ok()) std::abort();
    if (!values) {
        if (store.valueCount() != 0) std::abort();
        return 0;
    }
    std::map<std::pair<std::string, std::string>, const update::SettingValue*> last; // a later line wins
    for (const auto& v : *values) {
        if (v.subkey.find('\\') != std::string::npos || v.name.empty()) std::abort();
        if (v.type == RegType::Dword && v.bytes.size() != 4) std::abort();
        last[{v.subkey, v.name}] = &v;
    }
    for (const auto& [key, v] : last)
        if (store.read(v->subkey, v->name, v->type) != v->bytes) std::abort();
    return 0;
}
