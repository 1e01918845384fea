#pragma once
// A reader of bytes others wrote that only moves forward. Every position
// and length is a 64-bit number, checked against what is left before it is
// used, so no size from the data can wrap around and send the reader back:
// a move backwards or past the end fails the cursor for good, and a failed
// cursor reads zeros and empty texts from then on. A loop that takes a block
// per turn from a cursor therefore ends within the data's length.
#include <cstdint>
#include <string_view>

namespace vigilo {

class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    std::uint64_t Position() const { return position_; }
    std::uint64_t Left() const { return bytes_.size() - position_; }

    // Goes to position, which must be at or after the current one and within the bytes.
    void MoveTo(std::uint64_t position) {
        if (!ok_ || position < position_ || position > bytes_.size()) Fail();
        else position_ = position;
    }
    void Skip(std::uint64_t count) {
        if (!ok_ || count > Left()) Fail();
        else position_ += count;
    }
    // The next count bytes; empty when fewer are left (and the cursor fails).
    std::string_view Take(std::uint64_t count) {
        const std::uint64_t start = position_;
        Skip(count);
        return ok_ ? bytes_.substr(static_cast<size_t>(start), static_cast<size_t>(count)) : std::string_view();
    }
    // A little-endian number of width bytes (1 to 4), taken or only looked at.
    std::uint32_t Number(unsigned width) { return NumberOf(Take(width)); }
    std::uint32_t Peek(unsigned width) const {
        return ok_ && width <= Left() ? NumberOf(bytes_.substr(static_cast<size_t>(position_), width)) : 0;
    }

private:
    static std::uint32_t NumberOf(std::string_view bytes) {
        std::uint32_t value = 0;
        for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[i]);
        return value;
    }
    void Fail() {
        ok_ = false;
        position_ = bytes_.size();
    }

    std::string_view bytes_;
    std::uint64_t position_ = 0;
    bool ok_ = true;
};

}  // namespace vigilo
