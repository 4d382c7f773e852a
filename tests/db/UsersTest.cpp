#include "DatabaseFixture.h"
#include "db/Login.h"
#include "db/Passwords.h"
#include "db/UserList.h"
#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::db {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using settings::opt::PasswordMode;
using settings::opt::PublicAccess;
using settings::opt::UserAccess;
using settings::opt::UserCount;

TUserRec Account(std::uint16_t number, std::string name, std::string id, std::string password,
                 std::uint8_t status = 0, std::uint8_t access = 0) {
    return {number, std::move(name), std::move(id), std::move(password), DataDirectoryName(number),
            status, access};
}

class UsersTest : public ::testing::Test {
protected:
    void SetUp() override {
        s.ProgramDir = s.DataRoot = root;
        settings::SetPublicDir(s);
    }

    void WriteUsers(const std::vector<TUserRec>& users) {
        ASSERT_TRUE(settings::ReplaceFile(root / UsersFileName, UsersBytes(users)));
    }
    Bytes StoredUsers() const { return settings::ReadFileBytes(root / UsersFileName).value(); }
    std::vector<TUserRec> ParsedUsers() const {
        bool complete = false;
        auto users = ParseUsers(StoredUsers(), complete);
        EXPECT_TRUE(complete);
        return users;
    }

    shelfwise::test::TemporaryDirectory scratch{"users"};
    fs::path root = scratch.Path();
    settings::Settings s;
};

TEST_F(UsersTest, TheAccountFileHasItsExactLayoutAndReadsBack) {
    const std::vector<TUserRec> users{Account(7, "Ann Lee", "ann", "pw1", 0, 1)};
    const Bytes expected{0x01, 0x07, 0x00, 0x07, 0x43, 0x65, 0x68, 0x33, 0x45, 0x64, 0x6b,
                         0x03, 0x63, 0x65, 0x68, 0x03, 0x72, 0x7c, 0x37, 0x08, 0x66, 0x6a,
                         0x72, 0x72, 0x39, 0x31, 0x3e, 0x34, 0x00, 0x01, 0x00};
    EXPECT_EQ(UsersBytes(users), expected);
    bool complete = false;
    EXPECT_EQ(ParseUsers(expected, complete), users);
    EXPECT_TRUE(complete);
}

TEST_F(UsersTest, EveryCutOfTheFileReadsOnlyWholeAccountsAndIsDamaged) {
    const std::vector<TUserRec> users{Account(1, "A", "a", "x"), Account(2, "Bob", "b", ""),
                                      Account(3, "Cy", "c", "zz", 1, 2)};
    const Bytes full = UsersBytes(users);
    for (std::size_t size = 0; size < full.size(); ++size) {
        bool complete = true;
        const auto read = ParseUsers(std::span(full).first(size), complete);
        EXPECT_FALSE(complete) << size;
        ASSERT_LE(read.size(), users.size());
        EXPECT_TRUE(std::equal(read.begin(), read.end(), users.begin())) << size;
    }
    // A number with a low byte 0 ends the list: what stands behind it makes the file damaged.
    Bytes account256 = UsersBytes({Account(256, "N", "n", "")});
    bool complete = true;
    EXPECT_TRUE(ParseUsers(account256, complete).empty());
    EXPECT_FALSE(complete);
}

TEST_F(UsersTest, ADamagedFileIsSetAsideAndNeverOverwritten) {
    const Bytes full = UsersBytes({Account(1, "A", "a", "x"), Account(2, "B", "b", "y")});
    const Bytes damaged(full.begin(), full.end() - 5);
    settings::ReplaceFile(root / UsersFileName, damaged);

    TUserList list(s);
    EXPECT_EQ(list.LoadUsers(), TUserList::ReadState::Damaged);
    ASSERT_EQ(list.Users().size(), 1u);
    EXPECT_EQ(settings::ReadFileBytes(root / DamagedUsersFileName), damaged);

    ASSERT_TRUE(list.AddUser("C", "c", AccountAccess::ReadOnly, AccountStatus::Active, ""));
    ASSERT_TRUE(list.SaveUsers());
    EXPECT_EQ(settings::ReadFileBytes(root / DamagedUsersFileName), damaged);
    EXPECT_EQ(ParsedUsers().size(), 2u);
}

