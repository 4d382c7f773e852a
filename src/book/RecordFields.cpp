#include "book/RecordFields.h"

#include "book/ColorDlg.h"
#include "book/Colors.h"
#include "book/EditMenu.h"
#include "book/Fonts.h"
#include "book/ListDlg.h"
#include "book/RecordTabs.h"
#include "db/Database.h"
#include "db/RecordSchema.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "editors/Lookup.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFiles.h"
#include "text/DateText.h"
#include "text/WindowsText.h"

#include <QApplication>
#include <QLabel>

namespace shelfwise::book {

namespace {

using settings::Element;

// The designed rows suit the designed font.
constexpr int DesignedEditorHeight = 24;

} // namespace

TRecordFields::TRecordFields(const TRecordFieldParts& parts, QObject* parent)
    : QObject(parent), parts_(parts) {}

void TRecordFields::Add(QLabel* label, editors::TFieldEditor* editor) {
    labels_.push_back(label);
    editors_.push_back(editor);
}

void TRecordFields::Prepare() {
    settings::Settings& settings = parts_.Settings;
    for (QLabel* label : labels_) {
        label->setToolTip(QStringLiteral("Click to Display Popup Menu"));
    }
    OpenLists();
    if (settings.FieldLabels.empty()) {
        for (const QLabel* label : labels_) {
            settings.FieldLabels.push_back(text::ToWindowsText(label->text()));
        }
    }
    std::vector<int> fields;
    for (std::size_t i = 0; i < editors_.size(); ++i) {
        if (editors_[i]->Kind() == editors::EditorKind::Date) {
            dateEditors_.push_back(editors_[i]);
            fields.push_back(static_cast<int>(i));
            if (auto* date = dynamic_cast<editors::TDateEdit*>(editors_[i])) {
                connect(date, &editors::TDateEdit::FormatChosen, this,
                        [this, date](int format) { ChangeDateFormat(date, format); });
                connect(date, &editors::TDateEdit::FontAsked, this,
                        [this, date] { ChooseFont(date); });
                connect(date, &editors::TDateEdit::ColorAsked, this,
                        [this, date] { EditColors(date); });
            }
        }
    }
    if (settings.DateFormats.Lines.empty()) {
        settings.DateFormats.Lines.resize(dateEditors_.size());
    }
    settings.DateFormats.AssignFields(fields);
    AttachEditMenus();
}

void TRecordFields::AttachEditMenus() {
    constexpr int FieldHelpContext = 36;
    constexpr int PictureHelpContext = 132;
    textMenu_ = new TEditMenu(false, &parts_.Settings.AutoFill, parts_.Window);
    listMenu_ = new TEditMenu(true, &parts_.Settings.AutoFill, parts_.Window);
    for (TEditMenu* menu : {textMenu_, listMenu_}) {
        connect(menu, &TEditMenu::FontRequested, this, &TRecordFields::ChooseFont);
        connect(menu, &TEditMenu::ColorRequested, this, &TRecordFields::EditColors);
        connect(menu, &TEditMenu::AutoFillChanged, this,
                [this] { settings::SaveUiOptions(parts_.Settings); });
    }
    connect(listMenu_, &TEditMenu::ListEditRequested, this, &TRecordFields::EditLists);
    for (editors::TFieldEditor* editor : editors_) {
        const bool picture = editor->Kind() == editors::EditorKind::Picture;
        editor->Widget()->setProperty("helpContext",
                                      picture ? PictureHelpContext : FieldHelpContext);
        // Pictures have no text menu; date, e-mail, web and attachment fields bring menus of
        // their own.
        editors::TTextEditing* editing = editor->Editing();
        if (editing == nullptr) {
            continue;
        }
        TEditMenu* menu = editor->Kind() == editors::EditorKind::Lookup ? listMenu_ : textMenu_;
        QWidget* target = editing->Target();
        target->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(target, &QWidget::customContextMenuRequested, this,
                [menu, editor, target](const QPoint& at) {
                    menu->Open(editor, target->mapToGlobal(at));
                });
    }
}

void TRecordFields::OpenLists() {
    for (editors::TFieldEditor* editor : editors_) {
        editor->OpenList(parts_.Database, parts_.Settings);
    }
}

QString TRecordFields::LookupSourceOf(int fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(editors_.size())) {
        return {};
    }
    const auto* lookup =
        dynamic_cast<const editors::TLookup*>(editors_[static_cast<std::size_t>(fieldIndex)]);
    return lookup != nullptr ? lookup->Source() : QString();
}

void TRecordFields::EditLists(const editors::TFieldEditor* editor) {
    const auto* lookup = dynamic_cast<const editors::TLookup*>(editor);
    if (book::EditLists(
            parts_.Database, parts_.Settings,
            [this](int fieldIndex) { return LookupSourceOf(fieldIndex); }, parts_.Window,
            lookup != nullptr ? lookup->Source() : QString())) {
        RefreshLists();
    }
}

