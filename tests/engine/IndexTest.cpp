#include "TableFixture.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableLocks.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

// RECNO N(8), MARK C(1), NAME C(20), PRICE N(10,2), ADDED D, NOTES M.
class IndexTest : public TableFixture {
protected:
    struct Row {
        const char* mark;
        const char* name;
        double price;
        const char* added;
    };

    void SetUp() override {
        createTable(dir, "data.dbf",
                    {{"RECNO", 'N', 8, 0},
                     {"MARK", 'C', 1, 0},
                     {"NAME", 'C', 20, 0},
                     {"PRICE", 'N', 10, 2},
                     {"ADDED", 'D', 8, 0},
                     {"NOTES", 'M', 10, 0}});
        const Row rows[] = {
            {"2", "delta", 40, "20200104"},   {"0", "Alpha", 10, "20200101"},
            {"2", "charlie", 30, "20200103"}, {"2", "bravo", 20, "20200102"},
            {"0", "echo", 50, "20200105"},    {"2", "Apple", 15, "20200106"},
            {"2", "zulu", 5, "20200107"},     {"0", "123 go", 1, "20200108"},
        };
        Table t;
        openOn(t, "data.dbf");
        int n = 0;
        for (const Row& row : rows) {
            t.append();
            t.setNumber(0, ++n);
            t.setText(1, row.mark);
            t.setText(2, row.name);
            t.setNumber(3, row.price);
            t.setText(4, row.added);
            t.setText(5, std::string("first line of ") + row.name + "\r\nsecond");
            t.post();
        }
    }

    // The records of "data.dbf" another program could not lock now.
    std::vector<std::uint32_t> lockedRecords() const {
        PosixFile file(dir / "data.dbf", PosixFile::Access::ReadWrite);
        TableLocks probe(file);
        std::vector<std::uint32_t> locked;
        for (std::uint32_t n = 1; n <= 8; ++n) {
            if (probe.tryLockRecord(n)) {
                probe.unlockRecord(n);
            } else {
                locked.push_back(n);
            }
        }
        return locked;
    }

    void addTags(std::initializer_list<TagInfo> tags) {
        Table t;
        openOn(t, "data.dbf", true);
        for (const TagInfo& tag : tags) {
            t.addTag(tag.name, tag.expression, tag.descending);
        }
    }

    static std::vector<std::string> names(Table& t) {
        std::vector<std::string> out;
        for (t.first(); !t.atEnd(); t.next()) {
            out.push_back(t.text(2));
        }
        return out;
    }

    using Names = std::vector<std::string>;
};

TEST_F(IndexTest, TagsOrderRecordsByTheirKeysInEitherDirection) {
    addTags({{"BYNAME", "UPPER(NAME)", false},
             {"BYNAMED", "UPPER(NAME)", true},
             {"BYPRICE", "STR(PRICE, 20, 4)", false},
             {"BYDATE", "STR({12/31/3099}-ADDED, 10, 0)", false},
             {"BYNUM", "RECNO", true}});
    EXPECT_TRUE(std::filesystem::exists(dir / "data.mdx"));
    Table t;
    openOn(t, "data.dbf");
    const std::vector<TagInfo> tags = t.tags();
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[1].name, "BYNAMED");
    EXPECT_EQ(tags[1].expression, "UPPER(NAME)");
    EXPECT_TRUE(tags[1].descending);

    const Names byName = {"123 go", "Alpha", "Apple", "bravo", "charlie", "delta", "echo", "zulu"};
    t.setTag("byname");
    EXPECT_EQ(names(t), byName);
    t.setTag("BYNAMED");
    EXPECT_EQ(names(t), Names(byName.rbegin(), byName.rend()));
    t.setTag("BYPRICE");
    EXPECT_EQ(names(t),
              (Names{"123 go", "zulu", "Alpha", "Apple", "bravo", "charlie", "delta", "echo"}));
    t.setTag("BYDATE"); // newest first, by the complement of the date
    EXPECT_EQ(names(t).front(), "123 go");
    EXPECT_EQ(names(t).back(), "Alpha");
    t.setTag("BYNUM"); // numeric key, descending option
    EXPECT_EQ(names(t).front(), "123 go");
    t.last();
    EXPECT_EQ(t.text(2), "delta");
    t.prior();
    EXPECT_EQ(t.text(2), "Alpha");

    EXPECT_THROW(t.setTag("NOSUCH"), EngineError);
    EXPECT_EQ(t.tag(), "BYNUM");
    t.setTag("");
    EXPECT_EQ(names(t).front(), "delta"); // physical order again
    EXPECT_TRUE(t.checkIndexes().empty());
}

