#pragma once

#include "db/Database.h"
#include "db/EditCursor.h"
#include "editors/FieldEditor.h"

#include <QObject>
#include <functional>

namespace shelfwise::db {
class TLetterTabPanel;
}

namespace shelfwise::book {

// The record shown on the right page and its state: it loads a record through the edit
// cursor into the field editors, holds the record lock while the record is shown, and
// settles the record (stores it, drops it when empty, or leaves it alone when read-only)
// before every move.
class TRecordPage : public QObject {
    Q_OBJECT
public:
    static constexpr int WriteAttempts = 100;
    static constexpr int CorruptMemoHelpContext = 62;

    // The editors in field order: the first shows field 1, at db::FirstDataField of the table.
    TRecordPage(db::TDatabase& database, settings::Settings& settings,
                const std::vector<editors::TFieldEditor*>& editors, QObject* parent);

    // Runs after every load: status line, commands, position display and the list.
    std::function<void()> RecordLoaded;
    db::TLetterTabPanel* LetterPanel = nullptr;
    // The editors are being filled from a record template: a stored template date marker shows
    // as today's date.
    bool FillingFromTemplate = false;

    bool ReopenEditCursor();
    // Opens the edit cursor again and shows the first record of the range.
    void Restart();
    // Shows the record at that position of the record table's range; `leaveRange`, when
    // given, lays the range the list shows again before the record is loaded (a record of
    // another letter is found in that letter's range).
    void ShowRecordAt(int position, const std::function<void()>& leaveRange = {});
    void LoadCurrentRecord(int position);
    bool FillEditors(const engine::Table& table);
    // Every memo and picture of the table's record reads, so filling the editors from it cannot
    // stop half-way (a record template is checked before it replaces what the editors hold).
    bool MemosReadable(const engine::Table& table) const;
    bool WriteRecordFields(engine::Table& table);
    // Commands store the record without the focus leaving the field, so each editor does now
    // what it does when left; false when one refused its text (it showed why).
    bool SettleEditors();
    bool CommitRecord();
    // Stores the record for a command that leaves it on the page (a letter tab): it stays locked
    // for more typing, and the next move stores it again.
    bool CommitAndKeepRecord();
    bool SettleRecord();
    bool RecordIsEmpty() const;
    void ClearEditors();
    QString StatusText() const;

    bool NewRecord() const { return newRecord_; }
    bool RecordInUse() const { return recordInUse_; }
    bool RecordCommitted() const { return recordCommitted_; }
    int RecordPosition() const { return recordPosition_; }
    // After records went or moved around the shown one, or 0 so the next show does not settle.
    void SetRecordPosition(int position) { recordPosition_ = position; }
    int CurrentRecordId() const { return currentRecordId_; }
    char RecordLetter() const { return recordLetter_; }
    db::TEditCursor& EditCursor() { return editCursor_; }

private:
    bool ReadOnly() const;
    bool IsDamaged(std::size_t editor) const;
    void TryLockRecord();
    void ShowCorruptMemo(const engine::Table& table) const;

    db::TDatabase& database_;
    settings::Settings& settings_;
    const std::vector<editors::TFieldEditor*>& editors_;
    db::TEditCursor editCursor_;
    bool newRecord_ = false;
    bool recordInUse_ = false;
    bool recordCommitted_ = false;
    int recordPosition_ = 0;
    int currentRecordId_ = -1;
    char recordLetter_ = 0;
    // Editors from this one on could not be read from the shown record (a damaged memo), so
    // leaving the record never writes them over what is stored.
    std::size_t unreadFrom_ = 0;
    // Editors whose stored value could not be read (shown empty, kept as stored unless filled).
    std::vector<std::size_t> damagedFields_;
};

} // namespace shelfwise::book
