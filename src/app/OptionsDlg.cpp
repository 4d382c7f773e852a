#include "app/OptionsDlg.h"

#include "book/ColorGrid.h"
#include "book/Fonts.h"
#include "book/LoadColorsDlg.h"
#include "book/LoadLabelsDlg.h"
#include "book/UserDlgs.h"
#include "editors/DirEdit.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"
#include "text/WindowsText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace shelfwise::app {

namespace opt = settings::opt;

namespace {

constexpr int ModemShortStringLength = 41;
constexpr int ModemConfigLength = 255;
constexpr const char* SaveFailedText = "Could not Save Options to a File!";

template <typename Enum> int Id(Enum value) {
    return static_cast<int>(value);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        const char* hint = nullptr) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    if (hint != nullptr) {
        button->setToolTip(QString::fromLatin1(hint));
    }
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QListWidget* MakeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

QCheckBox* MakeCheck(QWidget* parent, QLayout* layout, const char* name, const char* caption,
                     bool checked) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

QLabel* Caption(const char* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromLatin1(text), buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

void ShowReadOnly(QLineEdit* edit, bool readOnly) {
    edit->setReadOnly(readOnly);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base,
                     QApplication::palette().color(readOnly ? QPalette::Button : QPalette::Base));
    edit->setPalette(palette);
}

std::string Cut(const QString& text, int length) {
    return text::ToWindowsText(text.left(length));
}

} // namespace

QString FontStyleText(const settings::FontRecord& font) {
    QString style;
    if (font.Bold) {
        style += QStringLiteral("Bold ");
    }
    if (font.Italic) {
        style += QStringLiteral("Italic ");
    }
    if (font.Underline) {
        style += QStringLiteral("Underline ");
    }
    if (font.StrikeOut) {
        style += QStringLiteral("Strikeout");
    }
    return style.isEmpty() ? QStringLiteral("Regular") : style;
}

TOptionsDlg::TOptionsDlg(settings::Settings& settings, settings::TTemplateList* labelTemplates,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), labelTemplates_(labelTemplates),
      originalColors_(settings.Colors), modems_(settings),
      labelsWork_(settings), fonts_{settings.RecordButtonFont, settings.OneLineFieldFont,
                                    settings.MultiLineFieldFont} {
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("Pages"));
    // All eight tabs in sight: the page guard's refusal must be visible, not scrolled away.
    pages_->setUsesScrollButtons(false);
    pages_->addTab(UserInterfacePage(), QStringLiteral("User Interface"));
    pages_->addTab(ModemPage(), QStringLiteral("Modem"));
    pages_->addTab(DataPage(), QStringLiteral("Data"));
    pages_->addTab(DatePage(), QStringLiteral("Date"));
    pages_->addTab(ColorsPage(), QStringLiteral("Colors"));
    pages_->addTab(FontsPage(), QStringLiteral("Fonts"));
    pages_->addTab(SecurityPage(), QStringLiteral("Security"));
    pages_->addTab(UsersPage(), QStringLiteral("Users"));
    connect(pages_, &QTabWidget::currentChanged, this, &TOptionsDlg::PageChanged);

    auto* close = MakeButton(this, "CloseBtn", "&Close", "Close and Save Options");
    close->setDefault(true);
    auto* help = MakeButton(this, "HelpBtn", "&Help");
    previous_ = MakeButton(this, "PreviousBtn", "<< &Previous", "Previous Page");
    next_ = MakeButton(this, "NextBtn", "&Next >>", "Next Page");
    connect(close, &QPushButton::clicked, this, &TOptionsDlg::Close);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    connect(previous_, &QPushButton::clicked, this,
            [this] { pages_->setCurrentIndex(pages_->currentIndex() - 1); });
    connect(next_, &QPushButton::clicked, this,
            [this] { pages_->setCurrentIndex(pages_->currentIndex() + 1); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous_);
    buttons->addWidget(next_);
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);
    pages_->setCurrentIndex(0);
    UpdatePaging();
}

