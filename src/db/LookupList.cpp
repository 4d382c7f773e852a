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

std::vector<std::string> TLookupList::Items() const {
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
        return {};
    }
    return items;
}

bool TLookupList::Add(const std::string& text) {
    engine::Table table;
    Aim(table);
    try {
        table.open();
        // Another program, or a value cut to the field's width, may have put it there already.
        if (!table.findKey({{ItemField, text}})) {
            table.append();
            table.setText(ItemField, text);
            table.post();
        }
    } catch (const engine::EngineError& error) {
        LogFailure(table, error);
        // Closing the table drops the unposted record.
        return false;
    }
    return true;
}

} // namespace shelfwise::db
