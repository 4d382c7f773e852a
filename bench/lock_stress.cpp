// Lock waits under sustained sharing: writer processes append, edit and delete records of one
// shared table with a tag while a reader process browses it in tag order. Each process counts
// its operations, the ones refused because the table or a record stayed locked, and its
// longest operation. Not part of the test suite: it runs for minutes.
//
//   lock_stress [WRITERS=3] [SECONDS=60]

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using shelfwise::engine::EngineError;
using shelfwise::engine::Table;
using Clock = std::chrono::steady_clock;

struct Tally {
    long operations = 0;
    long tableLocked = 0;  // the header stayed locked past the wait
    long recordLocked = 0; // another writer was editing that record: expected, not a wait
    long otherErrors = 0;
    double longestMs = 0;
};

// Times one operation and sorts its failure.
template <typename Operation> void timed(Tally& tally, const Operation& operation) {
    const auto start = Clock::now();
    try {
        operation();
    } catch (const EngineError& e) {
        const std::string message = e.what();
        if (message.find("locked by another user") == std::string::npos) {
            ++tally.otherErrors;
            std::fprintf(stderr, "%d: %s\n", static_cast<int>(::getpid()), e.what());
        } else if (message.find("record ") != std::string::npos) {
            ++tally.recordLocked;
        } else {
            ++tally.tableLocked;
        }
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    tally.longestMs = std::max(tally.longestMs, ms);
    ++tally.operations;
}

// Opens the table shared, trying again after each failure (counted).
void openShared(Table& t, const std::filesystem::path& dir, Tally& tally) {
    t.setDirectory(dir);
    t.setFileName("stress");
    t.setTag("BYNAME");
    while (!t.isOpen()) {
        timed(tally, [&] { t.open(); });
    }
}

Tally write(const std::filesystem::path& dir, int seed, Clock::time_point until) {
    Tally tally;
    Table t;
    openShared(t, dir, tally);
    std::mt19937 random(static_cast<unsigned>(seed));
    while (Clock::now() < until) {
        const unsigned pick = random() % 10;
        timed(tally, [&] {
            if (t.state() != Table::State::Browse) {
                t.cancel();
            }
            if (pick < 5 || t.recordCount() < 50) {
                t.append();
                t.setText(0, "w" + std::to_string(seed) + " " + std::to_string(random()));
                t.setText(1, std::string(100 + random() % 900, 'n'));
                t.post();
            } else {
                t.first();
                t.moveBy(static_cast<int>(random() % std::max(1u, t.recordCount())));
                if (pick < 9) {
                    t.edit();
                    t.setText(0, "e" + std::to_string(seed) + " " + std::to_string(random()));
                    t.post();
                } else {
                    t.deleteRecord();
                }
            }
        });
    }
    return tally;
}

Tally read(const std::filesystem::path& dir, Clock::time_point until) {
    Tally tally;
    Table t;
    openShared(t, dir, tally);
    std::mt19937 random(7);
    while (Clock::now() < until) {
        timed(tally, [&] {
            t.first();
            t.moveBy(static_cast<int>(random() % std::max(1u, t.recordCount())));
            for (int i = 0; i < 20 && !t.atEnd(); ++i) {
                t.next();
            }
            (void)t.checkIndexes().size();
        });
    }
    return tally;
}

} // namespace

int main(int argc, char** argv) {
    const int writers = argc > 1 ? std::atoi(argv[1]) : 3;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    std::string pattern = (std::filesystem::temp_directory_path() / "lock-stress-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return 2;
    }
    const std::filesystem::path dir = pattern;
    shelfwise::engine::createTable(dir, "stress", {{"NAME", 'C', 30, 0}, {"NOTES", 'M', 10, 0}});
    {
        Table t;
        t.setDirectory(dir);
        t.setFileName("stress");
        t.setExclusive(true);
        t.open();
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    std::vector<int> pipes;
    std::vector<pid_t> children;
    for (int i = 0; i <= writers; ++i) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return 2;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const Tally tally = i < writers ? write(dir, i + 1, until) : read(dir, until);
            ssize_t written = ::write(fds[1], &tally, sizeof tally);
            ::_exit(written == sizeof tally ? 0 : 1);
        }
        ::close(fds[1]);
        pipes.push_back(fds[0]);
        children.push_back(pid);
    }
    bool clean = true;
    for (std::size_t i = 0; i < children.size(); ++i) {
        Tally tally;
        const bool got = ::read(pipes[i], &tally, sizeof tally) == sizeof tally;
        int status = 0;
        ::waitpid(children[i], &status, 0);
        if (!got) {
            std::printf("process %zu: no report (status %d)\n", i, status);
            clean = false;
            continue;
        }
        std::printf("%s %zu: %ld operations, %ld table-lock timeouts, %ld record-lock refusals, "
                    "%ld other errors, longest %.1f ms\n",
                    i < static_cast<std::size_t>(writers) ? "writer" : "reader", i + 1,
                    tally.operations, tally.tableLocked, tally.recordLocked, tally.otherErrors,
                    tally.longestMs);
        clean = clean && tally.tableLocked == 0 && tally.otherErrors == 0;
    }
    {
        Table t;
        t.setDirectory(dir);
        t.setFileName("stress");
        t.open();
        const auto problems = t.checkIndexes();
        std::printf("%u records, %zu index problems\n", t.recordCount(), problems.size());
        clean = clean && problems.empty();
    }
    std::filesystem::remove_all(dir);
    return clean ? 0 : 1;
}
