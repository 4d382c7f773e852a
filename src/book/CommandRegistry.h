#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

class QAbstractButton;
class QAction;
class QEvent;
class QKeyEvent;
class QObject;
class QWidget;

namespace shelfwise::book {

// A name that nothing was registered under: a misspelt command or control name.
class UnknownCommandName : public std::logic_error {
public:
    explicit UnknownCommandName(const QString& name);
};

// The key press when `watched` is the first of the window's controls to see it: the window's
// focused control, or the window itself while none has the focus. A key its control leaves goes
// on to the control's parents, which see it again; they get nullptr, as do other windows' keys.
const QKeyEvent* WindowKeyPress(const QWidget& window, const QObject* watched, const QEvent* event);

// The commands of the book window by name, each with the controls that start it: items of the
// main and context menus, speed bar, paging and record speed bar buttons, and keys. Controls
// are registered under their object names as they are made; the window's parts then define the
// commands they carry out on them. Looking up a name nobody registered throws, naming it.
class TCommandRegistry {
public:
    // What a definition does to its controls' enabled state: the record commands leave it to
    // the record's access.
    enum class Controls { Enable, AsTheyAre };

    // What a key does after its command: most are taken, so the focused control never sees
    // them; some go on to the focused control as well.
    enum class KeyUse { Taken, PassedOn };

    // Keys are the window's: pressed in any of its controls, before the control sees them.
    explicit TCommandRegistry(QWidget* window);
    ~TCommandRegistry();
    TCommandRegistry(const TCommandRegistry&) = delete;
    TCommandRegistry& operator=(const TCommandRegistry&) = delete;

    void AddItem(QAction* item);
    void AddButton(QAbstractButton* button);
    QAction* Item(const QString& name) const;
    QAbstractButton* Button(const QString& name) const;

    // `command` runs when one of the controls is triggered or clicked. A name defined twice, or
    // a control that already starts another command, throws.
    void Define(const QString& command, std::initializer_list<const char*> controls,
                std::function<void()> run, Controls state = Controls::Enable);
    // A key of the window that runs the command; the modifiers must match exactly. With
    // `whileEnabled` it runs the command only while that control is enabled, and is taken
    // either way.
    void AddKey(const QString& command, const QKeySequence& key, const char* whileEnabled = nullptr,
                KeyUse use = KeyUse::Taken);

    // A command whose Part is still to come: its controls are in place, disabled, and its keys
    // are taken without doing anything.
    void Await(const QString& command, std::initializer_list<const char*> controls);

    void Run(const QString& command) const;
    // Test seam: sees every command a control or key starts before it runs; false stops it.
    std::function<bool(const QString& command)> RunHook;
    // Enables or disables every control of the command.
    void Enable(const QString& command, bool enabled) const;
    // The command a control starts; empty while none does yet.
    QString CommandOf(const QString& control) const;
    // The command a key runs; empty for a key left to the window's controls.
    QString CommandOfKey(const QKeySequence& key) const;

private:
    struct Command {
        std::function<void()> Run;
        std::vector<QAbstractButton*> Buttons;
        std::vector<QAction*> Items;
    };
    struct Key {
        QString Command;
        QAbstractButton* WhileEnabled;
        KeyUse Use;
    };
    class KeyFilter;
    const Command& Find(const QString& name) const;
    // A key pressed in the window: runs its command; true when the key is taken.
    bool KeyPressed(const QKeySequence& key) const;

    QWidget* window_;
    std::unique_ptr<KeyFilter> keyFilter_;
    std::map<QString, QAction*> items_;
    std::map<QString, QAbstractButton*> buttons_;
    std::map<QString, Command> commands_;
    std::map<QString, QString> commandOfControl_;
    std::map<QString, Key> keys_;
};

} // namespace shelfwise::book
