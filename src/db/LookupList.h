#pragma once

#include <string>
#include <vector>

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::db {

class TDatabase;

// The tag that orders the choices of a lookup table.
inline constexpr const char* LookupTag = "IDX";

// The choices of one list field: a lookup table of the database directory ("list1.dbf" ...)
// with one character field, read in the order of its tag and extended by the values typed into
// the field. The table is open only while it is read or written.
class TLookupList {
public:
    // The table lies in the settings' database directory.
    TLookupList(const settings::Settings& settings, std::string source);

    // Makes the table readable: a damaged index is rebuilt from the records; a table that is
    // missing or still cannot be opened becomes a copy of the template "list.dbf" of the program
    // directory. One that someone else holds exclusively is left alone.
    void OpenList(TDatabase& database);
    // The choices in tag order; none when the table cannot be read.
    std::vector<std::string> Items() const;
    // Appends the text unless the table holds it already; false when the engine refuses.
    bool Add(const std::string& text);

private:
    void Aim(engine::Table& table) const;
    void CreateList();

    const settings::Settings& settings_;
    std::string source_;
};

} // namespace shelfwise::db
