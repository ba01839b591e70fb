// The bitmap reader: every header check in its order, the warnings gathered before an
// error, the rows turned top row first, and files that lie, end early or are not files.

#include "logo/SourceBitmap.h"
#include "BmpBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {
const QString kFileSize = "Warning: The file size field is incorrect.\n";
const QString kReserved1 = "Warning: Reserved1 is not 0.\n";
const QString kReserved2 = "Warning: Reserved2 is not 0.\n";
const QString kOffset = "Warning: The file offset field is incorrect.\n";
const QString kImageSize = "Warning: Image size field contradicts w, h, c. Using our own.\n";
const QString kClrUsed = "Warning: Ignoring non-zero color used field.\n";
const QString kClrImportant = "Warning: Ignoring non-zero color important field.\n";
const QString kEofFileHeader = "Premature EOF while reading Bitmap File Header.\n";
const QString kNotBitmap = "Error: The file is not a Bitmap File.\n";
const QString kEofInfoHeader = "Premature EOF while reading Bitmap Info Header.\n";
const QString kInfoSize = "Error: Bitmap Info Header size is incorrect.\n";
const QString kWidth = "Sorry: Bitmap width too large.\n";
const QString kHeight = "Sorry: Bitmap height too large.\n";
const QString kPlanes = "Error: Bitmap Planes must be 1.\n";
const QString kColors = "Error: Bitmap colors must be 1, 4, 8, or 24 bits.\n";
const QString kCompressed = "Sorry: We don't handle compressed files at this time.\n";
const QString kEofPalette = "Premature EOF while reading RGBQuad.\n";
const QString kEofRow = "Premature EOF while reading a Bitmap row.\n";

const QStringList kErrors = {kEofFileHeader, kNotBitmap,  kEofInfoHeader, kInfoSize,
                             kWidth,         kHeight,     kPlanes,        kColors,
                             kCompressed,    kEofPalette, kEofRow};
const QStringList kWarnings = {kFileSize,  kReserved1, kReserved2,   kOffset,
                               kImageSize, kClrUsed,   kClrImportant};

std::unique_ptr<CSourceBitmap> Load(const QByteArray& file, QStringList* texts = nullptr) {
    auto bmp = std::make_unique<CSourceBitmap>();
    const CSourceBitmap::ReadReport report = bmp->ReadBytes(file);
    EXPECT_TRUE(report.opened);
    if (texts)
        *texts = report.texts;
    return bmp;
}

bool StoreIsZero(const CSourceBitmap& bmp) {
    for (quint8 b : bmp.m_pixels)
        if (b != 0)
            return false;
    return true;
}
} // namespace

TEST(BitmapReader, RowBytesRoundsEachDepthUpToFourBytes) {
    struct Case {
        int width, bits, bytes;
    } cases[] = {{0, 1, 0},        {1, 1, 4},       {32, 1, 4}, {33, 1, 8},     {1024, 1, 128},
                 {1, 4, 4},        {8, 4, 4},       {9, 4, 8},  {1024, 4, 512}, {1, 8, 4},
                 {5, 8, 8},        {1024, 8, 1024}, {1, 24, 4}, {4, 24, 12},    {5, 24, 16},
                 {1024, 24, 3072}, {3, 16, 12},     {3, 32, 12}};
    for (const Case& c : cases)
        EXPECT_EQ(CSourceBitmap::RowBytes(c.width, c.bits), c.bytes) << c.width << "x" << c.bits;
}

