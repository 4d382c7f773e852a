#pragma once

#include <QToolButton>
#include <QWidget>

namespace shelfwise::book {

// The sort button above the list: the primary sort field, the secondary one and the filter
// state, each a part that never takes the focus.
class TSortButton : public QWidget {
    Q_OBJECT
public:
    enum FilterState { fsFilterOff = 0, fsNormal = 1, fsReversed = 2 };

    explicit TSortButton(QWidget* parent);

    // Captions of the two sort parts; the arrows show the directions.
    void SetSortCaptions(const QString& label1, const QString& label2, bool isDown2, bool isDown1);
    void SetFilterState(FilterState state);
    FilterState Filter() const { return filterState_; }

    QToolButton* PrimaryPart() const { return parts_[0]; }
    QToolButton* SecondaryPart() const { return parts_[1]; }
    QToolButton* FilterPart() const { return parts_[2]; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* parts_[3];
    FilterState filterState_ = fsFilterOff;
};

} // namespace shelfwise::book
