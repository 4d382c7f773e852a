#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace shelfwise::book {

// "Save Record As Template": a new or existing template name, the existing templates (double
// click takes one's name and its system-date fields; Delete removes one), and one check box
// per date field for the fields that take the system date whenever the template is applied.
class TRecordTemplateForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 100;

    struct DateField {
        int Position; // in the table
        QString Label;
    };

    TRecordTemplateForm(const QStringList& names, std::vector<DateField> dateFields,
                        QWidget* parent);

    // Whether template t stores the system-date marker in the field at that position.
    std::function<bool(int t, int position)> StoresMarker;
    // Deletes template t; true when its name went.
    std::function<bool(int t)> DeleteTemplate;

    QLineEdit* NameEdit() const { return name_; }
    QListWidget* List() const { return list_; }
    QPushButton* DeleteButton() const { return delete_; }
    const std::vector<QCheckBox*>& DateBoxes() const { return boxes_; }

    QString Name() const;
    // The table positions of the checked date fields.
    std::vector<int> CheckedDates() const;

    void accept() override;

private:
    void TakeTemplate(int row);
    void DeleteSelected();

    std::vector<DateField> dateFields_;
    QLineEdit* name_;
    QListWidget* list_;
    QPushButton* delete_;
    std::vector<QCheckBox*> boxes_;
};

} // namespace shelfwise::book
