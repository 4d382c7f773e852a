#include "book/TableViewModel.h"

#include "db/Database.h"
#include "db/EditCursor.h"
#include "db/FailureLog.h"
#include "engine/EngineError.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/DateText.h"
#include "text/FieldText.h"
#include "text/NumberText.h"
#include "text/WindowsText.h"

#include <algorithm>

namespace shelfwise::book {

namespace {

using engine::Table;

bool IsPictureType(char type) {
    return type == 'B' || type == 'G';
}

// A record another user deleted since the grid was read.
void ShowRecordGone() {
    platform::ShowError("Record was deleted by another user!");
}

} // namespace

TTableViewModel::TTableViewModel(db::TDatabase& database, db::TEditCursor& writer,
                                 const settings::Settings& settings, QObject* parent)
    : QAbstractTableModel(parent), database_(database), writer_(writer), settings_(settings),
      reader_(settings.FieldLabels, settings.DateFormats) {
    const Table& table = database_.DataTable;
    if (table.isOpen()) {
        columns_ = std::max(table.fieldCount() - HiddenFields, 0);
    }
    ReadAfresh();
}

int TTableViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_ + (state_ == State::Insert ? 1 : 0);
}

int TTableViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

int TTableViewModel::FieldWidth(int column) const {
    const auto& field = database_.DataTable.field(FieldPosition(column));
    return field.type == 'D' ? 10 : std::max<int>(field.width, 6);
}

bool TTableViewModel::IsMemo(int column) const {
    return database_.DataTable.field(FieldPosition(column)).type == 'M';
}

bool TTableViewModel::IsPicture(int column) const {
    return IsPictureType(database_.DataTable.field(FieldPosition(column)).type);
}

QString TTableViewModel::CellText(const Table& table, int column) const {
    const int position = FieldPosition(column);
    const char type = table.field(position).type;
    try {
        if (type == 'M') {
            const QString lines = text::FieldText(table, position);
            return lines.left(lines.indexOf(QLatin1Char('\n')));
        }
        if (IsPictureType(type)) {
            return table.isEmpty(position) ? QString() : QStringLiteral("<PICTURE>");
        }
    } catch (const engine::EngineError& error) {
        // A damaged memo shows empty here; the record page names it.
        db::LogFailure(table, error);
        return {};
    }
    return reader_.ColumnText(table, position).Text;
}

const TTableViewModel::Row* TTableViewModel::RowAt(int row) const {
    if (row < 0 || row >= count_) {
        return nullptr;
    }
    const int page = row / PageRows;
    auto found = pages_.find(page);
    if (found != pages_.end()) {
        recentPages_.remove(page);
    } else {
        Table& table = database_.DataTable;
        std::vector<Row> rows;
        try {
            database_.MoveToRecord(table, static_cast<std::uint32_t>(page * PageRows));
            table.scan(PageRows, [&] {
                Row read{table.recordNumber(), {}};
                for (int column = 0; column < columns_; ++column) {
                    read.Cells.push_back(CellText(table, column));
                }
                rows.push_back(std::move(read));
                return true;
            });
        } catch (const engine::EngineError& error) {
            db::LogFailure(table, error);
        }
        if (pages_.size() >= CachedPages) {
            pages_.erase(recentPages_.back());
            recentPages_.pop_back();
        }
        found = pages_.emplace(page, std::move(rows)).first;
    }
    recentPages_.push_front(page);
    const auto at = static_cast<std::size_t>(row % PageRows);
    // Another user may have deleted records since the count was taken.
    return at < found->second.size() ? &found->second[at] : nullptr;
}

std::size_t TTableViewModel::CachedRows() const {
    std::size_t rows = 0;
    for (const auto& [page, read] : pages_) {
        rows += read.size();
    }
    return rows;
}

std::uint32_t TTableViewModel::RecordNumberAt(int row) const {
    const Row* read = RowAt(row);
    return read == nullptr ? 0 : read->RecordNumber;
}

