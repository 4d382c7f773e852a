#pragma once

#include "book/CommandParts.h"
#include "db/RecordTemplates.h"

#include <QObject>

class QMenu;
class QToolButton;

namespace shelfwise::book {

// What the record template commands are started from besides the shared parts.
struct TTemplateParts : TCommandParts {
    // The template chooser in the status line; its caption names the template new records
    // start from.
    QToolButton& Chooser;
    QMenu& RightPageMenu;
    QMenu& TemplateMenu;
};

// The record templates of the book window: the chooser's menu, the two "Replace Record With
// Template" submenus, "Save Record To Template" with its dialog, and filling a new record from
// the chosen template.
class TTemplateCommands : public QObject {
    Q_OBJECT
public:
    TTemplateCommands(const TTemplateParts& parts, QObject* parent);

    db::TRecordTemplates& Templates() { return templates_; }
    QMenu* ChooserMenu() const { return chooserMenu_; }

    // A new record just shown: filled from the chooser's template, unless that is "Blank" or
    // the template has no record (the new record then stays empty).
    void FillNewRecord();
    // Replaces the shown record's contents with the named template's ("Blank" clears them);
    // nothing is stored until the record is settled.
    void ApplyTemplate(const QString& name);
    void SaveRecordToTemplate();
    // Refills the chooser menu and both replace submenus from the template list.
    void RebuildTemplateMenus();
    // Another database is open: the names are read again, with a template delete left
    // unfinished in that database finished or undone. A chosen template that is gone gives way
    // to "Blank".
    void DatabaseOpened();

private:
    bool RecordEditable() const;
    // False, with the editors as they were, when the template's record cannot be read whole.
    bool FillFromTemplate();
    void FillReplaceMenu(QMenu* menu);

    TTemplateParts parts_;
    db::TRecordTemplates templates_;
    QMenu* chooserMenu_;
};

} // namespace shelfwise::book
