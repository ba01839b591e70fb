// Port names, open-failure reasons, stable port names and the baud detector's rules.

#include "app/BaudDetector.h"
#include "app/OpenProblem.h"
#include "app/PortDiscovery.h"
#include "app/PortMap.h"

#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PortName, OnlyCom1ToCom20InCapitals) {
    const struct {
        const char* text;
        bool port;
    } cases[] = {{"COM1", true},   {"COM9", true},    {"COM10", true},  {"COM19", true},
                 {"COM20", true},  {"COM0", false},   {"COM21", false}, {"COM01", false},
                 {"com1", false},  {"COM", false},    {"COM1 ", false}, {" COM1", false},
                 {"COM2a", false}, {"COM100", false}, {"", false},      {"/dev/ttyS0", false}};
    for (const auto& c : cases)
        EXPECT_EQ(CPortMap::IsPortName(QString::fromLatin1(c.text)), c.port) << c.text;
}

TEST(OpenProblem, EachCauseGetsItsOwnReason) {
    using Kind = COpenProblem::Kind;
    using Facts = COpenProblem::Facts;
    const struct {
        Facts facts;
        Kind kind;
        const char* says;
    } cases[] = {
        {{QSerialPort::DeviceNotFoundError, "No such file or directory", false, true, "", true, {}},
         Kind::NotFound,
         "the device does not exist"},
        // A stale mapping: the path is gone although Qt reports something else.
        {{QSerialPort::OpenError, "", false, true, "", true, {}},
         Kind::NotFound,
         "mapped to the wrong"},
        {{QSerialPort::PermissionError, "Permission denied", true, false, "uucp", true, {}},
         Kind::PermissionDenied,
         "permission denied"},
        {{QSerialPort::PermissionError,
          "Permission error while locking the device",
          true,
          true,
          "dialout",
          true,
          {}},
         Kind::InUse,
         "in use by another program"},
        {{QSerialPort::PermissionError, "Device or resource busy", true, true, "dialout", true, {}},
         Kind::InUse,
         "in use by another program"},
        {{QSerialPort::PermissionError,
          "Permission error while creating lock file",
          true,
          true,
          "dialout",
          true,
          {}},
         Kind::Other,
         "creating lock file"},
        {{QSerialPort::UnknownError, "Input/output error", true, true, "dialout", true, {}},
         Kind::Other,
         "Input/output error"},
    };
    for (const auto& c : cases) {
        const COpenProblem p = COpenProblem::Classify("COM3", "/dev/ttyUSB0", c.facts);
        EXPECT_EQ(p.kind, c.kind) << c.facts.errorString.toStdString();
        EXPECT_TRUE(p.text.startsWith("COM3 (/dev/ttyUSB0): ")) << p.text.toStdString();
        EXPECT_TRUE(p.text.contains(QLatin1String(c.says))) << p.text.toStdString();
    }
}

#ifdef Q_OS_LINUX
TEST(OpenProblem, PermissionNamesTheOwningGroupAndTheCommand) {
    const COpenProblem p = COpenProblem::Classify(
        "COM3", "/dev/ttyUSB0",
        {QSerialPort::PermissionError, "Permission denied", true, false, "uucp", true, {}});
    EXPECT_TRUE(p.text.contains("\"uucp\"")) << p.text.toStdString();
    EXPECT_TRUE(p.text.contains("sudo usermod -aG uucp $USER")) << p.text.toStdString();
    const COpenProblem unknownGroup = COpenProblem::Classify(
        "COM3", "/dev/ttyUSB0",
        {QSerialPort::PermissionError, "Permission denied", true, false, "", true, {}});
    EXPECT_TRUE(unknownGroup.text.contains("usermod -aG dialout"))
        << unknownGroup.text.toStdString();
    // A device only its owner may use (crw------- root root): joining its group would not
    // help, and the program must not tell the user to join the group root.
    const COpenProblem ownerOnly = COpenProblem::Classify(
        "COM3", "/dev/ttyUSB0",
        {QSerialPort::PermissionError, "Permission denied", true, false, "root", false, "root"});
    EXPECT_FALSE(ownerOnly.text.contains("usermod")) << ownerOnly.text.toStdString();
    EXPECT_TRUE(ownerOnly.text.contains("only the device's owner \"root\" may use it"))
        << ownerOnly.text.toStdString();
}

