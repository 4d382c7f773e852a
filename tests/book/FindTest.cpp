#include "SortedBook.h"
#include "book/FindCommands.h"
#include "book/RecordFields.h"
#include "search/FindDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <optional>

namespace shelfwise::book {
namespace {

using test::NameField;
using test::NotesField;
using test::PriceField;
using test::ProducerField;

// A book window sorted by name, with the Find window opened from the speed bar.
class FindTest : public test::SortedBook {
protected:
    FindTest() { search::FindMemory() = {}; }

    void OpenEntries(const std::vector<test::Title>& entries, bool letterTabs = false) {
        settings.LetterTabs =
            letterTabs ? settings::opt::LetterTabs::Use : settings::opt::LetterTabs::DontUse;
        OpenWith(entries);
        SortBy(NameField);
        window->RecordPage()->ShowRecordAt(0);
        OpenFind();
    }

    void OpenTitles(bool letterTabs = false) {
        OpenEntries({{"Alpha V1.12", "Acme", 12, ""},
                     {"Bravo", "Zeta", 12.5, "line one\r\nline two ACME"},
                     {"Charlie acme", "Omega", 0, "ACME"},
                     {"Echo", "Acme", 7, ""}},
                    letterTabs);
    }

    search::TFindDlg* OpenFind() {
        window->Commands().Button(QStringLiteral("B_Search"))->click();
        find = window->findChild<TFindCommands*>()->FindWindow();
        return find;
    }

