#include "book/RecordTemplateForm.h"

#include "book/DialogButtons.h"
#include "db/RecordTemplates.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

TRecordTemplateForm::TRecordTemplateForm(const QStringList& names,
                                         std::vector<DateField> dateFields, QWidget* parent)
    : QDialog(parent), dateFields_(std::move(dateFields)) {
    setObjectName(QStringLiteral("RecordTemplateForm"));
    setWindowTitle(QStringLiteral("Save Record As Template"));

    auto* nameLabel = new QLabel(QStringLiteral("Template Name:"), this);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("Edit1"));
    name_->setToolTip(QStringLiteral("Enter New Or Existing Template Name"));
    nameLabel->setBuddy(name_);

    auto* listLabel = new QLabel(QStringLiteral("Existing Templates:"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setToolTip(QStringLiteral("Double Click To Change"));
    listLabel->setBuddy(list_);
    list_->addItem(QString::fromLatin1(db::BlankTemplate));
    list_->addItems(names);
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    delete_->setObjectName(QStringLiteral("DeleteBtn"));
    delete_->setToolTip(QStringLiteral("Delete Selected Template"));
    delete_->setAutoDefault(false);
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { delete_->setEnabled(row > 0); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { TakeTemplate(list_->row(item)); });
    connect(delete_, &QPushButton::clicked, this, &TRecordTemplateForm::DeleteSelected);
    list_->setCurrentRow(0);
    delete_->setEnabled(false);

    // The date fields' boxes stand as designed: 10 from the left, from 20 down, 8 apart.
    auto* dates = new QGroupBox(QStringLiteral("Set Date To System Date:"), this);
    dates->setObjectName(QStringLiteral("GroupBox1"));
    int top = 20;
    int right = 0;
    for (const DateField& field : dateFields_) {
        auto* box = new QCheckBox(field.Label, dates);
        box->adjustSize();
        box->move(10, top);
        top += box->height() + 8;
        right = std::max(right, 10 + box->width());
        boxes_.push_back(box);
    }
    dates->setMinimumSize(std::max(right + 10, 160), top);

    auto* left = new QVBoxLayout;
    left->addWidget(nameLabel);
    left->addWidget(name_);
    left->addWidget(listLabel);
    left->addWidget(list_);
    left->addWidget(delete_, 0, Qt::AlignLeft);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(dates, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    AddDialogButtons(*this, *layout, HelpContext);
}

QString TRecordTemplateForm::Name() const {
    return name_->text();
}

std::vector<int> TRecordTemplateForm::CheckedDates() const {
    std::vector<int> checked;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i]->isChecked()) {
            checked.push_back(dateFields_[i].Position);
        }
    }
    return checked;
}

void TRecordTemplateForm::TakeTemplate(int row) {
    if (row <= 0) {
        return;
    }
    name_->setText(list_->item(row)->text());
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setChecked(StoresMarker && StoresMarker(row - 1, dateFields_[i].Position));
    }
}

void TRecordTemplateForm::DeleteSelected() {
    const int row = list_->currentRow();
    if (!platform::AskYesNo(platform::MessageKind::Confirmation,
                            "Are you sure you want to Delete selected Template?") ||
        row <= 0 || !DeleteTemplate || !DeleteTemplate(row - 1)) {
        return;
    }
    delete list_->takeItem(row);
}

void TRecordTemplateForm::accept() {
    const QString name = Name();
    if (name.isEmpty() || name == QLatin1String(db::BlankTemplate)) {
        platform::ShowWarning("You must enter Template Name (\"Blank\" is not allowed)!");
        return;
    }
    QDialog::accept();
}

} // namespace shelfwise::book
