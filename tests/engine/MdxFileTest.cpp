#include "engine/MdxFile.h"

#include "TableFixture.h"
#include "engine/EngineError.h"
#include "engine/KeyExpression.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace shelfwise::engine;

namespace {

using Entry = std::pair<std::string, std::uint32_t>;

// The order a tag must give: keys in its direction, equal keys by record number.
struct EntryOrder {
    KeyType type = KeyType::Character;
    bool descending = false;
    bool operator()(const Entry& a, const Entry& b) const {
        const int keys = compareKeys(type, a.first, b.first) * (descending ? -1 : 1);
        return keys != 0 ? keys < 0 : a.second < b.second;
    }
};
using Model = std::set<Entry, EntryOrder>;

IndexEntrySource sourceOf(const std::vector<Entry>& entries) {
    return [&entries, next = std::size_t{0}](IndexEntry& entry) mutable {
        if (next == entries.size()) {
            return false;
        }
        entry.key = entries[next].first;
        entry.record = entries[next].second;
        ++next;
        return true;
    };
}

MdxTagInfo characterTag(const std::string& name, std::size_t length, bool descending = false) {
    return {name, "UPPER(" + name + ")", descending, KeyType::Character, length};
}

std::vector<Entry> walk(MdxCursor cursor) {
    std::vector<Entry> entries;
    for (bool on = cursor.first(); on; on = cursor.next()) {
        entries.emplace_back(cursor.key(), cursor.record());
    }
    return entries;
}

std::vector<Entry> walkBackwards(MdxCursor cursor) {
    std::vector<Entry> entries;
    for (bool on = cursor.last(); on; on = cursor.prior()) {
        entries.emplace_back(cursor.key(), cursor.record());
    }
    return {entries.rbegin(), entries.rend()};
}

std::string hex(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (const unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        text += digits;
    }
    return text;
}

bool perlReaderAvailable() {
    return std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") == 0;
}

// What Perl's XBase::Index reads from the file: a tag walked in its stored order.
std::vector<Entry> perlWalk(const std::filesystem::path& dir, const std::filesystem::path& mdx,
                            const std::string& tag) {
    const auto script = dir / "walk.pl";
    std::ofstream(script) << "use strict; use warnings; use XBase::Index;\n"
                             "my $t = XBase::Index->new($ARGV[0], tag => $ARGV[1])\n"
                             "    or die XBase::Index->errstr;\n"
                             "$t->prepare_select;\n"
                             "while (my ($key, $recno) = $t->fetch) {\n"
                             "    print unpack('H*', $key), \"\\t$recno\\n\";\n"
                             "}\n";
    const std::string command =
        "perl '" + script.string() + "' '" + mdx.string() + "' " + tag + " 2>&1";
    std::vector<Entry> entries;
    FILE* pipe = ::popen(command.c_str(), "r");
    char line[512];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        const auto tab = text.find('\t');
        if (tab == std::string::npos) {
            ADD_FAILURE() << "perl: " << text;
            continue;
        }
        entries.emplace_back(text.substr(0, tab),
                             static_cast<std::uint32_t>(std::stoul(text.substr(tab + 1))));
    }
    EXPECT_EQ(pipe != nullptr ? ::pclose(pipe) : -1, 0);
    return entries;
}

std::vector<Entry> hexed(std::vector<Entry> entries) {
    for (auto& entry : entries) {
        entry.first = hex(entry.first);
    }
    return entries;
}

// Random keys from a small alphabet, so that equal keys run across several nodes.
std::vector<Entry> randomEntries(std::mt19937& random, std::size_t count, std::size_t length) {
    std::uniform_int_distribution<int> letter(0, 5);
    std::uniform_int_distribution<int> size(1, 3);
    std::vector<Entry> entries;
    for (std::uint32_t record = 1; record <= count; ++record) {
        std::string key;
        for (int i = size(random); i > 0; --i) {
            key += static_cast<char>("ABCDE\xC9"[letter(random)]);
        }
        key.resize(length, ' ');
        entries.emplace_back(key, record);
    }
    return entries;
}

// A record of one field.
class OneField : public RecordSource {
public:
    explicit OneField(std::string text) : text_(std::move(text)) {}
    std::string_view field(std::size_t) const override { return text_; }
    std::string memo(std::size_t) const override { return {}; }

private:
    std::string text_;
};

class MdxFileTest : public shelfwise::engine::testing::TableFixture {
protected:
    std::filesystem::path created() {
        const auto path = dir / "DATA.MDX";
        MdxFile::create(path, "DATA");
        return path;
    }
};

} // namespace

