#include "engine/TablePaths.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace shelfwise::engine {

std::string lowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

namespace {

std::string withTableExtension(const std::string& fileName) {
    return std::filesystem::path(fileName).has_extension() ? fileName : fileName + ".dbf";
}

} // namespace

TablePaths::TablePaths(const std::filesystem::path& directory, const std::string& fileName)
    : directory_(directory) {
    const std::string name = withTableExtension(fileName);
    if (auto found = findCaseInsensitive(directory, name)) {
        table_ = *found;
        tableExists_ = true;
    } else {
        table_ = directory / name;
    }
}

std::string TablePaths::lowerBaseName() const {
    return lowerCase(table_.stem().string());
}

std::optional<std::filesystem::path> TablePaths::legacyJournal() const {
    const std::string base = lowerBaseName();
    if (base == table_.stem().string()) {
        return std::nullopt;
    }
    std::error_code ec;
    for (const char* extension : {".dbf", ".DBF"}) {
        if (std::filesystem::exists(directory_ / (base + extension), ec)) {
            return std::nullopt;
        }
    }
    return directory_ / (base + ".jnl");
}

std::optional<std::filesystem::path> TablePaths::find(const char* extension) const {
    return findCaseInsensitive(directory_, table_.stem().string() + extension);
}

std::optional<std::filesystem::path>
TablePaths::findCaseInsensitive(const std::filesystem::path& directory,
                                const std::string& fileName) {
    std::error_code ec;
    const std::filesystem::path exact = directory / fileName;
    if (std::filesystem::is_regular_file(exact, ec)) {
        return exact;
    }
    if (const std::filesystem::path lowered = directory / lowerCase(fileName);
        std::filesystem::is_regular_file(lowered, ec)) {
        return lowered;
    }
    const std::string wanted = lowerCase(fileName);
    for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (lowerCase(it->path().filename().string()) == wanted && it->is_regular_file(ec)) {
            return it->path();
        }
    }
    return std::nullopt;
}

} // namespace shelfwise::engine