TEST(BitmapReader, HeaderChecksInTheirOrder) {
    struct Case {
        const char* name;
        std::function<void(BmpBuilder&)> change;
        QStringList texts;
        bool loaded;
    } cases[] = {
        {"plain", [](BmpBuilder&) {}, {}, true},
        {"lower-case signature", [](BmpBuilder& b) { b.signature = "bm"; }, {}, true},
        {"mixed signature 1", [](BmpBuilder& b) { b.signature = "bM"; }, {}, true},
        {"mixed signature 2", [](BmpBuilder& b) { b.signature = "Bm"; }, {}, true},
        {"wrong signature", [](BmpBuilder& b) { b.signature = "MB"; }, {kNotBitmap}, false},
        {"signature BA", [](BmpBuilder& b) { b.signature = "BA"; }, {kNotBitmap}, false},
        {"later header version", [](BmpBuilder& b) { b.infoSize = 124; }, {kInfoSize}, false},
        {"header size 12", [](BmpBuilder& b) { b.infoSize = 12; }, {kInfoSize}, false},
        {"width 1025", [](BmpBuilder& b) { b.width = 1025; }, {kWidth}, false},
        {"negative width", [](BmpBuilder& b) { b.width = -4; }, {kOffset, kWidth}, false},
        {"most negative width",
         [](BmpBuilder& b) { b.width = INT32_MIN; },
         {kOffset, kWidth},
         false},
        {"height 769", [](BmpBuilder& b) { b.height = 769; }, {kHeight}, false},
        {"huge height",
         [](BmpBuilder& b) {
             b.height = INT32_MAX;
             b.rowsWritten = 0;
         },
         {kOffset, kHeight},
         false},
        {"width and height",
         [](BmpBuilder& b) {
             b.width = 2000;
             b.height = 2000;
             b.rowsWritten = 0;
         },
         {kOffset, kWidth},
         false},
        {"two planes", [](BmpBuilder& b) { b.planes = 2; }, {kPlanes}, false},
        {"16 bits", [](BmpBuilder& b) { b.bitCount = 16; }, {kColors}, false},
        {"32 bits", [](BmpBuilder& b) { b.bitCount = 32; }, {kColors}, false},
        {"run-length", [](BmpBuilder& b) { b.compression = 1; }, {kCompressed}, false},
        {"bit fields", [](BmpBuilder& b) { b.compression = 3; }, {kCompressed}, false},
        {"planes before depth",
         [](BmpBuilder& b) {
             b.planes = 0;
             b.bitCount = 2;
         },
         {kPlanes},
         false},
        {"size before width",
         [](BmpBuilder& b) {
             b.infoSize = 108;
             b.width = 5000;
         },
         {kInfoSize},
         false},
        {"image size zero", [](BmpBuilder& b) { b.sizeImage = 0; }, {}, true},
        {"image size right", [](BmpBuilder& b) { b.sizeImage = 24; }, {}, true},
        {"image size wrong", [](BmpBuilder& b) { b.sizeImage = 25; }, {kImageSize}, true},
        {"colours used", [](BmpBuilder& b) { b.clrUsed = 3; }, {kClrUsed}, true},
        {"colours important", [](BmpBuilder& b) { b.clrImportant = 1; }, {kClrImportant}, true},
        {"three file warnings",
         [](BmpBuilder& b) {
             b.fileSize = 9;
             b.reserved1 = 1;
             b.reserved2 = 0xFFFF;
         },
         {kFileSize, kReserved1, kReserved2},
         true},
        {"warnings then an error",
         [](BmpBuilder& b) {
             b.reserved2 = 7;
             b.planes = 3;
         },
         {kReserved2, kPlanes},
         false},
        {"all the info warnings",
         [](BmpBuilder& b) {
             b.sizeImage = 1;
             b.clrUsed = 1;
             b.clrImportant = 1;
         },
         {kImageSize, kClrUsed, kClrImportant},
         true},
        {"offset past the end",
         [](BmpBuilder& b) {
             b.offBits = 1000;
             b.placeRows = false;
         },
         {kOffset, kEofRow},
         false},
        {"offset past the end, no rows",
         [](BmpBuilder& b) {
             b.offBits = 54;
             b.placeRows = false;
             b.height = 0;
         },
         {kOffset},
         true},
        {"rows cut short", [](BmpBuilder& b) { b.rowsWritten = 1; }, {kEofRow}, false},
        {"zero height", [](BmpBuilder& b) { b.height = 0; }, {kOffset}, true},
        {"zero width", [](BmpBuilder& b) { b.width = 0; }, {kOffset}, true},
        {"8 bits, table cut short",
         [](BmpBuilder& b) {
             b.bitCount = 8;
             b.paletteEntries = 100;
             b.height = 0;
             b.offBits = 54;
         },
         {kEofPalette},
         false},
    };
    for (const Case& c : cases) {
        BmpBuilder b;
        c.change(b);
        QStringList texts;
        auto bmp = Load(b.Build(), &texts);
        EXPECT_EQ(texts, c.texts) << c.name;
        EXPECT_EQ(bmp->m_bLoaded, c.loaded ? 1 : 0) << c.name;
    }
}

