#include "db/UserList.h"

#include "db/Passwords.h"
#include "settings/ByteCursor.h"
#include "settings/FileBytes.h"
#include "settings/ScrambledString.h"
#include "settings/Settings.h"
#include "settings/ValueStreamWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shelfwise::db {

namespace {

constexpr std::uint8_t ListBegin = 1;
constexpr std::uint8_t ListEnd = 0;

// Held while the account file is read and replaced, so a second copy of the program saving at
// the same moment works on the first one's result. Without a lock file (a read-only DataRoot)
// the save goes on: its write would fail anyway.
class UsersLock {
public:
    explicit UsersLock(const std::filesystem::path& dataRoot)
        : fd_(::open((dataRoot / "users.lst.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_EX);
        }
    }
    ~UsersLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UsersLock(const UsersLock&) = delete;
    UsersLock& operator=(const UsersLock&) = delete;

private:
    int fd_;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Exists(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file, error);
}

} // namespace

std::string DataDirectoryName(std::uint16_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "data%04u", static_cast<unsigned>(number));
    return name;
}

bool HasOwnDirectory(const TUserRec& account) {
    return account.Number >= 1 && account.Number <= MaxAccountNumber &&
           Lower(account.DataDirectory) == DataDirectoryName(account.Number);
}

std::filesystem::path AccountDirectory(const settings::Settings& settings,
                                       const TUserRec& account) {
    if (!HasOwnDirectory(account)) {
        return {};
    }
    return settings.DataRoot / account.DataDirectory;
}

std::vector<std::uint8_t> UsersBytes(const std::vector<TUserRec>& users) {
    settings::ValueStreamWriter out;
    out.WriteByte(ListBegin);
    for (const TUserRec& user : users) {
        out.WriteInt16(static_cast<std::int16_t>(user.Number));
        for (const std::string* text :
             {&user.Name, &user.UserId, &user.Password, &user.DataDirectory}) {
            settings::WriteScrambled(out, *text, settings::UsersKey);
        }
        out.WriteByte(user.Status);
        out.WriteByte(user.Access);
    }
    out.WriteByte(ListEnd);
    return out.Bytes();
}

std::vector<TUserRec> ParseUsers(std::span<const std::uint8_t> bytes, bool& complete) {
    std::vector<TUserRec> users;
    complete = false;
    settings::ByteCursor in(bytes);
    if (in.Byte() != ListBegin) {
        return users;
    }
    while (true) {
        const auto next = in.Peek();
        if (!next) {
            return users;
        }
        if (*next == ListEnd) {
            in.Byte();
            // Bytes behind the end are accounts a reader cannot reach (a number with a low
            // byte 0): the file is not what this reader would write.
            complete = in.AtEnd();
            return users;
        }
        TUserRec user;
        const auto number = in.Int16();
        if (!number) {
            return users;
        }
        user.Number = static_cast<std::uint16_t>(*number);
        for (std::string* text : {&user.Name, &user.UserId, &user.Password, &user.DataDirectory}) {
            // Status and access follow the texts, so each text must leave bytes behind it.
            const auto size = in.Peek();
            if (!size || in.Remaining() <= 1u + *size) {
                return users;
            }
            *text = settings::ReadScrambled(in, settings::UsersKey);
        }
        const auto status = in.Byte();
        const auto access = in.Byte();
        if (!status || !access) {
            return users;
        }
        user.Status = *status;
        user.Access = *access;
        users.push_back(std::move(user));
    }
}

TUserList::TUserList(const settings::Settings& settings)
    : dataRoot_(settings.DataRoot), programDir_(settings.ProgramDir) {}

std::vector<std::uint8_t> TUserList::ReadStored(ReadState& state) const {
    std::filesystem::path file = dataRoot_ / UsersFileName;
    if (!Exists(file)) {
        file = programDir_ / UsersFileName;
    }
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes) {
        state = Exists(file) ? ReadState::Damaged : ReadState::Missing;
        return {};
    }
    bool complete = false;
    ParseUsers(*bytes, complete);
    state = complete ? ReadState::Complete : ReadState::Damaged;
    if (!complete && !settings::ReplaceFile(dataRoot_ / DamagedUsersFileName, std::span(*bytes))) {
        // Not set aside: nothing may replace it.
        throw std::runtime_error("the damaged account file could not be set aside");
    }
    return *bytes;
}

