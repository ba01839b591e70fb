// The Bluetooth and WLAN pages through their real widgets, against the simulated
// printer's radio modules on the virtual clock.

#include "KVUApp.h"
#include "SimHarness.h"
#include "document/KVUDoc.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "frame/ModulePage.h"
#include "frame/ModuleSheet.h"
#include "wireless/Mod2Page1.h"
#include "wireless/Mod6Page1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {
template <class Page> class RadioPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        h = std::make_unique<CSimHarness>();
        ASSERT_TRUE(h->Started());
        page = std::make_unique<Page>(h->Core(), h->Services());
    }
    template <class T> T* Find(int id) {
        T* w = page->template findChild<T*>(QStringLiteral("id%1").arg(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    QString Text(int id) { return Find<QLineEdit>(id)->text(); }
    QString ComboText(int id) { return Find<QComboBox>(id)->currentText(); }
    bool Checked(int id) { return Find<QAbstractButton>(id)->isChecked(); }
    void Type(int id, const QString& text) {
        QLineEdit* edit = Find<QLineEdit>(id);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void SetCombo(int id, const QString& text) { Find<QComboBox>(id)->setEditText(text); }
    void Click(int id) { QTest::mouseClick(Find<QPushButton>(id), Qt::LeftButton); }
    QString Output(int id) { return Find<QPlainTextEdit>(id)->toPlainText(); }
    QStringList GroupTitles() {
        QStringList titles;
        for (const QGroupBox* box : page->template findChildren<QGroupBox*>())
            titles << box->title();
        return titles;
    }

    std::unique_ptr<CSimHarness> h;
    std::unique_ptr<Page> page;
};
using BluetoothPageTest = RadioPageTest<CMod2Page1>;
using WlanPageTest = RadioPageTest<CMod6Page1>;
using B = CBluetoothForm;
using W = CWlanForm;
} // namespace

TEST_F(BluetoothPageTest, OpensWithItsControlsAndDefaults) {
    EXPECT_EQ(page->objectName(), "id133");
    EXPECT_EQ(CMod2Page1::Title(), "Basic Settings");
    EXPECT_EQ(page->Widget(), page.get());
    struct Case {
        int id;
        const char* text;
    } edits[] = {{1126, "999"},  {1113, "1100"},       {1114, "/"},
                 {1115, "1100"}, {1088, "BT Printer"}, {1089, "263808"},
                 {1097, "0"},    {1091, ""},           {1131, ""}};
    for (const Case& c : edits)
        EXPECT_EQ(Text(c.id), c.text) << c.id;
    EXPECT_EQ(ComboText(1127), "U0");
    EXPECT_EQ(ComboText(1125), "U1");
    EXPECT_EQ(Find<QComboBox>(1125)->count(), 5);
    EXPECT_TRUE(Find<QComboBox>(1125)->isEditable());
    EXPECT_TRUE(Checked(1087));
    EXPECT_TRUE(Checked(1109));
    EXPECT_TRUE(Checked(1106));
    EXPECT_FALSE(Find<QRadioButton>(1086)->isEnabled()) << "Limited Discoverability";
    EXPECT_EQ(Find<QRadioButton>(1007)->text(), "Link Level");
    EXPECT_EQ(Find<QRadioButton>(1110)->text(), "Stop Mode");
    EXPECT_TRUE(Find<QLineEdit>(1091)->isReadOnly());
    EXPECT_TRUE(Find<QPlainTextEdit>(1130)->isReadOnly());
    EXPECT_EQ(Find<QPushButton>(1120)->text(), "Default");
    EXPECT_EQ(Find<QPushButton>(1100)->text(), "Clear");
    EXPECT_EQ(Find<QPushButton>(1099)->text(), "Read");
    EXPECT_EQ(Find<QPushButton>(1098)->text(), "Write");
    const QStringList titles = GroupTitles();
    for (const char* t :
         {"Connection Settings", "PassThru (UART<->UART)", "Escape Sequence", "General Settings",
          "Informational Commands", "Output", "Discoverable (AT*AGDM)", "Power Save Mode (AT*AMPM)",
          "Security Mode (AT*AGSM)", "BT MAC Address (AT*AILBA)",
          "Local Version Information (AT*AILVI)"})
        EXPECT_TRUE(titles.contains(t)) << t;
}

TEST_F(BluetoothPageTest, RangeCheckStopsTheTransferAndMovesTheFocus) {
    page->show();
    QApplication::setActiveWindow(page.get());
    Type(1114, "+");
    Type(1113, "10");
    Type(1088, "New name");
    EXPECT_FALSE(page->TakeFields());
    EXPECT_EQ(h->Services().MessageTexts(),
              QStringList{"Please enter an integer between 50 and 5000."});
    EXPECT_EQ(h->Services().Messages().first().caption, "KVU");
    EXPECT_EQ(page->GetForm().m_strEscapeChar, "+") << "taken before the failing control";
    EXPECT_EQ(page->GetForm().m_strLocalName, "BT Printer") << "not taken after it";
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(1113));
    // The typed name is 16 characters at most: a 17th cannot be typed.
    Type(1088, QString(17, 'x'));
    EXPECT_EQ(Text(1088), QString(16, 'x'));
    Type(1089, "16777216");
    h->Services().Clear();
    Type(1113, "1100");
    EXPECT_FALSE(page->TakeFields());
    EXPECT_EQ(h->Services().MessageTexts(),
              QStringList{"Please enter an integer between 0 and 16777215."});
}

TEST_F(BluetoothPageTest, DefaultAndClear) {
    Type(1088, "Other");
    SetCombo(1127, "U3");
    Click(1100); // Clear
    EXPECT_EQ(Text(1088), "");
    EXPECT_EQ(Text(1089), "0");
    for (int id : {1085, 1086, 1087, 1108, 1109, 1110, 1106, 1007})
        EXPECT_FALSE(Checked(id)) << id;
    EXPECT_EQ(ComboText(1127), "U3") << "connection kept";
    EXPECT_EQ(Text(1113), "1100");
    Type(1126, "5");
    Click(1120); // Default
    EXPECT_EQ(Text(1088), "BT Printer");
    EXPECT_EQ(Text(1126), "999");
    EXPECT_TRUE(Checked(1087));
    EXPECT_EQ(ComboText(1127), "U3") << "Default leaves the UARTs";
}

TEST_F(BluetoothPageTest, ReadShowsTheModulesSettingsAndTheLog) {
    h->Sim().WithPrinter([](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGLN", {"Till \"7\""}}, {"AGDM", {"2"}}, {"AGSM", {"2"}}});
    });
    Click(1100); // Clear: the Read must fill everything
    Click(1099);
    EXPECT_EQ(Text(1091), "0012F3004A21");
    EXPECT_EQ(Text(1131), "cB-OEMSPA33i 3.1.2");
    EXPECT_EQ(Text(1088), "Till \"7\"");
    EXPECT_EQ(Text(1089), "263808");
    EXPECT_TRUE(Checked(1086)) << "the disabled Limited radio is checked by a Read";
    EXPECT_TRUE(Checked(1007));
    const QString log = Output(1130);
    EXPECT_TRUE(log.startsWith(QString::fromLatin1("\x1BPU0U1T999")));
    EXPECT_TRUE(log.contains("*AGLN:\"Till \\227\\22\""));
    EXPECT_TRUE(log.contains("AT*AILBA?\n*AILBA:0012F3004A21\nOK\nAT*AILVI?\n"));
    EXPECT_TRUE(log.endsWith("OK\nAT*ADDM\n###\n")) << log.right(20).toStdString();
    EXPECT_EQ(page->GetForm().m_strOutput.right(15), "AT*ADDM\r\r\n###\r\n")
        << "the log itself keeps its bytes";
    EXPECT_TRUE(h->Services().StatusTexts().contains("Success: Received OK."));
    EXPECT_TRUE(h->TakeReceived().endsWith("AT*AGSM?\rAT*ADDM\r###"));
    EXPECT_FALSE(page->IsBusy());
}

