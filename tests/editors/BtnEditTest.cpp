#include "editors/BtnEdit.h"

#include "editors/CurrencyEdit.h"
#include "editors/DirEdit.h"
#include "editors/FilterEdit.h"
#include "editors/LinkEdits.h"
#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace shelfwise::editors {
namespace {

TEST(ButtonEditTest, TheButtonReportsEachClickAndKeepsTheTextClearOfIt) {
    int beeps = 0;
    platform::SetBeepHook([&] { ++beeps; });
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
    platform::SetBeepHook(nullptr);
}

TEST(ButtonEditTest, EnteringSelectsAllOrPutsTheCaretFirstAndAReturnKeepsIt) {
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* selecting = new TMyBtnEdit(&window);
    auto* click = new TClickEdit(&window);
    auto* directory = new TDirEdit(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct Case {
        const char* what;
        TMyBtnEdit* edit;
        bool selects;
    };
    const Case cases[] = {
        {"button edit", selecting, true},
        {"click edit", click, false},
        {"directory edit", directory, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.edit->AutoSelect(), c.selects);
        c.edit->setText(QStringLiteral("/home/shelf"));
        c.edit->setCursorPosition(5);
        QWidget::setTabOrder(before, c.edit);
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), c.edit);
        EXPECT_EQ(c.edit->selectedText(), c.selects ? c.edit->text() : QString());
        EXPECT_EQ(c.edit->cursorPosition(), c.selects ? c.edit->text().size() : 0);
        // Back from a menu the caret stays where the user left it.
        c.edit->deselect();
        c.edit->setCursorPosition(5);
        before->setFocus(Qt::PopupFocusReason);
        c.edit->setFocus(Qt::PopupFocusReason);
        EXPECT_FALSE(c.edit->hasSelectedText());
        EXPECT_EQ(c.edit->cursorPosition(), 5);
    }
}

