#include "TableFixture.h"
#include "engine/PosixFile.h"
#include "engine/TableLocks.h"
#include "engine/TableOperations.h"

#include <array>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

struct Case {
    const char* name;
    bool post; // a post's failure must leave the table as before
    std::function<void(const std::filesystem::path&)> run;
};

// Every operation that changes a table, made to fail or killed at each of its file-changing
// calls in turn: the next open finds the table as before the operation or as after it, with
// every tag agreeing with the records, and no staged file or idle journal left behind.
class FaultTest : public TableFixture {
protected:
    // Many rounds of flushes: a memory file system keeps them fast where there is one.
    FaultTest()
        : TableFixture(std::filesystem::is_directory("/dev/shm")
                           ? std::filesystem::path("/dev/shm")
                           : std::filesystem::temp_directory_path()) {}

    void SetUp() override {
        pristine = dir / "pristine";
        work = dir / "work";
        std::filesystem::create_directories(pristine);
        build(pristine);
    }

    static std::string memoOf(int n) { return std::string(300 + n * 400, 'a' + n); }

    // data: NAME C(12), NUM N(5), NOTES M with tags on UPPER(NAME) and, descending, NUM; six
    // records with memos of one to four blocks, the third deleted. copy: one record, one tag.
    static void build(const std::filesystem::path& d) {
        createTable(d, "data", {{"NAME", 'C', 12, 0}, {"NUM", 'N', 5, 0}, {"NOTES", 'M', 10, 0}});
        Table t;
        t.setDirectory(d);
        t.setFileName("data");
        t.setExclusive(true);
        t.open();
        for (int n = 1; n <= 6; ++n) {
            t.append();
            t.setText(0, "name " + std::to_string(7 - n));
            t.setNumber(1, n);
            t.setText(2, memoOf(n));
            t.post();
        }
        t.addTag("BYNAME", "UPPER(NAME)", false);
        t.addTag("BYNUM", "NUM", true);
        t.goToRecord(3);
        t.deleteRecord();
        t.close();
        createTable(d, "copy", {{"NAME", 'C', 12, 0}, {"NOTES", 'M', 10, 0}});
        t.setFileName("copy");
        t.open();
        t.append();
        t.setText(0, "other");
        t.setText(1, "other notes");
        t.post();
        t.addTag("BYNAME", "NAME", false);
    }

    void fresh() const {
        std::filesystem::remove_all(work);
        std::filesystem::copy(pristine, work);
    }

    // Every table of the directory: live records with their memos in physical order and in
    // each tag's order, and every problem the index check finds.
    static std::string snapshot(const std::filesystem::path& d) {
        std::string out;
        for (const char* name : {"data", "moved", "copy"}) {
            if (!tableExists(d, name)) {
                continue;
            }
            Table t;
            t.setDirectory(d);
            t.setFileName(name);
            t.open();
            out += std::string("table ") + name + ":" + view(t);
        }
        return out;
    }

    // What an open cursor shows of its table (see snapshot()).
    static std::string view(Table& t) {
        std::string out;
        t.setTag("");
        for (t.first(); !t.atEnd(); t.next()) {
            out += " [";
            for (int i = 0; i < t.fieldCount(); ++i) {
                // Memos by length and hash, so a failure message stays readable.
                const std::string value = t.text(i);
                out += t.field(i).type == 'M'
                           ? std::to_string(value.size()) + "#" +
                                 std::to_string(std::hash<std::string>{}(value) % 100000)
                           : value;
                out += "|";
            }
            out += "]";
        }
        for (const TagInfo& tag : t.tags()) {
            out += "\n tag " + tag.name + ":";
            t.setTag(tag.name);
            for (t.first(); !t.atEnd(); t.next()) {
                out += " " + std::to_string(t.recordNumber());
            }
        }
        for (const std::string& problem : t.checkIndexes()) {
            out += "\n problem: " + problem;
        }
        out += "\n";
        return out;
    }