int TTableViewModel::RowOfRecord(std::uint32_t recordNumber) const {
    Table& table = database_.DataTable;
    try {
        if (recordNumber != 0 && table.goToRecord(recordNumber)) {
            return static_cast<int>(table.recordPosition());
        }
    } catch (const engine::EngineError& error) {
        db::LogFailure(table, error);
    }
    return -1;
}

QVariant TTableViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool number =
            db::IsNumericType(database_.DataTable.field(FieldPosition(column)).type);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    // A memo is edited whole: its value comes from the record itself.
    const bool whole = role == Qt::EditRole && IsMemo(column);
    Table& record = writer_.Table();
    if (row == EditRow()) {
        return whole ? text::FieldText(record, FieldPosition(column)) : CellText(record, column);
    }
    if (whole) {
        if (const Table* stored = RecordOfRow(row)) {
            try {
                return text::FieldText(*stored, FieldPosition(column));
            } catch (const engine::EngineError& error) {
                db::LogFailure(*stored, error);
            }
        }
    }
    const Row* read = RowAt(row);
    return read == nullptr ? QVariant() : read->Cells[static_cast<std::size_t>(column)];
}

const Table* TTableViewModel::RecordOfRow(int row) const {
    const bool onRecord = row == EditRow() || (state_ == State::Browse &&
                                               writer_.MoveToRecordNumber(RecordNumberAt(row)));
    return onRecord ? &writer_.Table() : nullptr;
}

QVariant TTableViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= columns_) {
        return {};
    }
    return QString::fromStdString(database_.DataTable.field(FieldPosition(section)).name);
}

