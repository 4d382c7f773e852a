#include "SortedBook.h"
#include "book/FindCommands.h"
#include "book/ReplaceCommands.h"
#include "engine/PosixFile.h"
#include "search/FindDlg.h"
#include "search/ReplaceDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace shelfwise::book {
namespace {

using test::NameField;
using test::NotesField;
using test::ProducerField;

constexpr const char* Confirmation =
    "This function is very Dangerous!\nMake sure you selected the desired set of records using a "
    "Filter. Click on Help for more information. Are you sure you want to use Replace function?";

// A book window sorted by name, with the Replace window opened from the speed bar.
class ReplaceTest : public test::SortedBook {
protected:
    void OpenTitles() {
        settings.LetterTabs = settings::opt::LetterTabs::DontUse;
        OpenWith({{"Windows 95", "Acme", 10, ""},
                  {"Linux", "Zeta", 20, ""},
                  {"winamp", "Acme", 30, ""}});
        SortBy(NameField);
        window->RecordPage()->ShowRecordAt(0);
        OpenReplace();
    }

    TReplaceCommands* Commands() const { return window->findChild<TReplaceCommands*>(); }

    search::TReplaceDlg* OpenReplace() {
        window->Commands().Button(QStringLiteral("B_Replace"))->click();
        replace = Commands()->ReplaceWindow();
        return replace;
    }

    template <typename T> T* Control(const char* name) const {
        T* control = replace->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QPushButton* Button(const char* name) const { return Control<QPushButton>(name); }
    QRadioButton* Option(const char* group, int index) const {
        return Control<QGroupBox>(group)->findChildren<QRadioButton*>()[index];
    }

    // Fills the window as the user would.
    void Choose(int field, int mode, const char* edit1, const char* edit2, bool fromFirst = true) {
        auto* fields = Control<QComboBox>("ComboBox1");
        fields->setCurrentIndex(fields->findText(QString::fromStdString(Label(field))));
        Option("RadioGroup1", mode)->setChecked(true);
        Option("RadioGroup2", fromFirst ? 1 : 0)->setChecked(true);
        Control<QLineEdit>("Edit1")->setText(QString::fromLatin1(edit1));
        Control<QLineEdit>("Edit2")->setText(QString::fromLatin1(edit2));
    }

    std::string Label(int position) const { return settings.FieldLabels[position - NameField]; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }
    // The field of every record, in entry order, as another program reads it.
    std::vector<std::string> Column(int position) const {
        auto table = OpenData();
        std::vector<std::string> values;
        for (table->first(); !table->atEnd(); table->next()) {
            values.push_back(table->text(position));
        }
        return values;
    }
    template <typename Action> void DuringRun(Action action) {
        QMetaObject::invokeMethod(replace, action, Qt::QueuedConnection);
    }

    QPointer<search::TReplaceDlg> replace;
};

TEST_F(ReplaceTest, OpensATopLevelWindowThatCloseOnlyHides) {
    OpenTitles();
    ASSERT_NE(replace, nullptr);
    EXPECT_TRUE(replace->isWindow());
    EXPECT_EQ(replace->parentWidget(), nullptr);
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(replace->windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(replace->property("helpContext").toInt(), 130);
    const struct {
        const char* name;
        const char* hint;
    } hints[] = {
        {"ComboBox1", "Select Which Fields Should Be Replaced"},
        {"BitBtn1", "Start Replacing"},
        {"HelpBtn", "Display Help Window"},
        {"BitBtn2", "Stop Replacing"},
        {"OKBtn", "Close Search Window"},
    };
    for (const auto& h : hints) {
        EXPECT_EQ(Control<QWidget>(h.name)->toolTip(), QString::fromLatin1(h.hint)) << h.name;
    }
    EXPECT_EQ(Control<QGroupBox>("RadioGroup1")->title(), QStringLiteral("Replace Mode"));
    EXPECT_EQ(Control<QGroupBox>("RadioGroup2")->title(), QStringLiteral("Start Replacing From"));
    EXPECT_TRUE(Option("RadioGroup1", 0)->isChecked());
    EXPECT_TRUE(Option("RadioGroup2", 0)->isChecked());
    EXPECT_FALSE(Button("BitBtn2")->isEnabled());
    EXPECT_TRUE(Control<QLabel>("Label5")->text().isEmpty());

    Choose(ProducerField, 1, "ac", "Be");
    Button("OKBtn")->click();
    EXPECT_FALSE(replace->isVisible());
    EXPECT_EQ(OpenReplace(), replace.data());
    EXPECT_TRUE(replace->isVisible());
    EXPECT_EQ(Control<QComboBox>("ComboBox1")->currentText(),
              QString::fromStdString(Label(ProducerField)));
    EXPECT_TRUE(Option("RadioGroup1", 1)->isChecked());
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), QStringLiteral("ac"));
}

TEST_F(ReplaceTest, TheBoxesFollowTheFieldAndTheMode) {
    OpenTitles();
    auto* replaceButton = Button("BitBtn1");
    Choose(NameField, 0, "", "");
    EXPECT_FALSE(replaceButton->isEnabled()) << "an empty value is never written";
    EXPECT_FALSE(Control<QLineEdit>("Edit1")->isVisible());
    Control<QLineEdit>("Edit2")->setText(QStringLiteral("x"));
    EXPECT_TRUE(replaceButton->isEnabled());

    Option("RadioGroup1", 1)->setChecked(true);
    EXPECT_TRUE(Control<QLineEdit>("Edit1")->isVisible());
    EXPECT_EQ(Control<QLabel>("Label2")->text(), QStringLiteral("Substring To Replace:"));

    Option("RadioGroup1", 2)->setChecked(true);
    EXPECT_EQ(Control<QLabel>("Label2")->text(), QStringLiteral("Start From:"));
    EXPECT_FALSE(Control<QLineEdit>("Edit2")->isVisible());
    EXPECT_TRUE(replaceButton->isEnabled());
    auto* start = Control<QLineEdit>("Edit1");
    EXPECT_TRUE(start->text().isEmpty()) << "a text that is no whole number is cleared";
    start->setFocus();
    QTest::keyClicks(start, QStringLiteral("a1b2"));
    EXPECT_EQ(start->text(), QStringLiteral("12"));

    // A memo or a date field takes only the whole value, in its own box.
    auto* fields = Control<QComboBox>("ComboBox1");
    fields->setCurrentIndex(fields->findText(QString::fromStdString(Label(NotesField))));
    EXPECT_TRUE(Option("RadioGroup1", 0)->isChecked());
    EXPECT_TRUE(Control<QPlainTextEdit>("Memo1")->isVisible());
    EXPECT_FALSE(Control<QLineEdit>("Edit2")->isVisible());
    EXPECT_FALSE(replaceButton->isEnabled());
    Control<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("one"));
    EXPECT_TRUE(replaceButton->isEnabled());
    Option("RadioGroup1", 3)->setChecked(true);
    EXPECT_TRUE(Option("RadioGroup1", 0)->isChecked());
    fields->setCurrentIndex(fields->findText(QString::fromStdString(Label(InstallDate))));
    EXPECT_TRUE(Control<QLineEdit>("DateEdit1")->isVisible());
    EXPECT_FALSE(Control<QPlainTextEdit>("Memo1")->isVisible());
}

