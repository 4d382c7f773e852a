#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace shelfwise::book {

// "Edit Database Information": the name and description of a database of the catalogue and
// its file name, which cannot be changed. A database still to be made has no file name yet
// and the dialog is captioned "Create New Database".
class TEditDbDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 81;
    static constexpr int MaxDescriptionLength = 250;

    explicit TEditDbDlg(QWidget* parent = nullptr);

    void SetFields(const std::string& name, const std::string& description,
                   const std::string& fileName);
    std::string Name() const;
    std::string Description() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* DescriptionEdit() const { return description_; }
    QLineEdit* FileNameEdit() const { return fileName_; }
    QPushButton* OkButton() const { return ok_; }

private:
    QLineEdit* name_;
    QLineEdit* description_;
    QLineEdit* fileName_;
    QPushButton* ok_;
};

} // namespace shelfwise::book
