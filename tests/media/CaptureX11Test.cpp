#include "PictureBytes.h"
#include "media/CaptureForm.h"
#include "media/MultiImgControl.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace shelfwise::media {
namespace {

using test::Pattern;

// Where the known window lies on the X screen, and the rectangle dragged over it.
const QRect Known(0, 0, 400, 300);
const QPoint DragFrom(120, 40);
const QPoint DragTo(20, 90);
const QRect Dragged(20, 40, 100, 50); // the right and bottom points outside

// The capture on a real X server: a virtual one of its own on a free display, with this test
// program started again on it (the suite's own runs on the offscreen platform). Needs the
// package xvfb.
TEST(CaptureX11, TheDraggedPartOfAKnownWindowIsCapturedPixelForPixel) {
    QProcess server;
    // Xvfb picks a free display and writes its number to the descriptor given.
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted()) << "Xvfb is needed (the package xvfb)";
    QByteArray display;
    while (!display.endsWith('\n') && server.waitForReadyRead(20000)) {
        display += server.readAllStandardOutput();
    }
    ASSERT_TRUE(display.endsWith('\n')) << server.readAllStandardError().toStdString();

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"),
                       QLatin1Char(':') + QString::fromLatin1(display.trimmed()));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ChildProgram.CaptureOnX11")});
    const bool finished = child.waitForFinished(120000);
    const std::string output = child.readAll().toStdString();
    server.terminate();
    server.waitForFinished();
    ASSERT_TRUE(finished) << output;
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// Run by the test above on the virtual X server.
TEST(ChildProgram, CaptureOnX11) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QImage pattern = Pattern(Known.width(), Known.height());
    QLabel known;
    known.setWindowFlags(Qt::FramelessWindowHint);
    known.setPixmap(QPixmap::fromImage(pattern));
    known.setGeometry(Known);
    known.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&known));

    // The owner window covers part of the known one; the capture hides it first.
    QDialog owner;
    owner.setGeometry(50, 20, 300, 250);
    auto* layout = new QVBoxLayout(&owner);
    auto* control = new TDbMultiImgControl(QString(), &owner);
    layout->addWidget(control);
    std::vector<std::string> messages;
    platform::SetMessageHook([&](const platform::Message& message) {
        messages.push_back(message.text);
        return platform::MessageAnswer::Ok;
    });
    platform::SetDialogHook([](QDialog& dialog) {
        auto& form = static_cast<TCaptureForm&>(dialog);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 600));
        QTest::mousePress(&form, Qt::LeftButton, {}, DragFrom);
        QTest::mouseMove(&form, DragTo);
        QTest::mouseRelease(&form, Qt::LeftButton, {}, DragTo);
        return form.result();
    });
    QTimer::singleShot(0, &owner, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&owner));
        control->CaptureScreen();
        EXPECT_TRUE(owner.isVisible());
        owner.accept();
    });
    EXPECT_EQ(owner.exec(), QDialog::Accepted);
    platform::SetDialogHook(nullptr);
    platform::SetMessageHook(nullptr);

    EXPECT_TRUE(messages.empty());
    const QImage captured = control->FullPicture();
    ASSERT_EQ(captured.size(), Dragged.size());
    EXPECT_EQ(captured.convertToFormat(QImage::Format_RGB32), pattern.copy(Dragged));
    EXPECT_TRUE(control->PictureModified());
}

} // namespace
} // namespace shelfwise::media