TEST_F(ReplaceTest, ASubstringRunReportsAndLogs) {
    OpenTitles();
    std::vector<std::pair<QString, QString>> log;
    Commands()->AddLogEntry = [&](const QString& database, const QString& text) {
        log.emplace_back(database, text);
    };
    Choose(NameField, 1, "WIN", "Mac");
    Button("BitBtn1")->click();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(messages[0].helpContext, 130);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  Confirmation, "2 records were Replaced.\n0 records failed the Replace."}));
    EXPECT_EQ(Column(NameField), (std::vector<std::string>{"Macdows 95", "Linux", "Macamp"}));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].second, QStringLiteral("2 Records Replaced."));
    EXPECT_FALSE(log[0].first.isEmpty());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Listed(), (QStringList{"Linux", "Macamp", "Macdows 95"}));
    EXPECT_TRUE(Control<QLabel>("Label5")->text().isEmpty());

    messages.clear();
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{Confirmation, "No records were replaced!"}));
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(ReplaceTest, FromTheShownRecordAndOnlyInTheFilteredList) {
    OpenTitles();
    // A non-stop Find marks the records made by Acme and lists them.
    replace->close();
    window->findChild<TFindCommands*>()->ShowFind();
    auto* find = window->findChild<TFindCommands*>()->FindWindow();
    find->findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->click();
    find->findChild<QComboBox*>(QStringLiteral("Edit1"))->setEditText(QStringLiteral("acme"));
    find->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    ASSERT_EQ(Listed().size(), 2);
    messages.clear();
    // From the shown record, the second of the list, to the end of the order.
    window->RecordPage()->ShowRecordAt(1);
    const std::string shown = Shown().toStdString();
    OpenReplace();
    Choose(ProducerField, 2, "7", "", false);
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  Confirmation, "1 records were Replaced.\n0 records failed the Replace."}));
    // The other marked record comes first and "Linux" is not in the list.
    std::vector<std::string> producers = {"Acme", "Zeta", "Acme"};
    producers[shown == "Windows 95" ? 0 : 2] = "7";
    EXPECT_EQ(Column(ProducerField), producers);
    EXPECT_EQ(Marks(), (std::vector<std::string>{"2", "0", "2"}));
}

