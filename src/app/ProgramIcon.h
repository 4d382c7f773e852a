#pragma once

#include <QPixmap>

namespace shelfwise::app {

// The program's picture: a closed book. The about box and the tray icon show it.
QPixmap ProgramIcon();

} // namespace shelfwise::app
