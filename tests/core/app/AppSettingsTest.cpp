#include "app/AppCore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Stored {
    QVariant baud, port, width, height;
};

// Starts a core from a settings file holding the given entries, then exits it.
struct SettingsRun {
    CAppCore core;
    QString path;
    explicit SettingsRun(const QString& file, const Stored& stored) : path(file) {
        {
            QSettings s(path, QSettings::IniFormat);
            if (stored.baud.isValid())
                s.setValue("Communication/BAUDRATE", stored.baud);
            if (stored.port.isValid())
                s.setValue("Communication/COMPORT", stored.port);
            if (stored.width.isValid())
                s.setValue("Logo Size/WIDTH", stored.width);
            if (stored.height.isValid())
                s.setValue("Logo Size/HEIGHT", stored.height);
        }
        QSettings s(path, QSettings::IniFormat);
        core.LoadSettings(s);
    }
    void Exit() {
        QSettings s(path, QSettings::IniFormat);
        core.SaveSettings(s);
    }
    QVariant StoredValue(const char* key) {
        QSettings s(path, QSettings::IniFormat);
        return s.value(QLatin1String(key));
    }
};
} // namespace

TEST(AppSettings, FirstStartWritesAllFourEntriesAtExit) {
    QTemporaryDir dir;
    SettingsRun run(dir.filePath("a.ini"), {});
    EXPECT_EQ(run.core.m_serial.GetPortName(), "COM1");
    EXPECT_EQ(run.core.m_serial.m_nBaudRate, 38400);
    EXPECT_EQ(run.core.m_logo.m_raster.m_nWidthCode, 3);
    EXPECT_EQ(run.core.m_logo.m_raster.m_nHeight, 178);
    run.Exit();
    EXPECT_EQ(run.StoredValue("Communication/BAUDRATE").toString(), "38400");
    EXPECT_EQ(run.StoredValue("Communication/COMPORT").toString(), "COM1");
    EXPECT_EQ(run.StoredValue("Logo Size/WIDTH").toInt(), 3);
    EXPECT_EQ(run.StoredValue("Logo Size/HEIGHT").toInt(), 178);
}

TEST(AppSettings, StoredValuesAreNormalisedAndBounded) {
    struct Case {
        Stored stored;
        int baud;
        const char* port;
        int widthCode, dots, height;
    } cases[] = {
        {{"4800", "COM25", 0, 0}, 38400, "COM1", 3, 576, 178},
        {{"57600", "COM3", 2, 80}, 57600, "COM3", 2, 384, 80},
        {{"115200", "COM20", 4, 299}, 115200, "COM20", 4, 832, 299},
        {{"garbage", "com2", "wide", "tall"}, 38400, "COM1", 3, 576, 178},
        {{"", "", 7, -40}, 38400, "COM1", 7, 576, 1},
        {{"9600", "COM9", 3, 99999}, 9600, "COM9", 3, 576, 300},
        {{"1200", "COM2", "99999999999999", 300}, 1200, "COM2", 3, 576, 300},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const Case& c : cases) {
        SettingsRun run(dir.filePath(QStringLiteral("c%1.ini").arg(n++)), c.stored);
        EXPECT_EQ(run.core.m_serial.m_nBaudRate, c.baud) << n;
        EXPECT_EQ(run.core.m_serial.GetPortName(), QLatin1String(c.port)) << n;
        EXPECT_EQ(run.core.m_logo.m_raster.m_nWidthCode, c.widthCode) << n;
        EXPECT_EQ(run.core.m_logo.m_raster.m_nDots, c.dots) << n;
        EXPECT_EQ(run.core.m_logo.m_raster.m_nHeight, c.height) << n;
        run.Exit();
        EXPECT_EQ(run.StoredValue("Communication/BAUDRATE").toInt(), c.baud) << n;
        EXPECT_EQ(run.StoredValue("Communication/COMPORT").toString(), QLatin1String(c.port)) << n;
        EXPECT_EQ(run.StoredValue("Logo Size/HEIGHT").toInt(), c.height) << n;
    }
}

TEST(AppSettings, ChangesReachTheStoreOnlyAtExit) {
    QTemporaryDir dir;
    SettingsRun run(dir.filePath("x.ini"), {"38400", "COM1", 3, 178});
    run.core.m_serial.SetBaudIndex(0);
    run.core.m_serial.SetPortIndex(19);
    EXPECT_EQ(run.StoredValue("Communication/BAUDRATE").toString(), "38400");
    run.Exit();
    EXPECT_EQ(run.StoredValue("Communication/BAUDRATE").toString(), "1200");
    EXPECT_EQ(run.StoredValue("Communication/COMPORT").toString(), "COM20");
}

TEST(AppSettings, RecentFilesKeepFourNewestFirst) {
    QTemporaryDir dir;
    SettingsRun run(dir.filePath("r.ini"), {});
    for (int i = 1; i <= 6; ++i)
        run.core.m_recentFiles.Add(dir.filePath(QStringLiteral("p%1.qpf").arg(i)));
    run.core.m_recentFiles.Add(dir.filePath("p4.qpf"));
    run.Exit();
    SettingsRun again(dir.filePath("r.ini"), {});
    const QStringList files = again.core.m_recentFiles.Files();
    ASSERT_EQ(files.size(), 4);
    EXPECT_TRUE(files[0].endsWith("p4.qpf"));
    EXPECT_TRUE(files[1].endsWith("p6.qpf"));
    EXPECT_TRUE(files[2].endsWith("p5.qpf"));
    EXPECT_TRUE(files[3].endsWith("p3.qpf"));
}