Qt::ItemFlags TTableViewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    // Memos and pictures are edited in the field editor.
    if (!readOnly_ && index.isValid() && !IsMemo(index.column()) && !IsPicture(index.column())) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool TTableViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (readOnly_ || !index.isValid() || role != Qt::EditRole || IsPicture(index.column()) ||
        !Edit(index.row()) || !WriteCell(index.column(), value.toString())) {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

bool TTableViewModel::WriteCell(int column, const QString& value) {
    Table& record = writer_.Table();
    const int position = FieldPosition(column);
    const auto& field = record.field(position);
    try {
        if (field.type == 'M') {
            QString lines = value;
            lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
            record.setText(position, text::ToWindowsText(lines));
        } else if (field.type == 'D') {
            if (value.trimmed().isEmpty()) {
                record.setDate(position, std::nullopt);
            } else if (const text::Date date =
                           text::ReadDate(value.trimmed(), reader_.DateFormat(position))) {
                record.setDate(position, date);
            } else {
                platform::ShowError("Invalid Date!");
                return false;
            }
        } else if (db::IsNumericType(field.type)) {
            record.setNumber(position, text::ReadLocaleNumber(value));
        } else {
            record.setText(position, text::ToWindowsText(value.left(254)));
        }
    } catch (const engine::EngineError& error) {
        db::LogFailure(record, error);
        platform::ShowError(error.what());
        return false;
    }
    return true;
}

bool TTableViewModel::Edit(int row) {
    if (readOnly_) {
        return false;
    }
    if (state_ != State::Browse) {
        if (editRow_ == row) {
            return true;
        }
        if (!Post()) {
            return false;
        }
    }
    const std::uint32_t recordNumber = RecordNumberAt(row);
    if (recordNumber == 0 || !writer_.MoveToRecordNumber(recordNumber)) {
        ShowRecordGone();
        Refresh();
        return false;
    }
    if (!writer_.LockForEdit()) {
        platform::ShowError("Record in use - not Changed!");
        return false;
    }
    state_ = State::Edit;
    editRow_ = row;
    return true;
}

bool TTableViewModel::WriteField(int row, int column,
                                 const std::function<void(Table&, int)>& write) {
    if (!Edit(row)) {
        return false;
    }
    Table& record = writer_.Table();
    try {
        write(record, FieldPosition(column));
    } catch (const engine::EngineError& error) {
        db::LogFailure(record, error);
        platform::ShowError(error.what());
        return false;
    }
    emit dataChanged(index(row, column), index(row, column));
    return Post();
}

bool TTableViewModel::Post() {
    if (state_ == State::Browse) {
        return true;
    }
    Table& record = writer_.Table();
    try {
        // A record added in the grid takes its number only now, so a cancelled one uses none.
        if (state_ == State::Insert) {
            database_.AssignRecordNumber(record);
        }
        record.post();
    } catch (const engine::EngineError& error) {
        db::LogFailure(record, error);
        platform::ShowError(error.what());
        return false;
    }
    state_ = State::Browse;
    editRow_ = -1;
    Reload(record.recordNumber());
    return true;
}

void TTableViewModel::Cancel() {
    if (state_ == State::Browse) {
        return;
    }
    writer_.Cancel();
    const int row = editRow_;
    if (state_ == State::Insert) {
        beginRemoveRows({}, row, row);
        state_ = State::Browse;
        editRow_ = -1;
        endRemoveRows();
        return;
    }
    state_ = State::Browse;
    editRow_ = -1;
    emit dataChanged(index(row, 0), index(row, columns_ - 1));
}

bool TTableViewModel::Insert() {
    if (readOnly_ || columns_ == 0 || (state_ != State::Browse && !Post())) {
        return false;
    }
    try {
        writer_.Table().append();
    } catch (const engine::EngineError& error) {
        db::LogFailure(writer_.Table(), error);
        platform::ShowError(error.what());
        return false;
    }
    beginInsertRows({}, count_, count_);
    state_ = State::Insert;
    editRow_ = count_;
    endInsertRows();
    return true;
}

bool TTableViewModel::Delete(int row) {
    if (readOnly_) {
        return false;
    }
    if (state_ == State::Insert && row == editRow_) {
        // A row not stored yet only goes away.
        Cancel();
        return true;
    }
    const std::uint32_t recordNumber = RecordNumberAt(row);
    if (recordNumber == 0 || (ConfirmDelete && !ConfirmDelete())) {
        return false;
    }
    if (state_ == State::Edit && editRow_ == row) {
        Cancel();
    } else if (!Post()) {
        return false;
    }
    if (!writer_.MoveToRecordNumber(recordNumber)) {
        ShowRecordGone();
        Refresh();
        return false;
    }
    Table& record = writer_.Table();
    try {
        record.edit();
        record.deleteRecord();
    } catch (const engine::EngineError& error) {
        db::LogFailure(record, error);
        if (record.state() != Table::State::Browse) {
            record.cancel();
        }
        platform::ShowError("Record in use - not Deleted!");
        return false;
    }
    ReadAfresh();
    emit Reloaded(std::min(row, count_ - 1));
    return true;
}

void TTableViewModel::Refresh() {
    if (state_ == State::Browse) {
        Reload(0);
    }
}

bool TTableViewModel::TableChanged() const {
    const Table& table = database_.DataTable;
    try {
        return table.isOpen() && table.changeCounter() != readAt_;
    } catch (const engine::EngineError& error) {
        db::LogFailure(table, error);
        return false;
    }
}

void TTableViewModel::ReadAfresh() {
    beginResetModel();
    pages_.clear();
    recentPages_.clear();
    const Table& table = database_.DataTable;
    count_ = 0;
    if (table.isOpen()) {
        try {
            // The counter first: a change made between the two is picked up at the next look.
            readAt_ = table.changeCounter();
            count_ = static_cast<int>(table.recordCount());
        } catch (const engine::EngineError& error) {
            db::LogFailure(table, error);
        }
    }
    endResetModel();
}

void TTableViewModel::Reload(std::uint32_t recordNumber) {
    ReadAfresh();
    emit Reloaded(RowOfRecord(recordNumber));
}

} // namespace shelfwise::book
