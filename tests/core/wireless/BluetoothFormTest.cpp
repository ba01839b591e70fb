// The Bluetooth settings without a window: defaults, Clear, the Read parser and the Write
// commands.

#include "wireless/BluetoothForm.h"
#include "ReplyBuilder.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
CBluetoothForm Opened() {
    CBluetoothForm form;
    form.InitDialog();
    return form;
}

QVector<QByteArray> Commands(const CBluetoothForm& form) {
    QVector<QByteArray> commands;
    QString refusal;
    EXPECT_TRUE(form.BuildWriteCommands(&commands, &refusal)) << refusal.toStdString();
    return commands;
}
} // namespace

TEST(BluetoothForm, OpensWithTheDefaultsAndTheUartsU0U1) {
    const CBluetoothForm form = Opened();
    EXPECT_EQ(form.m_strPassThruFrom, "U0");
    EXPECT_EQ(form.m_strPassThruTo, "U1");
    EXPECT_EQ(form.m_nPassThruTimeout, 999);
    EXPECT_EQ(form.m_nSilenceBefore, 1100);
    EXPECT_EQ(form.m_nSilenceAfter, 1100);
    EXPECT_EQ(form.m_strEscapeChar, "/");
    EXPECT_EQ(form.m_strLocalName, "BT Printer");
    EXPECT_EQ(form.m_strFixedPin, "0");
    EXPECT_EQ(form.m_nClassOfDevice, 0x040680);
    EXPECT_EQ(form.m_nPowerSaveMode, 1);
    EXPECT_EQ(form.m_nDiscoverable, 2);
    EXPECT_EQ(form.m_nSecurityMode, 0);
    EXPECT_EQ(form.PassThruCommand(), QByteArray::fromHex("1B505530553154393939 0D"));
}

TEST(BluetoothForm, DefaultKeepsUartsOutputVersionAndAddress) {
    CBluetoothForm form;
    form.m_strPassThruFrom = "U3";
    form.m_strPassThruTo = "";
    form.m_strOutput = "log";
    form.m_strVersion = "v";
    form.m_strDeviceAddress = "a";
    form.m_strLocalName = "x";
    form.Default();
    EXPECT_EQ(form.m_strPassThruFrom, "U3");
    EXPECT_EQ(form.m_strPassThruTo, "");
    EXPECT_EQ(form.m_strOutput, "log");
    EXPECT_EQ(form.m_strVersion, "v");
    EXPECT_EQ(form.m_strDeviceAddress, "a");
    EXPECT_EQ(form.m_strLocalName, "BT Printer");
}

TEST(BluetoothForm, ClearEmptiesSettingsAndKeepsTheConnection) {
    CBluetoothForm form = Opened();
    form.m_strOutput = "log";
    form.m_strVersion = "v";
    form.m_nPassThruTimeout = 5;
    form.Clear();
    EXPECT_EQ(form.m_strOutput, "");
    EXPECT_EQ(form.m_strVersion, "");
    EXPECT_EQ(form.m_strLocalName, "");
    EXPECT_EQ(form.m_strFixedPin, "");
    EXPECT_EQ(form.m_nClassOfDevice, 0);
    EXPECT_EQ(form.m_nSecurityMode, -1);
    EXPECT_EQ(form.m_nDiscoverable, -1);
    EXPECT_EQ(form.m_nPowerSaveMode, -1);
    EXPECT_EQ(form.m_nPassThruTimeout, 5);
    EXPECT_EQ(form.m_strEscapeChar, "/");
}

