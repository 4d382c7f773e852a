#pragma once

#include "settings/ReminderDates.h"

namespace shelfwise::settings {

// Which maintenance reminders a close of the book window shows.
struct DueReminders {
    bool Backup = false;
    bool ReindexOrPack = false;

    bool Any() const { return Backup || ReindexOrPack; }
    bool operator==(const DueReminders&) const = default;
};

// Days are compared as whole days: a date and time rounds to the nearest day, a time of exactly
// noon to the even day number.
DateTime RoundToDay(DateTime value);

// A kind of maintenance is due when it was last done 14 or more days ago and last reminded of 7
// or more days ago (never counts as long ago). A due kind's reminder date becomes `now`, so it
// is not due again for a week; the other kind's dates stay as they are.
DueReminders TakeDueReminders(ReminderDates& dates, LocalTime now);

} // namespace shelfwise::settings
