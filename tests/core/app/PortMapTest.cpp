#include "app/PortMap.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PortMap, LookupOrder) {
    CPortMap map;
    EXPECT_EQ(map.Device("COM1"), "/dev/ttyS0");
    EXPECT_EQ(map.Device("COM20"), "/dev/ttyS19");
    qputenv("KVU_PORT_COM2", "/dev/ttyUSB7");
    EXPECT_EQ(map.Device("COM2"), "/dev/ttyUSB7");
    map.SetStoredDevice("COM2", "/dev/ttyACM0");
    EXPECT_EQ(map.Device("COM2"), "/dev/ttyACM0");
    map.SetSessionDevice("COM2", "/dev/pts/9");
    EXPECT_EQ(map.Device("COM2"), "/dev/pts/9");
    map.ClearSessionDevices();
    map.SetStoredDevice("COM2", "");
    EXPECT_EQ(map.Device("COM2"), "/dev/ttyUSB7");
    qunsetenv("KVU_PORT_COM2");
    EXPECT_EQ(map.Device("COM2"), "/dev/ttyS1");
}

TEST(PortMap, StoredTableRoundTripsWithoutSessionEntries) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kvu.ini");
    {
        CPortMap map;
        map.SetStoredDevice("COM3", "/dev/ttyUSB0");
        map.SetSessionDevice("COM1", "/dev/pts/3");
        QSettings settings(path, QSettings::IniFormat);
        map.Save(settings);
    }
    QSettings settings(path, QSettings::IniFormat);
    CPortMap map;
    map.Load(settings);
    EXPECT_EQ(map.StoredDevice("COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(map.StoredDevice("COM1"), "");
    EXPECT_EQ(settings.value("Ports/COM1").toString(), "");
}

TEST(PortMap, PortOrDeviceAsAUserGivesIt) {
    const struct {
        const char* given;
        const char* port; // empty: refused
        const char* device;
    } cases[] = {
        {"COM7", "COM7", nullptr},
        {"COM20", "COM20", nullptr},
        {"COM21", "", nullptr},
        {"com3", "", nullptr},
        {"ttyUSB0", "", nullptr},
        {"/dev/ttyUSB0", "COM1", "/dev/ttyUSB0"},
        {"\\\\.\\COM31", "COM1", "\\\\.\\COM31"},
    };
    for (const auto& c : cases) {
        CPortMap map;
        EXPECT_EQ(map.UsePortOrDevice(QLatin1String(c.given)), QLatin1String(c.port)) << c.given;
        if (c.device) {
            EXPECT_EQ(map.Device(QStringLiteral("COM1")), QLatin1String(c.device));
        }
        EXPECT_TRUE(map.StoredDevice(QStringLiteral("COM1")).isEmpty()) << "never stored";
    }
}
