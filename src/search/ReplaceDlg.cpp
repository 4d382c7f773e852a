#include "search/ReplaceDlg.h"

#include "editors/DateEdit.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "search/FieldChoice.h"
#include "text/WindowsText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <charconv>

namespace shelfwise::search {

namespace {

const char* const ModeCaptions[] = {"Replace Entire Field Contents", "Replace Substring Only",
                                    "Auto-Increment", "Auto-Decrement"};

// A whole number of digits; none for anything else (or one too big).
std::optional<std::int64_t> WholeNumber(const QString& text) {
    const std::string digits = text.toStdString();
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
        digits[0] == '-') {
        return std::nullopt;
    }
    return value;
}

} // namespace

TReplaceDlg::TReplaceDlg(engine::Table& table, const db::TFieldClasses& fields,
                         std::vector<std::string> labels)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), table_(table),
      labels_(std::move(labels)), replacer_(table) {
    setObjectName(QStringLiteral("ReplaceDlg"));
    setWindowTitle(QStringLiteral("Replace"));
    setProperty("helpContext", HelpContext);

    Caption(this, "Field To Be Replaced:", {8, 8});
    fieldBox_ = Named(new QComboBox(this), "ComboBox1", "Select Which Fields Should Be Replaced");
    fieldBox_->setGeometry(8, 26, 216, 24);
    fieldBox_->addItems(ChoosableFields(labels_, fields, table_.fieldCount()));

    modeGroup_ = Named(new QGroupBox(QStringLiteral("Replace Mode"), this), "RadioGroup1", nullptr);
    modeGroup_->setGeometry(8, 56, 216, 112);
    for (int i = 0; i < 4; ++i) {
        auto* mode = new QRadioButton(QString::fromLatin1(ModeCaptions[i]), modeGroup_);
        mode->setGeometry(8, 20 + 22 * i, 204, 20);
        modes_.push_back(mode);
    }
    modes_[0]->setChecked(true);

    startGroup_ =
        Named(new QGroupBox(QStringLiteral("Start Replacing From"), this), "RadioGroup2", nullptr);
    startGroup_->setGeometry(232, 8, 130, 70);
    fromCurrent_ = new QRadioButton(QStringLiteral("Current Record"), startGroup_);
    fromCurrent_->setGeometry(8, 20, 118, 20);
    fromFirst_ = new QRadioButton(QStringLiteral("First Record"), startGroup_);
    fromFirst_->setGeometry(8, 42, 118, 20);
    fromCurrent_->setChecked(true);

    edit1Caption_ = Named(Caption(this, "Substring To Replace:", {232, 86}), "Label2", nullptr);
    edit1Caption_->resize(130, edit1Caption_->height());
    edit1_ = Named(new QLineEdit(this), "Edit1", nullptr);
    edit1_->setGeometry(232, 104, 130, 24);

    valueCaption_ = Caption(this, "Replace With:", {8, 176});
    edit2_ = Named(new QLineEdit(this), "Edit2", nullptr);
    edit2_->setGeometry(8, 194, 354, 24);
    memo1_ = Named(new QPlainTextEdit(this), "Memo1", nullptr);
    memo1_->setGeometry(8, 194, 354, 60);
    dateEdit1_ = Named(new editors::TDateEdit(this), "DateEdit1", nullptr);
    dateEdit1_->SetDisplayFormat(QStringLiteral("mm/dd/yyyy"));
    dateEdit1_->HideFontAndColor();
    dateEdit1_->setGeometry(8, 194, 120, 24);

    counterCaption_ = Named(Caption(this, "Current Record:", {8, 262}), "Label4", nullptr);
    counterLabel_ = Named(new QLabel(this), "Label5", nullptr);
    counterLabel_->setGeometry(counterCaption_->geometry().right() + 1 + 4, 262, 120,
                               counterCaption_->height());

    replace_ = Button(this, "BitBtn1", "&Replace", "Start Replacing", {8, 286, 84, 26});
    help_ = Button(this, "HelpBtn", "&Help", "Display Help Window", {98, 286, 84, 26});
    stop_ = Button(this, "BitBtn2", "&Stop", "Stop Replacing", {188, 286, 84, 26});
    close_ = Button(this, "OKBtn", "&Close", "Close Search Window", {278, 286, 84, 26});
    setFixedSize(370, 320);
    replace_->setEnabled(false);
    stop_->setEnabled(false);

    for (QRadioButton* mode : modes_) {
        connect(mode, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                SetUpControls();
            }
        });
    }
    connect(fieldBox_, &QComboBox::currentIndexChanged, this, &TReplaceDlg::SetUpControls);
    connect(edit2_, &QLineEdit::textChanged, this, &TReplaceDlg::SetUpControls);
    connect(memo1_, &QPlainTextEdit::textChanged, this, &TReplaceDlg::SetUpControls);
    connect(dateEdit1_, &QLineEdit::textChanged, this, &TReplaceDlg::SetUpControls);
    connect(replace_, &QPushButton::clicked, this, &TReplaceDlg::Replace);
    connect(stop_, &QPushButton::clicked, this, [this] { stopRequested_ = true; });
    connect(help_, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    replacer_.ShouldStop = [this] { return stopRequested_; };
    replacer_.LetEventsRun = [this] { run_.Poll([this] { ShowCounter(); }); };
    SetUpControls();
}

