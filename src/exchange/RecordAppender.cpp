#include "exchange/RecordAppender.h"

#include "db/Database.h"
#include "engine/EngineError.h"

namespace shelfwise::exchange {

TRecordAppender::TRecordAppender(db::TDatabase& database, std::uint32_t recordsPerBatch)
    : database_(database), recordsPerBatch_(recordsPerBatch) {}

bool TRecordAppender::appendOne(double number, std::size_t index, const Fill& fill) {
    engine::Table& table = database_.DataTable;
    try {
        table.append();
        table.setNumber(db::RecordNumberField, number);
        table.setText(db::MarkField, db::MarkPassed);
        fill(table, index);
        table.post();
        return true;
    } catch (const engine::EngineError&) {
        if (table.isOpen() && table.state() != engine::Table::State::Browse) {
            table.cancel();
        }
        return false;
    }
}

std::uint32_t TRecordAppender::Append(std::size_t count, const Fill& fill) {
    if (count == 0) {
        return 0;
    }
    const double first = database_.ReserveRecordNumbers(static_cast<std::uint32_t>(count));
    engine::Table& table = database_.DataTable;
    std::uint32_t failed = 0;
    bool batchFailed = false;
    table.beginBatch(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count && !batchFailed; ++i) {
        if (!appendOne(first + static_cast<double>(i), i, fill)) {
            ++failed;
        }
        batchFailed = !table.inBatch();
    }
    if (!batchFailed) {
        try {
            table.endBatch();
        } catch (const engine::EngineError&) {
            batchFailed = true;
        }
    }
    if (batchFailed) {
        // The batch's records were dropped together; each goes again on its own.
        failed = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!appendOne(first + static_cast<double>(i), i, fill)) {
                ++failed;
            }
        }
    }
    return failed;
}

} // namespace shelfwise::exchange
