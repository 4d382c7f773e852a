#include "db/Passwords.h"

#include <algorithm>
#include <crypt.h>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace shelfwise::db {

namespace {

constexpr std::string_view HashPrefix = "$y$";

// Every byte of the longer text is visited, so the time says nothing about where they differ.
bool SameText(std::string_view a, std::string_view b) {
    const std::size_t size = std::max(a.size(), b.size());
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < size; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= static_cast<unsigned char>(x ^ y);
    }
    return difference == 0;
}

bool IsHash(std::string_view stored) {
    return stored.starts_with(HashPrefix);
}

// The hash of `password` with the salt and cost of `setting`; empty when crypt refused.
std::string Crypt(std::string_view password, const std::string& setting) {
    auto data = std::make_unique<crypt_data>();
    const std::string phrase(password);
    const char* result = crypt_rn(phrase.c_str(), setting.c_str(), data.get(), sizeof(crypt_data));
    if (result == nullptr || result[0] == '*') {
        return {};
    }
    return result;
}

} // namespace

std::string HashPassword(std::string_view password) {
    if (password.empty()) {
        return {};
    }
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (crypt_gensalt_rn(HashPrefix.data(), 0, nullptr, 0, setting, sizeof setting) == nullptr) {
        throw std::runtime_error("no random source for a password salt");
    }
    std::string hash = Crypt(password, setting);
    if (hash.empty()) {
        throw std::runtime_error("the password could not be hashed");
    }
    return hash;
}

bool PasswordMatches(std::string_view stored, std::string_view typed) {
    if (!IsHash(stored)) {
        return SameText(stored, typed);
    }
    const std::string computed = Crypt(typed, std::string(stored));
    return !computed.empty() && SameText(stored, computed);
}

bool NeedsRehash(std::string_view stored) {
    return !stored.empty() && !IsHash(stored);
}

} // namespace shelfwise::db
