#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace shelfwise::settings {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& file);

// Writes a temporary file beside `file` and renames it over `file`, so readers see either the
// old or the new contents, never a half-written file. False when anything failed; the old file
// is then untouched.
bool ReplaceFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

// Fault seam of ReplaceFile for tests: each of its steps (create, write, sync, rename) is
// counted, and the armed one fails (ReplaceFile returns false) or kills the process.
class ReplaceFaults {
public:
    enum class Action { Fail, Kill };

    static void arm(std::uint64_t nth, Action action);
    static void disarm();
    // Steps since the last arm() or disarm().
    static std::uint64_t calls();
    // False when this step is the armed one and fails; does not return when it kills.
    static bool before();
};

} // namespace shelfwise::settings
