#include "media/MultiImgControl.h"
#include "media/SaneScanner.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace shelfwise::media {
namespace {

// Scans come from SANE's "test" backend, configured in a folder of the tests' own: the system's
// backends (a network one among them) are never asked. SANE takes the folder once a process, so
// the whole test program uses this one, named before any test runs. Needs libsane1 and
// sane-utils.
QTemporaryDir& ConfigDir() {
    static QTemporaryDir dir;
    return dir;
}

// The backend's settings: one device, a coloured test picture, and these lines.
bool Configure(const QByteArray& lines) {
    QFile dll(ConfigDir().filePath(QStringLiteral("dll.conf")));
    QFile test(ConfigDir().filePath(QStringLiteral("test.conf")));
    return dll.open(QIODevice::WriteOnly) && dll.write("test\n") > 0 &&
           test.open(QIODevice::WriteOnly) &&
           test.write("number_of_devices 1\ntest-picture \"Color pattern\"\nresolution 50.0\n"
                      "br_x 80.0\nbr_y 100.0\n" +
                      lines) > 0;
}

// No trailing colon: only this folder is read.
const bool Configured = Configure("mode Color\ndepth 8\n") &&
                        qputenv("SANE_CONFIG_DIR", ConfigDir().path().toLocal8Bit());

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Configured);
        ASSERT_TRUE(Configure("mode Color\ndepth 8\n"));
        platform::SetMessageHook([this](const platform::Message& message) {
            messages.push_back(message.text);
            return platform::MessageAnswer::Ok;
        });
    }
    void TearDown() override {
        platform::SetMessageHook(nullptr);
        platform::SetDialogHook(nullptr);
    }

    // What the backend's own scanning program gets from the same settings.
    QImage ScanImage() {
        QProcess scanimage;
        scanimage.start(
            QStringLiteral("scanimage"),
            {QStringLiteral("-d"), QStringLiteral("test:0"), QStringLiteral("--format=pnm")});
        EXPECT_TRUE(scanimage.waitForFinished(60000));
        EXPECT_EQ(scanimage.exitCode(), 0) << scanimage.readAllStandardError().toStdString();
        return QImage::fromData(scanimage.readAllStandardOutput());
    }

    std::vector<std::string> messages;
};

int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

