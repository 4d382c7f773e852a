#include "db/DatabaseCatalogue.h"

#include "DatabaseFixture.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"

#include <fstream>

namespace shelfwise::db {
namespace {

using Entries = std::vector<TCatalogueEntry>;

class DatabaseCatalogueTest : public testing::DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(database->OpenDatabase());
        catalogue = std::make_unique<TDatabaseCatalogue>(*database, settings);
        ASSERT_TRUE(catalogue->Open(databaseDir));
    }

    bool tableFiles(const std::filesystem::path& dir, const std::string& base) const {
        return std::filesystem::exists(dir / (base + ".dbf")) &&
               std::filesystem::exists(dir / (base + ".dbt")) &&
               std::filesystem::exists(dir / (base + ".mdx"));
    }
    bool anyFile(const std::filesystem::path& dir, const std::string& base) const {
        for (const char* ext : {".dbf", ".dbt", ".mdx", ".idx"}) {
            if (std::filesystem::exists(dir / (base + ext))) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<TDatabaseCatalogue> catalogue;
};

TEST_F(DatabaseCatalogueTest, NewDatabasesTakeTheNextFileNumberAndGetTheirTables) {
    EXPECT_EQ(catalogue->Create("Games", "Things to play"), "data_1.dbf");
    EXPECT_EQ(catalogue->Create("Tools", ""), "data_2.dbf");
    EXPECT_EQ(catalogue->Create("Music", "Players"), "data_3.dbf");
    EXPECT_EQ(catalogue->Entries(), (Entries{{"data.dbf", "data.dbf", ""},
                                             {"data_1.dbf", "Games", "Things to play"},
                                             {"data_2.dbf", "Tools", ""},
                                             {"data_3.dbf", "Music", "Players"}}));
    for (const char* base : {"data_1", "data_2", "data_3"}) {
        EXPECT_TRUE(tableFiles(databaseDir, base)) << base;
    }
    // A new catalogue record starts its record numbers at 1.
    ASSERT_TRUE(catalogue->Find("data_2.dbf"));
    EXPECT_EQ(database->MasterTable.number(CatalogueLastNumber), 1.0);
}

TEST_F(DatabaseCatalogueTest, AnExistingFileOfTheNewNameIsAdoptedNotReplaced) {
    engine::copyTable(databaseDir, "data.dbf", databaseDir, "data_1.dbf");
    engine::Table table;
    table.setDirectory(databaseDir);
    table.setFileName("data_1.dbf");
    table.open();
    table.append();
    table.setText(FirstDataField, "kept");
    table.post();
    table.close();

    EXPECT_EQ(catalogue->Create("Old", ""), "data_1.dbf");
    table.open();
    EXPECT_EQ(table.recordCount(), 1u);
}

TEST_F(DatabaseCatalogueTest, DescribeChangesNameAndDescriptionOfThatDatabaseOnly) {
    catalogue->Create("Games", "");
    catalogue->Create("Tools", "");
    EXPECT_TRUE(catalogue->Describe("data_1.dbf", "Arcade", "Old ones"));
    EXPECT_FALSE(catalogue->Describe("data_9.dbf", "Nothing", ""));
    EXPECT_EQ(catalogue->Find("data_1.dbf"), (TCatalogueEntry{"data_1.dbf", "Arcade", "Old ones"}));
    EXPECT_EQ(catalogue->Find("data_2.dbf"), (TCatalogueEntry{"data_2.dbf", "Tools", ""}));
    // "data_1" is no prefix match of a longer file name.
    EXPECT_FALSE(catalogue->Find("data_"));
}

TEST_F(DatabaseCatalogueTest, DeleteDropsTheTableHereAndInBackupAndFreesItsNumber) {
    catalogue->Create("Games", "");
    catalogue->Create("Tools", "");
    const auto backup = databaseDir / settings::BackupDirName;
    std::filesystem::create_directories(backup);
    engine::copyTable(databaseDir, "data_1.dbf", backup, "data_1.dbf");
    std::ofstream(databaseDir / "data_1.idx") << "sort";
    const auto catalogueSize = std::filesystem::file_size(databaseDir / "master.dbf");

    EXPECT_FALSE(catalogue->InUse("data_1.dbf"));
    ASSERT_TRUE(catalogue->Delete("data_1.dbf"));
    EXPECT_FALSE(anyFile(databaseDir, "data_1"));
    EXPECT_FALSE(anyFile(backup, "data_1"));
    EXPECT_TRUE(tableFiles(databaseDir, "data_2"));
    EXPECT_EQ(catalogue->Entries(),
              (Entries{{"data.dbf", "data.dbf", ""}, {"data_2.dbf", "Tools", ""}}));
    // Packed: the deleted record is gone from the file, and the catalogue is open again.
    EXPECT_LT(std::filesystem::file_size(databaseDir / "master.dbf"), catalogueSize);
    EXPECT_TRUE(database->MasterTable.isOpen());
    EXPECT_FALSE(database->MasterTable.exclusive());

    EXPECT_EQ(catalogue->Create("Again", ""), "data_1.dbf");
    EXPECT_FALSE(catalogue->Delete("data_7.dbf"));
}

TEST_F(DatabaseCatalogueTest, ANewDatabaseSkipsANameAnotherProgramIsCreating) {
    // Another program has just made its file of that name and not listed it yet.
    std::ofstream(databaseDir / "data_1.dbf").close();
    EXPECT_EQ(catalogue->Create("Games", ""), "data_2.dbf");
    EXPECT_EQ(std::filesystem::file_size(databaseDir / "data_1.dbf"), 0u);
    EXPECT_TRUE(tableFiles(databaseDir, "data_2"));
    EXPECT_FALSE(catalogue->Find("data_1.dbf"));
}

TEST_F(DatabaseCatalogueTest, ADatabaseAnotherProgramHoldsIsNotDeletedAndStaysListed) {
    catalogue->Create("Games", "");
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("data_1.dbf");
    other.open();

    EXPECT_THROW(catalogue->Delete("data_1.dbf"), engine::EngineError);
    EXPECT_TRUE(tableFiles(databaseDir, "data_1"));
    EXPECT_TRUE(catalogue->Find("data_1.dbf"));
    other.close();
    // The next new database does not take the number.
    EXPECT_EQ(catalogue->Create("Tools", ""), "data_2.dbf");
}

TEST_F(DatabaseCatalogueTest, OnlyPlainFileNamesAreDatabasesAndTheyAreNeverCut) {
    // A table outside the database directory, and catalogue records naming it or a long name.
    engine::copyTable(databaseDir, "data.dbf", root, "v.dbf");
    engine::copyTable(databaseDir, "data.dbf", databaseDir, "collection_2024.dbf");
    for (const char* name : {"../v.dbf", "collection_2024.dbf"}) {
        database->MasterTable.append();
        database->MasterTable.setText(CatalogueFileName, name);
        database->MasterTable.post();
    }
    EXPECT_FALSE(catalogue->Find("../v.dbf"));
    EXPECT_FALSE(catalogue->PrepareLoad("../v.dbf"));
    EXPECT_FALSE(catalogue->Delete("../v.dbf"));
    EXPECT_TRUE(engine::tableExists(root, "v.dbf"));

    EXPECT_EQ(catalogue->PrepareLoad("collection_2024.dbf"), "collection_2024.dbf");
    EXPECT_FALSE(engine::tableExists(databaseDir, "collection_2.dbf"));
}

TEST_F(DatabaseCatalogueTest, TheOpenDatabaseIsInUse) {
    catalogue->Create("Games", "");
    EXPECT_TRUE(catalogue->InUse("data.dbf"));
    EXPECT_FALSE(catalogue->InUse("data_1.dbf"));
    EXPECT_FALSE(catalogue->InUse("data_5.dbf"));
}

TEST_F(DatabaseCatalogueTest, LoadingAListedDatabaseWhoseFileIsMissingMakesItsTable) {
    catalogue->Create("Games", "");
    engine::deleteTable(databaseDir, "data_1.dbf");
    EXPECT_EQ(catalogue->PrepareLoad("data_1.dbf"), "data_1.dbf");
    EXPECT_TRUE(tableFiles(databaseDir, "data_1"));
    EXPECT_FALSE(catalogue->PrepareLoad("data_2.dbf"));
    EXPECT_FALSE(anyFile(databaseDir, "data_2"));
}

TEST_F(DatabaseCatalogueTest, NoNewDatabaseBeyondTheLimit) {
    database->MasterTable.close();
    {
        engine::Table master;
        master.setDirectory(databaseDir);
        master.setFileName("master.dbf");
        master.setExclusive(true);
        master.open();
        master.beginBulkLoad();
        // Written in upper case: the numbers are taken whatever the letter case.
        for (int n = 1; n <= TDatabaseCatalogue::MaxDatabases; ++n) {
            master.append();
            master.setText(CatalogueFileName, "DATA_" + std::to_string(n) + ".DBF");
            master.post();
        }
        master.endBulkLoad();
    }
    ASSERT_TRUE(catalogue->Open(databaseDir));
    EXPECT_FALSE(catalogue->NextFileName());
    EXPECT_FALSE(catalogue->Create("One too many", ""));
    EXPECT_EQ(catalogue->Entries().size(), 1u + TDatabaseCatalogue::MaxDatabases);
}

TEST_F(DatabaseCatalogueTest, OpeningADirectoryWithoutCatalogueFails) {
    const auto elsewhere = root / "private";
    std::filesystem::create_directories(elsewhere);
    EXPECT_FALSE(catalogue->Open(elsewhere));
    EXPECT_EQ(settings.DatabaseDir, elsewhere);
    EXPECT_TRUE(catalogue->Entries().empty());
}

} // namespace
} // namespace shelfwise::db
