#include "book/UserDlgs.h"

#include "book/DialogButtons.h"
#include "book/LoginDlg.h"
#include "db/Login.h"
#include "db/Passwords.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/WindowsText.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace shelfwise::book {

namespace {

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QGroupBox* RadioGroup(const QString& title, const QString& name,
                      const std::initializer_list<std::pair<QString, QString>> choices,
                      QButtonGroup*& group, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    int id = 0;
    for (const auto& [caption, objectName] : choices) {
        auto* radio = new QRadioButton(caption, box);
        radio->setObjectName(objectName);
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    return box;
}

constexpr const char* SaveFailed = "Could not Save Options to a File!";

} // namespace

TUserDlg::TUserDlg(const db::TUserList& users, int index, QWidget* parent)
    : QDialog(parent), users_(users), index_(index) {
    setObjectName(QStringLiteral("UserDlg"));
    setWindowTitle(QStringLiteral("User Account"));
    setModal(true);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("NameEdit"));
    name_->setMaxLength(40);
    userId_ = new QLineEdit(this);
    userId_->setObjectName(QStringLiteral("UserIdEdit"));
    userId_->setMaxLength(10);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("PasswordEdit"));
    MakePasswordEdit(password_, 10);
    dataDirectory_ = new QLineEdit(this);
    dataDirectory_->setObjectName(QStringLiteral("DataDirectoryEdit"));
    dataDirectory_->setReadOnly(true);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Name:"), name_);
    fields->addRow(QStringLiteral("User ID:"), userId_);
    fields->addRow(QStringLiteral("Password:"), password_);
    fields->addRow(QStringLiteral("Data Directory:"), dataDirectory_);

    auto* accessBox =
        RadioGroup(QStringLiteral("Public Files Access Rights"), QStringLiteral("AccessGroup"),
                   {{QStringLiteral("Read and Write"), QStringLiteral("ReadWriteBtn")},
                    {QStringLiteral("Read Only"), QStringLiteral("ReadOnlyBtn")},
                    {QStringLiteral("None"), QStringLiteral("NoAccessBtn")}},
                   access_, this);
    auto* statusBox = RadioGroup(QStringLiteral("Current Status"), QStringLiteral("StatusGroup"),
                                 {{QStringLiteral("Active"), QStringLiteral("ActiveBtn")},
                                  {QStringLiteral("Not Active"), QStringLiteral("NotActiveBtn")}},
                                 status_, this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(accessBox);
    groups->addWidget(statusBox);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(groups);
    AddDialogButtons(*this, *layout, HelpContext);

    if (index_ < 0) {
        fields->setRowVisible(dataDirectory_, false);
        access_->button(0)->setChecked(true);
        status_->button(0)->setChecked(true);
    } else {
        const db::TUserRec& account = users_.Users()[static_cast<std::size_t>(index_)];
        name_->setText(text::FromWindowsText(account.Name));
        userId_->setText(text::FromWindowsText(account.UserId));
        dataDirectory_->setText(text::FromWindowsText(account.DataDirectory));
        if (auto* radio = access_->button(account.Access)) {
            radio->setChecked(true);
        }
        if (auto* radio = status_->button(account.Status)) {
            radio->setChecked(true);
        }
    }
    name_->setFocus();
}

std::string TUserDlg::Name() const {
    return text::ToWindowsText(name_->text());
}

std::string TUserDlg::UserId() const {
    return text::ToWindowsText(userId_->text());
}

std::string TUserDlg::Password() const {
    return text::ToWindowsText(password_->text());
}

db::AccountAccess TUserDlg::Access() const {
    return static_cast<db::AccountAccess>(std::max(0, access_->checkedId()));
}

db::AccountStatus TUserDlg::Status() const {
    return static_cast<db::AccountStatus>(std::max(0, status_->checkedId()));
}

void TUserDlg::accept() {
    if (name_->text().isEmpty() || userId_->text().isEmpty()) {
        return;
    }
    const int sameName = users_.FindUserByName(Name());
    const int sameId = users_.FindUserById(UserId());
    if (sameName >= 0 && sameName != index_) {
        platform::ShowError("A user with this name already exists!");
        return;
    }
    // The supervisor's ID would make the account unreachable.
    if ((sameId >= 0 && sameId != index_) || UserId() == db::SupervisorId) {
        platform::ShowError("This User ID is already in use!");
        return;
    }
    QDialog::accept();
}

