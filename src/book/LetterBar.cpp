#include "book/LetterBar.h"

#include "book/Colors.h"
#include "book/Glyphs.h"

namespace shelfwise::book {

namespace {

constexpr int DesignedTabHeight = 14;
constexpr int ScrollUpHeight = 20;
constexpr int ScrollDownHeight = 22;

std::array<int, LetterCount> DesignedHeights() {
    std::array<int, LetterCount> heights;
    heights.fill(DesignedTabHeight);
    return heights;
}

QToolButton* ScrollButton(const QString& name, const QString& hint, Glyph glyph, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(GlyphIcon(glyph));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TLetterBar::TLetterBar(QWidget* parent)
    : TPanel(QStringLiteral("Panel7"), parent), stack_(DesignedHeights()) {
    SetSpine(Spine::Binding);
    top_ = new TPanel(QStringLiteral("Panel9"), this);
    letters_ = new TPanel(QStringLiteral("Panel5"), this);
    letters_->setToolTip(QStringLiteral("If Letter Tabs are disabled select Primary Sort Field"));
    bottom_ = new TPanel(QStringLiteral("Panel8"), this);
    for (TPanel* panel : {top_, letters_, bottom_}) {
        panel->SetSpine(Spine::Binding);
    }
    scrollUp_ = ScrollButton(QStringLiteral("SpeedButton2"), QStringLiteral("Scroll Letter Bar Up"),
                             Glyph::ScrollUp, top_);
    scrollDown_ =
        ScrollButton(QStringLiteral("SpeedButton1"), QStringLiteral("Scroll Letter Bar Down"),
                     Glyph::ScrollDown, bottom_);
    connect(scrollUp_, &QToolButton::clicked, this, &TLetterBar::ScrollUp);
    connect(scrollDown_, &QToolButton::clicked, this, &TLetterBar::ScrollDown);
    for (int i = 0; i < LetterCount; ++i) {
        const QChar letter(u'A' + i);
        auto* tab = new TColorButton(QStringLiteral("ColorButton%1").arg(i + 1), letters_);
        tab->setText(letter);
        tab->setToolTip(QStringLiteral("Jump to Page beginning with %1").arg(letter));
        tab->SetStayDown(true);
        tab->SetRounded(true);
        tab->setFocusPolicy(Qt::NoFocus);
        QFont font = tab->font();
        font.setPixelSize(10);
        font.setBold(true);
        tab->setFont(font);
        tab->setGeometry(0, stack_.Top(i), DesignedWidth, stack_.Height(i));
        tabs_[i] = tab;
    }
    resize(DesignedWidth, 400);
}

void TLetterBar::resizeEvent(QResizeEvent*) {
    LayoutLetterTabs();
}

void TLetterBar::LayoutLetterTabs() {
    top_->setGeometry(0, 0, width(), ScrollUpHeight);
    bottom_->setGeometry(0, height() - ScrollDownHeight, width(), ScrollDownHeight);
    letters_->setGeometry(0, ScrollUpHeight, width(),
                          std::max(0, height() - ScrollUpHeight - ScrollDownHeight));
    scrollUp_->setGeometry(top_->rect().adjusted(1, 1, -1, -1));
    scrollDown_->setGeometry(bottom_->rect().adjusted(1, 1, -1, -1));
    stack_.Layout(letters_->height());
    PlaceTabs();
}

void TLetterBar::ScrollUp() {
    stack_.ScrollUp();
    PlaceTabs();
}

void TLetterBar::ScrollDown() {
    stack_.ScrollDown();
    PlaceTabs();
}

void TLetterBar::PlaceTabs() {
    for (int i = 0; i < LetterCount; ++i) {
        tabs_[i]->setGeometry(0, stack_.Top(i), letters_->width(), stack_.Height(i));
    }
    scrollUp_->setEnabled(stack_.CanScrollUp());
    scrollDown_->setEnabled(stack_.CanScrollDown());
}

void TLetterBar::EnableTabs(bool enabled) {
    for (auto* tab : tabs_) {
        tab->setEnabled(enabled);
    }
}

void TLetterBar::Recolor(const settings::ElementColors& colors,
                         const std::array<int, LetterCount>& counts) {
    using settings::Element;
    for (int i = 0; i < LetterCount; ++i) {
        const bool filled = counts[i] > 0;
        tabs_[i]->SetColors(
            ElementColor(colors, filled ? Element::FilledTabText : Element::EmptyTabText),
            ElementColor(colors,
                         filled ? Element::FilledTabBackground : Element::EmptyTabBackground));
        tabs_[i]->SetSelectedColors(ElementColor(colors, Element::SelectedTabText),
                                    ElementColor(colors, Element::SelectedTabBackground));
    }
}

std::array<int, LetterCount> LetterCounts(const db::TIndex& index) {
    std::array<int, LetterCount> counts{};
    for (int i = 0; i < LetterCount; ++i) {
        counts[i] = index.LetterCount(static_cast<char>('A' + i));
    }
    return counts;
}

} // namespace shelfwise::book
