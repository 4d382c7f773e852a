#include "book/FormatedButton.h"

#include <QPainter>
#include <algorithm>

namespace shelfwise::book {

void TFormatedButton::SetColumns(std::vector<Column> columns) {
    columns_ = std::move(columns);
    update();
}

void TFormatedButton::PaintContents(QPainter& painter, const QRect& area, const QColor& text) {
    painter.setPen(text);
    painter.setFont(font());
    const int count = static_cast<int>(columns_.size());
    const int available = width() - count * gap_ - 8;
    int x = area.left() + 5;
    for (int i = 0; i < count; ++i) {
        const Column& column = columns_[i];
        if (i > 0) {
            x += gap_;
        }
        const int percent = column.Percent > 100 ? 0 : column.Percent;
        const int columnWidth = percent * available / 100;
        const int right = std::min(x + columnWidth, width() - 6);
        const QRect cell(x, area.top(), std::max(0, right - x), area.height());
        QString shown = column.RightAligned ? column.Text + ' ' : column.Text;
        while (!shown.isEmpty() && painter.fontMetrics().horizontalAdvance(shown) > cell.width()) {
            shown.chop(1);
        }
        painter.drawText(
            cell, Qt::AlignVCenter | (column.RightAligned ? Qt::AlignRight : Qt::AlignLeft), shown);
        x += columnWidth;
    }
}

} // namespace shelfwise::book
