#pragma once

#include "settings/ModemEntries.h"
#include "settings/ReadError.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"
#include "settings/ValueStreamReader.h"
#include "support/TestFiles.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace shelfwise::settings::test {

// One fuzz input: the first byte chooses a settings file, the rest is that file's contents.
// Every reader must take any contents without crashing, and what it makes of them must be
// stable: writing what was read and reading that again writes the very same bytes. Returns
// false when that does not hold. `directory` is an empty scratch directory.
inline bool RunSettingsReaders(std::span<const std::uint8_t> input,
                               const std::filesystem::path& directory) {
    if (input.empty()) {
        return true;
    }
    const auto kind = input[0] % 7;
    const auto contents = input.subspan(1);

    const auto fresh = [&directory] {
        Settings settings;
        settings.ProgramDir = directory;
        settings.DataRoot = directory;
        settings.DataDir = directory;
        settings.DatabaseDir = directory;
        return settings;
    };
    // Reads `file` after putting `bytes` there, writes it back and returns what was written.
    const auto readThenWrite = [&](const char* file, std::span<const std::uint8_t> bytes, auto read,
                                   auto write) {
        shelfwise::test::WriteBytes(directory / file, bytes);
        Settings settings = fresh();
        read(settings);
        write(settings);
        return shelfwise::test::ReadBytes(directory / file);
    };
    const auto stable = [&](const char* file, auto read, auto write) {
        const auto once = readThenWrite(file, contents, read, write);
        return readThenWrite(file, once, read, write) == once;
    };

    switch (kind) {
    case 0:
        return stable(
            OptionsFileName, [](Settings& s) { ReadSecurityOptions(s); },
            [](Settings& s) {
                s.DataRoot = s.ProgramDir; // never write a copy outside the scratch directory
                WriteSecurityOptions(s);
            });
    case 1:
        return stable(
            OptionsFileName, [](Settings& s) { ReadUiOptions(s); },
            [](Settings& s) { WriteUiOptions(s); });
    case 2:
        return stable(
            DateFormatsFileName, [](Settings& s) { ReadDateFormats(s); },
            [](Settings& s) { WriteDateFormats(s); });
    case 3:
        return stable(
            ReminderFileName, [](Settings& s) { ReadReminderDates(s); },
            [](Settings& s) { WriteReminderDates(s, LocalTime{}); });
    case 4: {
        const auto catalogue = directory / "headers.tml";
        shelfwise::test::WriteBytes(catalogue, contents);
        TTemplateList list{HeaderTemplates, directory};
        list.LoadCatalogue(catalogue);
        list.SaveCatalogue(catalogue);
        const auto once = shelfwise::test::ReadBytes(catalogue);
        list.LoadCatalogue(catalogue);
        list.SaveCatalogue(catalogue);
        return shelfwise::test::ReadBytes(catalogue) == once;
    }
    case 6: {
        const std::string_view text(reinterpret_cast<const char*>(contents.data()),
                                    contents.size());
        const std::string once = FormatModemEntries(ParseModemEntries(text));
        return FormatModemEntries(ParseModemEntries(once)) == once;
    }
    default: {
        // A walk through the stream, taking each item in the way its position asks for.
        ValueStreamReader in(contents);
        try {
            for (std::size_t step = 0; !in.AtEnd(); ++step) {
                switch (step % 8) {
                case 0:
                    in.EndOfList() ? in.ReadListEnd() : in.ReadListBegin();
                    break;
                case 1:
                    in.ReadInteger();
                    break;
                case 2:
                    in.ReadString();
                    break;
                case 3:
                    in.ReadBoolean();
                    break;
                case 4:
                    in.ReadInt16();
                    break;
                case 5:
                    in.ReadShortString();
                    break;
                case 6:
                    in.ReadBlock(in.ReadByte());
                    break;
                default:
                    in.ReadInt32();
                    break;
                }
            }
        } catch (const ReadError&) {
        }
        return true;
    }
    }
}

} // namespace shelfwise::settings::test
