#include "platform/TerminationSignal.h"

#include <QSocketNotifier>
#include <csignal>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace shelfwise::platform {

namespace {

// The handler may only write to a descriptor; the notifier reads it on the event loop.
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t received = 0;

void onSignal(int) {
    received = 1;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

TerminationSignal::TerminationSignal(QObject* parent) : QObject(parent) {
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        throw std::runtime_error("cannot create the termination signal pipe");
    }
    // Only signals to this program run count: what an earlier one left behind is dropped.
    char stale[16];
    while (::recv(signalPipe[1], stale, sizeof stale, MSG_DONTWAIT) > 0) {
    }
    received = 0;
    notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignal::drain);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : HandledSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignal::~TerminationSignal() {
    for (const int signal : HandledSignals) {
        ::signal(signal, SIG_DFL);
    }
}

bool TerminationSignal::Received() const {
    return received != 0;
}

void TerminationSignal::drain() {
    char buffer[16];
    [[maybe_unused]] const auto read = ::read(signalPipe[1], buffer, sizeof buffer);
    emit terminationRequested();
}

} // namespace shelfwise::platform
