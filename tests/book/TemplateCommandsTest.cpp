#include "book/TemplateCommands.h"

#include "BookFixture.h"
#include "book/BookMenus.h"
#include "book/EditDbDlg.h"
#include "book/LoadDbDlg.h"
#include "book/RecordPage.h"
#include "book/RecordTemplateForm.h"
#include "book/RightPage.h"
#include "editors/DateEdit.h"
#include "engine/TableOperations.h"
#include "platform/Dialogs.h"
#include "settings/TextLines.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
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

    // Loads the first database of that directory through the "Load Database" dialog; a private
    // directory without one gets a new one.
    void LoadDatabase(TLoadDbDlg::DatabaseType type) {
        platform::SetDialogHook([type](QDialog& dialog) {
            if (auto* edit = dynamic_cast<TEditDbDlg*>(&dialog)) {
                edit->NameEdit()->setText(QStringLiteral("Mine"));
                edit->OkButton()->click();
            } else if (auto* load = dynamic_cast<TLoadDbDlg*>(&dialog)) {
                load->SetType(type);
                if (load->FileNames().empty()) {
                    load->NewButton()->click();
                }
                load->Databases()->setCurrentRow(0);
                load->LoadButton()->click();
            }
            return dialog.result();
        });
        window->Commands().Run(QStringLiteral("LoadDatabase"));
        platform::SetDialogHook(nullptr);
    }

    void Choose(const QString& name) const {
        for (QAction* item : Templates().ChooserMenu()->actions()) {
            if (item->text() == name) {
                item->trigger();
            }
        }
    }

    static year_month_day Today() { return year_month_day{floor<days>(system_clock::now())}; }

    QPlainTextEdit* NotesEditor() const { return Find<QPlainTextEdit>("L23"); }

    // The first stored record's name, installation date and notes, as another program reads
    // them.
    std::vector<std::string> Stored() const {
        auto data = OpenData();
        data->first();
        return {data->text(AppName), data->text(InstallDate), data->text(Notes)};
    }

    // Damages the memo pointer of the notes field in that record of the copy table: it names a
    // block far past the end of the memo file.
    void PointMemoPastTheEnd(std::uint32_t record) const {
        engine::Table copy;
        copy.setDirectory(dataDir);
        copy.setFileName(db::CopyTableName);
        copy.open();
        const engine::FieldDescriptor field = copy.field(Notes);
        copy.close();
        shelfwise::test::Bytes bytes = shelfwise::test::ReadBytes(dataDir / db::CopyTableName);
        const std::size_t header = bytes[8] | (bytes[9] << 8);
        const std::size_t length = bytes[10] | (bytes[11] << 8);
        const std::string pointer = std::string(field.width - 8, ' ') + "99999999";
        std::copy(pointer.begin(), pointer.end(),
                  bytes.begin() +
                      static_cast<std::ptrdiff_t>(header + (record - 1) * length + field.offset));
        shelfwise::test::WriteBytes(dataDir / db::CopyTableName, bytes);
    }
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

TEST_F(TemplateCommandsTest, ReplacingTheShownRecordWithATemplateIsStoredOnlyWhenSettled) {
    Open();
    Name()->setText(QStringLiteral("Office Suite"));
    InstallDateEditor()->SetDate(year_month_day{year(1999), May, day(4)});
    NotesEditor()->setPlainText(QStringLiteral("Volume licence"));
    SaveAs(QStringLiteral("Office"), {QString::fromStdString(settings.FieldLabels[7])});
    Name()->setText(QStringLiteral("Original"));
    InstallDateEditor()->SetDate(year_month_day{year(2001), January, day(2)});
    NotesEditor()->setPlainText(QString());
    ASSERT_TRUE(window->RecordPage()->SettleRecord());
    ASSERT_EQ(Stored(), (std::vector<std::string>{"Original", "20010102", ""}));

    Replace(QStringLiteral("Office"));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Name()->text(), QStringLiteral("Office Suite"));
    EXPECT_EQ(InstallDateEditor()->GetDate(), Today());
    EXPECT_EQ(NotesEditor()->toPlainText(), QStringLiteral("Volume licence"));
    // Shown, not stored yet.
    EXPECT_FALSE(window->RecordPage()->NewRecord());
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Original", "20010102", ""}));

    ASSERT_TRUE(window->RecordPage()->SettleRecord());
    const std::string today =
        QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toStdString();
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Office Suite", today, "Volume licence"}));

    // "Blank" empties the editors, which a settle then stores like any typing.
    Replace(QStringLiteral("Blank"));
    EXPECT_TRUE(window->RecordPage()->RecordIsEmpty());
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Office Suite", today, "Volume licence"}));
}

