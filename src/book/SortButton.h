#pragma once

#include "db/IndexManager.h"

#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace shelfwise::db {
struct TFieldClasses;
}

namespace shelfwise::book {

class TSortRules;

// The sort button above the list: the primary sort field, the secondary one and the filter
// state, each a part that never takes the focus. A left click on a sort part asks for the sort
// dialog, a right click opens the part's menu; the menus change the index manager's sort
// values by the sort rules and report which change they made.
class TSortButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int HelpContext = 103;

    explicit TSortButton(QWidget* parent);

    // Where the menus read and change the sort: the index manager, the field labels and the
    // field classes of the open table.
    void SetSortSource(db::TIndex* index, const std::vector<std::string>* labels,
                       const db::TFieldClasses* fields);

    // Captions of the two sort parts; the arrows show the directions.
    void SetSortCaptions(const QString& label1, const QString& label2, bool isDown2, bool isDown1);
    void SetFilterState(db::FilterState state);
    db::FilterState Filter() const { return filterState_; }
    bool IsDown1() const { return isDown1_; }
    bool IsDown2() const { return isDown2_; }

    QToolButton* PrimaryPart() const { return parts_[0]; }
    QToolButton* SecondaryPart() const { return parts_[1]; }
    QToolButton* FilterPart() const { return parts_[2]; }
    QMenu* PrimaryMenu() const { return menus_[0]; }
    QMenu* SecondaryMenu() const { return menus_[1]; }
    QMenu* FilterMenu() const { return menus_[2]; }

    // Runs when a filter template was loaded; without it the filter menu offers no templates.
    std::function<void()> OnQuickFilter;
    // Tells whether a filter is defined: without one (or without this source) "Normal Filter"
    // and "Reversed Filter" stay disabled, as they would show no record.
    void SetFilterSource(std::function<bool()> defined);

signals:
    void clicked();
    void FilterClicked();
    void FilterMenuClicked();
    void Sort1MenuClicked();
    void Sort2MenuClicked();
    void SortByClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Object names and captions of a sort part's menu.
    struct SortMenuNames {
        const char* Menu;
        const char* Fields;
        const char* FieldsCaption;
        const char* Direction;
        const char* DirectionCaption;
        const char* Prefix;
        const char* Help;
    };
    // A sort part's menu: its field submenu, its direction submenu and help.
    void BuildSortMenu(int part, const SortMenuNames& names, QMenu*& fields, QMenu*& direction,
                       void (TSortButton::*prepare)(),
                       db::SortValues (TSortRules::*invert)(db::SortValues) const,
                       void (TSortButton::*done)());
    void BuildFilterMenu();
    void PreparePrimaryMenu();
    void PrepareSecondaryMenu();
    void PrepareFilterMenu();
    // The state items: the current one disabled, the filtered ones only with a filter.
    void UpdateFilterItems();
    // Refills a field submenu: the "none" item (tag 0), then every label (tag = field number).
    void FillFieldMenu(QMenu* menu, const QString& none, int checked, int excluded,
                       const std::function<void(int)>& chosen);
    // Takes SaveSort, lets `change` alter the sort and fires `done`.
    void ChangeSort(const std::function<db::SortValues(db::SortValues)>& change,
                    void (TSortButton::*done)());

    QToolButton* parts_[3];
    QMenu* menus_[3];
    QMenu* primaryFields_;
    QMenu* primaryDirection_;
    QMenu* secondaryFields_;
    QMenu* secondaryDirection_;
    QList<QAction*> filterStates_;
    QList<QAction*> templateItems_;
    db::TIndex* index_ = nullptr;
    const std::vector<std::string>* labels_ = nullptr;
    const db::TFieldClasses* fields_ = nullptr;
    db::FilterState filterState_ = db::FilterState::fsFilterOff;
    std::function<bool()> filterDefined_;
    bool isDown1_ = false;
    bool isDown2_ = false;
};

} // namespace shelfwise::book
