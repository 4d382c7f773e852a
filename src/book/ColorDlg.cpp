#include "book/ColorDlg.h"

#include "book/ColorGrid.h"
#include "platform/Dialogs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shelfwise::book {

TColorDlg::TColorDlg(settings::Settings& settings, std::size_t firstElement, QWidget* parent)
    : QDialog(parent), settings_(settings), firstElement_(firstElement),
      run_(settings.Colors, firstElement, 2) {
    setObjectName(QStringLiteral("ColorDlg"));
    setWindowTitle(QStringLiteral("Set Colors"));
    group_ = new QGroupBox(this);
    group_->setObjectName(QStringLiteral("RadioGroup1"));
    groupLayout_ = new QVBoxLayout(group_);
    choices_ = new QButtonGroup(this);
    grid_ = new TColorGrid(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(group_);
    side->addStretch();
    side->addWidget(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(side);

    connect(choices_, &QButtonGroup::idClicked, this, &TColorDlg::ShowChoice);
    connect(grid_, &TColorGrid::ColorClicked, this,
            [this](int index) { run_.SetColor(static_cast<std::uint8_t>(index)); });
    SetChoices({QStringLiteral("Text Color"), QStringLiteral("Bgnd Color")});
}

void TColorDlg::SetChoices(const QStringList& captions) {
    for (auto* button : choices_->buttons()) {
        choices_->removeButton(button);
        delete button;
    }
    run_ = TColorRun(settings_.Colors, firstElement_, static_cast<std::size_t>(captions.size()));
    for (int i = 0; i < static_cast<int>(run_.Count()); ++i) {
        auto* button = new QRadioButton(captions[i], group_);
        choices_->addButton(button, i);
        groupLayout_->addWidget(button);
    }
    choices_->button(0)->setChecked(true);
    ShowChoice(0);
}

void TColorDlg::ShowChoice(int choice) {
    run_.Choose(static_cast<std::size_t>(choice));
    grid_->SetSelected(run_.CurrentColor());
}

void TColorDlg::accept() {
    settings::SaveElementColors(settings_.DatabaseDir / settings::ElementColorsFileName,
                                settings_.Colors);
    QDialog::accept();
}

void TColorDlg::reject() {
    run_.Restore();
    QDialog::reject();
}

bool EditColors(settings::Settings& settings, std::size_t firstElement, const QString& caption,
                const QStringList& choices, QWidget* parent) {
    TColorDlg dialog(settings, firstElement, parent);
    dialog.setWindowTitle(caption);
    dialog.SetChoices(choices);
    return platform::RunModal(dialog) == QDialog::Accepted && dialog.Changed();
}

} // namespace shelfwise::book
