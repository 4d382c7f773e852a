#include "app/OptionsDlg.h"

#include "app/BookWindowAdapter.h"
#include "book/BookMenus.h"
#include "book/ColorButton.h"
#include "book/ColorGrid.h"
#include "book/Fonts.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/RecordFields.h"
#include "book/RightPage.h"
#include "book/SoftwareBookWindow.h"
#include "book/SpeedBar.h"
#include "editors/DirEdit.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/ModemEntries.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateCatalogues.h"
#include "support/ProgramDirectory.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace shelfwise;
namespace fs = std::filesystem;
namespace opt = settings::opt;

namespace {

using Dialog = app::TOptionsDlg;

template <typename T> T* Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        ADD_FAILURE() << "no control " << name;
    }
    return child;
}

// A multi-user installation with passwords, a book window over the public database, and
// messages recorded with their default answers (or `answer` when set).
class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() {
        test::CopyTemplateTables(programDir);
        s.ProgramDir = s.DataRoot = programDir;
        s.UserCount = opt::UserCount::MultiUser;
        s.PasswordMode = opt::PasswordMode::Required;
        settings::SetPublicDir(s);
        settings::EnsureDataDirectories(s);
        s.DataDir = s.DatabaseDir;
        settings::SaveSecurityOptions(s);
        settings::SaveUiOptions(s);
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m.text);
            return answer ? *answer : platform::DefaultAnswer(m.buttons);
        });
    }
    ~OptionsTest() override {
        book.reset();
        platform::SetDialogHook(nullptr);
        platform::SetMessageHook(nullptr);
    }

    book::TSoftwareBookWindow& Window() {
        if (!book) {
            templates = std::make_unique<settings::TemplateCatalogues>(s.DataDir);
            book = std::make_unique<app::BookWindowAdapter>(s, *templates, [this] { ++trayCalls; });
            QApplication::processEvents();
        }
        return book->Window();
    }

    // The book window's Options command, with `work` done in the dialog before it is closed by
    // `leave` (its "&Close" button unless given). Other dialogs are answered by `otherDialogs`,
    // or cancelled.
    void RunOptions(const std::function<void(Dialog&)>& work,
                    const std::function<void(Dialog&)>& leave = {}) {
        Window();
        platform::SetDialogHook([&](QDialog& dialog) {
            auto* options = dynamic_cast<Dialog*>(&dialog);
            if (options == nullptr) {
                return otherDialogs ? otherDialogs(dialog) : int(QDialog::Rejected);
            }
            work(*options);
            if (leave) {
                leave(*options);
            } else {
                Child<QPushButton>(*options, "CloseBtn")->click();
            }
            return options->result();
        });
        book->Window().Commands().Run(QStringLiteral("Options"));
        platform::SetDialogHook(nullptr);
    }

    // The options as the next start reads them from the files.
    settings::Settings Reread() const {
        settings::Settings fresh;
        fresh.ProgramDir = programDir;
        settings::ReadSecurityOptions(fresh);
        settings::SetPublicDir(fresh);
        settings::ReadUiOptions(fresh);
        return fresh;
    }

    test::TemporaryDirectory scratch{"sw-options"};
    fs::path programDir = scratch.Path();
    settings::Settings s;
    std::unique_ptr<settings::TemplateCatalogues> templates;
    std::unique_ptr<app::BookWindowAdapter> book;
    std::vector<std::string> messages;
    std::optional<platform::MessageAnswer> answer;
    int trayCalls = 0;
    platform::DialogHook otherDialogs;
};

// One option: the control that edits it (a radio group or a check box), the choice made there,
// the option as a number and its expected value, and how the book window shows it (if it does).
struct OptionCase {
    const char* Control;
    int Choice;
    std::function<int(const settings::Settings&)> Value;
    int Expected;
    std::function<bool(book::TSoftwareBookWindow&)> Shown;
};

template <typename Enum>
std::function<int(const settings::Settings&)> Of(Enum settings::Settings::*member) {
    return [member](const settings::Settings& s) { return static_cast<int>(s.*member); };
}

