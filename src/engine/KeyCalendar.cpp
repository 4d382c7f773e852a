#include "engine/KeyCalendar.h"

#include <algorithm>

namespace shelfwise::engine::keycalendar {

namespace {

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

constexpr std::int64_t kFirstDay = 1721426; // 0001-01-01
constexpr std::int64_t kLastDay = 5373484;  // 9999-12-31

} // namespace

std::int64_t julianDay(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month)) {
        return 0;
    }
    // Days counted from March of a year before -4800, so leap days fall at the end.
    const std::int64_t a = (14 - month) / 12;
    const std::int64_t y = year + 4800 - a;
    const std::int64_t m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

std::int64_t fromDbf(std::string_view text) {
    if (text.size() != 8 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    const auto number = [&](std::size_t from, std::size_t length) {
        int value = 0;
        for (std::size_t i = from; i < from + length; ++i) {
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    return julianDay(number(0, 4), number(4, 2), number(6, 2));
}

std::string toDtos(std::int64_t day) {
    if (day < kFirstDay || day > kLastDay) {
        return std::string(8, ' ');
    }
    // Inverse of julianDay.
    const std::int64_t a = day + 32044;
    const std::int64_t b = (4 * a + 3) / 146097;
    const std::int64_t c = a - 146097 * b / 4;
    const std::int64_t d = (4 * c + 3) / 1461;
    const std::int64_t e = c - 1461 * d / 4;
    const std::int64_t m = (5 * e + 2) / 153;
    const auto dayOfMonth = e - (153 * m + 2) / 5 + 1;
    const auto month = m + 3 - 12 * (m / 10);
    const auto year = 100 * b + d - 4800 + m / 10;
    std::string text(8, '0');
    auto put = [&](std::int64_t value, std::size_t end, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i, value /= 10) {
            text[end - i - 1] = static_cast<char>('0' + value % 10);
        }
    };
    put(year, 4, 4);
    put(month, 6, 2);
    put(dayOfMonth, 8, 2);
    return text;
}

} // namespace shelfwise::engine::keycalendar
