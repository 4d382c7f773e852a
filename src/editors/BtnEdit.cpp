#include "editors/BtnEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

namespace shelfwise::editors {

namespace {

std::function<void()>& BeepHook() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

TEditButton::TEditButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedWidth(ButtonWidth);
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

void TMyBtnEdit::SetBeepHook(std::function<void()> hook) {
    BeepHook() = std::move(hook);
}

void TMyBtnEdit::Beep() {
    if (BeepHook()) {
        BeepHook()();
    } else {
        QApplication::beep();
    }
}

void TMyBtnEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Beep();
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TMyBtnEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TMyBtnEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        button_->update();
    }
}

void TMyBtnEdit::PlaceButton() {
    const QRect inner = contentsRect();
    button_->setGeometry(inner.right() - TEditButton::ButtonWidth + 1, inner.top(),
                         TEditButton::ButtonWidth, inner.height());
}

} // namespace shelfwise::editors
