#include "update/Depack.h"

#include <algorithm>
#include <cstring>

#include "update/UpdateMessages.h"

namespace veldin::update {
namespace {

// Gamma numbers beyond this cannot describe a length or offset of a 32-bit sized file.
constexpr std::uint64_t kGammaLimit = std::uint64_t{1} << 33;

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> in) : in_(in) {}

    bool byte(std::uint32_t& b) {
        if (pos_ >= in_.size()) return false;
        b = in_[pos_++];
        return true;
    }
    bool bit(std::uint32_t& b) {
        if (bits_ == 0) {
            if (pos_ >= in_.size()) return false;
            tag_ = in_[pos_++];
            bits_ = 8;
        }
        --bits_;
        b = (tag_ >> bits_) & 1u;
        return true;
    }
    bool gamma(std::uint64_t& v) {
        v = 1;
        std::uint32_t b = 0, more = 0;
        do {
            if (!bit(b) || !bit(more)) return false;
            v = 2 * v + b;
            if (v > kGammaLimit) return false;
        } while (more);
        return true;
    }

private:
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
    std::uint32_t tag_ = 0;
    int bits_ = 0;
};

class Output {
public:
    explicit Output(std::size_t size) : size_(size) {
        // Grow with what the stream really produces rather than trusting a stated size.
        buf_.resize(std::min<std::size_t>(size, std::size_t{1} << 16));
    }

    bool put(std::uint8_t b) {
        if (pos_ >= size_ || !room(1)) return false;
        buf_[pos_++] = b;
        return true;
    }
    // Copies byte by byte from `offset` back, so that an overlapping copy repeats data.
    bool copy(std::uint64_t offset, std::uint64_t length) {
        if (offset == 0 || offset > pos_ || length > size_ - pos_) return false;
        const auto n = static_cast<std::size_t>(length);
        if (!room(n)) return false;
        std::uint8_t* dst = buf_.data() + pos_;
        const std::uint8_t* src = dst - offset;
        if (offset >= n) {
            std::memcpy(dst, src, n);
        } else {
            for (std::size_t i = 0; i < n; ++i) dst[i] = src[i];
        }
        pos_ += n;
        return true;
    }
    bool full() const { return pos_ == size_; }
    std::vector<std::uint8_t> take() && {
        buf_.resize(pos_);
        return std::move(buf_);
    }

private:
    bool room(std::size_t n) {
        if (buf_.size() - pos_ >= n) return true;
        const std::size_t want = std::max(pos_ + n, std::min(size_, buf_.size() * 2));
        buf_.resize(std::min(size_, want));
        return buf_.size() - pos_ >= n;
    }

    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0;
    std::size_t size_;
};

// Length added to a gamma length for an offset coded with the "10" prefix: far copies
// must be longer to pay for their offset, near ones shorter than 4 use "110".
std::uint64_t LengthBonus(std::uint64_t offset) {
    std::uint64_t bonus = 0;
    if (offset >= 32000) ++bonus;
    if (offset >= 1280) ++bonus;
    if (offset < 128) bonus += 2;
    return bonus;
}

enum class Step { Next, End, Bad };

Step LongMatch(BitReader& in, Output& out, bool afterMatch, std::uint64_t& lastOffset) {
    std::uint64_t g = 0, length = 0;
    if (!in.gamma(g)) return Step::Bad;
    if (!afterMatch && g == 2) {
        if (!in.gamma(length)) return Step::Bad;
        return out.copy(lastOffset, length) ? Step::Next : Step::Bad;
    }
    std::uint32_t low = 0;
    if (!in.byte(low)) return Step::Bad;
    const std::uint64_t offset = ((g - (afterMatch ? 2 : 3)) << 8) + low;
    if (!in.gamma(length)) return Step::Bad;
    lastOffset = offset;
    return out.copy(offset, length + LengthBonus(offset)) ? Step::Next : Step::Bad;
}

Step ShortMatch(BitReader& in, Output& out, std::uint64_t& lastOffset) {
    std::uint32_t b = 0;
    if (!in.byte(b)) return Step::Bad;
    const std::uint64_t offset = b >> 1;
    if (offset == 0) return Step::End;
    lastOffset = offset;
    return out.copy(offset, 2 + (b & 1)) ? Step::Next : Step::Bad;
}

Step SingleByte(BitReader& in, Output& out) {
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t b = 0;
        if (!in.bit(b)) return Step::Bad;
        offset = (offset << 1) | b;
    }
    if (offset == 0) return out.put(0) ? Step::Next : Step::Bad;
    return out.copy(offset, 1) ? Step::Next : Step::Bad;
}

} // namespace

Result<std::vector<std::uint8_t>> DepackAplib(std::span<const std::uint8_t> stream, std::size_t size) {
    const Failure damaged = Fail(text::kPackedFileDamaged);
    if (size == 0) return std::vector<std::uint8_t>{};
    BitReader in(stream);
    Output out(size);
    std::uint32_t first = 0;
    if (!in.byte(first) || !out.put(static_cast<std::uint8_t>(first))) return damaged;

    std::uint64_t lastOffset = 0;
    bool afterMatch = false;
    for (;;) {
        std::uint32_t b = 0;
        if (!in.bit(b)) return damaged;
        Step step = Step::Next;
        if (b == 0) { // 0: literal
            std::uint32_t lit = 0;
            step = in.byte(lit) && out.put(static_cast<std::uint8_t>(lit)) ? Step::Next : Step::Bad;
            afterMatch = false;
        } else if (!in.bit(b)) {
            return damaged;
        } else if (b == 0) { // 10
            step = LongMatch(in, out, afterMatch, lastOffset);
            afterMatch = true;
        } else if (!in.bit(b)) {
            return damaged;
        } else if (b == 0) { // 110
            step = ShortMatch(in, out, lastOffset);
            afterMatch = true;
        } else { // 111
            step = SingleByte(in, out);
            afterMatch = false;
        }
        if (step == Step::Bad) return damaged;
        if (step == Step::End) break;
    }
    if (!out.full()) return damaged;
    return std::move(out).take();
}

} // namespace veldin::update
