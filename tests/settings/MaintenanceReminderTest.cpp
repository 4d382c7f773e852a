#include "settings/MaintenanceReminder.h"

#include <gtest/gtest.h>
#include <string>

namespace shelfwise::settings {
namespace {

using namespace std::chrono;

LocalTime At(year_month_day day, int hour, int minute = 0) {
    return local_days{day} + hours{hour} + minutes{minute};
}

DateTime Stamp(year_month_day day, int hour, int minute = 0) {
    return ToDateTime(At(day, hour, minute));
}

TEST(MaintenanceReminder, RoundsToTheNearestDayAndHalfWayToTheEvenOne) {
    const struct {
        DateTime value;
        DateTime day;
    } cases[] = {
        {46000.25, 46000},   {46000.75, 46001},   {46000.5, 46000}, {46001.5, 46002},
        {46000.4999, 46000}, {46000.5001, 46001}, {46000.0, 46000}, {0.0, 0.0},
        {-2.5, -2},          {-3.5, -4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundToDay(c.value), c.day) << c.value;
    }
}

struct DueCase {
    std::string name;
    ReminderDates dates;
    LocalTime now;
    DueReminders due;
};

TEST(MaintenanceReminder, DueWhenDoneTwoWeeksAgoAndRemindedAWeekAgo) {
    const auto never = 0.0;
    // Later than every check below: that kind is never due.
    const auto recent = Stamp(2030y / June / 1d, 10);
    const DueCase cases[] = {
        {"never done, never reminded",
         {never, never, never, never},
         At(2026y / June / 1d, 9),
         {true, true}},
        {"exactly fourteen and seven days",
         {Stamp(2026y / May / 1d, 9), Stamp(2026y / May / 8d, 9), recent, recent},
         At(2026y / May / 15d, 9),
         {true, false}},
        {"thirteen days",
         {Stamp(2026y / May / 2d, 9), never, never, never},
         At(2026y / May / 15d, 9),
         {false, true}},
        {"reminded six days ago",
         {recent, recent, Stamp(2026y / April / 1d, 9), Stamp(2026y / May / 9d, 9)},
         At(2026y / May / 15d, 9),
         {false, false}},
        {"over the end of January",
         {Stamp(2026y / January / 31d, 10), never, recent, recent},
         At(2026y / February / 14d, 10),
         {true, false}},
        {"a day short over the end of January",
         {Stamp(2026y / January / 31d, 10), never, recent, recent},
         At(2026y / February / 13d, 10),
         {false, false}},
        {"over the end of February in a leap year",
         {recent, recent, Stamp(2028y / February / 16d, 8), never},
         At(2028y / March / 1d, 8),
         {false, true}},
        {"over the end of February in a common year",
         {recent, recent, Stamp(2027y / February / 16d, 8), never},
         At(2027y / March / 1d, 8),
         {false, false}},
        {"over the end of the year",
         {Stamp(2025y / December / 25d, 8), never, recent, recent},
         At(2026y / January / 8d, 7),
         {true, false}},
        // 23:00 counts as the next day, so the backup is a day younger than its date says.
        {"backup late in the evening",
         {Stamp(2026y / March / 1d, 23), never, recent, recent},
         At(2026y / March / 15d, 10),
         {false, false}},
        {"backup late in the evening, a day later",
         {Stamp(2026y / March / 1d, 23), never, recent, recent},
         At(2026y / March / 16d, 10),
         {true, false}},
        // Late in the evening today counts as tomorrow.
        {"checked late in the evening",
         {Stamp(2026y / March / 2d, 8), never, recent, recent},
         At(2026y / March / 15d, 22),
         {true, false}},
        {"reminder late in the evening",
         {Stamp(2026y / March / 1d, 8), Stamp(2026y / March / 9d, 23), recent, recent},
         At(2026y / March / 16d, 10),
         {false, false}},
    };
    for (const auto& c : cases) {
        ReminderDates dates = c.dates;
        EXPECT_EQ(TakeDueReminders(dates, c.now), c.due) << c.name;
        // Only the reminder date of a due kind moves; what was done stays as it was.
        ReminderDates expected = c.dates;
        if (c.due.Backup) {
            expected.LastBackupReminder = ToDateTime(c.now);
        }
        if (c.due.ReindexOrPack) {
            expected.LastReindexReminder = ToDateTime(c.now);
        }
        EXPECT_EQ(dates, expected) << c.name;
    }
}

TEST(MaintenanceReminder, HalfWayBetweenDaysCountsAsTheEvenDay) {
    // Noon of a day with an even number stays on it; noon of an odd-numbered day moves on.
    const DateTime evenDay = 46000;
    for (const DateTime day : {evenDay, evenDay + 1}) {
        ReminderDates dates;
        dates.LastBackup = day + 0.5;
        dates.LastReindex = ToDateTime(At(2100y / January / 1d, 0));
        const LocalTime now = ToLocalTime(day + 14);
        const bool roundsDown = day == evenDay;
        EXPECT_EQ(TakeDueReminders(dates, now).Backup, roundsDown) << day;
    }
}

TEST(MaintenanceReminder, AShownReminderIsNotDueAgainForAWeek) {
    ReminderDates dates;
    const LocalTime first = At(2026y / April / 30d, 17);
    EXPECT_EQ(TakeDueReminders(dates, first), (DueReminders{true, true}));
    // The second close of the same session shows nothing.
    EXPECT_FALSE(TakeDueReminders(dates, first + minutes{5}).Any());
    EXPECT_FALSE(TakeDueReminders(dates, At(2026y / May / 6d, 17)).Any());
    EXPECT_EQ(TakeDueReminders(dates, At(2026y / May / 7d, 17)), (DueReminders{true, true}));
}

} // namespace
} // namespace shelfwise::settings
