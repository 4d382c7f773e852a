#include "search/Filter.h"

#include "db/RecordSchema.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "search/FilterDlg.h"
#include "search/FilterTemplates.h"
#include "settings/TemplateList.h"
#include "support/ChildProgram.h"
#include "support/TestFiles.h"

#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::search {
namespace {

using namespace std::chrono;

constexpr int Name = 2;
constexpr int Price = 3;
constexpr int Added = 4;
constexpr int Notes = 5;

struct Row {
    const char* name;
    double price;
    std::optional<year_month_day> added;
};

// Physical order: record n is Rows[n - 1].
const std::vector<Row> Rows = {
    {"250", 15, year{2020} / 3 / 4},  {"99", 10, year{2020} / 4 / 3},
    {"ABC", 20, std::nullopt},        {"acme", 0, year{2021} / 1 / 2},
    {"", 1234.5, year{2001} / 1 / 1}, {"03/04/2020", 12, year{2020} / 3 / 4},
};

void MakeTable(const std::filesystem::path& dir) {
    engine::createTable(dir, "data.dbf",
                        {{"RECNO", 'N', 10, 0},
                         {"MARK", 'C', 1, 0},
                         {"NAME", 'C', 20, 0},
                         {"PRICE", 'N', 10, 2},
                         {"ADDED", 'D', 8, 0},
                         {"NOTES", 'M', 10, 0}});
    engine::Table table;
    table.setDirectory(dir);
    table.setFileName("data.dbf");
    table.open();
    for (const Row& row : Rows) {
        table.append();
        table.setNumber(0, table.recordCount() + 1);
        table.setText(Name, row.name);
        table.setNumber(Price, row.price);
        table.setDate(Added, row.added);
        table.post();
    }
}

void Open(engine::Table& table, const std::filesystem::path& dir) {
    table.setDirectory(dir);
    table.setFileName("data.dbf");
    table.open();
}

std::vector<std::string> Marks(const std::filesystem::path& dir) {
    engine::Table table;
    Open(table, dir);
    std::vector<std::string> marks;
    for (table.first(); !table.atEnd(); table.next()) {
        marks.push_back(table.text(db::MarkField));
    }
    return marks;
}

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        MakeTable(dir);
        Open(table, dir);
    }
    void TearDown() override { engine::FileFaults::disarm(); }

    // Record numbers of the records that pass, in physical order.
    std::vector<int> Passing(const TFilterList& filter) {
        std::vector<int> passing;
        for (table.first(); !table.atEnd(); table.next()) {
            if (filter.Passes(table)) {
                passing.push_back(static_cast<int>(table.recordNumber()));
            }
        }
        return passing;
    }

    test::TemporaryDirectory scratch{"filter"};
    std::filesystem::path dir = scratch.Path();
    engine::Table table;
};

