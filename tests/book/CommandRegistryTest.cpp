#include "book/CommandRegistry.h"

#include "BookFixture.h"
#include "book/BookMenus.h"
#include "book/LeftPage.h"
#include "book/RecordTabs.h"
#include "book/RightPage.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace shelfwise::book {
namespace {

// A menu item or button of the book window and its twin, the other control of the same command
// (nullptr: the command has one control).
struct Control {
    const char* Name;
    const char* Twin;
};

// The menus', speed bars' and paging bar's controls whose commands work today.
constexpr Control Working[] = {
    // Main menu and speed bar.
    {"New1", "B_New"},
    {"Load1", "B_Load"},
    {"Exit1", "B_Exit"},
    {"First1", "B_First"},
    {"PageUp1", "B_PgUp"},
    {"PageDown1", "B_PgDn"},
    {"Last1", "B_Last"},
    {"Previous1", "B_Prev"},
    {"Next1", "B_Next"},
    {"Password1", "B_Password"},
    {"Maintenance1", "B_Maintenance"},
    {"Sort1", "B_Sort"},
    {"Find1", "B_Search"},
    {"Replace1", "B_Replace"},
    {"Filter1", "B_Filter"},
    {"Export1", "B_Export"},
    {"Import1", "B_Import"},
    {"TableView1", "B_Table"},
    {"HelpContents1", nullptr},
    {"Manual1", nullptr},
    {"EmailSupport1", nullptr},
    // Row menu.
    {"CopyRecord1", nullptr},
    {"PasteRecord1", nullptr},
    {"Deleterecord1", nullptr},
    {"PrintRecord1", nullptr},
    {"RowFont1", nullptr},
    {"RowColor1", nullptr},
    {"RowHelp1", nullptr},
    // Right page menu and record speed bar.
    {"Paste3", "B_RPaste"},
    {"Copy3", "B_RCopy"},
    {"Undo3", "B_RUndo"},
    {"Delete3", "B_RDelete"},
    {"Print3", "B_RPrint"},
    {"Synchronize3", "B_RSynchro"},
    {"RightPageHelp1", nullptr},
    // Template chooser, template menu and view options menu.
    {"SaveRecordToTemplate3", "SaveRecordToTemplate1"},
    {"TemplateBtn", nullptr},
    {"TemplateHelp1", nullptr},
    {"ViewOptionsHelp1", nullptr},
};

// Commands still to be built: named, in place, disabled, their hints kept.
constexpr Control Awaited[] = {
    {"Print1", "B_Print"},       {"HTMLFile1", "B_HTML"}, {"Summary1", "B_Summary"},
    {"HomePage1", "SponsorBtn"}, {"OnlineFAQ1", nullptr},
};

// Controls no command of the window starts: options, tips and about are wired by the program
// around the window (tests/app). When one of them starts a command, it moves to the working
// controls.
constexpr Control Unwired[] = {
    {"Options1", "B_Options"},
    {"DisplayHints1", nullptr},
    {"About1", nullptr},
};

// The window's keys: each runs the command of the control, or the named command. Keys that go
// on to the focused control as well say so.
const struct {
    QKeySequence Key;
    const char* Control;
    const char* Command;
    bool PassedOn;
} Keys[] = {
    {QKeySequence(Qt::CTRL | Qt::Key_N), "New1", nullptr, false},
    {QKeySequence(Qt::CTRL | Qt::Key_F), "Find1", nullptr, false},
    {QKeySequence(Qt::CTRL | Qt::Key_P), "Print1", nullptr, false},
    {QKeySequence(Qt::CTRL | Qt::Key_G), "SponsorBtn", nullptr, false},
    {QKeySequence(Qt::ALT | Qt::Key_Delete), "B_RDelete", nullptr, false},
    {QKeySequence(Qt::ALT | Qt::Key_C), "B_RCopy", nullptr, false},
    {QKeySequence(Qt::ALT | Qt::Key_T), "B_RPaste", nullptr, false},
    {QKeySequence(Qt::ALT | Qt::Key_U), "B_RUndo", nullptr, false},
    {QKeySequence(Qt::ALT | Qt::Key_P), "B_RPrint", nullptr, false},
    {QKeySequence(Qt::Key_F2), nullptr, "ViewOptions", true},
    {QKeySequence(Qt::Key_F3), nullptr, "RowMenu", true},
    {QKeySequence(Qt::Key_F4), nullptr, "RightPageMenu", true},
    {QKeySequence(Qt::Key_F5), nullptr, "HeaderMenu", true},
    {QKeySequence(Qt::Key_F6), nullptr, "PrimarySortMenu", true},
    {QKeySequence(Qt::Key_F7), nullptr, "SecondarySortMenu", true},
    {QKeySequence(Qt::Key_F8), nullptr, "FilterMenu", true},
};

class CommandRegistryTest : public test::BookFixture {
protected:
    // The command the control starts; the lookup itself fails the test for an unknown name.
    std::string CommandOf(const char* control) {
        try {
            return window->Commands().CommandOf(QString::fromLatin1(control)).toStdString();
        } catch (const UnknownCommandName& error) {
            ADD_FAILURE() << error.what();
            return "(unknown)";
        }
    }

