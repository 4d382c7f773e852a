#include "search/Finder.h"

#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace shelfwise::search {
namespace {

using namespace std::chrono;

// Positions of the small test table.
constexpr int Name = 2;
constexpr int Price = 3;
constexpr int Added = 4;
constexpr int Notes = 5;
constexpr int Logo = 6;
constexpr int Active = 7;
constexpr int City = 8;
constexpr int Letter = 9;

struct Row {
    const char* name;
    double price;
    std::optional<year_month_day> added;
    const char* notes;
    const char* city;
    const char* letter;
};

// Physical order: record n is rows[n - 1].
const std::vector<Row> Rows = {
    {"Alpha V1.12", 12, year{2020} / 3 / 4, "", "Rome", "A"},
    {"Beta", 12.5, std::nullopt, "line one\r\nline two ACME", "acme town", "B"},
    {"Gamma acme", 0, year{2021} / 1 / 2, "ACME", "Paris", "B"},
    {"Delta \xC9", 7, std::nullopt, "", "Oslo", "D"},
};

class FinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "find-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        engine::createTable(dir, "data.dbf",
                            {{"RECNO", 'N', 10, 0},
                             {"MARK", 'C', 1, 0},
                             {"NAME", 'C', 20, 0},
                             {"PRICE", 'N', 10, 2},
                             {"ADDED", 'D', 8, 0},
                             {"NOTES", 'M', 10, 0},
                             {"LOGO", 'B', 10, 0},
                             {"ACTIVE", 'L', 1, 0},
                             {"CITY", 'C', 20, 0},
                             {"LETTER", 'C', 1, 0}});
        Open(table, true);
        table.addTag("LETTERS", "LETTER", false);
        for (const Row& row : Rows) {
            table.append();
            table.setNumber(0, table.recordCount() + 1);
            table.setText(Name, row.name);
            table.setNumber(Price, row.price);
            table.setDate(Added, row.added);
            table.setBytes(Notes, row.notes);
            table.setBytes(Logo, "ACME 12");
            table.setText(Active, "T");
            table.setText(City, row.city);
            table.setText(Letter, row.letter);
            table.post();
        }
        table.close();
        Open(table, false);
        fields.Build(table);
    }
    void TearDown() override {
        engine::FileFaults::disarm();
        table.close();
        std::filesystem::remove_all(dir);
    }

    void Open(engine::Table& t, bool exclusive) const {
        t.setDirectory(dir);
        t.setFileName("data.dbf");
        t.setExclusive(exclusive);
        t.open();
    }

    // Every hit of one search from the start, as (record number, field position).
    std::vector<std::pair<int, int>> Hits(TFinder& finder, bool forward) {
        std::vector<std::pair<int, int>> hits;
        finder.Begin(forward, 0);
        while (finder.Step(forward) == StepResult::Hit && hits.size() < 20) {
            hits.emplace_back(table.recordNumber(), finder.FieldPosition());
        }
        return hits;
    }

    std::vector<std::string> Marks() {
        engine::Table other;
        Open(other, false);
        std::vector<std::string> marks;
        for (other.first(); !other.atEnd(); other.next()) {
            marks.push_back(other.text(db::MarkField));
        }
        return marks;
    }

    std::filesystem::path dir;
    engine::Table table;
    db::TFieldClasses fields;
};

