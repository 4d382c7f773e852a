// Pictures of the book window for the documentation, taken offscreen at twice the screen
// density on a catalogue made for the purpose: screenshots <output directory>.
#include "app/AboutBox.h"
#include "app/HintsDlg.h"
#include "app/OptionsDlg.h"
#include "app/ReminderDlg.h"
#include "book/BookMenus.h"
#include "book/DbEditDlg.h"
#include "book/FilterCommands.h"
#include "book/FindCommands.h"
#include "book/HeaderSections.h"
#include "book/ListDlg.h"
#include "book/LogForm.h"
#include "book/LoginDlg.h"
#include "book/MntnDlg.h"
#include "book/Navigator.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "book/RecordTabs.h"
#include "book/ReplaceCommands.h"
#include "book/RightPage.h"
#include "book/SoftwareBookWindow.h"
#include "book/SortCommands.h"
#include "book/TemplateCommands.h"
#include "book/UserDlgs.h"
#include "db/Database.h"
#include "db/RecordSchema.h"
#include "db/UserList.h"
#include "editors/CalPop.h"
#include "editors/CalcDlg.h"
#include "editors/DateEdit.h"
#include "exchange/DbfExchange.h"
#include "exchange/ExchangeDialogs.h"
#include "platform/MessageBox.h"
#include "search/FilterDlg.h"
#include "settings/ModemEntries.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

