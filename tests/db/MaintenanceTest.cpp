#include "db/Maintenance.h"

#include "DatabaseFixture.h"
#include "db/Progress.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::db::testing {
namespace {

using engine::Table;

constexpr const char* kFunctionFailed =
    "Function Failed!\nDatabase may be used by someone else - this function requires Exclusive "
    "Database Use.";

class MaintenanceTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(database->OpenDatabase());
        messages.clear();
        maintenance = std::make_unique<TMaintenance>(*database, settings);
    }

    // Five records, "Ann".."Eve", numbered 2..6 as new records are, with "Bob" and "Dan" deleted
    // and a memo on the last.
    void fill() {
        for (const char* name : {"Ann", "Bob", "Cid", "Dan", "Eve"}) {
            addRecord(name);
        }
        Table& t = database->DataTable;
        for (const char* gone : {"Bob", "Dan"}) {
            for (t.first(); t.text(FirstDataField) != gone; t.next()) {
            }
            t.deleteRecord();
        }
        t.last();
        t.edit();
        t.setText(memoField(), "notes of Eve");
        t.post();
    }

    int memoField() const {
        const Table& t = database->DataTable;
        for (int p = 0; p < t.fieldCount(); ++p) {
            if (t.field(p).type == 'M') {
                return p;
            }
        }
        return -1;
    }

    // What a fresh read-only open of a table shows: "number name memo" per live record in
    // file order, or the open's failure; index problems are shown too.
    // With `physical`, each line starts with the record's place in the file.
    static std::string snapshot(const std::filesystem::path& dir, const std::string& name,
                                bool physical = false) {
        try {
            Table t;
            t.setDirectory(dir);
            t.setFileName(name);
            t.setReadOnly(true);
            t.open();
            std::string out;
            int memo = -1;
            for (int p = 0; p < t.fieldCount(); ++p) {
                memo = t.field(p).type == 'M' && memo < 0 ? p : memo;
            }
            for (t.first(); !t.atEnd(); t.next()) {
                out += (physical ? std::to_string(t.recordNumber()) + ": " : "") +
                       t.text(RecordNumberField) + " " + t.text(FirstDataField) + " " +
                       (memo >= 0 ? t.text(memo) : "") + "\n";
            }
            for (const std::string& problem : t.checkIndexes()) {
                out += "problem: " + problem + "\n";
            }
            return out;
        } catch (const std::exception& e) {
            return std::string("cannot open: ") + e.what();
        }
    }
    std::string live(bool physical = false) const {
        return snapshot(databaseDir, "data.dbf", physical);
    }
    std::string backedUp() const { return snapshot(databaseDir / "BACKUP", "data.dbf", true); }

    std::vector<std::string> tagNames(const std::filesystem::path& dir) {
        Table t;
        t.setDirectory(dir);
        t.setFileName("data.dbf");
        t.setReadOnly(true);
        t.open();
        std::vector<std::string> names;
        for (const engine::TagInfo& tag : t.tags()) {
            names.push_back(tag.name);
        }
        return names;
    }

    void writeList(const std::filesystem::path& dir, int n, const std::string& item) {
        const std::string name = "list" + std::to_string(n) + ".dbf";
        engine::copyTable(programDir, ListTemplateName, dir, name);
        Table t;
        t.setDirectory(dir);
        t.setFileName(name);
        t.open();
        t.append();
        t.setText(0, item);
        t.post();
    }
    std::string listItem(const std::filesystem::path& dir, int n) {
        Table t;
        t.setDirectory(dir);
        t.setFileName("list" + std::to_string(n) + ".dbf");
        t.setReadOnly(true);
        t.open();
        t.first();
        return t.atEnd() ? "" : t.text(0);
    }

    std::unique_ptr<TMaintenance> maintenance;
};

