#pragma once

// Export and import as the book window runs them: the dialogs, the file, the record loop
// under its progress window and the closing message.

#include "exchange/ExchangeOptions.h"

class QWidget;

namespace shelfwise::settings {
struct Settings;
}
namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::exchange {

// `options` are the text exchange options of the run: the options dialog starts from them
// and sets them whenever it closes.
void RunExport(QWidget* parent, db::TDatabase& database, const settings::Settings& settings,
               TExchangeOptions& options);
// True when records may have been added.
bool RunImport(QWidget* parent, db::TDatabase& database, const settings::Settings& settings,
               TExchangeOptions& options);

} // namespace shelfwise::exchange