namespace {

using shelfwise::book::TSoftwareBookWindow;
namespace settings = shelfwise::settings;
namespace exchange = shelfwise::exchange;

struct Shot {
    const char* File;
    std::function<void(settings::Settings&)> Options;
    QSize Size;           // empty: maximized
    int Page = 0;         // a record tab page ("Part 1".."Part 4") showing the featured record
    bool Find = false;    // the Find window after a hit, instead of the book window
    bool Replace = false; // the Replace window set for a substring, instead of the book window
};

const char* const Titles[] = {
    "Atlas Mapper",  "Audio Forge", "Backup Keeper", "Budget Planner",
    "Code Lens",     "Disk Doctor", "Draw Studio",   "Font Gallery",
    "Mail Courier",  "Photo Album", "Report Writer", "Spell Checker",
    "Tax Assistant", "Type Tutor",  "Web Publisher", "Zip Archiver",
};

// The title whose record is filled in completely for the pictures of the record pages.
const char* const Featured = "Draw Studio";

std::string Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// An application icon: a pencil over a palette on a rounded tile.
QImage Logo() {
    QImage image(128, 128, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(0, 0, 0, 128);
    tile.setColorAt(0, QColor(0x3d, 0x8b, 0xfd));
    tile.setColorAt(1, QColor(0x1a, 0x4f, 0xb8));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 26, 26);
    p.setBrush(QColor(0xf5, 0xf0, 0xe6));
    p.drawEllipse(QRectF(20, 30, 78, 66));
    const QColor paints[] = {QColor(0xe5, 0x39, 0x35), QColor(0xfb, 0xc0, 0x2d),
                             QColor(0x43, 0xa0, 0x47), QColor(0x8e, 0x24, 0xaa)};
    const QPointF spots[] = {{40, 48}, {62, 42}, {80, 56}, {42, 72}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(paints[i]);
        p.drawEllipse(spots[i], 8, 8);
    }
    p.translate(92, 86);
    p.rotate(-45);
    p.setBrush(QColor(0xff, 0xb3, 0x00));
    p.drawRect(QRectF(-7, -34, 14, 52));
    p.setBrush(QColor(0x4e, 0x34, 0x2e));
    QPainterPath tip;
    tip.moveTo(-7, 18);
    tip.lineTo(7, 18);
    tip.lineTo(0, 32);
    tip.closeSubpath();
    p.drawPath(tip);
    return image;
}

// A box shot: the product's box drawn at an angle with its name on the front.
QImage BoxShot() {
    QImage image(250, 290, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(QRectF(30, 262, 200, 20));
    QPolygonF side({QPointF(178, 30), QPointF(214, 14), QPointF(214, 244), QPointF(178, 266)});
    p.setBrush(QColor(0x12, 0x3a, 0x86));
    p.drawPolygon(side);
    QPolygonF top({QPointF(36, 30), QPointF(72, 14), QPointF(214, 14), QPointF(178, 30)});
    p.setBrush(QColor(0x6f, 0xa8, 0xff));
    p.drawPolygon(top);
    QLinearGradient front(36, 30, 178, 266);
    front.setColorAt(0, QColor(0x3d, 0x8b, 0xfd));
    front.setColorAt(1, QColor(0x1a, 0x4f, 0xb8));
    p.setBrush(front);
    p.drawRect(QRectF(36, 30, 142, 236));
    p.drawImage(QRectF(67, 60, 80, 80), Logo());
    p.setPen(Qt::white);
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.drawText(QRectF(36, 150, 142, 56), Qt::AlignCenter, QStringLiteral("Draw\nStudio"));
    font.setBold(false);
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QRectF(36, 212, 142, 20), Qt::AlignCenter, QStringLiteral("Version 7.2"));
    p.drawText(QRectF(36, 236, 142, 20), Qt::AlignCenter, QStringLiteral("Brightline Software"));
    return image;
}

// Every field of the featured title, as a collector would enter them. Field number n stands at
// position n + 1.
void FillFeatured(shelfwise::engine::Table& table) {
    using namespace std::chrono;
    const auto text = [&table](int field, const char* value) { table.setText(field + 1, value); };
    text(2, "Brightline Software");
    text(3, "Graphics");
    text(4, "7.2.1");
    text(5, "DS7-91QX-ZT3M");
    table.setNumber(6 + 1, 149.95);
    table.setDate(7 + 1, year_month_day(year(2024), month(3), day(18)));
    table.setDate(8 + 1, year_month_day(year(2024), month(4), day(2)));
    text(9, "Download");
    text(10, "Windows 11");
    table.setBytes(11 + 1, Png(Logo()));
    text(12, "+1 555 0142 880");
    text(13, "help@brightline.net");
    text(14, "www.brightline.net/draw");
    text(15, "Registered");
    text(16, "Home office");
    text(17, "Licence for 2 computers");
    text(18, "Order 2024-0318-77");
    table.setNumber(19 + 1, 39.00);
    text(20, "Yearly");
    table.setDate(21 + 1, year_month_day(year(2025), month(4), day(2)));
    text(22, "C:\\Manuals\\Draw7.pdf");
    text(23, "Vector drawing and page layout.\n\n"
             "Upgrade from version 6 bought in the spring sale; the old serial stays valid "
             "for the laptop.\n\n"
             "Installed with the clip-art pack and the extra fonts. Maintenance plan renews "
             "every April.");
    table.setBytes(24 + 1, Png(BoxShot()));
}

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
        if (std::string_view(title) == Featured) {
            FillFeatured(table);
        }
        table.post();
    }
    // Sorted as a user would sort it, so the window lets go of the table for the new index.
    database.Index.SaveSort();
    database.Index.Sort.PrimaryField = shelfwise::db::FirstDataField;
    window.SortCommands()->ApplySortChange();
}

// The designed first column is too narrow for these titles; a user would have widened it, and
// the window keeps that in "header.dat".
void SaveListLayout(const settings::Settings& s) {
    shelfwise::book::THeaderSections sections;
    sections.SetSections({{"Application Name:", 140}, {"Producer:", 100}},
                         {"Application Name:", "Producer:"});
    sections.Save(s.DataDir / shelfwise::book::HeaderFileName);
}

// A program directory of its own, with the template tables and the public database.
settings::Settings FreshProgramDir(const QTemporaryDir& programDir) {
    settings::Settings s;
    s.ProgramDir = s.DataRoot = programDir.path().toStdString();
    CopyTemplateTables(s.ProgramDir);
    settings::SetPublicDir(s);
    settings::EnsureDataDirectories(s);
    s.DataDir = s.DatabaseDir;
    return s;
}

