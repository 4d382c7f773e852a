#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QListWidget;
class QPushButton;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

// "Load Labels From Template": the label templates by name. Deleting removes a template and its
// file at once; OK gives the selected template's file. The filter templates use it under their
// own names ("Load Filter Template").
class TLoadLabelsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 100;

    struct Captions {
        const char* Object;
        const char* Title;
        const char* Caption;
    };

    TLoadLabelsDlg(settings::TTemplateList& templates, QWidget* parent);
    TLoadLabelsDlg(settings::TTemplateList& templates, QWidget* parent, Captions captions);

    QListWidget* Names() const { return names_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* DeleteButton() const { return delete_; }

    // The file of the template selected when OK was pressed; nothing when the list is empty.
    const std::optional<std::string>& SelectedFile() const { return selectedFile_; }

    void accept() override;

private:
    void DeleteSelected();

    settings::TTemplateList& templates_;
    QListWidget* names_;
    QPushButton* ok_;
    QPushButton* delete_;
    std::optional<std::string> selectedFile_;
};

} // namespace shelfwise::book
