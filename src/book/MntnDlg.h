#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace shelfwise::db {
class TDatabase;
}
namespace shelfwise::engine {
class Table;
}
namespace shelfwise::settings {
struct Settings;
}

namespace shelfwise::book {

// "Database Maintenance": reindex, delete indexes, pack, empty, delete the filtered records,
// repair, back up and restore the data table, and the maintenance log. What it did comes back
// in the result flags, which the book window acts on once the dialog has closed.
class TMntnDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 28;
    static constexpr int BackupHelpContext = 123;

    TMntnDlg(db::TDatabase& database, settings::Settings& settings, QWidget* parent = nullptr);

    // Opened from the maintenance reminder: the ">>" markers show what is due.
    bool FromReminder = false;
    bool DatabaseChanged = false;
    bool SortReset = false;
    bool ListsChanged = false;

    // The maintenance log, as the creator provides it.
    std::function<void(const QString& database, const QString& description)> AddLogEntry;
    std::function<void()> ShowLog;
    // Whether a record is still in the user's own filter; "&Delete Selected Records" asks it
    // of each record right before deleting it.
    std::function<bool(const engine::Table&)> StillSelected;
    // The checks before a destructive operation; the defaults show their dialogs.
    std::function<bool()> SecurityCheck;
    std::function<bool(const QString& firstLine, const QString& warningLine)> ConfirmByTyping;

    QPushButton* Button(const char* name) const;
    QLabel* Marker(int index) const { return markers_[index]; }
    const QString& DatabaseName() const { return databaseName_; }

    void Reindex();
    void DeleteIndexes();
    void Pack();
    void DeleteAll();
    void DeleteSelected();
    void Repair();
    void Backup();
    void Restore();
    void DisplayLog();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool Confirmed(const QString& firstLine);
    void Log(const QString& description);

    db::TDatabase& database_;
    settings::Settings& settings_;
    QString databaseName_;
    QPushButton* close_;
    QLabel* markers_[3];
};

} // namespace shelfwise::book
