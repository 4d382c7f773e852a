#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace shelfwise::settings {

// Reads little-endian items from a byte buffer. An item that does not fit in the remaining
// bytes is not read: the cursor moves to the end and the result is empty, so every later read
// finds the end as well.
class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::uint8_t> data) : data_(data) {}

    bool AtEnd() const { return pos_ >= data_.size(); }
    std::size_t Remaining() const { return data_.size() - pos_; }
    std::optional<std::uint8_t> Peek() const;

    std::optional<std::uint8_t> Byte();
    std::optional<std::int16_t> Int16();
    std::optional<std::int32_t> Int32();
    std::optional<std::span<const std::uint8_t>> Block(std::size_t size);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

} // namespace shelfwise::settings
