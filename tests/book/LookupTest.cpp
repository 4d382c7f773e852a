#include "editors/Lookup.h"

#include "BookFixture.h"
#include "book/EditMenu.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "db/RecordSchema.h"
#include "editors/DateEdit.h"
#include "engine/TableOperations.h"
#include "settings/SettingsFiles.h"

#include <QDate>
#include <QLineEdit>
#include <QTest>
#include <gmock/gmock.h>

namespace shelfwise::book {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int VersionDate = db::FirstDataField + 6; // field 7
constexpr int InstallDate = db::FirstDataField + 7; // field 8

class LookupTest : public test::BookFixture {
protected:
    // Appends the values to a list table of the database directory, made from the template
    // when missing.
    void AddToList(const char* source, std::initializer_list<const char*> values) {
        if (!engine::tableExists(dataDir, source)) {
            engine::copyTable(programDir, db::ListTemplateName, dataDir, source);
        }
        engine::Table table;
        table.setDirectory(dataDir);
        table.setFileName(source);
        table.open();
        for (const char* value : values) {
            table.append();
            table.setText(0, value);
            table.post();
        }
    }

    // The list table's records in physical order, as another program reads them.
    std::vector<std::string> Stored(const char* source) const {
        engine::Table table;
        table.setDirectory(dataDir);
        table.setFileName(source);
        table.open();
        std::vector<std::string> values;
        for (table.first(); !table.atEnd(); table.next()) {
            values.push_back(table.text(0));
        }
        return values;
    }

    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        return items;
    }
};

TEST_F(LookupTest, ChoicesComeFromTheListTableInTagOrderAndARefreshReloadsThem) {
    AddToList("list1.dbf", {"Zeta", "Acme", "Mega"});
    Open();
    auto* producer = Find<editors::TLookup>("L2");
    EXPECT_EQ(Items(producer), (QStringList{"Acme", "Mega", "Zeta"}));
    // The lists that were missing were made from the template, empty.
    for (const char* source :
         {"list2.dbf", "list3.dbf", "list4.dbf", "list5.dbf", "list6.dbf", "list7.dbf"}) {
        EXPECT_THAT(Stored(source), IsEmpty()) << source;
    }

    producer->setEditText(QStringLiteral("Typed"));
    AddToList("list1.dbf", {"Beta"});
    EXPECT_EQ(producer->count(), 3);
    window->Fields()->RefreshLists();
    EXPECT_EQ(Items(producer), (QStringList{"Acme", "Beta", "Mega", "Zeta"}));
    EXPECT_EQ(producer->currentText(), QStringLiteral("Typed"));
    EXPECT_THAT(messages, IsEmpty());
}

TEST_F(LookupTest, ATypedValueJoinsTheListOnceWhenTheFieldIsLeft) {
    auto& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* producer = Find<editors::TLookup>("L2");
    auto* name = Find<QLineEdit>("L1");

    producer->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(producer, "Novell");
    name->setFocus(Qt::TabFocusReason);
    EXPECT_THAT(Stored("list1.dbf"), ElementsAre("Novell"));
    EXPECT_EQ(Items(producer), QStringList{"Novell"});

    // Entering puts the caret at the start; leaving again adds nothing.
    producer->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(producer->lineEdit()->cursorPosition(), 0);
    EXPECT_FALSE(producer->lineEdit()->hasSelectedText());
    name->setFocus(Qt::TabFocusReason);
    EXPECT_THAT(Stored("list1.dbf"), ElementsAre("Novell"));

    // A value typed just before the window closes is kept too.
    producer->setFocus(Qt::TabFocusReason);
    producer->lineEdit()->clear();
    QTest::keyClicks(producer, "Lotus");
    Close();
    EXPECT_THAT(Stored("list1.dbf"), ElementsAre("Novell", "Lotus"));
}

