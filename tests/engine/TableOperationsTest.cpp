#include "engine/TableOperations.h"

#include "TableFixture.h"
#include "engine/EngineError.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

using namespace std::string_literals;

class TableOperationsTest : public TableFixture {
protected:
    void SetUp() override {
        createTable(dir, "data.dbf", everyKind());
        Table t;
        openOn(t, "data.dbf", true);
        for (const char* name : {"beta", "alpha"}) {
            t.append();
            t.setText(0, name);
            t.setText(5, std::string("notes of ") + name);
            t.post();
        }
        t.addTag("IDX0", "UPPER(NAME)", false);
    }

    std::vector<std::string> filesIn(const std::filesystem::path& d) const {
        std::vector<std::string> names = shelfwise::test::FileNamesIn(d);
        std::sort(names.begin(), names.end());
        return names;
    }

    // The records of a table in tag IDX0 order, as name/notes pairs.
    std::vector<std::string> contents(const std::filesystem::path& d, const std::string& name) {
        Table t;
        t.setDirectory(d);
        t.setFileName(name);
        t.setTag("IDX0");
        t.open();
        std::vector<std::string> out;
        for (t.first(); !t.atEnd(); t.next()) {
            out.push_back(t.text(0) + "/" + t.text(5));
        }
        EXPECT_TRUE(t.checkIndexes().empty());
        return out;
    }
};

TEST_F(TableOperationsTest, CopyBringsMemoAndTagsAlongAndReplacesTheTarget) {
    const std::filesystem::path backup = dir / "BACKUP";
    std::filesystem::create_directory(backup);
    // An earlier target whose files have another case and another structure.
    createTable(backup, "DATA.DBF", {{"OTHER", 'C', 5, 0}, {"M", 'M', 10, 0}});
    std::filesystem::rename(backup / "data.dbt", backup / "DATA.DBT");
    {
        Table source; // the source may stay open shared
        openOn(source, "data.dbf");
        copyTable(dir, "data.dbf", backup, "data.dbf");
    }
    EXPECT_EQ(filesIn(backup), (std::vector<std::string>{"DATA.DBF", "data.dbt", "data.mdx"}));
    EXPECT_EQ(contents(backup, "data.dbf"),
              (std::vector<std::string>{"alpha/notes of alpha", "beta/notes of beta"}));

    copyTable(dir, "data", dir, "copy.dbf");
    EXPECT_EQ(contents(dir, "copy.dbf"), contents(dir, "data.dbf"));
    EXPECT_THROW(copyTable(dir, "data", dir, "DATA.DBF"), EngineError);

    Table busy;
    openOn(busy, "copy.dbf");
    EXPECT_THROW(copyTable(dir, "data", dir, "copy"), EngineError);
    busy.close();
    Table exclusive;
    openOn(exclusive, "data.dbf", true);
    EXPECT_THROW(copyTable(dir, "data", dir, "copy"), EngineError);
}

TEST_F(TableOperationsTest, RenameMovesEveryCompanionFile) {
    renameTable(dir, "data.dbf", "TEMP$$$.DBF");
    EXPECT_EQ(filesIn(dir),
              (std::vector<std::string>{"TEMP$$$.DBF", "temp$$$.dbt", "temp$$$.mdx"}));
    EXPECT_EQ(contents(dir, "temp$$$.dbf").size(), 2u);
    // The memo and index headers name the table they belong to.
    std::ifstream memo(dir / "temp$$$.dbt", std::ios::binary);
    std::string memoHeader(16, '\0');
    memo.read(memoHeader.data(), 16);
    EXPECT_EQ(memoHeader.substr(8, 8), "temp$$$\0"s);
    std::ifstream index(dir / "temp$$$.mdx", std::ios::binary);
    std::string indexHeader(20, '\0');
    index.read(indexHeader.data(), 20);
    EXPECT_EQ(indexHeader.substr(4, 8), "temp$$$\0"s);

    createTable(dir, "data.dbf", everyKind());
    EXPECT_THROW(renameTable(dir, "temp$$$.dbf", "data.dbf"), EngineError); // target exists
    EXPECT_THROW(renameTable(dir, "missing.dbf", "other.dbf"), EngineError);
    Table open;
    openOn(open, "data.dbf");
    EXPECT_THROW(renameTable(dir, "data.dbf", "other.dbf"), EngineError);
    EXPECT_TRUE(tableExists(dir, "DATA.dbf"));
}

TEST_F(TableOperationsTest, DeleteRemovesEveryFileButNotWhileOpen) {
    {
        Table open;
        openOn(open, "data.dbf");
        EXPECT_THROW(deleteTable(dir, "data.dbf"), EngineError);
    }
    deleteTable(dir, "data");
    EXPECT_TRUE(filesIn(dir).empty());
    EXPECT_FALSE(tableExists(dir, "data.dbf"));
    EXPECT_THROW(deleteTable(dir, "data"), EngineError);
}

TEST_F(TableOperationsTest, CreateRefusesAnExistingTableAndImpossibleFields) {
    EXPECT_THROW(createTable(dir, "DATA.DBF", everyKind()), EngineError);
    const FieldList bad[] = {
        {},
        {{"NAME", 'C', 0, 0}},
        {{"NAME", 'C', 255, 0}},
        {{"WHEN", 'D', 10, 0}},
        {{"TOOLONGNAME", 'C', 5, 0}},
        {{"KIND", 'X', 5, 0}},
        {{"PRICE", 'N', 5, 5}},
    };
    for (const FieldList& fields : bad) {
        EXPECT_THROW(createTable(dir, "bad.dbf", fields), EngineError);
        EXPECT_FALSE(tableExists(dir, "bad.dbf"));
    }
}

TEST_F(TableOperationsTest, PackAndEmptyNeedExclusiveUse) {
    Table t;
    openOn(t, "data.dbf");
    EXPECT_THROW(t.pack(), EngineError);
    EXPECT_THROW(t.empty(), EngineError);
    EXPECT_THROW(t.regenerateIndexes(), EngineError);
    EXPECT_THROW(t.beginBulkLoad(), EngineError);
}

} // namespace
} // namespace shelfwise::engine::testing
