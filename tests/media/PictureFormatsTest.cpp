#include "media/PcxCodec.h"
#include "media/PictureIo.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace shelfwise::media {
namespace {

// ImageMagick checks our files from outside; the tests need it (package imagemagick).
const QString Convert = QStringLiteral("/usr/bin/convert");
const QString Identify = QStringLiteral("/usr/bin/identify");

QByteArray RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
        << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

// The picture's pixels as ImageMagick decodes the file: 8-bit RGB rows.
QByteArray MagickPixels(const QString& path) {
    return RunTool(Convert,
                   {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")});
}

QByteArray OurPixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    for (int y = 0; y < rgb.height(); ++y) {
        bytes.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    }
    return bytes;
}

int LargestDifference(const QByteArray& a, const QByteArray& b) {
    int largest = a.size() == b.size() ? 0 : 255;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        largest = std::max(
            largest, std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i])));
    }
    return largest;
}

// Odd sizes catch row padding; a few colours keep palette formats exact, the gradient needs
// true colour.
QImage FewColours() {
    QImage image(23, 17, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 128, 255),   qRgb(250, 250, 10),
                            qRgb(0, 0, 0),   qRgb(255, 255, 255), qRgb(200, 193, 192)};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, colours[(x / 3 + y) % 6]);
        }
    }
    return image;
}

QImage Gradient() {
    QImage image(31, 9, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 8, y * 28, 255 - x * 8));
        }
    }
    return image;
}

class PictureFormatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(Convert) && QFile::exists(Identify))
            << "ImageMagick is needed: apt-get install imagemagick";
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(PictureFormatsTest, EachFormatWeWriteReadsBackInImageMagickAndInOurs) {
    struct Case {
        const char* Name;
        const char* Magick; // the format identify names
        QImage Source;
        int Tolerance; // 0 where the format is lossless
    };
    const Case cases[] = {
        {"a.bmp", "BMP3", Gradient(), 0},
        {"b.BMP", "BMP3", FewColours(), 0},
        {"c.png", "PNG", Gradient(), 0},
        {"d.PNG", "PNG", FewColours(), 0},
        {"e.gif", "GIF", FewColours(), 0},
        {"f.GIF", "GIF", FewColours(), 0},
        {"g.pcx", "PCX", Gradient(), 0},
        {"h.PCX", "PCX", FewColours(), 0},
        {"i.pcx", "PCX", FewColours().convertToFormat(QImage::Format_Indexed8), 0},
        {"j.jpg", "JPEG", Gradient(), 40},
        {"k.JPG", "JPEG", Gradient(), 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = Path(QString::fromLatin1(c.Name));
        ASSERT_TRUE(SavePictureFile(c.Source, path));
        const QString identified = QString::fromLatin1(
            RunTool(Identify, {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path}));
        EXPECT_EQ(identified, QStringLiteral("%1 %2 %3")
                                  .arg(QLatin1String(c.Magick))
                                  .arg(c.Source.width())
                                  .arg(c.Source.height()));
        const QByteArray expected = OurPixels(c.Source);
        EXPECT_LE(LargestDifference(MagickPixels(path), expected), c.Tolerance);
        QString error;
        const QImage loaded = LoadPictureFile(path, &error);
        ASSERT_FALSE(loaded.isNull()) << error.toStdString();
        EXPECT_EQ(loaded.size(), c.Source.size());
        EXPECT_LE(LargestDifference(OurPixels(loaded), expected), c.Tolerance);
    }
}

TEST_F(PictureFormatsTest, FilesImageMagickWritesLoadWithItsPixels) {
    const QString source = Path(QStringLiteral("source.png"));
    ASSERT_TRUE(FewColours().save(source));
    const QString gradient = Path(QStringLiteral("gradient.png"));
    ASSERT_TRUE(Gradient().save(gradient));
    struct Case {
        const char* Name;
        QStringList Options; // given to convert before the output name
        bool FromGradient;
        int Tolerance;
    };
    const Case cases[] = {
        {"bmp24.bmp", {QStringLiteral("-type"), QStringLiteral("TrueColor")}, true, 0},
        {"bmp8.bmp", {QStringLiteral("-type"), QStringLiteral("Palette")}, false, 0},
        {"bmp3.bmp", {}, true, 0},
        {"pic.gif", {}, false, 0},
        {"pic.png", {}, true, 0},
        {"pic.jpg", {QStringLiteral("-quality"), QStringLiteral("90")}, true, 0},
        {"pcx8.pcx", {QStringLiteral("-type"), QStringLiteral("Palette")}, false, 0},
        {"pcx24.pcx", {QStringLiteral("-type"), QStringLiteral("TrueColor")}, true, 0},
        {"pcx1.pcx", {QStringLiteral("-monochrome")}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = Path(QString::fromLatin1(c.Name));
        QStringList arguments{c.FromGradient ? gradient : source};
        arguments << c.Options;
        arguments << (QString::fromLatin1(c.Name) == QLatin1String("bmp3.bmp")
                          ? QStringLiteral("BMP3:") + path
                          : path);
        RunTool(Convert, arguments);
        QString error;
        const QImage loaded = LoadPictureFile(path, &error);
        ASSERT_FALSE(loaded.isNull()) << error.toStdString();
        EXPECT_EQ(loaded.size(), (c.FromGradient ? Gradient() : FewColours()).size());
        // What ImageMagick itself reads from its file: a JPEG decodes alike within rounding.
        const int tolerance = QString::fromLatin1(c.Name).endsWith(QLatin1String(".jpg")) ? 4 : 0;
        EXPECT_LE(LargestDifference(OurPixels(loaded), MagickPixels(path)), tolerance);
    }
}

TEST(PcxCodecTest, PlanarAndPackedFilesOfFewColoursDecodeThroughTheHeaderPalette) {
    // 4 x 2 pixels, colour index = x + 4 * y, as four bit planes and as packed nibbles.
    const auto header = [](int bits, int planes, int lineBytes) {
        std::string h(128, '\0');
        h[0] = 0x0A;
        h[1] = 5;
        h[2] = 1;
        h[3] = static_cast<char>(bits);
        h[8] = 3;  // xmax
        h[10] = 1; // ymax
        h[65] = static_cast<char>(planes);
        h[66] = static_cast<char>(lineBytes);
        for (int i = 0; i < 16; ++i) {
            h[16 + 3 * i] = static_cast<char>(i * 16);
            h[17 + 3 * i] = static_cast<char>(255 - i);
            h[18 + 3 * i] = static_cast<char>(i);
        }
        return h;
    };
    std::string planar = header(1, 4, 2);
    for (int y = 0; y < 2; ++y) {
        for (int plane = 0; plane < 4; ++plane) {
            int bits = 0;
            for (int x = 0; x < 4; ++x) {
                bits |= (((x + 4 * y) >> plane) & 1) << (7 - x);
            }
            // Values of 0xC0 and above go as a run of one.
            if ((bits & 0xC0) == 0xC0) {
                planar.push_back(static_cast<char>(0xC1));
            }
            planar.push_back(static_cast<char>(bits));
            planar.push_back(0);
        }
    }
    std::string packed = header(4, 1, 2);
    packed += std::string("\x01\x23\x45\x67", 4);
    for (const std::string& file : {planar, packed}) {
        const QImage image = DecodePcx(file);
        ASSERT_EQ(image.size(), QSize(4, 2));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int i = x + 4 * y;
                EXPECT_EQ(image.pixel(x, y), qRgb(i * 16, 255 - i, i)) << x << "," << y;
            }
        }
    }
}

