#include "book/LeftPage.h"

#include "BookFixture.h"
#include "book/HeaderSections.h"
#include "book/Navigator.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "db/RecordSchema.h"
#include "editors/DateEdit.h"
#include "platform/Dialogs.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace shelfwise::book {
namespace {

using namespace std::chrono;

const std::vector<std::string> Labels = {"Application Name:", "Producer:", "Category:"};

std::vector<int> Widths(const THeaderSections& h) {
    std::vector<int> widths;
    for (int i = 0; i < h.Count(); ++i) {
        widths.push_back(h.Width(i));
    }
    return widths;
}

THeaderSections Header(std::vector<int> widths, int headerWidth) {
    THeaderSections h;
    std::vector<HeaderSection> sections;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        sections.push_back({"F" + std::to_string(i), widths[i]});
    }
    h.SetSections(sections, Labels);
    h.SetHeaderWidth(headerWidth);
    return h;
}

TEST(HeaderSectionsTest, InsertingAFieldMakesRoomForIt) {
    struct Case {
        std::vector<int> widths;
        int headerWidth;
        bool inserted;
        std::vector<int> after;
    };
    const Case cases[] = {
        // Room left: the new column takes it; the former last keeps its own width.
        {{50, 100}, 300, true, {50, 100, 150}},
        // No room: the first section of 20 or more, searching leftwards, is halved.
        {{50, 250}, 300, true, {50, 125, 125}},
        {{290, 8}, 300, true, {145, 8, 147}},
        // Short of room: the one before gives the missing width first.
        {{50, 300}, 300, true, {50, 125, 125}},
        // Every section narrower than 20: nothing is halved.
        {{10, 10}, 20, true, {10, 10, 0}},
        // The last column is already short of width: refused.
        {{250, 100}, 200, false, {250, -50}},
    };
    for (const Case& c : cases) {
        THeaderSections h = Header(c.widths, c.headerWidth);
        EXPECT_EQ(h.Insert("Category:", 2), c.inserted);
        EXPECT_EQ(Widths(h), c.after) << c.widths[0] << " " << c.widths[1];
    }
}

TEST(HeaderSectionsTest, ResizeMoveRemoveAndPercentages) {
    THeaderSections h = Header({50, 100, 80}, 300);
    EXPECT_EQ(h.Percent(0), 17);
    EXPECT_EQ(h.Percent(2), 50);
    EXPECT_EQ(h.Percent(3), 0);
    h.Resize(0, 1);
    EXPECT_EQ(h.Width(0), 4);
    h.Move(0, 2);
    EXPECT_EQ(h.Sections()[2].Caption, "F0");
    EXPECT_EQ(Widths(h), (std::vector<int>{100, 80, 120}));
    h.Remove("F1");
    EXPECT_EQ(Widths(h), (std::vector<int>{80, 220}));
    h.SetHeaderWidth(0);
    EXPECT_EQ(h.Percent(0), 0);
}

TEST(HeaderSectionsTest, AnInsertedLastColumnKeepsItsWidthWhenMovedAway) {
    struct Case {
        int from, to;
        std::vector<int> after;
    };
    const Case cases[] = {
        {2, 0, {150, 50, 100}}, // the inserted column to the front
        {0, 2, {100, 150, 50}}, // another column behind it
        {2, 1, {50, 150, 100}},
    };
    for (const Case& c : cases) {
        THeaderSections h = Header({50, 100}, 300);
        ASSERT_TRUE(h.Insert("Category:", 2));
        ASSERT_EQ(Widths(h), (std::vector<int>{50, 100, 150}));
        h.Move(c.from, c.to);
        EXPECT_EQ(Widths(h), c.after) << c.from << " to " << c.to;
        // What "header.dat" keeps: no column but the last is stored without a width.
        for (int i = 0; i + 1 < h.Count(); ++i) {
            EXPECT_GE(h.Sections()[static_cast<std::size_t>(i)].Width,
                      THeaderSections::MinSectionWidth);
        }
    }
}

