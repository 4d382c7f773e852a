#include "search/WindowParts.h"

#include "platform/Help.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace shelfwise::search {

namespace {

// Often enough for Stop to answer at once, rarely enough not to slow a long run down.
constexpr std::chrono::milliseconds PollInterval{20};

} // namespace

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint,
                    const QRect& at) {
    auto* button = Named(new QPushButton(QString::fromLatin1(caption), parent), name, hint);
    button->setGeometry(at);
    button->setAutoDefault(false);
    return button;
}

QLabel* Caption(QWidget* parent, const char* text, const QPoint& at) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(at);
    label->adjustSize();
    return label;
}

bool WindowKey(QWidget* window, const QKeyEvent* event, int helpContext) {
    if (event->key() == Qt::Key_F1) {
        platform::ShowHelp(helpContext);
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        window->close();
        return true;
    }
    return false;
}

void TWindowRun::Begin(QWidget* window, QWidget* stop) {
    enabled_.clear();
    for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isEnabled()) {
            enabled_.push_back(control);
            control->setEnabled(false);
        }
    }
    stop->setEnabled(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The first record of a run already takes input.
    lastPoll_ = {};
}

void TWindowRun::End(QWidget* stop) {
    for (QWidget* control : enabled_) {
        control->setEnabled(true);
    }
    enabled_.clear();
    stop->setEnabled(false);
    QApplication::restoreOverrideCursor();
}

void TWindowRun::Poll(const std::function<void()>& refresh) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll_ >= PollInterval) {
        lastPoll_ = now;
        refresh();
        QApplication::processEvents();
    }
}

} // namespace shelfwise::search