QButtonGroup* TOptionsDlg::Group(const char* name) const {
    return findChild<QButtonGroup*>(QString::fromLatin1(name));
}

QButtonGroup* TOptionsDlg::AddGroup(QWidget* page, const char* name, const char* caption,
                                    std::initializer_list<const char*> choices, int checked,
                                    bool columns) {
    auto* box = new QGroupBox(QString::fromLatin1(caption), page);
    box->setObjectName(QString::fromLatin1(name));
    auto* group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(name));
    auto* layout = new QGridLayout(box);
    int id = 0;
    for (const char* choice : choices) {
        auto* button = new QRadioButton(QString::fromLatin1(choice), box);
        group->addButton(button, id);
        layout->addWidget(button, columns ? 0 : id, columns ? id : 0);
        ++id;
    }
    if (QAbstractButton* button = group->button(checked)) {
        button->setChecked(true);
    }
    return group;
}

QWidget* TOptionsDlg::UserInterfacePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("UserInterfacePage"));
    const auto& s = settings_;
    auto* grid = new QGridLayout(page);
    const auto place = [&](QButtonGroup* group, int row, int column) {
        grid->addWidget(group->buttons().front()->parentWidget(), row, column);
    };
    place(AddGroup(page, "MenusAndSpeedBars", "Menus and Speed Bars",
                   {"Show Both Menus and Speed Bars", "Show Only Menus", "Show Only Speed Bars"},
                   Id(s.MenusAndSpeedBars)),
          0, 0);
    place(AddGroup(page, "LetterTabs", "Letter Tabs (A..Z)",
                   {"Use Letter Tabs", "Don't Use Letter Tabs"}, Id(s.LetterTabs)),
          0, 1);
    place(AddGroup(page, "LetterTabsLocation", "Letter Tabs Location", {"Center", "Right"},
                   Id(s.LetterTabsLocation), true),
          1, 1);
    place(AddGroup(page, "HintMessages", "Hint Messages",
                   {"Show Hint Messages", "Hide Hint Messages"}, Id(s.HintMessages)),
          1, 0);
    place(AddGroup(page, "SpeedBarLocation", "SpeedBar Location", {"Top", "Bottom"},
                   Id(s.SpeedBarLocation), true),
          2, 1);
    place(AddGroup(page, "DeleteMode", "Record Delete Mode",
                   {"Ask User To Confirm", "Immediate Delete"}, Id(s.DeleteMode)),
          2, 0);
    auto* misc = new QGroupBox(QStringLiteral("Miscellaneous Options"), page);
    misc->setObjectName(QStringLiteral("MiscellaneousOptions"));
    auto* checks = new QGridLayout(misc);
    showTips_ = MakeCheck(misc, checks, "ShowTips", "Display Tips On Startup", s.ShowTips);
    autoFill_ = MakeCheck(misc, checks, "AutoFill", "Auto-Fill", s.AutoFill);
    dontShowReminders_ =
        MakeCheck(misc, checks, "DontShowReminders", "Don't Display Reminders", !s.ShowReminders);
    showTrayIcon_ = MakeCheck(misc, checks, "ShowTrayIcon", "Display Tray Icon", s.ShowTrayIcon);
    checks->addWidget(showTips_, 0, 0);
    checks->addWidget(autoFill_, 0, 1);
    checks->addWidget(dontShowReminders_, 1, 0);
    checks->addWidget(showTrayIcon_, 1, 1);
    grid->addWidget(misc, 3, 0, 1, 2);
    return page;
}

