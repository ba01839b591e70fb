// The WLAN settings without a window: the opening state, Default, Clear, the combos, the
// Read parser with its special rows and the thirteen Write commands.

#include "wireless/WlanForm.h"
#include "ReplyBuilder.h"

#include <gtest/gtest.h>

namespace {
CWlanForm Opened() {
    CWlanForm form;
    form.InitDialog();
    return form;
}

QVector<QByteArray> Commands(const CWlanForm& form) {
    QVector<QByteArray> commands;
    QString refusal;
    EXPECT_TRUE(form.BuildWriteCommands(&commands, &refusal)) << refusal.toStdString();
    return commands;
}

QByteArray Reply() {
    return BatchReply(WlanAnswers());
}
} // namespace

TEST(WlanForm, OpensWithItsValuesAndCombosSelected) {
    const CWlanForm form = Opened();
    EXPECT_EQ(form.m_strPassThruFrom, "U0");
    EXPECT_EQ(form.m_strPassThruTo, "U2");
    EXPECT_EQ(form.PassThruCommand(), QByteArray::fromHex("1B505530553254393939 0D"));
    EXPECT_EQ(form.m_strSsid, "WLAN Printer");
    EXPECT_EQ(form.m_bLinkAdaptation, 1);
    EXPECT_EQ(form.m_strIpAddress, "192.168.1.96");
    EXPECT_EQ(form.m_strNetmask, "255.255.255.0");
    EXPECT_EQ(form.m_strGateway, "192.168.1.1");
    EXPECT_EQ(form.m_nDhcp, 0);
    EXPECT_EQ(form.m_strDnsPrimary, "0.0.0.0");
    EXPECT_EQ(form.m_strDnsSecondary, "0.0.0.0");
    EXPECT_EQ(form.m_strHostName, "connectBlue");
    EXPECT_EQ(form.m_strOperationalMode, "2 = Ad-Hoc (default)");
    EXPECT_EQ(form.m_strAuthentication, "0 = None (default)");
    EXPECT_EQ(form.m_strEncryption, "0 = Open (default)");
    EXPECT_EQ(form.m_strDataRate, "12");
    EXPECT_EQ(form.m_strChannel, "0");
    EXPECT_EQ(form.m_strActiveKey, "1");
    EXPECT_EQ(form.m_strKeyIndex, "1");
}

TEST(WlanForm, ComboItemsAndTheSelectionRule) {
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdChannel).size(), 15);
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdDataRate).first(), "1");
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdDataRate).last(), "12");
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdKeyIndex), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdEncryption).last(), "4 = AES/CCMP");
    EXPECT_EQ(CWlanForm::ComboItems(CWlanForm::IdAuthentication).at(2), "2 = WPA/WPA2 PSK");
    const QStringList modes = CWlanForm::ComboItems(CWlanForm::IdOperationalMode);
    EXPECT_EQ(CWlanForm::MatchingItem(modes, "2"), 1);
    EXPECT_EQ(CWlanForm::MatchingItem(modes, "1 = Managed"), 0);
    EXPECT_EQ(CWlanForm::MatchingItem(modes, "3"), -1);
    EXPECT_EQ(CWlanForm::MatchingItem(modes, ""), -1);
    const QStringList rates = CWlanForm::ComboItems(CWlanForm::IdDataRate);
    EXPECT_EQ(rates[CWlanForm::MatchingItem(rates, "11")], "11");
    EXPECT_EQ(rates[CWlanForm::MatchingItem(rates, "1")], "1");
}

TEST(WlanForm, DefaultAndClear) {
    CWlanForm form = Opened();
    form.m_strPassThruTo = "U4";
    form.m_strOutput = "log";
    form.m_strVersion = "v";
    form.m_strKey = "secret";
    form.m_strSsid = "x";
    form.Default();
    EXPECT_EQ(form.m_strPassThruTo, "U4");
    EXPECT_EQ(form.m_strOutput, "log");
    EXPECT_EQ(form.m_strVersion, "v");
    EXPECT_EQ(form.m_strKey, "");
    EXPECT_EQ(form.m_strSsid, "WLAN Printer");
    EXPECT_EQ(form.m_strKeyIndex, "");
    EXPECT_EQ(form.m_strOperationalMode, "2");
    EXPECT_EQ(form.m_strAuthentication, "0");
    EXPECT_EQ(form.m_strEncryption, "0");

    form.Clear();
    for (const QString* s :
         {&form.m_strActiveKey, &form.m_strAuthentication, &form.m_strChannel, &form.m_strDataRate,
          &form.m_strEncryption, &form.m_strKeyIndex, &form.m_strOperationalMode, &form.m_strSsid,
          &form.m_strUserName, &form.m_strKey, &form.m_strIpAddress, &form.m_strNetmask,
          &form.m_strGateway, &form.m_strDnsPrimary, &form.m_strDnsSecondary, &form.m_strHostName,
          &form.m_strOutput, &form.m_strVersion, &form.m_strDeviceAddress})
        EXPECT_TRUE(s->isEmpty());
    EXPECT_EQ(form.m_bLinkAdaptation, 0);
    EXPECT_EQ(form.m_nDhcp, -1);
    EXPECT_EQ(form.m_strPassThruTo, "U4");
    EXPECT_EQ(form.m_nSilenceBefore, 1100);
}

