#include "TableFixture.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableOperations.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

using namespace std::chrono;
using namespace std::string_literals;

std::string everyByte() {
    std::string s;
    for (int i = 0; i < 256; ++i) {
        s.push_back(static_cast<char>(i));
    }
    return s + s + s; // 768 bytes: more than one memo block
}

class TableTest : public TableFixture {
protected:
    // Appends records named by `names`, in that order.
    void appendNamed(Table& t, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            t.append();
            t.setText(0, name);
            t.post();
        }
    }

    std::vector<std::string> namesForward(Table& t) {
        std::vector<std::string> names;
        for (t.first(); !t.atEnd(); t.next()) {
            names.push_back(t.text(0));
        }
        return names;
    }
};

TEST_F(TableTest, EveryKindOfFieldRoundTripsThroughTheFiles) {
    createTable(dir, "data.dbf", everyKind());
    const std::string longMemo = "line one\r\nline two\x1A\x1A with\0nul"s + std::string(1500, 'x');
    {
        Table t;
        openOn(t, "data.dbf");
        t.append();
        t.setText(0, "Caf\xE9 Writer");
        t.setNumber(1, 19.95);
        t.setText(2, "-3.14159");
        t.setDate(3, 2024y / January / 31d);
        t.setText(4, "y");
        t.setText(5, longMemo);
        t.setBytes(6, everyByte());
        t.post();
        t.append(); // a record with every field empty
        t.post();
        t.close();
    }
    Table t;
    openOn(t, "DATA.DBF");
    ASSERT_EQ(t.fieldCount(), 7);
    EXPECT_EQ(t.field(1).name, "PRICE");
    EXPECT_EQ(t.field(1).decimals, 2);
    EXPECT_EQ(t.field(2).type, 'F');
    EXPECT_EQ(t.text(0), "Caf\xE9 Writer");
    EXPECT_DOUBLE_EQ(t.number(1), 19.95);
    EXPECT_EQ(t.text(1), "19.95");
    EXPECT_EQ(t.text(2), "-3.1416");
    EXPECT_EQ(t.date(3), 2024y / January / 31d);
    EXPECT_EQ(t.text(3), "20240131");
    EXPECT_EQ(t.text(4), "T");
    EXPECT_EQ(t.bytes(5), longMemo);
    EXPECT_EQ(t.text(5), longMemo);
    EXPECT_EQ(t.bytes(6), everyByte());
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(t.isEmpty(i)) << i;
    }
    t.next();
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(t.isEmpty(i)) << i;
        EXPECT_EQ(t.text(i), "") << i;
    }
    EXPECT_EQ(t.number(1), 0.0);
    EXPECT_EQ(t.date(3), std::nullopt);
}

