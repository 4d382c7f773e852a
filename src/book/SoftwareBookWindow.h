#pragma once

#include "book/BookWindow.h"

namespace shelfwise::book {

// The book window of the software catalogue: the 24 field labels and editors on the four
// record pages.
class TSoftwareBookWindow : public TBookWindow {
    Q_OBJECT
public:
    explicit TSoftwareBookWindow(settings::Settings& settings);
};

} // namespace shelfwise::book
