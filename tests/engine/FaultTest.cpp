#include "TableFixture.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

// Every operation that changes a table, made to fail or killed at each of its file-changing
// calls in turn: the next open finds the table as before the operation or as after it, with
// every tag agreeing with the records, and no staged file or idle journal left behind.
class FaultTest : public TableFixture {
protected:
    void SetUp() override {
        // Many rounds of flushes: a memory file system keeps them fast where there is one.
        if (std::filesystem::is_directory("/dev/shm")) {
            std::string pattern = "/dev/shm/engine-fault-XXXXXX";
            ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
            dir = pattern;
        } else {
            TableFixture::SetUp();
        }
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
            out += std::string("table ") + name + ":";
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
        }
        return out;
    }

    // A journal holds a change while it starts with its mark.
    static bool marked(const std::filesystem::path& journal) {
        std::string mark(8, '\0');
        std::ifstream(journal, std::ios::binary).read(mark.data(), 8);
        return mark == std::string("SWJRNL1\0", 8);
    }

    // Staged files and idle journals left in the directory. A kill can leave the empty
    // journal of a table that does not exist (a rename's, before its plan was written).
    static std::vector<std::string> leftovers(const std::filesystem::path& d, bool killed) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(d)) {
            const std::string name = entry.path().filename().string();
            const bool staged = name.size() > 4 && name.compare(name.size() - 4, 4, "-new") == 0;
            const bool idleJournal = entry.path().extension() == ".jnl" && !marked(entry.path()) &&
                                     !(killed && !tableExists(d, entry.path().stem().string()));
            if (staged || idleJournal) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::filesystem::path pristine;
    std::filesystem::path work;
};

struct Case {
    const char* name;
    bool post; // a post's failure must leave the table as before
    std::function<void(const std::filesystem::path&)> run;
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
                fresh();
                bool failed = false;
                if (kill) {
                    const pid_t pid = ::fork();
                    if (pid == 0) {
                        FileFaults::arm(n, action);
                        try {
                            c.run(work);
                        } catch (...) {
                        }
                        ::_exit(0);
                    }
                    int status = 0;
                    ::waitpid(pid, &status, 0);
                    EXPECT_TRUE(WIFSIGNALED(status)) << "the operation ran past the kill";
                } else {
                    FileFaults::arm(n, action);
                    try {
                        c.run(work);
                    } catch (const EngineError& e) {
                        failed = true;
                        EXPECT_EQ(e.reason(), EngineError::Reason::Io) << e.what();
                    }
                    FileFaults::disarm();
                }
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
                EXPECT_TRUE(leftovers(work, kill).empty()) << leftovers(work, kill).front();
            }
        }
    }
}

} // namespace
} // namespace shelfwise::engine::testing
