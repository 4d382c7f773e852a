#pragma once

#include "settings/DateFormatList.h"
#include "settings/ElementColors.h"
#include "settings/FontRecord.h"
#include "settings/ReminderDates.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace shelfwise::settings {

// Values of the enumerated options, as they stand in the options files.
namespace opt {
enum class PasswordMode : std::int16_t { Required = 0, NotRequired = 1 };
enum class PublicAccess : std::int16_t {
    AsSpecifiedInAccounts = 0,
    ReadAndWrite = 1,
    ReadOnly = 2,
    None = 3
};
enum class UserCount : std::int16_t { OneUser = 0, MultiUser = 1 };
enum class MenusAndSpeedBars : std::int16_t { Both = 0, OnlyMenus = 1, OnlySpeedBars = 2 };
enum class DialType : std::int16_t { Tone = 0, Pulse = 1 };
enum class HintMessages : std::int16_t { Show = 0, Hide = 1 };
enum class LetterTabs : std::int16_t { Use = 0, DontUse = 1 };
enum class InitialDataFile : std::int16_t { DefaultFile = 0, LastUsedFile = 1 };
// The first three date formats of the date field list.
enum class FilterDateFormat : std::int16_t { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };
enum class SpeedBarLocation : std::int16_t { Top = 0, Bottom = 1 };
enum class DeleteMode : std::int16_t { AskUserToConfirm = 0, ImmediateDelete = 1 };
enum class LetterTabsLocation : std::int16_t { Center = 0, Right = 1 };
// Access of the session's user to the public database.
enum class UserAccess : std::int16_t { ReadWrite = 1, ReadOnly = 2, None = 3 };
} // namespace opt

inline constexpr const char* ApplicationTitle = "Shelfwise";
inline constexpr const char* ProgramTitle = "Quorvan Shelfwise";
inline constexpr const char* VersionText = "Version 3.0 (32-bit)";
inline constexpr const char* HelpFile = "SHWHELP.HLP";
inline constexpr const char* DefaultDataFileName = "data.dbf";
inline constexpr const char* DefaultModemName = "Custom Settings";
// The public database's directory under DataRoot, and its backup directory.
inline constexpr const char* PublicDirName = "DATA";
inline constexpr const char* BackupDirName = "BACKUP";

// The option values and session values of one run. One object lives for the whole process;
// every part reads it directly and nothing is notified of changes. Directories are values
// here, never globals, so a whole run can be pointed at another program directory.
struct Settings {
    // Directories of the run, never ending in a separator.
    std::filesystem::path ProgramDir;
    std::filesystem::path DataRoot;
    std::filesystem::path PublicDir;
    std::filesystem::path DataDir;
    std::filesystem::path DatabaseDir;
    std::string DataFileName = DefaultDataFileName;

    // Security options.
    opt::PasswordMode PasswordMode = opt::PasswordMode::NotRequired;
    opt::PublicAccess PublicAccess = opt::PublicAccess::AsSpecifiedInAccounts;
    opt::UserCount UserCount = opt::UserCount::OneUser;
    std::string SupervisorPassword;

    // User-interface options.
    opt::MenusAndSpeedBars MenusAndSpeedBars = opt::MenusAndSpeedBars::Both;
    std::int16_t ComPort = 1; // 0..3 for "COM 1".."COM 4"
    opt::DialType DialType = opt::DialType::Tone;
    opt::HintMessages HintMessages = opt::HintMessages::Show;
    opt::LetterTabs LetterTabs = opt::LetterTabs::Use;
    opt::InitialDataFile InitialDataFile = opt::InitialDataFile::LastUsedFile;
    std::int16_t ReservedWord = 0;
    opt::FilterDateFormat FilterDateFormat = opt::FilterDateFormat::MonthDayYear;
    opt::SpeedBarLocation SpeedBarLocation = opt::SpeedBarLocation::Bottom;
    opt::DeleteMode DeleteMode = opt::DeleteMode::AskUserToConfirm;
    bool StartHidden = false;
    opt::LetterTabsLocation LetterTabsLocation = opt::LetterTabsLocation::Center;
    bool StayOnTop = false;
    bool ShowTips = true;
    std::string ModemName = DefaultModemName;
    std::string ModemInitString;
    std::string ModemConfigString;
    std::string ModemHangupString;
    FontRecord RecordButtonFont;
    FontRecord OneLineFieldFont;
    FontRecord MultiLineFieldFont;
    bool AutoFill = true;
    bool ShowReminders = true;
    bool ShowTrayIcon = false;

    // The field labels: entry i names field number i + 1. Empty until "labels.dat" is read or
    // the book window fills it from its designed captions.
    std::vector<std::string> FieldLabels;

    // Date display formats of the record's date fields, and the maintenance reminder dates.
    DateFormatList DateFormats;
    ReminderDates Reminders;

    // The colour of every coloured element of the book window, from "color.lst".
    ElementColors Colors;

    // Session values, set by the login.
    opt::UserAccess UserAccess = opt::UserAccess::ReadWrite;
    bool IsSupervisor = true;
    std::string UserId;

    // Session flags of start-up.
    bool LoginRefused = false;
    bool AccountDeactivated = false;

    // The two options files' contents as this session last read or wrote them: a file is only
    // written when its values differ, so a copy of the program that changed nothing never
    // reverts what another copy saved. Empty when the file was not there.
    std::vector<std::uint8_t> SecurityOptionsStored;
    std::vector<std::uint8_t> UiOptionsStored;
};

} // namespace shelfwise::settings
