#include "book/BookWindow.h"

#include "book/BookLayout.h"
#include "book/ColorDlg.h"
#include "book/Colors.h"
#include "book/EditMenu.h"
#include "book/ExchangeCommands.h"
#include "book/FilterCommands.h"
#include "book/FindCommands.h"
#include "book/LabelMenu.h"
#include "book/LeftPage.h"
#include "book/LetterBar.h"
#include "book/LetterTabColours.h"
#include "book/LoadDbDlg.h"
#include "book/LoginDlg.h"
#include "book/NavigationKeys.h"
#include "book/Navigator.h"
#include "book/PageReader.h"
#include "book/PasswordDlg.h"
#include "book/RecordCommands.h"
#include "book/RecordPage.h"
#include "book/RightPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "book/SpeedBar.h"
#include "book/Splitter.h"
#include "book/TabOrderFile.h"
#include "book/ViewOptionsMenu.h"
#include "book/WindowPlacement.h"
#include "db/RecordSchema.h"
#include "editors/DateEdit.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "text/DateText.h"
#include "text/WindowsText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QScreen>
#include <QToolTip>
#include <QUrl>

namespace shelfwise::book {

namespace {

using settings::Element;
namespace opt = settings::opt;

constexpr int RowHelpContext = 105;
constexpr int RightPageHelpContext = 31;
constexpr int TemplateHelpContext = 99;
constexpr int HeaderHelpContext = 104;
// The right page is never narrower than this once the window is up; a width read from
// "wnd.dat" at creation is raised to at least the designed width.
constexpr int CreationMinRightPageWidth = 280;
constexpr int FinalMinRightPageWidth = 230;
constexpr int DesignedEditorHeight = 24;

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

QFont ToQFont(const settings::FontRecord& record) {
    QFont font(text::FromWindowsText(record.Name), record.Size);
    font.setBold(record.Bold);
    font.setItalic(record.Italic);
    font.setUnderline(record.Underline);
    font.setStrikeOut(record.StrikeOut);
    return font;
}

settings::FontRecord ToFontRecord(const QFont& font) {
    settings::FontRecord record;
    record.Name = text::ToWindowsText(font.family());
    record.Bold = font.bold();
    record.Italic = font.italic();
    record.Underline = font.underline();
    record.StrikeOut = font.strikeOut();
    record.Size = font.pointSize();
    return record;
}

bool SameFont(const QFont& font, const settings::FontRecord& record) {
    return ToFontRecord(font) == record;
}

void SetHelpContext(QObject* object, int context) {
    object->setProperty("helpContext", context);
}

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
    connect(leftPage_, &TLeftPage::RowClicked, this, [this](int row) {
        previousRow_ = row;
        ShowRecordAt(pageStart_ + row);
    });
    connect(leftPage_, &TLeftPage::ColumnsChanged, this, &TBookWindow::RedrawPage);
    connect(splitter_, &TSplitter::Moved, this, &TBookWindow::MoveSplitter);
    connect(viewOptions_, &TViewOptionsMenu::MenuModeChanged, this, &TBookWindow::ApplyMenuMode);
    connect(viewOptions_, &TViewOptionsMenu::PlacementChanged, this, &TBookWindow::PlacePanels);
    connect(viewOptions_, &TViewOptionsMenu::HintsChanged, this, &TBookWindow::ApplyHints);
    commands_.Define(QStringLiteral("ViewOptions"), {},
                     [this] { PopupViewOptions(pos() + QPoint(50, 100)); });
    commands_.AddKey(QStringLiteral("ViewOptions"), QKeySequence(Qt::Key_F2));
    ConnectCommands();
    resize(DesignedWidth, DesignedHeight);
}

void TBookWindow::CompleteCreation() {
    // 3, 4. State; the first sheets are active.
    layoutSuspended_ = true;
    rightPage_->Pages()->setCurrentIndex(0);
    speedBar_->setCurrentIndex(0);
    // 6, 7. Fields and help contexts.
    BuildFieldLists();
    AttachEditMenus();
    labelMenu_ = new TLabelMenu(settings_, this);
    labelMenu_->RefreshLabels = [this] { RefreshLabels(); };
    labelMenu_->ApplyColors = [this] { ApplyColors(); };
    for (QLabel* label : fieldLabels_) {
        labelMenu_->Attach(label);
    }
    recordPage_ = new TRecordPage(database_, settings_, fieldEditors_, this);
    recordPage_->RecordLoaded = [this] { ShowRecordState(); };
    letterTabColours_ = std::make_unique<TLetterTabColours>(*letterBar_, settings_.Colors);
    recordPage_->LetterPanel = letterTabColours_.get();
    recordCommands_ = new TRecordCommands(*this);
    navigator_ = new TNavigator(*this);
    new TNavigationKeys(this, *navigator_, commands_);
    sortCommands_ = new TSortCommands(*this, *navigator_);
    SetHelpContext(this, HelpContext);
    SetHelpContext(leftPage_->SortButton(), TSortButton::HelpContext);
    SetHelpContext(leftPage_->Header(), HeaderHelpContext);
    SetHelpContext(menus_.RowMenu(), RowHelpContext);
    // 8. The tables are the database's; its index manager reports every re-open.
    database_.Index.RecountLetters = [this] { RecountLetters(); };
    new TFindCommands(*this);
    new TFilterCommands(*this);
    // 9. Letters on; the window starts at the top right of the screen.
    SetShowLetters(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().width() - width(), 1);
    }
    // 10. The list header and the rows.
    leftPage_->Header()->LoadHeader(settings_.DataDir / HeaderFileName);
    leftPage_->CreateRows(ToQFont(settings_.RecordButtonFont));
    // 11.
    previousRightPageSize_ = rightPage_->size();
    PlacePanels();
    // 12 - 14.
    ApplyDateFormats();
    OpenBook();
    ApplyMenuMode();
    ApplyColors();
    // 16. A right page width from "wnd.dat", but not below the designed width.
    if (const int right = ReadWindowPlacement(); right > 0 && right != rightPage_->width()) {
        rightPage_->resize(std::max(right, minRightPageWidth_), rightPage_->height());
    }
    // 17.
    layoutSuspended_ = false;
    ApplyFonts();
    LayoutWindow();
    show();
    LayoutWindow();
    RedrawPage();
    // 19, 20.
    minRightPageWidth_ = FinalMinRightPageWidth;
    ReadTabOrder();
}