TEST_F(BluetoothPageTest, ReadValueLongerThanTheEditIsShownWholeAndNeverWrittenCut) {
    const QString longName(40, 'n');
    h->Sim().WithPrinter([&](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGLN", {longName}}});
    });
    Click(1099);
    EXPECT_EQ(Text(1088), longName) << "shown whole, not cut to the edit's 16";
    ASSERT_EQ(h->Services().MessageTexts().size(), 1);
    EXPECT_TRUE(h->Services().MessageTexts()[0].startsWith(
        "Local Name as the module holds it has 40 characters; the page takes at most 16."));
    EXPECT_EQ(h->Services().StatusTexts().last(), "Ready");
    // Write refuses it (and everything after it, which the data exchange did not take)
    // until the user shortens it.
    (void)h->TakeReceived();
    h->Services().Clear();
    Type(1097, "4711");
    Click(1098);
    EXPECT_EQ(h->Services().MessageTexts(),
              QStringList{"Please enter no more than 16 characters."});
    EXPECT_EQ(h->Services().StatusTexts().last(),
              "Nothing was written: correct the field the message names first.");
    EXPECT_EQ(h->TakeReceived(), QByteArray());
    Type(1088, "Till 9");
    Click(1098);
    EXPECT_TRUE(h->TakeReceived().contains("AT*AGLN=\"Till 9\",1\rAT*AGLC=263808,1\r"
                                           "AT*AGFP=\"4711\",1\r"));
}