void TRecordFields::RefreshLists() {
    for (editors::TFieldEditor* editor : editors_) {
        editor->ReloadList();
    }
}

void TRecordFields::ApplyDateFormats() {
    const auto& lines = parts_.Settings.DateFormats.Lines;
    for (std::size_t k = 0; k < dateEditors_.size() && k < lines.size(); ++k) {
        if (const auto format = text::DateFormatText(lines[k].Format)) {
            dateEditors_[k]->SetDateFormat(*format);
        }
    }
}

void TRecordFields::ChangeDateFormat(const editors::TFieldEditor* editor, int format) {
    const auto found = std::ranges::find(dateEditors_, editor);
    auto& lines = parts_.Settings.DateFormats.Lines;
    const auto k = static_cast<std::size_t>(found - dateEditors_.begin());
    if (found == dateEditors_.end() || k >= lines.size()) {
        return;
    }
    lines[k].Format = format;
    if (!settings::WriteDateFormats(parts_.Settings)) {
        platform::ShowError("Could not Save Options to a File!");
    }
    ApplyDateFormats();
    DateFormatChanged();
}

void TRecordFields::RefreshLabels() {
    const auto& labels = parts_.Settings.FieldLabels;
    for (std::size_t i = 0; i < labels_.size() && i < labels.size(); ++i) {
        labels_[i]->setText(text::FromWindowsText(labels[i]));
    }
}

bool TRecordFields::SetReadOnly(bool readOnly) {
    if (editors_.empty() || editors_.front()->IsRecordReadOnly() == readOnly) {
        return false;
    }
    for (editors::TFieldEditor* editor : editors_) {
        editor->SetRecordReadOnly(readOnly);
    }
    return true;
}

void TRecordFields::ApplyColors(bool readOnly) const {
    const auto& c = parts_.Settings.Colors;
    const auto colour = [&c](Element e) { return ElementColor(c, e); };
    for (QLabel* label : labels_) {
        label->setAutoFillBackground(true);
        SetWidgetColors(label, colour(Element::LabelText), colour(Element::LabelBackground));
    }
    const QPalette system = QApplication::palette();
    for (editors::TFieldEditor* editor : editors_) {
        const auto colors = editor->Colors();
        if (!colors) {
            continue;
        }
        if (readOnly) {
            SetWidgetColors(editor->Widget(),
                            colors->KeepsTextColorReadOnly
                                ? colour(colors->Text)
                                : system.color(QPalette::Disabled, QPalette::Text),
                            system.color(QPalette::Base));
        } else {
            SetWidgetColors(editor->Widget(), colour(colors->Text), colour(colors->Background));
        }
        // An amount shows its sign in its colour, read-only or not.
        if (auto* currency = dynamic_cast<editors::TCurrencyEdit*>(editor)) {
            currency->SetPlusColor(colour(Element::CurrencyPositiveText));
            currency->SetNegColor(colour(Element::CurrencyNegativeText));
        }
    }
}

bool TRecordFields::ApplyFonts() {
    settings::Settings& settings = parts_.Settings;
    bool singleLineChanged = false;
    int oldHeight = 0;
    int newHeight = 0;
    for (editors::TFieldEditor* editor : editors_) {
        const settings::FontRecord* option = editor->FontOption(settings);
        if (option == nullptr) {
            continue;
        }
        QWidget* widget = editor->Widget();
        if (!SameFont(widget->font(), *option)) {
            widget->setFont(ToQFont(*option));
            if (option == &settings.OneLineFieldFont && !singleLineChanged) {
                singleLineChanged = true;
                oldHeight = widget->height();
                // Never lower than designed.
                newHeight = std::max(DesignedEditorHeight, widget->sizeHint().height());
            }
        }
    }
    if (singleLineChanged && oldHeight != newHeight) {
        std::vector<LayoutItem> items = Items();
        TEditorLayout::Reflow(items, oldHeight, newHeight);
        Place(items);
    }
    return singleLineChanged;
}

void TRecordFields::ChooseFont(editors::TFieldEditor* editor) {
    settings::FontRecord* option = editor->FontOption(parts_.Settings);
    if (option == nullptr) {
        return;
    }
    if (const auto font = platform::ChooseFont(parts_.Window, ToQFont(*option))) {
        *option = ToFontRecord(*font);
        settings::SaveUiOptions(parts_.Settings);
        FontsChanged();
    }
}

