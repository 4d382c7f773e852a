#include "book/SortButton.h"

#include "book/Glyphs.h"
#include "book/SortRules.h"
#include "db/RecordSchema.h"
#include "platform/Help.h"
#include "text/WindowsText.h"

namespace shelfwise::book {

namespace {

const char* const FilterCaptions[] = {"All Records", "Normal Filter", "Reversed Filter"};

QMenu* Submenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* menu = parent->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* Item(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

// "Ascending" and "Descending" under a direction submenu.
void AddDirections(QMenu* menu, const char* prefix) {
    for (const char* caption : {"Ascending", "Descending"}) {
        Item(menu, (QByteArray(prefix) + caption).constData(), caption)->setCheckable(true);
    }
}

void CheckDirection(QMenu* menu, bool descending) {
    const QList<QAction*> items = menu->actions();
    items[0]->setChecked(!descending);
    items[1]->setChecked(descending);
}

} // namespace

TSortButton::TSortButton(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SortButton1"));
    const char* hints[] = {
        "[Primary Sort Field]: Left Click - Sort Options; Right Click - Menu",
        "[Secondary Sort Field]: Left Click - Sort Options; Right Click - Menu",
        "Left Click - Set Filter;  Right Click - Menu",
    };
    const char* names[] = {"SortPart1", "SortPart2", "FilterPart"};
    for (int i = 0; i < 3; ++i) {
        parts_[i] = new QToolButton(this);
        parts_[i]->setObjectName(QString::fromLatin1(names[i]));
        parts_[i]->setFocusPolicy(Qt::NoFocus);
        parts_[i]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        parts_[i]->setIconSize(QSize(12, 12));
        parts_[i]->setToolTip(QString::fromLatin1(hints[i]));
        parts_[i]->setContextMenuPolicy(Qt::CustomContextMenu);
        menus_[i] = new QMenu(this);
        connect(parts_[i], &QWidget::customContextMenuRequested, this,
                [this, i](const QPoint& at) { menus_[i]->popup(parts_[i]->mapToGlobal(at)); });
    }
    connect(parts_[0], &QToolButton::clicked, this, &TSortButton::clicked);
    connect(parts_[1], &QToolButton::clicked, this, &TSortButton::clicked);
    connect(parts_[2], &QToolButton::clicked, this, &TSortButton::FilterClicked);
    parts_[2]->setIcon(GlyphIcon(Glyph::Filter));
    BuildSortMenu(0,
                  {"PrimarySortMenu", "PrimarySortField1", "&Primary Sort Field",
                   "PrimarySortDirection1", "&Sort Direction", "Primary", "PrimarySortHelp1"},
                  primaryFields_, primaryDirection_, &TSortButton::PreparePrimaryMenu,
                  &TSortRules::InvertPrimary, &TSortButton::Sort1MenuClicked);
    BuildSortMenu(1,
                  {"SecondarySortMenu", "SecondarySortField1", "&Secondary Sort Field",
                   "SecondarySortDirection1", "Sort &Direction", "Secondary", "SecondarySortHelp1"},
                  secondaryFields_, secondaryDirection_, &TSortButton::PrepareSecondaryMenu,
                  &TSortRules::InvertSecondary, &TSortButton::Sort2MenuClicked);
    BuildFilterMenu();
    SetSortCaptions(EntryOrderCaption, NoneCaption, false, false);
    parts_[2]->setText(QString::fromLatin1(FilterCaptions[0]));
    UpdateFilterItems();
    resize(316, 20);
}

void TSortButton::SetSortSource(db::TIndex* index, const std::vector<std::string>* labels,
                                const db::TFieldClasses* fields) {
    index_ = index;
    labels_ = labels;
    fields_ = fields;
}

void TSortButton::BuildSortMenu(int part, const SortMenuNames& names, QMenu*& fields,
                                QMenu*& direction, void (TSortButton::*prepare)(),
                                db::SortValues (TSortRules::*invert)(db::SortValues) const,
                                void (TSortButton::*done)()) {
    QMenu* menu = menus_[part];
    menu->setObjectName(QString::fromLatin1(names.Menu));
    fields = Submenu(menu, names.Fields, names.FieldsCaption);
    direction = Submenu(menu, names.Direction, names.DirectionCaption);
    AddDirections(direction, names.Prefix);
    menu->addSeparator();
    connect(Item(menu, names.Help, "&Help"), &QAction::triggered, this,
            [] { platform::ShowHelp(HelpContext); });
    connect(menu, &QMenu::aboutToShow, this, prepare);
    connect(
        direction, &QMenu::triggered, this, [this, part, direction, invert, done](QAction* action) {
            // The click unchecked the direction in force; without a secondary field its
            // direction means nothing.
            if (!action->isChecked() || (part == 1 && parts_[1]->text() == NoneCaption)) {
                action->setChecked(!action->isChecked());
                return;
            }
            for (QAction* item : direction->actions()) {
                item->setChecked(item == action);
            }
            ChangeSort([this, invert](
                           db::SortValues sort) { return (TSortRules(*fields_).*invert)(sort); },
                       done);
        });
}

void TSortButton::BuildFilterMenu() {
    QMenu* menu = menus_[2];
    menu->setObjectName(QStringLiteral("FilterMenu"));
    const char* names[] = {"AllRecords1", "NormalFilter1", "ReversedFilter1"};
    const char* captions[] = {"&All Records", "&Normal Filter", "&Reversed Filter"};
    for (int tag = 0; tag < 3; ++tag) {
        QAction* item = Item(menu, names[tag], captions[tag]);
        connect(item, &QAction::triggered, this, [this, tag] {
            SetFilterState(static_cast<db::FilterState>(tag));
            emit FilterMenuClicked();
        });
        filterStates_.push_back(item);
    }
    templateItems_.push_back(menu->addSeparator());
    templateItems_.push_back(
        Submenu(menu, "LoadFilterTemplate1", "&Load From Template")->menuAction());
    templateItems_.push_back(Item(menu, "SaveFilterTemplate1", "&Save As Template"));
    templateItems_.push_back(
        Submenu(menu, "DeleteFilterTemplate1", "&Delete Template")->menuAction());
    menu->addSeparator();
    connect(Item(menu, "FilterHelp1", "&Help"), &QAction::triggered, this,
            [] { platform::ShowHelp(HelpContext); });
    connect(menu, &QMenu::aboutToShow, this, &TSortButton::PrepareFilterMenu);
}

void TSortButton::FillFieldMenu(QMenu* menu, const QString& none, int checked, int excluded,
                                const std::function<void(int)>& chosen) {
    menu->clear();
    const TSortRules rules(*fields_);
    const auto add = [&](const QString& caption, int tag) {
        QAction* item = menu->addAction(caption);
        const int position = tag == 0 ? 0 : tag + 1;
        item->setCheckable(true);
        item->setChecked(position == checked);
        item->setEnabled(rules.Sortable(position) && (tag == 0 || position != excluded));
        connect(item, &QAction::triggered, this, [item, position, chosen] {
            if (!item->isChecked()) { // it was checked: nothing changes
                item->setChecked(true);
                return;
            }
            chosen(position);
        });
    };
    add(none, 0);
    for (std::size_t i = 0; i < labels_->size(); ++i) {
        add(text::FromWindowsText((*labels_)[i]), static_cast<int>(i) + 1);
    }
}

void TSortButton::PreparePrimaryMenu() {
    CheckDirection(primaryDirection_, isDown1_);
    primaryFields_->setEnabled(index_ != nullptr);
    if (index_ == nullptr) {
        return;
    }
    const int primary =
        index_->Sort.PrimaryField < db::FirstDataField ? 0 : index_->Sort.PrimaryField;
    FillFieldMenu(primaryFields_, EntryOrderCaption, primary, -1, [this](int position) {
        ChangeSort(
            [this, position](db::SortValues sort) {
                return TSortRules(*fields_).ChoosePrimary(sort, position);
            },
            &TSortButton::SortByClicked);
    });
}

void TSortButton::PrepareSecondaryMenu() {
    CheckDirection(secondaryDirection_, isDown2_);
    secondaryDirection_->setEnabled(parts_[1]->text() != NoneCaption);
    const bool entryOrder = parts_[0]->text() == EntryOrderCaption || index_ == nullptr;
    secondaryFields_->setEnabled(!entryOrder);
    if (entryOrder) {
        secondaryDirection_->setEnabled(false);
        return;
    }
    const db::SortValues& sort = index_->Sort;
    const bool tied = TSortRules(*fields_).BothText(sort);
    for (QAction* item : secondaryDirection_->actions()) {
        item->setEnabled(!tied || item->isChecked());
    }
    const int secondary =
        sort.SecondaryField < db::FirstDataField || sort.SecondaryField == sort.PrimaryField
            ? 0
            : sort.SecondaryField;
    FillFieldMenu(secondaryFields_, NoneCaption, secondary, sort.PrimaryField,
                  [this](int position) {
                      ChangeSort(
                          [this, position](db::SortValues values) {
                              return TSortRules(*fields_).ChooseSecondary(values, position);
                          },
                          &TSortButton::SortByClicked);
                  });
}

void TSortButton::PrepareFilterMenu() {
    UpdateFilterItems();
    // Filter templates come with a handler that applies them.
    for (QAction* item : templateItems_) {
        item->setVisible(static_cast<bool>(OnQuickFilter));
    }
}

void TSortButton::SetFilterSource(std::function<bool()> defined) {
    filterDefined_ = std::move(defined);
    UpdateFilterItems();
}

void TSortButton::UpdateFilterItems() {
    const bool defined = filterDefined_ && filterDefined_();
    for (int tag = 0; tag < 3; ++tag) {
        filterStates_[tag]->setEnabled(
            tag != static_cast<int>(filterState_) &&
            (tag == static_cast<int>(db::FilterState::fsFilterOff) || defined));
    }
}

void TSortButton::ChangeSort(const std::function<db::SortValues(db::SortValues)>& change,
                             void (TSortButton::*done)()) {
    index_->SaveSort();
    index_->Sort = change(index_->Sort);
    emit(this->*done)();
}

void TSortButton::SetSortCaptions(const QString& label1, const QString& label2, bool isDown2,
                                  bool isDown1) {
    isDown1_ = isDown1;
    isDown2_ = isDown2;
    parts_[0]->setText(label1);
    parts_[1]->setText(label2);
    parts_[0]->setIcon(GlyphIcon(isDown1 ? Glyph::SortDescending : Glyph::SortAscending));
    parts_[1]->setIcon(GlyphIcon(isDown2 ? Glyph::SortDescending : Glyph::SortAscending));
}

void TSortButton::SetFilterState(db::FilterState state) {
    if (state == filterState_) {
        return;
    }
    filterState_ = state;
    parts_[2]->setText(QString::fromLatin1(FilterCaptions[static_cast<int>(state)]));
    UpdateFilterItems();
}

void TSortButton::resizeEvent(QResizeEvent*) {
    const int third = width() / 3;
    parts_[0]->setGeometry(0, 0, third, height());
    parts_[1]->setGeometry(third, 0, third, height());
    parts_[2]->setGeometry(2 * third, 0, width() - 2 * third, height());
}

} // namespace shelfwise::book
