#include "platform/Log.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>

namespace shelfwise::platform {

namespace {

struct LogState {
    std::mutex mutex;
    std::filesystem::path file;
};

LogState& state() {
    static LogState instance;
    return instance;
}

std::string stamped(std::string_view text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    std::string line(stamp, length);
    line.append(text);
    line.push_back('\n');
    return line;
}

} // namespace

void SetLogFile(const std::filesystem::path& file) {
    const std::lock_guard lock(state().mutex);
    state().file = file;
}

std::filesystem::path LogFile() {
    const std::lock_guard lock(state().mutex);
    return state().file;
}

void WriteLog(std::string_view text) {
    const std::string line = stamped(text);
    const std::lock_guard lock(state().mutex);
    std::fputs(line.c_str(), stderr);
    if (!state().file.empty()) {
        // Opened for each line, in append mode, so that two programs sharing the directory add
        // whole lines and a log removed meanwhile is made again.
        std::ofstream out(state().file, std::ios::binary | std::ios::app);
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
}

} // namespace shelfwise::platform
