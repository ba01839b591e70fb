// The simulated printer's window against the simulated printer on the virtual clock:
// what a burn, a flash, a Bluetooth write and printed text do to it, and its buttons.

#include "SimHarness.h"
#include "logo/LogoRaster.h"
#include "logo/LogoTransfer.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "simulator/PaperWidget.h"
#include "simulator/SimPrinterWindow.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
class SimWindowTest : public ::testing::Test {
protected:
    void Make(const SimConfig& config = SimConfig()) {
        h = std::make_unique<CSimHarness>(config);
        ASSERT_TRUE(h->Started());
        window = std::make_unique<CSimPrinterWindow>(h->Sim(), h->Services());
    }
    void SetUp() override { Make(); }
    void TearDown() override { window.reset(); }

    template <class T> T* Find(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    CPaperWidget* Paper() { return Find<CPaperWidget>("paper"); }
    // The attribute list's row for `name`: {burned, now}.
    QStringList Attribute(const QString& name) {
        QTreeWidget* list = Find<QTreeWidget>("attributes");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            if (item->text(0) == name)
                return {item->text(1), item->text(2)};
        }
        return {};
    }
    QString RadioValue(int module, const QString& name) {
        const QTreeWidgetItem* top = Find<QTreeWidget>("radios")->topLevelItem(module);
        for (int i = 0; top && i < top->childCount(); ++i)
            if (top->child(i)->text(0) == name)
                return top->child(i)->text(1);
        return QStringLiteral("<missing>");
    }
    void Print(const QByteArray& bytes) {
        ASSERT_TRUE(h->Link().SendBlock(bytes));
        h->Sim().Settle();
        window->Refresh();
    }

    std::unique_ptr<CSimHarness> h;
    std::unique_ptr<CSimPrinterWindow> window;
    QTemporaryDir dir;
};

CLogoRaster Stripes(int rows, int period) {
    CLogoRaster r; // 576 dots, the simulator's default paper
    r.m_nHeight = rows;
    for (int y = 0; y < rows; ++y)
        for (int i = 0; i < r.m_nBytesPerLine; ++i)
            r.Row(y)[i] = (y / period) % 2 ? 0xFF : 0x00;
    return r;
}
} // namespace

TEST_F(SimWindowTest, ABurnShowsInTheAttributeList) {
    EXPECT_EQ(Attribute("Bold"), (QStringList{"off", "off"}));
    CAttributeForm form;
    form.ClickCheck(1022, true); // Bold
    form.m_nFont = 3; // the item K2 (the first item is blank)
    CAttributeProgrammer programmer(h->Link(), h->Services());
    ASSERT_EQ(programmer.Burn(form), CAttributeProgrammer::BurnResult::Confirmed);
    window->Refresh();
    EXPECT_EQ(Attribute("Bold"), (QStringList{"on", "off"})) << "burned, for the next power-up";
    EXPECT_EQ(Attribute("Font").value(0), "2");
    QTreeWidget* list = Find<QTreeWidget>("attributes");
    EXPECT_TRUE(list->findItems("Bold", Qt::MatchExactly).value(0)->font(1).bold());
    EXPECT_FALSE(list->findItems("Underline", Qt::MatchExactly).value(0)->font(1).bold());
}

TEST_F(SimWindowTest, TheWindowFollowsArrivingBytesByItself) {
    window->show();
    ASSERT_TRUE(h->Link().SendBlock(QByteArray("\x1BU1LIVE\r\n")));
    h->Sim().Settle();
    // No Refresh here: the simulator's notice and the bunching timer bring it.
    EXPECT_TRUE(window->Snapshot().paper.Lines().empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Snapshot().paper.Text() == "LIVE"; }, 3000));
    EXPECT_EQ(window->Snapshot().paper.Text(), "LIVE");
    EXPECT_EQ(Attribute("Bold").value(1), "on");
}

TEST_F(SimWindowTest, PrintedTextLengthensThePaper) {
    const int empty = Paper()->height();
    EXPECT_EQ(empty, 2 * CPaper::kMargin);
    EXPECT_EQ(Paper()->width(), 576);
    Print("FIRST LINE\r\nSECOND\r\n");
    EXPECT_EQ(Paper()->height(), empty + 2 * CPaper::kCellHeight);
    EXPECT_EQ(window->Snapshot().paper.Text(), "FIRST LINE\nSECOND");
    Print("\x1C" "TALL\r\n\x1D");
    EXPECT_EQ(Paper()->height(), empty + 4 * CPaper::kCellHeight);
    EXPECT_EQ(Find<QLabel>("paperInfo")->text(), "576 dots per line, 3 lines");
}

