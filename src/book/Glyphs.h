#pragma once

#include <QIcon>

namespace shelfwise::book {

// The pictures of the window's buttons, drawn as shapes so they stay sharp at every size and
// screen density.
enum class Glyph {
    Find,
    Replace,
    Options,
    Print,
    Table,
    Html,
    New,
    Load,
    Exit,
    Export,
    Import,
    Password,
    Maintenance,
    Filter,
    Sort,
    Summary,
    First,
    PageUp,
    PageDown,
    Last,
    Previous,
    Next,
    Synchronize,
    Delete,
    Undo,
    Copy,
    Paste,
    ScrollUp,
    ScrollDown,
    SortAscending,
    SortDescending,
    Sponsor,
    Template,
};

QIcon GlyphIcon(Glyph glyph);

} // namespace shelfwise::book
