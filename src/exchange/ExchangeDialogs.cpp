#include "exchange/ExchangeDialogs.h"

#include "platform/Help.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shelfwise::exchange {

namespace {

constexpr int kExportHelp = 26;
constexpr int kImportHelp = 25;
constexpr qint64 kEventInterval = 30; // ms

QPushButton* Button(const QString& text, const char* name, const QString& hint, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    return button;
}

// OK, Cancel and Help at a dialog's foot; returns OK.
QPushButton* AddFootButtons(QDialog& dialog, QBoxLayout& layout, int helpContext) {
    auto* ok = Button(QStringLiteral("&OK"), "OKBtn", {}, &dialog);
    ok->setDefault(true);
    auto* cancel = Button(QStringLiteral("&Cancel"), "CancelBtn", {}, &dialog);
    auto* help = Button(QStringLiteral("&Help"), "HelpBtn", {}, &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(help, &QPushButton::clicked, &dialog,
                     [helpContext] { platform::ShowHelp(helpContext); });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    layout.addLayout(row);
    return ok;
}

// A group of two fixed choices and "Other:" with a one-character box.
QGroupBox* ChoiceGroup(const QString& title, const char* name, const QStringList& fixed,
                       const char* editName, const QString& hint, QButtonGroup*& group,
                       QLineEdit*& edit, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    group = new QButtonGroup(box);
    auto* layout = new QGridLayout(box);
    int id = 0;
    for (const QString& text : fixed) {
        auto* radio = new QRadioButton(text, box);
        radio->setObjectName(QLatin1String(name) + QString::number(id));
        group->addButton(radio, id);
        layout->addWidget(radio, id, 0, 1, 2);
        ++id;
    }
    auto* other = new QRadioButton(QStringLiteral("Other:"), box);
    other->setObjectName(QLatin1String(name) + QString::number(id));
    group->addButton(other, id);
    edit = new QLineEdit(box);
    edit->setObjectName(QLatin1String(editName));
    edit->setMaxLength(1);
    edit->setFixedWidth(30);
    edit->setToolTip(hint);
    layout->addWidget(other, id, 0);
    layout->addWidget(edit, id, 1);
    QLineEdit* e = edit;
    QButtonGroup* g = group;
    QObject::connect(edit, &QLineEdit::textEdited, box,
                     [g, id] { g->button(id)->setChecked(true); });
    QObject::connect(group, &QButtonGroup::idClicked, box, [e, id](int chosen) {
        if (chosen != id) {
            e->clear();
        }
    });
    return box;
}

char Character(const QLineEdit& edit) {
    const QString text = edit.text();
    return text.isEmpty() || text[0].unicode() > 255 ? 0 : static_cast<char>(text[0].unicode());
}

} // namespace

TImportSourceDlg::TImportSourceDlg(bool exporting, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ImportSourceDlg"));
    setWindowTitle(exporting ? QStringLiteral("Export Target") : QStringLiteral("Import Source"));
    auto* box = new QGroupBox(
        exporting ? QStringLiteral("Export To:") : QStringLiteral("Import From:"), this);
    box->setObjectName(QStringLiteral("RadioGroup1"));
    group_ = new QButtonGroup(this);
    auto* boxLayout = new QVBoxLayout(box);
    int id = 0;
    for (const char* text : {"Text File", "DBF File"}) {
        auto* radio = new QRadioButton(QLatin1String(text), box);
        radio->setObjectName(QStringLiteral("RadioGroup1Item") + QString::number(id));
        group_->addButton(radio, id++);
        boxLayout->addWidget(radio);
    }
    group_->button(TextFile)->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    AddFootButtons(*this, *layout, exporting ? kExportHelp : kImportHelp);
}

TImportSourceDlg::Kind TImportSourceDlg::Chosen() const {
    return group_->checkedId() == DbfFile ? DbfFile : TextFile;
}

TExpImpDlg::TExpImpDlg(bool exporting, std::vector<FieldChoice> fields,
                       const TExchangeOptions& options, QWidget* parent)
    : QDialog(parent), fields_(std::move(fields)) {
    setObjectName(QStringLiteral("ExpImpDlg"));
    setWindowTitle(exporting ? QStringLiteral("Export Options") : QStringLiteral("Import Options"));

    auto* allLabel = new QLabel(QStringLiteral("All Fields:"), this);
    all_ = new QListWidget(this);
    all_->setObjectName(QStringLiteral("SrcList"));
    all_->setToolTip(QStringLiteral("List Of All Data Fields"));
    allLabel->setBuddy(all_);
    for (const FieldChoice& field : fields_) {
        auto* item = new QListWidgetItem(field.second, all_);
        item->setData(Qt::UserRole, field.first);
    }
    auto* includedLabel = new QLabel(QStringLiteral("Fields Included:"), this);
    included_ = new QListWidget(this);
    included_->setObjectName(QStringLiteral("DstList"));
    included_->setToolTip(QStringLiteral("Data Fields Selected For Export/Import"));
    includedLabel->setBuddy(included_);
    for (const int position : options.Fields) {
        const QString label = LabelOf(position);
        if (!label.isNull()) {
            auto* item = new QListWidgetItem(label, included_);
            item->setData(Qt::UserRole, position);
        }
    }
    if (all_->count() > 0) {
        all_->setCurrentRow(0);
    }

    include_ = Button(QStringLiteral(">"), "IncludeBtn",
                      QStringLiteral("Click to include selected"), this);
    includeAll_ =
        Button(QStringLiteral(">>"), "IncAllBtn", QStringLiteral("Click to include all"), this);
    exclude_ = Button(QStringLiteral("<"), "ExcludeBtn",
                      QStringLiteral("Click to exclude selected"), this);
    excludeAll_ =
        Button(QStringLiteral("<<"), "ExAllBtn", QStringLiteral("Click to exclude all"), this);
    up_ = Button(QStringLiteral("Move Up"), "MoveUpBtn", QStringLiteral("Move Up"), this);
    down_ = Button(QStringLiteral("Move Down"), "MoveDownBtn", QStringLiteral("Move Down"), this);
    connect(include_, &QPushButton::clicked, this, &TExpImpDlg::IncludeSelected);
    connect(includeAll_, &QPushButton::clicked, this, &TExpImpDlg::IncludeAll);
    connect(exclude_, &QPushButton::clicked, this, &TExpImpDlg::ExcludeSelected);
    connect(excludeAll_, &QPushButton::clicked, this, &TExpImpDlg::ExcludeAll);
    connect(up_, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { Move(1); });

    auto* separators =
        ChoiceGroup(QStringLiteral("Fields Separated By:"), "SeparatorGroup",
                    {QStringLiteral("TABs"), QStringLiteral("Commas")}, "SeparatorEdit",
                    QStringLiteral("Enter field separator"), separators_, separator_, this);
    auto* delimiters =
        ChoiceGroup(QStringLiteral("Fields Delimited By:"), "DelimiterGroup",
                    {QStringLiteral("Nothing"), QStringLiteral("Quotes")}, "DelimiterEdit",
                    QStringLiteral("Enter field delimiter"), delimiters_, delimiter_, this);
    const auto choose = [](QButtonGroup* group, QLineEdit* edit, char value, char first,
                           char second) {
        const int id = value == first ? 0 : value == second ? 1 : 2;
        group->button(id)->setChecked(true);
        if (id == 2 && value != 0) {
            edit->setText(QString(QChar(static_cast<unsigned char>(value))));
        }
    };
    choose(separators_, separator_, options.Separator, '\t', ',');
    choose(delimiters_, delimiter_, options.Delimiter, '\0', '"');

    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {include_, includeAll_, exclude_, excludeAll_}) {
        moves->addWidget(b);
    }
    moves->addStretch();
    auto* order = new QVBoxLayout;
    order->addStretch();
    order->addWidget(up_);
    order->addWidget(down_);
    order->addStretch();
    auto* lists = new QGridLayout;
    lists->addWidget(allLabel, 0, 0);
    lists->addWidget(all_, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(includedLabel, 0, 2);
    lists->addWidget(included_, 1, 2);
    lists->addLayout(order, 1, 3);
    auto* groups = new QHBoxLayout;
    groups->addWidget(separators);
    groups->addWidget(delimiters);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(groups);
    ok_ = AddFootButtons(*this, *layout, HelpContext());
    UpdateButtons();
}

int TExpImpDlg::HelpContext() const {
    return windowTitle().contains(QLatin1String("Export")) ? kExportHelp : kImportHelp;
}

QString TExpImpDlg::LabelOf(int position) const {
    for (const FieldChoice& field : fields_) {
        if (field.first == position) {
            return field.second;
        }
    }
    return {};
}

void TExpImpDlg::IncludeSelected() {
    QListWidgetItem* item = all_->currentItem();
    if (item == nullptr) {
        return;
    }
    const int position = item->data(Qt::UserRole).toInt();
    bool listed = false;
    for (int row = 0; row < included_->count(); ++row) {
        listed = listed || included_->item(row)->data(Qt::UserRole).toInt() == position;
    }
    if (!listed) {
        auto* copy = new QListWidgetItem(item->text(), included_);
        copy->setData(Qt::UserRole, position);
    }
    if (all_->currentRow() + 1 < all_->count()) {
        all_->setCurrentRow(all_->currentRow() + 1);
    }
    UpdateButtons();
}

void TExpImpDlg::IncludeAll() {
    included_->clear();
    for (const FieldChoice& field : fields_) {
        auto* item = new QListWidgetItem(field.second, included_);
        item->setData(Qt::UserRole, field.first);
    }
    UpdateButtons();
}

void TExpImpDlg::ExcludeSelected() {
    const int row = included_->currentRow();
    if (row >= 0) {
        delete included_->takeItem(row);
        included_->setCurrentRow(std::min(row, included_->count() - 1));
    }
    UpdateButtons();
}

void TExpImpDlg::ExcludeAll() {
    included_->clear();
    UpdateButtons();
}

void TExpImpDlg::Move(int by) {
    const int row = included_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= included_->count()) {
        return;
    }
    QListWidgetItem* item = included_->takeItem(row);
    included_->insertItem(to, item);
    included_->setCurrentRow(to);
}

