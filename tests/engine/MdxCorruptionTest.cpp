#include "TableFixture.h"
#include "engine/ByteOrder.h"
#include "engine/EngineError.h"
#include "engine/MdxFile.h"
#include "support/TestFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace shelfwise::engine;

namespace {

std::uint8_t* at(std::string& bytes, std::size_t offset) {
    return reinterpret_cast<std::uint8_t*>(bytes.data()) + offset;
}

// Where the first tag's structures lie in a file, read the way other tools read them.
struct Layout {
    std::size_t tagHeader = 0;
    std::size_t root = 0;
    std::size_t itemLength = 0;
    std::uint32_t rootPage = 0;
    std::uint32_t firstChild = 0;
    std::size_t firstLeaf = 0;
};

Layout layoutOf(std::string& bytes) {
    Layout layout;
    layout.tagHeader = std::size_t{loadU32(at(bytes, 544))} * 512;
    layout.rootPage = loadU32(at(bytes, layout.tagHeader));
    layout.root = std::size_t{layout.rootPage} * 512;
    layout.itemLength = loadU16(at(bytes, layout.tagHeader + 18));
    layout.firstChild = loadU32(at(bytes, layout.root + 8));
    std::size_t node = layout.root;
    while (loadU32(at(bytes, node + 8 + loadU32(at(bytes, node)) * layout.itemLength)) != 0) {
        node = std::size_t{loadU32(at(bytes, node + 8))} * 512;
    }
    layout.firstLeaf = node;
    return layout;
}

// Everything a reader does: list tags, walk each both ways, count, check; then change one.
void exercise(const std::filesystem::path& path, bool write) {
    MdxFile index(path, write ? MdxFile::Mode::ReadWrite : MdxFile::Mode::ReadOnly);
    for (const auto& tag : index.tags()) {
        auto cursor = index.cursor(tag.name);
        for (bool on = cursor.first(); on; on = cursor.next()) {
        }
        for (bool on = cursor.last(); on; on = cursor.prior()) {
        }
        index.count(tag.name, "", "");
        index.check(tag.name);
        if (write && tag.keyType == KeyType::Character) {
            const std::string key(tag.keyLength, 'M');
            index.insert(tag.name, key, 99999);
            index.remove(tag.name, key, 99999);
            cursor.seek(key.substr(0, 1));
        }
    }
}

class MdxCorruptionTest : public shelfwise::engine::testing::TableFixture {
protected:
    // A real index: a character tag of four levels and a numeric tag.
    std::string goodFile() {
        const auto path = dir / "GOOD.MDX";
        MdxFile::create(path, "GOOD");
        MdxFile index(path, MdxFile::Mode::ReadWrite);
        std::mt19937 random(1);
        std::uniform_int_distribution<int> letter('A', 'Z');
        std::uint32_t record = 0;
        index.addTag({"NAME", "UPPER(NAME)", false, KeyType::Character, 100}, [&](IndexEntry& e) {
            e.key.assign(100, ' ');
            for (int i = 0; i < 8; ++i) {
                e.key[static_cast<std::size_t>(i)] = static_cast<char>(letter(random));
            }
            e.record = ++record;
            return record <= 1200;
        });
        record = 0;
        index.addTag({"PRICE", "PRICE", true, KeyType::Numeric, 12}, [&](IndexEntry& e) {
            e.key = std::string("\x34\x05", 2) + static_cast<char>(record % 9 * 16) +
                    std::string(9, '\0');
            e.record = ++record;
            return record <= 500;
        });
        return shelfwise::test::ReadText(path);
    }
};

} // namespace

