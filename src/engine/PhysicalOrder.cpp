#include "engine/DbfFile.h"
#include "engine/RecordOrder.h"

#include <algorithm>
#include <string>

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
    // Only the deleted flags matter, but they are spread over the records: read many records
    // per call.
    const std::uint32_t total = header.recordCount();
    const std::size_t recordLength = header.recordLength();
    const std::uint32_t perChunk =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, (1u << 20) / recordLength));
    std::string chunk;
    std::uint32_t live = 0;
    for (std::uint32_t n = 1; n <= total; n += perChunk) {
        const std::uint32_t records = std::min(perChunk, total - n + 1);
        chunk.resize(std::size_t(records) * recordLength);
        dbf_.file().readAt(chunk.data(), chunk.size(), header.recordOffset(n), "a record");
        for (std::uint32_t i = 0; i < records; ++i) {
            live += chunk[i * recordLength] != '*';
        }
    }
    liveCount_ = live;
    countedRecords_ = total;
    return live;
}

void PhysicalOrder::adjustCount(int delta) {
    if (liveCount_) {
        *liveCount_ += delta;
        countedRecords_ = dbf_.header().recordCount();
    }
}

} // namespace shelfwise::engine
