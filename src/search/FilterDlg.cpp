#include "search/FilterDlg.h"

#include "editors/CalPop.h"
#include "editors/CurrencyEdit.h"
#include "editors/DateEdit.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "settings/TemplateList.h"
#include "text/DateText.h"
#include "text/WindowsText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QVBoxLayout>

namespace shelfwise::search {

namespace {

constexpr int DefinedRole = Qt::UserRole;

const char* const OperatorCaptions[FilterOperatorCount] = {
    "<", "<=", "=", ">=", ">", "Between", "One Of"};
// The form date conditions are stored in (StoredDateText).
const QString StoredDateFormat = QStringLiteral("mm/dd/yyyy");

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoDefault(false);
    return button;
}

QListWidget* NewList(QWidget* parent, const char* name, const char* hint) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setToolTip(QString::fromLatin1(hint));
    return list;
}

// Lines of the used fields: a defined condition carries a check mark, red, yellow on the
// selected line.
class CheckDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        const int mark = option.rect.height();
        shifted.rect.adjust(mark, 0, 0, 0);
        if (option.state & QStyle::State_Selected) {
            painter->fillRect(option.rect, option.palette.highlight());
            shifted.palette.setColor(QPalette::HighlightedText, Qt::white);
        }
        QStyledItemDelegate::paint(painter, shifted, index);
        if (!index.data(DefinedRole).toBool()) {
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(QPen(selected ? Qt::yellow : Qt::red, 2));
        const QRect r = option.rect;
        const int x = r.left() + 3;
        const int y = r.top() + r.height() / 2;
        painter->drawPolyline(QPolygon({QPoint(x, y), QPoint(x + mark / 4, y + mark / 4),
                                        QPoint(x + mark / 2, y - mark / 4)}));
        painter->restore();
    }
};

} // namespace

