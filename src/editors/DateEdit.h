#pragma once

#include "editors/BtnEdit.h"
#include "editors/FieldEditor.h"
#include "text/DateTemplate.h"

#include <chrono>

namespace shelfwise::editors {

// A record template stores this date in a date field to mean "the day the template is applied"
// (day 1.0 of the date-time encoding dBASE programs share, the day before 1 January 1900).
inline constexpr std::chrono::year_month_day TemplateDateMarker{
    std::chrono::year(1899), std::chrono::December, std::chrono::day(31)};

// A date field: digits are typed over the blanks of its format's template ("__/__/____"), the
// button opens a month calendar, and the field's own menu chooses among the display formats.
// A typed date is either stored or refused with a message; it is never dropped.
class TDateEdit : public TMyBtnEdit, public TFieldEditor {
    Q_OBJECT
public:
    using Date = text::Date;
    static constexpr int HelpContext = 36;

    explicit TDateEdit(QWidget* parent);

    void SetDisplayFormat(const QString& format);
    QString DisplayFormat() const { return template_.Format(); }
    const text::TDateTemplate& Template() const { return template_; }

    // The date the text names; none for an empty or unreadable text.
    Date GetDate() const;
    void SetDate(Date date);
    bool IsEmpty() const { return template_.IsEmpty(text()); }
    // An empty field is valid.
    bool IsValid() const;
    // Where fonts and colours do not apply.
    void HideFontAndColor() { fontAndColor_ = false; }
    // The field's own menu, as it pops up.
    QMenu* CreateMenu();
    // The calendar from the button: the chosen day goes into the field unless it is read-only.
    void OpenCalendar();

    EditorKind Kind() const override { return EditorKind::Date; }
    QWidget* Widget() override { return this; }
    void Read(const engine::Table& table, int position) override;
    // A stored template date marker shows as today's date.
    void ReadFromTemplate(const engine::Table& table, int position) override;
    // An unreadable text leaves the stored date as it is; the settle step refuses it first.
    void Write(engine::Table& table, int position) const override;
    bool Settle() override;
    // A read-only record's date stays readable in the normal colours; it takes no input.
    void SetRecordReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    bool IsRecordReadOnly() const override { return isReadOnly() || !isEnabled(); }
    bool IsFilled() const override { return !IsEmpty(); }
    void Clear() override { SetDate(std::nullopt); }
    void SetDateFormat(const QString& format) override { SetDisplayFormat(format); }
    // The date editor's menu is its own.
    TTextEditing* Editing() override { return nullptr; }

signals:
    // A display format was chosen from the field's menu: its index in the date format list.
    void FormatChosen(int format);
    void FontAsked();
    void ColorAsked();

protected:
    void ButtonClick() override { OpenCalendar(); }
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool Editable() const { return !isReadOnly() && isEnabled(); }
    // Shows the date as a change the menu's Undo can take back.
    void ShowDate(Date date);
    void ShowTyped(const QString& typed, int caret);
    // Digits of pasted text are typed in turn; everything else is dropped.
    void TypeText(const QString& typed);
    void RefuseInvalid();

    text::TDateTemplate template_;
    // The date last shown, kept whole while its text is unchanged (a year-only format).
    Date shown_;
    QString undoText_;
    bool fontAndColor_ = true;
    bool refusing_ = false;
};

} // namespace shelfwise::editors
