#include "search/Replacer.h"

#include "db/RecordSchema.h"
#include "engine/PosixFile.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"
#include "search/Filter.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace shelfwise::search {
namespace {

using namespace std::chrono;

// Positions of the test table.
constexpr int Name = 2;
constexpr int Price = 3;
constexpr int Added = 4;
constexpr int Notes = 5;
constexpr int City = 6;
constexpr int Active = 7;

struct Row {
    const char* name;
    double price;
    const char* mark;
};

// Physical order: record n is Rows[n - 1]. In name order: 4, 5, 2, 3, 1.
const std::vector<Row> Rows = {
    {"Windows 95", 10, "2"}, {"Linux", 20, "0"}, {"winamp", 30, "2"},
    {"Beos", 40, "0"},       {"Dos", 50, "2"},
};

class ReplacerTest : public ::testing::Test {
protected:
    void SetUp() override { Create(Rows.size()); }
    void TearDown() override {
        engine::FileFaults::disarm();
        table.close();
        std::filesystem::remove_all(dir);
    }

    // The rows, then more of the same cycle up to `count` records.
    void Create(std::size_t count) {
        std::string pattern = (std::filesystem::temp_directory_path() / "replace-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        table.setTag("");
        engine::createTable(dir, "data.dbf",
                            {{"RECNO", 'N', 10, 0},
                             {"MARK", 'C', 1, 0},
                             {"NAME", 'C', 20, 0},
                             {"PRICE", 'N', 7, 2},
                             {"ADDED", 'D', 8, 0},
                             {"NOTES", 'M', 10, 0},
                             {"CITY", 'C', 10, 0},
                             {"ACTIVE", 'L', 1, 0}});
        Open(table, true);
        table.addTag("NAMES", "UPPER(NAME)", false);
        table.beginBulkLoad();
        for (std::size_t i = 0; i < count; ++i) {
            const Row& row = Rows[i % Rows.size()];
            table.append();
            table.setNumber(0, static_cast<double>(i + 1));
            table.setText(db::MarkField, row.mark);
            table.setText(Name,
                          i < Rows.size() ? std::string(row.name) : row.name + std::to_string(i));
            table.setNumber(Price, row.price);
            table.setText(City, "Rome");
            table.setText(Active, "F");
            table.post();
        }
        table.endBulkLoad();
        table.close();
        Open(table, false);
        table.setTag("NAMES");
        table.first();
    }

    void Open(engine::Table& t, bool exclusive) const {
        t.setDirectory(dir);
        t.setFileName("data.dbf");
        t.setExclusive(exclusive);
        t.open();
    }

    // The field's text in every record, in physical order.
    std::vector<std::string> Column(int position) const {
        engine::Table other;
        Open(other, false);
        std::vector<std::string> values;
        for (other.first(); !other.atEnd(); other.next()) {
            values.push_back(position == Notes ? other.bytes(position) : other.text(position));
        }
        return values;
    }

    // "Oslo" into every city from the first record on.
    static TReplaceSettings OsloEverywhere() {
        TReplaceSettings s;
        s.Field = City;
        s.Value = "Oslo";
        s.FromFirst = true;
        return s;
    }

    std::filesystem::path dir;
    engine::Table table;
};

TEST(CounterTextTest, PadsTheMagnitudeAfterTheSign) {
    const struct {
        std::int64_t value;
        int width;
        const char* text;
    } cases[] = {
        {7, 3, "007"},       {1, 4, "0001"},  {0, 3, "000"},
        {-1, 3, "-01"},      {-12, 3, "-12"}, {-123, 3, "-123"},
        {12345, 3, "12345"}, {-1, 1, "-1"},   {INT64_MIN, 2, "-9223372036854775808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CounterText(c.value, c.width), c.text) << c.value << " in " << c.width;
    }
    EXPECT_EQ(DigitCount(0), 1);
    EXPECT_EQ(DigitCount(120), 3);
    EXPECT_EQ(DigitCount(1500), 4);
}

TEST(ModeForFieldTest, MemoAndDateFieldsTakeOnlyTheWholeValue) {
    for (const ReplaceMode mode :
         {ReplaceMode::Substring, ReplaceMode::Increment, ReplaceMode::Decrement}) {
        EXPECT_EQ(ModeForField(mode, 'M'), ReplaceMode::Entire);
        EXPECT_EQ(ModeForField(mode, 'D'), ReplaceMode::Entire);
        EXPECT_EQ(ModeForField(mode, 'C'), mode);
        EXPECT_EQ(ModeForField(mode, 'N'), mode);
    }
}

TEST_F(ReplacerTest, ModesAndScopes) {
    struct Case {
        const char* what;
        TReplaceSettings settings;
        std::uint32_t startRecord; // 0: the first in name order
        int position;
        std::vector<std::string> after; // by physical record
        std::uint32_t replaced;
        std::uint32_t failed;
    };
    const auto with = [](int field, ReplaceMode mode, const char* value,
                         db::FilterState scope = db::FilterState::fsFilterOff) {
        TReplaceSettings s;
        s.Field = field;
        s.Mode = mode;
        s.Value = value;
        s.FromFirst = true;
        s.Scope = scope;
        return s;
    };
    TReplaceSettings substring = with(Name, ReplaceMode::Substring, "Mac");
    substring.Substring = "WIN";
    TReplaceSettings emptySubstring = with(Name, ReplaceMode::Substring, "Same");
    TReplaceSettings up = with(City, ReplaceMode::Increment, "");
    up.Start = 1;
    TReplaceSettings down = with(City, ReplaceMode::Decrement, "");
    down.Start = 1;
    TReplaceSettings priceUp = with(Price, ReplaceMode::Increment, "");
    priceUp.Start = 7;
    TReplaceSettings priceDown = with(Price, ReplaceMode::Decrement, "");
    priceDown.Start = 1;
    TReplaceSettings sortField = with(Name, ReplaceMode::Increment, "");
    sortField.Start = 1;
    TReplaceSettings fromCurrent = with(City, ReplaceMode::Entire, "Oslo");
    fromCurrent.FromFirst = false;
    TReplaceSettings date = with(Added, ReplaceMode::Increment, "");
    date.Date = year{2024} / 2 / 29;
    TReplaceSettings memoSubstring = with(Notes, ReplaceMode::Substring, "one\r\ntwo");
    memoSubstring.Substring = "x";
    TReplaceSettings hugeCounter = with(Price, ReplaceMode::Increment, "");
    hugeCounter.Start = 9998;
    TReplaceSettings filteredUp = with(City, ReplaceMode::Increment, "", db::FilterState::fsNormal);
    filteredUp.Start = 1;
    const std::vector<Case> cases = {
        {"a value into every record",
         with(City, ReplaceMode::Entire, "Oslo"),
         0,
         City,
         {"Oslo", "Oslo", "Oslo", "Oslo", "Oslo"},
         5,
         0},
        {"normal filter: the marked ones",
         with(City, ReplaceMode::Entire, "Oslo", db::FilterState::fsNormal),
         0,
         City,
         {"Oslo", "Rome", "Oslo", "Rome", "Oslo"},
         3,
         0},
        {"reversed filter: the others",
         with(City, ReplaceMode::Entire, "Oslo", db::FilterState::fsReversed),
         0,
         City,
         {"Rome", "Oslo", "Rome", "Oslo", "Rome"},
         2,
         0},
        {"from the current record to the end of the order",
         fromCurrent,
         2,
         City,
         {"Oslo", "Oslo", "Oslo", "Rome", "Rome"},
         3,
         0},
        {"the first substring, whatever its case",
         substring,
         0,
         Name,
         {"Macdows 95", "Linux", "Macamp", "Beos", "Dos"},
         2,
         0},
        {"an empty substring takes the whole value",
         emptySubstring,
         0,
         Name,
         {"Same", "Same", "Same", "Same", "Same"},
         5,
         0},
        {"a text counter up, in name order", up, 0, City, {"5", "3", "4", "1", "2"}, 5, 0},
        {"a text counter down across zero", down, 0, City, {"-3", "-1", "-2", "1", "0"}, 5, 0},
        {"a counter counts only the records in scope",
         filteredUp,
         0,
         City,
         {"3", "Rome", "2", "Rome", "1"},
         3,
         0},
        {"a number counter up",
         priceUp,
         0,
         Price,
         {"11.00", "9.00", "10.00", "7.00", "8.00"},
         5,
         0},
        {"a number counter down across zero",
         priceDown,
         0,
         Price,
         {"-3.00", "-1.00", "-2.00", "1.00", "0.00"},
         5,
         0},
        {"a counter into the sort field changes each record once",
         sortField,
         0,
         Name,
         {"5", "3", "4", "1", "2"},
         5,
         0},
        {"a counter on a date field is the date",
         date,
         0,
         Added,
         {"20240229", "20240229", "20240229", "20240229", "20240229"},
         5,
         0},
        {"a substring on a memo is the whole memo",
         memoSubstring,
         0,
         Notes,
         {"one\r\ntwo", "one\r\ntwo", "one\r\ntwo", "one\r\ntwo", "one\r\ntwo"},
         5,
         0},
        {"a text that is no number fails on a numeric field",
         with(Price, ReplaceMode::Entire, "abc"),
         0,
         Price,
         {"10.00", "20.00", "30.00", "40.00", "50.00"},
         0,
         5},
        {"a number too wide for its field fails, the counter goes on",
         hugeCounter,
         0,
         Price,
         {"10.00", "20.00", "30.00", "9998.00", "9999.00"},
         2,
         3},
        {"a text too wide for its field fails",
         with(City, ReplaceMode::Entire, "Much too long"),
         0,
         City,
         {"Rome", "Rome", "Rome", "Rome", "Rome"},
         0,
         5},
        {"a logical field takes T, F, Y or N",
         with(Active, ReplaceMode::Entire, "t"),
         0,
         Active,
         {"T", "T", "T", "T", "T"},
         5,
         0},
        {"and nothing else",
         with(Active, ReplaceMode::Entire, "yes"),
         0,
         Active,
         {"F", "F", "F", "F", "F"},
         0,
         5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        if (c.startRecord != 0) {
            ASSERT_TRUE(table.goToRecord(c.startRecord));
        }
        TReplacer replacer(table);
        // Batches end inside the walk: counters and counts go on across them.
        replacer.RecordsPerFlush = 2;
        const TReplaceResult result = replacer.Run(c.settings);
        EXPECT_TRUE(result.Error.empty()) << c.what;
        EXPECT_EQ(result.Replaced, c.replaced) << c.what;
        EXPECT_EQ(result.Failed, c.failed) << c.what;
        EXPECT_FALSE(result.Stopped) << c.what;
        EXPECT_EQ(Column(c.position), c.after) << c.what;
        // The marks are the filter's, never the run's.
        EXPECT_EQ(Column(db::MarkField), (std::vector<std::string>{"2", "0", "2", "0", "2"}))
            << c.what;
    }
}

TEST_F(ReplacerTest, UnderAFilterTheUsersOwnConditionsDecideToo) {
    // Another program marked records 1, 3 and 5; this user's filter selects prices over 15.
    TFilterList filter;
    filter.Define(filter.AddField(Price, FilterFloatType), "15", "", FilterFloatType,
                  FilterOperator::Greater);
    for (const auto scope : {db::FilterState::fsNormal, db::FilterState::fsReversed}) {
        TearDown();
        SetUp();
        TReplaceSettings s = OsloEverywhere();
        s.Scope = scope;
        s.Filter = &filter;
        TReplacer replacer(table);
        const TReplaceResult result = replacer.Run(s);
        // Normal: marked and over 15 (3, 5); reversed: unmarked and not over 15 (none).
        const std::vector<std::string> expected =
            scope == db::FilterState::fsNormal
                ? std::vector<std::string>{"Rome", "Rome", "Oslo", "Rome", "Oslo"}
                : std::vector<std::string>(5, "Rome");
        EXPECT_EQ(Column(City), expected);
        EXPECT_EQ(result.Replaced, scope == db::FilterState::fsNormal ? 2u : 0u);
    }
}

TEST_F(ReplacerTest, StopLeavesTheDoneRecordsDoneAndTheRestUntouched) {
    TReplaceSettings s;
    s.Field = City;
    s.Mode = ReplaceMode::Increment;
    s.Start = 1;
    s.FromFirst = true;
    TReplacer replacer(table);
    // Stop is pressed once the first batch, the first three records of the name order
    // (4, 5, 2), is written.
    replacer.RecordsPerFlush = 3;
    replacer.ShouldStop = [&] { return replacer.RecordCounter() == 3; };
    const TReplaceResult result = replacer.Run(s);
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Replaced, 3u);
    EXPECT_EQ(Column(City), (std::vector<std::string>{"Rome", "3", "Rome", "1", "2"}));
}

TEST_F(ReplacerTest, ARecordAnotherUserHoldsIsSkippedAndCounted) {
    engine::Table other;
    Open(other, false);
    ASSERT_TRUE(other.goToRecord(3));
    other.edit();
    const TReplaceSettings s = OsloEverywhere();
    TReplacer replacer(table);
    const TReplaceResult result = replacer.Run(s);
    other.cancel();
    EXPECT_EQ(result.Replaced, 4u);
    EXPECT_EQ(result.Held, 1u);
    EXPECT_EQ(result.Failed, 1u);
    EXPECT_EQ(Column(City), (std::vector<std::string>{"Oslo", "Oslo", "Rome", "Oslo", "Oslo"}));
}

TEST_F(ReplacerTest, ARecordDeletedOrUnmarkedDuringTheRunIsPassedOver) {
    engine::Table other;
    Open(other, false);
    TReplaceSettings s = OsloEverywhere();
    s.Scope = db::FilterState::fsNormal;
    TReplacer replacer(table);
    bool changed = false;
    int calls = 0;
    // Once the walk of the marked records (5, 3, 1) is listed, before the first record is
    // written, another user deletes record 3 and unmarks record 5.
    replacer.LetEventsRun = [&] {
        if (++calls == 2) {
            changed = true;
            ASSERT_TRUE(other.goToRecord(3));
            other.deleteRecord();
            ASSERT_TRUE(other.goToRecord(5));
            other.edit();
            other.setText(db::MarkField, db::MarkFailed);
            other.post();
        }
    };
    const TReplaceResult result = replacer.Run(s);
    EXPECT_TRUE(changed);
    EXPECT_EQ(result.Replaced, 1u);
    EXPECT_EQ(result.Failed, 0u);
    EXPECT_EQ(Column(City), (std::vector<std::string>{"Oslo", "Rome", "Rome", "Rome"}));
}

TEST_F(ReplacerTest, AFailureOrKillPartWayLeavesEachBatchBeforeOrAfter) {
    constexpr std::size_t Records = 23;
    constexpr std::uint32_t PerFlush = 5;
    // Which records the name order visits first: a batch holds the next PerFlush of them.
    const auto walkOrder = [&] {
        std::vector<std::uint32_t> order;
        for (table.first(); !table.atEnd(); table.next()) {
            order.push_back(table.recordNumber());
        }
        table.first();
        return order;
    };
    const TReplaceSettings s = OsloEverywhere();
    bool completed = false;
    int struck = 0;
    for (std::uint64_t nth = 1; !completed && nth < 400; ++nth) {
        for (const auto action :
             {engine::FileFaults::Action::Fail, engine::FileFaults::Action::Kill}) {
            table.close();
            std::filesystem::remove_all(dir);
            Create(Records);
            const std::vector<std::uint32_t> order = walkOrder();
            TReplacer replacer(table);
            replacer.RecordsPerFlush = PerFlush;
            TReplaceResult result;
            if (action == engine::FileFaults::Action::Kill) {
                const pid_t pid = ::fork();
                if (pid == 0) {
                    engine::FileFaults::arm(nth, action);
                    replacer.Run(s);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(pid, &status, 0);
                struck += WIFSIGNALED(status) ? 1 : 0;
            } else {
                engine::FileFaults::arm(nth, action);
                result = replacer.Run(s);
                engine::FileFaults::disarm();
                completed = result.Error.empty();
                struck += completed ? 0 : 1;
            }
            table.close();
            // Done: a whole number of batches from the start of the walk, the rest as it was.
            const std::vector<std::string> city = Column(City);
            ASSERT_EQ(city.size(), Records);
            std::size_t done = 0;
            while (done < order.size() && city[order[done] - 1] == "Oslo") {
                ++done;
            }
            EXPECT_TRUE(done % PerFlush == 0 || done == Records)
                << done << " records done, struck at call " << nth;
            // A failed run counts what its written batches changed.
            if (action == engine::FileFaults::Action::Fail) {
                EXPECT_EQ(result.Replaced, done) << "struck at call " << nth;
            }
            for (std::size_t i = done; i < order.size(); ++i) {
                EXPECT_EQ(city[order[i] - 1], "Rome") << "record " << order[i] << ", call " << nth;
            }
            Open(table, false);
        }
    }
    EXPECT_TRUE(completed);
    EXPECT_GT(struck, 4);
}

} // namespace
} // namespace shelfwise::search