TReplaceDlg::~TReplaceDlg() = default;

void TReplaceDlg::Free() {
    if (running_) {
        // The run's loop is still on the stack: it ends at the next record, then the window
        // goes.
        stopRequested_ = true;
        freeAfterRun_ = true;
        return;
    }
    delete this;
}

void TReplaceDlg::Abandon() {
    hooks_ = nullptr;
    abandoned_ = true;
    replacer_.Abandon();
    Free();
}

void TReplaceDlg::closeEvent(QCloseEvent* event) {
    if (running_) {
        stopRequested_ = true;
        hideAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TReplaceDlg::keyPressEvent(QKeyEvent* event) {
    if (!WindowKey(this, event, HelpContext)) {
        QDialog::keyPressEvent(event);
    }
}

void TReplaceDlg::showEvent(QShowEvent* event) {
    SetUpControls();
    QDialog::showEvent(event);
}

int TReplaceDlg::TargetField() const {
    return PositionOfLabel(labels_, fieldBox_->currentText());
}

ReplaceMode TReplaceDlg::Mode() const {
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        if (modes_[i]->isChecked()) {
            return static_cast<ReplaceMode>(i);
        }
    }
    return ReplaceMode::Entire;
}

void TReplaceDlg::SetUpControls() {
    const int field = TargetField();
    const char type = field < table_.fieldCount() ? table_.field(field).type : 'C';
    if (ModeForField(Mode(), type) != Mode()) {
        // Checking it comes back here.
        modes_[0]->setChecked(true);
        return;
    }
    const ReplaceMode mode = Mode();
    const bool counter = mode == ReplaceMode::Increment || mode == ReplaceMode::Decrement;
    valueCaption_->setVisible(!counter);
    memo1_->setVisible(!counter && type == 'M');
    dateEdit1_->setVisible(!counter && type == 'D');
    edit2_->setVisible(!counter && type != 'M' && type != 'D');
    bool filled = true;
    if (!counter) {
        filled = type == 'M'   ? !memo1_->toPlainText().isEmpty()
                 : type == 'D' ? dateEdit1_->GetDate().has_value()
                               : !edit2_->text().isEmpty();
    }
    replace_->setEnabled(filled && fieldBox_->count() > 0 && !running_);
    edit1Caption_->setVisible(mode != ReplaceMode::Entire);
    edit1_->setVisible(mode != ReplaceMode::Entire);
    if (counter) {
        edit1Caption_->setText(QStringLiteral("Start From:"));
        if (edit1_->validator() == nullptr) {
            edit1_->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit1_));
        }
        if (!WholeNumber(edit1_->text())) {
            edit1_->clear();
        }
    } else {
        edit1Caption_->setText(QStringLiteral("Substring To Replace:"));
        if (const QValidator* digits = edit1_->validator()) {
            edit1_->setValidator(nullptr);
            delete digits;
        }
    }
}

