#include "book/TemplateCommands.h"

#include "book/CommandRegistry.h"
#include "book/RecordPage.h"
#include "book/RecordTemplateForm.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "editors/DateEdit.h"
#include "engine/EngineError.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"
#include "text/WindowsText.h"

#include <QMenu>
#include <QToolButton>

namespace shelfwise::book {

namespace {

// A menu shows '&' as a mnemonic unless doubled.
QString MenuText(const QString& name) {
    return QString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString Blank() {
    return QString::fromLatin1(db::BlankTemplate);
}

} // namespace

TTemplateCommands::TTemplateCommands(const TTemplateParts& parts, QObject* parent)
    : QObject(parent), parts_(parts), templates_(parts.Database, parts.Settings) {
    templates_.Load();
    chooserMenu_ = new QMenu(&parts_.Window);
    chooserMenu_->setObjectName(QStringLiteral("TemplateChooserMenu"));
    TCommandRegistry& commands = parts_.Commands;
    commands.Define(QStringLiteral("ChooseTemplate"), {"TemplateBtn"},
                    [this] { chooserMenu_->popup(parts_.Chooser.mapToGlobal(QPoint(10, 10))); });
    commands.Define(QStringLiteral("SaveRecordToTemplate"),
                    {"SaveRecordToTemplate1", "SaveRecordToTemplate3"},
                    [this] { SaveRecordToTemplate(); });
    for (QMenu* menu : {&parts_.RightPageMenu, &parts_.TemplateMenu}) {
        connect(menu, &QMenu::aboutToShow, this, &TTemplateCommands::RebuildTemplateMenus);
    }
    RebuildTemplateMenus();
}

bool TTemplateCommands::RecordEditable() const {
    return !settings::ReadOnlyAccess(parts_.Settings) && !parts_.RecordPage.RecordInUse();
}

void TTemplateCommands::RebuildTemplateMenus() {
    QStringList names;
    for (const std::string& name : templates_.Names()) {
        names.push_back(text::FromWindowsText(name));
    }
    chooserMenu_->clear();
    chooserMenu_->addAction(QStringLiteral("Templates For Adding New Records:"))->setEnabled(false);
    for (const QString& name : QStringList{Blank()} + names) {
        chooserMenu_->addAction(MenuText(name), this,
                                [this, name] { parts_.Chooser.setText(name); });
    }
    for (const char* submenu : {"LoadRecordFromTemplate1", "LoadFromTemplate1"}) {
        QAction* item = parts_.Commands.Item(QString::fromLatin1(submenu));
        QMenu* menu = item->menu();
        menu->clear();
        for (const QString& name : QStringList{Blank()} + names) {
            menu->addAction(MenuText(name), this, [this, name] { ApplyTemplate(name); });
        }
        item->setEnabled(RecordEditable());
    }
}

bool TTemplateCommands::FillFromTemplate() {
    TRecordPage& page = parts_.RecordPage;
    const engine::Table& copy = parts_.Database.CopyTable;
    if (!page.MemosReadable(copy)) {
        return false;
    }
    page.FillingFromTemplate = true;
    const bool filled = page.FillEditors(copy);
    page.FillingFromTemplate = false;
    return filled;
}

void TTemplateCommands::DatabaseOpened() {
    templates_.Load();
    if (templates_.Find(text::ToWindowsText(parts_.Chooser.text())) < 0) {
        parts_.Chooser.setText(Blank());
    }
    RebuildTemplateMenus();
}

void TTemplateCommands::FillNewRecord() {
    const QString name = parts_.Chooser.text();
    if (name == Blank()) {
        return;
    }
    const int t = templates_.Find(text::ToWindowsText(name));
    if (t >= 0 && templates_.MoveTo(t)) {
        FillFromTemplate();
    }
}

void TTemplateCommands::ApplyTemplate(const QString& name) {
    if (!RecordEditable()) {
        return;
    }
    const int t = templates_.Find(text::ToWindowsText(name));
    if (t < 0 && name == Blank()) {
        parts_.RecordPage.ClearEditors();
        return;
    }
    if (t < 0 || !templates_.MoveTo(t) || !FillFromTemplate()) {
        platform::ShowError("Template could not be loaded!\nYou should delete this template");
    }
}

void TTemplateCommands::SaveRecordToTemplate() {
    const settings::Settings& settings = parts_.Settings;
    db::TDatabase& database = parts_.Database;
    std::vector<TRecordTemplateForm::DateField> dates;
    for (int position = db::FirstDataField; position < database.DataTable.fieldCount();
         ++position) {
        const auto label = static_cast<std::size_t>(position - db::FirstDataField);
        if (database.DataTable.field(position).type == 'D') {
            dates.push_back({position, label < settings.FieldLabels.size()
                                           ? text::FromWindowsText(settings.FieldLabels[label])
                                           : QString::number(label + 1)});
        }
    }
    QStringList names;
    for (const std::string& name : templates_.Names()) {
        names.push_back(text::FromWindowsText(name));
    }
    TRecordTemplateForm dialog(names, std::move(dates), &parts_.Window);
    dialog.StoresMarker = [this, &database](int t, int position) {
        try {
            return templates_.MoveTo(t) &&
                   database.CopyTable.date(position) == editors::TemplateDateMarker;
        } catch (const engine::EngineError& error) {
            db::LogFailure(database.CopyTable, error);
            return false;
        }
    };
    dialog.DeleteTemplate = [this](int t) {
        return templates_.Delete(t) != db::TRecordTemplates::Deleted::No;
    };
    if (platform::RunModal(dialog) == QDialog::Accepted && parts_.RecordPage.SettleEditors()) {
        const std::vector<int> marked = dialog.CheckedDates();
        templates_.Save(text::ToWindowsText(dialog.Name()), [this, &marked](engine::Table& copy) {
            // The marker dates go into the same post as the editors' contents.
            copy.setBeforePost([&marked](engine::Table& posted) {
                for (const int position : marked) {
                    posted.setDate(position, editors::TemplateDateMarker);
                }
            });
            const bool written = parts_.RecordPage.WriteRecordFields(copy);
            copy.setBeforePost(nullptr);
            return written;
        });
    }
    RebuildTemplateMenus();
}

} // namespace shelfwise::book
