#include "DatabaseFixture.h"
#include "db/LetterTabPanel.h"

#include <algorithm>
#include <fstream>
#include <gmock/gmock.h>
#include <iterator>
#include <map>

namespace shelfwise::db::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint8_t kName = 2;
constexpr std::uint8_t kProducer = 3;
constexpr std::uint8_t kCategory = 4;
constexpr std::uint8_t kPrice = 7;
constexpr std::uint8_t kDate = 8;

const char* const kUnableToCreateIndex =
    "Unable to create Index!\nDatabase may be used by someone else - this function requires "
    "Exclusive Database Use.";

class IndexManagerTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        ASSERT_TRUE(database->OpenDatabase());
        messages.clear();
    }
    TIndex& index() { return database->Index; }
    std::vector<std::string> tagNames() {
        std::vector<std::string> names;
        for (const engine::TagInfo& tag : database->DataTable.tags()) {
            names.push_back(tag.name);
        }
        return names;
    }
    std::string tagExpression(const std::string& name) {
        for (const engine::TagInfo& tag : database->DataTable.tags()) {
            if (tag.name == name) {
                return tag.expression;
            }
        }
        return {};
    }
};

TEST_F(IndexManagerTest, SortStateFileHoldsTheFourValues) {
    index().Sort = {kProducer, true, kCategory, false};
    ASSERT_TRUE(index().WriteSortState());
    const std::filesystem::path path = databaseDir / "data.idx";
    EXPECT_EQ(index().SortStatePath(), path);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string("\x03\x01\x04\x00", 4));

    index().ResetSort();
    index().ReadSortState();
    EXPECT_EQ(index().Sort, (SortValues{kProducer, true, kCategory, false}));
    EXPECT_EQ(index().SavedSort, SortValues{}); // the saved sort stays none
    EXPECT_FALSE(index().SortUnchanged());

    // A short or missing file means record number order.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "\x03\x01";
    index().ReadSortState();
    EXPECT_EQ(index().Sort, SortValues{});
    index().Sort.PrimaryField = kName;
    std::filesystem::remove(path);
    index().ReadSortState();
    EXPECT_EQ(index().Sort, SortValues{});

    // A file that cannot be created is only reported to the caller.
    settings.DatabaseDir = root / "missing";
    EXPECT_FALSE(index().WriteSortState());
    EXPECT_THAT(messages, IsEmpty());
}

TEST_F(IndexManagerTest, TagsAreReusedAndFilteredSortsGetTheirOwn) {
    int recounts = 0;
    index().RecountLetters = [&recounts] { ++recounts; };
    // The template's two tags serve entry order and its filtered form.
    EXPECT_EQ(database->DataTable.tag(), "IDX0");
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsNormal));
    EXPECT_EQ(database->DataTable.tag(), "IDX1");
    EXPECT_EQ(tagNames().size(), 2u);

    // A new sort switches the filter off and numbers its tag by the tag count.
    ASSERT_TRUE(index().ChangeSort({kProducer, false, 0, false}));
    EXPECT_EQ(index().Filter, FilterState::fsFilterOff);
    EXPECT_FALSE(index().Filtered);
    EXPECT_EQ(database->DataTable.tag(), "IDX2");
    ASSERT_TRUE(index().ChangeSort({kName, true, 0, false}));
    EXPECT_EQ(database->DataTable.tag(), "IDX3");
    // The same sort again finds its tag.
    ASSERT_TRUE(index().ChangeSort({kProducer, false, 0, false}));
    EXPECT_EQ(database->DataTable.tag(), "IDX2");
    EXPECT_THAT(tagNames(), ElementsAre("IDX0", "IDX1", "IDX2", "IDX3"));

    // Filtered and unfiltered sorts of the same field use two tags.
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsReversed));
    EXPECT_EQ(database->DataTable.tag(), "IDXF4");
    EXPECT_EQ(tagExpression("IDXF4"), "MARK+UPPER(PRODUCER)");
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsFilterOff));
    EXPECT_EQ(database->DataTable.tag(), "IDX2");
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsNormal));
    EXPECT_EQ(database->DataTable.tag(), "IDXF4");
    EXPECT_EQ(tagNames().size(), 5u);

    // An unchanged sort reopens nothing and keeps the filter.
    const int before = recounts;
    ASSERT_TRUE(index().ChangeSort({kProducer, false, 0, false}));
    EXPECT_EQ(recounts, before);
    EXPECT_EQ(index().Filter, FilterState::fsNormal);
    EXPECT_EQ(recounts, 7); // one for every reopening above
    EXPECT_THAT(messages, IsEmpty());
}

