#include "platform/Dialogs.h"

#include "platform/MessageBox.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <gtest/gtest.h>

namespace shelfwise::platform {
namespace {

struct DialogsTest : ::testing::Test {
    ~DialogsTest() override {
        SetDialogHook(nullptr);
        SetUnattended(false);
    }
};

TEST_F(DialogsTest, AskTextGivesWhatTheUserTypedOrNothingOnCancel) {
    QString shownPrompt;
    SetDialogHook([&](QDialog& dialog) {
        auto& input = dynamic_cast<QInputDialog&>(dialog);
        shownPrompt = input.labelText();
        EXPECT_EQ(input.textValue(), QStringLiteral("old"));
        input.setTextValue(QStringLiteral("new"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(AskText(nullptr, QStringLiteral("Caption"), QStringLiteral("Prompt:"),
                      QStringLiteral("old")),
              QStringLiteral("new"));
    EXPECT_EQ(shownPrompt, QStringLiteral("Prompt:"));

    SetDialogHook([](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(AskText(nullptr, QStringLiteral("Caption"), QStringLiteral("Prompt:")));
}

TEST_F(DialogsTest, AShortPromptNeverCutsTheCaption) {
    for (const char* caption : {"Save Header As Template", "Save Colors As Template",
                                "A Much Longer Caption Than Any Prompt Below It Could Ever Be"}) {
        int width = 0;
        int captionWidth = 0;
        SetDialogHook([&](QDialog& dialog) {
            dialog.show();
            width = dialog.width();
            captionWidth = dialog.fontMetrics().horizontalAdvance(dialog.windowTitle());
            return int(QDialog::Rejected);
        });
        AskText(nullptr, QString::fromLatin1(caption), QStringLiteral("Name:"));
        // The title bar also holds the window's icon and buttons.
        EXPECT_GE(width, captionWidth + 100) << caption;
    }
}

TEST_F(DialogsTest, TheFontDialogOpensOnTheFontAsDrawn) {
    // A family this system may lack: the dialog shows the one drawn in its place.
    QFont current(QStringLiteral("Arial"), 10);
    current.setBold(true);
    current.setItalic(true);
    SetDialogHook([&](QDialog& dialog) {
        const QFont shown = dynamic_cast<QFontDialog&>(dialog).currentFont();
        EXPECT_EQ(shown.family(), QFontInfo(current).family());
        EXPECT_TRUE(shown.bold());
        EXPECT_TRUE(shown.italic());
        EXPECT_EQ(shown.pointSize(), 10);
        return int(QDialog::Accepted);
    });
    const auto chosen = ChooseFont(nullptr, current);
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(chosen->bold());
    EXPECT_TRUE(chosen->italic());
    EXPECT_EQ(chosen->pointSize(), 10);

    SetDialogHook([](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(ChooseFont(nullptr, current));
}

TEST_F(DialogsTest, NoDialogWaitsWhileUnattended) {
    SetUnattended(true);
    QDialog dialog;
    EXPECT_EQ(RunModal(dialog), QDialog::Rejected);
}

} // namespace
} // namespace shelfwise::platform
