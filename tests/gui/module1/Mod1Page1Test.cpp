// The Custom Attributes page through its real widgets, against the simulated printer.

#include "module1/Mod1Page1.h"
#include "KVUApp.h"
#include "RecordingServices.h"
#include "Simulator.h"
#include "document/ProjectFile.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<CSimulator>(SimConfig{}, &clock);
        ASSERT_TRUE(sim->Start());
        sim->AttachTo(clock);
        app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        app->Core().m_ports.SetSessionDevice("COM1", sim->DevicePath());
        app->Serial().SetPortName("COM1");
        app->Serial().SetBaudRateText("38400");
        page = app->MainFrame()->ModuleView()->FindPage<CMod1Page1>();
    }
    void TearDown() override {
        app->Document().SetModifiedFlag(false);
        app.reset();
        sim->Stop();
    }
    template <class T> T* Find(int id) {
        return page->findChild<T*>(QStringLiteral("id%1").arg(id));
    }
    void Type(int id, const QString& text) {
        QLineEdit* edit = Find<QLineEdit>(id);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void Leave(int id) {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(Find<QLineEdit>(id), &out);
    }
    QString Last() { return Find<QLineEdit>(1002)->text(); }
    QByteArray Received() {
        sim->Settle();
        const QByteArray all = sim->Transcript().ReceivedSince(mark);
        mark += all.size();
        return all;
    }

    CVirtualClock clock;
    CRecordingServices services{&clock};
    std::unique_ptr<CSimulator> sim;
    std::unique_ptr<CKVUApp> app;
    CMod1Page1* page = nullptr;
    qint64 mark = 0;
    QTemporaryDir dir;
};
} // namespace

TEST_F(PageTest, StartsBlank) {
    EXPECT_EQ(Find<QComboBox>(1038)->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>(1038)->count(), 11);
    EXPECT_EQ(Find<QComboBox>(1038)->itemText(1), "K0");
    EXPECT_EQ(Find<QComboBox>(1039)->itemText(10), "9");
    for (int id : {1052, 1054, 1056, 1058, 1060, 1062, 1067, 1072})
        EXPECT_EQ(Find<QLineEdit>(id)->text(), "") << id;
    EXPECT_TRUE(Find<QLineEdit>(1002)->isReadOnly());
    EXPECT_FALSE(app->Document().IsModified());
}

TEST_F(PageTest, PairedCheckBoxes) {
    Find<QCheckBox>(1014)->click();
    Find<QCheckBox>(1017)->click();
    EXPECT_FALSE(Find<QCheckBox>(1014)->isChecked());
    EXPECT_EQ(Last(), "^[UU");
    Find<QCheckBox>(1017)->click();
    EXPECT_FALSE(Find<QCheckBox>(1017)->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(1014)->isChecked());
    EXPECT_EQ(Last(), "");
    Find<QCheckBox>(1051)->click();
    EXPECT_EQ(Last(), "^[EO");
    EXPECT_EQ(app->Document().m_bLinePrint, 1);
    EXPECT_TRUE(app->Document().IsModified());
}

TEST_F(PageTest, CombosShowTheirCommand) {
    Find<QComboBox>(1038)->setCurrentIndex(1);
    EXPECT_EQ(Last(), "^[k0");
    EXPECT_EQ(app->Document().m_nFont, 0);
    Find<QComboBox>(1038)->setCurrentIndex(0);
    EXPECT_EQ(Last(), "");
    EXPECT_EQ(app->Document().m_nFont, -1);
    Find<QComboBox>(1039)->setCurrentIndex(10);
    EXPECT_EQ(Last(), "^[P9");
}

