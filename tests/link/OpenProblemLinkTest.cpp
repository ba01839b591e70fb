// A port that cannot be opened says why, beside the caller's fixed message.

#include "PtyPair.h"
#include "RecordingServices.h"
#include "app/Exchange.h"
#include "app/PortMap.h"
#include "app/SerialPort.h"

#include <gtest/gtest.h>

TEST(OpenProblemLink, AMissingDeviceIsNamedAsMissing) {
    CPortMap ports;
    ports.SetStoredDevice("COM4", "/dev/nonexistent-kvu-port");
    CRecordingServices services;
    CSerialPort link;
    link.SetPortMap(&ports);
    link.SetServices(&services);
    link.SetPortName("COM4");
    {
        CExchange exchange(link, services);
        exchange.Start();
        EXPECT_FALSE(exchange.Open());
    }
    EXPECT_EQ(link.LastOpenProblem().kind, COpenProblem::Kind::NotFound);
    EXPECT_EQ(services.LinkProblems(),
              QStringList{"COM4 (/dev/nonexistent-kvu-port): the device does not exist "
                          "(unplugged, or COM4 is mapped to the wrong device)"});
    // The fixed message is still the one the exchange shows.
    EXPECT_EQ(services.MessageTexts(), QStringList{CExchange::kOpenFailed});
}

TEST(OpenProblemLink, APortHeldByAnotherLinkIsInUseAndTheReasonClearsOnceItOpens) {
    CPtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    CPortMap ports;
    ports.SetSessionDevice("COM1", pty.SlavePath());
    CRecordingServices services;
    CSerialPort holder, other;
    for (CSerialPort* l : {&holder, &other}) {
        l->SetPortMap(&ports);
        l->SetServices(&services);
    }
    ASSERT_EQ(holder.Open(50, 5), 1);
    EXPECT_EQ(other.Open(50, 5), 0);
    EXPECT_EQ(other.LastOpenProblem().kind, COpenProblem::Kind::InUse)
        << other.LastOpenProblem().text.toStdString();
    ASSERT_EQ(services.LinkProblems().size(), 1);
    EXPECT_TRUE(services.LinkProblems().first().endsWith("the port is in use by another program"));
    holder.Close();
    ASSERT_EQ(other.Open(50, 5), 1);
    EXPECT_EQ(other.LastOpenProblem().kind, COpenProblem::Kind::None);
    EXPECT_EQ(services.LinkProblems().last(), QString()) << "the reason no longer holds";
    other.Close();
    // A link that never failed says nothing when it opens.
    CRecordingServices quiet;
    holder.SetServices(&quiet);
    ASSERT_EQ(holder.Open(50, 5), 1);
    holder.Close();
    EXPECT_TRUE(quiet.LinkProblems().isEmpty());
}