TEST(BitmapReader, KeepsTheHeaderFieldsAndTurnsRowsTopFirst) {
    BmpBuilder b;
    b.width = 3;
    b.height = 2;
    b.reserved1 = 0x1234;
    b.pixel = [](int x, int y) { return quint32(0x010203 * (1 + x + 3 * y)); };
    auto bmp = Load(b.Build());
    ASSERT_EQ(bmp->m_bLoaded, 1);
    EXPECT_EQ(bmp->bfType, 0x4D42);
    EXPECT_EQ(bmp->bfReserved1, 0x1234);
    EXPECT_EQ(bmp->bfOffBits, 54u);
    EXPECT_EQ(bmp->biWidth, 3);
    EXPECT_EQ(bmp->biHeight, 2);
    EXPECT_EQ(bmp->biBitCount, 24);
    EXPECT_EQ(bmp->m_nRowBytes, 12);
    EXPECT_EQ(bmp->biSizeImage, 24) << "the computed size replaces 0";
    EXPECT_EQ(bmp->m_nPaletteEntries, 0);
    // Row 0 is the top row; each pixel is blue, green, red; the padding byte is kept.
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const quint32 v = quint32(0x010203 * (1 + x + 3 * y));
            EXPECT_EQ(bmp->Row(y)[3 * x], v & 0xFF) << x << "," << y;
            EXPECT_EQ(bmp->Row(y)[3 * x + 1], (v >> 8) & 0xFF);
            EXPECT_EQ(bmp->Row(y)[3 * x + 2], (v >> 16) & 0xFF);
        }
        EXPECT_EQ(bmp->Row(y)[9], 0);
    }
    EXPECT_EQ(bmp->Row(2)[0], 0) << "rows below the picture stay zero";
}

TEST(BitmapReader, SignatureIsStoredUpperCased) {
    BmpBuilder b;
    b.signature = "bm";
    auto bmp = Load(b.Build());
    EXPECT_EQ(bmp->bfType, 0x4D42);
}

TEST(BitmapReader, LargestPictureLoadsAndFillsTheStore) {
    BmpBuilder b;
    b.width = 1024;
    b.height = 768;
    b.pixel = [](int x, int y) { return quint32((x * 7 + y * 13) & 0xFFFFFF); };
    QStringList texts;
    auto bmp = Load(b.Build(), &texts);
    EXPECT_TRUE(texts.isEmpty());
    ASSERT_EQ(bmp->m_bLoaded, 1);
    EXPECT_EQ(bmp->m_nRowBytes, 3072);
    const quint32 last = quint32((1023 * 7 + 767 * 13) & 0xFFFFFF);
    EXPECT_EQ(bmp->Row(767)[3 * 1023], last & 0xFF);
    EXPECT_EQ(bmp->Row(767)[3 * 1023 + 2], (last >> 16) & 0xFF);
}

TEST(BitmapReader, TopDownRowsAreReadTopFirstAndTheHeightIsPositive) {
    struct Case {
        qint32 statedHeight; // as the file states it
        bool topDown;
        QStringList texts;
        int loaded;
        qint32 height; // as read
    } cases[] = {
        {0, false, {}, 1, 0},     {-1, true, {}, 1, 1},          {-4, true, {}, 1, 4},
        {-768, true, {}, 1, 768}, {-769, true, {kHeight}, 0, 0}, {INT32_MIN, true, {kHeight}, 0, 0},
    };
    for (const Case& c : cases) {
        BmpBuilder b;
        b.width = 8;
        b.height = c.topDown && c.statedHeight >= -768 ? -c.statedHeight : c.statedHeight;
        b.topDown = c.topDown && c.statedHeight >= -768;
        // Each row's own colour, so that the order of the rows shows.
        b.pixel = [](int x, int y) { return quint32(0x010203 * (y + 1) + x); };
        QStringList texts;
        auto bmp = Load(b.Build(), &texts);
        texts.removeAll(kOffset); // a file of no rows ends where they would start
        EXPECT_EQ(texts, c.texts) << c.statedHeight;
        ASSERT_EQ(bmp->m_bLoaded, c.loaded) << c.statedHeight;
        if (!c.loaded)
            continue;
        EXPECT_EQ(bmp->biHeight, c.height) << c.statedHeight;
        EXPECT_EQ(bmp->m_bTopDown, c.topDown) << c.statedHeight;
        EXPECT_EQ(bmp->biSizeImage, bmp->m_nRowBytes * c.height) << c.statedHeight;
        for (int y = 0; y < c.height; ++y)
            ASSERT_EQ(bmp->Row(y)[0], quint8(3 * (y + 1)))
                << "row " << y << " of " << c.statedHeight;
        if (c.height == 0) {
            EXPECT_TRUE(StoreIsZero(*bmp));
        }
    }
}