TEST_F(PageTest, NumericFieldsWhileTypingAndWhenLeft) {
    Type(1052, "300");
    EXPECT_EQ(Last(), "^[a\\xFF");
    Leave(1052);
    EXPECT_EQ(Find<QLineEdit>(1052)->text(), "255");
    EXPECT_EQ(app->Document().m_nLineSpacing, 255);

    Type(1056, "abc");
    EXPECT_EQ(Last(), "");
    Leave(1056);
    EXPECT_EQ(services.MessageTexts().last(), "Invalid value \"abc\"");
    EXPECT_EQ(services.Messages().last().caption, "KVU");
    EXPECT_EQ(Find<QLineEdit>(1056)->text(), "");

    Type(1054, "1");
    EXPECT_EQ(Last(), "^[TF\\x01\\x00");
    Type(1067, "5");
    EXPECT_EQ(Last(), "^[M05000\r");
    Type(1062, "20");
    EXPECT_EQ(Last(), "^[M1705000\r");
    Type(1072, "-3");
    EXPECT_EQ(Last(), "^[M1705000\r");
    Leave(1072);
    EXPECT_EQ(Find<QLineEdit>(1072)->text(), "0");
}

TEST_F(PageTest, UpDownStepsWithinTheRange) {
    auto* updown = page->findChild<CUpDown*>("id1063"); // sleep hours, 0 to 17
    ASSERT_TRUE(updown);
    updown->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(Find<QLineEdit>(1062)->text(), "1");
    EXPECT_EQ(Last(), "^[M0100000\r");
    Type(1062, "17");
    updown->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(Find<QLineEdit>(1062)->text(), "17");
    Type(1062, "");
    updown->findChild<QToolButton*>("down")->click();
    EXPECT_EQ(Find<QLineEdit>(1062)->text(), "0");
}

TEST_F(PageTest, SandboxButtons) {
    Find<QCheckBox>(1022)->click();
    Find<QPushButton>(1046)->click();
    Find<QPushButton>(1046)->click();
    EXPECT_EQ(Find<QLineEdit>(1049)->text(), "^[U1^[U1");
    EXPECT_EQ(app->Document().m_strTestMessage, "^[U1^[U1") << "the project keeps what is shown";
    Find<QPushButton>(1133)->click();
    EXPECT_EQ(Find<QLineEdit>(1049)->text(), "^[U1^[U1^[");
    Find<QPushButton>(1100)->click();
    EXPECT_EQ(Find<QLineEdit>(1049)->text(), "");
    EXPECT_EQ(app->Document().m_strTestMessage, "");
}

TEST_F(PageTest, TryAndOneKeySendsReachThePrinter) {
    Type(1049, "^[U1");
    Find<QPushButton>(1004)->click();
    EXPECT_EQ(Received(), QByteArray("\x1BU1"));
    EXPECT_EQ(app->Serial().m_bOpen, 0);
    const struct {
        int id;
        QByteArray bytes;
    } keys[] = {{1050, "\r\n"}, {1047, "\r"}, {1041, "\n"},
                {1042, "\f"},   {1043, "\v"}, {1044, "\t"}};
    for (const auto& k : keys) {
        Find<QPushButton>(k.id)->click();
        EXPECT_EQ(Received(), k.bytes) << k.id;
    }
    Find<QPushButton>(1040)->click();
    const QByteArray pattern = Received();
    EXPECT_EQ(pattern.size(), 89);
    EXPECT_EQ(pattern, CMod1Page1::LineDrawingPattern());
    EXPECT_TRUE(pattern.startsWith(QByteArray::fromHex("C9CDCBD1BB20")));
    EXPECT_TRUE(pattern.endsWith("\r\n\r\n"));
    EXPECT_TRUE(services.MessageTexts().isEmpty());
}

TEST_F(PageTest, AnyTypedTextIsSafe) {
    QString wild;
    for (int i = 0; i < 10000; ++i)
        wild += QChar(ushort((i * 37) % 0x2FF + 1));
    Find<QLineEdit>(1049)->setText(wild);
    Find<QPushButton>(1004)->click();
    const QByteArray sent = Received();
    EXPECT_GT(sent.size(), 0);
    EXPECT_LE(sent.size(), 100);
    for (int id : {1052, 1054, 1056, 1058, 1060, 1062, 1067, 1072}) {
        Find<QLineEdit>(id)->setText(wild);
        Leave(id);
    }
    EXPECT_FALSE(services.MessageTexts().isEmpty());
}

