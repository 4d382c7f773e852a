#include "book/TemplateCommands.h"

#include "BookFixture.h"
#include "book/BookMenus.h"
#include "book/RecordPage.h"
#include "book/RecordTemplateForm.h"
#include "book/RightPage.h"
#include "editors/DateEdit.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <chrono>

namespace shelfwise::book {
namespace {

using namespace std::chrono;

class TemplateCommandsTest : public test::BookFixture {
public:
    ~TemplateCommandsTest() override { platform::SetDialogHook(nullptr); }

protected:
    TTemplateCommands& Templates() const { return *window->TemplateCommands(); }
    QLineEdit* Name() const { return Find<QLineEdit>("L1"); }
    editors::TDateEdit* InstallDateEditor() const { return Find<editors::TDateEdit>("L8"); }

    // Saves the shown record through the dialog under `name`, the named date fields checked.
    void SaveAs(const QString& name, const QStringList& systemDates = {}) {
        platform::SetDialogHook([&](QDialog& dialog) {
            auto& form = dynamic_cast<TRecordTemplateForm&>(dialog);
            form.NameEdit()->setText(name);
            for (QCheckBox* box : form.DateBoxes()) {
                box->setChecked(systemDates.contains(box->text()));
            }
            form.accept();
            return form.result();
        });
        window->Commands().Item(QStringLiteral("SaveRecordToTemplate3"))->trigger();
        platform::SetDialogHook(nullptr);
    }

    // The items of a replace submenu once the menu opened.
    QStringList ReplaceItems(const char* submenu) const {
        emit window->Menus().RightPageMenu()->aboutToShow();
        QStringList texts;
        for (QAction* item :
             window->Commands().Item(QString::fromLatin1(submenu))->menu()->actions()) {
            texts.push_back(item->text());
        }
        return texts;
    }

