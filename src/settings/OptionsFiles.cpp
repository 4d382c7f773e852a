#include "settings/ByteCursor.h"
#include "settings/FileBytes.h"
#include "settings/ScrambledString.h"
#include "settings/SettingsFiles.h"
#include "settings/ValueStreamWriter.h"

namespace shelfwise::settings {

namespace {

// A fixed-width field missing at the end of the file keeps the option's value.
template <typename Option> void ReadWord(ByteCursor& in, Option& option) {
    if (const auto value = in.Int16()) {
        option = static_cast<Option>(*value);
    }
}

void ReadFlag(ByteCursor& in, bool& option) {
    if (const auto value = in.Byte()) {
        option = *value != 0;
    }
}

template <typename Option> void WriteWord(ValueStreamWriter& out, Option option) {
    out.WriteInt16(static_cast<std::int16_t>(option));
}

void WriteFlag(ValueStreamWriter& out, bool option) {
    out.WriteByte(option ? 1 : 0);
}

// StartHidden is stored as 6 for hide, 0 for show; anything above 5 means hide.
constexpr std::int16_t HiddenValue = 6;

void ReadSecurityFields(ByteCursor& in, Settings& settings) {
    ReadWord(in, settings.PasswordMode);
    ReadWord(in, settings.PublicAccess);
    settings.DataRoot = DirectoryFromText(ReadScrambled(in));
    ReadWord(in, settings.UserCount);
    settings.SupervisorPassword = ReadScrambled(in);
}

bool SameText(const std::filesystem::path& a, const std::filesystem::path& b) {
    return a.native() == b.native();
}

// Writes only values that differ from what this session last read or wrote.
template <typename Write>
bool SaveWhenChanged(std::vector<std::uint8_t> bytes, std::vector<std::uint8_t>& stored,
                     Write write) {
    if (bytes == stored) {
        return true;
    }
    if (!write()) {
        return false;
    }
    stored = std::move(bytes);
    return true;
}

} // namespace

bool ReadSecurityOptions(Settings& settings) {
    const auto bytes = ReadFileBytes(settings.ProgramDir / OptionsFileName);
    if (bytes) {
        ByteCursor in(*bytes);
        ReadSecurityFields(in, settings);
    }
    // The copy in DataRoot supplies everything but DataRoot itself. Only this one level is
    // followed: copies naming each other as DataRoot must not recurse forever.
    if (bytes && !SameText(settings.DataRoot, settings.ProgramDir)) {
        if (const auto copy = ReadFileBytes(settings.DataRoot / OptionsFileName)) {
            Settings fromCopy = settings;
            ByteCursor in(*copy);
            ReadSecurityFields(in, fromCopy);
            settings.PasswordMode = fromCopy.PasswordMode;
            settings.PublicAccess = fromCopy.PublicAccess;
            settings.UserCount = fromCopy.UserCount;
            settings.SupervisorPassword = fromCopy.SupervisorPassword;
        }
    }
    if (!CanEnter(settings.DataRoot) || !CanEnter(settings.ProgramDir)) {
        settings.DataRoot = settings.ProgramDir;
    }
    settings.SecurityOptionsStored.clear();
    if (bytes) {
        settings.SecurityOptionsStored = SecurityOptionsBytes(settings);
    }
    return bytes.has_value();
}

std::vector<std::uint8_t> SecurityOptionsBytes(const Settings& settings) {
    ValueStreamWriter out;
    WriteWord(out, settings.PasswordMode);
    WriteWord(out, settings.PublicAccess);
    WriteScrambled(out, settings.DataRoot.string());
    WriteWord(out, settings.UserCount);
    WriteScrambled(out, settings.SupervisorPassword);
    return out.Bytes();
}

bool WriteSecurityOptions(const Settings& settings) {
    const auto bytes = SecurityOptionsBytes(settings);
    bool written = ReplaceFile(settings.ProgramDir / OptionsFileName, bytes);
    if (!SameText(settings.DataRoot, settings.ProgramDir)) {
        written = ReplaceFile(settings.DataRoot / OptionsFileName, bytes) && written;
    }
    return written;
}

bool SaveSecurityOptions(Settings& settings) {
    return SaveWhenChanged(SecurityOptionsBytes(settings), settings.SecurityOptionsStored,
                           [&settings] { return WriteSecurityOptions(settings); });
}

bool ReadUiOptions(Settings& settings) {
    settings.DataDir = settings.DatabaseDir;
    settings.UiOptionsStored.clear();
    const auto bytes = ReadFileBytes(settings.DataDir / OptionsFileName);
    if (!bytes) {
        return true;
    }
    ByteCursor in(*bytes);
    ReadWord(in, settings.MenusAndSpeedBars);
    ReadWord(in, settings.ComPort);
    ReadWord(in, settings.DialType);
    ReadWord(in, settings.HintMessages);
    ReadWord(in, settings.LetterTabs);
    ReadWord(in, settings.InitialDataFile);
    ReadWord(in, settings.ReservedWord);
    ReadWord(in, settings.FilterDateFormat);
    ReadWord(in, settings.SpeedBarLocation);
    ReadWord(in, settings.DeleteMode);

    // The last used database is reopened unless the user chose the default file, and never
    // when it is the public database that this user may not use at all. Only a plain file name
    // in an existing directory under DataRoot is taken: the name is used as a path.
    const auto lastFile = ReadScrambled(in);
    const auto lastDir = DirectoryFromText(ReadScrambled(in));
    const bool publicDenied = !settings.IsSupervisor &&
                              settings.UserAccess == opt::UserAccess::None &&
                              IsPublicDatabase(settings, lastDir);
    bool lastFound = true;
    if (settings.InitialDataFile == opt::InitialDataFile::LastUsedFile &&
        IsPlainFileName(lastFile) && !lastDir.empty() && !publicDenied) {
        if (!lastDir.native().starts_with(settings.DataRoot.native())) {
            settings.DataFileName = lastFile;
        } else if (CanEnter(lastDir)) {
            settings.DataFileName = lastFile;
            settings.DatabaseDir = lastDir;
        } else {
            lastFound = false;
        }
    }

    std::int16_t startHidden = settings.StartHidden ? HiddenValue : 0;
    ReadWord(in, startHidden);
    settings.StartHidden = startHidden > 5;
    ReadWord(in, settings.LetterTabsLocation);
    ReadFlag(in, settings.StayOnTop);
    ReadFlag(in, settings.ShowTips);

    // Older files end after field 16 or after field 25.
    if (!in.AtEnd()) {
        settings.ModemName = ReadScrambled(in);
        settings.ModemInitString = ReadScrambled(in);
        settings.ModemConfigString = ReadScrambled(in);
        settings.ModemHangupString = ReadScrambled(in);
        ReadFontRecord(in, settings.RecordButtonFont);
        ReadFontRecord(in, settings.OneLineFieldFont);
        ReadFontRecord(in, settings.MultiLineFieldFont);
        ReadFlag(in, settings.AutoFill);
        ReadFlag(in, settings.ShowReminders);
    }
    if (!in.AtEnd()) {
        ReadFlag(in, settings.ShowTrayIcon);
    }
    // A vanished database directory is not kept: the next save stores the fallback.
    if (lastFound) {
        settings.UiOptionsStored = UiOptionsBytes(settings);
    }
    return lastFound;
}

std::vector<std::uint8_t> UiOptionsBytes(const Settings& settings) {
    ValueStreamWriter out;
    WriteWord(out, settings.MenusAndSpeedBars);
    WriteWord(out, settings.ComPort);
    WriteWord(out, settings.DialType);
    WriteWord(out, settings.HintMessages);
    WriteWord(out, settings.LetterTabs);
    WriteWord(out, settings.InitialDataFile);
    WriteWord(out, settings.ReservedWord);
    WriteWord(out, settings.FilterDateFormat);
    WriteWord(out, settings.SpeedBarLocation);
    WriteWord(out, settings.DeleteMode);
    WriteScrambled(out, settings.DataFileName);
    WriteScrambled(out, settings.DatabaseDir.string());
    WriteWord(out, settings.StartHidden ? HiddenValue : std::int16_t{0});
    WriteWord(out, settings.LetterTabsLocation);
    WriteFlag(out, settings.StayOnTop);
    WriteFlag(out, settings.ShowTips);
    WriteScrambled(out, settings.ModemName);
    WriteScrambled(out, settings.ModemInitString);
    WriteScrambled(out, settings.ModemConfigString);
    WriteScrambled(out, settings.ModemHangupString);
    WriteFontRecord(out, settings.RecordButtonFont);
    WriteFontRecord(out, settings.OneLineFieldFont);
    WriteFontRecord(out, settings.MultiLineFieldFont);
    WriteFlag(out, settings.AutoFill);
    WriteFlag(out, settings.ShowReminders);
    WriteFlag(out, settings.ShowTrayIcon);
    return out.Bytes();
}

bool WriteUiOptions(const Settings& settings) {
    return ReplaceFile(settings.DataDir / OptionsFileName, UiOptionsBytes(settings));
}

bool SaveUiOptions(Settings& settings) {
    return SaveWhenChanged(UiOptionsBytes(settings), settings.UiOptionsStored,
                           [&settings] { return WriteUiOptions(settings); });
}

} // namespace shelfwise::settings