TEST_F(FinderTest, FindsEachFieldKindByOptionAndDirection) {
    struct Case {
        const char* text;
        int field;
        bool skipMemos;
        bool forward;
        std::vector<std::pair<int, int>> hits;
    };
    const std::vector<Case> cases = {
        // A text field matches a substring, a numeric field only the exact value.
        {"12", AllFields, false, true, {{1, Name}, {1, Price}}},
        {"12", AllFields, false, false, {{1, Price}, {1, Name}}},
        {"12", Price, false, true, {{1, Price}}},
        {"12.50", Price, false, true, {{2, Price}}},
        {"0", Price, false, true, {{3, Price}}},
        {"12,5", Price, false, true, {}},
        {"12.5x", Price, false, true, {}},
        // Text that is no number or date never matches such fields.
        {"abc", AllFields, false, true, {}},
        {"03/04/2020", AllFields, false, true, {{1, Added}}},
        {"03/04/2020", Added, false, false, {{1, Added}}},
        {"3/4/2020x", Added, false, true, {}},
        // Case differences of a-z only.
        {"ACME", AllFields, false, true, {{2, Notes}, {2, City}, {3, Name}, {3, Notes}}},
        {"acme", AllFields, false, false, {{3, Notes}, {3, Name}, {2, City}, {2, Notes}}},
        {"delta \xC9", Name, false, true, {{4, Name}}},
        {"\xE9", AllFields, false, true, {}},
        // Memo fields are left out only in all-fields mode.
        {"acme", AllFields, true, true, {{2, City}, {3, Name}}},
        {"acme", AllFields, true, false, {{3, Name}, {2, City}}},
        {"acme", Notes, true, true, {{2, Notes}, {3, Notes}}},
        {"acme", Notes, false, false, {{3, Notes}, {2, Notes}}},
        // Picture and logical fields never match.
        {"ACME 12", Logo, false, true, {}},
        {"T", Active, false, true, {}},
        {"paris", City, false, true, {{3, City}}},
    };
    for (const Case& c : cases) {
        TFinder finder(table, fields);
        finder.SetSearchText(c.text, QStringLiteral("mm/dd/yyyy"));
        finder.SetField(c.field);
        finder.SetSkipMemos(c.skipMemos);
        EXPECT_EQ(Hits(finder, c.forward), c.hits)
            << c.text << " field " << c.field << " skip memos " << c.skipMemos << " forward "
            << c.forward;
    }
}

TEST_F(FinderTest, HitReportsCounterAndMemoSelectionAsTheEditorCountsIt) {
    TFinder finder(table, fields);
    finder.SetSearchText("acme", QStringLiteral("mm/dd/yyyy"));
    finder.Begin(true, 0);
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.RecordCounter(), 1);
    EXPECT_EQ(finder.FieldPosition(), Notes);
    // "ACME" starts at stored byte 19, after one CR LF.
    const QString shown = QString::fromLatin1(Rows[1].notes).replace("\r\n", "\n");
    EXPECT_EQ(shown.mid(finder.MemoOffset(), finder.MemoLength()), QStringLiteral("ACME"));
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.RecordCounter(), 2);
    EXPECT_EQ(finder.MemoOffset(), 0);

    // Backwards from the last record's last field, then back at the first record's first.
    finder.SetSearchText("a", QStringLiteral("mm/dd/yyyy"));
    finder.Begin(false, 0);
    EXPECT_EQ(finder.RecordCounter(), 3);
    ASSERT_EQ(finder.Step(false), StepResult::Hit);
    EXPECT_EQ(table.recordNumber(), 4u);
    EXPECT_EQ(finder.FieldPosition(), Name);
    finder.SetSearchText("alpha", QStringLiteral("mm/dd/yyyy"));
    ASSERT_EQ(finder.Step(false), StepResult::Hit);
    EXPECT_EQ(finder.RecordCounter(), 0);
    EXPECT_EQ(finder.Step(false), StepResult::NotFound);
    EXPECT_EQ(finder.Step(true), StepResult::NotFound);
}