TEST_F(UsersTest, NewAccountsGetANumberNoAccountOrDirectoryHolds) {
    WriteUsers({Account(1, "A", "a", ""), Account(3, "C", "c", "")});
    fs::create_directories(root / "DATA0002");
    TUserList list(s);
    ASSERT_EQ(list.LoadUsers(), TUserList::ReadState::Complete);

    ASSERT_TRUE(list.AddUser("D", "d", AccountAccess::ReadAndWrite, AccountStatus::Active, ""));
    EXPECT_EQ(list.Users().back().Number, 4);
    EXPECT_EQ(list.Users().back().DataDirectory, "data0004");
    EXPECT_FALSE(list.AddUser("D", "e", AccountAccess::None, AccountStatus::Active, ""));

    // A deleted account's number is not given out again while its deletion is pending.
    list.DeleteUser(list.FindUserByName("A"));
    ASSERT_TRUE(list.AddUser("E", "e", AccountAccess::None, AccountStatus::Active, ""));
    EXPECT_EQ(list.Users().back().Number, 5);

    std::vector<TUserRec> many;
    for (std::uint16_t n = 1; n <= 255; ++n) {
        many.push_back(Account(n, "U" + std::to_string(n), "u" + std::to_string(n), ""));
    }
    WriteUsers(many);
    ASSERT_EQ(list.LoadUsers(), TUserList::ReadState::Complete);
    EXPECT_EQ(list.FreeNumber(), 257);
}

TEST_F(UsersTest, TwoCopiesSavingDifferentAccountsKeepBothChanges) {
    WriteUsers({Account(1, "A", "a", ""), Account(2, "B", "b", ""), Account(3, "C", "c", "")});
    TUserList first(s);
    TUserList second(s);
    first.LoadUsers();
    second.LoadUsers();

    TUserRec changed = first.Users()[0];
    changed.Status = 1;
    first.ChangeUser(0, changed);
    first.DeleteUser(2);
    ASSERT_TRUE(first.SaveUsers());
    TUserRec renamed = second.Users()[1];
    renamed.Name = "Bea";
    second.ChangeUser(1, renamed);
    ASSERT_TRUE(second.SaveUsers());

    EXPECT_EQ(ParsedUsers(),
              (std::vector<TUserRec>{Account(1, "A", "a", "", 1), Account(2, "Bea", "b", "")}));
}

TEST_F(UsersTest, PasswordsAreStoredAsHashesAndCheckedInBothForms) {
    const std::string hash = HashPassword("pw1");
    EXPECT_TRUE(hash.starts_with("$y$"));
    EXPECT_NE(hash, HashPassword("pw1")) << "salted";
    EXPECT_TRUE(PasswordMatches(hash, "pw1"));
    EXPECT_FALSE(PasswordMatches(hash, "pw2"));
    EXPECT_FALSE(PasswordMatches(hash, ""));
    EXPECT_TRUE(PasswordMatches("pw1", "pw1"));
    EXPECT_FALSE(PasswordMatches("pw1", "pw10"));
    EXPECT_FALSE(PasswordMatches("pw1", "Pw1"));
    EXPECT_TRUE(PasswordMatches("", ""));
    EXPECT_EQ(HashPassword(""), "");
    EXPECT_TRUE(NeedsRehash("pw1"));
    EXPECT_FALSE(NeedsRehash(hash));
    EXPECT_FALSE(NeedsRehash(""));

    TUserList list(s);
    ASSERT_TRUE(list.AddUser("A", "a", AccountAccess::ReadAndWrite, AccountStatus::Active, "pw1"));
    ASSERT_TRUE(list.SaveUsers());
    const auto stored = ParsedUsers();
    EXPECT_TRUE(PasswordMatches(stored[0].Password, "pw1"));
    EXPECT_NE(stored[0].Password, "pw1");
}

