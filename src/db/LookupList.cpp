#include "db/LookupList.h"

#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <stdexcept>

namespace shelfwise::db {

namespace {

constexpr int ItemField = 0;

} // namespace

TLookupList::TLookupList(const settings::Settings& settings, std::string source)
    : settings_(settings), source_(std::move(source)) {}

void TLookupList::Aim(engine::Table& table) const {
    table.setDirectory(settings_.DatabaseDir);
    table.setFileName(source_);
    table.setTag(LookupTag);
}

void TLookupList::OpenList(TDatabase& database) {
    engine::Table table;
    Aim(table);
    try {
        table.open();
        return;
    } catch (const engine::EngineError& error) {
        // A list not made yet is made below.
        if (error.reason() != engine::EngineError::Reason::NotFound) {
            LogFailure(table, error);
        }
        // A table held by another program is not damaged, and copying over it would fail.
        if (error.reason() == engine::EngineError::Reason::Locked) {
            return;
        }
    }
    if (!engine::tableExists(settings_.DatabaseDir, source_) || !database.EnsureOpen(table, true)) {
        CreateList();
    }
}

void TLookupList::CreateList() {
    try {
        engine::copyTable(settings_.ProgramDir, ListTemplateName, settings_.DatabaseDir, source_);
    } catch (const std::runtime_error& error) {
        // The engine's errors and the file system's both.
        LogFailure(settings_.DatabaseDir / source_, error);
        platform::ShowError("Error! Could not create a list file: \n" +
                            (settings_.DatabaseDir / source_).string());
    }
}

std::optional<std::vector<std::string>> TLookupList::ReadItems() const {
    std::vector<std::string> items;
    engine::Table table;
    Aim(table);
    table.setReadOnly(true);
    try {
        table.open();
        for (table.first(); !table.atEnd(); table.next()) {
            items.push_back(table.text(ItemField));
        }
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        return std::nullopt;
    }
    return items;
}

bool TLookupList::Add(const std::string& text) {
    return AddMissing({text});
}

bool TLookupList::AddMissing(const std::set<std::string>& texts) {
    engine::Table table;
    Aim(table);
    try {
        table.open();
        table.beginBatch();
        for (const std::string& text : texts) {
            // Another program, or a value cut to the field's width, may have put it there
            // already.
            if (!table.findKey({{ItemField, text}})) {
                table.append();
                table.setText(ItemField, text);
                table.post();
            }
        }
        table.endBatch();
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        // Closing the table drops the unposted record.
        return false;
    }
    return true;
}

bool TLookupList::Contains(const std::string& text) const {
    engine::Table table;
    Aim(table);
    table.setReadOnly(true);
    try {
        table.open();
        return table.findKey({{ItemField, text}});
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        return false;
    }
}

bool TLookupList::Rename(const std::string& from, const std::string& to) {
    engine::Table table;
    Aim(table);
    try {
        table.open();
        if (!table.findKey({{ItemField, from}})) {
            return false;
        }
        table.edit();
        table.setText(ItemField, to);
        table.post();
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        return false;
    }
    return true;
}

bool TLookupList::Remove(const std::string& text) {
    engine::Table table;
    Aim(table);
    try {
        table.open();
        if (!table.findKey({{ItemField, text}})) {
            return false;
        }
        table.deleteRecord();
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        return false;
    }
    return true;
}

bool TLookupList::Pack() {
    engine::Table table;
    Aim(table);
    table.setExclusive(true);
    try {
        table.open();
        table.pack();
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        return false;
    }
    return true;
}

std::vector<std::string> FillLists(const engine::Table& dataTable,
                                   const std::vector<TListField>& lists) {
    std::vector<std::set<std::string>> values(lists.size());
    engine::Table data;
    data.setDirectory(dataTable.directory());
    data.setFileName(dataTable.fileName());
    data.setReadOnly(true);
    data.open();
    for (data.first(); !data.atEnd();) {
        data.scan(1000, [&] {
            for (std::size_t k = 0; k < lists.size(); ++k) {
                std::string text = data.text(lists[k].Position);
                if (!text.empty()) {
                    values[k].insert(std::move(text));
                }
            }
            return true;
        });
    }
    data.close();
    std::vector<std::string> failed;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        if (!lists[k].List->AddMissing(values[k])) {
            failed.push_back(lists[k].List->Source());
        }
    }
    return failed;
}

} // namespace shelfwise::db
