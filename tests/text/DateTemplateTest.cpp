#include "text/DateTemplate.h"

#include <functional>
#include <gtest/gtest.h>

namespace shelfwise::text {
namespace {

using namespace std::chrono;

constexpr int ReferenceYear = 2026;

Date On(int y, unsigned m, unsigned d) {
    return year_month_day{year(y), month(m), day(d)};
}

// The text after typing each character from the start of an empty template.
QString Typed(const TDateTemplate& form, const char* keys) {
    QString text = form.EmptyText();
    int caret = 0;
    for (const char* k = keys; *k != '\0'; ++k) {
        caret = form.TypeDigit(text, caret, QChar::fromLatin1(*k));
    }
    return text;
}

TEST(DateTemplateTest, TypedDigitsFillTheTemplateAndReadAsADateOrNone) {
    struct Case {
        const char* format;
        const char* keys;
        const char* shown;
        Date date;
    };
    const Case cases[] = {
        // Valid dates in every format.
        {"mm/dd/yyyy", "03151998", "03/15/1998", On(1998, 3, 15)},
        {"dd/mm/yyyy", "15031998", "15/03/1998", On(1998, 3, 15)},
        {"yyyy/mm/dd", "19980315", "1998/03/15", On(1998, 3, 15)},
        {"yyyy", "1998", "1998", On(1998, 1, 1)},
        {"MM/DD/YYYY", "02292024", "02/29/2024", On(2024, 2, 29)},
        // Digits past the template are ignored.
        {"mm/dd/yyyy", "0315199877", "03/15/1998", On(1998, 3, 15)},
        // Invalid dates.
        {"mm/dd/yyyy", "02301999", "02/30/1999", std::nullopt},
        {"mm/dd/yyyy", "02292023", "02/29/2023", std::nullopt},
        {"mm/dd/yyyy", "13011999", "13/01/1999", std::nullopt},
        {"dd/mm/yyyy", "31042000", "31/04/2000", std::nullopt},
        {"yyyy/mm/dd", "00000101", "0000/01/01", std::nullopt},
        // Partly typed.
        {"mm/dd/yyyy", "0315", "03/15/____", std::nullopt},
        {"dd/mm/yyyy", "1", "1_/__/____", std::nullopt},
        {"yyyy", "98", "98__", std::nullopt},
        {"mm/dd/yyyy", "", "__/__/____", std::nullopt},
        // Two-digit years at the window's edges around 2026: 1976 to 2075.
        {"mm/dd/yy", "010276", "01/02/76", On(1976, 1, 2)},
        {"mm/dd/yy", "010275", "01/02/75", On(2075, 1, 2)},
        {"dd/mm/yy", "311225", "31/12/25", On(2025, 12, 31)},
        {"dd/mm/yy", "010100", "01/01/00", On(2000, 1, 1)},
        {"yy/mm/dd", "760101", "76/01/01", On(1976, 1, 1)},
        {"yy/mm/dd", "751231", "75/12/31", On(2075, 12, 31)},
        {"mm/dd/yy", "0229", "02/29/__", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " " + c.keys);
        const TDateTemplate form(QString::fromLatin1(c.format));
        const QString text = Typed(form, c.keys);
        EXPECT_EQ(text, QString::fromLatin1(c.shown));
        EXPECT_EQ(form.Read(text, ReferenceYear), c.date);
        EXPECT_EQ(form.IsValid(text, ReferenceYear), c.date.has_value() || *c.keys == '\0');
        if (c.date) {
            EXPECT_EQ(form.Write(c.date), text);
        }
    }
}

TEST(DateTemplateTest, TwoDigitYearsFallWithinFiftyYearsOfTheReferenceYear) {
    struct Case {
        int digits;
        int reference;
        int year;
    };
    const Case cases[] = {{76, 2026, 1976}, {75, 2026, 2075}, {0, 2050, 2000},  {99, 2050, 2099},
                          {50, 2000, 1950}, {49, 2000, 2049}, {25, 1990, 2025}, {40, 1990, 1940}};
    for (const Case& c : cases) {
        EXPECT_EQ(WindowedYear(c.digits, c.reference), c.year) << c.digits << " " << c.reference;
    }
}

TEST(DateTemplateTest, TheCaretSkipsSeparatorsAndEditsOnlyDigitPlaces) {
    const TDateTemplate mdy(QStringLiteral("mm/dd/yyyy"));
    const TDateTemplate ymd(QStringLiteral("yyyy/mm/dd"));
    struct Case {
        const char* what;
        const TDateTemplate& form;
        const char* before;
        int caret;
        std::function<int(const TDateTemplate&, QString&, int)> edit;
        const char* after;
        int caretAfter;
    };
    const auto backspace = [](const TDateTemplate& f, QString& t, int c) {
        return f.Backspace(t, c);
    };
    const auto del = [](const TDateTemplate& f, QString& t, int c) { return f.DeleteRight(t, c); };
    const auto left = [](const TDateTemplate& f, QString&, int c) { return f.Left(c); };
    const auto right = [](const TDateTemplate& f, QString&, int c) { return f.Right(c); };
    const auto click = [](const TDateTemplate& f, QString&, int c) { return f.ClickPlace(c); };
    const auto digit = [](const TDateTemplate& f, QString& t, int c) {
        return f.TypeDigit(t, c, u'7');
    };
    const Case cases[] = {
        {"backspace over a separator", mdy, "03/15/1998", 3, backspace, "0_/15/1998", 1},
        {"backspace in a part", mdy, "03/15/1998", 5, backspace, "03/1_/1998", 4},
        {"backspace at the start", mdy, "03/15/1998", 0, backspace, "03/15/1998", 0},
        {"delete right of the caret", mdy, "03/15/1998", 3, del, "03/_5/1998", 3},
        {"delete at the end", mdy, "03/15/1998", 10, del, "03/15/1998", 10},
        {"left over a separator", mdy, "03/15/1998", 3, left, "03/15/1998", 1},
        {"right over a separator", mdy, "03/15/1998", 1, right, "03/15/1998", 3},
        {"right at the end", mdy, "03/15/1998", 10, right, "03/15/1998", 10},
        {"left at the start", ymd, "1998/03/15", 0, left, "1998/03/15", 0},
        {"right before a year separator", ymd, "1998/03/15", 3, right, "1998/03/15", 5},
        {"click on a separator", mdy, "03/15/1998", 5, click, "03/15/1998", 4},
        {"click on a digit", ymd, "1998/03/15", 6, click, "1998/03/15", 6},
        {"digit over a digit", mdy, "03/15/1998", 3, digit, "03/75/1998", 4},
        {"digit before a separator jumps it", ymd, "1998/03/15", 3, digit, "1997/03/15", 5},
        {"digit at the end", mdy, "03/15/1998", 10, digit, "03/15/1998", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString text = QString::fromLatin1(c.before);
        EXPECT_EQ(c.edit(c.form, text, c.caret), c.caretAfter);
        EXPECT_EQ(text, QString::fromLatin1(c.after));
    }
}

TEST(DateTemplateTest, LeadingBlanksOfAPartCountAsZeros) {
    const TDateTemplate mdy(QStringLiteral("mm/dd/yyyy"));
    EXPECT_EQ(mdy.FillZeros(QStringLiteral("_5/_3/1999")), QStringLiteral("05/03/1999"));
    EXPECT_EQ(mdy.Read(QStringLiteral("_5/_3/1999"), ReferenceYear), On(1999, 5, 3));
    EXPECT_EQ(mdy.Read(QStringLiteral("5_/03/1999"), ReferenceYear), std::nullopt);
    EXPECT_EQ(mdy.Read(QStringLiteral("03/__/1998"), ReferenceYear), std::nullopt);
    EXPECT_TRUE(mdy.IsEmpty(QStringLiteral("__/__/____")));
    EXPECT_FALSE(mdy.IsEmpty(QStringLiteral("__/_1/____")));
}

TEST(DateTemplateTest, DatesAreWrittenInEachFormatWithTheGivenSeparator) {
    struct Case {
        const char* format;
        QChar separator;
        const char* text;
    };
    const Case cases[] = {
        {"mm/dd/yyyy", u'/', "03/15/1998"}, {"dd/mm/yyyy", u'.', "15.03.1998"},
        {"yyyy/mm/dd", u'-', "1998-03-15"}, {"yyyy", u'/', "1998"},
        {"mm/dd/yy", u'/', "03/15/98"},     {"dd/mm/yy", u'/', "15/03/98"},
        {"yy/mm/dd", u'/', "98/03/15"},     {"no format", u'/', "03/15/1998"},
    };
    for (const Case& c : cases) {
        const TDateTemplate form(QString::fromLatin1(c.format), c.separator);
        EXPECT_EQ(form.Write(On(1998, 3, 15)), QString::fromLatin1(c.text)) << c.format;
        EXPECT_EQ(form.Read(QString::fromLatin1(c.text), ReferenceYear),
                  form.Format() == QStringLiteral("yyyy") ? On(1998, 1, 1) : On(1998, 3, 15));
    }
    EXPECT_EQ(TDateTemplate(QStringLiteral("dd/mm/yy")).EmptyText(), QStringLiteral("__/__/__"));
}

TEST(DateTemplateTest, ASystemDateFormatMapsToTheFormOfItsOrder) {
    struct Case {
        const char* shortFormat;
        const char* format;
    };
    const Case cases[] = {
        {"M/d/yy", "mm/dd/yyyy"},
        {"dd.MM.yy", "dd/mm/yyyy"},
        {"d/M/yyyy", "dd/mm/yyyy"},
        {"yyyy-MM-dd", "yyyy/mm/dd"},
        {"yy. M. d.", "yyyy/mm/dd"},
        {"d MMM yyyy", "dd/mm/yyyy"},
        // A weekday name is no day, and quoted text no part.
        {"ddd, M/d/yyyy", "mm/dd/yyyy"},
        {"'day' d 'of' MM, y", "dd/mm/yyyy"},
        // No order of all three parts.
        {"MM/yyyy", "mm/dd/yyyy"},
        {"", "mm/dd/yyyy"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestDateFormat(QString::fromLatin1(c.shortFormat)),
                  QString::fromLatin1(c.format))
            << c.shortFormat;
    }
}

TEST(CalendarMoveTest, KeysMoveByDaysWeeksMonthLengthsAndYears) {
    struct Case {
        Date from;
        CalendarMove move;
        Date to;
    };
    const Case cases[] = {
        {On(2024, 3, 1), CalendarMove::DayBack, On(2024, 2, 29)},
        {On(2023, 12, 31), CalendarMove::DayOn, On(2024, 1, 1)},
        {On(2024, 1, 3), CalendarMove::WeekBack, On(2023, 12, 27)},
        {On(2024, 2, 26), CalendarMove::WeekOn, On(2024, 3, 4)},
        {On(2024, 1, 31), CalendarMove::MonthOn, On(2024, 3, 2)},
        {On(2024, 3, 31), CalendarMove::MonthBack, On(2024, 3, 2)},
        {On(2024, 1, 15), CalendarMove::MonthBack, On(2023, 12, 15)},
        {On(2023, 3, 15), CalendarMove::YearOn, On(2024, 3, 15)},
        {On(2024, 3, 15), CalendarMove::YearBack, On(2023, 3, 15)},
        {On(2019, 4, 1), CalendarMove::YearOn, On(2020, 4, 1)},
        {On(2024, 2, 29), CalendarMove::YearOn, On(2025, 2, 28)},
        {On(2024, 2, 29), CalendarMove::YearBack, On(2023, 2, 28)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MoveCalendarDay(*c.from, c.move), *c.to) << sys_days(*c.from).time_since_epoch();
    }
}

TEST(CalendarMoveTest, YearMovesLandOnTheSameDayEveryDayOfTenYears) {
    int visited = 0;
    for (sys_days at{2019y / January / 1}; at <= sys_days{2028y / December / 31};
         at += std::chrono::days(1)) {
        const year_month_day from{at};
        const bool leapDay = from.month() == February && from.day() == 29d;
        for (const CalendarMove move : {CalendarMove::YearOn, CalendarMove::YearBack}) {
            const int step = move == CalendarMove::YearOn ? 1 : -1;
            const year_month_day to = MoveCalendarDay(from, move);
            ASSERT_EQ(to.year(), from.year() + years(step)) << at.time_since_epoch();
            ASSERT_EQ(to.month(), from.month()) << at.time_since_epoch();
            ASSERT_EQ(to.day(), leapDay ? 28d : from.day()) << at.time_since_epoch();
            const auto moved = (sys_days{to} - at).count() * step;
            ASSERT_TRUE(moved == 365 || moved == 366 || (leapDay && moved == 364))
                << at.time_since_epoch();
        }
        ++visited;
    }
    EXPECT_EQ(visited, 3653);
}

} // namespace
} // namespace shelfwise::text