TEST_F(IndexTest, MoveByStepsThroughKeyOrderAndStopsAtTheEnds) {
    addTags({{"BYNAME", "UPPER(NAME)", false}});
    Table t;
    openOn(t, "data.dbf");
    t.setTag("BYNAME");
    EXPECT_EQ(t.moveBy(3), 3);
    EXPECT_EQ(t.text(2), "bravo");
    EXPECT_EQ(t.moveBy(1), 1);
    EXPECT_EQ(t.text(2), "charlie");
    EXPECT_EQ(t.moveBy(10), 3);
    EXPECT_EQ(t.text(2), "zulu");
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(t.moveBy(-2), -2);
    EXPECT_EQ(t.text(2), "delta");
    EXPECT_EQ(t.moveBy(-50), -5);
    EXPECT_EQ(t.text(2), "123 go");
    EXPECT_TRUE(t.atBegin());
}

// Long moves skip entries by the index's counts: they must stop at the range's ends in
// either direction of the tag.
TEST_F(IndexTest, MoveByStopsAtTheEndsOfARange) {
    addTags({{"BYNAME", "UPPER(NAME)", false}, {"BYNAMED", "UPPER(NAME)", true}});
    struct Case {
        const char* tag;
        const char* start;
        const char* end;
        Names inRange;
    };
    const std::vector<Case> cases = {
        {"BYNAME", "bravo", "delta", {"bravo", "charlie", "delta"}},
        {"BYNAMED", "echo", "bravo", {"echo", "delta", "charlie", "bravo"}},
        {"BYNAME",
         "Alpha",
         "zulu",
         {"Alpha", "Apple", "bravo", "charlie", "delta", "echo", "zulu"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + c.start + ".." + c.end);
        Table t;
        openOn(t, "data.dbf");
        t.setTag(c.tag);
        t.setRangeStart({{2, c.start}});
        t.setRangeEnd({{2, c.end}});
        t.applyRange();
        const int last = static_cast<int>(c.inRange.size()) - 1;
        EXPECT_EQ(t.moveBy(2), 2);
        EXPECT_EQ(t.text(2), c.inRange[2]);
        EXPECT_EQ(t.moveBy(50), last - 2);
        EXPECT_EQ(t.text(2), c.inRange.back());
        EXPECT_TRUE(t.atEnd());
        EXPECT_EQ(t.moveBy(-last), -last);
        EXPECT_EQ(t.text(2), c.inRange.front());
        t.moveBy(1);
        EXPECT_EQ(t.moveBy(-50), -1);
        EXPECT_EQ(t.text(2), c.inRange.front());
        EXPECT_TRUE(t.atBegin());
    }
}

TEST_F(IndexTest, GoToRecordFindsAPhysicalNumberInTheCurrentOrder) {
    addTags({{"IDXF", "MARK+UPPER(NAME)", false}});
    Table t;
    openOn(t, "data.dbf");
    EXPECT_TRUE(t.goToRecord(3));
    EXPECT_EQ(t.text(2), "charlie");
    t.setTag("IDXF");
    ASSERT_TRUE(t.goToRecord(4)); // "2" + "BRAVO"
    t.next();
    EXPECT_EQ(t.text(2), "charlie");
    t.setRangeStart({{1, "2"}});
    t.setRangeEnd({{1, "2"}});
    t.applyRange();
    EXPECT_FALSE(t.goToRecord(2)); // "Alpha" is marked "0": outside the range
    EXPECT_FALSE(t.goToRecord(99));
    EXPECT_EQ(t.text(2), "Apple"); // unmoved
    t.cancelRange();
    ASSERT_TRUE(t.goToRecord(6));
    t.deleteRecord();
    EXPECT_FALSE(t.goToRecord(6)); // deleted
}

TEST_F(IndexTest, PostsAndDeletesKeepEveryTagInStep) {
    addTags({{"BYNAME", "UPPER(NAME)", false}, {"BYMEMO", "UPPER(MLINE(NOTES, 1))", false}});
    Table t;
    openOn(t, "data.dbf");
    t.setTag("BYNAME");
    t.first(); // "123 go"
    t.edit();
    t.setText(2, "yankee");
    t.setText(5, "zz memo moves it last");
    t.post();
    EXPECT_EQ(t.text(2), "yankee"); // the cursor stays on the posted record
    t.next();
    EXPECT_EQ(t.text(2), "zulu");
    t.append();
    t.setText(2, "Beta");
    t.post();
    t.prior();
    EXPECT_EQ(t.text(2), "Apple");
    t.findKey({{2, "CHARLIE"}});
    t.deleteRecord();
    EXPECT_EQ(t.text(2), "delta"); // the next record in key order
    EXPECT_EQ(names(t),
              (Names{"Alpha", "Apple", "Beta", "bravo", "delta", "echo", "yankee", "zulu"}));
    t.setTag("BYMEMO");
    t.last();
    EXPECT_EQ(t.text(2), "yankee");
    EXPECT_EQ(t.recordCount(), 8u);
    EXPECT_TRUE(t.checkIndexes().empty());
}

// Records: 1 delta, 2 Alpha, 3 charlie, 4 bravo, 5 echo, 6 Apple, 7 zulu, 8 "123 go".
TEST_F(IndexTest, DeletingManyRecordsInOnePassDropsTheirKeysAlone) {
    addTags({{"BYNAME", "UPPER(NAME)", false}});
    const struct {
        const char* name;
        std::uint32_t deletedBefore; // by deleteRecord(), 0: none
        std::uint32_t perFlush;      // 0: no batch
        std::vector<std::uint32_t> numbers;
        std::uint32_t deleted;
        Names left;
        const char* cursorOn; // the cursor stood on echo
    } cases[] = {
        {"alone, unsorted, repeated, with numbers of no record",
         0,
         0,
         {7, 0, 3, 99, 3, 1},
         3,
         {"123 go", "Alpha", "Apple", "bravo", "echo"},
         "echo"},
        {"in a batch flushed between them",
         0,
         2,
         {8, 6, 5, 4, 2},
         5,
         {"charlie", "delta", "zulu"},
         "zulu"},
        {"a deleted record among them",
         4,
         0,
         {4, 1},
         1,
         {"123 go", "Alpha", "Apple", "charlie", "echo", "zulu"},
         "echo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        copyTable(dir, "data", dir, "work");
        Table t;
        openOn(t, "work");
        if (c.deletedBefore != 0) {
            t.goToRecord(c.deletedBefore);
            t.deleteRecord();
        }
        t.setTag("BYNAME");
        ASSERT_TRUE(t.findKey({{2, "ECHO"}}));
        if (c.perFlush > 0) {
            t.beginBatch(c.perFlush);
        }
        EXPECT_EQ(t.deleteRecords(c.numbers), c.deleted);
        t.endBatch();
        EXPECT_EQ(t.text(2), c.cursorOn);
        Table other;
        openOn(other, "work");
        other.setTag("BYNAME");
        EXPECT_EQ(names(other), c.left);
        EXPECT_EQ(other.recordCount(), c.left.size());
        EXPECT_TRUE(other.checkIndexes().empty());
    }
}

// Another user's record lock refuses the whole deletion; in a batch the records written keep
// their locks until the batch flushes them, the one being edited until its post or cancel.
TEST_F(IndexTest, RecordLocksGuardDeletionsAndBatchWrites) {
    using Numbers = std::vector<std::uint32_t>;
    Table holder;
    openOn(holder, "data.dbf");
    holder.goToRecord(3);
    holder.edit();
    Table t;
    openOn(t, "data.dbf");
    EXPECT_EQ(reasonOf([&] { t.deleteRecords({1, 3, 5}); }), EngineError::Reason::Locked);
    EXPECT_EQ(lockedRecords(), Numbers{3});
    holder.cancel();
    EXPECT_EQ(names(t).size(), 8u);

    t.beginBatch(100);
    EXPECT_EQ(t.deleteRecords({1, 3}), 2u);
    t.goToRecord(5);
    t.edit();
    t.setText(2, "echo batch");
    t.post();
    t.goToRecord(6);
    t.edit();
    EXPECT_EQ(lockedRecords(), (Numbers{1, 3, 5, 6}));
    t.endBatch();
    EXPECT_EQ(lockedRecords(), Numbers{6});
    t.cancel();
    EXPECT_EQ(lockedRecords(), Numbers{});
    EXPECT_EQ(names(holder).size(), 6u);
}

// Records: 1 delta 2, 2 Alpha 0, 3 charlie 2, 4 bravo 2, 5 echo 0, 6 Apple 2, 7 zulu 2,
// 8 "123 go" 0 (name, mark). Marks set in one pass move the records in the tag that leads with
// the mark, alone and in batches of every size; a record whose mark stays is not written.
TEST_F(IndexTest, UpdatingManyRecordsInOnePassMovesTheirKeys) {
    addTags({{"MARKNAME", "MARK+UPPER(NAME)", false}, {"BYMEMO", "UPPER(MLINE(NOTES, 1))", false}});
    // Numbers unsorted, repeated (the first one counts), of no record and of a deleted one.
    const std::vector<std::uint32_t> numbers = {7, 0, 4, 2, 99, 7, 1, 5, 3};
    const std::vector<std::string> marks = {"0", "2", "0", "2", "0", "x", "0", "2", "2"};
    const Names expected = {"123 go", "delta", "zulu", "Alpha", "Apple", "charlie", "foxtrot"};
    for (const std::uint32_t perFlush : {0u, 1u, 2u, 100u}) {
        SCOPED_TRACE(perFlush);
        copyTable(dir, "data", dir, "work");
        Table t;
        openOn(t, "work");
        t.goToRecord(4);
        t.deleteRecord();
        t.setTag("MARKNAME");
        ASSERT_TRUE(t.findKey({{1, "0"}, {2, "ECHO"}}));
        if (perFlush > 0) {
            t.beginBatch(perFlush);
        }
        std::vector<std::uint32_t> seen;
        const Table::UpdateResult result = t.updateRecords(numbers, [&](Table& r, std::size_t i) {
            seen.push_back(r.recordNumber());
            r.setText(1, marks[i]);
            if (r.text(2) == "echo") {
                r.setText(2, "foxtrot");
                r.setText(5, "a new first line");
            }
        });
        t.endBatch();
        EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 2, 3, 5, 7}));
        EXPECT_EQ(result.written, 4u);
        EXPECT_EQ(result.locked, 0u);
        // The cursor stays on its record, as written, in its new place in the order.
        EXPECT_EQ(t.text(2), "foxtrot");
        t.next();
        EXPECT_TRUE(t.atEnd());
        t.prior();
        EXPECT_EQ(t.text(2), "charlie");

        Table other;
        openOn(other, "work");
        other.setTag("MARKNAME");
        EXPECT_EQ(names(other), expected);
        other.setTag("BYMEMO");
        other.first();
        EXPECT_EQ(other.text(2), "foxtrot");
        EXPECT_TRUE(other.checkIndexes().empty());
    }
}

