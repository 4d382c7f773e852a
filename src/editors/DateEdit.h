#pragma once

#include "editors/TextEdit.h"
#include "text/DateText.h"

#include <chrono>

namespace shelfwise::editors {

// A record template stores this date in a date field to mean "the day the template is applied"
// (day 1.0 of the date-time encoding dBASE programs share, the day before 1 January 1900).
inline constexpr std::chrono::year_month_day TemplateDateMarker{
    std::chrono::year(1899), std::chrono::December, std::chrono::day(31)};

// A date field: shows its date in its display format and reads the typed text back in it.
class TDateEdit : public TTextEdit {
    Q_OBJECT
public:
    using Date = text::Date;

    explicit TDateEdit(QWidget* parent);

    void SetDisplayFormat(const QString& format);
    QString DisplayFormat() const { return format_; }

    Date GetDate() const;
    void SetDate(Date date);
    bool IsEmpty() const { return !GetDate().has_value(); }

    EditorKind Kind() const override { return EditorKind::Date; }
    void Read(const engine::Table& table, int position) override;
    // A stored template date marker shows as today's date.
    void ReadFromTemplate(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    bool IsFilled() const override { return !text().isEmpty() && !IsEmpty(); }
    void Clear() override { SetDate(std::nullopt); }
    void SetDateFormat(const QString& format) override { SetDisplayFormat(format); }
    // The date editor's menu is its own.
    TTextEditing* Editing() override { return nullptr; }

private:
    QString format_ = *text::DateFormatText(0);
    // The date last shown, kept whole while its text is unchanged (a year-only format).
    Date shown_;
};

} // namespace shelfwise::editors
