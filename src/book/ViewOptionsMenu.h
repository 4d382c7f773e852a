#pragma once

#include "settings/Settings.h"

#include <QMenu>

namespace shelfwise::book {

// The view options menu: menus and speed bars, speed bar and letter tab placement, hint
// messages and the record delete mode. Each submenu checks the option's current value when it
// opens; choosing the current value does nothing, any other stores it and reports the change.
class TViewOptionsMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int HelpContext = 29;

    TViewOptionsMenu(settings::Settings& settings, QWidget* parent);

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
};

} // namespace shelfwise::book
