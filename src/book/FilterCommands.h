#pragma once

#include "book/CommandParts.h"
#include "editors/FieldEditor.h"
#include "search/Filter.h"
#include "search/FilterTemplates.h"

#include <QObject>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

class TSortButton;
class TSortCommands;

// The parts of the book window the filters work on.
struct TFilterParts : TCommandParts {
    TSortCommands& SortCommands;
    TSortButton& SortButton;
    // The filter date format changes with the condition dialog's date boxes.
    settings::Settings& Options;
    // In field order; a list field's choices fill a condition's values.
    const std::vector<editors::TFieldEditor*>& Editors;
};

// The book window's side of the filters: the Filter command (menu, speed bar and the sort
// button's filter part), the current filter of the open database, kept in "filter.dat", and
// the marking of posted records.
class TFilterCommands : public QObject {
    Q_OBJECT
public:
    TFilterCommands(TFilterParts parts, QObject* parent);

    search::TFilterList& Filter() { return filter_; }
    // The filter kind of the template catalogue; without it no template can be saved or loaded.
    void SetTemplates(settings::TTemplateList* templates);

    void ShowFilter();
    // Marks every record by the filter and shows the passing ones.
    void ApplyFilter();
    // Writes "filter.dat"; a failure is shown.
    bool SaveFilter();
    // The sort button's filter menu: the template chosen there is loaded and applied at once.
    void QuickFilter(std::size_t index);

private:
    std::filesystem::path FilterFile() const;
    // The choices of the list field at the table position; none for another field.
    std::optional<std::vector<std::string>> ListChoices(int position) const;
    void LoadFilter();
    // The list again under the sort button's scope, from the first record.
    void ShowScope();
    void FillTemplateMenus();

    TFilterParts parts_;
    search::TFilterList filter_;
    search::TFilterTemplateContents contents_;
    settings::TTemplateList* templates_ = nullptr;
};

} // namespace shelfwise::book
