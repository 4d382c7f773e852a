#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

// Text settings files: lines ended by CR LF. Reading accepts bare LF too, and a last line
// without an end.
std::vector<std::string_view> SplitLines(std::string_view text);
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace shelfwise::settings
