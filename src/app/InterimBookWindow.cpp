#include "app/InterimBookWindow.h"

#include "settings/SettingsFiles.h"

#include <QCloseEvent>
#include <QLabel>

namespace shelfwise::app {

InterimBookWindow::InterimBookWindow(settings::Settings& settings) : settings_(settings) {
    setObjectName(QStringLiteral("BookWindow"));
    setWindowTitle(QString::fromLatin1(settings::ProgramTitle));
    auto* text = new QLabel(
        tr("Database: %1")
            .arg(QString::fromStdString((settings.DatabaseDir / settings.DataFileName).string())),
        this);
    text->setAlignment(Qt::AlignCenter);
    setCentralWidget(text);
    resize(640, 480);
}

InterimBookWindow::~InterimBookWindow() {
    settings::WriteSecurityOptions(settings_);
    settings::WriteUiOptions(settings_);
}

void InterimBookWindow::SetCloseHandler(std::function<void()> handler) {
    closeHandler_ = std::move(handler);
}

void InterimBookWindow::closeEvent(QCloseEvent* event) {
    // The window is hidden, never freed, by a close; the handler decides the rest.
    event->ignore();
    if (closeHandler_) {
        closeHandler_();
    }
}

} // namespace shelfwise::app
