#include "db/RecordTemplates.h"

#include "DatabaseFixture.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "settings/TextLines.h"

#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::db::testing {
namespace {

// A template's name with what its record holds; a name without a record reads "(none)".
using Shelf = std::vector<std::pair<std::string, std::string>>;

class RecordTemplatesTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(database->OpenDatabase());
        templates = std::make_unique<TRecordTemplates>(*database, settings);
        templates->Load();
    }
    void TearDown() override {
        templates.reset();
        DatabaseFixture::TearDown();
    }

    // Saves a template whose record holds `contents` in the first data field.
    bool Save(const std::string& name, const std::string& contents) {
        return templates->Save(name, [&contents](engine::Table& copy) {
            copy.edit();
            copy.setText(FirstDataField, contents);
            copy.post();
            return true;
        });
    }

    // The templates as a fresh start of the program sees them.
    Shelf Reopened() {
        templates.reset();
        database = std::make_unique<TDatabase>(settings);
        EXPECT_TRUE(database->OpenDatabase());
        templates = std::make_unique<TRecordTemplates>(*database, settings);
        templates->Load();
        return Current();
    }

    Shelf Current() {
        Shelf shelf;
        for (int t = 0; t < static_cast<int>(templates->Names().size()); ++t) {
            shelf.emplace_back(templates->Names()[static_cast<std::size_t>(t)],
                               templates->MoveTo(t) ? database->CopyTable.text(FirstDataField)
                                                    : "(none)");
        }
        return shelf;
    }

    std::string NamesFile() const {
        return shelfwise::test::ReadText(databaseDir / RecordTemplatesFileName);
    }

    // Runs the work in a child process killed at its nth file-changing call; false once the
    // work ran through without reaching that call.
    template <typename Work> bool Killed(std::uint64_t nth, Work work) {
        templates.reset();
        database.reset();
        const pid_t pid = ::fork();
        if (pid == 0) {
            TDatabase child(settings);
            child.OpenDatabase();
            TRecordTemplates childTemplates(child, settings);
            childTemplates.Load();
            engine::FileFaults::arm(nth, engine::FileFaults::Action::Kill);
            work(childTemplates);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFSIGNALED(status);
    }

    std::unique_ptr<TRecordTemplates> templates;
};

TEST_F(RecordTemplatesTest, SavedTemplatesComeBackByNameAndAnExistingNameIsOverwritten) {
    EXPECT_TRUE(Current().empty());
    ASSERT_TRUE(Save("Games", "Chess"));
    ASSERT_TRUE(Save("Tools", "Hammer"));
    ASSERT_TRUE(Save("Games", "Go"));
    EXPECT_EQ(Reopened(), (Shelf{{"Games", "Go"}, {"Tools", "Hammer"}}));
    EXPECT_EQ(NamesFile(), "Games\r\nTools\r\n");
    // Names are exact: another case is another template.
    EXPECT_EQ(templates->Find("games"), -1);
    EXPECT_EQ(templates->Find(BlankTemplate), -1);
}

TEST_F(RecordTemplatesTest, ASavePastTheEndOfTheCopyTableLandsInItsOwnSlot) {
    ASSERT_TRUE(Save("A", "first"));
    // Names the copy table has no records for, as after loading another database.
    shelfwise::test::WriteText(databaseDir / RecordTemplatesFileName, "A\r\nB\r\nC\r\n");
    EXPECT_EQ(Reopened(), (Shelf{{"A", "first"}, {"B", "(none)"}, {"C", "(none)"}}));
    ASSERT_TRUE(Save("C", "third"));
    EXPECT_EQ(Reopened(), (Shelf{{"A", "first"}, {"B", ""}, {"C", "third"}}));
}

TEST_F(RecordTemplatesTest, DeletingTheSecondOfThreeMovesTheThirdUpWithItsName) {
    for (const char* name : {"A", "B", "C"}) {
        ASSERT_TRUE(Save(name, std::string(name) + " record"));
    }
    EXPECT_EQ(templates->Delete(1), TRecordTemplates::Deleted::Yes);
    EXPECT_EQ(Current(), (Shelf{{"A", "A record"}, {"C", "C record"}}));
    EXPECT_EQ(Reopened(), (Shelf{{"A", "A record"}, {"C", "C record"}}));
    // Packed: the file holds the copy buffer and two templates, no deleted record.
    const std::string header = shelfwise::test::ReadText(databaseDir / CopyTableName).substr(4, 4);
    EXPECT_EQ(header, std::string("\x03\0\0\0", 4));
    EXPECT_FALSE(std::filesystem::exists(databaseDir / TemplateDeleteFileName));
}

