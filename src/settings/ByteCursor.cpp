#include "settings/ByteCursor.h"

namespace shelfwise::settings {

std::optional<std::uint8_t> ByteCursor::Peek() const {
    if (AtEnd()) {
        return std::nullopt;
    }
    return data_[pos_];
}

std::optional<std::span<const std::uint8_t>> ByteCursor::Block(std::size_t size) {
    if (size > Remaining()) {
        pos_ = data_.size();
        return std::nullopt;
    }
    auto block = data_.subspan(pos_, size);
    pos_ += size;
    return block;
}

std::optional<std::uint8_t> ByteCursor::Byte() {
    auto block = Block(1);
    if (!block) {
        return std::nullopt;
    }
    return (*block)[0];
}

std::optional<std::int16_t> ByteCursor::Int16() {
    auto block = Block(2);
    if (!block) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>((*block)[0] | ((*block)[1] << 8));
}

std::optional<std::int32_t> ByteCursor::Int32() {
    auto block = Block(4);
    if (!block) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | (*block)[static_cast<std::size_t>(i)];
    }
    return static_cast<std::int32_t>(value);
}

} // namespace shelfwise::settings
