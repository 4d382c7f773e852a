#include "engine/Table.h"

#include "engine/DbfFile.h"
#include "engine/EngineError.h"
#include "engine/MdxFormat.h"
#include "engine/MemoFile.h"
#include "engine/RecordBuffer.h"
#include "engine/RecordKeySource.h"
#include "engine/RecordOrder.h"
#include "engine/RecordScan.h"
#include "engine/TableJournal.h"
#include "engine/TableLocks.h"
#include "engine/TablePaths.h"
#include "engine/TagOrder.h"
#include "engine/TagSet.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <numeric>
#include <span>

namespace shelfwise::engine {

struct Table::Impl {
    // Settings.
    std::filesystem::path directory;
    std::string fileName;
    bool exclusive = false;
    bool readOnly = false;
    std::string tagName;
    KeyRecord rangeStart;
    KeyRecord rangeEnd;

    // The open table.
    std::unique_ptr<TablePaths> paths;
    std::unique_ptr<DbfFile> dbf;
    std::unique_ptr<TableLocks> locks;
    MemoFile memo;
    TagSet tags;
    std::unique_ptr<PhysicalOrder> physical;
    std::unique_ptr<TagOrder> tagOrder;
    RecordOrder* order = nullptr;
    std::unique_ptr<RecordBuffer> current;  // the record shown, with unposted changes
    std::unique_ptr<RecordBuffer> original; // the record as read by edit()
    std::unique_ptr<RecordBuffer> scratch;  // candidates while skipping deleted records
    std::map<int, std::string> pendingMemos;
    State state = State::Closed;
    std::uint32_t recno = 0;
    bool bof = true;
    bool eof = true;
    bool bulk = false;

    class Change;
    // A batch runs in parts: each holds the header (and append) lock and one change for many
    // posts and deletions, from the first write after a flush to the next flush.
    struct Batch {
        // Declared so that the optional below can be made before this class is complete.
        Batch() {}
        std::uint32_t recordsPerFlush = 0;
        std::uint32_t written = 0;      // since the last flush
        std::unique_ptr<Change> change; // the part under way, if any
        std::uint32_t part = 0;         // the part's number among all of this cursor's parts
        // Records written since the last flush keep their locks until it: one release for all.
        std::uint32_t lockedFirst = UINT32_MAX;
        std::uint32_t lockedLast = 0;
        void keepLocked(std::uint32_t n) {
            lockedFirst = std::min(lockedFirst, n);
            lockedLast = std::max(lockedLast, n);
        }
    };
    std::optional<Batch> batch;
    std::uint32_t batchParts = 0;
    // The batch part during which the current record was read or written (0: none). While
    // that part holds the header no other writer can have changed the record.
    std::uint32_t currentPart = 0;
    bool batchHoldsHeader() const { return batch && batch->change; }
    bool currentKnownInBatch() const { return batchHoldsHeader() && currentPart == batch->part; }
    bool scanning = false; // a scan holds the header: calls inside it neither lock nor move
    // Records a scan read ahead: once it steps from a record to the next one, a run of the
    // records after it in one read. Used only while the scan holds the header.
    struct ReadAhead {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::uint32_t last = 0; // the record read last; 0 outside a scan
        std::string bytes;
    } ahead;

    std::string tableName() const {
        return dbf ? dbf->file().path().string() : (directory / fileName).string();
    }
    [[noreturn]] void fail(const std::string& message,
                           EngineError::Reason reason = EngineError::Reason::Usage) const {
        throw EngineError(tableName() + ": " + message, reason);
    }
    void requireOpen() const {
        if (state == State::Closed) {
            fail("the table is not open");
        }
    }
    void requireClosed() const {
        if (state != State::Closed) {
            fail("the table is open");
        }
    }
    void requireBrowse() const {
        requireOpen();
        if (scanning) {
            fail("the cursor cannot move or write while it scans");
        }
        if (state != State::Browse) {
            fail("the record being edited must be posted or cancelled first");
        }
    }
    void requireNotUpdating() const {
        if (scanning) {
            fail("the cursor cannot move or write while it scans");
        }
    }
    void requireEditing() const {
        if (state != State::Edit && state != State::Insert) {
            fail("the table is not in edit or insert mode");
        }
    }
    void requireWritable() const {
        requireOpen();
        if (readOnly) {
            fail("the table is open read-only");
        }
    }
    void requireExclusive(const char* operation) const {
        if (!exclusive) {
            fail(std::string(operation) + " needs the table opened exclusively");
        }
    }
    const FieldList& fields() const { return dbf->header().fields(); }
    bool indexed() const { return tags.isOpen() && !tags.tags().empty() && !bulk; }
    RecordKeySource keySource(const RecordBuffer& record) const {
        return RecordKeySource(fields(), record.data(), memo, dbf->file().path(), &pendingMemos);
    }
    bool isMemo(int position) const {
        const char type = current->field(position).type;
        return type == 'M' || type == 'B';
    }

    // Takes in the header as another writer may have left it; drops what that makes stale.
    // True when another writer changed the table since this cursor last looked.
    bool refresh() {
        if (!exclusive && dbf->refreshHeader()) {
            physical->invalidate();
            return true;
        }
        return false;
    }

    class ReadGuard;
    class WriteGuard;

    void open();
    void makeRecordBuffers();
    bool openFiles();
    bool recoverAtOpen();
    bool recoverUnderHeaderLock();
    bool finishTornWrite();
    void finishPending();
    void reloadAfterFailure();
    void removeIdleJournal();
    void reopen();
    void afterFailedSwap();
    void reopenIndex(std::filesystem::path indexPath);
    std::filesystem::path stagedIndexCopy();
    void openIndex();
    void saveIndexCounts();
    void selectTag();
    std::string rangeKey(const KeyRecord& keyRecord);
    void reset();
    bool loadLive(std::uint32_t n);
    void readAhead(std::uint32_t n);
    void accept();
    void moveToEmpty();
    void firstLocked();
    void lastLocked();
    bool stepLocked(bool forward);
    void first();
    void last();
    bool step(bool forward);
    int moveBy(int count);
    void post();
    template <typename Write> void inBatchOrAlone(bool forAppend, const Write& write);
    void startBatchPart();
    void flushBatch(bool keepEdited);
    void abandonBatch();
    void releaseBatchRecordLocks(bool keepEdited);
    std::uint32_t deleteMany(std::vector<std::uint32_t> numbers);
    void lockRecords(const std::vector<std::uint32_t>& numbers);
    UpdateResult updateMany(const std::vector<std::uint32_t>& numbers,
                            const std::function<void(std::size_t)>& edit);
    std::vector<std::size_t> lockForUpdate(const std::vector<std::uint32_t>& numbers,
                                           std::span<const std::size_t> part,
                                           std::uint32_t& locked);
    std::uint32_t writeUpdates(const std::vector<std::uint32_t>& numbers,
                               const std::vector<std::size_t>& mine,
                               const std::function<void(std::size_t)>& edit,
                               std::uint32_t keptRecno, bool& keptWritten);
    std::vector<std::string> checkIndexes();
    bool editChangesNothing();
    void writeMemos();
    void deleteCurrent();
    using RewriteProgress = std::function<bool(std::uint32_t read, std::uint32_t total)>;
    void rewrite(bool keepRecords, const RewriteProgress& proceed = {});
    void regenerate();
    void endBulkLoad();
    void changeTags(const std::function<void(TagSet&)>& change);
};

// Holds the header while the cursor reads a shared table, so no writer is half way through a
// post, and takes in the header as the last writer left it. Exclusive opens need neither.
// Every post and deletion changes the header's change counter along with the index, so the
// index is compared with its file only when the header changed, and then once for the whole
// call.
class Table::Impl::ReadGuard {
public:
    explicit ReadGuard(Table::Impl& t)
        : t_(t), locking_(!t.exclusive && !t.batchHoldsHeader() && !t.scanning) {
        if (t_.scanning) {
            return; // the scan's guard holds the header and took in its changes
        }
        if (locking_) {
            t_.locks->lockHeaderShared();
        }
        try {
            bool changed = !t_.batchHoldsHeader() && t_.refresh();
            while (locking_ && t_.dbf->header().writerBusy() && t_.finishTornWrite()) {
                changed = true;
            }
            if (t_.tags.isOpen()) {
                t_.tags.file().beginSteadyRead(t_.tagName, changed);
                steady_ = true;
            }
        } catch (...) {
            release();
            throw;
        }
    }
    ~ReadGuard() { release(); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

private:
    void release() {
        if (steady_) {
            t_.tags.file().endSteadyRead();
        }
        if (locking_) {
            t_.locks->unlockHeader();
        }
    }
    Table::Impl& t_;
    const bool locking_;
    bool steady_ = false;
};

// Serialises writers of a shared table: appends, posts, deletions and key updates.
class Table::Impl::WriteGuard {
public:
    WriteGuard(Table::Impl& t, bool forAppend) : t_(t) {
        if (!t_.exclusive) {
            t_.locks->lockHeader(forAppend);
        }
        try {
            t_.finishPending();
            t_.refresh();
        } catch (...) {
            release();
            throw;
        }
    }
    ~WriteGuard() { release(); }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

private:
    void release() {
        if (!t_.exclusive) {
            t_.locks->unlockHeader();
        }
    }
    Table::Impl& t_;
};

// The writes of one post, held back by the files and then made all-or-nothing by the
// table's journal. Without commit() they are dropped and the cursor reads the files afresh.
// A bulk load writes directly.
class Table::Impl::Change {
public:
    explicit Change(Table::Impl& t) : t_(t) {
        if (t_.bulk) {
            return;
        }
        files_ = {&t_.dbf->file(), t_.memo.isOpen() ? &t_.memo.file() : nullptr,
                  t_.tags.isOpen() ? &t_.tags.file().file() : nullptr};
        for (PosixFile* file : files_) {
            if (file != nullptr) {
                file->beginBuffering();
            }
        }
    }
    ~Change() {
        if (done_ || files_.empty()) {
            return;
        }
        for (PosixFile* file : files_) {
            if (file != nullptr) {
                file->endBuffering();
            }
        }
        t_.reloadAfterFailure();
    }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

