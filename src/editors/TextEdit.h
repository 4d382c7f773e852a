#pragma once

#include "editors/BtnEdit.h"
#include "editors/FieldEditor.h"
#include "text/FieldText.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace shelfwise::editors {

// The edit menu's commands on a single-line text, also the text of an editable list.
class TLineEditing : public TTextEditing {
public:
    TLineEditing(QLineEdit* line, bool offersUndo) : line_(line), offersUndo_(offersUndo) {}

    QWidget* Target() override { return line_; }
    void Undo() override { line_->undo(); }
    void Cut() override { line_->cut(); }
    void Copy() override { line_->copy(); }
    void Paste() override { line_->paste(); }
    void DeleteSelection() override { line_->del(); }
    void SelectAll() override { line_->selectAll(); }
    bool HasSelection() const override { return line_->hasSelectedText(); }
    bool IsEmpty() const override { return line_->text().isEmpty(); }
    bool CanUndo() const override { return line_->isUndoAvailable(); }
    bool OffersUndo() const override { return offersUndo_; }

private:
    QLineEdit* line_;
    bool offersUndo_;
};

// The field side of a one-line text control: it shows the field's text from its beginning and
// stores what is typed.
template <class Line> class TLineField : public Line, public TFieldEditor {
public:
    explicit TLineField(QWidget* parent) : Line(parent) {}

    EditorKind Kind() const override { return EditorKind::SingleLine; }
    QWidget* Widget() override { return this; }
    void Read(const engine::Table& table, int position) override {
        ShowText(text::FieldText(table, position));
    }
    void Write(engine::Table& table, int position) const override {
        WriteText(table, position, this->text());
    }
    bool IsFilled() const override { return !this->text().isEmpty(); }
    void Clear() override { ShowText(QString()); }
    TTextEditing* Editing() override { return &editing_; }

protected:
    // A value wider than the field shows its beginning, not its end.
    void ShowText(const QString& text) {
        this->setText(text);
        this->setCursorPosition(0);
    }

private:
    TLineEditing editing_{this, true};
};

// A single-line text field.
class TTextEdit : public TLineField<QLineEdit> {
    Q_OBJECT
public:
    explicit TTextEdit(QWidget* parent) : TLineField(parent) {}
};

// A single-line field with a button that acts on its text; the hints are its own unless the
// record layout gives the field one.
class TButtonTextEdit : public TLineField<TMyBtnEdit> {
    Q_OBJECT
public:
    TButtonTextEdit(QWidget* parent, const QString& buttonHint, const QString& hint);
};

// A multi-line (memo) field: its lines are stored with CR LF line ends.
class TMemoEdit : public QPlainTextEdit, public TFieldEditor, public TTextEditing {
    Q_OBJECT
public:
    explicit TMemoEdit(QWidget* parent);

    EditorKind Kind() const override { return EditorKind::MultiLine; }
    QWidget* Widget() override { return this; }
    void Read(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    bool IsFilled() const override { return !toPlainText().isEmpty(); }
    void Clear() override { setPlainText(QString()); }
    settings::FontRecord* FontOption(settings::Settings& settings) const override;
    std::optional<EditorColors> Colors() const override;
    void ShowFound(int offset, int length) override;
    TTextEditing* Editing() override { return this; }

    QWidget* Target() override { return this; }
    void Undo() override { undo(); }
    void Cut() override { cut(); }
    void Copy() override { copy(); }
    void Paste() override { paste(); }
    void DeleteSelection() override { textCursor().removeSelectedText(); }
    void SelectAll() override { selectAll(); }
    bool HasSelection() const override { return textCursor().hasSelection(); }
    bool IsEmpty() const override { return document()->isEmpty(); }
    bool CanUndo() const override { return document()->isUndoAvailable(); }
    bool HoldsLines() const override { return true; }
    QString Lines() const override { return toPlainText(); }
    void SetLines(const QString& lines) override { setPlainText(lines); }
};

} // namespace shelfwise::editors