TEST_F(TableTest, FilesHaveTheLayoutOtherXbaseToolsExpect) {
    createTable(dir, "data.dbf", everyKind());
    {
        Table t;
        openOn(t, "data.dbf");
        t.append();
        t.setText(0, "A");
        t.setNumber(1, 3.5);
        t.setText(5, "memo");
        t.post();
    }
    const std::string dbf = shelfwise::test::ReadText(dir / "data.dbf");
    const std::size_t headerLength = 32 + 7 * 32 + 1;
    const std::size_t recordLength = 1 + 20 + 10 + 12 + 8 + 1 + 10 + 10;
    ASSERT_EQ(dbf.size(), headerLength + recordLength + 1);
    EXPECT_EQ(std::uint8_t(dbf[0]), 0x8B);
    EXPECT_EQ(std::uint8_t(dbf[4]), 1); // record count
    EXPECT_EQ(std::uint8_t(dbf[8]) | std::uint8_t(dbf[9]) << 8, headerLength);
    EXPECT_EQ(std::uint8_t(dbf[10]) | std::uint8_t(dbf[11]) << 8, recordLength);
    EXPECT_EQ(std::uint8_t(dbf[29]), 0x57);
    EXPECT_EQ(dbf[headerLength - 1], '\x0D');
    EXPECT_EQ(dbf.substr(headerLength, 31), " A" + std::string(19 + 6, ' ') + "3.50");
    EXPECT_EQ(dbf.substr(headerLength + 1 + 20 + 10 + 12 + 8 + 1, 10), "         1");
    EXPECT_EQ(dbf.back(), '\x1A');

    const std::string dbt = shelfwise::test::ReadText(dir / "data.dbt");
    ASSERT_EQ(dbt.size(), 1024u);
    EXPECT_EQ(std::uint8_t(dbt[0]), 2); // next free block
    EXPECT_EQ(std::uint8_t(dbt[20]) | std::uint8_t(dbt[21]) << 8, 512);
    EXPECT_EQ(dbt.substr(512, 16), "\xFF\xFF\x08\x00\x0C\x00\x00\x00memo"s + std::string(4, '\0'));

    // A table without memo fields has the plain version byte and no memo file.
    createTable(dir, "plain", {{"CODE", 'C', 4, 0}});
    EXPECT_EQ(std::uint8_t(shelfwise::test::ReadText(dir / "plain.dbf")[0]), 0x03);
    EXPECT_FALSE(std::filesystem::exists(dir / "plain.dbt"));
}

TEST_F(TableTest, ValuesAreConvertedAsTheFieldKindDemands) {
    createTable(dir, "v", everyKind());
    Table t;
    openOn(t, "v");
    t.append();
    struct Case {
        int position;
        const char* input;
        const char* stored; // nullptr: rejected with EngineError
    };
    const Case cases[] = {
        {0, "  leading kept, trailing cut   ", "  leading kept, trai"},
        {1, "3.5", "3.50"},
        {1, " -0.004 ", "0.00"},
        {1, "1234567.126", "1234567.13"},
        {1, "12345678.5", nullptr}, // needs 11 characters
        {1, "12abc", nullptr},
        {1, "", ""},
        {2, "1e3", "1000.0000"},
        {3, "20240229", "20240229"},
        {3, "20230229", nullptr},
        {3, "2024-01-01", nullptr},
        {4, "f", "F"},
        {4, "N", "F"},
        {4, "x", nullptr},
        {4, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " into field " + std::to_string(c.position));
        if (c.stored == nullptr) {
            EXPECT_THROW(t.setText(c.position, c.input), EngineError);
        } else {
            t.setText(c.position, c.input);
            EXPECT_EQ(t.text(c.position), c.stored);
        }
    }
    EXPECT_THROW(t.setNumber(1, 1e12), EngineError);
    EXPECT_THROW(t.setNumber(0, 1), EngineError);
    EXPECT_THROW(t.setBytes(0, "x"), EngineError);
    EXPECT_THROW(t.date(1), EngineError);
}

TEST_F(TableTest, NavigationSkipsDeletedRecordsAndCountsLiveOnes) {
    createTable(dir, "nav", {{"NAME", 'C', 8, 0}});
    Table t;
    openOn(t, "nav");
    EXPECT_TRUE(t.atBegin());
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(t.recordCount(), 0u);
    appendNamed(t, {"a", "b", "c", "d", "e", "f"});
    // Delete the first, one in the middle and the last.
    for (std::uint32_t n : {1u, 4u, 6u}) {
        t.first();
        while (t.recordNumber() != n) {
            t.next();
        }
        t.deleteRecord();
    }
    EXPECT_EQ(t.recordCount(), 3u);
    EXPECT_EQ(namesForward(t), (std::vector<std::string>{"b", "c", "e"}));

    t.first();
    EXPECT_TRUE(t.atBegin());
    EXPECT_FALSE(t.atEnd());
    t.prior();
    EXPECT_TRUE(t.atBegin());
    EXPECT_EQ(t.text(0), "b");
    t.last();
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(t.text(0), "e");
    t.next();
    EXPECT_EQ(t.text(0), "e");
    t.prior();
    EXPECT_EQ(t.text(0), "c");
    EXPECT_FALSE(t.atBegin() || t.atEnd());

    t.first();
    EXPECT_EQ(t.moveBy(5), 2);
    EXPECT_TRUE(t.atEnd());
    EXPECT_EQ(t.moveBy(-1), -1);
    EXPECT_EQ(t.text(0), "c");
    EXPECT_EQ(t.moveBy(-9), -1);
    EXPECT_EQ(t.text(0), "b");

    // Deleting the last live record moves to the one before it; deleting all empties.
    t.last();
    t.deleteRecord();
    EXPECT_EQ(t.text(0), "c");
    t.deleteRecord();
    t.deleteRecord();
    EXPECT_TRUE(t.atBegin() && t.atEnd());
    EXPECT_EQ(t.recordNumber(), 0u);
    EXPECT_EQ(t.recordCount(), 0u);
}

