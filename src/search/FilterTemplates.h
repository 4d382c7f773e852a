#pragma once

// The filter kind of the template catalogue: a template is a filter file holding the whole
// current filter.

#include "search/Filter.h"
#include "settings/TemplateContents.h"

namespace shelfwise::search {

// The current filter's file in the data directory.
inline constexpr const char* FilterFileName = "filter.dat";

class TFilterTemplateContents : public settings::TTemplateContents {
public:
    // With a table, loaded conditions are checked against its fields.
    TFilterTemplateContents(TFilterList& filter, const engine::Table* table)
        : filter_(filter), table_(table) {}

    bool Write(const std::filesystem::path& file) override { return filter_.SaveToFile(file); }
    // A template that cannot be read leaves the current filter as it was.
    bool Read(const std::filesystem::path& file) override {
        return filter_.LoadFromFile(file, table_);
    }

private:
    TFilterList& filter_;
    const engine::Table* table_;
};

} // namespace shelfwise::search
