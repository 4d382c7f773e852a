#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::db {

inline constexpr const char* UsersFileName = "users.lst";
// Where a damaged account file is set aside before anything replaces it.
inline constexpr const char* DamagedUsersFileName = "users.lst.bad";
inline constexpr std::uint16_t MaxAccountNumber = 9999;

enum class AccountStatus : std::uint8_t { Active = 0, NotActive = 1 };
enum class AccountAccess : std::uint8_t { ReadAndWrite = 0, ReadOnly = 1, None = 2 };

// One account. Texts are Windows-1252; the password is as stored (a hash, a clear entry not yet
// upgraded, or empty).
struct TUserRec {
    std::uint16_t Number = 0;
    std::string Name;
    std::string UserId;
    std::string Password;
    std::string DataDirectory;
    std::uint8_t Status = 0;
    std::uint8_t Access = 0;

    bool operator==(const TUserRec&) const = default;
};

// "data" and the number in four digits: the account's directory under DataRoot.
std::string DataDirectoryName(std::uint16_t number);
// Whether the stored directory is the one the number gives; anything else ("", "..", a path)
// is never opened or removed.
bool HasOwnDirectory(const TUserRec& account);
// DataRoot/the account's directory; empty when the stored name is not its own.
std::filesystem::path AccountDirectory(const settings::Settings& settings, const TUserRec& account);

// The account file's bytes, and back. Reading stops at the list's end byte; `complete` tells
// whether the data held the whole list and nothing behind it.
std::vector<std::uint8_t> UsersBytes(const std::vector<TUserRec>& users);
std::vector<TUserRec> ParseUsers(std::span<const std::uint8_t> bytes, bool& complete);

// The accounts of "users.lst", read from DataRoot, else ProgramDir, and written to DataRoot.
// Saving takes the file's current contents and applies only this list's own additions, changes
// and deletions (by account number), under a lock, so two copies of the program editing
// different accounts keep both changes.
class TUserList {
public:
    enum class ReadState { Missing, Complete, Damaged };

    explicit TUserList(const settings::Settings& settings);

    // A damaged file is set aside as "users.lst.bad" before anything else happens.
    ReadState LoadUsers();
    // False when the file could not be written; the list is unchanged then.
    bool SaveUsers();

    // False when an account of that name exists or no number is free. The new account's
    // password is hashed here.
    bool AddUser(std::string_view name, std::string_view userId, AccountAccess access,
                 AccountStatus status, std::string_view password);
    int FindUserByName(std::string_view name) const;
    int FindUserById(std::string_view userId) const;
    void DeleteUser(int index);
    // Replaces the account at `index`, keeping its number and directory.
    void ChangeUser(int index, const TUserRec& account);

    const std::vector<TUserRec>& Users() const { return users_; }
    // The smallest number in 1..9999 that no account uses, whose directory does not exist and
    // that does not end the list when written (a low byte 0); 0 when there is none.
    std::uint16_t FreeNumber() const;

private:
    std::vector<std::uint8_t> ReadStored(ReadState& state) const;

    std::filesystem::path dataRoot_;
    std::filesystem::path programDir_;
    std::vector<TUserRec> users_;
    std::set<std::uint16_t> changed_;
    std::set<std::uint16_t> deleted_;
};

} // namespace shelfwise::db