// A scan reads in stretches what a loop of next() reads, in physical and tag order, and takes
// in what another writer changed between two stretches.
TEST_F(TableTest, AScanReadsInStretchesWhatNextReads) {
    createTable(dir, "scan", {{"NAME", 'C', 8, 0}});
    {
        Table made;
        openOn(made, "scan", true);
        appendNamed(made, {"g", "b", "e", "a", "f", "c", "d"});
        made.goToRecord(5);
        made.deleteRecord();
        made.addTag("BYNAME", "NAME", false);
    }
    Table t;
    openOn(t, "scan");
    for (const char* tag : {"", "BYNAME"}) {
        SCOPED_TRACE(tag);
        t.setTag(tag);
        const std::vector<std::string> expected = namesForward(t);
        ASSERT_EQ(expected.size(), 6u);
        for (const std::uint32_t stretch : {1u, 4u, 100u}) {
            std::vector<std::string> names;
            std::uint32_t visited = 0;
            for (t.first(); !t.atEnd();) {
                visited += t.scan(stretch, [&] {
                    names.push_back(t.text(0));
                    return true;
                });
            }
            EXPECT_EQ(names, expected);
            EXPECT_EQ(visited, expected.size());
        }
    }

    // The visitor stops the scan on a record and leaves the cursor there; it cannot move it.
    t.setTag("");
    t.first();
    EXPECT_EQ(t.scan(100, [&] { return t.text(0) != "e"; }), 3u);
    EXPECT_EQ(t.text(0), "e");
    EXPECT_EQ(reasonOf([&] {
                  t.scan(2, [&] {
                      t.next();
                      return true;
                  });
              }),
              EngineError::Reason::Usage);
    t.next();
    EXPECT_EQ(t.text(0), "a");

    // Another cursor appends between two stretches: the second stretch reads it.
    Table other;
    openOn(other, "scan");
    std::vector<std::string> names;
    const auto collect = [&] {
        names.push_back(t.text(0));
        return true;
    };
    t.first();
    t.scan(3, collect);
    appendNamed(other, {"h"});
    while (!t.atEnd()) {
        t.scan(3, collect);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"g", "b", "e", "a", "c", "d", "h"}));

    // A scan reads runs of records ahead: what another cursor changes in them between two
    // stretches, and what this cursor's batch holds back, is what the next stretch reads.
    names.clear();
    t.first();
    t.scan(2, collect);
    other.goToRecord(4);
    other.edit();
    other.setText(0, "x");
    other.post();
    t.scan(2, collect);
    t.beginBatch(100);
    t.goToRecord(7);
    t.edit();
    t.setText(0, "y");
    t.post();
    t.first();
    while (!t.atEnd()) {
        t.scan(2, collect);
    }
    t.endBatch();
    EXPECT_EQ(names,
              (std::vector<std::string>{"g", "b", "e", "x", "g", "b", "e", "x", "c", "y", "h"}));
}