TEST_F(PageTest, ConfigureAndBurnThroughTheButtons) {
    Find<QCheckBox>(1022)->click();
    Type(1052, "24");
    Find<QPushButton>(1007)->click();
    EXPECT_EQ(Received(), QByteArray::fromHex("1B454E1B55311B6118"));
    Find<QPushButton>(1009)->click();
    EXPECT_EQ(services.MessageTexts().last(), "Success: Received D!X.\nShut off printer.");
    EXPECT_EQ(services.StatusTexts().last(), "Ready");
    EXPECT_EQ(Received(),
              QByteArray::fromHex("1B454E1B58581B44531B534C1B55311B61181B5354FF0D1B53420D"));
    EXPECT_EQ(services.WaitDepth(), 0);
}

TEST_F(PageTest, ExportWritesTheFileOrSaysWhy) {
    Find<QCheckBox>(1036)->click();
    QString suggested;
    const QString target = dir.filePath("Attributes.prn");
    services.SetFileScript([&](const FileRequest& r) {
        suggested = r.suggested;
        return target;
    });
    Find<QPushButton>(1037)->click();
    EXPECT_EQ(suggested, "Attributes.prn");
    ASSERT_EQ(services.Events().size() > 0, true);
    EXPECT_EQ(services.MessageTexts(),
              QStringList{"Attributes.prn\nThis file does not exist.\nDo you want to create it?"});
    EXPECT_EQ(services.Messages().last().caption, "Save As");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray::fromHex("1B454E1B58581B44531B534C1B46311B5354FF0D1B53420D"));
    services.SetFileScript([&](const FileRequest&) { return dir.filePath("none/x.prn"); });
    Find<QPushButton>(1037)->click();
    EXPECT_EQ(services.MessageTexts().last(), "Failed to open a file for write.");
    services.Clear();
    services.SetFileScript([&](const FileRequest&) { return QString(); }); // cancelled
    Find<QPushButton>(1037)->click();
    EXPECT_TRUE(services.MessageTexts().isEmpty());
    // The dialog itself went through the services, with the export filter.
    ASSERT_FALSE(services.Events().isEmpty());
    EXPECT_EQ(services.Events().last().kind, CRecordingServices::Event::FileDialog);
    EXPECT_EQ(services.Events().last().caption, "PRN Files (*.prn);;All Files (*.*)");
}

TEST_F(PageTest, OutOfRangeProjectValues) {
    CKVUDoc doc;
    doc.m_nFont = 57;
    doc.m_nLineSpacing = -9;
    doc.m_bBold = doc.m_bNoBold = 1;
    const QString path = dir.filePath("odd.qpf");
    ASSERT_EQ(CProjectFile::Save(path, doc), CProjectFile::Result::Ok);
    ASSERT_TRUE(app->MainFrame()->OpenDocumentFile(path));
    EXPECT_EQ(Find<QComboBox>(1038)->currentIndex(), -1) << "no item for font 57";
    EXPECT_EQ(Find<QLineEdit>(1052)->text(), "-9");
    EXPECT_TRUE(Find<QCheckBox>(1022)->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(1024)->isChecked());
    Find<QPushButton>(1007)->click();
    EXPECT_EQ(Received(), QByteArray::fromHex("1B454E1B55311B55301B6100"));
}

