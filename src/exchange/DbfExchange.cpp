#include "exchange/DbfExchange.h"

#include "db/Database.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/RecordWalk.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <vector>

namespace shelfwise::exchange {

namespace {

constexpr const char* kOverwrite = "File Already Exists!!! Do you want to Overwrite it?";
constexpr const char* kNotCreated = "Could Not Create A File For Export!!!";
constexpr const char* kExported = "Data Exported Successfully to: \r";
constexpr const char* kNotOpened = "File Could Not Be Open!!!";
constexpr const char* kImported = "Data Imported Successfully!!!";
// The export is built under this name beside its target.
constexpr const char* kBuildingSuffix = "$new";

void DropTable(const std::filesystem::path& dir, const std::string& fileName) {
    if (engine::tableExists(dir, fileName)) {
        engine::deleteTable(dir, fileName);
    }
}

// The file of `fileName` in `dir` whatever the case of its name, as the engine finds it.
std::optional<std::filesystem::path> FindFile(const std::filesystem::path& dir,
                                              const std::string& fileName) {
    const auto lower = [](std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    };
    const std::string wanted = lower(fileName);
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
         it.increment(error)) {
        if (lower(it->path().filename().string()) == wanted) {
            return it->path();
        }
    }
    return std::nullopt;
}

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    const auto size = std::filesystem::file_size(a, error);
    if (error || std::filesystem::file_size(b, error) != size || error) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> x(64 * 1024);
    std::vector<char> y(x.size());
    while (first && second) {
        first.read(x.data(), std::streamsize(x.size()));
        second.read(y.data(), std::streamsize(y.size()));
        if (first.gcount() != second.gcount() ||
            !std::equal(x.begin(), x.begin() + first.gcount(), y.begin())) {
            return false;
        }
    }
    return first.eof() && second.eof();
}

// After the replacing copy failed: whether the name holds the new table all the same. The
// swap is committed once the new .dbf has moved in; what it left undone is finished when the
// table opens, which is tried here at once.
bool ExportInPlace(const std::filesystem::path& dir, const std::string& building,
                   const std::string& fileName) {
    try {
        engine::Table placed;
        placed.setDirectory(dir);
        placed.setFileName(fileName);
        placed.setExclusive(true);
        placed.open();
        placed.close();
    } catch (const std::exception&) {
        // The next open finishes it.
    }
    const auto placed = FindFile(dir, fileName);
    const auto built = FindFile(dir, building);
    return placed && built && SameBytes(*placed, *built);
}

// Same kinds and sizes at every position, so each field copies to its counterpart.
bool SameLayout(const engine::Table& source, const engine::Table& target) {
    if (source.fieldCount() != target.fieldCount()) {
        return false;
    }
    for (int position = 0; position < source.fieldCount(); ++position) {
        const engine::FieldDescriptor& a = source.field(position);
        const engine::FieldDescriptor& b = target.field(position);
        if (a.type != b.type || a.width != b.width || a.decimals != b.decimals) {
            return false;
        }
    }
    return true;
}

// Fills the table made from the template; false when stopped.
bool FillExport(db::TDatabase& database, engine::Table& target, TExchangeProgress* progress) {
    engine::Table& source = database.DataTable;
    std::uint32_t done = 0;
    bool stopped = false;
    if (progress != nullptr) {
        progress->SetCaption(QStringLiteral("Exporting. Please Wait..."));
        progress->SetTotal(RecordsToWalk(database));
        progress->SetPosition(0);
    }
    const auto range = [&](char letter) {
        if (progress != nullptr && letter != 0) {
            progress->SetCaption(QStringLiteral("Exporting. Please Wait... (") +
                                 QLatin1Char(letter) + QLatin1Char(')'));
        }
    };
    const auto record = [&] {
        target.append();
        for (int position = 0; position < std::min(source.fieldCount(), target.fieldCount());
             ++position) {
            db::CopyField(source, target, position);
        }
        target.post();
        ++done;
        return true;
    };
    const auto step = [&] {
        if (progress != nullptr) {
            progress->SetPosition(done);
            stopped = progress->StopRequested();
        }
        return !stopped;
    };
    target.beginBulkLoad();
    WalkRecords(database, range, record, step);
    if (stopped) {
        return false;
    }
    target.endBulkLoad();
    if (progress != nullptr) {
        progress->SetPosition(done);
    }
    return true;
}

} // namespace

std::filesystem::path ExchangeDir(const settings::Settings& settings) {
    return settings.DataDir / ExchangeDirName;
}

std::optional<std::string> ExchangeTableName(const std::string& typed) {
    std::string name = typed.substr(0, typed.find('.'));
    if (name.empty()) {
        return std::nullopt;
    }
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 || c == '/' || c == '\\' || c == '*' || c == '?' || c == ':' || c == '$') {
            return std::nullopt;
        }
        c = static_cast<char>(std::tolower(u));
    }
    return name;
}