QWidget* TOptionsDlg::ModemPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ModemPage"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(AddGroup(page, "ComPort", "COM Port", {"COM 1", "COM 2", "COM 3", "COM 4"},
                             settings_.ComPort, true)
                        ->buttons()
                        .front()
                        ->parentWidget(),
                    0, 0);
    grid->addWidget(
        AddGroup(page, "DialType", "Dial Type", {"Tone", "Pulse"}, Id(settings_.DialType), true)
            ->buttons()
            .front()
            ->parentWidget(),
        0, 1);
    modem_ = new QComboBox(page);
    modem_->setObjectName(QStringLiteral("ModemName"));
    for (const std::string& name : modems_.Names()) {
        modem_->addItem(text::FromWindowsText(name));
    }
    modemConfig_ = MakeEdit(page, "ModemConfigString");
    modemInit_ = MakeEdit(page, "ModemInitString");
    modemHangup_ = MakeEdit(page, "ModemHangupString");
    auto* form = new QFormLayout;
    form->addRow(Caption("Modem:", modem_), modem_);
    form->addRow(Caption("Modem Configuration String:", modemConfig_), modemConfig_);
    form->addRow(Caption("Modem Initialization String:", modemInit_), modemInit_);
    form->addRow(Caption("Modem Hangup String:", modemHangup_), modemHangup_);
    for (QLineEdit* edit : {modemConfig_, modemInit_, modemHangup_}) {
        edit->setToolTip(QStringLiteral("Type it in or click on Modems..."));
    }
    grid->addLayout(form, 1, 0, 1, 2);
    grid->setRowStretch(2, 1);

    int selected = modem_->count() > 1 ? 1 : 0;
    if (const int named =
            modem_->findText(text::FromWindowsText(settings_.ModemName), Qt::MatchFixedString);
        named >= 0) {
        selected = named;
    }
    modem_->setCurrentIndex(selected);
    ModemChosen(selected);
    connect(modem_, &QComboBox::activated, this, &TOptionsDlg::ModemChosen);
    return page;
}

void TOptionsDlg::ModemChosen(int index) {
    auto entry = modems_.Find(text::ToWindowsText(modem_->itemText(index)));
    if (!entry) {
        modem_->setCurrentIndex(0);
        entry = modems_.Entries().front();
    }
    const bool custom = modem_->currentIndex() == 0;
    if (custom && entry->Init.empty() && entry->Config.empty() && entry->Hangup.empty()) {
        // No custom entry stored yet: the strings in force are the custom ones.
        entry->Init = settings_.ModemInitString;
        entry->Config = settings_.ModemConfigString;
        entry->Hangup = settings_.ModemHangupString;
    }
    settings_.ModemName = entry->Name;
    modemInit_->setText(text::FromWindowsText(entry->Init));
    modemConfig_->setText(text::FromWindowsText(entry->Config));
    modemHangup_->setText(text::FromWindowsText(entry->Hangup));
    for (QLineEdit* edit : {modemConfig_, modemInit_, modemHangup_}) {
        ShowReadOnly(edit, !custom);
    }
}

QWidget* TOptionsDlg::DataPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("DataPage"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddGroup(page, "InitialDataFile", "Initial Data File",
                               {"Load Default File", "Load Last Used File"},
                               Id(settings_.InitialDataFile), true)
                          ->buttons()
                          .front()
                          ->parentWidget());
    auto* box = new QGroupBox(QStringLiteral("Modify Labels"), page);
    box->setObjectName(QStringLiteral("ModifyLabels"));
    newLabel_ = MakeEdit(box, "NewLabel");
    newLabel_->setMaxLength(40);
    auto* change = MakeButton(box, "ChangeLabel", "Change");
    labels_ = MakeList(box, "Labels");
    auto* load =
        MakeButton(box, "LoadLabels", "&Load", "Click here to Load Labels From A Template");
    auto* save = MakeButton(box, "SaveLabels", "&Save", "Click here to Save Labels As A Template");
    load->setEnabled(labelTemplates_ != nullptr);
    save->setEnabled(labelTemplates_ != nullptr);
    auto* grid = new QGridLayout(box);
    grid->addWidget(Caption("New Label:", newLabel_), 0, 0);
    grid->addWidget(newLabel_, 0, 1);
    grid->addWidget(change, 0, 2);
    grid->addWidget(Caption("Labels:", labels_), 1, 0, Qt::AlignTop);
    grid->addWidget(labels_, 1, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(load);
    side->addWidget(save);
    side->addStretch();
    grid->addLayout(side, 1, 2);
    layout->addWidget(box, 1);
    connect(change, &QPushButton::clicked, this, &TOptionsDlg::ChangeLabel);
    connect(load, &QPushButton::clicked, this, &TOptionsDlg::LoadLabels);
    connect(save, &QPushButton::clicked, this, &TOptionsDlg::SaveLabels);
    ShowLabels();
    return page;
}

