#include "book/LabelMenu.h"

#include "book/ColorDlg.h"
#include "book/LoadLabelsDlg.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/TemplateList.h"
#include "text/WindowsText.h"

#include <QLabel>
#include <QMouseEvent>

namespace shelfwise::book {

TLabelMenu::TLabelMenu(settings::Settings& settings, QWidget* parent)
    : QMenu(parent), settings_(settings), labels_(settings) {
    setObjectName(QStringLiteral("PopupMenu4"));
    const auto add = [this](const char* name, const char* caption, void (TLabelMenu::*slot)()) {
        QAction* action = addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("LabelText1", "&Text...", &TLabelMenu::EditText);
    add("LabelColor1", "&Color...", &TLabelMenu::EditColors);
    load_ = add("LabelLoad1", "&Load From Template...", &TLabelMenu::LoadFromTemplate);
    save_ = add("LabelSave1", "&Save As Template...", &TLabelMenu::SaveAsTemplate);
    SetTemplates(nullptr);
}

void TLabelMenu::Attach(QLabel* label) {
    label->installEventFilter(this);
}

void TLabelMenu::SetTemplates(settings::TTemplateList* templates) {
    templates_ = templates;
    if (templates_ != nullptr) {
        templates_->SetContents(&labels_);
    }
    load_->setEnabled(templates_ != nullptr);
    save_->setEnabled(templates_ != nullptr);
}

bool TLabelMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            Open(label);
            return true;
        }
    }
    return QMenu::eventFilter(watched, event);
}

void TLabelMenu::Open(QLabel* label) {
    subject_ = label->property("tag").toInt();
    popup(label->mapToGlobal(QPoint(0, 0)) + QPoint(10, 10));
}

void TLabelMenu::EditText() {
    const auto index = static_cast<std::size_t>(subject_ - 1);
    if (subject_ < 1 || index >= settings_.FieldLabels.size()) {
        return;
    }
    const auto text = platform::AskText(parentWidget(), QStringLiteral("Change Label Text"),
                                        QStringLiteral("Enter New Text:"),
                                        text::FromWindowsText(settings_.FieldLabels[index]));
    if (!text) {
        return;
    }
    switch (labels_.Rename(subject_, text::ToWindowsText(*text))) {
    case TFieldLabelList::RenameResult::Empty:
        platform::ShowError("Empty Labels are not Allowed!");
        return;
    case TFieldLabelList::RenameResult::Duplicate:
        platform::ShowError("Duplicate Labels are not Allowed!");
        return;
    case TFieldLabelList::RenameResult::Renamed:
        LabelsChanged();
        return;
    }
}

void TLabelMenu::EditColors() {
    if (book::EditColors(settings_, static_cast<std::size_t>(settings::Element::LabelText),
                         QStringLiteral("Labels"),
                         {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")},
                         parentWidget()) &&
        ApplyColors) {
        ApplyColors();
    }
}

void TLabelMenu::LoadFromTemplate() {
    TLoadLabelsDlg dialog(*templates_, parentWidget());
    if (platform::RunModal(dialog) != QDialog::Accepted || !dialog.SelectedFile()) {
        return;
    }
    if (!labels_.Read(settings_.DataDir / *dialog.SelectedFile())) {
        platform::ShowError("Error Loading Template.");
        return;
    }
    LabelsChanged();
}

void TLabelMenu::SaveAsTemplate() {
    const auto name = platform::AskText(parentWidget(), QStringLiteral("Save Labels As Template"),
                                        QStringLiteral("Template Name:"));
    if (!name || name->isEmpty()) {
        return;
    }
    if (!templates_->AddTemplate(text::ToWindowsText(*name))) {
        platform::ShowError("Duplicate name - Template Not Saved!");
    }
}

void TLabelMenu::LabelsChanged() {
    if (RefreshLabels) {
        RefreshLabels();
    }
    labels_.SaveLabels();
}

} // namespace shelfwise::book