// A record another user holds is left out and counted; the records written are locked until
// the call ends, or in a batch until its flush. The before-post hook runs on every record;
// `change` may not move or post, and whatever it throws leaves every record as it was.
TEST_F(IndexTest, UpdatingManyRecordsRespectsLocksHooksAndFailures) {
    using Numbers = std::vector<std::uint32_t>;
    const auto upper = [](Table& r, std::size_t) {
        std::string name = r.text(2);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        r.setText(2, name);
    };
    Table holder;
    openOn(holder, "data.dbf");
    holder.goToRecord(3);
    holder.edit();
    Table t;
    openOn(t, "data.dbf");
    t.goToRecord(8);
    Table::UpdateResult result = t.updateRecords({2, 3, 4}, upper);
    EXPECT_EQ(result.written, 2u);
    EXPECT_EQ(result.locked, 1u);
    EXPECT_EQ(lockedRecords(), Numbers{3});
    holder.cancel();
    EXPECT_EQ(names(holder),
              (Names{"delta", "ALPHA", "charlie", "BRAVO", "echo", "Apple", "zulu", "123 go"}));

    t.beginBatch(100);
    t.setBeforePost([](Table& r) { r.setNumber(3, 99); });
    result = t.updateRecords({6, 5}, upper);
    EXPECT_EQ(result.written, 2u);
    EXPECT_EQ(lockedRecords(), (Numbers{5, 6}));
    t.endBatch();
    t.setBeforePost({});
    EXPECT_EQ(lockedRecords(), Numbers{});
    holder.goToRecord(6);
    EXPECT_EQ(holder.text(2), "APPLE");
    EXPECT_EQ(holder.number(3), 99);

    const std::vector<std::function<void(Table&)>> misuses = {
        [](Table& r) { r.next(); },
        [](Table& r) { r.post(); },
        [](Table& r) { r.cancel(); },
        [](Table& r) { r.deleteRecord(); },
        [](Table&) { throw std::runtime_error("stopped by the caller"); },
    };
    for (const bool inBatch : {false, true}) {
        for (const auto& misuse : misuses) {
            if (inBatch) {
                t.beginBatch(100);
            }
            t.goToRecord(7);
            EXPECT_ANY_THROW(t.updateRecords({1, 2, 7, 8}, [&](Table& r, std::size_t i) {
                upper(r, i);
                if (r.recordNumber() == 7) {
                    misuse(r);
                }
            }));
            EXPECT_FALSE(t.inBatch());
            EXPECT_EQ(t.state(), Table::State::Browse);
            EXPECT_EQ(t.text(2), "zulu");
            EXPECT_EQ(lockedRecords(), Numbers{});
            EXPECT_EQ(names(holder), (Names{"delta", "ALPHA", "charlie", "BRAVO", "ECHO", "APPLE",
                                            "zulu", "123 go"}));
        }
    }
}

