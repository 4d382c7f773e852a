#include "settings/FileBytes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

namespace shelfwise::settings {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& file) {
    // A directory, a device or a path the system refuses reads as a missing file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
        if (in.bad()) {
            return std::nullopt;
        }
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

namespace {

std::atomic<std::uint64_t> faultArmedAt{0};
std::atomic<std::uint64_t> faultCalls{0};
std::atomic<ReplaceFaults::Action> faultAction{ReplaceFaults::Action::Fail};

} // namespace

void ReplaceFaults::arm(std::uint64_t nth, Action action) {
    faultAction = action;
    faultCalls = 0;
    faultArmedAt = nth;
}

void ReplaceFaults::disarm() {
    faultArmedAt = 0;
    faultCalls = 0;
}

std::uint64_t ReplaceFaults::calls() {
    return faultCalls;
}

bool ReplaceFaults::before() {
    if (++faultCalls != faultArmedAt) {
        return true;
    }
    if (faultAction == Action::Kill) {
        ::raise(SIGKILL);
    }
    return false;
}

namespace {

// Unique per writer, so two program instances saving into one directory do not collide.
std::filesystem::path TemporaryBeside(const std::filesystem::path& file) {
    static std::mt19937_64 generator{std::random_device{}()};
    auto name = file.filename().string() + ".tmp" + std::to_string(generator() % 1000000000);
    return file.parent_path() / name;
}

// Creates the temporary file beside `file` under a name no file has yet: a name that is taken
// (another writer's, or one a killed writer left behind) is drawn again. -1 on failure.
int CreateTemporary(const std::filesystem::path& file, std::filesystem::path& temporary) {
    constexpr int MaxNameDraws = 8;
    for (int draw = 0; draw < MaxNameDraws; ++draw) {
        temporary = TemporaryBeside(file);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes the bytes and makes them durable before the file is renamed into place, so a power
// loss never leaves an empty settings file behind the rename. Closes `fd`.
bool WriteDurably(int fd, std::span<const std::uint8_t> bytes) {
    const auto* data = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        if (!ReplaceFaults::before()) {
            ok = false;
            break;
        }
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        ok = written > 0;
        if (ok) {
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    ok = ok && ReplaceFaults::before() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    if (!ReplaceFaults::before()) {
        return false;
    }
    std::filesystem::path temporary;
    const int fd = CreateTemporary(file, temporary);
    if (fd < 0) {
        return false; // nothing of ours to take away
    }
    std::error_code error;
    if (!WriteDurably(fd, bytes)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    if (ReplaceFaults::before()) {
        std::filesystem::rename(temporary, file, error);
    } else {
        error = std::make_error_code(std::errc::io_error);
    }
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace shelfwise::settings
