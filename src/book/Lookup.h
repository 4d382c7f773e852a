#pragma once

#include <QComboBox>

namespace shelfwise::book {

// A field with a drop-down list of earlier values kept in a lookup table of the database.
class TLookup : public QComboBox {
    Q_OBJECT
public:
    TLookup(const QString& listFile, QWidget* parent);

    const QString& ListFile() const { return listFile_; }

private:
    QString listFile_;
};

} // namespace shelfwise::book
