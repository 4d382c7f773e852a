#include "engine/KeyExpression.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace shelfwise::engine;

namespace {

const FieldList kFields = {
    {"NAME", 'C', 120, 0, 0},   {"TITLE", 'C', 30, 0, 120}, {"MARK", 'C', 1, 0, 150},
    {"PRICE", 'N', 12, 2, 151}, {"ADDED", 'D', 8, 0, 163},  {"NOTES", 'M', 10, 0, 171},
    {"FLAG", 'L', 1, 0, 181},   {"LOGO", 'B', 10, 0, 182},  {"RATE", 'F', 20, 6, 192},
};

// Field values by name as raw record text; unset fields are blank.
class Record : public RecordSource {
public:
    Record(std::initializer_list<std::pair<const std::string, std::string>> values)
        : values_(values) {}

    std::string_view field(std::size_t index) const override {
        const auto& descriptor = kFields[index];
        auto& text = storage_[index];
        text = values_.count(descriptor.name) != 0 ? values_.at(descriptor.name) : "";
        text.resize(descriptor.width, ' ');
        return text;
    }
    std::string memo(std::size_t index) const override {
        const auto it = values_.find(kFields[index].name);
        return it == values_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> values_;
    mutable std::map<std::size_t, std::string> storage_;
};

std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

std::string key(const std::string& expression, const Record& record) {
    return KeyExpression(expression, kFields).evaluate(record);
}

std::string hex(const std::string& bytes) {
    std::string text;
    for (const unsigned char c : bytes) {
        static const char* digits = "0123456789abcdef";
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

} // namespace

TEST(KeyExpression, EvaluatesTheKeysTheSortBuilderMakes) {
    const std::string memo = "First line of notes\r\nsecond line";
    struct Case {
        std::string expression;
        Record record;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"UPPER(SUBSTR(NAME, 1, 99))", {{"NAME", "Zo\xEB's app"}}, padded("ZO\xCB'S APP", 99)},
        {"UPPER(TITLE)",
         {{"TITLE", "stra\xDF"
                    "e \xFF"}},
         padded("STRA\xDF"
                "E \x9F",
                30)},
        {"upper(title)", {{"TITLE", "abc"}}, padded("ABC", 30)},
        {"UPPER(MLINE(NOTES, 1))", {{"NOTES", memo}}, padded("FIRST LINE OF NOTES", 50)},
        {"STR(PRICE, 20, 4)", {{"PRICE", "       19.95"}}, "             19.9500"},
        // 23 characters with 4 decimals: dBASE drops decimals until the number fits.
        {"STR(999999999999999999-PRICE, 20, 4)", {{"PRICE", "19.95"}}, "999999999999999979.1"},
        {"STR(999999999999999999-PRICE, 20, 4)", {{"PRICE", "19.96"}}, "999999999999999979.0"},
        {"STR(999999999999999999-PRICE, 20, 4)", {{"PRICE", ""}}, "999999999999999999.0"},
        {"DTOS(ADDED)", {{"ADDED", "20240229"}}, "20240229"},
        {"DTOS(ADDED)", {}, "        "},
        {"STR({12/31/3099}-ADDED, 10, 0)", {{"ADDED", "19991231"}}, "    401767"},
        {"STR({12/31/3099}-ADDED, 10, 0)", {}, "   2853311"},
        {"UPPER(SUBSTR(NAME, 1, 59))+STR(PRICE, 20, 4)",
         {{"NAME", "app"}, {"PRICE", "-3.5"}},
         padded("APP", 59) + "             -3.5000"},
        {"TITLE+UPPER(SUBSTR(MLINE(NOTES, 1), 1, 40))",
         {{"TITLE", "Tool"}, {"NOTES", memo}},
         padded("Tool", 30) + padded("FIRST LINE OF NOTES", 40)},
        {"MARK+UPPER(SUBSTR(NAME, 1, 99))", {{"MARK", "2"}, {"NAME", "b"}}, "2" + padded("B", 99)},
        {"MARK+DTOS(ADDED)+STR(PRICE, 10, 2)",
         {{"MARK", "0"}, {"ADDED", "20231231"}, {"PRICE", "5"}},
         "020231231      5.00"},
        {"DTOS(ADDED+1)+DTOS(ADDED-365)+DTOS({2/29/2024})",
         {{"ADDED", "20231231"}},
         "202401012022123120240229"},
        {"SUBSTR(TITLE, 28)+SUBSTR('xy', 2, 3)+FLAG", {{"TITLE", "abc"}, {"FLAG", "y"}}, "   y  T"},
        {"STR(PRICE, 5, 2)+STR(PRICE, 4, 2)+STR(PRICE, 2)", {{"PRICE", "123.456"}}, "123.5 123**"},
        {"STR(PRICE)+STR(PRICE, 6, 2)", {{"PRICE", "-3.5"}}, "        -4 -3.50"},
        {"STR(PRICE, 6, 2)+STR(-PRICE, 3)", {{"PRICE", "-0.001"}}, "  0.00  0"},
        {"STR(RATE+PRICE, 12, 6)", {{"RATE", "0.000001"}, {"PRICE", "0.5"}}, "    0.500001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(key(c.expression, c.record), c.expected) << c.expression;
    }
}

TEST(KeyExpression, WrapsMemoLinesAtFiftyCharacters) {
    const std::string words = std::string(45, 'a') + " bbbbbbbbbb cc";
    const std::string unbroken = std::string(60, 'x') + "\nlast";
    const std::string wrapThenBreak = std::string(48, 'w') + " z   \r\nnext  ";
    struct Case {
        std::string memo;
        int line;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {words, 1, std::string(45, 'a')},
        {words, 2, "bbbbbbbbbb cc"},
        {words, 3, ""},
        {unbroken, 1, std::string(50, 'x')},
        {unbroken, 2, std::string(10, 'x')},
        {unbroken, 3, "last"},
        {wrapThenBreak, 1, std::string(48, 'w') + " z"},
        {wrapThenBreak, 2, "next"},
        {"one\r\rthree", 2, ""},
        {"one\r\rthree", 3, "three"},
        {"", 1, ""},
        {"text", 0, ""},
    };
    for (const auto& c : cases) {
        const Record record{{"NOTES", c.memo}};
        EXPECT_EQ(key("MLINE(NOTES, " + std::to_string(c.line) + ")", record),
                  padded(c.expected, 50))
            << c.memo << " line " << c.line;
    }
}

TEST(KeyExpression, EncodesNumbersAsBcdAndDatesAsJulianDays) {
    const KeyExpression price("PRICE", kFields);
    EXPECT_EQ(price.type(), KeyType::Numeric);
    EXPECT_EQ(price.keyLength(), 12u);
    // Byte patterns observed in files written by other dBASE tools.
    const std::vector<std::pair<std::string, std::string>> numbers = {
        {"19.95", "361119950000000000000000"}, {"1234.5", "381512345000000000000000"},
        {"-3.5", "358935000000000000000000"},  {"0", "340100000000000000000000"},
        {"", "340100000000000000000000"},      {"0.05", "330550000000000000000000"},
    };
    for (const auto& [text, bytes] : numbers) {
        EXPECT_EQ(hex(price.evaluate(Record{{"PRICE", text}})), bytes) << text;
    }
    const KeyExpression added("ADDED", kFields);
    EXPECT_EQ(added.type(), KeyType::Date);
    EXPECT_EQ(hex(added.evaluate(Record{{"ADDED", "19991231"}})), "000000002cb44241");
    const KeyExpression days("{12/31/3099}-ADDED", kFields);
    EXPECT_EQ(days.type(), KeyType::Numeric);
}

TEST(KeyExpression, NumericKeysOrderAsTheirValues) {
    std::vector<std::string> values = {"-940.66", "-940.6", "-3.5",  "-0.05",  "0",
                                       "0.00001", "0.05",   "0.5",   "3.5",    "19.95",
                                       "19.96",   "100",    "940.6", "940.66", "1234.5"};
    std::mt19937 random(7);
    std::uniform_int_distribution<long> cents(-10'000'000, 10'000'000);
    for (int i = 0; i < 300; ++i) {
        const long value = cents(random);
        values.push_back((value < 0 ? "-" : "") + std::to_string(std::labs(value) / 100) + "." +
                         std::to_string(std::labs(value) % 100 / 10) +
                         std::to_string(std::labs(value) % 10));
    }
    const KeyExpression price("PRICE", kFields);
    for (const auto& a : values) {
        for (const auto& b : {values[1], values[5], values[9], values[17], values[200]}) {
            const double x = std::stod(a);
            const double y = std::stod(b);
            const int expected = x < y ? -1 : (x > y ? 1 : 0);
            EXPECT_EQ(compareKeys(KeyType::Numeric, price.evaluate(Record{{"PRICE", a}}),
                                  price.evaluate(Record{{"PRICE", b}})),
                      expected)
                << a << " vs " << b;
        }
    }
}

TEST(KeyExpression, ComplementKeysReverseTheOrderBytewise) {
    const KeyExpression descendingPrice("STR(999999999999999999-PRICE, 20, 4)", kFields);
    const KeyExpression descendingDate("STR({12/31/3099}-ADDED, 10, 0)", kFields);
    const KeyExpression ascendingDate("DTOS(ADDED)", kFields);
    const KeyExpression dateKey("ADDED", kFields);
    // Twenty characters leave room for one decimal of the 18-digit complement, so prices only
    // a cent apart may tie; they never reverse.
    const std::vector<std::string> prices = {"0",     "0.01", "19.94",   "19.95",
                                             "19.96", "100",  "99999.99"};
    const auto complement = [&](const std::string& price) {
        return descendingPrice.evaluate(Record{{"PRICE", price}});
    };
    for (std::size_t i = 1; i < prices.size(); ++i) {
        EXPECT_GE(complement(prices[i - 1]), complement(prices[i])) << prices[i];
    }
    EXPECT_GT(complement("19.95"), complement("19.96"));
    EXPECT_GT(complement("0.01"), complement("19.94"));
    EXPECT_GT(complement("100"), complement("99999.99"));
    const std::vector<std::string> dates = {"", "18991231", "19991231", "20000101", "20240229"};
    for (std::size_t i = 1; i < dates.size(); ++i) {
        const Record earlier{{"ADDED", dates[i - 1]}};
        const Record later{{"ADDED", dates[i]}};
        EXPECT_LT(ascendingDate.evaluate(earlier), ascendingDate.evaluate(later));
        EXPECT_LT(compareKeys(KeyType::Date, dateKey.evaluate(earlier), dateKey.evaluate(later)),
                  0);
        if (i > 1) { // blank dates come last in the descending form
            EXPECT_GT(descendingDate.evaluate(earlier), descendingDate.evaluate(later));
        }
    }
    EXPECT_GT(descendingDate.evaluate(Record{}),
              descendingDate.evaluate(Record{{"ADDED", "18000101"}}));
}

TEST(KeyExpression, CharacterKeysCompareAsUnsignedBytesAndPrefixes) {
    const KeyExpression title("UPPER(TITLE)", kFields);
    const auto accented = title.evaluate(Record{{"TITLE", "\xC9mile"}});
    const auto zebra = title.evaluate(Record{{"TITLE", "zebra"}});
    EXPECT_GT(compareKeys(KeyType::Character, accented, zebra), 0);
    EXPECT_EQ(compareKeys(KeyType::Character, zebra, "ZEB"), 0);
    EXPECT_LT(compareKeys(KeyType::Character, "ZEA", zebra), 0);
    EXPECT_EQ(compareKeys(KeyType::Numeric, "", KeyExpression("PRICE", kFields).evaluate(Record{})),
              0);
}

TEST(KeyExpression, PrefixLengthCoversTheLeadingFilledParts) {
    const KeyExpression key("MARK+UPPER(SUBSTR(NAME, 1, 59))+STR(PRICE, 20, 4)", kFields);
    EXPECT_EQ(key.keyLength(), 80u);
    auto filled = [](std::initializer_list<std::size_t> indexes) {
        std::vector<bool> result(kFields.size(), false);
        for (const auto index : indexes) {
            result[index] = true;
        }
        return result;
    };
    EXPECT_EQ(key.prefixLength(filled({2})), 1u);
    EXPECT_EQ(key.prefixLength(filled({2, 0})), 60u);
    EXPECT_EQ(key.prefixLength(filled({0, 3})), 0u);
    EXPECT_EQ(key.prefixLength(filled({0, 2, 3})), 80u);
    EXPECT_EQ(key.prefixLength({}), 0u);
    // A part reading two fields needs both.
    const KeyExpression mixed("MARK+SUBSTR(TITLE+NAME, 1, 40)", kFields);
    EXPECT_EQ(mixed.prefixLength(filled({2, 1})), 1u);
    EXPECT_EQ(mixed.prefixLength(filled({2, 1, 0})), 41u);
    const KeyExpression numeric("999999999999999999-PRICE", kFields);
    EXPECT_EQ(numeric.prefixLength(filled({3})), 12u);
    EXPECT_EQ(numeric.prefixLength(filled({2})), 0u);
}

TEST(KeyExpression, RefusesBadExpressionsWithAMessage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"UPPER(NOPE)", "unknown field NOPE"},
        {"UPPER(TITLE", "\")\" expected"},
        {"TITLE TITLE", "unexpected \"TITLE\""},
        {"UPPER(PRICE)", "UPPER needs a character argument"},
        {"TITLE+PRICE", "cannot add character and numeric"},
        {"TITLE-TITLE", "cannot subtract"},
        {"-TITLE", "cannot negate"},
        {"NAME", "120 bytes long"},
        {"TITLE+SUBSTR(NAME, 1, 71)", "101 bytes long"},
        {"LOGO", "cannot be used in a key"},
        {"NOTES", "only be indexed through MLINE"},
        {"MLINE(TITLE, 1)", "MLINE needs a memo argument"},
        {"SUBSTR(TITLE, 0, 5)", "starts at 1"},
        {"SUBSTR(TITLE, 31)", "gives no characters"},
        {"STR(PRICE, PRICE)", "whole-number constants"},
        {"STR(PRICE, 0)", "STR width"},
        {"DTOS({13/45/2020})", "bad date"},
        {"DTOS({12/31/2020)", "missing }"},
        {"FOO(TITLE)", "unknown function FOO"},
        {"TITLE # 1", "unexpected character"},
        {"1.2.3", "bad number"},
        {"   ", "empty"},
        {"UPPER(" + std::string(214, ' ') + "TITLE)", "longer than 220"},
    };
    for (const auto& [expression, message] : cases) {
        try {
            KeyExpression compiled(expression, kFields);
            ADD_FAILURE() << expression << " compiled";
        } catch (const EngineError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos)
                << expression << ": " << error.what();
        }
    }
}
