#include "BookFixture.h"
#include "book/ColorDlg.h"
#include "book/ColorGrid.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/LoadColorsDlg.h"
#include "book/RightPage.h"
#include "book/SpeedBar.h"
#include "settings/ColorTemplates.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace shelfwise::book {
namespace {

using settings::Element;
using settings::ElementColors;
using test::Bytes;
using test::ReadBytes;

QColor Rgb(std::uint8_t index) {
    return QColor::fromRgb(settings::Palette16[index]);
}

class ColorsTest : public test::BookFixture {
protected:
    // Every element a colour of its own where the palette allows.
    static ElementColors Distinct(std::uint8_t shift) {
        ElementColors colors;
        for (std::size_t i = 0; i < settings::ElementCount; ++i) {
            colors.Indexes[i] = static_cast<std::uint8_t>((i + shift) % settings::PaletteSize);
        }
        return colors;
    }

    QColor Background(const char* name, QPalette::ColorRole role = QPalette::Window) const {
        return Find<QWidget>(name)->palette().color(role);
    }
    QColor Text(const char* name, QPalette::ColorRole role = QPalette::WindowText) const {
        return Find<QWidget>(name)->palette().color(role);
    }

    // Checks every coloured element of the window against `c`.
    void ExpectWindowColors(const ElementColors& c) {
        const auto e = [&c](Element element) { return Rgb(c[element]); };
        const TFormatedButton* row = window->LeftPage()->RowButtons().front();
        EXPECT_EQ(row->TextColor(), e(Element::RowText));
        EXPECT_EQ(row->BackgroundColor(), e(Element::RowBackground));
        EXPECT_EQ(row->SelectedTextColor(), e(Element::SelectedRowText));
        EXPECT_EQ(row->SelectedBackgroundColor(), e(Element::SelectedRowBackground));
        // No letter holds records without a database.
        const TColorButton* tab = window->LetterBar()->Tab(3);
        EXPECT_EQ(tab->TextColor(), e(Element::EmptyTabText));
        EXPECT_EQ(tab->BackgroundColor(), e(Element::EmptyTabBackground));
        EXPECT_EQ(tab->SelectedTextColor(), e(Element::SelectedTabText));
        EXPECT_EQ(tab->SelectedBackgroundColor(), e(Element::SelectedTabBackground));
        EXPECT_EQ(Text("QuorvanHeader1"), e(Element::LeftLabelsText));
        EXPECT_EQ(Background("QuorvanHeader1"), e(Element::LeftLabelsBackground));
        EXPECT_EQ(Background("Panel1"), e(Element::LeftPage));
        EXPECT_EQ(Background("PageControl1"), e(Element::SpeedBar));
        EXPECT_EQ(Background("TabSheet2"), e(Element::SpeedBar));
        EXPECT_EQ(Background("ClientArea"), e(Element::WindowBackground));
        EXPECT_EQ(Text("L1", QPalette::Text), e(Element::TextFieldText));
        EXPECT_EQ(Background("L1", QPalette::Base), e(Element::TextFieldBackground));
        EXPECT_EQ(Background("L2", QPalette::Base), e(Element::TextFieldBackground));
        EXPECT_EQ(Text("L23", QPalette::Text), e(Element::MultiLineText));
        EXPECT_EQ(Background("L23", QPalette::Base), e(Element::MultiLineBackground));
        EXPECT_EQ(Text("FieldLabel5"), e(Element::LabelText));
        EXPECT_EQ(Background("FieldLabel5"), e(Element::LabelBackground));
        EXPECT_EQ(Text("L6", QPalette::Text), e(Element::CurrencyPositiveText));
        EXPECT_EQ(Background("L6", QPalette::Base), e(Element::CurrencyBackground));
        EXPECT_EQ(Background("Notebook1"), e(Element::RecordPages));
        EXPECT_EQ(Background("PgR3"), e(Element::RecordPages));
        EXPECT_EQ(Background("Panel2"), e(Element::RecordSpeedBar));
        EXPECT_EQ(Background("PgR_Lbl"), e(Element::RecordSpeedBar));
        EXPECT_EQ(Text("Perc_Lbl"), e(Element::LabelText));
        EXPECT_EQ(Background("PgRight"), e(Element::RightPage));
        EXPECT_EQ(Background("RStatus"), e(Element::RightPage));
    }
};

TEST_F(ColorsTest, TheDatabaseColourListIsReadAtCreation) {
    const ElementColors stored = Distinct(3);
    ASSERT_TRUE(settings::SaveElementColors(dataDir / "color.lst", stored));
    Open();
    EXPECT_EQ(settings.Colors, stored);
    ExpectWindowColors(stored);
}

TEST_F(ColorsTest, ApplyColorsPaintsEveryElement) {
    auto& w = Open();
    ExpectWindowColors(ElementColors{});
    settings.Colors = Distinct(5);
    w.ApplyColors();
    ExpectWindowColors(settings.Colors);
}

TEST_F(ColorsTest, ReadOnlyAccessGreysTheEditorsButKeepsCurrencyValueColours) {
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    auto& w = Open();
    settings.Colors = Distinct(5);
    w.ApplyColors();
    const QPalette system = QApplication::palette();
    EXPECT_EQ(Background("L1", QPalette::Base), system.color(QPalette::Base));
    EXPECT_EQ(Text("L1", QPalette::Text), system.color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(Text("L6", QPalette::Text), Rgb(settings.Colors[Element::CurrencyPositiveText]));
}

TEST_F(ColorsTest, LoadingATemplateRecoloursTheWindow) {
    auto& w = Open();
    settings::TColorTemplates templates;
    ASSERT_TRUE(templates.AddColorTemplate("Plain", ElementColors{}));
    ASSERT_TRUE(templates.AddColorTemplate("Bright", Distinct(7)));
    ASSERT_TRUE(templates.SaveColorTemplates(dataDir / "color_t.tml"));

    TLoadColorsDlg dialog(settings, &w);
    ASSERT_EQ(dialog.Names()->count(), 2);
    EXPECT_EQ(dialog.Names()->currentRow(), 0);
    dialog.Names()->setCurrentRow(1);
    dialog.accept();
    EXPECT_EQ(settings.Colors, Distinct(7));
    w.ApplyColors();
    ExpectWindowColors(Distinct(7));
}

TEST_F(ColorsTest, ATemplateColourThatCannotBeReadKeepsTheElementsColour) {
    Open();
    settings::TColorTemplates templates;
    ASSERT_TRUE(templates.AddColorTemplate("Bright", Distinct(7)));
    ASSERT_TRUE(templates.SaveColorTemplates(dataDir / "color_t.tml"));
    // The speed bar's byte (element 13, after the list marker and the name) is damaged.
    test::Bytes file = test::ReadBytes(dataDir / "color_t.tml");
    file[1 + 1 + 6 + 13] = 99;
    test::WriteBytes(dataDir / "color_t.tml", file);
    settings.Colors[Element::SpeedBar] = 11;

    TLoadColorsDlg dialog(settings, nullptr);
    dialog.accept();
    ElementColors expected = Distinct(7);
    expected[Element::SpeedBar] = 11;
    EXPECT_EQ(settings.Colors, expected);
}

TEST_F(ColorsTest, DeletingTemplatesReachesTheFileOnlyWithOk) {
    settings::TColorTemplates templates;
    for (const char* name : {"One", "Two", "Three"}) {
        ASSERT_TRUE(templates.AddColorTemplate(name, ElementColors{}));
    }
    ASSERT_TRUE(templates.SaveColorTemplates(dataDir / "color_t.tml"));
    const Bytes saved = ReadBytes(dataDir / "color_t.tml");

    {
        TLoadColorsDlg dialog(settings, nullptr);
        dialog.Names()->setCurrentRow(2);
        dialog.DeleteButton()->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Delete Selected Color Template?");
        EXPECT_EQ(messages[0].kind, platform::MessageKind::Confirmation);
        // The last one went: the selection moves to the one before.
        EXPECT_EQ(dialog.Names()->count(), 2);
        EXPECT_EQ(dialog.Names()->currentRow(), 1);
        dialog.reject();
    }
    EXPECT_EQ(ReadBytes(dataDir / "color_t.tml"), saved);

    {
        TLoadColorsDlg dialog(settings, nullptr);
        dialog.Names()->setCurrentRow(0);
        answer = platform::MessageAnswer::No;
        dialog.DeleteButton()->click();
        EXPECT_EQ(dialog.Names()->count(), 3);
        answer = platform::MessageAnswer::Yes;
        dialog.DeleteButton()->click();
        EXPECT_EQ(dialog.Names()->currentRow(), 0);
        EXPECT_EQ(dialog.Names()->currentItem()->text(), QStringLiteral("Two"));
        dialog.accept();
    }
    templates.LoadColorTemplates(dataDir / "color_t.tml");
    ASSERT_EQ(templates.Count(), 2u);
    EXPECT_EQ(templates.At(0).Name, "Two");
}

TEST_F(ColorsTest, ColorDialogSetsAtOnceCancelRestoresOkSaves) {
    const ElementColors before = settings.Colors;
    {
        TColorDlg dialog(settings, static_cast<std::size_t>(Element::LabelText), nullptr);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Colors"));
        EXPECT_EQ(dialog.Grid()->Selected(), 12); // navy label text
        dialog.Choices()->button(1)->click();
        EXPECT_EQ(dialog.Grid()->Selected(), 1);
        QTest::mouseClick(dialog.Grid(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, dialog.Grid()->height() * 10 / 16 + 2));
        EXPECT_EQ(settings.Colors[Element::LabelBackground], 10);
        EXPECT_TRUE(dialog.Changed());
        dialog.reject();
    }
    EXPECT_EQ(settings.Colors, before);
    EXPECT_FALSE(std::filesystem::exists(dataDir / "color.lst"));

    {
        TColorDlg dialog(settings, static_cast<std::size_t>(Element::RowText), nullptr);
        dialog.SetChoices({QStringLiteral("Text Color"), QStringLiteral("Bgnd Color"),
                           QStringLiteral("Selected Button Text Color"),
                           QStringLiteral("Selected Button Bgnd Color")});
        dialog.Choices()->button(3)->click();
        EXPECT_EQ(dialog.Grid()->Selected(), 14);
        QTest::mouseClick(dialog.Grid(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, dialog.Grid()->height() * 14 / 16 + 2));
        EXPECT_FALSE(dialog.Changed()); // the same colour again
        QTest::mouseClick(dialog.Grid(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 2));
        EXPECT_TRUE(dialog.Changed());
        dialog.accept();
    }
    EXPECT_EQ(settings.Colors[Element::SelectedRowBackground], 0);
    ElementColors saved;
    ASSERT_TRUE(settings::LoadElementColors(dataDir / "color.lst", saved));
    EXPECT_EQ(saved, settings.Colors);
}

} // namespace
} // namespace shelfwise::book