TReplaceSettings TReplaceDlg::Settings(const TReplaceScope& scope) const {
    TReplaceSettings s;
    s.Field = TargetField();
    s.Mode = Mode();
    // A memo's lines are stored with CR LF.
    s.Value = text::ToWindowsText(
        table_.field(s.Field).type == 'M'
            ? memo1_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"))
            : edit2_->text());
    s.Date = dateEdit1_->GetDate();
    s.Substring = text::ToWindowsText(edit1_->text());
    s.Start = WholeNumber(edit1_->text()).value_or(0);
    s.FromFirst = fromFirst_->isChecked();
    s.Scope = scope.Scope;
    s.Filter = scope.Filter;
    return s;
}

void TReplaceDlg::Replace() {
    const platform::Message confirmation{
        platform::MessageKind::Warning,
        "This function is very Dangerous!\nMake sure you selected the desired set of records "
        "using a Filter. Click on Help for more information. Are you sure you want to use "
        "Replace function?",
        platform::ButtonYes | platform::ButtonNo | platform::ButtonHelp, HelpContext};
    if (platform::ShowMessage(confirmation, this) != platform::MessageAnswer::Yes) {
        return;
    }
    const std::optional<TReplaceScope> scope =
        hooks_ != nullptr ? hooks_->BeforeReplace() : std::optional<TReplaceScope>(TReplaceScope{});
    if (scope) {
        if (table_.isOpen()) {
            RunReplace(*scope);
        } else {
            platform::ShowError("Could not open the database for Replace!");
        }
    }
    if (hooks_ != nullptr) {
        hooks_->AfterReplace(!scope);
    }
    EndOfRun();
}

void TReplaceDlg::RunReplace(const TReplaceScope& scope) {
    running_ = true;
    stopRequested_ = false;
    run_.Begin(this, stop_);
    counterCaption_->setEnabled(true);
    counterLabel_->setEnabled(true);
    counterLabel_->clear();
    const TReplaceResult result = replacer_.Run(Settings(scope));
    run_.End(stop_);
    running_ = false;
    if (abandoned_) {
        // The table is gone: nothing more to show.
        return;
    }
    SetUpControls();
    Report(result);
}

void TReplaceDlg::Report(const TReplaceResult& result) {
    const std::string held =
        result.Held > 0 ? "\n" + std::to_string(result.Held) +
                              " record(s) could not be changed: another user is editing them."
                        : std::string();
    if (!result.Error.empty()) {
        // The batches written before the failure stay written.
        platform::ShowError(result.Error + "\n" + std::to_string(result.Replaced) +
                            " records were Replaced." + held);
    } else if (result.Stopped) {
        counterLabel_->setText(QStringLiteral("1"));
    } else if (result.Replaced == 0) {
        platform::ShowInformation("No records were replaced!" + held);
    } else {
        platform::ShowInformation(std::to_string(result.Replaced) + " records were Replaced.\n" +
                                  std::to_string(result.Failed) + " records failed the Replace." +
                                  held);
    }
    // What a stopped run changed stays changed, so it is logged too.
    if (result.Replaced > 0 && hooks_ != nullptr) {
        hooks_->LogEntry(std::to_string(result.Replaced) + " Records Replaced.");
    }
    if (!result.Stopped) {
        counterLabel_->clear();
    }
}

void TReplaceDlg::ShowCounter() {
    counterLabel_->setText(QString::number(replacer_.RecordCounter() + 1));
}

void TReplaceDlg::EndOfRun() {
    if (freeAfterRun_) {
        // Its Replace button's click is still on the stack.
        deleteLater();
        return;
    }
    if (hideAfterRun_) {
        hideAfterRun_ = false;
        hide();
    }
}

} // namespace shelfwise::search