    // Commands reach the hook instead of running.
    TSoftwareBookWindow& OpenWatched() {
        Open().Commands().RunHook = [this](const QString& command) {
            started.push_back(command.toStdString());
            return false;
        };
        return *window;
    }

    // What starting the control ran; nothing for a disabled one.
    std::vector<std::string> Start(const char* name) {
        started.clear();
        TCommandRegistry& commands = window->Commands();
        const QString control = QString::fromLatin1(name);
        try {
            commands.Button(control)->click();
        } catch (const UnknownCommandName&) {
            commands.Item(control)->trigger();
        }
        return started;
    }

    bool IsEnabled(const char* name) {
        TCommandRegistry& commands = window->Commands();
        const QString control = QString::fromLatin1(name);
        try {
            return commands.Button(control)->isEnabled();
        } catch (const UnknownCommandName&) {
            return commands.Item(control)->isEnabled();
        }
    }

    bool IsShown(const char* name) {
        TCommandRegistry& commands = window->Commands();
        const QString control = QString::fromLatin1(name);
        try {
            QAbstractButton* button = commands.Button(control);
            return !button->isHidden();
        } catch (const UnknownCommandName&) {
            // The menu mode hides whole menus; an item itself is never hidden.
            return !commands.Item(control)->text().isEmpty();
        }
    }

    // Presses the key in the control; true when the control got it (the modifier keys pressed
    // on the way do not count).
    bool Press(QWidget* control, const QKeySequence& key) {
        const QKeyCombination combination = key[0];
        KeySeen seen(combination.key());
        control->installEventFilter(&seen);
        QTest::keyClick(control, combination.key(), combination.keyboardModifiers());
        control->removeEventFilter(&seen);
        return seen.Seen;
    }

    struct KeySeen : QObject {
        explicit KeySeen(Qt::Key key) : Key(key) {}
        bool eventFilter(QObject*, QEvent* event) override {
            Seen = Seen || (event->type() == QEvent::KeyPress &&
                            static_cast<QKeyEvent*>(event)->key() == Key);
            return false;
        }
        Qt::Key Key;
        bool Seen = false;
    };

