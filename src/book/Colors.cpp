#include "book/Colors.h"

#include <QPalette>
#include <QWidget>

namespace shelfwise::book {

QColor ElementColor(const settings::ElementColors& colors, settings::Element element) {
    return QColor::fromRgb(colors.Rgb(element));
}

void SetWidgetColors(QWidget* widget, const QColor& text, const QColor& background) {
    QPalette palette = widget->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, text);
    }
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        palette.setColor(role, background);
    }
    widget->setPalette(palette);
}

void SetWidgetBackground(QWidget* widget, const QColor& background) {
    QPalette palette = widget->palette();
    for (auto role : {QPalette::Window, QPalette::Button}) {
        palette.setColor(role, background);
    }
    widget->setPalette(palette);
}

} // namespace shelfwise::book
