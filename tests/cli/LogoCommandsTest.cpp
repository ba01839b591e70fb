// kvuctl logo: the reader's texts and exit codes, the PBM preview's bytes, and the
// transfers against the simulated printer.

#include "../core/logo/BmpBuilder.h"
#include "KvuCtl.h"
#include "SimHarness.h"
#include "logo/LogoTransfer.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include "KvuCtlFixture.h"

namespace {
class LogoCli : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        forwardYes = false; // the recorder's script answers the questions
        settings->setValue("Logo Size/WIDTH", 2);
        settings->setValue("Logo Size/HEIGHT", 16);
        settings->sync();
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray ReadAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A 24-bit picture: a black 10 x 5 block at the top-left of a white 40 x 20.
    static BmpBuilder Block() {
        BmpBuilder b;
        b.width = 40;
        b.height = 20;
        b.pixel = [](int x, int y) { return x < 10 && y < 5 ? 0u : 0xFFFFFFu; };
        return b;
    }
};
} // namespace

TEST_F(LogoCli, CheckPrintsTheReadersTextsAndTheVerdict) {
    // The reader's texts are diagnostics on stderr; stdout holds the verdict alone.
    struct Case {
        const char* name;
        std::function<void(BmpBuilder&)> change;
        QString out, err;
        int rc;
    } cases[] = {
        {"plain", [](BmpBuilder&) {}, "loaded 4 x 2, 24 bits\n", "", 0},
        {"warnings",
         [](BmpBuilder& b) {
             b.reserved1 = 1;
             b.clrImportant = 2;
         },
         "loaded 4 x 2, 24 bits\n",
         "Warning: Reserved1 is not 0.\nWarning: Ignoring non-zero color important field.\n", 0},
        {"palette",
         [](BmpBuilder& b) {
             b.bitCount = 8;
             b.width = 3;
         },
         "loaded 3 x 2, 8 bits\n", "", 0},
        {"refused",
         [](BmpBuilder& b) {
             b.fileSize = 1;
             b.planes = 0;
         },
         "", "Warning: The file size field is incorrect.\nError: Bitmap Planes must be 1.\n", 3},
        {"not a bitmap", [](BmpBuilder& b) { b.signature = "PK"; }, "",
         "Error: The file is not a Bitmap File.\n", 3},
        {"cut short", [](BmpBuilder& b) { b.rowsWritten = 1; }, "",
         "Premature EOF while reading a Bitmap row.\n", 3},
        {"top-down", [](BmpBuilder& b) { b.topDown = true; },
         "loaded 4 x 2, 24 bits, rows stored top-down\n", "", 0},
    };
    for (const Case& c : cases) {
        BmpBuilder b;
        c.change(b);
        EXPECT_EQ(Run({"logo", "check", Write("c.bmp", b.Build())}), c.rc) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
        EXPECT_EQ(err, c.err) << c.name;
    }
    EXPECT_EQ(Run({"logo", "check", dir.filePath("missing.bmp")}), 3);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains("Failed to open a file for read.")) << err.toStdString();
    EXPECT_EQ(Run({"logo", "check", dir.path()}), 3);
}

TEST_F(LogoCli, PreviewOnStandardOutput) {
    // "-" and /dev/stdout into a pipe, from the program itself: the bytes the file gets.
    const QString bmp = Write("block.bmp", Block().Build());
    const QString pbm = dir.filePath("file.pbm"), png = dir.filePath("file.png");
    // The program started below reads no settings of the fixture's: the size is given.
    const QStringList size = {"--width-code", "2", "--height", "16"};
    ASSERT_EQ(Run(QStringList{"logo", "preview", bmp, "-o", pbm} + size), 0);
    ASSERT_EQ(Run(QStringList{"logo", "preview", bmp, "-o", png} + size), 0);
    EXPECT_EQ(Run(QStringList{"logo", "preview", bmp, "-o", "-"} + size), 0);
    EXPECT_EQ(out.toLatin1(), ReadAll(pbm)) << "in process, the run's own stdout";
    struct Case {
        QStringList options;
        QString sameAs;
    } cases[] = {
        {{"-o", "-"}, pbm},
        {{"-o", "/dev/stdout"}, pbm},
        {{"-o", "-", "--format", "png"}, png},
        {{"-o", "/dev/stdout", "--format", "pbm"}, pbm},
    };
    for (const Case& c : cases) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        run.setProcessEnvironment(env);
        run.start(KVUCTL_PATH, QStringList{"logo", "preview", bmp} + c.options + size);
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        const QByteArray got = run.readAllStandardOutput();
        if (c.sameAs == png) // the same picture; the encoder's bytes need not be the same
            EXPECT_EQ(QImage::fromData(got, "PNG"), QImage(png)) << "PNG on stdout";
        else
            EXPECT_EQ(got, ReadAll(c.sameAs)) << c.options.join(' ').toStdString();
    }
    EXPECT_EQ(Run({"logo", "preview", bmp, "-o", pbm, "--format", "png"}), 2);
    EXPECT_EQ(Run({"logo", "preview", bmp, "-o", "-", "--format", "gif"}), 2);
}

