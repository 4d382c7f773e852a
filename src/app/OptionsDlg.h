#pragma once

#include "book/FieldLabelList.h"
#include "settings/ModemEntries.h"
#include "settings/Settings.h"

#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace shelfwise::settings {
class TTemplateList;
}
namespace shelfwise::book {
class TColorGrid;
}
namespace shelfwise::editors {
class TDirEdit;
}

namespace shelfwise::app {

// "Options": every option on eight pages. Colours and date formats change at once; everything
// else is taken over by "&Close", which is the only way out (Escape and the close box close the
// same way). The options files are written then, so nothing waits for the program's end.
class TOptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 29;
    static constexpr int PageCount = 8;
    // Pages from "Security" on are the supervisor's.
    static constexpr int FirstSupervisorPage = 6;

    // `labelTemplates` may be null: loading and saving label templates then do nothing.
    TOptionsDlg(settings::Settings& settings, settings::TTemplateList* labelTemplates,
                QWidget* parent = nullptr);

    // Whether the element colours differ from those at creation.
    bool ColorsChanged() const { return settings_.Colors != originalColors_; }

    QTabWidget* Pages() const { return pages_; }
    // A radio group by its option's name ("MenusAndSpeedBars", "ComPort", ...).
    QButtonGroup* Group(const char* name) const;

    // Takes every choice over in the fixed order, writes the files and closes.
    void Close();
    void reject() override;

private:
    QWidget* UserInterfacePage();
    QWidget* ModemPage();
    QWidget* DataPage();
    QWidget* DatePage();
    QWidget* ColorsPage();
    QWidget* FontsPage();
    QWidget* SecurityPage();
    QWidget* UsersPage();
    QButtonGroup* AddGroup(QWidget* page, const char* name, const char* caption,
                           std::initializer_list<const char*> choices, int checked,
                           bool columns = false);
    int LastPage() const;
    void PageChanged(int page);
    void UpdatePaging();
    void ModemChosen(int index);
    void ChangeLabel();
    void LoadLabels();
    void SaveLabels();
    void ShowLabels();
    void DateFieldChosen(int row);
    void ShowComponentFont();
    void ChangeFont();
    void UserCountChosen(int id);
    void LoadColors();

    settings::Settings& settings_;
    settings::TTemplateList* labelTemplates_;
    settings::ElementColors originalColors_;
    settings::TModemEntries modems_;
    // The labels being edited, in a settings object of their own so the label rules and label
    // templates work on them and not on the labels in force.
    settings::Settings labelsWork_;
    book::TFieldLabelList labelsWorkList_{labelsWork_};
    std::array<settings::FontRecord, 3> fonts_;
    int shownPage_ = 0;

    QTabWidget* pages_;
    QPushButton* previous_;
    QPushButton* next_;
    QCheckBox* showTips_;
    QCheckBox* autoFill_;
    QCheckBox* dontShowReminders_;
    QCheckBox* showTrayIcon_;
    QComboBox* modem_;
    QLineEdit* modemConfig_;
    QLineEdit* modemInit_;
    QLineEdit* modemHangup_;
    QLineEdit* newLabel_;
    QListWidget* labels_;
    QListWidget* dateFields_;
    QListWidget* elements_;
    book::TColorGrid* grid_;
    QLineEdit* fontName_;
    QLineEdit* fontStyle_;
    QLineEdit* fontSize_;
    editors::TDirEdit* dataRoot_;
    QPushButton* userAccounts_;
};

// The words of a font's style: "Bold ", "Italic ", "Underline ", "Strikeout" joined, or
// "Regular".
QString FontStyleText(const settings::FontRecord& font);

} // namespace shelfwise::app
