#include "book/RecordOperations.h"

#include "BookFixture.h"
#include "book/DeleteDlg.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/Navigator.h"
#include "book/RecordCommands.h"
#include "book/RecordPage.h"
#include "book/RightPage.h"
#include "db/RecordSchema.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gmock/gmock.h>

namespace shelfwise::book {
namespace {

using settings::Element;
using settings::opt::DeleteMode;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace std::chrono;

using Letters = std::vector<std::pair<char, int>>;

class RecordOperationsTest : public test::BookFixture {
public:
    ~RecordOperationsTest() override { platform::SetDialogHook(nullptr); }

    static std::string Name(char letter, int n) {
        return letter + std::string("item ") + (n < 10 ? "0" : "") + std::to_string(n);
    }

    // Records named by letter ("Aitem 01", ...) sorted by name with the letter tabs in use: the
    // book stands at "A", on its first record. Letters C and E hold nothing.
    TSoftwareBookWindow& OpenCatalogue(const Letters& letters = {
                                           {'A', 7}, {'B', 9}, {'D', 8}, {'F', 6}}) {
        auto& w = Open();
        engine::Table& table = w.Database().DataTable;
        for (const auto& [letter, count] : letters) {
            for (int n = 1; n <= count; ++n) {
                table.append();
                w.Database().AssignRecordNumber(table);
                table.setText(AppName, Name(letter, n));
                table.setText(Producer, "Maker " + std::to_string(n));
                table.post();
            }
        }
        w.RecordPage()->EditCursor().Close();
        w.Database().Index.Sort.PrimaryField = AppName;
        EXPECT_TRUE(w.Database().Index.ApplySort());
        w.Navigator()->ResetLetterTabs();
        w.RecordPage()->ReopenEditCursor();
        w.RecordPage()->ShowRecordAt(0);
        EXPECT_TRUE(w.Database().Index.LetterTabsActive());
        return w;
    }

    std::string Stored(std::uint32_t recordNumber) const {
        auto data = OpenData();
        EXPECT_TRUE(data->goToRecord(recordNumber));
        return data->text(AppName);
    }

    QLineEdit* Editor(int field) const {
        return Find<QLineEdit>(qPrintable(QStringLiteral("L%1").arg(field)));
    }
    QString Shown() const { return Editor(1)->text(); }
    QAbstractButton* Button(const char* name) const { return Find<QAbstractButton>(name); }
    QAction* Action(const char* name) const {
        return window->Commands().Item(QString::fromLatin1(name));
    }
    QMenu* Submenu(const char* name) const { return Find<QMenu>(name); }

    // Opens the row menu on a row as a right click does; the caller closes it.
    void OpenRowMenu(int row) {
        const auto& rows = window->LeftPage()->RowButtons();
        ASSERT_LT(row, static_cast<int>(rows.size()));
        emit rows[static_cast<std::size_t>(row)]->customContextMenuRequested(QPoint(2, 2));
        ASSERT_TRUE(window->Menus().RowMenu()->isVisible());
    }
    void RowCommand(int row, const char* item) {
        OpenRowMenu(row);
        Action(item)->trigger();
        window->Menus().RowMenu()->hide();
    }
    void OpenRightPageMenu() {
        emit window->RightPage()->customContextMenuRequested(QPoint(20, 20));
    }

