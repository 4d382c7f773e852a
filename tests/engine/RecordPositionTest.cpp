#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

namespace shelfwise::engine::testing {
namespace {

constexpr int kRecords = 300; // enough for tags of several levels

// A table of NAME C(10) holding "K000".."K149", each twice, in scattered physical order; tags NAMES
// and NAMESD (descending) on it.
class RecordPositionTest : public TableFixture {
protected:
    // Replaces the table with a fresh one.
    void makeTable() {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directory(dir);
        createTable(dir, "data.dbf", {{"NAME", 'C', 10, 0}});
        Table t;
        openOn(t, "data.dbf", true);
        t.addTag("NAMES", "NAME", false);
        t.addTag("NAMESD", "NAME", true);
        t.beginBulkLoad();
        for (int i = 0; i < kRecords; ++i) {
            t.append();
            t.setText(0, name(i * 37 % kRecords / 2));
            t.post();
        }
        t.endBulkLoad();
    }

    static std::string name(int n) {
        char text[8];
        std::snprintf(text, sizeof text, "K%03d", n);
        return text;
    }

    void deleteEverySeventh() {
        Table t;
        openOn(t, "data.dbf", true);
        for (std::uint32_t n = 7; n <= kRecords; n += 7) {
            ASSERT_TRUE(t.goToRecord(n));
            t.deleteRecord();
        }
    }

    // Record numbers in the current order and range, from first() on.
    static std::vector<std::uint32_t> walk(Table& t) {
        std::vector<std::uint32_t> numbers;
        for (t.first(); !t.atEnd(); t.next()) {
            numbers.push_back(t.recordNumber());
        }
        return numbers;
    }

    static std::uint32_t placeIn(const std::vector<std::uint32_t>& walked, std::uint32_t n) {
        const auto at = std::find(walked.begin(), walked.end(), n);
        EXPECT_NE(at, walked.end()) << "record " << n;
        return static_cast<std::uint32_t>(at - walked.begin());
    }

    // Every record's position equals its place in the walk; moves from first() agree.
    static void expectPositionsFollowTheWalk(Table& t) {
        const auto walked = walk(t);
        ASSERT_FALSE(walked.empty());
        ASSERT_EQ(t.recordCount(), walked.size());
        for (std::uint32_t i = 0; i < walked.size(); ++i) {
            ASSERT_TRUE(t.goToRecord(walked[i]));
            EXPECT_EQ(t.recordPosition(), i) << "record " << walked[i];
        }
        const auto count = static_cast<int>(walked.size());
        for (const int by : {0, 1, 2, count / 3, count - 1, count + 5}) {
            t.first();
            const int moved = t.moveBy(by);
            EXPECT_EQ(t.recordPosition(), static_cast<std::uint32_t>(moved)) << "moveBy " << by;
            EXPECT_EQ(t.recordNumber(), walked[moved]);
        }
        t.last();
        EXPECT_EQ(t.recordPosition(), walked.size() - 1);
        t.next(); // past the last keeps the last record
        EXPECT_EQ(t.recordPosition(), walked.size() - 1);
    }
};

TEST_F(RecordPositionTest, PositionIsThePlaceWalkingFromTheFirstRecordReaches) {
    struct Case {
        const char* tag;
        const char* start; // range bounds on NAME; none when both are ""
        const char* end;
        bool deletions;
    };
    const Case cases[] = {
        {"", "", "", false},
        {"", "", "", true},
        {"NAMES", "", "", false},
        {"NAMES", "", "", true},
        {"NAMESD", "", "", true},
        {"NAMES", "K100", "K129", true},
        {"NAMESD", "K129", "K100", true},
        {"NAMES", "K041", "K041", true},
        {"NAMESD", "K003", "", true},
        {"NAMES", "", "K003", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " from " + c.start + " to " + c.end +
                     (c.deletions ? " with deletions" : ""));
        makeTable();
        if (c.deletions) {
            deleteEverySeventh();
        }
        Table t;
        openOn(t, "data.dbf");
        t.setTag(c.tag);
        if (*c.start || *c.end) {
            if (*c.start) {
                t.setRangeStart({{0, c.start}});
            }
            if (*c.end) {
                t.setRangeEnd({{0, c.end}});
            }
            t.applyRange();
        }
        expectPositionsFollowTheWalk(t);
    }
}

TEST_F(RecordPositionTest, WithNoCurrentRecordThePositionIsTheCount) {
    makeTable();
    Table t;
    openOn(t, "data.dbf");
    t.setTag("NAMES");
    t.setRangeStart({{0, "X"}});
    t.setRangeEnd({{0, "X"}});
    t.applyRange();
    EXPECT_EQ(t.recordNumber(), 0u);
    EXPECT_EQ(t.recordPosition(), 0u);
    EXPECT_EQ(t.recordPosition(), t.recordCount());
}

TEST_F(RecordPositionTest, AnEditThatMovesARecordInKeyOrderMovesItsPosition) {
    makeTable();
    const char* newNames[] = {"A", "Z", "K100", "K0", ""};
    for (const char* tag : {"NAMES", "NAMESD"}) {
        Table t;
        openOn(t, "data.dbf");
        t.setTag(tag);
        for (const char* newName : newNames) {
            SCOPED_TRACE(std::string(tag) + " to \"" + newName + "\"");
            ASSERT_TRUE(t.goToRecord(40));
            t.edit();
            t.setText(0, newName);
            t.post();
            ASSERT_EQ(t.recordNumber(), 40u);
            const std::uint32_t position = t.recordPosition();
            EXPECT_EQ(position, placeIn(walk(t), 40));
        }
    }
}

TEST_F(RecordPositionTest, PositionFollowsWhatAnotherCursorAddsAndDeletes) {
    for (const char* tag : {"", "NAMES", "NAMESD"}) {
        SCOPED_TRACE(std::string("tag ") + tag);
        makeTable();
        Table shown;
        Table other;
        openOn(shown, "data.dbf");
        openOn(other, "data.dbf");
        shown.setTag(tag);
        other.setTag(tag);
        const auto before = walk(other);
        const std::uint32_t record = before[before.size() / 2];
        ASSERT_TRUE(shown.goToRecord(record));
        ASSERT_EQ(shown.recordPosition(), before.size() / 2);

        // Records on both sides of it in either order, and deletions before and after it.
        for (const char* added : {"A1", "A2", "Z1", "K075"}) {
            other.append();
            other.setText(0, added);
            other.post();
        }
        for (const std::uint32_t gone : {before[1], before[2], before[before.size() - 2]}) {
            ASSERT_TRUE(other.goToRecord(gone));
            other.deleteRecord();
        }
        const auto after = walk(other);
        EXPECT_EQ(shown.recordPosition(), placeIn(after, record));
        EXPECT_EQ(shown.recordCount(), after.size());

        // Deleted under it: the position is where it was.
        ASSERT_TRUE(other.goToRecord(record));
        other.deleteRecord();
        EXPECT_EQ(shown.recordPosition(), placeIn(after, record));
    }
}

} // namespace
} // namespace shelfwise::engine::testing
