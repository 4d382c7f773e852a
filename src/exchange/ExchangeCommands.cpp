#include "exchange/ExchangeCommands.h"

#include "db/Database.h"
#include "exchange/DbfExchange.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/TextExchange.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/WindowsText.h"

#include <QFileDialog>

namespace shelfwise::exchange {

namespace {

std::vector<FieldChoice> Offered(db::TDatabase& database, const settings::Settings& settings) {
    std::vector<FieldChoice> choices;
    const engine::Table& table = database.DataTable;
    for (const int position : ExchangeFields(database.Fields, table.fieldCount())) {
        const auto label = static_cast<std::size_t>(position - db::FirstDataField);
        choices.emplace_back(position, label < settings.FieldLabels.size()
                                           ? text::FromWindowsText(settings.FieldLabels[label])
                                           : QString::fromStdString(table.field(position).name));
    }
    return choices;
}

// The options dialog; false unless closed with OK. The options are taken however it closes.
bool ChooseOptions(QWidget* parent, bool exporting, db::TDatabase& database,
                   const settings::Settings& settings, TExchangeOptions& options) {
    TExpImpDlg dialog(exporting, Offered(database, settings), options, parent);
    const bool ok = platform::RunModal(dialog) == QDialog::Accepted;
    options = dialog.Options();
    return ok;
}

QString ChooseTextFile(QWidget* parent, bool exporting) {
    QFileDialog dialog(parent,
                       exporting ? QStringLiteral("Enter/Select Export File Name")
                                 : QStringLiteral("Enter/Select Import File Name"),
                       QString(), QStringLiteral("Text files (*.TXT *.txt)"));
    // Export asks before it replaces a file.
    dialog.setAcceptMode(exporting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(exporting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (platform::RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

std::string ChooseDbfName(QWidget* parent, bool exporting, const settings::Settings& settings) {
    std::error_code ignored;
    std::filesystem::create_directories(ExchangeDir(settings), ignored);
    TSelectFileDlg dialog(exporting, ExchangeDir(settings), parent);
    if (platform::RunModal(dialog) != QDialog::Accepted) {
        return {};
    }
    return dialog.FileName().trimmed().toStdString();
}

} // namespace

void RunExport(QWidget* parent, db::TDatabase& database, const settings::Settings& settings,
               TExchangeOptions& options) {
    TImportSourceDlg target(true, parent);
    if (platform::RunModal(target) != QDialog::Accepted) {
        return;
    }
    if (target.Chosen() == TImportSourceDlg::DbfFile) {
        const std::string name = ChooseDbfName(parent, true, settings);
        if (!name.empty()) {
            TExchangeProgressDlg progress(parent);
            progress.show();
            ExportDbf(database, settings, name, &progress);
        }
        return;
    }
    if (!ChooseOptions(parent, true, database, settings, options)) {
        return;
    }
    const QString path = ChooseTextFile(parent, true);
    if (path.isEmpty()) {
        return;
    }
    TExchangeProgressDlg progress(parent);
    progress.show();
    const TTextExportResult result = ExportText(database, settings, options, path, &progress);
    progress.hide();
    if (!result.Error.isEmpty()) {
        platform::ShowError("Could Not Create A File For Export!!!\r" + path.toStdString() + "\r" +
                            result.Error.toStdString());
    }
}

bool RunImport(QWidget* parent, db::TDatabase& database, const settings::Settings& settings,
               TExchangeOptions& options) {
    TImportSourceDlg source(false, parent);
    if (platform::RunModal(source) != QDialog::Accepted) {
        return false;
    }
    if (source.Chosen() == TImportSourceDlg::DbfFile) {
        const std::string name = ChooseDbfName(parent, false, settings);
        if (name.empty()) {
            return false;
        }
        TExchangeProgressDlg progress(parent);
        progress.show();
        return ImportDbf(database, settings, name, &progress).Opened;
    }
    if (!ChooseOptions(parent, false, database, settings, options)) {
        return false;
    }
    const QString path = ChooseTextFile(parent, false);
    if (path.isEmpty()) {
        return false;
    }
    TExchangeProgressDlg progress(parent);
    progress.show();
    const TImportResult result = ImportText(database, settings, options, path, &progress);
    progress.hide();
    if (!result.Opened && !result.Error.isEmpty()) {
        platform::ShowError("File Could Not Be Open!!!\r" + path.toStdString());
        return false;
    }
    if (const std::string report = ImportReport(result); !report.empty()) {
        platform::ShowWarning(report);
    }
    return result.Opened;
}

} // namespace shelfwise::exchange