void TOptionsDlg::ShowLabels() {
    const int row = labels_->currentRow();
    labels_->clear();
    for (const std::string& label : labelsWork_.FieldLabels) {
        labels_->addItem(text::FromWindowsText(label));
    }
    labels_->setCurrentRow(row);
}

void TOptionsDlg::ChangeLabel() {
    const int row = labels_->currentRow();
    const std::string wanted = text::ToWindowsText(newLabel_->text());
    const auto blank = std::ranges::all_of(wanted, [](unsigned char c) { return c <= ' '; });
    if (blank) {
        platform::ShowError("Empty Labels are not Allowed!");
        return;
    }
    if (row < 0) {
        platform::ShowError("Please select the Label first!");
        return;
    }
    if (labelsWorkList_.Rename(row + 1, wanted) == book::TFieldLabelList::RenameResult::Duplicate) {
        platform::ShowError("Duplicate Labels are not Allowed!");
        return;
    }
    ShowLabels();
}

void TOptionsDlg::LoadLabels() {
    book::TLoadLabelsDlg dialog(*labelTemplates_, this);
    if (platform::RunModal(dialog) != QDialog::Accepted || !dialog.SelectedFile()) {
        return;
    }
    if (!labelsWorkList_.Read(settings_.DataDir / *dialog.SelectedFile())) {
        platform::ShowError("Error Loading Template.");
        return;
    }
    ShowLabels();
}

void TOptionsDlg::SaveLabels() {
    const auto name = platform::AskText(this, QStringLiteral("Save Labels As Template"),
                                        QStringLiteral("Template Name:"));
    if (!name || name->isEmpty()) {
        return;
    }
    // The catalogue writes the labels being edited, not those in force.
    settings::TTemplateContents* inForce = labelTemplates_->Contents();
    labelTemplates_->SetContents(&labelsWorkList_);
    const bool saved = labelTemplates_->AddTemplate(text::ToWindowsText(*name));
    labelTemplates_->SetContents(inForce);
    if (!saved) {
        platform::ShowError("Duplicate name - Template Not Saved!");
    }
}

QWidget* TOptionsDlg::DatePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("DatePage"));
    auto* fieldsBox = new QGroupBox(QStringLiteral("Date Fields"), page);
    fieldsBox->setObjectName(QStringLiteral("DateFieldsBox"));
    dateFields_ = MakeList(fieldsBox, "DateFields");
    (new QVBoxLayout(fieldsBox))->addWidget(dateFields_);
    for (const settings::DateFormatLine& line : settings_.DateFormats.Lines) {
        const auto field = static_cast<std::size_t>(line.FieldIndex);
        dateFields_->addItem(field < settings_.FieldLabels.size()
                                 ? text::FromWindowsText(settings_.FieldLabels[field])
                                 : QString());
    }
    QButtonGroup* formats = AddGroup(page, "DateFormat", "Date Format",
                                     {settings::DateFormatTexts[0], settings::DateFormatTexts[1],
                                      settings::DateFormatTexts[2], settings::DateFormatTexts[3]},
                                     -1);
    QWidget* formatBox = formats->buttons().front()->parentWidget();
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(fieldsBox, 1);
    layout->addWidget(formatBox, 0, Qt::AlignTop);
    connect(dateFields_, &QListWidget::currentRowChanged, this, &TOptionsDlg::DateFieldChosen);
    connect(formats, &QButtonGroup::idClicked, this, [this](int format) {
        const int row = dateFields_->currentRow();
        if (row >= 0) {
            settings_.DateFormats.Lines.at(static_cast<std::size_t>(row)).Format = format;
        }
    });
    const bool any = dateFields_->count() > 0;
    fieldsBox->setEnabled(any);
    formatBox->setEnabled(any);
    if (any) {
        dateFields_->setCurrentRow(0);
    }
    return page;
}

