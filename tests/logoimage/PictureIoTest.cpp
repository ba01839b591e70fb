// PNG and JPEG pictures converted for the logo, and the composite written as a PNG.

#include "LogoPictureIo.h"
#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/SourceBitmap.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {
QByteArray Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

struct Loaded {
    std::unique_ptr<CSourceBitmap> bmp = std::make_unique<CSourceBitmap>();
    LogoPictureIo::Converted converted;
    explicit Loaded(const QByteArray& file) {
        converted = LogoPictureIo::ConvertToBitmap(file);
        if (converted.ok) {
            EXPECT_TRUE(bmp->ReadBytes(converted.bitmap).texts.isEmpty());
        }
    }
    // Blue, green, red of pixel (x, y) from the top.
    QRgb At(int x, int y) const {
        const quint8* p = bmp->Row(y) + 3 * x;
        return qRgb(p[2], p[1], p[0]);
    }
};
} // namespace

TEST(PictureImport, SignaturesDecideWhatIsConverted) {
    EXPECT_TRUE(LogoPictureIo::IsConvertible(QByteArray("\x89PNG\r\n\x1A\n....", 12)));
    EXPECT_TRUE(LogoPictureIo::IsConvertible(QByteArray("\xFF\xD8\xFF\xE0", 4)));
    EXPECT_FALSE(LogoPictureIo::IsConvertible("BM...."));
    EXPECT_FALSE(LogoPictureIo::IsConvertible("bm"));
    EXPECT_FALSE(LogoPictureIo::IsConvertible(QByteArray()));
}

TEST(PictureImport, FormatsConvertLikeColourPictures) {
    // A 30 x 20 picture: a black square at (5..9, 5..9) on a light background, in each of
    // the formats users bring.
    QImage colour(30, 20, QImage::Format_RGB32);
    colour.fill(qRgb(230, 240, 250));
    for (int y = 5; y < 10; ++y)
        for (int x = 5; x < 10; ++x)
            colour.setPixel(x, y, qRgb(0, 0, 0));
    struct Case {
        const char* name;
        QImage image;
        const char* format;
    } cases[] = {
        {"colour PNG", colour, "PNG"},
        {"greyscale PNG", colour.convertToFormat(QImage::Format_Grayscale8), "PNG"},
        {"palette PNG", colour.convertToFormat(QImage::Format_Indexed8), "PNG"},
        {"alpha PNG", colour.convertToFormat(QImage::Format_ARGB32), "PNG"},
        {"JPEG", colour, "JPEG"},
    };
    for (const Case& c : cases) {
        const QByteArray file = Encode(c.image, c.format);
        if (file.isEmpty())
            continue; // no JPEG codec in this Qt
        Loaded l(file);
        ASSERT_TRUE(l.converted.ok) << c.name << ": " << l.converted.error.toStdString();
        EXPECT_TRUE(l.converted.status.isEmpty()) << c.name;
        ASSERT_EQ(l.bmp->m_bLoaded, 1) << c.name;
        EXPECT_EQ(l.bmp->biWidth, 30);
        EXPECT_EQ(l.bmp->biHeight, 20);
        EXPECT_EQ(l.bmp->biBitCount, 24);
        EXPECT_LT(qGray(l.At(7, 7)), 40) << c.name;
        EXPECT_GT(qGray(l.At(20, 15)), 200) << c.name;
        EXPECT_GT(qGray(l.At(0, 0)), 200) << c.name;
    }
}

TEST(PictureImport, TransparentPartsAreLaidOnWhite) {
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent); // transparent black: 0x00000000
    image.setPixel(2, 2, qRgba(0, 0, 0, 255));
    image.setPixel(3, 3, qRgba(0, 0, 0, 128));
    Loaded l(Encode(image, "PNG"));
    ASSERT_TRUE(l.converted.ok);
    EXPECT_EQ(l.At(0, 0), qRgb(255, 255, 255)) << "never black where nothing was drawn";
    EXPECT_EQ(l.At(2, 2), qRgb(0, 0, 0));
    EXPECT_NEAR(qRed(l.At(3, 3)), 127, 2) << "half transparent black is grey on white";
}

