#pragma once

#include "engine/Table.h"

#include <QString>

namespace shelfwise::text {

// A character or memo field's value as editors and lists show it: a memo's lines end in '\n',
// a character field loses its padding.
QString FieldText(const engine::Table& table, int position);

} // namespace shelfwise::text