    std::vector<std::string> started;
};

TEST_F(CommandRegistryTest, EachControlReachesTheCommandOfItsTwinOrIsShownDisabled) {
    OpenWatched();
    for (const Control& c : Working) {
        SCOPED_TRACE(c.Name);
        const std::string command = CommandOf(c.Name);
        EXPECT_FALSE(command.empty()) << c.Name << " starts no command";
        for (const char* name : {c.Name, c.Twin}) {
            if (name == nullptr) {
                continue;
            }
            EXPECT_EQ(CommandOf(name), command) << name << " and " << c.Name << " differ";
            EXPECT_TRUE(IsShown(name)) << name;
            // A record command is enabled by the record's access and the copy buffer.
            const std::vector<std::string> expected =
                IsEnabled(name) ? std::vector{command} : std::vector<std::string>{};
            EXPECT_EQ(Start(name), expected) << name;
        }
    }
    for (const Control& c : Awaited) {
        SCOPED_TRACE(c.Name);
        for (const char* name : {c.Name, c.Twin}) {
            if (name != nullptr) {
                EXPECT_FALSE(CommandOf(name).empty());
                EXPECT_FALSE(IsEnabled(name)) << name << " works now: move it to the working ones";
                EXPECT_TRUE(IsShown(name)) << name;
            }
        }
    }
    for (const Control& c : Unwired) {
        SCOPED_TRACE(c.Name);
        for (const char* name : {c.Name, c.Twin}) {
            if (name != nullptr) {
                EXPECT_EQ(CommandOf(name), "")
                    << name << " starts a command now: move it to the working controls";
            }
        }
    }
}

TEST_F(CommandRegistryTest, EachKeyRunsTheCommandOfItsControl) {
    TCommandRegistry& commands = Open().Commands();
    for (const auto& k : Keys) {
        SCOPED_TRACE(k.Key.toString().toStdString());
        const std::string expected = k.Control != nullptr ? CommandOf(k.Control) : k.Command;
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(commands.CommandOfKey(k.Key).toStdString(), expected);
    }
}

TEST_F(CommandRegistryTest, KeysInAnEditorRunTheirCommandsAndOnlyTheFKeysGoOnToTheEditor) {
    OpenWatched();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* name = Find<QLineEdit>("L1");
    name->setFocus();
    for (const auto& k : Keys) {
        SCOPED_TRACE(k.Key.toString().toStdString());
        started.clear();
        const bool reached = Press(name, k.Key);
        const std::string command = window->Commands().CommandOfKey(k.Key).toStdString();
        // A key of a disabled button is taken and does nothing.
        const bool runs = k.Control == nullptr || IsEnabled(k.Control);
        EXPECT_EQ(started, runs ? std::vector{command} : std::vector<std::string>{});
        EXPECT_EQ(reached, k.PassedOn);
    }
    // Modifiers must match exactly: these keys are the editor's.
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), QKeySequence(Qt::SHIFT | Qt::Key_F3),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)}) {
        SCOPED_TRACE(key.toString().toStdString());
        started.clear();
        EXPECT_TRUE(Press(name, key));
        EXPECT_TRUE(started.empty());
    }
}

TEST_F(CommandRegistryTest, AltWithAPageNumberInAnEditorShowsThatPageWhileItExists) {
    OpenWatched();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    TRecordTabs& pages = *window->RightPage()->Pages();
    ASSERT_EQ(pages.count(), 4);
    auto* name = Find<QLineEdit>("L1");
    name->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), name);
    // Pages that are not there, and other modifiers: the editor's keys.
    for (const QKeySequence& key :
         {QKeySequence(Qt::ALT | Qt::Key_5), QKeySequence(Qt::ALT | Qt::Key_9),
          QKeySequence(Qt::ALT | Qt::Key_0), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_2),
          QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_2)}) {
        SCOPED_TRACE(key.toString().toStdString());
        EXPECT_TRUE(Press(name, key));
        EXPECT_EQ(pages.currentIndex(), 0);
    }
    // A page shown hides the editor: the next key goes where the focus went.
    for (const auto& [key, shown] : {std::pair{Qt::Key_3, 2}, {Qt::Key_1, 0}, {Qt::Key_4, 3}}) {
        SCOPED_TRACE(key - Qt::Key_0);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_FALSE(Press(focused, QKeySequence(Qt::ALT | key)));
        EXPECT_EQ(pages.currentIndex(), shown);
    }
    EXPECT_TRUE(started.empty());
}

TEST_F(CommandRegistryTest, F3InAnEditorFocusesTheFirstRowAndOpensItsMenu) {
    Open();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto* name = Find<QLineEdit>("L1");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_F3);
    QMenu* rowMenu = window->Menus().RowMenu();
    EXPECT_TRUE(rowMenu->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), window->LeftPage()->RowButtons().front());
    EXPECT_EQ(window->LeftPage()->MenuRow(), 0);
    rowMenu->close();
    QTest::keyClick(window->LeftPage()->RowButtons().front(), Qt::Key_F4);
    EXPECT_TRUE(window->Menus().RightPageMenu()->isVisible());
    window->Menus().RightPageMenu()->close();
}

TEST_F(CommandRegistryTest, SubmenusAreFilledAsTheirMenusOpen) {
    Open();
    for (QMenu* menu : {window->Menus().RowMenu(), window->Menus().RightPageMenu(),
                        window->Menus().TemplateMenu()}) {
        emit menu->aboutToShow();
    }
    for (const char* name : {"LoadRecordFromTemplate1", "LoadFromTemplate1"}) {
        SCOPED_TRACE(name);
        QAction* item = window->Commands().Item(QString::fromLatin1(name));
        EXPECT_TRUE(item->isEnabled());
        ASSERT_FALSE(item->menu()->actions().isEmpty());
        EXPECT_EQ(item->menu()->actions().front()->text(), QStringLiteral("Blank"));
    }
}

