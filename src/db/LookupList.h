#pragma once

#include <optional>
#include <set>
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
    std::vector<std::string> Items() const {
        return ReadItems().value_or(std::vector<std::string>{});
    }
    // As Items, but nothing when the table cannot be read.
    std::optional<std::vector<std::string>> ReadItems() const;
    // Appends the text unless the table holds it already; false when the engine refuses.
    bool Add(const std::string& text);
    // Appends each text the table lacks, written together; false when the engine refuses.
    bool AddMissing(const std::set<std::string>& texts);
    // True when the table holds the text (as its field stores it); false also when the table
    // cannot be read.
    bool Contains(const std::string& text) const;
    // The item `from` becomes `to`; false when the engine refuses or the item is gone.
    bool Rename(const std::string& from, const std::string& to);
    // Deletes the item; false when the engine refuses or the item is gone.
    bool Remove(const std::string& text);
    // Drops the deleted items from the files; needs the table to itself, so false while
    // another program reads it (the deleted items then stay hidden until a later pack).
    bool Pack();

    const std::string& Source() const { return source_; }

private:
    void Aim(engine::Table& table) const;
    void CreateList();

    const settings::Settings& settings_;
    std::string source_;
};

// A list and the position of its field in the data table.
struct TListField {
    TLookupList* List;
    int Position;
};

// Adds to each list every distinct non-empty value of its field in the data table that the
// list lacks, reading the data table once. The file names of the lists that could not be
// opened or written are returned in order; the others are filled. A data table that cannot be
// read throws the engine's error.
std::vector<std::string> FillLists(const engine::Table& dataTable,
                                   const std::vector<TListField>& lists);

} // namespace shelfwise::db
