#include "settings/FileBytes.h"

#include <cerrno>
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

// Unique per writer, so two program instances saving into one directory do not collide.
std::filesystem::path TemporaryBeside(const std::filesystem::path& file) {
    static std::mt19937_64 generator{std::random_device{}()};
    auto name = file.filename().string() + ".tmp" + std::to_string(generator() % 1000000000);
    return file.parent_path() / name;
}

// Writes the bytes to a new file and makes them durable before it is renamed into place, so
// a power loss never leaves an empty settings file behind the rename.
bool WriteDurably(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const auto* data = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
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
    ok = ok && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    const auto temporary = TemporaryBeside(file);
    std::error_code error;
    if (!WriteDurably(temporary, bytes)) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace shelfwise::settings
