#pragma once

#include "book/PageReader.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <vector>

namespace shelfwise::db {
class TDatabase;
class TEditCursor;
} // namespace shelfwise::db

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// The record table as a grid: one row per record of its current order and range, one column
// per data field (the system fields stay hidden). Rows are read a page at a time from where the
// record table is moved to, and only the last few pages are kept, so a grid over a million
// records reads no more than it shows. Changes go through a cursor of their own (the book's
// edit cursor, closed meanwhile), so the record table can go on reading while a row is edited;
// the row being edited shows that cursor's record.
class TTableViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageRows = 64;
    static constexpr std::size_t CachedPages = 8;

    enum class State { Browse, Edit, Insert };

    TTableViewModel(db::TDatabase& database, db::TEditCursor& writer,
                    const settings::Settings& settings, QObject* parent = nullptr);

    // Asked before a record is deleted; true lets it go.
    std::function<bool()> ConfirmDelete;

    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Puts the row into edit state (locking its record) and stores the text into the field by
    // the field's kind; the row is written by Post. False, with the reason shown, when the
    // record cannot be edited or the text names no value of the field.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Table position of a column's field.
    int FieldPosition(int column) const { return column + HiddenFields; }
    // Display width of a column's field, in characters.
    int FieldWidth(int column) const;
    // Whether a column's field is edited in the field editor rather than in the grid.
    bool IsMemo(int column) const;
    bool IsPicture(int column) const;
    // The record behind a row, current in the cursor that writes: the row being edited, or
    // (in browse state) the row's stored record. Null when there is none.
    const engine::Table* RecordOfRow(int row) const;

    State GridState() const { return state_; }
    // The row in edit or insert state; -1 in browse state.
    int EditRow() const { return state_ == State::Browse ? -1 : editRow_; }
    // The physical record number behind a row; 0 for the insert row or past the end.
    std::uint32_t RecordNumberAt(int row) const;
    // The row of a record after the grid was read afresh; -1 when it is not in the range.
    int RowOfRecord(std::uint32_t recordNumber) const;

    bool Edit(int row);
    // Puts the row into edit state, lets `write` set the column's field of its record (given
    // the table and the field's position) and posts; false, with the reason shown, when any
    // step fails.
    bool WriteField(int row, int column, const std::function<void(engine::Table&, int)>& write);
    // Writes the row being edited; false, with the engine's reason shown, and the row still
    // in edit state when that fails.
    bool Post();
    void Cancel();
    // A new row at the end; its record number is given when it is posted.
    bool Insert();
    bool Delete(int row);
    // Drops what was read, so every row is read again from the table.
    void Refresh();
    // Rows read and kept at the moment.
    std::size_t CachedRows() const;
    // Whether anyone (another program, another cursor) wrote to the table since the grid was
    // last read. One look at the table's header.
    bool TableChanged() const;

    // System fields before the data fields.
    static constexpr int HiddenFields = 2;

signals:
    // A row was written (or deleted) and the grid read afresh; its record is now at `row`.
    void Reloaded(int row);

private:
    struct Row {
        std::uint32_t RecordNumber = 0;
        std::vector<QString> Cells;
    };
    const Row* RowAt(int row) const;
    QString CellText(const engine::Table& table, int column) const;
    bool WriteCell(int column, const QString& text);
    void ReadAfresh();
    // Reads afresh and reports the row of that record.
    void Reload(std::uint32_t recordNumber);

    db::TDatabase& database_;
    db::TEditCursor& writer_;
    const settings::Settings& settings_;
    TPageReader reader_;
    bool readOnly_ = false;
    State state_ = State::Browse;
    int editRow_ = -1;
    int count_ = 0;
    int columns_ = 0;
    // The table's change counter when the grid was last read.
    std::uint32_t readAt_ = 0;
    // Pages read, by page number, and the order they were last used in (most recent first).
    mutable std::map<int, std::vector<Row>> pages_;
    mutable std::list<int> recentPages_;
};

} // namespace shelfwise::book