TEST(WlanForm, ParsesEveryAnswer) {
    CWlanForm form = Opened();
    form.m_strKey = "typed";
    form.m_strKeyIndex = "3";
    bool ok = form.ParseReply(Reply()).missing.isEmpty();
    EXPECT_TRUE(ok);
    EXPECT_EQ(form.m_strDeviceAddress, "0012F3A1B2C4");
    EXPECT_EQ(form.m_strVersion, "cB-OWS451 2.0.4");
    EXPECT_EQ(form.m_strSsid, "Shop floor");
    EXPECT_EQ(form.m_strChannel, "11");
    EXPECT_EQ(form.m_strOperationalMode, "1");
    EXPECT_EQ(form.m_strAuthentication, "2");
    EXPECT_EQ(form.m_strEncryption, "4");
    EXPECT_EQ(form.m_strDataRate, "11");
    EXPECT_EQ(form.m_bLinkAdaptation, 0);
    EXPECT_EQ(form.m_strUserName, "operator");
    EXPECT_EQ(form.m_strActiveKey, "3");
    EXPECT_EQ(form.m_strIpAddress, "10.0.0.5");
    EXPECT_EQ(form.m_strNetmask, "255.255.0.0");
    EXPECT_EQ(form.m_strGateway, "192.168.100.254") << "a gateway of 15 characters whole";
    EXPECT_EQ(form.m_nDhcp, 1);
    EXPECT_EQ(form.m_strHostName, "press-7");
    EXPECT_EQ(form.m_strDnsPrimary, "10.0.0.1");
    EXPECT_EQ(form.m_strDnsSecondary, "192.168.100.200") << "longer than the primary, whole";
    EXPECT_EQ(form.m_strKey, "typed") << "the key is never read back";
    EXPECT_EQ(form.m_strKeyIndex, "3");
}

TEST(WlanForm, SpecialRows) {
    struct Case {
        int answer;
        QByteArray value;
        std::function<void(const CWlanForm&)> check;
    } cases[] = {
        {7, "12,1",
         [](const CWlanForm& f) {
             EXPECT_EQ(f.m_strDataRate, "12");
             EXPECT_EQ(f.m_bLinkAdaptation, 1);
         }},
        {7, "5", [](const CWlanForm& f) { EXPECT_EQ(f.m_strDataRate, ""); }},
        {10, "1.2.3.4",
         [](const CWlanForm& f) {
             EXPECT_EQ(f.m_strIpAddress, "1.2.3.4");
             EXPECT_EQ(f.m_strNetmask, "");
             EXPECT_EQ(f.m_strGateway, "");
         }},
        // The netmask's comma is looked for within 16 characters only.
        {10, "1.2.3.4,12345678901234567,9",
         [](const CWlanForm& f) {
             EXPECT_EQ(f.m_strNetmask, "12345678901234567,9");
             EXPECT_EQ(f.m_strGateway, "");
         }},
        {11, "x", [](const CWlanForm& f) { EXPECT_EQ(f.m_nDhcp, 0); }},
        {11, "7", [](const CWlanForm& f) { EXPECT_EQ(f.m_nDhcp, 7); }},
        {13, "8.8.8.8",
         [](const CWlanForm& f) {
             EXPECT_EQ(f.m_strDnsPrimary, "8.8.8.8");
             EXPECT_EQ(f.m_strDnsSecondary, "");
         }},
        {12, "\"a\\5Cb\"", [](const CWlanForm& f) { EXPECT_EQ(f.m_strHostName, "a\\b"); }},
    };
    for (const Case& c : cases) {
        auto answers = WlanAnswers();
        answers[size_t(c.answer)].second = c.value;
        CWlanForm form = Opened();
        bool ok = form.ParseReply(BatchReply(answers)).missing.isEmpty();
        EXPECT_TRUE(ok) << c.value.constData();
        c.check(form);
    }
}

TEST(WlanForm, LastAnswerWithoutOkAndPartialReplies) {
    CWlanForm form = Opened();
    bool ok = form.ParseReply(BatchReply(WlanAnswers(), {13})).missing.isEmpty();
    EXPECT_FALSE(ok);
    EXPECT_EQ(form.m_strDnsPrimary, "0.0.0.0");
    EXPECT_EQ(form.m_strHostName, "press-7");

    // A reply cut inside the network answer: what lies beyond is missing, the answer whose
    // next echo lies beyond fails.
    const QByteArray full = Reply();
    CWlanForm cut = Opened();
    ok = cut.ParseReply(full.left(full.indexOf("ANIP:") + 10)).missing.isEmpty();
    EXPECT_FALSE(ok);
    EXPECT_EQ(cut.m_strActiveKey, "3");
    EXPECT_EQ(cut.m_strIpAddress, "192.168.1.96");
    EXPECT_EQ(cut.m_nDhcp, 0);
    EXPECT_EQ(cut.m_strHostName, "connectBlue");
}

