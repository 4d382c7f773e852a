#include "book/RecordPage.h"

#include "BookFixture.h"
#include "book/Navigator.h"
#include "book/RecordFields.h"
#include "book/RecordTabs.h"
#include "book/RightPage.h"
#include "book/SortCommands.h"
#include "db/RecordSchema.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "media/MultiImgControl.h"
#include "media/PictureBytes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace shelfwise::book {
namespace {

using namespace std::chrono;
using editors::TCurrencyEdit;
using editors::TDateEdit;
using media::TDbMultiImgControl;
using media::test::PngBytes;

class RecordPageTest : public test::BookFixture {
public:
    // Adds a record through the window's record table, as the copy buffer or an import would.
    void AddRecord(const std::string& name, const std::string& picture = {}) {
        engine::Table& table = window->Database().DataTable;
        table.append();
        window->Database().AssignRecordNumber(table);
        table.setText(AppName, name);
        table.setText(Producer, "Acme");
        table.setNumber(Price, 12.5);
        table.setDate(InstallDate, year_month_day{year(2024), month(3), day(7)});
        table.setBytes(Notes, "first line\r\nsecond line");
        if (!picture.empty()) {
            table.setBytes(Picture, picture);
        }
        table.post();
    }

    template <typename T = QLineEdit> T* Editor(int field) const {
        return Find<T>(qPrintable(QStringLiteral("L%1").arg(field)));
    }

