#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace shelfwise::text {

// Settings files and tables hold Windows-1252 text; widgets get Unicode.
QString FromWindowsText(std::string_view text);
// Characters outside the code page become '?'.
std::string ToWindowsText(const QString& text);

} // namespace shelfwise::text
