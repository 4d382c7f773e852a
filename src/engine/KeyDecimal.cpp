#include "engine/KeyDecimal.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <limits>

namespace shelfwise::engine {

KeyDecimal KeyDecimal::fromInteger(std::int64_t value) {
    KeyDecimal result;
    result.negative_ = value < 0;
    // Through unsigned so that the int64 minimum negates without overflow.
    std::uint64_t magnitude =
        value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    for (int i = kIntegerDigits - 1; i >= 0 && magnitude != 0; --i) {
        result.digits_[i] = static_cast<std::uint8_t>(magnitude % 10);
        magnitude /= 10;
    }
    return result;
}

KeyDecimal KeyDecimal::parse(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    KeyDecimal result;
    if (text.front() == '-' || text.front() == '+') {
        result.negative_ = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if ((whole.empty() && fraction.empty()) || !std::all_of(whole.begin(), whole.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit)) {
        return {};
    }
    const auto significant = whole.find_first_not_of('0');
    if (significant != std::string_view::npos && whole.size() - significant > kIntegerDigits) {
        return {};
    }
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const auto position = static_cast<std::ptrdiff_t>(kIntegerDigits) -
                              static_cast<std::ptrdiff_t>(whole.size() - i);
        if (position >= 0) {
            result.digits_[position] = static_cast<std::uint8_t>(whole[i] - '0');
        }
    }
    for (std::size_t i = 0; i < fraction.size() && i < kFractionDigits; ++i) {
        result.digits_[kIntegerDigits + i] = static_cast<std::uint8_t>(fraction[i] - '0');
    }
    if (result.isZero()) {
        result.negative_ = false;
    }
    return result;
}

int KeyDecimal::compareMagnitude(const Digits& a, const Digits& b) {
    for (int i = 0; i < kDigits; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

KeyDecimal::Digits KeyDecimal::addMagnitude(const Digits& a, const Digits& b) {
    Digits sum{};
    int carry = 0;
    for (int i = kDigits - 1; i >= 0; --i) {
        const int digit = a[i] + b[i] + carry;
        sum[i] = static_cast<std::uint8_t>(digit % 10);
        carry = digit / 10;
    }
    if (carry != 0) {
        throw EngineError("Numeric overflow in a key expression");
    }
    return sum;
}

KeyDecimal::Digits KeyDecimal::subtractMagnitude(const Digits& larger, const Digits& smaller) {
    Digits difference{};
    int borrow = 0;
    for (int i = kDigits - 1; i >= 0; --i) {
        int digit = larger[i] - smaller[i] - borrow;
        borrow = digit < 0 ? 1 : 0;
        difference[i] = static_cast<std::uint8_t>(digit + 10 * borrow);
    }
    return difference;
}

KeyDecimal KeyDecimal::operator+(const KeyDecimal& other) const {
    KeyDecimal result;
    if (negative_ == other.negative_) {
        result.digits_ = addMagnitude(digits_, other.digits_);
        result.negative_ = negative_;
    } else if (compareMagnitude(digits_, other.digits_) >= 0) {
        result.digits_ = subtractMagnitude(digits_, other.digits_);
        result.negative_ = negative_;
    } else {
        result.digits_ = subtractMagnitude(other.digits_, digits_);
        result.negative_ = other.negative_;
    }
    if (result.isZero()) {
        result.negative_ = false;
    }
    return result;
}

KeyDecimal KeyDecimal::operator-(const KeyDecimal& other) const {
    return *this + (-other);
}

KeyDecimal KeyDecimal::operator-() const {
    KeyDecimal result = *this;
    result.negative_ = !negative_ && !isZero();
    return result;
}

bool KeyDecimal::isZero() const {
    return std::all_of(digits_.begin(), digits_.end(), [](std::uint8_t d) { return d == 0; });
}

std::int64_t KeyDecimal::truncated() const {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (int i = 0; i < kIntegerDigits; ++i) {
        if (magnitude > (kMax - digits_[i]) / 10) {
            return negative_ ? std::numeric_limits<std::int64_t>::min()
                             : std::numeric_limits<std::int64_t>::max();
        }
        magnitude = magnitude * 10 + digits_[i];
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative_ ? -value : value;
}

bool KeyDecimal::roundAt(Digits& digits, int keep) {
    if (keep >= kDigits) {
        return true;
    }
    const bool up = digits[keep] >= 5;
    std::fill(digits.begin() + keep, digits.end(), std::uint8_t{0});
    if (!up) {
        return true;
    }
    for (int i = keep - 1; i >= 0; --i) {
        if (++digits[i] < 10) {
            return true;
        }
        digits[i] = 0;
    }
    return false; // carried out of the most significant digit
}

std::string KeyDecimal::format(int width, int decimals) const {
    for (int places = std::min(decimals, kFractionDigits); places >= 0; --places) {
        Digits rounded = digits_;
        if (!roundAt(rounded, kIntegerDigits + places)) {
            break;
        }
        const auto firstWhole = std::find_if(rounded.begin(), rounded.begin() + kIntegerDigits,
                                             [](std::uint8_t d) { return d != 0; });
        std::string text;
        const bool isZeroAfterRounding =
            std::all_of(rounded.begin(), rounded.end(), [](std::uint8_t d) { return d == 0; });
        if (negative_ && !isZeroAfterRounding) {
            text += '-';
        }
        if (firstWhole == rounded.begin() + kIntegerDigits) {
            text += '0';
        }
        for (auto it = firstWhole; it != rounded.begin() + kIntegerDigits; ++it) {
            text += static_cast<char>('0' + *it);
        }
        if (places > 0) {
            text += '.';
            for (int i = 0; i < places; ++i) {
                text += static_cast<char>('0' + rounded[kIntegerDigits + i]);
            }
        }
        if (static_cast<int>(text.size()) <= width) {
            return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
        }
    }
    return std::string(static_cast<std::size_t>(width), '*');
}

std::string KeyDecimal::toBcd() const {
    std::string key(12, '\0');
    Digits digits = digits_;
    auto first = std::find_if(digits.begin(), digits.end(), [](std::uint8_t d) { return d != 0; });
    if (first == digits.end()) {
        key[0] = 52;
        key[1] = 0x01;
        return key;
    }
    constexpr int kStoredDigits = 20;
    auto firstIndex = static_cast<int>(first - digits.begin());
    if (firstIndex + kStoredDigits < kDigits) {
        // The carry of rounding can only reach the digit before the first one.
        if (!roundAt(digits, firstIndex + kStoredDigits)) {
            throw EngineError("Numeric overflow in a key expression");
        }
        if (firstIndex > 0 && digits[firstIndex - 1] != 0) {
            --firstIndex;
        }
    }
    int lastIndex = kDigits - 1;
    while (digits[lastIndex] == 0) {
        --lastIndex;
    }
    const int count = lastIndex - firstIndex + 1;
    key[0] = static_cast<char>(52 + kIntegerDigits - firstIndex);
    key[1] = static_cast<char>((count << 2) | 0x01 | (negative_ ? 0x80 : 0));
    for (int i = 0; i < count; ++i) {
        const auto nibble = digits[firstIndex + i];
        auto& byte = key[2 + i / 2];
        byte = static_cast<char>(byte | (i % 2 == 0 ? nibble << 4 : nibble));
    }
    return key;
}

} // namespace shelfwise::engine
