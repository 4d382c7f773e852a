#include "app/ReminderDlg.h"

#include "db/Login.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "settings/MaintenanceReminder.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace shelfwise::app {

namespace {

// One row a line; the trailing blanks are the designed text's.
constexpr const char* ReminderText = "Protect your Data!\n"
                                     "\n"
                                     "We recommend that you BACKUP, REINDEX \n"
                                     "and PACK your database at least twice a month \n"
                                     "and every time you enter new data.\n"
                                     "\n"
                                     "If you want to do it now, just click on GoTo \n"
                                     "Maintenance button.";

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    return button;
}

} // namespace

TReminderDlg::TReminderDlg(bool maintenanceAllowed, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReminderDlg"));
    setWindowTitle(QStringLiteral("Reminder"));
    setModal(true);
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setBold(true);
    setFont(bold);

    memo_ = new QPlainTextEdit(QString::fromLatin1(ReminderText), this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = memo_->palette();
    palette.setColor(QPalette::Text, Qt::red);
    memo_->setPalette(palette);
    const QFontMetrics metrics(bold);
    memo_->setMinimumSize(metrics.horizontalAdvance(
                              QStringLiteral("and PACK your database at least twice a month ")) +
                              3 * metrics.averageCharWidth(),
                          9 * metrics.lineSpacing());

    goTo_ = NewButton(this, "GoToBtn", "&GoTo Maintenance", "Backup or Pack your database Now");
    close_ = NewButton(this, "CloseBtn", "&Close", "Close Reminder Window");
    auto* help = NewButton(this, "HelpBtn", "&Help", "Display Help On Database Maintenance");
    help->setAutoDefault(false);
    // A user who may not use maintenance has nothing to go to; Close is then the default.
    goTo_->setEnabled(maintenanceAllowed);
    (maintenanceAllowed ? goTo_ : close_)->setDefault(true);
    connect(goTo_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });

    doNotDisplay_ = new QCheckBox(QStringLiteral("Do Not Display"), this);
    doNotDisplay_->setObjectName(QStringLiteral("DoNotDisplay"));
    auto* note = new QLabel(
        QStringLiteral("Check this box if you do not want to see this Reminder Window anymore."),
        this);
    note->setObjectName(QStringLiteral("NoteLabel"));
    note->setWordWrap(true);
    QFont plain = font();
    plain.setBold(false);
    note->setFont(plain);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(goTo_);
    buttons->addWidget(close_);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addLayout(buttons);
    layout->addWidget(doNotDisplay_);
    layout->addWidget(note);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

bool TReminderDlg::DoNotDisplayChecked() const {
    return doNotDisplay_->isChecked();
}

bool TReminderDlg::Run() {
    return platform::RunModal(*this) == QDialog::Accepted && goTo_->isEnabled();
}

bool ReminderCheck(settings::Settings& s, settings::LocalTime now) {
    if (!settings::TakeDueReminders(s.Reminders, now).Any()) {
        return false;
    }
    TReminderDlg dialog(db::RightsOf(s).Maintenance);
    const bool goToMaintenance = dialog.Run();
    const bool show = !dialog.DoNotDisplayChecked();
    if (s.ShowReminders != show) {
        s.ShowReminders = show;
        settings::SaveUiOptions(s);
    }
    return goToMaintenance;
}

} // namespace shelfwise::app
