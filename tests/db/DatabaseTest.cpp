#include "DatabaseFixture.h"
#include "db/Progress.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <iterator>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace shelfwise::db::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char* const kNewDatabase = "Could not Open the database! A new database will be created. "
                                 "The original file (if existed) was renamed to bad$$$.dbf.";

class DatabaseTest : public DatabaseFixture {
protected:
    // Opens the database, forgetting the messages of that first open.
    void openFresh() {
        ASSERT_TRUE(database->OpenDatabase());
        messages.clear();
    }
    void reopen() {
        database = std::make_unique<TDatabase>(settings);
        messages.clear();
    }
    std::uint32_t catalogueLastNumber() {
        database->RegisterInCatalogue(settings.DataFileName);
        return static_cast<std::uint32_t>(database->MasterTable.number(CatalogueLastNumber));
    }
    void overwrite(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
};

TEST_F(DatabaseTest, FirstOpenCreatesCatalogueCopyBufferAndDataTable) {
    ASSERT_TRUE(database->OpenDatabase());

    // Nothing existed: the data table is made new, and there is nothing to warn about.
    EXPECT_THAT(messageTexts(), IsEmpty());
    EXPECT_FALSE(database->FirstOpen);
    for (const char* name : {"master.dbf", "copy.dbf", "data.dbf"}) {
        EXPECT_TRUE(engine::tableExists(databaseDir, name)) << name;
    }
    // The copy buffer holds one empty record and no tags; the catalogue names the table.
    EXPECT_EQ(database->RecordCount(database->CopyTable), 1u);
    EXPECT_THAT(database->CopyTable.tags(), IsEmpty());
    EXPECT_EQ(database->MasterTable.tag(), "IDX0");
    EXPECT_EQ(database->MasterTable.text(CatalogueFileName), "data.dbf");
    EXPECT_EQ(database->MasterTable.text(CatalogueName), "data.dbf");
    EXPECT_EQ(database->MasterTable.number(CatalogueLastNumber), 1);
    // Entry order is served by the template's tag, so nothing was created.
    EXPECT_EQ(database->DataTable.tag(), "IDX0");
    EXPECT_EQ(database->DataTable.tags().size(), 2u);

    // The field classes follow the record layout.
    EXPECT_TRUE(database->Fields.TextFields.test(FirstDataField));
    EXPECT_FALSE(database->Fields.TextFields.test(MarkField));
    EXPECT_TRUE(database->Fields.MemoFields.test(24));
    EXPECT_TRUE(database->Fields.PictureFields.test(12));
    EXPECT_TRUE(database->Fields.PictureFields.test(25));
    EXPECT_FALSE(database->Fields.PictureFields.test(24));
    EXPECT_EQ(database->Fields.Decimals[7], 2);

    // A second open finds everything and says nothing.
    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_EQ(database->RecordCount(database->CopyTable), 1u);
}

TEST_F(DatabaseTest, UnopenableDataTableIsRenamedAsideAndReplaced) {
    openFresh();
    addRecord("Alpha");
    addRecord("Beta");
    database->CloseTables();
    // An earlier set of set-aside files is replaced by the newer one.
    ASSERT_TRUE(database->CreateInDatabaseDir("bad$$$.dbf", true));
    std::filesystem::remove(databaseDir / "data.dbt");

    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_THAT(messageTexts(), ElementsAre(kNewDatabase));
    EXPECT_EQ(messages.front().kind, platform::MessageKind::Warning);
    EXPECT_EQ(database->RecordCount(database->DataTable), 0u);
    // The stored records stay on disk under the other name.
    const auto badSize = std::filesystem::file_size(databaseDir / "bad$$$.dbf");
    EXPECT_GT(badSize, std::filesystem::file_size(programDir / "data.dbf"));
    EXPECT_TRUE(std::filesystem::exists(databaseDir / "bad$$$.mdx"));
}

TEST_F(DatabaseTest, ATableTheCatalogueDidNotListGoesOnNumberingAboveItsRecords) {
    openFresh();
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        addRecord(name);
    }
    database->CloseTables();
    engine::copyTable(databaseDir, "data.dbf", databaseDir, "data_7.dbf");

