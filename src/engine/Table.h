#pragma once

// Public interface of the table engine: a cursor on one dBASE table.

#include "engine/FieldDescriptor.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine {

// One tag of the table's production index.
struct TagInfo {
    std::string name;       // upper case, at most 10 characters
    std::string expression; // dBASE key expression
    bool descending = false;
};

// A field of a key record: the value a range bound or a search key gives a field, as text.
// Fields a key record leaves out match every value.
struct KeyField {
    int position = 0;
    std::string text;
};
using KeyRecord = std::vector<KeyField>;

// A cursor on one dBASE table (.dbf with its .dbt memo file and .mdx production index).
//
// Set the directory, file name and open mode, then open. Fields are addressed by their
// position in the table file (0-based). Text is single-byte Windows-1252, passed as bytes.
// Every failure throws EngineError with a message that names the file.
//
// Sharing: any number of shared opens may coexist, in this process or others; an exclusive
// open fails while any other open exists, and a shared open fails while an exclusive one
// exists. edit() takes a record lock that other cursors and programs see; post() writes the
// record, its memo values and its index keys, then the header, and flushes to disk before it
// returns; a post that changes no byte of the record and no memo value writes nothing. Deleted
// records are skipped in every order.
class Table {
public:
    enum class State { Closed, Browse, Edit, Insert };

    Table();
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Where and how; only while closed. The file name may lack ".dbf"; existing files are
    // found whatever their case.
    void setDirectory(std::filesystem::path directory);
    void setFileName(std::string fileName);
    void setExclusive(bool exclusive);
    void setReadOnly(bool readOnly);
    const std::filesystem::path& directory() const;
    const std::string& fileName() const;
    bool exclusive() const;
    bool readOnly() const;

    void open();
    // Discards an unposted edit or insert, releases every lock and closes the files.
    void close();
    bool isOpen() const;
    State state() const;

    // Fields by position.
    int fieldCount() const;
    const FieldDescriptor& field(int position) const;
    // Position of the field with that name (case-insensitive), or -1.
    int fieldPosition(std::string_view name) const;

    // Field values of the current record. Text is trimmed of trailing blanks (numbers of
    // leading ones too); dates read as YYYYMMDD, logicals as T or F, memo and binary fields
    // as their whole value. An empty field reads as "" and number 0.
    std::string text(int position) const;
    double number(int position) const;
    std::optional<std::chrono::year_month_day> date(int position) const;
    std::string bytes(int position) const;
    // A memo or binary value of the current record as stored, learnt without reading it.
    // Every write to the table advances its change counter, so two answers with the same
    // block, size and counter name the same bytes. A value set but not yet posted has block 0.
    struct StoredValue {
        std::uint32_t block = 0;
        std::uint64_t size = 0;
        std::uint32_t changeCounter = 0;
    };
    StoredValue storedValue(int position) const;
    // Parts of a memo or binary value of the current record, read without the rest of it: the
    // bytes of each range in turn into `into`, which is exactly as long as the ranges together.
    // Throws as bytes() does, and (Usage) for a range past the value's end.
    struct ByteRange {
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };
    void readBytes(int position, std::span<const ByteRange> ranges, std::span<char> into) const;
    bool isEmpty(int position) const;
    // Setters need edit or insert state. Text wider than a character field is cut; a number
    // that does not fit its field throws.
    void setText(int position, std::string_view text);
    void setNumber(int position, double value);
    void setDate(int position, std::optional<std::chrono::year_month_day> date);
    void setBytes(int position, std::string_view bytes);
    void clear(int position);

