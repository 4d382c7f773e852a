#include "book/DeleteDlg.h"

#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace shelfwise::book {

namespace {

// Upper-cases what is typed, so "yes" counts as YES.
class UpperCaseValidator : public QValidator {
public:
    explicit UpperCaseValidator(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

TDeleteDlg1::TDeleteDlg1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DeleteDlg1"));
    setWindowTitle(QStringLiteral("Confirm Action"));
    setModal(true);
    // The designed size; the layout widens it when the bold lines need more.
    resize(351, 164);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Bevel1"));
    frame->setFrameShape(QFrame::Box);
    firstLine_ =
        new QLabel(QStringLiteral("If you want to Delete the selected Record please"), frame);
    firstLine_->setObjectName(QStringLiteral("Label1"));
    auto* prompt = new QLabel(QStringLiteral("type in 'YES':"), frame);
    prompt->setObjectName(QStringLiteral("Label2"));
    answer_ = new QLineEdit(frame);
    answer_->setObjectName(QStringLiteral("Edit1"));
    answer_->setMaxLength(3);
    answer_->setValidator(new UpperCaseValidator(answer_));
    answer_->setFixedWidth(50);
    warningLine_ = new QLabel(QStringLiteral("WARNING! Record Deletion cannot be Undone!"), frame);
    warningLine_->setObjectName(QStringLiteral("Label3"));
    warningLine_->setStyleSheet(QStringLiteral("color: yellow; background: black;"));

    auto* promptRow = new QHBoxLayout;
    promptRow->addWidget(prompt);
    promptRow->addWidget(answer_);
    promptRow->addStretch();
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(firstLine_);
    frameLayout->addLayout(promptRow);
    frameLayout->addWidget(warningLine_);

    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok_, &QPushButton::clicked, this, &TDeleteDlg1::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    answer_->setFocus();
}

void TDeleteDlg1::SetConfirmTexts(const QString& firstLine, const QString& warningLine) {
    firstLine_->setText(firstLine);
    warningLine_->setText(warningLine);
}

void TDeleteDlg1::accept() {
    if (answer_->text() == QLatin1String("YES")) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

bool ConfirmByTyping(TDeleteDlg1& dialog) {
    return platform::RunModal(dialog) == QDialog::Accepted;
}

bool ConfirmRecordDelete(QWidget* parent, const settings::Settings& settings) {
    if (settings.DeleteMode == settings::opt::DeleteMode::ImmediateDelete) {
        return true;
    }
    TDeleteDlg1 dialog(parent);
    if (ConfirmByTyping(dialog)) {
        return true;
    }
    platform::ShowInformation("Record not Deleted.");
    return false;
}

} // namespace shelfwise::book