    template <typename T> T* Control(const char* name) const {
        T* control = find->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QPushButton* Button(const char* name) const { return Control<QPushButton>(name); }

    // Fills the window as the user would; an empty label means "ALL FIELDS".
    void Choose(const char* text, int field = 0, bool skipMemos = false, bool fromEnd = false) {
        auto* fields = Control<QComboBox>("ComboBox1");
        fields->setCurrentIndex(
            field == 0 ? 0 : fields->findText(QString::fromStdString(Label(field))));
        if (Control<QCheckBox>("CheckBox1")->isChecked() != skipMemos) {
            Control<QCheckBox>("CheckBox1")->click();
        }
        Control<QGroupBox>("RadioGroup1")
            ->findChildren<QRadioButton*>()[fromEnd ? 1 : 0]
            ->setChecked(true);
        Control<QComboBox>("Edit1")->setEditText(QString::fromLatin1(text));
    }

    std::string Label(int position) const { return settings.FieldLabels[position - NameField]; }
    QWidget* Editor(int position) const {
        return window->Fields()
            ->Editors()[static_cast<std::size_t>(position - NameField)]
            ->Widget();
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
    db::FilterState Scope() const { return window->LeftPage()->SortButton()->Filter(); }
    // Runs `action` from inside the next run, where the window takes the user's input.
    template <typename Action> void DuringRun(Action action) {
        QMetaObject::invokeMethod(find, action, Qt::QueuedConnection);
    }

    QPointer<search::TFindDlg> find;
};

TEST_F(FindTest, OpensOneTopLevelWindowWithItsControls) {
    OpenTitles();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isWindow());
    EXPECT_EQ(find->parentWidget(), nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->windowTitle(), QStringLiteral("Search"));
    EXPECT_EQ(find->property("helpContext").toInt(), 21);
    window->Commands().Item(QStringLiteral("Find1"))->trigger();
    EXPECT_EQ(window->findChild<TFindCommands*>()->FindWindow(), find);
    EXPECT_EQ(QApplication::topLevelWidgets().count(find.data()), 1);

    const struct {
        const char* name;
        const char* hint;
    } hints[] = {
        {"ComboBox1", "Select Which Fields Should Be Searched"},
        {"CheckBox1", "Search is Faster if Checked"},
        {"CheckBox2", "Search Through Entire Database In One Pass"},
        {"RadioGroup1", "Determines Search Direction"},
        {"Edit1", "Enter Text You Want To Search For"},
        {"BitBtn1", "Start Search From Beginning or End of File"},
        {"BitBtn2", "Find Next Record"},
        {"BitBtn3", "Find Previous Record"},
        {"BitBtn4", "Stop Searching"},
        {"BitBtn5", "Display Help Window"},
        {"OKBtn", "Close Search Window"},
    };
    for (const auto& h : hints) {
        EXPECT_EQ(Control<QWidget>(h.name)->toolTip(), QString::fromLatin1(h.hint)) << h.name;
    }
    // Every data field but the pictures, after "ALL FIELDS".
    auto* fields = Control<QComboBox>("ComboBox1");
    EXPECT_EQ(fields->itemText(0), QStringLiteral("ALL FIELDS"));
    EXPECT_NE(fields->findText(QString::fromStdString(Label(NotesField))), -1);
    EXPECT_EQ(fields->findText(QString::fromStdString(Label(Picture))), -1);
    EXPECT_FALSE(Button("BitBtn2")->isEnabled());
    EXPECT_FALSE(Button("BitBtn3")->isEnabled());
    EXPECT_FALSE(Button("BitBtn4")->isEnabled());

    // The menu item opens a new window once the first is closed.
    find->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(find, nullptr);
    window->Commands().Item(QStringLiteral("Find1"))->trigger();
    find = window->findChild<TFindCommands*>()->FindWindow();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
}

TEST_F(FindTest, EachOptionFindsItsField) {
    OpenTitles();
    struct Case {
        const char* text;
        int field; // 0: all fields
        bool skipMemos;
        bool fromEnd;
        const char* shown; // nullptr: nothing found
        int focused;
    };
    const Case cases[] = {
        {"12", 0, false, false, "Alpha V1.12", NameField},
        {"12", 0, false, true, "Alpha V1.12", PriceField},
        {"12.5", PriceField, false, false, "Bravo", PriceField},
        {"12.5", ProducerField, false, false, nullptr, 0},
        {"acme", 0, false, false, "Alpha V1.12", ProducerField},
        {"acme", 0, true, true, "Echo", ProducerField},
        {"line two", 0, false, true, "Bravo", NotesField},
        {"line two", 0, true, false, nullptr, 0},
        {"line two", NotesField, true, false, "Bravo", NotesField},
        {"omega", ProducerField, false, true, "Charlie acme", ProducerField},
        {"abc", 0, false, false, nullptr, 0},
    };
    for (const Case& c : cases) {
        messages.clear();
        window->RecordPage()->ShowRecordAt(0);
        Choose(c.text, c.field, c.skipMemos, c.fromEnd);
        Button("BitBtn1")->click();
        const std::string what = std::string(c.text) + " field " + std::to_string(c.field) +
                                 (c.skipMemos ? " skip memos" : "") + (c.fromEnd ? " end" : "");
        EXPECT_TRUE(window->isEnabled()) << what;
        if (c.shown == nullptr) {
            EXPECT_EQ(Texts(), std::vector<std::string>{"Text Not Found!"}) << what;
            EXPECT_EQ(Control<QLabel>("Label4")->text(), QString()) << what;
            continue;
        }
        EXPECT_TRUE(messages.empty()) << what;
        EXPECT_EQ(Shown(), QString::fromLatin1(c.shown)) << what;
        EXPECT_EQ(window->Fields()->Highlighted(), Editor(c.focused)) << what;
        EXPECT_EQ(Button("BitBtn2")->isEnabled(), !c.fromEnd) << what;
        EXPECT_EQ(Button("BitBtn3")->isEnabled(), c.fromEnd) << what;
    }
}

TEST_F(FindTest, MemoHitsSelectExactlyTheMatchedCharacters) {
    OpenTitles();
    Choose("acme", NotesField);
    Button("BitBtn1")->click();
    auto* memo = qobject_cast<QPlainTextEdit*>(Editor(NotesField));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(Shown(), QStringLiteral("Bravo"));
    EXPECT_EQ(memo->textCursor().selectedText(), QStringLiteral("ACME"));
    EXPECT_EQ(memo->textCursor().selectionStart(), 18);
    Button("BitBtn2")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Charlie acme"));
    EXPECT_EQ(memo->textCursor().selectionStart(), 0);
    EXPECT_EQ(memo->textCursor().selectedText(), QStringLiteral("ACME"));
    // Two hits in one record follow each other, forwards and back.
    Choose("acme", 0, false, false);
    Button("BitBtn1")->click();
    Button("BitBtn2")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Bravo"));
    Button("BitBtn2")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Charlie acme"));
    EXPECT_EQ(window->Fields()->Highlighted(), Editor(NameField));
    Button("BitBtn2")->click();
    EXPECT_EQ(window->Fields()->Highlighted(), Editor(NotesField));
    Button("BitBtn3")->click();
    EXPECT_EQ(window->Fields()->Highlighted(), Editor(NameField));
    EXPECT_TRUE(messages.empty());
}

TEST_F(FindTest, BackwardsStopsAtTheFirstRecord) {
    OpenTitles();
    Choose("a", NameField, false, true);
    Button("BitBtn1")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Charlie acme"));
    EXPECT_EQ(Control<QLabel>("Label4")->text(), QStringLiteral("3"));
    Button("BitBtn3")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Bravo"));
    Button("BitBtn3")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Alpha V1.12"));
    EXPECT_EQ(Control<QLabel>("Label4")->text(), QStringLiteral("1"));
    EXPECT_TRUE(messages.empty());
    Button("BitBtn3")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Text Not Found!"});
    EXPECT_FALSE(Button("BitBtn3")->isEnabled());
    EXPECT_TRUE(Button("BitBtn2")->isEnabled());
    EXPECT_EQ(Control<QLabel>("Label4")->text(), QString());
    // A new sort leaves nothing to continue from.
    SortBy(ProducerField);
    EXPECT_FALSE(Button("BitBtn2")->isEnabled());
}

TEST_F(FindTest, WalksTheLettersThatHoldRecords) {
    OpenEntries({{"Bravo x", "", 1, ""}, {"Delta x", "", 2, ""}, {"Zulu", "", 3, ""}}, true);
    ASSERT_TRUE(window->Database().Index.LetterTabsActive());
    Choose("x");
    Button("BitBtn1")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Bravo x"));
    EXPECT_EQ(Control<QLabel>("Label5")->text(), QStringLiteral("B"));
    EXPECT_EQ(Control<QLabel>("Label4")->text(), QStringLiteral("1"));
    EXPECT_EQ(SelectedTab(), 'B');
    Button("BitBtn2")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Delta x"));
    EXPECT_EQ(SelectedTab(), 'D');
    EXPECT_TRUE(messages.empty());
    Button("BitBtn2")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Text Not Found!"});
    EXPECT_EQ(Control<QLabel>("Label5")->text(), QString());
    EXPECT_FALSE(Button("BitBtn2")->isEnabled());
    // Back at the letter of the last hit.
    EXPECT_EQ(SelectedTab(), 'D');
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(FindTest, NonStopMarksTheHitsAndListsThem) {
    OpenTitles();
    Control<QCheckBox>("CheckBox2")->click();
    EXPECT_FALSE(Control<QGroupBox>("RadioGroup1")->isEnabled());
    Choose("acme", 0, true);
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "3 Record(s) Found!\nTo return later to All-Record-Display set Filter "
                           "to All Records."});
    EXPECT_EQ(Marks(), (std::vector<std::string>{"2", "0", "2", "2"}));
    EXPECT_EQ(Scope(), db::FilterState::fsNormal);
    EXPECT_EQ(Listed(), (QStringList{"Alpha V1.12", "Charlie acme", "Echo"}));
    EXPECT_TRUE(window->isEnabled());

