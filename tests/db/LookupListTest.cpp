#include "db/LookupList.h"

#include "DatabaseFixture.h"
#include "engine/TableOperations.h"

#include <fstream>
#include <functional>
#include <gmock/gmock.h>

namespace shelfwise::db::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LookupListTest : public DatabaseFixture {
protected:
    TLookupList List() const { return {settings, "list3.dbf"}; }

    std::size_t RecordCount() const {
        engine::Table table;
        table.setDirectory(databaseDir);
        table.setFileName("list3.dbf");
        table.open();
        return table.recordCount();
    }
};

TEST_F(LookupListTest, AMissingListIsMadeFromTheTemplateAndReadInTagOrder) {
    TLookupList list = List();
    list.OpenList(*database);
    ASSERT_TRUE(engine::tableExists(databaseDir, "list3.dbf"));
    EXPECT_THAT(list.Items(), IsEmpty());
    for (const char* value : {"Windows NT", "DOS", "amiga", "Windows 95"}) {
        EXPECT_TRUE(list.Add(value));
    }
    EXPECT_THAT(list.Items(), ElementsAre("DOS", "Windows 95", "Windows NT", "amiga"));
    EXPECT_THAT(messageTexts(), IsEmpty());
}

TEST_F(LookupListTest, AValueAlreadyInTheTableIsNotAddedAgain) {
    TLookupList list = List();
    list.OpenList(*database);
    const std::string wide(60, 'x'); // wider than the list field, so stored cut
    for (const std::string& value : {std::string("CD-ROM"), wide, std::string("CD-ROM"), wide}) {
        EXPECT_TRUE(list.Add(value));
    }
    EXPECT_EQ(RecordCount(), 2u);
    EXPECT_THAT(list.Items(), ElementsAre("CD-ROM", wide.substr(0, 50)));
}

TEST_F(LookupListTest, WithoutTheTemplateTheListIsEmptyAndTheUserIsTold) {
    std::filesystem::remove(programDir / "list.dbf");
    TLookupList list = List();
    list.OpenList(*database);
    EXPECT_THAT(messageTexts(), ElementsAre("Error! Could not create a list file: \n" +
                                            (databaseDir / "list3.dbf").string()));
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
    EXPECT_THAT(list.Items(), IsEmpty());
    EXPECT_FALSE(list.Add("CD-ROM"));
}

TEST_F(LookupListTest, ATableThatCannotBeOpenedIsMadeAnew) {
    std::ofstream(databaseDir / "list3.dbf", std::ios::binary) << "not a table at all";
    TLookupList list = List();
    list.OpenList(*database);
    EXPECT_THAT(list.Items(), IsEmpty());
    EXPECT_TRUE(list.Add("CD-ROM"));
    EXPECT_THAT(list.Items(), ElementsAre("CD-ROM"));
    EXPECT_THAT(messageTexts(), IsEmpty());
}

TEST_F(LookupListTest, ADamagedOrMissingIndexIsRebuiltAndTheChoicesKept) {
    const std::function<void()> damages[] = {
        [this] { std::filesystem::remove(databaseDir / "list3.mdx"); },
        [this] { std::ofstream(databaseDir / "list3.mdx", std::ios::binary) << "garbage"; },
    };
    for (const auto& damage : damages) {
        std::filesystem::remove(databaseDir / "list3.dbf");
        TLookupList list = List();
        list.OpenList(*database);
        ASSERT_TRUE(list.Add("Floppy"));
        ASSERT_TRUE(list.Add("CD-ROM"));
        damage();
        list.OpenList(*database);
        EXPECT_THAT(list.Items(), ElementsAre("CD-ROM", "Floppy"));
        EXPECT_TRUE(list.Add("DVD"));
        EXPECT_THAT(list.Items(), ElementsAre("CD-ROM", "DVD", "Floppy"));
    }
    EXPECT_THAT(messageTexts(), IsEmpty());
}

TEST_F(LookupListTest, ATableHeldByAnotherProgramIsLeftAlone) {
    TLookupList list = List();
    list.OpenList(*database);
    ASSERT_TRUE(list.Add("CD-ROM"));
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("list3.dbf");
    other.setExclusive(true);
    other.open();
    list.OpenList(*database);
    EXPECT_THAT(list.Items(), IsEmpty());
    EXPECT_FALSE(list.Add("Floppy"));
    other.close();
    EXPECT_THAT(list.Items(), ElementsAre("CD-ROM"));
    EXPECT_THAT(messageTexts(), IsEmpty());
}

} // namespace
} // namespace shelfwise::db::testing
