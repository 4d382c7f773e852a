#pragma once

#include "text/DateText.h"

#include <QLineEdit>

namespace shelfwise::book {

// A date field: shows its date in its display format and reads the typed text back in it.
class TDateEdit : public QLineEdit {
    Q_OBJECT
public:
    using Date = text::Date;

    explicit TDateEdit(QWidget* parent);

    void SetDisplayFormat(const QString& format);
    QString DisplayFormat() const { return format_; }

    Date GetDate() const;
    void SetDate(Date date);
    bool IsEmpty() const { return !GetDate().has_value(); }

private:
    QString format_ = *text::DateFormatText(0);
    // The date last shown, kept whole while its text is unchanged (a year-only format).
    Date shown_;
};

} // namespace shelfwise::book
