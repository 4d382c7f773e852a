#include "book/LabelMenu.h"

#include "BookFixture.h"
#include "book/ColorDlg.h"
#include "book/ColorGrid.h"
#include "book/Colors.h"
#include "book/LeftPage.h"
#include "book/ListHeader.h"
#include "book/LoadLabelsDlg.h"
#include "book/SortButton.h"
#include "db/RecordSchema.h"
#include "platform/Dialogs.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace shelfwise::book {
namespace {

using Labels = std::vector<std::string>;

class LabelMenuTest : public test::BookFixture {
protected:
    LabelMenuTest() : templates(settings::LabelTemplates, dataDir) {}
    ~LabelMenuTest() override { platform::SetDialogHook(nullptr); }

    TSoftwareBookWindow& OpenWithTemplates() {
        auto& w = Open();
        w.SetLabelTemplates(&templates);
        return w;
    }

    QLabel* FieldLabel(int field) const {
        return Find<QLabel>(QStringLiteral("FieldLabel%1").arg(field).toLatin1().constData());
    }

    // Clicks the field's label and picks a menu item; a text question gets `typed`, nothing
    // cancels it, and the template dialog is handed to `loadDialog`.
    void Choose(int field, const char* item, std::optional<QString> typed = {},
                std::function<void(TLoadLabelsDlg&)> loadDialog = {}) {
        platform::SetDialogHook([&](QDialog& dialog) {
            if (auto* load = dynamic_cast<TLoadLabelsDlg*>(&dialog)) {
                loadDialog(*load);
                return load->result();
            }
            auto& input = dynamic_cast<QInputDialog&>(dialog);
            askedInitial = input.textValue();
            if (!typed) {
                return int(QDialog::Rejected);
            }
            input.setTextValue(*typed);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(FieldLabel(field), Qt::LeftButton);
        TLabelMenu* menu = window->LabelMenu();
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(menu->Subject(), field);
        menu->findChild<QAction*>(QString::fromLatin1(item))->trigger();
        menu->hide();
        platform::SetDialogHook(nullptr);
    }

    Labels LabelsFile() const {
        return settings::ReadLabelFile(dataDir / settings::LabelsFileName).value_or(Labels{});
    }

    settings::TTemplateList templates;
    QString askedInitial;
};

TEST_F(LabelMenuTest, DesignedCaptionsAreTheLabelsWithoutWritingTheFile) {
    Open();
    ASSERT_EQ(settings.FieldLabels.size(), 24u);
    EXPECT_EQ(settings.FieldLabels[1], "Producer:");
    EXPECT_EQ(settings.FieldLabels[23], "Picture:");
    EXPECT_FALSE(std::filesystem::exists(dataDir / settings::LabelsFileName));
}

TEST_F(LabelMenuTest, RenamedLabelShowsOnThePageTheHeaderAndTheSortButtonAndIsSaved) {
    auto& w = Open();
    TQuorvanHeader* header = w.LeftPage()->Header();
    ASSERT_EQ(header->Captions().value(1), QStringLiteral("Producer:"));
    const auto widths = [header] {
        std::vector<int> result;
        for (const HeaderSection& section : header->Sections().Sections()) {
            result.push_back(section.Width);
        }
        return result;
    };
    const std::vector<int> before = widths();
    // Sorted by the producer field, descending.
    w.Database().Index.Sort.PrimaryField = 1 + db::FirstDataField;
    w.Database().Index.Sort.PrimaryDescending = true;

    Choose(2, "LabelText1", QStringLiteral("Maker:"));

    EXPECT_EQ(askedInitial, QStringLiteral("Producer:"));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Maker:"));
    EXPECT_EQ(header->Captions(),
              (QStringList{QStringLiteral("Application Name:"), QStringLiteral("Maker:")}));
    EXPECT_EQ(widths(), before);
    EXPECT_EQ(w.LeftPage()->SortButton()->PrimaryPart()->text(), QStringLiteral("Maker:"));
    EXPECT_EQ(w.LeftPage()->SortButton()->SecondaryPart()->text(), QStringLiteral("NONE"));
    const Labels saved = LabelsFile();
    ASSERT_EQ(saved.size(), 24u);
    EXPECT_EQ(saved[1], "Maker:");
    EXPECT_EQ(saved[0], "Application Name:");

    // The next run reads the file at start-up and shows the new label.
    Close();
    settings.FieldLabels.clear();
    settings::ReloadLabels(settings);
    Open();
    EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Maker:"));
    EXPECT_EQ(window->LeftPage()->Header()->Captions().value(1), QStringLiteral("Maker:"));
}

TEST_F(LabelMenuTest, BlankDuplicateAndCaseOnlyLabelsAreRefused) {
    struct Case {
        const char* Typed;
        const char* Message;
    };
    const Case cases[] = {
        {"", "Empty Labels are not Allowed!"},
        {"  ", "Empty Labels are not Allowed!"},
        {"Producer:", "Duplicate Labels are not Allowed!"},
        {"PRODUCER:", "Duplicate Labels are not Allowed!"},
        {"MEDIA:", "Duplicate Labels are not Allowed!"},
    };
    Open();
    for (const Case& c : cases) {
        messages.clear();
        Choose(2, "LabelText1", QString::fromLatin1(c.Typed));
        ASSERT_EQ(messages.size(), 1u) << c.Typed;
        EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(messages[0].text, c.Message) << c.Typed;
        EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Producer:"));
    }
    // Cancel changes nothing either.
    messages.clear();
    Choose(2, "LabelText1");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(settings.FieldLabels[1], "Producer:");
    EXPECT_FALSE(std::filesystem::exists(dataDir / settings::LabelsFileName));
}

TEST_F(LabelMenuTest, ALabelThatCannotBeSavedIsReportedAndStaysInForce) {
    Open();
    std::filesystem::create_directory(dataDir / settings::LabelsFileName);
    Choose(2, "LabelText1", QStringLiteral("Maker:"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(messages[0].text, "Could not Save Options to a File!");
    EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Maker:"));
}

TEST_F(LabelMenuTest, ColorItemRecoloursAllLabels) {
    Open();
    QStringList choices;
    platform::SetDialogHook([&](QDialog& dialog) {
        auto& colors = dynamic_cast<TColorDlg&>(dialog);
        EXPECT_EQ(colors.windowTitle(), QStringLiteral("Labels"));
        for (QAbstractButton* choice : colors.Choices()->buttons()) {
            choices << choice->text();
        }
        // Palette colour 9 for the text.
        QTest::mouseClick(colors.Grid(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, colors.Grid()->height() * 9 / 16 + 2));
        colors.accept();
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(FieldLabel(5), Qt::LeftButton);
    window->LabelMenu()->findChild<QAction*>(QStringLiteral("LabelColor1"))->trigger();
    platform::SetDialogHook(nullptr);

    EXPECT_EQ(choices, (QStringList{QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")}));
    EXPECT_EQ(settings.Colors[settings::Element::LabelText], 9);
    const QColor text = ElementColor(settings.Colors, settings::Element::LabelText);
    EXPECT_EQ(FieldLabel(1)->palette().color(QPalette::WindowText), text);
    EXPECT_EQ(FieldLabel(24)->palette().color(QPalette::WindowText), text);
}

TEST_F(LabelMenuTest, TemplatesAreSavedLoadedAndDeleted) {
    OpenWithTemplates();
    Choose(1, "LabelSave1", QStringLiteral("Original"));
    ASSERT_EQ(templates.Count(), 1u);
    EXPECT_EQ(settings::ReadLabelFile(dataDir / "tml1.lab"), settings.FieldLabels);
    Choose(1, "LabelSave1", QStringLiteral("Original"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Duplicate name - Template Not Saved!");
    EXPECT_EQ(templates.Count(), 1u);

    Choose(1, "LabelText1", QStringLiteral("Title:"));
    Choose(3, "LabelText1", QStringLiteral("Kind:"));
    Choose(1, "LabelLoad1", {}, [](TLoadLabelsDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Load Labels From Template"));
        EXPECT_EQ(dialog.Names()->currentItem()->text(), QStringLiteral("Original"));
        EXPECT_TRUE(dialog.DeleteButton()->isDefault());
        dialog.OkButton()->click();
    });
    EXPECT_EQ(FieldLabel(1)->text(), QStringLiteral("Application Name:"));
    EXPECT_EQ(FieldLabel(3)->text(), QStringLiteral("Category:"));
    EXPECT_EQ(LabelsFile(), settings.FieldLabels);

    answer = platform::MessageAnswer::Yes;
    messages.clear();
    Choose(1, "LabelLoad1", {}, [](TLoadLabelsDlg& dialog) {
        dialog.DeleteButton()->click();
        EXPECT_EQ(dialog.Names()->count(), 0);
        dialog.OkButton()->click();
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Delete Selected Template?");
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Confirmation);
    EXPECT_EQ(templates.Count(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dataDir / "tml1.lab"));
    EXPECT_EQ(FieldLabel(1)->text(), QStringLiteral("Application Name:"));
}

TEST_F(LabelMenuTest, AShortTemplateRelabelsTheFirstFieldsAndTheOthersKeepTheirLabels) {
    OpenWithTemplates();
    Choose(1, "LabelSave1", QStringLiteral("Short"));
    ASSERT_TRUE(settings::WriteLabelFile(dataDir / "tml1.lab", {"Title:", "Maker:"}));
    Choose(4, "LabelLoad1", {}, [](TLoadLabelsDlg& dialog) { dialog.OkButton()->click(); });

    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(settings.FieldLabels.size(), 24u);
    EXPECT_EQ(settings.FieldLabels[0], "Title:");
    EXPECT_EQ(settings.FieldLabels[1], "Maker:");
    EXPECT_EQ(settings.FieldLabels[2], "Category:");
    EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Maker:"));
    EXPECT_EQ(FieldLabel(24)->text(), QStringLiteral("Picture:"));
    EXPECT_EQ(LabelsFile(), settings.FieldLabels);
}

TEST_F(LabelMenuTest, ATemplateWhoseFileIsGoneFailsAndTheLabelsStay) {
    OpenWithTemplates();
    Choose(2, "LabelText1", QStringLiteral("Maker:"));
    Choose(1, "LabelSave1", QStringLiteral("Gone"));
    std::filesystem::remove(dataDir / "tml1.lab");
    const Labels before = settings.FieldLabels;
    messages.clear();
    Choose(1, "LabelLoad1", {}, [](TLoadLabelsDlg& dialog) { dialog.OkButton()->click(); });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error Loading Template.");
    EXPECT_EQ(settings.FieldLabels, before);
    EXPECT_EQ(FieldLabel(2)->text(), QStringLiteral("Maker:"));
}

} // namespace
} // namespace shelfwise::book
