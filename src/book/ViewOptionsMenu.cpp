#include "book/ViewOptionsMenu.h"

#include "book/CommandRegistry.h"
#include "platform/Help.h"

#include <tuple>

namespace shelfwise::book {

namespace opt = settings::opt;

TViewOptionsMenu::TViewOptionsMenu(settings::Settings& settings, TCommandRegistry& commands,
                                   QWidget* parent)
    : QMenu(parent), settings_(settings), commands_(commands) {
    setObjectName(QStringLiteral("PopupMenu2"));
    auto& s = settings_;
    const auto menuMode = &TViewOptionsMenu::MenuModeChanged;
    const auto placement = &TViewOptionsMenu::PlacementChanged;
    const auto hints = &TViewOptionsMenu::HintsChanged;

    QMenu* menus = AddSubmenu("MenusAndSpeedBars1", "&Menus And SpeedBars");
    AddChoice(menus, "ShowBoth1", "Show Both", s.MenusAndSpeedBars, opt::MenusAndSpeedBars::Both,
              menuMode);
    AddChoice(menus, "ShowOnlyMenus1", "Show Only Menus", s.MenusAndSpeedBars,
              opt::MenusAndSpeedBars::OnlyMenus, menuMode);
    AddChoice(menus, "ShowOnlySpeedBars1", "Show Only Speed Bars", s.MenusAndSpeedBars,
              opt::MenusAndSpeedBars::OnlySpeedBars, menuMode);
    menus->addSeparator();
    AddChoice(menus, "SpeedBarAtTheTop1", "Speed Bar At The Top", s.SpeedBarLocation,
              opt::SpeedBarLocation::Top, placement);
    AddChoice(menus, "SpeedBarAtTheBottom1", "Speed Bar At The Bottom", s.SpeedBarLocation,
              opt::SpeedBarLocation::Bottom, placement);

    QMenu* letters = AddSubmenu("LetterTabs1", "&Letter Tabs");
    // Switching the letter tabs settles the record first, so the book window stores it.
    for (const auto& [name, caption, value] :
         {std::tuple{"Enabled1", "Enabled", opt::LetterTabs::Use},
          std::tuple{"Disabled1", "Disabled", opt::LetterTabs::DontUse}}) {
        QAction* action = letters->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        commands_.AddItem(action);
        // Captured by copy: clang 14 cannot capture a structured binding.
        connect(action, &QAction::triggered, this, [this, value = value] {
            emit LetterTabsChosen(value);
            UpdateChecks();
        });
    }
    letters->addSeparator();
    AddChoice(letters, "DisplayInCenter1", "Display In Center", s.LetterTabsLocation,
              opt::LetterTabsLocation::Center, placement);
    AddChoice(letters, "DisplayOnRightSide1", "Display On Right Side", s.LetterTabsLocation,
              opt::LetterTabsLocation::Right, placement);

    QMenu* hintMenu = AddSubmenu("HintMessages1", "H&int Messages");
    AddChoice(hintMenu, "ShowHints1", "Show", s.HintMessages, opt::HintMessages::Show, hints);
    AddChoice(hintMenu, "HideHints1", "Hide", s.HintMessages, opt::HintMessages::Hide, hints);

    QMenu* deletes = AddSubmenu("RecordDeleteMode1", "&Record Delete Mode");
    AddChoice(deletes, "AskUserToConfirm1", "Ask User To Confirm", s.DeleteMode,
              opt::DeleteMode::AskUserToConfirm, nullptr);
    AddChoice(deletes, "ImmediateDelete1", "Immediate Delete", s.DeleteMode,
              opt::DeleteMode::ImmediateDelete, nullptr);

    addSeparator();
    QAction* help = addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("ViewOptionsHelp1"));
    commands_.AddItem(help);
    commands_.Define(QStringLiteral("ViewOptionsHelp"), {"ViewOptionsHelp1"},
                     [] { platform::ShowHelp(HelpContext); });
    connect(this, &QMenu::aboutToShow, this, &TViewOptionsMenu::UpdateChecks);
}

QMenu* TViewOptionsMenu::AddSubmenu(const char* name, const char* caption) {
    QMenu* menu = addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

template <typename Option, typename Changed>
QAction* TViewOptionsMenu::AddChoice(QMenu* menu, const char* name, const char* caption,
                                     Option& option, Option value, Changed changed) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    commands_.AddItem(action);
    connect(action, &QAction::triggered, this, [this, &option, value, changed, action] {
        if (option == value) {
            action->setChecked(true);
            return;
        }
        option = value;
        UpdateChecks();
        if constexpr (!std::is_same_v<Changed, std::nullptr_t>) {
            emit(this->*changed)();
        } else {
            (void)changed; // no signal for this option
        }
    });
    return action;
}

void TViewOptionsMenu::UpdateChecks() {
    for (QAction* action : findChildren<QAction*>()) {
        if (!action->isCheckable()) {
            continue;
        }
        action->setChecked(false);
    }
    const auto check = [this](const char* name) {
        commands_.Item(QString::fromLatin1(name))->setChecked(true);
    };
    const auto& s = settings_;
    const char* menuModes[] = {"ShowBoth1", "ShowOnlyMenus1", "ShowOnlySpeedBars1"};
    if (const int mode = static_cast<int>(s.MenusAndSpeedBars); mode >= 0 && mode < 3) {
        check(menuModes[mode]);
    }
    check(s.SpeedBarLocation == opt::SpeedBarLocation::Top ? "SpeedBarAtTheTop1"
                                                           : "SpeedBarAtTheBottom1");
    check(s.LetterTabs == opt::LetterTabs::Use ? "Enabled1" : "Disabled1");
    check(s.LetterTabsLocation == opt::LetterTabsLocation::Center ? "DisplayInCenter1"
                                                                  : "DisplayOnRightSide1");
    check(s.HintMessages == opt::HintMessages::Show ? "ShowHints1" : "HideHints1");
    check(s.DeleteMode == opt::DeleteMode::AskUserToConfirm ? "AskUserToConfirm1"
                                                            : "ImmediateDelete1");
}

} // namespace shelfwise::book
