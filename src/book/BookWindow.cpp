#include "book/BookWindow.h"

#include "book/BookFrame.h"
#include "book/ColorDlg.h"
#include "book/Colors.h"
#include "book/ExchangeCommands.h"
#include "book/FilterCommands.h"
#include "book/FindCommands.h"
#include "book/Fonts.h"
#include "book/KeyCommands.h"
#include "book/LabelMenu.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/LetterTabColours.h"
#include "book/ListDlg.h"
#include "book/LoadDbDlg.h"
#include "book/LoginDlg.h"
#include "book/MntnDlg.h"
#include "book/NavigationKeys.h"
#include "book/Navigator.h"
#include "book/PasswordDlg.h"
#include "book/RecordCommands.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "book/ReplaceCommands.h"
#include "book/RightPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "book/SpeedBar.h"
#include "book/Splitter.h"
#include "book/TabOrderFile.h"
#include "book/TableViewCommand.h"
#include "book/TemplateCommands.h"
#include "book/ViewOptionsMenu.h"
#include "book/WindowPlacement.h"
#include "db/Login.h"
#include "db/RecordSchema.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QScreen>
#include <QToolTip>
#include <QUrl>
#include <optional>

namespace shelfwise::book {

namespace {

using settings::Element;
namespace opt = settings::opt;

constexpr int RowHelpContext = 105;
constexpr int RightPageHelpContext = 31;
constexpr int TemplateHelpContext = 99;
constexpr int HeaderHelpContext = 104;

// Hides every hint of the application while the option says so.
class HintSwitch : public QObject {
public:
    HintSwitch(const settings::Settings& settings, QObject* parent)
        : QObject(parent), settings_(settings) {}

    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::ToolTip &&
               settings_.HintMessages == opt::HintMessages::Hide;
    }

private:
    const settings::Settings& settings_;
};

} // namespace

TBookWindow::TBookWindow(settings::Settings& settings)
    : settings_(settings), database_(settings), commands_(this), menus_(this, commands_) {
    // 1. The database's colours; a missing file keeps the defaults.
    settings::LoadElementColors(settings_.DatabaseDir / settings::ElementColorsFileName,
                                settings_.Colors);
    // 2. The elements.
    setObjectName(QStringLiteral("BookWindow"));
    setWindowTitle(QString::fromLatin1(settings::ProgramTitle));
    setToolTip(QStringLiteral("Use Right Mouse Button To Display Popup Menus"));
    setMinimumSize(MinWidth, MinHeight);
    // The designed sizes hold for the designed font.
    setFont(QFont(QStringLiteral("Arial"), 8));
    if (settings_.StayOnTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    client_->setAutoFillBackground(true);
    speedBar_ = new TSpeedBar(client_);
    leftPage_ = new TLeftPage(client_, settings_.FieldLabels);
    letterBar_ = new TLetterBar(client_);
    rightPage_ = new TRightPage(client_);
    splitter_ = new TSplitter(client_);
    frame_ = new TBookFrame({*this, *menus_.MainMenu(), *client_, *speedBar_, *leftPage_,
                             *letterBar_, *rightPage_, *splitter_, settings_},
                            this);
    fields_ = new TRecordFields({settings_, database_, *rightPage_->Pages(), this}, this);
    // A page that was never shown has no height of its own yet.
    frame_->StretchEditors = [this](int dx, int dy) {
        return isVisible() && fields_->Stretch(dx, dy);
    };
    fields_->ColorsChanged = [this] { ApplyColors(); };
    fields_->FontsChanged = [this] { ApplyFonts(); };
    for (const auto* sheet : {&speedBar_->StandardButtons(), &speedBar_->AdvancedButtons()}) {
        for (THotBtn* button : *sheet) {
            commands_.AddButton(button);
        }
    }
    for (const QWidget* bar : {static_cast<QWidget*>(leftPage_->PagingBar()),
                               static_cast<QWidget*>(rightPage_->RecordBar())}) {
        for (QAbstractButton* button :
             bar->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
            commands_.AddButton(button);
        }
    }
    commands_.AddButton(rightPage_->TemplateButton());
    viewOptions_ = new TViewOptionsMenu(settings_, commands_, this);
    hintSwitch_ = new HintSwitch(settings_, this);
    qApp->installEventFilter(hintSwitch_);
    rightPage_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rightPage_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        menus_.RightPageMenu()->popup(rightPage_->mapToGlobal(at));
    });
    rightPage_->TemplatePanel()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rightPage_->TemplatePanel(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                menus_.TemplateMenu()->popup(rightPage_->TemplatePanel()->mapToGlobal(at));
            });
    leftPage_->SetRowMenu(menus_.RowMenu());
    connect(viewOptions_, &TViewOptionsMenu::MenuModeChanged, this, &TBookWindow::ApplyMenuMode);
    connect(viewOptions_, &TViewOptionsMenu::PlacementChanged, frame_, &TBookFrame::PlacePanels);
    connect(viewOptions_, &TViewOptionsMenu::HintsChanged, this, &TBookWindow::ApplyHints);
    commands_.Define(QStringLiteral("ViewOptions"), {},
                     [this] { viewOptions_->popup(pos() + QPoint(50, 100)); });
    commands_.AddKey(QStringLiteral("ViewOptions"), QKeySequence(Qt::Key_F2), nullptr,
                     TCommandRegistry::KeyUse::PassedOn);
    ConnectCommands();
    resize(DesignedWidth, DesignedHeight);
}

