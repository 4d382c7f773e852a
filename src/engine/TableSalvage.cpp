#include "engine/TableSalvage.h"

#include "engine/DbfFile.h"
#include "engine/DbfHeader.h"
#include "engine/EngineError.h"
#include "engine/MemoFile.h"
#include "engine/RecordBuffer.h"
#include "engine/RecordScan.h"
#include "engine/TableLocks.h"
#include "engine/TablePaths.h"

#include <optional>

namespace shelfwise::engine {

SalvageReport salvageTable(const std::filesystem::path& directory, const std::string& fileName,
                           const std::function<void(const SalvagedRecord&)>& visit) {
    const TablePaths paths(directory, fileName);
    if (!paths.tableExists()) {
        throw EngineError(paths.table().string() + ": the table does not exist",
                          EngineError::Reason::NotFound);
    }
    DbfFile dbf(paths.table(), PosixFile::Access::ReadOnly);
    TableLocks locks(dbf.file());
    if (!locks.tryLockOpen(false)) {
        dbf.file().fail("the table is opened exclusively by someone else",
                        EngineError::Reason::Locked);
    }
    SalvageReport report;
    dbf.header() = DbfHeader::salvage(dbf.file(), report.problems);
    const DbfHeader& header = dbf.header();
    report.fields = header.fields();
    const std::string name = paths.table().string();

    std::optional<MemoFile> memo;
    if (header.needsMemoFile()) {
        try {
            if (const auto memoPath = paths.existingMemo()) {
                memo.emplace(*memoPath, PosixFile::Access::ReadOnly, header.dbaseThreeMemo());
            } else {
                report.problems.push_back("the memo file (.dbt) is missing");
            }
        } catch (const EngineError& e) {
            report.problems.push_back(e.what());
        }
    }

    const std::uint64_t endOfRecords = header.recordOffset(header.recordCount() + 1);
    const std::uint64_t fileSize = dbf.file().size();
    // One end-of-file byte is expected after the last record; more is a cut-off record.
    if (fileSize > endOfRecords + 1) {
        report.problems.push_back(std::to_string(fileSize - endOfRecords) +
                                  " bytes after the last whole record were skipped");
    }

    RecordBuffer record(header.fields(), header.recordLength(), name);
    RecordScan scan(dbf);
    SalvagedRecord out;
    while (const char* bytes = scan.next()) {
        const std::uint32_t n = scan.number();
        if (bytes[0] != ' ' && bytes[0] != '*') {
            ++report.recordsSkipped;
            report.problems.push_back("record " + std::to_string(n) +
                                      " has no deletion mark and was skipped");
            continue;
        }
        std::copy_n(bytes, record.size(), record.data());
        out.recordNumber = n;
        out.deleted = record.deleted();
        out.values.clear();
        for (int i = 0; i < static_cast<int>(header.fields().size()); ++i) {
            const char type = header.fields()[static_cast<std::size_t>(i)].type;
            if (type != 'M' && type != 'B') {
                out.values.push_back(record.text(i));
                continue;
            }
            std::string value;
            try {
                if (const std::uint32_t block = record.memoBlock(i); block != 0 && memo) {
                    value = memo->read(block);
                }
            } catch (const EngineError& e) {
                report.problems.push_back("record " + std::to_string(n) + ": " + e.what());
            }
            out.values.push_back(std::move(value));
        }
        ++report.recordsRead;
        visit(out);
    }
    return report;
}

} // namespace shelfwise::engine
