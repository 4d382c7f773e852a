#pragma once

// Controls of the Find and Replace windows, made the same way: named as the user interface
// names them, with their hints, at fixed places.

#include <QPoint>
#include <QRect>
#include <QString>
#include <chrono>
#include <functional>
#include <vector>

class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;

namespace shelfwise::search {

template <typename T> T* Named(T* widget, const char* name, const char* hint) {
    widget->setObjectName(QString::fromLatin1(name));
    if (hint != nullptr) {
        widget->setToolTip(QString::fromLatin1(hint));
    }
    return widget;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint,
                    const QRect& at);
QLabel* Caption(QWidget* parent, const char* text, const QPoint& at);

// F1 shows the window's help, Escape closes it; true when the key was one of them.
bool WindowKey(QWidget* window, const QKeyEvent* event, int helpContext);

// A window's controls during a run: all disabled but Stop, the wait cursor, and the user's
// input taken now and then.
class TWindowRun {
public:
    // Disables every control of the window, remembering which were enabled, and enables
    // `stop`.
    void Begin(QWidget* window, QWidget* stop);
    // The controls as they were, `stop` disabled, the normal cursor.
    void End(QWidget* stop);
    // Lets pending events run, at most every few milliseconds, after `refresh` has shown how
    // far the run is.
    void Poll(const std::function<void()>& refresh);

private:
    std::vector<QWidget*> enabled_;
    std::chrono::steady_clock::time_point lastPoll_;
};

} // namespace shelfwise::search
