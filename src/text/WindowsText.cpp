#include "text/WindowsText.h"

#include <array>

namespace shelfwise::text {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1. Unused bytes map to
// themselves, as the platform's conversion does.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString FromWindowsText(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        result.append(byte >= 0x80 && byte < 0xA0 ? QChar(High[byte - 0x80]) : QChar(byte));
    }
    return result;
}

std::string ToWindowsText(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            byte = static_cast<char>(u);
        } else {
            for (std::size_t i = 0; i < High.size(); ++i) {
                if (High[i] == u) {
                    byte = static_cast<char>(0x80 + i);
                }
            }
        }
        result.push_back(byte);
    }
    return result;
}

} // namespace shelfwise::text
