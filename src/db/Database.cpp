#include "db/Database.h"

#include "db/CompressedFile.h"
#include "db/CutShortRecord.h"
#include "db/FailureLog.h"
#include "db/Progress.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/DateText.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

namespace shelfwise::db {

namespace {

using engine::EngineError;
using engine::Table;

constexpr int kSilentRetries = 10;
constexpr std::size_t kMenuCaptionLength = 50;
constexpr int kCorruptMemoHelp = 2;
// The temporary template copy of an index repair, made in the table's own directory because
// the program directory may be read-only.
constexpr const char* kRepairTemplateName = "idx$$$.dbf";
// The index of a table under repair waits under this name until the repair succeeded.
constexpr const char* kKeptIndexSuffix = ".mdx.kept";

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string baseName(const std::string& fileName) {
    return std::filesystem::path(fileName).stem().string();
}

std::string withTableExtension(const std::string& fileName) {
    return std::filesystem::path(fileName).has_extension() ? fileName : fileName + ".dbf";
}

// dBASE files come from systems that ignore case: "DATA.MDX" names "data.mdx" too.
std::optional<std::filesystem::path> findFile(const std::filesystem::path& directory,
                                              const std::string& name) {
    std::error_code error;
    if (std::filesystem::exists(directory / name, error)) {
        return directory / name;
    }
    const std::string wanted = upperCase(name);
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (upperCase(it->path().filename().string()) == wanted) {
            return it->path();
        }
    }
    return std::nullopt;
}

// An open that failed on damaged or missing contents, which a damaged index may cause.
bool mayBeIndexFault(const EngineError& error) {
    return error.reason() == EngineError::Reason::Damaged ||
           error.reason() == EngineError::Reason::NotFound;
}

// Runs work on the table file; false when the engine or the file system refuses it, whose
// reason goes to the log.
template <typename Work> bool succeeds(const std::filesystem::path& file, Work work) {
    try {
        work();
        return true;
    } catch (const EngineError& error) {
        LogFailure(file, error);
        return false;
    } catch (const std::filesystem::filesystem_error& error) {
        LogFailure(file, error);
        return false;
    }
}

// Closes the table and puts its open mode back, also when the work in between fails.
class ReopenGuard {
public:
    explicit ReopenGuard(Table& table) : table_(table), exclusive_(table.exclusive()) {}
    ~ReopenGuard() {
        try {
            table_.close();
        } catch (const EngineError& error) {
            LogFailure(table_, error);
        }
        table_.setExclusive(exclusive_);
    }
    ReopenGuard(const ReopenGuard&) = delete;
    ReopenGuard& operator=(const ReopenGuard&) = delete;

private:
    Table& table_;
    bool exclusive_;
};

} // namespace

TDatabase::TDatabase(settings::Settings& settings) : Index(*this, settings), settings_(settings) {}

TDatabase::~TDatabase() {
    CloseTables();
}

bool TDatabase::OpenDatabase() {
    if (!openCatalogue() || !openCopyBuffer() || !openDataTable()) {
        return false;
    }
    Fields.ReadDecimals(DataTable);
    try {
        RegisterInCatalogue(settings_.DataFileName);
    } catch (const EngineError& error) {
        LogFailure(MasterTable, error);
        platform::ShowError("Could not Open the Master.dbf file!");
        return false;
    }
    FirstOpen = false;
    return true;
}

bool TDatabase::openCatalogue() {
    MasterTable.close();
    MasterTable.setTag(MasterTag);
    if (OpenTable(MasterTable, MasterTableName, false)) {
        return true;
    }
    try {
        replaceTable(MasterTable, MasterTableName, "master$$",
                     [this] { return CreateCatalogue(MasterTable); });
    } catch (const EngineError& error) {
        LogFailure(settings_.DatabaseDir / MasterTableName, error);
        platform::ShowError("Could not Open the Master.dbf file!");
        return false;
    }
    return true;
}

bool TDatabase::openCopyBuffer() {
    CopyTable.close();
    CopyTable.setTag("");
    try {
        if (!OpenTable(CopyTable, CopyTableName, false)) {
            replaceTable(CopyTable, CopyTableName, "copy$$$",
                         [this] { return CreateInDatabaseDir(CopyTableName, false); });
        }
        if (RecordCount(CopyTable) == 0) {
            CopyTable.append();
            CopyTable.post();
        }
    } catch (const EngineError& error) {
        LogFailure(settings_.DatabaseDir / CopyTableName, error);
        platform::ShowError("Could not Open the Copy/Paste file!");
        return false;
    }
    return true;
}

