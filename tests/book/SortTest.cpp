#include "SortedBook.h"
#include "book/SortButton.h"
#include "book/SortDlg.h"
#include "book/SortRules.h"
#include "book/SpeedBar.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QRadioButton>

namespace shelfwise::book {
namespace {

using test::NameField;
using test::PriceField;
using test::ProducerField;
constexpr int LogoField = NameField + 10; // a picture

db::TFieldClasses Classes() {
    db::TFieldClasses fields;
    fields.TextFields.set(NameField).set(ProducerField);
    fields.PictureFields.set(LogoField);
    return fields;
}

db::SortValues Sort(int primary, bool down1, int secondary, bool down2) {
    return {static_cast<std::uint8_t>(primary), down1, static_cast<std::uint8_t>(secondary), down2};
}

TEST(SortRulesTest, EveryChangeKeepsTheRules) {
    const db::TFieldClasses fields = Classes();
    const TSortRules rules(fields);
    struct Case {
        const char* what;
        db::SortValues got;
        db::SortValues expected;
    };
    const Case cases[] = {
        {"entry order clears the secondary",
         rules.ChoosePrimary(Sort(NameField, true, PriceField, true), 0), Sort(0, true, 0, true)},
        {"the secondary field chosen as primary leaves none",
         rules.ChoosePrimary(Sort(NameField, false, ProducerField, false), ProducerField),
         Sort(ProducerField, false, 0, false)},
        {"two text fields take the primary direction",
         rules.ChoosePrimary(Sort(PriceField, true, NameField, false), ProducerField),
         Sort(ProducerField, true, NameField, true)},
        {"a text secondary under a text primary follows it",
         rules.ChooseSecondary(Sort(NameField, true, 0, false), ProducerField),
         Sort(NameField, true, ProducerField, true)},
        {"inverting the primary inverts a tied secondary",
         rules.InvertPrimary(Sort(NameField, false, ProducerField, false)),
         Sort(NameField, true, ProducerField, true)},
        {"a number secondary keeps its own direction",
         rules.InvertPrimary(Sort(NameField, false, PriceField, false)),
         Sort(NameField, true, PriceField, false)},
        {"the secondary direction alone",
         rules.InvertSecondary(Sort(NameField, false, PriceField, false)),
         Sort(NameField, false, PriceField, true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.expected) << c.what;
    }
    EXPECT_FALSE(rules.Sortable(LogoField));
    EXPECT_TRUE(rules.Sortable(PriceField));
}

// Five titles in entry order; letter tabs off, so the list shows them all.
class SortTest : public test::SortedBook {
protected:
    void OpenTitles() {
        settings.LetterTabs = settings::opt::LetterTabs::DontUse;
        OpenWith({{"Delta", "Acme", 30},
                  {"alpha", "Zeta", 10},
                  {"Charlie", "Acme", 20},
                  {"Bravo", "Zeta", 15},
                  {"Echo", "Acme", 10}});
        window->RecordPage()->ShowRecordAt(0);
        // Every re-open of the record table recounts the letters.
        window->Database().Index.RecountLetters = [this] {
            ++reopens;
            window->RecountLetters();
        };
    }
    TSortButton& Button() const { return *window->LeftPage()->SortButton(); }
    QString Label(int position) const {
        return QString::fromStdString(settings.FieldLabels[position - db::FirstDataField]);
    }
    // Opens a menu as a right click would and picks an item of one of its submenus.
    void Pick(QMenu* menu, const char* submenu, const QString& item) {
        menu->popup(QPoint());
        QMenu* sub = menu->findChild<QMenu*>(QString::fromLatin1(submenu));
        ASSERT_NE(sub, nullptr) << submenu;
        for (QAction* action : sub->actions()) {
            if (action->text() == item) {
                ASSERT_TRUE(action->isEnabled()) << item.toStdString();
                action->trigger();
                menu->hide();
                return;
            }
        }
        menu->hide();
        FAIL() << "no item " << item.toStdString();
    }
    QAction* Item(QMenu* menu, const char* submenu, const char* item) const {
        for (QAction* action : menu->findChild<QMenu*>(QString::fromLatin1(submenu))->actions()) {
            if (action->text() == QLatin1String(item)) {
                return action;
            }
        }
        return nullptr;
    }
    int reopens = 0;
};

TEST_F(SortTest, TheListFollowsEveryDirectionCombination) {
    OpenTitles();
    struct Case {
        db::SortValues sort;
        QStringList names;
    };
    const Case cases[] = {
        {Sort(NameField, false, 0, false), {"alpha", "Bravo", "Charlie", "Delta", "Echo"}},
        {Sort(NameField, true, 0, false), {"Echo", "Delta", "Charlie", "Bravo", "alpha"}},
        {Sort(ProducerField, false, NameField, false),
         {"Charlie", "Delta", "Echo", "alpha", "Bravo"}},
        {Sort(ProducerField, true, NameField, true),
         {"Bravo", "alpha", "Echo", "Delta", "Charlie"}},
        {Sort(ProducerField, false, PriceField, true),
         {"Delta", "Charlie", "Echo", "Bravo", "alpha"}},
        {Sort(ProducerField, true, PriceField, false),
         {"alpha", "Bravo", "Echo", "Charlie", "Delta"}},
        {Sort(PriceField, false, NameField, false), {"alpha", "Echo", "Bravo", "Charlie", "Delta"}},
        {Sort(PriceField, true, NameField, true), {"Delta", "Charlie", "Bravo", "Echo", "alpha"}},
        {Sort(0, false, 0, false), {"Delta", "alpha", "Charlie", "Bravo", "Echo"}},
    };
    for (const Case& c : cases) {
        SortBy(c.sort.PrimaryField, c.sort.PrimaryDescending, c.sort.SecondaryField,
               c.sort.SecondaryDescending);
        EXPECT_EQ(Listed(), c.names) << int(c.sort.PrimaryField) << c.sort.PrimaryDescending
                                     << int(c.sort.SecondaryField) << c.sort.SecondaryDescending;
        EXPECT_EQ(Shown(), c.names.first());
        EXPECT_EQ(Button().PrimaryPart()->text(), c.sort.PrimaryField == 0
                                                      ? QStringLiteral("Entry Order")
                                                      : Label(c.sort.PrimaryField));
        EXPECT_EQ(Button().IsDown1(), c.sort.PrimaryDescending);
        EXPECT_EQ(Button().IsDown2(), c.sort.SecondaryDescending);
    }
    // New index tags were built while the window was open: the edit cursor let go of the table.
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(reopens, static_cast<int>(std::size(cases)));
}

TEST_F(SortTest, MenusKeepTheRules) {
    OpenTitles();
    SortBy(ProducerField, false, NameField, false);
    reopens = 0;

    // Two text fields: inverting the primary inverts both; the secondary offers only that.
    Pick(Button().PrimaryMenu(), "PrimarySortDirection1", QStringLiteral("Descending"));
    EXPECT_EQ(window->Database().Index.Sort, Sort(ProducerField, true, NameField, true));
    EXPECT_EQ(Listed(), (QStringList{"Bravo", "alpha", "Echo", "Delta", "Charlie"}));
    Button().SecondaryMenu()->popup(QPoint());
    EXPECT_FALSE(
        Item(Button().SecondaryMenu(), "SecondarySortDirection1", "Ascending")->isEnabled());
    EXPECT_TRUE(
        Item(Button().SecondaryMenu(), "SecondarySortDirection1", "Descending")->isEnabled());
    Button().SecondaryMenu()->hide();
    EXPECT_EQ(reopens, 1);

    // Picking what is checked does nothing at all.
    Pick(Button().PrimaryMenu(), "PrimarySortDirection1", QStringLiteral("Descending"));
    Pick(Button().PrimaryMenu(), "PrimarySortField1", Label(ProducerField));
    Pick(Button().SecondaryMenu(), "SecondarySortField1", Label(NameField));
    EXPECT_EQ(reopens, 1);
    EXPECT_EQ(window->Database().Index.Sort, Sort(ProducerField, true, NameField, true));

    // The secondary field as primary: no secondary is left.
    Pick(Button().PrimaryMenu(), "PrimarySortField1", Label(NameField));
    EXPECT_EQ(Button().SecondaryPart()->text(), QStringLiteral("NONE"));
    EXPECT_EQ(Listed(), (QStringList{"Echo", "Delta", "Charlie", "Bravo", "alpha"}));

    // A number secondary keeps its own direction.
    Pick(Button().SecondaryMenu(), "SecondarySortField1", Label(PriceField));
    EXPECT_EQ(window->Database().Index.Sort, Sort(NameField, true, PriceField, true));
    Pick(Button().SecondaryMenu(), "SecondarySortDirection1", QStringLiteral("Ascending"));
    EXPECT_EQ(window->Database().Index.Sort, Sort(NameField, true, PriceField, false));
    EXPECT_EQ(Listed(), (QStringList{"Echo", "Delta", "Charlie", "Bravo", "alpha"}));

    // Entry order clears the secondary and closes the secondary menu's choices; it keeps the
    // primary direction.
    EXPECT_EQ(reopens, 4);
    Pick(Button().PrimaryMenu(), "PrimarySortField1", QStringLiteral("Entry Order"));
    EXPECT_EQ(Button().PrimaryPart()->text(), QStringLiteral("Entry Order"));
    EXPECT_EQ(Button().SecondaryPart()->text(), QStringLiteral("NONE"));
    EXPECT_EQ(Listed(), (QStringList{"Echo", "Bravo", "Charlie", "alpha", "Delta"}));
    QMenu* secondary = Button().SecondaryMenu();
    secondary->popup(QPoint());
    EXPECT_FALSE(secondary->findChild<QMenu*>(QStringLiteral("SecondarySortField1"))->isEnabled());
    EXPECT_FALSE(
        secondary->findChild<QMenu*>(QStringLiteral("SecondarySortDirection1"))->isEnabled());
    secondary->hide();

    // Memo and picture fields are never offered.
    Button().PrimaryMenu()->popup(QPoint());
    EXPECT_FALSE(Item(Button().PrimaryMenu(), "PrimarySortField1", "Logo/Icon:")->isEnabled());
    Button().PrimaryMenu()->hide();
    EXPECT_EQ(reopens, 5);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SortTest, ASortChangeSwitchesTheFilterOff) {
    OpenTitles();
    Button().SetFilterSource([] { return true; }); // as a defined filter would
    QMenu* filter = Button().FilterMenu();
    filter->popup(QPoint());
    // The filter commands offer the filter templates.
    EXPECT_TRUE(filter->findChild<QMenu*>(QStringLiteral("LoadFilterTemplate1"))
                    ->menuAction()
                    ->isVisible());
    filter->findChild<QAction*>(QStringLiteral("NormalFilter1"))->trigger();
    filter->hide();
    EXPECT_EQ(Button().FilterPart()->text(), QStringLiteral("Normal Filter"));
    EXPECT_FALSE(filter->findChild<QAction*>(QStringLiteral("NormalFilter1"))->isEnabled());
    EXPECT_EQ(window->Database().Index.Filter, db::FilterState::fsNormal);
    EXPECT_EQ(Listed().size(), 5); // posted under an empty filter, every record passes

    SortBy(NameField);
    EXPECT_EQ(Button().FilterPart()->text(), QStringLiteral("All Records"));
    EXPECT_EQ(window->Database().Index.Filter, db::FilterState::fsFilterOff);
    EXPECT_EQ(Listed().size(), 5);
    EXPECT_TRUE(messages.empty());
}

// No filter can be defined yet: the filtered scopes would show no record at all.
TEST_F(SortTest, TheFilteredScopesWaitForAFilter) {
    OpenTitles();
    QMenu* filter = Button().FilterMenu();
    filter->popup(QPoint());
    const auto item = [filter](const char* name) {
        return filter->findChild<QAction*>(QString::fromLatin1(name));
    };
    EXPECT_FALSE(item("AllRecords1")->isEnabled()); // the current scope
    EXPECT_FALSE(item("NormalFilter1")->isEnabled());
    EXPECT_FALSE(item("ReversedFilter1")->isEnabled());
    item("NormalFilter1")->trigger();
    item("ReversedFilter1")->trigger();
    filter->hide();
    EXPECT_EQ(Button().FilterPart()->text(), QStringLiteral("All Records"));
    EXPECT_EQ(window->Database().Index.Filter, db::FilterState::fsFilterOff);
    EXPECT_EQ(Listed().size(), 5);
    EXPECT_EQ(reopens, 0);
}

TEST_F(SortTest, ARecordThatCannotBeSettledLeavesSortAndFilterAsTheyWere) {
    OpenTitles();
    SortBy(NameField);
    reopens = 0;
    // A new record that cannot be stored: another program holds the catalogue record, so no
    // record number can be given out, and the user keeps the record.
    window->RecordPage()->ShowRecordAt(5);
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    Find<QLineEdit>("L1")->setText(QStringLiteral("Foxtrot"));
    engine::Table master;
    HoldCatalogueRecord(master);
    answer = platform::MessageAnswer::No;

    Pick(Button().PrimaryMenu(), "PrimarySortField1", Label(ProducerField));
    EXPECT_EQ(window->Database().Index.Sort, Sort(NameField, false, 0, false));
    EXPECT_EQ(window->Database().Index.SavedSort, window->Database().Index.Sort);
    EXPECT_EQ(Button().PrimaryPart()->text(), Label(NameField));
    Button().SetFilterSource([] { return true; }); // as a defined filter would
    Button().FilterMenu()->findChild<QAction*>(QStringLiteral("NormalFilter1"))->trigger();
    EXPECT_EQ(Button().FilterPart()->text(), QStringLiteral("All Records"));
    EXPECT_EQ(window->Database().Index.Filter, db::FilterState::fsFilterOff);
    EXPECT_EQ(reopens, 0);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(Shown(), QStringLiteral("Foxtrot"));
    master.cancel();
}

TEST_F(SortTest, TheSortDialog) {
    OpenTitles();
    SortBy(NameField);
    reopens = 0;
    int shown = 0;
    std::function<int(TSortDlg&)> answer;
    platform::SetDialogHook([&](QDialog& dialog) {
        ++shown;
        return answer(dynamic_cast<TSortDlg&>(dialog));
    });
    QAbstractButton* sort = window->Commands().Button(QStringLiteral("B_Sort"));

    // The choices keep each other consistent; cancelling changes nothing.
    answer = [this](TSortDlg& d) {
        EXPECT_EQ(d.SortBox()->currentText(), Label(NameField));
        EXPECT_EQ(d.Sort2Box()->currentText(), QStringLiteral("NONE"));
        EXPECT_FALSE(d.Order2Box()->isEnabled());
        EXPECT_EQ(d.SortBox()->findText(QStringLiteral("Logo/Icon:")), -1);
        d.Sort2Box()->setCurrentText(Label(ProducerField));
        TSortDlg::DescendingOf(d.OrderBox())->setChecked(true);
        EXPECT_FALSE(d.Order2Box()->isEnabled()); // two text fields
        EXPECT_TRUE(TSortDlg::DescendingOf(d.Order2Box())->isChecked());
        d.Sort2Box()->setCurrentText(Label(PriceField));
        EXPECT_TRUE(d.Order2Box()->isEnabled());
        d.Sort2Box()->setCurrentText(Label(NameField)); // the primary: none
        EXPECT_EQ(d.Sort2Box()->currentText(), QStringLiteral("NONE"));
        d.Sort2Box()->setCurrentText(Label(PriceField));
        d.SortBox()->setCurrentIndex(0);
        EXPECT_EQ(d.Sort2Box()->currentText(), QStringLiteral("NONE"));
        EXPECT_FALSE(d.Order2Box()->isEnabled());
        EXPECT_FALSE(TSortDlg::DescendingOf(d.Order2Box())->isChecked());
        d.reject();
        return d.result();
    };
    sort->click();
    EXPECT_EQ(window->Database().Index.Sort, Sort(NameField, false, 0, false));

    // OK without a change: letter "A" from its first page, no re-open.
    window->Navigator()->SetPageStart(2);
    answer = [](TSortDlg& d) {
        d.accept();
        return d.result();
    };
    window->Commands().Item(QStringLiteral("Sort1"))->trigger();
    EXPECT_EQ(reopens, 0);
    EXPECT_EQ(window->Navigator()->PageStart(), 0);

    // A change through the primary part's click.
    answer = [this](TSortDlg& d) {
        d.SortBox()->setCurrentText(Label(ProducerField));
        d.Sort2Box()->setCurrentText(Label(PriceField));
        TSortDlg::DescendingOf(d.Order2Box())->setChecked(true);
        d.accept();
        return d.result();
    };
    Button().PrimaryPart()->click();
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(reopens, 1);
    EXPECT_EQ(window->Database().Index.Sort, Sort(ProducerField, false, PriceField, true));
    EXPECT_EQ(Listed(), (QStringList{"Delta", "Charlie", "Echo", "Bravo", "alpha"}));
    platform::SetDialogHook(nullptr);
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace shelfwise::book
