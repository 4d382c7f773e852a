#pragma once

#include <QDialog>
#include <QList>
#include <cstdint>

class QTableView;
class QToolBar;
class QToolButton;

namespace shelfwise::db {
class TDatabase;
class TEditCursor;
} // namespace shelfwise::db

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

class TTableViewModel;

// "Table Viewer": the record table as a grid under a navigator (first, prior, next, last,
// insert, delete, edit, post, cancel, refresh). Cells are edited in place; a double click opens
// the field editor. A row being edited is written when the grid leaves it, on Post and on
// Close; when that fails the row stays in edit state and the viewer stays open. Other programs'
// changes show by themselves while no row is being edited. Read-only, the grid is silver and
// only the moving buttons and refresh remain.
class TDbEditDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 234;

    // Changes go through `writer`, which must be open on the data table unless `readOnly`.
    TDbEditDlg(db::TDatabase& database, db::TEditCursor& writer, const settings::Settings& settings,
               bool readOnly, QWidget* parent = nullptr);

    TTableViewModel& Model() const { return *model_; }
    QTableView* Grid() const { return grid_; }
    // The navigator's button for one of its actions ("First" ... "Refresh").
    QToolButton* NavigatorButton(const char* action) const;
    // Opens the field editor on a cell, as a double click does.
    void EditField(int row, int column);

    void done(int result) override;

    // Reads the grid afresh, on the record shown, when the table was written since it was
    // read; not while a row or cell is being edited nor under another window of the viewer's.
    // Runs every `ChangeCheckMs` and whenever the viewer becomes active.
    void PickUpChanges();
    static constexpr int ChangeCheckMs = 1000;

protected:
    void changeEvent(QEvent* event) override;

private:
    void AddNavigatorButton(const char* action, const QString& glyph, const char* hint,
                            void (TDbEditDlg::*run)());
    void First();
    void Prior();
    void Next();
    void Last();
    void Insert();
    void Delete();
    void Edit();
    void Post();
    void Cancel();
    void Refresh();
    int CurrentRow() const;
    // Makes a row current, writing the row being edited first when it is left.
    void GoToRow(int row);
    void RowLeft(int row, int previous);
    void ShowReloaded(int row);
    void UpdateButtons();
    void FitColumns();
    // Cell editors open in the grid, with what was typed into them.
    QList<QWidget*> CellEditors() const;

    const settings::Settings& settings_;
    TTableViewModel* model_;
    QToolBar* navigator_;
    QTableView* grid_;
    // While the grid goes back to a row itself, a row change writes nothing.
    bool moving_ = false;
};

} // namespace shelfwise::book
