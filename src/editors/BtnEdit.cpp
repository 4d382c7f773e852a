#include "editors/BtnEdit.h"

#include "platform/Beep.h"

#include <QFocusEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace shelfwise::editors {

TEditButton::TEditButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedWidth(ButtonWidth);
}

bool TEditButton::event(QEvent* event) {
    // Ignored, the request would travel on to the edit and show the edit's hint instead.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    return QToolButton::event(event);
}

void TEditButton::paintEvent(QPaintEvent* event) {
    QToolButton::paintEvent(event);
    QPainter painter(this);
    const QColor dots = parentWidget()->isEnabled() ? Qt::black : Qt::gray;
    const int span = width() - 1;
    const int y = height() / 2 - 1;
    for (const int x : {span / 4, span / 2, span * 3 / 4}) {
        painter.fillRect(x - 1, y, 2, 2, dots);
    }
}

TMyBtnEdit::TMyBtnEdit(QWidget* parent) : QLineEdit(parent), button_(new TEditButton(this)) {
    connect(button_, &QToolButton::clicked, this, [this] { ButtonClick(); });
    SetButtonVisible(true);
}

void TMyBtnEdit::SetButtonVisible(bool visible) {
    buttonVisible_ = visible;
    button_->setVisible(visible);
    setTextMargins(0, 0, visible ? TEditButton::ButtonWidth + 1 : 0, 0);
    PlaceButton();
}

void TMyBtnEdit::SetAlignment(Qt::Alignment horizontal) {
    setAlignment((horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

int TMyBtnEdit::AutomaticHeight() const {
    const int fontHeight = fontMetrics().height();
    const int systemHeight =
        QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    return 4 * BorderWidth + fontHeight + std::min(fontHeight, systemHeight) / 4;
}

QSize TMyBtnEdit::minimumSizeHint() const {
    return {QLineEdit::minimumSizeHint().width(), AutomaticHeight()};
}

void TMyBtnEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        platform::Beep();
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TMyBtnEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back from a menu or another window is no entry: the caret stays where it was.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) {
        return;
    }
    if (autoSelect_) {
        selectAll();
    } else {
        deselect();
        setCursorPosition(0);
    }
}

void TMyBtnEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TMyBtnEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        button_->update();
    } else if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
}

void TMyBtnEdit::PlaceButton() {
    const QRect inner = contentsRect();
    button_->setGeometry(inner.right() - TEditButton::ButtonWidth + 1, inner.top(),
                         TEditButton::ButtonWidth, inner.height());
}

} // namespace shelfwise::editors
