#include "db/Login.h"

#include "db/Passwords.h"
#include "db/UserList.h"
#include "settings/SettingsFiles.h"

namespace shelfwise::db {

namespace {

using settings::opt::PasswordMode;
using settings::opt::UserAccess;

bool PasswordsOff(const settings::Settings& s) {
    return s.PasswordMode == PasswordMode::NotRequired;
}

// A new hash for a clear entry the typed password just matched; the entry stays as it is when
// the system cannot hash.
std::string Rehashed(std::string_view password) {
    try {
        return HashPassword(password);
    } catch (const std::runtime_error&) {
        return {};
    }
}

void UpgradeAccount(const settings::Settings& s, std::uint16_t number, std::string_view password) {
    TUserList users(s);
    if (users.LoadUsers() != TUserList::ReadState::Complete) {
        return;
    }
    const auto& all = users.Users();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].Number == number && NeedsRehash(all[i].Password)) {
            const std::string hash = Rehashed(password);
            if (!hash.empty()) {
                TUserRec account = all[i];
                account.Password = hash;
                users.ChangeUser(static_cast<int>(i), account);
                users.SaveUsers();
            }
            return;
        }
    }
}

} // namespace

bool LoginNeeded(const settings::Settings& s, bool securityOptionsExisted) {
    const bool noPassword = PasswordsOff(s) || s.SupervisorPassword.empty();
    return securityOptionsExisted &&
           !(noPassword && s.UserCount == settings::opt::UserCount::OneUser);
}

LoginOutcome CheckLogin(const settings::Settings& s, std::string_view userId,
                        std::string_view password) {
    LoginOutcome outcome;
    outcome.Session.DatabaseDir = s.PublicDir;
    if (userId == SupervisorId) {
        if (PasswordsOff(s) || PasswordMatches(s.SupervisorPassword, password)) {
            outcome.Session.IsSupervisor = true;
            outcome.Result = LoginResult::Accepted;
        }
        return outcome;
    }
    TUserList users(s);
    users.LoadUsers();
    const int index = users.FindUserById(userId);
    if (index < 0) {
        return outcome;
    }
    const TUserRec& account = users.Users()[static_cast<std::size_t>(index)];
    if (!PasswordsOff(s) && !PasswordMatches(account.Password, password)) {
        return outcome;
    }
    const auto directory = AccountDirectory(s, account);
    if (directory.empty()) {
        return outcome;
    }
    outcome.Account = account.Number;
    outcome.Session.UserId = account.UserId;
    outcome.Session.DatabaseDir = directory;
    outcome.Session.UserAccess =
        s.PublicAccess != settings::opt::PublicAccess::AsSpecifiedInAccounts
            ? static_cast<UserAccess>(s.PublicAccess)
            : static_cast<UserAccess>(account.Access + 1);
    outcome.Result = account.Status == static_cast<std::uint8_t>(AccountStatus::NotActive)
                         ? LoginResult::Deactivated
                         : LoginResult::Accepted;
    return outcome;
}

LoginResult Login(settings::Settings& s, std::string_view userId, std::string_view password) {
    const LoginOutcome outcome = CheckLogin(s, userId, password);
    if (outcome.Result == LoginResult::Refused) {
        return outcome.Result;
    }
    s.IsSupervisor = outcome.Session.IsSupervisor;
    s.DatabaseDir = outcome.Session.DatabaseDir;
    s.UserAccess = outcome.Session.UserAccess;
    if (!outcome.Session.UserId.empty()) {
        s.UserId = outcome.Session.UserId;
    }
    if (outcome.Result != LoginResult::Accepted || PasswordsOff(s)) {
        return outcome.Result;
    }
    if (outcome.Session.IsSupervisor) {
        if (NeedsRehash(s.SupervisorPassword)) {
            const std::string hash = Rehashed(password);
            if (!hash.empty()) {
                s.SupervisorPassword = hash;
                settings::SaveSecurityOptions(s);
            }
        }
    } else {
        UpgradeAccount(s, outcome.Account, password);
    }
    return outcome.Result;
}

bool SecurityCheckNeeded(const settings::Settings& s) {
    return !PasswordsOff(s) && !s.SupervisorPassword.empty();
}

std::string SessionUserId(const settings::Settings& s) {
    return s.IsSupervisor ? std::string(SupervisorId) : s.UserId;
}

bool ConfirmIdentity(const settings::Settings& s, std::string_view userId,
                     std::string_view password) {
    if (!RightsOf(s).Maintenance || userId != SessionUserId(s)) {
        return false;
    }
    const LoginOutcome outcome = CheckLogin(s, userId, password);
    return outcome.Result == LoginResult::Accepted;
}

SessionRights RightsOf(const settings::Settings& s) {
    SessionRights rights;
    rights.EditRecords = !settings::ReadOnlyAccess(s);
    rights.Maintenance =
        rights.EditRecords && (s.IsSupervisor || !settings::IsPublicDatabase(s, s.DatabaseDir));
    rights.ManageAccounts = s.IsSupervisor && s.UserCount == settings::opt::UserCount::MultiUser;
    return rights;
}

bool EnsureAccountDirectories(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory / settings::BackupDirName, error);
    return !error;
}

} // namespace shelfwise::db
