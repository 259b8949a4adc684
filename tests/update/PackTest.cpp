#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

#include "core/Bytes.h"
#include "tests/support/TestSupport.h"
#include "update/Crc32.h"
#include "update/Depack.h"
#include "update/Pack.h"
#include "update/PackedFile.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

// A second, independent decoder that reads every "10" code the plain way (gamma 2 always
// repeats the last offset, otherwise the high part is g - 3), as a decoder without the
// after-match rule does. Our packer's output must mean the same to it.
std::optional<std::vector<std::uint8_t>> PlainDecode(const std::vector<std::uint8_t>& in, std::size_t size) {
    std::vector<std::uint8_t> out;
    std::size_t pos = 0;
    unsigned tag = 0;
    int left = 0;
    bool bad = false;
    auto byte = [&]() -> unsigned {
        if (pos >= in.size()) { bad = true; return 0; }
        return in[pos++];
    };
    auto bit = [&]() -> unsigned {
        if (left == 0) { tag = byte(); left = 8; }
        --left;
        return (tag >> left) & 1u;
    };
    auto gamma = [&]() -> std::size_t {
        std::size_t v = 1;
        do { v = 2 * v + bit(); } while (bit() && !bad && v < (1u << 30));
        return v;
    };
    auto copy = [&](std::size_t off, std::size_t len) {
        if (off == 0 || off > out.size() || out.size() + len > size) { bad = true; return; }
        for (std::size_t i = 0; i < len; ++i) out.push_back(out[out.size() - off]);
    };
    if (size == 0) return out;
    out.push_back(static_cast<std::uint8_t>(byte()));
    std::size_t last = 0;
    while (!bad) {
        if (!bit()) { out.push_back(static_cast<std::uint8_t>(byte())); continue; }
        if (!bit()) {
            const std::size_t g = gamma();
            if (g == 2) { copy(last, gamma()); continue; }
            const std::size_t off = ((g - 3) << 8) + byte();
            std::size_t len = gamma();
            if (off >= 32000) len += 2;
            else if (off >= 1280) len += 1;
            if (off <= 127) len += 2;
            last = off;
            copy(off, len);
            continue;
        }
        if (!bit()) {
            const unsigned b = byte();
            if ((b >> 1) == 0) break;
            last = b >> 1;
            copy(last, 2 + (b & 1));
            continue;
        }
        unsigned o = 0;
        for (int i = 0; i < 4; ++i) o = o << 1 | bit();
        if (o) copy(o, 1);
        else out.push_back(0);
    }
    if (bad || out.size() != size) return std::nullopt;
    return out;
}

// Empty, tiny, long runs, noise over 256 and over 4 values, repeats at distances around
// the length-bonus boundaries, text from a small vocabulary, and small mixtures of runs,
// repeats and noise.
std::vector<std::vector<std::uint8_t>> Inputs() {
    std::mt19937 rng(20240601);
    auto random = [&](std::size_t n, unsigned alphabet) {
        std::vector<std::uint8_t> v(n);
        for (auto& b : v) b = static_cast<std::uint8_t>(rng() % alphabet);
        return v;
    };
    std::vector<std::vector<std::uint8_t>> inputs{{}, {0x42}, {0, 0}, std::vector<std::uint8_t>(100000, 0),
                                                  std::vector<std::uint8_t>(70000, 0xAA)};
    for (std::size_t n : {2u, 3u, 5u, 17u, 255u, 256u, 1000u, 4096u, 65537u}) {
        inputs.push_back(random(n, 256));
        inputs.push_back(random(n, 4));
    }
    for (std::size_t dist : {1u, 2u, 15u, 16u, 127u, 128u, 129u, 1279u, 1280u, 31999u, 32000u, 32001u, 200000u}) {
        const auto block = random(dist, 256);
        auto v = block;
        for (int rep = 0; rep < 3; ++rep) {
            v.insert(v.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(dist, 5000)));
            v.push_back(static_cast<std::uint8_t>(rng()));
        }
        inputs.push_back(std::move(v));
    }
    const char* words[] = {"tone ", "patch ", "wave ", "bank A ", "bank B ", "S-550 ", "W-30 ", "\r\n", "envelope "};
    std::string text;
    while (text.size() < 200000) text += words[rng() % std::size(words)];
    inputs.emplace_back(text.begin(), text.end());
    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> v;
        for (const std::size_t n = rng() % 600; v.size() < n;) {
            switch (rng() % 4) {
            case 0: v.push_back(static_cast<std::uint8_t>(rng())); break;
            case 1: v.insert(v.end(), rng() % 40, static_cast<std::uint8_t>(rng() % 3)); break;
            default:
                if (v.empty()) break;
                const std::size_t from = rng() % v.size(), len = rng() % 50;
                for (std::size_t k = 0; k < len; ++k) v.push_back(v[from + k % (v.size() - from)]);
            }
        }
        inputs.push_back(std::move(v));
    }
    return inputs;
}

