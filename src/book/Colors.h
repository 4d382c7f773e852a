#pragma once

#include "settings/ElementColors.h"

#include <QColor>

class QWidget;

namespace shelfwise::book {

QColor ElementColor(const settings::ElementColors& colors, settings::Element element);

// Gives a plain widget its text and background colours through its palette.
void SetWidgetColors(QWidget* widget, const QColor& text, const QColor& background);
void SetWidgetBackground(QWidget* widget, const QColor& background);

} // namespace shelfwise::book