void TBookWindow::CompleteCreation() {
    // 3, 4. State; the first sheets are active.
    frame_->SetSuspended(true);
    rightPage_->Pages()->setCurrentIndex(0);
    speedBar_->setCurrentIndex(0);
    // 6, 7. Fields and help contexts.
    fields_->Prepare();
    labelMenu_ = new TLabelMenu(settings_, this);
    labelMenu_->RefreshLabels = [this] { RefreshLabels(); };
    labelMenu_->ApplyColors = [this] { ApplyColors(); };
    for (QLabel* label : fields_->Labels()) {
        labelMenu_->Attach(label);
    }
    recordPage_ = new TRecordPage(database_, settings_, fields_->Editors(), this);
    recordPage_->RecordLoaded = [this] { ShowRecordState(); };
    letterTabColours_ = std::make_unique<TLetterTabColours>(*letterBar_, settings_.Colors);
    recordPage_->LetterPanel = letterTabColours_.get();
    navigator_ = new TNavigator(
        {database_, settings_, commands_, *recordPage_, *leftPage_, *letterBar_, *rightPage_},
        this);
    // The mark of a Find hit lasts until the list is drawn again.
    navigator_->BeforeRedraw = [this] {
        if (fields_->DropHighlight()) {
            ApplyColors();
        }
    };
    fields_->DateFormatChanged = [this] { navigator_->RedrawPage(); };
    frame_->RowsChanged = [this] { navigator_->RedrawPage(); };
    const TCommandParts parts{*this, database_, settings_, commands_, *recordPage_, *navigator_};
    recordCommands_ = new TRecordCommands({{parts,
                                            [this] {
                                                fields_->FocusFirst();
                                                templateCommands_->FillNewRecord();
                                            }},
                                           *menus_.RowMenu(),
                                           *menus_.RightPageMenu(),
                                           *leftPage_},
                                          this);
    new TNavigationKeys(this, *navigator_, commands_);
    new TKeyCommands({*this, commands_, *leftPage_, *rightPage_->Pages(), *menus_.RightPageMenu()},
                     this);
    TSortButton& sortButton = *leftPage_->SortButton();
    sortCommands_ = new TSortCommands({database_, settings_, commands_, *recordPage_, *navigator_,
                                       sortButton, *viewOptions_, this},
                                      this);
    setProperty("helpContext", HelpContext);
    sortButton.setProperty("helpContext", TSortButton::HelpContext);
    leftPage_->Header()->setProperty("helpContext", HeaderHelpContext);
    menus_.RowMenu()->setProperty("helpContext", RowHelpContext);
    // 8. The tables are the database's; its index manager reports every re-open.
    database_.Index.RecountLetters = [this] { RecountLetters(); };
    auto* findCommands = new TFindCommands({parts, *sortCommands_, sortButton,
                                            [this](int position, int offset, int length) {
                                                if (!recordPage_->RecordInUse()) {
                                                    fields_->ShowFound(position, offset, length);
                                                }
                                            }},
                                           this);
    ConnectExchangeCommands({parts, [this] { RecountLetters(); }});
    filterCommands_ = new TFilterCommands(
        {parts, *sortCommands_, sortButton, settings_, fields_->Editors()}, this);
    ConnectTableViewCommand(parts);
    new TReplaceCommands(
        {parts, *sortCommands_, sortButton, *findCommands, filterCommands_->Filter()}, this);
    // 9. Letters on; the window starts at the top right of the screen.
    letterBar_->EnableTabs(true);
    letterBar_->Recolor(settings_.Colors, LetterCounts(database_.Index));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().width() - width(), 1);
    }
    // 10. The list header and the rows.
    leftPage_->Header()->LoadHeader(settings_.DataDir / HeaderFileName);
    leftPage_->CreateRows(ToQFont(settings_.RecordButtonFont));
    // 11.
    frame_->TakeEditorBase();
    frame_->PlacePanels();
    // 12 - 14.
    fields_->ApplyDateFormats();
    OpenBook();
    // The templates' records are the open database's.
    templateCommands_ = new TTemplateCommands(
        {parts, *rightPage_->TemplateButton(), *menus_.RightPageMenu(), *menus_.TemplateMenu()},
        this);
    ApplyMenuMode();
    ApplyColors();
    // 16. A right page width from "wnd.dat", but not below the designed width.
    frame_->RestoreRightPageWidth(ReadWindowPlacement());
    // 17.
    frame_->SetSuspended(false);
    ApplyFonts();
    frame_->Layout();
    show();
    frame_->Layout();
    navigator_->RedrawPage();
    // 19, 20.
    frame_->AllowNarrowerRightPage();
    ReadTabOrder();
}