TEST_F(FilterTest, EachOperatorOnEachFieldKind) {
    using Op = FilterOperator;
    struct Case {
        int field;
        Op op;
        const char* value1;
        const char* value2;
        std::vector<std::string> list;
        int dateFormat;
        std::vector<int> passing;
    };
    const std::vector<Case> cases = {
        // Text: numbers compare as numbers when both read as numbers, dates as dates, the
        // rest as upper-cased texts.
        {Name, Op::Less, "acme", "", {}, 0, {1, 2, 3, 5, 6}},
        {Name, Op::LessOrEqual, "acme", "", {}, 0, {1, 2, 3, 4, 5, 6}},
        {Name, Op::GreaterOrEqual, "100", "", {}, 0, {1, 3, 4}},
        {Name, Op::Greater, "99", "", {}, 0, {1, 3, 4}},
        {Name, Op::Equal, "acme", "", {}, 0, {4}},
        {Name, Op::Equal, "", "", {}, 0, {5}},
        {Name, Op::Between, "10", "300", {}, 0, {1, 2}},
        {Name, Op::OneOf, "", "", {"Acme", "Zeta"}, 0, {4}},
        {Name, Op::Less, "04/01/2020", "", {}, 0, {5, 6}},
        {Name, Op::Less, "04/01/2020", "", {}, 1, {5}},
        // Numbers: a value that is no number counts as 0; Between excludes both bounds.
        {Price, Op::Less, "12", "", {}, 0, {2, 4}},
        {Price, Op::LessOrEqual, "12", "", {}, 0, {2, 4, 6}},
        {Price, Op::Equal, "1,234.50", "", {}, 0, {5}},
        {Price, Op::GreaterOrEqual, "", "", {}, 0, {1, 2, 3, 4, 5, 6}},
        {Price, Op::Greater, "abc", "", {}, 0, {1, 2, 3, 5, 6}},
        {Price, Op::Between, "10", "20", {}, 0, {1, 6}},
        {Price, Op::OneOf, "", "", {"10", "1o"}, 0, {2, 4}},
        // Dates: stored month/day/year in every date format; an empty field is earlier than
        // every date; a value that is no date counts as 01/01/01.
        {Added, Op::Equal, "03/04/2020", "", {}, 0, {1, 6}},
        {Added, Op::Equal, "03/04/2020", "", {}, 1, {1, 6}},
        {Added, Op::Greater, "12/31/2020", "", {}, 2, {4}},
        {Added, Op::Less, "04/01/20", "", {}, 0, {1, 3, 5, 6}},
        {Added, Op::LessOrEqual, "03/04/2020", "", {}, 0, {1, 3, 5, 6}},
        {Added, Op::GreaterOrEqual, "04/03/2020", "", {}, 0, {2, 4}},
        {Added, Op::Between, "03/04/2020", "01/02/2021", {}, 0, {2}},
        {Added, Op::OneOf, "", "", {"04/03/2020", "garbage"}, 0, {2, 5}},
        {Added, Op::Equal, "", "", {}, 0, {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "field " << c.field << " operator " << static_cast<int>(c.op) << " "
                     << c.value1 << " format " << c.dateFormat);
        TFilterList filter;
        filter.SetDateFormat(c.dateFormat);
        const int index = filter.AddField(c.field, FilterTypeOf(table.field(c.field)));
        filter.Define(index, c.value1, c.value2, FilterTypeOf(table.field(c.field)), c.op, c.list);
        EXPECT_EQ(Passing(filter), c.passing);
    }
}

TEST_F(FilterTest, ConditionsAllMustPassAndUndefinedOnesRestrictNothing) {
    TFilterList filter;
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(filter.AddField(Price, FilterFloatType), 0);
    EXPECT_EQ(filter.AddField(Name, FilterTextType), 1);
    EXPECT_EQ(filter.AddField(Price, FilterFloatType), 0); // a field has one entry
    EXPECT_EQ(filter.Count(), 2);
    EXPECT_FALSE(filter.HasDefined());
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 2, 3, 4, 5, 6}));

    filter.Define(0, "11", "", FilterFloatType, FilterOperator::Greater);
    EXPECT_TRUE(filter.HasDefined());
    EXPECT_EQ(filter.Items(0)->Value1, "11");
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3, 5, 6}));
    filter.Define(1, "acme", "", FilterTextType, FilterOperator::Less);
    EXPECT_EQ(filter.Items(1)->Value1, "ACME");
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3, 5, 6}));
    filter.Define(1, "9", "", FilterTextType, FilterOperator::Greater);
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3}));

    filter.Delete(0);
    EXPECT_EQ(filter.IndexOfField(Price), -1);
    EXPECT_EQ(filter.IndexOfField(Name), 0);
    EXPECT_EQ(filter.Items(1), nullptr);
    filter.Clear();
    EXPECT_EQ(filter.Count(), 0);
}

TEST_F(FilterTest, DateTextsConvertBetweenTheShownAndTheStoredOrder) {
    EXPECT_EQ(StoredDateText("04/03/2020", 1), "03/04/2020");
    EXPECT_EQ(StoredDateText("2020/03/04", 2), "03/04/2020");
    EXPECT_EQ(StoredDateText("3/4/20", 0), "03/04/2020");
    EXPECT_EQ(ShownDateText("03/04/2020", 1), "04/03/2020");
    EXPECT_EQ(ShownDateText("03/04/2020", 2), "2020/03/04");
    EXPECT_EQ(StoredDateText("31/02/2020", 1), "31/02/2020"); // no such date: left alone
    EXPECT_EQ(ReadFilterDate("13/01/2020", 0), std::nullopt);
    EXPECT_EQ(ReadFilterDate("1/2/3/4", 0), std::nullopt);
    EXPECT_EQ(ReadFilterNumber("12 apples"), std::nullopt);
    EXPECT_EQ(ReadFilterNumber("-1,250.5"), -1250.5L);
}

