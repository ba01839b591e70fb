#include "module1/AttributeForm.h"
#include "document/KVUDoc.h"
#include "module1/AttributeProgrammer.h"
#include "module1/CommandBuffer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray Stream(const CAttributeForm& form) {
    CCommandBuffer b;
    form.BuildAttributeStream(b);
    return b.Bytes();
}
QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
} // namespace

TEST(AttributeForm, EmptyFormGivesAnEmptyStream) {
    CAttributeForm form;
    EXPECT_EQ(Stream(form), QByteArray());
    EXPECT_EQ(CAttributeProgrammer::ExportBytes(form),
              Hex("1B454E1B58581B44531B534C1B5354FF0D1B53420D"));
    EXPECT_EQ(CAttributeProgrammer::ExportBytes(form).size(), 21);
}

TEST(AttributeForm, EachAttributeContributesItsBytes) {
    struct Case {
        int id;
        const char* hex;
    } cases[] = {
        {1017, "1B5555"}, {1014, "1B5575"}, {1011, "1B5552"}, {1020, "1B556E"}, {1022, "1B5531"},
        {1024, "1B5530"}, {1026, "0E"},     {1027, "0F"},     {1028, "1C"},     {1030, "1D"},
        {1031, "1B502D"}, {1032, "1B502B"}, {1033, "1B4652"}, {1034, "1B464C"}, {1035, "1B4632"},
        {1036, "1B4631"}, {1051, "1B454F"},
    };
    for (const Case& c : cases) {
        CAttributeForm form;
        const QString last = form.ClickCheck(c.id, true);
        EXPECT_EQ(Stream(form), Hex(c.hex)) << c.id;
        // The Last Command text denotes the same bytes.
        CCommandBuffer b;
        b.ParseNotation(last);
        EXPECT_EQ(b.Bytes(), Hex(c.hex)) << c.id;
    }
}

TEST(AttributeForm, StreamOrderFollowsTheTableNotTheClicks) {
    CAttributeForm form;
    form.ClickCheck(1051, true);
    form.m_strSleepMinutes = "10";
    form.m_strLineSpacing = "24";
    form.m_nFont = 3; // K2
    form.ClickCheck(1022, true);
    EXPECT_EQ(Stream(form), Hex("1B5531"
                                "1B6B32"
                                "1B6118"
                                "1B4D31303030300D"
                                "1B454F"));
}

TEST(AttributeForm, NumbersAndCombos) {
    CAttributeForm form;
    form.m_strFormFeed = "256";
    form.m_strLineSpacing = "0";
    form.m_nContrast = 10; // item 9
    EXPECT_EQ(Stream(form), Hex("1B5039"
                                "1B6100"
                                "1B54460001"));
    form.m_nContrast = 0;
    form.m_strFormFeed = "";
    form.m_strLineSpacing = "300";
    form.m_strVerticalTab = "-4";
    form.m_strHorizontalTab = "8";
    form.m_strSensorSensitivity = "64";
    EXPECT_EQ(Stream(form), Hex("1B61FF"
                                "1B545600"
                                "1B544808"
                                "1B515140"));
}

TEST(AttributeForm, CheckBoxPairsExcludeEachOther) {
    CAttributeForm form;
    EXPECT_EQ(form.ClickCheck(1014, true), "^[Uu");
    EXPECT_EQ(form.ClickCheck(1017, true), "^[UU");
    EXPECT_EQ(form.m_bUnderline, 1);
    EXPECT_EQ(form.m_bNoUnderline, 0);
    EXPECT_EQ(form.ClickCheck(1017, false), "");
    EXPECT_EQ(form.m_bUnderline, 0);
    EXPECT_EQ(form.m_bNoUnderline, 0);
    form.m_bBold = 1;
    EXPECT_EQ(form.ClickCheck(1024, false), "") << "clearing leaves the partner alone";
    EXPECT_EQ(form.m_bBold, 1);
}

TEST(AttributeForm, LastCommandOfNumbersAndCombos) {
    CAttributeForm form;
    form.m_nFont = 1;
    EXPECT_EQ(form.FontCommand(), "^[k0");
    form.m_nFont = 0;
    EXPECT_EQ(form.FontCommand(), "");
    form.m_nContrast = 4;
    EXPECT_EQ(form.ContrastCommand(), "^[P3");
    form.m_strLineSpacing = "300";
    EXPECT_EQ(form.NumberCommand(CAttributeForm::LineSpacing), "^[a\\xFF");
    form.m_strFormFeed = "1";
    EXPECT_EQ(form.NumberCommand(CAttributeForm::FormFeed), "^[TF\\x01\\x00");
    form.m_strVerticalTab = "abc";
    EXPECT_EQ(form.NumberCommand(CAttributeForm::VerticalTab), "");
    form.m_strSleepMinutes = "5";
    EXPECT_EQ(form.NumberCommand(CAttributeForm::SleepMinutes), "^[M05000\r");
}

