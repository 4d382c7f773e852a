#include "PictureBytes.h"
#include "engine/EngineError.h"
#include "engine/PosixFile.h"
#include "engine/TableFixture.h"
#include "engine/TableOperations.h"
#include "media/CaptureForm.h"
#include "media/FullSlide.h"
#include "media/MultiImgControl.h"
#include "media/PictureIo.h"
#include "media/PictureLayout.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "support/FailedPost.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace shelfwise::media {
namespace {

using test::Pattern;

constexpr int Picture = 0;

class PictureControlTest : public engine::testing::TableFixture {
protected:
    void SetUp() override {
        TableFixture::SetUp();
        engine::createTable(dir, "data.dbf", {{"PICTURE", 'B', 10, 0}});
        openOn(table, "data.dbf");
        table.append();
        table.post();
        ASSERT_TRUE(files.isValid());
        messages.clear();
        platform::SetMessageHook([this](const platform::Message& message) {
            messages.push_back(message.text);
            return platform::MessageAnswer::Ok;
        });
    }
    void TearDown() override {
        platform::SetMessageHook(nullptr);
        platform::SetDialogHook(nullptr);
        TableFixture::TearDown();
    }

    void Store(const std::string& bytes) {
        table.first();
        table.edit();
        if (bytes.empty()) {
            table.clear(Picture);
        } else {
            table.setBytes(Picture, bytes);
        }
        table.post();
    }
    // Leaves the record as the record page does: the editor writes into the edited record.
    std::string Leave(const TDbMultiImgControl& control) {
        table.first();
        table.edit();
        control.Write(table, Picture);
        table.post();
        return table.bytes(Picture);
    }
    QString SavedFile(const QImage& image, const QString& name) {
        const QString path = files.filePath(name);
        EXPECT_TRUE(SavePictureFile(image, path));
        return path;
    }