void TExpImpDlg::UpdateButtons() {
    const bool offered = all_->count() > 0;
    const bool chosen = included_->count() > 0;
    include_->setEnabled(offered);
    includeAll_->setEnabled(offered);
    for (QPushButton* b : {exclude_, excludeAll_, up_, down_, ok_}) {
        if (b != nullptr) {
            b->setEnabled(chosen);
        }
    }
}

TExchangeOptions TExpImpDlg::Options() const {
    TExchangeOptions options;
    const int separator = separators_->checkedId();
    options.Separator = separator == 0 ? '\t' : separator == 1 ? ',' : Character(*separator_);
    const int delimiter = delimiters_->checkedId();
    options.Delimiter = delimiter == 0 ? '\0' : delimiter == 1 ? '"' : Character(*delimiter_);
    for (int row = 0; row < included_->count(); ++row) {
        options.Fields.push_back(included_->item(row)->data(Qt::UserRole).toInt());
    }
    return options;
}

TSelectFileDlg::TSelectFileDlg(bool exporting, const std::filesystem::path& folder, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("SelectFileDlg"));
    setWindowTitle(exporting ? QStringLiteral("Enter/Select Export File Name")
                             : QStringLiteral("Enter/Select Import File Name"));
    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("FileListBox1"));
    // Exchange tables carry lower-case names; the mask takes either case.
    const QDir dir(QString::fromStdString(folder.string()), QStringLiteral("*.DBF"),
                   QDir::Name | QDir::IgnoreCase, QDir::Files);
    files_->addItems(dir.entryList());
    auto* nameLabel = new QLabel(QStringLiteral("File Name:"), this);
    name_ = new QLineEdit(QStringLiteral("*.*"), this);
    name_->setObjectName(QStringLiteral("FileEdit"));
    nameLabel->setBuddy(name_);
    connect(files_, &QListWidget::currentTextChanged, name_, &QLineEdit::setText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameLabel);
    layout->addWidget(name_);
    layout->addWidget(files_);
    AddFootButtons(*this, *layout, exporting ? kExportHelp : kImportHelp);
}

