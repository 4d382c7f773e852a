#include "engine/DbfHeader.h"

#include "engine/ByteOrder.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace shelfwise::engine {

// Fixed part of the header, 32 bytes, little-endian:
//   0      version: 0x03 plain, 0x83 dBASE III with memo, 0x8B dBASE IV with memo
//   1-3    date of the last update: years since 1900, month, day
//   4-7    number of records, deleted ones included
//   8-9    header length: 32 + 32 * fields + 1 (the 0x0D end mark)
//   10-11  record length: 1 (deleted flag) + sum of the field widths
//   14     incomplete transaction: set while a writer overwrites the table's pages, so a
//          reader finding it set knows the writer stopped half way
//   20-23  change counter: ours, in the area reserved for multi-user use; advanced by every
//          write so other opens know to drop what they cached
//   28     production index flag: 1 when <table>.mdx belongs to the table
//   29     language driver: 0x57 for Windows-1252
// Field descriptors, 32 bytes each from offset 32, ended by 0x0D:
//   0-10   name, NUL-padded
//   11     type: C N F D L M B (G is read as B)
//   16     width
//   17     decimals
namespace {

constexpr std::size_t kDescriptorSize = 32;
constexpr std::uint8_t kFieldListEnd = 0x0D;

bool knownVersion(std::uint8_t v) {
    return v == 0x03 || v == 0x83 || v == 0x8B || v == 0x8E;
}

bool isMemoType(char type) {
    return type == 'M' || type == 'B';
}

// An empty string when the field is sound, otherwise what is wrong with it.
std::string checkField(const FieldDescriptor& f) {
    if (f.name.empty()) {
        return "a field has no name";
    }
    switch (f.type) {
    case 'C':
        if (f.width < 1 || f.width > 254) {
            return "field " + f.name + " has an impossible width";
        }
        return {};
    case 'N':
    case 'F':
        if (f.width < 1 || f.width > 32 || (f.decimals > 0 && f.decimals >= f.width)) {
            return "field " + f.name + " has an impossible width or decimals";
        }
        return {};
    case 'D':
        return f.width == 8 ? std::string() : "date field " + f.name + " is not 8 wide";
    case 'L':
        return f.width == 1 ? std::string() : "logical field " + f.name + " is not 1 wide";
    case 'M':
    case 'B':
        return f.width == 10 ? std::string() : "memo field " + f.name + " is not 10 wide";
    default:
        return "field " + f.name + " has the unsupported type '" + std::string(1, f.type) + "'";
    }
}

// Decodes and checks the descriptor at `d` and adds its field at `offset`, which moves past it.
void addField(const PosixFile& file, const std::uint8_t* d, std::uint32_t& offset,
              FieldList& fields) {
    FieldDescriptor f;
    f.name.assign(reinterpret_cast<const char*>(d), std::find(d, d + 11, std::uint8_t{0}) - d);
    f.type = static_cast<char>(d[11]) == 'G' ? 'B' : static_cast<char>(d[11]);
    f.width = d[16];
    f.decimals = f.type == 'N' || f.type == 'F' ? d[17] : 0;
    f.offset = offset;
    if (std::string problem = checkField(f); !problem.empty()) {
        file.fail("damaged table header (" + problem + ")", EngineError::Reason::Damaged);
    }
    offset += f.width;
    fields.push_back(std::move(f));
}

void stampToday(std::array<std::uint8_t, DbfHeader::kFixedSize>& fixed) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    fixed[1] = static_cast<std::uint8_t>(local.tm_year);
    fixed[2] = static_cast<std::uint8_t>(local.tm_mon + 1);
    fixed[3] = static_cast<std::uint8_t>(local.tm_mday);
}

} // namespace

DbfHeader DbfHeader::forNewTable(const FieldList& fields, const std::string& fileNameForErrors) {
    auto fail = [&](const std::string& what) {
        throw EngineError(fileNameForErrors + ": cannot create the table: " + what);
    };
    if (fields.empty()) {
        fail("it has no fields");
    }
    DbfHeader h;
    std::uint32_t offset = 1;
    bool memo = false;
    for (const FieldDescriptor& given : fields) {
        FieldDescriptor f = given;
        std::transform(f.name.begin(), f.name.end(), f.name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (f.name.size() > 10) {
            fail("field name " + f.name + " is longer than 10 characters");
        }
        if (std::string problem = checkField(f); !problem.empty()) {
            fail(problem);
        }
        f.offset = offset;
        offset += f.width;
        memo = memo || isMemoType(f.type);
        h.fields_.push_back(f);
    }
    const std::size_t headerLength = kFixedSize + kDescriptorSize * fields.size() + 1;
    if (offset > 0xFFFF || headerLength > 0xFFFF) {
        fail("the record or the header is too long");
    }
    h.fixed_[0] = memo ? kVersionWithMemo : kVersionPlain;
    stampToday(h.fixed_);
    storeU16(&h.fixed_[8], static_cast<std::uint16_t>(headerLength));
    storeU16(&h.fixed_[10], static_cast<std::uint16_t>(offset));
    h.fixed_[29] = kLanguageWindows1252;
    return h;
}

DbfHeader DbfHeader::read(const PosixFile& file) {
    DbfHeader h;
    const std::uint64_t fileSize = file.size();
    file.readAt(h.fixed_.data(), kFixedSize, 0, "the table header");
    if (!knownVersion(h.version())) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", h.version());
        file.fail(std::string("not a dBASE table (version byte ") + hex + ")",
                  EngineError::Reason::Damaged);
    }
    const std::uint16_t headerLength = h.headerLength();
    if (headerLength < kFixedSize + kDescriptorSize + 1 || headerLength > fileSize) {
        file.fail("damaged table header (header length " + std::to_string(headerLength) + ")",
                  EngineError::Reason::Damaged);
    }
    std::string descriptors(headerLength - kFixedSize, '\0');
    file.readAt(descriptors.data(), descriptors.size(), kFixedSize, "the field list");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(descriptors.data());
    std::uint32_t offset = 1;
    std::size_t pos = 0;
    while (true) {
        if (pos >= descriptors.size()) {
            file.fail("damaged table header (field list has no end mark)",
                      EngineError::Reason::Damaged);
        }
        if (bytes[pos] == kFieldListEnd) {
            break;
        }
        if (pos + kDescriptorSize > descriptors.size()) {
            file.fail("damaged table header (field list runs past the header)",
                      EngineError::Reason::Damaged);
        }
        addField(file, bytes + pos, offset, h.fields_);
        pos += kDescriptorSize;
    }
    if (h.fields_.empty()) {
        file.fail("damaged table header (no fields)", EngineError::Reason::Damaged);
    }
    if (offset != h.recordLength()) {
        file.fail("damaged table header (record length " + std::to_string(h.recordLength()) +
                      " does not match the fields)",
                  EngineError::Reason::Damaged);
    }
    if (h.recordOffset(h.recordCount() + 1) > fileSize) {
        file.fail("damaged table (record count " + std::to_string(h.recordCount()) +
                      " runs past the end of the file)",
                  EngineError::Reason::Damaged);
    }
    return h;
}

