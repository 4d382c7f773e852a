#include "settings/MaintenanceReminder.h"

#include <cmath>

namespace shelfwise::settings {

namespace {

constexpr double DaysUntilDue = 14;
constexpr double DaysBetweenReminders = 7;

bool TakeDue(DateTime today, DateTime now, DateTime last, DateTime& lastReminder) {
    const bool due = today - RoundToDay(last) >= DaysUntilDue &&
                     today - RoundToDay(lastReminder) >= DaysBetweenReminders;
    if (due) {
        lastReminder = now;
    }
    return due;
}

} // namespace

DateTime RoundToDay(DateTime value) {
    // The default rounding mode takes a value half-way between two days to the even one.
    return std::nearbyint(value);
}

DueReminders TakeDueReminders(ReminderDates& dates, LocalTime now) {
    const DateTime stamp = ToDateTime(now);
    const DateTime today = RoundToDay(stamp);
    DueReminders due;
    due.Backup = TakeDue(today, stamp, dates.LastBackup, dates.LastBackupReminder);
    due.ReindexOrPack = TakeDue(today, stamp, dates.LastReindex, dates.LastReindexReminder);
    return due;
}

} // namespace shelfwise::settings