TEST_F(BluetoothPageTest, ReadWithUnansweredQueriesSaysWhichInTheStatusBar) {
    // The Bluetooth page pointed at the WLAN module's UART.
    SetCombo(1125, "U2");
    Type(1088, "mine");
    Click(1099);
    EXPECT_EQ(Text(1088), "mine") << "unanswered: unchanged";
    EXPECT_EQ(Text(1131), "cB-OWS451 2.0.4") << "the WLAN module's version did answer";
    EXPECT_TRUE(h->Services().StatusTexts().contains("Error: Did not receive OK."));
    EXPECT_EQ(h->Services().StatusTexts().last(),
              "Error: No usable answer for: Local Name, Class of Device, Fixed PIN, "
              "Discoverable, Power Save Mode, Security Mode.");
}

TEST_F(BluetoothPageTest, WriteAfterClearSendsEmptyTextsAndZeros) {
    Click(1100);
    Click(1098);
    const QByteArray received = h->TakeReceived();
    EXPECT_TRUE(received.contains("///AT*AGLN=\"\",1\rAT*AGLC=0,1\rAT*AGFP=\"\",1\rAT*AGDM=0,1\r"
                                  "AT*AMPM=0,1\rAT*AGSM=0,1\rAT*ADDM\r###"));
    EXPECT_TRUE(h->Services().StatusTexts().contains("Sent AT*AGLN=\"\",1\r"));
    EXPECT_TRUE(Output(1130).contains("AT*AGLC=0,1"));
}

TEST_F(WlanPageTest, OpensWithItsControlsCombosAndValues) {
    EXPECT_EQ(page->objectName(), "id148");
    struct Case {
        int id;
        const char* text;
    } edits[] = {{1156, "999"},
                 {1157, "1100"},
                 {1158, "/"},
                 {1159, "1100"},
                 {1163, "WLAN Printer"},
                 {1189, "192.168.1.96"},
                 {1180, "255.255.255.0"},
                 {1181, "192.168.1.1"},
                 {1184, "0.0.0.0"},
                 {1185, "0.0.0.0"},
                 {1187, "connectBlue"},
                 {1171, ""},
                 {1173, ""}};
    for (const Case& c : edits)
        EXPECT_EQ(Text(c.id), c.text) << c.id;
    struct ComboCase {
        int id;
        int count;
        const char* selected;
    } combos[] = {{1127, 5, "U0"},
                  {1125, 5, "U2"},
                  {1165, 4, "1"},
                  {1172, 4, "1"},
                  {1164, 15, "0"},
                  {1166, 2, "2 = Ad-Hoc (default)"},
                  {1169, 4, "0 = None (default)"},
                  {1170, 5, "0 = Open (default)"},
                  {1167, 12, "12"}};
    for (const ComboCase& c : combos) {
        EXPECT_EQ(Find<QComboBox>(c.id)->count(), c.count) << c.id;
        EXPECT_EQ(ComboText(c.id), c.selected) << c.id;
    }
    EXPECT_TRUE(Checked(1168));
    EXPECT_TRUE(Checked(1190));
    EXPECT_FALSE(Checked(1191));
    EXPECT_EQ(Find<QCheckBox>(1168)->text(), "Link Adaptation");
    EXPECT_EQ(Find<QLineEdit>(1163)->maxLength(), 32);
    EXPECT_EQ(Find<QLineEdit>(1189)->maxLength(), 15);
    for (int id : {1175, 1176, 1177, 1178})
        EXPECT_NE(Find<QPushButton>(id), nullptr);
    const QStringList titles = GroupTitles();
    for (const char* t :
         {"General Settings (Link and Network Layer Commands)", "Link Layer Commands", "Security",
          "Network Layer Commands", "Key (AT*AGFPWI)", "Network (AT*ANIP)", "DHCP (AT*ANDHCP)",
          "DNS (AT*ANDNS)", "WLAN MAC Address (AT*AILBA)"})
        EXPECT_TRUE(titles.contains(t)) << t;
}

