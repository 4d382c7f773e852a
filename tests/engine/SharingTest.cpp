#include "ChildProcess.h"
#include "TableFixture.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableLocks.h"
#include "engine/TableOperations.h"

#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <thread>

namespace shelfwise::engine::testing {
namespace {

class SharingTest : public TableFixture {
protected:
    void SetUp() override {
        createTable(dir, "data.dbf", {{"NAME", 'C', 12, 0}, {"NOTES", 'M', 10, 0}});
        Table t;
        openOn(t, "data.dbf");
        for (const char* name : {"one", "two", "three"}) {
            t.append();
            t.setText(0, name);
            t.post();
        }
    }

    // True when a cursor with that mode can open the table now.
    bool canOpen(bool exclusive) const {
        Table t;
        try {
            openOn(t, "data.dbf", exclusive);
            return true;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.reason(), EngineError::Reason::Locked) << e.what();
            return false;
        }
    }
};

TEST_F(SharingTest, OpenModesExcludeEachOtherBetweenCursorsOfOneProcess) {
    {
        Table shared;
        openOn(shared, "data.dbf");
        EXPECT_TRUE(canOpen(false));
        EXPECT_FALSE(canOpen(true));
    }
    {
        Table exclusive;
        openOn(exclusive, "data.dbf", true);
        EXPECT_FALSE(canOpen(false));
        EXPECT_FALSE(canOpen(true));
    }
    EXPECT_TRUE(canOpen(true)); // closing released everything
}

TEST_F(SharingTest, OpenModesExcludeEachOtherBetweenProcesses) {
    for (bool childExclusive : {false, true}) {
        SCOPED_TRACE(childExclusive ? "child exclusive" : "child shared");
        ChildProcess child([&](ChildProcess& self) {
            Table t;
            openOn(t, "data.dbf", childExclusive);
            self.ready();
            self.waitRelease();
            return 0;
        });
        ASSERT_TRUE(child.waitReady());
        EXPECT_EQ(canOpen(false), !childExclusive);
        EXPECT_FALSE(canOpen(true));
        child.release();
        EXPECT_EQ(child.exitCode(), 0);
        EXPECT_TRUE(canOpen(true));
    }
}

TEST_F(SharingTest, RecordLocksAreSeenByOtherCursorsAndProcesses) {
    Table a;
    Table b;
    openOn(a, "data.dbf");
    openOn(b, "data.dbf");
    a.edit();
    using Reason = EngineError::Reason;
    EXPECT_EQ(reasonOf([&] { b.edit(); }), Reason::Locked); // same record
    EXPECT_EQ(reasonOf([&] { b.deleteRecord(); }), Reason::Locked);
    b.next();
    b.edit(); // another record is free
    b.cancel();

    ChildProcess child([&](ChildProcess& self) {
        Table t;
        openOn(t, "data.dbf");
        bool lockedOut = false;
        try {
            t.edit();
        } catch (const EngineError&) {
            lockedOut = true;
        }
        self.ready();
        self.waitRelease();
        t.edit(); // free again once the parent posted
        t.setText(0, "child");
        t.post();
        return lockedOut ? 0 : 1;
    });
    ASSERT_TRUE(child.waitReady());
    a.setText(0, "parent");
    a.post();
    child.release();
    EXPECT_EQ(child.exitCode(), 0);
    b.first();
    EXPECT_EQ(b.text(0), "child");
}

TEST_F(SharingTest, ACursorSeesWhatAnotherWriterChanged) {
    Table reader;
    Table writer;
    openOn(reader, "data.dbf");
    openOn(writer, "data.dbf");
    EXPECT_EQ(reader.recordCount(), 3u);

    writer.append();
    writer.setText(0, "four");
    writer.setText(1, "a memo");
    writer.post();
    writer.first();
    writer.deleteRecord();

    EXPECT_EQ(reader.recordCount(), 3u);
    reader.last();
    EXPECT_EQ(reader.text(0), "four");
    EXPECT_EQ(reader.text(1), "a memo");
    reader.first();
    EXPECT_EQ(reader.text(0), "two");
}

TEST_F(SharingTest, WritersInTwoProcessesAppendWithoutLosingRecords) {
    constexpr int kEach = 150;
    auto appendMany = [&](const std::string& prefix) {
        Table t;
        openOn(t, "data.dbf");
        for (int i = 0; i < kEach; ++i) {
            t.append();
            t.setText(0, prefix + std::to_string(i));
            t.setText(1, std::string(600, prefix[0])); // memo blocks are appended too
            t.post();
        }
    };
    ChildProcess child([&](ChildProcess& self) {
        self.ready();
        appendMany("c");
        return 0;
    });
    ASSERT_TRUE(child.waitReady());
    appendMany("p");
    EXPECT_EQ(child.exitCode(), 0);

    Table t;
    openOn(t, "data.dbf");
    std::set<std::string> names;
    for (t.first(); !t.atEnd(); t.next()) {
        const std::string name = t.text(0);
        names.insert(name);
        const bool appended = name[0] == 'c' || name[0] == 'p';
        EXPECT_EQ(t.text(1), appended ? std::string(600, name[0]) : std::string()) << name;
    }
    EXPECT_EQ(names.size(), 3u + 2 * kEach);
    EXPECT_EQ(t.recordCount(), 3u + 2 * kEach);
}

TEST_F(SharingTest, ABatchIsOnDiskAtEachFlushAndAWriterThatDiesLosesOnlyTheRest) {
    {
        Table t;
        openOn(t, "data.dbf", true);
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    ChildProcess child([&](ChildProcess&) {
        Table t;
        openOn(t, "data.dbf");
        t.beginBatch(3);
        for (const char* name : {"b0", "b1", "b2"}) {
            t.append();
            t.setText(0, name);
            t.setText(1, std::string(700, name[1]));
            t.post();
        }
        t.first();
        t.edit();
        t.setText(0, "renamed");
        t.post();
        ::_exit(0); // dies in the batch, after its first flush
        return 1;
    });
    ASSERT_EQ(child.exitCode(), 0);

    Table t;
    openOn(t, "data.dbf");
    t.setTag("BYNAME");
    std::vector<std::string> names;
    for (t.first(); !t.atEnd(); t.next()) {
        names.push_back(t.text(0));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"b0", "b1", "b2", "one", "three", "two"}));
    EXPECT_EQ(t.checkIndexes(), std::vector<std::string>{});

