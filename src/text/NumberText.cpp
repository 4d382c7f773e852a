#include "text/NumberText.h"

#include "text/WindowsText.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

namespace shelfwise::text {

namespace {

std::optional<double> ParseNumberText(std::string_view text, char decimalSeparator,
                                      char thousandsSeparator) {
    std::string kept;
    for (const char c : text) {
        if ((c >= '0' && c <= '9') || c == decimalSeparator) {
            kept += c;
        }
    }
    if (decimalSeparator == thousandsSeparator) {
        const auto last = kept.rfind(decimalSeparator);
        std::string digits;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i] != decimalSeparator || i == last) {
                digits += kept[i];
            }
        }
        kept = digits;
    }
    for (char& c : kept) {
        if (c == decimalSeparator) {
            c = '.';
        }
    }
    if (kept.empty()) {
        return 0.0;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(kept.data(), kept.data() + kept.size(), value);
    if (error != std::errc() || end != kept.data() + kept.size()) {
        return std::nullopt;
    }
    return value;
}

char LocaleChar(const QString& text) {
    return text.isEmpty() ? '\0' : text.at(0).toLatin1();
}

} // namespace

double ReadNumberText(std::string_view text, char decimalSeparator, char thousandsSeparator) {
    return ParseNumberText(text, decimalSeparator, thousandsSeparator).value_or(0);
}

std::optional<double> ParseLocaleNumber(const QString& text) {
    const QLocale locale;
    return ParseNumberText(ToWindowsText(text), LocaleChar(locale.decimalPoint()),
                           LocaleChar(locale.groupSeparator()));
}

double ReadLocaleNumber(const QString& text) {
    return ParseLocaleNumber(text).value_or(0);
}

QString LocaleNumberText(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(value, 'f', decimals);
}

namespace {

// One section of a format text, split around its placeholders.
struct FormatSection {
    QString Prefix;
    QString Suffix;
    int IntegerDigits = 0; // "0" before the decimal point: digits always shown
    int Decimals = 0;      // placeholders after it
    int FixedDecimals = 0; // "0" after it: decimals always shown
    bool Grouped = false;
};

QStringList SplitSections(const QString& format) {
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            quote = c == quote ? QChar() : quote;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections.append(QString());
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

FormatSection ParseSection(const QString& text) {
    FormatSection section;
    bool inDigits = false;
    bool afterPoint = false;
    bool pastDigits = false;
    QChar quote;
    int trailingHashes = 0;
    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            } else {
                (pastDigits ? section.Suffix : section.Prefix) += c;
            }
            continue;
        }
        const bool placeholder = c == u'0' || c == u'#';
        if (c == u'"' || c == u'\'') {
            quote = c;
            pastDigits = inDigits || pastDigits;
        } else if (placeholder && !pastDigits) {
            inDigits = true;
            if (afterPoint) {
                ++section.Decimals;
                trailingHashes = c == u'#' ? trailingHashes + 1 : 0;
                if (c == u'0') {
                    section.FixedDecimals = section.Decimals;
                }
            } else if (c == u'0') {
                ++section.IntegerDigits;
            }
        } else if (c == u'.' && !afterPoint && !pastDigits) {
            afterPoint = true;
            inDigits = true;
        } else if (c == u',' && !afterPoint && !pastDigits) {
            section.Grouped = true;
        } else {
            pastDigits = inDigits || pastDigits;
            (pastDigits ? section.Suffix : section.Prefix) += c;
        }
    }
    return section;
}

// The magnitude's digits rounded to the section's decimals, integer and fraction apart.
std::pair<std::string, std::string> Digits(double magnitude, int decimals) {
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                            std::chars_format::fixed, decimals);
    const std::string text = error == std::errc() ? std::string(buffer, end) : std::string("0");
    const auto point = text.find('.');
    if (point == std::string::npos) {
        return {text, {}};
    }
    return {text.substr(0, point), text.substr(point + 1)};
}

QString Lay(double magnitude, const FormatSection& section, QChar decimalSeparator,
            QChar thousandsSeparator) {
    auto [whole, fraction] = Digits(magnitude, section.Decimals);
    while (static_cast<int>(fraction.size()) > section.FixedDecimals && fraction.ends_with('0')) {
        fraction.pop_back();
    }
    whole.erase(0, whole.find_first_not_of('0'));
    if (static_cast<int>(whole.size()) < section.IntegerDigits) {
        whole.insert(0, static_cast<std::size_t>(section.IntegerDigits) - whole.size(), '0');
    }
    QString result = section.Prefix;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (section.Grouped && i > 0 && (whole.size() - i) % 3 == 0) {
            result += thousandsSeparator;
        }
        result += QChar::fromLatin1(whole[i]);
    }
    if (!fraction.empty()) {
        result += decimalSeparator +
                  QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
    }
    return result + section.Suffix;
}

} // namespace

QString FormatFloat(double value, const QString& format, QChar decimalSeparator,
                    QChar thousandsSeparator) {
    if (format.isEmpty() || !std::isfinite(value)) {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
        QString text = QString::fromLatin1(buffer, error == std::errc() ? end - buffer : 0);
        return text.replace(u'.', decimalSeparator);
    }
    const QStringList sections = SplitSections(format);
    const FormatSection positive = ParseSection(sections[0]);
    const FormatSection negative =
        sections.size() > 1 && !sections[1].isEmpty() ? ParseSection(sections[1]) : positive;
    const double magnitude = std::abs(value);
    const auto [whole, fraction] = Digits(magnitude, (value < 0 ? negative : positive).Decimals);
    const bool zero = (whole + fraction).find_first_not_of('0') == std::string::npos;
    if (zero) {
        const bool hasZero = sections.size() > 2 && !sections[2].isEmpty();
        return Lay(0, hasZero ? ParseSection(sections[2]) : positive, decimalSeparator,
                   thousandsSeparator);
    }
    if (value > 0) {
        return Lay(magnitude, positive, decimalSeparator, thousandsSeparator);
    }
    const QString sign =
        sections.size() > 1 && !sections[1].isEmpty() ? QString() : QStringLiteral("-");
    return sign + Lay(magnitude, negative, decimalSeparator, thousandsSeparator);
}

QString LocaleFormatFloat(double value, const QString& format) {
    const QLocale locale;
    return FormatFloat(value, format, locale.decimalPoint().front(),
                       locale.groupSeparator().isEmpty() ? QChar(u',')
                                                         : locale.groupSeparator().front());
}

bool FitsNumberField(double value, int width, int decimals) {
    if (!std::isfinite(value)) {
        return false;
    }
    const auto [whole, fraction] = Digits(std::abs(value), decimals);
    const bool zero = (whole + fraction).find_first_not_of('0') == std::string::npos;
    const std::size_t length =
        whole.size() + (decimals > 0 ? fraction.size() + 1 : 0) + (value < 0 && !zero ? 1 : 0);
    return length <= static_cast<std::size_t>(width);
}

} // namespace shelfwise::text
