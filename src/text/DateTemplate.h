#pragma once

#include "text/DateText.h"

#include <QString>
#include <chrono>

namespace shelfwise::text {

// Two-digit years name the year of that ending within 50 years before and 49 after the
// reference year (Qt alone would read "25" as 1925, a century off for most catalogues).
int WindowedYear(int twoDigits, int referenceYear);

// The display format nearest a short date format as Qt writes it ("M/d/yy", "dd.MM.yyyy"): its
// order of day, month and year, always with a four-digit year, which the field's menu offers
// and which shows every year whole; "mm/dd/yyyy" for a format with no such order.
QString NearestDateFormat(const QString& shortFormat);
// The nearest display format of the system's short date format; "mm/dd/yyyy" under the "C"
// locale, which stands for no choice of the user's.
QString SystemDateFormat();

// The separator the system writes between the parts of a short date; "/" when it writes none
// or a space.
QChar SystemDateSeparator();

// The typing template of a date display format: "mm/dd/yyyy" shows as "__/__/____" and the
// user types digits over the underscores while the caret skips the separators. Formats are
// "mm/dd/yyyy", "dd/mm/yyyy", "yyyy/mm/dd", "yyyy" and the two-digit-year forms "mm/dd/yy",
// "dd/mm/yy", "yy/mm/dd" (either case); any other text stands for "mm/dd/yyyy".
class TDateTemplate {
public:
    static constexpr QChar Blank = u'_';

    explicit TDateTemplate(const QString& format = QStringLiteral("mm/dd/yyyy"),
                           QChar separator = u'/');

    const QString& Format() const { return format_; }
    int Length() const { return static_cast<int>(format_.size()); }
    bool IsSeparatorPlace(int index) const;
    // The template with every digit place blank.
    QString EmptyText() const;
    // True when every place is blank or a separator.
    bool IsEmpty(const QString& text) const;

    // Editing at a caret (0-based insertion place); each returns the new caret. The caret
    // never rests in front of a separator.
    int TypeDigit(QString& text, int caret, QChar digit) const;
    int Backspace(QString& text, int caret) const;
    // Blanks the place right of the caret unless it is a separator; the caret stays.
    int DeleteRight(QString& text, int caret) const;
    int Left(int caret) const;
    int Right(int caret) const;
    // Where a click at that place leaves the caret.
    int ClickPlace(int caret) const;

    // Blank places in front of the first digit of their part become "0", so "_5/_3/1999" reads
    // as "05/03/1999" while "5_/03/1999" and "03/__/1998" stay unreadable.
    QString FillZeros(const QString& text) const;
    // The date the text names (zeros filled first); none for an empty or unreadable text.
    // Two-digit years follow the window around the reference year.
    Date Read(const QString& text, int referenceYear) const;
    // An empty text is valid too.
    bool IsValid(const QString& text, int referenceYear) const;
    // The date in the template; the empty template for no date.
    QString Write(const Date& date) const;

private:
    QString Part(const QString& text, QChar letter) const;

    QString format_;
    QChar separator_;
};

// Moves of the calendar's selected day.
enum class CalendarMove { DayBack, DayOn, WeekBack, WeekOn, MonthBack, MonthOn, YearOn, YearBack };

// Page moves go back by the length of the previous month and on by the length of the current
// one; year moves keep month and day (29 February goes to 28 February).
std::chrono::year_month_day MoveCalendarDay(std::chrono::year_month_day day, CalendarMove move);

} // namespace shelfwise::text
