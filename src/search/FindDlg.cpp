#include "search/FindDlg.h"

#include "engine/EngineError.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "search/FieldChoice.h"
#include "search/FindHooks.h"
#include "search/WindowParts.h"
#include "text/DateText.h"
#include "text/WindowsText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace shelfwise::search {

namespace {

constexpr int MaxTextLength = 128;

const QString AllFieldsCaption = QStringLiteral("ALL FIELDS");

} // namespace

TFindMemory& FindMemory() {
    static TFindMemory memory;
    return memory;
}

QPoint BesideBookWindow(const QRect& book, const QSize& own, const QSize& screen) {
    const int top = std::max(0, std::min(book.top(), screen.height() - own.height()));
    const int right = book.left() + book.width();
    if (book.left() + book.width() / 2 <= screen.width() / 2 &&
        right + own.width() <= screen.width()) {
        return {std::min(right, screen.width() - own.width()), top};
    }
    return {std::max(0, book.left() - own.width()), top};
}

TFindDlg::TFindDlg(engine::Table& table, const db::TFieldClasses& fields,
                   std::vector<std::string> labels)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), table_(table), fields_(fields),
      labels_(std::move(labels)), finder_(table, fields) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Search"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("helpContext", HelpContext);
    const TFindMemory& memory = FindMemory();

    Caption(this, "Fields To Be Searched:", {8, 8});
    fieldBox_ = Named(new QComboBox(this), "ComboBox1", "Select Which Fields Should Be Searched");
    fieldBox_->setGeometry(8, 26, 200, 24);
    fieldBox_->addItem(AllFieldsCaption);
    fieldBox_->addItems(ChoosableFields(labels_, fields_, table_.fieldCount()));
    skipMemos_ = Named(new QCheckBox(QStringLiteral("Don't Search Multiline Fields"), this),
                       "CheckBox1", "Search is Faster if Checked");
    skipMemos_->setGeometry(8, 56, 200, 20);
    nonStop_ = Named(new QCheckBox(QStringLiteral("Non-Stop Search Mode"), this), "CheckBox2",
                     "Search Through Entire Database In One Pass");
    nonStop_->setGeometry(8, 78, 200, 20);
    startFrom_ = Named(new QGroupBox(QStringLiteral("Start From"), this), "RadioGroup1",
                       "Determines Search Direction");
    startFrom_->setGeometry(216, 8, 106, 70);
    beginning_ = new QRadioButton(QStringLiteral("Beginning"), startFrom_);
    beginning_->setGeometry(8, 20, 94, 20);
    end_ = new QRadioButton(QStringLiteral("End"), startFrom_);
    end_->setGeometry(8, 42, 94, 20);

    Caption(this, "Text To Search For:", {8, 104});
    textBox_ = Named(new QComboBox(this), "Edit1", "Enter Text You Want To Search For");
    textBox_->setEditable(true);
    textBox_->setInsertPolicy(QComboBox::NoInsert);
    textBox_->lineEdit()->setMaxLength(MaxTextLength);
    textBox_->setGeometry(8, 122, 314, 24);

    const QLabel* record = Caption(this, "Current Record:", {8, 154});
    letterLabel_ = Named(new QLabel(this), "Label5", nullptr);
    letterLabel_->setGeometry(record->geometry().right() + 1 + 4, 154, 12, record->height());
    counterLabel_ = Named(new QLabel(this), "Label4", nullptr);
    counterLabel_->setGeometry(letterLabel_->geometry().right() + 1 + 16, 154, 120,
                               record->height());

    find_ = Button(this, "BitBtn1", "&Find", "Start Search From Beginning or End of File",
                   {8, 178, 100, 26});
    findNext_ = Button(this, "BitBtn2", "Find &Next", "Find Next Record", {115, 178, 100, 26});
    findPrevious_ =
        Button(this, "BitBtn3", "Find &Previous", "Find Previous Record", {222, 178, 100, 26});
    stop_ = Button(this, "BitBtn4", "&Stop", "Stop Searching", {8, 210, 100, 26});
    help_ = Button(this, "BitBtn5", "&Help", "Display Help Window", {115, 210, 100, 26});
    close_ = Button(this, "OKBtn", "&Close", "Close Search Window", {222, 210, 100, 26});
    setFixedSize(330, 244);

    (memory.StartFrom == 1 ? end_ : beginning_)->setChecked(true);
    textBox_->addItems(memory.History);
    textBox_->setEditText(memory.Text);
    fieldBox_->setCurrentIndex(memory.Field < fieldBox_->count() ? memory.Field : 0);
    FieldChosen(fieldBox_->currentIndex());
    findNext_->setEnabled(false);
    findPrevious_->setEnabled(false);
    stop_->setEnabled(false);
    textBox_->setFocus();

    connect(fieldBox_, &QComboBox::currentIndexChanged, this, &TFindDlg::FieldChosen);
    connect(skipMemos_, &QCheckBox::clicked, this,
            [](bool checked) { FindMemory().SkipMemos = checked; });
    connect(nonStop_, &QCheckBox::clicked, this, [this](bool checked) {
        DisableContinue();
        beginning_->setChecked(true);
        startFrom_->setEnabled(!checked);
    });
    connect(textBox_, &QComboBox::editTextChanged, this, &TFindDlg::DisableContinue);
    connect(find_, &QPushButton::clicked, this, &TFindDlg::Find);
    connect(findNext_, &QPushButton::clicked, this, [this] { Continue(true); });
    connect(findPrevious_, &QPushButton::clicked, this, [this] { Continue(false); });
    connect(stop_, &QPushButton::clicked, this, [this] { stopRequested_ = true; });
    connect(help_, &QPushButton::clicked, this, [] { platform::ShowHelp(HelpContext); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    finder_.ShouldStop = [this] { return stopRequested_; };
    finder_.LetEventsRun = [this] { run_.Poll([this] { ShowCounter(); }); };
    finder_.RangeExhausted = [this](bool forward) -> std::optional<char> {
        return hooks_ != nullptr ? hooks_->RangeExhausted(forward, finder_.Letter()) : std::nullopt;
    };
}

TFindDlg::~TFindDlg() {
    // Also when the window is freed rather than closed.
    StoreMemory();
}

void TFindDlg::StoreMemory() const {
    TFindMemory& memory = FindMemory();
    memory.Text = textBox_->currentText();
    memory.History.clear();
    for (int i = 0; i < textBox_->count(); ++i) {
        memory.History.push_back(textBox_->itemText(i));
    }
    memory.Field = fieldBox_->currentIndex();
    memory.StartFrom = end_->isChecked() ? 1 : 0;
    if (fieldBox_->currentIndex() == 0) {
        memory.SkipMemos = skipMemos_->isChecked();
    }
}

void TFindDlg::Abandon() {
    hooks_ = nullptr;
    finder_.Abandon();
    close();
}

void TFindDlg::DisableContinue() {
    findNext_->setEnabled(false);
    findPrevious_->setEnabled(false);
}

void TFindDlg::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The run's loop is still on the stack: it ends at the next record, then the window
        // closes.
        stopRequested_ = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    StoreMemory();
    hooks_ = nullptr;
    event->accept();
}