bool Take(const Shot& shot, const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    shot.Options(s);
    SaveListLayout(s);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    if (shot.Size.isEmpty()) {
        window.showMaximized();
    } else {
        window.resize(shot.Size);
    }
    if (shot.Page != 0) {
        // The list shows one letter at a time, in name order: the featured title's position
        // is its place among the titles of its letter.
        const char letter = Featured[0];
        window.Navigator()->SelectLetterTab(letter);
        window.Navigator()->ShowLetter(letter);
        const auto before = std::count_if(std::begin(Titles), std::end(Titles), [](const char* t) {
            return t[0] == Featured[0] && std::string_view(t) < Featured;
        });
        window.RecordPage()->ShowRecordAt(static_cast<int>(before));
        shelfwise::book::TRecordTabs* pages = window.RightPage()->Pages();
        pages->setCurrentIndex(pages->indexOf(pages->PagePanel(shot.Page)->parentWidget()));
    }
    QWidget* shown = &window;
    if (shot.Find) {
        auto* commands = window.findChild<shelfwise::book::TFindCommands*>();
        commands->ShowFind();
        shown = commands->FindWindow();
        shown->findChild<QComboBox*>(QStringLiteral("Edit1"))
            ->setEditText(QStringLiteral("studio"));
        shown->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    }
    if (shot.Replace) {
        auto* commands = window.findChild<shelfwise::book::TReplaceCommands*>();
        commands->ShowReplace();
        shown = commands->ReplaceWindow();
        shown->findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))
            ->findChildren<QRadioButton*>()[1]
            ->setChecked(true);
        shown->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("Studio"));
        shown->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("Suite"));
    }
    QApplication::processEvents();
    const QString file = QDir(outputDir).filePath(QString::fromLatin1(shot.File));
    const bool saved = shown->grab().save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

