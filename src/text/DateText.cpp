#include "text/DateText.h"

#include "settings/DateFormatList.h"

#include <cstdio>

namespace shelfwise::text {

namespace {

bool StartsWithPart(std::string_view format, std::size_t at, std::string_view part) {
    if (format.size() - at < part.size()) {
        return false;
    }
    for (std::size_t i = 0; i < part.size(); ++i) {
        if ((format[at + i] | 0x20) != part[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<QString> DateFormatText(int format) {
    if (format < 0 || format >= static_cast<int>(settings::DateFormatTexts.size())) {
        return std::nullopt;
    }
    return QString::fromLatin1(settings::DateFormatTexts[static_cast<std::size_t>(format)])
        .toLower();
}

std::string DateText(const Date& date, std::string_view format) {
    if (!date) {
        return {};
    }
    std::string text;
    char part[8];
    for (std::size_t at = 0; at < format.size();) {
        if (StartsWithPart(format, at, "yyyy")) {
            std::snprintf(part, sizeof part, "%04d", static_cast<int>(date->year()));
            at += 4;
        } else if (StartsWithPart(format, at, "mm")) {
            std::snprintf(part, sizeof part, "%02u", static_cast<unsigned>(date->month()));
            at += 2;
        } else if (StartsWithPart(format, at, "dd")) {
            std::snprintf(part, sizeof part, "%02u", static_cast<unsigned>(date->day()));
            at += 2;
        } else {
            part[0] = format[at++];
            part[1] = '\0';
        }
        text += part;
    }
    return text;
}

std::string DateText(const Date& date, int format) {
    const bool known = format >= 0 && format < static_cast<int>(settings::DateFormatTexts.size());
    return DateText(date, settings::DateFormatTexts[known ? static_cast<std::size_t>(format) : 0]);
}

QString FormatDate(const Date& date, const QString& format) {
    return QString::fromLatin1(DateText(date, format.toLatin1().toStdString()));
}

Date ReadDate(const QString& text, const QString& format) {
    // Qt writes months as "MM"; "mm" would be minutes.
    const QDate date =
        QDate::fromString(text, QString(format).replace(QLatin1String("mm"), QLatin1String("MM")));
    if (!date.isValid()) {
        return std::nullopt;
    }
    return FromQDate(date);
}

std::chrono::year_month_day FromQDate(const QDate& date) {
    return std::chrono::year_month_day{std::chrono::year(date.year()),
                                       std::chrono::month(unsigned(date.month())),
                                       std::chrono::day(unsigned(date.day()))};
}

} // namespace shelfwise::text
