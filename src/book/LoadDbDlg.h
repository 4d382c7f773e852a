#pragma once

#include "db/DatabaseCatalogue.h"

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace shelfwise::db {
class TDatabase;
}
namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "Load Database": the databases of the private or the public database directory. It makes,
// describes and deletes databases and gives the one to load; DatabaseDir follows the chosen
// directory, and goes back to where it was unless a database is loaded.
class TLoadDbDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 81;
    enum DatabaseType { Private = 0, Public = 1 };

    TLoadDbDlg(db::TDatabase& database, settings::Settings& settings, QWidget* parent);
    ~TLoadDbDlg() override;

    // Asked before a database is deleted (the login's security check); none set lets it pass.
    std::function<bool()> SecurityCheck;

    // The file of the database to load; empty until Load found one.
    const std::string& ChosenFile() const { return chosenFile_; }
    DatabaseType Type() const;
    void SetType(DatabaseType type);
    // The file names beside the list's names, in the same order.
    const std::vector<std::string>& FileNames() const { return fileNames_; }

    QListWidget* Databases() const { return databases_; }
    QGroupBox* TypeGroup() const { return typeGroup_; }
    QLineEdit* RealFileName() const { return realFileName_; }
    QPushButton* LoadButton() const { return load_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* NewButton() const { return new_; }
    QPushButton* DeleteButton() const { return delete_; }

    void accept() override;
    void reject() override;

private:
    void NewDatabase();
    void EditDatabase();
    void DeleteDatabase();
    void TypeChanged();
    void Refill();
    void UpdateButtons();
    void SelectRow(int row);
    void ShowSelection();

    db::TDatabase& database_;
    settings::Settings& settings_;
    db::TDatabaseCatalogue catalogue_;
    std::filesystem::path startingDir_;
    std::string chosenFile_;
    std::vector<std::string> fileNames_;
    QListWidget* databases_;
    QGroupBox* typeGroup_;
    QButtonGroup* types_;
    QLineEdit* realFileName_;
    QPushButton* load_;
    QPushButton* edit_;
    QPushButton* new_;
    QPushButton* delete_;
};

} // namespace shelfwise::book
