#pragma once

#include "settings/ElementColors.h"

#include <QString>
#include <optional>

class QWidget;

namespace shelfwise::db {
class TDatabase;
}

namespace shelfwise::engine {
class Table;
}

namespace shelfwise::settings {
struct FontRecord;
struct Settings;
} // namespace shelfwise::settings

namespace shelfwise::editors {

// What a field editor is: the record page arranges single-line kinds in rows, lets multi-line
// editors and pictures absorb the page's height, and leaves pictures out of fonts and colours.
enum class EditorKind { SingleLine, MultiLine, Currency, Date, Lookup, Picture };

// The colour table's elements an editor shows its text in. A currency field keeps its text
// colour while the record is read-only (its sign shows in it).
struct EditorColors {
    settings::Element Text;
    settings::Element Background;
    bool KeepsTextColorReadOnly = false;
};

// What the edit menu works on in an editor that edits text.
class TTextEditing {
public:
    virtual ~TTextEditing() = default;

    // The widget that takes the right click.
    virtual QWidget* Target() = 0;
    virtual void Undo() = 0;
    virtual void Cut() = 0;
    virtual void Copy() = 0;
    virtual void Paste() = 0;
    virtual void DeleteSelection() = 0;
    virtual void SelectAll() = 0;
    virtual bool HasSelection() const = 0;
    virtual bool IsEmpty() const = 0;
    virtual bool CanUndo() const = 0;
    // A list's text has no undo of its own in the menu.
    virtual bool OffersUndo() const { return true; }
    // Multi-line editors load and save their lines as a text file.
    virtual bool HoldsLines() const { return false; }
    virtual QString Lines() const { return {}; }
    virtual void SetLines(const QString&) {}
};

// Every field editor of a record page: the page keeps them in field order and moves values,
// fonts, colours and the read-only state through this interface only.
class TFieldEditor {
public:
    virtual ~TFieldEditor() = default;

    virtual EditorKind Kind() const = 0;
    virtual QWidget* Widget() = 0;
    const QWidget* Widget() const { return const_cast<TFieldEditor*>(this)->Widget(); }

    // The field at that position of the table's current record into the editor. Engine errors
    // pass to the caller.
    virtual void Read(const engine::Table& table, int position) = 0;
    // As Read, for a record filled from a record template.
    virtual void ReadFromTemplate(const engine::Table& table, int position) {
        Read(table, position);
    }
    // Settles the typed text into the field of a record in edit or insert state: a date or an
    // amount is read from what is typed (a half-typed date stores as no date), other text is
    // stored as the field's type takes it. Engine errors pass to the caller.
    virtual void Write(engine::Table& table, int position) const = 0;
    // True when the editor holds something worth storing.
    virtual bool IsFilled() const = 0;
    virtual void Clear() = 0;

    // A read-only record's editors take no input and show in the disabled colours.
    virtual void SetRecordReadOnly(bool readOnly);
    virtual bool IsRecordReadOnly() const;

    // The database directory holds the list tables of the editors that offer choices: the
    // database was opened, or its lists changed.
    virtual void OpenList(db::TDatabase&, const settings::Settings&) {}
    virtual void ReloadList() {}
    // The date format option of this editor changed; only date editors show dates.
    virtual void SetDateFormat(const QString&) {}
    // The font option the editor shows its text in; null when it shows no text.
    virtual settings::FontRecord* FontOption(settings::Settings& settings) const;
    virtual std::optional<EditorColors> Colors() const;
    // A find hit at these characters of the editor's text.
    virtual void ShowFound(int, int) {}

    // Null when the editor brings a menu of its own or holds no text.
    virtual TTextEditing* Editing() { return nullptr; }

protected:
    // Longest text a single-line field stores.
    static constexpr int MaxFieldText = 254;

    // Stores text as the field's type takes it: a memo's lines end in CR LF, a number is read
    // from the text, a character field keeps its first MaxFieldText characters.
    static void WriteText(engine::Table& table, int position, const QString& text);
};

} // namespace shelfwise::editors