TEST_F(IndexTest, RangesCompareOnlyTheKeyPartTheGivenFieldsDecide) {
    addTags({{"IDXF", "MARK+UPPER(NAME)", false}, {"IDXD", "UPPER(NAME)", true}});
    Table t;
    openOn(t, "data.dbf");
    t.setTag("IDXF");
    // The filter range: mark "2" to "3", the name left open.
    t.setRangeStart({{1, "2"}});
    t.setRangeEnd({{1, "3"}});
    t.applyRange();
    EXPECT_EQ(names(t), (Names{"Apple", "bravo", "charlie", "delta", "zulu"}));
    EXPECT_EQ(t.recordCount(), 5u);
    t.last();
    EXPECT_EQ(t.text(2), "zulu");

    // Letter "A" within the filter: from "\001" to "A\377".
    t.setRangeStart({{1, "2"}, {2, "\001"}});
    t.setRangeEnd({{1, "2"}, {2, "A\377"}});
    t.applyRange();
    EXPECT_EQ(names(t), (Names{"Apple"}));
    EXPECT_EQ(t.recordCount(), 1u);
    // An empty range.
    t.setRangeStart({{1, "2"}, {2, "E"}});
    t.setRangeEnd({{1, "2"}, {2, "E\377"}});
    t.applyRange();
    EXPECT_TRUE(t.atBegin() && t.atEnd());
    EXPECT_EQ(t.recordCount(), 0u);
    t.cancelRange();
    EXPECT_EQ(t.recordCount(), 8u);

    // Descending: the start takes the upper text, the end the lower.
    t.setTag("IDXD");
    t.setRangeStart({{2, "C\377"}});
    t.setRangeEnd({{2, "B"}});
    t.applyRange();
    EXPECT_EQ(names(t), (Names{"charlie", "bravo"}));
    t.last();
    EXPECT_EQ(t.text(2), "bravo");
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_TRUE(t.findKey({{2, "CHARLIE"}}));
    EXPECT_FALSE(t.findKey({{2, "DELTA"}})); // outside the range
    EXPECT_EQ(t.text(2), "charlie");
}