TEST_F(IndexManagerTest, AFullIndexGivesUpItsLeastRecentlyUsedSortTag) {
    // A tag another program made, which must stay.
    database->DataTable.close();
    {
        engine::Table table;
        table.setDirectory(databaseDir);
        table.setFileName("data.dbf");
        table.setExclusive(true);
        table.open();
        table.addTag("OTHER", "PRODUCER", false);
    }
    ASSERT_TRUE(index().ApplySort());

    std::vector<SortValues> sorts;
    for (const bool descending : {false, true}) {
        for (const std::uint8_t primary : {kName, kProducer, kCategory}) {
            for (std::uint8_t secondary = 0; secondary <= 16; ++secondary) {
                if (secondary != primary && (secondary == 0 || secondary >= 2)) {
                    sorts.push_back({primary, descending, secondary, false});
                }
            }
        }
    }
    std::size_t made = 0;
    while (tagNames().size() < TIndex::MaxTags) {
        ASSERT_LT(made, sorts.size());
        ASSERT_TRUE(index().ChangeSort(sorts[made++]));
    }
    const std::string first = tagNames()[3];
    const std::string second = tagNames()[4];
    // The first sort is used again; the second is now the least recently used.
    ASSERT_TRUE(index().ChangeSort(sorts[0]));
    EXPECT_EQ(database->DataTable.tag(), first);

    messages.clear();
    ASSERT_TRUE(index().ChangeSort(sorts[made]));
    EXPECT_THAT(messages, IsEmpty());
    const auto names = tagNames();
    EXPECT_EQ(names.size(), TIndex::MaxTags);
    for (const std::string& kept :
         {std::string("IDX0"), std::string("IDX1"), std::string("OTHER"), first}) {
        EXPECT_NE(std::find(names.begin(), names.end(), kept), names.end()) << kept;
    }
    EXPECT_EQ(std::find(names.begin(), names.end(), second), names.end());
    EXPECT_EQ(database->DataTable.tag(), names.back());
}

TEST_F(IndexManagerTest, AnUnreadableMemoUnderAMemoSortStillLetsItsRecordGoAndTheTablePack) {
    constexpr std::uint8_t kNotes = FirstDataField + 22;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        addRecord(name);
        database->DataTable.edit();
        database->DataTable.setBytes(kNotes, std::string(name) + " notes");
        database->DataTable.post();
    }
    ASSERT_TRUE(index().ChangeSort({kNotes, false, 0, false}));
    const std::uint32_t offset = database->DataTable.field(kNotes).offset;
    const std::size_t width = database->DataTable.field(kNotes).width;
    database->CloseTables();
    // Beta's memo block number points far beyond the memo file.
    {
        std::fstream dbf(databaseDir / "data.dbf", std::ios::in | std::ios::out | std::ios::binary);
        char header[12];
        dbf.read(header, sizeof header);
        const auto headerLength =
            static_cast<std::uint8_t>(header[8]) | (static_cast<std::uint8_t>(header[9]) << 8);
        const auto recordLength =
            static_cast<std::uint8_t>(header[10]) | (static_cast<std::uint8_t>(header[11]) << 8);
        dbf.seekp(headerLength + recordLength + offset);
        dbf.write(std::string(width, '9').data(), static_cast<std::streamsize>(width));
    }

    database = std::make_unique<TDatabase>(settings);
    ASSERT_TRUE(database->OpenDatabase());
    ASSERT_EQ(database->DataTable.recordCount(), 3u);
    database->CloseTables();
    {
        engine::Table table;
        table.setDirectory(databaseDir);
        table.setFileName("data.dbf");
        table.setExclusive(true);
        table.open();
        EXPECT_NO_THROW(table.regenerateIndexes());
        ASSERT_TRUE(table.goToRecord(2));
        EXPECT_NO_THROW(table.deleteRecord());
        EXPECT_NO_THROW(table.pack());
        EXPECT_EQ(table.recordCount(), 2u);
        EXPECT_THAT(table.checkIndexes(), IsEmpty());
    }
}