TEST_F(FilterTest, FilterFileReadsBackTheSameConditions) {
    TFilterList filter;
    filter.AddField(Added, FilterDateType);
    filter.AddField(Name, FilterTextType);
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "03/04/2020", "01/02/2021", FilterDateType, FilterOperator::Between);
    filter.Define(1, "", "", FilterTextType, FilterOperator::OneOf,
                  {"Acme", std::string(300, 'x')});
    const auto file = dir / "filter.dat";
    ASSERT_TRUE(filter.SaveToFile(file));

    TFilterList read;
    read.SetDateFormat(1); // the stored dates keep their meaning
    ASSERT_TRUE(read.LoadFromFile(file, &table));
    ASSERT_EQ(read.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TFilter& a = *filter.Items(i);
        const TFilter& b = *read.Items(i);
        EXPECT_EQ(b.FieldPosition, a.FieldPosition);
        EXPECT_EQ(b.FieldType, a.FieldType);
        EXPECT_EQ(b.Undefined, a.Undefined);
        EXPECT_EQ(b.Operator, a.Operator);
        EXPECT_EQ(b.Value1, a.Value1);
        EXPECT_EQ(b.Value2, a.Value2);
        EXPECT_EQ(b.ValueList, a.ValueList);
    }
    EXPECT_TRUE(read.Items(2)->Undefined);
    EXPECT_EQ(Passing(read), Passing(filter));

    // The byte layout of one text condition.
    TFilterList one;
    one.AddField(3, FilterTextType);
    one.Define(0, "acme", "", FilterTextType, FilterOperator::Equal);
    ASSERT_TRUE(one.SaveToFile(file));
    EXPECT_EQ(test::ReadBytes(file),
              (std::vector<std::uint8_t>{0x01, 0x03, 0x01, 0x00, 0x02, 0x06, 0x04, 0x41, 0x43, 0x4D,
                                         0x45, 0x06, 0x00, 0x01, 0x00, 0x00}));
}

TEST_F(FilterTest, DamagedFilterFilesNeverReplaceTheFilterOrReachOutsideTheTable) {
    TFilterList filter;
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::Less);
    const auto file = dir / "bad.flt";
    const std::vector<std::uint8_t> good = {0x01, 0x03, 0x01, 0x00, 0x02, 0x06, 0x04, 0x41,
                                            0x43, 0x4D, 0x45, 0x06, 0x00, 0x01, 0x00, 0x00};
    // Cut short anywhere, or missing: false and the filter unchanged.
    for (std::size_t size = 0; size < good.size(); ++size) {
        test::WriteBytes(file, std::vector<std::uint8_t>(good.begin(), good.begin() + size));
        EXPECT_FALSE(filter.LoadFromFile(file, &table)) << size;
        ASSERT_EQ(filter.Count(), 1) << size;
        EXPECT_EQ(filter.Items(0)->FieldPosition, Price);
    }
    EXPECT_FALSE(filter.LoadFromFile(dir / "missing.flt", &table));
    EXPECT_EQ(filter.Count(), 1);

    // Positions outside the data fields, a memo, a repeated position and an unknown operator
    // are dropped; a condition takes the kind of its field.
    const auto entry = [](std::uint8_t position, std::uint8_t type, std::uint8_t op) {
        return std::vector<std::uint8_t>{position, type, 0, op, 6, 1, '5', 6, 0, 1, 0};
    };
    std::vector<std::uint8_t> crafted = {0x01};
    for (const auto& e : {entry(200, 1, 0), entry(1, 1, 0), entry(Notes, 1, 0), entry(Price, 1, 0),
                          entry(Price, 6, 4), entry(Name, 1, 9)}) {
        crafted.insert(crafted.end(), e.begin(), e.end());
    }
    crafted.push_back(0x00);
    test::WriteBytes(file, crafted);
    ASSERT_TRUE(filter.LoadFromFile(file, &table));
    ASSERT_EQ(filter.Count(), 1);
    EXPECT_EQ(filter.Items(0)->FieldPosition, Price);
    EXPECT_EQ(filter.Items(0)->FieldType, FilterFloatType);
    EXPECT_EQ(Passing(filter), (std::vector<int>{4}));
}