    // The shown record stands in the record table's range where its position says.
    bool ShownAtItsPosition() const {
        engine::Table& data = window->Database().DataTable;
        window->Database().MoveToRecord(
            data, static_cast<std::uint32_t>(window->RecordPage()->RecordPosition() - 1));
        return !data.atEnd() &&
               data.recordNumber() == window->RecordPage()->EditCursor().Table().recordNumber();
    }
    std::string Buffer(int position = AppName) const {
        engine::Table& copy = window->Database().CopyTable;
        copy.first();
        return copy.text(position);
    }
    int Count(char letter) const { return window->Database().Index.LetterCount(letter); }
    QColor TabText(char letter) const {
        return window->LetterBar()->Tab(letter - 'A')->TextColor();
    }
    QColor Colour(Element element) const { return QColor::fromRgb(settings.Colors.Rgb(element)); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
    // Types into the confirmation and presses OK; counts the questions.
    void AnswerDelete(const char* typed) {
        platform::SetDialogHook([this, typed](QDialog& dialog) {
            ++questions;
            auto& confirm = dynamic_cast<TDeleteDlg1&>(dialog);
            QTest::keyClicks(confirm.Answer(), QString::fromLatin1(typed));
            confirm.OkButton()->click();
            return dialog.result();
        });
    }
    std::vector<QString> Captions(const QMenu* menu) const {
        std::vector<QString> captions;
        for (const QAction* action : menu->actions()) {
            captions.push_back(action->text());
        }
        return captions;
    }

    int questions = 0;
};

TEST_F(RecordOperationsTest, DeletingTheShownRecordAsksForYesUnlessDeletionIsImmediate) {
    auto& w = OpenCatalogue();
    struct Case {
        const char* what;
        DeleteMode mode;
        const char* typed;
        bool deleted;
    };
    const Case cases[] = {
        {"YE typed", DeleteMode::AskUserToConfirm, "YE", false},
        {"yes typed", DeleteMode::AskUserToConfirm, "yes", true},
        {"immediate", DeleteMode::ImmediateDelete, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.DeleteMode = c.mode;
        AnswerDelete(c.typed);
        questions = 0;
        messages.clear();
        w.RecordPage()->ShowRecordAt(2);
        const QString shown = Shown();
        const std::uint32_t number = w.RecordPage()->EditCursor().Table().recordNumber();
        w.Database().MoveToRecord(w.Database().DataTable, 3);
        const QString following = QString::fromStdString(w.Database().DataTable.text(AppName));
        const int before = Count('A');

        Button("B_RDelete")->click();

        EXPECT_EQ(questions, c.mode == DeleteMode::AskUserToConfirm ? 1 : 0);
        if (c.deleted) {
            EXPECT_THAT(messages, IsEmpty());
            EXPECT_EQ(Shown(), following);
            EXPECT_EQ(w.RecordPage()->RecordPosition(), 3);
            EXPECT_TRUE(ShownAtItsPosition());
            EXPECT_EQ(Count('A'), before - 1);
            EXPECT_FALSE(OpenData()->goToRecord(number));
        } else {
            EXPECT_THAT(Texts(), ElementsAre("Record not Deleted."));
            EXPECT_EQ(messages[0].kind, platform::MessageKind::Information);
            EXPECT_EQ(Shown(), shown);
            EXPECT_EQ(Count('A'), before);
            EXPECT_TRUE(OpenData()->goToRecord(number));
        }
    }
}

TEST_F(RecordOperationsTest, DeletingTheLastRecordOfALetterShowsANewRecordAndEmptiesItsTab) {
    settings.DeleteMode = DeleteMode::ImmediateDelete;
    auto& w = OpenCatalogue({{'A', 1}, {'B', 2}});
    EXPECT_EQ(TabText('A'), Colour(Element::FilledTabText));
    Button("B_RDelete")->click();
    EXPECT_TRUE(w.RecordPage()->NewRecord());
    EXPECT_EQ(Shown(), QString());
    EXPECT_EQ(Count('A'), 0);
    EXPECT_EQ(Count('B'), 2);
    EXPECT_EQ(TabText('A'), Colour(Element::EmptyTabText));
    EXPECT_EQ(OpenData()->recordCount(), 2u);
    EXPECT_EQ(w.Navigator()->CurrentRow(), -1);
}

TEST_F(RecordOperationsTest, DeletingAListedRecordKeepsTheShownRecordInItsPlace) {
    settings.DeleteMode = DeleteMode::ImmediateDelete;
    auto& w = OpenCatalogue();
    w.RecordPage()->ShowRecordAt(4);
    const int shown = w.RecordPage()->CurrentRecordId();
    struct Case {
        const char* what;
        int row;
        int position;
    };
    // Rows 0..6 hold the seven A records; the shown one moves up when one before it goes.
    const Case cases[] = {{"before", 1, 4}, {"after", 5, 4}, {"first", 0, 3}};
    int left = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowCommand(c.row, "Deleterecord1");
        EXPECT_EQ(Count('A'), --left);
        EXPECT_EQ(w.RecordPage()->CurrentRecordId(), shown);
        EXPECT_EQ(w.RecordPage()->RecordPosition(), c.position);
        EXPECT_EQ(Find<QLabel>("PgR_Lbl")->text(), QString::number(c.position));
        EXPECT_TRUE(ShownAtItsPosition());
        EXPECT_EQ(w.Navigator()->CurrentRow(), c.position - 1);
    }
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 5)));
    EXPECT_THAT(messages, IsEmpty());
}