TEST_F(MdxFileTest, AddsListsAndDeletesTags) {
    const auto path = created();
    const std::vector<Entry> names = {{"PEAR      ", 3}, {"APPLE     ", 1}, {"FIG       ", 2}};
    {
        MdxFile index(path, MdxFile::Mode::ReadWrite);
        EXPECT_TRUE(index.tags().empty());
        index.addTag({"name", "UPPER(NAME)", false, KeyType::Character, 10}, sourceOf(names));
        index.addTag({"IDXD", "UPPER(NAME)", true, KeyType::Character, 10}, sourceOf(names));
        index.addTag({"EMPTY", "DTOS(ADDED)", false, KeyType::Date, 8}, sourceOf({}));
        EXPECT_THROW(index.addTag(characterTag("NAME", 10), sourceOf({})), EngineError);
        EXPECT_THROW(index.addTag(characterTag("TOO_LONG_NAME", 10), sourceOf({})), EngineError);
        EXPECT_THROW(index.addTag(characterTag("BAD-NAME", 10), sourceOf({})), EngineError);
        EXPECT_THROW(index.addTag(characterTag("SHORTKEY", 10), sourceOf({{"AB", 1}})),
                     EngineError);
    }
    MdxFile index(path, MdxFile::Mode::ReadOnly);
    const auto tags = index.tags();
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0].name, "NAME");
    EXPECT_EQ(tags[0].expression, "UPPER(NAME)");
    EXPECT_FALSE(tags[0].descending);
    EXPECT_EQ(tags[0].keyLength, 10u);
    EXPECT_TRUE(tags[1].descending);
    EXPECT_EQ(tags[2].keyType, KeyType::Date);
    EXPECT_EQ(walk(index.cursor("name")),
              (std::vector<Entry>{{"APPLE     ", 1}, {"FIG       ", 2}, {"PEAR      ", 3}}));
    EXPECT_EQ(walk(index.cursor("IDXD")),
              (std::vector<Entry>{{"PEAR      ", 3}, {"FIG       ", 2}, {"APPLE     ", 1}}));
    EXPECT_TRUE(walk(index.cursor("EMPTY")).empty());
    EXPECT_THROW(index.cursor("NOPE"), EngineError);
    EXPECT_THROW(index.insert("NAME", "KIWI      ", 4), EngineError);

    MdxFile writer(path, MdxFile::Mode::ReadWrite);
    writer.deleteTag("IDXD");
    EXPECT_THROW(writer.deleteTag("IDXD"), EngineError);
    ASSERT_EQ(index.tags().size(), 2u);
    EXPECT_EQ(index.tags()[1].name, "EMPTY");
    EXPECT_EQ(walk(index.cursor("NAME")).size(), 3u);
}

TEST_F(MdxFileTest, HoldsAtMost47Tags) {
    MdxFile index(created(), MdxFile::Mode::ReadWrite);
    for (int i = 0; i < 47; ++i) {
        index.addTag(characterTag("T" + std::to_string(i), 4), sourceOf({}));
    }
    EXPECT_THROW(index.addTag(characterTag("T47", 4), sourceOf({})), EngineError);
    EXPECT_EQ(index.tags().size(), 47u);
}

