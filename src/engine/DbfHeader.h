#pragma once

// Internal: not part of the engine's public interface.

#include "engine/FieldDescriptor.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace shelfwise::engine {

class PosixFile;

// The header and field descriptors of a .dbf file, checked against each other and against the
// file's size when read. The first 32 bytes are kept as read, so bytes this engine does not
// interpret are written back unchanged.
class DbfHeader {
public:
    static constexpr std::size_t kFixedSize = 32;
    static constexpr std::uint8_t kVersionPlain = 0x03;
    static constexpr std::uint8_t kVersionWithMemo = 0x8B;
    static constexpr std::uint8_t kLanguageWindows1252 = 0x57;
    // Set while a writer overwrites the table's pages (see TableJournal::commit).
    static constexpr std::uint64_t kBusyOffset = 14;

    // A header for a new table; throws EngineError on an impossible field list.
    static DbfHeader forNewTable(const FieldList& fields, const std::string& fileNameForErrors);
    // Reads and checks the header of an existing table.
    static DbfHeader read(const PosixFile& file);
    // Reads the header of a damaged table for a salvage read: the field list must be sound;
    // a wrong header length or record length is replaced by what the fields give, and the
    // record count by the number of whole records in the file. Adds what it corrected.
    static DbfHeader salvage(const PosixFile& file, std::vector<std::string>& problems);

    // The header and descriptors as stored, followed by the 0x0D end mark.
    std::string serialize() const;
    const std::array<std::uint8_t, kFixedSize>& fixedPart() const { return fixed_; }
    // Takes a freshly read fixed part, as another writer left it; false when it differs in
    // anything but the update date.
    bool adoptFixedPart(const std::array<std::uint8_t, kFixedSize>& fixed);

    const FieldList& fields() const { return fields_; }
    std::uint8_t version() const { return fixed_[0]; }
    bool dbaseThreeMemo() const { return version() == 0x83; }
    std::uint32_t recordCount() const;
    void setRecordCount(std::uint32_t count);
    std::uint16_t headerLength() const;
    std::uint16_t recordLength() const;
    bool hasProductionIndex() const { return fixed_[28] != 0; }
    void setProductionIndex(bool present) { fixed_[28] = present ? 1 : 0; }
    bool needsMemoFile() const;
    bool writerBusy() const { return fixed_[kBusyOffset] != 0; }
    // Stamps today's date and advances the change counter that tells other opens of the
    // table that records or keys changed.
    void markChanged();
    std::uint32_t changeCounter() const;

    std::uint64_t recordOffset(std::uint32_t recordNumber) const {
        return headerLength() + std::uint64_t(recordNumber - 1) * recordLength();
    }

private:
    std::array<std::uint8_t, kFixedSize> fixed_{};
    FieldList fields_;
};

} // namespace shelfwise::engine