TEST_F(TemplateCommandsTest, ATemplateWhoseRecordCannotBeReadChangesNothing) {
    Open();
    Name()->setText(QStringLiteral("Noted"));
    NotesEditor()->setPlainText(QStringLiteral("A memo of the template"));
    SaveAs(QStringLiteral("Noted"));
    ASSERT_TRUE(Templates().Templates().MoveTo(0));
    const std::uint32_t record = window->Database().CopyTable.recordNumber();
    Close();
    // A name the copy table has no record for, and a template whose memo points past the end
    // of the memo file.
    shelfwise::test::WriteText(dataDir / db::RecordTemplatesFileName, "Noted\r\nGhost\r\n");
    PointMemoPastTheEnd(record);

    Open();
    Name()->setText(QStringLiteral("Original"));
    NotesEditor()->setPlainText(QStringLiteral("Kept"));
    ASSERT_TRUE(window->RecordPage()->SettleRecord());
    for (const char* name : {"Noted", "Ghost"}) {
        SCOPED_TRACE(name);
        messages.clear();
        Replace(QString::fromLatin1(name));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  "Template could not be loaded!\nYou should delete this template");
        EXPECT_EQ(Name()->text(), QStringLiteral("Original"));
        EXPECT_EQ(NotesEditor()->toPlainText(), QStringLiteral("Kept"));

        // A new record started from it stays empty.
        messages.clear();
        Choose(QString::fromLatin1(name));
        window->Commands().Run(QStringLiteral("NewRecord"));
        EXPECT_TRUE(window->RecordPage()->NewRecord());
        EXPECT_TRUE(window->RecordPage()->RecordIsEmpty());
        EXPECT_TRUE(messages.empty());
        window->RecordPage()->ShowRecordAt(0);
    }
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Original", "", "Kept"}));
}

TEST_F(TemplateCommandsTest, LoadingADatabaseReadsTheNamesAgainAndSettlesItsUnfinishedDelete) {
    // A user with a database directory of their own, which also holds the names.
    const std::filesystem::path privateDir = programDir / "USER1";
    std::filesystem::create_directories(privateDir);
    engine::copyTable(programDir, db::MasterTableName, privateDir, db::MasterTableName);
    settings.IsSupervisor = false;
    settings.DataDir = privateDir;
    const std::filesystem::path names = privateDir / db::RecordTemplatesFileName;
    const std::filesystem::path note = privateDir / db::TemplateDeleteFileName;
    Open();
    for (const char* name : {"A", "B"}) {
        Name()->setText(QString::fromLatin1(name) + QStringLiteral(" app"));
        SaveAs(QString::fromLatin1(name));
    }
    ASSERT_TRUE(Templates().Templates().MoveTo(0));
    const std::uint32_t recordA = window->Database().CopyTable.recordNumber();
    LoadDatabase(TLoadDbDlg::Private);
    ASSERT_EQ(settings.DatabaseDir, privateDir);
    // The names stay; this database's copy table has no records for them.
    Replace(QStringLiteral("A"));
    EXPECT_EQ(messages.size(), 1u);

    const struct {
        const char* Case;
        // What another program left while the private database was open.
        std::string NamesFile;
        bool Note;
        bool RecordGone;
        std::vector<std::string> Names;
    } cases[] = {
        {"names saved meanwhile", "A\r\nB\r\nC\r\n", false, false, {"A", "B", "C"}},
        {"delete that never removed the record", "A\r\nB\r\n", true, false, {"A", "B"}},
        {"delete stopped after the record", "A\r\nB\r\n", true, true, {"B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        if (settings.DatabaseDir != privateDir) {
            LoadDatabase(TLoadDbDlg::Private);
        }
        shelfwise::test::WriteText(names, c.NamesFile);
        if (c.Note) {
            shelfwise::test::WriteText(
                note, settings::JoinLines({dataDir.string(), std::to_string(recordA), "B"}));
        }
        if (c.RecordGone) {
            engine::Table copy;
            copy.setDirectory(dataDir);
            copy.setFileName(db::CopyTableName);
            copy.open();
            ASSERT_TRUE(copy.goToRecord(recordA));
            copy.deleteRecord();
        }
        Choose(QStringLiteral("A"));
        LoadDatabase(TLoadDbDlg::Public);
        ASSERT_EQ(settings.DatabaseDir, dataDir);
        EXPECT_EQ(Templates().Templates().Names(), c.Names);
        EXPECT_FALSE(std::filesystem::exists(note));
        QStringList items{QStringLiteral("Blank")};
        for (const std::string& name : c.Names) {
            items.push_back(QString::fromStdString(name));
        }
        EXPECT_EQ(ReplaceItems("LoadRecordFromTemplate1"), items);
        // Every name reaches its own record; a chosen template that went gives way to "Blank".
        messages.clear();
        Replace(QStringLiteral("B"));
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Name()->text(), QStringLiteral("B app"));
        EXPECT_EQ(window->RightPage()->TemplateButton()->text(),
                  QString::fromLatin1(c.RecordGone ? "Blank" : "A"));
    }
    EXPECT_EQ(shelfwise::test::ReadText(names), "B\r\n");
}

} // namespace
} // namespace shelfwise::book