TBookWindow::~TBookWindow() {
    frame_->SetSuspended(true);
    if (recordPage_ != nullptr && database_.DataTable.isOpen()) {
        recordPage_->CommitRecord();
        recordPage_->EditCursor().Close();
    }
    WriteWindowPlacement();
    if (database_.DataTable.isOpen()) {
        database_.Index.WriteSortState();
    }
    leftPage_->Header()->SaveHeader(settings_.DataDir / HeaderFileName);
    WriteTabOrder();
    qApp->removeEventFilter(hintSwitch_);
    database_.CloseTables();
}

void TBookWindow::OpenBook() {
    if (!database_.OpenDatabase()) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    navigator_->ResetLetterTabs();
    QString caption = QString::fromLatin1(settings::ProgramTitle) +
                      QStringLiteral(" - Database: ") +
                      text::FromWindowsText(database_.MasterTable.text(db::CatalogueName));
    if (settings::ReadOnlyAccess(settings_)) {
        caption += QStringLiteral(" [Read Only Mode]");
    }
    setWindowTitle(caption);
    std::vector<bool> listable;
    for (std::size_t i = 0; i < settings_.FieldLabels.size(); ++i) {
        const std::size_t position = i + db::FirstDataField;
        listable.push_back(
            position >= database_.Fields.MemoFields.size() ||
            (!database_.Fields.MemoFields[position] && !database_.Fields.PictureFields[position]));
    }
    leftPage_->Header()->SetListableFields(std::move(listable));
    recordPage_->Restart();
    if (templateCommands_ != nullptr) {
        templateCommands_->DatabaseOpened();
    }
}

bool TBookWindow::CommitRecord() {
    return recordPage_->CommitAndKeepRecord();
}

void TBookWindow::ShowRecordState() {
    rightPage_->Status()->SetCaption(recordPage_->StatusText());
    navigator_->UpdatePositionLabels();
    UpdateRecordCommands();
    navigator_->SetRedrawAllowed(true);
    navigator_->RedrawPage();
}

void TBookWindow::UpdateRecordCommands() {
    if (fields_->Editors().empty()) {
        return;
    }
    const bool enabled = !settings::ReadOnlyAccess(settings_) && !recordPage_->RecordInUse();
    if (fields_->SetReadOnly(!enabled)) {
        ApplyColors();
    }
    recordCommands_->Update();
}

