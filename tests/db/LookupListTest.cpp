#include "db/LookupList.h"

#include "DatabaseFixture.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"

#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

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

using Items = std::vector<std::string>;

TEST_F(LookupListTest, ItemEditsChangeOnlyTheirItem) {
    struct Case {
        const char* what;
        std::function<bool(TLookupList&)> edit;
        bool result;
        Items items;
    };
    const Case cases[] = {
        {"add", [](TLookupList& l) { return l.Add("Linux"); }, true, {"DOS", "Linux", "OS/2"}},
        {"add one already there",
         [](TLookupList& l) { return l.Add("DOS"); },
         true,
         {"DOS", "OS/2"}},
        {"rename",
         [](TLookupList& l) { return l.Rename("DOS", "MS-DOS"); },
         true,
         {"MS-DOS", "OS/2"}},
        {"rename by case only",
         [](TLookupList& l) { return l.Rename("OS/2", "os/2"); },
         true,
         {"DOS", "os/2"}},
        {"rename a missing item",
         [](TLookupList& l) { return l.Rename("BeOS", "Haiku"); },
         false,
         {"DOS", "OS/2"}},
        {"remove", [](TLookupList& l) { return l.Remove("DOS"); }, true, {"OS/2"}},
        {"remove a missing item",
         [](TLookupList& l) { return l.Remove("dos"); },
         false,
         {"DOS", "OS/2"}},
        {"remove then pack",
         [](TLookupList& l) { return l.Remove("OS/2") && l.Pack(); },
         true,
         {"DOS"}},
        {"add several, some there",
         [](TLookupList& l) {
             return l.AddMissing({"BeOS", "DOS", "Amiga"});
         },
         true,
         {"Amiga", "BeOS", "DOS", "OS/2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(databaseDir / "list3.dbf");
        std::filesystem::remove(databaseDir / "list3.mdx");
        TLookupList list = List();
        list.OpenList(*database);
        ASSERT_TRUE(list.AddMissing({"OS/2", "DOS"}));
        EXPECT_EQ(c.edit(list), c.result);
        EXPECT_EQ(list.Items(), c.items);
        for (const std::string& item : c.items) {
            EXPECT_TRUE(list.Contains(item)) << item;
        }
        EXPECT_FALSE(list.Contains("Windows"));
    }
    EXPECT_THAT(messageTexts(), IsEmpty());
}

TEST_F(LookupListTest, AnotherProgramReadingTheListLeavesThePackForLater) {
    TLookupList list = List();
    list.OpenList(*database);
    ASSERT_TRUE(list.AddMissing({"CD-ROM", "DVD", "Floppy"}));
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("list3.dbf");
    other.setReadOnly(true);
    other.open();
    EXPECT_TRUE(list.Remove("DVD"));
    EXPECT_TRUE(list.Add("Blu-ray"));
    EXPECT_FALSE(list.Pack());
    // Both programs see the change; the deleted item stays hidden until the pack.
    EXPECT_THAT(list.Items(), ElementsAre("Blu-ray", "CD-ROM", "Floppy"));
    std::vector<std::string> seen;
    other.setTag(LookupTag);
    for (other.first(); !other.atEnd(); other.next()) {
        seen.push_back(other.text(0));
    }
    EXPECT_THAT(seen, ElementsAre("Blu-ray", "CD-ROM", "Floppy"));
    other.close();
    EXPECT_TRUE(list.Pack());
    EXPECT_EQ(RecordCount(), 3u);
    EXPECT_THAT(list.Items(), ElementsAre("Blu-ray", "CD-ROM", "Floppy"));
    EXPECT_THAT(messageTexts(), IsEmpty());
}

TEST_F(LookupListTest, AnEditCutShortShowsTheListBeforeOrAfterIt) {
    struct Case {
        const char* what;
        std::function<bool(TLookupList&)> edit;
        Items after;
    };
    const Case cases[] = {
        {"add", [](TLookupList& l) { return l.Add("Linux"); }, {"DOS", "Linux", "OS/2"}},
        {"rename", [](TLookupList& l) { return l.Rename("DOS", "MS-DOS"); }, {"MS-DOS", "OS/2"}},
        {"remove", [](TLookupList& l) { return l.Remove("DOS"); }, {"OS/2"}},
        {"remove and pack", [](TLookupList& l) { return l.Remove("DOS") && l.Pack(); }, {"OS/2"}},
        {"add several",
         [](TLookupList& l) {
             return l.AddMissing({"BeOS", "Amiga"});
         },
         {"Amiga", "BeOS", "DOS", "OS/2"}},
    };
    const Items before{"DOS", "OS/2"};
    const auto fresh = [this] {
        std::filesystem::remove(databaseDir / "list3.dbf");
        std::filesystem::remove(databaseDir / "list3.mdx");
        TLookupList list = List();
        list.OpenList(*database);
        EXPECT_TRUE(list.AddMissing({"OS/2", "DOS"}));
    };
    for (const Case& c : cases) {
        for (const auto action :
             {engine::FileFaults::Action::Fail, engine::FileFaults::Action::Kill}) {
            for (std::uint64_t n = 1;; ++n) {
                SCOPED_TRACE(std::string(c.what) + " at call " + std::to_string(n) +
                             (action == engine::FileFaults::Action::Kill ? " killed" : " failed"));
                fresh();
                bool struck = false;
                bool done = false;
                if (action == engine::FileFaults::Action::Fail) {
                    TLookupList list = List();
                    engine::FileFaults::arm(n, action);
                    done = c.edit(list);
                    struck = engine::FileFaults::calls() >= n;
                    engine::FileFaults::disarm();
                } else {
                    const pid_t pid = ::fork();
                    if (pid == 0) {
                        TLookupList list = List();
                        engine::FileFaults::arm(n, action);
                        c.edit(list);
                        ::_exit(0);
                    }
                    int status = 0;
                    ::waitpid(pid, &status, 0);
                    struck = WIFSIGNALED(status);
                }
                // The next open shows the list as it was or as the edit leaves it.
                TLookupList list = List();
                list.OpenList(*database);
                const Items items = list.Items();
                EXPECT_TRUE(items == before || items == c.after) << ::testing::PrintToString(items);
                // An edit that reports success is on the disk.
                if (done || !struck) {
                    EXPECT_EQ(items, c.after);
                }
                if (!struck) {
                    break;
                }
            }
        }
    }
}

TEST_F(LookupListTest, FillingAddsEachDistinctValueOfItsFieldOnce) {
    engine::createTable(databaseDir, "values.dbf", {{"MEDIA", 'C', 20, 0}, {"OS", 'C', 20, 0}});
    engine::Table data;
    data.setDirectory(databaseDir);
    data.setFileName("values.dbf");
    data.open();
    const std::pair<const char*, const char*> rows[] = {
        {"CD-ROM", "Linux"}, {"", "DOS"}, {"Floppy", "Linux"}, {"CD-ROM", ""}, {"cd-rom", "OS/2"},
    };
    for (const auto& [media, os] : rows) {
        data.append();
        data.setText(0, media);
        data.setText(1, os);
        data.post();
    }
    TLookupList media(settings, "list3.dbf");
    TLookupList os(settings, "list4.dbf");
    media.OpenList(*database);
    os.OpenList(*database);
    ASSERT_TRUE(media.Add("Floppy"));
    EXPECT_THAT(FillLists(data, {{&media, 0}, {&os, 1}}), IsEmpty());
    EXPECT_THAT(media.Items(), ElementsAre("CD-ROM", "Floppy", "cd-rom"));
    EXPECT_THAT(os.Items(), ElementsAre("DOS", "Linux", "OS/2"));
    // Filling again adds nothing.
    EXPECT_THAT(FillLists(data, {{&media, 0}, {&os, 1}}), IsEmpty());
    EXPECT_EQ(RecordCount(), 3u);

    // A list another program holds is named; the others are still filled.
    data.append();
    data.setText(0, "DVD");
    data.setText(1, "BeOS");
    data.post();
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("list3.dbf");
    other.setExclusive(true);
    other.open();
    EXPECT_THAT(FillLists(data, {{&media, 0}, {&os, 1}}), ElementsAre("list3.dbf"));
    EXPECT_THAT(os.Items(), ElementsAre("BeOS", "DOS", "Linux", "OS/2"));
    other.close();
    EXPECT_THAT(media.Items(), ElementsAre("CD-ROM", "Floppy", "cd-rom"));
}

} // namespace
} // namespace shelfwise::db::testing
