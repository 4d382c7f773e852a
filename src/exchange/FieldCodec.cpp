#include "exchange/FieldCodec.h"

#include "engine/EngineError.h"
#include "settings/DateFormatList.h"
#include "text/DateText.h"

#include <QLocale>
#include <charconv>
#include <cstdio>

namespace shelfwise::exchange {

namespace {

char LocaleDecimalPoint() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode())
                                                         : '.';
}

std::string WithCrLf(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            lines += '\r';
        }
        lines += text[i];
    }
    return lines;
}

// Reads the usual shape of a date in a list format ("dd", "mm", "yyyy" and "/") without Qt's
// parser, which is built anew for every call and was a third of an import's time: day and
// month of one or two digits, a year of four. None for any other text or a day the calendar
// lacks; the caller then asks Qt, which decides those alike.
text::Date ReadPlainDate(std::string_view text, std::string_view format) {
    int day = 1;
    int month = 1;
    int year = 0;
    std::size_t at = 0;
    const auto digits = [&](std::size_t least, std::size_t most, int& value) {
        std::size_t n = 0;
        value = 0;
        for (; n < most && at < text.size() && text[at] >= '0' && text[at] <= '9'; ++n, ++at) {
            value = value * 10 + (text[at] - '0');
        }
        return n >= least;
    };
    for (std::size_t f = 0; f < format.size();) {
        const char part = static_cast<char>(format[f] | 0x20);
        bool read = true;
        if (part == 'y') {
            read = digits(4, 4, year);
            f += 4;
        } else if (part == 'm' || part == 'd') {
            read = digits(1, 2, part == 'm' ? month : day);
            f += 2;
        } else {
            read = at < text.size() && text[at++] == format[f++];
        }
        if (!read) {
            return std::nullopt;
        }
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (at != text.size() || year < 1000 || !date.ok()) {
        return std::nullopt;
    }
    return date;
}

// Day and month of one or two digits are read too: other programs drop leading zeros.
text::Date ReadFieldDate(std::string_view text, int format) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool known = format >= 0 && format < static_cast<int>(settings::DateFormatTexts.size());
    if (const text::Date date = ReadPlainDate(
            text, settings::DateFormatTexts[known ? static_cast<std::size_t>(format) : 0])) {
        return date;
    }
    const QString value = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const QString pattern = text::DateFormatText(format).value_or(QStringLiteral("mm/dd/yyyy"));
    if (const text::Date date = text::ReadDate(value.trimmed(), pattern)) {
        return date;
    }
    QString lenient = pattern;
    lenient.replace(QLatin1String("dd"), QLatin1String("d"))
        .replace(QLatin1String("mm"), QLatin1String("M"));
    const QDate date = QDate::fromString(value.trimmed(), lenient);
    return date.isValid() ? text::Date(text::FromQDate(date)) : std::nullopt;
}

} // namespace

std::optional<double> ReadExchangeNumber(std::string_view text, char decimalPoint) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::string plain(text);
    bool digits = false;
    bool point = false;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        char& c = plain[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if ((c == '.' || c == decimalPoint) && !point) {
            point = true;
            c = '.';
        } else if (!(c == '-' && i == 0)) {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc{} || end != plain.data() + plain.size()) {
        return std::nullopt;
    }
    return value;
}

TFieldCodec::TFieldCodec(const engine::Table& table, const settings::DateFormatList& formats,
                         char separator)
    : dateFormats_(static_cast<std::size_t>(table.fieldCount()), -1),
      decimalPoint_(LocaleDecimalPoint()) {
    if (decimalPoint_ == separator) {
        decimalPoint_ = '.';
    }
    std::size_t dateField = 0;
    for (int position = 0; position < table.fieldCount(); ++position) {
        if (table.field(position).type == 'D') {
            const auto& lines = formats.Lines;
            dateFormats_[static_cast<std::size_t>(position)] =
                dateField < lines.size() ? lines[dateField].Format : 0;
            ++dateField;
        }
    }
}

std::string TFieldCodec::Text(const engine::Table& table, int position) const {
    const engine::FieldDescriptor& field = table.field(position);
    switch (field.type) {
    case 'M':
        return table.bytes(position);
    case 'D':
        return text::DateText(table.date(position),
                              dateFormats_[static_cast<std::size_t>(position)]);
    case 'N':
    case 'F': {
        if (table.isEmpty(position)) {
            return {};
        }
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(field.decimals),
                      table.number(position));
        std::string number(buffer);
        for (char& c : number) {
            if (c == '.') {
                c = decimalPoint_;
            }
        }
        return number;
    }
    default:
        return table.text(position);
    }
}

void TFieldCodec::Store(engine::Table& table, int position, std::string_view text) const {
    switch (table.field(position).type) {
    case 'M':
        table.setBytes(position, WithCrLf(text));
        return;
    case 'D':
        table.setDate(position,
                      ReadFieldDate(text, dateFormats_[static_cast<std::size_t>(position)]));
        return;
    case 'N':
    case 'F': {
        const std::optional<double> number = ReadExchangeNumber(text, decimalPoint_);
        table.clear(position);
        if (number) {
            try {
                table.setNumber(position, *number);
            } catch (const engine::EngineError&) {
                // Too wide for the field: it stays empty like any number that does not read.
                table.clear(position);
            }
        }
        return;
    }
    default:
        table.setText(position, text);
    }
}

} // namespace shelfwise::exchange
