#include "media/MultiImgControl.h"

#include "PictureBytes.h"
#include "engine/TableFixture.h"
#include "engine/TableOperations.h"
#include "settings/Settings.h"

namespace shelfwise::media {
namespace {

constexpr int Name = 0;
constexpr int Logo = 1;

using test::PngBytes;

class MultiImgControlTest : public engine::testing::TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        engine::createTable(dir, "data.dbf", {{"NAME", 'C', 20, 0}, {"LOGO", 'B', 10, 0}});
        openOn(table, "data.dbf");
    }

    void AddRecord(const std::string& name, const std::string& logo) {
        table.append();
        table.setText(Name, name);
        if (!logo.empty()) {
            table.setBytes(Logo, logo);
        }
        table.post();
    }

    engine::Table table;
};

TEST_F(MultiImgControlTest, APictureIsStoredBackByteForByteAndClearedToAnEmptyField) {
    // Bytes that decode as no picture are kept as they are all the same.
    const std::string pictures[] = {PngBytes(), std::string("\0\x01not a picture\xFF", 17)};
    for (const std::string& bytes : pictures) {
        TDbMultiImgControl logo(QStringLiteral("L12"), nullptr);
        EXPECT_EQ(logo.Kind(), editors::EditorKind::Picture);
        AddRecord("shown", bytes);
        logo.Read(table, Logo);
        EXPECT_TRUE(logo.IsFilled());
        table.append();
        logo.Write(table, Logo);
        table.post();
        EXPECT_EQ(table.bytes(Logo), bytes);

        logo.Clear();
        EXPECT_FALSE(logo.IsFilled());
        table.edit();
        logo.Write(table, Logo);
        table.post();
        EXPECT_TRUE(table.isEmpty(Logo));
    }
}

TEST_F(MultiImgControlTest, OnlyAPictureFieldShowsAPictureAndAnyPictureFillsARecord) {
    const std::string png = PngBytes();
    AddRecord("not a picture", png);
    TDbMultiImgControl logo(QStringLiteral("L12"), nullptr);
    logo.Read(table, Name);
    EXPECT_FALSE(logo.HasPicture());
    logo.Read(table, Logo);
    EXPECT_EQ(logo.PictureSize(), QSize(8, 6));

    // The uncaptioned picture alone is worth a new record too.
    TDbMultiImgControl picture(QString(), nullptr);
    picture.Read(table, Logo);
    EXPECT_TRUE(picture.HasPicture());
    EXPECT_TRUE(picture.IsFilled());

    // A picture takes no font, no colours and no edit menu.
    settings::Settings settings;
    EXPECT_EQ(logo.FontOption(settings), nullptr);
    EXPECT_FALSE(logo.Colors());
    EXPECT_EQ(logo.Editing(), nullptr);
    logo.SetRecordReadOnly(true);
    EXPECT_TRUE(logo.IsRecordReadOnly());
}

} // namespace
} // namespace shelfwise::media
