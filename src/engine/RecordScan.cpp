#include "engine/RecordScan.h"

#include "engine/DbfFile.h"

#include <algorithm>

namespace shelfwise::engine {

RecordScan::RecordScan(const DbfFile& dbf)
    : dbf_(dbf), total_(dbf.header().recordCount()),
      perChunk_(static_cast<std::uint32_t>(
          std::max<std::size_t>(1, (1u << 20) / dbf.header().recordLength()))) {}

const char* RecordScan::next() {
    if (number_ >= total_) {
        return nullptr;
    }
    ++number_;
    const std::size_t length = dbf_.header().recordLength();
    if (number_ >= chunkFirst_ + chunkRecords_) {
        chunkFirst_ = number_;
        chunkRecords_ = std::min(perChunk_, total_ - number_ + 1);
        chunk_.resize(std::size_t(chunkRecords_) * length);
        dbf_.file().readAt(chunk_.data(), chunk_.size(), dbf_.header().recordOffset(number_),
                           "a record");
    }
    return chunk_.data() + std::size_t(number_ - chunkFirst_) * length;
}

} // namespace shelfwise::engine
