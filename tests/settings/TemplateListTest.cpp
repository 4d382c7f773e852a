#include "settings/TemplateList.h"

#include "settings/TemplateCatalogues.h"
#include "settings/TemplateContents.h"
#include "settings/ValueStreamWriter.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace shelfwise::settings {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TemporaryDirectory;
using test::WriteBytes;

// A kind whose contents are one text, saved as the whole template file.
class TextContents : public TTemplateContents {
public:
    bool Write(const std::filesystem::path& file) override {
        if (failWrites) {
            return false;
        }
        test::WriteText(file, text);
        return true;
    }
    bool Read(const std::filesystem::path& file) override {
        if (!std::filesystem::exists(file)) {
            return false;
        }
        const auto bytes = ReadBytes(file);
        text.assign(bytes.begin(), bytes.end());
        return true;
    }

    std::string text;
    bool failWrites = false;
};

Bytes Catalogue(const std::vector<TTemplate>& entries) {
    ValueStreamWriter out;
    out.WriteListBegin();
    for (const auto& entry : entries) {
        out.WriteString(entry.Name);
        out.WriteString(entry.FileName);
    }
    out.WriteListEnd();
    return out.Bytes();
}

class TemplateList : public ::testing::Test {
protected:
    TemplateList() { headers.SetContents(&contents); }

    std::vector<TTemplate> Entries() const {
        std::vector<TTemplate> entries;
        for (std::size_t i = 0; i < headers.Count(); ++i) {
            entries.push_back(headers.TemplateAt(i));
        }
        return entries;
    }

    TemporaryDirectory data;
    TextContents contents;
    TTemplateList headers{HeaderTemplates, data.Path()};
};

TEST_F(TemplateList, SavedTemplatesGetTheFirstFreeFileName) {
    contents.text = "first";
    ASSERT_TRUE(headers.AddTemplate("Wide"));
    contents.text = "second";
    ASSERT_TRUE(headers.AddTemplate("Narrow"));
    EXPECT_EQ(Entries(), (std::vector<TTemplate>{{"Wide", "tml1.hdr"}, {"Narrow", "tml2.hdr"}}));
    EXPECT_EQ(ReadBytes(data / "tml1.hdr"), (Bytes{'f', 'i', 'r', 's', 't'}));

    headers.DeleteTemplate(0);
    EXPECT_FALSE(std::filesystem::exists(data / "tml1.hdr"));
    ASSERT_TRUE(headers.AddTemplate("Again"));
    EXPECT_EQ(Entries(), (std::vector<TTemplate>{{"Narrow", "tml2.hdr"}, {"Again", "tml1.hdr"}}));

    contents.text.clear();
    ASSERT_TRUE(headers.LoadTemplate("Narrow"));
    EXPECT_EQ(contents.text, "second");
}

