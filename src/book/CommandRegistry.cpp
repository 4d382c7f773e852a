#include "book/CommandRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QShortcut>
#include <QWidget>
#include <vector>

namespace shelfwise::book {

namespace {

template <typename Control>
Control* Lookup(const std::map<QString, Control*>& controls, const QString& name) {
    const auto found = controls.find(name);
    if (found == controls.end()) {
        throw UnknownCommandName(name);
    }
    return found->second;
}

template <typename Control> void Add(std::map<QString, Control*>& controls, Control* control) {
    const QString name = control->objectName();
    if (name.isEmpty() || !controls.emplace(name, control).second) {
        throw std::logic_error("command control without a name of its own: \"" +
                               name.toStdString() + "\"");
    }
}

} // namespace

UnknownCommandName::UnknownCommandName(const QString& name)
    : std::logic_error("no command or control is registered as \"" + name.toStdString() + "\"") {}

TCommandRegistry::TCommandRegistry(QWidget* window) : window_(window) {}

void TCommandRegistry::AddItem(QAction* item) {
    Add(items_, item);
}

void TCommandRegistry::AddButton(QAbstractButton* button) {
    Add(buttons_, button);
}

QAction* TCommandRegistry::Item(const QString& name) const {
    return Lookup(items_, name);
}

QAbstractButton* TCommandRegistry::Button(const QString& name) const {
    return Lookup(buttons_, name);
}

void TCommandRegistry::Define(const QString& command, std::initializer_list<const char*> controls,
                              std::function<void()> run, Controls state) {
    if (commands_.contains(command)) {
        throw std::logic_error("command defined twice: " + command.toStdString());
    }
    Command made{std::move(run), {}, {}};
    for (const char* control : controls) {
        const QString name = QString::fromLatin1(control);
        if (const auto bound = commandOfControl_.find(name); bound != commandOfControl_.end()) {
            throw std::logic_error(control + std::string(" starts ") + bound->second.toStdString() +
                                   " already");
        }
        if (const auto button = buttons_.find(name); button != buttons_.end()) {
            made.Buttons.push_back(button->second);
        } else {
            made.Items.push_back(Item(name));
        }
    }
    for (const char* control : controls) {
        commandOfControl_.emplace(QString::fromLatin1(control), command);
    }
    for (QAbstractButton* button : made.Buttons) {
        QObject::connect(button, &QAbstractButton::clicked, window_, made.Run);
        if (state == Controls::Enable) {
            button->setEnabled(true);
        }
    }
    for (QAction* item : made.Items) {
        QObject::connect(item, &QAction::triggered, window_, made.Run);
        if (state == Controls::Enable) {
            item->setEnabled(true);
        }
    }
    commands_.emplace(command, std::move(made));
}

void TCommandRegistry::AddKey(const QString& command, const QKeySequence& key,
                              const char* whileEnabled) {
    const std::function<void()>& run = Find(command).Run;
    if (!commandOfKey_.emplace(key.toString(), command).second) {
        throw std::logic_error("key used twice: " + key.toString().toStdString());
    }
    auto* shortcut = new QShortcut(key, window_);
    if (whileEnabled == nullptr) {
        QObject::connect(shortcut, &QShortcut::activated, window_, run);
        return;
    }
    QAbstractButton* button = Button(QString::fromLatin1(whileEnabled));
    QObject::connect(shortcut, &QShortcut::activated, window_, [button, run] {
        if (button->isEnabled()) {
            run();
        }
    });
}

void TCommandRegistry::Run(const QString& command) const {
    Find(command).Run();
}

void TCommandRegistry::Enable(const QString& command, bool enabled) const {
    const Command& found = Find(command);
    for (QAbstractButton* button : found.Buttons) {
        button->setEnabled(enabled);
    }
    for (QAction* item : found.Items) {
        item->setEnabled(enabled);
    }
}

QString TCommandRegistry::CommandOf(const QString& control) const {
    if (!items_.contains(control) && !buttons_.contains(control)) {
        throw UnknownCommandName(control);
    }
    const auto bound = commandOfControl_.find(control);
    return bound == commandOfControl_.end() ? QString() : bound->second;
}

QString TCommandRegistry::CommandOfKey(const QKeySequence& key) const {
    const auto bound = commandOfKey_.find(key.toString());
    return bound == commandOfKey_.end() ? QString() : bound->second;
}

const TCommandRegistry::Command& TCommandRegistry::Find(const QString& name) const {
    const auto found = commands_.find(name);
    if (found == commands_.end()) {
        throw UnknownCommandName(name);
    }
    return found->second;
}

} // namespace shelfwise::book