TEST_F(IndexManagerTest, NewSortFailsWhileAnotherCursorHasTheTable) {
    ASSERT_TRUE(index().ChangeSort({kProducer, false, 0, false}));
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsNormal));
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("data.dbf");
    other.open();

    EXPECT_FALSE(index().ChangeSort({kName, false, 0, false}));
    EXPECT_THAT(messageTexts(), ElementsAre(kUnableToCreateIndex));
    EXPECT_EQ(messages.front().kind, platform::MessageKind::Error);
    // Everything is as before: sort, filter, tag; no tag was added.
    EXPECT_EQ(index().Sort, (SortValues{kProducer, false, 0, false}));
    EXPECT_EQ(index().Filter, FilterState::fsNormal);
    EXPECT_TRUE(index().Filtered);
    EXPECT_TRUE(database->DataTable.isOpen());
    EXPECT_EQ(database->DataTable.tag(), "IDXF3");
    EXPECT_EQ(tagNames().size(), 4u);

    // A sort whose tag exists needs no exclusive use.
    messages.clear();
    EXPECT_TRUE(index().ChangeSort({0, false, 0, false}));
    EXPECT_EQ(database->DataTable.tag(), "IDX0");
    EXPECT_THAT(messages, IsEmpty());
}

TEST_F(IndexManagerTest, FailedSortAtFirstOpenIsSilent) {
    index().Sort = {kProducer, true, 0, false};
    ASSERT_TRUE(index().WriteSortState());
    database->CloseTables();
    engine::Table other;
    other.setDirectory(databaseDir);
    other.setFileName("data.dbf");
    other.open();

    database = std::make_unique<TDatabase>(settings);
    ASSERT_TRUE(database->OpenDatabase());
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_EQ(index().Sort, SortValues{});
    EXPECT_TRUE(database->DataTable.isOpen());
}

// Records whose names begin with every kind of character, marked for the filters: "2"
// passes, "0" does not. The producer repeats the name.
struct Named {
    const char* name;
    const char* mark;
};
const Named kRecords[] = {
    {"apple", "2"},
    {"Avocado", "0"},
    {"123 Go", "2"},
    {"", "0"},
    {"banana", "2"},
    {"\xC9"
     "clair",
     "2"},
    {"zebra", "0"},
    {"Yak", "2"},
    {"\xE9t\xE9", "0"},
};

struct LetterCase {
    SortValues sort;
    FilterState filter;
    std::map<char, int> counts; // letters not named count 0
};

std::ostream& operator<<(std::ostream& out, const LetterCase& c) {
    return out << int(c.sort.PrimaryField) << (c.sort.PrimaryDescending ? "d" : "a") << "/"
               << int(c.sort.SecondaryField) << " filter " << int(c.filter);
}

class LetterCountTest : public IndexManagerTest, public ::testing::WithParamInterface<LetterCase> {
protected:
    void SetUp() override {
        IndexManagerTest::SetUp();
        for (const Named& r : kRecords) {
            addRecord(r.name, r.name, r.mark);
        }
    }
};

