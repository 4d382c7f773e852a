#include "book/KeyCommands.h"

#include "book/CommandRegistry.h"
#include "book/LeftPage.h"
#include "book/RecordTabs.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>
#include <algorithm>

namespace shelfwise::book {

TKeyCommands::TKeyCommands(const TKeyParts& parts, QObject* parent)
    : QObject(parent), parts_(parts) {
    TCommandRegistry& commands = parts_.Commands;
    const auto menuKey = [&commands](const char* command, Qt::Key key, std::function<void()> run) {
        commands.Define(QString::fromLatin1(command), {}, std::move(run));
        commands.AddKey(QString::fromLatin1(command), QKeySequence(key), nullptr,
                        TCommandRegistry::KeyUse::PassedOn);
    };
    menuKey("RowMenu", Qt::Key_F3, [this] { OpenRowMenu(); });
    menuKey("RightPageMenu", Qt::Key_F4, [this] {
        parts_.RightPageMenu.popup(WindowCorner() + QPoint(parts_.Window.width() / 2 + 50, 200));
    });
    menuKey("HeaderMenu", Qt::Key_F5, [this] {
        QWidget& header = *parts_.LeftPage.Header();
        OpenContextMenu(header, {WindowCorner().x() + 50, header.mapToGlobal(QPoint()).y() + 10});
    });
    TSortButton& sortButton = *parts_.LeftPage.SortButton();
    const struct {
        const char* Command;
        Qt::Key Key;
        QWidget* Part;
        int Third;
    } sortMenus[] = {
        {"PrimarySortMenu", Qt::Key_F6, sortButton.PrimaryPart(), 0},
        {"SecondarySortMenu", Qt::Key_F7, sortButton.SecondaryPart(), 1},
        {"FilterMenu", Qt::Key_F8, sortButton.FilterPart(), 2},
    };
    for (const auto& menu : sortMenus) {
        menuKey(menu.Command, menu.Key, [this, part = menu.Part, third = menu.Third, &sortButton] {
            OpenContextMenu(*part, {WindowCorner().x() + sortButton.width() / 3 * third + 50,
                                    sortButton.mapToGlobal(QPoint()).y() + 10});
        });
    }
    commands.Define(QStringLiteral("EmailSupport"), {"EmailSupport1"}, [] {
        if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(SupportAddress)))) {
            platform::ShowError("Could not locate your email client software!\nMake sure you have "
                                "selected Email software in Internet Properties (Programs page).");
        }
    });
    commands.Await(QStringLiteral("Print"), {"Print1", "B_Print"});
    commands.AddKey(QStringLiteral("Print"), QKeySequence(Qt::CTRL | Qt::Key_P), "B_Print");
    commands.Await(QStringLiteral("HTMLReport"), {"HTMLFile1", "B_HTML"});
    commands.Await(QStringLiteral("Summary"), {"Summary1", "B_Summary"});
    commands.Await(QStringLiteral("HomePage"), {"HomePage1", "SponsorBtn"});
    commands.AddKey(QStringLiteral("HomePage"), QKeySequence(Qt::CTRL | Qt::Key_G), "SponsorBtn");
    commands.Await(QStringLiteral("OnlineFAQ"), {"OnlineFAQ1"});
    qApp->installEventFilter(this);
}

TKeyCommands::~TKeyCommands() {
    qApp->removeEventFilter(this);
}

QPoint TKeyCommands::WindowCorner() const {
    return parts_.Window.frameGeometry().topLeft();
}

void TKeyCommands::OpenContextMenu(QWidget& widget, const QPoint& at) {
    // A disabled control opens no menu for the mouse either.
    if (!widget.isEnabled()) {
        return;
    }
    emit widget.customContextMenuRequested(widget.mapFromGlobal(at));
}

void TKeyCommands::OpenRowMenu() {
    const auto& rows = parts_.LeftPage.RowButtons();
    if (rows.empty()) {
        return;
    }
    QWidget* focused = QApplication::focusWidget();
    auto row = std::find(rows.begin(), rows.end(), focused);
    if (row == rows.end()) {
        row = rows.begin();
        (*row)->setFocus();
    }
    OpenContextMenu(**row, {WindowCorner().x() + 50, (*row)->mapToGlobal(QPoint()).y() + 10});
}

bool TKeyCommands::eventFilter(QObject* watched, QEvent* event) {
    const QKeyEvent* key = WindowKeyPress(parts_.Window, watched, event);
    // Alt+1 .. Alt+9: the record page of that number; keys of pages that are not there go on.
    if (key == nullptr) {
        return false;
    }
    const int page = key->key() - Qt::Key_1;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier || page < 0 || page > 8 ||
        page >= parts_.Pages.count()) {
        return false;
    }
    // A field of the page left behind would hand its focus on along the fields' tab order, which
    // shows the page after it: the page tabs keep the focus instead.
    parts_.Pages.setFocus(Qt::ShortcutFocusReason);
    parts_.Pages.setCurrentIndex(page);
    return true;
}

} // namespace shelfwise::book