    settings.DataFileName = "data_7.dbf";
    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_EQ(catalogueLastNumber(), 4u);
    addRecord("Delta");
    EXPECT_EQ(database->DataTable.number(RecordNumberField), 5);
}

TEST_F(DatabaseTest, AnOpenThatFailsForAnotherCauseNeverReplacesTheIndex) {
    const auto readAll = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const struct {
        const char* what;
        std::function<void(const std::filesystem::path&)> spoil;
        const char* indexAfter; // where the untouched index is found afterwards
    } cases[] = {
        {"held by another program", [](const std::filesystem::path&) {}, "data.mdx"},
        {"a table file the system refuses",
         [](const std::filesystem::path& dir) {
             std::filesystem::rename(dir / "data.dbf", dir / "data.keep");
             std::filesystem::create_directory(dir / "data.dbf");
         },
         "data.mdx"},
        {"a damaged table header",
         [](const std::filesystem::path& dir) {
             std::fstream dbf(dir / "data.dbf", std::ios::in | std::ios::out | std::ios::binary);
             dbf.seekp(8);
             dbf.write("\xff\xff\xff\xff", 4);
         },
         "bad$$$.mdx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reopen();
        std::filesystem::remove_all(databaseDir);
        std::filesystem::create_directories(databaseDir);
        openFresh();
        addRecord("Alpha");
        addRecord("Beta");
        database->CloseTables();
        const std::string index = readAll(databaseDir / "data.mdx");
        c.spoil(databaseDir);
        engine::Table other;
        if (std::string(c.what) == "held by another program") {
            other.setDirectory(databaseDir);
            other.setFileName("data.dbf");
            other.setExclusive(true);
            other.open();
        }

        reopen();
        answers = {platform::MessageAnswer::No};
        database->OpenDatabase();
        database->CloseTables();
        // The keys are the same bytes; a set-aside index only names its new table.
        const std::string after = readAll(databaseDir / c.indexAfter);
        EXPECT_TRUE(after.size() == index.size() && after.substr(16) == index.substr(16));
        EXPECT_FALSE(std::filesystem::exists(databaseDir / "data.mdx.kept"));
    }
}

// Makes a file unchangeable even for root, or changeable again; false where the file system or
// the user's rights do not allow it.
bool SetImmutable(const std::filesystem::path& file, bool immutable) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

TEST_F(DatabaseTest, ARefusedSetAsideLeavesTheTableAndTheEarlierSetAsTheyWere) {
    openFresh();
    addRecord("Alpha");
    database->CloseTables();
    ASSERT_TRUE(database->CreateInDatabaseDir("bad$$$.dbf", true));
    const auto earlierSize = std::filesystem::file_size(databaseDir / "bad$$$.dbf");
    const auto tableSize = std::filesystem::file_size(databaseDir / "data.dbf");
    // An index that cannot be changed stops the open, and the set-aside after the memo file
    // was renamed.
    if (!SetImmutable(databaseDir / "data.mdx", true)) {
        GTEST_SKIP() << "no immutable files here";
    }

    reopen();
    answers = {platform::MessageAnswer::No};
    EXPECT_FALSE(database->OpenDatabase());
    database->CloseTables();
    SetImmutable(databaseDir / "data.mdx", false);
    for (const char* name :
         {"data.dbf", "data.dbt", "data.mdx", "bad$$$.dbf", "bad$$$.dbt", "bad$$$.mdx"}) {
        EXPECT_TRUE(std::filesystem::exists(databaseDir / name)) << name;
    }
    EXPECT_EQ(std::filesystem::file_size(databaseDir / "data.dbf"), tableSize);
    EXPECT_EQ(std::filesystem::file_size(databaseDir / "bad$$$.dbf"), earlierSize);
    EXPECT_FALSE(engine::tableExists(databaseDir, "bad$$$_old.dbf"));
}

TEST_F(DatabaseTest, ATableWhoseLastRecordIsCutShortOpensWithoutItAndSaysSo) {
    const std::uintmax_t cuts[] = {1, 10, 100};
    for (const std::uintmax_t cut : cuts) {
        SCOPED_TRACE(cut);
        reopen();
        std::filesystem::remove_all(databaseDir);
        std::filesystem::create_directories(databaseDir);
        openFresh();
        for (const char* name : {"Alpha", "Beta", "Gamma"}) {
            addRecord(name);
        }
        database->CloseTables();
        // The end byte and part of the last record never reached the disk.
        const auto dbf = databaseDir / "data.dbf";
        std::filesystem::resize_file(dbf, std::filesystem::file_size(dbf) - 1 - cut);

        reopen();
        ASSERT_TRUE(database->OpenDatabase());
        EXPECT_THAT(
            messageTexts(),
            ElementsAre("The last record of data.dbf was cut short and has been left out."));
        EXPECT_EQ(messages.front().kind, platform::MessageKind::Warning);
        EXPECT_THAT(names(), ElementsAre("Alpha", "Beta"));
        EXPECT_FALSE(engine::tableExists(databaseDir, "bad$$$.dbf"));
        // The table goes on as usual: a new record takes the place of the partial one.
        addRecord("Delta");
        EXPECT_THAT(names(), ElementsAre("Alpha", "Beta", "Delta"));
        EXPECT_THAT(database->DataTable.checkIndexes(), IsEmpty());
    }
}

// A damaged production index is replaced from the template and regenerated, for the tables
// with their own template index and for any other data table.
class IndexRepairTest : public DatabaseTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(IndexRepairTest, DamagedIndexIsRepairedAtOpen) {
    const std::string damaged = GetParam();
    settings.DataFileName = damaged == "data_2.mdx" ? "data_2.dbf" : "data.dbf";
    reopen();
    openFresh();
    for (const char* name : {"Delta", "alpha", "Charlie", "bravo"}) {
        addRecord(name);
    }
    ASSERT_TRUE(database->Index.ChangeSort({FirstDataField, false, 0, false}));
    ASSERT_TRUE(database->Index.WriteSortState());
    database->CloseTables();
    const auto programFiles = std::distance(std::filesystem::directory_iterator(programDir),
                                            std::filesystem::directory_iterator());
    overwrite(databaseDir / damaged, std::string(3000, 'x'));

    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_THAT(database->DataTable.checkIndexes(), IsEmpty());
    EXPECT_THAT(database->MasterTable.checkIndexes(), IsEmpty());
    // The sort state came back; its tag is built again on the regenerated index.
    EXPECT_THAT(names(), ElementsAre("alpha", "bravo", "Charlie", "Delta"));
    EXPECT_EQ(catalogueLastNumber(), 5u);
    // The temporary template copy was made beside the table and is gone again; the program
    // directory was not written.
    EXPECT_FALSE(engine::tableExists(databaseDir, "idx$$$.dbf"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir),
                            std::filesystem::directory_iterator()),
              programFiles);
}

