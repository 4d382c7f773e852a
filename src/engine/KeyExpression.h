#pragma once

#include "engine/FieldDescriptor.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine {

// The record a key expression is evaluated over.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The field's bytes as stored in the record (its full width).
    virtual std::string_view field(std::size_t index) const = 0;
    // The text of a memo field; empty when the field points to no block.
    virtual std::string memo(std::size_t index) const = 0;
};

// Type of an index key as the .mdx stores it: C space-padded text, N 12-byte BCD, D a
// little-endian double holding the Julian day number.
enum class KeyType : char { Character = 'C', Numeric = 'N', Date = 'D' };

// Orders two encoded keys of one type: < 0, 0 or > 0. Character keys compare as unsigned
// bytes over the shorter length, so a shorter key matches every key it is a prefix of; an
// empty numeric or date key matches every key.
int compareKeys(KeyType type, std::string_view a, std::string_view b);

// A dBASE key expression compiled once against a table's fields. Supports field names
// (C, N, F, D, L, M), UPPER, SUBSTR, MLINE, STR, DTOS, string, number and date literals
// ({mm/dd/yyyy}), `+` (concatenation or addition) and `-` (numbers and dates).
// Copies share the compiled form.
class KeyExpression {
public:
    // Throws EngineError for bad syntax, unknown fields, type mismatches, an expression over
    // 220 characters and a key over 100 bytes.
    KeyExpression(std::string_view text, const FieldList& fields);

    const std::string& text() const;
    KeyType type() const;
    // Bytes of every key: the text length for C, 12 for N, 8 for D.
    std::size_t keyLength() const;

    // The encoded key of a record, keyLength() bytes.
    std::string evaluate(const RecordSource& record) const;

    // For range keys built from a record in which only some fields are set: the number of
    // leading key bytes decided by the filled fields alone (filledFields[i] for field i).
    // Counts the top-level `+` parts in order and stops at the first part that uses an
    // unfilled field; numeric and date keys are all or nothing.
    std::size_t prefixLength(const std::vector<bool>& filledFields) const;

    struct Compiled;

private:
    std::shared_ptr<const Compiled> compiled_;
};

} // namespace shelfwise::engine
