#include "engine/KeyExpression.h"

#include "engine/EngineError.h"
#include "engine/KeyCalendar.h"
#include "engine/KeyEncoding.h"
#include "engine/KeyNodes.h"

#include <algorithm>
#include <cctype>

namespace shelfwise::engine {

namespace {

// dBASE's limits for index expressions and their keys.
constexpr std::size_t kMaxExpressionLength = 220;
constexpr std::size_t kMaxKeyLength = 100;

struct Token {
    enum class Kind { End, Name, Number, Text, Date, Symbol };
    Kind kind = Kind::End;
    std::string_view text; // without quotes or braces for Text and Date
};

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string upperAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

} // namespace

struct KeyExpression::Compiled {
    // A top-level `+` part: its key bytes and the fields it reads.
    struct Part {
        std::size_t length = 0;
        std::vector<std::size_t> fields;
    };

    std::string text;
    KeyType type = KeyType::Character;
    std::size_t keyLength = 0;
    KeyNode root;
    std::vector<Part> parts;
};

namespace {

// Recursive-descent compiler: sum := unary (('+' | '-') unary)*,
// unary := '-' unary | primary, primary := literal | name | name '(' args ')' | '(' sum ')'.
class KeyParser {
public:
    KeyParser(std::string_view text, const FieldList& fields) : text_(text), fields_(fields) {
        tokenize();
    }

    void compile(KeyExpression::Compiled& result) {
        std::vector<KeyExpression::Compiled::Part> parts;
        result.root = sum(&parts);
        if (peek().kind != Token::Kind::End) {
            fail("unexpected \"" + std::string(peek().text) + "\"");
        }
        if (auto* node = std::get_if<CharPtr>(&result.root)) {
            result.type = KeyType::Character;
            result.keyLength = (*node)->length();
            result.parts = std::move(parts);
        } else {
            if (std::holds_alternative<MemoField>(result.root)) {
                fail("a memo field can only be indexed through MLINE");
            }
            const bool numeric = std::holds_alternative<NumberPtr>(result.root);
            result.type = numeric ? KeyType::Numeric : KeyType::Date;
            result.keyLength = numeric ? 12 : 8;
            KeyExpression::Compiled::Part whole{result.keyLength, {}};
            for (const auto& part : parts) {
                whole.fields.insert(whole.fields.end(), part.fields.begin(), part.fields.end());
            }
            result.parts = {std::move(whole)};
        }
        if (result.keyLength == 0) {
            fail("the key is empty");
        }
        if (result.keyLength > kMaxKeyLength) {
            fail("the key is " + std::to_string(result.keyLength) + " bytes long, at most " +
                 std::to_string(kMaxKeyLength) + " are allowed");
        }
    }

private:
    [[noreturn]] void fail(const std::string& problem) const {
        throw EngineError("Key expression \"" + std::string(text_) + "\": " + problem);
    }

    void tokenize() {
        std::size_t i = 0;
        while (i < text_.size()) {
            const char c = text_[i];
            const auto start = i;
            if (c == ' ' || c == '\t') {
                ++i;
            } else if (std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_') {
                while (i < text_.size() && isNameChar(text_[i])) {
                    ++i;
                }
                tokens_.push_back({Token::Kind::Name, text_.substr(start, i - start)});
            } else if (isDigit(c) || (c == '.' && i + 1 < text_.size() && isDigit(text_[i + 1]))) {
                while (i < text_.size() && (isDigit(text_[i]) || text_[i] == '.')) {
                    ++i;
                }
                tokens_.push_back({Token::Kind::Number, text_.substr(start, i - start)});
            } else if (c == '"' || c == '\'' || c == '{') {
                const char close = c == '{' ? '}' : c;
                const auto end = text_.find(close, i + 1);
                if (end == std::string_view::npos) {
                    fail(std::string("missing ") + close);
                }
                tokens_.push_back({c == '{' ? Token::Kind::Date : Token::Kind::Text,
                                   text_.substr(i + 1, end - i - 1)});
                i = end + 1;
            } else if (std::string_view("+-(),").find(c) != std::string_view::npos) {
                tokens_.push_back({Token::Kind::Symbol, text_.substr(i, 1)});
                ++i;
            } else {
                fail(std::string("unexpected character \"") + c + "\"");
            }
        }
    }

    const Token& peek() const {
        static const Token end;
        return position_ < tokens_.size() ? tokens_[position_] : end;
    }
    bool accept(std::string_view symbol) {
        if (peek().kind == Token::Kind::Symbol && peek().text == symbol) {
            ++position_;
            return true;
        }
        return false;
    }
    void expect(std::string_view symbol) {
        if (!accept(symbol)) {
            fail("\"" + std::string(symbol) + "\" expected");
        }
    }

    static std::string typeName(const KeyNode& node) {
        static constexpr const char* kNames[] = {"character", "numeric", "date", "memo"};
        return kNames[node.index()];
    }

