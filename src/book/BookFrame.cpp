#include "book/BookFrame.h"

#include "book/BookLayout.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/RightPage.h"
#include "book/SpeedBar.h"
#include "book/Splitter.h"
#include "settings/Settings.h"

#include <QMenuBar>

namespace shelfwise::book {

namespace opt = settings::opt;

TBookFrame::TBookFrame(const TFrameParts& parts, QObject* parent) : QObject(parent), parts_(parts) {
    connect(&parts_.Splitter, &TSplitter::Moved, this, &TBookFrame::MoveSplitter);
}

void TBookFrame::TakeEditorBase() {
    previousRightPageSize_ = parts_.RightPage.size();
}

void TBookFrame::RestoreRightPageWidth(int width) {
    TRightPage& right = parts_.RightPage;
    if (width > 0 && width != right.width()) {
        right.resize(std::max(width, minRightPageWidth_), right.height());
    }
}

int TBookFrame::MenuHeight() const {
    return parts_.MainMenu.isHidden() ? 0 : parts_.MainMenu.sizeHint().height();
}

QSize TBookFrame::ClientSize() const {
    return {parts_.Window.width(), parts_.Window.height() - MenuHeight()};
}

void TBookFrame::Resized() {
    parts_.MainMenu.setGeometry(0, 0, parts_.Window.width(), MenuHeight());
    parts_.Client.setGeometry(QRect(QPoint(0, MenuHeight()), ClientSize()));
    if (!suspended_) {
        Layout();
    }
}

void TBookFrame::Layout() {
    QWidget& window = parts_.Window;
    TSpeedBar& speedBar = parts_.SpeedBar;
    TLeftPage& left = parts_.LeftPage;
    TLetterBar& letterBar = parts_.LetterBar;
    TRightPage& right = parts_.RightPage;
    const QSize client = ClientSize();
    const PageWidths pages =
        FitPages(client.width(), letterBar.width(), right.width(), minRightPageWidth_);
    right.resize(pages.Right, right.height());
    left.resize(pages.Left, left.height());
    if (pages.WindowGrowth > 0) {
        const bool suspended = suspended_;
        suspended_ = true;
        window.resize(window.width() + pages.WindowGrowth, window.height());
        suspended_ = suspended;
    }
    // The speed bar spans the pages and the letter bar; its buttons follow its width.
    speedBar.resize(pages.Left + letterBar.width() + pages.Right, TSpeedBar::DesignedHeight);
    speedBar.LayoutButtons();
    const int speedBarHeight = speedBar.isHidden() ? 0 : speedBar.height();
    const int pageHeight = client.height() - parts_.Splitter.height() - speedBarHeight;
    left.resize(left.width(), pageHeight);
    right.resize(right.width(), pageHeight);
    letterBar.resize(letterBar.width(), pageHeight);
    PlacePanels();
    const bool rowsChanged = left.LayoutRows();
    // The size the editors were last stretched to stays the base until they are stretched.
    if (previousRightPageSize_.width() < 0 ||
        StretchEditors(right.width() - previousRightPageSize_.width(),
                       right.height() - previousRightPageSize_.height())) {
        previousRightPageSize_ = right.size();
    }
    letterBar.LayoutLetterTabs();
    if (rowsChanged) {
        RowsChanged();
    }
}

void TBookFrame::PlacePanels() {
    const settings::Settings& settings = parts_.Settings;
    TSpeedBar& speedBar = parts_.SpeedBar;
    PanelInput in;
    in.LeftWidth = parts_.LeftPage.width();
    in.RightWidth = parts_.RightPage.width();
    in.LetterBarWidth = parts_.LetterBar.width();
    in.PageHeight = parts_.LeftPage.height();
    in.SpeedBarHeight = speedBar.height();
    in.SpeedBarVisible = !speedBar.isHidden();
    in.SpeedBarAtBottom = settings.SpeedBarLocation == opt::SpeedBarLocation::Bottom;
    in.LetterTabsOnRight = settings.LetterTabsLocation == opt::LetterTabsLocation::Right;
    in.Splitter = parts_.Splitter.size();
    const PanelPlacement placed = book::PlacePanels(in);
    speedBar.setGeometry(placed.SpeedBar.x(), placed.SpeedBar.y(), speedBar.width(),
                         speedBar.height());
    parts_.LeftPage.setGeometry(placed.LeftPage);
    parts_.LetterBar.setGeometry(placed.LetterBar);
    parts_.RightPage.setGeometry(placed.RightPage);
    parts_.Splitter.setGeometry(placed.Splitter);
}

void TBookFrame::ApplyMenuMode() {
    QWidget& window = parts_.Window;
    TSpeedBar& speedBar = parts_.SpeedBar;
    QMenuBar& menu = parts_.MainMenu;
    suspended_ = true;
    const auto mode = parts_.Settings.MenusAndSpeedBars;
    const int speedBarHeight = speedBar.height();
    if (mode == opt::MenusAndSpeedBars::OnlyMenus) {
        if (!speedBar.isHidden()) {
            speedBar.hide();
            window.resize(window.width(), window.height() - speedBarHeight);
        }
    } else if (speedBar.isHidden()) {
        speedBar.show();
        speedBar.setCurrentIndex(0);
        window.resize(window.width(), window.height() + speedBarHeight);
    }
    // The client area keeps its size when the menu bar comes or goes.
    const bool menuWanted = mode != opt::MenusAndSpeedBars::OnlySpeedBars;
    if (menuWanted == menu.isHidden()) {
        const int menuHeight = menu.sizeHint().height();
        menu.setVisible(menuWanted);
        window.resize(window.width(), window.height() + (menuWanted ? menuHeight : -menuHeight));
    }
    suspended_ = false;
}

void TBookFrame::MoveSplitter(int distance) {
    TRightPage& right = parts_.RightPage;
    const int width =
        ClampRightPageWidth(right.width() - distance, minRightPageWidth_, ClientSize().width());
    right.resize(width, right.height());
    Layout();
    parts_.SpeedBar.update();
    parts_.Splitter.update();
}

} // namespace shelfwise::book
