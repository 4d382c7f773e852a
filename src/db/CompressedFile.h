#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace shelfwise::db {

// Files packed by the Windows LZ file compression begin with this signature.
inline constexpr std::string_view SzddSignature{"SZDD\x88\xF0\x27\x33", 8};

// The unpacked bytes of a file packed by the Windows LZ file compression; nothing when the
// bytes are not such a file or end before the length its header gives.
std::optional<std::string> ExpandSzdd(std::string_view packed);

// Copies a file, unpacking it when it is packed by the Windows LZ file compression; other files
// are copied as they are. False when the source cannot be read, is damaged, or the target
// cannot be written (no partial target is left behind).
bool CopyFileCompressed(const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace shelfwise::db
