#pragma once

#include <QLineEdit>

namespace shelfwise::book {

// The fields that link outward (phone, e-mail, web address, attachment); for now they edit
// their text like a plain field.
class TPhoneEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

class TEMailEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

class TWebEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

class TMultiMediaEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

} // namespace shelfwise::book