TEST_F(ReplaceTest, NoAndARefusedDiscardChangeNothing) {
    OpenTitles();
    Choose(NameField, 0, "", "Same");
    answer = platform::MessageAnswer::No;
    Button("BitBtn1")->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{Confirmation});
    EXPECT_EQ(Column(NameField), (std::vector<std::string>{"Windows 95", "Linux", "winamp"}));

    // A new record that cannot be stored (another program holds the catalogue record), and the
    // user keeps it.
    messages.clear();
    window->RecordPage()->ShowRecordAt(3);
    ASSERT_TRUE(window->RecordPage()->NewRecord());
    Find<QLineEdit>("L1")->setText(QStringLiteral("Foxtrot"));
    engine::Table master;
    HoldCatalogueRecord(master);
    answer = platform::MessageAnswer::Yes;
    platform::SetMessageHook([this](const platform::Message& m) {
        messages.push_back(m);
        return m.text == Confirmation ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
    });
    Button("BitBtn1")->click();
    EXPECT_EQ(Shown(), QStringLiteral("Foxtrot"));
    EXPECT_TRUE(window->RecordPage()->NewRecord());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(Column(NameField), (std::vector<std::string>{"Windows 95", "Linux", "winamp"}));
    master.cancel();
}

TEST_F(ReplaceTest, StopEndsTheRunQuietly) {
    OpenTitles();
    Choose(NameField, 0, "", "Same");
    bool checked = false;
    DuringRun([&] {
        checked = true;
        EXPECT_FALSE(window->isEnabled());
        EXPECT_TRUE(replace->isEnabled());
        EXPECT_TRUE(Button("BitBtn2")->isEnabled());
        EXPECT_FALSE(Button("BitBtn1")->isEnabled());
        Button("BitBtn2")->click();
    });
    Button("BitBtn1")->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(Texts(), std::vector<std::string>{Confirmation});
    EXPECT_EQ(Control<QLabel>("Label5")->text(), QStringLiteral("1"));
    EXPECT_EQ(Column(NameField), (std::vector<std::string>{"Windows 95", "Linux", "winamp"}));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(Button("BitBtn2")->isEnabled());
}

TEST_F(ReplaceTest, ADiskFailureIsReportedWithTheRecordsWrittenBeforeIt) {
    OpenTitles();
    std::vector<QString> log;
    Commands()->AddLogEntry = [&](const QString&, const QString& text) { log.push_back(text); };
    Choose(NameField, 0, "", "Same");
    // The run's first change of a file fails: its only batch is dropped.
    DuringRun([] { engine::FileFaults::arm(1, engine::FileFaults::Action::Fail); });
    Button("BitBtn1")->click();
    engine::FileFaults::disarm();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].kind, platform::MessageKind::Error);
    EXPECT_TRUE(messages[1].text.ends_with("\n0 records were Replaced.")) << messages[1].text;
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Column(NameField), (std::vector<std::string>{"Windows 95", "Linux", "winamp"}));
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(ReplaceTest, FindAndReplaceFreeEachOther) {
    OpenTitles();
    auto* findCommands = window->findChild<TFindCommands*>();
    findCommands->ShowFind();
    QPointer<search::TFindDlg> find = findCommands->FindWindow();
    ASSERT_NE(find, nullptr);
    // A replace frees the Find window.
    Choose(NameField, 0, "", "Same");
    Button("BitBtn1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(find, nullptr);
    // A search frees the Replace window.
    findCommands->ShowFind();
    find = findCommands->FindWindow();
    find->findChild<QComboBox*>(QStringLiteral("Edit1"))->setEditText(QStringLiteral("Same"));
    find->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(replace, nullptr);
}

TEST_F(ReplaceTest, MinimizingOrHidingTheBookWindowClosesBoth) {
    for (const bool minimize : {true, false}) {
        OpenTitles();
        auto* findCommands = window->findChild<TFindCommands*>();
        findCommands->ShowFind();
        QPointer<search::TFindDlg> find = findCommands->FindWindow();
        if (minimize) {
            window->showMinimized();
        } else {
            window->hide();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(find, nullptr) << minimize;
        EXPECT_EQ(replace, nullptr) << minimize;
        Close();
    }
}

TEST_F(ReplaceTest, ClosingOrFreeingDuringARunEndsTheRunFirst) {
    OpenTitles();
    Choose(NameField, 0, "", "Same");
    DuringRun([&] { replace->close(); });
    Button("BitBtn1")->click();
    EXPECT_FALSE(replace->isVisible());
    EXPECT_TRUE(window->isEnabled());

    OpenReplace();
    DuringRun([&] { window->hide(); });
    Button("BitBtn1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(replace, nullptr);
}

} // namespace
} // namespace shelfwise::book
