#include "update/Pack.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace veldin::update {
namespace {

constexpr int kMaxHashBits = 17;
constexpr std::size_t kWindow = std::size_t{1} << 20; // farthest copy considered
constexpr int kChainDepth = 32;
constexpr std::size_t kLazyBelow = 32;       // longer copies are taken at once
constexpr std::size_t kGoodEnough = 258;              // stop searching once a copy is this long
constexpr std::size_t kMaxLength = std::size_t{1} << 16;
constexpr std::uint32_t kNone = 0xFFFFFFFFu; // positions are below 4 GB: sizes are 32-bit

// Tables sized to the input, so that packing small files stays cheap.
int TableBits(std::size_t n, int most) { return std::clamp(static_cast<int>(std::bit_width(n)) + 1, 8, most); }

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void bit(unsigned b) {
        if (bits_ == 0) { // the tag byte takes its place where the reader will want it
            tag_ = out_.size();
            out_.push_back(0);
            bits_ = 8;
        }
        --bits_;
        if (b) out_[tag_] = static_cast<std::uint8_t>(out_[tag_] | (1u << bits_));
    }
    void bits(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i) bit((value >> i) & 1u);
    }
    void byte(std::uint8_t b) { out_.push_back(b); }
    void gamma(std::size_t v) { // v >= 2: the bits below the leading one, each followed by "more"
        const int top = static_cast<int>(std::bit_width(v)) - 1;
        for (int i = top - 1; i >= 0; --i) {
            bit(static_cast<unsigned>((v >> i) & 1u));
            bit(i > 0 ? 1u : 0u);
        }
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t tag_ = 0;
    int bits_ = 0;
};

std::size_t GammaBits(std::size_t v) { return 2 * (static_cast<std::size_t>(std::bit_width(v)) - 1); }

std::size_t LengthBonus(std::size_t offset) {
    return (offset >= 32000 ? 1 : 0) + (offset >= 1280 ? 1 : 0) + (offset < 128 ? 2 : 0);
}

struct Match {
    std::size_t length = 0;
    std::size_t offset = 0;
};

class MatchFinder {
public:
    explicit MatchFinder(std::span<const std::uint8_t> d)
        : d_(d), hashBits_(TableBits(d.size(), kMaxHashBits)), pairBits_(TableBits(d.size(), 16)),
          head_(std::size_t{1} << hashBits_, kNone), prev_(d.size(), kNone), pair_(std::size_t{1} << pairBits_, kNone) {}

    // Registers every position before `pos` that is not registered yet.
    void advanceTo(std::size_t pos) {
        for (; next_ < pos; ++next_) {
            if (next_ + 3 <= d_.size()) {
                const std::size_t h = Hash(next_);
                prev_[next_] = head_[h];
                head_[h] = static_cast<std::uint32_t>(next_);
            }
            if (next_ + 2 <= d_.size()) pair_[Pair(next_)] = static_cast<std::uint32_t>(next_);
        }
    }

    Match longest(std::size_t pos) const {
        Match best;
        if (pos + 3 > d_.size()) return best;
        const std::size_t limit = std::min(kMaxLength, d_.size() - pos);
        std::uint32_t cand = head_[Hash(pos)];
        for (int depth = 0; cand != kNone && depth < kChainDepth; ++depth, cand = prev_[cand]) {
            const std::size_t c = cand;
            if (pos - c > kWindow) break;
            if (d_[c + best.length] != d_[pos + best.length]) continue;
            const std::size_t len = Extend(c, pos, limit);
            if (len > best.length) {
                best = {len, pos - c};
                if (len >= kGoodEnough || len == limit) break;
            }
        }
        return best;
    }

    // The nearest earlier position whose two bytes hash as those at `pos` (the caller
    // checks that they are equal).
    std::size_t pairOffset(std::size_t pos) const {
        if (pos + 2 > d_.size()) return 0;
        const std::uint32_t p = pair_[Pair(pos)];
        return p == kNone ? 0 : pos - p;
    }

    std::size_t Extend(std::size_t from, std::size_t pos, std::size_t limit) const {
        std::size_t len = 0;
        while (len < limit && d_[from + len] == d_[pos + len]) ++len;
        return len;
    }

private:
    std::size_t Hash(std::size_t p) const {
        const std::uint32_t v = d_[p] | (d_[p + 1] << 8) | (static_cast<std::uint32_t>(d_[p + 2]) << 16);
        return (v * 2654435761u) >> (32 - hashBits_);
    }
    std::size_t Pair(std::size_t p) const {
        const std::uint32_t v = d_[p] | (d_[p + 1] << 8);
        return pairBits_ == 16 ? v : (v * 2654435761u) >> (32 - pairBits_);
    }

