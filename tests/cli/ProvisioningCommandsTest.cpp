// kvuctl ports and detect on one port.

#include "KvuCtl.h"
#include "KvuCtlFixture.h"
#include "SimHarness.h"
#include <QRegularExpression>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {
class ProvisioningCommandsTest : public KvuCtlFixture {
protected:
    void SetUp() override {
        KvuCtlFixture::SetUp();
        listPorts = [this] { return ports; };
        CPortInfo usb;
        usb.device = "/dev/ttyUSB0";
        usb.stableName = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
        usb.description = "FT232R USB UART";
        usb.manufacturer = "FTDI";
        usb.usbId = "0403:6001";
        usb.serialNumber = "A50285BI";
        usb.comNames = {"COM3"};
        CPortInfo plain;
        plain.device = "/dev/ttyS0";
        plain.comNames = {"COM1"};
        ports = {plain, usb};
    }

    QList<CPortInfo> ports;
};
} // namespace

TEST_F(ProvisioningCommandsTest, PortsListsEachPortWithWhatIsKnownAndDashesForTheRest) {
    EXPECT_EQ(Run({"ports"}), 0);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("DEVICE"));
    const QStringList plain = lines[1].split(' ', Qt::SkipEmptyParts);
    EXPECT_EQ(plain, (QStringList{"/dev/ttyS0", "COM1", "-", "-", "-", "-", "-"}));
    EXPECT_TRUE(lines[2].startsWith("/dev/ttyUSB0"));
    for (const char* field :
         {"COM3", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
          "FT232R USB UART", "FTDI", "0403:6001", "A50285BI"})
        EXPECT_TRUE(lines[2].contains(QLatin1String(field))) << field;
    // The columns line up: every field of a column starts at the same place.
    EXPECT_EQ(lines[1].indexOf("COM1"), lines[2].indexOf("COM3"));
    EXPECT_EQ(lines[0].indexOf("USB"), lines[2].indexOf("0403:6001"));
}

TEST_F(ProvisioningCommandsTest, PortsJsonHasOneObjectPerPort) {
    EXPECT_EQ(Run({"ports", "--json"}), 0);
    const QJsonArray array = QJsonDocument::fromJson(out.toUtf8()).array();
    ASSERT_EQ(array.size(), 2);
    const QJsonObject usb = array[1].toObject();
    EXPECT_EQ(usb.value("device").toString(), "/dev/ttyUSB0");
    EXPECT_EQ(usb.value("stableName").toString(),
              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(usb.value("usb").toString(), "0403:6001");
    EXPECT_EQ(usb.value("serialNumber").toString(), "A50285BI");
    EXPECT_EQ(usb.value("comPorts").toArray(), QJsonArray{"COM3"});
    EXPECT_EQ(array[0].toObject().value("description").toString(), "");
}

TEST_F(ProvisioningCommandsTest, NoPortsAtAllIsSaid) {
    ports.clear();
    EXPECT_EQ(Run({"ports"}), 0);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains("no serial ports found"));
    EXPECT_EQ(Run({"detect"}), 4);
    EXPECT_TRUE(err.contains("no serial ports found"));
}

TEST_F(ProvisioningCommandsTest, DetectOnOnePortPrintsTheRate) {
    SimConfig config;
    config.baudRate = 57600;
    CSimHarness h(config);
    ASSERT_TRUE(h.Started());
    EXPECT_EQ(Run({"detect", "--port", h.Sim().DevicePath()}, &h), 0) << err.toStdString();
    EXPECT_EQ(out, "57600\n");
    EXPECT_TRUE(err.contains("the printer answers at 57600 bit/s"));
    // --baud names the rate to try first.
    EXPECT_EQ(Run({"detect", "--port", h.Sim().DevicePath(), "--baud", "57600"}, &h), 0);
    h.TakeReceived();
    EXPECT_EQ(Run({"detect", "--port", h.Sim().DevicePath(), "--baud", "57600"}, &h), 0);
    EXPECT_EQ(h.TakeReceived(), QByteArray(1, '\x16'));
    EXPECT_TRUE(h.Services().StatusTexts().contains("Trying 57600 bit/s..."));
}