    // Navigation in the current order. first() sets atBegin(), last() sets atEnd(); next()
    // past the last record and prior() before the first leave the cursor where it was and set
    // atEnd() or atBegin(). moveBy() returns how many records it moved.
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int count);
    bool atBegin() const;
    bool atEnd() const;
    // Reads a stretch of records under one lock: from the current record on, forward in the
    // current order, calls `visit` with the cursor on each of up to `count` live records and
    // then moves on, checking once for other writers' changes instead of at every move. The
    // visitor may read fields and counts but not move the cursor or write (that throws); it
    // returns false to stop, and the cursor stays on that record. Otherwise the cursor ends on
    // the record after the last visited, or atEnd() when the order ran out:
    //   for (t.first(); !t.atEnd();) t.scan(1000, visit);
    // Returns the number of records visited.
    std::uint32_t scan(std::uint32_t count, const std::function<bool()>& visit);
    // Records in the current order and range, deleted ones not counted.
    std::uint32_t recordCount() const;
    // The table's change counter as the file holds it now: every post and deletion, by any
    // cursor in this program or another, advances it. One read of the header.
    std::uint32_t changeCounter() const;
    // Place of the current record in the current order and range, counted from 0, deleted
    // records not counted: the count moveBy() takes from first() to reach it. A tag takes it
    // from the index's counts; physical order from the record number, reading the deletion
    // marks before it only when the table holds deleted records. With no current record (an
    // empty range) it is recordCount(), the place after the last.
    std::uint32_t recordPosition() const;
    // Physical number (1-based) of the current record; 0 when there is none.
    std::uint32_t recordNumber() const;
    // Goes to the live record with that physical number, in whatever order is current; false,
    // and the cursor unmoved, when there is none or it lies outside the applied range.
    bool goToRecord(std::uint32_t recordNumber);

    // Indexes. The tag list is read at open. Adding, deleting and regenerating tags need an
    // exclusive open. setTag() works open or closed; "" means physical order.
    std::vector<TagInfo> tags() const;
    void setTag(const std::string& name);
    const std::string& tag() const;
    void addTag(const std::string& name, const std::string& expression, bool descending);
    void deleteTag(const std::string& name);
    void regenerateIndexes();
    // Problems found by comparing every tag with the records; empty when all is well.
    std::vector<std::string> checkIndexes();
    // Key of the current record in the current tag, as the index stores it.
    std::string key() const;

    // Ranges on the current tag. A bound is the key of a record in which only the given
    // fields are filled; only the part of the key those fields decide is compared, so the
    // rest matches every value. applyRange() goes to the first record in range.
    void setRangeStart(KeyRecord start);
    void setRangeEnd(KeyRecord end);
    void applyRange();
    void cancelRange();
    // Goes to the first record (in range) whose key begins with the key record's key; false,
    // and the cursor unmoved, when there is none.
    bool findKey(const KeyRecord& key);

    // Editing.
    void append();
    void insert();
    void edit();
    void post();
    void cancel();
    // Runs at the start of every post() in edit or insert state, with this cursor on the
    // record being posted, before anything is written; it may set fields. It does not run
    // again while it runs. An empty function detaches it.
    void setBeforePost(std::function<void(Table&)> hook);
    // Marks the current record deleted, removes its keys and moves to the next record (the
    // previous one at the end).
    void deleteRecord();
    // Deletes the live records with these physical numbers in one pass, as deleteRecord()
    // would one by one; numbers of no record or of a deleted one are passed over. Alone it is
    // one all-or-nothing change that locks every record first (another user's lock on one
    // refuses the whole); in a batch it is flushed with the batch, a batch's worth of records
    // locked and written at a time. A cursor on a record it deleted moves as deleteRecord()
    // does. Returns the number of records deleted.
    std::uint32_t deleteRecords(std::vector<std::uint32_t> recordNumbers);

    // Changes many records in one pass, for loops that write a few fields of records they
    // found (marks, replaced text): the live records with these physical numbers, in record
    // order, each locked (neighbours with one call), read once (neighbours with one read) and
    // handed to `change` with the cursor on it in edit state, together with the index of its
    // number in `recordNumbers`. `change` may read the record and set its fields, but not move,
    // post or cancel. Each record is then posted as post() would (the before-post hook runs
    // first; a record left as it was is not written): in a batch with the batch, a batch's
    // worth of records locked and written at a time, alone as one all-or-nothing change. A
    // record another user has locked is left out and counted; numbers of no record or of a
    // deleted one are passed over, and a number given twice is taken once. If anything
    // throws, nothing of this call is written (in a batch, the batch's writes since its last
    // flush are dropped too and the batch ends). The cursor stays on the record it was on.
    struct UpdateResult {
        std::uint32_t written = 0; // records changed and posted
        std::uint32_t locked = 0;  // records left out: another user holds their lock
    };
    UpdateResult updateRecords(const std::vector<std::uint32_t>& recordNumbers,
                               const std::function<void(Table&, std::size_t index)>& change);

    // Batches, for loops over many records (shared or exclusive opens): between beginBatch()
    // and endBatch() posts and deletions are written together, every `recordsPerFlush` of
    // them and at endBatch(), each time all or nothing (the journal covers every record since
    // the last flush). The cursor holds the header lock from the first write after a flush to
    // the next flush; in between other writers and readers get their turn. A post or deletion in a
    // batch returns before it is on the disk; one that fails drops the batch's writes since its
    // last flush and ends the batch. close() ends a batch too.
    void beginBatch(std::uint32_t recordsPerFlush = 500);
    void endBatch();
    bool inBatch() const;

    // Bulk loading (exclusive opens only): until endBulkLoad(), posts skip index updates and
    // flushes; endBulkLoad() rebuilds every tag, writes the header and flushes. close() ends a
    // bulk load too.
    void beginBulkLoad();
    void endBulkLoad();

    // Empty (exclusive opens only): removes every record and memo value and empties every
    // tag.
    void empty();
    // Pack (exclusive opens only): drops deleted records, compacts the memo file and
    // rebuilds every tag. `proceed`, when given, is called after each record read with the
    // records read so far and the number the file holds; when it returns false the pack is
    // abandoned, the table is left as it was and pack() returns false.
    bool pack(const std::function<bool(std::uint32_t read, std::uint32_t total)>& proceed = {});

private:
    void runBeforePost();

    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::function<void(Table&)> beforePost_;
    bool inBeforePost_ = false;
};

} // namespace shelfwise::engine