    std::span<const std::uint8_t> d_;
    int hashBits_;
    int pairBits_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> prev_;
    std::vector<std::uint32_t> pair_;
    std::size_t next_ = 0;
};

enum class Code { Literal, Single, Short, Long, Repeat };

struct Choice {
    Code code = Code::Literal;
    std::size_t length = 1;
    std::size_t offset = 0;
    std::size_t bits = 9;
};

class Packer {
public:
    Packer(std::span<const std::uint8_t> d, std::vector<std::uint8_t>& out) : d_(d), finder_(d), w_(out) {}

    void run() {
        w_.byte(d_[0]);
        while (pos_ < d_.size()) {
            finder_.advanceTo(pos_);
            Choice c = choose(pos_, afterMatch_);
            if (c.length > 1 && c.length < kLazyBelow && c.code != Code::Short && pos_ + 1 < d_.size()) {
                // One step of lazy evaluation: a literal now may buy a clearly longer copy.
                finder_.advanceTo(pos_ + 1);
                const Choice next = choose(pos_ + 1, false);
                if (next.length > c.length + 1) c = single(pos_);
            }
            emit(c);
        }
        w_.bits(0b110, 3); // offset 0: end of stream
        w_.byte(0);
    }

private:
    // A code for the byte at `pos` alone: a literal, or "111" when the byte is zero or
    // equals one at most 15 positions back.
    Choice single(std::size_t pos) const {
        if (d_[pos] == 0) return {Code::Single, 1, 0, 7};
        for (std::size_t o = 1; o <= 15 && o <= pos; ++o)
            if (d_[pos - o] == d_[pos]) return {Code::Single, 1, o, 7};
        return {};
    }

    Choice choose(std::size_t pos, bool afterMatch) const {
        Choice best = single(pos);
        const auto better = [&](const Choice& c) {
            // Fewer bits per byte covered, compared without division.
            if (c.bits * best.length < best.bits * c.length) best = c;
        };
        const std::size_t limit = std::min(kMaxLength, d_.size() - pos);
        if (!afterMatch && lastOffset_ != 0 && lastOffset_ <= pos) {
            const std::size_t len = finder_.Extend(pos - lastOffset_, pos, limit);
            if (len >= 2) better({Code::Repeat, len, lastOffset_, 4 + GammaBits(len)});
        }
        const Match m = finder_.longest(pos);
        if (!afterMatch && m.length > 0 && m.length >= LengthBonus(m.offset) + 2) {
            const std::size_t bits = 2 + GammaBits((m.offset >> 8) + 3) + 8 + GammaBits(m.length - LengthBonus(m.offset));
            better({Code::Long, m.length, m.offset, bits});
        }
        const std::size_t near = (m.length >= 2 && m.offset < 128) ? m.offset : finder_.pairOffset(pos);
        if (near > 0 && near < 128) {
            const std::size_t len = std::min<std::size_t>(3, finder_.Extend(pos - near, pos, limit));
            if (len >= 2) better({Code::Short, len, near, 11});
        }
        return best;
    }

    void emit(const Choice& c) {
        switch (c.code) {
        case Code::Literal:
            w_.bit(0);
            w_.byte(d_[pos_]);
            afterMatch_ = false;
            break;
        case Code::Single:
            w_.bits(0b111, 3);
            w_.bits(static_cast<unsigned>(c.offset), 4);
            afterMatch_ = false;
            break;
        case Code::Short:
            w_.bits(0b110, 3);
            w_.byte(static_cast<std::uint8_t>((c.offset << 1) | (c.length - 2)));
            lastOffset_ = c.offset;
            afterMatch_ = true;
            break;
        case Code::Long:
            w_.bits(0b10, 2);
            w_.gamma((c.offset >> 8) + 3);
            w_.byte(static_cast<std::uint8_t>(c.offset & 0xFF));
            w_.gamma(c.length - LengthBonus(c.offset));
            lastOffset_ = c.offset;
            afterMatch_ = true;
            break;
        case Code::Repeat:
            w_.bits(0b10, 2);
            w_.gamma(2);
            w_.gamma(c.length);
            afterMatch_ = true;
            break;
        }
        pos_ += c.length;
    }

    std::span<const std::uint8_t> d_;
    MatchFinder finder_;
    BitWriter w_;
    std::size_t pos_ = 1;
    std::size_t lastOffset_ = 0;
    bool afterMatch_ = false;
};

} // namespace

std::vector<std::uint8_t> PackAplib(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    if (data.empty()) return out;
    out.reserve(data.size() / 2 + 16);
    Packer(data, out).run();
    return out;
}

} // namespace veldin::update