bool TDatabase::openDataTable() {
    DataTable.close();
    DataTable.setTag("");
    const std::string& fileName = settings_.DataFileName;
    if (findFile(settings_.DatabaseDir, baseName(fileName) + ".dbt") &&
        OpenTable(DataTable, fileName, false)) {
        Fields.Build(DataTable);
        Index.ReadSortState();
        Index.ApplySort();
        if (LoadFilter) {
            LoadFilter();
        }
        return true;
    }
    // A directory that never held the table (a first run, a new user's directory) gets its
    // table without a warning about a file that was never there.
    if (findFile(settings_.DatabaseDir, fileName) ||
        findFile(settings_.DatabaseDir, baseName(fileName) + ".dbt")) {
        platform::ShowWarning(
            "Could not Open the database! A new database will be created. The original file "
            "(if existed) was renamed to bad$$$.dbf.");
    }
    return createDataTable();
}

bool TDatabase::createDataTable() {
    const std::string& fileName = settings_.DataFileName;
    try {
        DataTable.close();
        DataTable.setTag("");
        replaceTable(DataTable, fileName, BadTableBaseName,
                     [this, &fileName] { return CreateInDatabaseDir(fileName, true); });
        Index.ResetSort();
        Fields.Build(DataTable);
        if (ClearFilter) {
            ClearFilter();
        }
        Index.ApplySort();
    } catch (const EngineError& error) {
        LogFailure(settings_.DatabaseDir / fileName, error);
        platform::ShowError("Could not Open the new database!");
        return false;
    }
    return true;
}

// Makes a table that could not be opened anew, and opens it shared. One that exists is set
// aside first, never overwritten: the catalogue and the copy buffer (which holds the record
// templates) keep their records on disk like a data table does.
void TDatabase::replaceTable(Table& table, const std::string& fileName,
                             const std::string& asideBaseName,
                             const std::function<bool()>& create) {
    setAside(fileName, asideBaseName);
    table.close();
    table.setDirectory(settings_.DatabaseDir);
    table.setFileName(fileName);
    table.setExclusive(false);
    if (!create()) {
        throw EngineError((settings_.DatabaseDir / fileName).string() + ": could not be created");
    }
    table.open();
}

// Renames an existing table (and its memo and index) to another base name in the database
// directory, replacing an earlier set of that name. The engine refuses while the table is
// open anywhere.
void TDatabase::setAside(const std::string& fileName, const std::string& asideBaseName) {
    const std::filesystem::path& dir = settings_.DatabaseDir;
    if (!engine::tableExists(dir, fileName)) {
        return;
    }
    // The earlier set is only dropped once the new one took its place.
    const std::string aside = asideBaseName + ".dbf";
    const std::string earlier = asideBaseName + "_old.dbf";
    const bool hadEarlier = engine::tableExists(dir, aside);
    if (hadEarlier) {
        DropTable(dir, earlier);
        engine::renameTable(dir, aside, earlier);
    }
    const std::string base = baseName(fileName);
    const auto memo = findFile(dir, base + ".dbt");
    const auto index = findFile(dir, base + ".mdx");
    try {
        engine::renameTable(dir, fileName, aside);
    } catch (const EngineError&) {
        // A rename that stopped half way (a read-only memo file) is undone, so the table's
        // files stay together under its name.
        std::error_code ignored;
        for (const auto& [moved, extension] : {std::pair{memo, ".dbt"}, std::pair{index, ".mdx"}}) {
            if (moved && !std::filesystem::exists(*moved, ignored)) {
                std::filesystem::rename(dir / (asideBaseName + extension), *moved, ignored);
            }
        }
        if (hadEarlier) {
            succeeds(dir / earlier, [&] { engine::renameTable(dir, earlier, aside); });
        }
        throw;
    }
    if (hadEarlier) {
        DropTable(dir, earlier);
    }
}

bool TDatabase::OpenTable(Table& table, const std::string& fileName, bool exclusive) {
    if (!engine::tableExists(settings_.DatabaseDir, fileName)) {
        return false;
    }
    table.close();
    table.setDirectory(settings_.DatabaseDir);
    table.setFileName(fileName);
    table.setExclusive(exclusive);
    EnsureOpen(table, true);
    int failures = 0;
    while (!table.isOpen()) {
        try {
            table.open();
        } catch (const EngineError& error) {
            if (++failures <= kSilentRetries) {
                continue;
            }
            LogFailure(table, error);
            if (exclusive ||
                !platform::AskYesNo(platform::MessageKind::Warning,
                                    "Cannot open the file: " + fileName + "\nRetry?")) {
                return false;
            }
        }
    }
    return true;
}

