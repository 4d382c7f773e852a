#include "settings/ModemEntries.h"

#include "settings/FileBytes.h"
#include "settings/Settings.h"
#include "settings/TextLines.h"

#include <algorithm>

namespace shelfwise::settings {

namespace {

constexpr std::size_t MaxEntries = 500;
constexpr std::size_t MaxNameLength = 64;
constexpr std::size_t MaxValueLength = 255;
constexpr std::size_t MaxFileSize = 1 << 20;

std::string_view Trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string* Field(ModemEntry& entry, std::string_view key) {
    if (SameName(key, "Init")) {
        return &entry.Init;
    }
    if (SameName(key, "Config")) {
        return &entry.Config;
    }
    if (SameName(key, "Hangup")) {
        return &entry.Hangup;
    }
    if (SameName(key, "Dial")) {
        return &entry.Dial;
    }
    return nullptr;
}

std::vector<ModemEntry> ReadEntries(const std::filesystem::path& file) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes || bytes->size() > MaxFileSize) {
        return {};
    }
    return ParseModemEntries(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

auto FindIn(std::vector<ModemEntry>& entries, std::string_view name) {
    return std::find_if(entries.begin(), entries.end(),
                        [&](const ModemEntry& e) { return SameName(e.Name, name); });
}

} // namespace

std::vector<ModemEntry> ParseModemEntries(std::string_view text) {
    std::vector<ModemEntry> entries;
    // Keys of a section that was refused (a repeat, or one too many) are dropped with it.
    bool inEntry = false;
    for (std::string_view line : SplitLines(text)) {
        line = Trimmed(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            inEntry = false;
            const auto close = line.find(']');
            if (close == std::string_view::npos) {
                continue;
            }
            const std::string_view name = Trimmed(line.substr(1, close - 1));
            if (name.empty() || name.size() > MaxNameLength || HasControlCharacter(name) ||
                entries.size() >= MaxEntries || FindIn(entries, name) != entries.end()) {
                continue;
            }
            entries.push_back({std::string(name), {}, {}, {}, {}});
            inEntry = true;
            continue;
        }
        const auto equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = Trimmed(line.substr(equals + 1));
        if (std::string* field = Field(entries.back(), Trimmed(line.substr(0, equals)));
            field != nullptr && !HasControlCharacter(value)) {
            *field = std::string(value.substr(0, MaxValueLength));
        }
    }
    return entries;
}

std::string FormatModemEntries(const std::vector<ModemEntry>& entries) {
    std::vector<std::string> lines;
    for (const ModemEntry& e : entries) {
        lines.push_back("[" + e.Name + "]");
        lines.push_back("Init=" + e.Init);
        lines.push_back("Config=" + e.Config);
        lines.push_back("Hangup=" + e.Hangup);
        lines.push_back("Dial=" + e.Dial);
        lines.emplace_back();
    }
    return JoinLines(lines);
}

TModemEntries::TModemEntries(const Settings& settings)
    : userFile_(settings.DataDir / ModemEntriesFileName) {
    entries_ = ReadEntries(settings.ProgramDir / ModemEntriesFileName);
    if (userFile_ != settings.ProgramDir / ModemEntriesFileName) {
        for (ModemEntry& own : ReadEntries(userFile_)) {
            if (auto found = FindIn(entries_, own.Name); found != entries_.end()) {
                *found = std::move(own);
            } else if (entries_.size() < MaxEntries) {
                entries_.push_back(std::move(own));
            }
        }
    }
    auto custom = FindIn(entries_, DefaultModemName);
    ModemEntry first;
    if (custom != entries_.end()) {
        first = *custom;
        entries_.erase(custom);
    }
    first.Name = DefaultModemName;
    entries_.insert(entries_.begin(), std::move(first));
}

std::vector<std::string> TModemEntries::Names() const {
    std::vector<std::string> names;
    for (const ModemEntry& e : entries_) {
        names.push_back(e.Name);
    }
    return names;
}

std::optional<ModemEntry> TModemEntries::Find(std::string_view name) const {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const ModemEntry& e) { return SameName(e.Name, name); });
    if (found == entries_.end()) {
        return std::nullopt;
    }
    return *found;
}

bool TModemEntries::WriteCustom(const ModemEntry& entry) {
    ModemEntry custom = entry;
    custom.Name = DefaultModemName;
    std::vector<ModemEntry> own = ReadEntries(userFile_);
    if (auto found = FindIn(own, DefaultModemName); found != own.end()) {
        *found = custom;
    } else {
        own.insert(own.begin(), custom);
    }
    const std::string text = FormatModemEntries(own);
    if (!ReplaceFile(userFile_,
                     std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
        return false;
    }
    entries_.front() = custom;
    return true;
}

} // namespace shelfwise::settings
