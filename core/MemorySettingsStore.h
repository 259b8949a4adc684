#pragma once
// A settings store held in memory: for tests, and for tools that must not touch the
// user's settings. Values keep their type; reading with another type fails, as a
// registry read of a mismatched value does. Single values can be made unreadable or
// unwritable to exercise the failure paths.

#include <map>
#include <set>
#include <string>

#include "core/Settings.h"

namespace veldin {

class MemorySettingsStore final : public SettingsStore {
public:
    struct Value {
        RegType type;
        std::vector<std::uint8_t> bytes;
    };

    bool keyExists(std::string_view subkey) override { return keys_.count(std::string(subkey)) != 0; }
    bool createKey(std::string_view subkey) override {
        keys_.insert(std::string(subkey));
        return true;
    }
    std::optional<std::vector<std::uint8_t>> read(std::string_view subkey, std::string_view name,
                                                  RegType type) override {
        if (!keyExists(subkey) || broken_.count(Id(subkey, name))) return std::nullopt;
        auto it = values_.find(Id(subkey, name));
        if (it == values_.end() || it->second.type != type) return std::nullopt;
        return it->second.bytes;
    }
    bool write(std::string_view subkey, std::string_view name, RegType type,
               std::span<const std::uint8_t> bytes) override {
        if (readOnly_.count(Id(subkey, name))) return false;
        keys_.insert(std::string(subkey));
        values_[Id(subkey, name)] = Value{type, {bytes.begin(), bytes.end()}};
        return true;
    }

    const Value* find(std::string_view subkey, std::string_view name) const {
        auto it = values_.find(Id(subkey, name));
        return it == values_.end() ? nullptr : &it->second;
    }
    void erase(std::string_view subkey, std::string_view name) { values_.erase(Id(subkey, name)); }
    void makeUnreadable(std::string_view subkey, std::string_view name) { broken_.insert(Id(subkey, name)); }
    void makeUnwritable(std::string_view subkey, std::string_view name) { readOnly_.insert(Id(subkey, name)); }
    std::size_t valueCount() const { return values_.size(); }

    void writeText(std::string_view subkey, std::string_view name, std::string_view text) {
        write(subkey, name, RegType::Sz, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    void writeDword(std::string_view subkey, std::string_view name, std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        write(subkey, name, RegType::Dword, b);
    }

private:
    static std::string Id(std::string_view subkey, std::string_view name) {
        return std::string(subkey) + '\x1f' + std::string(name);
    }
    std::set<std::string> keys_;
    std::map<std::string, Value> values_;
    std::set<std::string> broken_;
    std::set<std::string> readOnly_;
};

} // namespace veldin
