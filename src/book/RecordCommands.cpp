#include "book/RecordCommands.h"

#include "book/BookWindow.h"
#include "book/LeftPage.h"
#include "book/RecordPage.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QAbstractButton>
#include <QMenu>
#include <QShortcut>

namespace shelfwise::book {

TRecordCommands::TRecordCommands(TBookWindow& window)
    : QObject(&window), window_(window), operations_(window) {
    // A new record keeps the focus in its first editor; the other commands give it back to
    // the current row.
    const auto newRecord = [this] { operations_.NewRecord(); };
    ConnectCommand({"New1", "B_New"}, newRecord);
    ConnectCommand({"B_RDelete", "Delete3"}, Routed(&TRecordOperations::DeleteShownRecord));
    ConnectCommand({"B_RCopy", "Copy3"}, Routed(&TRecordOperations::CopyShownRecord));
    ConnectCommand({"B_RPaste", "Paste3"}, Routed(&TRecordOperations::PasteShownRecord));
    ConnectCommand({"B_RUndo", "Undo3"}, Routed(&TRecordOperations::UndoChanges));
    ConnectCommand({"B_RPrint", "Print3"}, Routed(&TRecordOperations::PrintShownRecord));
    const std::pair<const char*, void (TRecordOperations::*)(std::uint32_t)> listed[] = {
        {"Deleterecord1", &TRecordOperations::DeleteListedRecord},
        {"CopyRecord1", &TRecordOperations::CopyListedRecord},
        {"PasteRecord1", &TRecordOperations::PasteListedRecord},
        {"PrintRecord1", &TRecordOperations::PrintListedRecord},
    };
    for (const auto& [name, op] : listed) {
        // Captured by copy: clang 14 cannot capture a structured binding.
        ConnectCommand({name}, [this, op = op] {
            (operations_.*op)(menuRecord_);
            AfterCommand();
        });
    }
    auto* newKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), &window_);
    connect(newKey, &QShortcut::activated, this, newRecord);
    const std::pair<QKeyCombination, const char*> keys[] = {
        {Qt::ALT | Qt::Key_Delete, "B_RDelete"}, {Qt::ALT | Qt::Key_C, "B_RCopy"},
        {Qt::ALT | Qt::Key_T, "B_RPaste"},       {Qt::ALT | Qt::Key_U, "B_RUndo"},
        {Qt::ALT | Qt::Key_P, "B_RPrint"},
    };
    for (const auto& [key, name] : keys) {
        // The key is taken whether or not its button is enabled just now.
        auto* shortcut = new QShortcut(QKeySequence(key), &window_);
        // Captured by copy: clang 14 cannot capture a structured binding.
        connect(shortcut, &QShortcut::activated, this, [this, name = name] {
            if (QAbstractButton* button = Button(name); button->isEnabled()) {
                button->click();
            }
        });
    }
    connect(window_.Menus().RowMenu(), &QMenu::aboutToShow, this, &TRecordCommands::PrepareRowMenu);
    connect(window_.Menus().RightPageMenu(), &QMenu::aboutToShow, this,
            &TRecordCommands::PrepareRightPageMenu);
    SetPrintRecord(nullptr);
}

QAbstractButton* TRecordCommands::Button(const char* name) const {
    return window_.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

QAction* TRecordCommands::Action(const char* name) const {
    return window_.Menus().Action(QString::fromLatin1(name));
}

QMenu* TRecordCommands::Submenu(const char* name) const {
    return window_.findChild<QMenu*>(QString::fromLatin1(name));
}

std::function<void()> TRecordCommands::Routed(void (TRecordOperations::*op)()) {
    return [this, op] {
        (operations_.*op)();
        AfterCommand();
    };
}

void TRecordCommands::ConnectCommand(std::initializer_list<const char*> names,
                                     const std::function<void()>& command) {
    for (const char* name : names) {
        if (QAbstractButton* button = Button(name)) {
            connect(button, &QAbstractButton::clicked, this, command);
        } else {
            connect(Action(name), &QAction::triggered, this, command);
        }
    }
}

void TRecordCommands::AfterCommand() {
    UpdatePasteCommands();
    window_.LeftPage()->FocusRow(window_.CurrentRow());
}

void TRecordCommands::SetPrintRecord(std::function<void(engine::Table&)> print) {
    operations_.PrintRecord = std::move(print);
    const bool enabled = static_cast<bool>(operations_.PrintRecord);
    Button("B_RPrint")->setEnabled(enabled);
    Action("Print3")->setEnabled(enabled);
    Action("PrintRecord1")->setEnabled(enabled);
}

void TRecordCommands::Update() {
    const bool readOnly = settings::ReadOnlyAccess(window_.Settings());
    const bool locked = readOnly || window_.RecordPage()->RecordInUse();
    Button("B_RCopy")->setEnabled(!readOnly);
    Button("B_New")->setEnabled(!readOnly);
    Action("New1")->setEnabled(!readOnly);
    Button("B_RUndo")->setEnabled(!locked);
    Button("B_RDelete")->setEnabled(!locked);
    UpdatePasteCommands();
}

void TRecordCommands::UpdatePasteCommands() {
    const bool filled = window_.Database().CopyBufferFilled;
    Action("PasteRecord1")->setEnabled(filled);
    const bool locked =
        settings::ReadOnlyAccess(window_.Settings()) || window_.RecordPage()->RecordInUse();
    Button("B_RPaste")->setEnabled(filled && !locked);
}

bool TRecordCommands::BufferOffered() const {
    return !settings::ReadOnlyAccess(window_.Settings()) && window_.Database().CopyBufferFilled;
}

void TRecordCommands::FillFieldMenu(QMenu* menu, engine::Table& table) {
    for (const std::string& caption : window_.Database().FieldValueMenu(table)) {
        menu->addAction(text::FromWindowsText(caption));
    }
}

void TRecordCommands::PrepareRowMenu() {
    const bool readOnly = settings::ReadOnlyAccess(window_.Settings());
    Action("Deleterecord1")->setEnabled(!readOnly);
    Action("CopyRecord1")->setEnabled(!readOnly);
    Action("PasteRecord1")->setEnabled(BufferOffered());
    QMenu* quickView = Submenu("QuickView1");
    QMenu* buffer = Submenu("ViewBuffer1");
    for (QMenu* menu : {quickView, buffer}) {
        menu->clear();
        menu->menuAction()->setEnabled(false);
    }
    db::TDatabase& database = window_.Database();
    menuRecord_ = static_cast<std::uint32_t>(window_.PageStart() +
                                             std::max(window_.LeftPage()->MenuRow(), 0));
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
        window_.Database().CopyTable.first();
        FillFieldMenu(buffer, window_.Database().CopyTable);
    }
}

} // namespace shelfwise::book
