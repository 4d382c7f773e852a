#include "book/TemplateDate.h"

#include "book/DateEdit.h"

#include <QDate>

namespace shelfwise::book {

void ShowTemplateDate(const FieldEditor& editor, const engine::Table& table, int position) {
    auto* date = qobject_cast<TDateEdit*>(editor.Widget);
    if (date == nullptr || table.field(position).type != 'D' ||
        table.date(position) != TemplateDateMarker) {
        return;
    }
    const QDate today = QDate::currentDate();
    date->SetDate(std::chrono::year_month_day{std::chrono::year(today.year()),
                                              std::chrono::month(today.month()),
                                              std::chrono::day(today.day())});
}

} // namespace shelfwise::book