void TOptionsDlg::DateFieldChosen(int row) {
    if (row < 0) {
        return;
    }
    if (QAbstractButton* button =
            Group("DateFormat")
                ->button(settings_.DateFormats.Lines.at(static_cast<std::size_t>(row)).Format)) {
        button->setChecked(true);
    }
}

QWidget* TOptionsDlg::ColorsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ColorsPage"));
    elements_ = MakeList(page, "ApplicationElements");
    for (std::string_view element : settings::ElementTexts) {
        elements_->addItem(QString::fromLatin1(element.data(), qsizetype(element.size())));
    }
    grid_ = new book::TColorGrid(page);
    grid_->setObjectName(QStringLiteral("ColorGrid"));
    auto* load = MakeButton(page, "LoadColors", "&Load");
    auto* save = MakeButton(page, "SaveColors", "&Save");
    auto* layout = new QGridLayout(page);
    layout->addWidget(Caption("Application Elements:", elements_), 0, 0);
    layout->addWidget(elements_, 1, 0);
    layout->addWidget(Caption("Colors:", grid_), 0, 1);
    layout->addWidget(grid_, 1, 1, Qt::AlignTop);
    auto* side = new QVBoxLayout;
    side->addWidget(load);
    side->addWidget(save);
    side->addStretch();
    layout->addLayout(side, 1, 2);
    connect(elements_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            grid_->SetSelected(settings_.Colors.Indexes.at(static_cast<std::size_t>(row)));
        }
    });
    connect(grid_, &book::TColorGrid::ColorClicked, this, [this](int color) {
        if (const int row = elements_->currentRow(); row >= 0) {
            settings_.Colors.Indexes.at(static_cast<std::size_t>(row)) =
                static_cast<std::uint8_t>(color);
            grid_->SetSelected(color);
        }
    });
    connect(load, &QPushButton::clicked, this, &TOptionsDlg::LoadColors);
    connect(save, &QPushButton::clicked, this,
            [this] { book::SaveColorsAsTemplateDlg(settings_, this); });
    elements_->setCurrentRow(0);
    return page;
}

void TOptionsDlg::LoadColors() {
    book::TLoadColorsDlg dialog(settings_, this);
    platform::RunModal(dialog);
    elements_->setCurrentRow(-1);
    elements_->setCurrentRow(0);
}

QWidget* TOptionsDlg::FontsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("FontsPage"));
    QButtonGroup* component =
        AddGroup(page, "Component", "Component",
                 {"Record Buttons", "One-Line Edit Fields", "Multi-Line Edit Fields"}, 0);
    fontName_ = MakeEdit(page, "FontName");
    fontStyle_ = MakeEdit(page, "FontStyle");
    fontSize_ = MakeEdit(page, "FontSize");
    auto* form = new QFormLayout;
    for (auto [caption, edit] :
         {std::pair{"Font Name:", fontName_}, std::pair{"Font Style:", fontStyle_},
          std::pair{"Font Size:", fontSize_}}) {
        ShowReadOnly(edit, true);
        form->addRow(Caption(caption, edit), edit);
    }
    auto* change = MakeButton(page, "ChangeFont", "Change Font");
    form->addRow(QString(), change);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(component->buttons().front()->parentWidget(), 0, Qt::AlignTop);
    layout->addLayout(form, 1);
    connect(component, &QButtonGroup::idClicked, this, &TOptionsDlg::ShowComponentFont);
    connect(change, &QPushButton::clicked, this, &TOptionsDlg::ChangeFont);
    ShowComponentFont();
    return page;
}

