#pragma once

#include "editors/FieldEditor.h"

#include <QMenu>

namespace shelfwise::book {

// The context menu of the text and list field editors: editing commands on the editor it was
// opened for, loading and saving a multi-line editor's lines, and the field font and colour.
class TEditMenu : public QMenu {
    Q_OBJECT
public:
    // The list editors' menu adds "&Edit List..." and "Auto-F&ill".
    TEditMenu(bool forLists, bool* autoFill, QWidget* parent);

    // Prepares the items for the editor and shows the menu.
    void Open(editors::TFieldEditor* editor, const QPoint& at);
    // Shows and enables the items as the editor's state asks.
    void Prepare(editors::TFieldEditor* editor);
    editors::TFieldEditor* Editor() const { return editor_; }
    QAction* Item(const QString& text) const;

signals:
    void FontRequested(editors::TFieldEditor* editor);
    void ColorRequested(editors::TFieldEditor* editor);
    void AutoFillChanged();
    void ListEditRequested(editors::TFieldEditor* editor);

private:
    void LoadLines();
    void SaveLines();
    editors::TTextEditing* Editing() const;

    editors::TFieldEditor* editor_ = nullptr;
    bool* autoFill_;
    QAction* undo_;
    QAction* undoSeparator_;
    QAction* cut_;
    QAction* copy_;
    QAction* delete_;
    QAction* selectAll_;
    QAction* fileSeparator_;
    QAction* load_;
    QAction* save_;
    QAction* autoFillItem_ = nullptr;
};

} // namespace shelfwise::book
