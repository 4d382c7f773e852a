#include "platform/HelpViewer.h"

#include <QApplication>
#include <QPointer>

namespace shelfwise::platform {

HelpViewer::HelpViewer() {
    setObjectName(QStringLiteral("HelpViewer"));
    setOpenExternalLinks(true);
    resize(640, 480);
}

HelpViewer& HelpViewer::Instance() {
    // Freed with the application, so it never outlives QApplication.
    static QPointer<HelpViewer> viewer;
    if (!viewer) {
        viewer = new HelpViewer;
        QObject::connect(qApp, &QApplication::aboutToQuit, viewer, &QObject::deleteLater);
    }
    return *viewer;
}

void HelpViewer::Open(const QUrl& url) {
    setWindowTitle(QApplication::applicationDisplayName() + QStringLiteral(" Help"));
    setSource(url);
    show();
    raise();
    activateWindow();
}

} // namespace shelfwise::platform
