#include "book/SortButton.h"

#include "book/Glyphs.h"

namespace shelfwise::book {

namespace {

const char* const FilterCaptions[] = {"All Records", "Normal Filter", "Reversed Filter"};

} // namespace

TSortButton::TSortButton(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SortButton1"));
    const char* hints[] = {
        "[Primary Sort Field]: Left Click - Sort Options; Right Click - Menu",
        "[Secondary Sort Field]: Left Click - Sort Options; Right Click - Menu",
        "Left Click - Set Filter;  Right Click - Menu",
    };
    const char* names[] = {"SortPart1", "SortPart2", "FilterPart"};
    for (int i = 0; i < 3; ++i) {
        parts_[i] = new QToolButton(this);
        parts_[i]->setObjectName(QString::fromLatin1(names[i]));
        parts_[i]->setFocusPolicy(Qt::NoFocus);
        parts_[i]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        parts_[i]->setIconSize(QSize(12, 12));
        parts_[i]->setToolTip(QString::fromLatin1(hints[i]));
    }
    parts_[2]->setIcon(GlyphIcon(Glyph::Filter));
    SetSortCaptions(QStringLiteral("Entry Order"), QStringLiteral("NONE"), false, false);
    parts_[2]->setText(QString::fromLatin1(FilterCaptions[fsFilterOff]));
    resize(316, 20);
}

void TSortButton::SetSortCaptions(const QString& label1, const QString& label2, bool isDown2,
                                  bool isDown1) {
    parts_[0]->setText(label1);
    parts_[1]->setText(label2);
    parts_[0]->setIcon(GlyphIcon(isDown1 ? Glyph::SortDescending : Glyph::SortAscending));
    parts_[1]->setIcon(GlyphIcon(isDown2 ? Glyph::SortDescending : Glyph::SortAscending));
}

void TSortButton::SetFilterState(FilterState state) {
    filterState_ = state;
    parts_[2]->setText(QString::fromLatin1(FilterCaptions[state]));
}

void TSortButton::resizeEvent(QResizeEvent*) {
    const int third = width() / 3;
    parts_[0]->setGeometry(0, 0, third, height());
    parts_[1]->setGeometry(third, 0, third, height());
    parts_[2]->setGeometry(2 * third, 0, width() - 2 * third, height());
}

} // namespace shelfwise::book