bool TBookWindow::focusNextPrevChild(bool next) {
    return fields_->FocusNext(focusWidget(), next) || QWidget::focusNextPrevChild(next);
}

void TBookWindow::RecountLetters() {
    navigator_->RecountLetters();
    sortCommands_->UpdateSortCaptions();
}

void TBookWindow::AddField(QLabel* label, editors::TFieldEditor* editor) {
    fields_->Add(label, editor);
}

void TBookWindow::ConnectCommands() {
    for (QToolButton* button : findChildren<QToolButton*>()) {
        const QString name = button->objectName();
        // The scroll buttons and the exit button work; every other command arrives with its
        // own part of the program.
        if (name != QLatin1String("B_Exit") && name != QLatin1String("SpeedButton1") &&
            name != QLatin1String("SpeedButton2") && !name.isEmpty()) {
            button->setEnabled(false);
        }
    }
    for (auto* part :
         {leftPage_->SortButton()->PrimaryPart(), leftPage_->SortButton()->SecondaryPart(),
          leftPage_->SortButton()->FilterPart()}) {
        part->setEnabled(false);
    }
    const auto define = [this](const char* command, std::initializer_list<const char*> controls,
                               std::function<void()> run) {
        commands_.Define(QString::fromLatin1(command), controls, std::move(run));
    };
    define("Exit", {"Exit1", "B_Exit"}, [this] { close(); });
    define("HelpContents", {"HelpContents1"}, [] { platform::ShowHelp(HelpContext); });
    define("Manual", {"Manual1"}, [this] {
        const auto manual = settings_.ProgramDir / "manual.rtf";
        if (!QDesktopServices::openUrl(
                QUrl::fromLocalFile(QString::fromStdString(manual.string())))) {
            platform::ShowError("Could not load manual.rtf file!\nTry to load manual.rtf file "
                                "into your word processor.");
        }
    });
    define("RowFont", {"RowFont1"}, [this] { ChooseRowFont(); });
    define("RowColor", {"RowColor1"}, [this] { EditRowColors(); });
    define("RowHelp", {"RowHelp1"}, [] { platform::ShowHelp(RowHelpContext); });
    define("RightPageHelp", {"RightPageHelp1"}, [] { platform::ShowHelp(RightPageHelpContext); });
    define("TemplateHelp", {"TemplateHelp1"}, [] { platform::ShowHelp(TemplateHelpContext); });
    define("LoadDatabase", {"Load1", "B_Load"}, [this] { LoadDatabaseCommand(); });
    define("Password", {"Password1", "B_Password"}, [this] {
        ChangePassword(settings_, this);
        navigator_->FocusCurrentRow();
    });
    define("Maintenance", {"Maintenance1", "B_Maintenance"}, [this] { MaintenanceCommand(); });
    commands_.Enable(QStringLiteral("Maintenance"), db::RightsOf(settings_).Maintenance);
}

void TBookWindow::ChooseRowFont() {
    if (const auto font = platform::ChooseFont(this, ToQFont(settings_.RecordButtonFont))) {
        settings_.RecordButtonFont = ToFontRecord(*font);
        settings::SaveUiOptions(settings_);
        ApplyFonts();
    }
}

void TBookWindow::EditRowColors() {
    if (EditColors(settings_, static_cast<std::size_t>(Element::RowText),
                   QStringLiteral("Record Buttons"),
                   {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color"),
                    QStringLiteral("Selected Button Text Color"),
                    QStringLiteral("Selected Button Bgnd Color")},
                   this)) {
        ApplyColors();
    }
}

void TBookWindow::ApplyMenuMode() {
    frame_->ApplyMenuMode();
    ApplyHints();
    frame_->PlacePanels();
    RefreshLabels();
}

void TBookWindow::resizeEvent(QResizeEvent*) {
    frame_->Resized();
}

void TBookWindow::ApplyHints() {
    if (settings_.HintMessages == opt::HintMessages::Hide) {
        QToolTip::hideText();
    }
}

