#include "engine/KeyEncoding.h"

#include "engine/KeyExpression.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace shelfwise::engine {

namespace {

// Keys read from a file may be damaged: decoding never reads past the given bytes and
// gives every byte pattern a place in one total order.
template <std::size_t N> std::array<std::uint8_t, N> fixedBytes(std::string_view key) {
    std::array<std::uint8_t, N> bytes{};
    std::memcpy(bytes.data(), key.data(), std::min(N, key.size()));
    return bytes;
}

std::uint64_t littleEndian64(const std::array<std::uint8_t, 8>& bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | bytes[static_cast<std::size_t>(i)];
    }
    return value;
}

// Maps a double's bits to an unsigned number with the same order (negatives flipped).
std::uint64_t orderedBits(std::uint64_t bits) {
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

int compareDates(std::string_view a, std::string_view b) {
    const auto x = orderedBits(littleEndian64(fixedBytes<8>(a)));
    const auto y = orderedBits(littleEndian64(fixedBytes<8>(b)));
    return x < y ? -1 : (x > y ? 1 : 0);
}

// A BCD number as sign, exponent and up to 20 digits without leading zeros.
struct Bcd {
    int sign = 0; // -1, 0, 1
    int exponent = 0;
    std::array<std::uint8_t, 20> digits{};
};

Bcd decodeBcd(std::string_view key) {
    const auto bytes = fixedBytes<12>(key);
    Bcd number;
    const int count = std::min((bytes[1] >> 2) & 0x1F, 20);
    std::array<std::uint8_t, 20> raw{};
    for (int i = 0; i < count; ++i) {
        const auto byte = bytes[2 + static_cast<std::size_t>(i / 2)];
        raw[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
    }
    const auto first =
        std::find_if(raw.begin(), raw.begin() + count, [](auto d) { return d != 0; });
    if (first == raw.begin() + count) {
        return number; // zero, whatever its sign bit says
    }
    number.sign = (bytes[1] & 0x80) != 0 ? -1 : 1;
    const auto skipped = static_cast<int>(first - raw.begin());
    number.exponent = bytes[0] - skipped;
    std::copy(first, raw.begin() + count, number.digits.begin());
    return number;
}

// Compares the numbers; a comparison over the shorter digit string alone would misplace
// -940.6 and -940.66.
int compareNumbers(std::string_view a, std::string_view b) {
    const Bcd x = decodeBcd(a);
    const Bcd y = decodeBcd(b);
    if (x.sign != y.sign) {
        return x.sign < y.sign ? -1 : 1;
    }
    int magnitude = 0;
    if (x.exponent != y.exponent) {
        magnitude = x.exponent < y.exponent ? -1 : 1;
    } else {
        const auto [p, q] = std::mismatch(x.digits.begin(), x.digits.end(), y.digits.begin());
        magnitude = p == x.digits.end() ? 0 : (*p < *q ? -1 : 1);
    }
    return x.sign * magnitude;
}

} // namespace

int compareKeys(KeyType type, std::string_view a, std::string_view b) {
    if (type == KeyType::Character) {
        const auto length = std::min(a.size(), b.size());
        const int result = length == 0 ? 0 : std::memcmp(a.data(), b.data(), length);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    if (a.empty() || b.empty()) {
        return 0;
    }
    return type == KeyType::Numeric ? compareNumbers(a, b) : compareDates(a, b);
}

std::string keyencoding::dateKey(std::int64_t day) {
    auto bits = std::bit_cast<std::uint64_t>(static_cast<double>(day));
    std::string key(8, '\0');
    for (auto& byte : key) {
        byte = static_cast<char>(bits & 0xFF);
        bits >>= 8;
    }
    return key;
}

} // namespace shelfwise::engine