QString TSelectFileDlg::FileName() const {
    return name_->text();
}

TExchangeProgressDlg::TExchangeProgressDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PercentDlg"));
    setModal(true);
    setFixedSize(300, 110);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("Percent1"));
    bar_->setGeometry(10, 10, 280, 24);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("RecordCount"));
    count_->move(10, 30);
    count_->hide();
    stop_ = new QPushButton(QStringLiteral("&Stop"), this);
    stop_->setObjectName(QStringLiteral("StopBtn"));
    stop_->setGeometry(110, 70, 80, 28);
    connect(stop_, &QPushButton::clicked, this, &TExchangeProgressDlg::Stop);
    sinceEvents_.start();
}

void TExchangeProgressDlg::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    LetEventsRun(true);
}

void TExchangeProgressDlg::SetTotal(std::uint32_t total) {
    total_ = total;
    bar_->setVisible(total > 0);
    count_->setVisible(total == 0);
    bar_->setRange(0, static_cast<int>(std::min<std::uint32_t>(total, INT32_MAX)));
    SetPosition(0);
}

void TExchangeProgressDlg::SetPosition(std::uint32_t done) {
    if (total_ > 0) {
        bar_->setValue(static_cast<int>(std::min(done, total_)));
    } else {
        count_->setText(QStringLiteral("Record #: ") + QString::number(done));
        count_->adjustSize();
    }
}

bool TExchangeProgressDlg::StopRequested() {
    LetEventsRun(false);
    return stopped_;
}

void TExchangeProgressDlg::LetEventsRun(bool now) {
    if (now || sinceEvents_.elapsed() >= kEventInterval) {
        QApplication::processEvents();
        sinceEvents_.restart();
    }
}

} // namespace shelfwise::exchange
