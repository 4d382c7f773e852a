#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace shelfwise::engine {

// Exact decimal number for key expressions, as dBASE's BCD arithmetic: 30 integer and 20
// fraction digits, so complements such as 999999999999999999-19.95 keep every digit
// (a double keeps about 16).
class KeyDecimal {
public:
    static constexpr int kIntegerDigits = 30;
    static constexpr int kFractionDigits = 20;

    KeyDecimal() = default;
    static KeyDecimal fromInteger(std::int64_t value);
    // Numeric field text or a literal: blanks around, optional sign, digits, optional point.
    // Blank, unreadable or oversized text is 0, as an empty numeric field; digits past the
    // 20th decimal are dropped.
    static KeyDecimal parse(std::string_view text);

    KeyDecimal operator+(const KeyDecimal& other) const;
    KeyDecimal operator-(const KeyDecimal& other) const;
    KeyDecimal operator-() const;

    bool isZero() const;
    // Whole part, truncated toward zero and clamped to the int64 range.
    std::int64_t truncated() const;

    // STR(): right-justified in `width` with `decimals` places, rounded half away from zero.
    // When that does not fit, fewer decimals are tried down to none (no point); when even the
    // whole number does not fit, `width` asterisks.
    std::string format(int width, int decimals) const;

    // The 12-byte dBASE BCD key: byte 0 = 52 + digits before the point, byte 1 = stored digit
    // count << 2 | 1 with 0x80 for negative, bytes 2-11 = digits, high nibble first, without
    // leading and trailing zeros; rounded to 20 significant digits.
    std::string toBcd() const;

private:
    static constexpr int kDigits = kIntegerDigits + kFractionDigits;
    using Digits = std::array<std::uint8_t, kDigits>; // [0] most significant

    static int compareMagnitude(const Digits& a, const Digits& b);
    static Digits addMagnitude(const Digits& a, const Digits& b);
    static Digits subtractMagnitude(const Digits& larger, const Digits& smaller);
    // Rounds half up at digit `keep` (digits from `keep` on become 0); false on overflow.
    static bool roundAt(Digits& digits, int keep);

    bool negative_ = false;
    Digits digits_{};
};

} // namespace shelfwise::engine