TEST_F(ScanTest, EachKindOfFrameGivesThePicturesTheBackendsOwnProgramGets) {
    ASSERT_TRUE(TSaneScanner::Available()) << "libsane1 is needed";
    QString error;
    EXPECT_EQ(TSaneScanner::FindScanners(&error), QStringList{QStringLiteral("test:0")});
    struct Case {
        const char* Lines;
        int Tolerance; // 16-bit samples are cut to 8 bits
    };
    const Case cases[] = {
        {"mode Color\ndepth 8\n", 0},
        {"mode Gray\ndepth 8\n", 0},
        {"mode Gray\ndepth 1\n", 0},
        {"mode Color\ndepth 16\n", 1},
        {"mode Color\ndepth 8\nthree-pass true\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Lines);
        ASSERT_TRUE(Configure(c.Lines));
        const QImage scanned = TSaneScanner::Scan(&error);
        ASSERT_FALSE(scanned.isNull()) << error.toStdString();
        // 80 x 100 mm at 50 dots an inch.
        EXPECT_EQ(scanned.size(), QSize(157, 196));
        const QImage expected = ScanImage();
        ASSERT_EQ(expected.size(), scanned.size());
        EXPECT_LE(LargestDifference(scanned, expected), c.Tolerance);
    }
}

TEST_F(ScanTest, AFailedScanLeavesThePictureAndItsMarks) {
    ASSERT_TRUE(TSaneScanner::Available()) << "libsane1 is needed";
    TDbMultiImgControl control(QString(), nullptr);
    ASSERT_TRUE(control.Button(7)->isEnabled());
    control.ScanPicture();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(control.FullPicture().size(), QSize(157, 196));
    EXPECT_TRUE(control.PictureModified());

    QImage pasted(9, 9, QImage::Format_RGB32);
    pasted.fill(Qt::red);
    QApplication::clipboard()->setImage(pasted);
    control.PastePicture();
    ASSERT_TRUE(Configure("mode Color\ndepth 8\nread-status-code \"SANE_STATUS_IO_ERROR\"\n"));
    control.ScanPicture();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(control.FullPicture(), pasted);
    // The pasted picture is still to be stored.
    EXPECT_TRUE(control.PictureModified());
}

TEST_F(ScanTest, SelectScannerOffersTheDevicesFoundAndKeepsTheChoice) {
    ASSERT_TRUE(TSaneScanner::Available()) << "libsane1 is needed";
    ASSERT_TRUE(Configure("number_of_devices 2\nmode Color\ndepth 8\n"));
    TDbMultiImgControl control(QString(), nullptr);
    QStringList offered;
    QString choice;
    platform::SetDialogHook([&](QDialog& dialog) {
        auto& ask = static_cast<QInputDialog&>(dialog);
        offered = ask.comboBoxItems();
        if (choice.isEmpty()) {
            return static_cast<int>(QDialog::Rejected);
        }
        ask.setTextValue(choice);
        ask.accept();
        return ask.result();
    });
    choice = QStringLiteral("test:1");
    control.SelectScanner();
    EXPECT_EQ(offered, (QStringList{QStringLiteral("test:0"), QStringLiteral("test:1")}));
    EXPECT_EQ(TSaneScanner::ChosenScanner(), QStringLiteral("test:1"));
    // A cancelled choice keeps the scanner chosen before.
    choice.clear();
    control.SelectScanner();
    EXPECT_EQ(TSaneScanner::ChosenScanner(), QStringLiteral("test:1"));
    TSaneScanner::ChooseScanner(QString());
    EXPECT_TRUE(messages.empty());
}

// A fifth of a second after each buffer the backend passes on: about five seconds for the
// whole scan.
const QByteArray Slow = "mode Color\ndepth 8\nresolution 200.0\nread-delay true\n"
                        "read-delay-duration 200000\n";

TEST_F(ScanTest, ACancelStopsTheDeviceMidScan) {
    ASSERT_TRUE(TSaneScanner::Available()) << "libsane1 is needed";
    ASSERT_TRUE(Configure(Slow));
    bool finished = false;
    TScanJob job([&finished] { finished = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return job.Progress() > 0; }, 30000));
    job.Cancel();
    QString error;
    EXPECT_TRUE(job.Result(&error).isNull());
    EXPECT_TRUE(finished);
    EXPECT_EQ(error, QStringLiteral("Operation was canceled"));
    // Stopped part-way, not read to the end and thrown away.
    EXPECT_LT(job.Progress(), 50);
}

TEST_F(ScanTest, TheProgressDialogsCancelLeavesThePictureAndItsMarks) {
    ASSERT_TRUE(TSaneScanner::Available()) << "libsane1 is needed";
    TDbMultiImgControl control(QString(), nullptr);
    QImage pasted(9, 9, QImage::Format_RGB32);
    pasted.fill(Qt::red);
    control.TakePicture(pasted);
    ASSERT_TRUE(Configure(Slow));
    int shown = 0;
    platform::SetDialogHook([&](QDialog& dialog) {
        ++shown;
        EXPECT_EQ(dialog.objectName(), QStringLiteral("ScanProgress"));
        // The interface stays live while the scan runs: the bar moves.
        auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("Progress"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() > 0; }, 30000));
        dialog.findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
        return dialog.result();
    });
    control.ScanPicture();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(control.FullPicture(), pasted);
    EXPECT_TRUE(control.PictureModified());

    // A scan left to end takes the picture.
    ASSERT_TRUE(Configure("mode Gray\ndepth 8\n"));
    platform::SetDialogHook([](QDialog& dialog) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 30000));
        return dialog.result();
    });
    control.ScanPicture();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(control.FullPicture().size(), QSize(157, 196));
}

} // namespace
} // namespace shelfwise::media
