#include "app/SerialPort.h"

#include <gtest/gtest.h>

TEST(SerialPortConversions, FreshLinkDefaults) {
    CSerialPort link;
    EXPECT_EQ(link.GetPortName(), "COM1");
    EXPECT_EQ(link.m_nBaudRate, 38400);
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_FALSE(link.IsHandleValid());
}

TEST(SerialPortConversions, BaudRateText) {
    struct Case {
        const char* text;
        int rate;
        int index;
        const char* back;
    } cases[] = {
        {"4800", 38400, 5, "38400"},  {"", 38400, 5, "38400"},         {" 9600", 38400, 5, "38400"},
        {"9600 ", 38400, 5, "38400"}, {"115200", 115200, 7, "115200"}, {"1200", 1200, 0, "1200"},
        {"14400", 14400, 3, "14400"}, {"57600", 57600, 6, "57600"},    {"abc", 38400, 5, "38400"},
    };
    for (const Case& c : cases) {
        CSerialPort link;
        link.SetBaudRateText(QString::fromLatin1(c.text));
        EXPECT_EQ(link.m_nBaudRate, c.rate) << c.text;
        EXPECT_EQ(link.GetBaudIndex(), c.index) << c.text;
        EXPECT_EQ(link.GetBaudRateText(), QLatin1String(c.back)) << c.text;
    }
}

TEST(SerialPortConversions, BaudIndex) {
    const int expected[] = {1200, 2400, 9600, 14400, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 8; ++i) {
        CSerialPort link;
        link.SetBaudIndex(i);
        EXPECT_EQ(link.m_nBaudRate, expected[i]);
        EXPECT_EQ(link.GetBaudIndex(), i);
    }
    for (int bad : {8, -1, 100}) {
        CSerialPort link;
        link.SetBaudIndex(0);
        link.SetBaudIndex(bad);
        EXPECT_EQ(link.m_nBaudRate, 38400) << bad;
    }
    CSerialPort odd;
    odd.m_nBaudRate = 4800; // not in the table
    EXPECT_EQ(odd.GetBaudIndex(), 5);
    EXPECT_EQ(odd.GetBaudRateText(), "38400");
}

TEST(SerialPortConversions, PortName) {
    struct Case {
        const char* name;
        const char* result;
        int index;
    } cases[] = {
        {"COM7", "COM7", 6},    {"com7", "COM1", 0}, {"COM21", "COM1", 0}, {"COM0", "COM1", 0},
        {"COM20", "COM20", 19}, {"COM1", "COM1", 0}, {"", "COM1", 0},      {" COM3", "COM1", 0},
    };
    for (const Case& c : cases) {
        CSerialPort link;
        link.SetPortName(QString::fromLatin1(c.name));
        EXPECT_EQ(link.GetPortName(), QLatin1String(c.result)) << c.name;
        EXPECT_EQ(link.GetPortIndex(), c.index) << c.name;
    }
}

TEST(SerialPortConversions, PortIndex) {
    CSerialPort link;
    link.SetPortIndex(19);
    EXPECT_EQ(link.GetPortName(), "COM20");
    link.SetPortIndex(20);
    EXPECT_EQ(link.GetPortName(), "COM21");
    EXPECT_EQ(link.GetPortIndex(), 0);
    link.SetPortIndex(25);
    EXPECT_EQ(link.GetPortName(), "COM21");
    link.SetPortIndex(2);
    EXPECT_EQ(link.GetPortName(), "COM3");
    // No list selection (-1) must not produce a port name outside the list.
    link.SetPortIndex(-1);
    EXPECT_EQ(link.GetPortName(), "COM1");
}

TEST(SerialPortConversions, CloseOnClosedLinkDoesNothing) {
    CSerialPort link;
    link.Close();
    EXPECT_EQ(link.m_bOpen, 0);
    EXPECT_FALSE(link.IsHandleValid());
}