TEST(BitmapReader, RowsReadBeforeTheEndStayInTheStore) {
    BmpBuilder b;
    b.width = 2;
    b.height = 3;
    b.rowsWritten = 2;
    b.pixel = [](int, int) { return 0x445566u; };
    QStringList texts;
    auto bmp = Load(b.Build(), &texts);
    EXPECT_EQ(texts, QStringList{kEofRow});
    EXPECT_EQ(bmp->m_bLoaded, 0);
    EXPECT_EQ(bmp->Row(2)[0], 0x66) << "the first row read lands in the last row";
    EXPECT_EQ(bmp->Row(1)[0], 0x66);
    EXPECT_EQ(bmp->Row(0)[0], 0) << "the row never read stays zero";
}

TEST(BitmapReader, FourBitTableIsReadRightAfterTheHeaderWhereverTheRowsAre) {
    BmpBuilder b;
    b.bitCount = 4;
    b.width = 4;
    b.height = 1;
    QByteArray table;
    for (int i = 0; i < 16; ++i)
        table.append(char(i)).append(char(16 + i)).append(char(32 + i)).append(char(48 + i));
    b.palette = table;
    b.pixel = [](int x, int) { return quint32(x + 1); };
    // The rows are put far after the table, with bytes in between that are not table.
    b.offBits = 14 + 40 + 64 + 20;
    CSourceBitmap bmp;
    bmp.m_palette[16] = {9, 9, 9, 9};
    QByteArray file = b.Build();
    file.replace(118, 20, QByteArray(20, '\x77'));
    const auto report = bmp.ReadBytes(file);
    EXPECT_TRUE(report.texts.isEmpty()) << report.Message().toStdString();
    ASSERT_EQ(bmp.m_bLoaded, 1);
    EXPECT_EQ(bmp.m_nPaletteEntries, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(bmp.m_palette[i].blue, i);
        EXPECT_EQ(bmp.m_palette[i].green, 16 + i);
        EXPECT_EQ(bmp.m_palette[i].red, 32 + i);
        EXPECT_EQ(bmp.m_palette[i].reserved, 48 + i);
    }
    EXPECT_EQ(bmp.m_palette[16].blue, 9) << "entries beyond the table keep older contents";
    EXPECT_EQ(bmp.Row(0)[0], 0x12);
    EXPECT_EQ(bmp.Row(0)[1], 0x34);

    // Rows pointed at the table itself are read from there.
    BmpBuilder inside = b;
    inside.offBits = 54;
    CSourceBitmap again;
    again.ReadBytes(inside.Build());
    EXPECT_EQ(again.m_bLoaded, 1);
    EXPECT_EQ(again.m_palette[0].blue, 0x12) << "the table was read from offset 54 too";
}

TEST(BitmapReader, PaletteDepthsTakeTheirTables) {
    struct Case {
        int bits, entries, rowBytes;
    } cases[] = {{1, 2, 4}, {4, 16, 8}, {8, 256, 12}, {24, 0, 36}};
    for (const Case& c : cases) {
        BmpBuilder b;
        b.bitCount = quint16(c.bits);
        b.width = 12;
        b.clrUsed = 0;
        auto bmp = Load(b.Build());
        EXPECT_EQ(bmp->m_bLoaded, 1) << c.bits;
        EXPECT_EQ(bmp->m_nPaletteEntries, c.entries) << c.bits;
        EXPECT_EQ(bmp->m_nRowBytes, c.rowBytes) << c.bits;
    }
    // The colours-used field never sets the table size: a file that has only the two
    // entries it claims is short of table.
    BmpBuilder b;
    b.bitCount = 8;
    b.clrUsed = 2;
    b.paletteEntries = 2;
    b.height = 0;
    QStringList texts;
    Load(b.Build(), &texts);
    EXPECT_EQ(texts, (QStringList{kOffset, kClrUsed, kEofPalette}));
}

