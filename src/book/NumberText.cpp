#include "book/NumberText.h"

#include <charconv>
#include <string>

namespace shelfwise::book {

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

} // namespace shelfwise::book