TEST_F(TemplateList, NamesAreUniqueWithExactCase) {
    ASSERT_TRUE(headers.AddTemplate("Wide"));
    EXPECT_FALSE(headers.AddTemplate("Wide"));
    EXPECT_TRUE(headers.AddTemplate("WIDE"));
    EXPECT_EQ(headers.Count(), 2u);
    EXPECT_EQ(headers.FindTemplate("WIDE"), 1u);
    EXPECT_EQ(headers.FindTemplate("wide"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(data / "tml3.hdr"));
}

TEST_F(TemplateList, RefusedWhenTheContentsCannotBeWrittenOrAreNotThereYet) {
    contents.failWrites = true;
    EXPECT_FALSE(headers.AddTemplate("Wide"));
    EXPECT_EQ(headers.Count(), 0u);

    TTemplateList withoutContents{HeaderTemplates, data.Path()};
    EXPECT_FALSE(withoutContents.AddTemplate("Wide"));
    EXPECT_EQ(withoutContents.Count(), 0u);
}

TEST_F(TemplateList, CatalogueFileRoundTrip) {
    ASSERT_TRUE(headers.AddTemplate("Wide"));
    ASSERT_TRUE(headers.AddTemplate(std::string(300, 'n')));
    ASSERT_TRUE(headers.SaveCatalogue(data / "headers.tml"));
    Bytes expected{0x01, 0x06, 4,   'W', 'i', 'd', 'e',  0x06, 8,    't',  'm',
                   'l',  '1',  '.', 'h', 'd', 'r', 0x0C, 0x2C, 0x01, 0x00, 0x00};
    expected.insert(expected.end(), 300, 'n');
    expected.insert(expected.end(), {0x06, 8, 't', 'm', 'l', '2', '.', 'h', 'd', 'r', 0x00});
    EXPECT_EQ(ReadBytes(data / "headers.tml"), expected);

    TTemplateList read{HeaderTemplates, data.Path()};
    read.LoadCatalogue(data / "headers.tml");
    ASSERT_EQ(read.Count(), 2u);
    EXPECT_EQ(read.TemplateAt(0), headers.TemplateAt(0));
    EXPECT_EQ(read.TemplateAt(1), headers.TemplateAt(1));
}

TEST_F(TemplateList, TemplateWhoseFileIsGoneFailsToLoadAndDeletesSilently) {
    WriteBytes(data / "headers.tml", Catalogue({{"Lost", "tml1.hdr"}}));
    headers.LoadCatalogue(data / "headers.tml");
    ASSERT_EQ(headers.Count(), 1u);
    EXPECT_FALSE(headers.LoadTemplate("Lost"));
    EXPECT_FALSE(headers.LoadTemplate("Unknown"));
    headers.DeleteTemplate(5);
    EXPECT_EQ(headers.Count(), 1u);
    headers.DeleteTemplate(0);
    EXPECT_EQ(headers.Count(), 0u);
}

TEST_F(TemplateList, MissingOrDamagedCatalogueLeavesTheListEmpty) {
    const auto full = Catalogue({{"A", "tml1.hdr"}, {"B", "tml2.hdr"}});
    for (std::size_t size = 0; size < full.size(); ++size) {
        WriteBytes(data / "headers.tml", Bytes(full.begin(), full.begin() + size));
        headers.LoadCatalogue(data / "headers.tml");
        EXPECT_EQ(headers.Count(), 0u) << size;
        ASSERT_TRUE(headers.AddTemplate("C"));
    }
    WriteBytes(data / "headers.tml", Bytes{0x01, 0x02, 0x05, 0x06, 0x00, 0x00});
    headers.LoadCatalogue(data / "headers.tml");
    EXPECT_EQ(headers.Count(), 0u) << "integer in place of a name";
    headers.LoadCatalogue(data / "missing.tml");
    EXPECT_EQ(headers.Count(), 0u);
}

TEST_F(TemplateList, CatalogueEntriesOutsideTheDataDirectoryAreDropped) {
    TemporaryDirectory elsewhere;
    test::WriteText(elsewhere / "precious", "keep");
    const auto escape = "../" + elsewhere.Path().filename().string() + "/precious";
    WriteBytes(data / "headers.tml", Catalogue({{"Evil", escape},
                                                {"Abs", (elsewhere / "precious").string()},
                                                {"Ok", "tml1.hdr"}}));
    headers.LoadCatalogue(data / "headers.tml");
    EXPECT_EQ(Entries(), (std::vector<TTemplate>{{"Ok", "tml1.hdr"}}));
    EXPECT_TRUE(std::filesystem::exists(elsewhere / "precious"));
}

std::vector<TTemplate> Numbered(int count, std::string_view extension) {
    std::vector<TTemplate> entries;
    for (int n = 1; n <= count; ++n) {
        entries.push_back(
            {"t" + std::to_string(n), "tml" + std::to_string(n) + std::string(extension)});
    }
    return entries;
}

TEST_F(TemplateList, FileNamesRunTo32000AndAreCutTo12Characters) {
    WriteBytes(data / "headers.tml", Catalogue(Numbered(9999, ".hdr")));
    headers.LoadCatalogue(data / "headers.tml");
    EXPECT_EQ(headers.NewFileName(), "tml10000.hdr");

    WriteBytes(data / "headers.tml", Catalogue(Numbered(32000, ".hdr")));
    headers.LoadCatalogue(data / "headers.tml");
    EXPECT_EQ(headers.NewFileName(), std::nullopt);
    EXPECT_FALSE(headers.AddTemplate("one too many"));

    TTemplateList longExtension{{"long.tml", ".long"}, data.Path()};
    EXPECT_EQ(longExtension.NewFileName(), "tml1.long");
    WriteBytes(data / "long.tml", Catalogue(Numbered(9999, ".long")));
    longExtension.LoadCatalogue(data / "long.tml");
    EXPECT_EQ(longExtension.NewFileName(), "tml10000.lon");
}

TEST(TemplateCatalogues, LoadAndSaveTheThreeCataloguesInTheDataDirectory) {
    TemporaryDirectory data;
    WriteBytes(data / "filters.tml", Catalogue({{"Open", "tml1.flt"}}));
    WriteBytes(data / "headers.tml", Catalogue({{"Wide", "tml1.hdr"}, {"Tall", "tml2.hdr"}}));
    TemplateCatalogues catalogues(data.Path());
    catalogues.Load();
    EXPECT_EQ(catalogues.Filters.Count(), 1u);
    EXPECT_EQ(catalogues.Headers.Count(), 2u);
    EXPECT_EQ(catalogues.Labels.Count(), 0u);

    TextContents labels;
    catalogues.Labels.SetContents(&labels);
    ASSERT_TRUE(catalogues.Labels.AddTemplate("Mine"));
    EXPECT_TRUE(std::filesystem::exists(data / "tml1.lab"));
    ASSERT_TRUE(catalogues.Save());
    EXPECT_EQ(ReadBytes(data / "labels.tml"), Catalogue({{"Mine", "tml1.lab"}}));
    EXPECT_EQ(ReadBytes(data / "headers.tml"),
              Catalogue({{"Wide", "tml1.hdr"}, {"Tall", "tml2.hdr"}}));
    EXPECT_EQ(ReadBytes(data / "filters.tml"), Catalogue({{"Open", "tml1.flt"}}));
}

} // namespace
} // namespace shelfwise::settings
