#include "update/Signing.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

Pkey PrivateFromSeed(const std::array<std::uint8_t, 32>& seed) {
    return Pkey(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()));
}

// Only a failing allocation inside OpenSSL can make these fail; that is not bad input.
[[noreturn]] void CryptoBroken() { throw std::runtime_error("OpenSSL could not run Ed25519"); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

Digest Sha256(std::span<const std::uint8_t> bytes) {
    Digest d{};
    unsigned int n = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), d.data(), &n, EVP_sha256(), nullptr) != 1 || n != d.size())
        CryptoBroken();
    return d;
}

SigningKey SigningKey::Generate() {
    Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
    SigningKey k;
    std::size_t n = k.seed_.size();
    if (!key || EVP_PKEY_get_raw_private_key(key.get(), k.seed_.data(), &n) != 1 || n != k.seed_.size())
        CryptoBroken();
    return k;
}

Result<SigningKey> SigningKey::Load(const std::filesystem::path& pemFile) {
    const auto bad = Fail(std::string(text::kPublishBadKey) + pemFile.string());
    std::FILE* f = std::fopen(pemFile.string().c_str(), "rb");
    if (!f) return bad;
    Pkey key(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr));
    std::fclose(f);
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) return bad;
    SigningKey k;
    std::size_t n = k.seed_.size();
    if (EVP_PKEY_get_raw_private_key(key.get(), k.seed_.data(), &n) != 1 || n != k.seed_.size()) return bad;
    return k;
}

bool SigningKey::save(const std::filesystem::path& pemFile) const {
    Pkey key = PrivateFromSeed(seed_);
    if (!key) return false;
    std::error_code ec;
    std::filesystem::remove(pemFile, ec);
    std::FILE* f = std::fopen(pemFile.string().c_str(), "wbx");
    if (!f) return false;
    std::filesystem::permissions(pemFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
    const bool written = !ec && PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    return std::fclose(f) == 0 && written;
}

PublicKey SigningKey::publicKey() const {
    Pkey key = PrivateFromSeed(seed_);
    PublicKey pub{};
    std::size_t n = pub.size();
    if (!key || EVP_PKEY_get_raw_public_key(key.get(), pub.data(), &n) != 1 || n != pub.size()) CryptoBroken();
    return pub;
}

SignatureBytes SigningKey::sign(std::span<const std::uint8_t> message) const {
    Pkey key = PrivateFromSeed(seed_);
    MdCtx ctx(EVP_MD_CTX_new());
    SignatureBytes sig{};
    std::size_t n = sig.size();
    if (!key || !ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        EVP_DigestSign(ctx.get(), sig.data(), &n, message.data(), message.size()) != 1 || n != sig.size())
        CryptoBroken();
    return sig;
}

bool VerifySignature(const PublicKey& key, std::span<const std::uint8_t> message, const SignatureBytes& signature) {
    Pkey pub(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
    MdCtx ctx(EVP_MD_CTX_new());
    return pub && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pub.get()) == 1 &&
           EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), message.data(), message.size()) == 1;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        s.push_back(kDigits[b >> 4]);
        s.push_back(kDigits[b & 15]);
    }
    return s;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

std::optional<PublicKey> ParsePublicKey(std::string_view hex) {
    auto bytes = FromHex(hex);
    if (!bytes || bytes->size() != PublicKey{}.size()) return std::nullopt;
    PublicKey k{};
    std::copy(bytes->begin(), bytes->end(), k.begin());
    return k;
}

std::optional<std::vector<PublicKey>> ParseKeyList(std::string_view text) {
    std::vector<PublicKey> keys;
    constexpr std::string_view kGaps = " \t\r\n,";
    std::size_t pos = 0;
    while ((pos = text.find_first_not_of(kGaps, pos)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(kGaps, pos), text.size());
        auto key = ParsePublicKey(text.substr(pos, end - pos));
        if (!key) return std::nullopt;
        keys.push_back(*key);
        pos = end;
    }
    return keys;
}

} // namespace veldin::update
