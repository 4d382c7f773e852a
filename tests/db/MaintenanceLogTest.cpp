#include "db/MaintenanceLog.h"

#include "settings/FileBytes.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace shelfwise::db {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using LoadState = TMaintenanceLog::LoadState;

Bytes Of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

const std::vector<TLogEntry> Three = {
    {"12/10/2026", "2:53:07 PM", "Software", "Database Packed."},
    {"12/10/2026", "2:54:11 PM", "Software", "Database Backed Up - 1200 records."},
    {"12/11/2026", "9:01:00 AM", "Caf\xe9 Tools", "Database Reindexed."},
};

class MaintenanceLogTest : public ::testing::Test {
protected:
    fs::path File() const { return dir / LogFileName; }
    // A log holding `entries`, saved and read back by a fresh log as the next session does.
    void Store(const std::vector<TLogEntry>& entries) {
        ASSERT_TRUE(settings::ReplaceFile(File(), LogBytes(entries)));
    }
    // A log of many entries, far longer than the size limit the tests set, over a file of three.
    TMaintenanceLog LongerThanTheFile() {
        std::vector<TLogEntry> entries = Three;
        for (int i = 0; i < 500; ++i) {
            entries.push_back({"12/10/2026", std::to_string(i), "Software", "Database Packed."});
        }
        Store(entries);
        TMaintenanceLog log(dir.Path());
        EXPECT_EQ(log.LoadLog(), LoadState::Loaded);
        Store(Three);
        return log;
    }
    std::vector<TLogEntry> Reloaded() const {
        TMaintenanceLog next(dir.Path());
        EXPECT_EQ(next.LoadLog(), LoadState::Loaded);
        return next.Entries();
    }

    test::TemporaryDirectory dir{"sw-log"};
};

TEST_F(MaintenanceLogTest, TheFileIsAListOfFourStringsAnEntry) {
    const std::string description(300, 'x');
    TMaintenanceLog log(dir.Path());
    ASSERT_TRUE(log.AddLogEntry({"1/2/26", "3:04:05 AM", "data", "Indexes Deleted."}));
    ASSERT_TRUE(log.AddLogEntry({"1/2/26", "3:04:06 AM", "data", description}));
    // Short strings are tag 6 and a length byte; a text of 256 or more is tag 12 and four bytes.
    const char head[] = "\x01"
                        "\x06\x06"
                        "1/2/26"
                        "\x06\x0a"
                        "3:04:05 AM"
                        "\x06\x04"
                        "data"
                        "\x06\x10"
                        "Indexes Deleted."
                        "\x06\x06"
                        "1/2/26"
                        "\x06\x0a"
                        "3:04:06 AM"
                        "\x06\x04"
                        "data"
                        "\x0c\x2c\x01\x00\x00";
    const Bytes expected =
        Of(std::string(head, sizeof head - 1) + description + std::string(1, '\0'));
    EXPECT_EQ(settings::ReadFileBytes(File()), expected);
    EXPECT_EQ(Reloaded(), log.Entries());
}

TEST_F(MaintenanceLogTest, AnEmptyLogRoundTripsAndAMissingFileLeavesTheEntries) {
    TMaintenanceLog log(dir.Path());
    EXPECT_EQ(log.LoadLog(), LoadState::Missing);
    EXPECT_FALSE(fs::exists(File()));
    ASSERT_TRUE(log.SaveLog());
    EXPECT_EQ(settings::ReadFileBytes(File()), Of(std::string("\x01\x00", 2)));
    EXPECT_TRUE(Reloaded().empty());

    Store(Three);
    ASSERT_EQ(log.LoadLog(), LoadState::Loaded);
    fs::remove(File());
    EXPECT_EQ(log.LoadLog(), LoadState::Missing);
    EXPECT_EQ(log.Entries(), Three);
}

TEST_F(MaintenanceLogTest, AnEntryAlreadyThereIsStoredOnce) {
    const QDateTime second(QDate(2026, 12, 10), QTime(14, 53, 7, 100));
    const struct {
        const char* name;
        QDateTime when;
        QString database;
        QString description;
        std::size_t entries;
    } cases[] = {
        {"same second", second.addMSecs(800), "Software", "Database Packed.", 1},
        {"next second", second.addSecs(1), "Software", "Database Packed.", 2},
        {"another database", second, "Games", "Database Packed.", 2},
        {"another description", second, "Software", "Database Reindexed.", 2},
        {"next day", second.addDays(1), "Software", "Database Packed.", 2},
    };
    for (const auto& c : cases) {
        fs::remove(File());
        TMaintenanceLog log(dir.Path());
        ASSERT_TRUE(log.AddLogEntry(StampedEntry(second, "Software", "Database Packed.")));
        ASSERT_TRUE(log.AddLogEntry(StampedEntry(c.when, c.database, c.description)));
        EXPECT_EQ(log.Entries().size(), c.entries) << c.name;
        EXPECT_EQ(Reloaded(), log.Entries()) << c.name;
    }
}

