#pragma once

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace shelfwise::db {

inline constexpr const char* LogFileName = "log.dat";
// A damaged log is renamed to this name (with a number when one is already there).
inline constexpr const char* DamagedLogFileName = "log.dat.bad";

// One line of the maintenance log. Texts are Windows-1252, as the file holds them.
struct TLogEntry {
    std::string Date;
    std::string Time;
    std::string Database;
    std::string Description;

    bool operator==(const TLogEntry&) const = default;
};

// The system's long time format without its time zone part, which the log's time column never
// shows: "h:mm:ss AP t" gives "h:mm:ss AP". Quoted text stays as it is.
QString WithoutTimeZone(const QString& format);

// An entry stamped at `when` in the system's short date and long time format.
TLogEntry StampedEntry(const QDateTime& when, const QString& database, const QString& description);

// "log.dat" as a value stream: list begin, four strings per entry, list end.
std::vector<std::uint8_t> LogBytes(std::span<const TLogEntry> entries);

// The maintenance log of one data directory. Saving writes the whole file or nothing. A file
// that cannot be read to its end is never written over: it is renamed aside and the entries
// read before the damage are kept; when it cannot be renamed, nothing is saved this session.
class TMaintenanceLog {
public:
    enum class LoadState {
        Missing,   // no "log.dat": the entries are left as they were
        Loaded,    // read completely
        SetAside,  // damaged: renamed to SetAsideFile(), readable entries kept
        Unsaveable // damaged or unreadable and not renamed: saving is refused
    };

    explicit TMaintenanceLog(std::filesystem::path dataDir);

    LoadState LoadLog();
    bool SaveLog();
    // Appends the entry unless an equal one is already there; saves either way. False when the
    // save failed.
    bool AddLogEntry(TLogEntry entry);
    // Rows are positions in Entries(); rows out of range are ignored.
    void RemoveEntries(std::vector<std::size_t> rows);
    void Clear();

    const std::vector<TLogEntry>& Entries() const { return entries_; }
    std::filesystem::path File() const { return dataDir_ / LogFileName; }
    // Where the last damaged log went; empty when none was set aside.
    const std::filesystem::path& SetAsideFile() const { return setAside_; }

private:
    std::filesystem::path dataDir_;
    std::vector<TLogEntry> entries_;
    std::filesystem::path setAside_;
    bool saveRefused_ = false;
};

} // namespace shelfwise::db
