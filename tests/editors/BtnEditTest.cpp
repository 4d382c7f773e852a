#include "editors/BtnEdit.h"

#include "editors/DirEdit.h"
#include "editors/FilterEdit.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace shelfwise::editors {
namespace {

TEST(ButtonEditTest, TheButtonReportsEachClickAndKeepsTheTextClearOfIt) {
    int beeps = 0;
    TMyBtnEdit::SetBeepHook([&] { ++beeps; });
    QWidget window;
    auto* edit = new TClickEdit(&window);
    edit->resize(120, 22);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(edit, &TClickEdit::BtnClick);
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(edit->Button()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(edit->Button()->geometry().right(), edit->contentsRect().right());

    // The text area ends before the button, and takes the whole width without it.
    const auto textRight = [edit] {
        return edit->contentsRect().right() - edit->textMargins().right();
    };
    EXPECT_LT(textRight(), edit->Button()->x());
    edit->SetButtonVisible(false);
    EXPECT_FALSE(edit->Button()->isVisible());
    EXPECT_EQ(textRight(), edit->contentsRect().right());

    const QString before = edit->text();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(edit->text(), before);
    TMyBtnEdit::SetBeepHook(nullptr);
}

TEST(FilterEditTest, OnlyCharactersOfTheSetAreTypedOrPasted) {
    struct Case {
        const char* chars;
        bool taken;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"[0..9]", true, "12a3", "123"},
        {"['0'..'9']", true, "x4-5", "45"},
        {"[a..c,x]", true, "abcdxyz", "abcx"},
        {"[ 'a' , ',' ]", true, "a,b;", "a,"},
        {"[]", true, "any thing!", "any thing!"},
        // Not a list: the set before stays.
        {"0..9", false, "a1b2", "a1b2"},
        {"[9..0]", false, "a1b2", "a1b2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chars);
        TFilterEdit edit(nullptr);
        EXPECT_EQ(edit.SetValidChars(QString::fromLatin1(c.chars)), c.taken);
        EXPECT_EQ(edit.ValidChars(), c.taken ? QString::fromLatin1(c.chars) : QStringLiteral("[]"));
        QTest::keyClicks(&edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
        edit.clear();
        QApplication::clipboard()->setText(QString::fromLatin1(c.typed));
        edit.paste();
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
    }
}

class DirEditTest : public ::testing::Test {
protected:
    DirEditTest() {
        platform::SetMessageHook([this](const platform::Message& m) {
            messages.push_back(m.text);
            return platform::MessageAnswer::Ok;
        });
        window.resize(400, 200);
        other->move(0, 50);
        cancel->move(0, 100);
        cancel->setObjectName(QStringLiteral("CancelBtn"));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~DirEditTest() override { platform::SetMessageHook(nullptr); }

    QWidget window;
    TDirEdit* edit = new TDirEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
    QPushButton* cancel = new QPushButton(QStringLiteral("&Cancel"), &window);
    std::vector<std::string> messages;
};

TEST_F(DirEditTest, ADirectoryIsCheckedWithoutChangingTheWorkingDirectory) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Shelf")));
    const std::filesystem::path working = std::filesystem::current_path();
    struct Case {
        QString text;
        bool valid;
    };
    const Case cases[] = {{root.path() + QStringLiteral("/Shelf"), true},
                          {root.path() + QStringLiteral("/SHELF"), false},
                          {root.path() + QStringLiteral("/missing"), false},
                          {QString(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        messages.clear();
        edit->setFocus();
        edit->setText(c.text);
        EXPECT_EQ(edit->NamesDirectory(), c.valid);
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_EQ(messages.size(), c.valid ? 0u : 1u);
        if (!c.valid) {
            EXPECT_EQ(messages.front(), "Invalid directory!");
        }
        EXPECT_EQ(QApplication::focusWidget(),
                  c.valid ? static_cast<QWidget*>(other) : static_cast<QWidget*>(edit));
        EXPECT_EQ(edit->text(), c.text);
        EXPECT_EQ(std::filesystem::current_path(), working);
    }
}

TEST_F(DirEditTest, CancelAndEscapeLeaveAnInvalidDirectoryFreely) {
    edit->setFocus();
    edit->setText(QStringLiteral("/no/such/directory"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), cancel);
    edit->setFocus();
    other->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace shelfwise::editors