TEST_F(LogoCli, PreviewWritesTheRasterAsPbm) {
    const QString bmp = Write("block.bmp", Block().Build());
    const QString pbm = dir.filePath("out.pbm");

    // Defaults: the logo size from KVU's settings (384 dots, 16 lines), x1.0, no pan.
    ASSERT_EQ(Run({"logo", "preview", bmp, "-o", pbm}), 0) << err.toStdString();
    QByteArray expected = "P4\n384 16\n";
    for (int y = 0; y < 16; ++y) {
        QByteArray row(48, '\0');
        if (y < 5) {
            row[0] = char(0xFF);
            row[1] = char(0xC0);
        }
        expected += row;
    }
    EXPECT_EQ(ReadAll(pbm), expected);

    // Panned 3 right and 2 down at x2.0 on the 832-dot paper: the block is 20 x 10 dots
    // from dot 3 of line 2.
    ASSERT_EQ(Run({"logo", "preview", bmp, "-o", pbm, "--width-code", "4", "--height", "12",
                   "--zoom", "8", "--pan", "3,2"}),
              0);
    const QByteArray moved = ReadAll(pbm);
    ASSERT_EQ(moved.left(10), QByteArray("P4\n832 12\n"));
    ASSERT_EQ(moved.size(), 10 + 12 * 104);
    for (int y = 0; y < 12; ++y) {
        const QByteArray row = moved.mid(10 + 104 * y, 104);
        const bool inBlock = y >= 2 && y < 12;
        EXPECT_EQ(quint8(row[0]), inBlock ? 0x1F : 0) << y;
        EXPECT_EQ(quint8(row[1]), inBlock ? 0xFF : 0) << y;
        EXPECT_EQ(quint8(row[2]), inBlock ? 0xFE : 0) << y; // dots 16 to 22
        EXPECT_EQ(quint8(row[3]), 0) << y;
        EXPECT_EQ(row.mid(4), QByteArray(100, '\0')) << y;
    }

    // A grey picture prints only from 75%.
    BmpBuilder grey;
    grey.width = 8;
    grey.height = 1;
    grey.pixel = [](int, int) { return 0x808080u; };
    const QString greyBmp = Write("grey.bmp", grey.Build());
    for (auto [percent, dots] : {std::pair{"50", 0x00}, {"75", 0xFF}}) {
        ASSERT_EQ(
            Run({"logo", "preview", greyBmp, "-o", pbm, "--threshold", percent, "--height", "1"}),
            0);
        EXPECT_EQ(quint8(ReadAll(pbm).at(9)), dots) << percent; // after "P4\n384 1\n"
    }
}

