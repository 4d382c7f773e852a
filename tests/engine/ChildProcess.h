#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::engine::testing {

// A forked child that runs `body` and exits with its result (2 when it throws). The child and
// the test step in turn: the child says ready(), the test waits for that with waitReady(),
// does its checks while the child holds what it opened, then release()s it.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<int(ChildProcess&)>& body) {
        if (::pipe(toParent_) != 0 || ::pipe(toChild_) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            int result = 2;
            try {
                result = body(*this);
            } catch (...) {
            }
            ::_exit(result);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0 && !waited_) {
            release();
            exitCode();
        }
        for (int fd : {toParent_[0], toParent_[1], toChild_[0], toChild_[1]}) {
            ::close(fd);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // In the child.
    void ready() { (void)!::write(toParent_[1], "r", 1); }
    void waitRelease() {
        char c;
        (void)!::read(toChild_[0], &c, 1);
    }

    // In the test.
    bool waitReady() {
        char c;
        return ::read(toParent_[0], &c, 1) == 1;
    }
    void release() { (void)!::write(toChild_[1], "g", 1); }
    int exitCode() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int toParent_[2] = {-1, -1};
    int toChild_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool waited_ = false;
};

} // namespace shelfwise::engine::testing
