#pragma once

#include "settings/Settings.h"

#include <QMenu>

namespace shelfwise::book {

class TCommandRegistry;

// The view options menu: menus and speed bars, speed bar and letter tab placement, hint
// messages and the record delete mode. Each submenu checks the option's current value when it
// opens; choosing the current value does nothing, any other stores it and reports the change.
// Its items are registered as command controls under their names.
class TViewOptionsMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int HelpContext = 29;

    TViewOptionsMenu(settings::Settings& settings, TCommandRegistry& commands, QWidget* parent);

    // Checks the items of the current option values.
    void UpdateChecks();

signals:
    void MenuModeChanged();
    void PlacementChanged();
    void HintsChanged();
    // "Enabled" or "Disabled" under the letter tabs; the receiver decides and stores.
    void LetterTabsChosen(settings::opt::LetterTabs value);

private:
    QMenu* AddSubmenu(const char* name, const char* caption);
    // An item that stores `value` into `option` when chosen and it differs.
    template <typename Option, typename Changed>
    QAction* AddChoice(QMenu* menu, const char* name, const char* caption, Option& option,
                       Option value, Changed changed);

    settings::Settings& settings_;
    TCommandRegistry& commands_;
};

} // namespace shelfwise::book