TEST(OpenProblem, TheGroupsAccessIsReadFromTheDevice) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tty");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const auto& [permissions, groupMayUse] :
         {std::pair{QFile::ReadOwner | QFile::WriteOwner, false},
          {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup, false},
          {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup, true}}) {
        ASSERT_TRUE(QFile::setPermissions(path, permissions));
        const COpenProblem::Facts facts =
            COpenProblem::Gather(path, QSerialPort::PermissionError, "Permission denied");
        EXPECT_EQ(facts.groupMayUse, groupMayUse) << int(permissions);
        EXPECT_FALSE(facts.owner.isEmpty());
    }
}
#endif

TEST(OpenProblem, ADevicePathGivenDirectlyIsNamedOnce) {
    const COpenProblem p = COpenProblem::Classify(
        "", "/dev/ttyUSB7", {QSerialPort::DeviceNotFoundError, "", false, true, "", true, {}});
    EXPECT_EQ(p.text,
              "/dev/ttyUSB7: the device does not exist (unplugged, or a wrong device path)");
}

TEST(BaudDetector, CommonRatesFirstEachOnce) {
    EXPECT_EQ(CBaudDetector::RateOrder(),
              (QVector<int>{38400, 9600, 115200, 57600, 19200, 14400, 2400, 1200}));
    EXPECT_EQ(CBaudDetector::RateOrder(2400),
              (QVector<int>{2400, 38400, 9600, 115200, 57600, 19200, 14400, 1200}));
    // A rate outside the table is not tried.
    EXPECT_EQ(CBaudDetector::RateOrder(4800), CBaudDetector::RateOrder());
}

TEST(BaudDetector, OnlyAnEscVLineOfDigitsIsABatteryReply) {
    const struct {
        QByteArray reply;
        bool battery;
    } cases[] = {
        {"\x1BV7456\r\n\x1BM1C20\r\n\x1BT31\r\n", true},
        {"\x1BV7456", true},
        {"\x1BM1C20\r\x1BV12000\n", true},
        {"\xF0\x1BV7456\r\n", true}, // noise in front of the line
        {"\x1BV\r\n", false},        // no number
        {"\x1BV74x6\r\n", false},    // not a number
        {"\x1BVx\x1BV\r", false},
        {"\x1BM1C20\r\n", false},                       // no voltage line
        {"V7456\r\n", false},                           // no ESC
        {QByteArray("\xF0\x80\x1B\x00\xFE", 5), false}, // noise from another rate
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CBaudDetector::IsBatteryReply(c.reply), c.battery)
            << c.reply.toHex().toStdString();
}

#ifdef Q_OS_UNIX
TEST(PortDiscovery, StableNameIsTheLinkThatLeadsToTheDevice) {
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyUSB3");
    QFile f(device);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString other = dir.filePath("ttyUSB4");
    QFile g(other);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.close();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("by-id")));
    const QString link = dir.filePath("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    ASSERT_TRUE(QFile::link(device, link));
    ASSERT_TRUE(QFile::link(other, dir.filePath("by-id/usb-Prolific-if00")));

    EXPECT_EQ(PortDiscovery::StableName(device, dir.filePath("by-id")), link);
    EXPECT_EQ(PortDiscovery::StableName(dir.filePath("ttyS0"), dir.filePath("by-id")), QString());
    EXPECT_EQ(PortDiscovery::StableName(device, dir.filePath("nowhere")), QString());

    // The port table may hold the device, the stable link, or neither.
    CPortMap map;
    map.SetStoredDevice("COM3", link);
    map.SetStoredDevice("COM5", device);
    map.SetStoredDevice("COM6", other);
    EXPECT_EQ(PortDiscovery::ComNamesFor(device, map), (QStringList{"COM3", "COM5"}));
    EXPECT_EQ(PortDiscovery::ComNamesFor(link, map), (QStringList{"COM3", "COM5"}));
    EXPECT_TRUE(PortDiscovery::ComNamesFor(dir.filePath("ttyUSB9"), map).isEmpty());
}
#endif