TEST(BitmapReader, EveryCutOfAFileEndsWithOneErrorAndNothingLoaded) {
    for (int bits : {1, 4, 8, 24}) {
        BmpBuilder b;
        b.bitCount = quint16(bits);
        b.width = 9;
        b.height = 3;
        b.pixel = [](int x, int y) { return quint32(x * 31 + y); };
        const QByteArray whole = b.Build();
        for (int n = 0; n < whole.size(); ++n) {
            QStringList texts;
            auto bmp = Load(whole.left(n), &texts);
            ASSERT_EQ(bmp->m_bLoaded, 0) << bits << " bits cut at " << n;
            ASSERT_FALSE(texts.isEmpty()) << n;
            EXPECT_TRUE(kErrors.contains(texts.last())) << n;
            for (int i = 0; i + 1 < texts.size(); ++i)
                EXPECT_TRUE(kWarnings.contains(texts[i])) << n << texts[i].toStdString();
            const QString expected = n < 14                                ? kEofFileHeader
                                     : n < 54                              ? kEofInfoHeader
                                     : n < 54 + 4 * bmp->m_nPaletteEntries ? kEofPalette
                                                                           : kEofRow;
            EXPECT_EQ(texts.last(), expected) << bits << " bits cut at " << n;
        }
        auto bmp = Load(whole);
        EXPECT_EQ(bmp->m_bLoaded, 1) << bits;
    }
}

TEST(BitmapReader, AFailedReadLeavesTheEarlierPictureUnusable) {
    CSourceBitmap bmp;
    BmpBuilder good;
    bmp.ReadBytes(good.Build());
    ASSERT_EQ(bmp.m_bLoaded, 1);
    BmpBuilder bad;
    bad.planes = 4;
    bmp.ReadBytes(bad.Build());
    EXPECT_EQ(bmp.m_bLoaded, 0);
    EXPECT_EQ(bmp.biPlanes, 4) << "fields stored before the failing check keep their values";
}

TEST(BitmapReader, PathsThatAreNotReadableFilesAreRefusedBeforeReading) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CSourceBitmap bmp;

    auto missing = bmp.Read(dir.filePath("missing.bmp"));
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.texts.isEmpty());

    auto folder = bmp.Read(dir.path());
    EXPECT_FALSE(folder.opened);
    EXPECT_FALSE(folder.openDetail.isEmpty());

    // A FIFO would block the open until a writer came.
    const QString fifo = dir.filePath("pipe.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto pipe = bmp.Read(fifo);
    EXPECT_FALSE(pipe.opened);

    auto device = bmp.Read("/dev/zero");
    EXPECT_FALSE(device.opened);

    // A 2 GB sparse file that starts like a bitmap is refused by size, not read.
    const QString sparse = dir.filePath("sparse.bmp");
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(BmpBuilder().Build());
        ASSERT_TRUE(f.resize(qint64(2) << 30));
    }
    auto big = bmp.Read(sparse);
    EXPECT_FALSE(big.opened);
    EXPECT_EQ(bmp.m_bLoaded, 0);

    const QString good = dir.filePath("good.bmp");
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(BmpBuilder().Build());
    }
    auto ok = bmp.Read(good);
    EXPECT_TRUE(ok.opened);
    EXPECT_EQ(bmp.m_bLoaded, 1);
}