TEST_F(ProvisioningCommandsTest, DetectOnAMissingDeviceSaysWhyAndExitsWithTheLinkCode) {
    EXPECT_EQ(Run({"detect", "--port", "/dev/nonexistent-kvu-port"}), 4);
    EXPECT_TRUE(err.contains("kvuctl: /dev/nonexistent-kvu-port: the device does not exist"))
        << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(ProvisioningCommandsTest, HelpOfTheNewCommandsAndOptionsHasAnExample) {
    for (const char* command : {"ports", "detect", "burn", "logo flash", "bt write", "query"}) {
        QStringList args = QString::fromLatin1(command).split(' ');
        EXPECT_EQ(Run(args << "--help"), 0);
        EXPECT_TRUE(out.contains(QRegularExpression("Examples?:\n  kvuctl "))) << command;
    }
    EXPECT_EQ(Run({"burn", "--help"}), 0);
    EXPECT_TRUE(out.contains("--ports-from FILE"));
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(out.contains("  ports ") && out.contains("  detect "));
}

TEST_F(ProvisioningCommandsTest, PortsWatchSaysWhenAPortComesOrGoesUntilItEnds) {
    // Each look at the ports is one step of the script: the adapter is pulled, a second one
    // plugged in, then another adapter takes the first one's device name.
    CPortInfo usb = ports[1];
    CPortInfo other = usb;
    other.device = "/dev/ttyUSB1";
    other.serialNumber = "B\x1b]0;x\x07";
    CPortInfo swapped = usb;
    swapped.serialNumber = "C7";
    const QList<QList<CPortInfo>> looks = {
        {ports[0], usb}, {ports[0]}, {ports[0], other}, {ports[0], other}, {ports[0], swapped}};
    int look = 0;
    listPorts = [&] { return looks[qMin(look++, int(looks.size()) - 1)]; };
    int pauses = 0;
    KvuCtlContext context;
    context.watchPause = [&] { return ++pauses < int(looks.size()); };
    EXPECT_EQ(RunWith({"ports", "--watch"}, context), 0) << err.toStdString();
    EXPECT_EQ(look, int(looks.size()));
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.mid(9); // the time
    EXPECT_EQ(lines, QStringList({"present /dev/ttyS0 (COM1)",
                                  "present /dev/ttyUSB0 (COM3, " + usb.stableName +
                                      ", FT232R USB UART, FTDI, 0403:6001, A50285BI)",
                                  "removed /dev/ttyUSB0 (COM3, " + usb.stableName +
                                      ", FT232R USB UART, FTDI, 0403:6001, A50285BI)",
                                  "added /dev/ttyUSB1 (COM3, " + usb.stableName +
                                      ", FT232R USB UART, FTDI, 0403:6001, B^[]0;x^G)",
                                  "removed /dev/ttyUSB1 (COM3, " + usb.stableName +
                                      ", FT232R USB UART, FTDI, 0403:6001, B^[]0;x^G)",
                                  "added /dev/ttyUSB0 (COM3, " + usb.stableName +
                                      ", FT232R USB UART, FTDI, 0403:6001, C7)"}))
        << out.toStdString();
    EXPECT_EQ(Run({"ports", "--watch", "--json"}), 2);
}

TEST_F(ProvisioningCommandsTest, ARecipeFromStandardInput) {
    QBuffer piped;
    piped.setData("name = \"piped\"\n[[step]]\ndo = \"detect\"\n");
    piped.open(QIODevice::ReadOnly);
    KvuCtlContext context;
    context.in = &piped;
    EXPECT_EQ(RunWith({"provision", "-", "--dry-run", "--port", "/dev/ttyUSB0"}, context), 0)
        << err.toStdString();
    EXPECT_TRUE(out.startsWith("recipe piped: 1 steps on 1 printers")) << out.toStdString();
    QBuffer broken;
    broken.setData("name = \n");
    broken.open(QIODevice::ReadOnly);
    context.in = &broken;
    EXPECT_EQ(RunWith({"provision", "-", "--dry-run", "--port", "/dev/ttyUSB0"}, context), 3);
    EXPECT_TRUE(err.contains("kvuctl: <stdin>:1:")) << err.toStdString();
}
