#pragma once

#include "settings/FontRecord.h"

#include <QFont>

namespace shelfwise::book {

// A font option as the toolkit's font, and back.
QFont ToQFont(const settings::FontRecord& record);
settings::FontRecord ToFontRecord(const QFont& font);

} // namespace shelfwise::book