TEST_F(FilterTest, TemplatesSaveLoadAndDeleteWithoutLosingTheCurrentFilter) {
    TFilterList filter;
    TFilterTemplateContents contents(filter, &table);
    settings::TTemplateList templates(settings::FilterTemplates, dir);
    templates.SetContents(&contents);
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::Less);
    ASSERT_TRUE(templates.AddTemplate("Cheap"));
    EXPECT_FALSE(templates.AddTemplate("Cheap"));
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::Greater);
    ASSERT_TRUE(templates.AddTemplate("cheap")); // another case is another name
    EXPECT_EQ(templates.TemplateAt(0).FileName, "tml1.flt");

    ASSERT_TRUE(templates.LoadTemplate("Cheap"));
    EXPECT_EQ(Passing(filter), (std::vector<int>{2, 4}));
    ASSERT_TRUE(templates.LoadTemplate("cheap"));
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3, 5}));

    // A damaged template keeps the filter in force.
    test::WriteBytes(dir / "tml1.flt", test::Bytes{0x01, 0x03, 0x01});
    EXPECT_FALSE(templates.LoadTemplate("Cheap"));
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3, 5}));

    templates.DeleteTemplate(0);
    EXPECT_FALSE(std::filesystem::exists(dir / "tml1.flt"));
    EXPECT_FALSE(templates.LoadTemplate("Cheap"));
    EXPECT_EQ(templates.Count(), 1u);
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 3, 5}));
}

TEST_F(FilterTest, ApplyMarksEveryRecordAndReversedSelectsTheRest) {
    TFilterList filter;
    // With no condition every record passes.
    TApplyResult result = filter.ApplyToAll(table);
    EXPECT_EQ(result.Passed, 6u);
    EXPECT_EQ(Marks(dir), std::vector<std::string>(6, "2"));

    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::LessOrEqual);
    table.setTag("");
    std::vector<int> percents;
    result = filter.ApplyToAll(table, [&percents](int percent) {
        percents.push_back(percent);
        return true;
    });
    EXPECT_EQ(result.Passed, 3u);
    EXPECT_EQ(result.Skipped, 0u);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(percents, (std::vector<int>{0, 100}));
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"0", "2", "0", "2", "0", "2"}));
    std::vector<int> normal;
    std::vector<int> reversed;
    for (table.first(); !table.atEnd(); table.next()) {
        const int n = static_cast<int>(table.recordNumber());
        if (StillSelected(filter, table, db::FilterState::fsNormal)) {
            normal.push_back(n);
        }
        if (StillSelected(filter, table, db::FilterState::fsReversed)) {
            reversed.push_back(n);
        }
        EXPECT_TRUE(StillSelected(filter, table, db::FilterState::fsFilterOff));
    }
    EXPECT_EQ(normal, (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(reversed, (std::vector<int>{1, 3, 5}));

    // A record another user holds keeps its mark and is counted; Stop leaves the rest.
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::Greater);
    engine::Table other;
    Open(other, dir);
    ASSERT_TRUE(other.goToRecord(3));
    other.edit();
    result = filter.ApplyToAll(table);
    other.cancel();
    EXPECT_EQ(result.Skipped, 1u);
    EXPECT_EQ(result.Passed, 2u);
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "0", "0", "0", "2", "0"}));
    result = filter.ApplyToAll(table, [](int) { return false; });
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "0", "0", "0", "2", "0"}));
}

