// Pictures of the book window for the documentation, taken offscreen at twice the screen
// density on a catalogue made for the purpose: screenshots <output directory>.
#include "book/SoftwareBookWindow.h"
#include "db/RecordSchema.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

using shelfwise::book::TSoftwareBookWindow;
namespace settings = shelfwise::settings;

struct Shot {
    const char* File;
    std::function<void(settings::Settings&)> Options;
    QSize Size; // empty: maximized
};

const char* const Titles[] = {
    "Atlas Mapper",  "Audio Forge", "Backup Keeper", "Budget Planner",
    "Code Lens",     "Disk Doctor", "Draw Studio",   "Font Gallery",
    "Mail Courier",  "Photo Album", "Report Writer", "Spell Checker",
    "Tax Assistant", "Type Tutor",  "Web Publisher", "Zip Archiver",
};

// The template tables lie beside this program in the build's program directory.
void CopyTemplateTables(const std::filesystem::path& programDir) {
    const std::filesystem::path from = QCoreApplication::applicationDirPath().toStdString();
    for (const char* name :
         {"data.dbf", "data.dbt", "data.mdx", "master.dbf", "master.mdx", "list.dbf", "list.mdx"}) {
        std::filesystem::copy_file(from / name, programDir / name);
    }
}

// A catalogue of a few titles, sorted by name so that the letter tabs show which letters hold
// records.
void FillCatalogue(TSoftwareBookWindow& window) {
    auto& database = window.Database();
    auto& table = database.DataTable;
    for (const char* title : Titles) {
        table.append();
        database.AssignRecordNumber(table);
        table.setText(shelfwise::db::FirstDataField, title);
        table.post();
    }
    database.Index.Sort.PrimaryField = shelfwise::db::FirstDataField;
    database.Index.ApplySort();
    window.ResetLetterTabs();
}

bool Take(const Shot& shot, const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s;
    s.ProgramDir = s.DataRoot = programDir.path().toStdString();
    CopyTemplateTables(s.ProgramDir);
    settings::SetPublicDir(s);
    settings::EnsureDataDirectories(s);
    s.DataDir = s.DatabaseDir;
    shot.Options(s);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
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
    // A screen of 1440 x 900 at twice the density, as a laptop of today has.
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(R"({"screens": [{"name": "shot", "x": 0, "y": 0, "width": 1440, "height": 900,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication application(argc, argv);
    // The first open of the new catalogue reports that it made the data table.
    shelfwise::platform::SetUnattended(true);
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