    static char busyByte(const std::filesystem::path& table) {
        char busy = 0;
        std::ifstream in(table, std::ios::binary);
        in.seekg(14);
        in.read(&busy, 1);
        return busy;
    }

    // A journal holds a change while it starts with its mark.
    static bool marked(const std::filesystem::path& journal) {
        std::string mark(8, '\0');
        std::ifstream(journal, std::ios::binary).read(mark.data(), 8);
        return mark == std::string("SWJRNL1\0", 8);
    }

    // Staged files, idle journals and journals of tables that do not exist left in the
    // directory.
    static std::vector<std::string> leftovers(const std::filesystem::path& d) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(d)) {
            const std::string name = entry.path().filename().string();
            const bool staged = name.size() > 4 && name.compare(name.size() - 4, 4, "-new") == 0;
            const bool strayJournal =
                entry.path().extension() == ".jnl" &&
                (!marked(entry.path()) || !tableExists(d, entry.path().stem().string()));
            if (staged || strayJournal) {
                names.push_back(name);
            }
        }
        return names;
    }

    // Starts the case in a child process that is killed or stopped at the nth file-changing
    // call.
    pid_t startFaulted(const Case& c, std::uint64_t n, FileFaults::Action action) const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            FileFaults::arm(n, action);
            try {
                c.run(work);
            } catch (...) {
            }
            ::_exit(0);
        }
        return pid;
    }

    // Runs the case on a fresh copy with the nth file-changing call failed, or killed in a
    // child process; true when it failed with the error of the failed call.
    bool runFaulted(const Case& c, std::uint64_t n, FileFaults::Action action) const {
        fresh();
        if (action == FileFaults::Action::Kill) {
            const pid_t pid = startFaulted(c, n, action);
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status)) << "the operation ran past the kill";
            return false;
        }
        bool failed = false;
        FileFaults::arm(n, action);
        try {
            c.run(work);
        } catch (const EngineError& e) {
            failed = true;
            EXPECT_EQ(e.reason(), EngineError::Reason::Io) << e.what();
        }
        FileFaults::disarm();
        return failed;
    }

    static std::string u(std::uint64_t v, int size) {
        std::string out;
        for (int i = 0; i < size; ++i) {
            out.push_back(static_cast<char>(v >> (8 * i)));
        }
        return out;
    }
    static std::string name(const std::string& n) { return u(n.size(), 2) + n; }

    // A journal as another writer would have left it: marked, its checksum right.
    void writeJournal(char kind, const std::string& body) const {
        std::string header("SWJRNL1\0", 8);
        header += kind + std::string(7, '\0') + u(body.size(), 8);
        std::uint64_t sum = 0xCBF29CE484222325ull;
        for (const char ch : header.substr(8) + body) {
            sum = (sum ^ static_cast<std::uint8_t>(ch)) * 0x100000001B3ull;
        }
        std::ofstream(work / "data.jnl", std::ios::binary) << header << u(sum, 8) << body;
    }

    std::filesystem::path pristine;
    std::filesystem::path work;
};