TEST_F(RecordOperationsTest, ListedDeletionOfAnEmptyRowOrALockedRecordDeletesNothing) {
    settings.DeleteMode = DeleteMode::ImmediateDelete;
    auto& w = OpenCatalogue();
    ASSERT_GT(w.LeftPage()->RowButtons().size(), 7u);
    RowCommand(7, "Deleterecord1");
    EXPECT_THAT(Texts(), ElementsAre("Empty Record cannot be Deleted."));

    messages.clear();
    auto other = OpenData();
    ASSERT_TRUE(other->goToRecord(3)); // "Aitem 03", row 2
    other->edit();
    RowCommand(2, "Deleterecord1");
    EXPECT_THAT(Texts(), ElementsAre("Record in use - not Deleted!"));
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Error);
    // The engine's reason, which the message leaves out, is in the log.
    EXPECT_THAT(LogText(), HasSubstr("data.dbf: record 3 is locked by another user"));
    EXPECT_EQ(Count('A'), 7);
    EXPECT_EQ(w.Database().DataTable.state(), engine::Table::State::Browse);
    other->cancel();
    EXPECT_EQ(Stored(3), Name('A', 3));
}

TEST_F(RecordOperationsTest, CopyTakesTheShownRecordsEditsAndAListedRecordsStoredValues) {
    auto& w = OpenCatalogue();
    Editor(1)->setText(QStringLiteral("Aitem unsaved"));
    Button("B_RCopy")->click();
    EXPECT_TRUE(w.Database().CopyBufferFilled);
    EXPECT_EQ(Buffer(), "Aitem unsaved");
    EXPECT_EQ(Buffer(Producer), "Maker 1");
    EXPECT_EQ(Stored(1), Name('A', 1));

    RowCommand(3, "CopyRecord1");
    EXPECT_EQ(Buffer(), Name('A', 4));
    EXPECT_EQ(Shown(), QStringLiteral("Aitem unsaved"));
    EXPECT_THAT(messages, IsEmpty());

    // Nothing to copy: an empty row, an empty new record.
    RowCommand(7, "CopyRecord1");
    Button("B_New")->click();
    ASSERT_TRUE(w.RecordPage()->NewRecord());
    Button("B_RCopy")->click();
    EXPECT_THAT(Texts(), ElementsAre("Empty Record - Not Copied!", "Empty Record - Not Copied!"));
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(Buffer(), Name('A', 4));
}

TEST_F(RecordOperationsTest, PasteIsOfferedOnlyOnceARecordWasCopiedInThisRun) {
    OpenCatalogue();
    Button("B_RCopy")->click();
    Close();
    // The buffer record survives, but a new run does not offer it.
    auto& w = Open();
    EXPECT_EQ(Buffer(), Name('A', 1));
    EXPECT_FALSE(w.Database().CopyBufferFilled);
    const auto offered = [this](bool expected) {
        EXPECT_EQ(Button("B_RPaste")->isEnabled(), expected);
        OpenRowMenu(0);
        EXPECT_EQ(Action("PasteRecord1")->isEnabled(), expected);
        EXPECT_EQ(Submenu("ViewBuffer1")->menuAction()->isEnabled(), expected);
        window->Menus().RowMenu()->hide();
        OpenRightPageMenu();
        EXPECT_EQ(Action("Paste3")->isEnabled(), expected);
        EXPECT_EQ(Submenu("ViewBuffer3")->menuAction()->isEnabled(), expected);
        window->Menus().RightPageMenu()->hide();
    };
    offered(false);
    Button("B_RCopy")->click();
    offered(true);
}

