#include "app/BookWindowAdapter.h"

#include "app/AboutBox.h"
#include "app/HintsDlg.h"
#include "app/OptionsDlg.h"
#include "book/FilterCommands.h"
#include "book/LabelMenu.h"
#include "book/LeftPage.h"
#include "book/ListHeader.h"
#include "book/Navigator.h"
#include "book/RecordFields.h"
#include "book/RecordPage.h"
#include "book/SoftwareBookWindow.h"
#include "book/SortCommands.h"
#include "platform/Dialogs.h"
#include "settings/TemplateCatalogues.h"

namespace shelfwise::app {

BookWindowAdapter::BookWindowAdapter(settings::Settings& settings,
                                     settings::TemplateCatalogues& templates,
                                     std::function<void()> trayIconChanged)
    : settings_(settings), templates_(templates), trayIconChanged_(std::move(trayIconChanged)),
      window_(std::make_unique<book::TSoftwareBookWindow>(settings)) {
    window_->LeftPage()->Header()->SetTemplates(&templates.Headers);
    window_->SetLabelTemplates(&templates.Labels);
    window_->findChild<book::TFilterCommands*>()->SetTemplates(&templates.Filters);

    book::TCommandRegistry& commands = window_->Commands();
    commands.Define(QStringLiteral("Options"), {"Options1", "B_Options"},
                    [this] { OptionsCommand(); });
    commands.AddKey(QStringLiteral("Options"), QKeySequence(Qt::CTRL | Qt::Key_O));
    commands.Define(QStringLiteral("Tips"), {"DisplayHints1"}, [this] {
        THintsDlg dialog(settings_, window_.get());
        platform::RunModal(dialog);
    });
    commands.Define(QStringLiteral("About"), {"About1"}, [this] {
        TAboutBox about(TAboutBox::Use::About, window_.get());
        platform::RunModal(about);
    });
}

void BookWindowAdapter::OptionsCommand() {
    book::TSoftwareBookWindow& w = *window_;
    if (!w.RecordPage()->SettleRecord()) {
        return;
    }
    w.Database().Index.SaveSort();
    TOptionsDlg dialog(settings_, &templates_.Labels, &w);
    if (platform::RunModal(dialog) == QDialog::Accepted) {
        w.Navigator()->ResetLetterTabs();
        w.ApplyMenuMode();
        if (dialog.ColorsChanged()) {
            w.ApplyColors();
        }
        w.SortCommands()->ApplySortChange();
        w.ApplyFonts();
        w.Fields()->ApplyDateFormats();
        w.LabelMenu()->RefreshLabels();
        w.Navigator()->RedrawPage();
    }
    if (trayIconChanged_) {
        trayIconChanged_();
    }
}

bool BookWindowAdapter::RecordCheck() {
    return window_->CommitRecord();
}

BookWindowAdapter::~BookWindowAdapter() = default;

QWidget* BookWindowAdapter::Widget() {
    return window_.get();
}

void BookWindowAdapter::SetCloseHandler(std::function<void()> handler) {
    window_->SetCloseHandler(std::move(handler));
}

} // namespace shelfwise::app
