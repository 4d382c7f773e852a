#pragma once

#include <filesystem>
#include <string_view>

namespace shelfwise::platform {

// The program's log sits beside the security options in the program directory.
inline constexpr const char* LogFileName = "shelfwise.log";

// What the user is not shown but whoever looks after the program needs, such as the reason
// behind a message that only says an operation failed. Each line is stamped with the local
// date and time and goes to standard error and, once set, to the end of the log file.
void SetLogFile(const std::filesystem::path& file);
std::filesystem::path LogFile();

void WriteLog(std::string_view text);

} // namespace shelfwise::platform
