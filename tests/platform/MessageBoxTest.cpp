#include "platform/MessageBox.h"

#include "platform/Help.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace shelfwise::platform;

namespace {

// Presses a button of the message box that is about to open, once it is up.
void pressWhenShown(QMessageBox::StandardButton button, std::vector<int>* helpSeen = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (helpSeen) {
            // Help must leave the box open; the real button follows.
            box->button(QMessageBox::Help)->click();
            EXPECT_TRUE(box->isVisible());
        }
        box->button(button)->click();
    });
}

} // namespace

TEST(MessageBox, ReturnsTheButtonTheUserPressed) {
    pressWhenShown(QMessageBox::No);
    EXPECT_EQ(ShowMessage({MessageKind::Warning, "Retry?", ButtonYes | ButtonNo, 0}),
              MessageAnswer::No);
    pressWhenShown(QMessageBox::Yes);
    EXPECT_TRUE(AskYesNo(MessageKind::Confirmation, "Delete?"));
}

TEST(MessageBox, HelpButtonOpensItsContextAndKeepsTheBoxOpen) {
    std::vector<int> contexts;
    SetHelpHook([&](int context) { contexts.push_back(context); });
    pressWhenShown(QMessageBox::Ok, &contexts);
    EXPECT_EQ(ShowMessage({MessageKind::Warning, "not closed", ButtonOk | ButtonHelp, 123}),
              MessageAnswer::Ok);
    SetHelpHook(nullptr);
    EXPECT_EQ(contexts, std::vector<int>{123});
}

TEST(MessageBox, HookRecordsMessagesAndScriptsAnswers) {
    std::vector<Message> seen;
    SetMessageHook([&](const Message& m) {
        seen.push_back(m);
        return MessageAnswer::Yes;
    });
    ShowError("Incorrect Login!");
    const bool yes = AskYesNo(MessageKind::Warning, "Retry?");
    SetMessageHook(nullptr);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, MessageKind::Error);
    EXPECT_EQ(seen[0].text, "Incorrect Login!");
    EXPECT_EQ(seen[0].buttons, unsigned(ButtonOk));
    EXPECT_EQ(seen[1].buttons, unsigned(ButtonYes | ButtonNo));
    EXPECT_TRUE(yes);
}

TEST(MessageBox, UnattendedRunsTakeTheDefaultAnswerWithoutABox) {
    struct Case {
        unsigned buttons;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {ButtonOk | ButtonHelp, MessageAnswer::Ok},
        {ButtonYes | ButtonNo, MessageAnswer::No},
        {ButtonYes | ButtonNo | ButtonCancel, MessageAnswer::No},
        {ButtonYes | ButtonCancel, MessageAnswer::Cancel},
    };
    SetUnattended(true);
    for (const Case& c : cases) {
        EXPECT_EQ(ShowMessage({MessageKind::Confirmation, "unattended", c.buttons, 0}), c.answer);
    }
    SetUnattended(false);
}