// Many random changes against a model, made through two opens of the file, with a second tag
// added and deleted on the way so that its blocks are reused: order, seeks, exact re-seeks,
// range counts, positions and the tree check must agree in both opens, in both directions.
TEST_F(MdxFileTest, InsertRemoveSeekAndCountAgreeWithAModel) {
    for (const bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        const auto path = created();
        std::mt19937 random(descending ? 11 : 7);
        constexpr std::size_t kLength = 40; // 23 keys per node: splits come early
        auto initial = randomEntries(random, 300, kLength);
        MdxFile index(path, MdxFile::Mode::ReadWrite);
        index.addTag(characterTag("K", kLength, descending), sourceOf(initial));
        MdxFile other(path, MdxFile::Mode::ReadWrite);
        Model model(initial.begin(), initial.end(), EntryOrder{KeyType::Character, descending});
        const auto spare = randomEntries(random, 700, kLength);
        auto fresh = randomEntries(random, 4000, kLength);
        std::uniform_int_distribution<int> action(0, 9);
        const auto pick = [&] {
            auto it = model.begin();
            std::advance(it,
                         std::uniform_int_distribution<std::size_t>(0, model.size() - 1)(random));
            return *it;
        };
        for (std::size_t step = 0; step < fresh.size(); ++step) {
            // Stretches of changes from one open (which keeps its counts up), from the other,
            // and from both in turn.
            const auto stretch = step / 300 % 3;
            MdxFile& by = stretch == 1 || (stretch == 2 && step % 2 == 0) ? other : index;
            if (step % 600 == 200) {
                by.addTag(characterTag("SPARE", kLength), sourceOf(spare));
            } else if (step % 600 == 400) {
                by.deleteTag("SPARE");
            }
            const bool spareThere = step % 600 >= 200 && step % 600 < 400;
            const int what = action(random);
            if (step % 1500 == 1499) {
                // Removing nearly everything empties leaves and shrinks the tree.
                while (model.size() > 3) {
                    const Entry entry = pick();
                    ASSERT_TRUE(by.remove("K", entry.first, entry.second));
                    model.erase(entry);
                }
            } else if (what < 7 || model.empty()) {
                const Entry entry{fresh[step].first, fresh[step].second + 1000};
                EXPECT_EQ(by.insert("K", entry.first, entry.second), model.insert(entry).second);
            } else {
                const Entry entry = pick();
                EXPECT_TRUE(by.remove("K", entry.first, entry.second));
                model.erase(entry);
                EXPECT_FALSE(by.remove("K", entry.first, entry.second));
            }
            if (step % 97 != 0) {
                continue;
            }
            const auto prefix = fresh[step].first.substr(0, 1 + step % 2);
            const auto bound =
                prefix + std::string(kLength - prefix.size(), descending ? ' ' : '\xFF');
            const auto expected = model.lower_bound(
                {prefix + std::string(kLength - prefix.size(), descending ? '\xFF' : ' '), 0});
            const auto upper = model.upper_bound({bound, 0xFFFFFFFF});
            const auto distance = [](auto from, auto to) {
                return static_cast<std::uint64_t>(std::distance(from, to));
            };
            for (MdxFile* open : {&index, &other}) {
                SCOPED_TRACE(open == &index ? "this open" : "the other open");
                ASSERT_EQ(open->check("K"), model.size());
                auto cursor = open->cursor("K");
                ASSERT_EQ(cursor.seek(prefix), expected != model.end());
                if (expected != model.end()) {
                    EXPECT_EQ(Entry(cursor.key(), cursor.record()), *expected);
                    EXPECT_EQ(cursor.position(), distance(model.begin(), expected));
                }
                EXPECT_EQ(open->count("K", prefix, prefix), distance(expected, upper));
                EXPECT_EQ(open->count("K", "", prefix), distance(model.begin(), upper));
                EXPECT_EQ(open->count("K", prefix, ""), distance(expected, model.end()));
                EXPECT_EQ(open->count("K", "", ""), model.size());
                if (spareThere) {
                    EXPECT_EQ(open->count("SPARE", "", ""), spare.size());
                }
                const auto at = std::uniform_int_distribution<std::size_t>(0, model.size())(random);
                ASSERT_EQ(cursor.moveTo(at), at < model.size());
                EXPECT_EQ(cursor.position(), at);
                if (at < model.size()) {
                    EXPECT_EQ(Entry(cursor.key(), cursor.record()),
                              *std::next(model.begin(), static_cast<std::ptrdiff_t>(at)));
                }
                if (!model.empty()) {
                    const Entry target = pick();
                    EXPECT_TRUE(cursor.seekExact(target.first, target.second));
                    EXPECT_FALSE(cursor.seekExact(target.first, target.second + 50000));
                }
            }
        }
        const std::vector<Entry> expected(model.begin(), model.end());
        EXPECT_EQ(walk(index.cursor("K")), expected);
        EXPECT_EQ(walkBackwards(index.cursor("K")), expected);
    }
}

TEST_F(MdxFileTest, PerlReadsTheTreesInOurOrder) {
    if (!perlReaderAvailable()) {
        GTEST_SKIP() << "perl with XBase::Index is not installed";
    }
    const auto path = created();
    std::mt19937 random(3);
    const auto entries = randomEntries(random, 6000, 20);
    std::vector<Entry> numbers;
    const KeyExpression price("N", {{"N", 'N', 10, 1, 0}});
    for (std::uint32_t record = 1; record <= 500; ++record) {
        // -249.5 .. 249.5, out of order.
        const auto value = static_cast<int>((record * 7919) % 500) - 250;
        numbers.emplace_back(price.evaluate(OneField(std::to_string(value) + ".5")), record);
    }
    {
        MdxFile index(path, MdxFile::Mode::ReadWrite);
        index.addTag(characterTag("UP", 20), sourceOf(entries));
        index.addTag(characterTag("DOWN", 20, true), sourceOf(entries));
        index.addTag({"PRICE", "N", false, KeyType::Numeric, 12}, sourceOf(numbers));
        // Incremental changes must keep the file readable too.
        for (std::uint32_t record = 7000; record < 8500; ++record) {
            index.insert("UP", entries[record % 6000].first, record);
            index.remove("DOWN", entries[record % 6000].first, record % 6000 + 1);
        }
    }
    MdxFile index(path, MdxFile::Mode::ReadOnly);
    for (const auto* tag : {"UP", "DOWN", "PRICE"}) {
        SCOPED_TRACE(tag);
        const auto ours = walk(index.cursor(tag));
        EXPECT_EQ(index.check(tag), ours.size());
        EXPECT_EQ(perlWalk(dir, path, tag), hexed(ours));
    }
    const auto prices = walk(index.cursor("PRICE"));
    ASSERT_EQ(prices.size(), 500u);
    EXPECT_TRUE(std::is_sorted(prices.begin(), prices.end(), EntryOrder{KeyType::Numeric, false}));
}

