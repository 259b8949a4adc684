// Manifests of any content. Properties checked: a manifest that parses has one spelling
// only (its files written back, with its signature line, are exactly the input), its
// signed bytes are the input without that last line, and every name is a plain file
// name. The same bytes read as a list of trusted keys give keys whose hex is in the
// text (in any case) and that read back to themselves.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "update/Manifest.h"
#include "update/SafeName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veldin::update;
    const std::span<const std::uint8_t> in(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto keys = ParseKeyList(text)) {
        std::string lower(text);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        for (const auto& k : *keys)
            if (lower.find(ToHex(k)) == std::string::npos || ParsePublicKey(ToHex(k)) != k) std::abort();
    }

    auto m = ParseManifest(in);
    if (!m) return 0;
    auto again = WriteManifestBody(m->published, m->files);
    if (again != m->signedBytes) std::abort();
    const std::string tail = "signature " + ToHex(m->key) + " " + ToHex(m->signature) + "\n";
    again.insert(again.end(), tail.begin(), tail.end());
    if (!std::equal(again.begin(), again.end(), in.begin(), in.end())) std::abort();
    for (const auto& f : m->files)
        if (!IsSafeFileName(f.name) || f.mode > 0777 || m->find(f.name) != &f) std::abort();
    return 0;
}