TEST_P(LetterCountTest, CountsFollowSortAndFilter) {
    const LetterCase& c = GetParam();
    ASSERT_TRUE(index().ChangeSort(c.sort));
    ASSERT_TRUE(index().ChangeFilter(c.filter));
    ASSERT_TRUE(index().LetterTabsActive());
    index().CountAllLetters();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const auto it = c.counts.find(letter);
        EXPECT_EQ(index().LetterCount(letter), it == c.counts.end() ? 0 : it->second) << letter;
    }
    // The range of "A" stays laid, and its records come in the sort's direction.
    std::vector<std::string> a = names();
    EXPECT_EQ(a.size(), static_cast<std::size_t>(index().LetterCount('A')));
    if (c.sort.PrimaryDescending) {
        EXPECT_TRUE(std::is_sorted(a.rbegin(), a.rend(), [](auto& x, auto& y) {
            return std::toupper(x[0]) < std::toupper(y[0]);
        }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Letters, LetterCountTest,
    ::testing::Values(
        LetterCase{{kName, false, 0, false},
                   FilterState::fsFilterOff,
                   {{'A', 4}, {'B', 1}, {'Y', 1}, {'Z', 3}}},
        LetterCase{{kName, true, 0, false},
                   FilterState::fsFilterOff,
                   {{'A', 4}, {'B', 1}, {'Y', 1}, {'Z', 3}}},
        // A narrow text field and a second text field: case does not matter either.
        LetterCase{{kProducer, false, kCategory, false},
                   FilterState::fsFilterOff,
                   {{'A', 4}, {'B', 1}, {'Y', 1}, {'Z', 3}}},
        LetterCase{{kName, false, 0, false},
                   FilterState::fsNormal,
                   {{'A', 2}, {'B', 1}, {'Y', 1}, {'Z', 1}}},
        LetterCase{{kName, true, 0, false},
                   FilterState::fsNormal,
                   {{'A', 2}, {'B', 1}, {'Y', 1}, {'Z', 1}}},
        LetterCase{{kName, true, 0, false}, FilterState::fsReversed, {{'A', 2}, {'Z', 2}}},
        LetterCase{
            {kProducer, true, kPrice, false}, FilterState::fsReversed, {{'A', 2}, {'Z', 2}}}));

TEST_F(LetterCountTest, DescendingLetterRangeKeepsTheOrder) {
    ASSERT_TRUE(index().ChangeSort({kName, true, 0, false}));
    EXPECT_TRUE(index().SetLetterRange(database->DataTable, 'A'));
    EXPECT_THAT(names(), ElementsAre("Avocado", "apple", "123 Go", ""));
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsNormal));
    EXPECT_TRUE(index().SetLetterRange(database->DataTable, 'A'));
    EXPECT_THAT(names(), ElementsAre("apple", "123 Go"));
}

TEST_F(LetterCountTest, WithoutLetterTabsOnlyTheFilterRangeIsLaid) {
    engine::Table& t = database->DataTable;
    // A date primary field.
    ASSERT_TRUE(index().ChangeSort({kDate, false, 0, false}));
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsNormal));
    EXPECT_FALSE(index().LetterTabsActive());
    EXPECT_FALSE(index().SetLetterRange(t, 'B'));
    EXPECT_EQ(database->RecordCount(t), 5u);
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsReversed));
    EXPECT_FALSE(index().SetLetterRange(t, 'B'));
    EXPECT_EQ(database->RecordCount(t), 4u);

    // Letter tabs switched off, on a text field.
    ASSERT_TRUE(index().ChangeSort({kName, true, 0, false}));
    settings.LetterTabs = settings::opt::LetterTabs::DontUse;
    EXPECT_FALSE(index().LetterTabsActive());
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsReversed));
    EXPECT_FALSE(index().SetLetterRange(t, 'Z'));
    EXPECT_THAT(names(), ElementsAre("\xE9t\xE9", "zebra", "Avocado", ""));
    ASSERT_TRUE(index().ChangeFilter(FilterState::fsFilterOff));
    EXPECT_FALSE(index().SetLetterRange(t, 'Z'));
    EXPECT_EQ(database->RecordCount(t), 9u);
    // Counting does nothing while the tabs are inactive.
    index().CountAllLetters();
    EXPECT_EQ(index().LetterCount('A'), 0);
}

