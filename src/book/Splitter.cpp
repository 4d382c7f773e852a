#include "book/Splitter.h"

#include <QMouseEvent>
#include <QPainter>

namespace shelfwise::book {

TSplitter::TSplitter(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Splitter"));
    setToolTip(QStringLiteral("Resize Left and Right Pages"));
    setCursor(Qt::SplitHCursor);
    resize(10, 14);
}

void TSplitter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = palette().color(QPalette::Window);
    p.setPen(colour.darker(170));
    p.setBrush(colour.lighter(115));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(colour.darker(200));
    for (int y = 3; y + 2 <= height() - 2; y += 3) {
        p.drawEllipse(QRectF(width() / 2.0 - 1, y, 2, 2));
    }
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton ||
        event->modifiers() != Qt::NoModifier) {
        return;
    }
    line_ = new QWidget(parentWidget());
    line_->setObjectName(QStringLiteral("SplitterLine"));
    line_->setAttribute(Qt::WA_TransparentForMouseEvents);
    line_->setAutoFillBackground(true);
    QPalette palette = line_->palette();
    palette.setColor(QPalette::Window, QColor(40, 40, 40));
    line_->setPalette(palette);
    line_->setWindowOpacity(0.5);
    ShowLine(mapToParent(event->position().toPoint()).x());
    line_->show();
    line_->raise();
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (line_) {
        ShowLine(mapToParent(event->position().toPoint()).x());
    }
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!line_ || event->button() != Qt::LeftButton) {
        return;
    }
    delete line_;
    line_ = nullptr;
    emit Moved(qRound(event->position().x()) - width() / 2);
}

void TSplitter::ShowLine(int x) {
    line_->setGeometry(x - width() / 2, 0, width(), parentWidget()->height());
}

} // namespace shelfwise::book
