#include "editors/DateEdit.h"

#include "editors/CalPop.h"
#include "engine/Table.h"
#include "platform/Beep.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "text/FieldText.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

namespace shelfwise::editors {

namespace {

int ThisYear() {
    return QDate::currentDate().year();
}

// Menu captions of the display formats, by their index in the date format list.
constexpr const char* FormatCaptions[] = {"MMDDYYYY", "DDMMYYYY", "YYYYMMDD", "YYYY"};

int FormatIndex(const QString& format) {
    if (format.startsWith(QLatin1String("mm"))) {
        return 0;
    }
    if (format.startsWith(QLatin1String("dd"))) {
        return 1;
    }
    return format.contains(u'/') ? 2 : 3;
}

} // namespace

TDateEdit::TDateEdit(QWidget* parent)
    : TMyBtnEdit(parent), template_(text::SystemDateFormat(), text::SystemDateSeparator()) {
    setMaxLength(10);
    SetAutoSelect(false);
    resize(120, 22);
    SetButtonHint(QStringLiteral("Click here to display a Calendar"));
    setToolTip(QStringLiteral("Date Field - Enter Date Here"));
    SetDate(std::nullopt);
}

void TDateEdit::SetDisplayFormat(const QString& format) {
    const text::TDateTemplate next(format, text::SystemDateSeparator());
    if (next.Format() == template_.Format()) {
        return;
    }
    const Date date = GetDate();
    template_ = next;
    SetDate(date);
}

TDateEdit::Date TDateEdit::GetDate() const {
    if (shown_ && template_.Write(shown_) == text()) {
        return shown_;
    }
    return template_.Read(text(), ThisYear());
}

void TDateEdit::SetDate(Date date) {
    ShowDate(date);
    undoText_ = text();
}

void TDateEdit::ShowDate(Date date) {
    shown_ = date;
    setText(template_.Write(date));
    setCursorPosition(0);
}

bool TDateEdit::IsValid() const {
    return template_.IsValid(text(), ThisYear());
}

void TDateEdit::Read(const engine::Table& table, int position) {
    if (table.field(position).type == 'D') {
        SetDate(table.date(position));
    } else {
        setText(text::FieldText(table, position));
        setCursorPosition(0);
    }
}

void TDateEdit::ReadFromTemplate(const engine::Table& table, int position) {
    Read(table, position);
    if (table.field(position).type == 'D' && table.date(position) == TemplateDateMarker) {
        SetDate(text::FromQDate(QDate::currentDate()));
    }
}

void TDateEdit::Write(engine::Table& table, int position) const {
    if (IsEmpty()) {
        table.clear(position);
    } else if (table.field(position).type != 'D') {
        WriteText(table, position, text());
    } else if (const auto value = GetDate()) {
        table.setDate(position, value);
    }
}

bool TDateEdit::Settle() {
    if (IsValid()) {
        return true;
    }
    RefuseInvalid();
    return false;
}

void TDateEdit::RefuseInvalid() {
    refusing_ = true;
    platform::ShowError("Invalid Date!");
    setFocus(Qt::OtherFocusReason);
    refusing_ = false;
}

void TDateEdit::ShowTyped(const QString& typed, int caret) {
    setText(typed);
    setCursorPosition(caret);
}

void TDateEdit::TypeText(const QString& typed) {
    QString shown = text().size() == template_.Length() ? text() : template_.EmptyText();
    int caret = cursorPosition();
    for (const QChar c : typed) {
        if (c.isDigit()) {
            caret = template_.TypeDigit(shown, caret, c);
        }
    }
    ShowTyped(shown, caret);
}

void TDateEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->key() == Qt::Key_Tab ||
        event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Escape ||
        ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0 &&
         !event->matches(QKeySequence::Paste))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QString shown = text().size() == template_.Length() ? text() : template_.EmptyText();
    const int caret = cursorPosition();
    switch (event->key()) {
    case Qt::Key_Home:
        setCursorPosition(0);
        return;
    case Qt::Key_End:
        setCursorPosition(template_.Length());
        return;
    case Qt::Key_Left:
        setCursorPosition(template_.Left(caret));
        return;
    case Qt::Key_Right:
        setCursorPosition(template_.Right(caret));
        return;
    default:
        break;
    }
    if (!Editable()) {
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        TypeText(QApplication::clipboard()->text());
    } else if (event->key() == Qt::Key_Backspace) {
        ShowTyped(shown, template_.Backspace(shown, caret));
    } else if (event->key() == Qt::Key_Delete) {
        ShowTyped(shown, template_.DeleteRight(shown, caret));
    } else if (event->text().size() == 1 && event->text()[0].isDigit()) {
        ShowTyped(shown, template_.TypeDigit(shown, caret, event->text()[0]));
    } else if (!event->text().isEmpty()) {
        platform::Beep();
    } else {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TDateEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    setCursorPosition(template_.ClickPlace(cursorPosition()));
}

void TDateEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (!hasSelectedText()) {
        setCursorPosition(template_.ClickPlace(cursorPosition()));
    }
}

void TDateEdit::focusInEvent(QFocusEvent* event) {
    TMyBtnEdit::focusInEvent(event);
    if (!refusing_) {
        undoText_ = text();
    }
}

void TDateEdit::focusOutEvent(QFocusEvent* event) {
    TMyBtnEdit::focusOutEvent(event);
    // Only a move the user made to another field is checked: a message box or a menu taking
    // the focus must not bring the message back, and a dialog's Cancel leaves freely.
    const auto reason = event->reason();
    if (!refusing_ && Editable() && !IsValid() &&
        (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::MouseFocusReason)) {
        RefuseInvalid();
    }
}

QMenu* TDateEdit::CreateMenu() {
    auto* menu = new QMenu(this);
    QAction* undo = menu->addAction(QStringLiteral("&Undo"), this, [this] {
        setText(undoText_);
        setCursorPosition(0);
    });
    undo->setEnabled(Editable() && text() != undoText_);
    menu->addAction(QStringLiteral("&Today"), this,
                    [this] { ShowDate(text::FromQDate(QDate::currentDate())); })
        ->setEnabled(Editable());
    menu->addAction(QStringLiteral("&Clear"), this, [this] { ShowDate(std::nullopt); })
        ->setEnabled(Editable());
    menu->addSeparator();
    QAction* font = menu->addAction(QStringLiteral("&Font..."), this, [this] { emit FontAsked(); });
    QAction* color =
        menu->addAction(QStringLiteral("C&olor..."), this, [this] { emit ColorAsked(); });
    font->setVisible(fontAndColor_);
    color->setVisible(fontAndColor_);
    QMenu* formats = menu->addMenu(QStringLiteral("&Date Format"));
    auto* group = new QActionGroup(formats);
    const int current = FormatIndex(template_.Format());
    for (int i = 0; i < 4; ++i) {
        QAction* item = formats->addAction(QString::fromLatin1(FormatCaptions[i]), this, [this, i] {
            SetDisplayFormat(*text::DateFormatText(i));
            emit FormatChosen(i);
        });
        item->setCheckable(true);
        item->setChecked(i == current);
        group->addAction(item);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Help"), this, [] { platform::ShowHelp(HelpContext); });
    return menu;
}

void TDateEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TDateEdit::OpenCalendar() {
    const QString filled = template_.FillZeros(text());
    const Date start = template_.Read(filled, ThisYear());
    const QPointer self = this;
    const auto chosen = PickDate(this, start ? *start : text::FromQDate(QDate::currentDate()));
    if (self == nullptr) {
        return;
    }
    if (chosen && Editable()) {
        ShowDate(*chosen);
    }
    setFocus(Qt::OtherFocusReason);
    setCursorPosition(0);
}

} // namespace shelfwise::editors