void withTable(const std::filesystem::path& d, bool exclusive,
               const std::function<void(Table&)>& body) {
    Table t;
    t.setDirectory(d);
    t.setFileName("data");
    t.setExclusive(exclusive);
    t.open();
    body(t);
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"append", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.append();
                 t.setText(0, "appended");
                 t.setNumber(1, 99);
                 t.setText(2, std::string(1500, 'z'));
                 t.post();
             });
         }},
        {"edit moving the key, memo grown", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.goToRecord(2);
                 t.edit();
                 t.setText(0, "aaa first");
                 t.setNumber(1, 0);
                 t.setText(2, std::string(2000, 'q'));
                 t.post();
             });
         }},
        {"edit, memo shrunk", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.goToRecord(5);
                 t.edit();
                 t.setText(2, "short");
                 t.post();
             });
         }},
        {"edit moving the key, memo emptied", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.goToRecord(4);
                 t.edit();
                 t.setText(0, "zzz last");
                 t.setText(2, "");
                 t.post();
             });
         }},
        {"delete", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.goToRecord(4);
                 t.deleteRecord();
             });
         }},
        {"batch of an edit, a delete and an append", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.beginBatch();
                 t.goToRecord(2);
                 t.edit();
                 t.setText(0, "aaa batch");
                 t.setText(2, std::string(900, 'e'));
                 t.post();
                 t.goToRecord(5);
                 t.deleteRecord();
                 t.append();
                 t.setText(0, "batch appended");
                 t.setText(2, std::string(1200, 'f'));
                 t.post();
                 t.endBatch();
             });
         }},
        {"batch of appends", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.beginBatch();
                 for (int n = 0; n < 4; ++n) {
                     t.append();
                     t.setText(0, "appended " + std::to_string(n));
                     t.setNumber(1, 90 + n);
                     t.setText(2, std::string(200 + 300 * n, static_cast<char>('k' + n)));
                     t.post();
                 }
                 t.endBatch();
             });
         }},
        {"deleting records in one pass", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) { t.deleteRecords({6, 1, 3, 4}); });
         }},
        {"batch deleting records in one pass and an edit", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.beginBatch();
                 t.deleteRecords({2, 5});
                 t.goToRecord(4);
                 t.edit();
                 t.setText(0, "aaa edited");
                 t.post();
                 t.endBatch();
             });
         }},
        {"updating records in one pass", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.goToRecord(4);
                 t.updateRecords({6, 1, 3, 5, 2}, [](Table& r, std::size_t i) {
                     r.setText(0, "upd " + std::to_string(i));
                     r.setNumber(1, 50 + static_cast<double>(i));
                     if (i == 3) {
                         r.setText(2, std::string(1800, 'u'));
                     }
                 });
             });
         }},
        {"updating one character of records in one pass", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.updateRecords({1, 2, 4, 6}, [](Table& r, std::size_t) {
                     std::string name = r.text(0);
                     name.back() = '0';
                     r.setText(0, name);
                 });
             });
         }},
        {"batch of an edit and updating records in one pass", true,
         [](const auto& d) {
             withTable(d, false, [](Table& t) {
                 t.beginBatch();
                 t.goToRecord(4);
                 t.edit();
                 t.setText(0, "aaa edited");
                 t.post();
                 t.updateRecords({5, 4, 2}, [](Table& r, std::size_t i) {
                     r.setText(0, "zz upd " + std::to_string(i));
                 });
                 t.endBatch();
             });
         }},
        {"pack", false, [](const auto& d) { withTable(d, true, [](Table& t) { t.pack(); }); }},
        {"empty", false, [](const auto& d) { withTable(d, true, [](Table& t) { t.empty(); }); }},
        {"regenerate", false,
         [](const auto& d) { withTable(d, true, [](Table& t) { t.regenerateIndexes(); }); }},
        {"add a tag", false,
         [](const auto& d) {
             withTable(d, true,
                       [](Table& t) { t.addTag("BOTH", "UPPER(NAME)+STR(NUM,5)", false); });
         }},
        {"delete a tag", false,
         [](const auto& d) { withTable(d, true, [](Table& t) { t.deleteTag("BYNUM"); }); }},
        {"bulk load", false,
         [](const auto& d) {
             withTable(d, true, [](Table& t) {
                 t.beginBulkLoad(); // one record: the posts of a longer load return one by one
                 t.append();
                 t.setText(0, "bulk");
                 t.setText(2, std::string(700, 'b'));
                 t.post();
                 t.endBulkLoad();
             });
         }},
        {"rename", false, [](const auto& d) { renameTable(d, "data", "moved"); }},
        {"copy over another table", false, [](const auto& d) { copyTable(d, "data", d, "copy"); }},
    };
    return all;
}

