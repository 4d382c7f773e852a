#include "book/FilterCommands.h"

#include "SortedBook.h"
#include "book/FindCommands.h"
#include "platform/Dialogs.h"
#include "search/FilterDlg.h"
#include "search/FilterTemplates.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace shelfwise::book {
namespace {

using test::NameField;
using test::PriceField;

class FilterCommandsTest : public test::SortedBook {
protected:
    ~FilterCommandsTest() override { platform::SetDialogHook(nullptr); }

    // Without letter tabs, so a list shows every record of its scope.
    void OpenTitles() {
        settings.LetterTabs = settings::opt::LetterTabs::DontUse;
        OpenWith({{"Alpha", "Acme", 12, ""},
                  {"Bravo", "Zeta", 12.5, ""},
                  {"Charlie", "Omega", 0, ""},
                  {"Echo", "Acme", 7, ""}});
        SortBy(NameField);
    }

    search::TFilterList& Filter() const { return window->findChild<TFilterCommands*>()->Filter(); }
    db::FilterState Scope() const { return window->LeftPage()->SortButton()->Filter(); }

    // Runs the Filter command with `script` working the "Set Filter" dialog; a condition
    // dialog opened meanwhile gets "<" and `price`.
    void RunFilter(const std::function<void(search::TFilterDlg&)>& script,
                   const char* price = "10") {
        platform::SetDialogHook([&](QDialog& dialog) {
            if (auto* filter = dynamic_cast<search::TFilterDlg*>(&dialog)) {
                script(*filter);
            } else {
                dialog.findChildren<QLineEdit*>().at(0)->setText(price);
                dialog.accept();
            }
            return dialog.result();
        });
        window->Commands().Button(QStringLiteral("B_Filter"))->click();
        platform::SetDialogHook(nullptr);
    }

    static void Press(QDialog& dialog, const char* name) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
    }
};

TEST_F(FilterCommandsTest, ApplyListsThePassingRecordsAndTheScopeSwitchesLists) {
    OpenTitles();
    const QString price = QString::fromStdString(settings.FieldLabels[PriceField - NameField]);
    RunFilter([&price](search::TFilterDlg& dialog) {
        dialog.AllFields()->setCurrentItem(
            dialog.AllFields()->findItems(price, Qt::MatchExactly).at(0));
        Press(dialog, "Add_Btn");
        Press(dialog, "Edit_Btn");
        Press(dialog, "OKBtn");
    });
    EXPECT_EQ(Scope(), db::FilterState::fsNormal);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"0", "0", "2", "2"}));
    EXPECT_EQ(Listed(), (QStringList{"Charlie", "Echo"}));
    // Saved as soon as the dialog closed.
    search::TFilterList saved;
    ASSERT_TRUE(saved.LoadFromFile(dataDir / search::FilterFileName));
    ASSERT_EQ(saved.Count(), 1);
    EXPECT_EQ(saved.Items(0)->Value1, "10");

    RunFilter([](search::TFilterDlg& dialog) {
        dialog.findChildren<QRadioButton*>().at(2)->click(); // "Reversed Filter"
        Press(dialog, "CancelBtn");
    });
    EXPECT_EQ(Scope(), db::FilterState::fsReversed);
    EXPECT_EQ(Listed(), (QStringList{"Alpha", "Bravo"}));
    RunFilter([](search::TFilterDlg& dialog) {
        dialog.findChildren<QRadioButton*>().at(0)->click(); // "All Records"
        Press(dialog, "CancelBtn");
    });
    EXPECT_EQ(Listed(), (QStringList{"Alpha", "Bravo", "Charlie", "Echo"}));

    // A record posted through the record table is marked as it is posted.
    engine::Table& table = window->Database().DataTable;
    table.append();
    table.setNumber(PriceField, 3);
    table.post();
    EXPECT_EQ(Marks().back(), "2");

    // The next open of the book reads the filter back.
    Close();
    Open();
    ASSERT_EQ(Filter().Count(), 1);
    EXPECT_EQ(Filter().Items(0)->FieldPosition, PriceField);
}

TEST_F(FilterCommandsTest, NonStopFindTurnsEvaluationOffUntilTheNextApply) {
    OpenTitles();
    TFindCommands& find = *window->findChild<TFindCommands*>();
    ASSERT_TRUE(find.BeforeNonStop());
    EXPECT_FALSE(Filter().EvaluationOn());
    find.AfterNonStop(false, 0);
    RunFilter([](search::TFilterDlg& dialog) {
        dialog.AddSelected();
        Press(dialog, "Edit_Btn");
        Press(dialog, "OKBtn");
    });
    EXPECT_TRUE(Filter().EvaluationOn());
}

} // namespace
} // namespace shelfwise::book