TEST_F(FinderTest, WalksLetterRangesUntilNoneIsLeft) {
    table.setTag("LETTERS");
    const auto showLetter = [this](char letter) {
        const std::string key(1, letter);
        table.setRangeStart({{Letter, key}});
        table.setRangeEnd({{Letter, key}});
        table.applyRange();
    };
    // The letters that hold records, as the book window walks them.
    const std::string filled = "ABD";
    std::vector<char> asked;
    TFinder finder(table, fields);
    finder.RangeExhausted = [&](bool forward) -> std::optional<char> {
        asked.push_back(finder.Letter());
        const auto at = static_cast<int>(filled.find(finder.Letter())) + (forward ? 1 : -1);
        if (at < 0 || at >= static_cast<int>(filled.size())) {
            return std::nullopt;
        }
        showLetter(filled[static_cast<std::size_t>(at)]);
        return filled[static_cast<std::size_t>(at)];
    };
    finder.SetSearchText("t", QStringLiteral("mm/dd/yyyy"));
    finder.SetSkipMemos(true);
    showLetter('A');
    finder.Begin(true, 'A');
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.Letter(), 'B');
    EXPECT_EQ(table.recordNumber(), 2u);
    EXPECT_EQ(finder.RecordCounter(), 0);
    EXPECT_EQ(finder.FieldPosition(), Name);
    ASSERT_EQ(finder.Step(true), StepResult::Hit); // "acme town" in the same record
    EXPECT_EQ(table.recordNumber(), 2u);
    EXPECT_EQ(finder.FieldPosition(), City);
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.Letter(), 'D');
    EXPECT_EQ(table.recordNumber(), 4u);
    EXPECT_EQ(finder.RecordCounter(), 0);
    EXPECT_EQ(finder.Step(true), StepResult::NotFound);
    EXPECT_EQ(asked, (std::vector<char>{'A', 'B', 'D'}));

    // Backwards from "D": the range of "D" first, then "B".
    asked.clear();
    showLetter('D');
    finder.SetSearchText("acme", QStringLiteral("mm/dd/yyyy"));
    finder.Begin(false, 'D');
    ASSERT_EQ(finder.Step(false), StepResult::Hit);
    EXPECT_EQ(finder.Letter(), 'B');
    EXPECT_EQ(table.recordNumber(), 3u);
    EXPECT_EQ(finder.RecordCounter(), 1);
}

TEST_F(FinderTest, DeletedHitRecordStillTestsTheRecordThatTookItsPlace) {
    table.setTag("LETTERS");
    TFinder finder(table, fields);
    finder.SetSearchText("acme", QStringLiteral("mm/dd/yyyy"));
    finder.SetSkipMemos(true);
    finder.Begin(true, 0);
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    ASSERT_EQ(table.recordNumber(), 2u);
    {
        engine::Table other;
        Open(other, false);
        ASSERT_TRUE(other.goToRecord(2));
        other.deleteRecord();
    }
    ASSERT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(table.recordNumber(), 3u);
    EXPECT_EQ(finder.FieldPosition(), Name);
    EXPECT_EQ(finder.RecordCounter(), 1);
}

TEST_F(FinderTest, StopEndsAStepAtTheNextRecord) {
    TFinder finder(table, fields);
    finder.SetSearchText("Delta", QStringLiteral("mm/dd/yyyy"));
    int polls = 0;
    finder.ShouldStop = [&polls] { return ++polls == 3; };
    finder.Begin(true, 0);
    EXPECT_EQ(finder.Step(true), StepResult::Stopped);
    EXPECT_EQ(table.recordNumber(), 3u);
    EXPECT_FALSE(finder.HasHit());
}

TEST_F(FinderTest, MarkAllMarksEveryRecordAndSkipsHeldOnes) {
    table.setTag("LETTERS");
    TFinder finder(table, fields);
    finder.SetSearchText("acme", QStringLiteral("mm/dd/yyyy"));
    NonStopResult result = finder.MarkAll();
    EXPECT_EQ(result.Found, 2u);
    EXPECT_EQ(result.Skipped, 0u);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(table.tag(), "");
    EXPECT_EQ(Marks(), (std::vector<std::string>{"0", "2", "2", "0"}));

    // Another user edits record 3 while the marks change: it keeps its mark and is counted.
    engine::Table other;
    Open(other, false);
    ASSERT_TRUE(other.goToRecord(3));
    other.edit();
    finder.SetSearchText("alpha", QStringLiteral("mm/dd/yyyy"));
    result = finder.MarkAll();
    EXPECT_EQ(result.Found, 1u);
    EXPECT_EQ(result.Skipped, 1u);
    other.cancel();
    EXPECT_EQ(Marks(), (std::vector<std::string>{"2", "0", "2", "0"}));

    // A stop leaves the records after it as they were.
    finder.SetSearchText("delta", QStringLiteral("mm/dd/yyyy"));
    int polls = 0;
    finder.ShouldStop = [&polls] { return ++polls == 2; };
    result = finder.MarkAll();
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"0", "0", "2", "0"}));
}

