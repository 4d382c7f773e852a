#include "book/LeftPage.h"

#include "book/Colors.h"
#include "book/Glyphs.h"

#include <QApplication>
#include <QMenu>

namespace shelfwise::book {

namespace {

constexpr int PagingButtonWidth = 62;
constexpr int PagingButtonHeight = 27;
constexpr int RowGap = 2;

THotBtn* PagingButton(const char* name, const char* caption, const char* hint, Glyph glyph,
                      QWidget* parent) {
    auto* button = new THotBtn(QString::fromLatin1(name), QString::fromLatin1(caption),
                               GlyphIcon(glyph), parent);
    button->setToolTip(QString::fromLatin1(hint));
    button->setIconSize(QSize(16, 16));
    button->resize(PagingButtonWidth, PagingButtonHeight);
    return button;
}

BarButton Bar(const QWidget* button) {
    return {button->x(), button->width(), button->height()};
}

} // namespace

TLeftPage::TLeftPage(QWidget* parent, const std::vector<std::string>& fieldLabels)
    : TPanel(QStringLiteral("Panel1"), parent, TPanel::Bevel::Lowered) {
    SetSpine(Spine::Right);
    sortButton_ = new TSortButton(this);
    sortButton_->setGeometry(5, 3, 316, 20);
    header_ = new TQuorvanHeader(this, fieldLabels);
    header_->setGeometry(5, 25, 316, 20);
    connect(header_, &TQuorvanHeader::HChange, this, [this] {
        RebuildColumns();
        emit ColumnsChanged();
    });

    pagingBar_ = new TPanel(QStringLiteral("Panel6"), this);
    first_ =
        PagingButton("B_First", "First", "GoTo First Page [Ctrl+Home]", Glyph::First, pagingBar_);
    pgUp_ =
        PagingButton("B_PgUp", "PgUp", "GoTo Previous Page [Ctrl+PgUp]", Glyph::PageUp, pagingBar_);
    sponsor_ = new QToolButton(pagingBar_);
    sponsor_->setObjectName(QStringLiteral("SponsorBtn"));
    sponsor_->setToolTip(QStringLiteral("Click to visit Quorvan home page"));
    sponsor_->setContextMenuPolicy(Qt::PreventContextMenu);
    sponsor_->setIcon(GlyphIcon(Glyph::Sponsor));
    sponsor_->setIconSize(QSize(20, 20));
    sponsor_->setAutoRaise(true);
    sponsor_->resize(PagingButtonHeight, PagingButtonHeight);
    pgDn_ =
        PagingButton("B_PgDn", "PgDn", "GoTo Next Page [Ctrl+PgDn]", Glyph::PageDown, pagingBar_);
    last_ = PagingButton("B_Last", "Last", "GoTo Last Page [Ctrl+End]", Glyph::Last, pagingBar_);
    paging_ = {Bar(first_), Bar(pgUp_), Bar(sponsor_), Bar(pgDn_), Bar(last_)};
    resize(326, 400);
}

TFormatedButton* TLeftPage::AddRow(int index) {
    auto* row = new TFormatedButton(QStringLiteral("Row%1").arg(index), this);
    row->setFont(rowFont_);
    row->setToolTip(QStringLiteral("Left Click - Details; Right Click - Menu"));
    row->setProperty("tag", index);
    row->SetStayDown(true);
    row->SetGap(0);
    ColorRow(row);
    row->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(row, &QWidget::customContextMenuRequested, this, [this, row, index](const QPoint& at) {
        if (rowMenu_) {
            menuRow_ = index;
            rowMenu_->popup(row->mapToGlobal(at));
        }
    });
    const int top = header_->y() + header_->height() + index * (rowHeight_ + RowGap) + 8;
    row->setGeometry(4, top, width() - 8, rowHeight_);
    row->SetColumns(HeaderColumns());
    connect(row, &QAbstractButton::clicked, this, [this, index] { emit RowClicked(index); });
    row->show();
    rows_.push_back(row);
    return row;
}

void TLeftPage::CreateRows(const QFont& font) {
    qDeleteAll(rows_);
    rows_.clear();
    rowFont_ = font;
    const QFontMetrics metrics(font);
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    rowHeight_ = 4 + metrics.height() + std::min(metrics.height(), systemHeight) / 4;
    AddRow(0);
    for (int i = 1; i < RowsPerPage(); ++i) {
        AddRow(i);
    }
}

int TLeftPage::RowsPerPage() const {
    if (rows_.empty()) {
        return 1;
    }
    return std::max(1, (height() - rows_.front()->y() - PagingBarHeight) / (rowHeight_ + RowGap));
}

bool TLeftPage::LayoutRows() {
    const int count = RowsPerPage();
    bool changed = static_cast<int>(rows_.size()) != count;
    while (static_cast<int>(rows_.size()) > count) {
        delete rows_.back();
        rows_.pop_back();
    }
    while (static_cast<int>(rows_.size()) < count) {
        AddRow(static_cast<int>(rows_.size()));
    }
    const int listWidth = width() - 10;
    sortButton_->resize(listWidth, sortButton_->height());
    header_->resize(listWidth, header_->height());
    for (auto* row : rows_) {
        row->resize(listWidth, row->height());
    }
    if (listWidth != listWidth_) {
        listWidth_ = listWidth;
        RebuildColumns();
        changed = true;
    }
    LayoutPagingBar();
    return changed;
}

void TLeftPage::ShowTexts(const PageTexts& page) {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        std::vector<TFormatedButton::Column> columns = HeaderColumns();
        if (r < page.Rows.size()) {
            for (std::size_t c = 0; c < columns.size() && c < page.Rows[r].size(); ++c) {
                columns[c].Text = page.Rows[r][c].Text;
                columns[c].RightAligned = page.Rows[r][c].RightAligned;
            }
        }
        rows_[r]->SetColumns(std::move(columns));
    }
}