TEST(BluetoothForm, ParsesEveryAnswer) {
    CBluetoothForm form = Opened();
    bool ok = form.ParseReply(BatchReply(BluetoothAnswers())).missing.isEmpty();
    EXPECT_TRUE(ok);
    EXPECT_EQ(form.m_strDeviceAddress, "0012F3004A21");
    EXPECT_EQ(form.m_strVersion, "cB-OEMSPA33i 3.1.2");
    EXPECT_EQ(form.m_strLocalName, "Shop \"A\"") << "the module's quoting decoded";
    EXPECT_EQ(form.m_nClassOfDevice, 1234);
    EXPECT_EQ(form.m_strFixedPin, "4711");
    EXPECT_EQ(form.m_nDiscoverable, 0);
    EXPECT_EQ(form.m_nPowerSaveMode, 2);
    EXPECT_EQ(form.m_nSecurityMode, 1);
}

TEST(BluetoothForm, RadioAnswersMapOneUp) {
    struct Case {
        QByteArray dm, pm, sm;
        int discoverable, power, security;
    } cases[] = {
        {"1", "1", "1", 0, 0, 0},
        {"2", "2", "2", 1, 1, 1}, // 2: the Limited radio, disabled on the page, is checked
        {"3", "3", "1", 2, 2, 0},
        // Anything else leaves the groups as they were (the Default values here).
        {"0", "4", "3", 2, 1, 0},
        {"x", "", "9", 2, 1, 0},
    };
    for (const Case& c : cases) {
        auto answers = BluetoothAnswers();
        answers[5].second = c.dm;
        answers[6].second = c.pm;
        answers[7].second = c.sm;
        CBluetoothForm form = Opened();
        bool ok = form.ParseReply(BatchReply(answers)).missing.isEmpty();
        EXPECT_EQ(form.m_nDiscoverable, c.discoverable) << c.dm.constData();
        EXPECT_EQ(form.m_nPowerSaveMode, c.power) << c.pm.constData();
        EXPECT_EQ(form.m_nSecurityMode, c.security) << c.sm.constData();
    }
}

TEST(BluetoothForm, ClassOfDeviceThatIsNoNumberStays) {
    auto answers = BluetoothAnswers();
    answers[3].second = "none";
    CBluetoothForm form = Opened();
    const AtReply::Taken taken = form.ParseReply(BatchReply(answers));
    EXPECT_EQ(form.m_nClassOfDevice, 263808);
    EXPECT_EQ(taken.missing, QStringList{"Class of Device"}) << "an answer of no use is none";
}

TEST(BluetoothForm, ReplyEndingAfterTheNamesOkTakesTheNameAndNamesTheRest) {
    // The name's answer came whole with its own OK; what the cut took is named.
    const QByteArray full = BatchReply(BluetoothAnswers());
    const QByteArray cut = full.left(full.indexOf("AT*AGLC?"));
    CBluetoothForm form = Opened();
    const AtReply::Taken taken = form.ParseReply(cut);
    EXPECT_EQ(taken.missing, (QStringList{"Class of Device", "Fixed PIN", "Discoverable",
                                          "Power Save Mode", "Security Mode"}));
    EXPECT_EQ(taken.answered, (QStringList{"AT*AILBA", "AT*AILVI", "AT*AGLN"}));
    EXPECT_EQ(form.m_strDeviceAddress, "0012F3004A21");
    EXPECT_EQ(form.m_strVersion, "cB-OEMSPA33i 3.1.2");
    EXPECT_EQ(form.m_strLocalName, "Shop \"A\"");
    EXPECT_EQ(form.m_nClassOfDevice, 263808);
    EXPECT_EQ(form.m_strFixedPin, "0");
    EXPECT_EQ(form.m_nDiscoverable, 2);
    EXPECT_EQ(form.m_nPowerSaveMode, 1);
    EXPECT_EQ(form.m_nSecurityMode, 0);
}

TEST(BluetoothForm, AnswersWithoutOkAreNotTakenTheOthersAre) {
    CBluetoothForm form = Opened();
    const AtReply::Taken taken = form.ParseReply(BatchReply(BluetoothAnswers(), {2, 5}));
    EXPECT_EQ(taken.missing, (QStringList{"Local Name", "Discoverable"}));
    EXPECT_EQ(form.m_strLocalName, "BT Printer");
    EXPECT_EQ(form.m_nDiscoverable, 2);
    EXPECT_EQ(form.m_strFixedPin, "4711");
    EXPECT_EQ(form.m_nClassOfDevice, 1234);
    EXPECT_EQ(form.m_nSecurityMode, 1);
}

