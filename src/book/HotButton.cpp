#include "book/HotButton.h"

#include <QMouseEvent>

namespace shelfwise::book {

namespace {

constexpr int CoolingMs = 500;

// Only the enabled look changes: a disabled button keeps its grey caption.
void SetCaptionColour(QToolButton* button, const QColor& colour) {
    QPalette palette = button->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    button->setPalette(palette);
}

} // namespace

THotBtn::THotBtn(const QString& name, const QString& caption, const QIcon& icon, QWidget* parent)
    : QToolButton(parent), caption_(caption) {
    setObjectName(name);
    setText(caption);
    setIcon(icon);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::NoFocus);
    // Black from the start, whatever text colour the page around it takes.
    SetHot(false);
    cooling_.setSingleShot(true);
    cooling_.setInterval(CoolingMs);
    connect(&cooling_, &QTimer::timeout, this, [this] {
        if (!underMouse()) {
            SetHot(false);
        }
    });
}

void THotBtn::ShowCaption(bool shown) {
    captionShown_ = shown;
    setText(shown ? caption_ : QString());
    setToolButtonStyle(shown ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
}

void THotBtn::SetHot(bool hot) {
    hot_ = hot;
    SetCaptionColour(this, hot ? QColor(Qt::red) : QColor(Qt::black));
}

void THotBtn::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    if (isEnabled()) {
        SetHot(true);
        cooling_.start();
    }
}

void THotBtn::leaveEvent(QEvent* event) {
    QToolButton::leaveEvent(event);
    SetHot(false);
}

THotSpeedBtn::THotSpeedBtn(const QString& name, QWidget* parent) : QToolButton(parent) {
    setObjectName(name);
    setAutoRaise(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    SetCaptionColour(this, Qt::black);
}

void THotSpeedBtn::mouseMoveEvent(QMouseEvent* event) {
    QToolButton::mouseMoveEvent(event);
    SetCaptionColour(this, Qt::red);
}

void THotSpeedBtn::leaveEvent(QEvent* event) {
    QToolButton::leaveEvent(event);
    SetCaptionColour(this, Qt::black);
}

} // namespace shelfwise::book
