#pragma once

#include "book/BookMenus.h"
#include "book/CommandRegistry.h"
#include "book/EditorLayout.h"
#include "book/LetterTabStack.h"
#include "db/Database.h"
#include "editors/FieldEditor.h"
#include "settings/Settings.h"

#include <QSize>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;

namespace shelfwise::settings {
class TTemplateList;
}

namespace shelfwise::book {

class TLeftPage;
class TLetterBar;
class TLetterTabColours;
class TNavigator;
class TSortCommands;
class TEditMenu;
class TLabelMenu;
class TPanel;
class TRecordCommands;
class TRecordPage;
class TRightPage;
class TSpeedBar;
class TSplitter;
class TViewOptionsMenu;

// The book window as a frame (the generic window; the concrete record layout derives from
// it): the speed bar, the left page with the list, the letter bar, the right page with the
// record pages, and the splitter between the pages, all placed by the layout pass at every
// size. It keeps the window placement in "wnd.dat" and the record tab order in the data file's
// ".tab" file.
class TBookWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignedWidth = 638;
    static constexpr int DesignedHeight = 519;
    static constexpr int MinWidth = 400;
    static constexpr int MinHeight = 300;
    static constexpr int HelpContext = 1;

    ~TBookWindow() override;

    // Opens the database of the settings and shows its name in the caption; a database that
    // cannot be opened makes the window ask to be closed.
    void OpenBook();
    // Counts the records of every letter, recolours the tabs and shows letter "A" (the index
    // manager calls it whenever it re-opens the record table).
    void RecountLetters();
    // Letter tabs on: every tab enabled and coloured by its count; off: every tab disabled.
    void ResetLetterTabs();
    // Opens the edit cursor again and shows the first record of the range.
    void RestartBook();

    // Each date editor's display format from its entry of the date format list; an entry
    // that is no known format leaves the editor's format.
    void ApplyDateFormats();
    // A date editor's new display format (a format number): its entry of the date format list
    // takes it, "date.dat" is saved and the list shows the field's dates in it.
    void ChangeDateFormat(const editors::TFieldEditor* editor, int format);
    // Every list field reloads its choices from its table.
    void RefreshLookups();
    // Editors enabled, or disabled and grey while the record is read-only or in use.
    void UpdateRecordCommands();
    // Shows the record at that position (from 0) of the record table's range.
    void ShowRecordAt(int position);
    // Stores the shown record for a command; it stays shown and open for more typing, which
    // the next move stores again.
    bool CommitRecord();
    // Shows a Find hit: the field's page, the focus and a red highlight until the next redraw;
    // in a multi-line editor the matched characters are selected.
    void FocusFoundField(int position, int offset, int length);
    QWidget* HighlightedEditor() const { return highlighted_; }
    TEditMenu* TextEditMenu() const { return textMenu_; }
    TEditMenu* ListEditMenu() const { return listMenu_; }
    TLabelMenu* LabelMenu() const { return labelMenu_; }
    void SetLabelTemplates(settings::TTemplateList* templates);
    // The "Load Database" command: the dialog, then the chosen database in place of the open
    // one.
    void LoadDatabaseCommand();
    // Refills the rows of the left page from PageStart and marks the shown record's row.
    void RedrawPage();
    int PageStart() const { return pageStart_; }
    void SetPageStart(int start) { pageStart_ = start; }
    int CurrentRow() const { return currentRow_; }
    // The letter whose range the record table shows while the letter tabs are in use.
    char CurrentLetter() const;
    void SetPageRedrawAllowed(bool allowed) { pageRedrawAllowed_ = allowed; }

    // Stretches the editors by the right page's change in size; false while the window is not
    // shown (nothing was stretched, so the change is still to come).
    bool LayoutEditors(int dx, int dy);

    // The full layout pass.
    void LayoutWindow();
    // Places the speed bar, the pages, the letter bar and the splitter.
    void PlacePanels();
    // Applies MenusAndSpeedBars and HintMessages, then places the panels.
    void ApplyMenuMode();
    // Paints every element from the element colours.
    void ApplyColors();
    // Applies the three font options to the rows and the field editors.
    void ApplyFonts();

