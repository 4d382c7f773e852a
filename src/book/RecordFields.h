#pragma once

#include "book/EditorLayout.h"
#include "editors/FieldEditor.h"
#include "settings/Settings.h"

#include <QObject>
#include <functional>
#include <vector>

class QLabel;
class QWidget;

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::book {

class TEditMenu;
class TRecordTabs;

// The parts of the book window the record's fields live in.
struct TRecordFieldParts {
    settings::Settings& Settings;
    db::TDatabase& Database;
    // The record pages the labels and editors sit on.
    TRecordTabs& Pages;
    // The parent of the edit menus and of the font and colour dialogs.
    QWidget* Window;
};

// The labels and field editors of the record pages in field order (the first shows field 1):
// their list tables, date formats, fonts, colours and edit menus, the Tab order across the
// pages, their layout when the pages change size, and the mark of a Find hit.
class TRecordFields : public QObject {
    Q_OBJECT
public:
    TRecordFields(const TRecordFieldParts& parts, QObject* parent);

    // A field colour or font option changed: the window paints or lays out again.
    std::function<void()> ColorsChanged;
    std::function<void()> FontsChanged;
    // A date field's format changed: the list shows its dates anew.
    std::function<void()> DateFormatChanged;

    // The label and editor of the next field; every field is added before Prepare.
    void Add(QLabel* label, editors::TFieldEditor* editor);
    // Hints, list tables, the labels' default texts, each date editor's line of the date
    // format list, help contexts and edit menus.
    void Prepare();

    const std::vector<editors::TFieldEditor*>& Editors() const { return editors_; }
    const std::vector<QLabel*>& Labels() const { return labels_; }
    // The date editors in field order, each tied to its line of the date format list.
    const std::vector<editors::TFieldEditor*>& DateEditors() const { return dateEditors_; }
    TEditMenu* TextEditMenu() const { return textMenu_; }
    TEditMenu* ListEditMenu() const { return listMenu_; }
    // The editor of the last Find hit, until the next redraw of the list.
    QWidget* Highlighted() const { return highlighted_; }

    // Each list field on its list table in the database directory.
    void OpenLists();
    // The list table file of the field with that index (field number - 1); empty for a field
    // that has no list.
    QString LookupSourceOf(int fieldIndex) const;
    // "Edit Lists" on the editor's list; the list fields reload when a list changed.
    void EditLists(const editors::TFieldEditor* editor);
    // Every list field reloads its choices from its table.
    void RefreshLists();
    // Each date editor's display format from its entry of the date format list; an entry
    // that is no known format leaves the editor's format.
    void ApplyDateFormats();
    // A date editor's new display format (a format number): its entry of the date format list
    // takes it, "date.dat" is saved and the list shows the field's dates in it.
    void ChangeDateFormat(const editors::TFieldEditor* editor, int format);
    // The labels show the field labels of the settings.
    void RefreshLabels();

    // True when the editors' read-only state changed (their colours follow).
    bool SetReadOnly(bool readOnly);
    // The label and editor colours; read-only editors in the system's.
    void ApplyColors(bool readOnly) const;
    // The field font options; true when the single-line editors got another font (their rows
    // may have moved).
    bool ApplyFonts();
    // Stretches the editors by the record pages' change in size; false when there are none.
    bool Stretch(int dx, int dy);

    // Tab and Shift+Tab from the focused widget walk the editors in field order across the
    // record pages; false when the focus is in no field editor.
    bool FocusNext(const QWidget* focused, bool next);
    // The first field's page, and the focus in it.
    void FocusFirst();
    // A Find hit in the field at that table position: its page, the focus and a red highlight;
    // in a multi-line editor the matched characters are selected.
    void ShowFound(int position, int offset, int length);
    // Drops the highlight; true when there was one (the colours are to be applied again).
    bool DropHighlight();
    // The record page (tab) that holds the editor.
    int PageOf(const QWidget* editor) const;

private:
    void AttachEditMenus();
    void ChooseFont(editors::TFieldEditor* editor);
    void EditColors(editors::TFieldEditor* editor);
    int EditorIndexOf(const QWidget* widget) const;
    bool IsTabStop(const editors::TFieldEditor& editor) const;
    std::vector<LayoutItem> Items() const;
    void Place(const std::vector<LayoutItem>& items);

    TRecordFieldParts parts_;
    std::vector<editors::TFieldEditor*> editors_;
    std::vector<QLabel*> labels_;
    std::vector<editors::TFieldEditor*> dateEditors_;
    TEditMenu* textMenu_ = nullptr;
    TEditMenu* listMenu_ = nullptr;
    QWidget* highlighted_ = nullptr;
};

} // namespace shelfwise::book