TEST_F(TableTest, EditPostAndCancelFollowTheRecordState) {
    createTable(dir, "ed", everyKind());
    Table t;
    openOn(t, "ed");
    EXPECT_THROW(t.setText(0, "x"), EngineError); // not in edit mode
    EXPECT_THROW(t.edit(), EngineError);          // no record
    appendNamed(t, {"first", "second"});
    EXPECT_EQ(t.text(0), "second"); // a posted append is the current record
    EXPECT_EQ(t.recordNumber(), 2u);

    t.first();
    t.edit();
    t.setText(0, "changed");
    t.setText(5, "a memo that will be cancelled");
    EXPECT_EQ(t.text(5), "a memo that will be cancelled");
    EXPECT_THROW(t.next(), EngineError); // pending changes first
    t.cancel();
    EXPECT_EQ(t.text(0), "first");
    EXPECT_TRUE(t.isEmpty(5));

    t.append();
    t.setText(0, "dropped");
    t.cancel();
    EXPECT_EQ(t.text(0), "first");
    EXPECT_EQ(t.recordCount(), 2u);

    t.edit();
    t.setText(0, "kept");
    t.post();
    t.close();
    openOn(t, "ed");
    EXPECT_EQ(t.text(0), "kept");
    EXPECT_EQ(t.recordCount(), 2u);
}

TEST_F(TableTest, APostThatChangesNothingWritesNothing) {
    createTable(dir, "same", everyKind());
    Table t;
    openOn(t, "same");
    t.append();
    t.setText(0, "name");
    t.setNumber(1, 12.5);
    t.setText(5, "notes");
    t.setBytes(6, everyByte());
    t.post();

    struct Case {
        const char* what;
        std::function<void(Table&)> set;
        bool writes;
    };
    const std::vector<Case> cases = {
        {"nothing set", [](Table&) {}, false},
        {"the same values set again",
         [](Table& x) {
             x.setText(0, "name");
             x.setNumber(1, 12.5);
             x.setText(5, "notes");
             x.setBytes(6, everyByte());
         },
         false},
        {"an empty field cleared", [](Table& x) { x.clear(2); }, false},
        {"a memo changed", [](Table& x) { x.setText(5, "other notes"); }, true},
        {"a field changed", [](Table& x) { x.setText(0, "renamed"); }, true},
    };
    for (const Case& c : cases) {
        t.first();
        t.edit();
        c.set(t);
        FileFaults::disarm();
        t.post();
        EXPECT_EQ(FileFaults::calls() > 0, c.writes) << c.what;
        EXPECT_EQ(t.state(), Table::State::Browse) << c.what;
    }
    // The record lock went with the post that wrote nothing: another cursor can edit.
    Table other;
    openOn(other, "same");
    other.edit();
    other.cancel();
    t.close();
    openOn(t, "same");
    EXPECT_EQ(t.text(0), "renamed");
    EXPECT_EQ(t.text(5), "other notes");
    EXPECT_EQ(t.bytes(6), everyByte());
}