// The login rules. Accounts: "ann" (read only, password "pw"), "bob" (deactivated, "bp"),
// "supervisor" (an ordinary ID in lower case, "sp"); the supervisor's password is "root".
TEST_F(UsersTest, LoginRulesTable) {
    WriteUsers({Account(1, "Ann", "ann", "pw", 0, 1), Account(2, "Bob", "bob", "bp", 1, 0),
                Account(3, "Sup", "supervisor", "sp", 0, 2)});
    struct Case {
        PasswordMode mode;
        PublicAccess publicAccess;
        const char* id;
        const char* password;
        LoginResult result;
        bool supervisor;
        const char* directory; // under the data root
        UserAccess access;
    };
    const auto R = PasswordMode::Required;
    const auto N = PasswordMode::NotRequired;
    const auto A = PublicAccess::AsSpecifiedInAccounts;
    const Case cases[] = {
        {R, A, "Supervisor", "root", LoginResult::Accepted, true, "DATA", UserAccess::ReadWrite},
        {R, A, "Supervisor", "Root", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
        {N, A, "Supervisor", "", LoginResult::Accepted, true, "DATA", UserAccess::ReadWrite},
        {R, A, "ann", "pw", LoginResult::Accepted, false, "data0001", UserAccess::ReadOnly},
        {R, A, "ann", "PW", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
        {R, A, "Ann", "pw", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
        {N, A, "ann", "wrong", LoginResult::Accepted, false, "data0001", UserAccess::ReadOnly},
        {R, PublicAccess::ReadAndWrite, "ann", "pw", LoginResult::Accepted, false, "data0001",
         UserAccess::ReadWrite},
        {R, PublicAccess::None, "ann", "pw", LoginResult::Accepted, false, "data0001",
         UserAccess::None},
        {R, A, "bob", "bp", LoginResult::Deactivated, false, "data0002", UserAccess::ReadWrite},
        {R, A, "bob", "x", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
        {R, A, "supervisor", "root", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
        {R, A, "supervisor", "sp", LoginResult::Accepted, false, "data0003", UserAccess::None},
        {R, A, "nobody", "", LoginResult::Refused, false, "DATA", UserAccess::ReadWrite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + "/" + c.password);
        s.PasswordMode = c.mode;
        s.PublicAccess = c.publicAccess;
        s.SupervisorPassword = "root";
        const LoginOutcome outcome = CheckLogin(s, c.id, c.password);
        EXPECT_EQ(outcome.Result, c.result);
        EXPECT_EQ(outcome.Session.IsSupervisor, c.supervisor);
        EXPECT_EQ(outcome.Session.DatabaseDir, root / c.directory);
        EXPECT_EQ(outcome.Session.UserAccess, c.access);
        EXPECT_EQ(outcome.Session.UserId, c.result == LoginResult::Refused || c.supervisor
                                              ? std::string()
                                              : std::string(c.id));
    }
}

TEST_F(UsersTest, TheStartUpLoginAsksOnlyWhenTheOptionsCallForIt) {
    struct Case {
        bool fileExisted;
        PasswordMode mode;
        const char* supervisorPassword;
        UserCount users;
        bool asked;
    };
    const Case cases[] = {
        {false, PasswordMode::Required, "root", UserCount::MultiUser, false},
        {true, PasswordMode::NotRequired, "root", UserCount::OneUser, false},
        {true, PasswordMode::Required, "", UserCount::OneUser, false},
        {true, PasswordMode::Required, "root", UserCount::OneUser, true},
        {true, PasswordMode::NotRequired, "", UserCount::MultiUser, true},
    };
    for (const Case& c : cases) {
        s.PasswordMode = c.mode;
        s.SupervisorPassword = c.supervisorPassword;
        s.UserCount = c.users;
        EXPECT_EQ(LoginNeeded(s, c.fileExisted), c.asked);
    }
}

TEST_F(UsersTest, LegacyEntriesLogInAndAreUpgradedTheRestOfTheFileUnchanged) {
    const std::vector<TUserRec> legacy{Account(1, "Ann", "ann", "pw", 0, 1),
                                       Account(2, "Bob", "bob", "bp"),
                                       Account(3, "Cy", "cy", "", 1, 2)};
    WriteUsers(legacy);
    s.PasswordMode = PasswordMode::Required;
    s.UserCount = UserCount::MultiUser;
    s.SupervisorPassword = "root";
    ASSERT_TRUE(settings::WriteSecurityOptions(s));

    ASSERT_EQ(Login(s, "bob", "bp"), LoginResult::Accepted);
    EXPECT_EQ(s.UserId, "bob");
    EXPECT_FALSE(s.IsSupervisor);
    auto stored = ParsedUsers();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_TRUE(stored[1].Password.starts_with("$y$"));
    EXPECT_TRUE(PasswordMatches(stored[1].Password, "bp"));
    stored[1].Password = "bp";
    EXPECT_EQ(UsersBytes(stored), UsersBytes(legacy)) << "only the logged-in entry changed";

    // The supervisor's clear password becomes a hash in the security options.
    settings::Settings next;
    next.ProgramDir = next.DataRoot = root;
    ASSERT_TRUE(settings::ReadSecurityOptions(next));
    settings::SetPublicDir(next);
    ASSERT_EQ(Login(next, "Supervisor", "root"), LoginResult::Accepted);
    settings::Settings reread;
    reread.ProgramDir = root;
    settings::ReadSecurityOptions(reread);
    EXPECT_TRUE(reread.SupervisorPassword.starts_with("$y$"));
    EXPECT_TRUE(PasswordMatches(reread.SupervisorPassword, "root"));

    // A refused login upgrades nothing.
    WriteUsers(legacy);
    EXPECT_EQ(Login(s, "ann", "nope"), LoginResult::Refused);
    EXPECT_EQ(StoredUsers(), UsersBytes(legacy));
}

TEST_F(UsersTest, PathLikeDataDirectoriesAreNeverOpened) {
    for (const char* directory : {"", "..", "../DATA", "/tmp", "DATA", "data0002", "data0001/.."}) {
        SCOPED_TRACE(directory);
        TUserRec account = Account(1, "Ann", "ann", "");
        account.DataDirectory = directory;
        WriteUsers({account});
        EXPECT_FALSE(HasOwnDirectory(account));
        EXPECT_TRUE(AccountDirectory(s, account).empty());
        EXPECT_EQ(CheckLogin(s, "ann", "").Result, LoginResult::Refused);
    }
    TUserRec own = Account(1, "Ann", "ann", "");
    own.DataDirectory = "DATA0001";
    EXPECT_EQ(AccountDirectory(s, own), root / "DATA0001");
}

// What a session may do, and whom the security check accepts.
TEST_F(UsersTest, RightsAndTheSecurityCheckFollowTheSession) {
    WriteUsers({Account(1, "Ann", "ann", HashPassword("pw")), Account(2, "Bob", "bob", "bp")});
    s.PasswordMode = PasswordMode::Required;
    s.UserCount = UserCount::MultiUser;
    s.SupervisorPassword = HashPassword("root");
    struct Case {
        bool supervisor;
        const char* user;
        UserAccess access;
        const char* directory;
        bool edit, maintain, manage;
    };
    const Case cases[] = {
        {true, "", UserAccess::ReadWrite, "DATA", true, true, true},
        {false, "ann", UserAccess::ReadWrite, "DATA", true, false, false},
        {false, "ann", UserAccess::ReadWrite, "data0001", true, true, false},
        {false, "ann", UserAccess::ReadOnly, "DATA", false, false, false},
        {false, "ann", UserAccess::ReadOnly, "data0001", true, true, false},
        {false, "ann", UserAccess::None, "data0001", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + " in " + c.directory);
        s.IsSupervisor = c.supervisor;
        s.UserId = c.user;
        s.UserAccess = c.access;
        s.DatabaseDir = root / c.directory;
        const SessionRights rights = RightsOf(s);
        EXPECT_EQ(rights.EditRecords, c.edit);
        EXPECT_EQ(rights.Maintenance, c.maintain);
        EXPECT_EQ(rights.ManageAccounts, c.manage);
        EXPECT_EQ(ConfirmIdentity(s, "Supervisor", "root"), c.maintain && c.supervisor);
        EXPECT_EQ(ConfirmIdentity(s, "ann", "pw"), c.maintain && !c.supervisor);
        // Another account's valid password never passes.
        EXPECT_FALSE(ConfirmIdentity(s, "bob", "bp"));
        EXPECT_FALSE(ConfirmIdentity(s, "ann", "wrong"));
    }
    s.PasswordMode = PasswordMode::NotRequired;
    EXPECT_FALSE(SecurityCheckNeeded(s));
    s.PasswordMode = PasswordMode::Required;
    s.SupervisorPassword.clear();
    EXPECT_FALSE(SecurityCheckNeeded(s));
}

} // namespace
} // namespace shelfwise::db