TEST(HeaderSectionsTest, HeaderFileRoundTripAndDefaults) {
    const shelfwise::test::TemporaryDirectory dir("sw-header");
    THeaderSections h;
    h.SetSections({{"category:", 70}, {"Application Name:", 90}}, Labels);
    EXPECT_EQ(h.Sections()[0].FieldIndex, 2);
    ASSERT_TRUE(h.Save(dir / HeaderFileName));
    THeaderSections read;
    EXPECT_TRUE(read.Load(dir / HeaderFileName, Labels));
    EXPECT_EQ(read.Sections(), h.Sections());
    // List begin, string "category:", integer 70 as one byte.
    const auto bytes = h.Encode();
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 6);
    EXPECT_EQ(bytes.back(), 0);

    const std::vector<HeaderSection> defaults = {{"Application Name:", 50, 0},
                                                 {"Producer:", 100, 1}};
    for (const std::vector<std::uint8_t>& damaged :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{1, 6, 40}}) {
        test::WriteBytes(dir / HeaderFileName, damaged);
        EXPECT_FALSE(read.Load(dir / HeaderFileName, Labels));
        EXPECT_EQ(read.Sections(), defaults);
    }
    EXPECT_FALSE(read.Load(dir / "missing.dat", Labels));
    EXPECT_EQ(read.Sections(), defaults);
}

class LeftPageTest : public test::BookFixture {
protected:
    void AddRecord(const std::string& name, const std::string& producer, double price = 0) {
        engine::Table& table = window->Database().DataTable;
        table.append();
        window->Database().AssignRecordNumber(table);
        table.setText(db::FirstDataField, name);
        table.setText(db::FirstDataField + 1, producer);
        table.setNumber(db::FirstDataField + 5, price);
        table.setDate(db::FirstDataField + 6, year_month_day{year(2023), month(1), day(2)});
        table.setDate(db::FirstDataField + 7, year_month_day{year(2024), month(3), day(7)});
        table.post();
    }

    TLeftPage* Page() const { return window->LeftPage(); }
    TQuorvanHeader* Head() const { return Page()->Header(); }

    QStringList RowTexts(int row) const {
        QStringList texts;
        for (const auto& column : Page()->RowButtons()[static_cast<std::size_t>(row)]->Columns()) {
            texts << column.Text;
        }
        return texts;
    }

    int SelectedRow() const {
        const auto& rows = Page()->RowButtons();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i]->Selected()) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Three records, the first shown.
    void OpenWithRecords() {
        Open();
        AddRecord("Compiler", "Acme", 1234.5);
        AddRecord("Debugger", "Bugs Inc");
        AddRecord("Editor", "Acme");
        window->RecordPage()->ShowRecordAt(0);
    }
};

TEST_F(LeftPageTest, AnEmptyTableShowsNoTextAndNoSelectedRow) {
    Open();
    ASSERT_GT(Page()->RowButtons().size(), 3u);
    for (std::size_t r = 0; r < Page()->RowButtons().size(); ++r) {
        EXPECT_EQ(RowTexts(static_cast<int>(r)), (QStringList{QString(), QString()}));
    }
    EXPECT_EQ(SelectedRow(), -1);
}