TEST_F(IndexManagerTest, FirstLetterOfTheCurrentRecord) {
    engine::Table& t = database->DataTable;
    ASSERT_TRUE(index().ChangeSort({kName, false, 0, false}));
    const std::pair<const char*, char> cases[] = {
        {"apple", 'A'},
        {"Mango", 'M'},
        {"zed", 'Z'},
        {"123", 'A'},
        {"", 'A'},
        {" space", 'A'},
        {"[x", 'Z'},
        {"~", 'Z'},
        {"\xC9"
         "clair",
         'Z'},
        {"\xE9t\xE9", 'Z'},
    };
    t.append();
    for (const auto& [text, letter] : cases) {
        t.setText(kName, text);
        EXPECT_EQ(index().FirstLetter(t), letter) << text;
    }
    t.cancel();

    ASSERT_TRUE(index().ChangeSort({kDate, false, 0, false}));
    EXPECT_EQ(index().FirstLetter(t), 0);
    index().Sort = {kName, false, 0, false};
    database->CloseTables();
    EXPECT_EQ(index().FirstLetter(t), 0);
}

class RecordingPanel : public TLetterTabPanel {
public:
    bool FindLetterTab(char letter) const override { return letter != 'Q'; }
    void ColourLetterTab(char letter, int text, int background) override {
        colours[letter] = {text, background};
        ++calls;
    }
    std::map<char, std::pair<int, int>> colours;
    int calls = 0;
};

TEST_F(LetterCountTest, NeighbourLettersAndTabColours) {
    ASSERT_TRUE(index().ChangeSort({kName, false, 0, false}));
    index().CountAllLetters(); // A4 B1 Y1 Z3
    EXPECT_EQ(index().NextNonEmptyLetter('B'), 'Y');
    EXPECT_EQ(index().NextNonEmptyLetter('C'), 'Y');
    EXPECT_EQ(index().NextNonEmptyLetter('Z'), 'Z');
    EXPECT_EQ(index().NextNonEmptyLetter('@'), '@');
    EXPECT_EQ(index().PreviousNonEmptyLetter('Y'), 'B');
    EXPECT_EQ(index().PreviousNonEmptyLetter('Z'), 'Y');
    EXPECT_EQ(index().PreviousNonEmptyLetter('A'), 'A');
    EXPECT_EQ(index().PreviousNonEmptyLetter('['), '[');

    RecordingPanel panel;
    index().ColourAllLetterTabs(panel);
    EXPECT_EQ(panel.calls, 25); // no tab "Q"
    EXPECT_EQ(panel.colours['A'], std::make_pair(4, 5));
    EXPECT_EQ(panel.colours['C'], std::make_pair(6, 7));

    // A record moved from "A" to "C", and one added under "B".
    index().AdjustLetterCount('A', 'C', &panel);
    EXPECT_EQ(index().LetterCount('A'), 3);
    EXPECT_EQ(index().LetterCount('C'), 1);
    EXPECT_EQ(panel.colours['C'], std::make_pair(4, 5));
    index().AdjustLetterCount(0, 'B', &panel);
    EXPECT_EQ(index().LetterCount('B'), 2);
    EXPECT_EQ(index().NextNonEmptyLetter('B'), 'C');

    // The window lays a letter's range and has its count taken again.
    index().SetLetterRange(database->DataTable, 'C');
    index().RefreshLetterCount(&panel, 'C');
    EXPECT_EQ(index().LetterCount('C'), 0);
    EXPECT_EQ(panel.colours['C'], std::make_pair(6, 7));

    // Without letter tabs nothing is recoloured.
    settings.LetterTabs = settings::opt::LetterTabs::DontUse;
    panel.calls = 0;
    index().ColourAllLetterTabs(panel);
    EXPECT_EQ(panel.calls, 0);
}

} // namespace
} // namespace shelfwise::db::testing