    // Records the fields of each top-level part when `parts` is given.
    KeyNode sum(std::vector<KeyExpression::Compiled::Part>* parts = nullptr) {
        const auto part = [&] {
            const auto firstField = fieldsSeen_.size();
            KeyNode node = unary();
            if (parts != nullptr) {
                const auto* text = std::get_if<CharPtr>(&node);
                parts->push_back({text != nullptr ? (*text)->length() : 0,
                                  {fieldsSeen_.begin() + static_cast<std::ptrdiff_t>(firstField),
                                   fieldsSeen_.end()}});
            }
            return node;
        };
        KeyNode left = part();
        while (true) {
            if (accept("+")) {
                left = plus(std::move(left), part());
            } else if (accept("-")) {
                left = minus(std::move(left), part());
            } else {
                return left;
            }
        }
    }

    KeyNode plus(KeyNode left, KeyNode right) {
        if (auto* a = std::get_if<CharPtr>(&left)) {
            if (auto* b = std::get_if<CharPtr>(&right)) {
                return keynodes::concat(std::move(*a), std::move(*b));
            }
        } else if (auto* a = std::get_if<NumberPtr>(&left)) {
            if (auto* b = std::get_if<NumberPtr>(&right)) {
                return keynodes::add(std::move(*a), std::move(*b));
            }
            if (auto* b = std::get_if<DatePtr>(&right)) {
                return keynodes::shiftDate(std::move(*b), std::move(*a), false);
            }
        } else if (auto* a = std::get_if<DatePtr>(&left)) {
            if (auto* b = std::get_if<NumberPtr>(&right)) {
                return keynodes::shiftDate(std::move(*a), std::move(*b), false);
            }
        }
        fail("cannot add " + typeName(left) + " and " + typeName(right));
    }

    KeyNode minus(KeyNode left, KeyNode right) {
        if (auto* a = std::get_if<NumberPtr>(&left)) {
            if (auto* b = std::get_if<NumberPtr>(&right)) {
                return keynodes::subtract(std::move(*a), std::move(*b));
            }
        } else if (auto* a = std::get_if<DatePtr>(&left)) {
            if (auto* b = std::get_if<DatePtr>(&right)) {
                return keynodes::dayDifference(std::move(*a), std::move(*b));
            }
            if (auto* b = std::get_if<NumberPtr>(&right)) {
                return keynodes::shiftDate(std::move(*a), std::move(*b), true);
            }
        }
        fail("cannot subtract " + typeName(right) + " from " + typeName(left));
    }

    KeyNode unary() {
        if (accept("-")) {
            KeyNode operand = unary();
            if (auto* number = std::get_if<NumberPtr>(&operand)) {
                return keynodes::negate(std::move(*number));
            }
            fail("cannot negate a " + typeName(operand) + " value");
        }
        return primary();
    }

    KeyNode primary() {
        const Token token = peek();
        ++position_;
        switch (token.kind) {
        case Token::Kind::Number:
            if (std::count(token.text.begin(), token.text.end(), '.') > 1) {
                fail("bad number " + std::string(token.text));
            }
            return keynodes::number(KeyDecimal::parse(token.text));
        case Token::Kind::Text:
            return keynodes::text(std::string(token.text));
        case Token::Kind::Date:
            return keynodes::date(dateLiteral(token.text));
        case Token::Kind::Name:
            if (accept("(")) {
                KeyNode result = function(upperAscii(token.text));
                expect(")");
                return result;
            }
            return field(token.text);
        case Token::Kind::Symbol:
            if (token.text == "(") {
                KeyNode inner = sum();
                expect(")");
                return inner;
            }
            fail("unexpected \"" + std::string(token.text) + "\"");
        case Token::Kind::End:
            break;
        }
        fail("unexpected end");
    }

    // {mm/dd/yyyy}, American order; a two-digit year is in the 1900s; {} is the blank date.
    std::int64_t dateLiteral(std::string_view text) {
        if (text.find_first_not_of(' ') == std::string_view::npos) {
            return 0;
        }
        int parts[3] = {0, 0, 0};
        std::size_t digits[3] = {0, 0, 0};
        std::size_t part = 0;
        for (const char c : text) {
            if (c == '/' && part < 2) {
                ++part;
            } else if (isDigit(c) && digits[part] < 4) {
                parts[part] = parts[part] * 10 + (c - '0');
                ++digits[part];
            } else if (c != ' ') {
                fail("bad date {" + std::string(text) + "}");
            }
        }
        const int year = digits[2] <= 2 ? 1900 + parts[2] : parts[2];
        const auto day = part == 2 && digits[0] > 0 && digits[1] > 0 && digits[2] > 0
                             ? keycalendar::julianDay(year, parts[0], parts[1])
                             : 0;
        if (day == 0) {
            fail("bad date {" + std::string(text) + "}");
        }
        return day;
    }

