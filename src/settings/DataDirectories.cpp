#include "settings/SettingsFiles.h"

#include <algorithm>
#include <string>

namespace shelfwise::settings {

bool CanEnter(const std::filesystem::path& directory) {
    std::error_code error;
    return std::filesystem::is_directory(directory, error);
}

std::filesystem::path DirectoryFromText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    while (text.size() > 1 && text.back() == '/') {
        text.remove_suffix(1);
    }
    return std::filesystem::path(std::string(text));
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

void SetPublicDir(Settings& settings) {
    settings.PublicDir = settings.DataRoot / PublicDirName;
    settings.DatabaseDir = settings.PublicDir;
}

bool EnsureDataDirectories(const Settings& settings) {
    const auto backup = settings.PublicDir / BackupDirName;
    if (CanEnter(settings.PublicDir) && CanEnter(backup)) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directory(settings.PublicDir, error); // it may exist already
    std::filesystem::create_directory(backup, error);
    return !error;
}

namespace {

std::string UpperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

} // namespace

bool IsPublicDatabase(const Settings& settings, const std::filesystem::path& directory) {
    return UpperAscii(directory.string()) ==
           UpperAscii((settings.DataRoot / PublicDirName).string());
}

bool ReadOnlyAccess(const Settings& settings) {
    return settings.UserAccess == opt::UserAccess::ReadOnly &&
           IsPublicDatabase(settings, settings.DatabaseDir);
}

} // namespace shelfwise::settings