    void Replace(const QString& name) const {
        emit window->Menus().RightPageMenu()->aboutToShow();
        for (QAction* item : window->Commands()
                                 .Item(QStringLiteral("LoadRecordFromTemplate1"))
                                 ->menu()
                                 ->actions()) {
            if (item->text() == name) {
                item->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no item " << name.toStdString();
    }

    void Choose(const QString& name) const {
        for (QAction* item : Templates().ChooserMenu()->actions()) {
            if (item->text() == name) {
                item->trigger();
            }
        }
    }

    static year_month_day Today() { return year_month_day{floor<days>(system_clock::now())}; }
};

TEST_F(TemplateCommandsTest, ATemplateFillsEveryNewRecordWithTodayInItsSystemDateField) {
    Open();
    Name()->setText(QStringLiteral("Office Suite"));
    InstallDateEditor()->SetDate(year_month_day{year(1999), May, day(4)});
    SaveAs(QStringLiteral("Office"), {QString::fromStdString(settings.FieldLabels[7])});
    EXPECT_TRUE(messages.empty());
    // The marker is stored, not the typed date.
    ASSERT_TRUE(Templates().Templates().MoveTo(0));
    EXPECT_EQ(window->Database().CopyTable.date(InstallDate), editors::TemplateDateMarker);
    EXPECT_EQ(window->Database().CopyTable.text(AppName), "Office Suite");

    // The chooser's menu: its title, "Blank" and the names; choosing sets the caption.
    emit Templates().ChooserMenu()->aboutToShow();
    QStringList chooser;
    for (QAction* item : Templates().ChooserMenu()->actions()) {
        chooser.push_back(item->text());
    }
    EXPECT_EQ(chooser, (QStringList{"Templates For Adding New Records:", "Blank", "Office"}));
    Choose(QStringLiteral("Office"));
    EXPECT_EQ(window->RightPage()->TemplateButton()->text(), QStringLiteral("Office"));

    window->Commands().Run(QStringLiteral("NewRecord"));
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    EXPECT_EQ(Name()->text(), QStringLiteral("Office Suite"));
    EXPECT_EQ(InstallDateEditor()->GetDate(), Today());
    // Stored once settled, like any new record.
    ASSERT_TRUE(window->RecordPage()->SettleRecord());
    auto data = OpenData();
    data->last();
    EXPECT_EQ(data->text(AppName), "Office Suite");
    EXPECT_EQ(data->date(InstallDate), Today());

    Choose(QStringLiteral("Blank"));
    window->Commands().Run(QStringLiteral("NewRecord"));
    EXPECT_EQ(Name()->text(), QString());
}

TEST_F(TemplateCommandsTest, ARecordShownReadOnlyMakesAFullTemplateAndCannotBeReplaced) {
    Open();
    Close();
    auto other = OpenData();
    other->append();
    other->setText(AppName, "Held");
    other->post();
    other->first();
    other->edit();
    Open();
    ASSERT_TRUE(window->RecordPage()->RecordInUse());
    SaveAs(QStringLiteral("From held"));
    ASSERT_TRUE(Templates().Templates().MoveTo(0));
    EXPECT_EQ(window->Database().CopyTable.text(AppName), "Held");
    ReplaceItems("LoadRecordFromTemplate1");
    EXPECT_FALSE(window->Commands().Item(QStringLiteral("LoadRecordFromTemplate1"))->isEnabled());
    EXPECT_FALSE(window->Commands().Item(QStringLiteral("LoadFromTemplate1"))->isEnabled());
}

TEST_F(TemplateCommandsTest, TheDialogRefusesBlankNamesAndShowsATemplatesSystemDates) {
    Open();
    Name()->setText(QStringLiteral("One"));
    const QString installLabel = QString::fromStdString(settings.FieldLabels[7]);
    SaveAs(QStringLiteral("Dated"), {installLabel});
    SaveAs(QStringLiteral("Plain"));
    platform::SetDialogHook([&](QDialog& dialog) {
        auto& form = dynamic_cast<TRecordTemplateForm&>(dialog);
        EXPECT_EQ(form.List()->count(), 3);
        EXPECT_EQ(form.List()->currentRow(), 0);
        EXPECT_FALSE(form.DeleteButton()->isEnabled());
        for (const char* refused : {"", "Blank"}) {
            messages.clear();
            form.NameEdit()->setText(QString::fromLatin1(refused));
            form.accept();
            EXPECT_FALSE(form.result() == QDialog::Accepted);
            EXPECT_EQ(messages.size(), 1u);
        }
        const auto checked = [&form, &installLabel] {
            for (QCheckBox* box : form.DateBoxes()) {
                if (box->text() == installLabel) {
                    return box->isChecked();
                }
            }
            ADD_FAILURE() << "no box for the installation date";
            return false;
        };
        for (const auto& [row, name, marked] :
             {std::tuple{1, "Dated", true}, std::tuple{2, "Plain", false}}) {
            emit form.List()->itemDoubleClicked(form.List()->item(row));
            EXPECT_EQ(form.NameEdit()->text(), QString::fromLatin1(name));
            EXPECT_EQ(checked(), marked);
        }
        // Delete "Dated": "Plain" moves up in the list and the copy table.
        form.List()->setCurrentRow(1);
        EXPECT_TRUE(form.DeleteButton()->isEnabled());
        form.DeleteButton()->click();
        EXPECT_EQ(form.List()->count(), 2);
        emit form.List()->itemDoubleClicked(form.List()->item(1));
        EXPECT_EQ(form.NameEdit()->text(), QStringLiteral("Plain"));
        EXPECT_FALSE(checked());
        return int(QDialog::Rejected);
    });
    window->Commands().Item(QStringLiteral("SaveRecordToTemplate1"))->trigger();
    EXPECT_EQ(Templates().Templates().Names(), std::vector<std::string>{"Plain"});
    EXPECT_EQ(ReplaceItems("LoadFromTemplate1"), (QStringList{"Blank", "Plain"}));
}

} // namespace
} // namespace shelfwise::book