TEST_F(RecordOperationsTest, PasteIntoTheShownRecordFillsItsEditorsAndIsStoredOnLeaving) {
    auto& w = OpenCatalogue();
    RowCommand(5, "CopyRecord1"); // "Aitem 06"
    const std::function<void()> pastes[] = {
        [this] { Button("B_RPaste")->click(); },
        [this] { RowCommand(window->Navigator()->CurrentRow(), "PasteRecord1"); },
    };
    // The second record of the range each time: "Aitem 02", then (once that became a copy of
    // "Aitem 06" and moved) "Aitem 03".
    for (const std::uint32_t number : {2u, 3u}) {
        SCOPED_TRACE(number);
        w.RecordPage()->ShowRecordAt(1);
        ASSERT_EQ(Shown(), QString::fromStdString(Name('A', static_cast<int>(number))));
        pastes[number - 2]();
        EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 6)));
        EXPECT_EQ(Find<QComboBox>("L2")->currentText(), QStringLiteral("Maker 6"));
        EXPECT_EQ(Stored(number), Name('A', static_cast<int>(number)));
        w.RecordPage()->ShowRecordAt(6);
        EXPECT_EQ(Stored(number), Name('A', 6));
    }
    EXPECT_EQ(Count('A'), 7);
}

TEST_F(RecordOperationsTest, PastingIntoListedRecordsMovesLetterCountsAndTabColours) {
    auto& w = OpenCatalogue();
    const auto records = OpenData()->recordCount();
    w.RecordPage()->ShowRecordAt(4); // "Aitem 05"
    const int shown = w.RecordPage()->CurrentRecordId();
    Editor(1)->setText(QStringLiteral("Cobalt"));
    Button("B_RCopy")->click();
    Button("B_RUndo")->click();
    ASSERT_EQ(Shown(), QString::fromStdString(Name('A', 5)));
    EXPECT_EQ(TabText('C'), Colour(Element::EmptyTabText));

    // Over a record before the shown one: it leaves the letter, the shown one moves up.
    RowCommand(1, "PasteRecord1");
    EXPECT_EQ(Stored(2), "Cobalt");
    EXPECT_EQ(Count('A'), 6);
    EXPECT_EQ(Count('C'), 1);
    EXPECT_EQ(TabText('C'), Colour(Element::FilledTabText));
    EXPECT_EQ(w.RecordPage()->RecordPosition(), 4);
    EXPECT_TRUE(ShownAtItsPosition());

    // Into the empty row after the letter: a new numbered record.
    RowCommand(6, "PasteRecord1");
    EXPECT_EQ(Count('C'), 2);
    auto data = OpenData();
    EXPECT_EQ(data->recordCount(), records + 1);
    data->last();
    EXPECT_EQ(data->text(AppName), "Cobalt");
    EXPECT_GT(data->number(db::RecordNumberField), records);

    // A record of the shown letter sorting before it: the shown one moves down.
    Editor(1)->setText(QStringLiteral("Aaa first"));
    Button("B_RCopy")->click();
    Button("B_RUndo")->click();
    RowCommand(6, "PasteRecord1");
    EXPECT_EQ(Count('A'), 7);
    EXPECT_EQ(w.RecordPage()->RecordPosition(), 5);
    EXPECT_TRUE(ShownAtItsPosition());
    EXPECT_EQ(w.RecordPage()->CurrentRecordId(), shown);
    EXPECT_EQ(w.Navigator()->CurrentRow(), 4);
}

