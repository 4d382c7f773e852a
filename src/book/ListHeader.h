#pragma once

#include <QHeaderView>
#include <QStandardItemModel>
#include <string>
#include <vector>

namespace shelfwise::book {

// The column header of the left page's list: one section per shown field, captioned with the
// field's label; the last section takes the rest of the width.
class TQuorvanHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TQuorvanHeader(QWidget* parent);

    // The two default columns: field labels 0 and 1, 50 and 100 pixels wide.
    void SetDefaultSections(const std::vector<std::string>& fieldLabels);
    // Each section's width as a percentage of the header's width, rounded to nearest.
    int ColumnPercent(int section) const;

private:
    QStandardItemModel model_;
};

} // namespace shelfwise::book
