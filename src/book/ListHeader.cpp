#include "book/ListHeader.h"

#include "book/WindowsText.h"

#include <cmath>

namespace shelfwise::book {

TQuorvanHeader::TQuorvanHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("QuorvanHeader1"));
    setToolTip(QStringLiteral("Left Click - Change Order;  Right Click - Menu"));
    setModel(&model_);
    setStretchLastSection(true);
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFocusPolicy(Qt::NoFocus);
}

void TQuorvanHeader::SetDefaultSections(const std::vector<std::string>& fieldLabels) {
    model_.clear();
    const int widths[] = {50, 100};
    for (int i = 0; i < 2; ++i) {
        const std::string label = i < static_cast<int>(fieldLabels.size()) ? fieldLabels[i] : "";
        model_.setHorizontalHeaderItem(i, new QStandardItem(FromWindowsText(label)));
        resizeSection(i, widths[i]);
    }
}

int TQuorvanHeader::ColumnPercent(int section) const {
    if (section < 0 || section >= count() || width() <= 0) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(sectionSize(section) * 100.0 / width()));
}

} // namespace shelfwise::book
