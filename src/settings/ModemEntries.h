#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::settings {

struct Settings;

inline constexpr const char* ModemEntriesFileName = "awmodem.ini";

// One modem of the modem entry file: a section "[name]" with the keys Init, Config, Hangup and
// Dial.
struct ModemEntry {
    std::string Name;
    std::string Init;
    std::string Config;
    std::string Hangup;
    std::string Dial;

    bool operator==(const ModemEntry&) const = default;
};

// The modem entry file is read as untrusted text: lines that are not a section or a known
// key are skipped, a repeated section keeps its first appearance, and names, values and the
// number of entries are capped, so a damaged or hostile file can only shorten the list.
std::vector<ModemEntry> ParseModemEntries(std::string_view text);
std::string FormatModemEntries(const std::vector<ModemEntry>& entries);

// The modems the Options dialog offers: those of the program directory's file, with the entries
// of the data directory's file (where the user's "Custom Settings" are kept, since an installed
// program's directory is read-only) taking precedence. "Custom Settings" is always listed first.
class TModemEntries {
public:
    explicit TModemEntries(const Settings& settings);

    const std::vector<ModemEntry>& Entries() const { return entries_; }
    std::vector<std::string> Names() const;
    std::optional<ModemEntry> Find(std::string_view name) const;
    // Writes the "Custom Settings" entry into the data directory's file, keeping that file's
    // other entries. False when the file could not be written.
    bool WriteCustom(const ModemEntry& entry);

private:
    std::filesystem::path userFile_;
    std::vector<ModemEntry> entries_;
};

} // namespace shelfwise::settings