TEST_F(IndexTest, FindKeyGoesToTheFirstMatchOrStaysWhereItWas) {
    addTags({{"BYNAME", "UPPER(NAME)", false},
             {"IDXF", "MARK+UPPER(NAME)", false},
             {"BYDATE", "ADDED", false}});
    Table t;
    openOn(t, "data.dbf");
    t.setTag("BYNAME");
    EXPECT_TRUE(t.findKey({{2, "charlie"}}));
    EXPECT_EQ(t.text(2), "charlie");
    // A filled field is a whole value: "A" is the name "A", not every name beginning with A.
    EXPECT_FALSE(t.findKey({{2, "A"}}));
    EXPECT_EQ(t.text(2), "charlie");
    t.next();
    EXPECT_EQ(t.text(2), "delta");
    // Fields left out of the key record match anything.
    t.setTag("IDXF");
    EXPECT_TRUE(t.findKey({{1, "2"}}));
    EXPECT_EQ(t.text(2), "Apple");
    EXPECT_TRUE(t.findKey({{1, "0"}, {2, "echo"}}));
    EXPECT_EQ(t.text(2), "echo");
    t.setTag("BYDATE");
    EXPECT_TRUE(t.findKey({{4, "20200105"}}));
    EXPECT_EQ(t.text(2), "echo");
    EXPECT_EQ(t.key().size(), 8u);
    Table physical;
    openOn(physical, "data.dbf");
    EXPECT_THROW(physical.findKey({{2, "A"}}), EngineError);
}

