#include "editors/CalcDlg.h"

#include "editors/CalPop.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace shelfwise::editors {

namespace {

struct CalcKey {
    const char* Name;
    const char* Caption;
    const char* Hint;
    char Key;
};

// Row by row, four to a row.
constexpr CalcKey Keys[] = {
    {"B_C", "C", "Clear", 'C'},
    {"B_Del", "<-", "Backspace", TCalculator::Backspace},
    {"B_Sign", "+/-", "Switch Sign", '_'},
    {"B_Div", "/", "Divide", '/'},
    {"B_7", "7", "", '7'},
    {"B_8", "8", "", '8'},
    {"B_9", "9", "", '9'},
    {"B_Mult", "*", "Multiply", '*'},
    {"B_4", "4", "", '4'},
    {"B_5", "5", "", '5'},
    {"B_6", "6", "", '6'},
    {"B_Subt", "-", "Subtract", '-'},
    {"B_1", "1", "", '1'},
    {"B_2", "2", "", '2'},
    {"B_3", "3", "", '3'},
    {"B_Plus", "+", "Add", '+'},
    {"B_Dot", ".", "Decimal Point", '.'},
    {"B_0", "0", "", '0'},
    {"B_Perc", "%", "Percent", '%'},
    {"B_Equ", "=", "Equals", '='},
};

constexpr int KeySize = 28;

} // namespace

TCalcDlg::TCalcDlg(QWidget* parent)
    : QDialog(parent != nullptr ? parent->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Calculator"));
    setWindowTitle(QStringLiteral("Calculator"));
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);
    setAutoFillBackground(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    outer->addWidget(frame);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(3);
    int index = 0;
    for (const CalcKey& key : Keys) {
        auto* button = new QPushButton(QString::fromLatin1(key.Caption), frame);
        button->setObjectName(QString::fromLatin1(key.Name));
        button->setToolTip(QString::fromLatin1(key.Hint));
        button->setFixedSize(KeySize, KeySize);
        const char sent = key.Key;
        connect(button, &QPushButton::clicked, this, [this, sent] {
            Press(sent);
            ok_->setFocus();
        });
        grid->addWidget(button, index / 4, index % 4);
        ++index;
    }
    auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QString(), frame);
    ok->setObjectName(QStringLiteral("B_OK"));
    ok->setToolTip(QStringLiteral("Close and Update the edit field"));
    ok->setDefault(true);
    auto* cancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QString(), frame);
    cancel->setObjectName(QStringLiteral("B_Cancel"));
    cancel->setToolTip(QStringLiteral("Close and don't Update the edit field"));
    for (QPushButton* button : {ok, cancel}) {
        button->setFixedHeight(KeySize);
    }
    grid->addWidget(ok, 5, 0, 1, 2);
    grid->addWidget(cancel, 5, 2, 1, 2);
    ok_ = ok;
    // A result that cannot be shown must not replace the field's value.
    connect(ok, &QPushButton::clicked, this,
            [this] { calculator_.IsError() ? reject() : accept(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ok->setFocus();
}

void TCalcDlg::Reset() {
    calculator_.Clear();
    emit DisplayChanged(Display());
}

QString TCalcDlg::Display() const {
    return QString::fromStdString(calculator_.Display());
}

void TCalcDlg::PlaceUnder(const QWidget& anchor) {
    PlacePopupUnder(*this, anchor);
}

void TCalcDlg::Press(char key) {
    calculator_.Key(key);
    emit DisplayChanged(Display());
}

void TCalcDlg::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Backspace) {
        Press(TCalculator::Backspace);
    } else if (!enter && text.size() == 1 && text.front().unicode() > 32 &&
               text.front().unicode() < 127) {
        Press(text.front().toLatin1());
    } else {
        QDialog::keyPressEvent(event);
    }
}

} // namespace shelfwise::editors
