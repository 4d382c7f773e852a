#include "app/TrayForm.h"

#include "app/ProgramIcon.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace shelfwise::app {

namespace {

// A minimised window counts as out of sight, as a hidden one does.
bool InSight(const QWidget* window) {
    return window != nullptr && window->isVisible() && !window->isMinimized();
}

QString Title() {
    return QString::fromLatin1(settings::ApplicationTitle);
}

// Hiding a modal dialog would end it: it is minimised instead.
void PutAway(QWidget* window) {
    if (window->isModal()) {
        window->showMinimized();
    } else {
        window->hide();
    }
}

void BringBack(QWidget* window) {
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
}

} // namespace

TTrayForm::TTrayForm(settings::Settings& settings, bool trayAvailable, QObject* parent)
    : QObject(parent), settings_(settings), trayAvailable_(trayAvailable) {
    menu_ = new QMenu;
    menu_->setObjectName(QStringLiteral("TrayMenu"));
    show_ = menu_->addAction(QString());
    show_->setObjectName(QStringLiteral("ShowItem"));
    terminate_ = menu_->addAction(QStringLiteral("Terminate ") + Title());
    terminate_->setObjectName(QStringLiteral("TerminateItem"));
    hideOnStartupItem_ = menu_->addAction(QStringLiteral("Hide On Startup"));
    hideOnStartupItem_->setObjectName(QStringLiteral("HideOnStartupItem"));
    hideOnStartupItem_->setCheckable(true);
    connect(menu_, &QMenu::aboutToShow, this, &TTrayForm::FillMenu);
    connect(show_, &QAction::triggered, this, &TTrayForm::ShowOrHide);
    connect(terminate_, &QAction::triggered, this, [this] {
        if (Terminate) {
            Terminate();
        }
    });
    connect(hideOnStartupItem_, &QAction::triggered, this, &TTrayForm::ToggleHideOnStartup);

    qApp->installEventFilter(this);

    SetActive(settings_.ShowTrayIcon && trayAvailable_);
    hideOnStartup_ = active_ && settings_.StartHidden;
    hiddenByTray_ = hideOnStartup_;
}

TTrayForm::~TTrayForm() {
    delete icon_;
    delete menu_;
}

void TTrayForm::SetActive(bool active) {
    active_ = active;
    if (active && icon_ == nullptr) {
        icon_ = new QSystemTrayIcon(QIcon(ProgramIcon()));
        icon_->setToolTip(ToolTip());
        icon_->setContextMenu(menu_);
        connect(icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick) {
                        Click();
                    }
                });
    }
    if (icon_ != nullptr) {
        icon_->setVisible(active);
    }
}

QString TTrayForm::CutToolTip(const QString& text) {
    return text.left(MaxToolTipLength);
}

QString TTrayForm::ToolTip() const {
    return CutToolTip(Title());
}

bool TTrayForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched != menu_) {
        if (auto* window = qobject_cast<QWidget*>(watched); window && window->isWindow()) {
            lastActivated_ = window;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TTrayForm::SetBookWindow(QWidget* book, std::function<void()> settle) {
    book_ = book;
    settle_ = std::move(settle);
    if (hiddenByTray_ && book_ != nullptr) {
        book_->hide();
    }
}

QWidget* TTrayForm::FrontWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        return modal;
    }
    return book_;
}

void TTrayForm::FillMenu() {
    QWidget* front = FrontWindow();
    // Without anything to show or hide, the menu offers nothing.
    const bool offered = InSight(front) || hiddenByTray_;
    for (QAction* item : menu_->actions()) {
        item->setEnabled(offered);
    }
    hideOnStartupItem_->setChecked(hideOnStartup_);
    show_->setText((InSight(front) ? QStringLiteral("Hide ") : QStringLiteral("Show ")) + Title());
    terminate_->setEnabled(offered && front != nullptr && front == book_);
}

void TTrayForm::Click() {
    if (InSight(FrontWindow()) || !hiddenByTray_) {
        BringToFront();
    } else {
        RestoreFromTray();
    }
}

void TTrayForm::ShowOrHide() {
    QWidget* front = FrontWindow();
    if (InSight(front)) {
        // A click in the notification area may have taken the activation away already.
        lastActive_ = QApplication::activeWindow();
        if (lastActive_ == nullptr || lastActive_ == menu_) {
            lastActive_ = lastActivated_;
        }
        if (lastActive_ != nullptr && lastActive_ != front && lastActive_ != book_) {
            PutAway(lastActive_);
        }
        if (front == book_) {
            front->hide();
        } else {
            // A modal dialog is minimised, and the window under it with it.
            PutAway(front);
            if (book_ != nullptr) {
                book_->showMinimized();
            }
        }
        hiddenByTray_ = true;
    } else if (hiddenByTray_) {
        RestoreFromTray();
    } else {
        BringToFront();
    }
}

void TTrayForm::RestoreFromTray() {
    QWidget* front = FrontWindow();
    if (book_ != nullptr && (!book_->isVisible() || book_->isMinimized())) {
        // Its record is settled first, as every command of the window does; a record the
        // user has to correct is shown all the same.
        if (settle_ && !book_->isVisible()) {
            settle_();
        }
        // The book window comes back as it was, without its first-show steps.
        book_->setProperty("tag", 1000);
        book_->showNormal();
    }
    if (front != nullptr && front != book_) {
        front->showNormal();
    }
    hiddenByTray_ = false;
    BringToFront();
    // The window the user worked in last takes the activation again.
    if (lastActive_ != nullptr && lastActive_ != front && lastActive_ != book_) {
        BringBack(lastActive_);
        lastActive_->raise();
        lastActive_->activateWindow();
    }
}

void TTrayForm::BringToFront() {
    if (QWidget* front = FrontWindow(); front != nullptr && front->isVisible()) {
        front->raise();
        front->activateWindow();
    }
}

void TTrayForm::ToggleHideOnStartup() {
    hideOnStartup_ = !hideOnStartup_;
    settings_.StartHidden = hideOnStartup_;
    settings::SaveUiOptions(settings_);
}

void TTrayForm::ShowTrayIconChanged() {
    const bool wanted = settings_.ShowTrayIcon && trayAvailable_;
    if (wanted == active_) {
        return;
    }
    SetActive(wanted);
    if (!active_) {
        hideOnStartup_ = false;
    }
}

void TTrayForm::MarkHiddenByClose() {
    hiddenByTray_ = true;
}

} // namespace shelfwise::app
