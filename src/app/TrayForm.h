#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::app {

// The program in the notification area: the icon, its menu, and whether the window in front was
// hidden through it. Without a notification area (or with the option off) the icon stays off
// and closing the book window ends the program.
class TTrayForm : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxToolTipLength = 62;

    // `trayAvailable`: whether the desktop offers a notification area.
    TTrayForm(settings::Settings& settings, bool trayAvailable, QObject* parent = nullptr);
    ~TTrayForm() override;

    // The book window; hidden at once when the program starts hidden. `settle` checks and
    // saves its record before a hidden window is shown again.
    void SetBookWindow(QWidget* book, std::function<void()> settle = {});
    // Carried out by "Terminate": the orderly end of the program.
    std::function<void()> Terminate;

    bool Active() const { return active_; }
    bool HideOnStartup() const { return hideOnStartup_; }
    bool HiddenByTray() const { return hiddenByTray_; }
    QString ToolTip() const;
    static QString CutToolTip(const QString& text);

    QMenu* Menu() const { return menu_; }
    QAction* ShowItem() const { return show_; }
    QAction* TerminateItem() const { return terminate_; }
    QAction* HideOnStartupItem() const { return hideOnStartupItem_; }

    // The book window, or the modal dialog open over it.
    QWidget* FrontWindow() const;

    // Captions and states of the menu as it pops up.
    void FillMenu();
    // A click on the icon.
    void Click();
    // The menu's "Show"/"Hide".
    void ShowOrHide();
    void ToggleHideOnStartup();
    // The option was changed in the Options dialog.
    void ShowTrayIconChanged();
    // The book window was hidden by closing it.
    void MarkHiddenByClose();
    void RestoreFromTray();

protected:
    // Notes the window last activated, which a click on the tray takes the activation from.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetActive(bool active);
    void BringToFront();

    settings::Settings& settings_;
    bool trayAvailable_;
    bool active_ = false;
    bool hideOnStartup_ = false;
    bool hiddenByTray_ = false;
    QPointer<QWidget> book_;
    std::function<void()> settle_;
    QPointer<QWidget> lastActive_;
    QPointer<QWidget> lastActivated_;
    QMenu* menu_;
    QAction* show_;
    QAction* terminate_;
    QAction* hideOnStartupItem_;
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace shelfwise::app