DbfHeader DbfHeader::salvage(const PosixFile& file, std::vector<std::string>& problems) {
    DbfHeader h;
    const std::uint64_t fileSize = file.size();
    file.readAt(h.fixed_.data(), kFixedSize, 0, "the table header");
    // The field list ends at its end mark, whatever the header length says.
    std::uint32_t offset = 1;
    std::uint64_t pos = kFixedSize;
    std::array<std::uint8_t, kDescriptorSize> d{};
    for (;;) {
        if (file.readSomeAt(d.data(), 1, pos) != 1) {
            file.fail("damaged table header (field list has no end mark)",
                      EngineError::Reason::Damaged);
        }
        if (d[0] == kFieldListEnd) {
            break;
        }
        file.readAt(d.data(), d.size(), pos, "the field list");
        addField(file, d.data(), offset, h.fields_);
        pos += kDescriptorSize;
        // Both lengths are stored in 16 bits; beyond that no writer made the list.
        if (pos + 1 > 0xFFFF || offset > 0xFFFF) {
            file.fail("damaged table header (the field list makes a header or records longer "
                      "than 65535 bytes)",
                      EngineError::Reason::Damaged);
        }
    }
    if (h.fields_.empty()) {
        file.fail("damaged table header (no fields)", EngineError::Reason::Damaged);
    }
    const std::uint64_t listEnd = pos + 1;
    if (h.headerLength() < listEnd || h.headerLength() > fileSize) {
        problems.push_back("header length " + std::to_string(h.headerLength()) +
                           " is wrong; the field list ends at " + std::to_string(listEnd));
        storeU16(&h.fixed_[8], static_cast<std::uint16_t>(listEnd));
    }
    if (h.recordLength() != offset) {
        problems.push_back("record length " + std::to_string(h.recordLength()) +
                           " does not match the fields (" + std::to_string(offset) + ")");
        storeU16(&h.fixed_[10], static_cast<std::uint16_t>(offset));
    }
    const std::uint64_t whole = (fileSize - h.headerLength()) / offset;
    const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(whole, 0xFFFFFFFFu));
    if (count != h.recordCount()) {
        problems.push_back("record count " + std::to_string(h.recordCount()) +
                           " differs from the " + std::to_string(count) +
                           " whole records the file holds");
    }
    h.setRecordCount(count);
    return h;
}

std::string DbfHeader::serialize() const {
    std::string out(reinterpret_cast<const char*>(fixed_.data()), kFixedSize);
    for (const FieldDescriptor& f : fields_) {
        std::uint8_t d[kDescriptorSize] = {};
        std::copy_n(f.name.begin(), std::min<std::size_t>(f.name.size(), 10), d);
        d[11] = static_cast<std::uint8_t>(f.type);
        d[16] = f.width;
        d[17] = f.decimals;
        out.append(reinterpret_cast<const char*>(d), kDescriptorSize);
    }
    out.push_back(static_cast<char>(kFieldListEnd));
    return out;
}

bool DbfHeader::adoptFixedPart(const std::array<std::uint8_t, kFixedSize>& fixed) {
    if (fixed == fixed_) {
        return false;
    }
    fixed_ = fixed;
    return true;
}

std::uint32_t DbfHeader::recordCount() const {
    return loadU32(&fixed_[4]);
}

void DbfHeader::setRecordCount(std::uint32_t count) {
    storeU32(&fixed_[4], count);
}

std::uint16_t DbfHeader::headerLength() const {
    return loadU16(&fixed_[8]);
}

std::uint16_t DbfHeader::recordLength() const {
    return loadU16(&fixed_[10]);
}

bool DbfHeader::needsMemoFile() const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const FieldDescriptor& f) { return isMemoType(f.type); });
}

void DbfHeader::markChanged() {
    stampToday(fixed_);
    storeU32(&fixed_[20], changeCounter() + 1);
}

std::uint32_t DbfHeader::changeCounter() const {
    return loadU32(&fixed_[20]);
}

} // namespace shelfwise::engine
