#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::book {

// The record tab order file of a data file: its name up to and including the first "." and
// then "tab" ("data.dbf" -> "data.tab"; a name without "." gets "tab" appended).
std::string TabOrderFileName(std::string_view dataFileName);

// The line the file holds: the last character of each page caption, in page order.
std::string TabOrderLine(const std::vector<std::string>& captions);

// The first line of the file; nothing when it cannot be read.
std::optional<std::string> ReadTabOrderLine(const std::filesystem::path& file);
bool WriteTabOrderLine(const std::filesystem::path& file, const std::string& line);

// The moves that put the pages in the order of `line`: for each character at position p, the
// page whose caption ends with it goes to p. `captions` is updated as the moves are made;
// characters that match no page, or a position past the last page, move nothing.
struct PageMove {
    int From = 0;
    int To = 0;
    bool operator==(const PageMove&) const = default;
};
std::vector<PageMove> TabOrderMoves(std::vector<std::string>& captions, std::string_view line);

} // namespace shelfwise::book
