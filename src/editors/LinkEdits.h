#pragma once

#include "editors/TextEdit.h"

namespace shelfwise::editors {

// A button edit that stays enabled on a read-only record: its text takes no input, but its
// button still acts on it.
class TKeepLookEdit : public TButtonTextEdit {
    Q_OBJECT
public:
    using TButtonTextEdit::TButtonTextEdit;

    void SetRecordReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    bool IsRecordReadOnly() const override { return isReadOnly() || !isEnabled(); }
};

// The phone number field. Its button is to open the dialer; until that is built it does
// nothing.
class TPhoneEdit : public TKeepLookEdit {
    Q_OBJECT
public:
    explicit TPhoneEdit(QWidget* parent);
};

// The e-mail field: its button opens the address with the system's e-mail program. It brings
// a menu of its own.
class TEMailEdit : public TKeepLookEdit {
    Q_OBJECT
public:
    explicit TEMailEdit(QWidget* parent);

    // The address as the system opens it: "mailto:" in front unless the text holds it already.
    QString MailAddress() const;
    TTextEditing* Editing() override { return nullptr; }

protected:
    void ButtonClick() override;
};

// The web address field: its button opens the address in the system's web browser. It is
// disabled on a read-only record and brings a menu of its own.
class TWebEdit : public TButtonTextEdit {
    Q_OBJECT
public:
    explicit TWebEdit(QWidget* parent);

    TTextEditing* Editing() override { return nullptr; }

protected:
    void ButtonClick() override;
};

// The attachment field. Its button is to open the attachment dialog; until that is built it
// does nothing.
class TMultiMediaEdit : public TKeepLookEdit {
    Q_OBJECT
public:
    explicit TMultiMediaEdit(QWidget* parent);

    TTextEditing* Editing() override { return nullptr; }
};

} // namespace shelfwise::editors