TUserLstDlg::TUserLstDlg(const settings::Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), users_(settings) {
    setObjectName(QStringLiteral("UserLstDlg"));
    setWindowTitle(QStringLiteral("User Accounts"));
    setModal(true);
    auto* label = new QLabel(QStringLiteral("User List:"), this);
    label->setObjectName(QStringLiteral("UserListLabel"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("UserList"));
    list_->setSortingEnabled(true);
    label->setBuddy(list_);

    auto* close = Button(QStringLiteral("&Close"), QStringLiteral("CloseBtn"), this);
    auto* help = Button(QStringLiteral("&Help"), QStringLiteral("HelpBtn"), this);
    auto* edit = Button(QStringLiteral("&Edit"), QStringLiteral("EditBtn"), this);
    auto* add = Button(QStringLiteral("&New"), QStringLiteral("NewBtn"), this);
    auto* remove = Button(QStringLiteral("&Delete"), QStringLiteral("DeleteBtn"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    connect(edit, &QPushButton::clicked, this, &TUserLstDlg::EditUser);
    connect(add, &QPushButton::clicked, this, &TUserLstDlg::NewUser);
    connect(remove, &QPushButton::clicked, this, &TUserLstDlg::DeleteUser);
    connect(list_, &QListWidget::itemDoubleClicked, this, &TUserLstDlg::EditUser);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {close, help, edit, add, remove}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(label);
    left->addWidget(list_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    if (users_.LoadUsers() == db::TUserList::ReadState::Damaged) {
        platform::ShowWarning("The user accounts file is damaged! The accounts that could be read "
                              "are shown; the file was kept as users.lst.bad.");
    }
    Refill({});
}

void TUserLstDlg::Refill(const std::string& selected) {
    list_->clear();
    for (const db::TUserRec& account : users_.Users()) {
        list_->addItem(text::FromWindowsText(account.Name));
    }
    const auto found = list_->findItems(text::FromWindowsText(selected), Qt::MatchExactly);
    list_->setCurrentRow(found.isEmpty() ? 0 : list_->row(found.front()));
}

int TUserLstDlg::SelectedIndex() const {
    const QListWidgetItem* item = list_->currentItem();
    return item == nullptr ? -1 : users_.FindUserByName(text::ToWindowsText(item->text()));
}

bool TUserLstDlg::Save() {
    if (!users_.SaveUsers()) {
        platform::ShowError(SaveFailed);
        return false;
    }
    return true;
}

void TUserLstDlg::NewUser() {
    TUserDlg dialog(users_, -1, this);
    if (platform::RunModal(dialog) != QDialog::Accepted) {
        return;
    }
    bool added = false;
    try {
        added = users_.AddUser(dialog.Name(), dialog.UserId(), dialog.Access(), dialog.Status(),
                               dialog.Password());
    } catch (const std::runtime_error&) {
    }
    if (!added) {
        platform::ShowError("The account could not be added!");
        return;
    }
    const db::TUserRec& account = users_.Users().back();
    Save();
    if (!db::EnsureAccountDirectories(db::AccountDirectory(settings_, account))) {
        platform::ShowWarning("Could not create data directory!");
    }
    Refill(dialog.Name());
}

void TUserLstDlg::EditUser() {
    const int index = SelectedIndex();
    if (index < 0) {
        return;
    }
    TUserDlg dialog(users_, index, this);
    if (platform::RunModal(dialog) != QDialog::Accepted) {
        return;
    }
    db::TUserRec account = users_.Users()[static_cast<std::size_t>(index)];
    account.Name = dialog.Name();
    account.UserId = dialog.UserId();
    account.Access = static_cast<std::uint8_t>(dialog.Access());
    account.Status = static_cast<std::uint8_t>(dialog.Status());
    if (!dialog.Password().empty()) {
        try {
            account.Password = db::HashPassword(dialog.Password());
        } catch (const std::runtime_error&) {
            platform::ShowError(SaveFailed);
            return;
        }
    }
    users_.ChangeUser(index, account);
    Save();
    Refill(account.Name);
}

void TUserLstDlg::DeleteUser() {
    const int index = SelectedIndex();
    if (index < 0 || !platform::AskYesNo(platform::MessageKind::Confirmation,
                                         "Delete Selected User and his Data?")) {
        return;
    }
    const auto answer = platform::AskText(this, QStringLiteral("Confirm User Deletion"),
                                          QStringLiteral("Type in YES:"));
    if (answer != QStringLiteral("YES")) {
        return;
    }
    // Only the account's own directory is removed, never what a damaged entry points at.
    const auto directory =
        db::AccountDirectory(settings_, users_.Users()[static_cast<std::size_t>(index)]);
    users_.DeleteUser(index);
    if (Save() && !directory.empty()) {
        std::error_code error;
        std::filesystem::remove_all(directory, error);
        if (error) {
            platform::ShowWarning("Could not delete the data directory!");
        }
    }
    Refill({});
}

void TUserLstDlg::done(int result) {
    Save();
    QDialog::done(result);
}

} // namespace shelfwise::book
