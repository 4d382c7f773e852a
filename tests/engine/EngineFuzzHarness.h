#pragma once

// The engine's readers run over arbitrary bytes, shared by the libFuzzer targets in fuzz/ and
// the test that replays their seed corpora. A reader may refuse damaged input with an
// EngineError; any other exception, a crash or a broken invariant (a false result) is a fault.

#include "engine/EngineError.h"
#include "engine/KeyExpression.h"
#include "engine/MdxFile.h"
#include "engine/Table.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace shelfwise::engine::fuzz {

// Enough for every seed and for what the fuzzer grows from them; a walk that goes further is
// cut short rather than timed out.
inline constexpr int kMaxSteps = 5000;

// Runs one stage of a walk; a refusal of damaged input ends that stage only.
template <typename Stage> bool Refusable(const Stage& stage) {
    try {
        return stage();
    } catch (const EngineError&) {
        return true;
    }
}

// A table input is [dbf length, u32 LE][dbt length, u32 LE][dbf][dbt][mdx: the rest]; a part
// that is empty is not written, so the table lacks that file.
inline std::vector<std::uint8_t> PackTableInput(const std::string& dbf, const std::string& dbt,
                                                const std::string& mdx) {
    std::vector<std::uint8_t> input;
    for (const std::size_t length : {dbf.size(), dbt.size()}) {
        for (int shift = 0; shift < 32; shift += 8) {
            input.push_back(static_cast<std::uint8_t>(length >> shift));
        }
    }
    for (const std::string* part : {&dbf, &dbt, &mdx}) {
        input.insert(input.end(), part->begin(), part->end());
    }
    return input;
}

// The first and last bytes of a memo value read as parts must be those of the whole value.
inline void ReadValueParts(Table& table, int position) {
    const std::string whole = table.bytes(position);
    const std::uint64_t size = std::min<std::uint64_t>(whole.size(), 16);
    const Table::ByteRange ranges[] = {{0, size}, {whole.size() - size, size}};
    std::string parts(2 * size, '\0');
    table.readBytes(position, ranges, parts);
    if (parts != whole.substr(0, size) + whole.substr(whole.size() - size)) {
        throw std::logic_error("parts of a value differ from the value");
    }
}

// Reads every field of the current record in every way the cursor offers.
inline void ReadFields(Table& table) {
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (table.field(i).type == 'M' || table.field(i).type == 'B') {
            ReadValueParts(table, i);
        }
    }
    for (int i = 0; i < table.fieldCount(); ++i) {
        table.text(i);
        table.bytes(i);
        table.isEmpty(i);
        switch (table.field(i).type) {
        case 'N':
        case 'F':
            table.number(i);
            break;
        case 'D':
            table.date(i);
            break;
        default:
            break;
        }
    }
}

// Walks the current order forwards reading every record, then backwards a little. In
// physical order a forward walk that meets no damage visits recordCount() records, each at
// its recordPosition().
inline bool WalkOrder(Table& table) {
    const bool physical = table.tag().empty();
    std::uint32_t visited = 0;
    bool whole = false;
    const bool forwardSound = Refusable([&] {
        for (table.first(); !table.atEnd() && visited < kMaxSteps; table.next()) {
            ReadFields(table);
            if (physical && table.recordPosition() != visited) {
                return false;
            }
            ++visited;
        }
        whole = table.atEnd();
        return true;
    });
    bool countSound = true;
    if (whole && physical) {
        Refusable([&] { return countSound = visited == table.recordCount(); });
    }
    if (!forwardSound || !countSound) {
        return false;
    }
    Refusable([&] {
        table.last();
        for (int i = 0; i < 3 && !table.atBegin(); ++i) {
            table.prior();
            ReadFields(table);
        }
        table.moveBy(-2);
        table.moveBy(2);
        table.goToRecord(1);
        table.goToRecord(table.recordNumber() + 1);
        return true;
    });
    return true;
}

// Opens a table of .dbf, .dbt and .mdx bytes read-only and walks it in physical order and in
// the order of each tag, with a key search and a range per tag, then checks the tags.
// `directory` is an empty scratch directory.
inline bool RunTableReader(std::span<const std::uint8_t> input,
                           const std::filesystem::path& directory) {
    if (input.size() < 8) {
        return true;
    }
    const auto length = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | input[at + i];
        }
        return value;
    };
    auto rest = input.subspan(8);
    const auto take = [&rest](std::size_t size) {
        const auto part = rest.first(std::min(size, rest.size()));
        rest = rest.subspan(part.size());
        return part;
    };
    const auto dbf = take(length(0));
    const auto dbt = take(length(4));
    const std::pair<const char*, std::span<const std::uint8_t>> files[] = {
        {"fuzz.dbf", dbf}, {"fuzz.dbt", dbt}, {"fuzz.mdx", rest}};
    for (const auto& [name, bytes] : files) {
        std::filesystem::remove(directory / name);
        if (!bytes.empty()) {
            shelfwise::test::WriteBytes(directory / name, bytes);
        }
    }

    Table table;
    table.setDirectory(directory);
    table.setFileName("fuzz.dbf");
    table.setReadOnly(true);
    bool sound = true;
    Refusable([&] {
        table.open();
        sound = WalkOrder(table);
        std::vector<TagInfo> tags = table.tags();
        for (const TagInfo& tag : tags) {
            sound = Refusable([&] {
                        table.setTag(tag.name);
                        if (!WalkOrder(table)) {
                            return false;
                        }
                        table.findKey({{0, "M"}});
                        table.setRangeStart({{0, "B"}});
                        table.setRangeEnd({{0, "T"}});
                        table.applyRange();
                        table.recordCount();
                        const bool walked = WalkOrder(table);
                        table.cancelRange();
                        return walked;
                    }) &&
                    sound;
        }
        table.setTag("");
        table.checkIndexes();
        return true;
    });
    return sound;
}