void TOptionsDlg::ShowComponentFont() {
    const auto& font = fonts_.at(static_cast<std::size_t>(Group("Component")->checkedId()));
    fontName_->setText(text::FromWindowsText(font.Name));
    fontStyle_->setText(FontStyleText(font));
    fontSize_->setText(QString::number(font.Size));
}

void TOptionsDlg::ChangeFont() {
    auto& font = fonts_.at(static_cast<std::size_t>(Group("Component")->checkedId()));
    if (const auto chosen = platform::ChooseFont(this, book::ToQFont(font))) {
        font = book::ToFontRecord(*chosen);
        ShowComponentFont();
    }
}

QWidget* TOptionsDlg::SecurityPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("SecurityPage"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddGroup(page, "PasswordMode", "Password",
                               {"Password Required", "Password Not Required"},
                               Id(settings_.PasswordMode))
                          ->buttons()
                          .front()
                          ->parentWidget());
    layout->addWidget(AddGroup(page, "PublicAccess", "Public Files Access Rights (All Users)",
                               {"As Specified In Accounts", "Read and Write", "Read Only", "None"},
                               Id(settings_.PublicAccess))
                          ->buttons()
                          .front()
                          ->parentWidget());
    dataRoot_ = new editors::TDirEdit(page);
    dataRoot_->setObjectName(QStringLiteral("DataRoot"));
    dataRoot_->setText(QString::fromStdString(settings_.DataRoot.string()));
    layout->addWidget(Caption("Data Root Directory:", dataRoot_));
    layout->addWidget(dataRoot_);
    layout->addStretch();
    return page;
}

QWidget* TOptionsDlg::UsersPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("UsersPage"));
    QButtonGroup* count = AddGroup(page, "UserCount", "Users Count",
                                   {"1-User System", "Multi-User System"}, Id(settings_.UserCount));
    userAccounts_ =
        MakeButton(page, "UserAccounts", "&User Accounts", "View or Modify User Accounts");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(count->buttons().front()->parentWidget());
    layout->addWidget(userAccounts_, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(count, &QButtonGroup::idClicked, this, &TOptionsDlg::UserCountChosen);
    connect(userAccounts_, &QPushButton::clicked, this, [this] {
        book::TUserLstDlg dialog(settings_, this);
        platform::RunModal(dialog);
    });
    UserCountChosen(Id(settings_.UserCount));
    return page;
}

void TOptionsDlg::UserCountChosen(int id) {
    const bool multiUser = id == Id(opt::UserCount::MultiUser);
    userAccounts_->setEnabled(multiUser);
    QButtonGroup* access = Group("PublicAccess");
    access->buttons().front()->parentWidget()->setEnabled(multiUser);
    if (!multiUser) {
        access->button(Id(opt::PublicAccess::ReadAndWrite))->setChecked(true);
    }
}

int TOptionsDlg::LastPage() const {
    return settings_.IsSupervisor ? PageCount - 1 : FirstSupervisorPage - 1;
}

void TOptionsDlg::PageChanged(int page) {
    if (page > LastPage()) {
        QSignalBlocker blocker(pages_);
        pages_->setCurrentIndex(shownPage_);
        QApplication::beep();
        platform::ShowWarning(
            "You have to be logged in as Supervisor to access this options page!");
        return;
    }
    shownPage_ = page;
    UpdatePaging();
}

void TOptionsDlg::UpdatePaging() {
    previous_->setVisible(shownPage_ > 0);
    next_->setVisible(shownPage_ < LastPage());
}

void TOptionsDlg::reject() {
    Close();
}