TEST_F(IndexTest, CheckReportsKeysThatNoLongerMatchTheirRecords) {
    addTags({{"BYMEMO", "UPPER(MLINE(NOTES, 1))", false}, {"BYNAME", "NAME", false}});
    // Another program rewrites a name and spoils a memo block number behind the index's back.
    {
        std::fstream file(dir / "data.dbf", std::ios::in | std::ios::out | std::ios::binary);
        const std::size_t headerLength = 32 + 6 * 32 + 1;
        const std::size_t recordLength = 1 + 8 + 1 + 20 + 10 + 8 + 10;
        file.seekp(headerLength + 1 + 8 + 1); // record 1, NAME
        file.write("renamed   ", 10);
        file.seekp(headerLength + recordLength + recordLength - 10); // record 2, NOTES
        file.write("      12ab", 10);
    }
    Table t;
    openOn(t, "data.dbf");
    const std::vector<std::string> problems = t.checkIndexes();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("data.dbf: field NOTES: damaged memo block number"),
              std::string::npos)
        << problems[0];
    EXPECT_EQ(problems[1], "tag BYNAME: record 1 is filed under a wrong key");
}

TEST_F(IndexTest, AMemoThatCannotBeReadDuringAPostFailsItInsteadOfFilingAnEmptyKey) {
    addTags({{"BYMEMO", "UPPER(MLINE(NOTES, 1))", false}});
    Table t;
    openOn(t, "data.dbf");
    t.goToRecord(2);
    t.edit();
    t.setText(2, "renamed");
    // The disk starts failing reads of the memo file: its descriptor now refuses them.
    const std::filesystem::path memoPath = std::filesystem::canonical(dir / "data.dbt");
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == memoPath) {
            const int writeOnly = ::open(memoPath.c_str(), O_WRONLY | O_CLOEXEC);
            ASSERT_GE(writeOnly, 0);
            ASSERT_GE(::dup2(writeOnly, std::stoi(entry.path().filename().string())), 0);
            ::close(writeOnly);
        }
    }
    EXPECT_EQ(reasonOf([&] { t.post(); }), EngineError::Reason::Io);
    t.cancel();
    t.close();
    openOn(t, "data.dbf");
    EXPECT_TRUE(t.checkIndexes().empty());
    t.goToRecord(2);
    EXPECT_EQ(t.text(2), "Alpha");
}

TEST_F(IndexTest, TagChangesNeedExclusiveUseAndSurviveReopening) {
    Table shared;
    openOn(shared, "data.dbf");
    EXPECT_THROW(shared.addTag("IDX0", "NAME", false), EngineError);
    shared.close();

    Table t;
    openOn(t, "data.dbf", true);
    EXPECT_THROW(t.addTag("BAD NAME", "NAME", false), EngineError);
    EXPECT_THROW(t.addTag("IDX0", "NOSUCHFIELD", false), EngineError);
    t.addTag("IDX0", "NAME", false);
    EXPECT_THROW(t.addTag("idx0", "NAME", false), EngineError);
    t.addTag("IDX1", "UPPER(NAME)", false);
    t.addTag("IDX2", "MARK", false);
    t.setTag("IDX1");
    t.deleteTag("IDX1");
    EXPECT_EQ(t.tag(), ""); // the current tag went with it
    t.close();

    std::ifstream in(dir / "data.dbf", std::ios::binary);
    char header[32];
    in.read(header, sizeof header);
    EXPECT_EQ(header[28], 1); // production index flag

    openOn(t, "data.dbf");
    ASSERT_EQ(t.tags().size(), 2u);
    EXPECT_EQ(t.tags()[0].name, "IDX0");
    EXPECT_EQ(t.tags()[1].name, "IDX2");
    t.setTag("IDX0");
    EXPECT_EQ(t.text(2), "123 go");
}

