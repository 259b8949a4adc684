#include <gtest/gtest.h>

#include <bit>
#include <optional>

#include "update/Depack.h"
#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

// Builds streams code by code, with tag bytes placed where a reader wants them.
class Stream {
public:
    explicit Stream(std::uint8_t first) { out_.push_back(first); }
    Stream& bit(unsigned b) {
        if (bits_ == 0) {
            tag_ = out_.size();
            out_.push_back(0);
            bits_ = 8;
        }
        --bits_;
        if (b) out_[tag_] = static_cast<std::uint8_t>(out_[tag_] | (1u << bits_));
        return *this;
    }
    Stream& bits(std::string_view s) {
        for (char c : s) bit(c == '1');
        return *this;
    }
    Stream& byte(std::uint8_t b) {
        out_.push_back(b);
        return *this;
    }
    Stream& gamma(std::uint32_t v) {
        for (int i = std::bit_width(v) - 2; i >= 0; --i) bit((v >> i) & 1u).bit(i > 0);
        return *this;
    }
    Stream& literal(std::uint8_t b) { return bit(0).byte(b); }
    Stream& shortMatch(std::uint8_t offset, unsigned length) {
        return bits("110").byte(static_cast<std::uint8_t>(offset << 1 | (length - 2)));
    }
    Stream& longMatch(std::uint32_t offset, std::uint32_t codedLength, bool afterMatch = false) {
        return bits("10").gamma((offset >> 8) + (afterMatch ? 2 : 3)).byte(offset & 0xFF).gamma(codedLength);
    }
    Stream& repeat(std::uint32_t length) { return bits("10").gamma(2).gamma(length); }
    Stream& single(unsigned offset) {
        bits("111");
        for (int i = 3; i >= 0; --i) bit((offset >> i) & 1u);
        return *this;
    }
    Stream& end() { return bits("110").byte(0); }
    const std::vector<std::uint8_t>& bytes() const { return out_; }

private:
    std::vector<std::uint8_t> out_;
    std::size_t tag_ = 0;
    int bits_ = 0;
};

std::vector<std::uint8_t> V(std::string_view s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> Ok(const Stream& s, std::size_t size) {
    auto r = DepackAplib(s.bytes(), size);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.failure().text);
    return r.ok() ? *r : std::vector<std::uint8_t>{};
}

void Damaged(const Stream& s, std::size_t size) {
    auto r = DepackAplib(s.bytes(), size);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().text, text::kPackedFileDamaged);
}

// Streams built code by code and what they unpack to at the stated size; nullopt where
// they are damaged.
TEST(Depack, HandBuiltStreams) {
    Stream endless('a'); // a gamma number that never ends
    endless.bits("10");
    for (int i = 0; i < 80; ++i) endless.bits("11");
    struct Case {
        const char* what;
        Stream stream;
        std::size_t size;
        std::optional<std::string> out;
    };
    const Case cases[] = {
        {"first byte, then end", Stream('A').end(), 1, "A"},
        {"110 with a zero byte ends where more was promised", Stream('A').end().literal('B'), 2, std::nullopt},
        {"offset 0 with the length bit set ends too", Stream('A').bits("110").byte(1), 1, "A"},
        {"one byte cannot make two", Stream('A'), 2, std::nullopt},
        {"literals", Stream('a').literal('b').literal('c').end(), 3, "abc"},
        {"111 0000 writes a zero, 111 o copies the byte o back",
         Stream('x').literal('y').single(0).single(2).single(1).end(), 5, std::string("xy\0yy", 5)},
        {"a single byte from before the start", Stream('x').single(2).end(), 2, std::nullopt},
        {"overlapping short copy", Stream('a').literal('b').shortMatch(2, 3).end(), 5, "ababa"},
        {"short copies of offset 1", Stream('z').shortMatch(1, 3).shortMatch(1, 2).end(), 6, "zzzzzz"},
        {"long copy of offset 1: gamma 10, plus 2 below 128", Stream('-').literal('-').longMatch(1, 10).end(), 14,
         std::string(14, '-')},
        {"after a literal gamma 2 repeats the last offset",
         Stream('a').literal('b').literal('c').shortMatch(3, 2).literal('!').repeat(3).end(), 9, "abcab!ab!"},
        {"right after a match the high part is g - 2",
         Stream('a').literal('b').literal('c').shortMatch(3, 2).longMatch(5, 2, true).end(), 9, "abcababca"},
        {"a copy past the stated size", Stream('a').literal('b').shortMatch(2, 3).end(), 4, std::nullopt},
        {"a huge copy", Stream('a').longMatch(1, 1u << 30).end(), 100, std::nullopt},
        {"a gamma number that never ends", endless, 100, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.out) {
            EXPECT_EQ(Ok(c.stream, c.size), V(*c.out));
        } else {
            Damaged(c.stream, c.size);
        }
    }
    // Empty output needs no stream at all.
    auto empty = DepackAplib({}, 0);
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->empty());
}

// The length bonus changes at the offsets 128, 1280 and 32000.
TEST(Depack, OffsetBoundaries) {
    struct Case {
        std::uint32_t offset;
        std::uint32_t bonus;
    };
    for (auto c : {Case{127, 2}, Case{128, 0}, Case{1279, 0}, Case{1280, 1}, Case{31999, 1}, Case{32000, 2},
                   Case{70000, 2}}) {
        SCOPED_TRACE(c.offset);
        std::vector<std::uint8_t> expect(c.offset);
        for (std::size_t i = 0; i < expect.size(); ++i) expect[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
        Stream s(expect[0]);
        for (std::size_t i = 1; i < expect.size(); ++i) s.literal(expect[i]);
        s.longMatch(c.offset, 5).end();
        for (std::uint32_t i = 0; i < 5 + c.bonus; ++i) expect.push_back(expect[i]);
        EXPECT_EQ(Ok(s, expect.size()), expect);
        // One byte more than the copy makes is promised: the stream is short of it.
        Damaged(s, expect.size() + 1);
    }
}

TEST(Depack, EveryTruncationFailsCleanly) {
    Stream s('H');
    for (char c : std::string_view("ello, hello, hello world")) s.literal(static_cast<std::uint8_t>(c));
    s.shortMatch(7, 3).longMatch(13, 4, true).single(0).end();
    const auto full = Ok(s, 25 + 3 + 6 + 1);
    ASSERT_EQ(full.size(), 35u);
    const auto& bytes = s.bytes();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        auto r = DepackAplib(std::span(bytes).first(cut), full.size());
        EXPECT_FALSE(r.ok()) << "cut at " << cut;
    }
}

} // namespace
} // namespace veldin::update
