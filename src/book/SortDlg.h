#pragma once

#include "db/RecordSchema.h"
#include "db/SortKey.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QRadioButton;

namespace shelfwise::book {

// "Sort Options": the primary and secondary sort field with their directions. The choices
// stay consistent while they change: no secondary field with entry order or equal to the
// primary one, and two text fields share the primary's direction.
class TSortDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 22;

    TSortDlg(const std::vector<std::string>& labels, const db::TFieldClasses& fields,
             const db::SortValues& sort, QWidget* parent = nullptr);

    // The sort the choices make (read after OK).
    db::SortValues Chosen() const;

    QComboBox* SortBox() const { return sort_; }
    QComboBox* Sort2Box() const { return sort2_; }
    QGroupBox* OrderBox() const { return order_; }
    QGroupBox* Order2Box() const { return order2_; }
    // The "Descending" choice of a direction box.
    static QRadioButton* DescendingOf(const QGroupBox* box);

private:
    int PositionOf(const QComboBox* box) const;
    void KeepConsistent();

    const std::vector<std::string>& labels_;
    const db::TFieldClasses& fields_;
    QComboBox* sort_;
    QComboBox* sort2_;
    QGroupBox* order_;
    QGroupBox* order2_;
};

} // namespace shelfwise::book