TEST_F(IndexTest, IndexFileIsFoundWhateverItsCaseAndMissingOneIsAnError) {
    addTags({{"IDX0", "UPPER(NAME)", false}});
    std::filesystem::rename(dir / "data.mdx", dir / "DATA.MDX");
    std::filesystem::rename(dir / "data.dbf", dir / "Data.DBF");
    Table t;
    t.setTag("IDX0");
    openOn(t, "data.dbf");
    EXPECT_EQ(t.text(2), "123 go");
    t.close();
    std::filesystem::remove(dir / "DATA.MDX");
    EXPECT_THROW(openOn(t, "data.dbf"), EngineError);
}

TEST_F(IndexTest, PackEmptyBulkLoadAndRegenerateRebuildTheTags) {
    addTags({{"BYNAME", "UPPER(NAME)", false}, {"BYMEMO", "MLINE(NOTES, 1)", true}});
    Table t;
    openOn(t, "data.dbf", true);
    for (int i = 0; i < 3; ++i) {
        t.first();
        t.deleteRecord();
    }
    const auto memoBefore = std::filesystem::file_size(dir / "data.dbt");
    t.pack();
    EXPECT_LT(std::filesystem::file_size(dir / "data.dbt"), memoBefore);
    EXPECT_EQ(t.recordCount(), 5u);
    t.setTag("BYNAME");
    EXPECT_EQ(names(t), (Names{"123 go", "Apple", "bravo", "echo", "zulu"}));
    t.first();
    EXPECT_EQ(t.bytes(5), "first line of 123 go\r\nsecond");
    EXPECT_TRUE(t.checkIndexes().empty());

    t.setTag("");
    t.beginBulkLoad();
    for (int i = 0; i < 100; ++i) {
        t.append();
        t.setText(2, "bulk" + std::to_string(i));
        t.post();
    }
    t.endBulkLoad();
    t.setTag("BYNAME");
    EXPECT_EQ(t.recordCount(), 105u);
    EXPECT_TRUE(t.checkIndexes().empty());
    t.regenerateIndexes();
    EXPECT_TRUE(t.checkIndexes().empty());

    t.empty();
    EXPECT_EQ(t.recordCount(), 0u);
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(std::filesystem::file_size(dir / "data.dbt"), 512u);
    EXPECT_EQ(t.tags().size(), 2u);
    EXPECT_TRUE(t.checkIndexes().empty());
}

TEST_F(IndexTest, AnAbandonedPackLeavesTheTableAndNoStagedFiles) {
    addTags({{"BYNAME", "UPPER(NAME)", false}});
    Table t;
    openOn(t, "data.dbf", true);
    t.first();
    t.deleteRecord();
    t.setTag("BYNAME");
    const Names before = names(t);
    const auto dbfBefore = std::filesystem::file_size(dir / "data.dbf");
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;

    EXPECT_FALSE(t.pack([&](std::uint32_t read, std::uint32_t total) {
        calls.emplace_back(read, total);
        return read < 3;
    }));

    EXPECT_EQ(calls,
              (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 8}, {2, 8}, {3, 8}}));
    EXPECT_EQ(names(t), before);
    EXPECT_EQ(std::filesystem::file_size(dir / "data.dbf"), dbfBefore);
    EXPECT_TRUE(t.checkIndexes().empty());
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        EXPECT_FALSE(entry.path().string().ends_with("-new")) << entry.path();
    }
    EXPECT_TRUE(t.pack([](std::uint32_t, std::uint32_t) { return true; }));
    EXPECT_EQ(names(t), before);
    EXPECT_LT(std::filesystem::file_size(dir / "data.dbf"), dbfBefore);
}

} // namespace
} // namespace shelfwise::engine::testing
