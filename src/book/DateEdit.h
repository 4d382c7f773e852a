#pragma once

#include <QLineEdit>
#include <chrono>
#include <optional>

namespace shelfwise::book {

// A date field: shows its date in its display format and reads the typed text back in it.
class TDateEdit : public QLineEdit {
    Q_OBJECT
public:
    using Date = std::optional<std::chrono::year_month_day>;

    // The display formats by format number.
    static constexpr const char* Formats[] = {"mm/dd/yyyy", "dd/mm/yyyy", "yyyy/mm/dd", "yyyy"};

    explicit TDateEdit(QWidget* parent);

    // The date written in a display format such as "dd/mm/yyyy".
    static QString FormatDate(const Date& date, const QString& format);

    void SetDisplayFormat(const QString& format);
    QString DisplayFormat() const { return format_; }

    Date GetDate() const;
    void SetDate(Date date);
    bool IsEmpty() const { return !GetDate().has_value(); }

private:
    QString format_ = QString::fromLatin1(Formats[0]);
    // The date last shown, kept whole while its text is unchanged (a year-only format).
    Date shown_;
};

} // namespace shelfwise::book
