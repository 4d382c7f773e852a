#pragma once

// The field choice of the Find and Replace windows: the labels of the data fields a user may
// pick, and the field a picked label names.

#include "db/RecordSchema.h"

#include <QStringList>
#include <string>
#include <vector>

namespace shelfwise::search {

// The label of every data field that is not a picture field, in field order. `labels`: the
// field-label list of the open database (entry i names position i + 2).
QStringList ChoosableFields(const std::vector<std::string>& labels, const db::TFieldClasses& fields,
                            int fieldCount);

// The table position the label names: the first field with that label, whatever its case.
int PositionOfLabel(const std::vector<std::string>& labels, const QString& label);

} // namespace shelfwise::search