TEST_F(RecordOperationsTest, UndoGivesBackTheStoredRecordOrAnEmptyNewOne) {
    auto& w = OpenCatalogue();
    Editor(1)->setText(QStringLiteral("Changed"));
    Editor(5)->setText(QStringLiteral("serial"));
    Button("B_RUndo")->click();
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 1)));
    EXPECT_EQ(Editor(5)->text(), QString());
    // Still locked for editing.
    auto other = OpenData();
    other->goToRecord(1);
    EXPECT_ANY_THROW(other->edit());

    Button("B_New")->click();
    Editor(1)->setText(QStringLiteral("Typed"));
    Button("B_RUndo")->click();
    EXPECT_TRUE(w.RecordPage()->RecordIsEmpty());
    EXPECT_TRUE(w.RecordPage()->NewRecord());
}

TEST_F(RecordOperationsTest, QuickViewAndBufferViewListTheFieldsOfARecord) {
    auto& w = OpenCatalogue({{'A', 2}});
    engine::Table& data = w.Database().DataTable;
    w.Database().MoveToRecord(data, 1);
    data.edit();
    data.setText(AppName, "A" + std::string(59, 'x'));
    data.setDate(InstallDate, year_month_day{year(2024), month(3), day(7)});
    data.setBytes(Logo, "GIF89a");
    data.setBytes(Notes, "first line\r\nsecond line");
    data.post();
    settings.DateFormats.Lines[1].Format = 1;

    OpenRowMenu(1);
    const QMenu* quickView = Submenu("QuickView1");
    EXPECT_TRUE(quickView->menuAction()->isEnabled());
    const std::vector<QString> captions = Captions(quickView);
    ASSERT_EQ(captions.size(), 24u);
    EXPECT_EQ(captions[0], QStringLiteral("A") + QString(49, 'x'));
    EXPECT_EQ(captions[1], QStringLiteral("Maker 2"));
    EXPECT_EQ(captions[7], QStringLiteral("07/03/2024"));
    EXPECT_EQ(captions[10], QStringLiteral("<PICTURE> - Not Empty"));
    EXPECT_EQ(captions[22], QStringLiteral("first line"));
    EXPECT_EQ(captions[23], QStringLiteral("<PICTURE> - Empty"));
    EXPECT_FALSE(Submenu("ViewBuffer1")->menuAction()->isEnabled());
    EXPECT_TRUE(Submenu("ViewBuffer1")->isEmpty());
    w.Menus().RowMenu()->hide();

    // An empty row has nothing to view.
    OpenRowMenu(2);
    EXPECT_FALSE(quickView->menuAction()->isEnabled());
    EXPECT_TRUE(quickView->isEmpty());
    w.Menus().RowMenu()->hide();

    RowCommand(1, "CopyRecord1");
    OpenRightPageMenu();
    EXPECT_EQ(Captions(Submenu("ViewBuffer3")), captions);
    w.Menus().RightPageMenu()->hide();
}

TEST_F(RecordOperationsTest, RightPageMenuFollowsTheRecordButtons) {
    Open();
    Close();
    auto other = OpenData();
    other->append();
    other->setText(AppName, "Held");
    other->post();
    other->first();
    other->edit();
    settings.DeleteMode = DeleteMode::ImmediateDelete;
    auto& w = Open();
    ASSERT_TRUE(w.RecordPage()->RecordInUse());
    OpenRightPageMenu();
    for (const char* item : {"Undo3", "Paste3", "Delete3"}) {
        EXPECT_FALSE(Action(item)->isEnabled()) << item;
    }
    EXPECT_TRUE(Action("Copy3")->isEnabled());
    w.Menus().RightPageMenu()->hide();

    // A record shown read-only can still be copied.
    Action("Copy3")->trigger();
    EXPECT_EQ(Buffer(), "Held");
    EXPECT_TRUE(w.Database().CopyBufferFilled);
    EXPECT_FALSE(Button("B_RPaste")->isEnabled());
}

