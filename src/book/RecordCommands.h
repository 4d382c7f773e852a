#pragma once

#include "book/RecordOperations.h"

#include <QObject>

class QAbstractButton;
class QAction;
class QMenu;

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::book {

class TLeftPage;

// What the record commands are started from, besides the parts the operations work on.
struct TRecordCommandParts {
    TRecordParts Records;
    QMenu& RowMenu;
    QMenu& RightPageMenu;
    // The row the row menu was opened on.
    const TLeftPage& LeftPage;
};

// The record commands of the book window: the record speed bar, the New command, the items
// of the row menu and the right page menu and their keys. It keeps their enabled states, fills
// the "Quick View" and "View Copy Buffer" submenus as their menus open, and gives the focus
// back to the current row after each command.
class TRecordCommands : public QObject {
    Q_OBJECT
public:
    TRecordCommands(const TRecordCommandParts& parts, QObject* parent);

    // The printing of one record; the print commands are enabled while one is set.
    void SetPrintRecord(std::function<void(engine::Table&)> print);

    // After every load: the commands by the access to the shown record.
    void Update();
    // Paste is offered once something was copied in this run.
    void UpdatePasteCommands();

private:
    QAbstractButton* Button(const char* name) const;
    QAction* Action(const char* name) const;
    QMenu* Submenu(const char* name) const;
    // The operation, then the paste commands and the focus back on the current row.
    std::function<void()> Routed(void (TRecordOperations::*op)());
    void AfterCommand();
    void PrepareRowMenu();
    void PrepareRightPageMenu();
    // One item per field of the table's current record.
    void FillFieldMenu(QMenu* menu, engine::Table& table);
    bool BufferOffered() const;

    const TLeftPage& leftPage_;
    TRecordParts parts_;
    TRecordOperations operations_;
    // The row menu's record: the position in the range of the row it was opened on.
    std::uint32_t menuRecord_ = 0;
};

} // namespace shelfwise::book
