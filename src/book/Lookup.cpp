#include "book/Lookup.h"

namespace shelfwise::book {

TLookup::TLookup(const QString& listFile, QWidget* parent)
    : QComboBox(parent), listFile_(listFile) {
    setEditable(true);
    setInsertPolicy(QComboBox::InsertAlphabetically);
}

} // namespace shelfwise::book
