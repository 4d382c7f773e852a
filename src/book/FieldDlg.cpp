#include "book/FieldDlg.h"

#include "book/TableViewModel.h"
#include "db/FailureLog.h"
#include "engine/EngineError.h"
#include "media/MultiImgControl.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shelfwise::book {

namespace {

// Kept from one opening to the next for the whole run; no size until the editor first closed.
QSize rememberedSize;
bool rememberedWrap = false;

} // namespace

TFieldDlg::TFieldDlg(TTableViewModel& model, int row, int column, QWidget* parent)
    : QDialog(parent), model_(model), row_(row), column_(column) {
    setObjectName(QStringLiteral("FieldDlg"));
    setWindowTitle(QStringLiteral("Edit Field - ") +
                   model.headerData(column, Qt::Horizontal).toString());
    if (rememberedSize.isValid()) {
        resize(rememberedSize);
    }
    const QModelIndex cell = model.index(row, column);
    stored_ = model.data(cell, Qt::EditRole).toString();
    const bool readOnly = model.ReadOnly();

    edit_ = new QLineEdit(stored_, this);
    edit_->setObjectName(QStringLiteral("DBEdit1"));
    edit_->setReadOnly(readOnly);
    memo_ = new QPlainTextEdit(stored_, this);
    memo_->setObjectName(QStringLiteral("DBMemo1"));
    memo_->setReadOnly(readOnly);
    wrap_ = new QCheckBox(QStringLiteral("Auto-Wrap"), this);
    wrap_->setObjectName(QStringLiteral("CheckBox1"));
    picture_ = new media::TDbMultiImgControl(QString(), this);
    picture_->setObjectName(QStringLiteral("Img1"));
    picture_->SetRecordReadOnly(readOnly);

    auto* fields = new QVBoxLayout;
    fields->addWidget(edit_);
    fields->addWidget(memo_, 1);
    fields->addWidget(wrap_);
    fields->addWidget(picture_, 1);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    const bool isMemo = model.IsMemo(column);
    const bool isPicture = model.IsPicture(column);
    edit_->setVisible(!isMemo && !isPicture);
    memo_->setVisible(isMemo);
    wrap_->setVisible(isMemo);
    picture_->setVisible(isPicture);
    if (isPicture) {
        if (const engine::Table* record = model.RecordOfRow(row)) {
            try {
                picture_->Read(*record, model.FieldPosition(column));
            } catch (const engine::EngineError& error) {
                // A picture that cannot be read shows none; OK then stores only a new one.
                db::LogFailure(*record, error);
            }
        }
    } else if (isMemo) {
        memo_->setFocus();
        wrap_->setChecked(rememberedWrap);
        ApplyWrap(rememberedWrap);
        connect(wrap_, &QCheckBox::toggled, this, &TFieldDlg::ApplyWrap);
    } else {
        edit_->setFocus();
    }
}

TFieldDlg::~TFieldDlg() {
    rememberedWrap = wrap_->isChecked();
}

void TFieldDlg::ApplyWrap(bool wrap) {
    // Wrapped lines need no horizontal scroll bar.
    memo_->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TFieldDlg::accept() {
    if (!model_.ReadOnly() && !Store()) {
        // The reason was shown; what was typed or brought in stays here.
        return;
    }
    QDialog::accept();
}

bool TFieldDlg::Store() {
    if (model_.IsPicture(column_)) {
        // As on the record page, only a picture brought in or cleared is written. After a
        // failed post the row still holds it, and OK posts again.
        if (picture_->PictureChanged()) {
            return model_.WriteField(row_, column_, [this](engine::Table& record, int position) {
                picture_->Write(record, position);
            });
        }
        return model_.EditRow() != row_ || model_.Post();
    }
    const QString typed = model_.IsMemo(column_) ? memo_->toPlainText() : edit_->text();
    return typed == stored_ ||
           (model_.setData(model_.index(row_, column_), typed) && model_.Post());
}

void TFieldDlg::done(int result) {
    rememberedSize = size();
    QDialog::done(result);
}

} // namespace shelfwise::book