bool TDatabase::EnsureOpen(Table& table, bool regenerate) {
    if (table.isOpen()) {
        return true;
    }
    try {
        table.open();
        return true;
    } catch (const EngineError& error) {
        LogFailure(table, error);
        // Only damage or a missing part can be the index's fault. A table someone else holds,
        // a file the system refuses or a wrong call leave the user's index alone.
        if (!mayBeIndexFault(error)) {
            return false;
        }
    }
    // A last record cut short (a write that never finished) is left out; the rest opens.
    if (const auto file = findFile(table.directory(), withTableExtension(table.fileName()));
        file && DropCutShortRecord(*file)) {
        platform::ShowWarning("The last record of " + file->filename().string() +
                              " was cut short and has been left out.");
        if (succeeds(*file, [&] {
                if (regenerate) {
                    regenerateIndexes(table);
                }
                table.open();
            })) {
            return true;
        }
    }
    // The index is kept aside until the table opens on a rebuilt one; when it does not, the
    // index was not the cause and goes back as it was.
    const std::filesystem::path& dir = table.directory();
    const std::string base = baseName(table.fileName());
    const auto index = findFile(dir, base + ".mdx");
    const std::filesystem::path kept = dir / (lowerCase(base) + kKeptIndexSuffix);
    std::error_code error;
    if (index) {
        std::filesystem::rename(*index, kept, error);
        if (error) {
            return false;
        }
    }
    const bool repaired = succeeds(dir / table.fileName(), [&] {
        repairIndex(table);
        if (regenerate) {
            regenerateIndexes(table);
        }
        table.open();
    });
    if (repaired) {
        std::filesystem::remove(kept, error);
    } else if (index) {
        table.close();
        std::filesystem::remove(dir / (lowerCase(base) + ".mdx"), error);
        std::filesystem::rename(kept, *index, error);
    }
    return repaired;
}

// Opens the table exclusively without an index, rebuilds every tag from the records and
// closes it again in the open mode it had.
void TDatabase::regenerateIndexes(Table& table) {
    ReopenGuard guard(table);
    const std::string tag = table.tag();
    table.setExclusive(true);
    table.setTag("");
    try {
        table.open();
        table.regenerateIndexes();
    } catch (...) {
        table.setTag(tag);
        throw;
    }
    table.close();
    table.setTag(tag);
}

// Replaces the table's production index by the template's, whose tags the regeneration then
// fills from the records.
void TDatabase::repairIndex(Table& table) {
    const std::filesystem::path& dir = table.directory();
    const std::string base = baseName(table.fileName());
    const std::filesystem::path target = dir / (lowerCase(base) + ".mdx");
    const std::string name = upperCase(withTableExtension(table.fileName()));
    std::optional<std::filesystem::path> templateIndex;
    if (name == "DATA.DBF" || name == "MASTER.DBF") {
        templateIndex = findFile(settings_.ProgramDir, baseName(name) + ".mdx");
        if (!templateIndex || !CopyFileCompressed(*templateIndex, target)) {
            throw EngineError(target.string() + ": the template index could not be copied");
        }
        return;
    }
    // Lookup lists have a template of their own; every other table is a copy of the data table's.
    const char* templateName = name.starts_with("LIST") ? ListTemplateName : DataTemplateName;
    if (!succeeds(settings_.ProgramDir / templateName, [&] {
            engine::copyTable(settings_.ProgramDir, templateName, dir, kRepairTemplateName);
        })) {
        throw EngineError(target.string() + ": the template could not be copied");
    }
    templateIndex = findFile(dir, baseName(kRepairTemplateName) + ".mdx");
    const bool copied = templateIndex && CopyFileCompressed(*templateIndex, target);
    DropTable(dir, kRepairTemplateName);
    if (!copied) {
        throw EngineError(target.string() + ": the template index could not be copied");
    }
}

bool TDatabase::CreateFromTemplate(Table& table, bool keepIndexes) {
    return succeeds(table.directory() / table.fileName(), [&] {
        table.close();
        DeleteTableFiles(table);
        engine::copyTable(settings_.ProgramDir, DataTemplateName, table.directory(),
                          table.fileName());
        if (!keepIndexes) {
            DropAllIndexes(table);
        }
    });
}

bool TDatabase::CreateInDatabaseDir(const std::string& fileName, bool keepIndexes) {
    Table table;
    table.setDirectory(settings_.DatabaseDir);
    table.setFileName(fileName);
    return CreateFromTemplate(table, keepIndexes);
}

bool TDatabase::CreateCatalogue(Table& table) {
    return succeeds(table.directory() / table.fileName(), [&] {
        table.close();
        engine::copyTable(settings_.ProgramDir, MasterTableName, table.directory(),
                          table.fileName());
    });
}

