#pragma once

#include "book/ColorButton.h"

#include <vector>

namespace shelfwise::book {

// A list row: a colour button that shows texts in columns whose widths are percentages of the
// row.
class TFormatedButton : public TColorButton {
    Q_OBJECT
public:
    struct Column {
        QString Text;
        int Percent = 0;
        bool RightAligned = false;
    };

    using TColorButton::TColorButton;

    void SetColumns(std::vector<Column> columns);
    const std::vector<Column>& Columns() const { return columns_; }
    void SetGap(int gap) { gap_ = gap; }

protected:
    void PaintContents(QPainter& painter, const QRect& area, const QColor& text) override;

private:
    std::vector<Column> columns_;
    int gap_ = 4;
};

} // namespace shelfwise::book
