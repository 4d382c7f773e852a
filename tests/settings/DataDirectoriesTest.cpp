#include "settings/SettingsFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::settings {
namespace {

using test::TemporaryDirectory;

TEST(DataDirectories, FirstRunCreatesDataAndBackupUnderTheProgramDirectory) {
    TemporaryDirectory program;
    Settings settings;
    settings.ProgramDir = program.Path();
    settings.DataRoot = program.Path();
    SetPublicDir(settings);
    EXPECT_EQ(settings.PublicDir, program / "DATA");
    EXPECT_EQ(settings.DatabaseDir, program / "DATA");

    EXPECT_TRUE(EnsureDataDirectories(settings));
    EXPECT_TRUE(std::filesystem::is_directory(program / "DATA/BACKUP"));

    std::filesystem::remove(program / "DATA/BACKUP");
    EXPECT_TRUE(EnsureDataDirectories(settings));
    EXPECT_TRUE(std::filesystem::is_directory(program / "DATA/BACKUP"));
}

TEST(DataDirectories, ReportsFailureWhenTheyCannotBeCreated) {
    TemporaryDirectory program;
    test::WriteText(program / "file", "not a directory");
    Settings settings;
    settings.DataRoot = program / "file";
    SetPublicDir(settings);
    EXPECT_FALSE(EnsureDataDirectories(settings));

    settings.DataRoot = program.Path();
    SetPublicDir(settings);
    test::WriteText(program / "DATA", "");
    EXPECT_FALSE(EnsureDataDirectories(settings));
}

TEST(DataDirectories, PublicDatabaseComparesOnlyLettersAToZWithoutCase) {
    Settings settings;
    settings.DataRoot = "/srv/Shelf\xE9";
    const struct {
        const char* directory;
        bool isPublic;
    } cases[] = {
        {"/srv/Shelf\xE9/DATA", true},   {"/SRV/shelf\xE9/data", true},
        {"/srv/Shelf\xE9/DATA/", false}, {"/srv/Shelf\xC9/DATA", false},
        {"/srv/Shelf\xE9/DATA2", false}, {"/srv/Shelf\xE9", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPublicDatabase(settings, c.directory), c.isPublic) << c.directory;
    }
}

TEST(DataDirectories, ReadOnlyAccessNeedsReadOnlyUserInThePublicDatabase) {
    Settings settings;
    settings.DataRoot = "/srv/shelf";
    const struct {
        opt::UserAccess access;
        const char* databaseDir;
        bool readOnly;
    } cases[] = {
        {opt::UserAccess::ReadOnly, "/srv/shelf/data", true},
        {opt::UserAccess::ReadOnly, "/srv/shelf/jane", false},
        {opt::UserAccess::ReadWrite, "/srv/shelf/DATA", false},
        {opt::UserAccess::None, "/srv/shelf/DATA", false},
    };
    for (const auto& c : cases) {
        settings.UserAccess = c.access;
        settings.DatabaseDir = c.databaseDir;
        EXPECT_EQ(ReadOnlyAccess(settings), c.readOnly) << c.databaseDir;
    }
}

} // namespace
} // namespace shelfwise::settings
