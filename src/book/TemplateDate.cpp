#include "book/TemplateDate.h"

#include "book/DateEdit.h"
#include "text/DateText.h"

#include <QDate>

namespace shelfwise::book {

void ShowTemplateDate(const FieldEditor& editor, const engine::Table& table, int position) {
    auto* date = qobject_cast<TDateEdit*>(editor.Widget);
    if (date == nullptr || table.field(position).type != 'D' ||
        table.date(position) != TemplateDateMarker) {
        return;
    }
    date->SetDate(text::FromQDate(QDate::currentDate()));
}

} // namespace shelfwise::book