TBookWindow::~TBookWindow() {
    layoutSuspended_ = true;
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
    ResetLetterTabs();
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
    RestartBook();
}

void TBookWindow::RestartBook() {
    if (recordPage_->ReopenEditCursor()) {
        recordPage_->ShowRecordAt(0);
    }
}

void TBookWindow::ShowRecordAt(int position) {
    recordPage_->ShowRecordAt(position);
}

bool TBookWindow::CommitRecord() {
    return recordPage_->CommitRecord();
}

void TBookWindow::ShowRecordState() {
    rightPage_->Status()->SetCaption(recordPage_->StatusText());
    navigator_->UpdatePositionLabels();
    UpdateRecordCommands();
    pageRedrawAllowed_ = true;
    RedrawPage();
}

void TBookWindow::UpdateRecordCommands() {
    if (fieldEditors_.empty()) {
        return;
    }
    const bool enabled = !settings::ReadOnlyAccess(settings_) && !recordPage_->RecordInUse();
    if (fieldEditors_.front()->IsRecordReadOnly() == enabled) {
        for (editors::TFieldEditor* editor : fieldEditors_) {
            editor->SetRecordReadOnly(!enabled);
        }
        ApplyColors();
    }
    recordCommands_->Update();
}

void TBookWindow::OpenLookupLists() {
    for (editors::TFieldEditor* editor : fieldEditors_) {
        editor->OpenList(database_, settings_);
    }
}

