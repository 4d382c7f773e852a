#include "text/DateTemplate.h"

#include <QLocale>
#include <algorithm>

namespace shelfwise::text {

namespace {

using namespace std::chrono;

const QString Forms[] = {QStringLiteral("mm/dd/yyyy"), QStringLiteral("dd/mm/yyyy"),
                         QStringLiteral("yyyy/mm/dd"), QStringLiteral("yyyy"),
                         QStringLiteral("mm/dd/yy"),   QStringLiteral("dd/mm/yy"),
                         QStringLiteral("yy/mm/dd")};

QString KnownForm(const QString& format) {
    const QString lower = format.left(10).toLower();
    for (const QString& form : Forms) {
        if (form == lower) {
            return form;
        }
    }
    return Forms[0];
}

} // namespace

int WindowedYear(int twoDigits, int referenceYear) {
    const int first = referenceYear - 50;
    return first + ((twoDigits - first) % 100 + 100) % 100;
}

QString NearestDateFormat(const QString& shortFormat) {
    QString order;
    for (qsizetype i = 0; i < shortFormat.size();) {
        const QChar c = shortFormat[i];
        if (c == u'\'') {
            // Quoted text is written as it stands.
            const qsizetype close = shortFormat.indexOf(u'\'', i + 1);
            i = close < 0 ? shortFormat.size() : close + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < shortFormat.size() && shortFormat[i + run] == c) {
            ++run;
        }
        i += run;
        // "ddd" and longer name the weekday, not the day.
        const bool part = c == u'M' || c == u'y' || (c == u'd' && run <= 2);
        if (part && !order.contains(c)) {
            order += c;
        }
    }
    if (order == QLatin1String("dMy")) {
        return Forms[1];
    }
    if (order == QLatin1String("yMd")) {
        return Forms[2];
    }
    return Forms[0];
}

QString SystemDateFormat() {
    const QLocale locale;
    return locale.language() == QLocale::C
               ? Forms[0]
               : NearestDateFormat(locale.dateFormat(QLocale::ShortFormat));
}

QChar SystemDateSeparator() {
    for (const QChar c : QLocale().dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetter()) {
            return c.isSpace() ? u'/' : c;
        }
    }
    return u'/';
}

TDateTemplate::TDateTemplate(const QString& format, QChar separator)
    : format_(KnownForm(format)), separator_(separator) {}

bool TDateTemplate::IsSeparatorPlace(int index) const {
    return index >= 0 && index < Length() && format_[index] == u'/';
}

QString TDateTemplate::EmptyText() const {
    QString text(Length(), Blank);
    for (int i = 0; i < Length(); ++i) {
        if (IsSeparatorPlace(i)) {
            text[i] = separator_;
        }
    }
    return text;
}

bool TDateTemplate::IsEmpty(const QString& text) const {
    return std::ranges::all_of(text, [&](QChar c) { return c == Blank || c == separator_; });
}

int TDateTemplate::TypeDigit(QString& text, int caret, QChar digit) const {
    if (IsSeparatorPlace(caret)) {
        ++caret;
    }
    if (caret >= Length() || caret >= text.size()) {
        return caret;
    }
    text[caret] = digit;
    return Right(caret);
}

int TDateTemplate::Backspace(QString& text, int caret) const {
    if (caret <= 0) {
        return caret;
    }
    if (IsSeparatorPlace(caret - 1)) {
        --caret;
    }
    if (caret > 0 && caret <= text.size()) {
        text[caret - 1] = Blank;
        --caret;
    }
    return caret;
}

int TDateTemplate::DeleteRight(QString& text, int caret) const {
    if (caret < text.size() && !IsSeparatorPlace(caret)) {
        text[caret] = Blank;
    }
    return caret;
}

int TDateTemplate::Left(int caret) const {
    caret = std::max(caret - 1, 0);
    return IsSeparatorPlace(caret) ? caret - 1 : caret;
}

int TDateTemplate::Right(int caret) const {
    caret = std::min(caret + 1, Length());
    return IsSeparatorPlace(caret) ? caret + 1 : caret;
}