void TLeftPage::ClearRows() {
    ShowTexts({});
}

void TLeftPage::SelectRow(int row) {
    if (ValidRow(row)) {
        rows_[static_cast<std::size_t>(row)]->SetSelected(true);
        return;
    }
    for (auto* button : rows_) {
        button->SetSelected(false);
    }
}

void TLeftPage::FocusRow(int row) {
    if (!rows_.empty()) {
        rows_[static_cast<std::size_t>(ValidRow(row) ? row : 0)]->setFocus();
    }
}

void TLeftPage::RebuildColumns() {
    for (auto* row : rows_) {
        row->SetColumns(HeaderColumns());
    }
}

void TLeftPage::LayoutPagingBar() {
    pagingBar_->setGeometry(1, height() - PagingBarHeight - 1, width() - 2, PagingBarHeight);
    book::LayoutPagingBar(paging_, pagingBar_->width());
    const int top = (PagingBarHeight - PagingButtonHeight) / 2;
    const std::pair<QWidget*, const BarButton*> placed[] = {{first_, &paging_.First},
                                                            {pgUp_, &paging_.PgUp},
                                                            {sponsor_, &paging_.Sponsor},
                                                            {pgDn_, &paging_.PgDn},
                                                            {last_, &paging_.Last}};
    for (const auto& [widget, bar] : placed) {
        widget->setGeometry(bar->Left, top, bar->Width, bar->Height);
    }
    for (auto* button : {first_, pgUp_, pgDn_, last_}) {
        button->ShowCaption(!paging_.First.Compacted());
    }
}

std::vector<TFormatedButton::Column> TLeftPage::HeaderColumns() const {
    std::vector<TFormatedButton::Column> columns;
    for (int i = 0; i < header_->count(); ++i) {
        columns.push_back({QString(), header_->ColumnPercent(i), false});
    }
    return columns;
}

void TLeftPage::ColorRow(TFormatedButton* row) const {
    using settings::Element;
    row->SetColors(ElementColor(rowColors_, Element::RowText),
                   ElementColor(rowColors_, Element::RowBackground));
    row->SetSelectedColors(ElementColor(rowColors_, Element::SelectedRowText),
                           ElementColor(rowColors_, Element::SelectedRowBackground));
}

void TLeftPage::SetRowColors(const settings::ElementColors& colors) {
    rowColors_ = colors;
    for (auto* row : rows_) {
        ColorRow(row);
    }
}

} // namespace shelfwise::book
