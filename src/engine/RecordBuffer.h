#pragma once

// Internal: not part of the engine's public interface.

#include "engine/EngineError.h"
#include "engine/FieldDescriptor.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace shelfwise::engine {

// The block number stored in a memo or binary field; 0 when blank. Throws EngineError
// (naming the table and field) when the field holds anything else.
std::uint32_t parseMemoBlock(std::string_view raw, const std::string& tableName,
                             const FieldDescriptor& field);

// The bytes of one record and the typed view of its fields, by position. Memo and binary
// fields hold only their block number here; their values live in the memo file.
//
// Record layout: byte 0 is ' ' for a live record and '*' for a deleted one; the fields follow
// without separators, each at its descriptor's offset:
//   C  text, left-justified, space-padded
//   N F  number as text, right-justified, blank-filled; all blanks = empty
//   D  YYYYMMDD; blanks (or a lone 0) = empty
//   L  T/t/Y/y or F/f/N/n; '?' or blank = empty
//   M B  block number in the memo file, right-justified; blanks or 0 = empty
class RecordBuffer {
public:
    RecordBuffer(const FieldList& fields, std::size_t recordLength, std::string tableName);

    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }
    void assign(const RecordBuffer& other) { bytes_ = other.bytes_; }
    // A new record: live, every field empty.
    void clear();

    bool deleted() const { return bytes_[0] == '*'; }
    void setDeleted(bool deleted) { bytes_[0] = deleted ? '*' : ' '; }

    const FieldDescriptor& field(int position) const;
    std::string_view raw(int position) const;
    std::string text(int position) const;
    void setText(int position, std::string_view text);
    std::optional<double> number(int position) const;
    void setNumber(int position, std::optional<double> value);
    std::optional<std::chrono::year_month_day> date(int position) const;
    void setDate(int position, std::optional<std::chrono::year_month_day> date);
    bool isEmpty(int position) const;
    std::uint32_t memoBlock(int position) const;
    void setMemoBlock(int position, std::uint32_t block);

private:
    [[noreturn]] void fail(int position, const std::string& what,
                           EngineError::Reason reason = EngineError::Reason::Usage) const;
    char* at(int position) { return bytes_.data() + field(position).offset; }
    void fill(int position, std::string_view rightJustified);

    const FieldList* fields_;
    std::string bytes_;
    std::string tableName_;
};

} // namespace shelfwise::engine
