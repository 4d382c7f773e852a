#include "book/CommandRegistry.h"

#include "BookFixture.h"

#include <QAction>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

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
    // Template menu and view options menu.
    {"TemplateHelp1", nullptr},
    {"ViewOptionsHelp1", nullptr},
};

// Controls that are in place while their commands are still to come. When one of them starts
// a command, it moves to the table above. (The program's own dialogs, options, tips and about,
// are wired by the program around the window: tests/app.)
constexpr Control Awaited[] = {
    {"Print1", "B_Print"},
    {"HTMLFile1", "B_HTML"},
    {"Summary1", "B_Summary"},
    {"HomePage1", nullptr},
    {"OnlineFAQ1", nullptr},
    {"EmailSupport1", nullptr},
    {"SponsorBtn", nullptr},
    {"SaveRecordToTemplate3", "SaveRecordToTemplate1"},
    // Submenus, filled as they open.
    {"QuickView1", nullptr},
    {"ViewBuffer1", nullptr},
    {"ViewBuffer3", nullptr},
    {"LoadRecordFromTemplate1", nullptr},
    {"LoadFromTemplate1", nullptr},
};

// The window's keys: each runs the command of the control, or the named command.
const struct {
    QKeySequence Key;
    const char* Control;
    const char* Command;
} Keys[] = {
    {QKeySequence(Qt::CTRL | Qt::Key_N), "New1", nullptr},
    {QKeySequence(Qt::CTRL | Qt::Key_F), "Find1", nullptr},
    {QKeySequence(Qt::ALT | Qt::Key_Delete), "B_RDelete", nullptr},
    {QKeySequence(Qt::ALT | Qt::Key_C), "B_RCopy", nullptr},
    {QKeySequence(Qt::ALT | Qt::Key_T), "B_RPaste", nullptr},
    {QKeySequence(Qt::ALT | Qt::Key_U), "B_RUndo", nullptr},
    {QKeySequence(Qt::ALT | Qt::Key_P), "B_RPrint", nullptr},
    {QKeySequence(Qt::Key_F2), nullptr, "ViewOptions"},
};

// Keys whose commands are still to come.
const QKeySequence AwaitedKeys[] = {
    QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::CTRL | Qt::Key_P),
    QKeySequence(Qt::Key_F3),           QKeySequence(Qt::Key_F4),
    QKeySequence(Qt::Key_F5),           QKeySequence(Qt::Key_F6),
    QKeySequence(Qt::Key_F7),           QKeySequence(Qt::Key_F8),
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
};

TEST_F(CommandRegistryTest, EachControlOfTheMenusAndBarsStartsTheCommandOfItsTwin) {
    Open();
    for (const Control& c : Working) {
        SCOPED_TRACE(c.Name);
        const std::string command = CommandOf(c.Name);
        EXPECT_FALSE(command.empty()) << c.Name << " starts no command";
        if (c.Twin != nullptr) {
            EXPECT_EQ(CommandOf(c.Twin), command) << c.Twin << " and " << c.Name << " differ";
        }
    }
    for (const Control& c : Awaited) {
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
    for (const QKeySequence& key : AwaitedKeys) {
        EXPECT_EQ(commands.CommandOfKey(key).toStdString(), "")
            << key.toString().toStdString() << " runs a command now: move it to the keys";
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