TEST(PictureImport, LargePicturesAreScaledDownToFit) {
    // Up to 16384 pixels a side every picture loads, scaled while it is decoded where the
    // format allows: a 7000 x 5000 camera photo needs 140 MB at full size, past Qt's
    // 128 MB limit, and was refused. The pictures are made here, not kept as files.
    struct Case {
        int w, h, fitW, fitH;
        const char* format;
        bool loads;
    } cases[] = {{2048, 768, 1024, 384, "PNG", true},   {1000, 1536, 500, 768, "PNG", true},
                 {1024, 768, 1024, 768, "PNG", true},   {3000, 3000, 768, 768, "PNG", true},
                 {7000, 5000, 1024, 731, "JPEG", true}, {7000, 5000, 1024, 731, "PNG", true},
                 {16384, 4, 1024, 1, "PNG", true},      {16385, 4, 0, 0, "PNG", false},
                 {4, 20000, 0, 0, "PNG", false}};
    for (const Case& c : cases) {
        const QByteArray file = [&] {
            // Black on the left fifth, white elsewhere: the scaled picture must show both.
            QImage image(c.w, c.h, QImage::Format_RGB888);
            image.fill(Qt::white);
            QPainter(&image).fillRect(0, 0, c.w / 5, c.h, Qt::black);
            return Encode(image, c.format);
        }();
        if (file.isEmpty())
            continue; // no codec for this format in this Qt
        Loaded l(file);
        const QString name = QString("%1 %2 x %3").arg(c.format).arg(c.w).arg(c.h);
        if (!c.loads) {
            EXPECT_FALSE(l.converted.ok) << name.toStdString();
            EXPECT_EQ(l.converted.error,
                      QString("the picture is %1 x %2 pixels; pictures of up to 16384 pixels a "
                              "side are read (and scaled down to fit 1024 x 768)")
                          .arg(c.w)
                          .arg(c.h));
            continue;
        }
        ASSERT_TRUE(l.converted.ok)
            << name.toStdString() << ": " << l.converted.error.toStdString();
        EXPECT_EQ(l.bmp->biWidth, c.fitW) << name.toStdString();
        EXPECT_EQ(l.bmp->biHeight, c.fitH) << name.toStdString();
        if (c.fitW == c.w && c.fitH == c.h)
            EXPECT_TRUE(l.converted.status.isEmpty());
        else
            EXPECT_EQ(l.converted.status,
                      QString("The picture was scaled from %1 x %2 to %3 x %4 to fit 1024 x 768.")
                          .arg(c.w)
                          .arg(c.h)
                          .arg(c.fitW)
                          .arg(c.fitH));
        if (c.fitW >= 10) {
            EXPECT_LT(qGray(l.At(1, c.fitH / 2)), 60) << name.toStdString();
            EXPECT_GT(qGray(l.At(c.fitW - 2, c.fitH / 2)), 200) << name.toStdString();
        }
    }
}

TEST(PictureImport, BrokenPicturesAreRefused) {
    const QByteArray png = Encode(QImage(40, 40, QImage::Format_RGB32), "PNG");
    const QByteArray broken[] = {
        QByteArray("\x89PNG\r\n\x1A\n", 8), QByteArray("\xFF\xD8\xFF\xE0garbage", 11),
        png.left(33), // the header chunk and nothing more
    };
    for (const QByteArray& file : broken) {
        const auto c = LogoPictureIo::ConvertToBitmap(file);
        EXPECT_FALSE(c.ok) << file.toHex().toStdString();
        EXPECT_FALSE(c.error.isEmpty());
        EXPECT_TRUE(c.bitmap.isEmpty());
    }
    // Cut anywhere, a PNG is refused or gives a bitmap the reader takes whole.
    for (int n = 8; n < png.size(); n += 7) {
        const auto c = LogoPictureIo::ConvertToBitmap(png.left(n));
        if (c.ok) {
            CSourceBitmap bmp;
            EXPECT_TRUE(bmp.ReadBytes(c.bitmap).texts.isEmpty()) << n;
            EXPECT_EQ(bmp.m_bLoaded, 1) << n;
        }
    }
    // Through the path: a PNG signature with nothing after it is a clear error, no picture.
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.png");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(broken[0]);
    f.close();
    CSourceBitmap bmp;
    const auto read = LogoPictureIo::ReadPicture(path, bmp);
    EXPECT_TRUE(read.opened);
    ASSERT_EQ(read.texts.size(), 1);
    EXPECT_TRUE(read.texts.first().startsWith("Error: The picture could not be converted"));
    EXPECT_EQ(bmp.m_bLoaded, 0);
    // A BMP goes through the reader untouched.
    const QString bmpPath = dir.filePath("cut.bmp");
    QFile g(bmpPath);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("BM1234");
    g.close();
    EXPECT_EQ(LogoPictureIo::ReadPicture(bmpPath, bmp).texts,
              QStringList{"Premature EOF while reading Bitmap File Header.\n"});
}

TEST(PictureImport, ImageMagickPngs) {
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath("gray-alpha.png");
    // A grey-and-alpha PNG: transparent everywhere but a black dot at (4, 3).
    QProcess p;
    p.start(convert, {"-size", "12x8", "xc:none", "-fill", "black", "-draw", "point 4,3", "-define",
                      "png:color-type=4", path});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0);
    CSourceBitmap bmp;
    const auto read = LogoPictureIo::ReadPicture(path, bmp);
    ASSERT_EQ(bmp.m_bLoaded, 1) << read.Message().toStdString();
    EXPECT_EQ(bmp.Row(3)[3 * 4], 0);
    EXPECT_EQ(bmp.Row(0)[0], 255);
}

TEST(CompositePng, HoldsTheCompositePixels) {
    auto surfaces = std::make_unique<CLogoSurfaces>();
    surfaces->m_composite.Fill(10, 20, 30, 40, CLogoSurfaces::kRed);
    surfaces->m_composite.Fill(100, 100, 101, 101, CLogoSurfaces::kBlack);
    const QImage back = QImage::fromData(LogoPictureIo::CompositePng(surfaces->m_composite), "PNG");
    ASSERT_EQ(back.size(), QSize(960, 600));
    EXPECT_EQ(back.pixel(10, 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(back.pixel(29, 39) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(back.pixel(30, 40) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(back.pixel(100, 100) & 0xFFFFFF, 0u);
    QTemporaryDir dir;
    QString detail;
    EXPECT_TRUE(
        LogoPictureIo::WriteCompositePng(surfaces->m_composite, dir.filePath("c.png"), &detail));
    EXPECT_FALSE(LogoPictureIo::WriteCompositePng(surfaces->m_composite, dir.path(), &detail))
        << "a folder is never replaced";
}
