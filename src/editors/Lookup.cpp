#include "editors/Lookup.h"

#include "settings/Settings.h"
#include "text/FieldText.h"
#include "text/WindowsText.h"

#include <QCollator>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace shelfwise::editors {

QStringList SortedChoices(const std::vector<std::string>& items) {
    QStringList choices;
    choices.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) {
        choices.append(text::FromWindowsText(item));
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Equal but for case, the order stays the same on every load.
    std::ranges::stable_sort(choices, [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return choices;
}

TLookup::TLookup(const QString& source, QWidget* parent) : QComboBox(parent), source_(source) {
    setEditable(true);
    // The list changes only through the table, and completion is the AutoFill option's.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setToolTip(QStringLiteral("Lookup Field - click on the down arrow to see the choices"));
    editing_.emplace(lineEdit(), false);
}

TLookup::~TLookup() {
    // A value typed just before the window closes is not lost from the list. A disabled field
    // (a read-only record) holds nothing the user typed.
    if (!IsRecordReadOnly()) {
        AddWhenNew();
    }
}

void TLookup::OpenList(db::TDatabase& database, const settings::Settings& settings) {
    settings_ = &settings;
    list_.emplace(settings, text::ToWindowsText(source_));
    list_->OpenList(database);
    LoadItems();
}

void TLookup::LoadItems() {
    const QString text = currentText();
    const int caret = lineEdit()->cursorPosition();
    clear();
    if (list_) {
        addItems(SortedChoices(list_->Items()));
    }
    setEditText(text);
    lineEdit()->setCursorPosition(caret);
}

void TLookup::AddCurrentText() {
    const QString text = currentText();
    if (text.isEmpty()) {
        return;
    }
    addItem(text);
    if (list_ && list_->Add(text::ToWindowsText(text))) {
        LoadItems();
        if (twin_ != nullptr) {
            twin_->LoadItems();
        }
    }
}

void TLookup::Read(const engine::Table& table, int position) {
    ShowText(text::FieldText(table, position));
}

void TLookup::Write(engine::Table& table, int position) const {
    WriteText(table, position, currentText());
}

void TLookup::ShowText(const QString& text) {
    setEditText(text);
    lineEdit()->setCursorPosition(0);
}

void TLookup::AddWhenNew() {
    if (findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        AddCurrentText();
    }
}

bool TLookup::Settle() {
    AddWhenNew();
    return true;
}

void TLookup::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason) {
        lineEdit()->setCursorPosition(0);
    }
}

void TLookup::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // The drop-down list and the context menu take the focus without leaving the field.
    if (event->reason() != Qt::PopupFocusReason) {
        hidePopup();
        AddWhenNew();
    }
}

void TLookup::keyPressEvent(QKeyEvent* event) {
    if (!AutoFill(event->text())) {
        QComboBox::keyPressEvent(event);
    }
}

// Completes the text before the caret and the typed character to the first choice that
// begins with them (case counts), selecting the completed part; false without a match.
bool TLookup::AutoFill(const QString& typed) {
    if (settings_ == nullptr || !settings_->AutoFill || typed.size() != 1 ||
        !typed.front().isPrint()) {
        return false;
    }
    QLineEdit* line = lineEdit();
    const int caret = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    const QString prefix = line->text().left(caret) + typed;
    for (int i = 0; i < count(); ++i) {
        const QString item = itemText(i);
        if (item.startsWith(prefix, Qt::CaseSensitive)) {
            setCurrentIndex(i);
            line->setText(item);
            line->setSelection(static_cast<int>(prefix.size()),
                               static_cast<int>(item.size() - prefix.size()));
            return true;
        }
    }
    return false;
}

} // namespace shelfwise::editors
