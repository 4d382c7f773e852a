#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
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

inline constexpr const char* RecordTemplatesFileName = "records.tml";
// A delete of a template between its record and its name: the database, the record and the
// names that follow it.
inline constexpr const char* TemplateDeleteFileName = "records.del";
// The name that means "no template"; it cannot be saved.
inline constexpr const char* BlankTemplate = "Blank";

// The record templates: names in "records.tml" of the data directory (one a line, in list
// order), and template t's record at live position t + 1 of the open database's copy table
// (position 0 is the copy buffer). Names and records are kept aligned by position only, so
// every change moves both or neither: a save writes the record before it adds the name, and a
// delete removes the record before the name, with a note that finishes the names when the
// program stopped between the two.
class TRecordTemplates {
public:
    enum class Deleted { No, Yes, NotPacked };

    TRecordTemplates(TDatabase& database, const settings::Settings& settings);

    const std::vector<std::string>& Names() const { return names_; }
    // The template of that name (exact comparison), or -1.
    int Find(const std::string& name) const;

    // Reads the names (none when there is no file) and finishes a delete that the program did
    // not finish in the open database.
    void Load();
    // The copy table on template t's record; false when the copy table has none.
    bool MoveTo(int t);
    // Saves a template under `name`, new or existing: `write` stores the record the copy table
    // stands on (template t's, made when missing, after empty ones for templates whose record
    // this copy table lacks) and returns whether it did. A new name joins the list once its
    // record is stored. False when nothing was saved; the user was told.
    bool Save(const std::string& name, const std::function<bool(engine::Table&)>& write);
    // Deletes template t: its record, then its name, then packs the copy table so the later
    // templates' records move up with their names.
    Deleted Delete(int t);

private:
    std::filesystem::path File(const char* name) const;
    bool SaveNames();
    void FinishDelete();
    // Packing needs the copy table alone; when another program has it, the deleted record
    // stays until a later pack.
    bool TryPack();

    TDatabase& database_;
    const settings::Settings& settings_;
    std::vector<std::string> names_;
};

} // namespace shelfwise::db
