#include "book/PercentDlg.h"

#include "book/Percent.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <cmath>

namespace shelfwise::book {

namespace {

TPercentDlg* current = nullptr;
constexpr qint64 kEventInterval = 30; // ms

// The percent of `position` out of `total`, halves to even; a total of 0 is complete.
int PercentOf(std::uint32_t position, std::uint32_t total) {
    if (total == 0) {
        return 100;
    }
    return static_cast<int>(std::nearbyint(100.0 * position / total));
}

} // namespace

TPercentDlg::TPercentDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("PercentDlg"));
    setWindowTitle(QStringLiteral("Progress"));
    setFixedSize(357, 110);
    percent_ = new TPercent(this);
    percent_->setObjectName(QStringLiteral("Percent1"));
    percent_->setGeometry(30, 21, 297, 33);
    percent_->SetPercentColor(Qt::green);
    stop_ = new QPushButton(QStringLiteral("&Stop"), this);
    stop_->setObjectName(QStringLiteral("StopBtn"));
    stop_->setToolTip(QStringLiteral("Stop This Operation"));
    stop_->setGeometry(138, 70, 80, 28);
    connect(stop_, &QPushButton::clicked, this, [this] {
        stopRequested_ = true;
        stop_->setEnabled(false);
    });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

void TPercentDlg::SetProgressTotal(std::uint32_t total) {
    total_ = total;
    // Always shown afresh: the position may already be 0 under another total.
    position_ = 0;
    ShowPosition();
}

void TPercentDlg::SetProgressPosition(std::uint32_t position) {
    if (position == position_) {
        return;
    }
    position_ = position;
    ShowPosition();
}

void TPercentDlg::StepProgress() {
    SetProgressPosition(position_ + 1);
    if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= kEventInterval) {
        QCoreApplication::processEvents();
        sinceEvents_.start();
    }
}

void TPercentDlg::SetProgressPercent(int percent) {
    if (percent != percent_->PercentShaded()) {
        percent_->SetPercentShaded(percent);
    }
}

void TPercentDlg::ShowPosition() {
    percent_->SetPercentShaded(PercentOf(position_, total_));
}

TPercentDlg* CurrentProgress() {
    return current;
}

TProgressWindow::TProgressWindow(db::TDatabase& database, QWidget* owner, const QString& task)
    : database_(database), dialog_(std::make_unique<TPercentDlg>(owner)), previous_(current),
      previousInDatabase_(database.CurrentProgress) {
    current = dialog_.get();
    database_.CurrentProgress = dialog_.get();
    dialog_->setWindowTitle(task);
    dialog_->show();
}

TProgressWindow::~TProgressWindow() {
    current = previous_;
    database_.CurrentProgress = previousInDatabase_;
}

} // namespace shelfwise::book
