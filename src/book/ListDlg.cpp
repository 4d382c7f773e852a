#include "book/ListDlg.h"

#include "book/HourGlass.h"
#include "db/Database.h"
#include "db/FailureLog.h"
#include "db/RecordSchema.h"
#include "editors/Lookup.h"
#include "engine/EngineError.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/Settings.h"
#include "text/WindowsText.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace shelfwise::book {

TListDlg::TListDlg(db::TDatabase& database, const settings::Settings& settings,
                   const LookupSourceQuery& lookupSourceOf, QWidget* parent)
    : QDialog(parent), database_(database) {
    setObjectName(QStringLiteral("ListDlg"));
    setWindowTitle(QStringLiteral("Edit Lists"));
    setProperty("helpContext", HelpContext);

    auto* group = new QGroupBox(QStringLiteral("Lists"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    group->setToolTip(QStringLiteral("Select List for Editing"));
    auto* groupLayout = new QVBoxLayout(group);
    radios_ = new QButtonGroup(this);
    for (std::size_t i = 0; lookupSourceOf && i < settings.FieldLabels.size(); ++i) {
        const QString source = lookupSourceOf(static_cast<int>(i));
        if (source.isEmpty()) {
            continue;
        }
        entries_.push_back(
            {db::TLookupList(settings, text::ToWindowsText(source)), static_cast<int>(i)});
        auto* radio = new QRadioButton(text::FromWindowsText(settings.FieldLabels[i]), group);
        radio->setObjectName(QStringLiteral("List%1").arg(entries_.size()));
        groupLayout->addWidget(radio);
        radios_->addButton(radio, static_cast<int>(entries_.size()) - 1);
    }
    groupLayout->addStretch();

    auto* caption = new QLabel(QStringLiteral("List Elements:"), this);
    grid_ = new QTableWidget(0, 1, this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setToolTip(QStringLiteral("Click Here To Select List Item"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Item")});
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    caption->setBuddy(grid_);
    auto* gridColumn = new QVBoxLayout;
    gridColumn->addWidget(caption);
    gridColumn->addWidget(grid_);

    auto* buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char* name, const char* text, const char* hint,
                                        auto action) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
        return b;
    };
    button("B_Close", "&Close", "Close This Window", [this] { accept(); })->setDefault(true);
    button("B_Help", "Help", "Display Help Window", [] { platform::ShowHelp(HelpContext); });
    button("B_Edit", "&Edit", "Edit List Item", [this] { EditItem(); });
    button("B_New", "&New", "Create New List Item", [this] { NewItem(); });
    button("B_Delete", "&Delete", "Delete List Item", [this] { DeleteItem(); });
    button("B_Update", "&Update Lists", "Update All Lists From Current Database",
           [this] { UpdateLists(); });
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(gridColumn, 1);
    layout->addLayout(buttons);
    resize(520, 340);

    connect(radios_, &QButtonGroup::idClicked, this, &TListDlg::SelectList);
    if (!entries_.empty()) {
        SelectList(0);
    }
}

int TListDlg::EntryOf(const QString& source) const {
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        if (text::FromWindowsText(entries_[k].List.Source()) == source) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

void TListDlg::SelectList(int entry) {
    if (entry < 0 || entry >= static_cast<int>(entries_.size())) {
        return;
    }
    current_ = entry;
    radios_->button(entry)->setChecked(true);
    db::TLookupList& list = entries_[static_cast<std::size_t>(entry)].List;
    list.OpenList(database_);
    if (!list.ReadItems()) {
        platform::ShowError("Cannot open the file: " + list.Source());
    }
    ShowItems();
}

void TListDlg::ShowItems(const QString& selected) {
    grid_->setRowCount(0);
    if (current_ < 0) {
        return;
    }
    const QStringList items =
        editors::SortedChoices(entries_[static_cast<std::size_t>(current_)].List.Items());
    grid_->setRowCount(static_cast<int>(items.size()));
    for (int row = 0; row < items.size(); ++row) {
        grid_->setItem(row, 0, new QTableWidgetItem(items[row]));
    }
    const int row = std::max(0, static_cast<int>(items.indexOf(selected)));
    if (row < items.size()) {
        grid_->selectRow(row);
    }
}

QString TListDlg::SelectedItem() const {
    const QList<QTableWidgetItem*> selected = grid_->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

bool TListDlg::Acceptable(const QString& text) {
    // The table keeps no trailing blanks, so blanks alone are empty.
    if (text.trimmed().isEmpty()) {
        platform::ShowError("A list item cannot be empty!");
        return false;
    }
    if (entries_[static_cast<std::size_t>(current_)].List.Contains(text::ToWindowsText(text))) {
        platform::ShowError("The list already holds this item!");
        return false;
    }
    return true;
}

void TListDlg::AfterChange(const QString& selected) {
    ShowItems(selected);
    grid_->setFocus();
}

void TListDlg::NewItem() {
    if (current_ < 0) {
        return;
    }
    const auto text =
        platform::AskText(this, QStringLiteral("Add New Item"), QStringLiteral("New List Item:"));
    if (text && Acceptable(*text)) {
        if (entries_[static_cast<std::size_t>(current_)].List.Add(text::ToWindowsText(*text))) {
            changed_ = true;
        } else {
            platform::ShowError("Could not Add the Item!");
        }
    }
    AfterChange(text.value_or(SelectedItem()));
}

void TListDlg::EditItem() {
    const QString old = SelectedItem();
    if (current_ < 0 || old.isEmpty()) {
        return;
    }
    const auto text = platform::AskText(this, QStringLiteral("Edit Item"),
                                        QStringLiteral("Modify List Item:"), old);
    if (text && *text != old && Acceptable(*text)) {
        if (entries_[static_cast<std::size_t>(current_)].List.Rename(text::ToWindowsText(old),
                                                                     text::ToWindowsText(*text))) {
            changed_ = true;
        } else {
            platform::ShowError("Could not Modify the Item!");
        }
    }
    AfterChange(text.value_or(old));
}

void TListDlg::DeleteItem() {
    const QString item = SelectedItem();
    if (current_ < 0 || item.isEmpty() ||
        !platform::AskYesNo(platform::MessageKind::Warning,
                            "Are you sure you want to Delete this Item?")) {
        AfterChange(item);
        return;
    }
    Entry& entry = entries_[static_cast<std::size_t>(current_)];
    if (entry.List.Remove(text::ToWindowsText(item))) {
        entry.Deleted = true;
        changed_ = true;
    } else {
        platform::ShowError("Could not Delete the Item!");
    }
    AfterChange(item);
}

void TListDlg::UpdateLists() {
    engine::Table& data = database_.DataTable;
    if (entries_.empty() || !data.isOpen()) {
        return;
    }
    std::vector<db::TListField> fields;
    for (Entry& entry : entries_) {
        const int position = entry.FieldIndex + db::FirstDataField;
        if (position < data.fieldCount()) {
            entry.List.OpenList(database_);
            fields.push_back({&entry.List, position});
        }
    }
    std::vector<std::string> failed;
    {
        const HourGlass hourGlass;
        try {
            failed = db::FillLists(data, fields);
        } catch (const engine::EngineError& error) {
            db::LogFailure(data, error);
            failed = {data.fileName()};
        }
    }
    for (const std::string& name : failed) {
        platform::ShowError("Could not open file: " + name);
    }
    changed_ = true;
    SelectList(0);
}

void TListDlg::done(int result) {
    {
        const HourGlass hourGlass;
        for (Entry& entry : entries_) {
            // A list another program reads keeps its deleted items hidden until a later pack.
            if (entry.Deleted && entry.List.Pack()) {
                entry.Deleted = false;
            }
        }
    }
    QDialog::done(result);
}

bool EditLists(db::TDatabase& database, const settings::Settings& settings,
               const LookupSourceQuery& lookupSourceOf, QWidget* parent, const QString& source) {
    TListDlg dialog(database, settings, lookupSourceOf, parent);
    if (!source.isEmpty()) {
        dialog.SelectList(dialog.EntryOf(source));
    }
    platform::RunModal(dialog);
    return dialog.ListsChanged();
}

} // namespace shelfwise::book