void TBookWindow::RefreshLookups() {
    for (editors::TFieldEditor* editor : fieldEditors_) {
        editor->ReloadList();
    }
}

void TBookWindow::ApplyDateFormats() {
    const auto& lines = settings_.DateFormats.Lines;
    for (std::size_t k = 0; k < dateEditors_.size() && k < lines.size(); ++k) {
        if (const auto format = text::DateFormatText(lines[k].Format)) {
            dateEditors_[k]->SetDateFormat(*format);
        }
    }
}

void TBookWindow::ChangeDateFormat(const editors::TFieldEditor* editor, int format) {
    const auto found = std::ranges::find(dateEditors_, editor);
    auto& lines = settings_.DateFormats.Lines;
    const auto k = static_cast<std::size_t>(found - dateEditors_.begin());
    if (found == dateEditors_.end() || k >= lines.size()) {
        return;
    }
    lines[k].Format = format;
    if (!settings::WriteDateFormats(settings_)) {
        platform::ShowError("Could not Save Options to a File!");
    }
    ApplyDateFormats();
    RedrawPage();
}

int TBookWindow::EditorIndexOf(const QWidget* widget) const {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        for (std::size_t i = 0; i < fieldEditors_.size(); ++i) {
            if (fieldEditors_[i]->Widget() == widget) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

int TBookWindow::PageOf(const QWidget* editor) const {
    const TRecordTabs* pages = rightPage_->Pages();
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->widget(i)->isAncestorOf(editor)) {
            return i;
        }
    }
    return -1;
}

bool TBookWindow::IsTabStop(const editors::TFieldEditor& editor) const {
    return (editor.Widget()->focusPolicy() & Qt::TabFocus) != 0 && !editor.IsRecordReadOnly();
}

bool TBookWindow::focusNextPrevChild(bool next) {
    const int current = EditorIndexOf(focusWidget());
    if (current < 0) {
        return QWidget::focusNextPrevChild(next);
    }
    const int count = static_cast<int>(fieldEditors_.size());
    const int page = PageOf(fieldEditors_[current]->Widget());
    const int step = next ? 1 : -1;
    for (int i = current + step; i >= 0 && i < count; i += step) {
        if (PageOf(fieldEditors_[i]->Widget()) == page && IsTabStop(*fieldEditors_[i])) {
            fieldEditors_[i]->Widget()->setFocus(next ? Qt::TabFocusReason
                                                      : Qt::BacktabFocusReason);
            return true;
        }
    }
    TRecordTabs* pages = rightPage_->Pages();
    const int target = (page + step + pages->count()) % pages->count();
    pages->setCurrentIndex(target);
    for (int n = 0; n < count; ++n) {
        editors::TFieldEditor& editor = *fieldEditors_[next ? n : count - 1 - n];
        if (PageOf(editor.Widget()) == target && IsTabStop(editor)) {
            editor.Widget()->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            break;
        }
    }
    return true;
}

void TBookWindow::RecountLetters() {
    navigator_->RecountLetters();
    sortCommands_->UpdateSortCaptions();
}

void TBookWindow::ResetLetterTabs() {
    navigator_->ResetLetterTabs();
}

char TBookWindow::CurrentLetter() const {
    return navigator_->CurrentLetter();
}

void TBookWindow::AddField(QLabel* label, editors::TFieldEditor* editor) {
    fieldLabels_.push_back(label);
    fieldEditors_.push_back(editor);
}