TEST(BluetoothForm, EachAnswerNeedsItsOwnLineAndOk) {
    // Replies that used to satisfy a field with another's text: an OK elsewhere, a name
    // holding a prefix, a module answering only OK or only ERROR, a name with a line end.
    const QByteArray echoName = "AT*AGLN?\r\r\n*AGLN:";
    QStringList all;
    for (const QString& q : CBluetoothForm::Queries())
        all << CBluetoothForm::Label(q);
    const QStringList allButName = QStringList(all).filter(QRegularExpression("^(?!Local Name)"));
    struct Case {
        QByteArray reply;
        QStringList missing;
        QString name;
        int classOfDevice;
        int security;
    } cases[] = {
        {"OK AT*AGSM?\r\r\n*AGSM:2", all, "BT Printer", 263808, 0},
        {echoName + "\"AGLC:5\"\r\nOK\r\n", allButName, "AGLC:5", 263808, 0},
        {echoName + "\"BOOK\"\r\nAT*AGSM?\r\r\n*AGSM:2\r\n", all, "BT Printer", 263808, 0},
        {echoName + "\"x\nsecurity=1\"\r\nOK\r\n", allButName, "x\nsecurity=1", 263808, 0},
        {BatchReply(BluetoothAnswers()).replace("*AGLC:1234", "*AGLC:none"),
         {"Class of Device"},
         "Shop \"A\"",
         263808,
         1},
    };
    for (const Case& c : cases) {
        CBluetoothForm form = Opened();
        EXPECT_EQ(form.ParseReply(c.reply).missing, c.missing) << c.reply.constData();
        EXPECT_EQ(form.m_strLocalName, c.name) << c.reply.constData();
        EXPECT_EQ(form.m_nClassOfDevice, c.classOfDevice) << c.reply.constData();
        EXPECT_EQ(form.m_nSecurityMode, c.security) << c.reply.constData();
    }
    // A module that answers every query with OK alone, or with ERROR, answered none.
    for (const char* verdict : {"\r\nOK\r\n", "\r\nERROR\r\n"}) {
        QByteArray reply;
        for (const QString& q : CBluetoothForm::Queries())
            reply += q.toLatin1() + "?\r" + verdict;
        CBluetoothForm form = Opened();
        EXPECT_EQ(form.ParseReply(reply).missing, all) << verdict;
    }
}

TEST(BluetoothForm, ReadValuesLongerThanThePageTakesAreKeptWholeAndTold) {
    auto answers = BluetoothAnswers();
    answers[2].second = '"' + QByteArray(40, 'n') + '"';
    CBluetoothForm form = Opened();
    const AtReply::Taken taken = form.ParseReply(BatchReply(answers));
    EXPECT_TRUE(taken.missing.isEmpty());
    EXPECT_EQ(form.m_strLocalName, QString(40, 'n'));
    ASSERT_EQ(taken.notes.size(), 1);
    EXPECT_TRUE(taken.notes[0].startsWith("Local Name as the module holds it has 40 characters; "
                                          "the page takes at most 16."))
        << taken.notes[0].toStdString();
}

