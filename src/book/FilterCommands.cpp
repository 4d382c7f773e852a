#include "book/FilterCommands.h"

#include "book/CommandRegistry.h"
#include "book/LoadLabelsDlg.h"
#include "book/Navigator.h"
#include "book/RecordPage.h"
#include "book/SortButton.h"
#include "book/SortCommands.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "editors/Lookup.h"
#include "engine/EngineError.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "search/FilterDlg.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"
#include "settings/TemplateList.h"
#include "text/WindowsText.h"

#include <QAction>
#include <QMenu>
#include <string>

namespace shelfwise::book {

TFilterCommands::TFilterCommands(TFilterParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), contents_(filter_, &parts_.Database.DataTable) {
    db::TDatabase& database = parts_.Database;
    filter_.SetDateFormat(static_cast<int>(parts_.Options.FilterDateFormat));
    filter_.AttachTo(database.DataTable);
    filter_.AttachTo(parts_.RecordPage.EditCursor().Table());
    database.LoadFilter = [this] { LoadFilter(); };
    database.ClearFilter = [this] { filter_.Clear(); };
    parts_.Commands.Define(QStringLiteral("Filter"), {"B_Filter", "Filter1"},
                           [this] { ShowFilter(); });
    TSortButton& button = parts_.SortButton;
    connect(&button, &TSortButton::FilterClicked, this, &TFilterCommands::ShowFilter);
    button.SetFilterSource([this] { return filter_.HasDefined(); });
    button.OnQuickFilter = [this] {
        if (parts_.RecordPage.SettleRecord()) {
            ApplyFilter();
        }
    };
    connect(button.FilterMenu(), &QMenu::aboutToShow, this, &TFilterCommands::FillTemplateMenus);
    connect(button.FilterMenu()->findChild<QAction*>(QStringLiteral("SaveFilterTemplate1")),
            &QAction::triggered, this,
            [this] { search::SaveFilterTemplate(templates_, &parts_.Window); });
}

void TFilterCommands::SetTemplates(settings::TTemplateList* templates) {
    if (templates_ != nullptr) {
        templates_->SetContents(nullptr);
    }
    templates_ = templates;
    if (templates_ != nullptr) {
        templates_->SetContents(&contents_);
    }
}

std::filesystem::path TFilterCommands::FilterFile() const {
    return parts_.Options.DataDir / search::FilterFileName;
}

void TFilterCommands::LoadFilter() {
    if (!filter_.LoadFromFile(FilterFile(), &parts_.Database.DataTable)) {
        filter_.Clear();
    }
}

bool TFilterCommands::SaveFilter() {
    if (filter_.SaveToFile(FilterFile())) {
        return true;
    }
    platform::ShowError("Error Saving Filter to a file.");
    return false;
}

void TFilterCommands::FillTemplateMenus() {
    QMenu* menu = parts_.SortButton.FilterMenu();
    auto* load = menu->findChild<QMenu*>(QStringLiteral("LoadFilterTemplate1"));
    auto* remove = menu->findChild<QMenu*>(QStringLiteral("DeleteFilterTemplate1"));
    load->clear();
    remove->clear();
    const std::size_t count = templates_ != nullptr ? templates_->Count() : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const QString name = text::FromWindowsText(templates_->TemplateAt(i).Name);
        connect(load->addAction(name), &QAction::triggered, this, [this, i] { QuickFilter(i); });
        connect(remove->addAction(name), &QAction::triggered, this,
                [this, i] { templates_->DeleteTemplate(i); });
    }
    load->setEnabled(count > 0);
    remove->setEnabled(count > 0);
}

std::optional<std::vector<std::string>> TFilterCommands::ListChoices(int position) const {
    const auto index = static_cast<std::size_t>(position - db::FirstDataField);
    const auto* list = index < parts_.Editors.size()
                           ? dynamic_cast<editors::TLookup*>(parts_.Editors[index])
                           : nullptr;
    if (list == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> choices;
    for (int i = 0; i < list->count(); ++i) {
        choices.push_back(text::ToWindowsText(list->itemText(i)));
    }
    return choices;
}

void TFilterCommands::QuickFilter(std::size_t index) {
    if (templates_ == nullptr || index >= templates_->Count() ||
        !templates_->LoadTemplate(templates_->TemplateAt(index).Name)) {
        platform::ShowError("Error Loading Template.");
        return;
    }
    SaveFilter();
    parts_.SortButton.OnQuickFilter();
}

void TFilterCommands::ShowFilter() {
    if (!parts_.RecordPage.SettleRecord()) {
        return;
    }
    settings::Settings& settings = parts_.Options;
    db::TDatabase& database = parts_.Database;
    TSortButton& button = parts_.SortButton;
    settings::TTemplateList none(settings::FilterTemplates, settings.DataDir);
    settings::TTemplateList& templates = templates_ != nullptr ? *templates_ : none;
    int dateFormat = static_cast<int>(settings.FilterDateFormat);
    search::TFilterDlg dialog(filter_, database.DataTable, database.Fields, settings.FieldLabels,
                              templates, button.Filter(), dateFormat, &parts_.Window);
    dialog.ChooseTemplate = [&templates](QWidget* parent) -> std::optional<std::string> {
        TLoadLabelsDlg choose(templates, parent,
                              {"LoadFiltersDlg", "Load Filter Template", "Filter Templates:"});
        if (platform::RunModal(choose) != QDialog::Accepted) {
            return std::nullopt;
        }
        return choose.SelectedFile();
    };
    dialog.LookupValues = [this](int position) { return ListChoices(position); };
    const int result = platform::RunModal(dialog);
    if (dateFormat != static_cast<int>(settings.FilterDateFormat)) {
        settings.FilterDateFormat = static_cast<settings::opt::FilterDateFormat>(dateFormat);
        settings::SaveUiOptions(settings);
    }
    // Saved at once, so neither a crash nor a re-open of the database loses the change.
    SaveFilter();
    if (result == search::TFilterDlg::Applied) {
        ApplyFilter();
    } else if (dialog.Scope() != button.Filter()) {
        button.SetFilterState(dialog.Scope());
        ShowScope();
    }
    parts_.Navigator.FocusCurrentRow();
}

void TFilterCommands::ApplyFilter() {
    // The edit cursor's lock on the shown record would keep that record from being marked.
    parts_.RecordPage.EditCursor().Close();
    db::TDatabase& database = parts_.Database;
    search::TApplyResult result;
    {
        search::TApplyFilterDlg progress(&parts_.Window);
        progress.show();
        try {
            result = filter_.ApplyToAll(
                database.DataTable, [&progress](int percent) { return progress.Step(percent); });
        } catch (const engine::EngineError& error) {
            db::LogFailure(database.DataTable, error);
            platform::ShowError("Could not Apply the Filter!");
        }
    }
    if (result.Skipped > 0) {
        platform::ShowWarning(std::to_string(result.Skipped) +
                              " record(s) in use by another user could not be marked.");
    }
    parts_.SortButton.SetFilterState(db::FilterState::fsNormal);
    ShowScope();
}

void TFilterCommands::ShowScope() {
    parts_.SortCommands.ReopenRecordList();
    parts_.RecordPage.Restart();
}

} // namespace shelfwise::book
