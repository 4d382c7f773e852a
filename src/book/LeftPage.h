#pragma once

#include "book/ButtonRowLayout.h"
#include "book/FormatedButton.h"
#include "book/HotButton.h"
#include "book/ListHeader.h"
#include "book/Panel.h"
#include "book/SortButton.h"
#include "settings/ElementColors.h"

#include <QFont>
#include <vector>

class QMenu;

namespace shelfwise::book {

// The left page: the sort button, the list header, the rows of the list and the paging bar.
class TLeftPage : public TPanel {
    Q_OBJECT
public:
    static constexpr int PagingBarHeight = 35;

    explicit TLeftPage(QWidget* parent);

    TSortButton* SortButton() const { return sortButton_; }
    TQuorvanHeader* Header() const { return header_; }
    TPanel* PagingBar() const { return pagingBar_; }
    const std::vector<TFormatedButton*>& RowButtons() const { return rows_; }

    // Frees every row and creates them anew in `font`; the row height follows the font.
    void CreateRows(const QFont& font);
    // As many rows as fit the page, the list's width, then the paging bar.
    void LayoutRows();
    int RowsPerPage() const;

    void SetRowColors(const settings::ElementColors& colors);
    void SetRowMenu(QMenu* menu) { rowMenu_ = menu; }

private:
    TFormatedButton* AddRow(int index);
    void RebuildColumns();
    std::vector<TFormatedButton::Column> HeaderColumns() const;
    void ColorRow(TFormatedButton* row) const;
    void LayoutPagingBar();

    TSortButton* sortButton_;
    TQuorvanHeader* header_;
    TPanel* pagingBar_;
    book::PagingBar paging_;
    THotBtn* first_;
    THotBtn* pgUp_;
    QToolButton* sponsor_;
    THotBtn* pgDn_;
    THotBtn* last_;
    std::vector<TFormatedButton*> rows_;
    QFont rowFont_;
    int rowHeight_ = 0;
    int listWidth_ = -1;
    settings::ElementColors rowColors_;
    QMenu* rowMenu_ = nullptr;
};

} // namespace shelfwise::book