void TFindDlg::keyPressEvent(QKeyEvent* event) {
    if (!WindowKey(this, event, HelpContext)) {
        QDialog::keyPressEvent(event);
    }
}

void TFindDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        close();
    }
}

void TFindDlg::FieldChosen(int index) {
    const bool all = index <= 0;
    skipMemos_->setEnabled(all);
    skipMemos_->setChecked(all && FindMemory().SkipMemos);
}

void TFindDlg::PushHistory(const QString& text) {
    for (int i = textBox_->count() - 1; i >= 0; --i) {
        if (textBox_->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            textBox_->removeItem(i);
        }
    }
    textBox_->insertItem(0, text);
    textBox_->setEditText(text);
}

void TFindDlg::PrepareFinder() {
    finder_.SetSearchText(text::ToWindowsText(textBox_->currentText()), *text::DateFormatText(0));
    finder_.SetField(fieldBox_->currentIndex() > 0
                         ? PositionOfLabel(labels_, fieldBox_->currentText())
                         : AllFields);
    finder_.SetSkipMemos(skipMemos_->isChecked());
}

void TFindDlg::Find() {
    const QString text = textBox_->currentText();
    if (text.isEmpty()) {
        platform::ShowInformation("You have to enter Text!");
        return;
    }
    FindMemory().Text = text;
    PushHistory(text);
    const bool forward = beginning_->isChecked();
    if (nonStop_->isChecked()) {
        RunNonStop();
        return;
    }
    char letter = 0;
    if (hooks_ != nullptr && !hooks_->BeforeSearch(forward, letter)) {
        return;
    }
    finder_.Begin(forward, letter);
    ShowCounter();
    RunStep(forward, true);
}