TEST_F(FaultTest, EveryFailurePointLeavesTheTableBeforeOrAfter) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        fresh();
        const std::string before = snapshot(work);
        ASSERT_EQ(before.find("problem"), std::string::npos) << before;
        fresh();
        FileFaults::disarm();
        c.run(work);
        const std::uint64_t calls = FileFaults::calls();
        const std::string after = snapshot(work);
        if (std::string_view(c.name) != "regenerate") { // the only one that shows no change
            ASSERT_NE(before, after);
        }
        ASSERT_EQ(after.find("problem"), std::string::npos) << after;
        ASSERT_GT(calls, 0u);

        for (std::uint64_t n = 1; n <= calls; ++n) {
            for (const auto action : {FileFaults::Action::Fail, FileFaults::Action::Kill}) {
                const bool kill = action == FileFaults::Action::Kill;
                SCOPED_TRACE((kill ? "killed before call " : "failed call ") + std::to_string(n));
                const bool failed = runFaulted(c, n, action);
                const std::string state = snapshot(work);
                EXPECT_TRUE(state == before || state == after) << state;
                if (failed && c.post) {
                    EXPECT_EQ(state, before) << "a failed post changed the table";
                }
                // A failure that left the table as it was leaves no plan that could carry the
                // change out later.
                if (failed && state == before) {
                    for (const auto& entry : std::filesystem::directory_iterator(work)) {
                        EXPECT_FALSE(marked(entry.path())) << entry.path().filename().string();
                    }
                }
                EXPECT_TRUE(leftovers(work).empty()) << leftovers(work).front();
            }
        }
    }
}

// A rename stopped before its .dbf moved leaves the old name a working table: a later
// operation on the new name must not carry the rename's plan out over it.
TEST_F(FaultTest, ARenameStoppedBeforeItsFirstMoveLeavesNoPlanForTheNewName) {
    const Case rename = cases()[cases().size() - 2];
    ASSERT_EQ(std::string_view(rename.name), "rename");
    fresh();
    copyTable(work, "copy", work, "moved");
    const std::string expected = snapshot(work);
    fresh();
    FileFaults::disarm();
    rename.run(work);
    const std::uint64_t calls = FileFaults::calls();
    int stoppedBefore = 0;
    for (std::uint64_t n = 1; n <= calls; ++n) {
        for (const auto action : {FileFaults::Action::Fail, FileFaults::Action::Kill}) {
            SCOPED_TRACE(
                (action == FileFaults::Action::Kill ? "killed before call " : "failed call ") +
                std::to_string(n));
            runFaulted(rename, n, action);
            if (!tableExists(work, "data")) {
                continue;
            }
            ++stoppedBefore;
            copyTable(work, "copy", work, "moved");
            EXPECT_EQ(snapshot(work), expected);
        }
    }
    EXPECT_GT(stoppedBefore, 0);
}