TEST_F(LeftPageTest, RowsShowThePageAndTheShownRecordsRow) {
    OpenWithRecords();
    EXPECT_EQ(RowTexts(0), (QStringList{"Compiler", " Acme"}));
    // The default columns: 50 pixels, and the rest of the header.
    const int headerWidth = Head()->width();
    const auto& columns = Page()->RowButtons()[0]->Columns();
    EXPECT_EQ(columns[0].Percent, qRound(50 * 100.0 / headerWidth));
    EXPECT_EQ(columns[1].Percent, qRound((headerWidth - 50) * 100.0 / headerWidth));
    EXPECT_EQ(RowTexts(2), (QStringList{"Editor", " Acme"}));
    EXPECT_EQ(RowTexts(3), (QStringList{QString(), QString()}));
    EXPECT_TRUE(Page()->RowButtons()[3]->isEnabled());
    EXPECT_EQ(SelectedRow(), 0);

    QTest::mouseClick(Page()->RowButtons()[2], Qt::LeftButton);
    EXPECT_EQ(window->RecordPage()->RecordPosition(), 3);
    EXPECT_EQ(Find<QLineEdit>("L1")->text(), QStringLiteral("Editor"));
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_EQ(window->Navigator()->CurrentRow(), 2);

    window->Navigator()->SetPageStart(1);
    window->Navigator()->RedrawPage();
    EXPECT_EQ(RowTexts(0), (QStringList{"Debugger", " Bugs Inc"}));
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(LeftPageTest, DatesInTheirFieldsFormatAndNumbersRightAligned) {
    settings.DateFormats.Lines = {{0}, {1}, {2}};
    OpenWithRecords();
    Head()->InsertField(7);
    Head()->InsertField(5);
    const auto& columns = Page()->RowButtons()[0]->Columns();
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[2].Text, QStringLiteral(" 07/03/2024"));
    EXPECT_EQ(columns[3].Text, QStringLiteral(" 1,234.50"));
    EXPECT_TRUE(columns[3].RightAligned);
    EXPECT_FALSE(columns[2].RightAligned);

    // A new format for field 8 reaches its editor, the list and "date.dat".
    auto* installed = Find<editors::TDateEdit>("L8");
    window->Fields()->ChangeDateFormat(installed, 2);
    EXPECT_EQ(installed->DisplayFormat(), QStringLiteral("yyyy/mm/dd"));
    EXPECT_EQ(installed->text(), QStringLiteral("2024/03/07"));
    EXPECT_EQ(Page()->RowButtons()[0]->Columns()[2].Text, QStringLiteral(" 2024/03/07"));
    settings::Settings read;
    read.DataDir = dataDir;
    settings::ReadDateFormats(read);
    ASSERT_EQ(read.DateFormats.Lines.size(), 3u);
    EXPECT_EQ(read.DateFormats.Lines[1].Format, 2);
}

TEST_F(LeftPageTest, ADateFormatThatCannotBeSavedIsReportedAndStillApplies) {
    settings.DateFormats.Lines = {{0}, {0}, {0}};
    // Nothing can replace a directory of that name.
    std::filesystem::create_directories(dataDir / "date.dat");
    OpenWithRecords();
    auto* installed = Find<editors::TDateEdit>("L8");
    window->Fields()->ChangeDateFormat(installed, 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(messages[0].text, "Could not Save Options to a File!");
    EXPECT_EQ(installed->DisplayFormat(), QStringLiteral("yyyy/mm/dd"));
    EXPECT_TRUE(std::filesystem::is_directory(dataDir / "date.dat"));
}

TEST_F(LeftPageTest, HeaderChangesRebuildTheRows) {
    OpenWithRecords();
    const auto percent = [this](int i) { return Page()->RowButtons()[0]->Columns()[i].Percent; };

    Head()->InsertField(2);
    EXPECT_EQ(RowTexts(0).size(), 3);
    EXPECT_EQ(Head()->Captions().back(), QStringLiteral("Category:"));

    // Drag the first section onto the second.
    const int y = Head()->height() / 2;
    QWidget* area = Head()->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(20, y));
    QTest::mouseMove(area, QPoint(70, y));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(80, y));
    EXPECT_EQ(Head()->Captions().first(), QStringLiteral("Producer:"));
    EXPECT_EQ(RowTexts(0).first(), QStringLiteral("Acme"));
    EXPECT_EQ(RowTexts(0)[1], QStringLiteral(" Compiler"));

    const int before = percent(0);
    Head()->resizeSection(0, Head()->sectionSize(0) + 60);
    EXPECT_GT(percent(0), before);
    EXPECT_EQ(percent(0), Head()->ColumnPercent(0));

    Head()->RemoveField(QStringLiteral("Producer:"));
    EXPECT_EQ(RowTexts(0), (QStringList{"Compiler", " "}));
}