TEST(WlanForm, WriteCommandsWithTheDefaults) {
    CWlanForm form = Opened();
    form.Default();
    form.m_strKeyIndex = "1";
    const QVector<QByteArray> expected = {
        "AT*AGSSID=\"WLAN Printer\",1\r",
        "AT*AGCH=0,1\r",
        "AT*AGOM=2,1\r",
        "AT*AGAM=0,1\r",
        "AT*AGEM=0,1\r",
        "AT*AGRTE=12,1,1\r",
        "AT*AGUN=\"\",1\r",
        "AT*AGAFP=1,1\r",
        "AT*AGFPWI=1,\"\",1\r",
        "AT*ANIP=192.168.1.96,255.255.255.0,192.168.1.1,1\r",
        "AT*ANDHCP=0,1\r",
        "AT*ANHN=\"connectBlue\",1\r",
        "AT*ANDNS=0.0.0.0,0.0.0.0,1\r",
    };
    EXPECT_EQ(Commands(form), expected);
    // As the page opened: the combos' full items, of which the first character goes out.
    EXPECT_EQ(Commands(Opened()), expected);
}

TEST(WlanForm, WriteAfterClearAndTypedModes) {
    CWlanForm form = Opened();
    form.Clear();
    const QVector<QByteArray> commands = Commands(form);
    ASSERT_EQ(commands.size(), 13);
    EXPECT_EQ(commands[0], "AT*AGSSID=\"\",1\r");
    EXPECT_EQ(commands[5], "AT*AGRTE=,0,1\r");
    EXPECT_EQ(commands[8], "AT*AGFPWI=,\"\",1\r");
    EXPECT_EQ(commands[9], "AT*ANIP=,,,1\r");
    EXPECT_EQ(commands[10], "AT*ANDHCP=-1,1\r");
    EXPECT_EQ(commands[11], "AT*ANHN=\"\",1\r");

    for (const char* typed : {"1 = Managed", "1"}) {
        CWlanForm f = Opened();
        f.m_strOperationalMode = typed;
        EXPECT_EQ(Commands(f)[2], "AT*AGOM=1,1\r") << typed;
    }
    CWlanForm other = Opened();
    other.m_strOperationalMode = "Managed";
    EXPECT_EQ(Commands(other)[2], "AT*AGOM=M,1\r");
}

TEST(WlanForm, QuotedTextsAndLimits) {
    CWlanForm form = Opened();
    form.m_strSsid = "my \"net\"";
    form.m_strKey = "k\\1";
    const QVector<QByteArray> commands = Commands(form);
    EXPECT_EQ(commands[0], "AT*AGSSID=\"my \\22net\\22\",1\r");
    EXPECT_EQ(commands[8], "AT*AGFPWI=1,\"k\\5C1\",1\r");

    struct Case {
        std::function<void(CWlanForm&)> set;
        QString label;
    } cases[] = {
        {[](CWlanForm& f) { f.m_strKey = QString(1000, 'k'); }, "Key"},
        {[](CWlanForm& f) { f.m_strUserName = QString(300, 'u'); }, "User Name"},
        {[](CWlanForm& f) { f.m_strSsid = QString(300, 's'); }, "SSID"},
        {[](CWlanForm& f) { f.m_strHostName = QString(250, 'h'); }, "Host Name"},
        {[](CWlanForm& f) { f.m_strChannel = "123456789"; }, "Channel"},
        {[](CWlanForm& f) { f.m_strDataRate = QString(18, '1'); }, "Data Rate"},
        {[](CWlanForm& f) { f.m_strActiveKey = QString(20, '1'); }, "Active Key"},
        {[](CWlanForm& f) { f.m_strGateway = QString(240, '1'); }, "Network"},
        {[](CWlanForm& f) { f.m_strDnsSecondary = QString(250, '1'); }, "DNS"},
        // An unquoted text that would end its command early.
        {[](CWlanForm& f) { f.m_strChannel = "6\r"; }, "Channel"},
        {[](CWlanForm& f) { f.m_strIpAddress = "1.2.3.4\"x"; }, "IP Address"},
    };
    for (const Case& c : cases) {
        CWlanForm f = Opened();
        c.set(f);
        QVector<QByteArray> out;
        QString refusal;
        EXPECT_FALSE(f.BuildWriteCommands(&out, &refusal)) << c.label.toStdString();
        EXPECT_TRUE(refusal.startsWith(c.label)) << refusal.toStdString();
    }
    CWlanForm fits = Opened();
    fits.m_strChannel = "12345678";
    fits.m_strDataRate = QString(17, '1');
    fits.m_strActiveKey = QString(19, '1');
    for (const QByteArray& c : Commands(fits))
        EXPECT_LE(c.size(), 255);
}
