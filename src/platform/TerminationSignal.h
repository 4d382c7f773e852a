#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

namespace shelfwise::platform {

// Turns SIGTERM, SIGHUP (the terminal or the session went away) and SIGINT into a Qt signal on
// the user-interface thread, so the program can take its orderly way out instead of dying with
// unsaved settings.
class TerminationSignal : public QObject {
    Q_OBJECT
public:
    static constexpr int HandledSignals[] = {SIGTERM, SIGHUP, SIGINT};

    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

    // A signal arrived, also one whose Qt signal has not been delivered yet because no event
    // loop ran since.
    bool Received() const;

signals:
    void terminationRequested();

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace shelfwise::platform
