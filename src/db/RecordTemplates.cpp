#include "db/RecordTemplates.h"

#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "platform/MessageBox.h"
#include "settings/FileBytes.h"
#include "settings/Settings.h"
#include "settings/TextLines.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace shelfwise::db {

namespace {

bool WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    const std::string text = settings::JoinLines(lines);
    return settings::ReplaceFile(file,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& file) {
    const auto bytes = settings::ReadFileBytes(file);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (const std::string_view line :
         settings::SplitLines({reinterpret_cast<const char*>(bytes->data()), bytes->size()})) {
        lines.emplace_back(line);
    }
    return lines;
}

void CancelEdit(engine::Table& table) {
    if (table.isOpen() && table.state() != engine::Table::State::Browse) {
        table.cancel();
    }
}

} // namespace

TRecordTemplates::TRecordTemplates(TDatabase& database, const settings::Settings& settings)
    : database_(database), settings_(settings) {}

std::filesystem::path TRecordTemplates::File(const char* name) const {
    return settings_.DataDir / name;
}

int TRecordTemplates::Find(const std::string& name) const {
    const auto found = std::ranges::find(names_, name);
    return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

void TRecordTemplates::Load() {
    names_ = ReadLines(File(RecordTemplatesFileName)).value_or(std::vector<std::string>{});
    FinishDelete();
}

bool TRecordTemplates::SaveNames() {
    if (WriteLines(File(RecordTemplatesFileName), names_)) {
        return true;
    }
    platform::ShowError("Could not Save Options to a File!");
    return false;
}

bool TRecordTemplates::MoveTo(int t) {
    engine::Table& copy = database_.CopyTable;
    const auto position = static_cast<std::uint32_t>(t + 1);
    try {
        return t >= 0 && position < database_.RecordCount(copy) &&
               database_.MoveToRecord(copy, position) && !copy.atEnd();
    } catch (const engine::EngineError& error) {
        LogFailure(copy, error);
        return false;
    }
}

bool TRecordTemplates::Save(const std::string& name,
                            const std::function<bool(engine::Table&)>& write) {
    int t = Find(name);
    const bool added = t < 0;
    if (added) {
        t = static_cast<int>(names_.size());
    }
    engine::Table& copy = database_.CopyTable;
    bool written = false;
    try {
        // Records of earlier templates this copy table lacks come first, empty, so the new
        // record lands in its own slot and not in an earlier name's.
        while (copy.isOpen() && database_.RecordCount(copy) < static_cast<std::uint32_t>(t + 2)) {
            copy.append();
            copy.post();
        }
        written = MoveTo(t) && write(copy);
    } catch (const engine::EngineError& error) {
        LogFailure(copy, error);
    }
    if (!written) {
        CancelEdit(copy);
        platform::ShowError("Template could not be saved!");
        return false;
    }
    if (added) {
        names_.push_back(name);
        if (!SaveNames()) {
            names_.pop_back();
            return false;
        }
    }
    return true;
}

TRecordTemplates::Deleted TRecordTemplates::Delete(int t) {
    if (t < 0 || t >= static_cast<int>(names_.size())) {
        return Deleted::No;
    }
    std::vector<std::string> after = names_;
    after.erase(after.begin() + t);
    engine::Table& copy = database_.CopyTable;
    if (MoveTo(t)) {
        const std::filesystem::path note = File(TemplateDeleteFileName);
        std::vector<std::string> lines = {settings_.DatabaseDir.string(),
                                          std::to_string(copy.recordNumber())};
        lines.insert(lines.end(), after.begin(), after.end());
        if (!WriteLines(note, lines)) {
            platform::ShowError("Could not Save Options to a File!");
            return Deleted::No;
        }
        try {
            copy.deleteRecord();
        } catch (const engine::EngineError& error) {
            LogFailure(copy, error);
            std::error_code ignored;
            std::filesystem::remove(note, ignored);
            platform::ShowError("Template could not be deleted!");
            return Deleted::No;
        }
        names_ = std::move(after);
        // A name list that could not be saved is finished from the note at the next load.
        if (!SaveNames()) {
            return Deleted::NotPacked;
        }
        std::error_code ignored;
        std::filesystem::remove(note, ignored);
    } else {
        // A name without a record: only the names after it move up, none of them has a record.
        names_ = std::move(after);
        if (!SaveNames()) {
            return Deleted::No;
        }
    }
    return TryPack() ? Deleted::Yes : Deleted::NotPacked;
}

bool TRecordTemplates::TryPack() {
    engine::Table& copy = database_.CopyTable;
    copy.close();
    bool packed = false;
    if (database_.OpenTable(copy, CopyTableName, true)) {
        try {
            copy.pack();
            packed = true;
        } catch (const engine::EngineError& error) {
            LogFailure(copy, error);
        }
        copy.close();
    }
    copy.setExclusive(false);
    database_.OpenTable(copy, CopyTableName, false);
    if (!packed) {
        platform::ShowError("Function Failed!\nDatabase may be used by someone else - this "
                            "function requires Exclusive Database Use.");
    }
    return packed;
}

void TRecordTemplates::FinishDelete() {
    const std::filesystem::path note = File(TemplateDeleteFileName);
    const auto lines = ReadLines(note);
    engine::Table& copy = database_.CopyTable;
    if (!lines || lines->size() < 2 || !copy.isOpen() ||
        std::filesystem::path((*lines)[0]) != settings_.DatabaseDir) {
        return;
    }
    std::uint32_t record = 0;
    const std::string& number = (*lines)[1];
    std::from_chars(number.data(), number.data() + number.size(), record);
    // The record is still there: the delete never happened, and the names stand as they are.
    bool deleted = false;
    try {
        deleted = record != 0 && !copy.goToRecord(record);
    } catch (const engine::EngineError& error) {
        LogFailure(copy, error);
        return;
    }
    if (deleted) {
        const std::vector<std::string> after(lines->begin() + 2, lines->end());
        names_ = after;
        if (!SaveNames()) {
            return;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(note, ignored);
}

} // namespace shelfwise::db