    void commit() {
        if (!files_.empty()) {
            std::optional<BusyMark> busy;
            if (!t_.exclusive) {
                busy = BusyMark{&t_.dbf->file(), DbfHeader::kBusyOffset, 1};
            }
            TableJournal(t_.paths->journal()).commit(files_, busy);
        }
        done_ = true;
    }

private:
    Table::Impl& t_;
    std::vector<PosixFile*> files_;
    bool done_ = false;
};

namespace {

// A whole-table rewrite its caller abandoned.
struct RewriteAbandoned {};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

// The record buffers read their field list from the open .dbf, so they are made again
// whenever the .dbf is.
void Table::Impl::makeRecordBuffers() {
    const DbfHeader& header = dbf->header();
    const std::string name = paths->table().string();
    current = std::make_unique<RecordBuffer>(header.fields(), header.recordLength(), name);
    original = std::make_unique<RecordBuffer>(header.fields(), header.recordLength(), name);
    scratch = std::make_unique<RecordBuffer>(header.fields(), header.recordLength(), name);
}

void Table::Impl::open() {
    paths = std::make_unique<TablePaths>(directory, fileName);
    // A file swapped in while this open took its locks, or by its recovery, is opened again.
    constexpr int kAttempts = 5;
    for (int attempt = 1; !openFiles(); ++attempt) {
        locks.reset();
        dbf.reset();
        if (attempt == kAttempts) {
            fail("the table's files keep being replaced", EngineError::Reason::Locked);
        }
    }
    if (!exclusive) {
        locks->lockHeaderShared();
    }
    try {
        dbf->readHeader();
    } catch (...) {
        if (!exclusive) {
            locks->unlockHeader();
        }
        throw;
    }
    if (!exclusive) {
        locks->unlockHeader();
    }
    const DbfHeader& header = dbf->header();
    const auto memoAccess = readOnly ? PosixFile::Access::ReadOnly : PosixFile::Access::ReadWrite;
    if (header.needsMemoFile()) {
        const auto memoPath = paths->existingMemo();
        if (!memoPath) {
            fail("the memo file (.dbt) is missing", EngineError::Reason::NotFound);
        }
        memo = MemoFile(*memoPath, memoAccess, header.dbaseThreeMemo());
    }
    makeRecordBuffers();
    physical = std::make_unique<PhysicalOrder>(*dbf);
    openIndex();
    state = State::Browse;
    selectTag();
    first();
}

// Opens the .dbf and takes the open lock; false when the file must be opened again.
bool Table::Impl::openFiles() {
    *paths = TablePaths(directory, fileName);
    if (!paths->tableExists()) {
        fail("the table does not exist", EngineError::Reason::NotFound);
    }
    // A write lock needs a descriptor open for writing, so an exclusive open always has one.
    const auto access =
        readOnly && !exclusive ? PosixFile::Access::ReadOnly : PosixFile::Access::ReadWrite;
    dbf = std::make_unique<DbfFile>(paths->table(), access);
    locks = std::make_unique<TableLocks>(dbf->file());
    if (!locks->tryLockOpen(exclusive)) {
        fail(exclusive ? "the table is in use by someone else and cannot be opened exclusively"
                       : "the table is opened exclusively by someone else",
             EngineError::Reason::Locked);
    }
    return identityOf(paths->table()) == identityOf(dbf->file()) && !recoverAtOpen();
}

// Finishes a change that a crashed writer left, under the header lock; true when that
// swapped the table's files.
bool Table::Impl::recoverAtOpen() {
    if (!needsRecovery(*paths)) {
        return false;
    }
    if (exclusive) {
        return recoverTable(*paths);
    }
    return recoverUnderHeaderLock();
}

// Finishes the journal under the header's write lock, which the caller does not hold.
bool Table::Impl::recoverUnderHeaderLock() {
    // A read-only open holds no descriptor that can take a write lock: it borrows one.
    std::optional<DbfFile> writable;
    TableLocks* lockHolder = locks.get();
    std::optional<TableLocks> borrowed;
    if (!dbf->file().writable()) {
        writable.emplace(paths->table(), PosixFile::Access::ReadWrite);
        lockHolder = &borrowed.emplace(writable->file());
    }
    lockHolder->lockHeader(false);
    try {
        const bool swapped = recoverTable(*paths);
        lockHolder->unlockHeader();
        return swapped;
    } catch (...) {
        lockHolder->unlockHeader();
        throw;
    }
}

// A shared read that finds the busy mark set, holding the header for reading: a writer
// stopped while it overwrote pages. Its journal is finished under the write lock before
// anything is read, so the read never mixes old pages with new ones. True when it rolled
// back; refused when the files were swapped meanwhile or the lock cannot be had.
bool Table::Impl::finishTornWrite() {
    if (!needsRecovery(*paths)) {
        return false; // set by another program, or finished by another reader
    }
    locks->unlockHeader();
    const bool swapped = recoverUnderHeaderLock();
    locks->lockHeaderShared();
    if (swapped) {
        fail("the table's files were replaced; open the table again", EngineError::Reason::Locked);
    }
    reloadAfterFailure();
    return true;
}

// Before a write: the change another writer left unfinished (it died, or its cleanup
// failed) is finished first, and this cursor reads the files afresh.
void Table::Impl::finishPending() {
    if (bulk || !TableJournal(paths->journal()).pending()) {
        return;
    }
    if (recoverTable(*paths)) {
        fail("the table's files were replaced; open the table again", EngineError::Reason::Locked);
    }
    reloadAfterFailure();
}

// After writes were dropped or rolled back: what this cursor holds in memory follows the
// files again.
void Table::Impl::reloadAfterFailure() {
    try {
        dbf->readHeader();
        if (tags.isOpen()) {
            tags.file().reload();
        }
    } catch (const EngineError&) {
        // The next read reports the damage.
    }
    physical->invalidate();
}

// A cleared journal is removed at close when no other writer can be using it.
void Table::Impl::removeIdleJournal() {
    if (!dbf || !dbf->file().writable() || !locks) {
        return;
    }
    try {
        const auto journalPath = paths->journal();
        if (!identityOf(journalPath) || TableJournal(journalPath).pending()) {
            return;
        }
        if (exclusive) {
            removeFile(journalPath);
        } else if (locks->tryLockHeader()) {
            if (!TableJournal(journalPath).pending()) {
                removeFile(journalPath);
            }
            locks->unlockHeader();
        }
    } catch (const EngineError&) {
        // A journal left empty holds nothing.
    }
}

void Table::Impl::openIndex() {
    if (!dbf->header().hasProductionIndex()) {
        return; // an .mdx without the flag does not belong to the table
    }
    const auto indexPath = paths->existingIndex();
    if (!indexPath) {
        fail("the production index (.mdx) is missing", EngineError::Reason::NotFound);
    }
    ReadGuard guard(*this);
    tags.open(*indexPath, readOnly, fields());
    tags.file().loadCounts(paths->indexCounts());
}

// Keeps the index's subtree counts for the next open, unless a writer is at work.
void Table::Impl::saveIndexCounts() {
    if (!tags.isOpen() || state == State::Closed) {
        return;
    }
    if (!exclusive && !locks->tryLockHeaderShared()) {
        return; // a writer is at work: the next open counts again
    }
    tags.file().saveCounts(paths->indexCounts());
    if (!exclusive) {
        locks->unlockHeader();
    }
}

// Puts the cursor in the order of `tagName`, with no range; also after the tag list changed.
void Table::Impl::selectTag() {
    order = physical.get();
    tagOrder.reset();
    if (tagName.empty()) {
        return;
    }
    const TagSet::Tag* tag = tags.isOpen() ? tags.find(tagName) : nullptr;
    if (tag == nullptr) {
        fail("there is no tag " + tagName, EngineError::Reason::NotFound);
    }
    tagOrder = std::make_unique<TagOrder>(tags.file(), *tag, [this, tag](const RecordBuffer& r) {
        return tag->expression.evaluate(keySource(r));
    });
    order = tagOrder.get();
}

// The part of the current tag's key that the filled fields of the key record decide.
std::string Table::Impl::rangeKey(const KeyRecord& keyRecord) {
    if (!tagOrder) {
        fail("ranges and key searches need a current tag");
    }
    const TagSet::Tag& tag = *tags.find(tagName);
    RecordBuffer record(fields(), dbf->header().recordLength(), tableName());
    std::map<int, std::string> memoValues;
    std::vector<bool> filled(fields().size(), false);
    for (const KeyField& f : keyRecord) {
        if (isMemo(f.position)) {
            memoValues[f.position] = f.text;
        } else {
            record.setText(f.position, f.text);
        }
        filled[static_cast<std::size_t>(f.position)] = true;
    }
    const std::string key = tag.expression.evaluate(
        RecordKeySource(fields(), record.data(), memo, dbf->file().path(), &memoValues));
    return key.substr(0, tag.expression.prefixLength(filled));
}

void Table::Impl::reset() {
    if (batch) {
        batch->change.reset(); // what the batch did not flush is dropped
        batch.reset();
    }
    removeIdleJournal();
    order = nullptr;
    tagOrder.reset();
    tags.close();
    physical.reset();
    current.reset();
    original.reset();
    scratch.reset();
    pendingMemos.clear();
    memo = MemoFile();
    locks.reset();
    dbf.reset(); // closing the descriptor releases every lock it holds
    paths.reset();
    state = State::Closed;
    recno = 0;
    bof = eof = true;
    bulk = false;
}

// Reads record `n` into the scratch buffer; true when it is live.
bool Table::Impl::loadLive(std::uint32_t n) {
    if (n > dbf->header().recordCount()) {
        return false; // a key left by a writer that crashed before its record counted
    }
    if (ahead.last != 0) {
        readAhead(n);
    } else {
        dbf->readRecord(n, *scratch);
    }
    return !scratch->deleted();
}

// Reads record `n` into the scratch buffer during a scan: from the run read ahead when it
// holds it, else with a new run when the scan goes on to the next record (a tag whose order
// follows the records), else alone.
void Table::Impl::readAhead(std::uint32_t n) {
    constexpr std::uint32_t kRunBytes = 128 * 1024;
    const std::uint32_t length = dbf->header().recordLength();
    if (n < ahead.first || n - ahead.first >= ahead.count) {
        const std::uint32_t run =
            n == ahead.last + 1
                ? std::min(std::max(kRunBytes / length, 1u), dbf->header().recordCount() - n + 1)
                : 1;
        dbf->readRecords(n, run, ahead.bytes, false);
        ahead.first = n;
        ahead.count = run;
    }
    std::copy_n(ahead.bytes.data() + std::size_t(n - ahead.first) * length, scratch->size(),
                scratch->data());
    ahead.last = n;
}

void Table::Impl::accept() {
    std::swap(current, scratch);
    recno = 0;
    currentPart = batchHoldsHeader() ? batch->part : 0;
}

void Table::Impl::moveToEmpty() {
    current->clear();
    recno = 0;
    bof = eof = true;
}

// The moves below expect the caller to hold a ReadGuard.
void Table::Impl::firstLocked() {
    for (auto n = order->first(); n; n = order->next()) {
        if (loadLive(*n)) {
            accept();
            recno = *n;
            bof = true;
            eof = false;
            return;
        }
    }
    moveToEmpty();
}

void Table::Impl::lastLocked() {
    for (auto n = order->last(); n; n = order->prior()) {
        if (loadLive(*n)) {
            accept();
            recno = *n;
            bof = false;
            eof = true;
            return;
        }
    }
    moveToEmpty();
}

// One live record forward or back; false (and the position kept) at the end.
bool Table::Impl::stepLocked(bool forward) {
    if (recno == 0) {
        (forward ? eof : bof) = true;
        return false;
    }
    for (auto n = forward ? order->next() : order->prior(); n;
         n = forward ? order->next() : order->prior()) {
        if (loadLive(*n)) {
            accept();
            recno = *n;
            bof = eof = false;
            return true;
        }
    }
    order->positionOn(recno, *current);
    (forward ? eof : bof) = true;
    return false;
}

void Table::Impl::first() {
    ReadGuard guard(*this);
    firstLocked();
}

void Table::Impl::last() {
    ReadGuard guard(*this);
    lastLocked();
}

bool Table::Impl::step(bool forward) {
    ReadGuard guard(*this);
    return stepLocked(forward);
}

int Table::Impl::moveBy(int count) {
    ReadGuard guard(*this);
    const bool forward = count > 0;
    const int wanted = forward ? count : -count;
    int moved = 0;
    auto result = [&] { return forward ? moved : -moved; };
    if (tagOrder && recno != 0 && wanted > 1) {
        // Tags hold no keys of deleted records (deleting removes them), so a long move skips
        // entries by the index's counts without reading records; only the record it ends on
        // is read.
        const auto skip = static_cast<std::uint32_t>(wanted - 1);
        moved = static_cast<int>(tagOrder->skip(forward, skip));
        if (moved < wanted - 1) {
            forward ? lastLocked() : firstLocked();
            return result();
        }
        if (!stepLocked(forward)) {
            forward ? lastLocked() : firstLocked();
            return result();
        }
        ++moved;
        return result();
    }
    while (moved < wanted && stepLocked(forward)) {
        ++moved;
    }
    return result();
}

void Table::Impl::writeMemos() {
    for (const auto& [position, value] : pendingMemos) {
        const std::uint32_t oldBlock = state == State::Edit ? original->memoBlock(position) : 0;
        current->setMemoBlock(position, memo.write(oldBlock, value));
    }
}

// True when the edited record and its memo values are as the files hold them: its post
// would write nothing. A record left in a browsing window is posted whether or not it was
// changed.
bool Table::Impl::editChangesNothing() {
    if (!std::equal(current->data(), current->data() + current->size(), original->data())) {
        return false;
    }
    if (pendingMemos.empty()) {
        return true;
    }
    ReadGuard guard(*this);
    for (const auto& [position, value] : pendingMemos) {
        const std::uint32_t block = original->memoBlock(position);
        if (value != (block == 0 ? std::string() : memo.read(block))) {
            return false;
        }
    }
    return true;
}

// The writes of one post or deletion: on their own, under the header lock and committed at
// once, or as part of the batch's change.
template <typename Write> void Table::Impl::inBatchOrAlone(bool forAppend, const Write& write) {
    if (batch) {
        if (!batch->change) {
            startBatchPart();
        }
        batch->written += write();
        if (batch->written >= batch->recordsPerFlush) {
            flushBatch(false);
        }
        return;
    }
    WriteGuard guard(*this, forAppend);
    Change change(*this);
    write();
    change.commit();
}

void Table::Impl::startBatchPart() {
    if (!exclusive) {
        locks->lockHeader(true);
    }
    try {
        finishPending();
        refresh();
        batch->change = std::make_unique<Change>(*this);
        batch->part = ++batchParts;
    } catch (...) {
        if (!exclusive) {
            locks->unlockHeader();
        }
        throw;
    }
}

// Commits the writes of the batch's part under way; until the next write other writers and
// readers get the header. `keepEdited`: the record being edited stays locked.
void Table::Impl::flushBatch(bool keepEdited) {
    if (!batch->change) {
        releaseBatchRecordLocks(keepEdited);
        return;
    }
    batch->written = 0;
    std::unique_ptr<Change> change = std::move(batch->change);
    try {
        change->commit();
    } catch (...) {
        change.reset(); // drops the part's writes
        if (!exclusive) {
            locks->unlockHeader();
        }
        throw;
    }
    if (!exclusive) {
        locks->unlockHeader();
    }
    releaseBatchRecordLocks(keepEdited);
}

// After a failure in a batch: its writes since the last flush are dropped.
void Table::Impl::abandonBatch() {
    if (!batch) {
        return;
    }
    const bool held = batchHoldsHeader();
    batch->change.reset();
    if (held && !exclusive) {
        locks->unlockHeader();
    }
    releaseBatchRecordLocks(true);
    batch.reset();
}

void Table::Impl::releaseBatchRecordLocks(bool keepEdited) {
    const std::uint32_t first = batch->lockedFirst;
    const std::uint32_t last = batch->lockedLast;
    batch->lockedFirst = UINT32_MAX;
    batch->lockedLast = 0;
    if (keepEdited && state == State::Edit && recno >= first && recno <= last) {
        locks->unlockRecords(first, recno - 1);
        locks->unlockRecords(recno + 1, last);
    } else {
        locks->unlockRecords(first, last);
    }
}

void Table::Impl::post() {
    const bool inserting = state == State::Insert;
    if (!inserting && editChangesNothing()) {
        locks->unlockRecord(recno);
        pendingMemos.clear();
        state = State::Browse;
        return;
    }
    if (batch && !inserting) {
        batch->keepLocked(recno);
    }
    std::uint32_t n = 0;
    inBatchOrAlone(inserting, [&] {
        DbfHeader& header = dbf->header();
        n = inserting ? header.recordCount() + 1 : recno;
        if (inserting && n == 0) {
            fail("the table is full");
        }
        // Old keys come from the memo values before they are written over.
        std::vector<std::string> oldKeys;
        if (indexed() && !inserting) {
            oldKeys =
                tags.keysOf(RecordKeySource(fields(), original->data(), memo, dbf->file().path()));
        }
        writeMemos();
        dbf->writeRecord(n, *current);
        if (inserting) {
            header.setRecordCount(n);
        }
        if (indexed()) {
            const std::vector<std::string> newKeys = tags.keysOf(keySource(*current));
            tags.replaceKeys(inserting ? nullptr : &oldKeys, &newKeys, n);
        }
        header.markChanged();
        if (!bulk) {
            dbf->writeHeader();
        }
        order->positionOn(n, *current);
        return 1u;
    });
    if (inserting) {
        physical->adjustCount(+1);
    } else if (!batch) {
        locks->unlockRecord(n);
    }
    pendingMemos.clear();
    original->assign(*current);
    currentPart = batchHoldsHeader() ? batch->part : 0;
    recno = n;
    bof = eof = false;
    state = State::Browse;
}

// Takes the locks of the records, all or none.
void Table::Impl::lockRecords(const std::vector<std::uint32_t>& numbers) {
    for (auto it = numbers.begin(); it != numbers.end(); ++it) {
        if (!locks->tryLockRecord(*it)) {
            for (auto taken = numbers.begin(); taken != it; ++taken) {
                locks->unlockRecord(*taken);
            }
            fail("record " + std::to_string(*it) + " is locked by another user",
                 EngineError::Reason::Locked);
        }
    }
}

// Deletes the records in one pass over them in record order: alone in one change, in a batch
// a batch's worth at a time, each locked until its part is flushed.
std::uint32_t Table::Impl::deleteMany(std::vector<std::uint32_t> numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    numbers.erase(numbers.begin(), std::upper_bound(numbers.begin(), numbers.end(), 0u));
    std::uint32_t deleted = 0;
    const std::size_t step =
        batch ? batch->recordsPerFlush : std::max<std::size_t>(numbers.size(), 1);
    for (std::size_t from = 0; from < numbers.size(); from += step) {
        const std::vector<std::uint32_t> part(
            numbers.begin() + static_cast<std::ptrdiff_t>(from),
            numbers.begin() + static_cast<std::ptrdiff_t>(std::min(numbers.size(), from + step)));
        lockRecords(part);
        if (batch) {
            batch->keepLocked(part.front());
            batch->keepLocked(part.back());
        }
        std::uint32_t partDeleted = 0;
        try {
            inBatchOrAlone(false, [&] {
                DbfHeader& header = dbf->header();
                for (const std::uint32_t n : part) {
                    if (n > header.recordCount()) {
                        break;
                    }
                    dbf->readRecord(n, *scratch);
                    if (scratch->deleted()) {
                        continue;
                    }
                    if (indexed()) {
                        const std::vector<std::string> keys = tags.keysOf(
                            RecordKeySource(fields(), scratch->data(), memo, dbf->file().path()));
                        tags.replaceKeys(&keys, nullptr, n);
                    }
                    scratch->setDeleted(true);
                    dbf->writeRecord(n, *scratch);
                    ++partDeleted;
                }
                if (partDeleted > 0) {
                    header.markChanged();
                    dbf->writeHeader();
                }
                return partDeleted;
            });
        } catch (...) {
            if (!batch) {
                locks->unlockRecords(part.front(), part.back());
            }
            throw;
        }
        if (!batch) {
            locks->unlockRecords(part.front(), part.back());
        }
        physical->adjustCount(-static_cast<int>(partDeleted));
        deleted += partDeleted;
    }
    return deleted;
}

// Edits the records in one pass in record order, a batch's worth at a time (all at once
// alone), each part's records locked first; see Table::updateRecords.
Table::UpdateResult Table::Impl::updateMany(const std::vector<std::uint32_t>& numbers,
                                            const std::function<void(std::size_t)>& edit) {
    std::vector<std::size_t> todo(numbers.size());
    std::iota(todo.begin(), todo.end(), std::size_t(0));
    std::stable_sort(todo.begin(), todo.end(),
                     [&](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
    todo.erase(std::unique(todo.begin(), todo.end(),
                           [&](std::size_t a, std::size_t b) { return numbers[a] == numbers[b]; }),
               todo.end());
    std::erase_if(todo, [&](std::size_t i) { return numbers[i] == 0; });

    UpdateResult result;
    const std::uint32_t keptRecno = recno;
    bool keptWritten = false;
    {
        // The edits go through the cursor's buffers; it shows its own record again after them.
        struct Restore {
            Impl& t;
            std::string bytes;
            std::uint32_t recno;
            ~Restore() {
                std::copy(bytes.begin(), bytes.end(), t.current->data());
                t.original->assign(*t.current);
                t.recno = recno;
                t.currentPart = 0;
                t.pendingMemos.clear();
                t.state = State::Browse;
                t.scanning = false;
            }
        } restore{*this, current->bytes(), keptRecno};
        const std::size_t step =
            batch ? batch->recordsPerFlush : std::max<std::size_t>(todo.size(), 1);
        for (std::size_t from = 0; from < todo.size(); from += step) {
            const std::span<const std::size_t> part(todo.data() + from,
                                                    std::min(step, todo.size() - from));
            const std::vector<std::size_t> mine = lockForUpdate(numbers, part, result.locked);
            if (mine.empty()) {
                continue;
            }
            const std::uint32_t lowest = numbers[mine.front()];
            const std::uint32_t highest = numbers[mine.back()];
            if (batch) {
                batch->keepLocked(lowest);
                batch->keepLocked(highest);
            }
            try {
                inBatchOrAlone(false, [&] {
                    const std::uint32_t written =
                        writeUpdates(numbers, mine, edit, keptRecno, keptWritten);
                    result.written += written;
                    return written;
                });
            } catch (...) {
                if (!batch) {
                    locks->unlockRecords(lowest, highest);
                }
                throw;
            }
            if (!batch) {
                locks->unlockRecords(lowest, highest);
            }
        }
    }
    if (keptWritten) {
        ReadGuard guard(*this);
        if (loadLive(keptRecno)) {
            accept();
            recno = keptRecno;
            order->positionOn(keptRecno, *current);
        }
    }
    return result;
}

// Locks the records of a part (indexes of their numbers, in record order): each run of
// neighbours with one call, a run that meets another user's lock record by record. Returns
// the records locked and counts the others in `locked`.
std::vector<std::size_t> Table::Impl::lockForUpdate(const std::vector<std::uint32_t>& numbers,
                                                    std::span<const std::size_t> part,
                                                    std::uint32_t& locked) {
    std::vector<std::size_t> mine;
    mine.reserve(part.size());
    for (std::size_t i = 0; i < part.size();) {
        std::size_t j = i + 1;
        while (j < part.size() && numbers[part[j]] == numbers[part[j - 1]] + 1) {
            ++j;
        }
        if (locks->tryLockRecords(numbers[part[i]], numbers[part[j - 1]])) {
            mine.insert(mine.end(), part.begin() + static_cast<std::ptrdiff_t>(i),
                        part.begin() + static_cast<std::ptrdiff_t>(j));
        } else {
            for (std::size_t k = i; k < j; ++k) {
                if (locks->tryLockRecord(numbers[part[k]])) {
                    mine.push_back(part[k]);
                } else {
                    ++locked;
                }
            }
        }
        i = j;
    }
    return mine;
}

// The writes of one part of updateMany, under the header and inside its change: the records
// read a run of neighbours at a time, each live one edited and, when changed, written with
// its keys. Returns the number written.
std::uint32_t Table::Impl::writeUpdates(const std::vector<std::uint32_t>& numbers,
                                        const std::vector<std::size_t>& mine,
                                        const std::function<void(std::size_t)>& edit,
                                        std::uint32_t keptRecno, bool& keptWritten) {
    DbfHeader& header = dbf->header();
    const std::size_t length = header.recordLength();
    std::uint32_t written = 0;
    std::string run;
    for (std::size_t i = 0; i < mine.size();) {
        const std::uint32_t first = numbers[mine[i]];
        if (first > header.recordCount()) {
            break;
        }
        std::size_t j = i + 1;
        while (j < mine.size() && numbers[mine[j]] == numbers[mine[j - 1]] + 1 &&
               numbers[mine[j]] <= header.recordCount()) {
            ++j;
        }
        dbf->readRecords(first, static_cast<std::uint32_t>(j - i), run, true);
        for (std::size_t k = i; k < j; ++k) {
            const std::uint32_t n = numbers[mine[k]];
            std::copy_n(run.data() + std::size_t(n - first) * length, length, original->data());
            if (original->deleted()) {
                continue;
            }
            current->assign(*original);
            recno = n;
            pendingMemos.clear();
            state = State::Edit;
            scanning = true; // `edit` may read but not move or post
            edit(mine[k]);
            if (editChangesNothing()) {
                continue;
            }
            // Old keys come from the memo values before they are written over.
            std::vector<std::string> oldKeys;
            if (indexed()) {
                oldKeys = tags.keysOf(
                    RecordKeySource(fields(), original->data(), memo, dbf->file().path()));
            }
            writeMemos();
            dbf->writeRecord(n, *current);
            if (indexed()) {
                const std::vector<std::string> newKeys = tags.keysOf(keySource(*current));
                tags.replaceKeys(&oldKeys, &newKeys, n);
            }
            keptWritten = keptWritten || n == keptRecno;
            ++written;
        }
        i = j;
    }
    if (written > 0) {
        header.markChanged();
        dbf->writeHeader();
    }
    return written;
}

std::vector<std::string> Table::Impl::checkIndexes() {
    ReadGuard guard(*this);
    return tags.check(fields(), *dbf, memo);
}

void Table::Impl::deleteCurrent() {
    bool deleted = false;
    inBatchOrAlone(false, [&] {
        dbf->readRecord(recno, *scratch);
        if (scratch->deleted()) {
            return 0u;
        }
        if (indexed()) {
            const std::vector<std::string> keys =
                tags.keysOf(RecordKeySource(fields(), scratch->data(), memo, dbf->file().path()));
            tags.replaceKeys(&keys, nullptr, recno);
        }
        scratch->setDeleted(true);
        dbf->writeRecord(recno, *scratch);
        dbf->header().markChanged();
        dbf->writeHeader();
        deleted = true;
        return 1u;
    });
    if (deleted) {
        physical->adjustCount(-1);
    }
}

// Whole-table operations build new files beside the table's (TablePaths::staged) and swap
// them in with the journal, so a crash leaves the old files or the new ones.

void Table::Impl::reopenIndex(std::filesystem::path indexPath) {
    tagOrder.reset();
    order = physical.get();
    tags.close();
    tags.open(indexPath, false, fields());
    selectTag();
}

// A failed whole-table operation: before its swap nothing changed and the staged files go;
// once the swap is under way the journal finishes it and the table is opened again.
void Table::Impl::afterFailedSwap() {
    if (!TableJournal(paths->journal()).pending()) {
        discardStaged(*paths);
        return;
    }
    try {
        reopen();
    } catch (const EngineError&) {
        reset(); // the next open finishes the swap
    }
}

void Table::Impl::reopen() {
    const std::string keptTag = tagName;
    reset();
    tagName = keptTag;
    open();
}

// A copy of the index, for a change of its tag list made aside.
std::filesystem::path Table::Impl::stagedIndexCopy() {
    const std::filesystem::path staged = paths->staged(".mdx");
    PosixFile copy = PosixFile::create(staged);
    copyContents(tags.file().file(), copy);
    copy.sync();
    return staged;
}

// Writes the table anew beside itself, with its live records (or none) and their memo
// values, and rebuilt tags.
void Table::Impl::rewrite(bool keepRecords, const RewriteProgress& proceed) {
    finishPending();
    const DbfHeader& header = dbf->header();
    const std::size_t length = header.recordLength();
    std::vector<int> memoPositions;
    for (int i = 0; i < static_cast<int>(header.fields().size()); ++i) {
        if (isMemo(i)) {
            memoPositions.push_back(i);
        }
    }
    try {
        // The header as stored (other programs may keep more bytes in it than we write).
        std::string head(header.headerLength(), '\0');
        dbf->file().readAt(head.data(), head.size(), 0, "the table header");
        PosixFile out = PosixFile::create(paths->staged(".dbf"));
        MemoFile newMemo;
        if (memo.isOpen()) {
            MemoFile::create(paths->staged(".dbt"), paths->lowerBaseName(), memo.dbaseThree());
            newMemo =
                MemoFile(paths->staged(".dbt"), PosixFile::Access::ReadWrite, memo.dbaseThree());
        }
        std::uint64_t writeOffset = 0;
        std::uint32_t kept = 0;
        std::string chunk = head;
        RecordScan scan(*dbf);
        std::uint32_t read = 0;
        while (const char* bytes = keepRecords ? scan.next() : nullptr) {
            if (proceed && !proceed(++read, header.recordCount())) {
                throw RewriteAbandoned{};
            }
            if (bytes[0] == '*') {
                continue;
            }
            std::copy_n(bytes, length, scratch->data());
            for (int position : memoPositions) {
                const std::uint32_t block = scratch->memoBlock(position);
                scratch->setMemoBlock(position,
                                      block == 0 ? 0 : newMemo.write(0, memo.read(block)));
            }
            chunk.append(scratch->bytes());
            ++kept;
            if (chunk.size() >= (1u << 20)) {
                out.writeAt(chunk.data(), chunk.size(), writeOffset);
                writeOffset += chunk.size();
                chunk.clear();
            }
        }
        chunk.push_back(DbfFile::kEndOfFile);
        out.writeAt(chunk.data(), chunk.size(), writeOffset);
        DbfHeader newHeader = header;
        newHeader.setRecordCount(kept);
        newHeader.markChanged();
        out.writeAt(newHeader.fixedPart().data(), DbfHeader::kFixedSize, 0);
        out.sync();
        out.close();
        if (newMemo.isOpen()) {
            newMemo.sync();
        }

        // The new .dbf is locked before it takes the table's name, so no other open can
        // slip in between.
        auto newDbf =
            std::make_unique<DbfFile>(paths->staged(".dbf"), PosixFile::Access::ReadWrite);
        auto newLocks = std::make_unique<TableLocks>(newDbf->file());
        if (!newLocks->tryLockOpen(true)) {
            newDbf->file().fail("the new table file is in use", EngineError::Reason::Locked);
        }
        newDbf->readHeader();
        SwapPlan plan;
        plan.renames.push_back({paths->staged(".dbf"), paths->table()});
        if (memo.isOpen()) {
            plan.renames.push_back({paths->staged(".dbt"), memo.path()});
        }
        if (tags.isOpen()) {
            tags.writeRebuilt(paths->staged(".mdx"), paths->lowerBaseName(), *newDbf, newMemo);
            plan.renames.push_back({paths->staged(".mdx"), tags.path()});
        }
        newMemo = MemoFile();
        TableJournal(paths->journal()).swap(plan);
        locks = std::move(newLocks);
        dbf = std::move(newDbf);
        dbf->file().renamed(paths->table());
        makeRecordBuffers();
        if (memo.isOpen()) {
            const std::filesystem::path memoPath = memo.path();
            const bool dbaseThree = memo.dbaseThree();
            memo = MemoFile(memoPath, PosixFile::Access::ReadWrite, dbaseThree);
        }
        physical = std::make_unique<PhysicalOrder>(*dbf);
        if (tags.isOpen()) {
            reopenIndex(tags.path());
        } else {
            selectTag();
        }
    } catch (...) {
        afterFailedSwap();
        throw;
    }
}

void Table::Impl::regenerate() {
    finishPending();
    if (!tags.isOpen()) {
        return;
    }
    try {
        tags.writeRebuilt(paths->staged(".mdx"), paths->lowerBaseName(), *dbf, memo);
        SwapPlan plan;
        plan.renames.push_back({paths->staged(".mdx"), tags.path()});
        const std::filesystem::path indexPath = tags.path();
        TableJournal(paths->journal()).swap(plan);
        reopenIndex(indexPath);
    } catch (...) {
        afterFailedSwap();
        throw;
    }
}

// The records a bulk load appended count only once their tags are rebuilt: the header with
// their count is written by the same swap that brings the new index.
void Table::Impl::endBulkLoad() {
    bulk = false;
    try {
        finishPending();
        SwapPlan plan;
        if (tags.isOpen()) {
            tags.writeRebuilt(paths->staged(".mdx"), paths->lowerBaseName(), *dbf, memo);
            plan.renames.push_back({paths->staged(".mdx"), tags.path()});
        }
        if (memo.isOpen()) {
            memo.sync();
        }
        dbf->sync();
        dbf->header().markChanged();
        const auto& fixed = dbf->header().fixedPart();
        plan.patches.push_back({paths->table(), 0, std::string(fixed.begin(), fixed.end())});
        const std::filesystem::path indexPath = tags.isOpen() ? tags.path() : "";
        TableJournal(paths->journal()).swap(plan);
        if (!indexPath.empty()) {
            reopenIndex(indexPath);
        }
    } catch (...) {
        afterFailedSwap();
        throw;
    }
}

// Adds or deletes a tag in a copy of the index (a new one when there is none), then swaps it
// in.
void Table::Impl::changeTags(const std::function<void(TagSet&)>& change) {
    finishPending();
    try {
        const bool newIndex = !tags.isOpen();
        const std::filesystem::path indexPath = newIndex ? paths->newIndex() : tags.path();
        std::filesystem::path staged = paths->staged(".mdx");
        if (newIndex) {
            MdxFile::create(staged, paths->lowerBaseName());
        } else {
            staged = stagedIndexCopy();
        }
        {
            TagSet changed;
            changed.open(staged, false, fields());
            change(changed);
            changed.flush();
        }
        SwapPlan plan;
        plan.renames.push_back({staged, indexPath});
        if (newIndex) {
            DbfHeader& header = dbf->header();
            header.setProductionIndex(true);
            header.markChanged();
            const auto& fixed = header.fixedPart();
            plan.patches.push_back({paths->table(), 0, std::string(fixed.begin(), fixed.end())});
        }
        TableJournal(paths->journal()).swap(plan);
        reopenIndex(indexPath);
    } catch (...) {
        reloadAfterFailure();
        afterFailedSwap();
        throw;
    }
}

// ---------------------------------------------------------------------------------------------

Table::Table() : impl_(std::make_unique<Impl>()) {}

Table::~Table() {
    try {
        close();
    } catch (...) {
        // A destructor cannot report; close() explicitly to see flush errors.
        impl_->reset();
    }
}

void Table::setDirectory(std::filesystem::path directory) {
    impl_->requireClosed();
    impl_->directory = std::move(directory);
}

void Table::setFileName(std::string fileName) {
    impl_->requireClosed();
    impl_->fileName = std::move(fileName);
}

void Table::setExclusive(bool exclusive) {
    impl_->requireClosed();
    impl_->exclusive = exclusive;
}

void Table::setReadOnly(bool readOnly) {
    impl_->requireClosed();
    impl_->readOnly = readOnly;
}

const std::filesystem::path& Table::directory() const {
    return impl_->directory;
}
const std::string& Table::fileName() const {
    return impl_->fileName;
}
bool Table::exclusive() const {
    return impl_->exclusive;
}
bool Table::readOnly() const {
    return impl_->readOnly;
}

void Table::open() {
    if (isOpen()) {
        return;
    }
    try {
        impl_->open();
    } catch (...) {
        impl_->reset();
        throw;
    }
}

void Table::close() {
    if (!isOpen()) {
        return;
    }
    try {
        endBatch();
        endBulkLoad();
    } catch (...) {
        impl_->reset();
        throw;
    }
    impl_->saveIndexCounts();
    impl_->reset();
}

bool Table::isOpen() const {
    return impl_->state != State::Closed;
}
Table::State Table::state() const {
    return impl_->state;
}

int Table::fieldCount() const {
    impl_->requireOpen();
    return static_cast<int>(impl_->dbf->header().fields().size());
}

const FieldDescriptor& Table::field(int position) const {
    impl_->requireOpen();
    return impl_->current->field(position);
}

int Table::fieldPosition(std::string_view name) const {
    impl_->requireOpen();
    const FieldList& fields = impl_->dbf->header().fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (equalsIgnoringCase(fields[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string Table::text(int position) const {
    impl_->requireOpen();
    return impl_->isMemo(position) ? bytes(position) : impl_->current->text(position);
}

double Table::number(int position) const {
    impl_->requireOpen();
    return impl_->current->number(position).value_or(0.0);
}

std::optional<std::chrono::year_month_day> Table::date(int position) const {
    impl_->requireOpen();
    return impl_->current->date(position);
}

std::string Table::bytes(int position) const {
    impl_->requireOpen();
    if (!impl_->isMemo(position)) {
        impl_->fail("field " + field(position).name + " is not a memo or binary field");
    }
    if (const auto pending = impl_->pendingMemos.find(position);
        pending != impl_->pendingMemos.end()) {
        return pending->second;
    }
    const std::uint32_t block = impl_->current->memoBlock(position);
    if (block == 0) {
        return {};
    }
    Impl::ReadGuard guard(*impl_);
    return impl_->memo.read(block);
}

Table::StoredValue Table::storedValue(int position) const {
    impl_->requireOpen();
    if (!impl_->isMemo(position)) {
        impl_->fail("field " + field(position).name + " is not a memo or binary field");
    }
    if (const auto pending = impl_->pendingMemos.find(position);
        pending != impl_->pendingMemos.end()) {
        return {0, pending->second.size(), 0};
    }
    const std::uint32_t block = impl_->current->memoBlock(position);
    if (block == 0) {
        return {};
    }
    Impl::ReadGuard guard(*impl_);
    return {block, impl_->memo.size(block), impl_->dbf->header().changeCounter()};
}

void Table::readBytes(int position, std::span<const ByteRange> ranges, std::span<char> into) const {
    impl_->requireOpen();
    if (!impl_->isMemo(position)) {
        impl_->fail("field " + field(position).name + " is not a memo or binary field");
    }
    std::uint64_t total = 0;
    for (const ByteRange& range : ranges) {
        total += range.size;
        if (range.size > into.size() || total > into.size()) {
            impl_->fail("the parts of a value do not fit the room given");
        }
    }
    if (total != into.size()) {
        impl_->fail("the parts of a value do not fill the room given");
    }
    const auto place = [&](const ByteRange& range) {
        const std::span<char> part = into.first(range.size);
        into = into.subspan(range.size);
        return part;
    };
    const auto outside = [&](std::uint64_t length) {
        impl_->fail("field " + field(position).name + ": a part past the end of its " +
                    std::to_string(length) + "-byte value");
    };
    if (const auto pending = impl_->pendingMemos.find(position);
        pending != impl_->pendingMemos.end()) {
        const std::string& value = pending->second;
        for (const ByteRange& range : ranges) {
            if (range.offset > value.size() || range.size > value.size() - range.offset) {
                outside(value.size());
            }
            std::copy_n(value.data() + range.offset, range.size, place(range).data());
        }
        return;
    }
    const std::uint32_t block = impl_->current->memoBlock(position);
    if (block == 0) {
        if (total != 0) {
            outside(0);
        }
        return;
    }
    Impl::ReadGuard guard(*impl_);
    const MemoFile::Extent value = impl_->memo.extent(block);
    for (const ByteRange& range : ranges) {
        impl_->memo.readPart(value, range.offset, place(range));
    }
}

std::uint32_t Table::changeCounter() const {
    impl_->requireOpen();
    Impl::ReadGuard guard(*impl_);
    return impl_->dbf->header().changeCounter();
}

bool Table::isEmpty(int position) const {
    impl_->requireOpen();
    if (const auto pending = impl_->pendingMemos.find(position);
        pending != impl_->pendingMemos.end()) {
        return pending->second.empty();
    }
    return impl_->current->isEmpty(position);
}

void Table::setText(int position, std::string_view text) {
    impl_->requireEditing();
    if (impl_->isMemo(position)) {
        impl_->pendingMemos[position] = std::string(text);
    } else {
        impl_->current->setText(position, text);
    }
}

void Table::setNumber(int position, double value) {
    impl_->requireEditing();
    impl_->current->setNumber(position, value);
}

void Table::setDate(int position, std::optional<std::chrono::year_month_day> date) {
    impl_->requireEditing();
    impl_->current->setDate(position, date);
}

void Table::setBytes(int position, std::string_view bytes) {
    impl_->requireEditing();
    if (!impl_->isMemo(position)) {
        impl_->fail("field " + field(position).name + " is not a memo or binary field");
    }
    impl_->pendingMemos[position] = std::string(bytes);
}

void Table::clear(int position) {
    setText(position, {});
}

void Table::first() {
    impl_->requireBrowse();
    impl_->first();
}

void Table::last() {
    impl_->requireBrowse();
    impl_->last();
}

void Table::next() {
    impl_->requireBrowse();
    impl_->step(true);
}

void Table::prior() {
    impl_->requireBrowse();
    impl_->step(false);
}

int Table::moveBy(int count) {
    impl_->requireBrowse();
    return impl_->moveBy(count);
}

std::uint32_t Table::scan(std::uint32_t count, const std::function<bool()>& visit) {
    impl_->requireBrowse();
    Impl::ReadGuard guard(*impl_);
    struct Scanning {
        explicit Scanning(Impl& t) : t_(t) {
            t_.scanning = true;
            t_.ahead.last = t_.recno;
        }
        ~Scanning() {
            t_.scanning = false;
            t_.ahead.last = 0;
            t_.ahead.count = 0;
        }
        Impl& t_;
    } scanning(*impl_);
    std::uint32_t visited = 0;
    while (visited < count && !impl_->eof && impl_->recno != 0) {
        ++visited;
        if (!visit()) {
            break;
        }
        impl_->stepLocked(true);
    }
    return visited;
}

bool Table::atBegin() const {
    return impl_->bof;
}
bool Table::atEnd() const {
    return impl_->eof;
}

std::uint32_t Table::recordCount() const {
    impl_->requireOpen();
    Impl::ReadGuard guard(*impl_);
    return impl_->order->count();
}

std::uint32_t Table::recordPosition() const {
    impl_->requireOpen();
    Impl::ReadGuard guard(*impl_);
    return impl_->recno == 0 ? impl_->order->count() : impl_->order->position();
}

std::uint32_t Table::recordNumber() const {
    return impl_->recno;
}

bool Table::goToRecord(std::uint32_t recordNumber) {
    impl_->requireBrowse();
    Impl::ReadGuard guard(*impl_);
    if (recordNumber == 0 || !impl_->loadLive(recordNumber)) {
        return false;
    }
    if (impl_->tagOrder &&
        !impl_->tagOrder->inRange(impl_->tags.find(impl_->tagName)
                                      ->expression.evaluate(impl_->keySource(*impl_->scratch)))) {
        return false;
    }
    impl_->accept();
    impl_->recno = recordNumber;
    impl_->order->positionOn(recordNumber, *impl_->current);
    impl_->bof = impl_->eof = false;
    return true;
}

void Table::append() {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->original->assign(*impl_->current); // what cancel() shows again
    impl_->current->clear();
    impl_->pendingMemos.clear();
    impl_->state = State::Insert;
}

// dBASE tables have no physical insert position: an insert is an append.
void Table::insert() {
    append();
}

void Table::edit() {
    impl_->requireWritable();
    if (impl_->state == State::Edit) {
        return;
    }
    impl_->requireBrowse();
    const std::uint32_t n = impl_->recno;
    if (n == 0) {
        impl_->fail("there is no record to edit");
    }
    if (!impl_->locks->tryLockRecord(n)) {
        impl_->fail("record " + std::to_string(n) + " is locked by another user",
                    EngineError::Reason::Locked);
    }
    // A record read or written during the batch part that still holds the header is as the
    // files hold it: no other writer could have changed it since.
    if (!impl_->currentKnownInBatch()) {
        try {
            Impl::ReadGuard guard(*impl_);
            impl_->dbf->readRecord(n, *impl_->scratch);
            if (impl_->scratch->deleted()) {
                impl_->fail("record " + std::to_string(n) + " was deleted by another user",
                            EngineError::Reason::NotFound);
            }
        } catch (...) {
            impl_->locks->unlockRecord(n);
            throw;
        }
        impl_->accept();
        impl_->recno = n;
    }
    impl_->original->assign(*impl_->current);
    impl_->pendingMemos.clear();
    impl_->state = State::Edit;
}

void Table::post() {
    impl_->requireOpen();
    if (impl_->state == State::Browse) {
        return;
    }
    impl_->requireNotUpdating();
    runBeforePost();
    if (impl_->state == State::Browse) {
        return; // the hook posted or cancelled the record itself
    }
    try {
        impl_->post();
    } catch (...) {
        impl_->abandonBatch();
        throw;
    }
}

void Table::cancel() {
    impl_->requireOpen();
    const State was = impl_->state;
    if (was == State::Browse) {
        return;
    }
    impl_->requireNotUpdating();
    impl_->pendingMemos.clear();
    impl_->state = State::Browse;
    if (was == State::Edit) {
        impl_->locks->unlockRecord(impl_->recno);
    }
    impl_->current->assign(*impl_->original);
    impl_->currentPart = 0;
}

void Table::deleteRecord() {
    impl_->requireWritable();
    impl_->requireNotUpdating();
    if (impl_->state == State::Insert) {
        cancel();
        return;
    }
    const std::uint32_t n = impl_->recno;
    if (n == 0) {
        impl_->fail("there is no record to delete");
    }
    const bool editing = impl_->state == State::Edit;
    if (!editing && !impl_->locks->tryLockRecord(n)) {
        impl_->fail("record " + std::to_string(n) + " is locked by another user",
                    EngineError::Reason::Locked);
    }
    if (impl_->batch) {
        impl_->batch->keepLocked(n);
    }
    try {
        impl_->deleteCurrent();
    } catch (...) {
        impl_->abandonBatch();
        if (!editing) {
            impl_->locks->unlockRecord(n);
        }
        throw;
    }
    if (!impl_->batch) {
        impl_->locks->unlockRecord(n);
    }
    impl_->pendingMemos.clear();
    impl_->state = State::Browse;
    if (!impl_->step(true) && !impl_->step(false)) {
        impl_->moveToEmpty();
    }
}

Table::UpdateResult
Table::updateRecords(const std::vector<std::uint32_t>& recordNumbers,
                     const std::function<void(Table&, std::size_t index)>& change) {
    impl_->requireWritable();
    impl_->requireBrowse();
    try {
        return impl_->updateMany(recordNumbers, [&](std::size_t index) {
            change(*this, index);
            runBeforePost();
        });
    } catch (...) {
        impl_->abandonBatch();
        throw;
    }
}

void Table::beginBatch(std::uint32_t recordsPerFlush) {
    impl_->requireWritable();
    impl_->requireBrowse();
    if (impl_->batch || impl_->bulk) {
        impl_->fail("a batch or bulk load is already under way");
    }
    impl_->batch.emplace();
    impl_->batch->recordsPerFlush = std::max<std::uint32_t>(recordsPerFlush, 1);
}

void Table::endBatch() {
    if (!impl_->batch) {
        return;
    }
    try {
        impl_->flushBatch(true);
    } catch (...) {
        impl_->abandonBatch();
        throw;
    }
    impl_->batch.reset();
}

bool Table::inBatch() const {
    return impl_->batch.has_value();
}

void Table::beginBulkLoad() {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("a bulk load");
    if (!impl_->tagName.empty()) {
        impl_->fail("a bulk load works in physical order: set no tag first");
    }
    impl_->finishPending(); // once bulk is set, nothing finishes it before the load's end
    impl_->bulk = true;
}

void Table::endBulkLoad() {
    if (!impl_->bulk) {
        return;
    }
    impl_->endBulkLoad();
}

std::vector<TagInfo> Table::tags() const {
    impl_->requireOpen();
    std::vector<TagInfo> list;
    if (impl_->tags.isOpen()) {
        for (const TagSet::Tag& tag : impl_->tags.tags()) {
            list.push_back({tag.info.name, tag.info.expression, tag.info.descending});
        }
    }
    return list;
}

void Table::setTag(const std::string& name) {
    if (!isOpen()) {
        impl_->tagName = name;
        return;
    }
    impl_->requireBrowse();
    if (impl_->bulk && !name.empty()) {
        impl_->fail("a bulk load works in physical order");
    }
    const std::string previous = impl_->tagName;
    impl_->tagName = name;
    try {
        impl_->selectTag();
    } catch (...) {
        impl_->tagName = previous;
        impl_->selectTag();
        throw;
    }
    impl_->rangeStart.clear();
    impl_->rangeEnd.clear();
    impl_->first();
}

const std::string& Table::tag() const {
    return impl_->tagName;
}

void Table::addTag(const std::string& name, const std::string& expression, bool descending) {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("adding a tag");
    const DbfFile& dbf = *impl_->dbf;
    const MemoFile& memo = impl_->memo;
    impl_->changeTags([&](TagSet& tags) {
        tags.addTag(name, expression, descending, dbf.header().fields(), dbf, memo);
    });
}

void Table::deleteTag(const std::string& name) {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("deleting a tag");
    if (!impl_->tags.isOpen()) {
        impl_->fail("there is no tag " + name, EngineError::Reason::NotFound);
    }
    const std::string kept = impl_->tagName;
    if (equalsIgnoringCase(kept, name)) {
        impl_->tagName.clear(); // the order goes with the tag
    }
    try {
        impl_->changeTags([&](TagSet& tags) { tags.deleteTag(name); });
    } catch (...) {
        if (impl_->state != State::Closed) {
            impl_->tagName = kept;
        }
        throw;
    }
    impl_->first();
}

void Table::regenerateIndexes() {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("regenerating the indexes");
    impl_->regenerate();
    impl_->first();
}

std::vector<std::string> Table::checkIndexes() {
    impl_->requireOpen();
    if (!impl_->tags.isOpen()) {
        return {};
    }
    return impl_->checkIndexes();
}

std::uint32_t Table::deleteRecords(std::vector<std::uint32_t> recordNumbers) {
    impl_->requireWritable();
    impl_->requireBrowse();
    const std::uint32_t current = impl_->recno;
    std::uint32_t deleted = 0;
    try {
        deleted = impl_->deleteMany(std::move(recordNumbers));
    } catch (...) {
        impl_->abandonBatch();
        throw;
    }
    if (deleted > 0 && current != 0) {
        Impl::ReadGuard guard(*impl_);
        if (!impl_->loadLive(current)) {
            if (!impl_->stepLocked(true) && !impl_->stepLocked(false)) {
                impl_->moveToEmpty();
            }
        }
    }
    return deleted;
}

std::string Table::key() const {
    impl_->requireOpen();
    if (!impl_->tagOrder) {
        return {};
    }
    return impl_->tags.find(impl_->tagName)->expression.evaluate(impl_->keySource(*impl_->current));
}

void Table::setRangeStart(KeyRecord start) {
    impl_->rangeStart = std::move(start);
}

void Table::setRangeEnd(KeyRecord end) {
    impl_->rangeEnd = std::move(end);
}

void Table::applyRange() {
    impl_->requireBrowse();
    std::string start = impl_->rangeKey(impl_->rangeStart);
    std::string end = impl_->rangeKey(impl_->rangeEnd);
    impl_->tagOrder->setRange(std::move(start), std::move(end));
    impl_->first();
}

void Table::cancelRange() {
    impl_->requireBrowse();
    impl_->rangeStart.clear();
    impl_->rangeEnd.clear();
    if (impl_->tagOrder) {
        impl_->tagOrder->setRange({}, {});
    }
    impl_->first();
}

bool Table::findKey(const KeyRecord& key) {
    impl_->requireBrowse();
    const std::string prefix = impl_->rangeKey(key);
    Impl::ReadGuard guard(*impl_);
    TagOrder& order = *impl_->tagOrder;
    for (auto n = order.seek(prefix); n; n = order.nextWithPrefix(prefix)) {
        if (impl_->loadLive(*n)) {
            impl_->accept();
            impl_->recno = *n;
            impl_->bof = impl_->eof = false;
            return true;
        }
    }
    if (impl_->recno != 0) {
        order.positionOn(impl_->recno, *impl_->current);
    }
    return false;
}

void Table::empty() {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("emptying");
    impl_->rewrite(false);
    impl_->first();
}

bool Table::pack(const std::function<bool(std::uint32_t read, std::uint32_t total)>& proceed) {
    impl_->requireWritable();
    impl_->requireBrowse();
    impl_->requireExclusive("packing");
    try {
        impl_->rewrite(true, proceed);
    } catch (const RewriteAbandoned&) {
        impl_->first();
        return false;
    }
    impl_->first();
    return true;
}

} // namespace shelfwise::engine