TEST_F(PageTest, LeavingAFieldKeepsTheDocumentOnWhatItShows) {
    // Spaces are read as the end of the number while typing, then dropped on leaving.
    const struct {
        int id;
        const char* typed;
        const char* shown;
        int CKVUDoc::*member;
        int stored;
        const char* last;
    } cases[] = {
        {1052, "1 2", "12", &CKVUDoc::m_nLineSpacing, 12, "^[a\\x0C"},
        {1054, "- 5", "0", &CKVUDoc::m_nFormFeed, 0, "^[TF\\x00\\x00"},
        {1062, "1 0", "10", &CKVUDoc::m_nSleepHours, 10, "^[M1000000\r"},
    };
    for (const auto& c : cases) {
        Type(c.id, QString::fromLatin1(c.typed));
        Leave(c.id);
        EXPECT_EQ(Find<QLineEdit>(c.id)->text(), QLatin1String(c.shown)) << c.typed;
        EXPECT_EQ(app->Document().*(c.member), c.stored) << c.typed;
        EXPECT_EQ(Last(), QLatin1String(c.last)) << c.typed;
    }
    // What is saved is what Configure sends.
    const QString path = dir.filePath("shown.qpf");
    ASSERT_EQ(CProjectFile::Save(path, app->Document()), CProjectFile::Result::Ok);
    CKVUDoc reopened;
    ASSERT_EQ(CProjectFile::Load(path, reopened), CProjectFile::Result::Ok);
    EXPECT_EQ(reopened.m_nLineSpacing, 12);
    EXPECT_EQ(reopened.m_nSleepHours, 10);
}

TEST_F(PageTest, OnlyARealChangeMarksTheProjectModified) {
    ASSERT_FALSE(app->Document().IsModified());
    Find<QPushButton>(1100)->click(); // Clear on an empty sandbox
    EXPECT_FALSE(app->Document().IsModified());
    Find<QPushButton>(1046)->click(); // Append of an empty Last Command
    EXPECT_FALSE(app->Document().IsModified());
    Type(1052, "7");
    Leave(1052); // leaving a field that needs no change
    EXPECT_TRUE(app->Document().IsModified()) << "typing 7 is a change";
    app->Document().SetModifiedFlag(false);
    Leave(1052);
    EXPECT_FALSE(app->Document().IsModified());
    Find<QPushButton>(1133)->click(); // ESC appends
    EXPECT_TRUE(app->Document().IsModified());
}

TEST_F(PageTest, ExtremeStoredComboIndexesShowBlankAndSaveUnchanged) {
    CKVUDoc doc;
    doc.m_nFont = 2147483647;
    doc.m_nContrast = -2147483647 - 1;
    const QString path = dir.filePath("extreme.qpf");
    ASSERT_EQ(CProjectFile::Save(path, doc), CProjectFile::Result::Ok);
    ASSERT_TRUE(app->MainFrame()->OpenDocumentFile(path));
    EXPECT_EQ(Find<QComboBox>(1038)->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>(1039)->currentIndex(), -1);
    Find<QPushButton>(1007)->click(); // Configure sends no font or contrast
    EXPECT_EQ(Received(), QByteArray::fromHex("1B454E"));
    // Once the page is changed, the document follows the blank lists, as for font 57.
    Find<QPushButton>(1133)->click();
    EXPECT_EQ(app->Document().m_nFont, -1);
    EXPECT_EQ(app->Document().m_nContrast, -1);
}

TEST_F(PageTest, CheckBoxesComeFromTheAttributeTable) {
    QMap<int, QCheckBox*> byPlace;
    for (const CAttributeForm::Check& c : CAttributeForm::kChecks) {
        QCheckBox* box = Find<QCheckBox>(c.id);
        ASSERT_TRUE(box) << c.id;
        EXPECT_EQ(box->text(), QLatin1String(c.label));
        byPlace.insert(c.row * 2 + c.column, box);
    }
    ASSERT_EQ(byPlace.size(), 17) << "two boxes share a place";
    // Left and right boxes of a row stand side by side, rows one under the other.
    const QList<QCheckBox*> boxes = byPlace.values();
    for (int i = 1; i < boxes.size(); ++i) {
        const QCheckBox* before = boxes[i - 1];
        const QCheckBox* now = boxes[i];
        EXPECT_TRUE(now->y() > before->y() || now->x() > before->x()) << i;
        EXPECT_EQ(before->nextInFocusChain() == now || !now->isVisible(), true)
            << "focus moves row by row: " << before->text().toStdString();
    }
}
