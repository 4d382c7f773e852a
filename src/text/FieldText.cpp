#include "text/FieldText.h"

#include "text/WindowsText.h"

namespace shelfwise::text {

QString FieldText(const engine::Table& table, int position) {
    if (table.field(position).type == 'M') {
        QString lines = FromWindowsText(table.bytes(position));
        return lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    return FromWindowsText(table.text(position)).trimmed();
}

} // namespace shelfwise::text