void TDatabase::DeleteTableFiles(Table& table) {
    if (engine::tableExists(table.directory(), table.fileName())) {
        engine::deleteTable(table.directory(), table.fileName());
    }
}

void TDatabase::DropTable(const std::filesystem::path& directory, const std::string& fileName) {
    try {
        engine::deleteTable(directory, fileName);
    } catch (const EngineError& error) {
        LogFailure(directory / fileName, error);
    }
}

void TDatabase::DropAllIndexes(Table& table) {
    ReopenGuard guard(table);
    table.close();
    table.setExclusive(true);
    table.setTag("");
    table.open();
    for (const engine::TagInfo& tag : table.tags()) {
        table.deleteTag(tag.name);
    }
}

std::uint32_t TDatabase::RecordCount(const Table& table) const {
    return table.isOpen() ? table.recordCount() : 0;
}

bool TDatabase::MoveToRecord(Table& table, std::uint32_t n) {
    if (!table.isOpen()) {
        return false;
    }
    if (n < table.recordCount() + 1) {
        table.first();
        table.moveBy(static_cast<int>(n));
    } else {
        table.last();
        table.next();
    }
    return true;
}

void TDatabase::copyRecord(Table& source, Table& target, std::uint32_t& next, int& badRecords) {
    bool bad = false;
    const int fields = std::min(source.fieldCount(), target.fieldCount());
    target.append();
    for (int position = 0; position < fields; ++position) {
        try {
            CopyField(source, target, position);
        } catch (const EngineError& error) {
            LogFailure(source, error);
            bad = true;
        }
    }
    try {
        target.setNumber(RecordNumberField, next);
        target.post();
        ++next;
    } catch (const EngineError& error) {
        LogFailure(target, error);
        target.cancel();
        bad = true;
    }
    if (bad) {
        ++badRecords;
    }
}

// The records are written in batches. A record that fails in one ends the batch and drops the
// records written since its start, so that part is copied again one record at a time.
std::uint32_t TDatabase::CopyRecords(Table& source, Table& target, int& badRecords) {
    constexpr std::uint32_t kRecordsPerBatch = 500;
    if (CurrentProgress) {
        CurrentProgress->SetProgressTotal(RecordCount(source));
    }
    badRecords = 0;
    std::uint32_t next = 1;
    source.first();
    while (!source.atEnd()) {
        const std::uint32_t partStart = source.recordNumber();
        const std::uint32_t partNext = next;
        const int partBad = badRecords;
        std::uint32_t count = 0;
        bool failed = false;
        target.beginBatch(kRecordsPerBatch);
        for (; count < kRecordsPerBatch && !failed && !source.atEnd(); source.next()) {
            ++count;
            copyRecord(source, target, next, badRecords);
            failed = !target.inBatch();
        }
        if (!failed) {
            try {
                target.endBatch();
            } catch (const EngineError& error) {
                LogFailure(target, error);
                failed = true;
            }
        }
        if (failed) {
            next = partNext;
            badRecords = partBad;
            source.goToRecord(partStart);
            for (std::uint32_t i = 0; i < count; ++i, source.next()) {
                copyRecord(source, target, next, badRecords);
            }
        }
        if (CurrentProgress) {
            for (std::uint32_t i = 0; i < count; ++i) {
                CurrentProgress->StepProgress();
            }
        }
    }
    target.close();
    return next;
}

void TDatabase::AssignRecordNumber(Table& table) {
    if (!table.isEmpty(RecordNumberField)) {
        return;
    }
    table.setNumber(RecordNumberField, ReserveRecordNumbers(1));
}