    messages.clear();
    Choose("nothing");
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"No Records Found!"});
    EXPECT_EQ(Scope(), db::FilterState::fsFilterOff);
    EXPECT_EQ(Listed().size(), 4);
}

TEST_F(FindTest, StopEndsANonStopRunQuietly) {
    OpenTitles();
    Control<QCheckBox>("CheckBox2")->click();
    Choose("acme");
    bool checked = false;
    DuringRun([&] {
        checked = true;
        EXPECT_FALSE(window->isEnabled());
        EXPECT_TRUE(find->isEnabled());
        EXPECT_TRUE(Button("BitBtn4")->isEnabled());
        EXPECT_FALSE(Button("BitBtn1")->isEnabled());
        Button("BitBtn4")->click();
    });
    Button("BitBtn1")->click();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Scope(), db::FilterState::fsFilterOff);
    EXPECT_EQ(Listed().size(), 4);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(Button("BitBtn4")->isEnabled());
    EXPECT_TRUE(Button("BitBtn1")->isEnabled());
}

TEST_F(FindTest, ARecordAnotherUserHoldsIsSkippedAndCounted) {
    OpenTitles();
    // The filtered list's index is made while the table is still free for it.
    Control<QCheckBox>("CheckBox2")->click();
    Choose("V1", 0, true);
    Button("BitBtn1")->click();
    ASSERT_EQ(Scope(), db::FilterState::fsNormal);
    messages.clear();
    auto other = OpenData();
    other->first();
    other->next();
    other->next(); // "Charlie acme"
    other->edit();
    Choose("acme", 0, true);
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(),
              std::vector<std::string>{
                  "2 Record(s) Found!\nTo return later to All-Record-Display set Filter to All "
                  "Records.\n1 record(s) could not be marked: another user is editing them."});
    other->cancel();
    // "Charlie acme" keeps the mark of the first pass.
    EXPECT_EQ(Marks(), (std::vector<std::string>{"2", "0", "0", "2"}));
    EXPECT_EQ(Listed(), (QStringList{"Alpha V1.12", "Echo"}));
}

