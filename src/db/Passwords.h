#pragma once

#include <string>
#include <string_view>

namespace shelfwise::db {

// Passwords of the supervisor and of the accounts are stored as salted, slow hashes ("$y$..."),
// inside the same text fields the clear passwords used to fill, so the files keep their layout.
// An entry not yet hashed is the password itself; it is replaced by a hash at the next
// successful login or password change. The empty text stays empty: it means "no password".

// The text to store for `password`; empty for an empty password. Throws std::runtime_error
// when the system could not hash (no random source).
std::string HashPassword(std::string_view password);
// Whether `typed` is the password stored as `stored`, a hash or a clear entry; the comparison
// takes the same time wherever the texts differ.
bool PasswordMatches(std::string_view stored, std::string_view typed);
// A stored password that is still in clear text.
bool NeedsRehash(std::string_view stored);

} // namespace shelfwise::db
