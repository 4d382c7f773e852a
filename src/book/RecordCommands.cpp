#include "book/RecordCommands.h"

#include "book/CommandRegistry.h"
#include "book/LeftPage.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "db/Database.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QAbstractButton>
#include <QMenu>

namespace shelfwise::book {

TRecordCommands::TRecordCommands(const TRecordCommandParts& parts, QObject* parent)
    : QObject(parent), leftPage_(parts.LeftPage), parts_(parts.Records),
      operations_(parts.Records) {
    // A new record keeps the focus in its first editor; the other commands give it back to
    // the current row.
    TCommandRegistry& commands = parts_.Commands;
    const auto define = [&commands](const char* command,
                                    std::initializer_list<const char*> controls,
                                    std::function<void()> run) {
        // The record's access enables these.
        commands.Define(QString::fromLatin1(command), controls, std::move(run),
                        TCommandRegistry::Controls::AsTheyAre);
    };
    define("NewRecord", {"New1", "B_New"}, [this] { operations_.NewRecord(); });
    commands.AddKey(QStringLiteral("NewRecord"), QKeySequence(Qt::CTRL | Qt::Key_N));
    const struct {
        const char* Name;
        const char* Button;
        const char* Item;
        QKeyCombination Key;
        void (TRecordOperations::*Operation)();
    } shown[] = {
        {"DeleteShownRecord", "B_RDelete", "Delete3", Qt::ALT | Qt::Key_Delete,
         &TRecordOperations::DeleteShownRecord},
        {"CopyShownRecord", "B_RCopy", "Copy3", Qt::ALT | Qt::Key_C,
         &TRecordOperations::CopyShownRecord},
        {"PasteShownRecord", "B_RPaste", "Paste3", Qt::ALT | Qt::Key_T,
         &TRecordOperations::PasteShownRecord},
        {"UndoChanges", "B_RUndo", "Undo3", Qt::ALT | Qt::Key_U, &TRecordOperations::UndoChanges},
        {"PrintShownRecord", "B_RPrint", "Print3", Qt::ALT | Qt::Key_P,
         &TRecordOperations::PrintShownRecord},
    };
    for (const auto& command : shown) {
        define(command.Name, {command.Button, command.Item}, Routed(command.Operation));
        // The key is taken whether or not its button is enabled just now.
        commands.AddKey(QString::fromLatin1(command.Name), QKeySequence(command.Key),
                        command.Button);
    }
    // The row menu's commands work on the record of the row it was opened on.
    const struct {
        const char* Name;
        const char* Item;
        void (TRecordOperations::*Operation)(std::uint32_t);
    } listed[] = {
        {"DeleteListedRecord", "Deleterecord1", &TRecordOperations::DeleteListedRecord},
        {"CopyListedRecord", "CopyRecord1", &TRecordOperations::CopyListedRecord},
        {"PasteListedRecord", "PasteRecord1", &TRecordOperations::PasteListedRecord},
        {"PrintListedRecord", "PrintRecord1", &TRecordOperations::PrintListedRecord},
    };
    for (const auto& command : listed) {
        define(command.Name, {command.Item}, [this, op = command.Operation] {
            (operations_.*op)(menuRecord_);
            AfterCommand();
        });
    }
    connect(&parts.RowMenu, &QMenu::aboutToShow, this, &TRecordCommands::PrepareRowMenu);
    connect(&parts.RightPageMenu, &QMenu::aboutToShow, this,
            &TRecordCommands::PrepareRightPageMenu);
    SetPrintRecord(nullptr);
}

QAbstractButton* TRecordCommands::Button(const char* name) const {
    return parts_.Commands.Button(QString::fromLatin1(name));
}

QAction* TRecordCommands::Action(const char* name) const {
    return parts_.Commands.Item(QString::fromLatin1(name));
}

QMenu* TRecordCommands::Submenu(const char* name) const {
    return Action(name)->menu();
}

std::function<void()> TRecordCommands::Routed(void (TRecordOperations::*op)()) {
    return [this, op] {
        (operations_.*op)();
        AfterCommand();
    };
}

void TRecordCommands::AfterCommand() {
    UpdatePasteCommands();
    parts_.Navigator.FocusCurrentRow();
}

void TRecordCommands::SetPrintRecord(std::function<void(engine::Table&)> print) {
    operations_.PrintRecord = std::move(print);
    const bool enabled = static_cast<bool>(operations_.PrintRecord);
    Button("B_RPrint")->setEnabled(enabled);
    Action("Print3")->setEnabled(enabled);
    Action("PrintRecord1")->setEnabled(enabled);
}

void TRecordCommands::Update() {
    const bool readOnly = settings::ReadOnlyAccess(parts_.Settings);
    const bool locked = readOnly || parts_.RecordPage.RecordInUse();
    Button("B_RCopy")->setEnabled(!readOnly);
    Button("B_New")->setEnabled(!readOnly);
    Action("New1")->setEnabled(!readOnly);
    Button("B_RUndo")->setEnabled(!locked);
    Button("B_RDelete")->setEnabled(!locked);
    UpdatePasteCommands();
}

void TRecordCommands::UpdatePasteCommands() {
    const bool filled = parts_.Database.CopyBufferFilled;
    Action("PasteRecord1")->setEnabled(filled);
    const bool locked =
        settings::ReadOnlyAccess(parts_.Settings) || parts_.RecordPage.RecordInUse();
    Button("B_RPaste")->setEnabled(filled && !locked);
}

bool TRecordCommands::BufferOffered() const {
    return !settings::ReadOnlyAccess(parts_.Settings) && parts_.Database.CopyBufferFilled;
}

void TRecordCommands::FillFieldMenu(QMenu* menu, engine::Table& table) {
    for (const std::string& caption : parts_.Database.FieldValueMenu(table)) {
        menu->addAction(text::FromWindowsText(caption));
    }
}

void TRecordCommands::PrepareRowMenu() {
    const bool readOnly = settings::ReadOnlyAccess(parts_.Settings);
    Action("Deleterecord1")->setEnabled(!readOnly);
    Action("CopyRecord1")->setEnabled(!readOnly);
    Action("PasteRecord1")->setEnabled(BufferOffered());
    QMenu* quickView = Submenu("QuickView1");
    QMenu* buffer = Submenu("ViewBuffer1");
    for (QMenu* menu : {quickView, buffer}) {
        menu->clear();
        menu->menuAction()->setEnabled(false);
    }
    db::TDatabase& database = parts_.Database;
    menuRecord_ =
        static_cast<std::uint32_t>(parts_.Navigator.PageStart() + std::max(leftPage_.MenuRow(), 0));
    database.MoveToRecord(database.DataTable, menuRecord_);
    if (!database.DataTable.atEnd()) {
        FillFieldMenu(quickView, database.DataTable);
        quickView->menuAction()->setEnabled(true);
    }
    if (BufferOffered()) {
        database.CopyTable.first();
        FillFieldMenu(buffer, database.CopyTable);
        buffer->menuAction()->setEnabled(true);
    }
}

void TRecordCommands::PrepareRightPageMenu() {
    const std::pair<const char*, const char*> mirrored[] = {{"Undo3", "B_RUndo"},
                                                            {"Paste3", "B_RPaste"},
                                                            {"Copy3", "B_RCopy"},
                                                            {"Delete3", "B_RDelete"}};
    for (const auto& [item, button] : mirrored) {
        Action(item)->setEnabled(Button(button)->isEnabled());
    }
    QMenu* buffer = Submenu("ViewBuffer3");
    buffer->clear();
    buffer->menuAction()->setEnabled(Button("B_RPaste")->isEnabled());
    if (BufferOffered()) {
        parts_.Database.CopyTable.first();
        FillFieldMenu(buffer, parts_.Database.CopyTable);
    }
}

} // namespace shelfwise::book
