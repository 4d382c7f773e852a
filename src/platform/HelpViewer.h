#pragma once

#include <QTextBrowser>

namespace shelfwise::platform {

// The program's one help window: a browser over the local help pages.
class HelpViewer : public QTextBrowser {
    Q_OBJECT
public:
    static HelpViewer& Instance();
    void Open(const QUrl& url);

private:
    HelpViewer();
};

} // namespace shelfwise::platform
