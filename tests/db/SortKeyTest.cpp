#include "db/SortKey.h"

#include "DatabaseFixture.h"

#include <gmock/gmock.h>

namespace shelfwise::db::testing {
namespace {

using ::testing::ElementsAreArray;

// Positions of the template's data table (docs/RECORD-LAYOUT.md).
constexpr std::uint8_t kName = 2;      // APPNAME C(100)
constexpr std::uint8_t kProducer = 3;  // PRODUCER C(50)
constexpr std::uint8_t kCategory = 4;  // CATEGORY C(40)
constexpr std::uint8_t kPrice = 7;     // PRICE N(12,2)
constexpr std::uint8_t kDate = 8;      // VERDATE D
constexpr std::uint8_t kLogo = 12;     // LOGO B
constexpr std::uint8_t kInternet = 15; // INTERNET C(254)
constexpr std::uint8_t kCustom4 = 20;  // CUSTOM4 N(12,2)
constexpr std::uint8_t kNotes = 24;    // NOTES M

engine::FieldList templateFields() {
    engine::Table table;
    table.setDirectory(BuildProgramDir());
    table.setFileName("data.dbf");
    table.setReadOnly(true);
    table.open();
    engine::FieldList fields;
    for (int i = 0; i < table.fieldCount(); ++i) {
        fields.push_back(table.field(i));
    }
    return fields;
}

struct KeyCase {
    SortValues sort;
    std::string expression;
    std::uint8_t options;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << int(c.sort.PrimaryField) << (c.sort.PrimaryDescending ? "d" : "a") << "/"
               << int(c.sort.SecondaryField) << (c.sort.SecondaryDescending ? "d" : "a");
}

constexpr std::uint8_t kAsc = ixExpression;
constexpr std::uint8_t kDesc = ixExpression | ixDescending;

const KeyCase kKeyCases[] = {
    // Entry order: the record number field.
    {{0, false, 0, false}, "STR(RECORDNO, 20, 4)", kAsc},
    // One field of every kind; text of width 100 or more is cut to 99.
    {{kName, false, 0, false}, "UPPER(SUBSTR(APPNAME, 1, 99))", kAsc},
    {{kName, true, 0, false}, "UPPER(SUBSTR(APPNAME, 1, 99))", kDesc},
    {{kProducer, false, 0, false}, "UPPER(PRODUCER)", kAsc},
    {{kNotes, true, 0, false}, "UPPER(MLINE(NOTES, 1))", kDesc},
    {{kPrice, false, 0, false}, "STR(PRICE, 20, 4)", kAsc},
    {{kPrice, true, 0, false}, "STR(999999999999999999-PRICE, 20, 4)", kAsc},
    {{kDate, false, 0, false}, "DTOS(VERDATE)", kAsc},
    {{kDate, true, 0, false}, "STR({12/31/3099}-VERDATE, 10, 0)", kAsc},
    {{kLogo, false, 0, false}, "", 0},
    // A secondary field equal to the primary, or below the first data field, is none.
    {{kProducer, false, kProducer, true}, "UPPER(PRODUCER)", kAsc},
    {{kProducer, true, 1, false}, "UPPER(PRODUCER)", kDesc},
    // Two text fields take the primary direction; a wide first field gets room 59, the
    // second what is left of 99.
    {{kProducer, false, kCategory, false}, "UPPER(PRODUCER)+UPPER(CATEGORY)", kAsc},
    {{kProducer, true, kCategory, false}, "UPPER(PRODUCER)+UPPER(CATEGORY)", kDesc},
    {{kName, false, kProducer, false},
     "UPPER(SUBSTR(APPNAME, 1, 59))+UPPER(SUBSTR(PRODUCER, 1, 40))",
     kAsc},
    {{kProducer, false, kNotes, false},
     "UPPER(PRODUCER)+UPPER(SUBSTR(MLINE(NOTES, 1), 1, 49))",
     kAsc},
    // Text descending with a number ascending: the tag is descending, the number complemented.
    {{kProducer, true, kPrice, false},
     "UPPER(PRODUCER)+STR(999999999999999999-PRICE, 20, 4)",
     kDesc},
    {{kProducer, true, kPrice, true}, "UPPER(PRODUCER)+STR(PRICE, 20, 4)", kDesc},
    // A number ascending with text descending: the tag is descending, the number complemented.
    {{kPrice, false, kProducer, true},
     "STR(999999999999999999-PRICE, 20, 4)+UPPER(PRODUCER)",
     kDesc},
    {{kPrice, false, kProducer, false}, "STR(PRICE, 20, 4)+UPPER(PRODUCER)", kAsc},
    // No text: each part keeps its own direction.
    {{kPrice, true, kCustom4, false},
     "STR(999999999999999999-PRICE, 20, 4)+STR(CUSTOM4, 20, 4)",
     kAsc},
    // A date counts its real width, so the second part stays within the key's 100 bytes.
    {{kDate, false, kInternet, false}, "DTOS(VERDATE)+UPPER(SUBSTR(INTERNET, 1, 91))", kAsc},
    {{kDate, true, kProducer, false}, "STR({12/31/3099}-VERDATE, 10, 0)+UPPER(PRODUCER)", kAsc},
    // A part of a kind that has no key leaves the other alone.
    {{kLogo, false, kProducer, false}, "UPPER(PRODUCER)", kAsc},
};

class BuildSortKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(BuildSortKeyTest, ExpressionAndOptions) {
    const KeyCase& c = GetParam();
    const SortKey key = BuildSortKey(templateFields(), c.sort);
    EXPECT_EQ(key.Expression, c.expression);
    EXPECT_EQ(key.Options, c.options);
    EXPECT_EQ(key.FilteredExpression, c.expression.empty() ? "" : "MARK+" + c.expression);
    EXPECT_EQ(key.FilteredOptions, c.options);
}

INSTANTIATE_TEST_SUITE_P(KeyTable, BuildSortKeyTest, ::testing::ValuesIn(kKeyCases));

// Every key of the table, filtered form included, makes a tag on the template's table.
using SortKeyTagTest = DatabaseFixture;

TEST_F(SortKeyTagTest, EveryKeyMakesATag) {
    ASSERT_TRUE(database->CreateInDatabaseDir("keys.dbf", false));
    engine::Table table;
    table.setDirectory(databaseDir);
    table.setFileName("keys.dbf");
    table.setExclusive(true);
    table.open();
    int number = 0;
    for (const KeyCase& c : kKeyCases) {
        const SortKey key = BuildSortKey(templateFields(), c.sort);
        if (!key.Expression.empty()) {
            EXPECT_NO_THROW(table.addTag("K" + std::to_string(number++), key.FilteredExpression,
                                         (key.FilteredOptions & ixDescending) != 0))
                << c;
        }
    }
}

// The order the engine gives the records on the tag of each sort.
struct OrderCase {
    SortValues sort;
    std::vector<std::string> order;
};

std::ostream& operator<<(std::ostream& out, const OrderCase& c) {
    return out << int(c.sort.PrimaryField) << (c.sort.PrimaryDescending ? "d" : "a") << "/"
               << int(c.sort.SecondaryField) << (c.sort.SecondaryDescending ? "d" : "a");
}

class SortOrderTest : public DatabaseFixture, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(SortOrderTest, RecordsComeInTheOrderOfTheSort) {
    ASSERT_TRUE(database->OpenDatabase());
    struct Row {
        const char* name;
        const char* producer;
        const char* category;
        double price;
        int year;
    };
    const Row rows[] = {
        {"delta", "Acme", "games", 10.5, 1999},     {"Alpha", "acme", "Tools", 99.99, 2003},
        {"charlie", "Zenith", "tools", 0.25, 1987}, {"Bravo", "Acme", "Games", 10.75, 2020},
        {"echo", "zenith", "", 1234567.5, 2001},    {"foxtrot", "Bolt", "zoo", 10.5, 1995},
    };
    engine::Table& t = database->DataTable;
    for (const Row& r : rows) {
        t.append();
        database->AssignRecordNumber(t);
        t.setText(kName, r.name);
        t.setText(kProducer, r.producer);
        t.setText(kCategory, r.category);
        t.setNumber(kPrice, r.price);
        t.setDate(kDate, std::chrono::year_month_day{std::chrono::year{r.year},
                                                     std::chrono::month{6}, std::chrono::day{1}});
        t.post();
    }
    const OrderCase& c = GetParam();
    ASSERT_TRUE(database->Index.ChangeSort(c.sort));
    EXPECT_THAT(names(), ElementsAreArray(c.order));
}

INSTANTIATE_TEST_SUITE_P(
    OrderTable, SortOrderTest,
    ::testing::Values(OrderCase{{0, false, 0, false},
                                {"delta", "Alpha", "charlie", "Bravo", "echo", "foxtrot"}},
                      OrderCase{{kName, false, 0, false},
                                {"Alpha", "Bravo", "charlie", "delta", "echo", "foxtrot"}},
                      OrderCase{{kName, true, 0, false},
                                {"foxtrot", "echo", "delta", "charlie", "Bravo", "Alpha"}},
                      // Equal keys follow the record number.
                      OrderCase{{kPrice, false, 0, false},
                                {"charlie", "delta", "foxtrot", "Bravo", "Alpha", "echo"}},
                      OrderCase{{kPrice, true, 0, false},
                                {"echo", "Alpha", "Bravo", "delta", "foxtrot", "charlie"}},
                      OrderCase{{kDate, false, 0, false},
                                {"charlie", "foxtrot", "delta", "echo", "Alpha", "Bravo"}},
                      OrderCase{{kDate, true, 0, false},
                                {"Bravo", "Alpha", "echo", "delta", "foxtrot", "charlie"}},
                      // Producer then name, without regard to case in either.
                      OrderCase{{kProducer, false, kName, false},
                                {"Alpha", "Bravo", "delta", "foxtrot", "charlie", "echo"}},
                      OrderCase{{kProducer, true, kName, false},
                                {"echo", "charlie", "foxtrot", "delta", "Bravo", "Alpha"}},
                      // Producer descending, prices still ascending within each producer.
                      OrderCase{{kProducer, true, kPrice, false},
                                {"charlie", "echo", "foxtrot", "delta", "Bravo", "Alpha"}},
                      // Prices ascending, categories descending within equal prices.
                      OrderCase{{kPrice, false, kCategory, true},
                                {"charlie", "foxtrot", "delta", "Bravo", "Alpha", "echo"}},
                      OrderCase{{kPrice, true, kDate, true},
                                {"echo", "Alpha", "Bravo", "delta", "foxtrot", "charlie"}},
                      OrderCase{{kDate, true, kProducer, false},
                                {"Bravo", "Alpha", "echo", "delta", "foxtrot", "charlie"}}));

} // namespace
} // namespace shelfwise::db::testing
