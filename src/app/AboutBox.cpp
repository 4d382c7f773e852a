#include "app/AboutBox.h"

#include "app/ProgramIcon.h"
#include "settings/Settings.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace shelfwise::app {

TAboutBox::TAboutBox(Use use, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), full_(ProgramIcon()),
      pictureSize_(full_.size()), animated_(use == Use::About) {
    setObjectName(use == Use::About ? QStringLiteral("AboutBox") : QStringLiteral("SplashBox"));
    setWindowTitle(use == Use::About ? QStringLiteral("About") : QStringLiteral("Welcome"));
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("ProgramIcon"));
    picture_->setFixedSize(full_.size());
    picture_->setAlignment(Qt::AlignCenter);
    productName_ = new QLabel(QString::fromLatin1(settings::ProgramTitle), this);
    productName_->setObjectName(QStringLiteral("ProductName"));
    QFont bold = productName_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    productName_->setFont(bold);
    version_ = new QLabel(QString::fromLatin1(settings::VersionText), this);
    version_->setObjectName(QStringLiteral("Version"));
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);
    ok_->setVisible(use == Use::About);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    timer_ = new QTimer(this);
    timer_->setInterval(TickMilliseconds);
    connect(timer_, &QTimer::timeout, this, &TAboutBox::Tick);

    auto* top = new QHBoxLayout;
    top->addWidget(picture_);
    auto* texts = new QVBoxLayout;
    texts->addWidget(productName_);
    texts->addWidget(version_);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addLayout(top);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    DrawPicture();
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
        move(screen->availableGeometry().center() - rect().center());
    }
    if (animated_) {
        pictureSize_ = QSize(1, 1);
        DrawPicture();
        timer_->start();
    }
}

void TAboutBox::Tick() {
    pictureSize_ = pictureSize_.grownBy(QMargins(0, 0, 1, 1)).boundedTo(full_.size());
    DrawPicture();
    if (pictureSize_ == full_.size()) {
        timer_->stop();
    }
}

void TAboutBox::DrawPicture() {
    picture_->setPixmap(
        full_.scaled(pictureSize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace shelfwise::app