TEST_F(SimWindowTest, ThePaperIsAsWideAsTheConfiguredModel) {
    for (int dots : {384, 832}) {
        window.reset();
        SimConfig config;
        config.paperDots = dots;
        Make(config);
        Print("X\r\n");
        EXPECT_EQ(Paper()->width(), dots);
        EXPECT_EQ(Paper()->grab().toImage().width(), dots);
    }
}

TEST_F(SimWindowTest, AFlashChangesTheSlotThumbnail) {
    EXPECT_TRUE(window->SlotThumbnail(4).isNull());
    EXPECT_EQ(Find<QLabel>("slot4")->text(), "empty");
    CLogoTransfer transfer(h->Link(), h->Services());
    ASSERT_EQ(transfer.FlashLogo(Stripes(40, 10), 4), CLogoTransfer::Result::Done);
    window->Refresh();
    const QImage first = window->SlotThumbnail(4);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(window->SlotThumbnail(3).isNull()) << "the other slots stay empty";
    EXPECT_EQ(Find<QLabel>("slot4")->toolTip(), "576 x 40 dots");

    ASSERT_EQ(transfer.FlashLogo(Stripes(40, 20), 4), CLogoTransfer::Result::Done);
    window->Refresh();
    EXPECT_NE(window->SlotThumbnail(4), first) << "a new logo in the slot, a new thumbnail";
    EXPECT_FALSE(Find<QLabel>("slot4")->pixmap().isNull());
}

TEST_F(SimWindowTest, AThumbnailShowsTheLogoNotTheEmptyRestOfTheLine) {
    CLogoRaster narrow = Stripes(32, 4);
    for (int y = 0; y < narrow.m_nHeight; ++y)
        for (int i = 8; i < narrow.m_nBytesPerLine; ++i)
            narrow.Row(y)[i] = 0; // 64 dots of the 576 carry the logo
    CLogoTransfer transfer(h->Link(), h->Services());
    ASSERT_EQ(transfer.FlashLogo(narrow, 0), CLogoTransfer::Result::Done);
    window->Refresh();
    const QImage thumbnail = window->SlotThumbnail(0);
    ASSERT_FALSE(thumbnail.isNull());
    // Cut to the inked 64 x 28 dots (the first stripe is blank), so it fills the width.
    EXPECT_EQ(thumbnail.width(), 64);
    int darkInRightHalf = 0;
    for (int y = 0; y < thumbnail.height(); ++y)
        for (int x = 32; x < 64; ++x)
            darkInRightHalf += qGray(thumbnail.pixel(x, y)) < 128;
    EXPECT_GT(darkInRightHalf, 0);
    EXPECT_EQ(Find<QLabel>("slot0")->toolTip(), "576 x 32 dots");
    window->Refresh();
    EXPECT_EQ(window->SlotThumbnail(0), thumbnail) << "an unchanged slot keeps its thumbnail";
}

TEST_F(SimWindowTest, ABluetoothWriteShowsInTheStoredSettings) {
    EXPECT_EQ(RadioValue(0, "Local name"), "BT Printer");
    CBluetoothForm form;
    form.InitDialog();
    form.m_strLocalName = "Counter 2";
    CAtExchange exchange(h->Link(), h->Services(), form);
    ASSERT_TRUE(exchange.Write(form).ok);
    window->Refresh();
    EXPECT_EQ(RadioValue(0, "Local name"), "Counter 2");
    EXPECT_EQ(Find<QTreeWidget>("radios")->topLevelItem(1)->text(0), "WLAN module on UART2");
    // Control bytes in a stored name show in the visible form, never obeyed or cut.
    h->Sim().WithPrinter([](CPrinterModel& p) {
        p.Bluetooth()->RestoreStored({{"AGLN", {"Till\x1B]0;x\x07\n2"}}});
    });
    window->Refresh();
    EXPECT_EQ(RadioValue(0, "Local name"), "Till^[]0;x^G^J2");
}