    KeyNode field(std::string_view name) {
        const auto upper = upperAscii(name);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (upperAscii(fields_[i].name) != upper) {
                continue;
            }
            fieldsSeen_.push_back(i);
            switch (fields_[i].type) {
            case 'C':
                return keynodes::characterField(i, fields_[i].width);
            case 'N':
            case 'F':
                return keynodes::numberField(i);
            case 'D':
                return keynodes::dateField(i);
            case 'L':
                return keynodes::logicalField(i);
            case 'M':
                return MemoField{i};
            default:
                fail("field " + upper + " of type " + fields_[i].type + " cannot be used in a key");
            }
        }
        fail("unknown field " + upper);
    }

    // A whole-number constant argument (they fix the key length at compile time).
    std::size_t count(std::string_view function) {
        const Token token = peek();
        if (token.kind != Token::Kind::Number || token.text.size() > 4 ||
            token.text.find('.') != std::string_view::npos) {
            fail(std::string(function) + " needs whole-number constants");
        }
        ++position_;
        std::size_t value = 0;
        for (const char c : token.text) {
            value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        return value;
    }

    template <typename T> T argument(const char* function, const char* kind) {
        KeyNode node = sum();
        if (auto* typed = std::get_if<T>(&node)) {
            return std::move(*typed);
        }
        fail(std::string(function) + " needs a " + kind + " argument, not " + typeName(node));
    }

    KeyNode function(const std::string& name) {
        if (name == "UPPER") {
            return keynodes::upper(argument<CharPtr>("UPPER", "character"));
        }
        if (name == "DTOS") {
            return keynodes::dtos(argument<DatePtr>("DTOS", "date"));
        }
        if (name == "SUBSTR") {
            CharPtr text = argument<CharPtr>("SUBSTR", "character");
            expect(",");
            const auto start = count(name);
            if (start < 1) {
                fail("SUBSTR starts at 1");
            }
            const auto length = accept(",")               ? count(name)
                                : start <= text->length() ? text->length() - start + 1
                                                          : 0;
            if (length < 1) {
                fail("SUBSTR gives no characters");
            }
            return keynodes::substr(std::move(text), start, length);
        }
        if (name == "MLINE") {
            MemoField memo = argument<MemoField>("MLINE", "memo");
            expect(",");
            return keynodes::mline(memo, argument<NumberPtr>("MLINE", "numeric"));
        }
        if (name == "STR") {
            NumberPtr number = argument<NumberPtr>("STR", "numeric");
            std::size_t width = 10;
            std::size_t decimals = 0;
            if (accept(",")) {
                width = count(name);
                if (accept(",")) {
                    decimals = count(name);
                }
            }
            if (width < 1 || width > 255 ||
                decimals > static_cast<std::size_t>(KeyDecimal::kFractionDigits)) {
                fail("STR width must be 1 to 255 and decimals at most 20");
            }
            return keynodes::str(std::move(number), static_cast<int>(width),
                                 static_cast<int>(decimals));
        }
        fail("unknown function " + name);
    }

    std::string_view text_;
    const FieldList& fields_;
    std::vector<Token> tokens_;
    std::size_t position_ = 0;
    std::vector<std::size_t> fieldsSeen_;
};

} // namespace

KeyExpression::KeyExpression(std::string_view text, const FieldList& fields) {
    if (text.size() > kMaxExpressionLength) {
        throw EngineError("Key expression is longer than " + std::to_string(kMaxExpressionLength) +
                          " characters");
    }
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        throw EngineError("Key expression is empty");
    }
    auto compiled = std::make_shared<Compiled>();
    compiled->text = std::string(text);
    KeyParser(compiled->text, fields).compile(*compiled);
    compiled_ = std::move(compiled);
}

const std::string& KeyExpression::text() const {
    return compiled_->text;
}
KeyType KeyExpression::type() const {
    return compiled_->type;
}
std::size_t KeyExpression::keyLength() const {
    return compiled_->keyLength;
}

std::string KeyExpression::evaluate(const RecordSource& record) const {
    return std::visit(
        [&](const auto& node) -> std::string {
            using Node = std::decay_t<decltype(node)>;
            if constexpr (std::is_same_v<Node, CharPtr>) {
                std::string key;
                key.reserve(node->length());
                node->append(record, key);
                return key;
            } else if constexpr (std::is_same_v<Node, NumberPtr>) {
                return node->value(record).toBcd();
            } else if constexpr (std::is_same_v<Node, DatePtr>) {
                return keyencoding::dateKey(node->day(record));
            } else {
                return {}; // a memo root is refused by the compiler
            }
        },
        compiled_->root);
}

std::size_t KeyExpression::prefixLength(const std::vector<bool>& filledFields) const {
    std::size_t length = 0;
    for (const auto& part : compiled_->parts) {
        const bool filled = std::all_of(part.fields.begin(), part.fields.end(), [&](auto field) {
            return field < filledFields.size() && filledFields[field];
        });
        if (!filled) {
            break;
        }
        length += part.length;
    }
    return length;
}

} // namespace shelfwise::engine
