#pragma once

#include "db/MaintenanceLog.h"

#include <QDialog>
#include <filesystem>

class QPushButton;
class QTreeWidget;

namespace shelfwise::book {

// "Maintenance Log": what the maintenance operations did, one row an entry. The window lives
// from start-up to the program's end, which saves the log; it is shown modally when asked for.
class TLogForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 131;

    // Loads "log.dat" of the data directory; a damaged file is reported and set aside.
    explicit TLogForm(const std::filesystem::path& dataDir, QWidget* parent = nullptr);
    // Saves the log.
    ~TLogForm() override;

    // Stamps the entry with the current date and time and saves the log.
    void AddLogEntry(const QString& database, const QString& description);
    // Shows the window modally, then hides it.
    void ShowLog();

    const db::TMaintenanceLog& Log() const { return log_; }
    QTreeWidget* List() const { return list_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* ClearButton() const { return clear_; }

private:
    void Save();
    void Refill();
    void DeleteSelected();
    void ClearAll();

    db::TMaintenanceLog log_;
    QTreeWidget* list_;
    QPushButton* delete_;
    QPushButton* clear_;
};

} // namespace shelfwise::book
