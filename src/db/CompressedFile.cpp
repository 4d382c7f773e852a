#include "db/CompressedFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>

namespace shelfwise::db {

namespace {

constexpr std::size_t kHeaderSize = 14; // signature, mode 'A', last name character, length
constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowStart = kWindowSize - 16;

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFile(const std::filesystem::path& path, std::string_view bytes) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) &&
            out.flush()) {
            return true;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

} // namespace

// LZSS over a 4096-byte window that starts filled with blanks: each control byte tells, bit
// by bit from the lowest, whether a literal byte or a 2-byte match (12-bit window position,
// 4-bit length - 3) follows.
std::optional<std::string> ExpandSzdd(std::string_view packed) {
    if (packed.size() < kHeaderSize || packed.substr(0, SzddSignature.size()) != SzddSignature ||
        packed[8] != 'A') {
        return std::nullopt;
    }
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) {
        length = (length << 8) | static_cast<unsigned char>(packed[10 + i]);
    }
    std::array<char, kWindowSize> window;
    window.fill(' ');
    std::size_t pos = kWindowStart;
    std::string out;
    // A corrupt length must not reserve more than the data can unpack to (18 bytes a 2-byte
    // match at most).
    out.reserve(std::min<std::size_t>(length, packed.size() * 9));
    std::size_t in = kHeaderSize;
    auto put = [&](char c) {
        out.push_back(c);
        window[pos] = c;
        pos = (pos + 1) % kWindowSize;
    };
    while (in < packed.size() && out.size() < length) {
        const auto control = static_cast<unsigned char>(packed[in++]);
        for (int bit = 0; bit < 8 && out.size() < length; ++bit) {
            if (control & (1u << bit)) {
                if (in >= packed.size()) {
                    return std::nullopt;
                }
                put(packed[in++]);
            } else {
                if (in + 1 >= packed.size()) {
                    return std::nullopt;
                }
                const auto low = static_cast<unsigned char>(packed[in]);
                const auto high = static_cast<unsigned char>(packed[in + 1]);
                in += 2;
                std::size_t from = low | ((high & 0xF0u) << 4);
                for (int n = (high & 0x0F) + 3; n > 0; --n) {
                    put(window[from]);
                    from = (from + 1) % kWindowSize;
                }
            }
        }
    }
    if (out.size() < length) {
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

bool CopyFileCompressed(const std::filesystem::path& source, const std::filesystem::path& target) {
    const std::optional<std::string> bytes = readFile(source);
    if (!bytes) {
        return false;
    }
    if (!bytes->starts_with(SzddSignature)) {
        return writeFile(target, *bytes);
    }
    const std::optional<std::string> expanded = ExpandSzdd(*bytes);
    return expanded && writeFile(target, *expanded);
}

} // namespace shelfwise::db