// Each operation on a healthy table, and with another program holding the table open.
TEST_F(MaintenanceTest, OperationsAndTheirOutcomes) {
    struct Case {
        const char* name;
        bool held;
        std::function<bool(TMaintenance&, Table&)> run;
        bool result;
        MaintenanceFailure failure;
        // The live table afterwards; empty: as before.
        std::string after;
    };
    const std::string kept = "2 Ann \n4 Cid \n6 Eve notes of Eve\n";
    const std::string renumbered = "1 Ann \n2 Cid \n3 Eve notes of Eve\n";
    int bad = 0;
    const std::vector<Case> cases = {
        {"reindex", false, [](auto& m, auto& t) { return m.RegenerateIndexes(t); }, true,
         MaintenanceFailure::None, kept},
        {"reindex", true, [](auto& m, auto& t) { return m.RegenerateIndexes(t); }, false,
         MaintenanceFailure::Locked, kept},
        {"pack", false, [](auto& m, auto& t) { return m.PackTable(t, true); }, true,
         MaintenanceFailure::None, kept},
        {"pack", true, [](auto& m, auto& t) { return m.PackTable(t, true); }, false,
         MaintenanceFailure::Locked, kept},
        {"empty", false, [](auto& m, auto& t) { return m.EmptyTable(t); }, true,
         MaintenanceFailure::None, ""},
        {"empty", true, [](auto& m, auto& t) { return m.EmptyTable(t); }, false,
         MaintenanceFailure::Locked, kept},
        {"delete indexes", true, [](auto& m, auto& t) { return m.DeleteIndexes(t); }, false,
         MaintenanceFailure::Locked, kept},
        {"repair", false, [&](auto& m, auto& t) { return m.RepairTable(t, bad); }, true,
         MaintenanceFailure::None, renumbered},
        {"repair", true, [&](auto& m, auto& t) { return m.RepairTable(t, bad); }, false,
         MaintenanceFailure::Locked, kept},
        {"restore without backup", false,
         [&](auto& m, auto& t) { return m.RestoreTable(t, bad, true); }, false,
         MaintenanceFailure::NotFound, kept},
        // A backup reads through a shared open: others may keep working.
        {"backup", true, [&](auto& m, auto& t) { return m.BackupTable(t, bad); }, true,
         MaintenanceFailure::None, kept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.held ? ", held" : ""));
        TearDown();
        std::filesystem::remove_all(databaseDir);
        std::filesystem::remove_all(programDir);
        SetUp();
        fill();
        ASSERT_EQ(live(), kept);
        std::optional<Table> other;
        if (c.held) {
            other.emplace();
            other->setDirectory(databaseDir);
            other->setFileName("data.dbf");
            other->open();
        }
        EXPECT_EQ(c.run(*maintenance, database->DataTable), c.result);
        EXPECT_EQ(maintenance->LastFailure, c.failure);
        EXPECT_EQ(bad, 0);
        const bool refused = c.failure == MaintenanceFailure::Locked;
        const std::vector<std::string> texts = messageTexts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), kFunctionFailed), refused ? 1 : 0);
        other.reset();
        EXPECT_EQ(live(), c.after);
        EXPECT_TRUE(database->DataTable.isOpen()) << "the table is open again as it was";
    }
}

TEST_F(MaintenanceTest, DeleteIndexesKeepsTheFixedTagsAndShrinksTheIndex) {
    fill();
    Table& t = database->DataTable;
    t.close();
    t.setExclusive(true);
    t.open();
    for (const char* tag : {"IDX7", "IDXF7", "IDXF12"}) {
        t.addTag(tag, t.field(FirstDataField).name, false);
    }
    t.close();
    t.setExclusive(false);
    t.open();
    const auto indexSize = [&] { return std::filesystem::file_size(databaseDir / "data.mdx"); };
    const auto before = indexSize();

    EXPECT_TRUE(maintenance->DeleteIndexes(t));

    EXPECT_EQ(tagNames(databaseDir), (std::vector<std::string>{"IDX0", "IDX1"}));
    EXPECT_LT(indexSize(), before);
    EXPECT_EQ(live(), "2 Ann \n4 Cid \n6 Eve notes of Eve\n");
}

TEST_F(MaintenanceTest, RepairRecoversWhatADamagedTableHoldsAndKeepsTheOriginal) {
    fill();
    database->CloseTables();
    const auto dbf = databaseDir / "data.dbf";
    const std::string original = shelfwise::test::ReadText(dbf);
    // The third record's deletion mark is neither blank nor '*', and the count in the header
    // runs past the records the file holds.
    std::string damaged = original;
    const auto header =
        static_cast<unsigned char>(damaged[8]) | static_cast<unsigned char>(damaged[9]) << 8;
    const auto length =
        static_cast<unsigned char>(damaged[10]) | static_cast<unsigned char>(damaged[11]) << 8;
    damaged[header + 2 * length] = 'x';
    damaged[4] = 50;
    shelfwise::test::WriteText(dbf, damaged);
    ASSERT_TRUE(live().starts_with("cannot open")) << live();
    database = std::make_unique<TDatabase>(settings);
    maintenance = std::make_unique<TMaintenance>(*database, settings);
    database->MasterTable.setDirectory(databaseDir);
    database->MasterTable.setFileName(MasterTableName);
    database->MasterTable.setTag(MasterTag);
    database->MasterTable.open();
    Table& t = database->DataTable;
    t.setDirectory(databaseDir);
    t.setFileName("data.dbf");

    int bad = 0;
    EXPECT_FALSE(maintenance->RepairTable(t, bad));
    EXPECT_EQ(bad, 1);
    EXPECT_EQ(maintenance->LastFailure, MaintenanceFailure::BadRecords);
    EXPECT_EQ(live(), "1 Ann \n2 Eve notes of Eve\n");
    EXPECT_EQ(shelfwise::test::ReadText(databaseDir / RepairAsideName), damaged);
    EXPECT_FALSE(engine::tableExists(databaseDir, RepairBuildName));
    database->RegisterInCatalogue("data.dbf");
    EXPECT_EQ(database->MasterTable.number(CatalogueLastNumber), 3);
}

