#pragma once

#include "engine/Table.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace shelfwise::media {

// A large bitmap in a record's picture field, read in parts: a look at it reads the rows shown,
// not the whole value. While the table's cursor is still on the record the parts come through
// it; later through the table opened again read-only, since the cursor that showed the record
// may have moved on or closed.
class TStoredBitmap {
public:
    // Null unless the field, holding `value`, holds an uncompressed 24- or 32-bit bitmap of at
    // least `minimum` bytes in a table others may open too.
    static std::shared_ptr<const TStoredBitmap> Find(const engine::Table& table, int position,
                                                     const engine::Table::StoredValue& value,
                                                     std::uint64_t minimum);

    QSize Size() const { return size_; }
    // As DecodePicture; `atHand` is the table still on the record, or null. Throws EngineError
    // when the value can no longer be read or was written over by another value.
    QImage Decode(const engine::Table* atHand, QSize scaled, QRect clip) const;
    // The whole value, thrown for as Decode.
    std::string Bytes(const engine::Table* atHand) const;

private:
    TStoredBitmap() = default;
    // Runs `read` with a table on the record whose field still holds this value.
    void WithTable(const engine::Table* atHand,
                   const std::function<void(const engine::Table&)>& read) const;

    std::filesystem::path directory_;
    std::string fileName_;
    std::uint32_t record_ = 0;
    int position_ = 0;
    engine::Table::StoredValue value_;
    std::string head_;
    QSize size_;
};

} // namespace shelfwise::media
