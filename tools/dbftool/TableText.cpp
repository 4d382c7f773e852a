#include "TableText.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace shelfwise::tools {

std::string Utf8FromWindows1252(std::string_view text) {
    static const iconv_t converter = [] {
        const iconv_t c = iconv_open("UTF-8", "WINDOWS-1252");
        if (c == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("no Windows-1252 conversion on this system");
        }
        return c;
    }();
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* next = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(converter, &in, &inLeft, &next, &outLeft);
        out.append(buffer, next);
        if (done == static_cast<std::size_t>(-1) && errno == EILSEQ) {
            // An unused byte of the code page: the same code point, two bytes of UTF-8.
            const auto byte = static_cast<unsigned char>(*in++);
            --inLeft;
            out.push_back(static_cast<char>(0xC0 | byte >> 6));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

} // namespace shelfwise::tools