void TFindDlg::Continue(bool forward) {
    RunStep(forward, false);
}

void TFindDlg::BeginRun() {
    running_ = true;
    stopRequested_ = false;
    run_.Begin(this, stop_);
}

void TFindDlg::EndRun() {
    run_.End(stop_);
    running_ = false;
    ShowCounter();
}

void TFindDlg::ShowCounter() {
    letterLabel_->setText(finder_.Letter() != 0 ? QString(QChar(finder_.Letter())) : QString());
    counterLabel_->setText(QString::number(finder_.RecordCounter() + 1));
}

void TFindDlg::ClearCounter() {
    letterLabel_->clear();
    counterLabel_->clear();
}

void TFindDlg::RunStep(bool forward, bool fresh) {
    BeginRun();
    PrepareFinder();
    if (finder_.HasHit() && hooks_ != nullptr && !hooks_->BeforeContinue()) {
        EndRun();
        return;
    }
    StepResult result = StepResult::NotFound;
    try {
        result = finder_.Step(forward);
    } catch (const engine::EngineError& e) {
        platform::ShowError(e.what());
    }
    if (hooks_ != nullptr) {
        if (result == StepResult::Hit) {
            hooks_->FoundRecord({finder_.Letter(), finder_.RecordCounter(), finder_.FieldPosition(),
                                 finder_.MemoOffset(), finder_.MemoLength()});
        } else {
            hooks_->SearchFailed(false);
        }
    }
    EndRun();
    if (result == StepResult::Hit) {
        (forward ? findNext_ : findPrevious_)->setEnabled(true);
        if (!fresh) {
            (forward ? findPrevious_ : findNext_)->setEnabled(true);
        }
    } else {
        ClearCounter();
        (forward ? findNext_ : findPrevious_)->setEnabled(false);
        if (!closeAfterRun_) {
            platform::ShowInformation("Text Not Found!");
        }
    }
    if (closeAfterRun_) {
        close();
    }
}

void TFindDlg::RunNonStop() {
    const bool refused = hooks_ != nullptr && !hooks_->BeforeNonStop();
    NonStopResult result;
    if (!refused) {
        BeginRun();
        PrepareFinder();
        try {
            result = finder_.MarkAll();
        } catch (const engine::EngineError& e) {
            platform::ShowError(e.what());
            result = {0, 0, true};
        }
        EndRun();
        if (result.Stopped) {
            result.Found = 0;
            ClearCounter();
        } else {
            std::string message = result.Found > 0
                                      ? std::to_string(result.Found) +
                                            " Record(s) Found!\nTo return later to "
                                            "All-Record-Display set Filter to All Records."
                                      : std::string("No Records Found!");
            if (result.Skipped > 0) {
                message += "\n" + std::to_string(result.Skipped) +
                           " record(s) could not be marked: another user is editing them.";
            }
            platform::ShowInformation(message);
        }
    }
    if (hooks_ != nullptr) {
        hooks_->AfterNonStop(refused, result.Found);
    }
    if (closeAfterRun_) {
        close();
    }
}

} // namespace shelfwise::search
