#pragma once

#include "settings/Settings.h"

#include <QFont>

namespace shelfwise::book {

// A font option as the toolkit's font, and back.
QFont ToQFont(const settings::FontRecord& record);
settings::FontRecord ToFontRecord(const QFont& font);
bool SameFont(const QFont& font, const settings::FontRecord& record);

} // namespace shelfwise::book