// Bitmaps written by an independent tool: ImageMagick's BMP3 output.
namespace {
class ImageMagick : public ::testing::Test {
protected:
    void SetUp() override {
        m_convert = QStandardPaths::findExecutable("convert");
        if (m_convert.isEmpty())
            GTEST_SKIP() << "ImageMagick's convert is not installed";
        ASSERT_TRUE(m_dir.isValid());
    }
    // Runs convert with the arguments and the output BMP3:<file>; returns the file's path.
    QString Convert(const QStringList& arguments, const QString& name) {
        const QString out = m_dir.filePath(name);
        QProcess p;
        p.start(m_convert, arguments + QStringList{"BMP3:" + out});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return out;
    }
    QString m_convert;
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(ImageMagick, TrueColourPicturesLoadWithTheirPixels) {
    // A 7 x 5 picture of colour (10, 20, 30) with one black dot near the top-left corner.
    const QString path = Convert({"-size", "7x5", "xc:rgb(10,20,30)", "-fill", "black", "-draw",
                                  "point 1,0", "-type", "TrueColor"},
                                 "small.bmp");
    CSourceBitmap bmp;
    const auto report = bmp.Read(path);
    ASSERT_TRUE(report.opened);
    EXPECT_TRUE(report.texts.isEmpty()) << report.Message().toStdString();
    ASSERT_EQ(bmp.m_bLoaded, 1);
    EXPECT_EQ(bmp.biWidth, 7);
    EXPECT_EQ(bmp.biHeight, 5);
    EXPECT_EQ(bmp.biBitCount, 24);
    EXPECT_EQ(bmp.m_nRowBytes, 24);
    const quint8* top = bmp.Row(0);
    EXPECT_EQ(top[0], 30);
    EXPECT_EQ(top[1], 20);
    EXPECT_EQ(top[2], 10);
    EXPECT_EQ(top[3] + top[4] + top[5], 0) << "the dot is in the top row";
    EXPECT_EQ(bmp.Row(4)[3], 30) << "and not in the bottom one";
}

TEST_F(ImageMagick, SizeLimits) {
    struct Case {
        const char* size;
        QStringList texts;
        bool loaded;
    } cases[] = {{"1024x768", {}, true},
                 {"1025x4", {kWidth}, false},
                 {"4x769", {kHeight}, false},
                 {"1x1", {}, true}};
    for (const Case& c : cases) {
        const QString path = Convert({"-size", c.size, "xc:white", "-type", "TrueColor"},
                                     QString("limit-%1.bmp").arg(c.size));
        CSourceBitmap bmp;
        const auto report = bmp.Read(path);
        EXPECT_EQ(report.texts, c.texts) << c.size;
        EXPECT_EQ(bmp.m_bLoaded, c.loaded ? 1 : 0) << c.size;
    }
}

TEST_F(ImageMagick, PaletteAndBilevelPicturesLoadForAPreview) {
    const QString palette = Convert(
        {"-size", "10x3", "xc:red", "-fill", "blue", "-draw", "point 0,0", "-type", "Palette"},
        "palette.bmp");
    CSourceBitmap bmp;
    bmp.Read(palette);
    ASSERT_EQ(bmp.m_bLoaded, 1);
    EXPECT_TRUE(bmp.biBitCount == 8 || bmp.biBitCount == 4 || bmp.biBitCount == 1)
        << bmp.biBitCount;
    const auto& top = bmp.m_palette[bmp.biBitCount == 8 ? bmp.Row(0)[0] : bmp.Row(0)[0] >> 4];
    if (bmp.biBitCount != 1) {
        EXPECT_EQ(top.blue, 255);
        EXPECT_EQ(top.red, 0);
    }

    const QString bilevel = Convert(
        {"-size", "33x2", "xc:white", "-fill", "black", "-draw", "point 32,0", "-monochrome"},
        "mono.bmp");
    CSourceBitmap mono;
    const auto report = mono.Read(bilevel);
    ASSERT_EQ(mono.m_bLoaded, 1) << report.Message().toStdString();
    EXPECT_EQ(mono.biBitCount, 1);
    EXPECT_EQ(mono.m_nRowBytes, 8);
}

TEST_F(ImageMagick, ACutFileEndsInTheRowMessage) {
    const QString path = Convert({"-size", "40x30", "xc:gray", "-type", "TrueColor"}, "cut.bmp");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    CSourceBitmap bmp;
    const auto report = bmp.ReadBytes(whole.left(whole.size() - 100));
    ASSERT_FALSE(report.texts.isEmpty());
    EXPECT_EQ(report.texts.last(), kEofRow);
    EXPECT_EQ(bmp.m_bLoaded, 0);
}

TEST(BitmapReader, EachReadStartsFromAClearStore) {
    // A tall picture first, then a shorter and narrower one, then one cut short: nothing of
    // an earlier picture is left anywhere in the store.
    CSourceBitmap bmp;
    BmpBuilder tall;
    tall.width = 1024;
    tall.height = 768;
    tall.pixel = [](int, int) { return 0xFFFFFFu; };
    bmp.ReadBytes(tall.Build());
    ASSERT_EQ(bmp.m_bLoaded, 1);
    BmpBuilder small;
    small.width = 2;
    small.height = 3;
    small.pixel = [](int, int) { return 0x010101u; };
    bmp.ReadBytes(small.Build());
    ASSERT_EQ(bmp.m_bLoaded, 1);
    size_t nonZero = 0;
    for (quint8 b : bmp.m_pixels)
        nonZero += b != 0;
    EXPECT_EQ(nonZero, 3u * 6u) << "only the three rows of two pixels";
    BmpBuilder cut = tall;
    cut.rowsWritten = 10;
    bmp.ReadBytes(cut.Build());
    nonZero = 0;
    for (quint8 b : bmp.m_pixels)
        nonZero += b != 0;
    EXPECT_EQ(nonZero, 10u * 3072u);
    EXPECT_EQ(bmp.Row(767)[0], 0xFF) << "the rows read land at the bottom";
    EXPECT_EQ(bmp.Row(0)[0], 0);
}
