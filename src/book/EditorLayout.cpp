#include "book/EditorLayout.h"

#include <algorithm>
#include <cstdlib>

namespace shelfwise::book {

namespace {

using Kind = LayoutItem::Kind;

// Every kind but multi-line editors and pictures sits in rows of single-line height.
bool IsText(const LayoutItem& item) {
    return item.Type != Kind::MultiLine && item.Type != Kind::Picture;
}

void MoveLabel(LayoutItem& item, int dx, int dy) {
    if (!item.Label.isEmpty()) {
        item.Label.translate(dx, dy);
    }
}

// The group [first, last) of the page's items.
void StretchGroupVertically(std::vector<LayoutItem>& items, std::size_t first, std::size_t last,
                            int dy, int pageHeight) {
    int bottom = 0;
    int multiLines = 0;
    int minHeight = 0;
    for (std::size_t i = first; i < last; ++i) {
        bottom = std::max(bottom, items[i].Editor.bottom() + 1 + 8);
        multiLines += items[i].Type == Kind::MultiLine ? 1 : 0;
        if (minHeight == 0 && IsText(items[i])) {
            minHeight = items[i].Editor.height();
        }
    }
    minHeight = minHeight == 0 ? 24 : minHeight;
    const int free = pageHeight - bottom;
    int change = dy <= -std::abs(free) ? dy : free;
    const bool alone = last - first == 1;
    if (multiLines > 1) {
        change /= multiLines;
    }
    int shift = 0;
    for (std::size_t i = first; i < last; ++i) {
        LayoutItem& item = items[i];
        MoveLabel(item, 0, shift);
        if (item.Type == Kind::MultiLine) {
            const int grow = std::max(change, minHeight - item.Editor.height());
            item.Editor.translate(0, shift);
            item.Editor.setHeight(item.Editor.height() + grow);
            shift += grow;
        } else if (item.Type == Kind::Picture && alone) {
            item.Editor.setHeight(std::max(minHeight, item.Editor.height() + change));
        } else if (item.Type == Kind::Picture && i > first) {
            item.Editor.setBottom(items[i - 1].Editor.bottom());
        } else {
            item.Editor.translate(0, shift);
        }
    }
}

void StretchGroupHorizontally(std::vector<LayoutItem>& items, std::size_t first, std::size_t last,
                              int dx) {
    const bool alone = last - first == 1;
    for (std::size_t i = first; i < last; ++i) {
        LayoutItem& item = items[i];
        if (item.Type == Kind::MultiLine) {
            item.Editor.setWidth(item.Editor.width() + dx);
        } else if (item.Type == Kind::Picture) {
            if (alone) {
                item.Editor.setWidth(item.Editor.width() + dx);
            } else if (item.Editor.left() >= 41) {
                item.Editor.translate(dx, 0);
                MoveLabel(item, dx, 0);
            }
        } else if (i + 1 < last && std::abs(items[i + 1].Editor.top() - item.Editor.top()) <=
                                       TEditorLayout::SameRow) {
            // The next editor of the row splits the change.
        } else if (i > first && std::abs(items[i - 1].Editor.top() - item.Editor.top()) <=
                                    TEditorLayout::SameRow) {
            const int half = dx / 2;
            items[i - 1].Editor.setWidth(items[i - 1].Editor.width() + half);
            item.Editor.translate(half, 0);
            MoveLabel(item, half, 0);
            item.Editor.setWidth(item.Editor.width() + dx - half);
        } else {
            item.Editor.setWidth(item.Editor.width() + dx);
        }
    }
}

} // namespace

void TEditorLayout::Stretch(std::vector<LayoutItem>& items, int dx, int dy, int pageHeight) {
    for (std::size_t first = 0; first < items.size();) {
        std::size_t last = first + 1;
        while (last < items.size() && items[last].Page == items[first].Page) {
            ++last;
        }
        StretchGroupVertically(items, first, last, dy, pageHeight);
        if (dx != 0) {
            StretchGroupHorizontally(items, first, last, dx);
        }
        first = last;
    }
}

void TEditorLayout::Reflow(std::vector<LayoutItem>& items, int oldHeight, int newHeight) {
    const std::vector<LayoutItem> original = items;
    std::vector<int> applied(items.size(), 0);
    int shift = 0;
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0 && items[i].Page != items[i - 1].Page) {
            shift = 0;
            groupStart = i;
        }
        applied[i] = shift;
        items[i].Editor.translate(0, shift);
        MoveLabel(items[i], 0, shift);
        if (IsText(items[i])) {
            items[i].Editor.setHeight(newHeight);
        }
        if (i + 1 >= items.size() || items[i + 1].Page != items[i].Page) {
            continue;
        }
        const int nextTop = original[i + 1].Editor.top();
        const int top = original[i].Editor.top();
        if (nextTop < top) {
            // A new column: rows start again from the shift of the column's first row.
            std::size_t j = i;
            while (j > groupStart && original[j - 1].Editor.top() + SameRow >= nextTop) {
                --j;
            }
            shift = applied[j];
        } else if (nextTop > top + SameRow && IsText(original[i])) {
            shift += newHeight - oldHeight;
        }
    }
}

} // namespace shelfwise::book