// A button edit shown in a window of its own.
class ShownButtonEdit : public ::testing::Test {
protected:
    ShownButtonEdit() {
        edit->resize(160, 22);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    TMyBtnEdit* edit = new TMyBtnEdit(&window);
};

TEST_F(ShownButtonEdit, AlignedTextStaysClearOfTheButton) {
    edit->setText(QStringLiteral("12"));
    EXPECT_EQ(edit->Alignment(), Qt::AlignLeft);
    // Where the end of the text is drawn; the edit places its text as it paints.
    const auto textEnd = [this] {
        edit->setCursorPosition(edit->text().size());
        edit->repaint();
        return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    const int left = textEnd();
    edit->SetAlignment(Qt::AlignHCenter);
    EXPECT_EQ(edit->Alignment(), Qt::AlignHCenter);
    EXPECT_EQ(edit->alignment() & Qt::AlignVertical_Mask, Qt::AlignVCenter);
    const int centre = textEnd();
    edit->SetAlignment(Qt::AlignRight);
    const int right = textEnd();
    EXPECT_LT(left, centre);
    EXPECT_LT(centre, right);
    EXPECT_LT(right, edit->Button()->x());
    EXPECT_GT(right, edit->Button()->x() - 10);
    edit->SetButtonVisible(false);
    EXPECT_GT(textEnd(), edit->Button()->x());
}

TEST_F(ShownButtonEdit, AnEmptyButtonHintShowsNoHintAtAll) {
    edit->setToolTip(QStringLiteral("The edit's own hint"));
    const auto askHint = [this] {
        const QPoint at = edit->Button()->rect().center();
        QHelpEvent ask(QEvent::ToolTip, at, edit->Button()->mapToGlobal(at));
        QApplication::sendEvent(edit->Button(), &ask);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(edit->ButtonHint(), QString());
    EXPECT_EQ(askHint(), QString());
    edit->SetButtonHint(QStringLiteral("Click here"));
    EXPECT_EQ(askHint(), QStringLiteral("Click here"));
    QToolTip::hideText();
}

TEST(ButtonEditTest, TheAutomaticHeightFollowsTheFont) {
    TMyBtnEdit edit(nullptr);
    const int system = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    for (const int pixels : {8, 40}) {
        SCOPED_TRACE(pixels);
        QFont font = edit.font();
        font.setPixelSize(pixels);
        edit.setFont(font);
        const int height = QFontMetrics(font).height();
        EXPECT_EQ(edit.minimumSizeHint().height(),
                  4 * TMyBtnEdit::BorderWidth + height + std::min(height, system) / 4);
    }
}

// Catches the addresses the field buttons hand to the system.
class AddressCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& url) { Opened << url; }
};

TEST(ButtonEditTest, FieldButtonsCarryTheirHintsAndActOnTheText) {
    AddressCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    QWidget page;
    struct Case {
        const char* what;
        std::function<TButtonTextEdit*(QWidget*)> make;
        const char* buttonHint;
        const char* typed;
        // What the button opens; empty when its action is not built yet.
        const char* opens;
        bool keepsLook;
    };
    const Case cases[] = {
        {"currency", [](QWidget* p) { return new TCurrencyEdit(p); },
         "Click here to display a Calculator", "12", "", false},
        {"phone", [](QWidget* p) { return new TPhoneEdit(p); }, "Click here to Dial", "555", "",
         true},
        {"e-mail", [](QWidget* p) { return new TEMailEdit(p); }, "Click Here To Send E-mail",
         "ann@example.org", "mailto:ann@example.org", true},
        {"e-mail with its scheme", [](QWidget* p) { return new TEMailEdit(p); },
         "Click Here To Send E-mail", "MAILTO:ann@example.org", "mailto:ann@example.org", true},
        {"web", [](QWidget* p) { return new TWebEdit(p); },
         "Click here to Send this Address to your Web Browser", "https://example.org/shelf",
         "https://example.org/shelf", false},
        {"attachment", [](QWidget* p) { return new TMultiMediaEdit(p); },
         "Click Here To Set/Run the Attachment", "", "", true},
    };
    // The currency field's calculator is a dialog of its own; it is left at once.
    platform::SetDialogHook([](QDialog&) { return int(QDialog::Rejected); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<TButtonTextEdit> edit(c.make(&page));
        EXPECT_TRUE(edit->ButtonVisible());
        EXPECT_EQ(edit->ButtonHint(), QString::fromLatin1(c.buttonHint));
        EXPECT_FALSE(edit->toolTip().isEmpty());
        // An empty field's button opens nothing.
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        EXPECT_TRUE(catcher.Opened.isEmpty());
        edit->setText(QString::fromLatin1(c.typed));
        edit->SetRecordReadOnly(true);
        EXPECT_EQ(edit->isEnabled(), c.keepsLook);
        // A kept look keeps the button working on a read-only record.
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        const bool opens = *c.opens != '\0';
        ASSERT_EQ(catcher.Opened.size(), opens && c.keepsLook ? 1 : 0);
        edit->SetRecordReadOnly(false);
        catcher.Opened.clear();
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        ASSERT_EQ(catcher.Opened.size(), opens ? 1 : 0);
        if (opens) {
            EXPECT_EQ(catcher.Opened.front(), QUrl(QString::fromLatin1(c.opens)));
        }
        catcher.Opened.clear();
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    platform::SetDialogHook(nullptr);
}

TEST(FilterEditTest, OnlyCharactersOfTheSetAreTypedOrPasted) {
    struct Case {
        const char* chars;
        bool taken;
        const char* typed;
        const char* shown;
        // One for each refused key; Enter is dropped silently and pasting makes no sound.
        int beeps;
    };
    const Case cases[] = {
        {"[0..9]", true, "12a3", "123", 1},
        {"['0'..'9']", true, "x4-5", "45", 2},
        {"[a..c,x]", true, "abcdxyz", "abcx", 3},
        {"[ 'a' , ',' ]", true, "a,b;", "a,", 2},
        {"[]", true, "any thing!", "any thing!", 0},
        // Not a list: the set before stays.
        {"0..9", false, "a1b2", "a1b2", 0},
        {"[9..0]", false, "a1b2", "a1b2", 0},
    };
    int beeps = 0;
    platform::SetBeepHook([&] { ++beeps; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chars);
        beeps = 0;
        TFilterEdit edit(nullptr);
        EXPECT_EQ(edit.SetValidChars(QString::fromLatin1(c.chars)), c.taken);
        EXPECT_EQ(edit.ValidChars(), c.taken ? QString::fromLatin1(c.chars) : QStringLiteral("[]"));
        QTest::keyClicks(&edit, QString::fromLatin1(c.typed));
        QTest::keyClick(&edit, Qt::Key_Return);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
        edit.clear();
        QApplication::clipboard()->setText(QString::fromLatin1(c.typed));
        edit.paste();
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(beeps, c.beeps);
    }
    platform::SetBeepHook(nullptr);
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

TEST_F(DirEditTest, TheChooserOpensOnTheTextOffersHelpAndReplacesTheTextWhenTaken) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Shelf")));
    const QString chosen = root.path() + QStringLiteral("/Shelf");
    std::vector<int> helps;
    platform::SetHelpHook([&](int context) { helps.push_back(context); });
    for (const bool take : {false, true}) {
        SCOPED_TRACE(take);
        edit->setText(root.path());
        QString openedOn;
        platform::SetDialogHook([&](QDialog& dialog) {
            auto& chooser = dynamic_cast<QFileDialog&>(dialog);
            openedOn = chooser.directory().absolutePath();
            EXPECT_EQ(chooser.fileMode(), QFileDialog::Directory);
            auto* buttons = chooser.findChild<QDialogButtonBox*>();
            if (buttons != nullptr && buttons->button(QDialogButtonBox::Help) != nullptr) {
                buttons->button(QDialogButtonBox::Help)->click();
            }
            chooser.selectFile(chosen);
            return int(take ? QDialog::Accepted : QDialog::Rejected);
        });
        QTest::mouseClick(edit->Button(), Qt::LeftButton);
        EXPECT_EQ(openedOn, QDir(root.path()).absolutePath());
        EXPECT_EQ(helps, std::vector<int>{TDirEdit::HelpContext});
        EXPECT_EQ(QDir(edit->text()), QDir(take ? chosen : root.path()));
        EXPECT_EQ(QApplication::focusWidget(), edit);
        helps.clear();
    }
    EXPECT_EQ(TDirEdit::HelpContext, 114);
    platform::SetDialogHook(nullptr);
    platform::SetHelpHook(nullptr);
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

#include "BtnEditTest.moc"
