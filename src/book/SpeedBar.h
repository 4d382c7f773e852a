#pragma once

#include "book/ButtonRowLayout.h"
#include "book/HotButton.h"

#include <QTabWidget>
#include <vector>

namespace shelfwise::book {

// The speed bar: the "Standard" and "Advanced" sheets of command buttons, tabs at the bottom.
// Buttons drop their captions when the bar gets too narrow for them.
class TSpeedBar : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int DesignedHeight = 60;

    explicit TSpeedBar(QWidget* parent);

    // The buttons of each sheet in tab order, with their captions.
    const std::vector<THotBtn*>& StandardButtons() const { return standard_; }
    const std::vector<THotBtn*>& AdvancedButtons() const { return advanced_; }

    // Places the buttons of both sheets for the current width.
    void LayoutButtons();
    void SetColor(const QColor& colour);

private:
    QWidget* AddSheet(const QString& name, const QString& caption);

    std::vector<THotBtn*> standard_;
    std::vector<THotBtn*> advanced_;
    std::vector<BarButton> standardBar_;
    std::vector<BarButton> advancedBar_;
};

} // namespace shelfwise::book