    engine::Table table;
    QTemporaryDir files;
    std::vector<std::string> messages;
};

TEST_F(PictureControlTest, TheFieldIsWrittenOnlyWhenTheUserChangedThePicture) {
    const std::string png = EncodePicture(Pattern(12, 9), PictureFormat::Png);
    const QString jpeg = SavedFile(Pattern(40, 30), QStringLiteral("p.jpg"));
    const QString broken = files.filePath(QStringLiteral("broken.png"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG but nothing more");
    }
    QApplication::clipboard()->setImage(Pattern(5, 4));
    enum class Stored { Kept, Bitmap, Cleared };
    struct Case {
        const char* Steps;
        std::function<void(TDbMultiImgControl&)> Do;
        Stored Expected;
        QSize Size; // of the stored bitmap
    };
    const Case cases[] = {
        {"read only", [](TDbMultiImgControl&) {}, Stored::Kept, {}},
        {"load a JPEG",
         [&](TDbMultiImgControl& c) { EXPECT_TRUE(c.LoadPicture(jpeg)); },
         Stored::Bitmap,
         {40, 30}},
        {"paste", [](TDbMultiImgControl& c) { c.PastePicture(); }, Stored::Bitmap, {5, 4}},
        {"clear", [](TDbMultiImgControl& c) { c.ClearPicture(); }, Stored::Cleared, {}},
        {"a file that does not decode",
         [&](TDbMultiImgControl& c) { EXPECT_FALSE(c.LoadPicture(broken)); },
         Stored::Kept,
         {}},
        {"paste, then save to a file",
         [&](TDbMultiImgControl& c) {
             c.PastePicture();
             EXPECT_TRUE(c.SavePicture(files.filePath(QStringLiteral("copy.png"))));
         },
         Stored::Bitmap,
         {5, 4}},
        {"paste, then a failed load",
         [&](TDbMultiImgControl& c) {
             c.PastePicture();
             EXPECT_FALSE(c.LoadPicture(broken));
         },
         Stored::Bitmap,
         {5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Steps);
        Store(png);
        TDbMultiImgControl control(QString(), nullptr);
        table.first();
        control.Read(table, Picture);
        c.Do(control);
        const std::string stored = Leave(control);
        switch (c.Expected) {
        case Stored::Kept:
            EXPECT_EQ(stored, png);
            break;
        case Stored::Cleared:
            EXPECT_TRUE(table.isEmpty(Picture));
            break;
        case Stored::Bitmap:
            ASSERT_EQ(stored.substr(0, 2), "BM");
            EXPECT_EQ(media::PictureSize(stored), c.Size);
            break;
        }
        // Written once: leaving again writes nothing unless loaded from a file.
        EXPECT_EQ(Leave(control), stored);
    }
}

TEST_F(PictureControlTest, ShowingARecordAgainGivesThePictureItHoldsNow) {
    const std::string first = BitmapBytes(Pattern(30, 20));
    Store(first);
    TDbMultiImgControl control(QString(), nullptr);
    table.first();
    control.Read(table, Picture);
    EXPECT_EQ(control.FullPicture(), Pattern(30, 20));
    control.Read(table, Picture);
    EXPECT_EQ(control.Picture(), first);

    // Another open writes a picture of the same size over the same blocks.
    QImage other = Pattern(30, 20);
    other.fill(Qt::darkGreen);
    {
        engine::Table writer;
        openOn(writer, "data.dbf");
        writer.first();
        const engine::Table::StoredValue before = writer.storedValue(Picture);
        writer.edit();
        writer.setBytes(Picture, BitmapBytes(other));
        writer.post();
        ASSERT_EQ(writer.storedValue(Picture).block, before.block);
    }
    table.first();
    control.Read(table, Picture);
    EXPECT_EQ(control.FullPicture(), other);
    EXPECT_FALSE(control.PictureModified());
}

TEST_F(PictureControlTest, TheFileDialogsLoadAndSaveTheChosenFile) {
    const QString png = SavedFile(Pattern(6, 4), QStringLiteral("in.png"));
    const QString broken = files.filePath(QStringLiteral("broken.pcx"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x0A\x05\x01 no more");
    }
    // The hook chooses `path` (or cancels when it is empty) and notes the dialog's title.
    QString title;
    QStringList filters;
    const auto choose = [&](const QString& path) {
        platform::SetDialogHook([&, path](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            title = files.windowTitle();
            filters = files.nameFilters();
            if (path.isEmpty()) {
                dialog.reject();
            } else {
                files.selectFile(path);
                dialog.accept();
            }
            return dialog.result();
        });
    };
    TDbMultiImgControl control(QString(), nullptr);
    control.TakePicture(Pattern(3, 3));
    choose(png);
    control.LoadWithDialog();
    EXPECT_EQ(title, QStringLiteral("Load Image From"));
    EXPECT_EQ(filters.size(), 6);
    EXPECT_EQ(control.FullPicture(), Pattern(6, 4));
    EXPECT_EQ(control.PictureFileName(), png);
    EXPECT_TRUE(control.LoadedFromFile());
    EXPECT_FALSE(control.PictureModified());

    // A file that does not decode, or a cancel: the picture stays.
    choose(broken);
    control.LoadWithDialog();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(broken.toStdString()), std::string::npos) << messages[0];
    choose(QString());
    control.LoadWithDialog();
    EXPECT_EQ(control.FullPicture(), Pattern(6, 4));
    EXPECT_EQ(control.PictureFileName(), png);

    const QString saved = files.filePath(QStringLiteral("out.pcx"));
    choose(saved);
    control.SaveWithDialog();
    EXPECT_EQ(title, QStringLiteral("Save Image As"));
    EXPECT_EQ(filters.size(), 5);
    QString error;
    EXPECT_EQ(LoadPictureFile(saved, &error).convertToFormat(QImage::Format_RGB32), Pattern(6, 4));
    EXPECT_EQ(control.PictureFileName(), saved);

    // A name whose extension we do not write: a message, and no file.
    messages.clear();
    const QString tif = files.filePath(QStringLiteral("out.tif"));
    choose(tif);
    control.SaveWithDialog();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(QFile::exists(tif));
    EXPECT_EQ(control.PictureFileName(), saved);
}

TEST_F(PictureControlTest, BytesThatDoNotDecodeShowAPlaceholderAndStayInTheRecord) {
    const std::string damaged("\x42\x4D\x00\x13garbage\xFF\xFE\x01\x02\x03\x04", 17);
    Store(damaged);
    TDbMultiImgControl control(QString(), nullptr);
    control.resize(260, 305);
    table.first();
    control.Read(table, Picture);
    EXPECT_TRUE(control.IsDamaged());
    EXPECT_TRUE(control.IsEmpty());
    EXPECT_TRUE(control.IsFilled());
    const QImage shown = control.grab().toImage();
    EXPECT_FALSE(shown.isNull());
    EXPECT_EQ(Leave(control), damaged);

    // Bytes whose header reads but whose data does not decode are found out when shown.
    std::string cut = EncodePicture(Pattern(300, 300), PictureFormat::Png);
    cut.resize(cut.size() / 2);
    Store(cut);
    table.first();
    control.Read(table, Picture);
    control.grab();
    EXPECT_TRUE(control.IsDamaged());
    EXPECT_EQ(Leave(control), cut);
}

TEST_F(PictureControlTest, ANewRecordTakesThePictureAndATemplatesPicture) {
    const std::string png = EncodePicture(Pattern(6, 6), PictureFormat::Png);
    Store(png);
    TDbMultiImgControl control(QString(), nullptr);
    table.first();
    control.ReadFromTemplate(table, Picture);
    table.append();
    control.Write(table, Picture);
    table.post();
    EXPECT_EQ(table.bytes(Picture), png);

    // An empty picture editor leaves a new record's field empty.
    TDbMultiImgControl empty(QString(), nullptr);
    EXPECT_FALSE(empty.IsFilled());
    table.append();
    empty.Write(table, Picture);
    table.post();
    EXPECT_TRUE(table.isEmpty(Picture));
}

TEST_F(PictureControlTest, AStoredPictureIsEitherTheOldOrTheNewWhenTheWriteFailsPartWay) {
    const std::string before = EncodePicture(Pattern(8, 8), PictureFormat::Png);
    Store(before);
    const QString path = SavedFile(Pattern(64, 48), QStringLiteral("new.bmp"));
    std::string after;
    for (std::uint64_t nth = 1;; ++nth) {
        TDbMultiImgControl control(QString(), nullptr);
        table.first();
        control.Read(table, Picture);
        ASSERT_TRUE(control.LoadPicture(path));
        table.edit();
        control.Write(table, Picture);
        if (after.empty()) {
            after = table.bytes(Picture);
        }
        const bool struck = shelfwise::test::PostFailingAt(table, nth);
        table.close();
        engine::Table reopened;
        openOn(reopened, "data.dbf");
        reopened.first();
        const std::string shown = reopened.bytes(Picture);
        EXPECT_TRUE(shown == before || shown == after) << "fault " << nth;
        reopened.close();
        openOn(table, "data.dbf");
        if (!struck) {
            EXPECT_EQ(shown, after);
            ASSERT_GT(nth, 1u);
            break;
        }
        Store(before);
    }
}

TEST_F(PictureControlTest, ATransparentLogoIsStoredOnWhite) {
    QImage logo(6, 6, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    logo.setPixel(2, 2, qRgba(0, 0, 255, 255));
    const QString path = SavedFile(logo, QStringLiteral("logo.png"));
    TDbMultiImgControl control(QStringLiteral("L12"), nullptr);
    ASSERT_TRUE(control.LoadPicture(path));
    Leave(control);
    TDbMultiImgControl shown(QStringLiteral("L12"), nullptr);
    table.first();
    shown.Read(table, Picture);
    const QImage picture = shown.FullPicture();
    EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(2, 2), qRgb(0, 0, 255));
}

TEST_F(PictureControlTest, ALargeStoredPictureShowsTheSamePixelsWholeStretchedAndScrolled) {
    const QImage big = Pattern(900, 700);
    Store(EncodePicture(big, PictureFormat::Png));
    TDbMultiImgControl control(QString(), nullptr);
    control.resize(260, 305);
    control.show();
    table.first();
    control.Read(table, Picture);
    EXPECT_EQ(control.PictureSize(), big.size());
    auto* view = control.findChild<QWidget*>(QStringLiteral("Image"));
    ASSERT_NE(view, nullptr);
    // At its own size: what is in sight, then all of it.
    EXPECT_EQ(view->grab(QRect(0, 0, 50, 40)).toImage().convertToFormat(QImage::Format_RGB32),
              big.copy(0, 0, 50, 40));
    EXPECT_EQ(view->grab(QRect(800, 600, 100, 100)).toImage().convertToFormat(QImage::Format_RGB32),
              big.copy(800, 600, 100, 100));
    EXPECT_EQ(control.FullPicture(), big);
    control.SetAutoStretch(true);
    EXPECT_TRUE(control.Button(9)->isChecked());
    auto* box = control.findChild<QScrollArea*>(QStringLiteral("ScrollBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(control.ShownSize(), StretchedSize(big.size(), box->viewport()->size()));
    EXPECT_LE(control.ShownSize().width(), box->viewport()->width());
    EXPECT_EQ(view->size(), control.ShownSize());
    EXPECT_EQ(view->grab().toImage().size(), control.ShownSize());
}

TEST_F(PictureControlTest, ALargeBitmapShownFromItsRowsIsWholeWhenTheCursorHasMovedOn) {
    // Over the size from which a bitmap is read in parts when shown.
    const QImage big = Pattern(1400, 1100);
    const std::string bytes = BitmapBytes(big);
    ASSERT_GT(bytes.size(), 4u << 20);
    Store(bytes);
    table.append();
    table.post();
    for (const bool stretched : {true, false}) {
        SCOPED_TRACE(stretched);
        TDbMultiImgControl control(QString(), nullptr);
        control.resize(260, 305);
        control.SetAutoStretch(stretched);
        control.show();
        table.first();
        control.Read(table, Picture);
        table.last();
        auto* view = control.findChild<QWidget*>(QStringLiteral("Image"));
        ASSERT_NE(view, nullptr);
        if (stretched) {
            EXPECT_EQ(view->grab().toImage().convertToFormat(QImage::Format_RGB32),
                      DecodePicture(bytes, control.ShownSize()));
        } else {
            EXPECT_EQ(
                view->grab(QRect(0, 0, 50, 40)).toImage().convertToFormat(QImage::Format_RGB32),
                big.copy(0, 0, 50, 40));
            // Scrolled, with the cursor elsewhere: read from the table opened again.
            EXPECT_EQ(view->grab(QRect(1300, 1000, 100, 100))
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32),
                      big.copy(1300, 1000, 100, 100));
        }
        EXPECT_EQ(control.FullPicture(), big);
        // Copied into a new record, the value goes over byte for byte.
        table.append();
        control.Write(table, Picture);
        table.post();
        EXPECT_EQ(table.bytes(Picture), bytes);
        table.first();
    }
}

TEST_F(PictureControlTest, ALargeBitmapWrittenOverOrCutShortIsNeverShownMixed) {
    const QImage big = Pattern(1400, 1100);
    const std::string bytes = BitmapBytes(big);
    Store(bytes);
    TDbMultiImgControl control(QString(), nullptr);
    control.resize(260, 305);
    control.SetAutoStretch(true);
    control.show();
    table.first();
    control.Read(table, Picture);
    const QImage shown = control.findChild<QWidget*>(QStringLiteral("Image"))->grab().toImage();

    // Another open stores a smaller picture: the rows shown are not read from it.
    const std::string other = BitmapBytes(Pattern(30, 20));
    {
        engine::Table writer;
        openOn(writer, "data.dbf");
        writer.first();
        writer.edit();
        writer.setBytes(Picture, other);
        writer.post();
    }
    table.last();
    EXPECT_EQ(control.findChild<QWidget*>(QStringLiteral("Image"))->grab().toImage(), shown);
    EXPECT_TRUE(control.FullPicture().isNull());
    EXPECT_THROW(control.Picture(), engine::EngineError);
    table.first();
    control.Read(table, Picture);
    EXPECT_EQ(control.FullPicture(), Pattern(30, 20));

    // A header that claims more rows than the value holds: no part past its end is asked
    // for, and the value stays in the record.
    const std::string cut = bytes.substr(0, bytes.size() - 4200);
    Store(cut);
    table.first();
    control.Read(table, Picture);
    control.grab();
    EXPECT_EQ(Leave(control), cut);
}

TEST(PictureLayoutTest, StretchAndPrintSizes) {
    struct Case {
        QSize Picture, Box, Stretched;
    };
    const Case stretches[] = {
        {{400, 200}, {200, 200}, {200, 100}},
        {{50, 100}, {200, 200}, {100, 200}},
        {{10, 10}, {300, 100}, {100, 100}},
    };
    for (const Case& c : stretches) {
        EXPECT_EQ(StretchedSize(c.Picture, c.Box), c.Stretched) << c.Picture.width();
    }
    const Case prints[] = {
        {{100, 100}, {4800, 6600}, {1320, 1320}},   // raised by width, then by height
        {{4000, 1000}, {4800, 6600}, {4800, 1200}}, // wider than the page
        {{1000, 9000}, {4800, 6600}, {733, 6600}},  // higher than the page
        {{2000, 2000}, {4800, 6600}, {2000, 2000}},
    };
    for (const Case& c : prints) {
        EXPECT_EQ(PrintSize(c.Picture, c.Box), c.Stretched) << c.Picture.width();
    }
    EXPECT_EQ(PrintSize({0, 0}, {4800, 6600}), QSize());
}

TEST_F(PictureControlTest, PrintingWritesOnePageWithThePicture) {
    TDbMultiImgControl control(QString(), nullptr);
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = files.filePath(QStringLiteral("out.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_FALSE(control.PrintPicture(printer));
    EXPECT_FALSE(QFile::exists(pdf));
    control.TakePicture(Pattern(30, 20));
    ASSERT_TRUE(control.PrintPicture(printer));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    EXPECT_TRUE(bytes.contains("/Subtype /Image"));
}

TEST_F(PictureControlTest, ToolBarMenuAndReadOnlyRecords) {
    // Children resize at once; a window waits for the platform.
    QWidget host;
    host.resize(400, 400);
    TDbMultiImgControl picture(QString(), &host);
    picture.resize(260, 305);
    host.show();
    EXPECT_TRUE(picture.ToolBarShown());
    std::unique_ptr<QMenu> menu(picture.BuildMenu());
    QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 14);
    EXPECT_EQ(items[11]->text(), QStringLiteral("Hide &Tool Bar"));
    EXPECT_TRUE(items[11]->isVisible());
    EXPECT_TRUE(items[12]->isSeparator());
    picture.ToggleToolBar();
    EXPECT_FALSE(picture.ToolBarShown());
    menu.reset(picture.BuildMenu());
    EXPECT_EQ(menu->actions()[11]->text(), QStringLiteral("Show &Tool Bar"));

    // Narrow controls never show it.
    picture.resize(200, 305);
    picture.ToggleToolBar();
    EXPECT_FALSE(picture.ToolBarShown());
    picture.resize(260, 305);
    picture.ToggleToolBar();
    EXPECT_TRUE(picture.ToolBarShown());
    picture.resize(150, 305);
    EXPECT_FALSE(picture.ToolBarShown());

    // The logo keeps its bar off and has no menu item for it.
    TDbMultiImgControl logo(QStringLiteral("L12"), &host);
    logo.SetSpeedBarVisible(false);
    logo.resize(260, 136);
    logo.show();
    EXPECT_FALSE(logo.ToolBarShown());
    menu.reset(logo.BuildMenu());
    EXPECT_FALSE(menu->actions()[11]->isVisible());

    // A read-only record's picture can still be saved, copied, printed and shown.
    picture.SetRecordReadOnly(true);
    const bool enabledButtons[] = {false, false, true, true, false, false, true, false, true, true};
    for (int i = 0; i < TDbMultiImgControl::ButtonCount; ++i) {
        EXPECT_EQ(picture.Button(i)->isEnabled(), enabledButtons[i]) << i;
    }
    QApplication::clipboard()->setImage(Pattern(3, 3));
    menu.reset(picture.BuildMenu());
    items = menu->actions();
    const bool enabledItems[] = {false, false, true, true, false, false, true,
                                 false, false, true, true, true,  true,  true};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(items[i]->isEnabled(), enabledItems[i]) << i;
    }
    picture.SetRecordReadOnly(false);
    menu.reset(picture.BuildMenu());
    EXPECT_TRUE(menu->actions()[4]->isEnabled());
    QApplication::clipboard()->clear();
    menu.reset(picture.BuildMenu());
    EXPECT_FALSE(menu->actions()[4]->isEnabled());
}

TEST_F(PictureControlTest, CopyAndPasteCarryThePixels) {
    const std::string png = EncodePicture(Pattern(17, 11), PictureFormat::Png);
    Store(png);
    TDbMultiImgControl from(QString(), nullptr);
    table.first();
    from.Read(table, Picture);
    from.CopyPicture();
    TDbMultiImgControl to(QString(), nullptr);
    to.PastePicture();
    EXPECT_TRUE(to.PictureModified());
    EXPECT_EQ(to.FullPicture().convertToFormat(QImage::Format_RGB32), Pattern(17, 11));

    // Nothing on the clipboard: the picture stays.
    QApplication::clipboard()->clear();
    to.PastePicture();
    EXPECT_EQ(to.FullPicture().size(), QSize(17, 11));
}

TEST_F(PictureControlTest, TheFullScreenWindowOpensAtActualSizeAndFitsOnRequest) {
    TFullSlide slide(Pattern(40, 20), nullptr);
    slide.resize(400, 400);
    EXPECT_FALSE(slide.Fitted());
    EXPECT_EQ(slide.PictureRect(), QRect(180, 190, 40, 20));
    slide.SwitchMode();
    EXPECT_EQ(slide.PictureRect(), QRect(0, 100, 400, 200));
}

// Drags across the capture window as a user would.
int Drag(QDialog& dialog, QPoint from, QPoint to) {
    auto* form = qobject_cast<TCaptureForm*>(&dialog);
    EXPECT_NE(form, nullptr);
    QTest::mousePress(form, Qt::LeftButton, {}, from);
    QTest::mouseMove(form, to);
    QTest::mouseRelease(form, Qt::LeftButton, {}, to);
    return dialog.result();
}

TEST_F(PictureControlTest, ScreenCaptureKeepsTheDraggedRectangleAndAModalOwnerRuns) {
    // A window with a known pattern at the top left of the screen.
    QLabel screen;
    screen.setWindowFlags(Qt::FramelessWindowHint);
    const QImage pattern = Pattern(400, 300);
    screen.setPixmap(QPixmap::fromImage(pattern));
    screen.setGeometry(0, 0, 400, 300);
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    QDialog owner;
    auto* layout = new QVBoxLayout(&owner);
    auto* control = new TDbMultiImgControl(QString(), &owner);
    layout->addWidget(control);
    control->TakePicture(Pattern(7, 7));

    struct Case {
        QPoint From, To;
        QSize Captured; // empty: the message, and the picture is kept
    };
    const Case cases[] = {
        {{10, 10}, {110, 60}, {100, 50}},
        {{110, 60}, {10, 10}, {100, 50}},
        {{30, 30}, {30, 30}, {}},
        {{30, 30}, {80, 30}, {}},
    };
    for (const Case& c : cases) {
        messages.clear();
        const QImage before = control->FullPicture();
        QImage snapshot;
        platform::SetDialogHook([&](QDialog& dialog) {
            // The owner is hidden but its modal run goes on.
            EXPECT_FALSE(owner.isVisible());
            snapshot = static_cast<TCaptureForm&>(dialog).grab().toImage();
            return Drag(dialog, c.From, c.To);
        });
        bool ran = false;
        QTimer::singleShot(0, &owner, [&] {
            control->CaptureScreen();
            ran = true;
            EXPECT_TRUE(owner.isVisible());
            owner.accept();
        });
        EXPECT_EQ(owner.exec(), QDialog::Accepted);
        EXPECT_TRUE(ran) << "hiding the owner ended its modal run";
        EXPECT_EQ(owner.property("tag").toInt(), 0);
        if (c.Captured.isEmpty()) {
            EXPECT_EQ(messages, std::vector<std::string>{
                                    "Both Width and Height of Captured Area must be > 0 !"});
            EXPECT_EQ(control->FullPicture(), before);
            continue;
        }
        EXPECT_TRUE(messages.empty());
        const QImage captured = control->FullPicture();
        ASSERT_EQ(captured.size(), c.Captured);
        const QRect area(QPoint(std::min(c.From.x(), c.To.x()), std::min(c.From.y(), c.To.y())),
                         c.Captured);
        EXPECT_EQ(captured, snapshot.copy(area).convertToFormat(captured.format()));
        EXPECT_EQ(captured, pattern.copy(area));
        EXPECT_TRUE(control->PictureModified());
        EXPECT_EQ(QApplication::clipboard()->image().size(), c.Captured);
    }
}

} // namespace
} // namespace shelfwise::media
