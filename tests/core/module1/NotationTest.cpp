#include "module1/Notation.h"
#include "module1/CommandBuffer.h"
#include "module1/NumberField.h"

#include <gtest/gtest.h>

namespace {
QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
} // namespace

TEST(Notation, ParsesTheNotationTable) {
    struct Case {
        QByteArray typed;
        const char* hex;
    } cases[] = {
        {"^[UU", "1B5555"},
        {"AB^M^J", "41420D0A"},
        {"\\x1b\\x41", "1B41"},
        {"\\x7G", "0747"},
        {"\\xG", "47"},
        {"^^", "1E"},
        {"^?", "3F"},
        {"^@", "00"},
        {"abc\\x4", "616263"},
        {"", ""},
        {"\nABC", ""},
        {"A\nB", "41"},
        {"^", ""},
        {"^ ", "20"},
        {"\\xg", "67"},
        {"\\x^[", "1B"},
        {"\\xff", "FF"},
        {"\\xFF", "FF"},
        {"\\x0", ""},
        {"\\x0 ", "0020"},
        {"^m^M", "0D0D"},
        {"^1", "31"},
        {"\\\\", "5C"},
        {"\\^", "5E"},
        {"\\n", "6E"},
        {"\\x414", "4134"},
        {"\\X41", "41"},
        {"^`^~^\x7F", "001E1F"},
        {"\\", ""},
        {"\\x", ""},
        {"\r\t\xE9", "0D09E9"},
        {"^\xC9", "C9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Notation::Parse(c.typed), Hex(c.hex)) << c.typed.constData();
}

TEST(Notation, OnlyTheFirstHundredCharactersCount) {
    EXPECT_EQ(Notation::Parse(QByteArray(101, 'A')).size(), 100);
    EXPECT_EQ(Notation::Parse(QByteArray("\\x41").repeated(30)), QByteArray(25, 'A'));
    EXPECT_EQ(Notation::Parse(QByteArray(10000, '^')), QByteArray(50, '\x1E'));
    // A sequence cut by the 100th character gives nothing.
    EXPECT_EQ(Notation::Parse(QByteArray(98, 'A') + "\\x41"), QByteArray(98, 'A'));
}

TEST(Notation, TypedTextIsTakenAsSingleByteCharacters) {
    EXPECT_EQ(Notation::Parse(QStringLiteral("\u00e9\u20ac")), Hex("E980"));
    EXPECT_EQ(Notation::Parse(QStringLiteral("\u4e2d")), QByteArray("?"));
}

TEST(Notation, LastCommandForms) {
    EXPECT_EQ(Notation::ByteCommand("^[a", 16), "^[a\\x10");
    EXPECT_EQ(Notation::ByteCommand("^[a", 255), "^[a\\xFF");
    EXPECT_EQ(Notation::WordCommand("^[TF", 300), "^[TF\\x2C\\x01");
    EXPECT_EQ(Notation::WordCommand("^[TF", 1), "^[TF\\x01\\x00");
    // The shown text is valid notation for the same bytes.
    EXPECT_EQ(Notation::Parse(Notation::WordCommand("^[TF", 300)), Hex("1B54462C01"));
}

TEST(Notation, ReceiveMonitorForm) {
    EXPECT_EQ(Notation::MonitorForm(Hex("1B410D0A07")), "^[A\r\n^G");
    EXPECT_EQ(Notation::MonitorForm(Hex("00C97F02")), QStringLiteral("^@\\xC9\x7F^B"));
}

TEST(CommandBuffer, Operations) {
    CCommandBuffer b;
    b.AppendNumbered("X", 0);
    EXPECT_EQ(b.Bytes(), "");
    b.AppendNumbered("X", 1);
    EXPECT_EQ(b.Bytes(), "X0");
    b.RemoveAll();
    b.AppendWithWord("W", 65535);
    b.AppendWithWord("W", 300);
    b.AppendWithWord("W", -1);
    EXPECT_EQ(b.Bytes(), QByteArray("W\xFF\xFFW\x2C\x01", 6));
    b.RemoveAll();
    b.AppendWithByte("B", 0);
    b.AppendWithByte("B", -1);
    b.AppendIf("I", 0x100); // only the low 8 bits count
    b.AppendIf("J", 2);
    EXPECT_EQ(b.Bytes(), QByteArray("B\0J", 3));
    b.RemoveAll();
    b.AppendText(QByteArray("ab\0cd", 5));
    b.AppendString(QByteArray("ab\0cd", 5));
    EXPECT_EQ(b.Bytes(), QByteArray("abab\0cd", 7));
    b.RemoveAll();
    b.AppendText(QByteArray(70000, 'z'));
    EXPECT_EQ(b.GetSize(), 65536);
}

TEST(NumberField, ReadClampedNumber) {
    struct Case {
        const char* text;
        int max, result;
    } cases[] = {
        {" 42", 59, 42},
        {"+7", 59, 7},
        {"x", 59, -1},
        {"", 255, -1},
        {"300", 255, 255},
        {"-5", 255, 0},
        {"12abc", 255, 12},
        {"007", 255, 7},
        {"-0", 255, 0},
        {"99999999999999", 65535, 65535},
        {"-99999999999", 255, 0},
        {"\t\n 9", 17, 9},
        {"+", 17, -1},
        {"- 5", 17, -1},
        {"0", 17, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberField::ReadClampedNumber(QLatin1String(c.text), c.max), c.result) << c.text;
    EXPECT_EQ(NumberField::FormatNumber(-1), "");
    EXPECT_EQ(NumberField::FormatNumber(0), "0");
    EXPECT_EQ(NumberField::FormatNumber(-9), "-9");
}

TEST(NumberField, ValidateWhenLeavingAField) {
    struct Case {
        const char* text;
        int max;
        const char* after;
        const char* message; // nullptr: no message
    } cases[] = {
        {"300", 255, "255", nullptr},
        {"-5", 255, "0", nullptr},
        {"12abc", 255, "12", nullptr},
        {"1 a b", 255, "1", nullptr},
        {"007", 255, "7", nullptr},
        {"   ", 255, "", nullptr},
        {"a b", 255, "", "Invalid value \"ab\""},
        {"abc", 255, "", "Invalid value \"abc\""},
        {" 4 2 ", 59, "42", nullptr},
    };
    for (const Case& c : cases) {
        QString text = QLatin1String(c.text);
        QString message;
        const bool ok = NumberField::ValidateNumberField(&text, c.max, &message);
        EXPECT_EQ(text, QLatin1String(c.after)) << c.text;
        EXPECT_EQ(ok, c.message == nullptr) << c.text;
        if (c.message) {
            EXPECT_EQ(message, QLatin1String(c.message));
        }
    }
}
