#pragma once

#include <QLineEdit>
#include <QValidator>
#include <bitset>
#include <optional>

namespace shelfwise::editors {

// The characters an edit accepts, written as a bracketed list of characters and ranges:
// "[0..9,a..c,x]", quoted or not ("['0'..'9']"). "[]" accepts anything.
class TCharSet {
public:
    // None for a text that is no such list.
    static std::optional<TCharSet> FromText(const QString& text);

    bool Accepts(QChar c) const;
    bool AcceptsAll() const { return chars_.none(); }

private:
    std::bitset<256> chars_;
};

// Keeps only accepted characters of every change, typed, pasted or dropped alike.
class TCharSetValidator : public QValidator {
    Q_OBJECT
public:
    explicit TCharSetValidator(QObject* parent) : QValidator(parent) {}

    const TCharSet& Chars() const { return chars_; }
    void SetChars(const TCharSet& chars) { chars_ = chars; }
    State validate(QString& input, int& pos) const override;

private:
    TCharSet chars_;
};

// A one-line edit that accepts only the characters of its set; a refused key beeps.
class TFilterEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TFilterEdit(QWidget* parent);

    QString ValidChars() const { return validChars_; }
    // A text that is no character list leaves the set as it was; false then.
    bool SetValidChars(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString validChars_ = QStringLiteral("[]");
    TCharSetValidator* validator_;
};

} // namespace shelfwise::editors