TEST_F(LookupTest, AutoFillCompletesFromTheFirstMatchingChoiceWhileTheOptionIsOn) {
    AddToList("list4.dbf", {"Windows NT", "Windows 95"});
    struct Case {
        bool autoFill;
        const char* typed;
        const char* text;
        const char* selected;
    };
    const Case cases[] = {
        {true, "Windows N", "Windows NT", "T"},
        {true, "Win", "Windows 95", "dows 95"},
        {true, "w", "w", ""}, // case counts
        {false, "Windows N", "Windows N", ""},
    };
    auto& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* system = Find<editors::TLookup>("L10");
    system->setFocus(Qt::TabFocusReason);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        settings.AutoFill = c.autoFill;
        system->lineEdit()->clear();
        QTest::keyClicks(system, c.typed);
        EXPECT_EQ(system->currentText(), QString::fromLatin1(c.text));
        EXPECT_EQ(system->lineEdit()->selectedText(), QString::fromLatin1(c.selected));
    }
}

TEST_F(LookupTest, TheListMenuOffersAutoFillAsAnOptionThatIsSavedAndEditList) {
    settings.AutoFill = false;
    auto& w = Open();
    TEditMenu* menu = w.Fields()->ListEditMenu();
    menu->Prepare(Find<editors::TLookup>("L2"));
    QAction* editList = menu->Item(QStringLiteral("&Edit List..."));
    QAction* autoFill = menu->Item(QStringLiteral("Auto-F&ill"));
    ASSERT_NE(editList, nullptr);
    ASSERT_NE(autoFill, nullptr);
    EXPECT_TRUE(editList->isVisible());
    EXPECT_TRUE(editList->isEnabled());
    EXPECT_FALSE(autoFill->isChecked());
    autoFill->trigger();
    EXPECT_TRUE(settings.AutoFill);
    menu->Prepare(Find<editors::TLookup>("L2"));
    EXPECT_TRUE(autoFill->isChecked());
    EXPECT_EQ(w.Fields()->TextEditMenu()->Item(QStringLiteral("Auto-F&ill")), nullptr);
    Close();

    settings::Settings read;
    read.DatabaseDir = dataDir;
    read.AutoFill = false;
    settings::ReadUiOptions(read);
    EXPECT_TRUE(read.AutoFill);
}

TEST_F(LookupTest, AStoredTemplateDateMarkerBecomesTodayOnlyWhileFillingFromATemplate) {
    auto& w = Open();
    engine::Table& copy = w.Database().CopyTable;
    copy.first();
    copy.edit();
    copy.setDate(VersionDate, std::chrono::year_month_day{std::chrono::year(2001),
                                                          std::chrono::March, std::chrono::day(4)});
    copy.setDate(InstallDate, editors::TemplateDateMarker);
    copy.post();
    auto* version = Find<editors::TDateEdit>("L7");
    auto* install = Find<editors::TDateEdit>("L8");

    w.RecordPage()->FillEditors(copy);
    EXPECT_EQ(install->text(), QStringLiteral("12/31/1899"));

    w.RecordPage()->FillingFromTemplate = true;
    const QString before = QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"));
    w.RecordPage()->FillEditors(copy);
    const QString after = QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"));
    EXPECT_THAT(install->text().toStdString(),
                ::testing::AnyOf(before.toStdString(), after.toStdString()));
    EXPECT_EQ(version->text(), QStringLiteral("03/04/2001"));
}

TEST_F(LookupTest, WithoutTheListTemplateEveryListFieldIsEmptyAndTheUserIsTold) {
    std::filesystem::remove(programDir / "list.dbf");
    auto& w = Open();
    std::vector<std::string> texts;
    for (const platform::Message& m : messages) {
        texts.push_back(m.text);
    }
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[0],
              "Error! Could not create a list file: \n" + (dataDir / "list1.dbf").string());
    EXPECT_EQ(texts[6],
              "Error! Could not create a list file: \n" + (dataDir / "list7.dbf").string());
    auto* producer = Find<editors::TLookup>("L2");
    EXPECT_EQ(producer->count(), 0);
    // The field still takes a value, and the record keeps it.
    producer->setEditText(QStringLiteral("Novell"));
    Find<QLineEdit>("L1")->setText(QStringLiteral("Netware"));
    EXPECT_TRUE(w.CommitRecord());
    w.Database().DataTable.first();
    EXPECT_EQ(w.Database().DataTable.text(db::FirstDataField + 1), "Novell");
    Close();
    EXPECT_FALSE(engine::tableExists(dataDir, "list1.dbf"));
}

} // namespace
} // namespace shelfwise::book
