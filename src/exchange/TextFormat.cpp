#include "exchange/TextFormat.h"

namespace shelfwise::exchange {

namespace {

constexpr int kEnd = std::char_traits<char>::eof();

// A memo stands between markers and needs quotes only when it holds a marker itself.
bool NeedsQuotes(std::string_view value, bool memo, char separator, char quote) {
    if (memo) {
        return value.find(MemoMarker) != std::string_view::npos;
    }
    return value.find_first_of(std::string{separator, '\r', '\n'}) != std::string_view::npos ||
           (!value.empty() && value.front() == quote);
}

} // namespace

void AppendValue(std::string& line, std::string_view value, bool memo,
                 const TExchangeOptions& options) {
    const char quote = options.Delimiter != 0 ? options.Delimiter : DefaultQuote;
    const bool quoted =
        options.Delimiter != 0 || NeedsQuotes(value, memo, options.Separator, quote);
    if (quoted) {
        line += quote;
    }
    if (memo) {
        line += MemoMarker;
    }
    if (quoted) {
        for (const char c : value) {
            line += c;
            if (c == quote) {
                line += quote;
            }
        }
    } else {
        line += value;
    }
    if (memo) {
        line += MemoMarker;
    }
    if (quoted) {
        line += quote;
    }
}

TTextRecordReader::TTextRecordReader(std::istream& in, const TExchangeOptions& options,
                                     std::vector<bool> memo)
    : in_(*in.rdbuf()), separator_(options.Separator),
      quote_(options.Delimiter != 0 ? options.Delimiter : DefaultQuote), memo_(std::move(memo)) {}

int TTextRecordReader::get() {
    const int c = in_.sbumpc();
    if (c == '\n') {
        ++line_;
    }
    return c;
}

int TTextRecordReader::peek() {
    return in_.sgetc();
}

// Everything up to the closing marker is the memo's text: separators and line breaks too.
void TTextRecordReader::readMemo(std::string& value) {
    for (int c = get(); c != kEnd && c != static_cast<unsigned char>(MemoMarker); c = get()) {
        value += static_cast<char>(c);
    }
}

int TTextRecordReader::readValue(std::string& value, bool memo) {
    const auto quote = static_cast<unsigned char>(quote_);
    const auto separator = static_cast<unsigned char>(separator_);
    const auto marker = static_cast<unsigned char>(MemoMarker);
    if (peek() == quote) {
        get();
        for (int c = get(); c != kEnd; c = get()) {
            if (c != quote) {
                value += static_cast<char>(c);
                continue;
            }
            const int after = peek();
            if (after == separator || after == '\n' || after == '\r' || after == kEnd) {
                break;
            }
            // A doubled quote is one; a single one not followed by the separator stays too.
            if (after == quote) {
                get();
            }
            value += quote_;
        }
        if (memo && value.size() >= 2 && value.front() == MemoMarker &&
            value.back() == MemoMarker) {
            value = value.substr(1, value.size() - 2);
        }
    } else if (memo && peek() == marker) {
        get();
        readMemo(value);
    }
    for (;;) {
        const int c = get();
        if (c == kEnd || c == separator || c == '\n') {
            return c;
        }
        if (c != '\r') {
            value += static_cast<char>(c);
        }
    }
}

bool TTextRecordReader::Next(std::vector<std::string>& values) {
    const std::size_t fields = memo_.size();
    // Cleared rather than replaced, so the strings keep their room from record to record.
    values.resize(fields);
    for (std::string& value : values) {
        value.clear();
    }
    for (;;) {
        if (peek() == kEnd) {
            return false;
        }
        recordLine_ = line_;
        std::size_t count = 0;
        std::string extra;
        bool blank = true;
        const int separator = static_cast<unsigned char>(separator_);
        const int quote = static_cast<unsigned char>(quote_);
        for (;; ++count) {
            std::string& value = count < fields ? values[count] : extra;
            extra.clear();
            const int first = peek();
            const int ended = readValue(value, count < fields && memo_[count]);
            blank = blank && count == 0 && ended != separator && value.empty() && first != quote;
            if (ended != separator) {
                ++count;
                break;
            }
        }
        // An empty line between records holds no record unless one empty value is a record.
        if (blank && fields > 1) {
            continue;
        }
        if (count != fields) {
            problems_.push_back({recordLine_, count});
        }
        return true;
    }
}

} // namespace shelfwise::exchange
