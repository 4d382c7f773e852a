#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::db {

// The tag that orders the choices of a lookup table.
inline constexpr const char* LookupTag = "IDX";

// The choices of one list field: a lookup table of the database directory ("list1.dbf" ...)
// with one character field, read in the order of its tag and extended by the values typed into
// the field. The table is open only while it is read or written.
class TLookupList {
public:
    TLookupList(std::filesystem::path programDir, std::filesystem::path databaseDir,
                std::string source);

    const std::string& Source() const { return source_; }

    // Makes the table readable: one that is missing or cannot be opened becomes a copy of the
    // template "list.dbf" of the program directory. One that someone else holds exclusively is
    // left alone.
    void OpenList();
    // The choices in tag order; none when the table cannot be read.
    std::vector<std::string> Items() const;
    // Appends the text unless the table holds it already; false when the engine refuses.
    bool Add(const std::string& text);

private:
    void Aim(engine::Table& table) const;
    void CreateList();

    std::filesystem::path programDir_;
    std::filesystem::path databaseDir_;
    std::string source_;
};

} // namespace shelfwise::db
