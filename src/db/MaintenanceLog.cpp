#include "db/MaintenanceLog.h"

#include "settings/FileBytes.h"
#include "settings/ReadError.h"
#include "settings/ValueStreamReader.h"
#include "settings/ValueStreamWriter.h"
#include "text/WindowsText.h"

#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace shelfwise::db {

namespace {

// Numbered names tried after the plain one before giving up.
constexpr int MaxSetAsideNumber = 99;

std::vector<TLogEntry> ParseLog(std::span<const std::uint8_t> bytes, bool& complete) {
    complete = false;
    std::vector<TLogEntry> entries;
    try {
        settings::ValueStreamReader in(bytes);
        in.ReadListBegin();
        while (!in.EndOfList()) {
            TLogEntry entry;
            for (std::string* text :
                 {&entry.Date, &entry.Time, &entry.Database, &entry.Description}) {
                *text = in.ReadString();
            }
            entries.push_back(std::move(entry));
        }
        in.ReadListEnd();
        // Bytes behind the list mean the file is not what this program wrote.
        complete = in.AtEnd();
    } catch (const settings::ReadError&) {
    }
    return entries;
}

bool Exists(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::symlink_status(file, error).type() !=
           std::filesystem::file_type::not_found;
}

// A rename that never replaces a file already there, so an earlier damaged log is kept too.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without that rename: a hard link fails on an existing name as well.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

} // namespace

QString WithoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    bool skipSpace = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c == u't') {
            while (i + 1 < format.size() && format[i + 1] == u't') {
                ++i;
            }
            // The space that joined the zone to the rest goes with it.
            while (!result.isEmpty() && result.back().isSpace()) {
                result.chop(1);
            }
            skipSpace = result.isEmpty();
            continue;
        }
        if (skipSpace && c.isSpace()) {
            continue;
        }
        skipSpace = false;
        result += c;
    }
    return result;
}

TLogEntry StampedEntry(const QDateTime& when, const QString& database, const QString& description) {
    const QLocale locale = QLocale::system();
    return {text::ToWindowsText(locale.toString(when.date(), QLocale::ShortFormat)),
            text::ToWindowsText(locale.toString(
                when.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)))),
            text::ToWindowsText(database), text::ToWindowsText(description)};
}

std::vector<std::uint8_t> LogBytes(std::span<const TLogEntry> entries) {
    settings::ValueStreamWriter out;
    out.WriteListBegin();
    for (const auto& entry : entries) {
        for (const std::string* text :
             {&entry.Date, &entry.Time, &entry.Database, &entry.Description}) {
            out.WriteString(*text);
        }
    }
    out.WriteListEnd();
    return out.Bytes();
}

TMaintenanceLog::TMaintenanceLog(std::filesystem::path dataDir) : dataDir_(std::move(dataDir)) {}

TMaintenanceLog::LoadState TMaintenanceLog::LoadLog() {
    const auto file = File();
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes && !Exists(file)) {
        return LoadState::Missing;
    }
    bool complete = false;
    entries_ = bytes ? ParseLog(*bytes, complete) : std::vector<TLogEntry>{};
    if (complete) {
        return LoadState::Loaded;
    }
    for (int n = 1; n <= MaxSetAsideNumber; ++n) {
        auto name = std::string(DamagedLogFileName) + (n == 1 ? "" : std::to_string(n));
        if (RenameNoReplace(file, dataDir_ / name)) {
            setAside_ = dataDir_ / name;
            return LoadState::SetAside;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    saveRefused_ = true;
    return LoadState::Unsaveable;
}

bool TMaintenanceLog::SaveLog() {
    if (saveRefused_) {
        return false;
    }
    return settings::ReplaceFile(File(), LogBytes(entries_));
}

bool TMaintenanceLog::AddLogEntry(TLogEntry entry) {
    if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end()) {
        entries_.push_back(std::move(entry));
    }
    return SaveLog();
}

void TMaintenanceLog::RemoveEntries(std::vector<std::size_t> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const std::size_t row : rows) {
        if (row < entries_.size()) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(row));
        }
    }
}

void TMaintenanceLog::Clear() {
    entries_.clear();
}

} // namespace shelfwise::db
