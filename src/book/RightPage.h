#pragma once

#include "book/HotButton.h"
#include "book/Panel.h"
#include "book/RecordTabs.h"

#include <QLabel>
#include <QToolButton>
#include <array>

namespace shelfwise::book {

// The right page: the record status line with the template chooser, the record tab pages and
// the record speed bar with the position labels.
class TRightPage : public TPanel {
    Q_OBJECT
public:
    static constexpr int StatusHeight = 16;
    static constexpr int RecordBarHeight = 30;
    static constexpr int PositionLabelWidth = 40;

    explicit TRightPage(QWidget* parent);

    TPanel* Status() const { return status_; }
    TPanel* TemplatePanel() const { return templatePanel_; }
    THotSpeedBtn* TemplateButton() const { return templateButton_; }
    TRecordTabs* Pages() const { return pages_; }
    TPanel* RecordBar() const { return recordBar_; }
    QLabel* PositionLabel() const { return positionLabel_; }
    QLabel* PercentLabel() const { return percentLabel_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TPanel* status_;
    TPanel* templatePanel_;
    THotSpeedBtn* templateButton_;
    TRecordTabs* pages_;
    TPanel* recordBar_;
    // Synchronize, Print, Delete, Undo, Copy, Paste.
    std::array<QToolButton*, 6> recordButtons_;
    QToolButton* previous_;
    QToolButton* next_;
    QLabel* positionLabel_;
    QLabel* percentLabel_;
};

} // namespace shelfwise::book
