#pragma once

// Internal: not part of the engine's public interface.

#include "engine/FieldDescriptor.h"
#include "engine/KeyExpression.h"

#include <filesystem>
#include <map>
#include <string>

namespace shelfwise::engine {

class MemoFile;

// One record's bytes as key expressions see them: fields as stored, memo fields read from
// the memo file unless the cursor holds an unposted value for them.
class RecordKeySource : public RecordSource {
public:
    // What a damaged memo value gives: an empty text, so keys can still be made for its
    // record, or the error, for an index check that reports the damage.
    enum class UnreadableMemo { Empty, Throw };

    // `table` names the table in error messages.
    RecordKeySource(const FieldList& fields, const char* bytes, const MemoFile& memo,
                    const std::filesystem::path& table,
                    const std::map<int, std::string>* pendingMemos = nullptr,
                    UnreadableMemo unreadable = UnreadableMemo::Empty)
        : fields_(fields), bytes_(bytes), memo_(memo), table_(table), pending_(pendingMemos),
          unreadable_(unreadable) {}

    std::string_view field(std::size_t index) const override;
    std::string memo(std::size_t index) const override;

private:
    const FieldList& fields_;
    const char* bytes_;
    const MemoFile& memo_;
    const std::filesystem::path& table_;
    const std::map<int, std::string>* pending_;
    UnreadableMemo unreadable_;
};

} // namespace shelfwise::engine