TEST_F(RecordOperationsTest, KeysRunTheirCommandsOnlyWhileTheirButtonsAreEnabled) {
    settings.DeleteMode = DeleteMode::ImmediateDelete;
    auto& w = OpenCatalogue();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const auto key = [&w](Qt::Key k, Qt::KeyboardModifiers modifiers) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : &w, k, modifiers);
    };
    w.RecordPage()->ShowRecordAt(1);
    key(Qt::Key_T, Qt::AltModifier); // nothing copied yet
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 2)));
    w.RecordPage()->ShowRecordAt(0);
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(Buffer(), Name('A', 1));
    w.RecordPage()->ShowRecordAt(1);
    key(Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 1)));
    key(Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 2)));
    key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_EQ(Count('A'), 6);
    EXPECT_EQ(Shown(), QString::fromStdString(Name('A', 3)));
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(w.RecordPage()->NewRecord());
    EXPECT_EQ(QApplication::focusWidget(), Editor(1));
}

TEST_F(RecordOperationsTest, PrintingOneRecordHandsThePositionedRecordToThePrintingPart) {
    auto& w = OpenCatalogue();
    const char* const commands[] = {"B_RPrint", "Print3", "PrintRecord1"};
    for (const char* name : commands) {
        EXPECT_FALSE(name[0] == 'B' ? Button(name)->isEnabled() : Action(name)->isEnabled())
            << name;
    }
    std::vector<std::string> printed;
    std::vector<const engine::Table*> tables;
    w.RecordCommands()->SetPrintRecord([&](engine::Table& table) {
        printed.push_back(table.text(AppName));
        tables.push_back(&table);
    });
    EXPECT_TRUE(Button("B_RPrint")->isEnabled());

    // The shown record is settled first and printed from the edit cursor.
    Editor(1)->setText(QStringLiteral("Aitem 01 edited"));
    Button("B_RPrint")->click();
    EXPECT_EQ(Stored(1), "Aitem 01 edited");
    // It stays locked and later edits are stored too.
    Editor(1)->setText(QStringLiteral("Aitem 01 later"));
    w.RecordPage()->ShowRecordAt(3);
    EXPECT_EQ(Stored(1), "Aitem 01 later");

    // An empty new record prints nothing; a filled one is stored and printed.
    Button("B_New")->click();
    Button("B_RPrint")->click();
    Editor(1)->setText(QStringLiteral("Azz new"));
    Button("B_RPrint")->click();
    EXPECT_FALSE(w.RecordPage()->NewRecord());
    EXPECT_EQ(Count('A'), 8);

    ASSERT_GT(w.LeftPage()->RowButtons().size(), 8u);
    RowCommand(2, "PrintRecord1");
    RowCommand(8, "PrintRecord1");
    EXPECT_THAT(Texts(), ElementsAre("Empty Record cannot be Printed."));
    EXPECT_THAT(printed, ElementsAre("Aitem 01 edited", "Azz new", Name('A', 3)));
    const engine::Table* edit = &w.RecordPage()->EditCursor().Table();
    EXPECT_THAT(tables, ElementsAre(edit, edit, &w.Database().DataTable));
}

TEST_F(RecordOperationsTest, AReadOnlyUserCanOnlyView) {
    OpenCatalogue({{'A', 2}});
    Button("B_RCopy")->click();
    Close();
    settings.UserAccess = settings::opt::UserAccess::ReadOnly;
    auto& w = Open();
    for (const char* name : {"B_RCopy", "B_New", "B_RUndo", "B_RDelete", "B_RPaste"}) {
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(Action("New1")->isEnabled());
    OpenRowMenu(0);
    for (const char* item : {"CopyRecord1", "PasteRecord1", "Deleterecord1"}) {
        EXPECT_FALSE(Action(item)->isEnabled()) << item;
    }
    EXPECT_TRUE(Submenu("QuickView1")->menuAction()->isEnabled());
    w.Menus().RowMenu()->hide();
}

} // namespace
} // namespace shelfwise::book
