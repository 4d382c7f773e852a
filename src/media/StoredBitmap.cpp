#include "media/StoredBitmap.h"

#include "engine/EngineError.h"
#include "media/PictureIo.h"

#include <algorithm>
#include <vector>

namespace shelfwise::media {
namespace {

// A bitmap's headers and palette lie in its first bytes.
constexpr std::uint64_t HeadBytes = 4096;

void ReadRanges(const engine::Table& table, int position, std::span<const BytePart> parts,
                std::span<char> into) {
    std::vector<engine::Table::ByteRange> ranges;
    ranges.reserve(parts.size());
    for (const BytePart& part : parts) {
        ranges.push_back({part.Offset, part.Size});
    }
    table.readBytes(position, ranges, into);
}

} // namespace

std::shared_ptr<const TStoredBitmap> TStoredBitmap::Find(const engine::Table& table, int position,
                                                         const engine::Table::StoredValue& value,
                                                         std::uint64_t minimum) {
    if (value.block == 0 || value.size < minimum || table.exclusive()) {
        return nullptr;
    }
    std::shared_ptr<TStoredBitmap> bitmap(new TStoredBitmap());
    bitmap->head_.resize(std::min(value.size, HeadBytes));
    const engine::Table::ByteRange head{0, bitmap->head_.size()};
    table.readBytes(position, std::span(&head, 1), bitmap->head_);
    // Any other picture is read whole; a bitmap whose rows are not all there is too.
    bitmap->size_ = PlainBitmapSize(bitmap->head_, value.size);
    if (!bitmap->size_.isValid()) {
        return nullptr;
    }
    bitmap->directory_ = table.directory();
    bitmap->fileName_ = table.fileName();
    bitmap->record_ = table.recordNumber();
    bitmap->position_ = position;
    bitmap->value_ = value;
    return bitmap;
}

void TStoredBitmap::WithTable(const engine::Table* atHand,
                              const std::function<void(const engine::Table&)>& read) const {
    const auto holdsValue = [this](const engine::Table& table) {
        const engine::Table::StoredValue now = table.storedValue(position_);
        return now.block == value_.block && now.size == value_.size;
    };
    if (atHand != nullptr && atHand->recordNumber() == record_ && holdsValue(*atHand)) {
        read(*atHand);
        return;
    }
    engine::Table table;
    table.setDirectory(directory_);
    table.setFileName(fileName_);
    table.setReadOnly(true);
    table.open();
    if (!table.goToRecord(record_) || !holdsValue(table)) {
        throw engine::EngineError((directory_ / fileName_).string() + ": record " +
                                      std::to_string(record_) +
                                      " no longer holds the picture shown",
                                  engine::EngineError::Reason::NotFound);
    }
    read(table);
}

QImage TStoredBitmap::Decode(const engine::Table* atHand, QSize scaled, QRect clip) const {
    QImage image;
    WithTable(atHand, [&](const engine::Table& table) {
        image = DecodeBitmapParts(
            head_, value_.size,
            [&](std::span<const BytePart> parts, std::span<char> into) {
                ReadRanges(table, position_, parts, into);
            },
            scaled, clip);
    });
    return image;
}

std::string TStoredBitmap::Bytes(const engine::Table* atHand) const {
    std::string bytes;
    WithTable(atHand, [&](const engine::Table& table) { bytes = table.bytes(position_); });
    return bytes;
}

} // namespace shelfwise::media
