// The answer extraction rule, the quoting of text arguments, and the range checks of the
// radio pages' fields.

#include "wireless/AtReply.h"
#include "wireless/BluetoothForm.h"
#include "wireless/FormField.h"
#include "wireless/WlanForm.h"

#include <gtest/gtest.h>

namespace {
const QStringList kNameAndClass{"AT*AGLN", "AT*AGLC"};
const QStringList kVersionAndName{"AT*AILVI", "AT*AGLN"};
} // namespace

TEST(AtReply, AnswersAreTakenFromTheirOwnLinesWithTheirOwnOk) {
    struct Case {
        const char* reply;
        QStringList queries;
        QMap<QString, QByteArray> answers;
    } cases[] = {
        // The worked answers: the value as it stands after the colon, quotes included.
        {"AT*AGLN?\r\r\n*AGLN:\"BT Printer\"\r\nOK\r\nAT*AGLC?\r",
         kNameAndClass,
         {{"AT*AGLN", "\"BT Printer\""}}},
        {"AT*AILVI?\r\r\n*AILVI:cB-OEMSPA33i 3.1.2\r\nOK\r\nAT*AGLN?\r",
         kVersionAndName,
         {{"AT*AILVI", "cB-OEMSPA33i 3.1.2"}}},
        {"*AGLN:\"\"\r\nOK\r\n", kNameAndClass, {{"AT*AGLN", "\"\""}}},
        // The prefix as the layout names it, without the module's "*".
        {"AGLN:\"x\"\r\nOK\r\n", kNameAndClass, {{"AT*AGLN", "\"x\""}}},
        // The last answer of a cut reply counts when its own OK came.
        {"AT*AGLN?\r\r\n*AGLN:\"n\"\r\nOK\r\nAT*AGLC?\r\r\n*AGLC:26",
         kNameAndClass,
         {{"AT*AGLN", "\"n\""}}},
        // No answer line, no OK, ERROR, an unclosed quote, a stray line before the OK.
        {"AT*AGLN?\r\r\nOK\r\n", kNameAndClass, {}},
        {"*AGLN:\"BT Printer\"\r\n\r\nAT*AGLC?\r", kNameAndClass, {}},
        {"AT*AGLN?\r\r\nERROR\r\nAT*AGLC?\r\r\nERROR\r\n", kNameAndClass, {}},
        {"*AGLN:\"abc\r\nOK\r\n", kNameAndClass, {}},
        {"*AGLN:\"x\"\r\ngarbage\r\nOK\r\n", kNameAndClass, {}},
        // An answer under another query's echo, or to a query not sent, is none.
        {"AT*AGLC?\r*AGLN:\"x\"\r\nOK\r\n", kNameAndClass, {}},
        {"AT*AGLC?\r\r\n*AGLC:5\r\nOK\r\n", {"AT*AGLN"}, {}},
        // "OK" inside a value or an echo is no verdict: a name BOOK waits for its own.
        {"AT*AGLN?\r\r\n*AGLN:\"BOOK\"\r\nAT*AGLC?\r\r\n*AGLC:5\r\n", kNameAndClass, {}},
        {"AT*AGLN?OK\r\r\n*AGLN:\"x\"\r\n", kNameAndClass, {}},
        // A name holding an answer prefix or an echo stays the name's.
        {"AT*AGLN?\r\r\n*AGLN:\"AGLC:5\"\r\nOK\r\nAT*AGLC?\r\r\n*AGLC:263808\r\nOK\r\n",
         kNameAndClass,
         {{"AT*AGLN", "\"AGLC:5\""}, {"AT*AGLC", "263808"}}},
        {"AT*AGLN?\r\r\n*AGLN:\"Till AGLC? 3\"\r\nOK\r\nAT*AGLC?\r\r\n*AGLC:7\r\nOK\r\n",
         kNameAndClass,
         {{"AT*AGLN", "\"Till AGLC? 3\""}, {"AT*AGLC", "7"}}},
        // Line ends inside a quoted text belong to it and forge nothing.
        {"AT*AGLN?\r\r\n*AGLN:\"x\nOK\r\n*AGLC:1\"\r\nOK\r\nAT*AGLC?\r\r\n*AGLC:5\r\nOK\r\n",
         kNameAndClass,
         {{"AT*AGLN", "\"x\nOK\r\n*AGLC:1\""}, {"AT*AGLC", "5"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AtReply::Answers(QByteArray(c.reply), c.queries), c.answers) << c.reply;
}

TEST(AtReply, SetCommandVerdictIsALineAfterTheEcho) {
    using V = AtReply::Verdict;
    struct Case {
        const char* reply;
        V verdict;
    } cases[] = {
        {"AT*AGLN=\"x\",1\r\r\nOK\r\n", V::Ok},
        {"\r\nOK\r\n", V::Ok},
        {"AT*ANHN=\"TOKYO-STORE-BACKOFFICE-PRINTER-0001\",1\r\r\nERROR\r\n", V::Error},
        {"AT*ANHN=\"TOKYO\",1\r", V::None},
        {"AT*AGLN=\"BOOK\",1\r\r\n", V::None},
        {"AT*AGLN=\"a\",1\r\r\nOK", V::Ok},
        {"", V::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AtReply::SetVerdict(QByteArray(c.reply)), c.verdict) << c.reply;
}

TEST(AtReply, NeverReadsOutsideTheReply) {
    // Every cut of a good reply: what is taken is always a piece of the reply (checked by
    // ASan in the sanitiser build and the fuzz target).
    const QByteArray good(
        "AT*AGLN?\r\r\n*AGLN:\"BT Printer\"\r\nOK\r\nAT*AGLC?\r\r\n*AGLC:1\r\nOK\r\n");
    for (int cut = 0; cut <= good.size(); ++cut) {
        const auto answers = AtReply::Answers(good.left(cut), kNameAndClass);
        for (const QByteArray& value : answers)
            EXPECT_TRUE(good.contains(value)) << cut;
    }
    EXPECT_TRUE(AtReply::Answers("AGLN:", kNameAndClass).isEmpty());
    EXPECT_TRUE(AtReply::Answers("*AGLN:\"", kNameAndClass).isEmpty());
}

TEST(AtReply, ReplyEndsAtItsFirstZeroByte) {
    EXPECT_EQ(AtReply::UpToZero(QByteArray("OK\0AGLN:", 8)), QByteArray("OK"));
    EXPECT_EQ(AtReply::UpToZero(QByteArray("\0OK", 3)), QByteArray());
    EXPECT_EQ(AtReply::UpToZero("no zero"), QByteArray("no zero"));
}

TEST(AtReply, DigitsAndDecimals) {
    EXPECT_EQ(AtReply::FirstDigit("3"), 3);
    EXPECT_EQ(AtReply::FirstDigit("0 = None"), 0);
    EXPECT_EQ(AtReply::FirstDigit("x3"), -1);
    EXPECT_EQ(AtReply::FirstDigit(""), -1);
    EXPECT_EQ(AtReply::FirstDigit(QString(QChar(0x0663))), -1) << "an Arabic-Indic three";
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"263808", true, 263808},
        {"  42abc", true, 42},
        {"-5", true, -5},
        {"+7", true, 7},
        {"abc", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483648", true, -2147483647 - 1},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(AtReply::ReadDecimal(QString::fromLatin1(c.text), &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(AtReply, QuotingBothWays) {
    struct Case {
        QString text;
        QByteArray quoted;
        bool roundTrip;
    } cases[] = {
        {"BT Printer", "\"BT Printer\"", true},
        {"", "\"\"", true},
        {"a\"b", "\"a\\22b\"", true},
        {"back\\slash", "\"back\\5Cslash\"", true},
        // A typed CR would end the command early; it is written as an escape too.
        {"x\r\nAT*ADDM", "\"x\\0D\\0AAT*ADDM\"", true},
        {QString::fromUtf8("caf\xC3\xA9"), "\"caf\xE9\"", true},
        // The printer's code page, Windows-1252: the euro sign is 0x80.
        {QString::fromUtf8("\xE2\x82\xACuro"), "\"\x80uro\"", true},
        {QString(QChar(0x0141)), "\"?\"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AtReply::Quote(c.text), c.quoted) << c.text.toStdString();
        const QByteArray inner = c.quoted.mid(1, c.quoted.size() - 2);
        if (c.roundTrip) {
            EXPECT_EQ(AtReply::Unquote(inner), c.text) << inner.constData();
        }
    }
    // A backslash without two hexadecimal digits stays as it stands.
    EXPECT_EQ(AtReply::Unquote("a\\zz\\4"), "a\\zz\\4");
    EXPECT_EQ(AtReply::Unquote("\\"), "\\");
    EXPECT_EQ(AtReply::Unquote("\\41\\62"), "Ab");
    EXPECT_EQ(AtReply::Unquote("\\80\x80"), QString::fromUtf8("\xE2\x82\xAC\xE2\x82\xAC"));
    QChar refused;
    EXPECT_TRUE(AtReply::Carries(QString::fromUtf8("\xE2\x82\xAC\xC3\xA9?")));
    EXPECT_FALSE(AtReply::Carries(QString::fromUtf8("a\xC5\x81"
                                                    "b"),
                                  &refused));
    EXPECT_EQ(refused, QChar(0x0141));
}

TEST(FormField, RangeChecksOfBothPages) {
    struct Case {
        bool bluetooth;
        int id;
        QString typed;
        bool accepted;
        QString message;
    } cases[] = {
        {true, CBluetoothForm::IdSilenceBefore, "50", true, ""},
        {true, CBluetoothForm::IdSilenceBefore, "49", false,
         "Please enter an integer between 50 and 5000."},
        {true, CBluetoothForm::IdSilenceAfter, "5001", false,
         "Please enter an integer between 50 and 5000."},
        {true, CBluetoothForm::IdSilenceAfter, " 5000 ", true, ""},
        {true, CBluetoothForm::IdPassThruTimeout, "", false, "Please enter an integer."},
        {true, CBluetoothForm::IdPassThruTimeout, "1e3", false, "Please enter an integer."},
        {true, CBluetoothForm::IdPassThruTimeout, "1000", false,
         "Please enter an integer between 0 and 999."},
        {true, CBluetoothForm::IdClassOfDevice, "16777215", true, ""},
        {true, CBluetoothForm::IdClassOfDevice, "16777216", false,
         "Please enter an integer between 0 and 16777215."},
        {true, CBluetoothForm::IdClassOfDevice, "99999999999", false, "Please enter an integer."},
        {true, CBluetoothForm::IdLocalName, QString(16, 'n'), true, ""},
        {true, CBluetoothForm::IdLocalName, QString(17, 'n'), false,
         "Please enter no more than 16 characters."},
        {true, CBluetoothForm::IdFixedPin, QString(17, '1'), false,
         "Please enter no more than 16 characters."},
        {true, CBluetoothForm::IdEscapeChar, "+", true, ""},
        {true, CBluetoothForm::IdEscapeChar, "++", false,
         "Please enter no more than 1 characters."},
        {true, CBluetoothForm::IdEscapeChar, "", true, ""},
        {false, CWlanForm::IdEscapeChar, "+++", true, ""},
        {false, CWlanForm::IdSsid, QString(32, 's'), true, ""},
        {false, CWlanForm::IdSsid, QString(33, 's'), false,
         "Please enter no more than 32 characters."},
        {false, CWlanForm::IdGateway, "192.168.100.254", true, ""},
        {false, CWlanForm::IdIpAddress, "192.168.100.2541", false,
         "Please enter no more than 15 characters."},
        {false, CWlanForm::IdDnsSecondary, "1234567890123456", false,
         "Please enter no more than 15 characters."},
        {false, CWlanForm::IdKey, QString(1000, 'k'), true, ""},
        {false, CWlanForm::IdSilenceBefore, "49", false,
         "Please enter an integer between 50 and 5000."},
        {false, CWlanForm::IdPassThruTimeout, "-1", false,
         "Please enter an integer between 0 and 999."},
    };
    for (const Case& c : cases) {
        QString message;
        bool accepted = false;
        if (c.bluetooth) {
            CBluetoothForm form;
            const auto* field = CBluetoothForm::FindField(c.id);
            ASSERT_NE(field, nullptr) << c.id;
            accepted = FormField::Take(form, *field, c.typed, &message);
            if (accepted) {
                EXPECT_EQ(FormField::Show(form, *field).trimmed(), c.typed.trimmed()) << c.id;
            }
        } else {
            CWlanForm form;
            const auto* field = CWlanForm::FindField(c.id);
            ASSERT_NE(field, nullptr) << c.id;
            accepted = FormField::Take(form, *field, c.typed, &message);
            if (accepted) {
                EXPECT_EQ(FormField::Show(form, *field).trimmed(), c.typed.trimmed()) << c.id;
            }
        }
        EXPECT_EQ(accepted, c.accepted) << c.id << " " << c.typed.toStdString();
        if (!c.accepted) {
            EXPECT_EQ(message, c.message) << c.id;
        }
    }
}

TEST(FormField, FailedCheckLeavesTheFieldAsItWas) {
    CBluetoothForm form;
    form.InitDialog();
    QString message;
    EXPECT_FALSE(FormField::Take(form, *CBluetoothForm::FindField(CBluetoothForm::IdSilenceBefore),
                                 "10", &message));
    EXPECT_EQ(form.m_nSilenceBefore, 1100);
}

TEST(FormField, DataExchangeOrderOfBothPages) {
    QList<int> bt;
    for (const auto& f : CBluetoothForm::Fields())
        bt << f.id;
    EXPECT_EQ(bt, (QList<int>{1114, 1113, 1088, 1091, 1097, 1115, 1127, 1125, 1126, 1106, 1085,
                              1108, 1130, 1131, 1089}));
    QList<int> wlan;
    for (const auto& f : CWlanForm::Fields())
        wlan << f.id;
    EXPECT_EQ(wlan, (QList<int>{1127, 1125, 1165, 1169, 1164, 1167, 1170, 1172, 1166,
                                1157, 1156, 1159, 1163, 1171, 1173, 1158, 1168, 1174,
                                1162, 1160, 1189, 1181, 1187, 1180, 1184, 1185, 1190}));
}