TEST_F(FilterTest, PostedRecordsAreMarkedAsTheyArePosted) {
    TFilterList filter;
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::Less);
    filter.ApplyToAll(table);
    engine::Table cursor; // as the book's edit cursor
    Open(cursor, dir);
    filter.AttachTo(cursor);
    const auto postPrice = [&cursor](std::uint32_t record, double price) {
        ASSERT_TRUE(cursor.goToRecord(record));
        cursor.edit();
        cursor.setNumber(Price, price);
        cursor.post();
    };
    postPrice(1, 5);
    cursor.append();
    cursor.setNumber(Price, 50);
    cursor.post();
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "2", "0", "2", "0", "0", "0"}));

    // Off (a non-stop Find's marks are shown): edits keep their marks, but a new record and
    // a record without a mark are marked, so none is in neither list.
    filter.SetEvaluation(false);
    postPrice(2, 50);
    cursor.append();
    cursor.setNumber(Price, 1);
    cursor.post();
    ASSERT_TRUE(cursor.goToRecord(3));
    cursor.edit();
    cursor.setText(db::MarkField, "");
    cursor.post();
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "2", "0", "2", "0", "0", "0", "2"}));
    // The record posted meanwhile is right once evaluation is back.
    filter.ApplyToAll(table);
    EXPECT_TRUE(filter.EvaluationOn());
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "0", "0", "2", "0", "0", "0", "2"}));

    // Detached, posts leave marks alone; so does the hook of a list that went first (an empty
    // list would mark every record "2").
    filter.Detach();
    postPrice(1, 99);
    EXPECT_EQ(Marks(dir)[0], "2");
    {
        TFilterList gone;
        gone.AttachTo(cursor);
    }
    postPrice(3, 99);
    EXPECT_EQ(Marks(dir)[2], "0");
}

TEST_F(FilterTest, FailedMarkingLeavesEveryMarkBeforeOrAfter) {
    const std::vector<std::string> before(Rows.size(), "");
    const std::vector<std::string> after = {"0", "2", "0", "2", "0", "0"};
    bool completed = false;
    int failed = 0;
    for (std::uint64_t nth = 1; !completed && nth < 200; ++nth) {
        table.close();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        MakeTable(dir);
        Open(table, dir);
        TFilterList filter;
        filter.AddField(Price, FilterFloatType);
        filter.Define(0, "12", "", FilterFloatType, FilterOperator::Less);
        engine::FileFaults::arm(nth, engine::FileFaults::Action::Fail);
        try {
            filter.ApplyToAll(table);
            completed = true;
        } catch (const engine::EngineError&) {
            ++failed;
        }
        engine::FileFaults::disarm();
        table.close();
        const std::vector<std::string> marks = Marks(dir);
        EXPECT_TRUE(marks == before || marks == after) << "failing call " << nth;
    }
    EXPECT_TRUE(completed);
    EXPECT_GT(failed, 2);
}

constexpr const char* OtherUserDir = "SW_FILTER_OTHER_USER_DIR";

// The other user of the two-program test: marks the shared table with its own filter.
TEST(ChildProgram, MarksTheTableWithItsOwnFilter) {
    const char* dir = std::getenv(OtherUserDir);
    if (dir == nullptr) {
        GTEST_SKIP() << "runs only as the second program of the selection test";
    }
    engine::Table table;
    Open(table, dir);
    TFilterList filter;
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::GreaterOrEqual);
    filter.ApplyToAll(table);
    test::WriteBytes(std::filesystem::path(dir) / "marked", {});
}

TEST_F(FilterTest, DeletingTheSelectionTouchesOnlyThisUsersOwnRecords) {
    TFilterList filter;
    filter.AddField(Price, FilterFloatType);
    filter.Define(0, "12", "", FilterFloatType, FilterOperator::LessOrEqual);
    filter.ApplyToAll(table);

    // The other program re-marks the same table for prices of 12 and more.
    QProcess other;
    ASSERT_TRUE(test::StartChildProgram(other, OtherUserDir, dir, "MarksTheTableWithItsOwnFilter"));
    ASSERT_TRUE(test::WaitForFile(dir / "marked"));
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(Marks(dir), (std::vector<std::string>{"2", "0", "2", "0", "2", "2"}));

    // Delete the selection: the records the marks show, each checked against this filter.
    table.setTag("");
    table.first();
    while (!table.atEnd() && table.recordNumber() != 0) {
        if (table.text(db::MarkField) == db::MarkPassed &&
            StillSelected(filter, table, db::FilterState::fsNormal)) {
            table.deleteRecord();
        } else {
            table.next();
        }
    }
    std::vector<double> prices;
    for (table.first(); !table.atEnd(); table.next()) {
        prices.push_back(table.number(Price));
    }
    // Only record 6 (12) was in both selections; 15, 20 and 1234.5 were the other user's.
    EXPECT_EQ(prices, (std::vector<double>{15, 10, 20, 0, 1234.5}));
}

