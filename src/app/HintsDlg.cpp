#include "app/HintsDlg.h"

#include "platform/MessageBox.h"
#include "settings/FileBytes.h"
#include "settings/Settings.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"
#include "text/WindowsText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

namespace shelfwise::app {

namespace {

constexpr int MaxTips = 100000;

std::optional<std::string> ReadHints(const settings::Settings& settings) {
    auto bytes = settings::ReadFileBytes(settings.ProgramDir / HintsFileName);
    if (!bytes) {
        platform::ShowError("Cannot open the Hints file.");
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

int TipCount(std::string_view firstLine) {
    int count = 0;
    const auto [end, error] =
        std::from_chars(firstLine.data(), firstLine.data() + firstLine.size(), count);
    if (error != std::errc() || count < 0) {
        return 0;
    }
    return std::min(count, MaxTips);
}

int RandomTip(int count) {
    return count > 1 ? QRandomGenerator::global()->bounded(1, count) : 1;
}

QPushButton* AddButton(QBoxLayout* row, const char* name, const char* caption, const char* hint,
                       QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    if (hint != nullptr) {
        button->setToolTip(QString::fromLatin1(hint));
    }
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

THintsDlg::THintsDlg(settings::Settings& settings, QWidget* parent, std::function<int(int)> pick)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("HintsDlg"));
    setWindowTitle(QStringLiteral("Tips"));
    setModal(true);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setReadOnly(true);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFont(QFont(QStringLiteral("Arial"), 10));
    QPalette palette = memo_->palette();
    palette.setColor(QPalette::Base, QColor(0x00, 0xFF, 0xFF));
    palette.setColor(QPalette::Text, Qt::black);
    memo_->setPalette(palette);
    memo_->setMinimumSize(340, 150);

    doNotDisplay_ = new QCheckBox(QStringLiteral("&Do Not Display Tips"), this);
    doNotDisplay_->setObjectName(QStringLiteral("DoNotDisplayTips"));
    doNotDisplay_->setToolTip(QStringLiteral("Do Not Display Tips Window On Startup"));
    doNotDisplay_->setChecked(!settings.ShowTips);

    auto* buttons = new QHBoxLayout;
    previous_ = AddButton(buttons, "PreviousBtn", "<< &Previous", "Display Previous Tip", this);
    next_ = AddButton(buttons, "NextBtn", "&Next >>", "Display Next Tip", this);
    QPushButton* close = AddButton(buttons, "CloseBtn", "&Close", nullptr, this);
    close->setDefault(true);
    connect(previous_, &QPushButton::clicked, this, [this] { ShowTip(current_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { ShowTip(current_ + 1); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addWidget(doNotDisplay_);
    layout->addLayout(buttons);

    previous_->setEnabled(false);
    next_->setEnabled(false);
    const auto text = ReadHints(settings_);
    if (!text) {
        return;
    }
    const auto lines = settings::SplitLines(*text);
    count_ = lines.empty() ? 0 : TipCount(lines.front());
    if (count_ > 0) {
        ShowTip(pick ? pick(count_) : RandomTip(count_));
    }
}

void THintsDlg::ShowTip(int tip) {
    if (count_ <= 0 || tip < 1) {
        return;
    }
    const auto text = ReadHints(settings_);
    if (!text) {
        return;
    }
    current_ = std::min(tip, count_);
    const std::string heading = "[" + std::to_string(current_) + "]";
    const auto lines = settings::SplitLines(*text);
    std::size_t line = 1;
    while (line < lines.size() && lines[line] != heading) {
        ++line;
    }
    if (line < lines.size()) {
        std::string tipText;
        for (++line; line < lines.size() && !lines[line].starts_with('['); ++line) {
            if (!tipText.empty()) {
                tipText += '\n';
            }
            tipText += lines[line];
        }
        memo_->setPlainText(text::FromWindowsText(tipText));
        memo_->moveCursor(QTextCursor::Start);
    }
    previous_->setEnabled(current_ > 1);
    next_->setEnabled(current_ < count_);
}

void THintsDlg::done(int result) {
    const bool show = !doNotDisplay_->isChecked();
    if (settings_.ShowTips != show) {
        settings_.ShowTips = show;
        settings::SaveUiOptions(settings_);
    }
    QDialog::done(result);
}

} // namespace shelfwise::app
