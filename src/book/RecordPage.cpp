#include "book/RecordPage.h"

#include "book/HourGlass.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <cmath>

namespace shelfwise::book {

namespace {

// Reading or writing a memo or picture field failed: the record's memo data is damaged.
struct CorruptMemo {};

bool IsMemoOrPicture(char type) {
    return type == 'M' || type == 'B' || type == 'G';
}

} // namespace

TRecordPage::TRecordPage(db::TDatabase& database, settings::Settings& settings,
                         const std::vector<editors::TFieldEditor*>& editors, QObject* parent)
    : QObject(parent), database_(database), settings_(settings), editors_(editors),
      editCursor_(database) {}

bool TRecordPage::ReadOnly() const {
    return settings::ReadOnlyAccess(settings_);
}

void TRecordPage::Restart() {
    if (ReopenEditCursor()) {
        ShowRecordAt(0);
    }
}

bool TRecordPage::ReopenEditCursor() {
    editCursor_.Close();
    recordPosition_ = 0;
    return editCursor_.Open();
}

void TRecordPage::ShowRecordAt(int position, const std::function<void()>& leaveRange) {
    if (!database_.DataTable.isOpen()) {
        platform::ShowError("Database is not Open! Cannot display details.");
        return;
    }
    const auto before = database_.RecordCount(database_.DataTable);
    if (recordPosition_ > 0 && !recordCommitted_ && !CommitRecord()) {
        return;
    }
    // A settled record never keeps its lock into the next one.
    if (editCursor_.IsEditing()) {
        editCursor_.Cancel();
    }
    recordInUse_ = false;
    newRecord_ = false;
    const auto count = database_.RecordCount(database_.DataTable);
    if (count > before) {
        ++position;
    }
    if (position >= 0 && static_cast<std::uint32_t>(position) < count &&
        editCursor_.MoveToPosition(static_cast<std::uint32_t>(position))) {
        if (leaveRange) {
            leaveRange();
        }
        LoadCurrentRecord(position + 1);
    } else {
        if (leaveRange) {
            leaveRange();
        }
        newRecord_ = true;
        LoadCurrentRecord(static_cast<int>(count) + 1);
    }
}

void TRecordPage::TryLockRecord() {
    recordInUse_ = !ReadOnly() && !editCursor_.LockForEdit();
}

void TRecordPage::LoadCurrentRecord(int position) {
    recordLetter_ = 0;
    if (newRecord_) {
        ClearEditors();
        unreadFrom_ = editors_.size();
        damagedFields_.clear();
        currentRecordId_ = -1;
    } else {
        TryLockRecord();
        const engine::Table& table = editCursor_.Table();
        FillEditors(table);
        currentRecordId_ = static_cast<int>(std::lround(table.number(db::RecordNumberField)));
        recordLetter_ = database_.Index.FirstLetter(table);
    }
    recordPosition_ = position;
    if (RecordLoaded) {
        RecordLoaded();
    }
    recordCommitted_ = false;
}

void TRecordPage::ShowCorruptMemo(const engine::Table& table) const {
    std::string name;
    try {
        name = table.text(3);
    } catch (const engine::EngineError& error) {
        db::LogFailure(table, error);
    }
    platform::ShowMessage({platform::MessageKind::Error,
                           "Corrupt Memo Field!!! You should delete record: " + name +
                               "\nYou may have to use Advanced/Maintenance/Repair Data File "
                               "function.",
                           platform::ButtonOk | platform::ButtonHelp, CorruptMemoHelpContext});
}

bool TRecordPage::FillEditors(const engine::Table& table) {
    const bool onRecord = !table.atEnd();
    unreadFrom_ = editors_.size();
    damagedFields_.clear();
    for (std::size_t i = 0; i < editors_.size(); ++i) {
        editors::TFieldEditor& editor = *editors_[i];
        const int position = static_cast<int>(i) + db::FirstDataField;
        if (!onRecord || position >= table.fieldCount()) {
            editor.Clear();
            continue;
        }
        try {
            if (FillingFromTemplate) {
                editor.ReadFromTemplate(table, position);
            } else {
                editor.Read(table, position);
            }
        } catch (const engine::EngineError& error) {
            db::LogFailure(table, error);
            if (!IsMemoOrPicture(table.field(position).type)) {
                // A value other programs stored unreadably (an impossible date) shows empty
                // and stays as stored unless the user types a new one.
                editor.Clear();
                damagedFields_.push_back(i);
                continue;
            }
            ShowCorruptMemo(table);
            // Nothing of another record stays in the editors that were not filled.
            for (std::size_t rest = i; rest < editors_.size(); ++rest) {
                editors_[rest]->Clear();
            }
            unreadFrom_ = i;
            return false;
        }
    }
    return true;
}

bool TRecordPage::MemosReadable(const engine::Table& table) const {
    try {
        for (int position = db::FirstDataField; position < table.fieldCount(); ++position) {
            if (IsMemoOrPicture(table.field(position).type)) {
                table.bytes(position);
            }
        }
    } catch (const engine::EngineError& error) {
        db::LogFailure(table, error);
        return false;
    }
    return true;
}

bool TRecordPage::WriteRecordFields(engine::Table& table) {
    const bool isEditCursor = &table == &editCursor_.Table();
    // A record shown read-only is never written back; copying it elsewhere is fine.
    if (recordInUse_ && isEditCursor) {
        return true;
    }
    const HourGlass hourGlass;
    const char oldLetter = newRecord_ ? 0 : recordLetter_;
    const std::size_t writable =
        isEditCursor && !newRecord_ ? std::min(unreadFrom_, editors_.size()) : editors_.size();
    for (int attempt = 1; attempt <= WriteAttempts; ++attempt) {
        try {
            if (table.state() == engine::Table::State::Browse) {
                table.edit();
            }
            for (std::size_t i = 0; i < writable; ++i) {
                const int position = static_cast<int>(i) + db::FirstDataField;
                if (position >= table.fieldCount()) {
                    break;
                }
                if (isEditCursor && !newRecord_ && IsDamaged(i) && !editors_[i]->IsFilled()) {
                    continue;
                }
                try {
                    editors_[i]->Write(table, position);
                } catch (const engine::EngineError& error) {
                    if (IsMemoOrPicture(table.field(position).type)) {
                        db::LogFailure(table, error);
                        throw CorruptMemo{};
                    }
                    throw;
                }
            }
            const char newLetter = database_.Index.FirstLetter(table);
            table.post();
            if (isEditCursor) {
                if (oldLetter != newLetter) {
                    database_.Index.AdjustLetterCount(oldLetter, newLetter, LetterPanel);
                }
                recordLetter_ = newLetter;
            }
            return true;
        } catch (const CorruptMemo&) {
            ShowCorruptMemo(table);
            return false;
        } catch (const engine::EngineError& error) {
            db::LogFailure(table, error);
        }
    }
    return false;
}

bool TRecordPage::CommitRecord() {
    if (ReadOnly() || recordInUse_) {
        return true;
    }
    // One editor that cannot settle keeps the record as it is.
    if (!SettleEditors()) {
        recordCommitted_ = false;
        return false;
    }
    engine::Table& table = editCursor_.Table();
    bool result = true;
    if (RecordIsEmpty()) {
        // Nothing is appended for an empty new record, so no record number is used up.
        if (editCursor_.IsEditing()) {
            editCursor_.Cancel();
        }
    } else {
        try {
            if (newRecord_) {
                table.append();
                database_.AssignRecordNumber(table);
            }
            result = WriteRecordFields(table);
            if (result && newRecord_) {
                // The stored record is now the shown one: a later check edits it in place
                // rather than appending it a second time.
                newRecord_ = false;
                currentRecordId_ =
                    static_cast<int>(std::lround(table.number(db::RecordNumberField)));
            }
        } catch (const engine::EngineError& error) {
            db::LogFailure(table, error);
            result = false;
        }
        if (!result && newRecord_ && editCursor_.IsEditing()) {
            // A later try appends afresh.
            editCursor_.Cancel();
        }
        if (!result) {
            result = platform::AskYesNo(
                platform::MessageKind::Warning,
                "Could not Update the record!\nDo you want to continue anyway?\n(If you answer "
                "Yes changes to the current record will be discarded.)");
            if (result && editCursor_.IsEditing()) {
                editCursor_.Cancel();
            }
        }
    }
    recordCommitted_ = result;
    return result;
}

bool TRecordPage::CommitAndKeepRecord() {
    const bool wasNew = newRecord_;
    if (!CommitRecord()) {
        return false;
    }
    recordCommitted_ = false;
    if (ReadOnly() || recordInUse_ || newRecord_) {
        return true;
    }
    if (!editCursor_.IsEditing()) {
        TryLockRecord();
    }
    // A new record is a stored one now, and another program may have taken the lock meanwhile.
    if ((wasNew || recordInUse_) && RecordLoaded) {
        RecordLoaded();
    }
    return true;
}

bool TRecordPage::SettleEditors() {
    return std::ranges::all_of(editors_, [](editors::TFieldEditor* e) { return e->Settle(); });
}

bool TRecordPage::SettleRecord() {
    const bool wasNew = newRecord_;
    if (!CommitRecord()) {
        return false;
    }
    recordCommitted_ = true;
    if (!wasNew) {
        return true;
    }
    ShowRecordAt(recordPosition_ - 1);
    return CommitRecord();
}

bool TRecordPage::RecordIsEmpty() const {
    return std::ranges::none_of(editors_,
                                [](const editors::TFieldEditor* e) { return e->IsFilled(); });
}

void TRecordPage::ClearEditors() {
    for (editors::TFieldEditor* editor : editors_) {
        editor->Clear();
    }
}

bool TRecordPage::IsDamaged(std::size_t editor) const {
    return std::find(damagedFields_.begin(), damagedFields_.end(), editor) != damagedFields_.end();
}

QString TRecordPage::StatusText() const {
    if (newRecord_) {
        return QStringLiteral("New Record");
    }
    QString text = ReadOnly()     ? QStringLiteral("Read Only Access")
                   : recordInUse_ ? QStringLiteral("Read Only Access - Record In Use")
                                  : QStringLiteral("Read/Write Access");
    if (!damagedFields_.empty()) {
        const std::size_t field = damagedFields_.front();
        const QString label = field < settings_.FieldLabels.size()
                                  ? text::FromWindowsText(settings_.FieldLabels[field])
                                  : QString::number(field + 1);
        text += QStringLiteral(" - Unreadable value not shown: ") + label;
    }
    return text;
}

} // namespace shelfwise::book
