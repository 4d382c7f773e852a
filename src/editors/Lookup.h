#pragma once

#include "db/LookupList.h"
#include "editors/TextEdit.h"

#include <QComboBox>
#include <optional>

namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::editors {

// A list table's items as a list field shows them: sorted without regard to case.
QStringList SortedChoices(const std::vector<std::string>& items);

// A list field: a drop-down list of the choices kept in a lookup table of the database
// directory. A typed value the list lacks joins it when the field is left; with the AutoFill
// option, typing completes the text from the list.
class TLookup : public QComboBox, public TFieldEditor {
    Q_OBJECT
public:
    TLookup(const QString& source, QWidget* parent);
    ~TLookup() override;

    // The lookup table's file name, such as "list1.dbf".
    const QString& Source() const { return source_; }
    // Another list field on the same table: it reloads its choices whenever this one adds.
    TLookup* Twin() const { return twin_; }
    void SetTwin(TLookup* twin) { twin_ = twin; }
    // Kept for the record layout's sake; asking before adding a value is not done.
    bool AskUser() const { return askUser_; }
    void SetAskUser(bool askUser) { askUser_ = askUser; }

    // Ties the field to its table in the settings' database directory (made from the template
    // when missing, its index rebuilt by the database when damaged) and loads the choices.
    void OpenList(db::TDatabase& database, const settings::Settings& settings) override;
    // Reloads the choices; the typed text stays.
    void LoadItems();
    // Adds the text to the choices and to the table.
    void AddCurrentText();

    EditorKind Kind() const override { return EditorKind::Lookup; }
    QWidget* Widget() override { return this; }
    void Read(const engine::Table& table, int position) override;
    void Write(engine::Table& table, int position) const override;
    // A typed value the list lacks joins it.
    bool Settle() override;
    bool IsFilled() const override { return !currentText().isEmpty(); }
    void Clear() override { ShowText(QString()); }
    void ReloadList() override { LoadItems(); }
    TTextEditing* Editing() override { return &*editing_; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddWhenNew();
    bool AutoFill(const QString& typed);
    // A value wider than the field shows its beginning, not its end.
    void ShowText(const QString& text);

    QString source_;
    TLookup* twin_ = nullptr;
    bool askUser_ = true;
    const settings::Settings* settings_ = nullptr;
    std::optional<db::TLookupList> list_;
    std::optional<TLineEditing> editing_;
};

} // namespace shelfwise::editors
