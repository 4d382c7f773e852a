#pragma once

#include "editors/TextEdit.h"

namespace shelfwise::editors {

// The fields that link outward (phone, e-mail, web address, attachment); for now they edit
// their text like a plain field. The e-mail, web and attachment fields bring menus of their
// own.
class TPhoneEdit : public TTextEdit {
public:
    using TTextEdit::TTextEdit;
};

class TEMailEdit : public TTextEdit {
public:
    using TTextEdit::TTextEdit;
    TTextEditing* Editing() override { return nullptr; }
};

class TWebEdit : public TTextEdit {
public:
    using TTextEdit::TTextEdit;
    TTextEditing* Editing() override { return nullptr; }
};

class TMultiMediaEdit : public TTextEdit {
public:
    using TTextEdit::TTextEdit;
    TTextEditing* Editing() override { return nullptr; }
};

} // namespace shelfwise::editors
