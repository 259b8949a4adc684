#pragma once
// Ed25519 signatures and SHA-256 digests for published updates, through libsodium. A private
// key lives in a PEM file holding the 48-byte PKCS #8 form of its seed (the form "openssl
// genpkey -algorithm ed25519" writes, so either tool reads the other's keys); a public key
// travels as 64 hexadecimal digits of its 32 bytes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace veldin::update {

using PublicKey = std::array<std::uint8_t, 32>;
using SignatureBytes = std::array<std::uint8_t, 64>;
using Digest = std::array<std::uint8_t, 32>;

Digest Sha256(std::span<const std::uint8_t> bytes);

// A private key, held as its 32-byte seed.
class SigningKey {
public:
    static SigningKey Generate();
    // Fails with the publishing tool's text when the file is not an Ed25519 PEM key.
    static Result<SigningKey> Load(const std::filesystem::path& pemFile);

    bool save(const std::filesystem::path& pemFile) const; // readable by the owner only
    PublicKey publicKey() const;
    SignatureBytes sign(std::span<const std::uint8_t> message) const;

private:
    std::array<std::uint8_t, 32> seed_{};
};

bool VerifySignature(const PublicKey& key, std::span<const std::uint8_t> message, const SignatureBytes& signature);

// Lower-case hexadecimal, and back; nullopt unless the text is exactly 2 × N hex digits.
std::string ToHex(std::span<const std::uint8_t> bytes);
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text);
std::optional<PublicKey> ParsePublicKey(std::string_view hex);

// The keys a text lists, separated by blanks, commas or line ends; nullopt when any
// word is not a key.
std::optional<std::vector<PublicKey>> ParseKeyList(std::string_view text);

} // namespace veldin::update