class FilterDlgTest : public FilterTest {
protected:
    void SetUp() override {
        FilterTest::SetUp();
        fields.Build(table);
        templates.SetContents(&contents);
        platform::SetMessageHook([this](const platform::Message& message) {
            messages.push_back(message.text);
            return platform::DefaultAnswer(message.buttons);
        });
    }
    void TearDown() override {
        platform::SetMessageHook(nullptr);
        platform::SetDialogHook(nullptr);
        FilterTest::TearDown();
    }

    // Opens the condition dialog of the used field on `row`, lets `fill` set it and presses OK
    // once for every entry of `presses`, giving up after the last.
    void EditCondition(TFilterDlg& dialog, int row,
                       const std::function<void(QDialog&, int press)>& fill, int presses = 1) {
        platform::SetDialogHook([&](QDialog& condition) {
            for (int press = 0; press < presses && condition.result() != QDialog::Accepted;
                 ++press) {
                fill(condition, press);
                condition.accept();
            }
            return condition.result();
        });
        dialog.UsedFields()->setCurrentRow(row);
        dialog.findChild<QPushButton*>("Edit_Btn")->click();
        platform::SetDialogHook(nullptr);
    }

    static void ChooseOperator(QDialog& condition, const char* caption) {
        for (auto* choice : condition.findChildren<QRadioButton*>()) {
            if (choice->text() == QString::fromLatin1(caption)) {
                choice->click();
            }
        }
    }

    db::TFieldClasses fields;
    std::vector<std::string> labels = {"Title", "Price", "Added", "Notes"};
    TFilterList filter;
    TFilterTemplateContents contents{filter, &table};
    settings::TTemplateList templates{settings::FilterTemplates, dir};
    std::vector<std::string> messages;
};

