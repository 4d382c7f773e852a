#pragma once

#include <functional>
#include <string>

class QWidget;

namespace shelfwise::platform {

// The four kinds of message the program shows; each has its icon and title.
enum class MessageKind { Error, Warning, Information, Confirmation };

// Buttons a message offers; combine with |.
enum MessageButton : unsigned {
    ButtonOk = 1,
    ButtonYes = 2,
    ButtonNo = 4,
    ButtonCancel = 8,
    ButtonHelp = 16,
};

// The button the user chose.
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct Message {
    MessageKind kind = MessageKind::Information;
    std::string text; // UTF-8
    unsigned buttons = ButtonOk;
    int helpContext = 0; // opened by the Help button; 0 = no help
};

// Shows a modal message box and returns the chosen button. The Help button opens the help
// page of the message's context and leaves the box open.
MessageAnswer ShowMessage(const Message& message, QWidget* parent = nullptr);

// Shorthands for the fixed button sets most messages use.
void ShowError(const std::string& text, int helpContext = 0);
void ShowWarning(const std::string& text, int helpContext = 0);
void ShowInformation(const std::string& text, int helpContext = 0);
bool AskYesNo(MessageKind kind, const std::string& text, int helpContext = 0);

// Test hook: while set, no box is shown; the hook gets every message and its result is the
// answer. Tests record kind and text here and script the answers.
using MessageHook = std::function<MessageAnswer(const Message&)>;
void SetMessageHook(MessageHook hook);

// While unattended (an orderly end on SIGTERM), no box waits for a user: each message goes to
// standard error and takes the box's default answer.
void SetUnattended(bool unattended);
bool IsUnattended();

// The default answer of a button set: OK, else No, else Cancel, else Yes.
MessageAnswer DefaultAnswer(unsigned buttons);

} // namespace shelfwise::platform
