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

} // namespace shelfwise::settings
