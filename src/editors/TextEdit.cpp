#include "editors/TextEdit.h"

#include "settings/Settings.h"
#include "text/FieldText.h"

namespace shelfwise::editors {

TButtonTextEdit::TButtonTextEdit(QWidget* parent, const QString& buttonHint, const QString& hint)
    : TLineField(parent) {
    SetButtonHint(buttonHint);
    setToolTip(hint);
}

TMemoEdit::TMemoEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

void TMemoEdit::Read(const engine::Table& table, int position) {
    setPlainText(text::FieldText(table, position));
}

void TMemoEdit::Write(engine::Table& table, int position) const {
    WriteText(table, position, toPlainText());
}

settings::FontRecord* TMemoEdit::FontOption(settings::Settings& settings) const {
    return &settings.MultiLineFieldFont;
}

std::optional<EditorColors> TMemoEdit::Colors() const {
    return EditorColors{settings::Element::MultiLineText, settings::Element::MultiLineBackground};
}

void TMemoEdit::ShowFound(int offset, int length) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(offset);
    cursor.setPosition(offset + length, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

} // namespace shelfwise::editors
