#pragma once

#include "book/ColorButton.h"
#include "book/LetterTabStack.h"
#include "book/Panel.h"
#include "db/IndexManager.h"
#include "settings/ElementColors.h"

#include <QToolButton>
#include <array>

namespace shelfwise::book {

// The letter bar between (or beside) the pages: the tabs "A".."Z" with a scroll button above and
// below them for windows too low to show every tab.
class TLetterBar : public TPanel {
    Q_OBJECT
public:
    static constexpr int DesignedWidth = 24;

    explicit TLetterBar(QWidget* parent);

    TColorButton* Tab(int letter) const { return tabs_[letter]; }
    QToolButton* ScrollUpButton() const { return scrollUp_; }
    QToolButton* ScrollDownButton() const { return scrollDown_; }
    TPanel* LetterPanel() const { return letters_; }

    // Places the two scroll panels and the letter panel, then the tabs.
    void LayoutLetterTabs();
    void ScrollUp();
    void ScrollDown();

    // Enables every tab, or disables them all.
    void EnableTabs(bool enabled);
    // Colours of every tab by whether its letter holds records.
    void Recolor(const settings::ElementColors& colors, const std::array<int, LetterCount>& counts);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceTabs();

    TPanel* top_;
    TPanel* letters_;
    TPanel* bottom_;
    QToolButton* scrollUp_;
    QToolButton* scrollDown_;
    std::array<TColorButton*, LetterCount> tabs_{};
    LetterTabStack stack_;
};

// The index manager's record count of every letter, "A" first.
std::array<int, LetterCount> LetterCounts(const db::TIndex& index);

} // namespace shelfwise::book
