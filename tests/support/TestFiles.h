#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace shelfwise::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory of its own, removed with everything in it when the object goes. Each one
// has a name nobody else uses, so suites can run side by side.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(
        std::string_view prefix = "sw",
        const std::filesystem::path& under = std::filesystem::temp_directory_path()) {
        std::string pattern = (under / (std::string(prefix) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::filesystem::filesystem_error(
                "mkdtemp", under, std::error_code(errno, std::generic_category()));
        }
        path_ = pattern;
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline Bytes ReadBytes(const std::filesystem::path& file) {
    const std::string text = ReadText(file);
    return Bytes(text.begin(), text.end());
}

// Replaces the file's contents.
inline void WriteText(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline void WriteBytes(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    WriteText(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::vector<std::string> FileNamesIn(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

} // namespace shelfwise::test