const std::vector<OptionCase>& OptionCases() {
    static const std::vector<OptionCase> cases{
        {"MenusAndSpeedBars", 1, Of(&settings::Settings::MenusAndSpeedBars), 1,
         [](book::TSoftwareBookWindow& w) { return !w.SpeedBar()->isVisible(); }},
        {"MenusAndSpeedBars", 2, Of(&settings::Settings::MenusAndSpeedBars), 2,
         [](book::TSoftwareBookWindow& w) {
             return w.SpeedBar()->isVisible() && !w.Menus().MainMenu()->isVisible();
         }},
        {"LetterTabs", 1, Of(&settings::Settings::LetterTabs), 1,
         [](book::TSoftwareBookWindow& w) { return !w.LetterBar()->Tab(0)->isEnabled(); }},
        {"LetterTabsLocation", 1, Of(&settings::Settings::LetterTabsLocation), 1, nullptr},
        {"HintMessages", 1, Of(&settings::Settings::HintMessages), 1, nullptr},
        {"SpeedBarLocation", 0, Of(&settings::Settings::SpeedBarLocation), 0,
         [](book::TSoftwareBookWindow& w) { return w.SpeedBar()->y() < w.RightPage()->y(); }},
        {"DeleteMode", 1, Of(&settings::Settings::DeleteMode), 1, nullptr},
        {"ComPort", 3, Of(&settings::Settings::ComPort), 3, nullptr},
        {"DialType", 1, Of(&settings::Settings::DialType), 1, nullptr},
        {"InitialDataFile", 0, Of(&settings::Settings::InitialDataFile), 0, nullptr},
        {"PasswordMode", 1, Of(&settings::Settings::PasswordMode), 1, nullptr},
        {"PublicAccess", 2, Of(&settings::Settings::PublicAccess), 2, nullptr},
        {"UserCount", 0, Of(&settings::Settings::UserCount), 0, nullptr},
        {"ShowTips", 0, Of(&settings::Settings::ShowTips), 0, nullptr},
        {"AutoFill", 0, Of(&settings::Settings::AutoFill), 0, nullptr},
        {"DontShowReminders", 1, Of(&settings::Settings::ShowReminders), 0, nullptr},
        {"ShowTrayIcon", 1, Of(&settings::Settings::ShowTrayIcon), 1, nullptr},
    };
    return cases;
}