TEST_F(FilterDlgTest, ControlsEditTheFilterAndReportWhatTheyRefuse) {
    int dateFormat = 1;
    TFilterDlg dialog(filter, table, fields, labels, templates, db::FilterState::fsReversed,
                      dateFormat);
    const std::pair<const char*, const char*> controls[] = {
        {"ListBox1", "All Fields That Can Be Used In Filters"},
        {"ListBox2", "Fields Used In Filter"},
        {"Add_Btn", "Add Field To Filter"},
        {"Remove_Btn", "Remove Field From Filter"},
        {"RemoveAll_Btn", "Remove All Fields From Filter"},
        {"Edit_Btn", "Edit Filter For Selected Field"},
        {"BitBtn1", "Load From Filter Template"},
        {"BitBtn2", "Save As Filter Template"},
        {"OKBtn", "Close and Apply Filter - Use ONLY After You Have Modified The Filter"},
        {"CancelBtn", "Close and Update Filter Scope"},
        {"HelpBtn", "Display Help Window"},
    };
    for (const auto& [name, hint] : controls) {
        const auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->toolTip().toStdString(), hint);
    }
    ASSERT_NE(dialog.findChild<QWidget*>("Filter_RG"), nullptr);
    EXPECT_EQ(dialog.Scope(), db::FilterState::fsReversed);
    // Memo fields take no condition.
    ASSERT_EQ(dialog.AllFields()->count(), 3);
    EXPECT_EQ(dialog.AllFields()->item(2)->text(), "Added");
    auto* apply = dialog.findChild<QPushButton*>("OKBtn");
    auto* edit = dialog.findChild<QPushButton*>("Edit_Btn");
    EXPECT_FALSE(edit->isEnabled());

    dialog.AllFields()->setCurrentRow(1);
    dialog.findChild<QPushButton*>("Add_Btn")->click();
    dialog.findChild<QPushButton*>("Add_Btn")->click();
    dialog.AllFields()->setCurrentRow(2);
    dialog.AddSelected();
    EXPECT_EQ(dialog.UsedFields()->count(), 2);
    EXPECT_EQ(filter.Count(), 2);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_FALSE(apply->isEnabled()); // nothing defined yet

    // "Between" without its second value is refused, then taken.
    EditCondition(
        dialog, 0,
        [](QDialog& condition, int press) {
            ChooseOperator(condition, "Between");
            condition.findChild<QLineEdit*>("CurrencyEdit1")->setText("10");
            condition.findChild<QLineEdit*>("CurrencyEdit2")->setText(press == 0 ? "" : "20");
        },
        2);
    EXPECT_EQ(messages, std::vector<std::string>{"The Field expression cannot be Empty!"});
    EXPECT_TRUE(apply->isEnabled());
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 6}));

    // A date typed day first is kept month first, and shown day first again.
    EditCondition(dialog, 1, [](QDialog& condition, int) {
        ChooseOperator(condition, "=");
        condition.findChild<QLineEdit*>("DateEdit1")->setText("04/03/2020");
    });
    EXPECT_EQ(filter.Items(1)->Value1, "03/04/2020");
    EXPECT_EQ(Passing(filter), (std::vector<int>{1, 6}));
    std::string shown;
    EditCondition(dialog, 1, [&shown](QDialog& condition, int) {
        shown = condition.findChild<QLineEdit*>("DateEdit1")->text().toStdString();
        condition.reject();
    });
    EXPECT_EQ(shown, "04/03/2020");
    // "One Of" without a line is refused; an empty first value leaves the entry alone.
    messages.clear();
    EditCondition(dialog, 1, [](QDialog& condition, int) {
        ChooseOperator(condition, "One Of");
        condition.findChild<QPlainTextEdit*>("Memo1")->setPlainText("\n");
    });
    EXPECT_EQ(messages, std::vector<std::string>{"The Field expression cannot be Empty!"});
    EditCondition(dialog, 1, [](QDialog& condition, int) {
        ChooseOperator(condition, ">");
        condition.findChild<QLineEdit*>("DateEdit1")->setText("");
    });
    EXPECT_EQ(filter.Items(1)->Operator, FilterOperator::Equal);

    // Templates: a second save under the same name is refused; a failed load keeps the filter.
    messages.clear();
    platform::SetDialogHook([](QDialog& ask) {
        ask.findChild<QLineEdit*>()->setText("Mine");
        ask.accept();
        return ask.result();
    });
    dialog.findChild<QPushButton*>("BitBtn2")->click();
    dialog.findChild<QPushButton*>("BitBtn2")->click();
    platform::SetDialogHook(nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"Duplicate name - Template Not Saved!"});
    ASSERT_EQ(templates.Count(), 1u);
    dialog.ChooseTemplate = [](QWidget*) { return std::optional<std::string>("tml1.flt"); };
    test::WriteBytes(dir / "tml1.flt", test::Bytes{0x01, 0x02});
    dialog.findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_EQ(messages.back(), "Error Loading Template.");
    EXPECT_EQ(filter.Count(), 2);
    EXPECT_EQ(dialog.UsedFields()->count(), 2);

    dialog.UsedFields()->setCurrentRow(0);
    dialog.findChild<QPushButton*>("Remove_Btn")->click();
    EXPECT_EQ(filter.IndexOfField(Price), -1);
    EXPECT_EQ(dialog.UsedFields()->currentRow(), 0);
    apply->click();
    EXPECT_EQ(dialog.result(), TFilterDlg::Applied);
    dialog.RemoveAll();
    EXPECT_EQ(filter.Count(), 0);
    EXPECT_FALSE(apply->isEnabled());
}