// A journal is a file anyone can put beside a table: recovery writes only the table's own
// files, never through a symbolic link, and only within them.
TEST_F(FaultTest, ACraftedJournalWritesNothingButTheTablesOwnFilesWithinThem) {
    // A post's before-images: one file, its old size, one image.
    const auto images = [&](const std::string& file, std::uint64_t size, std::uint64_t offset) {
        return u(1, 4) + name(file) + u(size, 8) + u(1, 4) + u(0, 4) + u(offset, 8) + u(4, 4) +
               "XXXX";
    };
    // A swap plan of one patch.
    const auto patch = [&](const std::string& file, std::uint64_t offset) {
        return u(0, 4) + u(0, 4) + u(1, 4) + name(file) + u(offset, 8) + u(4, 4) + "XXXX";
    };
    const struct {
        const char* journal;
        char kind;
        std::string body;
    } cases[] = {
        {"images for a file of another name", 'R', images("victim.txt", 8, 0)},
        {"images through a link named as the table's", 'R', images("data.lnk", 8, 0)},
        {"images for another table", 'R', images("copy.dbf", 8, 0)},
        {"an old size beyond the file", 'R', images("data.dbf", 1 << 20, 0)},
        {"an image past the old size", 'R', images("data.dbf", 8, 1ull << 62)},
        {"a patch for a file of another name", 'S', patch("victim.txt", 0)},
        {"a patch through a link named as the table's", 'S', patch("data.lnk", 0)},
        {"a patch past the end of the table", 'S', patch("data.dbf", 1ull << 40)},
        {"a pointer at a file that is no journal", 'N', name("victim.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.journal);
        fresh();
        shelfwise::test::WriteText(work / "victim.txt", "precious");
        std::filesystem::create_symlink("victim.txt", work / "data.lnk");
        writeJournal(c.kind, c.body);
        const auto sizes = [&] {
            return std::to_string(std::filesystem::file_size(work / "data.dbf")) + " " +
                   std::to_string(std::filesystem::file_size(work / "copy.dbf"));
        };
        const std::string sizesBefore = sizes();
        EXPECT_TRUE(reasonOf([&] { withTable(work, false, [](Table&) {}); }).has_value());
        EXPECT_EQ(shelfwise::test::ReadText(work / "victim.txt"), "precious");
        EXPECT_EQ(sizes(), sizesBefore);
    }
}

// A post's journal keeps the old bytes of everything the post changes: written back over the
// finished post, it takes the whole post back. Cut short anywhere (a crash while it was
// written, so before any page of the table was touched), it is ignored.
TEST_F(FaultTest, APostsJournalTakesTheWholePostBackAndACutOneNothing) {
    for (const Case& c : cases()) {
        if (!c.post) {
            continue;
        }
        SCOPED_TRACE(c.name);
        fresh();
        const std::string before = snapshot(work);
        fresh();
        FileFaults::disarm();
        c.run(work);
        const std::uint64_t calls = FileFaults::calls();
        // Killed before the journal's flush, the writer leaves the whole journal.
        std::string journal;
        for (std::uint64_t n = 1; n <= calls && journal.empty(); ++n) {
            runFaulted(c, n, FileFaults::Action::Kill);
            if (marked(work / "data.jnl")) {
                journal = shelfwise::test::ReadText(work / "data.jnl");
            }
        }
        ASSERT_FALSE(journal.empty());

        fresh();
        c.run(work);
        ASSERT_NE(snapshot(work), before);
        shelfwise::test::WriteText(work / "data.jnl", journal);
        EXPECT_EQ(snapshot(work), before);

        const std::size_t step = std::max<std::size_t>(1, journal.size() / 40);
        for (std::size_t length = 0; length < journal.size(); length += step) {
            SCOPED_TRACE("journal cut at " + std::to_string(length));
            fresh();
            shelfwise::test::WriteText(work / "data.jnl", journal.substr(0, length));
            EXPECT_EQ(snapshot(work), before);
            EXPECT_TRUE(leftovers(work).empty()) << leftovers(work).front();
        }
    }
}

// A bulk load finishes the change another writer left before its first record: finished at
// its end instead, the rollback would cut the loaded records off.
TEST_F(FaultTest, ABulkLoadFinishesAPendingPostFirst) {
    fresh();
    Table t;
    t.setDirectory(work);
    t.setFileName("data");
    t.setExclusive(true);
    t.open();
    const std::uint32_t count = t.recordCount();
    const auto size = std::filesystem::file_size(work / "data.dbf");
    writeJournal('R', u(1, 4) + name("data.dbf") + u(size, 8) + u(0, 4));
    t.beginBulkLoad();
    t.append();
    t.setText(0, "bulk");
    t.post();
    t.endBulkLoad();
    t.close();
    t.open();
    EXPECT_EQ(t.recordCount(), count + 1);
    t.goToRecord(7);
    EXPECT_EQ(t.text(0), "bulk");
}

// A copy of a table whose writer died mid-post is a copy of the table as the next open finds
// it: the post undone, not half-written for good.
TEST_F(FaultTest, ACopyFinishesTheSourcesPendingPostFirst) {
    const Case post = cases()[1];
    ASSERT_EQ(std::string_view(post.name), "edit moving the key, memo grown");
    fresh();
    FileFaults::disarm();
    post.run(work);
    const std::uint64_t calls = FileFaults::calls();
    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("killed before call " + std::to_string(n));
        runFaulted(post, n, FileFaults::Action::Kill);
        copyTable(work, "data", work, "copy");
        const std::string state = snapshot(work);
        const std::size_t copy = state.find("table copy:");
        ASSERT_NE(copy, std::string::npos) << state;
        EXPECT_EQ(state.substr(copy + 11), state.substr(11, copy - 11));
    }
}

// A file a journal names that is gone since has nothing to finish: the journal must not block
// the table for good.
TEST_F(FaultTest, AJournalNamingAFileGoneSinceIsFinishedWithoutIt) {
    const std::string body[] = {
        u(1, 4) + name("data.gone") + u(8, 8) + u(1, 4) + u(0, 4) + u(0, 8) + u(4, 4) + "XXXX",
        u(0, 4) + u(0, 4) + u(1, 4) + name("data.gone") + u(0, 8) + u(4, 4) + "XXXX",
    };
    for (const char kind : {'R', 'S'}) {
        SCOPED_TRACE(kind);
        fresh();
        const std::string before = snapshot(work);
        writeJournal(kind, body[kind == 'S']);
        EXPECT_EQ(reasonOf([&] { withTable(work, false, [](Table&) {}); }), std::nullopt);
        EXPECT_FALSE(std::filesystem::exists(work / "data.gone"));
        EXPECT_FALSE(marked(work / "data.jnl"));
        EXPECT_EQ(snapshot(work), before);
    }
}

// Tables whose names differ only in case each have their own journal: opening one neither
// finishes nor drops the torn post of the other, which its own next open rolls back.
TEST_F(FaultTest, ATableWhoseNameDiffersInCaseKeepsItsOwnJournal) {
    const Case post = cases()[1];
    fresh();
    const std::string before = snapshot(work);
    FileFaults::disarm();
    post.run(work);
    const std::uint64_t calls = FileFaults::calls();
    const std::filesystem::path twin = dir / "twin";
    std::filesystem::create_directories(twin);
    createTable(twin, "twin", {{"NAME", 'C', 4, 0}});
    for (std::uint64_t n = 1; n <= calls; ++n) {
        runFaulted(post, n, FileFaults::Action::Kill);
        if (!marked(work / "data.jnl")) {
            continue;
        }
        SCOPED_TRACE("killed before call " + std::to_string(n));
        std::filesystem::copy_file(twin / "twin.dbf", work / "DATA.dbf");
        {
            Table t;
            t.setDirectory(work);
            t.setFileName("DATA");
            t.setExclusive(true);
            t.open();
            EXPECT_EQ(t.recordCount(), 0);
        }
        EXPECT_TRUE(marked(work / "data.jnl"));
        std::filesystem::remove(work / "DATA.dbf");
        EXPECT_EQ(snapshot(work), before);
    }
}

// A rename killed after its .dbf moved leaves the old name free while its memo and index still
// wait to move: a new table of the old name must not overwrite or remove them.
TEST_F(FaultTest, ATableCreatedUnderARenamesOldNameLeavesItsFilesToTheNewName) {
    const Case rename = cases()[cases().size() - 2];
    ASSERT_EQ(std::string_view(rename.name), "rename");
    const FieldList fields = {{"TITLE", 'C', 8, 0}, {"TEXT", 'M', 10, 0}};
    fresh();
    FileFaults::disarm();
    rename.run(work);
    const std::uint64_t calls = FileFaults::calls();
    createTable(work, "data", fields);
    const std::string expected = snapshot(work);
    int stoppedMidway = 0;
    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("killed before call " + std::to_string(n));
        runFaulted(rename, n, FileFaults::Action::Kill);
        if (tableExists(work, "data")) {
            continue;
        }
        stoppedMidway += std::filesystem::exists(work / "data.dbt") ? 1 : 0;
        createTable(work, "data", fields);
        EXPECT_EQ(snapshot(work), expected);
    }
    EXPECT_GT(stoppedMidway, 0);
}