void TRecordFields::EditColors(editors::TFieldEditor* editor) {
    settings::Settings& settings = parts_.Settings;
    const auto colors = editor->Colors();
    const Element first = colors ? colors->Text : Element::TextFieldText;
    bool changed = false;
    if (first == Element::MultiLineText) {
        changed = book::EditColors(settings, static_cast<std::size_t>(Element::MultiLineText),
                                   QStringLiteral("Multi-Line Fields"),
                                   {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")},
                                   parts_.Window);
    } else if (first == Element::CurrencyPositiveText) {
        changed =
            book::EditColors(settings, static_cast<std::size_t>(Element::CurrencyPositiveText),
                             QStringLiteral("Currency Fields"),
                             {QStringLiteral("Positive Color"), QStringLiteral("Negative Color"),
                              QStringLiteral("Bgnd Color")},
                             parts_.Window);
    } else {
        changed = book::EditColors(settings, static_cast<std::size_t>(Element::TextFieldText),
                                   QStringLiteral("Single-Line Fields"),
                                   {QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")},
                                   parts_.Window);
    }
    if (changed) {
        ColorsChanged();
    }
}

int TRecordFields::EditorIndexOf(const QWidget* widget) const {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        for (std::size_t i = 0; i < editors_.size(); ++i) {
            if (editors_[i]->Widget() == widget) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

int TRecordFields::PageOf(const QWidget* editor) const {
    const TRecordTabs& pages = parts_.Pages;
    for (int i = 0; i < pages.count(); ++i) {
        if (pages.widget(i)->isAncestorOf(editor)) {
            return i;
        }
    }
    return -1;
}

bool TRecordFields::IsTabStop(const editors::TFieldEditor& editor) const {
    return (editor.Widget()->focusPolicy() & Qt::TabFocus) != 0 && !editor.IsRecordReadOnly();
}

bool TRecordFields::FocusNext(const QWidget* focused, bool next) {
    const int current = EditorIndexOf(focused);
    if (current < 0) {
        return false;
    }
    const int count = static_cast<int>(editors_.size());
    const int page = PageOf(editors_[current]->Widget());
    const int step = next ? 1 : -1;
    for (int i = current + step; i >= 0 && i < count; i += step) {
        if (PageOf(editors_[i]->Widget()) == page && IsTabStop(*editors_[i])) {
            editors_[i]->Widget()->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    TRecordTabs& pages = parts_.Pages;
    const int target = (page + step + pages.count()) % pages.count();
    pages.setCurrentIndex(target);
    for (int n = 0; n < count; ++n) {
        editors::TFieldEditor& editor = *editors_[next ? n : count - 1 - n];
        if (PageOf(editor.Widget()) == target && IsTabStop(editor)) {
            editor.Widget()->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            break;
        }
    }
    return true;
}

void TRecordFields::FocusFirst() {
    if (editors_.empty()) {
        return;
    }
    QWidget* first = editors_.front()->Widget();
    parts_.Pages.setCurrentIndex(PageOf(first));
    first->setFocus();
}

void TRecordFields::ShowFound(int position, int offset, int length) {
    const int index = position - db::FirstDataField;
    if (index < 0 || index >= static_cast<int>(editors_.size())) {
        return;
    }
    editors::TFieldEditor* found = editors_[static_cast<std::size_t>(index)];
    QWidget* editor = found->Widget();
    parts_.Pages.setCurrentIndex(PageOf(editor));
    if (!settings::ReadOnlyAccess(parts_.Settings)) {
        editor->setFocus();
    }
    if (DropHighlight()) {
        ColorsChanged();
    }
    highlighted_ = editor;
    SetWidgetColors(editor, Qt::yellow, Qt::red);
    found->ShowFound(offset, length);
}

bool TRecordFields::DropHighlight() {
    const bool had = highlighted_ != nullptr;
    highlighted_ = nullptr;
    return had;
}

std::vector<LayoutItem> TRecordFields::Items() const {
    std::vector<LayoutItem> items;
    for (std::size_t i = 0; i < editors_.size(); ++i) {
        const editors::TFieldEditor& editor = *editors_[i];
        LayoutItem item;
        item.Page = PageOf(editor.Widget());
        item.Type = editor.Kind();
        item.Editor = editor.Widget()->geometry();
        if (i < labels_.size()) {
            item.Label = labels_[i]->geometry();
        }
        items.push_back(item);
    }
    return items;
}

void TRecordFields::Place(const std::vector<LayoutItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        editors_[i]->Widget()->setGeometry(items[i].Editor);
        if (i < labels_.size()) {
            labels_[i]->setGeometry(items[i].Label);
        }
    }
}

bool TRecordFields::Stretch(int dx, int dy) {
    if (editors_.empty()) {
        return false;
    }
    std::vector<LayoutItem> items = Items();
    TEditorLayout::Stretch(items, dx, dy, parts_.Pages.widget(0)->height());
    Place(items);
    return true;
}

} // namespace shelfwise::book
