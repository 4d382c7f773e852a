#include "platform/Help.h"

#include "platform/HelpViewer.h"

#include <QUrl>
#include <string>

namespace shelfwise::platform {

namespace {

std::filesystem::path& directory() {
    static std::filesystem::path instance;
    return instance;
}

std::function<void(int)>& hook() {
    static std::function<void(int)> instance;
    return instance;
}

} // namespace

void SetHelpDirectory(const std::filesystem::path& dir) {
    directory() = dir;
}

std::filesystem::path HelpDirectory() {
    return directory();
}

std::filesystem::path HelpPageFor(int context) {
    const auto own = directory() / (std::to_string(context) + ".html");
    if (context > 0 && std::filesystem::exists(own)) {
        return own;
    }
    return directory() / "index.html";
}

void ShowHelp(int context) {
    if (hook()) {
        hook()(context);
        return;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(HelpPageFor(context).string()));
    if (context > 0 && url.fileName() == QLatin1String("index.html")) {
        url.setFragment(QStringLiteral("context%1").arg(context));
    }
    HelpViewer::Instance().Open(url);
}

void SetHelpHook(std::function<void(int)> h) {
    hook() = std::move(h);
}

} // namespace shelfwise::platform