TEST(SimWindowPlace, BesideTheMainWindowAndWithinTheScreen) {
    // A 1280 x 1024 screen with a panel of 30 px at its bottom.
    const QRect room(0, 0, 1280, 994);
    const struct {
        const char* name;
        QRect main;
        QSize size;
        QRect expected;
        bool beside;
    } rows[] = {
        {"room on the right", {0, 0, 600, 700}, {620, 930}, {608, 0, 620, 930}, true},
        {"room on the left only", {660, 50, 600, 700}, {620, 930}, {32, 50, 620, 930}, true},
        {"narrower on the wider side", {0, 0, 800, 700}, {620, 930}, {808, 0, 472, 930}, true},
        {"lower main window: up to fit", {0, 200, 600, 700}, {620, 930}, {608, 64, 620, 930}, true},
        {"taller than the screen", {0, 200, 600, 700}, {620, 1100}, {608, 0, 620, 994}, true},
        {"no room beside", {0, 0, 1100, 700}, {620, 930}, {660, 0, 620, 930}, false},
        {"a side narrower than the window can be",
         {200, 0, 700, 700},
         {620, 930},
         {660, 0, 620, 930},
         false},
    };
    for (const auto& row : rows) {
        const QRect placed = CSimPrinterWindow::PlaceBeside(row.main, row.size, room, 400);
        EXPECT_EQ(placed, row.expected) << row.name;
        EXPECT_TRUE(room.contains(placed)) << row.name << ": off the screen";
        EXPECT_EQ(!placed.intersects(row.main), row.beside) << row.name;
    }
}

TEST_F(SimWindowTest, ClearPaperEmptiesThePrintersPaper) {
    Print("ONE\r\nTWO\r\n");
    ASSERT_GT(Paper()->height(), 2 * CPaper::kMargin);
    QTest::mouseClick(Find<QPushButton>("clearPaper"), Qt::LeftButton);
    EXPECT_EQ(Paper()->height(), 2 * CPaper::kMargin);
    EXPECT_TRUE(window->Snapshot().paper.Lines().empty());
    h->Sim().WithPrinter([](CPrinterModel& p) { EXPECT_TRUE(p.Paper().Lines().empty()); });
    Print("THREE\r\n");
    EXPECT_EQ(window->Snapshot().paper.Text(), "THREE");
}

TEST_F(SimWindowTest, SaveAsPngWritesThePaperAtItsSize) {
    Print("\x1BU1RECEIPT\r\n\x1BU0");
    CLogoTransfer(h->Link(), h->Services()).TestPrint(Stripes(12, 3));
    h->Sim().Settle();
    const QString path = dir.filePath("paper.png");
    FileRequest asked;
    h->Services().SetFileScript([&](const FileRequest& r) {
        asked = r;
        return path;
    });
    QTest::mouseClick(Find<QPushButton>("saveAsPng"), Qt::LeftButton);
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.defaultSuffix, "png");
    const QImage saved(path);
    ASSERT_FALSE(saved.isNull());
    // The save takes what was printed up to the click, the test print included.
    EXPECT_EQ(saved.size(), QSize(576, 2 * CPaper::kMargin + CPaper::kCellHeight + 12));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              window->Snapshot().paper.Picture(576).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(h->Services().StatusTexts().last(), "Saved the paper as " + path + ".");
    EXPECT_TRUE(h->Services().MessageTexts().isEmpty());
}

TEST_F(SimWindowTest, ACancelledOrFailedSaveLeavesNoFileAndSaysWhy) {
    Print("X\r\n");
    h->Services().SetFileScript([](const FileRequest&) { return QString(); });
    window->OnSaveAsPng();
    EXPECT_TRUE(h->Services().MessageTexts().isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    const QString bad = dir.filePath("no/such/folder/paper.png");
    h->Services().SetFileScript([&](const FileRequest&) { return bad; });
    window->OnSaveAsPng();
    ASSERT_EQ(h->Services().MessageTexts().size(), 1);
    EXPECT_TRUE(h->Services().MessageTexts().first().startsWith(
        "The paper could not be saved as " + bad + ": "));
    EXPECT_FALSE(QFile::exists(bad));
}

TEST_F(SimWindowTest, ClosingAndDestroyingWhileBytesArriveIsSafe) {
    window->show();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(h->Link().SendBlock(QByteArray("LINE\r\n")));
        if (i == 10)
            window->close(); // hidden: the notices are taken but cost nothing
        QCoreApplication::processEvents();
    }
    h->Sim().Settle();
    window->show(); // caught up at once when shown again
    EXPECT_EQ(window->Snapshot().paper.Lines().size(), 20u);
    window.reset(); // removes its observer; the simulator goes on
    ASSERT_TRUE(h->Link().SendBlock(QByteArray("AFTER\r\n")));
    h->Sim().Settle();
    QCoreApplication::processEvents();
    h->Sim().WithPrinter([](CPrinterModel& p) { EXPECT_EQ(p.Paper().Lines().size(), 21u); });
}