INSTANTIATE_TEST_SUITE_P(Tables, IndexRepairTest,
                         ::testing::Values("data.mdx", "master.mdx", "data_2.mdx"));

TEST_F(DatabaseTest, CatalogueAndCopyBufferFailures) {
    // No catalogue template: the catalogue cannot be created.
    std::filesystem::remove(programDir / "master.dbf");
    EXPECT_FALSE(database->OpenDatabase());
    EXPECT_THAT(messageTexts(), ElementsAre("Could not Open the Master.dbf file!"));
    EXPECT_EQ(messages.front().kind, platform::MessageKind::Error);
    // The message leaves the reason out; the log has it, with the file.
    EXPECT_THAT(logText(),
                HasSubstr((databaseDir / "master.dbf").string() + ": could not be created"));

    // A database directory that cannot be written to (it is not a directory at all).
    std::filesystem::copy_file(BuildProgramDir() / "master.dbf", programDir / "master.dbf");
    settings.DatabaseDir = root / "file";
    overwrite(settings.DatabaseDir, "x");
    reopen();
    EXPECT_FALSE(database->OpenDatabase());
    EXPECT_THAT(messageTexts(), ElementsAre("Could not Open the Master.dbf file!"));

    // No data template: the copy buffer cannot be created.
    settings.DatabaseDir = databaseDir;
    std::filesystem::rename(programDir / "data.dbf", root / "data.dbf");
    reopen();
    EXPECT_FALSE(database->OpenDatabase());
    EXPECT_THAT(messageTexts(), ElementsAre("Could not Open the Copy/Paste file!"));
    EXPECT_THAT(logText(),
                HasSubstr((databaseDir / "copy.dbf").string() + ": could not be created"));

    // Nor the data table, once the copy buffer exists.
    std::filesystem::rename(root / "data.dbf", programDir / "data.dbf");
    ASSERT_TRUE(database->CreateInDatabaseDir("copy.dbf", false));
    std::filesystem::remove(programDir / "data.dbf");
    reopen();
    EXPECT_FALSE(database->OpenDatabase());
    EXPECT_THAT(messageTexts(), ElementsAre("Could not Open the new database!"));
    EXPECT_THAT(logText(),
                HasSubstr((databaseDir / "data.dbf").string() + ": could not be created"));
}