void TBookWindow::BuildFieldLists() {
    for (QLabel* label : fieldLabels_) {
        label->setToolTip(QStringLiteral("Click to Display Popup Menu"));
    }
    OpenLookupLists();
    if (settings_.FieldLabels.empty()) {
        for (const QLabel* label : fieldLabels_) {
            settings_.FieldLabels.push_back(text::ToWindowsText(label->text()));
        }
    }
    // Date editors in field order, each tied to its line of the date format list.
    std::vector<int> fields;
    for (std::size_t i = 0; i < fieldEditors_.size(); ++i) {
        if (fieldEditors_[i]->Kind() == editors::EditorKind::Date) {
            dateEditors_.push_back(fieldEditors_[i]);
            fields.push_back(static_cast<int>(i));
            if (auto* date = dynamic_cast<editors::TDateEdit*>(fieldEditors_[i])) {
                connect(date, &editors::TDateEdit::FormatChosen, this,
                        [this, date](int format) { ChangeDateFormat(date, format); });
                connect(date, &editors::TDateEdit::FontAsked, this,
                        [this, date] { ChooseFieldFont(date); });
                connect(date, &editors::TDateEdit::ColorAsked, this,
                        [this, date] { EditFieldColors(date); });
            }
        }
    }
    if (settings_.DateFormats.Lines.empty()) {
        settings_.DateFormats.Lines.resize(dateEditors_.size());
    }
    settings_.DateFormats.AssignFields(fields);
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
    define("Password", {"Password1", "B_Password"}, [this] { ChangePassword(settings_, this); });
    ConnectExchangeCommands(*this);
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

int TBookWindow::MenuHeight() const {
    return menus_.MainMenu()->isHidden() ? 0 : menus_.MainMenu()->sizeHint().height();
}

QSize TBookWindow::ClientSize() const {
    return {width(), height() - MenuHeight()};
}

void TBookWindow::resizeEvent(QResizeEvent*) {
    menus_.MainMenu()->setGeometry(0, 0, width(), MenuHeight());
    client_->setGeometry(QRect(QPoint(0, MenuHeight()), ClientSize()));
    if (!layoutSuspended_) {
        LayoutWindow();
    }
}

void TBookWindow::LayoutWindow() {
    const QSize client = ClientSize();
    const PageWidths pages =
        FitPages(client.width(), letterBar_->width(), rightPage_->width(), minRightPageWidth_);
    rightPage_->resize(pages.Right, rightPage_->height());
    leftPage_->resize(pages.Left, leftPage_->height());
    if (pages.WindowGrowth > 0) {
        const bool suspended = layoutSuspended_;
        layoutSuspended_ = true;
        resize(width() + pages.WindowGrowth, height());
        layoutSuspended_ = suspended;
    }
    // The speed bar spans the pages and the letter bar; its buttons follow its width.
    speedBar_->resize(pages.Left + letterBar_->width() + pages.Right, TSpeedBar::DesignedHeight);
    speedBar_->LayoutButtons();
    const int speedBarHeight = speedBar_->isHidden() ? 0 : speedBar_->height();
    const int pageHeight = client.height() - splitter_->height() - speedBarHeight;
    leftPage_->resize(leftPage_->width(), pageHeight);
    rightPage_->resize(rightPage_->width(), pageHeight);
    letterBar_->resize(letterBar_->width(), pageHeight);
    PlacePanels();
    const bool rowsChanged = leftPage_->LayoutRows();
    // The size the editors were last stretched to stays the base until they are stretched.
    if (previousRightPageSize_.width() < 0 ||
        LayoutEditors(rightPage_->width() - previousRightPageSize_.width(),
                      rightPage_->height() - previousRightPageSize_.height())) {
        previousRightPageSize_ = rightPage_->size();
    }
    letterBar_->LayoutLetterTabs();
    if (rowsChanged) {
        RedrawPage();
    }
}

void TBookWindow::AttachEditMenus() {
    constexpr int FieldHelpContext = 36;
    constexpr int PictureHelpContext = 132;
    textMenu_ = new TEditMenu(false, &settings_.AutoFill, this);
    listMenu_ = new TEditMenu(true, &settings_.AutoFill, this);
    for (TEditMenu* menu : {textMenu_, listMenu_}) {
        connect(menu, &TEditMenu::FontRequested, this, &TBookWindow::ChooseFieldFont);
        connect(menu, &TEditMenu::ColorRequested, this, &TBookWindow::EditFieldColors);
        connect(menu, &TEditMenu::AutoFillChanged, this,
                [this] { settings::SaveUiOptions(settings_); });
    }
    for (editors::TFieldEditor* editor : fieldEditors_) {
        const bool picture = editor->Kind() == editors::EditorKind::Picture;
        SetHelpContext(editor->Widget(), picture ? PictureHelpContext : FieldHelpContext);
        // Pictures have no text menu; date, e-mail, web and attachment fields bring menus of
        // their own.
        editors::TTextEditing* editing = editor->Editing();
        if (editing == nullptr) {
            continue;
        }
        TEditMenu* menu = editor->Kind() == editors::EditorKind::Lookup ? listMenu_ : textMenu_;
        QWidget* target = editing->Target();
        target->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(target, &QWidget::customContextMenuRequested, this,
                [menu, editor, target](const QPoint& at) {
                    menu->Open(editor, target->mapToGlobal(at));
                });
    }
}

void TBookWindow::ChooseFieldFont(editors::TFieldEditor* editor) {
    settings::FontRecord* option = editor->FontOption(settings_);
    if (option == nullptr) {
        return;
    }
    if (const auto font = platform::ChooseFont(this, ToQFont(*option))) {
        *option = ToFontRecord(*font);
        settings::SaveUiOptions(settings_);
        ApplyFonts();
    }
}

void TBookWindow::EditFieldColors(editors::TFieldEditor* editor) {
    const auto colors = editor->Colors();
    const Element first = colors ? colors->Text : Element::TextFieldText;
    bool changed = false;
    if (first == Element::MultiLineText) {
        changed = EditColors(settings_, static_cast<std::size_t>(Element::MultiLineText),
                             QStringLiteral("Multi-Line Fields"),
                             {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")}, this);
    } else if (first == Element::CurrencyPositiveText) {
        changed = EditColors(settings_, static_cast<std::size_t>(Element::CurrencyPositiveText),
                             QStringLiteral("Currency Fields"),
                             {QStringLiteral("Positive Color"), QStringLiteral("Negative Color"),
                              QStringLiteral("Bgnd Color")},
                             this);
    } else {
        changed = EditColors(settings_, static_cast<std::size_t>(Element::TextFieldText),
                             QStringLiteral("Single-Line Fields"),
                             {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")}, this);
    }
    if (changed) {
        ApplyColors();
    }
}

void TBookWindow::FocusFoundField(int position, int offset, int length) {
    const int index = position - db::FirstDataField;
    if (recordPage_->RecordInUse() || index < 0 ||
        index >= static_cast<int>(fieldEditors_.size())) {
        return;
    }
    editors::TFieldEditor* found = fieldEditors_[static_cast<std::size_t>(index)];
    QWidget* editor = found->Widget();
    rightPage_->Pages()->setCurrentIndex(PageOf(editor));
    if (!settings::ReadOnlyAccess(settings_)) {
        editor->setFocus();
    }
    if (highlighted_ != nullptr) {
        highlighted_ = nullptr;
        ApplyColors();
    }
    highlighted_ = editor;
    SetWidgetColors(editor, Qt::yellow, Qt::red);
    found->ShowFound(offset, length);
}

std::vector<LayoutItem> TBookWindow::EditorItems() const {
    std::vector<LayoutItem> items;
    for (std::size_t i = 0; i < fieldEditors_.size(); ++i) {
        const editors::TFieldEditor& editor = *fieldEditors_[i];
        LayoutItem item;
        item.Page = PageOf(editor.Widget());
        item.Type = editor.Kind();
        item.Editor = editor.Widget()->geometry();
        if (i < fieldLabels_.size()) {
            item.Label = fieldLabels_[i]->geometry();
        }
        items.push_back(item);
    }
    return items;
}

void TBookWindow::PlaceEditors(const std::vector<LayoutItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        fieldEditors_[i]->Widget()->setGeometry(items[i].Editor);
        if (i < fieldLabels_.size()) {
            fieldLabels_[i]->setGeometry(items[i].Label);
        }
    }
}

bool TBookWindow::LayoutEditors(int dx, int dy) {
    // A page that was never shown has no height of its own yet.
    if (fieldEditors_.empty() || !isVisible()) {
        return false;
    }
    std::vector<LayoutItem> items = EditorItems();
    TEditorLayout::Stretch(items, dx, dy, rightPage_->Pages()->widget(0)->height());
    PlaceEditors(items);
    return true;
}

void TBookWindow::RedrawPage() {
    if (!isVisible() || !pageRedrawAllowed_) {
        return;
    }
    leftPage_->ClearRows();
    if (highlighted_ != nullptr) {
        highlighted_ = nullptr;
        ApplyColors();
    }
    const TPageReader reader(settings_.FieldLabels, settings_.DateFormats);
    const PageTexts page = reader.Read(
        database_.DataTable, pageStart_, static_cast<int>(leftPage_->RowButtons().size()),
        leftPage_->Header()->Captions(), recordPage_->CurrentRecordId());
    leftPage_->ShowTexts(page);
    currentRow_ = page.CurrentRow;
    navigator_->UpdatePagingCommands();
    if (currentRow_ >= 0) {
        previousRow_ = currentRow_;
        leftPage_->SelectRow(currentRow_);
    } else if (previousRow_ >= 0) {
        leftPage_->SelectRow(-1);
        previousRow_ = -1;
    }
    leftPage_->FocusRow(currentRow_);
}

void TBookWindow::PlacePanels() {
    PanelInput in;
    in.LeftWidth = leftPage_->width();
    in.RightWidth = rightPage_->width();
    in.LetterBarWidth = letterBar_->width();
    in.PageHeight = leftPage_->height();
    in.SpeedBarHeight = speedBar_->height();
    in.SpeedBarVisible = !speedBar_->isHidden();
    in.SpeedBarAtBottom = settings_.SpeedBarLocation == opt::SpeedBarLocation::Bottom;
    in.LetterTabsOnRight = settings_.LetterTabsLocation == opt::LetterTabsLocation::Right;
    in.Splitter = splitter_->size();
    const PanelPlacement placed = book::PlacePanels(in);
    speedBar_->setGeometry(placed.SpeedBar.x(), placed.SpeedBar.y(), speedBar_->width(),
                           speedBar_->height());
    leftPage_->setGeometry(placed.LeftPage);
    letterBar_->setGeometry(placed.LetterBar);
    rightPage_->setGeometry(placed.RightPage);
    splitter_->setGeometry(placed.Splitter);
}

void TBookWindow::ApplyMenuMode() {
    layoutSuspended_ = true;
    const auto mode = settings_.MenusAndSpeedBars;
    const int speedBarHeight = speedBar_->height();
    if (mode == opt::MenusAndSpeedBars::OnlyMenus) {
        if (!speedBar_->isHidden()) {
            speedBar_->hide();
            resize(width(), height() - speedBarHeight);
        }
    } else if (speedBar_->isHidden()) {
        speedBar_->show();
        speedBar_->setCurrentIndex(0);
        resize(width(), height() + speedBarHeight);
    }
    // The client area keeps its size when the menu bar comes or goes.
    const bool menuWanted = mode != opt::MenusAndSpeedBars::OnlySpeedBars;
    if (menuWanted == menus_.MainMenu()->isHidden()) {
        const int menuHeight = menus_.MainMenu()->sizeHint().height();
        menus_.MainMenu()->setVisible(menuWanted);
        resize(width(), height() + (menuWanted ? menuHeight : -menuHeight));
    }
    layoutSuspended_ = false;
    ApplyHints();
    PlacePanels();
    RefreshLabels();
}

void TBookWindow::ApplyHints() {
    if (settings_.HintMessages == opt::HintMessages::Hide) {
        QToolTip::hideText();
    }
}

void TBookWindow::RefreshLabels() {
    const auto& labels = settings_.FieldLabels;
    if (labels.empty()) {
        return;
    }
    for (std::size_t i = 0; i < fieldLabels_.size() && i < labels.size(); ++i) {
        fieldLabels_[i]->setText(text::FromWindowsText(labels[i]));
    }
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
    std::string chosen;
    {
        TLoadDbDlg dialog(database_, settings_, this);
        dialog.SecurityCheck = [this] { return SecurityCheck(settings_, this); };
        if (platform::RunModal(dialog) != QDialog::Accepted) {
            return;
        }
        chosen = dialog.ChosenFile();
    }
    LoadDatabase(chosen, openDir);
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
    pageRedrawAllowed_ = false;
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
        OpenLookupLists();
    }
    leftPage_->SortButton()->SetFilterState(db::FilterState::fsFilterOff);
    sortCommands_->ReopenRecordList();
    RestartBook();
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
    for (QLabel* label : fieldLabels_) {
        label->setAutoFillBackground(true);
        SetWidgetColors(label, colour(Element::LabelText), colour(Element::LabelBackground));
    }
    for (QLabel* label : {rightPage_->PositionLabel(), rightPage_->PercentLabel()}) {
        SetWidgetColors(label, colour(Element::LabelText), colour(Element::RecordSpeedBar));
    }
    const bool readOnly = settings::ReadOnlyAccess(settings_) ||
                          (recordPage_ != nullptr && recordPage_->RecordInUse());
    const QPalette system = QApplication::palette();
    for (editors::TFieldEditor* editor : fieldEditors_) {
        const auto colors = editor->Colors();
        if (!colors) {
            continue;
        }
        if (readOnly) {
            SetWidgetColors(editor->Widget(),
                            colors->KeepsTextColorReadOnly
                                ? colour(colors->Text)
                                : system.color(QPalette::Disabled, QPalette::Text),
                            system.color(QPalette::Base));
        } else {
            SetWidgetColors(editor->Widget(), colour(colors->Text), colour(colors->Background));
        }
    }
    speedBar_->update();
}

void TBookWindow::ApplyFonts() {
    const auto& rows = leftPage_->RowButtons();
    if (rows.empty() || !SameFont(rows.front()->font(), settings_.RecordButtonFont)) {
        leftPage_->CreateRows(ToQFont(settings_.RecordButtonFont));
    }
    bool singleLineChanged = false;
    int oldHeight = 0;
    int newHeight = 0;
    for (editors::TFieldEditor* editor : fieldEditors_) {
        const settings::FontRecord* option = editor->FontOption(settings_);
        if (option == nullptr) {
            continue;
        }
        QWidget* widget = editor->Widget();
        if (!SameFont(widget->font(), *option)) {
            widget->setFont(ToQFont(*option));
            if (option == &settings_.OneLineFieldFont && !singleLineChanged) {
                singleLineChanged = true;
                oldHeight = widget->height();
                // Never lower than designed: the designed rows suit the designed font.
                newHeight = std::max(DesignedEditorHeight, widget->sizeHint().height());
            }
        }
    }
    if (singleLineChanged && oldHeight != newHeight) {
        std::vector<LayoutItem> items = EditorItems();
        TEditorLayout::Reflow(items, oldHeight, newHeight);
        PlaceEditors(items);
    }
    if (singleLineChanged && !layoutSuspended_) {
        LayoutWindow();
    }
    // New rows start empty.
    RedrawPage();
}

void TBookWindow::SetShowLetters(bool show) {
    showLetters_ = show;
    letterBar_->EnableTabs(show);
    if (show) {
        letterBar_->Recolor(settings_.Colors, LetterCounts(database_.Index));
    }
}

void TBookWindow::MoveSplitter(int distance) {
    const int width = ClampRightPageWidth(rightPage_->width() - distance, minRightPageWidth_,
                                          ClientSize().width());
    rightPage_->resize(width, rightPage_->height());
    LayoutWindow();
    speedBar_->update();
    splitter_->update();
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
    PopupViewOptions(event->globalPos());
}

void TBookWindow::PopupViewOptions(const QPoint& at) {
    viewOptions_->popup(at);
}

} // namespace shelfwise::book