TEST_F(MaintenanceLogTest, EntriesAreRemovedBySelectionOrAllAtOnce) {
    const struct {
        const char* name;
        std::vector<std::size_t> rows;
        std::vector<TLogEntry> left;
    } cases[] = {
        {"first and last, in any order", {2, 0}, {Three[1]}},
        {"a row twice", {1, 1}, {Three[0], Three[2]}},
        {"a row past the end", {7, 0}, {Three[1], Three[2]}},
        {"none", {}, Three},
        {"all", {0, 1, 2}, {}},
    };
    for (const auto& c : cases) {
        Store(Three);
        TMaintenanceLog log(dir.Path());
        ASSERT_EQ(log.LoadLog(), LoadState::Loaded);
        log.RemoveEntries(c.rows);
        EXPECT_EQ(log.Entries(), c.left) << c.name;
        ASSERT_TRUE(log.SaveLog());
        EXPECT_EQ(Reloaded(), c.left) << c.name;
    }
    TMaintenanceLog log(dir.Path());
    Store(Three);
    ASSERT_EQ(log.LoadLog(), LoadState::Loaded);
    log.Clear();
    ASSERT_TRUE(log.SaveLog());
    EXPECT_TRUE(Reloaded().empty());
}

TEST_F(MaintenanceLogTest, ADamagedLogIsSetAsideWithItsReadableEntriesKept) {
    const Bytes good = LogBytes(Three);
    const auto cut = [&good](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
    const auto withTail = [&good](std::string_view tail) {
        Bytes bytes = good;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    Bytes wrongTag = good;
    wrongTag[1] = 0x04; // the first entry's date as an integer
    Bytes halfEntry = LogBytes(std::span(Three).first(1));
    halfEntry.pop_back();
    for (std::string_view more :
         {std::string_view("\x06\x01x\x06\x01y"), std::string_view("\0", 1)}) {
        halfEntry.insert(halfEntry.end(), more.begin(), more.end());
    }
    const struct {
        const char* name;
        Bytes bytes;
        std::vector<TLogEntry> kept;
    } cases[] = {
        {"empty file", {}, {}},
        {"no list", Of("Database Packed."), {}},
        {"wrong tag", wrongTag, {}},
        {"cut in the second entry", cut(good.size() - 60), {Three[0]}},
        {"list end missing", cut(good.size() - 1), Three},
        {"an entry of two strings", halfEntry, {Three[0]}},
        {"bytes behind the list", withTail("\x01"), Three},
    };
    for (const auto& c : cases) {
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            fs::remove(entry.path());
        }
        test::WriteBytes(File(), c.bytes);
        TMaintenanceLog log(dir.Path());
        EXPECT_EQ(log.LoadLog(), LoadState::SetAside) << c.name;
        EXPECT_EQ(log.Entries(), c.kept) << c.name;
        EXPECT_EQ(log.SetAsideFile(), dir / DamagedLogFileName) << c.name;
        EXPECT_EQ(test::ReadBytes(dir / DamagedLogFileName), c.bytes) << c.name;
        EXPECT_FALSE(fs::exists(File())) << c.name;

        // The next entry starts a new file with what could be read; the damaged one stays.
        const TLogEntry next{"12/12/2026", "8:00:00 AM", "Software", "Database Packed."};
        ASSERT_TRUE(log.AddLogEntry(next)) << c.name;
        auto expected = c.kept;
        expected.push_back(next);
        EXPECT_EQ(Reloaded(), expected) << c.name;
        EXPECT_EQ(test::ReadBytes(dir / DamagedLogFileName), c.bytes) << c.name;
    }
}

TEST_F(MaintenanceLogTest, EveryCutOfTheFileReadsOnlyWholeEntries) {
    const Bytes good = LogBytes(Three);
    for (std::size_t size = 0; size < good.size(); ++size) {
        fs::remove(dir / DamagedLogFileName);
        test::WriteBytes(File(), Bytes(good.begin(), good.begin() + size));
        TMaintenanceLog log(dir.Path());
        ASSERT_EQ(log.LoadLog(), LoadState::SetAside) << size;
        const auto& kept = log.Entries();
        ASSERT_LE(kept.size(), Three.size()) << size;
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), Three.begin())) << size;
    }
}