TEST(BluetoothForm, WriteCommandsInOrder) {
    const QVector<QByteArray> defaults = {"AT*AGLN=\"BT Printer\",1\r",
                                          "AT*AGLC=263808,1\r",
                                          "AT*AGFP=\"0\",1\r",
                                          "AT*AGDM=3,1\r",
                                          "AT*AMPM=2,1\r",
                                          "AT*AGSM=1,1\r"};
    EXPECT_EQ(Commands(Opened()), defaults);

    CBluetoothForm cleared = Opened();
    cleared.Clear();
    const QVector<QByteArray> afterClear = {"AT*AGLN=\"\",1\r", "AT*AGLC=0,1\r", "AT*AGFP=\"\",1\r",
                                            "AT*AGDM=0,1\r",    "AT*AMPM=0,1\r", "AT*AGSM=0,1\r"};
    EXPECT_EQ(Commands(cleared), afterClear);

    CBluetoothForm typed = Opened();
    typed.m_strLocalName = "a\",0\rAT*AGSM=2";
    typed.m_strFixedPin = "1\\2";
    const QVector<QByteArray> quoted = Commands(typed);
    EXPECT_EQ(quoted[0], "AT*AGLN=\"a\\22,0\\0DAT*AGSM=2\",1\r")
        << "a typed quote cannot end the argument";
    EXPECT_EQ(quoted[2], "AT*AGFP=\"1\\5C2\",1\r");
}

TEST(BluetoothForm, TextsTooLongForTheModuleAreRefused) {
    struct Case {
        QString name, pin;
        int classOfDevice;
        bool accepted;
        QString label;
    } cases[] = {
        {QString(242, 'n'), "0", 0, true, ""},
        {QString(243, 'n'), "0", 0, false, "Local Name"},
        {QString(300, 'n'), "0", 0, false, "Local Name"},
        // Quoting counts: 81 quotes take 243 characters.
        {QString(81, '"'), "0", 0, false, "Local Name"},
        {"n", QString(18, '1'), 0, true, ""},
        {"n", QString(19, '1'), 0, false, "Fixed PIN"},
        {"n", "0", 16777216, false, "Class of Device"},
        {"n", "0", -1, false, "Class of Device"},
    };
    for (const Case& c : cases) {
        CBluetoothForm form = Opened();
        form.m_strLocalName = c.name;
        form.m_strFixedPin = c.pin;
        form.m_nClassOfDevice = c.classOfDevice;
        QVector<QByteArray> commands;
        QString refusal;
        EXPECT_EQ(form.BuildWriteCommands(&commands, &refusal), c.accepted) << c.name.size();
        if (!c.accepted) {
            EXPECT_TRUE(refusal.startsWith(c.label)) << refusal.toStdString();
            EXPECT_TRUE(refusal.endsWith("Nothing was sent.")) << refusal.toStdString();
            EXPECT_TRUE(commands.isEmpty());
        } else {
            for (const QByteArray& command : commands)
                EXPECT_LE(command.size(), 255);
        }
    }
    CBluetoothForm form = Opened();
    form.m_strLocalName = QString(300, 'n');
    QVector<QByteArray> commands;
    QString refusal;
    form.BuildWriteCommands(&commands, &refusal);
    EXPECT_EQ(refusal, "Local Name is too long for the module: its command may hold at most 255 "
                       "characters, and would hold 313. Nothing was sent.");
}

TEST(BluetoothForm, PassThruTimeoutAlwaysThreeDigits) {
    struct Case {
        int timeout;
        const char* digits;
    } cases[] = {{0, "000"}, {7, "007"}, {10, "010"}, {42, "042"}, {100, "100"}, {999, "999"}};
    for (const Case& c : cases) {
        CBluetoothForm form = Opened();
        form.m_nPassThruTimeout = c.timeout;
        EXPECT_EQ(form.PassThruCommand(), QByteArray("\x1BPU0U1T") + c.digits + "\r");
    }
    CBluetoothForm typed = Opened();
    typed.m_strPassThruFrom.clear();
    typed.m_strPassThruTo.clear();
    typed.m_nPassThruTimeout = 5;
    EXPECT_EQ(typed.PassThruCommand(), QByteArray("\x1BPT005\r")) << "empty UARTs sent unchanged";
    typed.m_strPassThruFrom = "COM";
    EXPECT_EQ(typed.PassThruCommand(), QByteArray("\x1BPCOMT005\r"));
}