TEST_F(MaintenanceTest, BackupAndRestoreRoundTripWithLists) {
    fill();
    writeList(databaseDir, 1, "first");
    writeList(databaseDir, 2, "second");
    int bad = -1;
    ASSERT_TRUE(maintenance->BackupTable(database->DataTable, bad));
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(maintenance->RecordsCopied, 3u);
    EXPECT_EQ(backedUp(), "1: 1 Ann \n2: 2 Cid \n3: 3 Eve notes of Eve\n");
    EXPECT_TRUE(tagNames(databaseDir / "BACKUP").empty());
    EXPECT_EQ(listItem(databaseDir / "BACKUP", 2), "second");

    // A second backup replaces the first entirely.
    addRecord("Fay");
    ASSERT_TRUE(maintenance->BackupTable(database->DataTable, bad));
    EXPECT_EQ(backedUp(), "1: 1 Ann \n2: 2 Cid \n3: 3 Eve notes of Eve\n4: 4 Fay \n");

    // Changes after the backup; a list only the directory has; list 1 changed.
    EXPECT_TRUE(maintenance->EmptyTable(database->DataTable));
    writeList(databaseDir, 3, "third");
    engine::deleteTable(databaseDir, "list1.dbf");
    writeList(databaseDir, 1, "changed");
    const std::string before = live();

    ASSERT_TRUE(maintenance->RestoreTable(database->DataTable, bad, true));
    EXPECT_EQ(live(), "1 Ann \n2 Cid \n3 Eve notes of Eve\n4 Fay \n");
    EXPECT_EQ(snapshot(databaseDir, RepairAsideName), before);
    EXPECT_EQ(listItem(databaseDir, 1), "first");
    EXPECT_EQ(listItem(databaseDir, 3), "third") << "a list the backup lacks is kept";
    EXPECT_TRUE(snapshot(databaseDir / "BACKUP", "list3.dbf").starts_with("cannot open"));
}

TEST_F(MaintenanceTest, DeleteSelectedTakesEveryLetterAndPassesHeldRecords) {
    for (const auto& [name, mark] : std::vector<std::pair<const char*, const char*>>{
             {"Ann", "2"}, {"Amy", "0"}, {"Bob", "2"}, {"Cid", "2"}, {"Dan", "2"}, {"Eve", "2"}}) {
        addRecord(name, "", mark);
    }
    Table& t = database->DataTable;
    ASSERT_TRUE(database->Index.ChangeSort({FirstDataField, false, 0, false}));
    ASSERT_TRUE(database->Index.ChangeFilter(FilterState::fsNormal));
    ASSERT_TRUE(database->Index.SetLetterRange(t, 'B'));
    ASSERT_EQ(names(), std::vector<std::string>{"Bob"});
    Table other;
    other.setDirectory(databaseDir);
    other.setFileName("data.dbf");
    other.open();
    for (other.first(); other.text(FirstDataField) != "Dan"; other.next()) {
    }
    other.edit();
    const auto selected = [](const Table& table) { return table.text(FirstDataField) != "Eve"; };

    const TDeleteSelectedResult result = maintenance->DeleteSelected(t, selected);

    EXPECT_EQ(result.Deleted, 3u);
    EXPECT_EQ(result.Skipped, 2u) << "Eve is no longer selected, Dan is held";
    EXPECT_FALSE(result.Stopped);
    other.cancel();
    other.close();
    EXPECT_EQ(live(), "3 Amy \n6 Dan \n7 Eve \n");
}

// A progress window whose Stop the user presses once it has shown `stopAfter` records.
struct StoppingProgress : TProgress {
    std::uint32_t stopAfter = 0;
    std::uint32_t steps = 0;
    // Runs when the loop sets the total, that is once it knows its records.
    std::function<void()> onTotal;
    void SetProgressTotal(std::uint32_t) override {
        if (onTotal) {
            onTotal();
        }
    }
    void StepProgress() override { ++steps; }
    bool StopRequested() const override { return steps >= stopAfter; }
};

