#include "engine/TableFixture.h"
#include "engine/TableOperations.h"
#include "text/DateText.h"
#include "text/FieldText.h"
#include "text/NumberText.h"
#include "text/WindowsText.h"

#include <gtest/gtest.h>

namespace shelfwise::text {
namespace {

TEST(NumberTextTest, KeepsOnlyDigitsAndTheDecimalSeparator) {
    struct Case {
        const char* text;
        char decimal;
        char thousands;
        double value;
    };
    const Case cases[] = {
        {"1.234,5", ',', '.', 1234.5},     {"-12", '.', ',', 12},
        {"no digits", '.', ',', 0},        {"", '.', ',', 0},
        {"1.2.3", '.', '.', 12.3},         {"1,2,3", ',', '.', 0},
        {"$ 1,000.25", '.', ',', 1000.25},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ReadNumberText(c.text, c.decimal, c.thousands), c.value) << c.text;
    }
}

TEST(NumberTextTest, FormatFloatLaysOutEachFormat) {
    struct Case {
        double value;
        const char* format;
        QChar decimal;
        QChar thousands;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, ",0.00", u'.', u',', "1,234.50"},
        {1234.5, ",0.00", u',', u'.', "1.234,50"},
        {0, ",0.00", u'.', u',', "0.00"},
        {-0.5, ",0.00", u'.', u',', "-0.50"},
        {-0.001, ",0.00", u'.', u',', "0.00"},
        {-1234567.891, ",0.00", u'.', u',', "-1,234,567.89"},
        {999.995, ",0.00", u'.', u',', "1,000.00"},
        {1234567, "0", u'.', u',', "1234567"},
        {0.5, "#.##", u'.', u',', ".5"},
        {2, "0.0#", u'.', u',', "2.0"},
        {2.25, "0.0#", u'.', u',', "2.25"},
        {7, "000", u'.', u',', "007"},
        {-5, "0.00;(0.00)", u'.', u',', "(5.00)"},
        {0, "0.00;(0.00);\"nil\"", u'.', u',', "nil"},
        {12, "\"$ \"0.00\" net\"", u'.', u',', "$ 12.00 net"},
        {12, "$0.00 USD", u'.', u',', "$12.00 USD"},
        {1.5, "", u',', u'.', "1,5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFloat(c.value, QString::fromLatin1(c.format), c.decimal, c.thousands),
                  QString::fromLatin1(c.text))
            << c.value << " " << c.format;
    }
}

TEST(NumberTextTest, AValueFitsANumberFieldWhenItsDigitsSignAndPointDo) {
    struct Case {
        double value;
        int width;
        int decimals;
        bool fits;
    };
    const Case cases[] = {
        {999999999.99, 12, 2, true},   {-99999999.99, 12, 2, true},   {1e9, 12, 2, false},
        {-999999999.99, 12, 2, false}, {999999999.999, 12, 2, false}, {-0.001, 4, 2, true},
        {12345, 5, 0, true},           {123456, 5, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitsNumberField(c.value, c.width, c.decimals), c.fits) << c.value;
    }
}

TEST(WindowsTextTest, TheCodePageRoundTripsAndOtherCharactersBecomeQuestionMarks) {
    // 0x80 is the euro sign, 0x9F a capital Y with diaeresis, 0xE9 a Latin-1 e acute.
    const std::string bytes = "A\x80\x9F\xE9z";
    const QString text = FromWindowsText(bytes);
    EXPECT_EQ(text, QString::fromUtf8("A\u20AC\u0178\u00E9z"));
    EXPECT_EQ(ToWindowsText(text), bytes);
    EXPECT_EQ(ToWindowsText(QString::fromUtf8("a\u4E2Db")), "a?b");
}

TEST(DateTextTest, EachFormatWritesAndReadsItsDate) {
    const std::chrono::year_month_day date{std::chrono::year(2024), std::chrono::March,
                                           std::chrono::day(7)};
    struct Case {
        int format;
        const char* text;
    };
    const Case cases[] = {{0, "03/07/2024"}, {1, "07/03/2024"}, {2, "2024/03/07"}, {3, "2024"}};
    for (const Case& c : cases) {
        const auto format = DateFormatText(c.format);
        ASSERT_TRUE(format) << c.format;
        EXPECT_EQ(FormatDate(date, *format), QString::fromLatin1(c.text));
        EXPECT_EQ(DateText(date, c.format), c.text);
        if (c.format < 3) {
            EXPECT_EQ(ReadDate(QString::fromLatin1(c.text), *format), date) << c.text;
        }
    }
    EXPECT_EQ(DateFormatText(1), QStringLiteral("dd/mm/yyyy"));
    EXPECT_FALSE(DateFormatText(-1));
    EXPECT_FALSE(DateFormatText(4));
    // An unknown format number writes the first format, no date writes nothing.
    EXPECT_EQ(DateText(date, 7), "03/07/2024");
    EXPECT_EQ(DateText(std::nullopt, 0), "");
    EXPECT_EQ(FormatDate(std::nullopt, *DateFormatText(0)), QString());
    // Years before 1000 keep four digits.
    const std::chrono::year_month_day early{std::chrono::year(812), std::chrono::December,
                                            std::chrono::day(1)};
    EXPECT_EQ(DateText(early, 2), "0812/12/01");
    EXPECT_FALSE(ReadDate(QStringLiteral("31/02/2024"), *DateFormatText(1)));
}

class FieldTextTest : public engine::testing::TableFixture {};

TEST_F(FieldTextTest, MemoLinesEndInNewlinesAndCharacterFieldsLoseTheirPadding) {
    engine::createTable(dir, "data.dbf", {{"NAME", 'C', 20, 0}, {"NOTES", 'M', 10, 0}});
    engine::Table table;
    openOn(table, "data.dbf");
    table.append();
    table.setText(0, "  Caf\xE9 ");
    table.setBytes(1, "one\r\ntwo\r\n\x80");
    table.post();
    EXPECT_EQ(FieldText(table, 0), QString::fromUtf8("Caf\u00E9"));
    EXPECT_EQ(FieldText(table, 1), QString::fromUtf8("one\ntwo\n\u20AC"));
}

} // namespace
} // namespace shelfwise::text