    // The same batch ended: everything is written, with fewer flushes than posts one by one.
    FileFaults::disarm();
    t.goToRecord(1);
    t.edit();
    t.setText(0, "alone");
    t.post();
    const std::uint64_t onePost = FileFaults::calls();
    FileFaults::disarm();
    t.beginBatch(100);
    for (const char* name : {"b3", "b4", "b5", "b6"}) {
        t.append();
        t.setText(0, name);
        t.post();
    }
    t.last();
    t.deleteRecord();
    t.endBatch();
    EXPECT_LT(FileFaults::calls(), 2 * onePost);
    EXPECT_FALSE(t.inBatch());
    Table other;
    openOn(other, "data.dbf");
    other.setTag("BYNAME");
    EXPECT_EQ(other.recordCount(), 9u);
    other.first();
    EXPECT_EQ(other.text(0), "alone");
    EXPECT_EQ(other.checkIndexes(), std::vector<std::string>{});
}

TEST_F(SharingTest, AWriterWaitsForAHeaderLockHeldBrieflyAndFailsWhenItIsKept) {
    // Another xBase program holding the header lock (byte 0xEFFFFFFE of the .dbf), for a
    // while or until released.
    auto holdHeader = [&](std::optional<std::chrono::milliseconds> howLong) {
        return std::make_unique<ChildProcess>([this, howLong](ChildProcess& self) {
            const int fd = ::open((dir / "data.dbf").c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = 0xEFFFFFFE;
            lock.l_len = 1;
            if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
                return 1;
            }
            self.ready();
            if (howLong) {
                std::this_thread::sleep_for(*howLong);
            } else {
                self.waitRelease();
            }
            return 0;
        });
    };
    Table t;
    openOn(t, "data.dbf");
    {
        auto child = holdHeader(std::chrono::milliseconds(300));
        ASSERT_TRUE(child->waitReady());
        t.edit();
        t.setText(0, "waited");
        t.post();
        EXPECT_EQ(child->exitCode(), 0);
    }
    EXPECT_EQ(t.text(0), "waited");
    {
        auto child = holdHeader(std::nullopt);
        ASSERT_TRUE(child->waitReady());
        t.append();
        EXPECT_THROW(t.post(), EngineError);
        t.cancel();
        EXPECT_EQ(t.text(0), "waited");
        child->release();
    }
    EXPECT_EQ(t.recordCount(), 3u);
}

// The kernel's locks keep no queue: a writer that waits for the header goes next, before a
// writer or reader that comes later, even when the header comes free before it looks again.
TEST_F(SharingTest, AWriterWaitingForTheHeaderGoesBeforeOnesThatComeLater) {
    const auto opened = [&] { return PosixFile(dir / "data.dbf", PosixFile::Access::ReadWrite); };
    PosixFile holderFile = opened();
    PosixFile waiterFile = opened();
    PosixFile laterFile = opened();
    const PosixFile probeFile = opened();
    TableLocks holder(holderFile);
    TableLocks waiter(waiterFile);
    TableLocks later(laterFile);
    holder.lockHeader(false);
    std::atomic<bool> done{false};
    bool got = false;
    std::thread waiting([&] {
        try {
            waiter.lockHeader(false);
            got = true;
        } catch (const EngineError&) {
        }
        done = true;
    });
    // In line: the waiter holds the byte after the header (unless it gave up).
    const auto inLine = [&] {
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0xEFFFFFFF;
        probe.l_len = 1;
        return ::fcntl(probeFile.fd(), F_OFD_GETLK, &probe) == 0 && probe.l_type == F_WRLCK;
    };
    while (!inLine() && !done) {
        std::this_thread::yield();
    }
    holder.unlockHeader();
    EXPECT_FALSE(later.tryLockHeader());
    EXPECT_FALSE(later.tryLockHeaderShared());
    waiting.join();
    ASSERT_TRUE(got);
    EXPECT_FALSE(later.tryLockHeaderShared());
    waiter.unlockHeader();
    EXPECT_TRUE(later.tryLockHeader());
}

} // namespace
} // namespace shelfwise::engine::testing
