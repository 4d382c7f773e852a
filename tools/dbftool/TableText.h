#pragma once

#include <string>
#include <string_view>

namespace shelfwise::tools {

// Tables hold Windows-1252 text; a terminal and a CSV file get UTF-8. The bytes the code page
// leaves unused (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for themselves, as in the program.
std::string Utf8FromWindows1252(std::string_view text);

// One field of an RFC 4180 record: quoted, with quotes doubled, when it holds a comma, a
// quote, CR or LF; as it is otherwise.
std::string CsvField(std::string_view text);

} // namespace shelfwise::tools
