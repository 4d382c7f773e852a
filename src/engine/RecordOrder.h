#pragma once

// Internal: not part of the engine's public interface.

#include <array>
#include <cstdint>
#include <optional>

namespace shelfwise::engine {

class DbfFile;
class RecordBuffer;

// A way through the records of an open table that yields record numbers; the cursor reads
// each record and asks again when it is deleted. An order keeps its own position, which a
// call that finds nothing leaves where it was.
class RecordOrder {
public:
    virtual ~RecordOrder() = default;

    virtual std::optional<std::uint32_t> first() = 0;
    virtual std::optional<std::uint32_t> last() = 0;
    virtual std::optional<std::uint32_t> next() = 0;
    virtual std::optional<std::uint32_t> prior() = 0;
    // Puts the position on record `n`, whose bytes are `record` (after a post, a cancel, or
    // when a scan past deleted records found nothing).
    virtual void positionOn(std::uint32_t n, const RecordBuffer& record) = 0;
    // Live records in this order (and range).
    virtual std::uint32_t count() = 0;
    // Live records before the position, which must be on a record.
    virtual std::uint32_t position() = 0;
    // Another writer changed records or keys: drop what was cached.
    virtual void invalidate() = 0;
};

// Record number order, over the record count in the header.
class PhysicalOrder : public RecordOrder {
public:
    explicit PhysicalOrder(const DbfFile& dbf) : dbf_(dbf) {}

    std::optional<std::uint32_t> first() override;
    std::optional<std::uint32_t> last() override;
    std::optional<std::uint32_t> next() override;
    std::optional<std::uint32_t> prior() override;
    void positionOn(std::uint32_t n, const RecordBuffer&) override { position_ = n; }
    std::uint32_t count() override;
    std::uint32_t position() override;
    void invalidate() override { liveCount_.reset(); }
    // This cursor changed the number of live records by `delta`; keeps a known count valid.
    void adjustCount(int delta);

private:
    const DbfFile& dbf_;
    std::uint32_t position_ = 0;
    std::optional<std::uint32_t> liveCount_;
    std::uint32_t countedRecords_ = 0;
};

} // namespace shelfwise::engine