TEST(PcxCodecTest, DamagedFilesGiveNoPictureAndNeverReadPastTheirEnd) {
    const std::string good = EncodePcx(Gradient());
    ASSERT_EQ(DecodePcx(good).size(), Gradient().size());
    // Every cut of a good file, from the header to the last run.
    for (std::size_t length = 0; length < good.size(); ++length) {
        const std::string cut = good.substr(0, length);
        EXPECT_TRUE(DecodePcx(cut).isNull()) << length;
    }
    const auto patched = [&](std::size_t at, std::string bytes) {
        std::string file = good;
        file.replace(at, bytes.size(), bytes);
        return file;
    };
    const std::string damaged[] = {
        patched(8, std::string("\xFF\xFF\xFF\xFF", 4)), // 65536 x 65536
        patched(4, std::string("\xFF\x00", 2)),         // xmin above xmax
        patched(66, std::string("\x01\x00", 2)),        // lines shorter than the width
        patched(65, std::string("\x05", 1)),            // five planes
        patched(3, std::string("\x03", 1)),             // three bits a pixel
        patched(0, std::string("\x0B", 1)),             // not the maker byte
    };
    for (const std::string& file : damaged) {
        EXPECT_TRUE(DecodePcx(file).isNull());
    }
    // An 8-bit file whose palette is missing shows in greys rather than failing.
    std::string grey = EncodePcx(FewColours().convertToFormat(QImage::Format_Indexed8));
    grey.resize(grey.size() - 769);
    EXPECT_EQ(DecodePcx(grey).size(), FewColours().size());
}

TEST_F(PictureFormatsTest, SavingReportsFailureWhenNothingWasWritten) {
    // An extension we do not write, with an older file of that name.
    const QString tif = Path(QStringLiteral("x.tif"));
    QFile old(tif);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older");
    old.close();
    EXPECT_FALSE(SavePictureFile(Gradient(), tif));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("older"));
    old.close();

    EXPECT_FALSE(SavePictureFile(Gradient(), Path(QStringLiteral("missing/x.png"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("missing/x.png"))));
    // A name taken by a folder stays a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
    EXPECT_FALSE(SavePictureFile(Gradient(), Path(QStringLiteral("taken.png"))));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("taken.png"))).isDir());
    EXPECT_FALSE(SavePictureFile(QImage(), Path(QStringLiteral("empty.png"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("empty.png"))));
}

TEST(PictureIoTest, TransparentPartsTurnWhiteAndTheStoredFormIsABitmap) {
    QImage logo(4, 4, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    logo.setPixel(1, 1, qRgb(10, 20, 30));
    const std::string stored = BitmapBytes(OnWhite(logo));
    ASSERT_EQ(stored.substr(0, 2), "BM");
    const QImage shown = DecodePicture(stored);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(1, 1), qRgb(10, 20, 30));
    EXPECT_EQ(PictureSize(stored), QSize(4, 4));
    EXPECT_FALSE(PictureSize("not a picture").isValid());
    // Decoding only the part in sight, and straight to the size shown.
    const std::string bitmap = BitmapBytes(Gradient());
    EXPECT_EQ(DecodePicture(bitmap, {}, QRect(3, 2, 10, 5)), Gradient().copy(3, 2, 10, 5));
    EXPECT_EQ(DecodePicture(bitmap, {}, QRect(25, 6, 10, 5)), Gradient().copy(25, 6, 6, 3));
    EXPECT_EQ(DecodePicture(BitmapBytes(Gradient()), QSize(10, 3)).size(), QSize(10, 3));
    EXPECT_EQ(DecodePicture(EncodePcx(Gradient()), QSize(10, 3)).size(), QSize(10, 3));
}

} // namespace
} // namespace shelfwise::media
