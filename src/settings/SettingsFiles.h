#pragma once

#include "settings/ReminderDates.h"
#include "settings/Settings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shelfwise::settings {

// File names of the settings files of this folder.
inline constexpr const char* OptionsFileName = "options.dat";
inline constexpr const char* DateFormatsFileName = "date.dat";
inline constexpr const char* ShutMarkerFileName = "shut.dat";
inline constexpr const char* ReminderFileName = "remind.dat";
inline constexpr const char* LabelsFileName = "labels.dat";

// Every write replaces its file through a temporary file in the same directory, so a crash
// never leaves a half-written settings file. Reads of missing, short or damaged files keep
// the values already held.

// Security options: "options.dat" in ProgramDir, with a copy in DataRoot when that differs.
// Reading takes DataRoot from ProgramDir's file and the other options from the copy; a DataRoot
// that is not an enterable directory falls back to ProgramDir. True when ProgramDir's file
// existed.
bool ReadSecurityOptions(Settings& settings);
// False when a file could not be written (the program reports nothing).
bool WriteSecurityOptions(const Settings& settings);
std::vector<std::uint8_t> SecurityOptionsBytes(const Settings& settings);
// Writes the security options when their values differ from what this session last read or
// wrote (or the file was missing); true when nothing needed writing.
bool SaveSecurityOptions(Settings& settings);

// Whether the program could make `directory` its current directory. The checks stand in for
// changing the current directory, which the program never does.
bool CanEnter(const std::filesystem::path& directory);

// A directory as a settings file names it: the text up to a NUL, without trailing separators,
// so one directory always compares equal to itself.
std::filesystem::path DirectoryFromText(std::string_view text);
// A file name without any directory part (nothing a stored name may use to reach elsewhere).
bool IsPlainFileName(std::string_view name);

// PublicDir := DataRoot/"DATA" and DatabaseDir := PublicDir.
void SetPublicDir(Settings& settings);
// Creates PublicDir and its "BACKUP" directory when missing. False when that failed; the caller
// shows "Could not Create Data Directory!" and goes on.
bool EnsureDataDirectories(const Settings& settings);

// User-interface options: "options.dat" in DataDir. Reading first sets DataDir := DatabaseDir
// and may replace DataFileName and DatabaseDir with the last used ones. The caller loads the
// template catalogues and report definitions afterwards. False when the last used database's
// directory no longer exists: the default database of DatabaseDir stays chosen, and the next save
// stores it.
bool ReadUiOptions(Settings& settings);
bool WriteUiOptions(const Settings& settings);
std::vector<std::uint8_t> UiOptionsBytes(const Settings& settings);
// Writes the user-interface options when they differ from what this session last read or
// wrote; true when nothing needed writing.
bool SaveUiOptions(Settings& settings);

// "date.dat" in DataDir. A missing file leaves the list empty. Writing returns false on a write
// error; the caller shows "Could not Save Options to a File!".
void ReadDateFormats(Settings& settings);
bool WriteDateFormats(const Settings& settings);

// "labels.dat" in DataDir: one field label per CR LF line, in field order. Reloading replaces
// the list (empty when the file is missing); writing returns false on a write error, which the
// caller reports as "Could not Save Options to a File!".
void ReloadLabels(Settings& settings);
bool WriteLabels(const Settings& settings);
// A label file of that format anywhere (label templates use it too); nothing when unreadable.
std::optional<std::vector<std::string>> ReadLabelFile(const std::filesystem::path& file);
bool WriteLabelFile(const std::filesystem::path& file, const std::vector<std::string>& labels);

// "shut.dat" in DataDir: running while a session is active, closed after an orderly end.
enum class ShutMarker { Running, Closed };
inline constexpr const char* RunningMarker = "#10*";
inline constexpr const char* ClosedMarker = "@a$)";
bool WriteShutMarker(const Settings& settings, ShutMarker marker);
// True when the previous session ended normally: the file is missing or its first line is the
// closed marker.
bool ShutMarkerIsClean(const Settings& settings);

// "remind.dat" in DataDir. Reading sets all four dates to 0 first.
void ReadReminderDates(Settings& settings);
// Last backup and last re-index dates that are still 0 become `now` before writing.
bool WriteReminderDates(Settings& settings, LocalTime now = LocalNow());

// Whether `directory` is the public database DataRoot/"DATA": letters a..z compared without
// case, everything else exactly (a trailing separator makes them differ).
bool IsPublicDatabase(const Settings& settings, const std::filesystem::path& directory);
// The session's user may only read the open database.
bool ReadOnlyAccess(const Settings& settings);

} // namespace shelfwise::settings
