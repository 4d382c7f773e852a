#pragma once

// The delimited text format: one line per record, values joined by the separator and ended by
// CR LF. A value holding the separator, the quote, a line break or a memo's text is quoted, and
// quotes inside are doubled, so every value reads back as it was written. With a delimiter
// chosen, every value is quoted with it. A memo's text stands between two memo markers.

#include "exchange/ExchangeOptions.h"

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::exchange {

// Appends one value of a record line (without separator) to `line`.
void AppendValue(std::string& line, std::string_view value, bool memo,
                 const TExchangeOptions& options);

// A line whose number of values differs from the number of fields.
struct TLineProblem {
    std::uint64_t Line = 0; // of the record's first line, from 1
    std::size_t Values = 0; // how many values it held
};

// Reads the records of a delimited text file one at a time, in linear time. A record ends at
// a line break outside quotes and memo markers, or at the end of the file (a last line without
// a line break is a record too); a record with fewer values gets empty ones and one with more
// loses the rest, and both are noted as problems without moving any other record. A value
// may be quoted or bare in any mix, as spreadsheet programs write them.
class TTextRecordReader {
public:
    // `memo` tells, by place in the field list, which values may carry memo markers.
    TTextRecordReader(std::istream& in, const TExchangeOptions& options, std::vector<bool> memo);

    // The next record's values, one per listed field; false at the end of the file.
    bool Next(std::vector<std::string>& values);
    // The line the record Next returned began on.
    std::uint64_t RecordLine() const { return recordLine_; }
    const std::vector<TLineProblem>& Problems() const { return problems_; }

private:
    int get();
    int peek();
    // Reads one value into `value`; returns the character that ended it (the separator, a
    // line feed, or EOF).
    int readValue(std::string& value, bool memo);
    void readMemo(std::string& value);

    std::streambuf& in_;
    char separator_;
    char quote_;
    std::vector<bool> memo_;
    std::uint64_t line_ = 1;
    std::uint64_t recordLine_ = 0;
    std::vector<TLineProblem> problems_;
};

} // namespace shelfwise::exchange