TEST_F(LogoCli, PreviewRefusesWhatItCannotUse) {
    const QString bmp = Write("block.bmp", Block().Build());
    const QString pbm = dir.filePath("out.pbm");
    const QStringList bad[] = {
        {"--zoom", "5"},
        {"--zoom", "x"},
        {"--threshold", "60"},
        {"--width-code", "7"},
        {"--height", "0"},
        {"--height", "301"},
        {"--pan", "1"},
        {"--pan", "a,b"},
        {"--pan", "999999,0"},
        {"--pan", "0,-2147483648"},
        {"--pan", "-2147483648,0"},
    };
    for (const QStringList& options : bad) {
        EXPECT_EQ(Run(QStringList{"logo", "preview", bmp, "-o", pbm} + options), 2)
            << options.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(pbm));
    }
    EXPECT_EQ(Run({"logo", "preview", bmp}), 2) << "no output named";
    EXPECT_EQ(Run({"logo", "preview", bmp, "-o", dir.filePath("out.txt")}), 2);
    BmpBuilder refused;
    refused.compression = 1;
    EXPECT_EQ(Run({"logo", "preview", Write("rle.bmp", refused.Build()), "-o", pbm}), 3);
    EXPECT_TRUE(err.contains("Sorry: We don't handle compressed files at this time."));
    EXPECT_FALSE(QFile::exists(pbm));
}

