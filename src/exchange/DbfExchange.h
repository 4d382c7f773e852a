#pragma once

// Export of the data table's records to a dBASE table in the exchange folder, and import of
// such a table. Both show their own messages.

#include "exchange/RecordAppender.h"
#include "exchange/TextExchange.h"

#include <filesystem>
#include <optional>
#include <string>

namespace shelfwise::exchange {

inline constexpr const char* ExchangeDirName = "EXPIMP";

std::filesystem::path ExchangeDir(const settings::Settings& settings);

// The table name a typed file name gives: cut at its first ".", in lower case so that the
// memo and index files beside it carry the same name. Nothing for names that are not a plain
// file name ("*.*", "../x", "a/b", ".x").
std::optional<std::string> ExchangeTableName(const std::string& typed);

// Writes every field of the records in the current order and filter into {name}.dbf, made
// from the program's table template. The table is built under another name and takes the
// place of an existing one only when complete. True when it was written.
bool ExportDbf(db::TDatabase& database, const settings::Settings& settings,
               const std::string& typedName, TExchangeProgress* progress);

// Appends the records of {name}.dbf, whose fields must be laid out as the data table's.
TImportResult ImportDbf(db::TDatabase& database, const settings::Settings& settings,
                        const std::string& typedName, TExchangeProgress* progress,
                        std::uint32_t recordsPerBatch = TRecordAppender::DefaultRecordsPerBatch);

} // namespace shelfwise::exchange
