// The answer extraction rule, the quoting of text arguments, and the range checks of the
// radio pages' fields.

#include "wireless/AtReply.h"
#include "wireless/BluetoothForm.h"
#include "wireless/FormField.h"
#include "wireless/WlanForm.h"

#include <gtest/gtest.h>

namespace {
using AtReply::Found;
using AtReply::Rule;

const Rule kName{"AGLN:", "AGLC?", true};
const Rule kVersion{"AILVI:", "AGLN?", false};
} // namespace

TEST(AtReply, ExtractionRuleTable) {
    struct Case {
        const char* reply;
        Rule rule;
        Found found;
        const char* value;
    } cases[] = {
        // The worked answers: the value ends nine characters before the next echo.
        {"AT*AGLN?\r\r\n*AGLN:\"BT Printer\"\r\nOK\r\nAT*AGLC?\r", kName, Found::Value,
         "BT Printer"},
        {"AT*AILVI?\r\r\n*AILVI:cB-OEMSPA33i 3.1.2\r\nOK\r\nAT*AGLN?\r", kVersion, Found::Value,
         "cB-OEMSPA33i 3.1.2"},
        // An empty quoted value.
        {"*AGLN:\"\"\r\nOK\r\nAT*AGLC?", kName, Found::Value, ""},
        // No prefix: missing, the ok flag is not touched.
        {"AT*AGLN?\r\r\nOK\r\n", kName, Found::Missing, ""},
        // The reply ends after the name's OK, before the next echo: the segment is empty.
        {"*AGLN:\"BT Printer\"\r\nOK\r\n", kName, Found::Failed, ""},
        // No OK between the value and the next echo.
        {"*AGLN:\"BT Printer\"\r\n\r\nAT*AGLC?\r", kName, Found::Failed, ""},
        // The next echo stands before the prefix: negative length, empty segment.
        {"AT*AGLC?\r*AGLN:\"x\"\r\nOK\r\n", kName, Found::Failed, ""},
        // OK so close to the echo that the value would have a negative length: empty.
        {"AGLN:\"OKAGLC?", kName, Found::Value, ""},
        // The check segment has the length m - l from the value's start, so it reaches
        // as many characters past the echo's start as the prefix (and quote) are long:
        // here "AGLN?" and one more, which the K of an OK behind the echo misses.
        {"AILVI:v\r\n\r\nAT*AGLN?OK", kVersion, Found::Failed, ""},
        {"AILVI:v\r\n\r\nAT*AGLN?O", kVersion, Found::Failed, ""},
        // No next echo at all: an empty segment.
        {"AILVI:v\r\nOK\r\nAT*AGLNOK?", kVersion, Found::Failed, ""},
        // Quoted escapes are decoded on the way in.
        {"*AGLN:\"My \\22Best\\22 \\5C one\"\r\nOK\r\nAT*AGLC?", kName, Found::Value,
         "My \"Best\" \\ one"},
    };
    for (const Case& c : cases) {
        QString value;
        EXPECT_EQ(AtReply::Extract(QByteArray(c.reply), c.rule, &value), c.found) << c.reply;
        if (c.found == Found::Value) {
            EXPECT_EQ(value, QString::fromLatin1(c.value)) << c.reply;
        }
    }
}

TEST(AtReply, NeverReadsOutsideTheReply) {
    // Every cut of a good reply, and prefixes at the very end: the rule only ever takes
    // characters of the reply (checked by ASan in the sanitiser build and the fuzz target).
    const QByteArray good("AT*AGLN?\r\r\n*AGLN:\"BT Printer\"\r\nOK\r\nAT*AGLC?\r");
    for (int cut = 0; cut <= good.size(); ++cut) {
        QString value;
        const Found found = AtReply::Extract(good.left(cut), kName, &value);
        if (found == Found::Value) {
            EXPECT_TRUE(good.contains(value.toLatin1()) || value.isEmpty()) << cut;
        }
    }
    QString value;
    EXPECT_EQ(AtReply::Extract("AGLN:", kName, &value), Found::Failed);
    EXPECT_TRUE(AtReply::FixedLength("AILBA:0012", "AILBA:", 12, &value));
    EXPECT_EQ(value, "0012") << "fewer when the reply ends sooner";
    EXPECT_FALSE(AtReply::FixedLength("ILBA:0012", "AILBA:", 12, &value));
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
        {QString(QChar(0x20AC)), "\"?\"", false},
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
