#include "book/SortDlg.h"

#include "book/SortRules.h"
#include "platform/Help.h"
#include "text/WindowsText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shelfwise::book {

namespace {

QGroupBox* DirectionBox(const char* name, QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Sort Order"), parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    for (const char* caption : {"Ascending", "Descending"}) {
        auto* choice = new QRadioButton(QString::fromLatin1(caption), box);
        choice->setObjectName(QString::fromLatin1(name) + QLatin1Char('_') +
                              QString::fromLatin1(caption));
        layout->addWidget(choice);
    }
    return box;
}

void SetDescending(QGroupBox* box, bool descending) {
    const auto choices = box->findChildren<QRadioButton*>();
    choices[descending ? 1 : 0]->setChecked(true);
}

QComboBox* FieldBox(const char* name, const QString& none, const std::vector<std::string>& labels,
                    const TSortRules& rules, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItem(none);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (rules.Sortable(static_cast<int>(i) + db::FirstDataField)) {
            box->addItem(text::FromWindowsText(labels[i]));
        }
    }
    return box;
}

// The item that shows the field's label; item 0 for none.
int ItemOf(const QComboBox* box, const std::vector<std::string>& labels, int position,
           const QString& none) {
    return std::max(0, box->findText(SortFieldCaption(labels, position, none)));
}

} // namespace

TSortDlg::TSortDlg(const std::vector<std::string>& labels, const db::TFieldClasses& fields,
                   const db::SortValues& sort, QWidget* parent)
    : QDialog(parent), labels_(labels), fields_(fields) {
    setObjectName(QStringLiteral("SortDlg"));
    setWindowTitle(QStringLiteral("Sort Options"));
    setProperty("helpContext", HelpContext);
    const TSortRules rules(fields_);
    sort_ = FieldBox("Sort_CB", EntryOrderCaption, labels_, rules, this);
    sort2_ = FieldBox("Sort2_CB", NoneCaption, labels_, rules, this);
    order_ = DirectionBox("Order_GB", this);
    order2_ = DirectionBox("Order2_GB", this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Primary Sort Field:"), this), 0, 0);
    grid->addWidget(sort_, 1, 0);
    grid->addWidget(order_, 0, 1, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Secondary Sort Field:"), this), 2, 0);
    grid->addWidget(sort2_, 3, 0);
    grid->addWidget(order2_, 2, 1, 2, 1);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { platform::ShowHelp(HelpContext); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    sort_->setCurrentIndex(ItemOf(sort_, labels_, sort.PrimaryField, EntryOrderCaption));
    sort2_->setCurrentIndex(ItemOf(sort2_, labels_, sort.SecondaryField, NoneCaption));
    SetDescending(order_, sort.PrimaryDescending);
    SetDescending(order2_, sort.SecondaryDescending);
    KeepConsistent();
    connect(sort_, &QComboBox::currentIndexChanged, this, &TSortDlg::KeepConsistent);
    connect(sort2_, &QComboBox::currentIndexChanged, this, &TSortDlg::KeepConsistent);
    connect(DescendingOf(order_), &QRadioButton::toggled, this, [this](bool descending) {
        if (TSortRules(fields_).BothText(Chosen())) {
            SetDescending(order2_, descending);
        }
    });
}

QRadioButton* TSortDlg::DescendingOf(const QGroupBox* box) {
    return box->findChildren<QRadioButton*>()[1];
}

int TSortDlg::PositionOf(const QComboBox* box) const {
    if (box->currentIndex() <= 0) {
        return 0;
    }
    // Labels turn back into fields by their first case-insensitive match.
    const QString text = box->currentText();
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (text::FromWindowsText(labels_[i]).compare(text, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i) + db::FirstDataField;
        }
    }
    return 0;
}

void TSortDlg::KeepConsistent() {
    if (sort_->currentIndex() == 0 || sort2_->currentText() == sort_->currentText()) {
        sort2_->setCurrentIndex(0);
    }
    if (sort2_->currentIndex() == 0) {
        order2_->setEnabled(false);
        SetDescending(order2_, false);
    } else if (TSortRules(fields_).BothText(Chosen())) {
        order2_->setEnabled(false);
        SetDescending(order2_, DescendingOf(order_)->isChecked());
    } else {
        order2_->setEnabled(true);
    }
}

db::SortValues TSortDlg::Chosen() const {
    db::SortValues sort;
    sort.PrimaryField = static_cast<std::uint8_t>(PositionOf(sort_));
    sort.SecondaryField = static_cast<std::uint8_t>(PositionOf(sort2_));
    sort.PrimaryDescending = DescendingOf(order_)->isChecked();
    sort.SecondaryDescending = DescendingOf(order2_)->isChecked();
    return sort;
}

} // namespace shelfwise::book
