#pragma once

#include "settings/Settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace shelfwise::db {

// The user ID of the supervisor, compared exactly.
inline constexpr const char* SupervisorId = "Supervisor";

enum class LoginResult { Accepted, Refused, Deactivated };

// Who a login makes the session's user.
struct LoginSession {
    bool IsSupervisor = false;
    std::filesystem::path DatabaseDir;
    settings::opt::UserAccess UserAccess = settings::opt::UserAccess::ReadWrite;
    std::string UserId;
};

struct LoginOutcome {
    LoginResult Result = LoginResult::Refused;
    LoginSession Session;
    // The account that logged in (0 for the supervisor or none).
    std::uint16_t Account = 0;
};

// Whether the start-up shows the login dialog at all.
bool LoginNeeded(const settings::Settings& settings, bool securityOptionsExisted);

// The login rules, without touching the settings or any file except reading the accounts.
// Texts are Windows-1252.
LoginOutcome CheckLogin(const settings::Settings& settings, std::string_view userId,
                        std::string_view password);

// The start-up login: sets the session values (also for a deactivated account), and after an
// accepted login replaces a password still stored in clear text by its hash. A refused login,
// and an account whose directory is not its own, leave the session as it was.
LoginResult Login(settings::Settings& settings, std::string_view userId, std::string_view password);

// The security check before destructive operations is skipped when passwords are off.
bool SecurityCheckNeeded(const settings::Settings& settings);
// It accepts only the session's own user or the supervisor, and only when that user may maintain
// the database in DatabaseDir (never a read-only user, nor an ordinary user on the public one).
bool ConfirmIdentity(const settings::Settings& settings, std::string_view userId,
                     std::string_view password);
// The user ID the security check asks about.
std::string SessionUserId(const settings::Settings& settings);

// What the session's user may do with the database in DatabaseDir. Maintenance also covers
// deleting databases of that directory.
struct SessionRights {
    bool EditRecords = false;
    bool Maintenance = false;
    bool ManageAccounts = false;
};
SessionRights RightsOf(const settings::Settings& settings);

// Creates the account's directory and its "BACKUP" directory when missing; false on failure.
bool EnsureAccountDirectories(const std::filesystem::path& directory);

} // namespace shelfwise::db