TEST_F(FindTest, ARefusedDiscardKeepsTheShownRecordsEdits) {
    OpenTitles();
    // A new record that cannot be stored (another program holds the catalogue record), and the
    // user keeps it.
    window->RecordPage()->ShowRecordAt(4);
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    Find<QLineEdit>("L1")->setText(QStringLiteral("Foxtrot"));
    engine::Table master;
    HoldCatalogueRecord(master);
    answer = platform::MessageAnswer::No;

    Choose("acme");
    Button("BitBtn1")->click();
    Control<QCheckBox>("CheckBox2")->click();
    Button("BitBtn1")->click();
    EXPECT_EQ(messages.size(), 2u); // the two warnings, nothing found or reported
    EXPECT_EQ(Shown(), QStringLiteral("Foxtrot"));
    EXPECT_TRUE(window->RecordPage()->NewRecord());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Scope(), db::FilterState::fsFilterOff);
    master.cancel();
}

TEST_F(FindTest, ClosingDuringARunEndsTheRunFirst) {
    OpenTitles();
    Choose("nothing");
    DuringRun([&] { find->close(); });
    Button("BitBtn1")->click();
    EXPECT_TRUE(messages.empty());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(find, nullptr);
    EXPECT_TRUE(window->isEnabled());
    // The text is kept for the next window.
    OpenFind();
    EXPECT_EQ(Control<QComboBox>("Edit1")->currentText(), QStringLiteral("nothing"));
    // Hiding the book window closes it.
    window->hide();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(find, nullptr);
}

TEST_F(FindTest, TheBookWindowGoingAwayEndsARunWithoutTouchingItsTable) {
    OpenTitles();
    Control<QCheckBox>("CheckBox2")->click();
    Choose("acme");
    DuringRun([&] { window.reset(); });
    Button("BitBtn1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(find, nullptr);
    // The run reports nothing.
    for (const std::string& text : Texts()) {
        EXPECT_EQ(text.find("Found"), std::string::npos) << text;
    }
}

TEST_F(FindTest, SettingsLastForTheRun) {
    OpenTitles();
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"You have to enter Text!"});
    Choose("abc", ProducerField, false, true);
    Button("BitBtn1")->click();
    Choose("xyz");
    Button("BitBtn1")->click();
    Choose("ABC", ProducerField, false, true);
    Button("BitBtn1")->click();
    Control<QCheckBox>("CheckBox2")->click();
    Button("OKBtn")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(find, nullptr);
    OpenFind();
    auto* text = Control<QComboBox>("Edit1");
    EXPECT_EQ(text->currentText(), QStringLiteral("ABC"));
    ASSERT_EQ(text->count(), 2);
    EXPECT_EQ(text->itemText(0), QStringLiteral("ABC"));
    EXPECT_EQ(text->itemText(1), QStringLiteral("xyz"));
    EXPECT_EQ(Control<QComboBox>("ComboBox1")->currentText(),
              QString::fromStdString(Label(ProducerField)));
    EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>("CheckBox2")->isChecked());
    // Checking non-stop mode went back to "Beginning".
    EXPECT_TRUE(Control<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>()[0]->isChecked());
}

} // namespace
} // namespace shelfwise::book