TEST(AttributeForm, SleepTimerText) {
    struct Case {
        const char *h, *m, *s, *text;
    } cases[] = {
        {"1", "30", "", "M0130000\r"},  {"", "30", "", "M30000\r"},
        {"", "", "45", "M450\r"},       {"1", "2", "3", "M0102030\r"},
        {"1", "", "3", "M0100030\r"},   {"1", "", "", "M0100000\r"},
        {"", "2", "3", "M02030\r"},     {"", "", "", ""},
        {"20", "", "-3", "M1700000\r"}, {"x", "y", "z", ""},
    };
    for (const Case& c : cases) {
        CAttributeForm form;
        form.m_strSleepHours = c.h;
        form.m_strSleepMinutes = c.m;
        form.m_strSleepSeconds = c.s;
        EXPECT_EQ(form.BuildSleepTimerText(), QLatin1String(c.text))
            << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST(AttributeForm, DocumentRoundTripAndOutOfRangeValues) {
    CAttributeForm form;
    form.ClickCheck(1036, true);
    form.m_nFont = 1;
    form.m_strFormFeed = "70000";
    form.m_strSleepSeconds = "9";
    form.m_strTestMessage = "^[U1";
    CKVUDoc doc;
    form.ToDocument(doc);
    EXPECT_EQ(doc.m_bInternational, 1);
    EXPECT_EQ(doc.m_nFont, 0);
    EXPECT_EQ(doc.m_nContrast, -1);
    EXPECT_EQ(doc.m_nFormFeed, 65535);
    EXPECT_EQ(doc.m_nLineSpacing, -1);
    EXPECT_EQ(doc.m_nSleepSeconds, 9);
    CAttributeForm back;
    back.FromDocument(doc);
    EXPECT_EQ(back.m_strFormFeed, "65535");
    EXPECT_EQ(back.m_strLineSpacing, "");
    EXPECT_EQ(back.m_nFont, 1);
    EXPECT_EQ(back.m_strTestMessage, "^[U1");

    // A project edited by hand: font 57, line spacing -9, both flags of a pair.
    CKVUDoc odd;
    odd.m_nFont = 57;
    odd.m_nLineSpacing = -9;
    odd.m_bBold = odd.m_bNoBold = 1;
    CAttributeForm loaded;
    loaded.FromDocument(odd);
    EXPECT_EQ(loaded.m_strLineSpacing, "-9");
    EXPECT_EQ(Stream(loaded), Hex("1B5531"
                                  "1B5530"
                                  "1B6100"));
}

TEST(AttributeForm, ExtremeStoredComboIndexesRoundTripWithoutOverflow) {
    // Any 32-bit value can stand in a hand-edited project; none may overflow on the way.
    for (int stored : {2147483647, 2147483646, -2147483647 - 1, -2, 10, 11}) {
        CKVUDoc doc;
        doc.m_nFont = stored;
        doc.m_nContrast = stored;
        CAttributeForm form;
        form.FromDocument(doc);
        EXPECT_EQ(Stream(form), QByteArray()) << stored << " sends no font or contrast";
        EXPECT_EQ(form.FontCommand(), "") << stored;
        CKVUDoc back;
        form.ToDocument(back);
        EXPECT_EQ(back.m_nFont, stored);
        EXPECT_EQ(back.m_nContrast, stored);
    }
}

TEST(AttributeProgrammer, ConfirmationBeforeTheFirstZeroByte) {
    EXPECT_TRUE(CAttributeProgrammer::HasConfirmation("OK D!X\r\n"));
    EXPECT_TRUE(CAttributeProgrammer::HasConfirmation("D!X"));
    EXPECT_FALSE(CAttributeProgrammer::HasConfirmation(QByteArray("OK\0D!X", 6)));
    EXPECT_FALSE(CAttributeProgrammer::HasConfirmation("D!"));
    EXPECT_FALSE(CAttributeProgrammer::HasConfirmation(""));
}

TEST(AttributeProgrammer, ExportFile) {
    QTemporaryDir dir;
    CAttributeForm form;
    form.ClickCheck(1022, true);
    const QByteArray bytes = CAttributeProgrammer::ExportBytes(form);
    ASSERT_TRUE(CAttributeProgrammer::WriteExportFile(dir.filePath("Attributes.prn"), bytes));
    QFile f(dir.filePath("Attributes.prn"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), Hex("1B454E1B58581B44531B534C"
                               "1B5531"
                               "1B5354FF0D1B53420D"));
    EXPECT_FALSE(CAttributeProgrammer::WriteExportFile(dir.filePath("no/such/dir/a.prn"), bytes));
}
