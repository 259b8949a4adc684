#include "cd/RawSector.h"

#include <algorithm>

#include "cd/DiscSource.h"

namespace veldin::cd {
namespace {

constexpr std::array<std::uint8_t, kSyncSize> kSync{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

constexpr std::uint32_t kEdcPolynomial = 0xD8018001; // the polynomial above, bit-reversed

constexpr std::array<std::uint32_t, 256> MakeEdcTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t e = i;
        for (int b = 0; b < 8; ++b)
            e = (e >> 1) ^ ((e & 1) ? kEdcPolynomial : 0);
        t[i] = e;
    }
    return t;
}
constexpr auto kEdcTable = MakeEdcTable();

// GF(2^8) with the field polynomial x^8 + x^4 + x^3 + x^2 + 1 and the primitive element
// alpha = x (2).
struct GaloisField {
    std::array<std::uint8_t, 512> exp{};
    std::array<int, 256> log{};
    constexpr GaloisField() {
        int v = 1;
        for (int i = 0; i < 255; ++i) {
            exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
            log[static_cast<std::size_t>(v)] = i;
            v <<= 1;
            if (v & 0x100) v ^= 0x11D;
        }
        for (std::size_t i = 255; i < exp.size(); ++i)
            exp[i] = exp[i - 255];
    }
    constexpr std::uint8_t mul(std::uint8_t a, std::uint8_t b) const {
        if (a == 0 || b == 0) return 0;
        return exp[static_cast<std::size_t>(log[a] + log[b])];
    }
    constexpr std::uint8_t div(std::uint8_t a, std::uint8_t b) const { // b != 0
        if (a == 0) return 0;
        return exp[static_cast<std::size_t>(log[a] - log[b] + 255)];
    }
};
constexpr GaloisField kGf;

// Reed-Solomon parity of the CD's cross-interleaved product code. The ECC covers the
// 2,340 bytes from the header (sector byte 12) on, read as two planes of 1,170 bytes
// (even and odd bytes). A codeword of n bytes c_0..c_{n-1} satisfies
//   sum c_i = 0  and  sum alpha^(n-1-i) c_i = 0,
// its two parity bytes standing last. Given the data sums S0 = sum d_i and
// S1 = sum alpha^(n-1-i) d_i, the parity is p0 = (S0 + S1) / (1 + alpha), p1 = S0 + p0.
//
// Codeword `major` takes `minorCount` data bytes starting at (major / 2) * majorStep +
// (major mod 2), stepping by `minorStep` modulo the codeword area; its parity bytes go
// to parity[major] and parity[major + majorCount].
void ComputeParity(const std::uint8_t* area, std::size_t majorCount, std::size_t minorCount, std::size_t majorStep,
                   std::size_t minorStep, std::uint8_t* parity) {
    const std::size_t size = majorCount * minorCount;
    const std::size_t n = minorCount + 2;
    for (std::size_t major = 0; major < majorCount; ++major) {
        std::size_t index = (major / 2) * majorStep + (major % 2);
        std::uint8_t s0 = 0, s1 = 0;
        for (std::size_t minor = 0; minor < minorCount; ++minor) {
            const std::uint8_t d = area[index];
            s0 ^= d;
            s1 ^= kGf.mul(d, kGf.exp[n - 1 - minor]);
            index += minorStep;
            if (index >= size) index -= size;
        }
        const std::uint8_t p0 = kGf.div(static_cast<std::uint8_t>(s0 ^ s1), 3); // 1 + alpha = 3
        parity[major] = p0;
        parity[major + majorCount] = static_cast<std::uint8_t>(s0 ^ p0);
    }
}

std::uint8_t Bcd(std::uint32_t v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

} // namespace

bool StartsWithSync(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kSyncSize && std::equal(kSync.begin(), kSync.end(), bytes.begin());
}

bool IsMode1Sector(std::span<const std::uint8_t, kRawSectorSize> sector) {
    return StartsWithSync(sector) && sector[15] == 1;
}

std::uint32_t ComputeEdc(std::span<const std::uint8_t> bytes) {
    std::uint32_t edc = 0;
    for (std::uint8_t b : bytes)
        edc = (edc >> 8) ^ kEdcTable[(edc ^ b) & 0xFF];
    return edc;
}

std::array<std::uint8_t, kRawSectorSize> EncodeMode1Sector(std::uint32_t block,
                                                           std::span<const std::uint8_t> userData) {
    std::array<std::uint8_t, kRawSectorSize> s{};
    std::copy(kSync.begin(), kSync.end(), s.begin());
    const std::uint32_t frames = block + 150; // 2 seconds of lead-in before block 0
    s[12] = Bcd(frames / (75 * 60));
    s[13] = Bcd(frames / 75 % 60);
    s[14] = Bcd(frames % 75);
    s[15] = 1;
    std::copy_n(userData.begin(), std::min(userData.size(), kBlockSize), s.begin() + kUserDataOffset);
    const std::uint32_t edc = ComputeEdc(std::span(s).first(kEdcOffset));
    for (int i = 0; i < 4; ++i)
        s[kEdcOffset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(edc >> (8 * i));
    // P: 86 columns of 24 bytes, 86 apart. Q: 52 diagonals of 43 bytes, 88 apart, over
    // the data and the P parity (2,236 bytes).
    ComputeParity(s.data() + 12, 86, 24, 2, 86, s.data() + kPParityOffset);
    ComputeParity(s.data() + 12, 52, 43, 86, 88, s.data() + kQParityOffset);
    return s;
}

std::vector<std::uint8_t> ToRawImage(std::span<const std::uint8_t> iso) {
    const std::size_t blocks = (iso.size() + kBlockSize - 1) / kBlockSize;
    std::vector<std::uint8_t> raw(blocks * kRawSectorSize);
    for (std::size_t b = 0; b < blocks; ++b) {
        const auto user = iso.subspan(b * kBlockSize, std::min(kBlockSize, iso.size() - b * kBlockSize));
        const auto sector = EncodeMode1Sector(static_cast<std::uint32_t>(b), user);
        std::copy(sector.begin(), sector.end(), raw.begin() + static_cast<std::ptrdiff_t>(b * kRawSectorSize));
    }
    return raw;
}

} // namespace veldin::cd
