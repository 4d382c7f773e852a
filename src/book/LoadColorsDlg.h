#pragma once

#include "settings/ColorTemplates.h"
#include "settings/Settings.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace shelfwise::book {

// "Load Color Template": the saved colour templates by name. OK takes the selected template's
// colours and writes the template file, with any deletions made meanwhile.
class TLoadColorsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 100;

    TLoadColorsDlg(settings::Settings& settings, QWidget* parent);

    QListWidget* Names() const { return names_; }
    QPushButton* DeleteButton() const { return delete_; }

    void accept() override;

private:
    void DeleteSelected();

    settings::Settings& settings_;
    settings::TColorTemplates templates_;
    QListWidget* names_;
    QPushButton* delete_;
};

// Asks "Save Colors As Template" for a name and saves the current colours under it; a name in
// use is reported and saves nothing. True when saved.
bool SaveColorsAsTemplateDlg(settings::Settings& settings, QWidget* parent);

} // namespace shelfwise::book