double TDatabase::ReserveRecordNumbers(std::uint32_t count) {
    // The catalogue record is locked before its number is read, so two programs adding
    // records at once never give out the same number.
    RegisterInCatalogue(settings_.DataFileName);
    constexpr int kLockTries = 100;
    for (int tries = 1;; ++tries) {
        try {
            MasterTable.edit();
            break;
        } catch (const EngineError&) {
            if (tries >= kLockTries) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    try {
        const double last = std::round(MasterTable.number(CatalogueLastNumber));
        MasterTable.setNumber(CatalogueLastNumber, last + count);
        MasterTable.post();
        return last + 1;
    } catch (const EngineError&) {
        MasterTable.cancel();
        throw;
    }
}

void TDatabase::RegisterInCatalogue(const std::string& fileName) {
    if (MasterTable.findKey({{CatalogueFileName, fileName}})) {
        return;
    }
    // A table the catalogue did not list may hold numbered records already: new records go on
    // above them rather than repeat their numbers.
    const double last = std::max(1.0, LargestRecordNumber(fileName));
    MasterTable.append();
    MasterTable.setText(CatalogueFileName, fileName);
    MasterTable.setText(CatalogueName, fileName);
    MasterTable.setNumber(CatalogueLastNumber, last);
    MasterTable.post();
}

double TDatabase::LargestRecordNumber(const std::string& fileName) const {
    if (!engine::tableExists(settings_.DatabaseDir, fileName)) {
        return 0;
    }
    Table table;
    table.setDirectory(settings_.DatabaseDir);
    table.setFileName(fileName);
    table.setReadOnly(true);
    double largest = 0;
    table.open();
    for (table.first(); !table.atEnd(); table.next()) {
        largest = std::max(largest, std::round(table.number(RecordNumberField)));
    }
    return largest;
}

void TDatabase::SetLastRecordNumber(double number, const std::string& fileName) {
    RegisterInCatalogue(fileName);
    MasterTable.edit();
    try {
        MasterTable.setNumber(CatalogueLastNumber, number);
        MasterTable.post();
    } catch (const EngineError&) {
        MasterTable.cancel();
        throw;
    }
}

void TDatabase::CopyRecordToBuffer(std::uint32_t recordIndex) {
    MoveToRecord(DataTable, recordIndex);
    if (DataTable.atEnd()) {
        platform::ShowWarning("Empty Record - Not Copied!");
        return;
    }
    try {
        CopyTable.first();
        CopyTable.edit();
        const int fields = std::min(DataTable.fieldCount(), CopyTable.fieldCount());
        for (int position = FirstDataField; position < fields; ++position) {
            CopyField(DataTable, CopyTable, position);
        }
        CopyTable.post();
        CopyBufferFilled = true;
    } catch (const EngineError& error) {
        LogFailure(CopyTable, error);
        if (CopyTable.isOpen() && CopyTable.state() != Table::State::Browse) {
            CopyTable.cancel();
        }
    }
}

void TDatabase::PasteFromBuffer(std::uint32_t recordIndex, TLetterTabPanel* panel) {
    if (!CopyBufferFilled) {
        return;
    }
    MoveToRecord(DataTable, recordIndex);
    try {
        char oldLetter = 0;
        if (DataTable.atEnd()) {
            DataTable.append();
            AssignRecordNumber(DataTable);
        } else {
            oldLetter = Index.FirstLetter(DataTable);
            DataTable.edit();
        }
        CopyTable.first();
        const int fields = std::min(DataTable.fieldCount(), CopyTable.fieldCount());
        for (int position = FirstDataField; position < fields; ++position) {
            CopyField(CopyTable, DataTable, position);
        }
        const char newLetter = Index.FirstLetter(DataTable);
        DataTable.post();
        Index.AdjustLetterCount(oldLetter, newLetter, panel);
    } catch (const EngineError& error) {
        LogFailure(DataTable, error);
        if (DataTable.isOpen() && DataTable.state() != Table::State::Browse) {
            DataTable.cancel();
        }
    }
}

std::vector<std::string> TDatabase::FieldValueMenu(Table& table) {
    std::vector<std::string> captions;
    std::size_t dateField = 0;
    for (int position = FirstDataField; position < table.fieldCount(); ++position) {
        std::string caption;
        switch (table.field(position).type) {
        case 'M':
            caption = memoLine(table, position);
            break;
        case 'D': {
            const auto& lines = settings_.DateFormats.Lines;
            const int format = dateField < lines.size() ? lines[dateField].Format : 0;
            ++dateField;
            caption = text::DateText(table.date(position), format);
            break;
        }
        case 'B':
        case 'G':
            caption =
                std::string("<PICTURE>") + (table.isEmpty(position) ? " - Empty" : " - Not Empty");
            break;
        default:
            caption = table.text(position);
            break;
        }
        captions.push_back(caption.substr(0, kMenuCaptionLength));
    }
    return captions;
}

std::string TDatabase::memoLine(Table& table, int position) {
    try {
        const std::string text = table.text(position);
        return text.substr(0, text.find_first_of("\r\n"));
    } catch (const EngineError& error) {
        LogFailure(table, error);
        platform::ShowError("Corrupt Memo Field!!! You should delete record: \n" +
                                table.text(FirstDataField + 1),
                            kCorruptMemoHelp);
        return {};
    }
}

void TDatabase::CloseTables() {
    for (Table* table : {&CopyTable, &DataTable, &MasterTable}) {
        try {
            table->close();
        } catch (const EngineError& error) {
            LogFailure(*table, error);
        }
    }
}

} // namespace shelfwise::db
