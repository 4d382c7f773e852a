#include "book/CommandRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
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

// Sees the window's keys before its controls do; a shortcut would take every key it matches,
// also those the focused control must get as well.
class TCommandRegistry::KeyFilter : public QObject {
public:
    explicit KeyFilter(const TCommandRegistry& commands) : commands_(commands) {
        qApp->installEventFilter(this);
    }
    ~KeyFilter() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QKeyEvent* key = WindowKeyPress(*commands_.window_, watched, event);
        if (key == nullptr) {
            return false;
        }
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        return commands_.KeyPressed(QKeySequence(QKeyCombination(modifiers, Qt::Key(key->key()))));
    }

private:
    const TCommandRegistry& commands_;
};

const QKeyEvent* WindowKeyPress(const QWidget& window, const QObject* watched,
                                const QEvent* event) {
    // The window's own focused control rather than the application's: it is the one that gets
    // the window's keys, also while another window is in front.
    const QWidget* focused = window.focusWidget();
    if (event->type() != QEvent::KeyPress || watched != (focused != nullptr ? focused : &window)) {
        return nullptr;
    }
    return static_cast<const QKeyEvent*>(event);
}

UnknownCommandName::UnknownCommandName(const QString& name)
    : std::logic_error("no command or control is registered as \"" + name.toStdString() + "\"") {}

TCommandRegistry::TCommandRegistry(QWidget* window)
    : window_(window), keyFilter_(std::make_unique<KeyFilter>(*this)) {}

TCommandRegistry::~TCommandRegistry() = default;

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
    const auto start = [this, command] { Run(command); };
    for (QAbstractButton* button : made.Buttons) {
        QObject::connect(button, &QAbstractButton::clicked, window_, start);
        if (state == Controls::Enable) {
            button->setEnabled(true);
        }
    }
    for (QAction* item : made.Items) {
        QObject::connect(item, &QAction::triggered, window_, start);
        if (state == Controls::Enable) {
            item->setEnabled(true);
        }
    }
    commands_.emplace(command, std::move(made));
}

void TCommandRegistry::AddKey(const QString& command, const QKeySequence& key,
                              const char* whileEnabled, KeyUse use) {
    Find(command);
    QAbstractButton* button =
        whileEnabled == nullptr ? nullptr : Button(QString::fromLatin1(whileEnabled));
    if (!keys_.emplace(key.toString(), Key{command, button, use}).second) {
        throw std::logic_error("key used twice: " + key.toString().toStdString());
    }
}

bool TCommandRegistry::KeyPressed(const QKeySequence& key) const {
    const auto bound = keys_.find(key.toString());
    if (bound == keys_.end()) {
        return false;
    }
    const Key& k = bound->second;
    if (k.WhileEnabled == nullptr || k.WhileEnabled->isEnabled()) {
        Run(k.Command);
    }
    return k.Use == KeyUse::Taken;
}

void TCommandRegistry::Await(const QString& command, std::initializer_list<const char*> controls) {
    Define(command, controls, nullptr, Controls::AsTheyAre);
    Enable(command, false);
}

void TCommandRegistry::Run(const QString& command) const {
    const Command& found = Find(command);
    if ((!RunHook || RunHook(command)) && found.Run) {
        found.Run();
    }
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
    const auto bound = keys_.find(key.toString());
    return bound == keys_.end() ? QString() : bound->second.Command;
}

const TCommandRegistry::Command& TCommandRegistry::Find(const QString& name) const {
    const auto found = commands_.find(name);
    if (found == commands_.end()) {
        throw UnknownCommandName(name);
    }
    return found->second;
}

} // namespace shelfwise::book
