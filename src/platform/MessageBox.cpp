#include "platform/MessageBox.h"

#include "platform/Help.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace shelfwise::platform {

namespace {

MessageHook& hook() {
    static MessageHook instance;
    return instance;
}

bool& unattended() {
    static bool instance = false;
    return instance;
}

const char* kindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return "error";
    case MessageKind::Warning:
        return "warning";
    case MessageKind::Information:
        return "information";
    case MessageKind::Confirmation:
        return "confirmation";
    }
    return "message";
}

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer showBox(const Message& message, QWidget* parent) {
    QMessageBox box(iconOf(message.kind), QApplication::applicationDisplayName(),
                    QString::fromStdString(message.text), QMessageBox::NoButton, parent);
    struct Choice {
        unsigned flag;
        QMessageBox::StandardButton button;
        MessageAnswer answer;
    };
    const Choice choices[] = {
        {ButtonOk, QMessageBox::Ok, MessageAnswer::Ok},
        {ButtonYes, QMessageBox::Yes, MessageAnswer::Yes},
        {ButtonNo, QMessageBox::No, MessageAnswer::No},
        {ButtonCancel, QMessageBox::Cancel, MessageAnswer::Cancel},
    };
    for (const Choice& c : choices) {
        if (message.buttons & c.flag) {
            box.addButton(c.button);
        }
    }
    QPushButton* help = nullptr;
    if (message.buttons & ButtonHelp) {
        help = box.addButton(QMessageBox::Help);
        // The Help button shows the page and keeps the message up.
        help->disconnect();
        QObject::connect(help, &QPushButton::clicked,
                         [context = message.helpContext] { ShowHelp(context); });
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Choice& c : choices) {
        if (clicked == c.button) {
            return c.answer;
        }
    }
    return DefaultAnswer(message.buttons);
}

} // namespace

MessageAnswer DefaultAnswer(unsigned buttons) {
    if (buttons & ButtonOk) {
        return MessageAnswer::Ok;
    }
    if (buttons & ButtonNo) {
        return MessageAnswer::No;
    }
    if (buttons & ButtonCancel) {
        return MessageAnswer::Cancel;
    }
    return MessageAnswer::Yes;
}

MessageAnswer ShowMessage(const Message& message, QWidget* parent) {
    if (hook()) {
        return hook()(message);
    }
    if (unattended()) {
        std::fprintf(stderr, "%s: %s\n", kindName(message.kind), message.text.c_str());
        return DefaultAnswer(message.buttons);
    }
    return showBox(message, parent);
}

void ShowError(const std::string& text, int helpContext) {
    ShowMessage(
        {MessageKind::Error, text, ButtonOk | (helpContext ? ButtonHelp : 0u), helpContext});
}

void ShowWarning(const std::string& text, int helpContext) {
    ShowMessage(
        {MessageKind::Warning, text, ButtonOk | (helpContext ? ButtonHelp : 0u), helpContext});
}

void ShowInformation(const std::string& text, int helpContext) {
    ShowMessage(
        {MessageKind::Information, text, ButtonOk | (helpContext ? ButtonHelp : 0u), helpContext});
}

bool AskYesNo(MessageKind kind, const std::string& text, int helpContext) {
    const unsigned buttons = ButtonYes | ButtonNo | (helpContext ? ButtonHelp : 0u);
    return ShowMessage({kind, text, buttons, helpContext}) == MessageAnswer::Yes;
}

void SetMessageHook(MessageHook h) {
    hook() = std::move(h);
}

void SetUnattended(bool value) {
    unattended() = value;
}

bool IsUnattended() {
    return unattended();
}

} // namespace shelfwise::platform