TEST_F(FinderTest, LongTablesKeepTheirPlaceFromStretchToStretch) {
    // Records 5 to 704; "needle" in the names of these.
    const std::vector<int> needles = {260, 261, 517, 704};
    table.beginBatch();
    for (int n = 5; n <= 704; ++n) {
        table.append();
        table.setText(Name, std::ranges::count(needles, n) > 0 ? "a needle" : "hay");
        table.setText(Letter, "H");
        table.post();
    }
    table.endBatch();
    TFinder finder(table, fields);
    finder.SetSearchText("NEEDLE", QStringLiteral("mm/dd/yyyy"));
    finder.SetField(Name);
    int events = 0;
    finder.LetEventsRun = [&events] { ++events; };
    finder.Begin(true, 0);
    for (const int n : needles) {
        ASSERT_EQ(finder.Step(true), StepResult::Hit);
        EXPECT_EQ(table.recordNumber(), static_cast<std::uint32_t>(n));
        EXPECT_EQ(finder.RecordCounter(), n - 1);
    }
    EXPECT_EQ(finder.Step(true), StepResult::NotFound);
    // Events ran while the 700 records were read, not only once.
    EXPECT_GT(events, static_cast<int>(needles.size()) + 1);

    int polls = 0;
    finder.ShouldStop = [&polls] { return ++polls == 600; };
    finder.Begin(true, 0);
    EXPECT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.Step(true), StepResult::Hit);
    EXPECT_EQ(finder.Step(true), StepResult::Stopped);
    EXPECT_EQ(table.recordNumber(), 600u);
    EXPECT_EQ(finder.RecordCounter(), 599);

    // Marking: a held record past the first stretches keeps its mark; a second pass, with
    // every mark already right, counts the same hits; a stop leaves the rest as they were.
    finder.ShouldStop = nullptr;
    engine::Table other;
    Open(other, false);
    ASSERT_TRUE(other.goToRecord(517));
    other.edit();
    NonStopResult result = finder.MarkAll();
    other.cancel();
    EXPECT_EQ(result.Found, 3u);
    EXPECT_EQ(result.Skipped, 1u);
    std::vector<std::string> marks = Marks();
    ASSERT_EQ(marks.size(), 704u);
    for (int n = 1; n <= 704; ++n) {
        const bool needle = std::ranges::count(needles, n) > 0;
        EXPECT_EQ(marks[n - 1], n == 517 ? "" : needle ? "2" : "0") << n;
    }
    result = finder.MarkAll();
    EXPECT_EQ(result.Found, 4u);
    EXPECT_EQ(result.Skipped, 0u);

    finder.SetSearchText("hay", QStringLiteral("mm/dd/yyyy"));
    polls = 0;
    finder.ShouldStop = [&polls] { return ++polls == 300; };
    result = finder.MarkAll();
    EXPECT_TRUE(result.Stopped);
    marks = Marks();
    for (int n = 5; n <= 704; ++n) {
        const bool needle = std::ranges::count(needles, n) > 0;
        const bool marked = n < 300 ? !needle : needle;
        EXPECT_EQ(marks[n - 1], marked ? "2" : "0") << n;
    }
}

TEST_F(FinderTest, FailedMarkingLeavesEveryMarkBeforeOrAfter) {
    const std::vector<std::string> before(Rows.size(), "");
    const std::vector<std::string> after = {"0", "2", "2", "0"};
    bool completed = false;
    int failed = 0;
    for (std::uint64_t nth = 1; !completed && nth < 200; ++nth) {
        TearDown();
        SetUp();
        TFinder finder(table, fields);
        finder.SetSearchText("acme", QStringLiteral("mm/dd/yyyy"));
        engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
        try {
            finder.MarkAll();
            completed = true;
        } catch (const engine::EngineError&) {
            ++failed;
        }
        engine::FileFaults::disarm();
        table.close();
        const std::vector<std::string> marks = Marks();
        EXPECT_TRUE(marks == before || marks == after) << "failing call " << nth;
    }
    EXPECT_TRUE(completed);
    EXPECT_GT(failed, 2);
}

} // namespace
} // namespace shelfwise::search
