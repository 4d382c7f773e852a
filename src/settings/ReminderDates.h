#pragma once

#include <chrono>

namespace shelfwise::settings {

// A date and time as the settings files store it: days since 30 December 1899, with the time
// of day as the fraction. Before that day the whole part counts backwards while the fraction
// still counts forwards (-1.25 is 29 December 1899, 06:00). Zero means "never".
using DateTime = double;

// Wall-clock time of the user's time zone, to millisecond precision, as the files hold it.
using LocalTime = std::chrono::local_time<std::chrono::milliseconds>;

DateTime ToDateTime(LocalTime time);
LocalTime ToLocalTime(DateTime value);
LocalTime LocalNow();

// The maintenance reminder dates of "remind.dat".
struct ReminderDates {
    DateTime LastBackup = 0;
    DateTime LastBackupReminder = 0;
    DateTime LastReindex = 0; // last re-index or pack
    DateTime LastReindexReminder = 0;

    bool operator==(const ReminderDates&) const = default;
};

// A backup, or a re-index or pack, finished now: its reminder counts from now.
void NoteBackup(ReminderDates& dates, LocalTime now = LocalNow());
void NoteReindexOrPack(ReminderDates& dates, LocalTime now = LocalNow());

} // namespace shelfwise::settings
