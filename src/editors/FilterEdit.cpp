#include "editors/FilterEdit.h"

#include "platform/Beep.h"

#include <QKeyEvent>

namespace shelfwise::editors {

namespace {

// One character of a list item: "a" or "'a'".
std::optional<QChar> ItemChar(const QString& text) {
    const QString item = text.trimmed();
    if (item.size() == 1) {
        return item[0];
    }
    if (item.size() == 3 && item[0] == u'\'' && item[2] == u'\'') {
        return item[1];
    }
    return std::nullopt;
}

} // namespace

std::optional<TCharSet> TCharSet::FromText(const QString& text) {
    const QString list = text.trimmed();
    if (!list.startsWith(u'[') || !list.endsWith(u']') || list.size() < 2) {
        return std::nullopt;
    }
    TCharSet set;
    const QString inner = list.mid(1, list.size() - 2).trimmed();
    if (inner.isEmpty()) {
        return set;
    }
    // A quoted comma is a character, not a separator between items.
    const QString placeholder(QChar(0xE000));
    QString items = inner;
    items.replace(QLatin1String("','"), placeholder);
    for (QString item : items.split(u',')) {
        item.replace(placeholder, QLatin1String("','"));
        const qsizetype range = item.indexOf(QLatin1String(".."));
        const auto first = ItemChar(range < 0 ? item : item.left(range));
        const auto last = range < 0 ? first : ItemChar(item.mid(range + 2));
        if (!first || !last || first->unicode() > 255 || last->unicode() > 255 || *first > *last) {
            return std::nullopt;
        }
        for (unsigned c = first->unicode(); c <= last->unicode(); ++c) {
            set.chars_.set(c);
        }
    }
    return set;
}

bool TCharSet::Accepts(QChar c) const {
    return AcceptsAll() || (c.unicode() < 256 && chars_.test(c.unicode()));
}

QValidator::State TCharSetValidator::validate(QString& input, int& pos) const {
    for (qsizetype i = input.size() - 1; i >= 0; --i) {
        if (!chars_.Accepts(input[i])) {
            input.remove(i, 1);
            if (i < pos) {
                --pos;
            }
        }
    }
    return Acceptable;
}

TFilterEdit::TFilterEdit(QWidget* parent)
    : QLineEdit(parent), validator_(new TCharSetValidator(this)) {
    resize(120, 22);
    setValidator(validator_);
}

bool TFilterEdit::SetValidChars(const QString& text) {
    const auto chars = TCharSet::FromText(text);
    if (!chars) {
        return false;
    }
    validChars_ = text;
    validator_->SetChars(*chars);
    return true;
}

void TFilterEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isPrint() && !validator_->Chars().Accepts(typed[0])) {
        platform::Beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace shelfwise::editors
