#include "book/DeleteDlg.h"

#include "platform/Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace shelfwise::book {
namespace {

// Types into the box and presses OK, as a user would.
bool ConfirmTyping(const char* typed) {
    platform::SetDialogHook([typed](QDialog& dialog) {
        auto& confirm = dynamic_cast<TDeleteDlg1&>(dialog);
        QTest::keyClicks(confirm.Answer(), QString::fromLatin1(typed));
        confirm.OkButton()->click();
        return dialog.result();
    });
    TDeleteDlg1 dialog;
    const bool confirmed = ConfirmByTyping(dialog);
    platform::SetDialogHook(nullptr);
    return confirmed;
}

TEST(DeleteDlg, OnlyYesInAnyCaseConfirms) {
    EXPECT_TRUE(ConfirmTyping("YES"));
    EXPECT_TRUE(ConfirmTyping("yes"));
    EXPECT_FALSE(ConfirmTyping("YE"));
    EXPECT_FALSE(ConfirmTyping(""));
    EXPECT_FALSE(ConfirmTyping("NO"));
}

TEST(DeleteDlg, BoxTakesThreeUpperCaseCharacters) {
    TDeleteDlg1 dialog;
    QTest::keyClicks(dialog.Answer(), QStringLiteral("yesno"));
    EXPECT_EQ(dialog.Answer()->text(), QStringLiteral("YES"));
}

TEST(DeleteDlg, CallersReplaceFirstAndWarningLines) {
    TDeleteDlg1 dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirm Action"));
    dialog.SetConfirmTexts(QStringLiteral("If you want to Delete the Database please"),
                           QStringLiteral("WARNING! This operation cannot be Undone!"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("If you want to Delete the Database please"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label3"))->text(),
              QStringLiteral("WARNING! This operation cannot be Undone!"));
}

TEST(DeleteDlg, EveryLineIsShownWhole) {
    const QString designed[] = {QString(), QString()};
    const QString longer[] = {
        QStringLiteral("If you want to Delete the selected Database and all of its Records please"),
        QStringLiteral("WARNING! Deleting the Database and its Records cannot be Undone!")};
    for (const QString* texts : {designed, longer}) {
        TDeleteDlg1 dialog;
        if (!texts[0].isEmpty()) {
            dialog.SetConfirmTexts(texts[0], texts[1]);
        }
        dialog.show();
        QApplication::processEvents();
        EXPECT_GE(dialog.width(), 351);
        EXPECT_GE(dialog.height(), 164);
        for (const char* name : {"Label1", "Label2", "Label3"}) {
            const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
            EXPECT_GE(label->width(), label->sizeHint().width()) << name;
            EXPECT_TRUE(
                dialog.rect().contains(QRect(label->mapTo(&dialog, QPoint(0, 0)), label->size())))
                << name;
        }
    }
}

} // namespace
} // namespace shelfwise::book
