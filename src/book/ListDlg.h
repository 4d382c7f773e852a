#pragma once

#include "db/LookupList.h"

#include <QDialog>
#include <functional>
#include <vector>

class QButtonGroup;
class QTableWidget;

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// Given a field index (field number - 1), the list table file of that field's list editor, or
// an empty text for a field that has no list.
using LookupSourceQuery = std::function<QString(int fieldIndex)>;

// "Edit Lists": one entry per list field, captioned with the field's label, and the items of
// the chosen list, sorted without regard to case. New, Edit and Delete change one item;
// Update Lists adds the values the catalogue holds that a list lacks. Empty and duplicate items
// are refused. Close packs only the lists something was deleted from, and a list another
// program reads is left for a later pack. The controls are named RadioGroup1 (its entries
// List1, List2 ...), DBGrid1, B_Close, B_Help, B_Edit, B_New, B_Delete and B_Update.
class TListDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 65;

    // Without a query the dialog shows no lists and does nothing on Update Lists and Close.
    TListDlg(db::TDatabase& database, const settings::Settings& settings,
             const LookupSourceQuery& lookupSourceOf, QWidget* parent);

    // Shows the list of that entry (counted from 0).
    void SelectList(int entry);
    // The entry of the list with that file name; -1 when there is none.
    int EntryOf(const QString& source) const;
    // True when an item was added, changed or deleted.
    bool ListsChanged() const { return changed_; }

    void NewItem();
    void EditItem();
    void DeleteItem();
    void UpdateLists();

protected:
    void done(int result) override;

private:
    struct Entry {
        db::TLookupList List;
        int FieldIndex;
        bool Deleted = false;
    };

    void ShowItems(const QString& selected = {});
    QString SelectedItem() const;
    // Empty and duplicate items are refused with a message.
    bool Acceptable(const QString& text);
    void AfterChange(const QString& selected);

    db::TDatabase& database_;
    std::vector<Entry> entries_;
    QButtonGroup* radios_;
    QTableWidget* grid_;
    int current_ = -1;
    bool changed_ = false;
};

// Opens "Edit Lists" on the list of the given file (the first list when empty); true when a
// list changed, so that the list fields reload their choices.
bool EditLists(db::TDatabase& database, const settings::Settings& settings,
               const LookupSourceQuery& lookupSourceOf, QWidget* parent,
               const QString& source = {});

} // namespace shelfwise::book
