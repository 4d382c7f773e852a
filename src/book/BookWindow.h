#pragma once

#include "book/BookMenus.h"
#include "book/CommandRegistry.h"
#include "db/Database.h"
#include "editors/FieldEditor.h"
#include "settings/Settings.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QLabel;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

class TBookFrame;
class TFilterCommands;
class TLabelMenu;
class TLeftPage;
class TLetterBar;
class TLetterTabColours;
class TNavigator;
class TRecordCommands;
class TRecordFields;
class TRecordPage;
class TRightPage;
class TSortCommands;
class TSpeedBar;
class TSplitter;
class TTemplateCommands;
class TViewOptionsMenu;

// The book window as a frame (the generic window; the concrete record layout derives from
// it): the speed bar, the left page with the list, the letter bar, the right page with the
// record pages, and the splitter between the pages, all placed by the layout pass at every
// size. It makes the parts that do the work (the record's fields and page, the navigator, the
// sort, record, find and exchange commands, the label menu) and wires each to the pieces of
// the window it needs. It keeps the window placement in "wnd.dat" and the record tab order in
// the data file's ".tab" file.
class TBookWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignedWidth = 638;
    static constexpr int DesignedHeight = 519;
    static constexpr int MinWidth = 400;
    static constexpr int MinHeight = 300;
    static constexpr int HelpContext = 1;

    ~TBookWindow() override;

    // Counts the records of every letter, recolours the tabs and shows letter "A" (the index
    // manager calls it whenever it re-opens the record table).
    void RecountLetters();
    // Stores the shown record for a command; it stays shown and open for more typing, which
    // the next move stores again.
    bool CommitRecord();
    void SetLabelTemplates(settings::TTemplateList* templates);
    // The "Load Database" command: the dialog, then the chosen database in place of the open
    // one.
    void LoadDatabaseCommand();
    // The "Maintenance" command: the maintenance dialog on the open database, which is opened
    // again afterwards when the dialog changed it. From the reminder the due operations are
    // marked.
    void MaintenanceCommand(bool fromReminder = false);
    // The maintenance log, which the program keeps.
    std::function<void(const QString& database, const QString& description)> AddLogEntry;
    std::function<void()> ShowLog;

    // Paints every element from the element colours.
    void ApplyColors();
    // Applies the three font options to the rows and the field editors.
    void ApplyFonts();
    // Applies MenusAndSpeedBars and HintMessages, then places the panels.
    void ApplyMenuMode();

    // The window never closes itself: a close asks this handler (start-up decides).
    void SetCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }

    db::TDatabase& Database() { return database_; }
    TBookMenus& Menus() { return menus_; }
    TCommandRegistry& Commands() { return commands_; }
    TViewOptionsMenu* ViewOptions() const { return viewOptions_; }
    TSpeedBar* SpeedBar() const { return speedBar_; }
    TLeftPage* LeftPage() const { return leftPage_; }
    TLetterBar* LetterBar() const { return letterBar_; }
    TRightPage* RightPage() const { return rightPage_; }
    TSplitter* Splitter() const { return splitter_; }
    TBookFrame* Frame() const { return frame_; }
    TRecordFields* Fields() const { return fields_; }
    TRecordPage* RecordPage() const { return recordPage_; }
    TRecordCommands* RecordCommands() const { return recordCommands_; }
    TNavigator* Navigator() const { return navigator_; }
    TSortCommands* SortCommands() const { return sortCommands_; }
    TLabelMenu* LabelMenu() const { return labelMenu_; }
    TTemplateCommands* TemplateCommands() const { return templateCommands_; }

protected:
    explicit TBookWindow(settings::Settings& settings);

    // The label and editor of the next field, before CompleteCreation.
    void AddField(QLabel* label, editors::TFieldEditor* editor);

    // Runs the creation sequence once the concrete window has put its fields on the record
    // pages, and shows the window.
    void CompleteCreation();

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Tab and Shift+Tab walk the field editors in field order across the record pages.
    bool focusNextPrevChild(bool next) override;

private:
    // Opens the database of the settings and shows its name in the caption; a database that
    // cannot be opened makes the window ask to be closed.
    void OpenBook();
    // Editors enabled, or disabled and grey while the record is read-only or in use.
    void UpdateRecordCommands();
    void ShowRecordState();
    void ConnectCommands();
    void ApplyHints();
    void RefreshLabels();
    // Closes the open database and opens `fileName` in DatabaseDir; `openDir` is the directory
    // of the database open so far. Nothing happens when that is the same database.
    void LoadDatabase(const std::string& fileName, const std::filesystem::path& openDir);
    void EditRowColors();
    void ChooseRowFont();
    // "wnd.dat": the window's geometry and the right page width; returns the width read (0 when
    // nothing or a maximized window was read).
    int ReadWindowPlacement();
    void WriteWindowPlacement();
    // The record tab order file of the open data file.
    void ReadTabOrder();
    void WriteTabOrder();

    settings::Settings& settings_;
    db::TDatabase database_;
    TCommandRegistry commands_;
    TBookMenus menus_;
    TViewOptionsMenu* viewOptions_;
    QWidget* client_;
    TSpeedBar* speedBar_;
    TLeftPage* leftPage_;
    TLetterBar* letterBar_;
    TRightPage* rightPage_;
    TSplitter* splitter_;
    QObject* hintSwitch_;
    TBookFrame* frame_;
    TRecordFields* fields_;
    TRecordPage* recordPage_ = nullptr;
    TRecordCommands* recordCommands_ = nullptr;
    std::unique_ptr<TLetterTabColours> letterTabColours_;
    TNavigator* navigator_ = nullptr;
    TSortCommands* sortCommands_ = nullptr;
    TFilterCommands* filterCommands_ = nullptr;
    TLabelMenu* labelMenu_ = nullptr;
    TTemplateCommands* templateCommands_ = nullptr;
    std::function<void()> closeHandler_;
};

} // namespace shelfwise::book