TUserList::ReadState TUserList::LoadUsers() {
    users_.clear();
    changed_.clear();
    deleted_.clear();
    ReadState state = ReadState::Missing;
    try {
        const auto bytes = ReadStored(state);
        bool complete = false;
        users_ = ParseUsers(bytes, complete);
    } catch (const std::runtime_error&) {
        state = ReadState::Damaged;
    }
    return state;
}

bool TUserList::SaveUsers() {
    UsersLock lock(dataRoot_);
    std::vector<TUserRec> stored;
    try {
        ReadState state = ReadState::Missing;
        const auto bytes = ReadStored(state);
        bool complete = false;
        stored = ParseUsers(bytes, complete);
    } catch (const std::runtime_error&) {
        return false;
    }
    std::erase_if(stored, [this](const TUserRec& user) { return deleted_.contains(user.Number); });
    for (const std::uint16_t number : changed_) {
        const auto mine = std::find_if(users_.begin(), users_.end(),
                                       [number](const TUserRec& u) { return u.Number == number; });
        const auto theirs = std::find_if(stored.begin(), stored.end(), [number](const TUserRec& u) {
            return u.Number == number;
        });
        if (theirs != stored.end()) {
            *theirs = *mine;
        } else {
            stored.push_back(*mine);
        }
    }
    const auto bytes = UsersBytes(stored);
    if (!settings::ReplaceFile(dataRoot_ / UsersFileName, bytes)) {
        return false;
    }
    users_ = std::move(stored);
    changed_.clear();
    deleted_.clear();
    return true;
}

std::uint16_t TUserList::FreeNumber() const {
    std::set<std::string> directories;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dataRoot_, error), end; !error && it != end;
         it.increment(error)) {
        directories.insert(Lower(it->path().filename().string()));
    }
    for (std::uint16_t number = 1; number <= MaxAccountNumber; ++number) {
        if ((number & 0xFF) == 0 || directories.contains(DataDirectoryName(number)) ||
            deleted_.contains(number)) {
            continue;
        }
        const bool used = std::any_of(users_.begin(), users_.end(),
                                      [number](const TUserRec& u) { return u.Number == number; });
        if (!used) {
            return number;
        }
    }
    return 0;
}

bool TUserList::AddUser(std::string_view name, std::string_view userId, AccountAccess access,
                        AccountStatus status, std::string_view password) {
    if (FindUserByName(name) >= 0) {
        return false;
    }
    const std::uint16_t number = FreeNumber();
    if (number == 0) {
        return false;
    }
    TUserRec user;
    user.Number = number;
    user.Name = name;
    user.UserId = userId;
    user.Password = HashPassword(password);
    user.DataDirectory = DataDirectoryName(number);
    user.Status = static_cast<std::uint8_t>(status);
    user.Access = static_cast<std::uint8_t>(access);
    users_.push_back(std::move(user));
    changed_.insert(number);
    return true;
}

int TUserList::FindUserByName(std::string_view name) const {
    const auto it = std::find_if(users_.begin(), users_.end(),
                                 [name](const TUserRec& u) { return u.Name == name; });
    return it == users_.end() ? -1 : static_cast<int>(it - users_.begin());
}

int TUserList::FindUserById(std::string_view userId) const {
    const auto it = std::find_if(users_.begin(), users_.end(),
                                 [userId](const TUserRec& u) { return u.UserId == userId; });
    return it == users_.end() ? -1 : static_cast<int>(it - users_.begin());
}

void TUserList::DeleteUser(int index) {
    if (index < 0 || index >= static_cast<int>(users_.size())) {
        return;
    }
    const std::uint16_t number = users_[static_cast<std::size_t>(index)].Number;
    changed_.erase(number);
    deleted_.insert(number);
    users_.erase(users_.begin() + index);
}

void TUserList::ChangeUser(int index, const TUserRec& account) {
    if (index < 0 || index >= static_cast<int>(users_.size())) {
        return;
    }
    TUserRec& user = users_[static_cast<std::size_t>(index)];
    const std::uint16_t number = user.Number;
    const std::string directory = user.DataDirectory;
    user = account;
    user.Number = number;
    user.DataDirectory = directory;
    changed_.insert(number);
}

} // namespace shelfwise::db