void TOptionsDlg::Close() {
    auto& s = settings_;
    bool saved = true;
    const auto chosen = [this](const char* name) { return Group(name)->checkedId(); };
    // 1.
    s.MenusAndSpeedBars = opt::MenusAndSpeedBars(chosen("MenusAndSpeedBars"));
    s.LetterTabs = opt::LetterTabs(chosen("LetterTabs"));
    s.HintMessages = opt::HintMessages(chosen("HintMessages"));
    s.ComPort = static_cast<std::int16_t>(chosen("ComPort"));
    s.DialType = opt::DialType(chosen("DialType"));
    // 2. The modem strings, and the custom entry with them.
    s.ModemInitString = Cut(modemInit_->text(), ModemShortStringLength);
    s.ModemConfigString = Cut(modemConfig_->text(), ModemConfigLength);
    s.ModemHangupString = Cut(modemHangup_->text(), ModemShortStringLength);
    s.ModemName = text::ToWindowsText(modem_->currentText());
    if (modem_->currentIndex() == 0) {
        saved &= modems_.WriteCustom({s.ModemName, s.ModemInitString, s.ModemConfigString,
                                      s.ModemHangupString,
                                      s.DialType == opt::DialType::Pulse ? "ATDP" : "ATDT"});
    }
    // 3, 4.
    s.InitialDataFile = opt::InitialDataFile(chosen("InitialDataFile"));
    s.PasswordMode = opt::PasswordMode(chosen("PasswordMode"));
    s.PublicAccess = opt::PublicAccess(chosen("PublicAccess"));
    const opt::UserCount previousCount = s.UserCount;
    s.UserCount = opt::UserCount(chosen("UserCount"));
    s.ShowReminders = !dontShowReminders_->isChecked();
    // 5-7: the colours, labels and date formats files.
    saved &= settings::SaveElementColors(s.DatabaseDir / settings::ElementColorsFileName, s.Colors);
    s.FieldLabels = labelsWork_.FieldLabels;
    saved &= settings::WriteLabels(s);
    saved &= settings::WriteDateFormats(s);
    // 8.
    s.SpeedBarLocation = opt::SpeedBarLocation(chosen("SpeedBarLocation"));
    s.DeleteMode = opt::DeleteMode(chosen("DeleteMode"));
    s.LetterTabsLocation = opt::LetterTabsLocation(chosen("LetterTabsLocation"));
    s.ShowTips = showTips_->isChecked();
    s.AutoFill = autoFill_->isChecked();
    s.ShowTrayIcon = showTrayIcon_->isChecked();
    // 9. A new data root takes effect at the next start.
    const auto root = settings::DirectoryFromText(dataRoot_->text().toStdString());
    if (root != s.DataRoot && !settings::CanEnter(root)) {
        platform::ShowError("Invalid directory!");
    } else if (root != s.DataRoot &&
               platform::AskYesNo(
                   platform::MessageKind::Warning,
                   "You may have to move all your data files to a new directory.\nAre "
                   "you sure you want to change your Data Directory?")) {
        s.InitialDataFile = opt::InitialDataFile::DefaultFile;
        s.DataRoot = root;
        platform::ShowInformation("Data Root Directory changed.\nYou have to restart the "
                                  "program for the change to take effect.");
    }
    // 10, 11.
    s.RecordButtonFont = fonts_[0];
    s.OneLineFieldFont = fonts_[1];
    s.MultiLineFieldFont = fonts_[2];
    if (s.UserCount == opt::UserCount::MultiUser && previousCount != opt::UserCount::MultiUser &&
        s.PasswordMode != opt::PasswordMode::Required &&
        platform::AskYesNo(platform::MessageKind::Confirmation,
                           "Do you want to protect user accounts by Passwords?")) {
        s.PasswordMode = opt::PasswordMode::Required;
    }
    // Both options files now: a crash, or another copy of the program ending later, must not
    // take back what the user was told was changed.
    saved &= settings::SaveSecurityOptions(s);
    saved &= settings::SaveUiOptions(s);
    if (!saved) {
        platform::ShowError(SaveFailedText);
    }
    accept();
}

} // namespace shelfwise::app
