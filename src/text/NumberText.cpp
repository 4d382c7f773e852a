#include "text/NumberText.h"

#include "text/WindowsText.h"

#include <QLocale>
#include <charconv>
#include <string>

namespace shelfwise::text {

double ReadNumberText(std::string_view text, char decimalSeparator, char thousandsSeparator) {
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
    double value = 0;
    const auto [end, error] = std::from_chars(kept.data(), kept.data() + kept.size(), value);
    if (error != std::errc() || end != kept.data() + kept.size()) {
        return 0;
    }
    return value;
}

namespace {

char LocaleChar(const QString& text) {
    return text.isEmpty() ? '\0' : text.at(0).toLatin1();
}

} // namespace

double ReadLocaleNumber(const QString& text) {
    const QLocale locale;
    return ReadNumberText(ToWindowsText(text), LocaleChar(locale.decimalPoint()),
                          LocaleChar(locale.groupSeparator()));
}

QString LocaleNumberText(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(value, 'f', decimals);
}

} // namespace shelfwise::text