// A window with two menu items and a button, none of them started.
class BareRegistryTest : public ::testing::Test {
protected:
    BareRegistryTest() {
        for (const char* name : {"Open1", "Close1"}) {
            auto* item = new QAction(&window);
            item->setObjectName(QString::fromLatin1(name));
            item->setEnabled(false);
            commands.AddItem(item);
        }
        button->setObjectName(QStringLiteral("B_Open"));
        button->setEnabled(false);
        commands.AddButton(button);
    }

    QAction* Item(const char* name) { return commands.Item(QString::fromLatin1(name)); }

    QWidget window;
    QToolButton* button = new QToolButton(&window);
    TCommandRegistry commands{&window};
    int runs = 0;
};

TEST_F(BareRegistryTest, AnUnregisteredNameFailsNamingIt) {
    const auto failure = [](const auto& lookup) -> std::string {
        try {
            lookup();
        } catch (const UnknownCommandName& error) {
            return error.what();
        }
        return "nothing thrown";
    };
    EXPECT_NE(failure([&] { commands.Item(QStringLiteral("Opne1")); }).find("\"Opne1\""),
              std::string::npos);
    EXPECT_NE(failure([&] { commands.Button(QStringLiteral("Open1")); }).find("\"Open1\""),
              std::string::npos);
    EXPECT_NE(failure([&] { commands.Run(QStringLiteral("Open")); }).find("\"Open\""),
              std::string::npos);
    EXPECT_NE(failure([&] { commands.CommandOf(QStringLiteral("B_Close")); }).find("\"B_Close\""),
              std::string::npos);
    EXPECT_NE(failure([&] {
                  commands.Define(QStringLiteral("Open"), {"Open1", "Opne1"}, [] {});
              }).find("\"Opne1\""),
              std::string::npos);
    // The failed definition left nothing behind.
    EXPECT_EQ(commands.CommandOf(QStringLiteral("Open1")), QString());
    EXPECT_THROW(commands.Run(QStringLiteral("Open")), UnknownCommandName);
}

TEST_F(BareRegistryTest, ADefinitionWiresAndEnablesItsControls) {
    commands.Define(QStringLiteral("Open"), {"Open1", "B_Open"}, [this] { ++runs; });
    EXPECT_TRUE(Item("Open1")->isEnabled());
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(Item("Close1")->isEnabled());
    Item("Open1")->trigger();
    button->click();
    commands.Run(QStringLiteral("Open"));
    EXPECT_EQ(runs, 3);
    Item("Close1")->trigger();
    EXPECT_EQ(runs, 3);

    commands.Enable(QStringLiteral("Open"), false);
    EXPECT_FALSE(Item("Open1")->isEnabled());
    EXPECT_FALSE(button->isEnabled());

    commands.Define(
        QStringLiteral("Close"), {"Close1"}, [] {}, TCommandRegistry::Controls::AsTheyAre);
    EXPECT_FALSE(Item("Close1")->isEnabled());
    EXPECT_EQ(commands.CommandOf(QStringLiteral("Close1")), QStringLiteral("Close"));
}

TEST_F(BareRegistryTest, NamesAndControlsAreTakenOnce) {
    commands.Define(QStringLiteral("Open"), {"Open1"}, [] {});
    EXPECT_THROW(commands.Define(QStringLiteral("Open"), {"Close1"}, [] {}), std::logic_error);
    EXPECT_THROW(commands.Define(QStringLiteral("Close"), {"Close1", "Open1"}, [] {}),
                 std::logic_error);
    EXPECT_EQ(commands.CommandOf(QStringLiteral("Close1")), QString());
    auto* twin = new QAction(&window);
    twin->setObjectName(QStringLiteral("Open1"));
    EXPECT_THROW(commands.AddItem(twin), std::logic_error);
    EXPECT_THROW(commands.AddItem(new QAction(&window)), std::logic_error);
    commands.AddKey(QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_THROW(commands.AddKey(QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O)),
                 std::logic_error);
    EXPECT_THROW(commands.AddKey(QStringLiteral("Close"), QKeySequence(Qt::Key_F9)),
                 UnknownCommandName);
}

} // namespace
} // namespace shelfwise::book
