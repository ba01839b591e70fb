// The icon files the build paints for the desktop's icon theme.

#include <QImage>
#include <gtest/gtest.h>

TEST(IconFilesTest, EverySizeIsPaintedAtThatSize) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path =
            QStringLiteral(KVU_PACKAGING_OUT "/icons/%1x%1/apps/kvu.png").arg(size);
        QImage image(path);
        ASSERT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_EQ(image.size(), QSize(size, size)) << path.toStdString();
        ASSERT_TRUE(image.hasAlphaChannel()) << path.toStdString();
        // The printer drawn into the square: the corners transparent, the middle of its
        // body blue, the middle of the paper white.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        const QRgb body = image.pixel(size * 5 / 32, size * 16 / 32);
        EXPECT_EQ(qAlpha(body), 255) << size;
        EXPECT_GT(qBlue(body), qRed(body) + 40) << size;
        const QRgb paper = image.pixel(size / 2, size * 24 / 32);
        EXPECT_EQ(paper, qRgb(255, 255, 255)) << size;
    }
}