TEST_F(MdxCorruptionTest, ReportsEveryDamageAsAnEngineError) {
    const std::string good = goodFile();
    {
        auto copy = good;
        const auto layout = layoutOf(copy);
        ASSERT_NE(layout.firstLeaf, layout.root) << "the tree needs interior nodes";
    }
    using Damage = std::function<void(std::string&, const Layout&)>;
    const auto put16 = [](std::string& b, std::size_t o, std::uint16_t v) {
        storeU16(at(b, o), v);
    };
    const auto put32 = [](std::string& b, std::size_t o, std::uint32_t v) {
        storeU32(at(b, o), v);
    };
    const std::vector<std::pair<std::string, Damage>> damages = {
        {"file shorter than its header", [](auto& b, auto&) { b.resize(1000); }},
        {"512-byte blocks", [&](auto& b, auto&) { put16(b, 22, 512); }},
        {"one page per block", [&](auto& b, auto&) { put16(b, 20, 1); }},
        {"page count past the end", [&](auto& b, auto&) { put32(b, 32, loadU32(at(b, 32)) + 64); }},
        {"file cut short", [](auto& b, auto&) { b.resize(b.size() - 4096); }},
        {"60 tags", [&](auto& b, auto&) { put16(b, 28, 60); }},
        {"tag entry outside the file", [&](auto& b, auto&) { put32(b, 544, 0x00FFFFFF); }},
        {"tag name without NUL", [](auto& b, auto&) { b.replace(548, 11, 11, 'A'); }},
        {"unknown key type", [](auto& b, const Layout& l) { b[l.tagHeader + 9] = 'X'; }},
        {"key length 0", [&](auto& b, const Layout& l) { put16(b, l.tagHeader + 12, 0); }},
        {"key length 200", [&](auto& b, const Layout& l) { put16(b, l.tagHeader + 12, 200); }},
        {"more keys than a node holds",
         [&](auto& b, const Layout& l) { put16(b, l.tagHeader + 14, 500); }},
        {"expression not terminated",
         [](auto& b, const Layout& l) { b.replace(l.tagHeader + 24, 221, 221, 'A'); }},
        {"root outside the file",
         [&](auto& b, const Layout& l) { put32(b, l.tagHeader, 0x7FFFFFF0); }},
        {"node key count too large", [&](auto& b, const Layout& l) { put32(b, l.root, 1000); }},
        {"child outside the file",
         [&](auto& b, const Layout& l) { put32(b, l.root + 8, 0x7FFFFFF0); }},
        {"child pointing into the header",
         [&](auto& b, const Layout& l) { put32(b, l.root + 8, 1); }},
        {"child is its own parent",
         [&](auto& b, const Layout& l) { put32(b, l.root + 8, l.rootPage); }},
        {"two children share a node",
         [&](auto& b, const Layout& l) { put32(b, l.root + 8 + l.itemLength, l.firstChild); }},
        {"leaf keys out of order",
         [](auto& b, const Layout& l) {
             std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(l.firstLeaf + 12),
                              b.begin() + static_cast<std::ptrdiff_t>(l.firstLeaf + 20),
                              b.begin() +
                                  static_cast<std::ptrdiff_t>(l.firstLeaf + 12 + 5 * l.itemLength));
         }},
    };
    const auto path = dir / "DAMAGED.MDX";
    for (const auto& [what, damage] : damages) {
        auto bytes = good;
        damage(bytes, layoutOf(bytes));
        shelfwise::test::WriteText(path, bytes);
        EXPECT_EQ(reasonOf([&] { exercise(path, false); }), EngineError::Reason::Damaged) << what;
    }
    shelfwise::test::WriteText(path, good);
    EXPECT_NO_THROW(exercise(path, true));
}

TEST_F(MdxCorruptionTest, RandomDamageGivesAnErrorOrAResultNeverACrash) {
    const std::string good = goodFile();
    const auto path = dir / "FLIPPED.MDX";
    std::mt19937 random(20240229);
    std::uniform_int_distribution<std::size_t> anywhere(0, good.size() - 1);
    std::uniform_int_distribution<std::size_t> structure(0, 4095); // headers and first nodes
    std::uniform_int_distribution<int> flips(1, 6);
    std::uniform_int_distribution<int> byte(0, 255);
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        auto bytes = good;
        for (int i = flips(random); i > 0; --i) {
            const auto offset = round % 2 == 0 ? anywhere(random) : structure(random);
            bytes[offset] = static_cast<char>(byte(random));
        }
        shelfwise::test::WriteText(path, bytes);
        try {
            exercise(path, round % 3 == 0);
        } catch (const EngineError&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);
}

// A writer killed between its first and last write leaves the change counter odd: readers
// wait for it only briefly, and the next write settles it.
TEST_F(MdxCorruptionTest, AnInterruptedWriterDoesNotStopOthers) {
    auto bytes = goodFile();
    storeU32(at(bytes, 48), loadU32(at(bytes, 48)) | 1);
    const auto path = dir / "INTERRUPTED.MDX";
    shelfwise::test::WriteText(path, bytes);
    {
        MdxFile reader(path, MdxFile::Mode::ReadOnly);
        EXPECT_EQ(reader.check("NAME"), 1200u);
        EXPECT_EQ(reader.count("NAME", "", ""), 1200u);
        MdxFile writer(path, MdxFile::Mode::ReadWrite);
        EXPECT_TRUE(writer.insert("NAME", std::string(100, 'Q'), 5000));
        EXPECT_EQ(reader.count("NAME", "", ""), 1201u);
    }
    bytes = shelfwise::test::ReadText(path);
    EXPECT_EQ(loadU32(at(bytes, 48)) % 2, 0u);
}

// Another program that rewrites a node in place and bumps only the tag's serial number.
TEST_F(MdxCorruptionTest, NoticesAWriterThatBumpsOnlyTheTagSerial) {
    auto bytes = goodFile();
    const auto path = dir / "SERIAL.MDX";
    shelfwise::test::WriteText(path, bytes);
    MdxFile reader(path, MdxFile::Mode::ReadOnly);
    auto cursor = reader.cursor("NAME");
    ASSERT_TRUE(cursor.first());
    ASSERT_NE(cursor.key()[0], '!');
    const auto layout = layoutOf(bytes);
    bytes[layout.firstLeaf + 12] = '!';
    ++bytes[layout.tagHeader + 20];
    shelfwise::test::WriteText(path, bytes);
    ASSERT_TRUE(cursor.first());
    EXPECT_EQ(cursor.key()[0], '!');
}
