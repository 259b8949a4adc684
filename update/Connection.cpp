#include "update/Connection.h"

#include <charconv>

#include "core/Bytes.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

constexpr std::size_t kProxyUsed = 99;
constexpr std::size_t kTextSize = 256;

std::optional<std::string> ReadText(SettingsStore& store, std::string_view name) {
    auto v = store.read("", name, RegType::Sz);
    if (!v || v->size() + 1 > kTextSize) return std::nullopt;
    return std::string(v->begin(), v->end());
}

std::span<const std::uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

} // namespace

std::optional<ProxyAddress> ParseProxy(std::string_view text) {
    text = text.substr(0, kProxyUsed);
    if (text.starts_with("http://")) text.remove_prefix(7);
    while (!text.empty() && (text.back() == '/' || text.back() == ' ')) text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    ProxyAddress a;
    const auto colon = text.rfind(':');
    if (colon != std::string_view::npos) {
        const auto port = text.substr(colon + 1);
        unsigned value = 0;
        const auto r = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || r.ec != std::errc{} || r.ptr != port.data() + port.size() || value == 0 || value > 65535)
            return std::nullopt;
        a.port = static_cast<std::uint16_t>(value);
        text = text.substr(0, colon);
    }
    if (text.empty() || text.find_first_of(" /") != std::string_view::npos) return std::nullopt;
    a.host = std::string(text);
    return a;
}

Result<std::filesystem::path> ReadInstallDir(SettingsStore& store) {
    if (!store.keyExists("")) return Fail(text::kNotInstalled);
    auto main = ReadText(store, "Main Path");
    if (!main || main->empty()) return Fail(text::kNotInstalled);
    std::filesystem::path dir(*main);
    dir /= ""; // the separator at the end
    return dir;
}

ConnectionSettings LoadConnection(SettingsStore& store) {
    ConnectionSettings s;
    auto connect = store.read("", "Connect", RegType::Dword);
    auto proxy = ReadText(store, "Proxy");
    if (!connect || connect->size() != 4 || !proxy || ReadLe32(*connect) > 2) {
        SaveConnection(store, s);
        return s;
    }
    s.type = static_cast<ConnectionType>(ReadLe32(*connect));
    s.proxy = *proxy;
    return s;
}

bool SaveConnection(SettingsStore& store, const ConnectionSettings& settings) {
    std::uint8_t dword[4];
    WriteLe32(static_cast<std::uint32_t>(settings.type), dword);
    const std::string proxy = settings.proxy.substr(0, kTextSize - 1);
    const bool a = store.write("", "Connect", RegType::Dword, dword);
    const bool b = store.write("", "Proxy", RegType::Sz, Bytes(proxy));
    return a && b;
}

std::optional<std::string> ReadServerUrl(SettingsStore& store) {
    auto url = ReadText(store, "Update Server");
    if (!url || url->empty()) return std::nullopt;
    return url;
}

} // namespace veldin::update