TEST_F(WlanPageTest, DefaultShowsFullItemsAndClearEmptiesTheCombos) {
    SetCombo(1166, "1");
    Click(1175); // Default
    EXPECT_EQ(ComboText(1166), "2 = Ad-Hoc (default)");
    EXPECT_EQ(ComboText(1169), "0 = None (default)");
    EXPECT_EQ(ComboText(1170), "0 = Open (default)");
    EXPECT_EQ(ComboText(1172), "") << "the key index is emptied by Default";
    Click(1178); // Clear
    for (int id : {1165, 1169, 1164, 1167, 1170, 1172, 1166})
        EXPECT_EQ(ComboText(id), "") << id;
    EXPECT_FALSE(Checked(1168));
    EXPECT_FALSE(Checked(1190));
    EXPECT_FALSE(Checked(1191));
    EXPECT_EQ(ComboText(1125), "U2");
}

TEST_F(WlanPageTest, ReadSelectsTheAnsweredItems) {
    h->Sim().WithPrinter([](CPrinterModel& p) {
        p.Wlan()->RestoreStored({{"AGRTE", {"11", "0"}},
                                 {"AGOM", {"1"}},
                                 {"ANDHCP", {"1"}},
                                 {"ANIP", {"10.0.0.5", "255.255.0.0", "192.168.100.254"}}});
    });
    Type(1173, "typed key");
    Click(1177);
    EXPECT_EQ(ComboText(1167), "11");
    EXPECT_FALSE(Checked(1168));
    EXPECT_EQ(ComboText(1166), "1 = Managed");
    EXPECT_TRUE(Checked(1191));
    EXPECT_EQ(Text(1181), "192.168.100.254");
    EXPECT_EQ(Text(1162), "0012F3A1B2C4");
    EXPECT_EQ(Text(1173), "typed key") << "the key is never read back";
}

TEST_F(WlanPageTest, WriteSendsThePagesCommandsAndRefusesTooLongTexts) {
    SetCombo(1166, "1 = Managed");
    Click(1176);
    const QByteArray received = h->TakeReceived();
    EXPECT_TRUE(received.startsWith("\x1BPU0U2T999\r///AT*AGSSID=\"WLAN Printer\",1\r"
                                    "AT*AGCH=0,1\rAT*AGOM=1,1\r"));
    EXPECT_TRUE(received.endsWith("AT*ANDNS=0.0.0.0,0.0.0.0,1\rAT*ADDM\r###"));

    h->Services().Clear();
    Type(1173, QString(1000, 'k'));
    Click(1176);
    EXPECT_EQ(h->TakeReceived(), QByteArray()) << "nothing sent";
    ASSERT_EQ(h->Services().MessageTexts().size(), 1);
    EXPECT_TRUE(h->Services().MessageTexts()[0].startsWith("Key is too long for the module"));
}

// Disabled while it fails: the WLAN page still needs about 70 pixels more height than the
// frame leaves it (569 against 501 with the offscreen style), the Bluetooth page 8.
TEST(RadioPages, FitTheModulesClientAreas) {
    // The frame sizes its window to the module's client area (705 x 558 for Bluetooth,
    // 789 x 582 for WLAN); the toolbar, the status bar, the sheet's tab row and frame take
    // their share of it. What is left must hold the page at its natural size, without
    // scroll bars.
    CRecordingServices services;
    CKVUApp app;
    app.SetServices(&services);
    ASSERT_TRUE(app.InitInstance({"kvu"}));
    CMainFrame* frame = app.MainFrame();
    for (ModuleId module : {ModuleId::Bluetooth, ModuleId::Wlan}) {
        SCOPED_TRACE(int(module));
        frame->OnModule(module);
        QApplication::processEvents();
        CModuleSheet* sheet = frame->ModuleView()->Sheet(module);
        QWidget* page = sheet->ActivePage()->Widget();
        auto* area = qobject_cast<QScrollArea*>(sheet->currentWidget());
        ASSERT_TRUE(area);
        const QSize client = module == ModuleId::Wlan ? QSize(789, 582) : QSize(705, 558);
        const int menu = frame->menuBar()->isNativeMenuBar() ? 0 : frame->menuBar()->height();
        EXPECT_EQ(frame->size(), client + QSize(0, menu)) << "the window has the module's size";
        // The room the frame really leaves for the page, scroll bars not counted.
        const QSize room = area->size();
        EXPECT_LE(page->sizeHint().width(), room.width());
        EXPECT_LE(page->sizeHint().height(), room.height());
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(area->verticalScrollBar()->isVisible());
    }
    app.Document().SetModifiedFlag(false);
    app.ExitInstance(0);
}
