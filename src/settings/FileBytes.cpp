#include "settings/FileBytes.h"

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace shelfwise::settings {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& file) {
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
}

namespace {

// Unique per writer, so two program instances saving into one directory do not collide.
std::filesystem::path TemporaryBeside(const std::filesystem::path& file) {
    static std::mt19937_64 generator{std::random_device{}()};
    auto name = file.filename().string() + ".tmp" + std::to_string(generator() % 1000000000);
    return file.parent_path() / name;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    const auto temporary = TemporaryBeside(file);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace shelfwise::settings