TEST_F(MdxFileTest, CursorsFollowChangesMadeElsewhere) {
    const auto path = created();
    std::vector<Entry> entries;
    for (std::uint32_t record = 1; record <= 200; ++record) {
        entries.emplace_back(std::to_string(100000 + record * 10), record);
    }
    MdxFile writer(path, MdxFile::Mode::ReadWrite);
    writer.addTag(characterTag("NUM", 6), sourceOf(entries));
    MdxFile reader(path, MdxFile::Mode::ReadOnly);
    auto cursor = reader.cursor("NUM");
    ASSERT_TRUE(cursor.seek("100050"));
    EXPECT_EQ(cursor.record(), 5u);
    // Another open fills the gap after the cursor and splits nodes around it.
    for (std::uint32_t i = 1; i < 10; ++i) {
        writer.insert("NUM", std::to_string(100050 + i), 1000 + i);
    }
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.key(), "100051");
    EXPECT_EQ(cursor.position(), 5u);
    // The entry under the cursor goes away: next and prior go to its neighbours.
    ASSERT_TRUE(writer.remove("NUM", "100051", 1001));
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.key(), "100052");
    ASSERT_TRUE(writer.remove("NUM", "100052", 1002));
    // Its entry gone, the cursor counts the entries before where it was.
    EXPECT_EQ(cursor.position(), 5u);
    writer.insert("NUM", "100000", 999);
    EXPECT_EQ(cursor.position(), 6u);
    ASSERT_TRUE(writer.remove("NUM", "100000", 999));
    ASSERT_TRUE(cursor.prior());
    EXPECT_EQ(cursor.key(), "100050");
    EXPECT_EQ(reader.count("NUM", "10005", "10005"), 8u);
    // Past either end and back.
    ASSERT_TRUE(cursor.last());
    EXPECT_FALSE(cursor.next());
    EXPECT_FALSE(cursor.onEntry());
    ASSERT_TRUE(cursor.prior());
    EXPECT_EQ(cursor.key(), "102000");
    ASSERT_TRUE(cursor.first());
    EXPECT_FALSE(cursor.prior());
    ASSERT_TRUE(cursor.next());
    EXPECT_EQ(cursor.key(), "100010");
    EXPECT_FALSE(cursor.seek("2"));
    EXPECT_THROW(cursor.seek("1000000"), EngineError);
}

TEST_F(MdxFileTest, DeletedTagsLeaveTheirBlocksForReuse) {
    const auto path = created();
    std::mt19937 random(5);
    const auto entries = randomEntries(random, 3000, 30);
    MdxFile index(path, MdxFile::Mode::ReadWrite);
    index.addTag(characterTag("A", 30), sourceOf(entries));
    index.addTag(characterTag("B", 30, true), sourceOf(entries));
    const auto size = std::filesystem::file_size(path);
    index.deleteTag("A");
    index.addTag(characterTag("C", 30), sourceOf(entries));
    EXPECT_EQ(std::filesystem::file_size(path), size);
    index.deleteTag("C");
    // The splits of a growing tag take the freed blocks too.
    for (std::uint32_t record = 4000; record < 5000; ++record) {
        index.insert("B", entries[record % 3000].first, record);
    }
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(index.check("B"), 4000u);
    if (perlReaderAvailable()) {
        EXPECT_EQ(perlWalk(dir, path, "B"), hexed(walk(index.cursor("B"))));
    }
}

// Blocks of a counted tree, once deleted, come back in trees of other shapes: each new tree
// must be counted afresh, whichever blocks it took.
TEST_F(MdxFileTest, ReusedBlocksAreCountedAfresh) {
    const auto path = created();
    std::mt19937 random(9);
    const auto entries = randomEntries(random, 3000, 30);
    MdxFile index(path, MdxFile::Mode::ReadWrite);
    std::size_t previous = entries.size();
    index.addTag(characterTag("T", 30), sourceOf(entries));
    for (const std::size_t size : {2900, 2500, 2000, 1500, 1000, 2950, 400, 2990}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(index.count("T", "", ""), previous);
        index.deleteTag("T");
        const std::vector<Entry> some(entries.begin(),
                                      entries.begin() + static_cast<std::ptrdiff_t>(size));
        index.addTag(characterTag("T", 30), sourceOf(some));
        EXPECT_EQ(index.count("T", "", ""), size);
        EXPECT_EQ(index.count("T", "A", "C"), index.check("T") - index.count("T", "D", ""));
        previous = size;
    }
}