TEST_F(RecordTemplatesTest, ADeleteThatCannotRemoveTheRecordKeepsTheName) {
    ASSERT_TRUE(Save("A", "a"));
    ASSERT_TRUE(Save("B", "b"));
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName(CopyTableName);
    other.open();
    other.first();
    other.next();
    other.edit(); // another program holds template A's record
    EXPECT_EQ(templates->Delete(0), TRecordTemplates::Deleted::No);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, "Template could not be deleted!");
    other.close();
    EXPECT_EQ(Reopened(), (Shelf{{"A", "a"}, {"B", "b"}}));
}

TEST_F(RecordTemplatesTest, ARefusedPackKeepsNamesAndRecordsAligned) {
    for (const char* name : {"A", "B", "C"}) {
        ASSERT_TRUE(Save(name, name));
    }
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName(CopyTableName);
    other.open();
    EXPECT_EQ(templates->Delete(0), TRecordTemplates::Deleted::NotPacked);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text.substr(0, 16), "Function Failed!");
    EXPECT_EQ(Current(), (Shelf{{"B", "B"}, {"C", "C"}}));
    other.close();
    EXPECT_EQ(Reopened(), (Shelf{{"B", "B"}, {"C", "C"}}));
}

TEST_F(RecordTemplatesTest, ANoteOfAnUnfinishedDeleteIsFinishedOnlyWhenItsRecordWent) {
    for (const char* name : {"A", "B"}) {
        ASSERT_TRUE(Save(name, name));
    }
    ASSERT_TRUE(templates->MoveTo(0));
    const std::string recordA = std::to_string(database->CopyTable.recordNumber());
    const auto note = [&](const std::filesystem::path& dir) {
        shelfwise::test::WriteText(databaseDir / TemplateDeleteFileName,
                                   settings::JoinLines({dir.string(), recordA, "B"}));
    };
    const struct {
        const char* Case;
        bool OtherDatabase;
        bool DeleteRecord;
        Shelf Expected;
        bool NoteLeft;
    } cases[] = {
        {"record still there", false, false, {{"A", "A"}, {"B", "B"}}, false},
        {"another database's note", true, true, {{"A", "B"}, {"B", "(none)"}}, true},
        // The record went in the case before.
        {"record gone", false, false, {{"B", "B"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        note(c.OtherDatabase ? root / "elsewhere" : databaseDir);
        if (c.DeleteRecord) {
            ASSERT_TRUE(templates->MoveTo(0));
            database->CopyTable.deleteRecord();
        }
        EXPECT_EQ(Reopened(), c.Expected);
        EXPECT_EQ(std::filesystem::exists(databaseDir / TemplateDeleteFileName), c.NoteLeft);
    }
}

TEST_F(RecordTemplatesTest, ASaveOrDeleteKilledPartWayShowsBeforeOrAfter) {
    ASSERT_TRUE(Save("A", "a"));
    ASSERT_TRUE(Save("B", "b"));
    templates.reset();
    database.reset();
    const std::filesystem::path pristine = root / "pristine";
    std::filesystem::copy(databaseDir, pristine, std::filesystem::copy_options::recursive);
    const Shelf before = {{"A", "a"}, {"B", "b"}};
    const struct {
        const char* Case;
        std::function<void(TRecordTemplates&)> Work;
        Shelf After;
    } cases[] = {
        {"save a new name past the end",
         [](TRecordTemplates& t) {
             t.Save("C", [](engine::Table& copy) {
                 copy.edit();
                 copy.setText(FirstDataField, "c");
                 copy.post();
                 return true;
             });
         },
         {{"A", "a"}, {"B", "b"}, {"C", "c"}}},
        {"overwrite",
         [](TRecordTemplates& t) {
             t.Save("A", [](engine::Table& copy) {
                 copy.edit();
                 copy.setText(FirstDataField, "new a");
                 copy.post();
                 return true;
             });
         },
         {{"A", "new a"}, {"B", "b"}}},
        {"delete the first", [](TRecordTemplates& t) { t.Delete(0); }, {{"B", "b"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        bool killed = true;
        for (std::uint64_t nth = 1; killed; ++nth) {
            SCOPED_TRACE(nth);
            std::filesystem::remove_all(databaseDir);
            std::filesystem::copy(pristine, databaseDir, std::filesystem::copy_options::recursive);
            killed = Killed(nth, c.Work);
            const Shelf seen = Reopened();
            EXPECT_TRUE(seen == before || seen == c.After);
            if (!killed) {
                EXPECT_EQ(seen, c.After);
            }
            templates.reset();
            database.reset();
        }
    }
    database = std::make_unique<TDatabase>(settings);
}

} // namespace
} // namespace shelfwise::db::testing