TEST_F(DatabaseTest, DamagedCatalogueIsKeptAsideNotOverwritten) {
    openFresh();
    database->CloseTables();
    overwrite(databaseDir / "master.dbf", "not a table");

    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_TRUE(std::filesystem::exists(databaseDir / "master$$.dbf"));
    EXPECT_EQ(database->MasterTable.text(CatalogueFileName), "data.dbf");
}

TEST_F(DatabaseTest, SharedOpenAsksToRetryAndExclusiveOpenGivesUpSilently) {
    openFresh();
    engine::Table holder;
    holder.setDirectory(databaseDir);
    holder.setFileName("list.dbf");
    ASSERT_TRUE(database->CreateInDatabaseDir("list.dbf", true));
    holder.setExclusive(true);
    holder.open();
    holder.append(); // so that its index differs from the template's
    holder.post();

    const auto indexBytes = [this] {
        std::ifstream in(databaseDir / "list.mdx", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string heldIndex = indexBytes();
    engine::Table table;
    answers = {platform::MessageAnswer::Yes, platform::MessageAnswer::No};
    EXPECT_FALSE(database->OpenTable(table, "list.dbf", false));
    const std::string question = "Cannot open the file: list.dbf\nRetry?";
    EXPECT_THAT(messageTexts(), ElementsAre(question, question));
    EXPECT_EQ(messages.front().kind, platform::MessageKind::Warning);
    EXPECT_EQ(messages.front().buttons, platform::ButtonYes | platform::ButtonNo);
    // The held table's index was not taken for damaged and replaced.
    EXPECT_EQ(indexBytes(), heldIndex);

    messages.clear();
    EXPECT_FALSE(database->OpenTable(table, "list.dbf", true));
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_FALSE(database->OpenTable(table, "missing.dbf", false));
    EXPECT_THAT(messages, IsEmpty());

    holder.close();
    EXPECT_TRUE(database->OpenTable(table, "list.dbf", true));
    EXPECT_TRUE(table.exclusive());
}

class CountingProgress : public TProgress {
public:
    void SetProgressTotal(std::uint32_t t) override { total = t; }
    void StepProgress() override { ++steps; }
    std::uint32_t total = 0;
    std::uint32_t steps = 0;
};

// Points the memo field of record `n` at a block far beyond the memo file.
void breakMemo(const engine::Table& table, const std::filesystem::path& dbf, int n) {
    std::fstream file(dbf, std::ios::binary | std::ios::in | std::ios::out);
    unsigned char header[12];
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const int headerLength = header[8] | header[9] << 8;
    const int recordLength = header[10] | header[11] << 8;
    const auto& notes = table.field(24);
    file.seekp(headerLength + (n - 1) * recordLength + 1 + static_cast<int>(notes.offset));
    file.write("    999999", 10);
}

// A write that fails part-way through a copy loses no record the copy reports as written:
// each source record is in the copy once, numbered in turn, or counted bad.
TEST_F(DatabaseTest, CopyRecordsSurvivesAFailedWriteAtEachPoint) {
    openFresh();
    const std::vector<std::string> titles = {"One", "Two", "Three", "Four"};
    for (const std::string& title : titles) {
        addRecord(title);
    }
    for (std::uint64_t nth = 1;; ++nth) {
        const std::string name = "cp" + std::to_string(nth) + ".dbf";
        ASSERT_TRUE(database->CreateInDatabaseDir(name, false));
        engine::Table target;
        ASSERT_TRUE(database->OpenTable(target, name, false));
        int bad = -1;
        engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
        const std::uint32_t next = database->CopyRecords(database->DataTable, target, bad);
        const bool struck = engine::FileFaults::calls() >= nth;
        engine::FileFaults::disarm();

        ASSERT_TRUE(database->OpenTable(target, name, false));
        std::vector<std::string> copied;
        for (target.first(); !target.atEnd(); target.next()) {
            copied.push_back(target.text(FirstDataField));
            EXPECT_EQ(target.number(RecordNumberField), copied.size()) << "fault " << nth;
        }
        target.close();
        EXPECT_EQ(next, copied.size() + 1) << "fault " << nth;
        EXPECT_EQ(copied.size() + bad, titles.size()) << "fault " << nth;
        auto in = titles.begin();
        for (const std::string& title : copied) {
            in = std::find(in, titles.end(), title);
            ASSERT_NE(in, titles.end()) << "fault " << nth << ": " << title;
            ++in;
        }
        if (!struck) {
            EXPECT_EQ(bad, 0);
            ASSERT_GT(nth, 1u); // the copy writes something
            break;
        }
    }
}

TEST_F(DatabaseTest, CopyRecordsRenumbersAndCountsBadRecords) {
    openFresh();
    const int n = 5;
    for (int i = 0; i < n; ++i) {
        addRecord("Title " + std::to_string(i));
    }
    engine::Table& data = database->DataTable;
    database->MoveToRecord(data, 2);
    data.edit();
    data.setText(24, "notes");
    data.post();
    database->CloseTables();
    {
        engine::Table probe;
        probe.setDirectory(databaseDir);
        probe.setFileName("data.dbf");
        probe.open();
        breakMemo(probe, databaseDir / "data.dbf", 3);
    }
    reopen();
    ASSERT_TRUE(database->OpenDatabase());

    ASSERT_TRUE(database->CreateInDatabaseDir("temp$00.dbf", false));
    engine::Table target;
    ASSERT_TRUE(database->OpenTable(target, "temp$00.dbf", false));
    CountingProgress progress;
    database->CurrentProgress = &progress;
    int bad = -1;
    const std::uint32_t next = database->CopyRecords(database->DataTable, target, bad);
    database->CurrentProgress = nullptr;

    EXPECT_EQ(next, n + 1u);
    EXPECT_EQ(bad, 1); // the record with the broken memo, written without it
    EXPECT_EQ(progress.total, 5u);
    EXPECT_EQ(progress.steps, 5u);
    EXPECT_FALSE(target.isOpen());
    ASSERT_TRUE(database->OpenTable(target, "temp$00.dbf", false));
    std::vector<double> numbers;
    for (target.first(); !target.atEnd(); target.next()) {
        numbers.push_back(target.number(RecordNumberField));
    }
    EXPECT_THAT(numbers, ElementsAre(1, 2, 3, 4, 5));

    // The caller stores the result; the next new record follows it.
    database->SetLastRecordNumber(next, settings.DataFileName);
    EXPECT_EQ(catalogueLastNumber(), n + 1u);
    addRecord("New");
    database->DataTable.last();
    EXPECT_EQ(database->DataTable.number(RecordNumberField), n + 2);
}

TEST_F(DatabaseTest, MoveToRecordCountsFromTheFirstRecord) {
    engine::Table closed;
    EXPECT_FALSE(database->MoveToRecord(closed, 0));
    openFresh();
    for (const char* name : {"A1", "A2", "A3"}) {
        addRecord(name);
    }
    engine::Table& t = database->DataTable;
    ASSERT_TRUE(database->MoveToRecord(t, 0));
    EXPECT_EQ(t.text(FirstDataField), "A1");
    ASSERT_TRUE(database->MoveToRecord(t, 2));
    EXPECT_EQ(t.text(FirstDataField), "A3");
    EXPECT_FALSE(t.atEnd());
    for (std::uint32_t past : {3u, 4u, 100u}) {
        ASSERT_TRUE(database->MoveToRecord(t, past));
        EXPECT_TRUE(t.atEnd()) << past;
    }
}

TEST_F(DatabaseTest, CopyAndPasteThroughTheBuffer) {
    openFresh();
    addRecord("Zeta", "Maker"); // number 2: the catalogue starts at 1
    engine::Table& t = database->DataTable;
    TIndex& index = database->Index;
    ASSERT_TRUE(index.ChangeSort({FirstDataField, false, 0, false}));
    index.CountAllLetters();

    // Nothing to paste before a copy in this run.
    database->PasteFromBuffer(0, nullptr);
    EXPECT_EQ(database->RecordCount(t), 0u);

    index.SetLetterRange(t, 'Z');
    database->CopyRecordToBuffer(1);
    EXPECT_THAT(messageTexts(), ElementsAre("Empty Record - Not Copied!"));
    EXPECT_FALSE(database->CopyBufferFilled);

    database->CopyRecordToBuffer(0);
    EXPECT_TRUE(database->CopyBufferFilled);
    // Pasting past the end adds a numbered record.
    database->PasteFromBuffer(1, nullptr);
    index.SetLetterRange(t, 'Z');
    ASSERT_EQ(database->RecordCount(t), 2u);
    EXPECT_EQ(index.LetterCount('Z'), 2);
    t.last();
    EXPECT_EQ(t.text(FirstDataField + 1), "Maker");
    EXPECT_EQ(t.number(RecordNumberField), 3);

    // Pasting over another record moves its letter count.
    addRecord("Alpha");
    index.CountAllLetters();
    EXPECT_EQ(index.LetterCount('A'), 1);
    index.SetLetterRange(t, 'A');
    database->PasteFromBuffer(0, nullptr);
    EXPECT_EQ(index.LetterCount('A'), 0);
    EXPECT_EQ(index.LetterCount('Z'), 3);
    index.SetLetterRange(t, 'Z');
    EXPECT_EQ(database->RecordCount(t), 3u);
}

TEST_F(DatabaseTest, FieldValueMenuCaptions) {
    openFresh();
    engine::Table& t = database->DataTable;
    t.append();
    t.setText(FirstDataField, std::string(60, 'n'));
    t.setNumber(7, 12.5);
    t.setDate(8, std::chrono::year_month_day{std::chrono::year{2001}, std::chrono::month{2},
                                             std::chrono::day{3}});
    t.setDate(9, std::chrono::year_month_day{std::chrono::year{1999}, std::chrono::month{12},
                                             std::chrono::day{31}});
    t.setBytes(12, "GIF89a");
    t.setText(24, "first line\r\nsecond line");
    t.post();
    settings.DateFormats.Lines = {{1, 6}, {2, 7}};

    const std::vector<std::string> captions = database->FieldValueMenu(t);
    ASSERT_EQ(captions.size(), 24u);
    EXPECT_EQ(captions[0], std::string(50, 'n'));
    EXPECT_EQ(captions[5], "12.50");
    EXPECT_EQ(captions[6], "03/02/2001");
    EXPECT_EQ(captions[7], "1999/12/31");
    EXPECT_EQ(captions[10], "<PICTURE> - Not Empty");
    EXPECT_EQ(captions[20], ""); // the third date field has no line: first format, empty date
    EXPECT_EQ(captions[22], "first line");
    EXPECT_EQ(captions[23], "<PICTURE> - Empty");
    EXPECT_THAT(messages, IsEmpty());

    // A memo that cannot be read names the record to delete and gives an empty caption.
    t.edit();
    t.setText(FirstDataField + 1, "Broken Producer");
    t.post();
    const std::uint32_t recno = t.recordNumber();
    database->CloseTables();
    {
        engine::Table probe;
        probe.setDirectory(databaseDir);
        probe.setFileName("data.dbf");
        probe.open();
        breakMemo(probe, databaseDir / "data.dbf", static_cast<int>(recno));
    }
    reopen();
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_EQ(database->FieldValueMenu(database->DataTable)[22], "");
    EXPECT_THAT(messageTexts(),
                ElementsAre("Corrupt Memo Field!!! You should delete record: \nBroken Producer"));
    EXPECT_EQ(messages.front().helpContext, 2);
}

} // namespace
} // namespace shelfwise::db::testing
