#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

// A writer killed at random moments: every post that returned is in the table afterwards,
// intact; the table opens; its tag checks clean or regenerates to a clean check.
class CrashTest : public TableFixture {
protected:
    static std::string nameOf(std::uint32_t n) { return "r" + std::to_string(n); }
    static std::string memoOf(std::uint32_t n) {
        return std::string(1 + n * 37 % 1400, 'a' + n % 26);
    }
    static std::string editOf(std::uint32_t n) { return "edit " + std::to_string(n); }

    // Appends records and rewrites record 1's memo until killed; reports each returned post
    // on `out` as 'A' or 'E' and its number.
    [[noreturn]] void writeUntilKilled(int out) {
        Table t;
        openOn(t, "data.dbf");
        t.setTag("BYNAME");
        Table editor;
        openOn(editor, "data.dbf");
        for (std::uint32_t n = t.recordCount() + 1;; ++n) {
            t.append();
            t.setText(0, nameOf(n));
            t.setText(1, memoOf(n));
            t.post();
            char message[5] = {'A'};
            std::memcpy(message + 1, &n, 4);
            (void)!::write(out, message, 5);
            if (n % 3 == 0) {
                editor.first();
                editor.edit();
                editor.setText(1, editOf(n));
                editor.post();
                message[0] = 'E';
                (void)!::write(out, message, 5);
            }
        }
    }
};

TEST_F(CrashTest, EveryPostThatReturnedSurvivesAKill) {
    createTable(dir, "data.dbf", {{"NAME", 'C', 12, 0}, {"NOTES", 'M', 10, 0}});
    {
        Table t;
        openOn(t, "data.dbf", true);
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    std::mt19937 random(1234);
    std::uint32_t appended = 0;
    std::uint32_t edited = 0;
    int regenerated = 0;
    for (int round = 0; round < 20; ++round) {
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(channel[0]);
            try {
                writeUntilKilled(channel[1]);
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(channel[1]);
        char message[5];
        auto take = [&] {
            std::uint32_t n;
            std::memcpy(&n, message + 1, 4);
            (message[0] == 'A' ? appended : edited) = n;
        };
        // Let a few posts return, however slow the disk, then kill at some moment after.
        for (unsigned posts = 1 + random() % 4; posts > 0; --posts) {
            ASSERT_EQ(::read(channel[0], message, 5), 5) << "the writer died";
            take();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        while (::read(channel[0], message, 5) == 5) {
            take();
        }
        ::close(channel[0]);

        Table t;
        openOn(t, "data.dbf");
        ASSERT_GE(t.recordCount(), appended);
        std::uint32_t n = 0;
        for (t.first(); !t.atEnd(); t.next()) {
            ++n;
            ASSERT_EQ(t.text(0), nameOf(n));
            const std::string memo = t.text(1);
            if (n == 1 && memo.rfind("edit ", 0) == 0) {
                // The last edit that returned, or one that got further before the kill.
                EXPECT_GE(std::stoul(memo.substr(5)), edited);
            } else {
                ASSERT_EQ(memo, memoOf(n)) << n;
                ASSERT_TRUE(n > 1 || edited == 0) << "a returned edit was lost";
            }
        }
        EXPECT_EQ(n, t.recordCount());
        if (!t.checkIndexes().empty()) {
            t.close();
            openOn(t, "data.dbf", true);
            t.regenerateIndexes();
            EXPECT_TRUE(t.checkIndexes().empty());
            ++regenerated;
        }
    }
    EXPECT_GE(appended, 20u);
    RecordProperty("regenerated", regenerated);
}

} // namespace
} // namespace shelfwise::engine::testing
