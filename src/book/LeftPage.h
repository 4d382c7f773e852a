#pragma once

#include "book/ButtonRowLayout.h"
#include "book/FormatedButton.h"
#include "book/HotButton.h"
#include "book/ListHeader.h"
#include "book/PageReader.h"
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

    TLeftPage(QWidget* parent, const std::vector<std::string>& fieldLabels);

    TSortButton* SortButton() const { return sortButton_; }
    TQuorvanHeader* Header() const { return header_; }
    TPanel* PagingBar() const { return pagingBar_; }
    const std::vector<TFormatedButton*>& RowButtons() const { return rows_; }

    // Frees every row and creates them anew in `font`; the row height follows the font.
    void CreateRows(const QFont& font);
    // As many rows as fit the page, the list's width, then the paging bar. True when rows came
    // or went or got new columns, so their texts are gone.
    bool LayoutRows();
    // The texts of a page; rows beyond it are emptied.
    void ShowTexts(const PageTexts& page);
    void ClearRows();
    // Selects the row (deselecting the one before); -1 selects none.
    void SelectRow(int row);
    void FocusRow(int row);
    int RowsPerPage() const;

    void SetRowColors(const settings::ElementColors& colors);
    void SetRowMenu(QMenu* menu) { rowMenu_ = menu; }
    // The row the row menu was last opened on.
    int MenuRow() const { return menuRow_; }

signals:
    void RowClicked(int row);
    // The rows got new columns from the header; their texts are gone.
    void ColumnsChanged();

private:
    TFormatedButton* AddRow(int index);
    void RebuildColumns();
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
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
    int menuRow_ = -1;
};

} // namespace shelfwise::book
