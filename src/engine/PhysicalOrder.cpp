#include "engine/DbfFile.h"
#include "engine/RecordOrder.h"
#include "engine/RecordScan.h"

#include <algorithm>

namespace shelfwise::engine {

std::optional<std::uint32_t> PhysicalOrder::first() {
    if (dbf_.header().recordCount() == 0) {
        return std::nullopt;
    }
    return position_ = 1;
}

std::optional<std::uint32_t> PhysicalOrder::last() {
    const std::uint32_t count = dbf_.header().recordCount();
    if (count == 0) {
        return std::nullopt;
    }
    return position_ = count;
}

std::optional<std::uint32_t> PhysicalOrder::next() {
    if (position_ >= dbf_.header().recordCount()) {
        return std::nullopt;
    }
    return ++position_;
}

std::optional<std::uint32_t> PhysicalOrder::prior() {
    if (position_ <= 1) {
        return std::nullopt;
    }
    position_ = std::min(position_ - 1, dbf_.header().recordCount());
    return position_;
}

std::uint32_t PhysicalOrder::count() {
    const DbfHeader& header = dbf_.header();
    if (liveCount_ && countedRecords_ == header.recordCount()) {
        return *liveCount_;
    }
    std::uint32_t live = 0;
    RecordScan scan(dbf_);
    while (const char* record = scan.next()) {
        live += record[0] != '*';
    }
    liveCount_ = live;
    countedRecords_ = header.recordCount();
    return live;
}

std::uint32_t PhysicalOrder::position() {
    if (count() == dbf_.header().recordCount()) {
        return position_ - 1; // nothing deleted: the record number tells
    }
    std::uint32_t live = 0;
    RecordScan scan(dbf_);
    for (const char* record = nullptr; scan.number() + 1 < position_ && (record = scan.next());) {
        live += record[0] != '*';
    }
    return live;
}

void PhysicalOrder::adjustCount(int delta) {
    if (liveCount_) {
        *liveCount_ += delta;
        countedRecords_ = dbf_.header().recordCount();
    }
}

} // namespace shelfwise::engine
