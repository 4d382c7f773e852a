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
    // `table` names the table in error messages.
    RecordKeySource(const FieldList& fields, const char* bytes, const MemoFile& memo,
                    const std::filesystem::path& table,
                    const std::map<int, std::string>* pendingMemos = nullptr)
        : fields_(fields), bytes_(bytes), memo_(memo), table_(table), pending_(pendingMemos) {}

    std::string_view field(std::size_t index) const override;
    std::string memo(std::size_t index) const override;

private:
    const FieldList& fields_;
    const char* bytes_;
    const MemoFile& memo_;
    const std::filesystem::path& table_;
    const std::map<int, std::string>* pending_;
};

} // namespace shelfwise::engine