TFilterDlg::TFilterDlg(TFilterList& filter, const engine::Table& table,
                       const db::TFieldClasses& fields, const std::vector<std::string>& labels,
                       settings::TTemplateList& templates, db::FilterState scope, int& dateFormat,
                       QWidget* parent)
    : QDialog(parent), filter_(filter), table_(table), labels_(labels), templates_(templates),
      dateFormat_(dateFormat) {
    setObjectName(QStringLiteral("FilterDlg"));
    setWindowTitle(QStringLiteral("Set Filter"));

    allFields_ = NewList(this, "ListBox1", "All Fields That Can Be Used In Filters");
    for (int position = db::FirstDataField; position < table.fieldCount(); ++position) {
        if (fields.MemoFields.test(position) || fields.PictureFields.test(position) ||
            FilterTypeOf(table.field(position)) == 0) {
            continue;
        }
        positions_.push_back(position);
        allFields_->addItem(LabelOf(position));
    }
    allFields_->setCurrentRow(0);
    usedFields_ = NewList(this, "ListBox2", "Fields Used In Filter");
    usedFields_->setItemDelegate(new CheckDelegate(usedFields_));

    auto* add = NewButton(this, "Add_Btn", "&Add", "Add Field To Filter");
    remove_ = NewButton(this, "Remove_Btn", "&Remove", "Remove Field From Filter");
    removeAll_ = NewButton(this, "RemoveAll_Btn", "Re&move All", "Remove All Fields From Filter");
    edit_ = NewButton(this, "Edit_Btn", "&Edit", "Edit Filter For Selected Field");
    auto* load = NewButton(this, "BitBtn1", "&Load", "Load From Filter Template");
    auto* save = NewButton(this, "BitBtn2", "&Save", "Save As Filter Template");
    apply_ = NewButton(this, "OKBtn", "A&pply",
                       "Close and Apply Filter - Use ONLY After You Have Modified The Filter");
    auto* ok = NewButton(this, "CancelBtn", "&OK", "Close and Update Filter Scope");
    ok->setDefault(true);
    auto* help = NewButton(this, "HelpBtn", "&Help", "Display Help Window");

    auto* scopeBox = new QGroupBox(QStringLiteral("Filter Scope"), this);
    scopeBox->setObjectName(QStringLiteral("Filter_RG"));
    scope_ = new QButtonGroup(this);
    auto* scopeLayout = new QVBoxLayout(scopeBox);
    const char* scopes[] = {"All Records", "Normal Filter", "Reversed Filter"};
    for (int i = 0; i < 3; ++i) {
        auto* choice = new QRadioButton(QString::fromLatin1(scopes[i]), scopeBox);
        scope_->addButton(choice, i);
        scopeLayout->addWidget(choice);
    }
    scope_->button(static_cast<int>(scope))->setChecked(true);

    auto* note = new QLabel(QStringLiteral("Use it ONLY after you have modified the Filter and "
                                           "want the new filter to take effect or after "
                                           "Non-Stop Search."),
                            this);
    note->setWordWrap(true);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton* button : {add, remove_, removeAll_, edit_}) {
        middle->addWidget(button);
    }
    middle->addStretch();
    auto* lists = new QGridLayout;
    auto* allCaption = new QLabel(QStringLiteral("All Fields:"), this);
    allCaption->setBuddy(allFields_);
    auto* usedCaption = new QLabel(QStringLiteral("Fields Used In Filter:"), this);
    usedCaption->setBuddy(usedFields_);
    lists->addWidget(allCaption, 0, 0);
    lists->addWidget(usedCaption, 0, 2);
    lists->addWidget(allFields_, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(usedFields_, 1, 2);
    auto* templatesRow = new QHBoxLayout;
    templatesRow->addWidget(load);
    templatesRow->addWidget(save);
    templatesRow->addStretch();
    lists->addLayout(templatesRow, 2, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(scopeBox);
    auto* applyColumn = new QVBoxLayout;
    applyColumn->addWidget(apply_);
    applyColumn->addWidget(note);
    bottom->addLayout(applyColumn, 1);
    auto* closeColumn = new QVBoxLayout;
    closeColumn->addWidget(ok);
    closeColumn->addWidget(help);
    closeColumn->addStretch();
    bottom->addLayout(closeColumn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &TFilterDlg::AddSelected);
    connect(allFields_, &QListWidget::itemDoubleClicked, this, &TFilterDlg::AddSelected);
    connect(remove_, &QPushButton::clicked, this, &TFilterDlg::RemoveSelected);
    connect(removeAll_, &QPushButton::clicked, this, &TFilterDlg::RemoveAll);
    connect(edit_, &QPushButton::clicked, this, &TFilterDlg::EditSelected);
    connect(usedFields_, &QListWidget::itemDoubleClicked, this, &TFilterDlg::EditSelected);
    connect(load, &QPushButton::clicked, this, &TFilterDlg::LoadTemplate);
    connect(save, &QPushButton::clicked, this, &TFilterDlg::SaveTemplate);
    connect(apply_, &QPushButton::clicked, this, [this] { done(Applied); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    FillUsed(0);
}

db::FilterState TFilterDlg::Scope() const {
    return static_cast<db::FilterState>(std::max(0, scope_->checkedId()));
}

QString TFilterDlg::LabelOf(int position) const {
    const auto index = static_cast<std::size_t>(position - db::FirstDataField);
    return index < labels_.size() ? text::FromWindowsText(labels_[index])
                                  : QString::fromStdString(table_.field(position).name);
}

void TFilterDlg::FillUsed(int select) {
    usedFields_->clear();
    for (int i = 0; i < filter_.Count(); ++i) {
        const TFilter& entry = *filter_.Items(i);
        auto* item = new QListWidgetItem(LabelOf(entry.FieldPosition), usedFields_);
        item->setData(DefinedRole, !entry.Undefined);
    }
    usedFields_->setCurrentRow(std::min(select, usedFields_->count() - 1));
    UpdateButtons();
}

void TFilterDlg::UpdateButtons() {
    const bool lines = usedFields_->count() > 0;
    edit_->setEnabled(lines);
    remove_->setEnabled(lines);
    removeAll_->setEnabled(lines);
    apply_->setEnabled(filter_.HasDefined());
}

void TFilterDlg::AddSelected() {
    const int row = allFields_->currentRow();
    if (row < 0) {
        return;
    }
    const int position = positions_[static_cast<std::size_t>(row)];
    FillUsed(filter_.AddField(position, FilterTypeOf(table_.field(position))));
}

void TFilterDlg::RemoveSelected() {
    const int row = usedFields_->currentRow();
    filter_.Delete(row);
    FillUsed(row);
}

void TFilterDlg::RemoveAll() {
    filter_.Clear();
    FillUsed(0);
}

void TFilterDlg::EditSelected() {
    const int row = usedFields_->currentRow();
    const TFilter* entry = filter_.Items(row);
    if (entry == nullptr) {
        return;
    }
    TFieldFilterDlg dialog(filter_, row, LabelOf(entry->FieldPosition), dateFormat_,
                           LookupValues ? LookupValues(entry->FieldPosition) : std::nullopt, this);
    platform::RunModal(dialog);
    FillUsed(row);
}

void TFilterDlg::LoadTemplate() {
    const std::optional<std::string> file = ChooseTemplate ? ChooseTemplate(this) : std::nullopt;
    if (!file) {
        return;
    }
    bool loaded = false;
    for (std::size_t i = 0; i < templates_.Count(); ++i) {
        if (templates_.TemplateAt(i).FileName == *file) {
            loaded = templates_.LoadTemplate(templates_.TemplateAt(i).Name);
            break;
        }
    }
    if (!loaded) {
        // The filter in force stays as it was.
        platform::ShowError("Error Loading Template.");
    }
    FillUsed(0);
}

void SaveFilterTemplate(settings::TTemplateList* templates, QWidget* parent) {
    const std::optional<QString> name = platform::AskText(
        parent, QStringLiteral("Save Filter As Template"), QStringLiteral("Template Name:"));
    if (!name || name->isEmpty()) {
        return;
    }
    if (templates == nullptr || !templates->AddTemplate(text::ToWindowsText(*name))) {
        platform::ShowError("Duplicate name - Template Not Saved!");
    }
}

void TFilterDlg::SaveTemplate() {
    SaveFilterTemplate(&templates_, this);
}

TFieldFilterDlg::TFieldFilterDlg(TFilterList& filter, int index, const QString& label,
                                 int& dateFormat,
                                 std::optional<std::vector<std::string>> lookupValues,
                                 QWidget* parent)
    : QDialog(parent), filter_(filter), index_(index), dateFormat_(dateFormat) {
    const TFilter& entry = *filter_.Items(index);
    type_ = entry.FieldType;
    const bool number = type_ == FilterFloatType || type_ == FilterIntegerType ||
                        type_ == FilterCurrencyType || type_ == FilterBcdType;
    const bool date = type_ == FilterDateType;
    if (number) {
        type_ = FilterFloatType;
    }
    setObjectName(QStringLiteral("FieldFilterDlg"));
    setWindowTitle(QStringLiteral("Filter For ") + label);

    auto* intro = new QLabel(QStringLiteral("Select Records For Which Value Of"), this);
    auto* bold = new QLabel(label, this);
    QFont font = bold->font();
    font.setBold(true);
    bold->setFont(font);

    auto* group = new QGroupBox(QStringLiteral("Is"), this);
    group->setObjectName(QStringLiteral("RadioGroup1"));
    operators_ = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    for (int op = 0; op < FilterOperatorCount; ++op) {
        auto* choice = new QRadioButton(QString::fromLatin1(OperatorCaptions[op]), group);
        operators_->addButton(choice, op);
        groupLayout->addWidget(choice);
    }

    const char* names[2] = {"Edit1", "Edit2"};
    const char* hint = "Enter Text Here";
    if (number) {
        names[0] = "CurrencyEdit1", names[1] = "CurrencyEdit2";
        hint = "Enter Numeric Value Here";
    } else if (date) {
        names[0] = "DateEdit1", names[1] = "DateEdit2";
        hint = "Enter Date Here";
    }
    for (QLineEdit** box : {&value1_, &value2_}) {
        if (number) {
            *box = new editors::TCurrencyEdit(this);
        } else if (date) {
            auto* dateBox = new editors::TDateEdit(this);
            dateBox->HideFontAndColor();
            dateBox->SetDisplayFormat(
                *text::DateFormatText(dateFormat_ >= 0 && dateFormat_ <= 2 ? dateFormat_ : 0));
            connect(dateBox, &editors::TDateEdit::FormatChosen, this,
                    &TFieldFilterDlg::ChangeDateFormat);
            *box = dateBox;
        } else {
            *box = new QLineEdit(this);
        }
    }
    for (int i = 0; i < 2; ++i) {
        QLineEdit* box = i == 0 ? value1_ : value2_;
        box->setObjectName(QString::fromLatin1(names[i]));
        box->setToolTip(QString::fromLatin1(hint));
    }
    joiner_ = new QLabel(this);
    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName(QStringLiteral("Memo1"));
    lines_->setToolTip(QStringLiteral("Enter One Value Per Line Here"));
    removeLine_ = NewButton(this, "RemoveBtn", "&Remove", "Remove Current Line");
    removeLine_->setEnabled(false);
    removeLine_->setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { removeLine_->setEnabled(now == lines_); });
    connect(removeLine_, &QPushButton::clicked, this, [this] {
        QTextCursor cursor = lines_->textCursor();
        cursor.select(QTextCursor::BlockUnderCursor);
        if (cursor.block().blockNumber() == 0) {
            cursor.movePosition(QTextCursor::StartOfBlock);
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
            if (cursor.position() == cursor.anchor()) {
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            }
        }
        cursor.removeSelectedText();
    });
    if (lookupValues) {
        fill_ = NewButton(this, "PopulateBtn", "&Populate", "Fill The List With All Values");
        connect(fill_, &QPushButton::clicked, this, [this, values = *lookupValues] {
            QStringList all;
            for (const std::string& value : values) {
                all << text::FromWindowsText(value);
            }
            lines_->setPlainText(all.join(QLatin1Char('\n')));
        });
    } else if (date) {
        fill_ = NewButton(this, "AddDateBtn", "&Add", "Add Dates From Calendar");
        connect(fill_, &QPushButton::clicked, this, [this] {
            auto day = std::chrono::year_month_day(
                std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
            while (const auto chosen = editors::PickDate(fill_, day)) {
                day = *chosen;
                lines_->appendPlainText(Shown(text::DateText(day, 0)));
            }
        });
    }
    ShowBox(value1_, entry.Value1);
    ShowBox(value2_, entry.Value2);
    QStringList stored;
    for (const std::string& line : entry.ValueList) {
        stored << Shown(line);
    }
    lines_->setPlainText(stored.join(QLatin1Char('\n')));

    auto* values = new QGridLayout;
    values->addWidget(value1_, 0, 0);
    values->addWidget(joiner_, 1, 0);
    values->addWidget(value2_, 2, 0);
    values->addWidget(lines_, 0, 0, 3, 1);
    auto* lineButtons = new QVBoxLayout;
    lineButtons->addWidget(removeLine_);
    if (fill_ != nullptr) {
        lineButtons->addWidget(fill_);
    }
    lineButtons->addStretch();
    values->addLayout(lineButtons, 0, 1, 3, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    row->addLayout(values, 1);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { platform::ShowHelp(HelpContext); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(8);
    layout->addWidget(bold);
    layout->addLayout(row);
    layout->addWidget(buttons);

    connect(operators_, &QButtonGroup::idClicked, this, &TFieldFilterDlg::ShowOperator);
    const int op = static_cast<int>(entry.Operator);
    operators_->button(op)->setChecked(true);
    ShowOperator(op);
}

void TFieldFilterDlg::ShowOperator(int op) {
    const bool list = op == static_cast<int>(FilterOperator::OneOf);
    const bool between = op == static_cast<int>(FilterOperator::Between);
    value1_->setVisible(!list);
    value2_->setVisible(between);
    joiner_->setVisible(!list);
    const bool than = op == static_cast<int>(FilterOperator::Less) ||
                      op == static_cast<int>(FilterOperator::Greater);
    joiner_->setText(between ? QStringLiteral("AND")
                     : than  ? QStringLiteral("THAN")
                             : QStringLiteral("TO"));
    lines_->setVisible(list);
    removeLine_->setVisible(list);
    if (fill_ != nullptr) {
        fill_->setVisible(list);
    }
}

std::string TFieldFilterDlg::Stored(const QString& shown) const {
    const std::string text = text::ToWindowsText(shown.trimmed());
    return type_ == FilterDateType ? StoredDateText(text, dateFormat_) : text;
}

QString TFieldFilterDlg::Shown(const std::string& stored) const {
    return text::FromWindowsText(type_ == FilterDateType ? ShownDateText(stored, dateFormat_)
                                                         : stored);
}

std::string TFieldFilterDlg::StoredBox(const QLineEdit* box) const {
    if (type_ != FilterDateType) {
        return Stored(box->text());
    }
    // Read as the date box reads it, whatever separator the system's dates use.
    const auto* dateBox = static_cast<const editors::TDateEdit*>(box);
    if (dateBox->IsEmpty()) {
        return {};
    }
    const text::Date day = dateBox->GetDate();
    return day ? text::DateText(day, 0) : Stored(box->text());
}

void TFieldFilterDlg::ShowBox(QLineEdit* box, const std::string& stored) {
    const text::Date day = type_ == FilterDateType
                               ? text::ReadDate(QString::fromStdString(stored), StoredDateFormat)
                               : std::nullopt;
    if (day || (type_ == FilterDateType && stored.empty())) {
        static_cast<editors::TDateEdit*>(box)->SetDate(day);
    } else {
        box->setText(Shown(stored));
    }
}

void TFieldFilterDlg::ChangeDateFormat(int format) {
    // Both boxes and the lines keep their dates, written in the new order.
    std::vector<std::string> stored;
    for (const QString& line : lines_->toPlainText().split(QLatin1Char('\n'))) {
        stored.push_back(Stored(line));
    }
    dateFormat_ = format >= 0 && format <= 2 ? format : 3;
    filter_.SetDateFormat(dateFormat_);
    const QString shown = *text::DateFormatText(format >= 0 && format <= 3 ? format : 0);
    for (QLineEdit* box : {value1_, value2_}) {
        static_cast<editors::TDateEdit*>(box)->SetDisplayFormat(shown);
    }
    QStringList lines;
    for (const std::string& line : stored) {
        lines << Shown(line);
    }
    lines_->setPlainText(lines.join(QLatin1Char('\n')));
}

void TFieldFilterDlg::accept() {
    const int op = operators_->checkedId();
    const bool list = op == static_cast<int>(FilterOperator::OneOf);
    std::vector<std::string> values;
    for (const QString& line : lines_->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) {
            values.push_back(Stored(line));
        }
    }
    const std::string first = StoredBox(value1_);
    const std::string second = StoredBox(value2_);
    if ((list && values.empty()) ||
        (op == static_cast<int>(FilterOperator::Between) && second.empty())) {
        platform::ShowError("The Field expression cannot be Empty!");
        return;
    }
    if (!list && first.empty()) {
        QDialog::accept(); // nothing entered: the entry stays as it was
        return;
    }
    filter_.Define(index_, list ? std::string() : first,
                   op == static_cast<int>(FilterOperator::Between) ? second : std::string(), type_,
                   static_cast<FilterOperator>(op), list ? values : std::vector<std::string>{});
    QDialog::accept();
}

TApplyFilterDlg::TApplyFilterDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ApplyFilterDlg"));
    setWindowTitle(QStringLiteral("Applying Filter - Please Wait..."));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setModal(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("Percent1"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setFormat(QStringLiteral("%p%"));
    stop_ = new QPushButton(QStringLiteral("&Stop"), this);
    stop_->setObjectName(QStringLiteral("StopBtn"));
    connect(stop_, &QPushButton::clicked, this, [this] { stopped_ = true; });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(stop_, 0, Qt::AlignHCenter);
    setFixedWidth(300);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TApplyFilterDlg::~TApplyFilterDlg() {
    QApplication::restoreOverrideCursor();
}

void TApplyFilterDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

bool TApplyFilterDlg::Step(int percent) {
    bar_->setValue(percent);
    QApplication::processEvents();
    return !stopped_;
}

} // namespace shelfwise::search