// The files under a directory, with their sizes.
std::string listing(const std::filesystem::path& dir) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files.push_back(std::filesystem::relative(entry.path(), dir).string() + " " +
                            std::to_string(entry.file_size()));
        }
    }
    std::sort(files.begin(), files.end());
    std::string out;
    for (const std::string& file : files) {
        out += file + "\n";
    }
    return out;
}

TEST_F(MaintenanceTest, StoppedOperationsLeaveTheTablesAndTheBackupAsTheyWere) {
    struct Case {
        const char* name;
        std::function<bool(TMaintenance&, Table&)> run;
    };
    int bad = 0;
    const std::vector<Case> cases = {
        {"pack", [](auto& m, auto& t) { return m.PackTable(t, true); }},
        {"repair", [&](auto& m, auto& t) { return m.RepairTable(t, bad); }},
        {"backup", [&](auto& m, auto& t) { return m.BackupTable(t, bad); }},
        {"restore", [&](auto& m, auto& t) { return m.RestoreTable(t, bad, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        std::filesystem::remove_all(databaseDir);
        std::filesystem::remove_all(programDir);
        SetUp();
        fill();
        writeList(databaseDir, 1, "first");
        ASSERT_TRUE(maintenance->BackupTable(database->DataTable, bad));
        addRecord("Fay");
        writeList(databaseDir, 1, "changed");
        database->DataTable.close();
        const std::string table = live(true);
        const std::string backup = backedUp();
        const std::string files = listing(root);
        database->DataTable.open();
        StoppingProgress progress;
        progress.stopAfter = 1;
        database->CurrentProgress = &progress;

        EXPECT_FALSE(c.run(*maintenance, database->DataTable));

        database->CurrentProgress = nullptr;
        EXPECT_EQ(maintenance->LastFailure, MaintenanceFailure::Stopped);
        EXPECT_EQ(progress.steps, 1u) << "it stops at the next record";
        EXPECT_TRUE(database->DataTable.isOpen());
        database->DataTable.close();
        EXPECT_EQ(live(true), table);
        EXPECT_EQ(backedUp(), backup);
        EXPECT_EQ(listing(root), files) << "no file is left behind or changed";
    }
}

TEST_F(MaintenanceTest, StoppedDeleteSelectedKeepsWhatItDeleted) {
    Table& t = database->DataTable;
    constexpr std::uint32_t kRecords = 1200;
    t.beginBatch(kRecords);
    for (std::uint32_t i = 1; i <= kRecords; ++i) {
        t.append();
        t.setNumber(RecordNumberField, i);
        t.setText(FirstDataField, "Title " + std::to_string(i));
        t.setText(MarkField, MarkPassed);
        t.post();
    }
    t.endBatch();
    ASSERT_TRUE(database->Index.ChangeFilter(FilterState::fsNormal));
    StoppingProgress progress;
    progress.stopAfter = 1;
    database->CurrentProgress = &progress;

    const TDeleteSelectedResult result =
        maintenance->DeleteSelected(t, [](const Table&) { return true; });

    database->CurrentProgress = nullptr;
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(maintenance->LastFailure, MaintenanceFailure::Stopped);
    EXPECT_GT(result.Deleted, 0u);
    EXPECT_LT(result.Deleted, kRecords);
    EXPECT_EQ(result.Deleted, progress.steps);
    EXPECT_EQ(result.Skipped, 0u);
    EXPECT_EQ(maintenance->CountRecords(t), kRecords - result.Deleted);
}

TEST_F(MaintenanceTest, DeleteSelectedAsksAgainRightBeforeEachDeletion) {
    for (const char* name : {"Ann", "Bob", "Cid"}) {
        addRecord(name, "", MarkPassed);
    }
    Table& t = database->DataTable;
    ASSERT_TRUE(database->Index.ChangeFilter(FilterState::fsNormal));
    // Once the records are collected, another user renames "Bob", which takes him out of the
    // selection.
    StoppingProgress progress;
    progress.stopAfter = UINT32_MAX;
    progress.onTotal = [this] {
        Table other;
        other.setDirectory(databaseDir);
        other.setFileName("data.dbf");
        other.open();
        for (other.first(); other.text(FirstDataField) != "Bob"; other.next()) {
        }
        other.edit();
        other.setText(FirstDataField, "Bob renamed");
        other.post();
    };
    database->CurrentProgress = &progress;

    const TDeleteSelectedResult result = maintenance->DeleteSelected(
        t, [](const Table& table) { return table.text(FirstDataField).size() == 3; });

    database->CurrentProgress = nullptr;
    EXPECT_EQ(result.Deleted, 2u);
    EXPECT_EQ(result.Skipped, 1u);
    EXPECT_EQ(live(), "3 Bob renamed \n");
}

// Kills or failures at every file call of the operations that replace a table.
class MaintenanceFaultTest : public MaintenanceTest {
protected:
    struct Operation {
        const char* name;
        std::function<bool(TMaintenance&, Table&)> run;
        // Which table it replaces.
        std::function<std::string()> state;
    };

    void prepare() {
        fill();
        int bad = 0;
        ASSERT_TRUE(maintenance->BackupTable(database->DataTable, bad));
        addRecord("Fay");
        database->CloseTables();
        pristine = root / "pristine";
        std::filesystem::remove_all(pristine);
        std::filesystem::copy(databaseDir, pristine, std::filesystem::copy_options::recursive);
    }
    void fresh() const {
        std::filesystem::remove_all(databaseDir);
        std::filesystem::copy(pristine, databaseDir, std::filesystem::copy_options::recursive);
    }
    // Opens the database anew and runs the operation with the fault armed (none: disarmed);
    // false when it failed or threw.
    bool runOperation(const Operation& op, std::uint64_t nth = 0,
                      engine::FileFaults::Action action = engine::FileFaults::Action::Fail) {
        database = std::make_unique<TDatabase>(settings);
        maintenance = std::make_unique<TMaintenance>(*database, settings);
        if (!database->OpenDatabase()) {
            return false;
        }
        if (nth > 0) {
            engine::FileFaults::arm(nth, action);
        } else {
            engine::FileFaults::disarm();
        }
        bool done = false;
        try {
            done = op.run(*maintenance, database->DataTable);
        } catch (const std::exception&) {
        }
        return done;
    }

    // Every file call of the operation failed in turn, and the process killed before each.
    void checkEveryFault(const Operation& op) {
        prepare();
        SCOPED_TRACE(op.name);
        fresh();
        const std::string before = op.state();
        ASSERT_TRUE(runOperation(op));
        const std::uint64_t calls = engine::FileFaults::calls();
        database.reset();
        const std::string after = op.state();
        ASSERT_NE(before, after);
        ASSERT_EQ(after.find("problem"), std::string::npos) << after;

        for (std::uint64_t n = 1; n <= calls; ++n) {
            for (const auto action :
                 {engine::FileFaults::Action::Fail, engine::FileFaults::Action::Kill}) {
                const bool kill = action == engine::FileFaults::Action::Kill;
                SCOPED_TRACE((kill ? "killed before call " : "failed call ") + std::to_string(n));
                fresh();
                if (kill) {
                    const pid_t pid = ::fork();
                    if (pid == 0) {
                        runOperation(op, n, action);
                        ::_exit(0);
                    }
                    int status = 0;
                    ::waitpid(pid, &status, 0);
                    EXPECT_TRUE(WIFSIGNALED(status)) << "the operation ran past the kill";
                } else {
                    const bool done = runOperation(op, n, action);
                    engine::FileFaults::disarm();
                    database.reset();
                    if (done) {
                        EXPECT_EQ(op.state(), after);
                    }
                }
                const std::string state = op.state();
                EXPECT_TRUE(state == before || state == after) << state;
            }
        }
    }

    std::filesystem::path pristine;
};

TEST_F(MaintenanceFaultTest, PackLeavesTheOldTableOrTheNew) {
    checkEveryFault({"pack", [](auto& m, auto& t) { return m.PackTable(t, true); },
                     [this] { return live(true); }});
}

TEST_F(MaintenanceFaultTest, RepairLeavesTheOldTableOrTheNew) {
    int bad = 0;
    checkEveryFault({"repair", [&](auto& m, auto& t) { return m.RepairTable(t, bad); },
                     [this] { return live(true); }});
}

TEST_F(MaintenanceFaultTest, RestoreLeavesTheOldTableOrTheNew) {
    int bad = 0;
    checkEveryFault({"restore", [&](auto& m, auto& t) { return m.RestoreTable(t, bad, true); },
                     [this] { return live(true); }});
}

TEST_F(MaintenanceFaultTest, BackupLeavesTheOldBackupOrTheNew) {
    int bad = 0;
    checkEveryFault({"backup", [&](auto& m, auto& t) { return m.BackupTable(t, bad); },
                     [this] { return backedUp(); }});
}

} // namespace
} // namespace shelfwise::db::testing
