#include "editors/FieldEditor.h"

#include "db/RecordSchema.h"
#include "engine/Table.h"
#include "settings/Settings.h"
#include "text/NumberText.h"
#include "text/WindowsText.h"

#include <QWidget>

namespace shelfwise::editors {

void TFieldEditor::SetRecordReadOnly(bool readOnly) {
    Widget()->setEnabled(!readOnly);
}

bool TFieldEditor::IsRecordReadOnly() const {
    return !Widget()->isEnabled();
}

settings::FontRecord* TFieldEditor::FontOption(settings::Settings& settings) const {
    return &settings.OneLineFieldFont;
}

std::optional<EditorColors> TFieldEditor::Colors() const {
    return EditorColors{settings::Element::TextFieldText, settings::Element::TextFieldBackground};
}

void TFieldEditor::WriteText(engine::Table& table, int position, const QString& text) {
    const char type = table.field(position).type;
    if (type == 'M') {
        QString lines = text;
        table.setBytes(position, text::ToWindowsText(lines.replace('\n', QLatin1String("\r\n"))));
    } else if (db::IsNumericType(type)) {
        table.setNumber(position, text::ReadLocaleNumber(text));
    } else {
        table.setText(position, text::ToWindowsText(text.left(MaxFieldText)));
    }
}

} // namespace shelfwise::editors
