#include "TableFixture.h"
#include "engine/EngineError.h"
#include "engine/TableOperations.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace shelfwise::engine::testing {
namespace {

void putU16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void putU32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>(v >> (8 * i));
    }
}

// Opens the table and reads every field of every record, as a careful reader would.
void readEverything(const std::filesystem::path& dir) {
    Table t;
    t.setDirectory(dir);
    t.setFileName("data.dbf");
    t.setReadOnly(true);
    t.open();
    t.recordCount();
    for (t.first(); !t.atEnd(); t.next()) {
        for (int i = 0; i < t.fieldCount(); ++i) {
            t.text(i);
            t.isEmpty(i);
        }
    }
}

// The pristine table: C(10), N(8,2), D, M with three records, one memo spanning blocks.
class CorruptionTest : public TableFixture {
protected:
    static constexpr std::size_t kHeaderLength = 32 + 4 * 32 + 1;
    static constexpr std::size_t kRecordLength = 1 + 10 + 8 + 8 + 10;
    static constexpr std::size_t kMemoField = 1 + 10 + 8 + 8;

    void SetUp() override {
        createTable(dir, "data.dbf",
                    {{"NAME", 'C', 10, 0},
                     {"PRICE", 'N', 8, 2},
                     {"ADDED", 'D', 8, 0},
                     {"NOTES", 'M', 10, 0}});
        Table t;
        openOn(t, "data.dbf");
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.setText(0, "rec" + std::to_string(i));
            t.setNumber(1, i * 1.5);
            t.setText(2, "2020010" + std::to_string(i + 1));
            t.setText(3, std::string(i == 1 ? 1500 : 20, char('a' + i)));
            t.post();
        }
        t.close();
        dbf = shelfwise::test::ReadText(dir / "data.dbf");
        dbt = shelfwise::test::ReadText(dir / "data.dbt");
    }

    std::string dbf;
    std::string dbt;
};

TEST_F(CorruptionTest, EveryDamageIsReportedAsAnEngineErrorNamingTheFile) {
    ASSERT_NO_THROW(readEverything(dir));
    struct Damage {
        const char* what;
        std::function<void(std::string& dbf, std::string& dbt)> apply;
        const char* file; // the file the message must name
    };
    const Damage damages[] = {
        {"dbf shorter than a header", [](auto& d, auto&) { d.resize(20); }, "data.dbf"},
        {"dbf cut inside the records", [](auto& d, auto&) { d.resize(kHeaderLength + 50); },
         "data.dbf"},
        {"record count beyond the file", [](auto& d, auto&) { putU32(d, 4, 1000); }, "data.dbf"},
        {"huge record count", [](auto& d, auto&) { putU32(d, 4, 0xFFFFFFFF); }, "data.dbf"},
        {"header length too small", [](auto& d, auto&) { putU16(d, 8, 40); }, "data.dbf"},
        {"header length beyond the file", [](auto& d, auto&) { putU16(d, 8, 60000); }, "data.dbf"},
        {"record length not the sum of the widths",
         [](auto& d, auto&) { putU16(d, 10, kRecordLength + 1); }, "data.dbf"},
        {"field list without its end mark", [](auto& d, auto&) { d[kHeaderLength - 1] = 'X'; },
         "data.dbf"},
        {"unknown field type", [](auto& d, auto&) { d[32 + 11] = 'Q'; }, "data.dbf"},
        {"date field of the wrong width", [](auto& d, auto&) { d[32 + 2 * 32 + 16] = 5; },
         "data.dbf"},
        {"zero-width field", [](auto& d, auto&) { d[32 + 16] = 0; }, "data.dbf"},
        {"not a dBASE file", [](auto& d, auto&) { d[0] = 0x30; }, "data.dbf"},
        {"memo block number not a number",
         [](auto& d, auto&) { d.replace(kHeaderLength + kMemoField, 10, "    12x456"); },
         "data.dbf"},
        {"damaged date",
         [](auto& d, auto&) { d.replace(kHeaderLength + 1 + 10 + 8, 8, "2020AB01"); }, "data.dbf"},
        {"memo block outside the memo file",
         [](auto& d, auto&) { d.replace(kHeaderLength + kMemoField, 10, "    999999"); },
         "data.dbt"},
        {"memo block header overwritten", [](auto&, auto& m) { m[512] = 0x00; }, "data.dbt"},
        {"memo length beyond the file", [](auto&, auto& m) { putU32(m, 512 + 4, 1u << 30); },
         "data.dbt"},
        {"memo length below its own header", [](auto&, auto& m) { putU32(m, 512 + 4, 3); },
         "data.dbt"},
        {"memo file cut inside a value", [](auto&, auto& m) { m.resize(512 + 512 + 100); },
         "data.dbt"},
        {"memo file shorter than its header", [](auto&, auto& m) { m.resize(10); }, "data.dbt"},
        {"memo block size not a multiple of 64", [](auto&, auto& m) { putU16(m, 20, 100); },
         "data.dbt"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::string d = dbf;
        std::string m = dbt;
        damage.apply(d, m);
        shelfwise::test::WriteText(dir / "data.dbf", d);
        shelfwise::test::WriteText(dir / "data.dbt", m);
        try {
            readEverything(dir);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(damage.file), std::string::npos) << e.what();
            EXPECT_EQ(e.reason(), EngineError::Reason::Damaged) << e.what();
        }
    }
}

TEST_F(CorruptionTest, RandomByteFlipsNeverCrashOrHang) {
    std::mt19937 random(20240131);
    int errors = 0;
    for (int round = 0; round < 400; ++round) {
        std::string d = dbf;
        std::string m = dbt;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            std::string& target = random() % 3 == 0 ? m : d;
            // Mostly the header and descriptors, where a flip does the most harm.
            const std::size_t span =
                random() % 2 ? std::min<std::size_t>(target.size(), 200) : target.size();
            target[random() % span] ^= static_cast<char>(1 + random() % 255);
        }
        shelfwise::test::WriteText(dir / "data.dbf", d);
        shelfwise::test::WriteText(dir / "data.dbt", m);
        try {
            readEverything(dir);
        } catch (const EngineError&) {
            ++errors;
        }
    }
    // Many flips land in text and do no harm; many must have been noticed.
    EXPECT_GT(errors, 40);
}

} // namespace
} // namespace shelfwise::engine::testing