TEST_F(MaintenanceLogTest, AnEarlierDamagedLogIsNotReplacedByALaterOne) {
    test::WriteText(dir / DamagedLogFileName, "first");
    test::WriteText(File(), "second");
    TMaintenanceLog log(dir.Path());
    EXPECT_EQ(log.LoadLog(), LoadState::SetAside);
    EXPECT_EQ(log.SetAsideFile(), dir / "log.dat.bad2");
    EXPECT_EQ(test::ReadText(dir / DamagedLogFileName), "first");
    EXPECT_EQ(test::ReadText(dir / "log.dat.bad2"), "second");
}

TEST_F(MaintenanceLogTest, ADamagedLogThatCannotBeSetAsideIsNeverWritten) {
    test::WriteText(dir / DamagedLogFileName, "taken");
    for (int n = 2; n <= 99; ++n) {
        test::WriteText(dir / ("log.dat.bad" + std::to_string(n)), "taken");
    }
    test::WriteText(File(), "damaged");
    TMaintenanceLog log(dir.Path());
    EXPECT_EQ(log.LoadLog(), LoadState::Unsaveable);
    EXPECT_FALSE(log.AddLogEntry(Three[0]));
    EXPECT_FALSE(log.SaveLog());
    EXPECT_EQ(test::ReadText(File()), "damaged");
}

// Files may not grow past this size while it is held: a write beyond it fails as a full disk
// would, or kills the process when the signal is left at its default.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit limit{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

TEST_F(MaintenanceLogTest, AFailedSaveLeavesThePreviousLogWhole) {
    TMaintenanceLog log = LongerThanTheFile();
    {
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        FileSizeLimit limit(1024);
        EXPECT_FALSE(log.SaveLog());
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(Reloaded(), Three);
    EXPECT_EQ(test::FileNamesIn(dir.Path()), std::vector<std::string>{LogFileName});
}

TEST_F(MaintenanceLogTest, AKillDuringTheSaveLeavesThePreviousLogWhole) {
    TMaintenanceLog log = LongerThanTheFile();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        FileSizeLimit limit(1024);
        log.SaveLog();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    // The killed save leaves at most its temporary file; the log reads as before.
    EXPECT_EQ(Reloaded(), Three);
}

TEST(MaintenanceLogTime, TheTimeZoneIsLeftOutOfTheTimeFormat) {
    const struct {
        QString format;
        QString without;
    } cases[] = {
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"HH:mm:ss t", "HH:mm:ss"},
        {"HH:mm:ss tttt", "HH:mm:ss"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"HH:mm:ss", "HH:mm:ss"},
        {"H 'h' mm 'min' ss 's' t", "H 'h' mm 'min' ss 's'"},
        {"HH 'Uhr tt' mm t", "HH 'Uhr tt' mm"},
        {"HH:mm:ss '''t'", "HH:mm:ss '''t'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithoutTimeZone(c.format), c.without) << c.format.toStdString();
    }
}

TEST(MaintenanceLogTime, AStampedTimeHasNoTimeZoneAndReadsBack) {
    const QDateTime when(QDate(2026, 12, 10), QTime(14, 53, 7));
    const TLogEntry entry = StampedEntry(when, "Software", "Database Packed.");
    const QString time = QString::fromStdString(entry.Time);
    EXPECT_FALSE(time.contains(when.timeZoneAbbreviation())) << entry.Time;
    const QLocale locale = QLocale::system();
    EXPECT_EQ(locale.toTime(time, WithoutTimeZone(locale.timeFormat(QLocale::LongFormat))),
              when.time())
        << entry.Time;
    const QDate date = locale.toDate(QString::fromStdString(entry.Date), QLocale::ShortFormat);
    EXPECT_EQ(date.month(), 12) << entry.Date;
    EXPECT_EQ(date.day(), 10) << entry.Date;
    EXPECT_EQ(entry.Database, "Software");
    EXPECT_EQ(entry.Description, "Database Packed.");
}

} // namespace
} // namespace shelfwise::db