bool Save(QWidget& widget, const QString& outputDir, const char* name) {
    widget.show();
    QApplication::processEvents();
    const QString file = QDir(outputDir).filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

// A dialog shown on its own over a program directory with a few accounts.
struct DialogShot {
    const char* File;
    std::function<std::unique_ptr<QDialog>(const settings::Settings&,
                                           const shelfwise::db::TUserList&)>
        Make;
};

void AddAccounts(shelfwise::db::TUserList& users) {
    users.LoadUsers();
    using shelfwise::db::AccountAccess;
    using shelfwise::db::AccountStatus;
    users.AddUser("Anna Berg", "anna", AccountAccess::ReadAndWrite, AccountStatus::Active, "pw");
    users.AddUser("Tom Weller", "tom", AccountAccess::ReadOnly, AccountStatus::Active, "pw");
    users.AddUser("Guest", "guest", AccountAccess::None, AccountStatus::NotActive, "");
    users.SaveUsers();
}

bool TakeDialog(const DialogShot& shot, const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s;
    s.ProgramDir = s.DataRoot = programDir.path().toStdString();
    settings::SetPublicDir(s);
    settings::EnsureDataDirectories(s);
    shelfwise::db::TUserList users(s);
    AddAccounts(users);
    const std::unique_ptr<QDialog> dialog = shot.Make(s, users);
    return Save(*dialog, outputDir, shot.File);
}

// The export and import dialogs over the same catalogue, as the book window opens them.
bool TakeExchangeDialogs(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    auto& database = window.Database();
    exchange::ExportDbf(database, s, "software", nullptr);
    std::vector<exchange::FieldChoice> fields;
    for (const int position :
         exchange::ExchangeFields(database.Fields, database.DataTable.fieldCount())) {
        fields.emplace_back(position,
                            QString::fromStdString(s.FieldLabels[std::size_t(position) - 2]));
    }
    exchange::TExchangeOptions options;
    options.Separator = ',';
    options.Delimiter = '"';
    options.Fields = {2, 3, 7, 24};
    bool all = true;
    exchange::TImportSourceDlg target(true);
    all = Save(target, outputDir, "export-target.png") && all;
    exchange::TExpImpDlg exportOptions(true, fields, options);
    all = Save(exportOptions, outputDir, "export-options.png") && all;
    exchange::TSelectFileDlg exportFile(true, exchange::ExchangeDir(s));
    all = Save(exportFile, outputDir, "export-file-name.png") && all;
    exchange::TImportSourceDlg source(false);
    all = Save(source, outputDir, "import-source.png") && all;
    exchange::TExpImpDlg importOptions(false, fields, exchange::TExchangeOptions{});
    all = Save(importOptions, outputDir, "import-options.png") && all;
    exchange::TExchangeProgressDlg progress;
    progress.SetCaption(QStringLiteral("Importing. Please Wait..."));
    progress.SetTotal(0);
    progress.SetPosition(12345);
    all = Save(progress, outputDir, "import-progress.png") && all;
    return all;
}

// "Edit Lists" over the catalogue, its lists filled from the records.
bool TakeListDialog(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    window.hide();
    // A few producers typed in earlier, one not capitalised.
    shelfwise::db::TLookupList(s, "list1.dbf")
        .AddMissing({"Northwind Labs", "acorn tools", "Pixel Forge", "Quiet Byte"});
    shelfwise::book::TListDlg dialog(
        window.Database(), s, [&window](int i) { return window.Fields()->LookupSourceOf(i); },
        nullptr);
    dialog.UpdateLists();
    return Save(dialog, outputDir, "edit-lists.png");
}

// The options dialog page by page over a catalogue's labels and date fields, the tips and the
// about box, with the tips and modem files installed beside this program.
bool TakeFrameDialogs(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    const std::filesystem::path from = QCoreApplication::applicationDirPath().toStdString();
    for (const char* name : {shelfwise::app::HintsFileName, settings::ModemEntriesFileName}) {
        std::filesystem::copy_file(from / name, s.ProgramDir / name);
    }
    TSoftwareBookWindow window(s);
    window.hide();
    bool all = true;
    shelfwise::app::TOptionsDlg options(s, nullptr);
    const char* pages[] = {"options-user-interface.png", "options-modem.png",  "options-data.png",
                           "options-date.png",           "options-colors.png", "options-fonts.png",
                           "options-security.png",       "options-users.png"};
    for (int page = 0; page < shelfwise::app::TOptionsDlg::PageCount; ++page) {
        options.Pages()->setCurrentIndex(page);
        all = Save(options, outputDir, pages[page]) && all;
    }
    shelfwise::app::THintsDlg tips(s, nullptr, [](int) { return 2; });
    all = Save(tips, outputDir, "tips.png") && all;
    shelfwise::app::TAboutBox about(shelfwise::app::TAboutBox::Use::About);
    about.show();
    while (about.Timer()->isActive()) {
        about.Tick();
    }
    all = Save(about, outputDir, "about.png") && all;
    shelfwise::app::TAboutBox splash(shelfwise::app::TAboutBox::Use::Splash);
    all = Save(splash, outputDir, "welcome.png") && all;
    shelfwise::app::TReminderDlg reminder(true);
    all = Save(reminder, outputDir, "reminder.png") && all;
    shelfwise::book::TLogForm log(s.DataDir);
    for (const char* description :
         {"Database Reindexed.", "Database Packed.", "Database Backed Up - 16 records."}) {
        log.AddLogEntry(QStringLiteral("Software"), QString::fromLatin1(description));
    }
    all = Save(log, outputDir, "maintenance-log.png") && all;
    return all;
}

// "Set Filter" with two conditions, one of them defined, and the condition dialog of a date.
// The maintenance dialog as the reminder opens it, with the due operations marked.
bool TakeMaintenanceDialog(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    shelfwise::book::TMntnDlg dialog(window.Database(), s);
    dialog.FromReminder = true;
    return Save(dialog, outputDir, "maintenance.png");
}

bool TakeFilterDialogs(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    auto& database = window.Database();
    namespace search = shelfwise::search;
    search::TFilterList& filter = window.findChild<shelfwise::book::TFilterCommands*>()->Filter();
    filter.Clear();
    int date = -1;
    int text = -1;
    for (int p = shelfwise::db::FirstDataField; p < database.DataTable.fieldCount(); ++p) {
        const std::uint8_t type = search::FilterTypeOf(database.DataTable.field(p));
        if (type == search::FilterDateType && date < 0) {
            date = p;
        } else if (type == search::FilterTextType && text < 0) {
            text = p;
        }
    }
    filter.Define(filter.AddField(text, search::FilterTextType), "M", "", search::FilterTextType,
                  search::FilterOperator::GreaterOrEqual);
    const int dateEntry = filter.AddField(date, search::FilterDateType);
    settings::TTemplateList templates(settings::FilterTemplates, s.DataDir);
    int dateFormat = 0;
    search::TFilterDlg dialog(filter, database.DataTable, database.Fields, s.FieldLabels, templates,
                              shelfwise::db::FilterState::fsNormal, dateFormat);
    bool all = Save(dialog, outputDir, "filter.png");
    filter.Define(dateEntry, "01/01/2024", "12/31/2024", search::FilterDateType,
                  search::FilterOperator::Between);
    search::TFieldFilterDlg condition(filter, dateEntry,
                                      QString::fromStdString(s.FieldLabels[std::size_t(date) - 2]),
                                      dateFormat, std::nullopt);
    all = Save(condition, outputDir, "filter-condition.png") && all;
    return all;
}

// The table viewer over the catalogue, as the Table command opens it in place of the book.
bool TakeTableView(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    window.hide();
    // Every title rather than the one letter the book shows.
    window.Database().DataTable.cancelRange();
    shelfwise::db::TEditCursor& writer = window.RecordPage()->EditCursor();
    writer.Open();
    shelfwise::book::TDbEditDlg viewer(window.Database(), writer, s, false, nullptr);
    viewer.resize(1400, 480);
    return Save(viewer, outputDir, "table-view.png");
}

// Every menu of the book window opened in full: the main menu's, the context menus and the
// template chooser's, over the catalogue with two record templates.
bool TakeMenus(const QString& outputDir) {
    QTemporaryDir programDir;
    settings::Settings s = FreshProgramDir(programDir);
    TSoftwareBookWindow window(s);
    FillCatalogue(window);
    window.resize(638, 519);
    window.RecordPage()->ShowRecordAt(0);
    auto& templates = window.TemplateCommands()->Templates();
    for (const char* name : {"Office Tools", "Games"}) {
        templates.Save(name, [&window](shelfwise::engine::Table& copy) {
            return window.RecordPage()->WriteRecordFields(copy);
        });
    }
    window.TemplateCommands()->RebuildTemplateMenus();
    window.Commands().Item(QStringLiteral("CopyRecord1"))->trigger();
    QApplication::processEvents();
    std::vector<std::pair<QMenu*, QString>> menus;
    for (QMenu* menu :
         window.Menus().MainMenu()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        // The menu bar's own overflow menu has no name.
        if (menu->objectName().isEmpty()) {
            continue;
        }
        menus.emplace_back(menu, QStringLiteral("menu-%1.png").arg(menu->objectName().chopped(1)));
    }
    const auto& book = window.Menus();
    menus.emplace_back(book.RowMenu(), QStringLiteral("menu-rows.png"));
    menus.emplace_back(book.RightPageMenu(), QStringLiteral("menu-right-page.png"));
    menus.emplace_back(book.TemplateMenu(), QStringLiteral("menu-template.png"));
    menus.emplace_back(window.TemplateCommands()->ChooserMenu(),
                       QStringLiteral("menu-template-chooser.png"));
    bool all = true;
    for (const auto& [menu, name] : menus) {
        menu->popup(window.mapToGlobal(QPoint(40, 40)));
        QApplication::processEvents();
        const QString file = QDir(outputDir).filePath(name.toLower());
        const bool saved = menu->grab().save(file, "PNG");
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
        menu->hide();
        all = saved && all;
    }
    return all;
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
        {"record-part1.png", designed, {638, 519}, 1},
        {"record-part2.png", designed, {638, 519}, 2},
        {"record-part3.png", designed, {638, 519}, 3},
        {"record-part4.png", designed, {638, 519}, 4},
        {"find-window.png", designed, {638, 519}, 0, true},
        {"replace-window.png", designed, {638, 519}, 0, false, true},
    };
    using shelfwise::book::TLoginDlg;
    const DialogShot dialogs[] = {
        {"login.png",
         [](const settings::Settings& s, const shelfwise::db::TUserList&) {
             settings::Settings multiUser = s;
             multiUser.UserCount = settings::opt::UserCount::MultiUser;
             multiUser.PasswordMode = settings::opt::PasswordMode::Required;
             auto dialog = std::make_unique<TLoginDlg>(multiUser, TLoginDlg::Use::Login);
             dialog->UserIdEdit()->setText(QStringLiteral("anna"));
             dialog->PasswordEdit()->setText(QStringLiteral("secret"));
             return dialog;
         }},
        {"user-accounts.png",
         [](const settings::Settings& s, const shelfwise::db::TUserList&) {
             return std::make_unique<shelfwise::book::TUserLstDlg>(s);
         }},
        {"user-account.png",
         [](const settings::Settings&, const shelfwise::db::TUserList& users) {
             return std::make_unique<shelfwise::book::TUserDlg>(users, 1);
         }},
    };
    const DialogShot dateShots[] = {
        {"date-fields.png",
         [](const settings::Settings&, const shelfwise::db::TUserList&) {
             auto dialog = std::make_unique<QDialog>();
             auto* form = new QFormLayout(dialog.get());
             const auto add = [&](const char* label, const QString& format,
                                  shelfwise::text::Date date) {
                 auto* edit = new shelfwise::editors::TDateEdit(dialog.get());
                 edit->SetDisplayFormat(format);
                 edit->SetDate(date);
                 form->addRow(QString::fromLatin1(label), edit);
             };
             using namespace std::chrono;
             add("Version Date:", QStringLiteral("mm/dd/yyyy"), 2024y / March / 18d);
             add("Installation Date:", QStringLiteral("dd/mm/yyyy"), 2024y / April / 2d);
             add("Custom 6:", QStringLiteral("yyyy"), 2025y / April / 2d);
             add("Not yet known:", QStringLiteral("mm/dd/yyyy"), std::nullopt);
             return dialog;
         }},
        {"calculator.png",
         [](const settings::Settings&, const shelfwise::db::TUserList&) {
             auto calculator = std::make_unique<shelfwise::editors::TCalcDlg>(nullptr);
             for (const QChar key : QStringLiteral("1249.5*2")) {
                 QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
                 QCoreApplication::sendEvent(calculator.get(), &press);
             }
             return calculator;
         }},
        {"calendar.png",
         [](const settings::Settings&, const shelfwise::db::TUserList&) {
             using namespace std::chrono;
             return std::make_unique<shelfwise::editors::TCalendarPopup>(2024y / March / 18d,
                                                                         nullptr);
         }},
    };
    bool all = true;
    for (const DialogShot& shot : dateShots) {
        all = TakeDialog(shot, outputDir) && all;
    }
    for (const Shot& shot : shots) {
        all = Take(shot, outputDir) && all;
    }
    for (const DialogShot& shot : dialogs) {
        all = TakeDialog(shot, outputDir) && all;
    }
    all = TakeExchangeDialogs(outputDir) && all;
    all = TakeFrameDialogs(outputDir) && all;
    all = TakeFilterDialogs(outputDir) && all;
    all = TakeTableView(outputDir) && all;
    all = TakeMaintenanceDialog(outputDir) && all;
    all = TakeListDialog(outputDir) && all;
    all = TakeMenus(outputDir) && all;
    return all ? 0 : 1;
}