    // "wnd.dat": the window's geometry and the right page width; returns the width read (0 when
    // nothing or a maximized window was read).
    int ReadWindowPlacement();
    void WriteWindowPlacement();
    // The record tab order file of the open data file.
    void ReadTabOrder();
    void WriteTabOrder();

    bool ShowLetters() const { return showLetters_; }
    void SetShowLetters(bool show);

    // The window never closes itself: a close asks this handler (start-up decides).
    void SetCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }

    settings::Settings& Settings() { return settings_; }
    db::TDatabase& Database() { return database_; }
    TBookMenus& Menus() { return menus_; }
    TCommandRegistry& Commands() { return commands_; }
    TViewOptionsMenu* ViewOptions() const { return viewOptions_; }
    TSpeedBar* SpeedBar() const { return speedBar_; }
    TLeftPage* LeftPage() const { return leftPage_; }
    TLetterBar* LetterBar() const { return letterBar_; }
    TRightPage* RightPage() const { return rightPage_; }
    TSplitter* Splitter() const { return splitter_; }
    QWidget* ClientArea() const { return client_; }
    // The field editors in field order: the first shows field 1.
    const std::vector<editors::TFieldEditor*>& FieldEditors() const { return fieldEditors_; }
    const std::vector<QLabel*>& FieldLabels() const { return fieldLabels_; }
    // The date editors in field order, each tied to its line of the date format list.
    const std::vector<editors::TFieldEditor*>& DateEditors() const { return dateEditors_; }
    TRecordPage* RecordPage() const { return recordPage_; }
    TRecordCommands* RecordCommands() const { return recordCommands_; }
    // The record page (tab) that holds the editor.
    int PageOf(const QWidget* editor) const;
    TNavigator* Navigator() const { return navigator_; }
    TSortCommands* SortCommands() const { return sortCommands_; }
    int MinRightPageWidth() const { return minRightPageWidth_; }

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
    void BuildFieldLists();
    // Each list field on its list table in the database directory.
    void OpenLookupLists();
    void ShowRecordState();
    void AttachEditMenus();
    std::vector<LayoutItem> EditorItems() const;
    void PlaceEditors(const std::vector<LayoutItem>& items);
    void ChooseFieldFont(editors::TFieldEditor* editor);
    void EditFieldColors(editors::TFieldEditor* editor);
    int EditorIndexOf(const QWidget* widget) const;
    bool IsTabStop(const editors::TFieldEditor& editor) const;
    void ConnectCommands();
    void PopupViewOptions(const QPoint& at);
    void MoveSplitter(int distance);
    void ApplyHints();
    void RefreshLabels();
    // Closes the open database and opens `fileName` in DatabaseDir; `openDir` is the directory
    // of the database open so far. Nothing happens when that is the same database.
    void LoadDatabase(const std::string& fileName, const std::filesystem::path& openDir);
    int MenuHeight() const;
    QSize ClientSize() const;
    void EditRowColors();
    void ChooseRowFont();

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

    bool showLetters_ = true;
    bool layoutSuspended_ = true;
    QSize previousRightPageSize_{-1, -1};
    int minRightPageWidth_ = 280;
    std::vector<editors::TFieldEditor*> fieldEditors_;
    std::vector<QLabel*> fieldLabels_;
    std::vector<editors::TFieldEditor*> dateEditors_;
    TRecordPage* recordPage_ = nullptr;
    TRecordCommands* recordCommands_ = nullptr;
    std::unique_ptr<TLetterTabColours> letterTabColours_;
    TNavigator* navigator_ = nullptr;
    TSortCommands* sortCommands_ = nullptr;
    TEditMenu* textMenu_ = nullptr;
    TEditMenu* listMenu_ = nullptr;
    TLabelMenu* labelMenu_ = nullptr;
    QWidget* highlighted_ = nullptr;
    int pageStart_ = 0;
    int currentRow_ = -1;
    int previousRow_ = -1;
    bool pageRedrawAllowed_ = true;
    std::function<void()> closeHandler_;
};

} // namespace shelfwise::book