void TBookWindow::RefreshLabels() {
    if (settings_.FieldLabels.empty()) {
        return;
    }
    fields_->RefreshLabels();
    leftPage_->Header()->RenameSections();
    sortCommands_->UpdateSortCaptions();
}

void TBookWindow::SetLabelTemplates(settings::TTemplateList* templates) {
    labelMenu_->SetTemplates(templates);
}

void TBookWindow::LoadDatabaseCommand() {
    if (!recordPage_->SettleRecord()) {
        return;
    }
    const std::filesystem::path openDir = settings_.DatabaseDir;
    std::optional<std::string> chosen;
    {
        TLoadDbDlg dialog(database_, settings_, this);
        dialog.SecurityCheck = [this] { return SecurityCheck(settings_, this); };
        if (platform::RunModal(dialog) == QDialog::Accepted) {
            chosen = dialog.ChosenFile();
        }
    }
    if (chosen) {
        LoadDatabase(*chosen, openDir);
    }
    navigator_->FocusCurrentRow();
}

void TBookWindow::MaintenanceCommand(bool fromReminder) {
    // The reminder reaches here too, and rights may have changed since the menus were set.
    if (!db::RightsOf(settings_).Maintenance || !recordPage_->SettleRecord()) {
        return;
    }
    // The edit cursor is a second open of the data table, which would refuse every exclusive
    // open.
    recordPage_->EditCursor().Close();
    TMntnDlg dialog(database_, settings_, this);
    dialog.FromReminder = fromReminder;
    dialog.AddLogEntry = AddLogEntry;
    dialog.ShowLog = ShowLog;
    dialog.StillSelected = [this](const engine::Table& table) {
        return search::StillSelected(filterCommands_->Filter(), table, database_.Index.Filter);
    };
    dialog.OpenListEditor = [this, &dialog] {
        return EditLists(
            database_, settings_, [this](int field) { return fields_->LookupSourceOf(field); },
            &dialog);
    };
    platform::RunModal(dialog);
    if (dialog.ListsChanged) {
        fields_->OpenLists();
    }
    if (dialog.DatabaseChanged) {
        if (dialog.SortReset) {
            database_.Index.ResetSort();
            database_.Index.WriteSortState();
        }
        navigator_->SetRedrawAllowed(false);
        database_.DataTable.close();
        database_.DataTable.setTag("");
        database_.CloseTables();
        OpenBook();
        if (!database_.DataTable.isOpen()) {
            return;
        }
        leftPage_->SortButton()->SetFilterState(db::FilterState::fsFilterOff);
        sortCommands_->ReopenRecordList();
    }
    recordPage_->Restart();
    navigator_->SetRedrawAllowed(true);
    navigator_->RedrawPage();
    navigator_->FocusCurrentRow();
}

void TBookWindow::LoadDatabase(const std::string& fileName, const std::filesystem::path& openDir) {
    if (fileName == settings_.DataFileName && settings_.DatabaseDir == openDir) {
        return;
    }
    WriteTabOrder();
    recordPage_->EditCursor().Close();
    database_.DataTable.close();
    database_.DataTable.setTag("");
    database_.CloseTables();
    navigator_->SetRedrawAllowed(false);
    // The sort state file lies beside the data table being closed.
    const std::filesystem::path newDir = settings_.DatabaseDir;
    settings_.DatabaseDir = openDir;
    database_.Index.WriteSortState();
    settings_.DatabaseDir = newDir;
    settings_.DataFileName = fileName;
    OpenBook();
    if (!database_.DataTable.isOpen()) {
        return;
    }
    // The next start reopens this database, even when another copy of the program ends later.
    settings::SaveUiOptions(settings_);
    if (settings_.DatabaseDir != openDir) {
        // The list tables lie in the database directory too.
        fields_->OpenLists();
    }
    leftPage_->SortButton()->SetFilterState(db::FilterState::fsFilterOff);
    sortCommands_->ReopenRecordList();
    recordPage_->Restart();
    ReadTabOrder();
}

