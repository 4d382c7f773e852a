#include "settings/ReminderDates.h"

#include "settings/ByteCursor.h"
#include "settings/FileBytes.h"
#include "settings/SettingsFiles.h"
#include "settings/ValueStreamWriter.h"

#include <bit>
#include <cmath>
#include <ctime>

namespace shelfwise::settings {

namespace {

using namespace std::chrono;

constexpr local_days DayZero{year{1899} / December / 30};
// 1 January 0001 and 1 January 10000: the range of dates the files can hold.
constexpr DateTime FirstDate = -693593;
constexpr DateTime EndOfDates = 2958466;

bool IsValid(DateTime value) {
    return std::isfinite(value) && value >= FirstDate && value < EndOfDates;
}

} // namespace

void NoteBackup(ReminderDates& dates, LocalTime now) {
    dates.LastBackup = ToDateTime(now);
}

void NoteReindexOrPack(ReminderDates& dates, LocalTime now) {
    dates.LastReindex = ToDateTime(now);
}

DateTime ToDateTime(LocalTime time) {
    const auto day = floor<days>(time);
    const auto whole = static_cast<double>((day - DayZero).count());
    const auto fraction = duration<double, days::period>(time - day).count();
    return whole >= 0 ? whole + fraction : whole - fraction;
}

LocalTime ToLocalTime(DateTime value) {
    if (!IsValid(value)) {
        return DayZero;
    }
    const auto whole = std::trunc(value);
    const auto fraction = std::abs(value - whole);
    return DayZero + days{static_cast<int>(whole)} +
           round<milliseconds>(duration<double, days::period>(fraction));
}

LocalTime LocalNow() {
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const std::tm local = *std::localtime(&seconds);
    const local_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    return day + hours{local.tm_hour} + minutes{local.tm_min} + std::chrono::seconds{local.tm_sec} +
           duration_cast<milliseconds>(now - floor<std::chrono::seconds>(now));
}

void ReadReminderDates(Settings& settings) {
    settings.Reminders = {};
    const auto bytes = ReadFileBytes(settings.DataDir / ReminderFileName);
    if (!bytes) {
        return;
    }
    ByteCursor in(*bytes);
    auto& r = settings.Reminders;
    for (DateTime* date :
         {&r.LastBackup, &r.LastBackupReminder, &r.LastReindex, &r.LastReindexReminder}) {
        const auto bits = in.Block(sizeof(double));
        if (!bits) {
            return;
        }
        std::uint64_t word = 0;
        for (std::size_t i = sizeof(double); i-- > 0;) {
            word = (word << 8) | (*bits)[i];
        }
        const auto value = std::bit_cast<double>(word);
        *date = IsValid(value) ? value : 0;
    }
}

bool WriteReminderDates(Settings& settings, LocalTime now) {
    auto& r = settings.Reminders;
    if (r.LastBackup == 0) {
        r.LastBackup = ToDateTime(now);
    }
    if (r.LastReindex == 0) {
        r.LastReindex = ToDateTime(now);
    }
    ValueStreamWriter out;
    for (DateTime date :
         {r.LastBackup, r.LastBackupReminder, r.LastReindex, r.LastReindexReminder}) {
        const auto word = std::bit_cast<std::uint64_t>(date);
        for (int shift = 0; shift < 64; shift += 8) {
            out.WriteByte(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return ReplaceFile(settings.DataDir / ReminderFileName, out.Bytes());
}

} // namespace shelfwise::settings