TEST(Pack, EveryPackedInputUnpacksToItself) {
    for (const auto& input : Inputs()) {
        SCOPED_TRACE(input.size());
        const auto packed = PackAplib(input);
        auto out = DepackAplib(packed, input.size());
        ASSERT_TRUE(out.ok());
        ASSERT_EQ(*out, input);
        // The same stream means the same to a decoder without the after-match rule.
        const auto plain = PlainDecode(packed, input.size());
        ASSERT_TRUE(plain.has_value());
        ASSERT_EQ(*plain, input);
    }
}

TEST(Crc32, AgreesWithZlib) {
    std::mt19937 rng(7);
    for (std::size_t n : {0u, 1u, 3u, 1000u, 65536u}) {
        std::vector<std::uint8_t> v(n);
        for (auto& b : v) b = static_cast<std::uint8_t>(rng());
        EXPECT_EQ(Crc32(v), ::crc32(0, v.data(), static_cast<uInt>(v.size())));
    }
    const std::string check = "123456789";
    EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0xCBF43926u);
}

std::vector<std::uint8_t> Sample() {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "VELDIN update " + std::to_string(i % 17) + "\n";
    return {s.begin(), s.end()};
}

TEST(PackedFile, BothHeaderFormsUnpack) {
    const auto data = Sample();
    for (auto form : {PackedForm::Short, PackedForm::Safe}) {
        const auto file = PackFile(data, form);
        auto header = ReadPackedHeader(file);
        ASSERT_TRUE(header.ok());
        EXPECT_EQ(header->form, form);
        EXPECT_EQ(header->unpackedSize, data.size());
        auto out = UnpackFile(file);
        ASSERT_TRUE(out.ok());
        EXPECT_EQ(*out, data);
    }
    const auto shortForm = PackFile(data);
    EXPECT_EQ(ReadLe32(std::span(shortForm).subspan(4)), data.size());
    const auto safe = PackFile(data, PackedForm::Safe);
    EXPECT_EQ(ReadLe32(std::span(safe).subspan(4)), 24u);
    EXPECT_EQ(ReadLe32(std::span(safe).subspan(8)), safe.size() - 24);
}

TEST(PackedFile, SafeFormChecksBothCrcs) {
    const auto data = Sample();
    auto file = PackFile(data, PackedForm::Safe);
    auto badPacked = file;
    badPacked[12] ^= 1; // CRC of the stream
    auto badData = file;
    badData[20] ^= 1;   // CRC of the unpacked data
    for (const auto& f : {badPacked, badData}) {
        auto r = UnpackFile(f);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, text::kPackedFileDamaged);
    }
    // A packed size that does not account for the file: read as the short form, whose
    // "unpacked size" 24 the stream does not make.
    auto longer = file;
    longer.push_back(0);
    EXPECT_FALSE(UnpackFile(longer).ok());
}

TEST(PackedFile, RefusesWhatIsNotAp32) {
    for (const std::vector<std::uint8_t>& f : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'A', 'P', '3'},
                                              std::vector<std::uint8_t>{'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4}}) {
        auto r = UnpackFile(f);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().text, text::kNotApPacked);
    }
    const std::vector<std::uint8_t> headerOnly{'A', 'P', '3', '2', 1, 0};
    EXPECT_EQ(UnpackFile(headerOnly).failure().text, text::kPackedFileDamaged);
    // A stated size larger than the stream makes fails instead of padding.
    auto file = PackFile(Sample());
    file[4] = static_cast<std::uint8_t>(file[4] + 1);
    EXPECT_EQ(UnpackFile(file).failure().text, text::kPackedFileDamaged);
}

} // namespace
} // namespace veldin::update
