#pragma once

// Export of the data table's records to a delimited text file and import from one.

#include "exchange/ExchangeOptions.h"
#include "exchange/RecordAppender.h"
#include "exchange/TextFormat.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace shelfwise::settings {
struct Settings;
}
namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::exchange {

class TExchangeProgress;

struct TTextExportResult {
    bool Written = false; // the file holds the records; an old file was replaced only then
    bool Stopped = false;
    std::uint32_t Records = 0;
    QString Error; // why the file could not be written
};

// Writes the records in the current order and filter. The file appears (replacing one of that
// name) only when every record was written: a failure or Stop leaves any old file as it was.
TTextExportResult ExportText(db::TDatabase& database, const settings::Settings& settings,
                             const TExchangeOptions& options, const QString& path,
                             TExchangeProgress* progress);

struct TImportResult {
    bool Opened = false;
    bool Stopped = false;
    std::uint32_t Imported = 0;
    std::uint32_t Failed = 0;               // records the table did not take
    std::vector<TLineProblem> LineProblems; // text only
    QString Error;
};

// Appends the file's records to the data table in batches; recounts the letters afterwards.
TImportResult ImportText(db::TDatabase& database, const settings::Settings& settings,
                         const TExchangeOptions& options, const QString& path,
                         TExchangeProgress* progress,
                         std::uint32_t recordsPerBatch = TRecordAppender::DefaultRecordsPerBatch);

// The message that closes an import, or empty when it went through whole.
std::string ImportReport(const TImportResult& result);

} // namespace shelfwise::exchange