// Another program keeps index nodes while the index's change counter is unchanged: after a
// torn post is rolled back, the counter is one it saw neither before nor during that post.
TEST_F(FaultTest, ARolledBackPostMovesTheIndexCounterOn) {
    const auto counter = [&] {
        std::array<unsigned char, 4> bytes{};
        std::ifstream in(work / "data.mdx", std::ios::binary);
        in.seekg(48);
        in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
        return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
               std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    };
    const Case post = cases()[1];
    fresh();
    const std::uint32_t before = counter();
    FileFaults::disarm();
    post.run(work);
    const std::uint64_t calls = FileFaults::calls();
    int rolledBack = 0;
    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("killed before call " + std::to_string(n));
        runFaulted(post, n, FileFaults::Action::Kill);
        if (!marked(work / "data.jnl")) {
            continue;
        }
        ++rolledBack;
        const std::uint32_t torn = counter();
        withTable(work, false, [](Table&) {});
        const std::uint32_t after = counter();
        EXPECT_NE(after, before);
        EXPECT_NE(after, torn);
        EXPECT_EQ(after % 2, 0u);
    }
    EXPECT_GT(rolledBack, 0);
}

// A copy stopped while its files take the target's names: another program finds the new .dbf
// held exclusively, so it never opens the new table before its memo and index are in place.
TEST_F(FaultTest, ACopyHoldsTheNewTableUntilItsFilesAreInPlace) {
    const Case copy = cases().back();
    ASSERT_EQ(std::string_view(copy.name), "copy over another table");
    fresh();
    FileFaults::disarm();
    copy.run(work);
    const std::uint64_t calls = FileFaults::calls();
    int swapping = 0;
    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("stopped before call " + std::to_string(n));
        fresh();
        const auto old = identityOf(work / "copy.dbf");
        const pid_t pid = startFaulted(copy, n, FileFaults::Action::Stop);
        int status = 0;
        ::waitpid(pid, &status, WUNTRACED);
        ASSERT_TRUE(WIFSTOPPED(status));
        if (identityOf(work / "copy.dbf") != old && marked(work / "copy.jnl")) {
            ++swapping;
            PosixFile file(work / "copy.dbf", PosixFile::Access::ReadOnly);
            EXPECT_FALSE(TableLocks(file).tryLockOpen(false));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_GT(swapping, 0);
}

// A cursor that is already open when a writer dies half way through a post reads the table
// as before the post or as after it, never a mix of old and new pages.
TEST_F(FaultTest, AnOpenReaderSeesAPostKilledHalfWayBeforeOrAfter) {
    int torn = 0;
    for (const Case& c : cases()) {
        if (!c.post) {
            continue;
        }
        SCOPED_TRACE(c.name);
        fresh();
        FileFaults::disarm();
        c.run(work);
        const std::uint64_t calls = FileFaults::calls();
        std::string after;
        withTable(work, false, [&](Table& t) { after = view(t); });
        for (std::uint64_t n = 1; n <= calls; ++n) {
            SCOPED_TRACE("killed before call " + std::to_string(n));
            fresh();
            Table reader;
            reader.setDirectory(work);
            reader.setFileName("data");
            reader.open();
            const std::string before = view(reader);
            const pid_t pid = startFaulted(c, n, FileFaults::Action::Kill);
            int status = 0;
            ::waitpid(pid, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the post ran past the kill";
            torn += busyByte(work / "data.dbf") != 0 ? 1 : 0;
            const std::string seen = view(reader);
            EXPECT_TRUE(seen == before || seen == after) << seen;
            EXPECT_EQ(busyByte(work / "data.dbf"), 0);
        }
    }
    EXPECT_GT(torn, 0);
}

} // namespace
} // namespace shelfwise::engine::testing
