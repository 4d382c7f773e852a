#pragma once

#include "editors/FieldEditor.h"

#include <QRect>
#include <vector>

namespace shelfwise::book {

// One field editor and its label as the arrangement sees them.
struct LayoutItem {
    using Kind = editors::EditorKind;
    int Page = 0; // consecutive items of one page form a group
    Kind Type = Kind::SingleLine;
    QRect Editor;
    QRect Label; // empty when the editor has no label
};

// Arranges the record page's editors when the page changes size: multi-line editors and
// lone pictures absorb the height, rows share the width; and moves rows down or up when the
// single-line font changed their height.
class TEditorLayout {
public:
    static constexpr int SameRow = 4;

    // dx, dy: the page's change in size; pageHeight: the record tab page's height.
    static void Stretch(std::vector<LayoutItem>& items, int dx, int dy, int pageHeight);
    // The single-line editors are now newHeight high instead of oldHeight.
    static void Reflow(std::vector<LayoutItem>& items, int oldHeight, int newHeight);
};

} // namespace shelfwise::book