void TBookWindow::ApplyColors() {
    const auto& c = settings_.Colors;
    const auto colour = [&c](Element e) { return ElementColor(c, e); };
    leftPage_->SetRowColors(c);
    letterBar_->Recolor(c, LetterCounts(database_.Index));
    SetWidgetBackground(leftPage_, colour(Element::LeftPage));
    SetWidgetBackground(leftPage_->PagingBar(), colour(Element::LeftPage));
    SetWidgetColors(leftPage_->Header(), colour(Element::LeftLabelsText),
                    colour(Element::LeftLabelsBackground));
    speedBar_->SetColor(colour(Element::SpeedBar));
    SetWidgetBackground(client_, colour(Element::WindowBackground));
    SetWidgetColors(rightPage_, colour(Element::LabelText), colour(Element::RightPage));
    SetWidgetColors(rightPage_->Status(), colour(Element::LabelText), colour(Element::RightPage));
    SetWidgetBackground(rightPage_->TemplatePanel(), colour(Element::RightPage));
    rightPage_->Pages()->SetColor(colour(Element::RecordPages));
    SetWidgetBackground(rightPage_->RecordBar(), colour(Element::RecordSpeedBar));
    for (QLabel* label : {rightPage_->PositionLabel(), rightPage_->PercentLabel()}) {
        SetWidgetColors(label, colour(Element::LabelText), colour(Element::RecordSpeedBar));
    }
    fields_->ApplyColors(settings::ReadOnlyAccess(settings_) ||
                         (recordPage_ != nullptr && recordPage_->RecordInUse()));
    speedBar_->update();
}

void TBookWindow::ApplyFonts() {
    const auto& rows = leftPage_->RowButtons();
    if (rows.empty() || !SameFont(rows.front()->font(), settings_.RecordButtonFont)) {
        leftPage_->CreateRows(ToQFont(settings_.RecordButtonFont));
    }
    if (fields_->ApplyFonts() && !frame_->Suspended()) {
        frame_->Layout();
    }
    // New rows start empty.
    navigator_->RedrawPage();
}

int TBookWindow::ReadWindowPlacement() {
    auto placement = ReadWindowPlacementFile(settings_.DataDir / WindowPlacementFileName);
    if (!placement) {
        return 0;
    }
    // A stored size larger than the screen would make a huge window; fit it to the screen.
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        placement = FitToScreen(*placement, {area.left(), area.top(), area.width(), area.height()});
    }
    if (placement->IsNormal()) {
        resize(placement->Width, placement->Height);
        move(placement->Left, placement->Top);
        return placement->RightPageWidth;
    }
    if (placement->IsMaximized()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    return 0;
}

void TBookWindow::WriteWindowPlacement() {
    WindowPlacement placement;
    if (!isMaximized()) {
        placement = {y(), x(), width(), height(), rightPage_->width()};
    }
    WriteWindowPlacementFile(settings_.DataDir / WindowPlacementFileName, placement);
}

void TBookWindow::ReadTabOrder() {
    const auto line =
        ReadTabOrderLine(settings_.DataDir / TabOrderFileName(settings_.DataFileName));
    if (!line) {
        return;
    }
    auto captions = rightPage_->Pages()->Captions();
    for (const PageMove& move : TabOrderMoves(captions, *line)) {
        rightPage_->Pages()->MovePage(move.From, move.To);
    }
    rightPage_->Pages()->setCurrentIndex(0);
}

void TBookWindow::WriteTabOrder() {
    WriteTabOrderLine(settings_.DataDir / TabOrderFileName(settings_.DataFileName),
                      TabOrderLine(rightPage_->Pages()->Captions()));
}

void TBookWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window hidden by another command comes back as it was.
    if (property("tag").toInt() == 1000) {
        setProperty("tag", 0);
        return;
    }
    RefreshLabels();
}

void TBookWindow::closeEvent(QCloseEvent* event) {
    if (!closeHandler_) {
        event->accept();
        return;
    }
    // The window is only ever hidden by a close; the handler decides what follows.
    event->ignore();
    closeHandler_();
}

void TBookWindow::contextMenuEvent(QContextMenuEvent* event) {
    viewOptions_->popup(event->globalPos());
}

} // namespace shelfwise::book
