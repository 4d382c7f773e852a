#pragma once

#include <QObject>

class QSocketNotifier;

namespace shelfwise::platform {

// Turns SIGTERM (and SIGINT) into a Qt signal on the user-interface thread, so the program can
// take its orderly way out instead of dying with unsaved settings.
class TerminationSignal : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

signals:
    void terminationRequested();

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace shelfwise::platform