TEST_F(OptionsTest, EachOptionReachesItsSettingTheWindowAndTheFiles) {
    for (const OptionCase& c : OptionCases()) {
        SCOPED_TRACE(std::string(c.Control) + " " + std::to_string(c.Choice));
        const settings::Settings before = s;
        ASSERT_NE(c.Value(before), c.Expected) << "the case changes nothing";
        RunOptions([&](Dialog& d) {
            if (auto* box = d.findChild<QCheckBox*>(QString::fromLatin1(c.Control))) {
                box->setChecked(c.Choice != 0);
            } else {
                ASSERT_NE(d.Group(c.Control), nullptr);
                d.Group(c.Control)->button(c.Choice)->click();
            }
        });
        EXPECT_EQ(c.Value(s), c.Expected);
        EXPECT_EQ(c.Value(Reread()), c.Expected);
        if (c.Shown) {
            EXPECT_TRUE(c.Shown(Window()));
        }
        EXPECT_EQ(trayCalls, 1);
        // Back to where the case started, for the next one.
        book.reset();
        trayCalls = 0;
        s = before;
        settings::SaveSecurityOptions(s);
        settings::SaveUiOptions(s);
    }
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(OptionsTest, ClosingChangesNothingThatWasNotChanged) {
    const auto security = settings::SecurityOptionsBytes(s);
    const auto ui = settings::UiOptionsBytes(s);
    RunOptions([](Dialog&) {});
    EXPECT_EQ(settings::SecurityOptionsBytes(s), security);
    EXPECT_EQ(settings::UiOptionsBytes(s), ui);
}

TEST_F(OptionsTest, EscapeAndTheCloseBoxCloseAsCloseDoes) {
    const std::function<void(Dialog&)> leaves[] = {
        [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](Dialog& d) {
            d.show();
            d.close();
        },
    };
    int choice = 1;
    for (const auto& leave : leaves) {
        RunOptions([&](Dialog& d) { d.Group("ComPort")->button(choice)->click(); }, leave);
        EXPECT_EQ(s.ComPort, choice);
        EXPECT_EQ(Reread().ComPort, choice);
        ++choice;
    }
}

TEST_F(OptionsTest, AUserWhoIsNotTheSupervisorSeesSixPages) {
    s.IsSupervisor = false;
    RunOptions([&](Dialog& d) {
        auto* next = Child<QPushButton>(d, "NextBtn");
        auto* previous = Child<QPushButton>(d, "PreviousBtn");
        EXPECT_TRUE(previous->isHidden());
        int clicks = 0;
        while (!next->isHidden() && clicks < 10) {
            next->click();
            ++clicks;
        }
        EXPECT_EQ(clicks, 5);
        EXPECT_EQ(d.Pages()->currentWidget()->objectName(), QStringLiteral("FontsPage"));
        EXPECT_FALSE(previous->isHidden());
        for (int page : {6, 7}) {
            d.Pages()->setCurrentIndex(page);
            EXPECT_EQ(d.Pages()->currentIndex(), 5);
        }
    });
    EXPECT_EQ(messages,
              std::vector<std::string>(
                  2, "You have to be logged in as Supervisor to access this options page!"));
    messages.clear();
    s.IsSupervisor = true;
    RunOptions([&](Dialog& d) {
        auto* next = Child<QPushButton>(d, "NextBtn");
        for (int i = 0; i < 7; ++i) {
            next->click();
        }
        EXPECT_EQ(d.Pages()->currentWidget()->objectName(), QStringLiteral("UsersPage"));
        EXPECT_TRUE(next->isHidden());
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(OptionsTest, LabelsAreRenamedUnderTheListsRulesAndSavedOnClose) {
    const std::string firstLabel = (Window(), s.FieldLabels.at(0));
    const std::string secondLabel = s.FieldLabels.at(1);
    const struct {
        int Row;
        QString Text;
        const char* Message;
    } attempts[] = {
        {0, QStringLiteral("   "), "Empty Labels are not Allowed!"},
        {-1, QStringLiteral("Title"), "Please select the Label first!"},
        {0, QString::fromStdString(secondLabel).toLower(), "Duplicate Labels are not Allowed!"},
    };
    RunOptions([&](Dialog& d) {
        auto* list = Child<QListWidget>(d, "Labels");
        for (const auto& a : attempts) {
            list->setCurrentRow(a.Row);
            Child<QLineEdit>(d, "NewLabel")->setText(a.Text);
            Child<QPushButton>(d, "ChangeLabel")->click();
            EXPECT_EQ(list->item(0)->text().toStdString(), firstLabel);
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back(), a.Message);
        }
        list->setCurrentRow(0);
        Child<QLineEdit>(d, "NewLabel")->setText(QStringLiteral("Title"));
        Child<QPushButton>(d, "ChangeLabel")->click();
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Title"));
        // Nothing is in force before "&Close".
        EXPECT_EQ(s.FieldLabels.at(0), firstLabel);
    });
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(s.FieldLabels.at(0), "Title");
    EXPECT_EQ(Window().Fields()->Labels().at(0)->text(), QStringLiteral("Title"));
    EXPECT_EQ(settings::ReadLabelFile(s.DataDir / settings::LabelsFileName)->at(0), "Title");
}

TEST_F(OptionsTest, LabelTemplatesSaveTheLabelsBeingEdited) {
    Window();
    RunOptions([&](Dialog& d) {
        Child<QListWidget>(d, "Labels")->setCurrentRow(1);
        Child<QLineEdit>(d, "NewLabel")->setText(QStringLiteral("Maker"));
        Child<QPushButton>(d, "ChangeLabel")->click();
        otherDialogs = [](QDialog& asked) {
            dynamic_cast<QInputDialog&>(asked).setTextValue(QStringLiteral("Mine"));
            return int(QDialog::Accepted);
        };
        Child<QPushButton>(d, "SaveLabels")->click();
        Child<QPushButton>(d, "SaveLabels")->click();
    });
    ASSERT_EQ(templates->Labels.Count(), 1u);
    const auto saved =
        settings::ReadLabelFile(s.DataDir / templates->Labels.TemplateAt(0).FileName);
    EXPECT_EQ(saved->at(1), "Maker");
    EXPECT_EQ(messages, std::vector<std::string>{"Duplicate name - Template Not Saved!"});
}

TEST_F(OptionsTest, AListedModemIsReadOnlyAndCustomSettingsAreWrittenCut) {
    test::WriteText(programDir / settings::ModemEntriesFileName,
                    "[Fast]\nInit=ATZ1\nConfig=AT&F1\nHangup=ATH1\n[Slow]\nInit=ATZ2\n");
    // An entry no longer listed: the second entry is chosen.
    s.ModemName = "Gone";
    RunOptions([&](Dialog& d) {
        auto* modem = Child<QComboBox>(d, "ModemName");
        auto* init = Child<QLineEdit>(d, "ModemInitString");
        EXPECT_EQ(modem->currentText(), QStringLiteral("Fast"));
        EXPECT_EQ(init->text(), QStringLiteral("ATZ1"));
        EXPECT_TRUE(init->isReadOnly());
        modem->setCurrentIndex(0);
        emit modem->activated(0);
        EXPECT_FALSE(init->isReadOnly());
        init->setText(QString(50, QLatin1Char('i')));
        Child<QLineEdit>(d, "ModemConfigString")->setText(QString(300, QLatin1Char('c')));
        d.Group("DialType")->button(1)->click();
    });
    EXPECT_EQ(s.ModemName, "Custom Settings");
    EXPECT_EQ(s.ModemInitString, std::string(41, 'i'));
    EXPECT_EQ(Reread().ModemConfigString, std::string(255, 'c'));
    const auto written =
        settings::ParseModemEntries(test::ReadText(s.DataDir / settings::ModemEntriesFileName));
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].Init, std::string(41, 'i'));
    EXPECT_EQ(written[0].Dial, "ATDP");

    RunOptions([&](Dialog& d) {
        auto* modem = Child<QComboBox>(d, "ModemName");
        EXPECT_EQ(modem->currentIndex(), 0);
        EXPECT_EQ(Child<QLineEdit>(d, "ModemInitString")->text(), QString(41, QLatin1Char('i')));
        modem->setCurrentIndex(2);
        emit modem->activated(2);
    });
    EXPECT_EQ(s.ModemName, "Slow");
    EXPECT_EQ(s.ModemInitString, "ATZ2");
}

TEST_F(OptionsTest, ANewDataRootIsAskedForAndStoredAtOnce) {
    const fs::path newRoot = programDir / "elsewhere";
    fs::create_directories(newRoot);
    for (const auto reply : {platform::MessageAnswer::No, platform::MessageAnswer::Yes}) {
        answer = reply;
        messages.clear();
        RunOptions([&](Dialog& d) {
            Child<editors::TDirEdit>(d, "DataRoot")
                ->setText(QString::fromStdString(newRoot.string()));
        });
        const bool yes = reply == platform::MessageAnswer::Yes;
        EXPECT_EQ(s.DataRoot, yes ? newRoot : programDir);
        ASSERT_EQ(messages.size(), yes ? 2u : 1u);
        EXPECT_EQ(messages[0], "You may have to move all your data files to a new directory.\nAre "
                               "you sure you want to change your Data Directory?");
        settings::Settings next;
        next.ProgramDir = programDir;
        settings::ReadSecurityOptions(next);
        EXPECT_EQ(next.DataRoot, yes ? newRoot : programDir);
        EXPECT_EQ(s.InitialDataFile,
                  yes ? opt::InitialDataFile::DefaultFile : opt::InitialDataFile::LastUsedFile);
    }
    EXPECT_EQ(messages[1], "Data Root Directory changed.\nYou have to restart the program for the "
                           "change to take effect.");
}

TEST_F(OptionsTest, GoingMultiUserWithoutPasswordsAsksOnceWhetherToRequireThem) {
    s.UserCount = opt::UserCount::OneUser;
    s.PasswordMode = opt::PasswordMode::NotRequired;
    answer = platform::MessageAnswer::Yes;
    RunOptions([&](Dialog& d) {
        auto* accounts = Child<QPushButton>(d, "UserAccounts");
        QButtonGroup* access = d.Group("PublicAccess");
        EXPECT_FALSE(accounts->isEnabled());
        EXPECT_FALSE(access->buttons().front()->parentWidget()->isEnabled());
        EXPECT_EQ(access->checkedId(), int(opt::PublicAccess::ReadAndWrite));
        d.Group("UserCount")->button(1)->click();
        EXPECT_TRUE(accounts->isEnabled());
    });
    EXPECT_EQ(messages,
              std::vector<std::string>{"Do you want to protect user accounts by Passwords?"});
    EXPECT_EQ(s.PasswordMode, opt::PasswordMode::Required);
    EXPECT_EQ(Reread().UserCount, opt::UserCount::MultiUser);
    messages.clear();
    RunOptions([](Dialog&) {});
    EXPECT_TRUE(messages.empty());
}

TEST_F(OptionsTest, ColoursChangeAtOnceAndReachTheFileAndTheWindow) {
    const std::uint8_t before = s.Colors.Indexes[3];
    const int wanted = before == 5 ? 7 : 5;
    RunOptions([&](Dialog& d) {
        Child<QListWidget>(d, "ApplicationElements")->setCurrentRow(3);
        auto* grid = Child<book::TColorGrid>(d, "ColorGrid");
        EXPECT_EQ(grid->Selected(), before);
        emit grid->ColorClicked(wanted);
        EXPECT_EQ(s.Colors.Indexes[3], wanted);
        EXPECT_TRUE(d.ColorsChanged());
    });
    const auto file = test::ReadBytes(s.DatabaseDir / settings::ElementColorsFileName);
    ASSERT_EQ(file.size(), 27u);
    EXPECT_EQ(file[3], wanted);
}

TEST_F(OptionsTest, ADateFieldsFormatIsStoredAtOnceAndSavedOnClose) {
    Window();
    ASSERT_FALSE(s.DateFormats.Lines.empty());
    RunOptions([&](Dialog& d) {
        auto* fields = Child<QListWidget>(d, "DateFields");
        ASSERT_EQ(fields->count(), int(s.DateFormats.Lines.size()));
        EXPECT_EQ(fields->item(0)->text().toStdString(),
                  s.FieldLabels.at(std::size_t(s.DateFormats.Lines[0].FieldIndex)));
        d.Group("DateFormat")->button(3)->click();
        EXPECT_EQ(s.DateFormats.Lines[0].Format, 3);
    });
    settings::Settings next = s;
    settings::ReadDateFormats(next);
    EXPECT_EQ(next.DateFormats.Lines.at(0).Format, 3);
}

TEST_F(OptionsTest, FontsShowTheirStyleAndTakeTheChosenFontOnlyOnClose) {
    const struct {
        settings::FontRecord Font;
        const char* Style;
    } styles[] = {
        {{"Arial", false, false, false, false, 9}, "Regular"},
        {{"Arial", true, true, false, false, 9}, "Bold Italic "},
        {{"Arial", false, false, true, true, 9}, "Underline Strikeout"},
        {{"Arial", true, true, true, true, 9}, "Bold Italic Underline Strikeout"},
    };
    for (const auto& c : styles) {
        EXPECT_EQ(app::FontStyleText(c.Font).toStdString(), c.Style);
    }
    const settings::FontRecord before = s.OneLineFieldFont;
    RunOptions([&](Dialog& d) {
        d.Group("Component")->button(1)->click();
        EXPECT_EQ(Child<QLineEdit>(d, "FontSize")->text(), QString::number(before.Size));
        // A cancelled font dialog leaves the font; a chosen one shows at once.
        Child<QPushButton>(d, "ChangeFont")->click();
        EXPECT_EQ(Child<QLineEdit>(d, "FontStyle")->text(), app::FontStyleText(before));
        // The dialog may settle on the nearest style the system has: what it gives is shown.
        QFont picked;
        otherDialogs = [&picked](QDialog& dialog) {
            auto& font = dynamic_cast<QFontDialog&>(dialog);
            QFont chosen = font.currentFont();
            chosen.setPointSize(17);
            chosen.setStrikeOut(true);
            font.setCurrentFont(chosen);
            picked = font.currentFont();
            return int(QDialog::Accepted);
        };
        Child<QPushButton>(d, "ChangeFont")->click();
        EXPECT_EQ(picked.pointSize(), 17);
        EXPECT_EQ(Child<QLineEdit>(d, "FontSize")->text(), QStringLiteral("17"));
        EXPECT_EQ(Child<QLineEdit>(d, "FontStyle")->text(),
                  app::FontStyleText(book::ToFontRecord(picked)));
        EXPECT_TRUE(Child<QLineEdit>(d, "FontStyle")->text().endsWith(QStringLiteral("Strikeout")));
        EXPECT_EQ(s.OneLineFieldFont, before);
    });
    EXPECT_EQ(s.OneLineFieldFont.Size, 17);
    EXPECT_EQ(Reread().OneLineFieldFont.Size, 17);
    EXPECT_EQ(s.RecordButtonFont, Reread().RecordButtonFont);
}

TEST_F(OptionsTest, TheProgramsOwnCommandsAreWired) {
    book::TCommandRegistry& commands = Window().Commands();
    const struct {
        const char* Control;
        const char* Command;
    } wired[] = {{"Options1", "Options"},
                 {"B_Options", "Options"},
                 {"DisplayHints1", "Tips"},
                 {"About1", "About"}};
    for (const auto& w : wired) {
        EXPECT_EQ(commands.CommandOf(QString::fromLatin1(w.Control)).toStdString(), w.Command);
    }
    EXPECT_EQ(commands.CommandOfKey(QKeySequence(Qt::CTRL | Qt::Key_O)), QStringLiteral("Options"));
}

} // namespace
