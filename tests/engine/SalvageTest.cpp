#include "TableFixture.h"
#include "engine/TableOperations.h"
#include "engine/TableSalvage.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>

namespace shelfwise::engine::testing {
namespace {

// A table whose header, record count or end is damaged no longer opens, but a salvage read
// gives every whole record in it and says what it skipped.
class SalvageTest : public TableFixture {
protected:
    void SetUp() override {
        createTable(dir, "data.dbf",
                    {{"NAME", 'C', 10, 0}, {"NUM", 'N', 4, 0}, {"NOTES", 'M', 10, 0}});
        Table t;
        openOn(t, "data.dbf");
        for (int n = 1; n <= 5; ++n) {
            t.append();
            t.setText(0, "name" + std::to_string(n));
            t.setNumber(1, n);
            t.setText(2, std::string(100 * n, 'a' + n));
            t.post();
        }
        t.goToRecord(2);
        t.deleteRecord();
    }

    std::string read() const { return shelfwise::test::ReadText(dir / "data.dbf"); }
    void write(const std::string& bytes) const {
        shelfwise::test::WriteText(dir / "data.dbf", bytes);
    }
    static void putU32(std::string& bytes, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
        }
    }
};

// Header 32 + 3 fields * 32 + 1 = 129 bytes; records 1 + 10 + 4 + 10 = 25 bytes.
constexpr std::size_t kHeader = 129;
constexpr std::size_t kRecord = 25;

TEST_F(SalvageTest, WholeRecordsAreReadAndEveryDamageIsReported) {
    struct Case {
        const char* damage;
        std::function<void(std::string&)> spoil;
        std::uint32_t read;
        std::uint32_t skipped;
        const char* reported;
    };
    const std::vector<Case> cases = {
        {"record count too high", [](std::string& b) { putU32(b, 4, 1000); }, 5, 0,
         "record count 1000"},
        {"record count too low", [](std::string& b) { putU32(b, 4, 2); }, 5, 0, "record count 2"},
        {"header length wrong",
         [](std::string& b) {
             b[8] = 7;
             b[9] = 0;
         },
         5, 0, "header length 7"},
        {"record length wrong", [](std::string& b) { b[10] = 99; }, 5, 0, "record length 99"},
        {"end byte lost and a record cut off", [](std::string& b) { b.resize(b.size() - 1 - 10); },
         4, 0, "record count 5"},
        // The end byte starts a record of garbage: skipped, and so are the bytes after it.
        {"garbage after the end", [](std::string& b) { b += std::string(30, 'x'); }, 5, 1,
         "record 6 has no deletion mark"},
        {"deletion mark spoiled", [](std::string& b) { b[kHeader + 2 * kRecord] = 'Q'; }, 4, 1,
         "record 3 has no deletion mark"},
        {"memo pointer out of the file",
         [](std::string& b) { b.replace(kHeader + 3 * kRecord + 15, 10, "      9999"); }, 5, 0,
         "block 9999"},
    };
    const std::string pristine = read();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        std::string bytes = pristine;
        c.spoil(bytes);
        write(bytes);
        std::vector<SalvagedRecord> records;
        const SalvageReport report =
            salvageTable(dir, "data", [&](const SalvagedRecord& r) { records.push_back(r); });
        EXPECT_EQ(report.recordsRead, c.read);
        EXPECT_EQ(report.recordsSkipped, c.skipped);
        EXPECT_EQ(records.size(), c.read);
        ASSERT_EQ(report.fields.size(), 3u);
        std::string problems;
        for (const std::string& p : report.problems) {
            problems += p + "\n";
        }
        EXPECT_NE(problems.find(c.reported), std::string::npos) << problems;
        // Every record read is the one written, memo and deletion mark included, unless the
        // damage was in it.
        for (const SalvagedRecord& r : records) {
            const auto n = r.recordNumber;
            if (n > 5 || (n == 4 && std::string_view(c.damage).find("memo") == 0)) {
                continue;
            }
            EXPECT_EQ(r.values[0], "name" + std::to_string(n));
            EXPECT_EQ(r.values[1], std::to_string(n));
            EXPECT_EQ(r.values[2], std::string(100 * n, static_cast<char>('a' + n)));
            EXPECT_EQ(r.deleted, n == 2);
        }
    }
    write(pristine);
    std::uint32_t read = 0;
    EXPECT_TRUE(salvageTable(dir, "data", [&](const SalvagedRecord&) { ++read; }).problems.empty());
    EXPECT_EQ(read, 5u);
}

TEST_F(SalvageTest, ADamagedFieldListIsAnError) {
    std::string bytes = read();
    bytes[32 + 11] = 'X'; // the first field's type
    write(bytes);
    EXPECT_EQ(reasonOf([&] { salvageTable(dir, "data", [](const SalvagedRecord&) {}); }),
              EngineError::Reason::Damaged);
}

TEST_F(SalvageTest, AFieldListBeyondTheFormatsLimitsIsAnError) {
    // A header of `count` fields of one type and width, with the lengths the fields make
    // (stored in 16 bits) and a few bytes of records after it.
    const auto crafted = [](std::size_t count, char type, std::uint8_t width) {
        std::string bytes(32, '\0');
        bytes[0] = 0x03;
        for (std::size_t i = 0; i < count; ++i) {
            std::string d(32, '\0');
            d.replace(0, 5, "F" + std::to_string(10000 + i).substr(1));
            d[11] = type;
            d[16] = static_cast<char>(width);
            bytes += d;
        }
        bytes += '\r';
        const std::size_t recordLength = 1 + count * width;
        bytes[8] = static_cast<char>(bytes.size());
        bytes[9] = static_cast<char>(bytes.size() >> 8);
        bytes[10] = static_cast<char>(recordLength);
        bytes[11] = static_cast<char>(recordLength >> 8);
        return bytes + std::string(300, ' ');
    };
    // 258 * 254 + 3 + 1 = 65536: a record length of 0 in 16 bits.
    std::string tooLongRecords = crafted(258, 'C', 254);
    tooLongRecords.insert(32 + 258 * 32, crafted(3, 'L', 1).substr(32, 3 * 32));
    const struct {
        const char* damage;
        std::string bytes;
    } cases[] = {
        {"records longer than 65535 bytes", tooLongRecords},
        {"records longer than 65535 bytes, one field past it", crafted(259, 'C', 254)},
        {"a header longer than 65535 bytes", crafted(2047, 'L', 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        write(c.bytes);
        EXPECT_EQ(reasonOf([&] { salvageTable(dir, "data", [](const SalvagedRecord&) {}); }),
                  EngineError::Reason::Damaged);
    }
}

} // namespace
} // namespace shelfwise::engine::testing
