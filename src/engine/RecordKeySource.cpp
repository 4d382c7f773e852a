#include "engine/RecordKeySource.h"

#include "engine/EngineError.h"
#include "engine/MemoFile.h"
#include "engine/RecordBuffer.h"

namespace shelfwise::engine {

std::string_view RecordKeySource::field(std::size_t index) const {
    const FieldDescriptor& f = fields_.at(index);
    return std::string_view(bytes_ + f.offset, f.width);
}

std::string RecordKeySource::memo(std::size_t index) const {
    if (pending_ != nullptr) {
        if (const auto it = pending_->find(static_cast<int>(index)); it != pending_->end()) {
            return it->second;
        }
    }
    // A damaged memo gives an empty key: its record stays reachable in the tag, so it can still
    // be deleted, and the index rebuilt and packed around it. A failing disk fails the call.
    try {
        const std::uint32_t block =
            parseMemoBlock(field(index), table_.string(), fields_.at(index));
        return block == 0 ? std::string() : memo_.read(block);
    } catch (const EngineError& e) {
        if (unreadable_ == UnreadableMemo::Throw || e.reason() != EngineError::Reason::Damaged) {
            throw;
        }
        return {};
    }
}

} // namespace shelfwise::engine