// Opens .mdx bytes read-only and walks every tag: the structure check, counts, both
// directions, seeks and moves by position. A tag that passes the check counts and walks as
// many entries as the check found.
inline bool RunMdxReader(std::span<const std::uint8_t> input,
                         const std::filesystem::path& directory) {
    const auto path = directory / "fuzz.mdx";
    shelfwise::test::WriteBytes(path, input);
    return Refusable([&] {
        MdxFile file(path, MdxFile::Mode::ReadOnly);
        bool sound = true;
        for (const MdxTagInfo& tag : file.tags()) {
            std::uint64_t checked = kMaxSteps;
            Refusable([&] {
                checked = file.check(tag.name);
                return true;
            });
            sound =
                Refusable([&] {
                    const std::uint64_t total = file.count(tag.name, "", "");
                    MdxCursor cursor = file.cursor(tag.name);
                    std::string firstKey;
                    std::uint64_t walked = 0;
                    for (bool on = cursor.first(); on && walked < kMaxSteps; on = cursor.next()) {
                        if (walked++ == 0) {
                            firstKey = cursor.key();
                        }
                    }
                    int steps = 0;
                    for (bool on = cursor.last(); on && steps < kMaxSteps; on = cursor.prior()) {
                        ++steps;
                    }
                    cursor.seek(firstKey);
                    cursor.seekExact(firstKey, cursor.record());
                    cursor.position();
                    file.count(tag.name, firstKey, firstKey);
                    cursor.moveTo(total / 2);
                    cursor.moveTo(total);
                    return checked >= kMaxSteps || (walked == checked && total == checked);
                }) &&
                sound;
        }
        return sound;
    });
}

// The fields a fuzzed key expression may name.
inline const FieldList& KeyFuzzFields() {
    static const FieldList fields = {
        {"NAME", 'C', 20, 0, 1},    {"PRICE", 'N', 10, 2, 21}, {"RATE", 'F', 12, 4, 31},
        {"ADDED", 'D', 8, 0, 43},   {"ACTIVE", 'L', 1, 0, 51}, {"NOTES", 'M', 10, 0, 52},
        {"LOGO", 'B', 10, 0, 62},   {"MARK", 'C', 1, 0, 72},   {"RECORDNO", 'N', 10, 0, 73},
        {"TITLE", 'C', 100, 0, 83},
    };
    return fields;
}

// A key expression input is the expression text, a NUL byte, then the record's bytes from
// the first field on (blank-padded); what follows the record is the memo's text. A compiled
// expression must give keys of its own length, and prefixes no longer than that.
inline bool RunKeyExpression(std::span<const std::uint8_t> input) {
    const std::string_view all(reinterpret_cast<const char*>(input.data()), input.size());
    const std::size_t end = all.find('\0');
    const std::string_view text = all.substr(0, end);
    const std::string_view values = end == std::string_view::npos ? "" : all.substr(end + 1);

    class Record : public RecordSource {
    public:
        explicit Record(std::string_view values) {
            const FieldDescriptor& lastField = KeyFuzzFields().back();
            record_.assign(lastField.offset + lastField.width, ' ');
            const std::string_view fields = values.substr(0, record_.size() - 1);
            record_.replace(1, fields.size(), fields);
            memo_ = values.substr(fields.size());
        }
        std::string_view field(std::size_t index) const override {
            const FieldDescriptor& f = KeyFuzzFields().at(index);
            return std::string_view(record_).substr(f.offset, f.width);
        }
        std::string memo(std::size_t) const override { return memo_; }

    private:
        std::string record_;
        std::string memo_;
    };

    return Refusable([&] {
        const KeyExpression expression(text, KeyFuzzFields());
        const std::string key = expression.evaluate(Record(values));
        if (key.size() != expression.keyLength() || compareKeys(expression.type(), key, key) != 0) {
            return false;
        }
        const std::size_t fieldCount = KeyFuzzFields().size();
        for (const bool filled : {false, true}) {
            std::vector<bool> fields(fieldCount, filled);
            fields[0] = true;
            if (expression.prefixLength(fields) > expression.keyLength()) {
                return false;
            }
        }
        return true;
    });
}

} // namespace shelfwise::engine::fuzz