TEST_F(LogoCli, FlashPrintAndFeedOnTheSimulatedPrinter) {
    SimConfig config;
    config.paperDots = 384;
    CSimHarness h(config);
    const QString bmp = Write("block.bmp", Block().Build());
    ASSERT_EQ(Run({"logo", "flash", "3", bmp}, &h), 0) << err.toStdString();
    QByteArray expected = QByteArray::fromHex("1B58581B444C0D1B4C47330D");
    QByteArray rows;
    for (int y = 0; y < 16; ++y) {
        QByteArray row(48, '\0');
        if (y < 5) {
            row[0] = char(0xFF);
            row[1] = char(0xC0);
        }
        rows += row;
        expected += QByteArray("\x1BV\x01\x00", 4) + row;
    }
    expected += QByteArray::fromHex("1B4C47FF0D");
    EXPECT_EQ(h.TakeReceived(), expected);

    h.Sim().WithPrinter([](CPrinterModel& p) { p.Paper().Clear(); });
    ASSERT_EQ(Run({"logo", "print", "3"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B4C6733"));
    h.Sim().WithPrinter([&](CPrinterModel& p) { EXPECT_EQ(p.Paper().BitmapRows(), rows); });

    ASSERT_EQ(Run({"logo", "feed"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray("\r\n"));
    ASSERT_EQ(Run({"logo", "test-print", bmp, "--height", "2"}, &h), 0);
    EXPECT_EQ(h.TakeReceived().size(), 2 * 52);

    EXPECT_EQ(Run({"logo", "print", "8"}, &h), 2);
    EXPECT_EQ(Run({"logo", "flash", "-1", bmp}, &h), 2);
    EXPECT_EQ(h.TakeReceived(), QByteArray());
}

TEST_F(LogoCli, ABlankLogoIsBurnedOnlyWithYes) {
    forwardYes = true; // the question is answered as kvuctl's --yes says
    CSimHarness h;
    BmpBuilder blank = Block();
    blank.pixel = [](int, int) { return 0xFFFFFFu; };
    const QString white = Write("white.bmp", blank.Build());
    BmpBuilder topDown = Block();
    topDown.topDown = true;
    const QString downward = Write("top-down.bmp", topDown.Build());
    struct Case {
        QStringList args;
        int rc;
        bool asked, sent;
    } cases[] = {
        {{"logo", "flash", "1", white}, 1, true, false},
        {{"logo", "flash", "1", downward, "--pan", "2000,0"}, 1, true, false},
        {{"logo", "flash", "1", white, "--yes"}, 0, true, true},
        {{"logo", "flash", "1", downward}, 0, false, true},
    };
    for (const Case& c : cases) {
        h.Services().Clear();
        EXPECT_EQ(Run(c.args, &h), c.rc) << c.args.join(' ').toStdString();
        EXPECT_EQ(h.Services().MessageTexts().contains(CLogoTransfer::BlankLogoQuestion(1)),
                  c.asked)
            << c.args.join(' ').toStdString();
        const QByteArray sent = h.TakeReceived();
        EXPECT_EQ(!sent.isEmpty(), c.sent) << c.args.join(' ').toStdString();
        if (c.args.contains(downward) && c.sent) {
            QByteArray top(48, '\0');
            top[0] = char(0xFF);
            top[1] = char(0xC0);
            EXPECT_TRUE(sent.contains(QByteArray("\x1BV\x01\x00", 4) + top))
                << "the block at the top, read from a top-down file";
        }
    }
}

TEST_F(LogoCli, FlashWithoutTheQuestionIsNotConfirmed) {
    SimConfig config;
    config.faults.noQuestion = true;
    CSimHarness h(config);
    const QString bmp = Write("block.bmp", Block().Build());
    EXPECT_EQ(Run({"logo", "flash", "0", bmp}, &h), 1);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B58581B444C0D"));
    EXPECT_EQ(h.Services().MessageTexts(), (QStringList{"Timed out waiting for a '?' character.",
                                                        "Serial communication error."}));
    EXPECT_EQ(Run({"logo", "feed", "--port", "/dev/nonexistent-kvu"}), 4);
}

TEST_F(LogoCli, WithoutTheCodecModuleAPngIsRefusedClearlyAndABmpStillWorks) {
    // kvuctl loads the PNG and JPEG support only to read such a picture: copied into a
    // folder without the module, it still reads a BMP, writes its preview as PBM or PNG
    // (the PNG comes from its own encoder) and says what is missing for a PNG picture.
    const QString program = dir.filePath("kvuctl");
    ASSERT_TRUE(QFile::copy(KVUCTL_PATH, program));
    QImage image(16, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QString png = dir.filePath("white.png");
    ASSERT_TRUE(image.save(png, "PNG"));
    const QString bmp = Write("block.bmp", Block().Build());
    struct Case {
        QString input, output;
        int exitCode;
        const char* says;
    } cases[] = {
        {bmp, dir.filePath("block.pbm"), 0, ""},
        {png, dir.filePath("white.pbm"), 3,
         "the PNG and JPEG support, libkvu-picture-codecs.so, is not installed in "},
        {bmp, dir.filePath("block.png"), 0, ""},
    };
    for (const Case& c : cases) {
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        run.setProcessEnvironment(env);
        run.start(program, {"logo", "preview", c.input, "-o", c.output});
        ASSERT_TRUE(run.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        EXPECT_EQ(run.exitCode(), c.exitCode) << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(c.says))) << err.toStdString();
        EXPECT_EQ(QFile::exists(c.output), c.exitCode == 0) << c.output.toStdString();
    }
}

TEST_F(LogoCli, PngInAndOut) {
    // A PNG picture with a transparent background and a black 8 x 2 bar at the top-left.
    QImage image(16, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, qRgba(0, 0, 0, 255));
    const QString png = dir.filePath("bar.png");
    ASSERT_TRUE(image.save(png, "PNG"));
    EXPECT_EQ(Run({"logo", "check", png}), 0);
    EXPECT_EQ(out, "loaded 16 x 4, 24 bits\n");
    const QString pbm = dir.filePath("bar.pbm");
    ASSERT_EQ(Run({"logo", "preview", png, "-o", pbm, "--height", "3"}), 0);
    EXPECT_EQ(ReadAll(pbm), QByteArray("P4\n384 3\n") + char(0xFF) + QByteArray(47, '\0') +
                                char(0xFF) + QByteArray(47, '\0') + QByteArray(48, '\0'));

    // The PNG preview is the view's composite: the frame outline and the logo at (64, 89).
    const QString shown = dir.filePath("shown.png");
    ASSERT_EQ(Run({"logo", "preview", png, "-o", shown, "--zoom", "8"}), 0);
    const QImage composite(shown);
    ASSERT_EQ(composite.size(), QSize(960, 600));
    EXPECT_EQ(composite.pixel(62, 87) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(composite.pixel(64 + 15, 89 + 3) & 0xFFFFFF, 0u) << "x2.0: 16 x 4 dots of bar";
    EXPECT_EQ(composite.pixel(64 + 16, 89) & 0xFFFFFF, 0xFFFFFFu);

    ASSERT_EQ(Run({"logo", "preview", png, "-o", pbm, "--dither"}), 0);
    EXPECT_EQ(Run({"logo", "preview", png, "-o", pbm, "--dither", "--threshold", "75"}), 2);
}