    QString Status() const { return window->RightPage()->Status()->Caption(); }
    // The record check the program's close runs.
    bool RecordCheck() { return window->CommitRecord(); }
};

TEST_F(RecordPageTest, LeavingANewRecordStoresItOnlyWhenAnEditorHoldsSomething) {
    const std::string png = PngBytes();
    struct Case {
        const char* what;
        std::function<void(RecordPageTest&)> fill;
        bool stored;
    };
    const Case cases[] = {
        {"nothing", [](RecordPageTest&) {}, false},
        {"zero price and no date",
         [](RecordPageTest& t) {
             t.Editor<TCurrencyEdit>(6)->SetValue(0);
             t.Editor<TDateEdit>(7)->setText(QStringLiteral("13/45/20"));
         },
         false},
        {"picture in field 24 only",
         [&png](RecordPageTest& t) { t.Editor<TDbMultiImgControl>(24)->SetPicture(png); }, true},
        {"picture in field 11 only",
         [&png](RecordPageTest& t) { t.Editor<TDbMultiImgControl>(11)->SetPicture(png); }, true},
        {"a name", [](RecordPageTest& t) { t.Editor(1)->setText(QStringLiteral("Editor")); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& w = Open();
        ASSERT_TRUE(w.RecordPage()->NewRecord());
        EXPECT_EQ(Status(), QStringLiteral("New Record"));
        c.fill(*this);
        const auto before = w.Database().DataTable.recordCount();
        w.RecordPage()->ShowRecordAt(0);
        EXPECT_EQ(w.Database().DataTable.recordCount(), before + (c.stored ? 1 : 0));
        Close();
        if (c.stored) {
            // Empty the table for the next case.
            auto data = OpenData();
            data->first();
            data->deleteRecord();
        }
    }
}

TEST_F(RecordPageTest, ANameAndALogoAreStoredAtTheirPositions) {
    const std::string png = PngBytes();
    Open();
    Editor(1)->setText(QStringLiteral("Editor"));
    Editor<TDbMultiImgControl>(11)->SetPicture(png);
    Close();
    auto data = OpenData();
    ASSERT_EQ(data->recordCount(), 1u);
    data->first();
    EXPECT_EQ(data->text(AppName), "Editor");
    EXPECT_EQ(data->bytes(Logo), png);
    EXPECT_TRUE(data->isEmpty(Picture));
    EXPECT_GT(data->number(db::RecordNumberField), 0);
}

TEST_F(RecordPageTest, ARecordLoadsIntoItsEditorsAndIsStoredBackIntact) {
    const std::string png = PngBytes();
    auto& w = Open();
    AddRecord("Compiler", png);
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(Status(), QStringLiteral("Read/Write Access"));
    w.Database().DataTable.first();
    EXPECT_EQ(w.RecordPage()->CurrentRecordId(), w.Database().DataTable.number(0));
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Compiler"));
    EXPECT_EQ(Editor<TCurrencyEdit>(6)->text(), QStringLiteral("12.50"));
    EXPECT_EQ(Editor<TDateEdit>(8)->text(), QStringLiteral("03/07/2024"));
    EXPECT_EQ(Editor<QPlainTextEdit>(23)->toPlainText(), QStringLiteral("first line\nsecond line"));
    EXPECT_EQ(Editor<TDbMultiImgControl>(24)->Picture(), png);
    Editor<TCurrencyEdit>(6)->setText(QStringLiteral("1,234.5"));
    Editor(14)->setText(QString(300, 'w'));
    Close();

    auto data = OpenData();
    data->first();
    EXPECT_EQ(data->text(AppName), "Compiler");
    EXPECT_DOUBLE_EQ(data->number(Price), 1234.5);
    EXPECT_EQ(data->date(InstallDate), (year_month_day{year(2024), month(3), day(7)}));
    EXPECT_EQ(data->bytes(Notes), "first line\r\nsecond line");
    EXPECT_EQ(data->bytes(Picture), png);
    EXPECT_EQ(data->text(Internet), std::string(254, 'w'));
}

TEST_F(RecordPageTest, APriceTooBigForItsFieldKeepsTheRecordAndItsOtherEdits) {
    auto& w = Open();
    AddRecord("Compiler");
    AddRecord("Debugger");
    w.RecordPage()->ShowRecordAt(0);
    const int id = w.RecordPage()->CurrentRecordId();
    // The record as another program reads it: name and price.
    const auto stored = [&] {
        auto data = OpenData();
        for (data->first(); !data->atEnd(); data->next()) {
            if (data->number(db::RecordNumberField) == id) {
                return std::pair(data->text(AppName), data->number(Price));
            }
        }
        return std::pair(std::string(), 0.0);
    };
    Editor(1)->setText(QStringLiteral("Assembler"));
    Editor(14)->setText(QStringLiteral("example.com"));
    auto* price = Editor<TCurrencyEdit>(6);
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, QStringLiteral("1000000000"));

    w.Commands().Button(QStringLiteral("B_Next"))->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(messages[0].text, "The number 1,000,000,000.00 is too big for this field.\nThe "
                                "largest it can hold is 999,999,999.99.");
    EXPECT_EQ(w.RecordPage()->CurrentRecordId(), id);
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Assembler"));
    EXPECT_EQ(Editor(14)->text(), QStringLiteral("example.com"));
    EXPECT_EQ(price->text(), QStringLiteral("1,000,000,000.00"));
    EXPECT_EQ(stored(), std::pair(std::string("Compiler"), 12.5));

    // A price that fits lets the move go on with every edit stored.
    price->setText(QStringLiteral("999999999.99"));
    w.Commands().Button(QStringLiteral("B_Next"))->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_NE(w.RecordPage()->CurrentRecordId(), id);
    EXPECT_EQ(stored(), std::pair(std::string("Assembler"), 999999999.99));
}

TEST_F(RecordPageTest, AValueWiderThanItsEditorShowsItsBeginning) {
    auto& w = Open();
    AddRecord(std::string(90, 'n') + " end");
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(Editor(1)->cursorPosition(), 0);
    EXPECT_EQ(Find<QComboBox>("L2")->lineEdit()->cursorPosition(), 0);
}

TEST_F(RecordPageTest, EmptyingEveryEditorOfAnExistingRecordKeepsItsContents) {
    auto& w = Open();
    AddRecord("Compiler");
    w.RecordPage()->ShowRecordAt(0);
    w.RecordPage()->ClearEditors();
    EXPECT_TRUE(w.RecordPage()->RecordIsEmpty());
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_TRUE(w.RecordPage()->NewRecord());
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Compiler"));
    EXPECT_EQ(w.Database().DataTable.recordCount(), 1u);
}

TEST_F(RecordPageTest, ARecordLockedElsewhereIsShownReadOnlyAndNeverWritten) {
    Open();
    AddRecord("Compiler");
    Close();
    auto other = OpenData();
    other->first();
    other->edit();

    auto& w = Open();
    EXPECT_TRUE(w.RecordPage()->RecordInUse());
    EXPECT_EQ(Status(), QStringLiteral("Read Only Access - Record In Use"));
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Compiler"));
    // Date fields stay enabled to keep their look, and take no input.
    for (editors::TFieldEditor* editor : w.Fields()->Editors()) {
        const std::string name = editor->Widget()->objectName().toStdString();
        EXPECT_TRUE(editor->IsRecordReadOnly()) << name;
        // A read-only picture stays enabled so it can still be scrolled, saved and copied; a
        // date field stays readable and takes no input; the phone, e-mail and attachment
        // buttons still dial, send and open.
        const editors::EditorKind kind = editor->Kind();
        const bool keepsLook = kind == editors::EditorKind::Picture ||
                               kind == editors::EditorKind::Date || name == "L12" ||
                               name == "L13" || name == "L22";
        EXPECT_EQ(editor->Widget()->isEnabled(), keepsLook) << name;
    }
    Editor(1)->setText(QStringLiteral("Changed"));
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_TRUE(w.RecordPage()->NewRecord());
    EXPECT_TRUE(Editor(1)->isEnabled());
    other->cancel();
    other->first();
    EXPECT_EQ(other->text(AppName), "Compiler");
}

TEST_F(RecordPageTest, TheShownRecordIsLockedAgainstOthers) {
    auto& w = Open();
    AddRecord("Compiler");
    w.RecordPage()->ShowRecordAt(0);
    auto other = OpenData();
    other->first();
    EXPECT_ANY_THROW(other->edit());
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_NO_THROW(other->edit());
    other->cancel();
}

TEST_F(RecordPageTest, DateEditorsTakeTheirFormatsFromTheDateFormatList) {
    // Entry 7 is no format: the editor keeps its designed one.
    settings.DateFormats.Lines = {{7}, {1}, {3}};
    auto& w = Open();
    ASSERT_EQ(w.Fields()->DateEditors().size(), 3u);
    EXPECT_EQ(Editor<TDateEdit>(7)->DisplayFormat(), QStringLiteral("mm/dd/yyyy"));
    EXPECT_EQ(Editor<TDateEdit>(8)->DisplayFormat(), QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(Editor<TDateEdit>(21)->DisplayFormat(), QStringLiteral("yyyy"));
    EXPECT_EQ(settings.DateFormats.Lines[2].FieldIndex, 20);

    AddRecord("Compiler");
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(Editor<TDateEdit>(8)->text(), QStringLiteral("07/03/2024"));
    Editor<TDateEdit>(21)->SetDate(year_month_day{year(2020), month(5), day(9)});
    EXPECT_EQ(Editor<TDateEdit>(21)->text(), QStringLiteral("2020"));
    Close();
    auto data = OpenData();
    data->first();
    // A year-only format keeps the whole date it was given.
    EXPECT_EQ(data->date(db::FirstDataField + 20), (year_month_day{year(2020), month(5), day(9)}));
    EXPECT_EQ(data->date(InstallDate), (year_month_day{year(2024), month(3), day(7)}));
}

TEST_F(RecordPageTest, TabAndShiftTabWalkTheEditorsAcrossThePages) {
    auto& w = Open();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    TRecordTabs* pages = w.RightPage()->Pages();
    struct Case {
        int from;
        Qt::Key key;
        int to;
        int page;
    };
    // The logo (field 11) is no tab stop, so field 10 is the last stop of the first page.
    const Case cases[] = {{1, Qt::Key_Tab, 2, 0},      {10, Qt::Key_Tab, 12, 1},
                          {22, Qt::Key_Tab, 23, 2},    {24, Qt::Key_Tab, 1, 0},
                          {1, Qt::Key_Backtab, 24, 3}, {12, Qt::Key_Backtab, 10, 0},
                          {5, Qt::Key_Backtab, 4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        QWidget* from = w.Fields()->Editors()[c.from - 1]->Widget();
        pages->setCurrentIndex(c.from <= 11 ? 0 : c.from <= 22 ? 1 : c.from == 23 ? 2 : 3);
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(pages->currentIndex(), c.page);
        const QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        const QWidget* expected = w.Fields()->Editors()[c.to - 1]->Widget();
        EXPECT_TRUE(focused == expected || expected->isAncestorOf(focused))
            << focused->objectName().toStdString();
    }
}

TEST_F(RecordPageTest, AReadOnlyUserSeesTheRecordAndWritesNothing) {
    Open();
    AddRecord("Compiler");
    Close();
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    auto& w = Open();
    EXPECT_EQ(Status(), QStringLiteral("Read Only Access"));
    EXPECT_FALSE(Editor(1)->isEnabled());
    // The record is not locked: another program may edit it.
    auto other = OpenData();
    other->first();
    EXPECT_NO_THROW(other->edit());
    other->cancel();
    Editor(1)->setText(QStringLiteral("Changed"));
    EXPECT_TRUE(w.CommitRecord());
    Close();
    other->first();
    EXPECT_EQ(other->text(AppName), "Compiler");
}

TEST_F(RecordPageTest, SettlingANewRecordShowsItStored) {
    auto& w = Open();
    AddRecord("Compiler");
    w.RecordPage()->ShowRecordAt(1);
    ASSERT_TRUE(w.RecordPage()->NewRecord());
    Editor(1)->setText(QStringLiteral("Editor"));
    EXPECT_TRUE(w.RecordPage()->SettleRecord());
    EXPECT_FALSE(w.RecordPage()->NewRecord());
    EXPECT_EQ(w.RecordPage()->RecordPosition(), 2);
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Editor"));
    EXPECT_EQ(w.Database().DataTable.recordCount(), 2u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RecordPageTest, ANewRecordCheckedBeforeTheEndIsStoredOnce) {
    struct Case {
        const char* what;
        std::function<void(RecordPageTest&)> afterCheck;
        std::string stored;
    };
    const Case cases[] = {
        {"the window goes", [](RecordPageTest&) {}, "Editor"},
        {"checked again", [](RecordPageTest& t) { t.RecordCheck(); }, "Editor"},
        {"typed on after the check",
         [](RecordPageTest& t) { t.Editor(1)->setText(QStringLiteral("Editor 2")); }, "Editor 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& w = Open();
        ASSERT_TRUE(w.RecordPage()->NewRecord());
        Editor(1)->setText(QStringLiteral("Editor"));
        // The close's record check, then the window's destruction.
        ASSERT_TRUE(RecordCheck());
        c.afterCheck(*this);
        Close();
        auto data = OpenData();
        ASSERT_EQ(data->recordCount(), 1u);
        data->first();
        EXPECT_EQ(data->text(AppName), c.stored);
        data.reset();
        // The next case starts on a fresh table made from the template.
        for (const char* name : {"data.dbf", "data.dbt", "data.mdx"}) {
            std::filesystem::remove(dataDir / name);
        }
    }
}

TEST_F(RecordPageTest, ShowingARecordOfAClosedTableIsRefused) {
    auto& w = Open();
    w.RecordPage()->EditCursor().Close();
    w.Database().DataTable.close();
    w.RecordPage()->ShowRecordAt(0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Database is not Open! Cannot display details.");
}

TEST_F(RecordPageTest, ADamagedMemoIsReportedAndItsEditorEmptied) {
    const std::string png = PngBytes();
    Open();
    AddRecord("Compiler");
    AddRecord("Debugger", png);
    const std::uint32_t offset = window->Database().DataTable.field(Notes).offset;
    const std::size_t width = window->Database().DataTable.field(Notes).width;
    const std::uint32_t pictureOffset = window->Database().DataTable.field(Picture).offset;
    Close();
    // The memo field's block number points far beyond the memo file.
    test::Bytes dbf = test::ReadBytes(dataDir / "data.dbf");
    const std::size_t headerLength = dbf[8] | (dbf[9] << 8);
    for (std::size_t i = 0; i < width; ++i) {
        dbf[headerLength + offset + i] = '9';
    }
    test::WriteBytes(dataDir / "data.dbf", dbf);

    auto& w = Open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Corrupt Memo Field!!! You should delete record: Acme\n"
                                "You may have to use Advanced/Maintenance/Repair Data File "
                                "function.");
    EXPECT_EQ(messages[0].helpContext, 62);
    EXPECT_TRUE(Editor<QPlainTextEdit>(23)->toPlainText().isEmpty());
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Compiler"));
    EXPECT_FALSE(Editor<TDbMultiImgControl>(24)->HasPicture());
    EXPECT_GT(w.RecordPage()->CurrentRecordId(), 0);

    // The next record's picture does not stay behind in the damaged one.
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_EQ(Editor<TDbMultiImgControl>(24)->Picture(), png);
    messages.clear();
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(Editor<TDbMultiImgControl>(24)->HasPicture());
    // Leaving writes the fields that were read and leaves the unread ones as stored.
    Editor(1)->setText(QStringLiteral("Compiler 2"));
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_EQ(Editor<TDbMultiImgControl>(24)->Picture(), png);
    Close();
    const test::Bytes after = test::ReadBytes(dataDir / "data.dbf");
    const auto stored = [&after, headerLength](std::uint32_t at, std::size_t length) {
        const auto from = after.begin() + static_cast<std::ptrdiff_t>(headerLength + at);
        return std::string(from, from + static_cast<std::ptrdiff_t>(length));
    };
    EXPECT_EQ(stored(offset, width), std::string(width, '9'));
    EXPECT_EQ(stored(pictureOffset, width), std::string(width, ' '));
    auto data = OpenData();
    data->first();
    EXPECT_EQ(data->text(AppName), "Compiler 2");
}

TEST_F(RecordPageTest, AnImpossibleStoredDateShowsEmptyWithAWarningAndStaysAsStored) {
    for (const char* stored : {"20241399", "1999-1-1", "2024\x01\x02xy"}) {
        SCOPED_TRACE(stored);
        Open();
        AddRecord("Compiler");
        const std::uint32_t offset = window->Database().DataTable.field(InstallDate).offset;
        Close();
        test::Bytes dbf = test::ReadBytes(dataDir / "data.dbf");
        const std::size_t at = (dbf[8] | (dbf[9] << 8)) + offset;
        std::copy_n(stored, 8, dbf.begin() + static_cast<std::ptrdiff_t>(at));
        test::WriteBytes(dataDir / "data.dbf", dbf);

        auto& w = Open();
        EXPECT_EQ(Editor(1)->text(), QStringLiteral("Compiler"));
        EXPECT_TRUE(Editor<TDateEdit>(8)->IsEmpty());
        EXPECT_EQ(
            Status(),
            QStringLiteral("Read/Write Access - Unreadable value not shown: Installation Date:"));
        // Leaving the record writes the other fields and keeps the stored date bytes.
        Editor(1)->setText(QStringLiteral("Compiler 2"));
        w.RecordPage()->ShowRecordAt(1);
        EXPECT_EQ(Status(), QStringLiteral("New Record"));
        const test::Bytes kept = test::ReadBytes(dataDir / "data.dbf");
        EXPECT_TRUE(std::equal(stored, stored + 8, kept.begin() + static_cast<std::ptrdiff_t>(at)));
        w.RecordPage()->ShowRecordAt(0);
        // A date typed over the damaged one is stored.
        Editor<TDateEdit>(8)->SetDate(year_month_day{year(2020), month(5), day(9)});
        Close();
        const test::Bytes after = test::ReadBytes(dataDir / "data.dbf");
        EXPECT_EQ(std::string(after.begin() + static_cast<std::ptrdiff_t>(at),
                              after.begin() + static_cast<std::ptrdiff_t>(at + 8)),
                  "20200509");
        auto data = OpenData();
        data->first();
        EXPECT_EQ(data->text(AppName), "Compiler 2");
        data.reset();
        for (const char* name : {"data.dbf", "data.dbt", "data.mdx"}) {
            std::filesystem::remove(dataDir / name);
        }
    }
}

TEST_F(RecordPageTest, ARecordThatCannotBeStoredAsksWhetherToGoOn) {
    auto& w = Open();
    // Another program holds the catalogue record, so no record number can be given out.
    engine::Table master;
    HoldCatalogueRecord(master);
    Editor(1)->setText(QStringLiteral("Editor"));

    answer = platform::MessageAnswer::No;
    w.RecordPage()->ShowRecordAt(0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(messages[0].text,
              "Could not Update the record!\nDo you want to continue anyway?\n(If "
              "you answer Yes changes to the current record will be discarded.)");
    EXPECT_EQ(messages[0].buttons, platform::ButtonYes | platform::ButtonNo);
    // No: the record stays as it is.
    EXPECT_TRUE(w.RecordPage()->NewRecord());
    EXPECT_FALSE(w.RecordPage()->RecordCommitted());
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Editor"));

    // Once the catalogue is free the same record is stored.
    master.cancel();
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(w.Database().DataTable.recordCount(), 1u);

    // Yes: the new record's contents are dropped and the move goes on.
    w.RecordPage()->ShowRecordAt(1);
    ASSERT_TRUE(w.RecordPage()->NewRecord());
    Editor(1)->setText(QStringLiteral("Debugger"));
    master.first();
    master.edit();
    answer = platform::MessageAnswer::Yes;
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(Editor(1)->text(), QStringLiteral("Editor"));
    EXPECT_EQ(w.Database().DataTable.recordCount(), 1u);
    master.cancel();
}

TEST_F(RecordPageTest, ARenamedRecordMovesBetweenLetterCounts) {
    auto& w = Open();
    AddRecord("Beta");
    AddRecord("bravo");
    w.Database().Index.SaveSort();
    w.Database().Index.Sort.PrimaryField = AppName;
    w.SortCommands()->ApplySortChange();
    w.Navigator()->ShowLetter('B');
    EXPECT_EQ(w.Database().Index.LetterCount('B'), 2);

    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(w.RecordPage()->RecordLetter(), 'B');
    Editor(1)->setText(QStringLiteral("Delta"));
    w.RecordPage()->ShowRecordAt(1);
    EXPECT_EQ(w.Database().Index.LetterCount('B'), 1);
    EXPECT_EQ(w.Database().Index.LetterCount('D'), 1);
    // A new record counts from no letter.
    w.RecordPage()->ShowRecordAt(2);
    ASSERT_TRUE(w.RecordPage()->NewRecord());
    Editor(1)->setText(QStringLiteral("Echo"));
    w.RecordPage()->ShowRecordAt(0);
    EXPECT_EQ(w.Database().Index.LetterCount('E'), 1);
}

} // namespace
} // namespace shelfwise::book