TEST_F(TableTest, RangeCountsKeptBetweenOpensHoldOnlyForTheIndexTheyWereTakenFrom) {
    createTable(dir, "counted", {{"NAME", 'C', 40, 0}});
    {
        Table t;
        openOn(t, "counted", true);
        t.beginBulkLoad();
        for (int i = 0; i < 3000; ++i) { // a tree with interior nodes
            t.append();
            t.setText(0, std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i));
            t.post();
        }
        t.endBulkLoad();
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    // Counts of some letter ranges, and where a long move lands.
    auto counts = [&] {
        Table t;
        openOn(t, "counted");
        t.setTag("BYNAME");
        std::vector<std::uint32_t> seen;
        for (const char* letter : {"A", "M", "Z"}) {
            t.setRangeStart({{0, letter}});
            t.setRangeEnd({{0, std::string(letter) + "\xFF"}});
            t.applyRange();
            seen.push_back(t.recordCount());
        }
        t.cancelRange();
        t.moveBy(1500);
        seen.push_back(t.recordNumber());
        return seen;
    };
    const auto cnt = dir / "counted.cnt";
    const std::vector<std::uint32_t> first = counts();
    EXPECT_EQ(first[0], 116u);
    ASSERT_TRUE(std::filesystem::exists(cnt));
    EXPECT_EQ(counts(), first); // taken from the file

    // Another cursor changes the index (and keeps the counts it adjusted).
    const std::string stale = shelfwise::test::ReadText(cnt);
    {
        Table t;
        openOn(t, "counted");
        for (int i = 0; i < 5; ++i) {
            t.append();
            t.setText(0, "AAA" + std::to_string(i));
            t.post();
        }
        t.goToRecord(13); // "M12"
        t.deleteRecord();
    }
    std::vector<std::uint32_t> changed = counts();
    EXPECT_EQ(changed[0], first[0] + 5);
    EXPECT_EQ(changed[1], first[1] - 1);

    // Counts of the index as it was before, or a file cut short, are not taken.
    const std::string current = shelfwise::test::ReadText(cnt);
    for (const std::string& bad : {stale, current.substr(0, current.size() / 2)}) {
        shelfwise::test::WriteText(cnt, bad);
        EXPECT_EQ(counts(), changed);
    }
}

TEST_F(TableTest, MemoBlocksAreReusedWhenTheNewValueFits) {
    createTable(dir, "memo", everyKind());
    Table t;
    openOn(t, "memo");
    t.append();
    t.setText(5, std::string(1000, 'a')); // 2 blocks
    t.post();
    const auto sizeAfterFirst = std::filesystem::file_size(dir / "memo.dbt");

    t.edit();
    t.setText(5, std::string(900, 'b')); // fits in the same 2 blocks
    t.post();
    EXPECT_EQ(std::filesystem::file_size(dir / "memo.dbt"), sizeAfterFirst);
    EXPECT_EQ(t.text(5), std::string(900, 'b'));

    t.edit();
    t.setText(5, std::string(2000, 'c')); // needs 4 blocks: appended
    t.post();
    EXPECT_EQ(std::filesystem::file_size(dir / "memo.dbt"), sizeAfterFirst + 4 * 512);

    t.edit();
    t.clear(5);
    t.post();
    EXPECT_TRUE(t.isEmpty(5));
    t.close();
    openOn(t, "memo");
    EXPECT_EQ(t.text(5), "");
}

TEST_F(TableTest, ReadOnlyOpenRefusesChanges) {
    createTable(dir, "ro", everyKind());
    {
        Table t;
        openOn(t, "ro");
        appendNamed(t, {"x"});
    }
    Table t;
    t.setDirectory(dir);
    t.setFileName("ro");
    t.setReadOnly(true);
    t.open();
    EXPECT_EQ(t.text(0), "x");
    EXPECT_THROW(t.edit(), EngineError);
    EXPECT_THROW(t.append(), EngineError);
    EXPECT_THROW(t.deleteRecord(), EngineError);
    EXPECT_THROW(t.setFileName("other"), EngineError); // settings only while closed
}

TEST_F(TableTest, MissingTableOrMemoFileIsAnErrorNamingTheFile) {
    Table t;
    t.setDirectory(dir);
    t.setFileName("nothing.dbf");
    try {
        t.open();
        FAIL() << "opened a missing table";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("nothing.dbf"), std::string::npos) << e.what();
        EXPECT_EQ(e.reason(), EngineError::Reason::NotFound);
    }
    createTable(dir, "data", everyKind());
    std::filesystem::remove(dir / "data.dbt");
    EXPECT_EQ(reasonOf([&] { openOn(t, "data"); }), EngineError::Reason::NotFound);
    EXPECT_FALSE(t.isOpen());
}

} // namespace
} // namespace shelfwise::engine::testing