// The row menu's "Font...": the dialog opens on the list's font as it is drawn, and the new
// rows show the page at once.
TEST_F(LeftPageTest, TheListFontDialogKeepsTheFontAndTheRowsFilled) {
    OpenWithRecords();
    const QFont drawn = Page()->RowButtons()[0]->font();
    struct Case {
        int size; // 0: OK without a change
        int expectedSize;
    };
    for (const Case c : {Case{0, 10}, Case{16, 16}}) {
        platform::SetDialogHook([&c, &drawn](QDialog& dialog) {
            auto& fonts = dynamic_cast<QFontDialog&>(dialog);
            EXPECT_EQ(fonts.currentFont().family(), QFontInfo(drawn).family());
            EXPECT_TRUE(fonts.currentFont().bold());
            EXPECT_EQ(fonts.currentFont().pointSize(), 10);
            if (c.size > 0) {
                QFont larger = fonts.currentFont();
                larger.setPointSize(c.size);
                fonts.setCurrentFont(larger);
            }
            return int(QDialog::Accepted);
        });
        window->Commands().Item(QStringLiteral("RowFont1"))->trigger();
        platform::SetDialogHook(nullptr);
        EXPECT_TRUE(settings.RecordButtonFont.Bold) << c.size;
        EXPECT_EQ(settings.RecordButtonFont.Size, c.expectedSize);
        EXPECT_EQ(Page()->RowButtons()[0]->font().pointSize(), c.expectedSize);
        EXPECT_EQ(RowTexts(0), (QStringList{"Compiler", " Acme"})) << c.size;
        EXPECT_EQ(RowTexts(2), (QStringList{"Editor", " Acme"})) << c.size;
        EXPECT_EQ(SelectedRow(), 0);
        // Back to the first font for the next case.
        settings.RecordButtonFont.Size = 10;
        window->ApplyFonts();
    }
}

TEST_F(LeftPageTest, TheHeaderMenuOffersFieldsThatAreNoColumns) {
    Open();
    Head()->PrepareMenu();
    const auto items = [this](const char* title) {
        QStringList texts;
        for (QAction* action : Head()->Menu()->actions()) {
            if (action->text() == QLatin1String(title)) {
                for (QAction* item : action->menu()->actions()) {
                    texts << item->text();
                }
            }
        }
        return texts;
    };
    EXPECT_EQ(items("&Remove Field"), (QStringList{"Application Name:", "Producer:"}));
    const QStringList insert = items("&Insert New Field");
    EXPECT_EQ(insert.size(), 24 - 2 - 3); // no logo, notes or picture
    EXPECT_FALSE(insert.contains(QStringLiteral("Notes:")));
    EXPECT_FALSE(insert.contains(QStringLiteral("Picture:")));
}

TEST_F(LeftPageTest, HeaderFileAndTemplatesRoundTrip) {
    Open();
    Head()->InsertField(2);
    Head()->MoveSection(2, 0);
    const QStringList arranged = Head()->Captions();
    Close();
    ASSERT_TRUE(std::filesystem::exists(dataDir / HeaderFileName));
    Open();
    EXPECT_EQ(Head()->Captions(), arranged);

    settings::TTemplateList templates(settings::HeaderTemplates, dataDir);
    Head()->SetTemplates(&templates);
    ASSERT_TRUE(templates.AddTemplate("Three columns"));
    Head()->RemoveField(QStringLiteral("Producer:"));
    Head()->PrepareMenu();
    EXPECT_EQ(Head()->Captions().size(), 2);
    ASSERT_TRUE(templates.LoadTemplate("Three columns"));
    EXPECT_EQ(Head()->Captions(), arranged);
    EXPECT_TRUE(std::filesystem::exists(dataDir / templates.TemplateAt(0).FileName));
}

} // namespace
} // namespace shelfwise::book
