#include "exchange/TextExchange.h"

#include "db/Database.h"
#include "engine/EngineError.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/FieldCodec.h"
#include "exchange/RecordWalk.h"
#include "settings/Settings.h"

#include <QSaveFile>
#include <fstream>

namespace shelfwise::exchange {

namespace {

constexpr std::size_t kWriteChunk = 1 << 20;

const char* const kExporting = "Exporting. Please Wait...";
const char* const kImporting = "Importing. Please Wait...";

std::vector<bool> MemoPlaces(const engine::Table& table, const std::vector<int>& fields) {
    std::vector<bool> memo;
    for (const int position : fields) {
        memo.push_back(table.field(position).type == 'M');
    }
    return memo;
}

bool Usable(const engine::Table& table, const TExchangeOptions& options) {
    if (options.Separator == 0 || options.Fields.empty()) {
        return false;
    }
    for (const int position : options.Fields) {
        if (position < db::FirstDataField || position >= table.fieldCount()) {
            return false;
        }
    }
    return true;
}

} // namespace

TTextExportResult ExportText(db::TDatabase& database, const settings::Settings& settings,
                             const TExchangeOptions& options, const QString& path,
                             TExchangeProgress* progress) {
    TTextExportResult result;
    engine::Table& table = database.DataTable;
    if (!table.isOpen() || !Usable(table, options)) {
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.Error = file.errorString();
        return result;
    }
    const TFieldCodec codec(table, settings.DateFormats, options.Separator);
    const std::vector<bool> memo = MemoPlaces(table, options.Fields);
    if (progress != nullptr) {
        progress->SetCaption(QString::fromLatin1(kExporting));
        progress->SetTotal(RecordsToWalk(database));
        progress->SetPosition(0);
    }
    std::string buffer;
    bool writeFailed = false;
    const auto flush = [&] {
        if (file.write(buffer.data(), static_cast<qint64>(buffer.size())) !=
            static_cast<qint64>(buffer.size())) {
            writeFailed = true;
        }
        buffer.clear();
    };
    const auto range = [&](char letter) {
        if (progress != nullptr && letter != 0) {
            progress->SetCaption(QString::fromLatin1(kExporting) + QStringLiteral(" (") +
                                 QLatin1Char(letter) + QLatin1Char(')'));
        }
    };
    const auto record = [&] {
        for (std::size_t i = 0; i < options.Fields.size(); ++i) {
            if (i > 0) {
                buffer += options.Separator;
            }
            AppendValue(buffer, codec.Text(table, options.Fields[i]), memo[i], options);
        }
        buffer += "\r\n";
        ++result.Records;
        if (buffer.size() >= kWriteChunk) {
            flush();
        }
        return !writeFailed;
    };
    const auto step = [&] {
        if (progress != nullptr) {
            progress->SetPosition(result.Records);
            result.Stopped = progress->StopRequested();
        }
        return !result.Stopped;
    };
    try {
        WalkRecords(database, range, record, step);
    } catch (const engine::EngineError& error) {
        result.Error = QString::fromLocal8Bit(error.what());
    }
    if (!writeFailed && result.Error.isEmpty() && !result.Stopped) {
        flush();
    }
    if (writeFailed) {
        result.Error = file.errorString();
    }
    if (!result.Error.isEmpty() || result.Stopped) {
        file.cancelWriting();
        file.commit();
        return result;
    }
    if (progress != nullptr) {
        progress->SetPosition(result.Records);
    }
    result.Written = file.commit();
    if (!result.Written) {
        result.Error = file.errorString();
    }
    return result;
}

TImportResult ImportText(db::TDatabase& database, const settings::Settings& settings,
                         const TExchangeOptions& options, const QString& path,
                         TExchangeProgress* progress, std::uint32_t recordsPerBatch) {
    TImportResult result;
    engine::Table& table = database.DataTable;
    if (!table.isOpen() || !Usable(table, options)) {
        return result;
    }
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in) {
        result.Error = QStringLiteral("the file could not be opened");
        return result;
    }
    result.Opened = true;
    const TFieldCodec codec(table, settings.DateFormats, options.Separator);
    TTextRecordReader reader(in, options, MemoPlaces(table, options.Fields));
    TRecordAppender appender(database, recordsPerBatch);
    if (progress != nullptr) {
        progress->SetCaption(QString::fromLatin1(kImporting));
        progress->SetTotal(0);
        progress->SetPosition(0);
    }
    std::vector<std::vector<std::string>> batch(appender.RecordsPerBatch());
    // The appender hands a blank new record: an empty value leaves its field as it is.
    const auto fill = [&](engine::Table& target, std::size_t index) {
        for (std::size_t i = 0; i < options.Fields.size(); ++i) {
            if (!batch[index][i].empty()) {
                codec.Store(target, options.Fields[i], batch[index][i]);
            }
        }
    };
    try {
        for (bool more = true; more;) {
            std::size_t count = 0;
            while (count < batch.size() && (more = reader.Next(batch[count]))) {
                ++count;
            }
            const std::uint32_t failed = appender.Append(count, fill);
            result.Failed += failed;
            result.Imported += static_cast<std::uint32_t>(count) - failed;
            if (progress != nullptr) {
                progress->SetPosition(result.Imported);
                if (more && progress->StopRequested()) {
                    result.Stopped = true;
                    break;
                }
            }
        }
    } catch (const engine::EngineError& error) {
        result.Error = QString::fromLocal8Bit(error.what());
    }
    result.LineProblems = reader.Problems();
    database.CopyBufferFilled = false;
    database.Index.CountAllLetters();
    return result;
}

std::string ImportReport(const TImportResult& result) {
    constexpr std::size_t kShownLines = 10;
    std::string report;
    if (!result.Error.isEmpty()) {
        report += "The import stopped: " + result.Error.toStdString() + "\r";
    }
    if (result.Failed > 0) {
        report += std::to_string(result.Failed) + " records could not be imported.\r";
    }
    for (std::size_t i = 0; i < result.LineProblems.size() && i < kShownLines; ++i) {
        const TLineProblem& problem = result.LineProblems[i];
        report += "Line " + std::to_string(problem.Line) + " holds " +
                  std::to_string(problem.Values) + " values.\r";
    }
    if (result.LineProblems.size() > kShownLines) {
        report += std::to_string(result.LineProblems.size() - kShownLines) +
                  " more lines differ in their number of values.\r";
    }
    if (!report.empty()) {
        report.pop_back();
    }
    return report;
}

} // namespace shelfwise::exchange