int TDateTemplate::ClickPlace(int caret) const {
    caret = std::clamp(caret, 0, Length());
    return IsSeparatorPlace(caret) ? caret - 1 : caret;
}

QString TDateTemplate::FillZeros(const QString& text) const {
    QString filled = text;
    for (int start = 0; start < filled.size();) {
        int end = start;
        while (end < filled.size() && !IsSeparatorPlace(end)) {
            ++end;
        }
        int first = start;
        while (first < end && filled[first] == Blank) {
            ++first;
        }
        // A part with no digit at all stays blank, so a half-typed date never reads.
        if (first < end && filled[first].isDigit()) {
            std::fill(filled.begin() + start, filled.begin() + first, QChar(u'0'));
        }
        start = end + 1;
    }
    return filled;
}

QString TDateTemplate::Part(const QString& text, QChar letter) const {
    QString part;
    for (int i = 0; i < Length() && i < text.size(); ++i) {
        if (format_[i] == letter) {
            part += text[i];
        }
    }
    return part;
}

Date TDateTemplate::Read(const QString& text, int referenceYear) const {
    if (text.size() != Length() || IsEmpty(text)) {
        return std::nullopt;
    }
    const QString filled = FillZeros(text);
    bool yearRead = false;
    bool monthRead = true;
    bool dayRead = true;
    const QString yearText = Part(filled, u'y');
    int y = yearText.toInt(&yearRead);
    unsigned m = 1;
    unsigned d = 1;
    if (format_.contains(u'm')) {
        m = Part(filled, u'm').toUInt(&monthRead);
        d = Part(filled, u'd').toUInt(&dayRead);
    }
    if (!yearRead || !monthRead || !dayRead) {
        return std::nullopt;
    }
    if (yearText.size() == 2) {
        y = WindowedYear(y, referenceYear);
    }
    const year_month_day date{year(y), month(m), day(d)};
    if (y < 1 || !date.ok()) {
        return std::nullopt;
    }
    return date;
}

bool TDateTemplate::IsValid(const QString& text, int referenceYear) const {
    return IsEmpty(text) || Read(text, referenceYear).has_value();
}

QString TDateTemplate::Write(const Date& date) const {
    if (!date) {
        return EmptyText();
    }
    const int y = static_cast<int>(date->year());
    const QString yearText = format_.contains(QLatin1String("yyyy"))
                                 ? QStringLiteral("%1").arg(y, 4, 10, QChar(u'0'))
                                 : QStringLiteral("%1").arg(y % 100, 2, 10, QChar(u'0'));
    QString text = format_;
    text.replace(format_.contains(QLatin1String("yyyy")) ? QLatin1String("yyyy")
                                                         : QLatin1String("yy"),
                 yearText);
    text.replace(QLatin1String("mm"),
                 QStringLiteral("%1").arg(unsigned(date->month()), 2, 10, QChar(u'0')));
    text.replace(QLatin1String("dd"),
                 QStringLiteral("%1").arg(unsigned(date->day()), 2, 10, QChar(u'0')));
    text.replace(u'/', separator_);
    return text;
}

year_month_day MoveCalendarDay(year_month_day date, CalendarMove move) {
    const sys_days at{date};
    const auto monthLength = [](year_month ym) {
        return static_cast<int>(unsigned((ym / last).day()));
    };
    switch (move) {
    case CalendarMove::DayBack:
        return year_month_day{at - days(1)};
    case CalendarMove::DayOn:
        return year_month_day{at + days(1)};
    case CalendarMove::WeekBack:
        return year_month_day{at - days(7)};
    case CalendarMove::WeekOn:
        return year_month_day{at + days(7)};
    case CalendarMove::MonthBack:
        return year_month_day{at -
                              days(monthLength(year_month{date.year(), date.month()} - months(1)))};
    case CalendarMove::MonthOn:
        return year_month_day{at + days(monthLength(year_month{date.year(), date.month()}))};
    case CalendarMove::YearOn:
    case CalendarMove::YearBack: {
        const year_month_day moved = date + years(move == CalendarMove::YearOn ? 1 : -1);
        return moved.ok() ? moved : year_month_day{moved.year() / moved.month() / last};
    }
    }
    return date;
}

} // namespace shelfwise::text
