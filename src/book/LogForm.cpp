#include "book/LogForm.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "text/WindowsText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>

namespace shelfwise::book {

namespace {

struct Column {
    const char* Caption;
    int Width;
};
constexpr Column Columns[] = {
    {"Date", 80}, {"Time", 80}, {"Database File", 150}, {"Description", 500}};

void ReportLoad(const db::TMaintenanceLog& log, db::TMaintenanceLog::LoadState state) {
    using State = db::TMaintenanceLog::LoadState;
    if (state == State::SetAside) {
        platform::ShowWarning("The Maintenance Log file was damaged! The entries that could be "
                              "read are kept; the damaged file was renamed to " +
                              log.SetAsideFile().filename().string() + ".");
    } else if (state == State::Unsaveable) {
        platform::ShowWarning("The Maintenance Log file " + log.File().string() +
                              " could not be read and could not be renamed! New log entries "
                              "will not be saved until the file is moved away.");
    }
}

void ReportSaved(bool saved) {
    if (!saved) {
        platform::ShowError("Error Saving Log to a file!");
    }
}

} // namespace

TLogForm::TLogForm(const std::filesystem::path& dataDir, QWidget* parent)
    : QDialog(parent), log_(dataDir) {
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Maintenance Log"));
    setModal(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setColumnCount(int(std::size(Columns)));
    QStringList captions;
    for (const Column& column : Columns) {
        captions << QString::fromLatin1(column.Caption);
    }
    list_->setHeaderLabels(captions);
    for (int i = 0; i < int(std::size(Columns)); ++i) {
        list_->setColumnWidth(i, Columns[i].Width);
    }
    list_->setMinimumSize(560, 240);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpBtn"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    delete_->setObjectName(QStringLiteral("DeleteBtn"));
    delete_->setToolTip(QStringLiteral("Delete Selected Entries"));
    delete_->setAutoDefault(false);
    connect(delete_, &QPushButton::clicked, this, &TLogForm::DeleteSelected);
    clear_ = new QPushButton(QStringLiteral("&Clear"), this);
    clear_->setObjectName(QStringLiteral("ClearBtn"));
    clear_->setToolTip(QStringLiteral("Delete All Entries"));
    clear_->setAutoDefault(false);
    connect(clear_, &QPushButton::clicked, this, &TLogForm::ClearAll);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(delete_);
    buttons->addWidget(clear_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(720, 320);

    ReportLoad(log_, log_.LoadLog());
    Refill();
}

TLogForm::~TLogForm() {
    Save();
}

void TLogForm::AddLogEntry(const QString& database, const QString& description) {
    const bool saved =
        log_.AddLogEntry(db::StampedEntry(QDateTime::currentDateTime(), database, description));
    Refill();
    ReportSaved(saved);
}

void TLogForm::ShowLog() {
    platform::RunModal(*this);
}

void TLogForm::Save() {
    ReportSaved(log_.SaveLog());
}

void TLogForm::Refill() {
    list_->clear();
    for (const auto& entry : log_.Entries()) {
        list_->addTopLevelItem(new QTreeWidgetItem(QStringList{
            text::FromWindowsText(entry.Date), text::FromWindowsText(entry.Time),
            text::FromWindowsText(entry.Database), text::FromWindowsText(entry.Description)}));
    }
}

void TLogForm::DeleteSelected() {
    std::vector<std::size_t> rows;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        if (list_->topLevelItem(row)->isSelected()) {
            rows.push_back(std::size_t(row));
        }
    }
    if (rows.empty() ||
        !platform::AskYesNo(platform::MessageKind::Confirmation, "Remove Selected Items?")) {
        return;
    }
    log_.RemoveEntries(std::move(rows));
    Refill();
    Save();
}

void TLogForm::ClearAll() {
    if (!platform::AskYesNo(platform::MessageKind::Confirmation, "Delete ALL Items?")) {
        return;
    }
    log_.Clear();
    Refill();
    Save();
}

} // namespace shelfwise::book
