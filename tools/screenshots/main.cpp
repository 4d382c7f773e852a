// Pictures of the book window for the documentation, taken offscreen at twice the screen
// density: screenshots <output directory>.
#include "book/LetterBar.h"
#include "book/SoftwareBookWindow.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

using shelfwise::book::TSoftwareBookWindow;
namespace settings = shelfwise::settings;

struct Shot {
    const char* File;
    std::function<void(settings::Settings&)> Options;
    QSize Size; // empty: maximized
};

bool Take(const Shot& shot, const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s;
    s.ProgramDir = s.DataRoot = programDir.path().toStdString();
    settings::SetPublicDir(s);
    settings::EnsureDataDirectories(s);
    s.DataDir = s.DatabaseDir;
    shot.Options(s);
    TSoftwareBookWindow window(s);
    if (shot.Size.isEmpty()) {
        window.showMaximized();
    } else {
        window.resize(shot.Size);
    }
    QApplication::processEvents();
    const QString file = QDir(outputDir).filePath(QString::fromLatin1(shot.File));
    const bool saved = window.grab().save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshots <output directory>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    const QString outputDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outputDir);

    const auto designed = [](settings::Settings&) {};
    const Shot shots[] = {
        {"book-window.png", designed, {638, 519}},
        {"book-window-small.png", designed, {400, 300}},
        {"book-window-maximized.png", designed, {}},
        {"book-window-letters-right.png",
         [](settings::Settings& s) {
             s.LetterTabsLocation = settings::opt::LetterTabsLocation::Right;
         },
         {638, 519}},
        {"book-window-speed-bar-top.png",
         [](settings::Settings& s) { s.SpeedBarLocation = settings::opt::SpeedBarLocation::Top; },
         {638, 519}},
    };
    bool all = true;
    for (const Shot& shot : shots) {
        all = Take(shot, outputDir) && all;
    }
    return all ? 0 : 1;
}