TEST_F(FilterDlgTest, ValueBoxesFollowTheFieldAndAListFieldFillsOneOfFromItsChoices) {
    int dateFormat = 1;
    TFilterDlg dialog(filter, table, fields, labels, templates, db::FilterState::fsFilterOff,
                      dateFormat);
    dialog.LookupValues = [](int position) -> std::optional<std::vector<std::string>> {
        if (position != Name) {
            return std::nullopt;
        }
        return std::vector<std::string>{"ACME", "Caf\xe9"};
    };
    for (int row = 0; row < 3; ++row) {
        dialog.AllFields()->setCurrentRow(row);
        dialog.AddSelected();
    }
    struct Case {
        int row;
        const char* box;        // the first value box
        bool currency;          // a currency editor
        bool date;              // a date editor
        const char* fillButton; // beside the lines of "One Of", or none
    };
    const Case cases[] = {
        {0, "Edit1", false, false, "PopulateBtn"},
        {1, "CurrencyEdit1", true, false, nullptr},
        {2, "DateEdit1", false, true, "AddDateBtn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        EditCondition(dialog, c.row, [&c](QDialog& condition, int) {
            auto* box = condition.findChild<QLineEdit*>(QString::fromLatin1(c.box));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(dynamic_cast<editors::TCurrencyEdit*>(box) != nullptr, c.currency);
            EXPECT_EQ(dynamic_cast<editors::TDateEdit*>(box) != nullptr, c.date);
            for (const char* name : {"PopulateBtn", "AddDateBtn"}) {
                const bool expected = c.fillButton != nullptr && std::string(c.fillButton) == name;
                EXPECT_EQ(condition.findChild<QPushButton*>(name) != nullptr, expected) << name;
            }
            if (c.row == 0) {
                ChooseOperator(condition, "One Of");
                auto* lines = condition.findChild<QPlainTextEdit*>("Memo1");
                lines->setPlainText("old line");
                condition.findChild<QPushButton*>("PopulateBtn")->click();
                EXPECT_EQ(lines->toPlainText(), QString::fromUtf8("ACME\nCaf\u00e9"));
            }
        });
    }
    EXPECT_EQ(filter.Items(0)->ValueList, (std::vector<std::string>{"ACME", "Caf\xe9"}));
}

TEST_F(FilterDlgTest, ADateBoxsFormatChangesBothBoxesTheLinesAndTheFilterDateFormat) {
    int dateFormat = 0;
    TFilterDlg dialog(filter, table, fields, labels, templates, db::FilterState::fsFilterOff,
                      dateFormat);
    dialog.AllFields()->setCurrentRow(2);
    dialog.AddSelected();
    filter.Define(0, "03/04/2020", "12/31/2021", FilterDateType, FilterOperator::Between,
                  {"01/02/2003"});
    std::vector<std::string> seen;
    EditCondition(dialog, 0, [&seen](QDialog& condition, int) {
        auto* first = condition.findChild<editors::TDateEdit*>("DateEdit1");
        auto* second = condition.findChild<editors::TDateEdit*>("DateEdit2");
        auto* lines = condition.findChild<QPlainTextEdit*>("Memo1");
        seen.push_back(first->text().toStdString());
        // "DD/MM/YYYY" from the first box's own menu.
        std::unique_ptr<QMenu> menu(first->CreateMenu());
        for (QAction* item : menu->actions()) {
            if (item->menu() != nullptr) {
                item->menu()->actions().at(1)->trigger();
            }
        }
        seen.push_back(first->text().toStdString());
        seen.push_back(second->text().toStdString());
        seen.push_back(lines->toPlainText().toStdString());
    });
    EXPECT_EQ(seen,
              (std::vector<std::string>{"03/04/2020", "04/03/2020", "31/12/2021", "02/01/2003"}));
    EXPECT_EQ(dateFormat, 1);
    // The stored conditions stay month first.
    EXPECT_EQ(filter.Items(0)->Value1, "03/04/2020");
    EXPECT_EQ(filter.Items(0)->Value2, "12/31/2021");
}

TEST(ApplyFilterDlg, ShowsThePercentageOnTopAndStopsWhenAsked) {
    TApplyFilterDlg progress;
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Applying Filter - Please Wait..."));
    EXPECT_TRUE(progress.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(progress.Step(40));
    EXPECT_EQ(progress.Bar()->text(), QStringLiteral("40%"));
    progress.StopButton()->click();
    EXPECT_FALSE(progress.Step(41));
}

} // namespace
} // namespace shelfwise::search