bool ExportDbf(db::TDatabase& database, const settings::Settings& settings,
               const std::string& typedName, TExchangeProgress* progress) {
    const std::optional<std::string> name = ExchangeTableName(typedName);
    if (!name || !database.DataTable.isOpen()) {
        platform::ShowError(kNotCreated);
        return false;
    }
    const std::filesystem::path dir = ExchangeDir(settings);
    const std::string fileName = *name + ".dbf";
    const std::string building = *name + kBuildingSuffix + ".dbf";
    try {
        std::filesystem::create_directories(dir);
        if (engine::tableExists(dir, fileName) &&
            !platform::AskYesNo(platform::MessageKind::Warning, kOverwrite)) {
            platform::ShowError(kNotCreated);
            return false;
        }
        engine::Table target;
        target.setDirectory(dir);
        target.setFileName(building);
        if (!database.CreateFromTemplate(target, true)) {
            throw engine::EngineError((dir / building).string() + ": could not be created");
        }
        target.setExclusive(true);
        target.open();
        const bool complete = FillExport(database, target, progress);
        target.close();
        if (!complete) {
            DropTable(dir, building);
            return false;
        }
        // Either move is whole or not made at all, so the name holds the old table or the
        // new one wherever the work stops.
        if (engine::tableExists(dir, fileName)) {
            try {
                engine::copyTable(dir, building, dir, fileName);
            } catch (const std::exception&) {
                // A failure after the swap was committed does not take the export back.
                if (!ExportInPlace(dir, building, fileName)) {
                    throw;
                }
            }
            // The export is in place; a copy left behind goes with the next export.
            try {
                DropTable(dir, building);
            } catch (const std::exception&) {
            }
        } else {
            engine::renameTable(dir, building, fileName);
        }
    } catch (const std::exception&) {
        try {
            DropTable(dir, building);
        } catch (const std::exception&) {
        }
        platform::ShowError(kNotCreated);
        return false;
    }
    platform::ShowInformation(kExported + (dir / fileName).string());
    return true;
}

TImportResult ImportDbf(db::TDatabase& database, const settings::Settings& settings,
                        const std::string& typedName, TExchangeProgress* progress,
                        std::uint32_t recordsPerBatch) {
    TImportResult result;
    const std::optional<std::string> name = ExchangeTableName(typedName);
    engine::Table source;
    try {
        if (!name || !database.DataTable.isOpen() ||
            !engine::tableExists(ExchangeDir(settings), *name + ".dbf")) {
            throw engine::EngineError(typedName + ": no such exchange table");
        }
        source.setDirectory(ExchangeDir(settings));
        source.setFileName(*name + ".dbf");
        source.setReadOnly(true);
        source.open();
        if (!SameLayout(source, database.DataTable)) {
            throw engine::EngineError(typedName + ": not laid out as the data table");
        }
    } catch (const engine::EngineError&) {
        platform::ShowError(kNotOpened);
        return result;
    }
    result.Opened = true;
    if (progress != nullptr) {
        progress->SetCaption(QStringLiteral("Importing. Please Wait..."));
        progress->SetTotal(source.recordCount());
        progress->SetPosition(0);
    }
    TRecordAppender appender(database, recordsPerBatch);
    std::vector<std::uint32_t> batch;
    const auto fill = [&](engine::Table& target, std::size_t index) {
        if (!source.goToRecord(batch[index])) {
            throw engine::EngineError(source.fileName() + ": a record went away");
        }
        for (int position = db::FirstDataField; position < target.fieldCount(); ++position) {
            db::CopyField(source, target, position);
        }
    };
    try {
        source.first();
        while (!source.atEnd()) {
            batch.clear();
            for (; batch.size() < appender.RecordsPerBatch() && !source.atEnd(); source.next()) {
                batch.push_back(source.recordNumber());
            }
            const std::uint32_t failed = appender.Append(batch.size(), fill);
            result.Failed += failed;
            result.Imported += static_cast<std::uint32_t>(batch.size()) - failed;
            source.goToRecord(batch.back());
            source.next();
            if (progress != nullptr) {
                progress->SetPosition(result.Imported + result.Failed);
                if (!source.atEnd() && progress->StopRequested()) {
                    result.Stopped = true;
                    break;
                }
            }
        }
    } catch (const engine::EngineError& error) {
        result.Error = QString::fromLocal8Bit(error.what());
    }
    source.close();
    database.CopyBufferFilled = false;
    database.Index.CountAllLetters();
    if (result.Stopped) {
        return result;
    }
    const std::string report = ImportReport(result);
    if (report.empty()) {
        platform::ShowInformation(kImported);
    } else {
        platform::ShowWarning(report);
    }
    return result;
}

} // namespace shelfwise::exchange
