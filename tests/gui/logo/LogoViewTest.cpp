// The logo view through its slots and mouse events, and the Logo Size dialog through its
// controls: messages, check marks, panning with its quirks, and what reaches the printer.

#include "../../core/logo/BmpBuilder.h"
#include "SimHarness.h"
#include "logo/LogoSizeDlg.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoTransfer.h"
#include "logo/LogoViewWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class LogoViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h.Started());
        view = std::make_unique<CLogoViewWidget>(h.Core(), h.Services());
        view->resize(960, 600);
        view->show();
    }
    QString Write(const QString& name, const BmpBuilder& b) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b.Build());
        return path;
    }
    // A 100 x 60 picture: mid-grey, with a black column at x = 13.
    static BmpBuilder Grey() {
        BmpBuilder b;
        b.width = 100;
        b.height = 60;
        b.pixel = [](int x, int) { return x == 13 ? 0u : 0x808080u; };
        return b;
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, QPoint at) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                      : type == QEvent::MouseMove && m_held
                                          ? Qt::LeftButton
                                          : Qt::MouseButtons(button);
        if (type == QEvent::MouseButtonPress && button == Qt::LeftButton)
            m_held = true;
        if (type == QEvent::MouseButtonRelease && button == Qt::LeftButton)
            m_held = false;
        QMouseEvent e(type, QPointF(at), view->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(view.get(), &e);
    }
    quint32 Composite(int x, int y) { return view->Surfaces().m_composite.Pixel(x, y); }
    QStringList Messages() { return h.Services().MessageTexts(); }

    CSimHarness h;
    QTemporaryDir dir;
    std::unique_ptr<CLogoViewWidget> view;
    bool m_held = false;
};
} // namespace

TEST_F(LogoViewTest, WithoutAPictureTheCommandsSayWhy) {
    struct Case {
        std::function<void(CLogoViewWidget&)> command;
        QString message;
    } cases[] = {
        {[](CLogoViewWidget& v) { v.TestPrint(); }, "Nothing to print."},
        {[](CLogoViewWidget& v) { v.Flash(3); }, "Nothing to burn."},
        {[](CLogoViewWidget& v) { v.SetThreshold(75); }, "No image."},
    };
    for (const Case& c : cases) {
        h.Services().Clear();
        c.command(*view);
        ASSERT_EQ(Messages(), QStringList{c.message});
        const auto box = h.Services().Messages().first();
        EXPECT_EQ(box.caption, "KVU");
        EXPECT_EQ(box.icon, MsgIcon::None);
    }
    EXPECT_EQ(h.TakeReceived(), QByteArray()) << "nothing was sent";
    EXPECT_TRUE(view->IsThreshold(75)) << "the check mark moved all the same";
    EXPECT_FALSE(view->IsThreshold(50));
    // Print Logo and Test Feed need no picture.
    view->PrintLogo(7);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B4C6737"));
    view->TestFeed();
    EXPECT_EQ(h.TakeReceived(), QByteArray("\r\n"));
    view->SetZoom(8);
    EXPECT_TRUE(view->IsZoom(8));
}

TEST_F(LogoViewTest, OpeningThresholdsAtFiftyAndKeepsTheZoom) {
    view->SetThreshold(75); // "No image.", and 75% is checked
    view->SetZoom(6);
    h.Services().Clear();
    ASSERT_TRUE(view->LoadBitmapFile(Write("grey.bmp", Grey())));
    EXPECT_TRUE(view->HasPicture());
    EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
    EXPECT_EQ(h.Services().TotalPausedMs(), 200);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(h.Services().WaitDepth(), 0);
    EXPECT_TRUE(view->IsThreshold(50)) << "the check mark follows the 50% the logo now has";
    EXPECT_FALSE(view->IsThreshold(75));
    EXPECT_TRUE(view->IsZoom(6));
    // Grey (sum 384) is white at 50%: the frame shows only the black column.
    EXPECT_EQ(Composite(64 + 30, 89 + 10), CLogoSurfaces::kWhite);
    view->SetThreshold(75);
    EXPECT_EQ(Composite(64 + 30, 89 + 10), CLogoSurfaces::kBlack);
    // What is painted is the composite.
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixel(62, 87) & 0xFFFFFF, 0xFF0000u) << "the red outline";
    EXPECT_EQ(shot.pixel(64 + 30, 89 + 10) & 0xFFFFFF, 0u);
    EXPECT_EQ(shot.pixel(64 + 200, 89 + 10) & 0xFFFFFF, 0xFFFFFFu) << "beyond the picture";
}

TEST_F(LogoViewTest, ReaderTextsInOneMessageAndRefusedFiles) {
    BmpBuilder warned = Grey();
    warned.reserved1 = 5;
    warned.fileSize = 3;
    ASSERT_TRUE(view->LoadBitmapFile(Write("warned.bmp", warned)));
    EXPECT_EQ(Messages(), QStringList{"Warning: The file size field is incorrect.\n"
                                      "Warning: Reserved1 is not 0.\n"});
    EXPECT_TRUE(view->HasPicture());

    h.Services().Clear();
    BmpBuilder refused = Grey();
    refused.bitCount = 16;
    EXPECT_TRUE(view->LoadBitmapFile(Write("refused.bmp", refused)));
    EXPECT_EQ(Messages(), QStringList{"Error: Bitmap colors must be 1, 4, 8, or 24 bits.\n"});
    EXPECT_FALSE(view->HasPicture()) << "the earlier picture is gone too";

    h.Services().Clear();
    EXPECT_FALSE(view->LoadBitmapFile(dir.filePath("missing.bmp")));
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages().first().startsWith("Failed to open a file for read."));
    EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
    EXPECT_EQ(h.Services().WaitDepth(), 0);
}

TEST_F(LogoViewTest, DraggingPansWithItsQuirks) {
    view->SetZoom(6);
    ASSERT_TRUE(view->LoadBitmapFile(Write("grey.bmp", Grey())));
    // 20 pixels left at x1.5: the black column 13 lands on the frame's left edge.
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {300, 300});
    EXPECT_TRUE(view->Dragging());
    Mouse(QEvent::MouseMove, Qt::NoButton, {290, 300});
    EXPECT_EQ(view->PanShown(), QPoint(-10, 0));
    EXPECT_EQ(view->Pan(), QPoint(0, 0)) << "committed only at the release";
    Mouse(QEvent::MouseMove, Qt::NoButton, {280, 300});
    EXPECT_EQ(Composite(64, 89), CLogoSurfaces::kBlack);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {280, 300});
    EXPECT_FALSE(view->Dragging());
    EXPECT_EQ(view->Pan(), QPoint(-20, 0));

    // The right button does nothing.
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, {100, 100});
    EXPECT_FALSE(view->Dragging());

    // Released outside the window: the drag goes on with the next moves inside it.
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {100, 100});
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {2000, 100});
    EXPECT_TRUE(view->Dragging());
    Mouse(QEvent::MouseMove, Qt::NoButton, {110, 105});
    EXPECT_EQ(view->PanShown(), QPoint(-10, 5));
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {110, 105});
    EXPECT_EQ(view->Pan(), QPoint(-10, 5));

    // Opening a picture resets the pan.
    ASSERT_TRUE(view->LoadBitmapFile(Write("again.bmp", Grey())));
    EXPECT_EQ(view->Pan(), QPoint());
    EXPECT_EQ(view->PanShown(), QPoint());
}

TEST_F(LogoViewTest, FlashSendsWhatTheFrameShows) {
    h.Core().m_logo.m_raster.SetWidthCode(3);
    h.Core().m_logo.m_raster.m_nHeight = 4;
    ASSERT_TRUE(view->LoadBitmapFile(Write("grey.bmp", Grey())));
    h.Services().Clear();
    h.TakeReceived();
    view->Flash(3);
    QByteArray row(72, '\0');
    row[1] = char(0x04); // dot 13
    QByteArray expected = QByteArray::fromHex("1B58581B444C0D1B4C47330D");
    for (int y = 0; y < 4; ++y)
        expected += QByteArray("\x1BV\x01\x00", 4) + row;
    expected += QByteArray::fromHex("1B4C47FF0D");
    EXPECT_EQ(h.TakeReceived(), expected);
    EXPECT_EQ(Messages(), QStringList{"Done.\nShut off printer."});

    // A size change takes effect at the next Test Print, without a repaint in between.
    h.Core().m_logo.m_raster.SetWidthCode(2);
    h.Core().m_logo.m_raster.m_nHeight = 2;
    view->TestPrint();
    EXPECT_EQ(h.TakeReceived(), (QByteArray("\x1BV\x01\x00", 4) + row.left(48)).repeated(2));
}

TEST_F(LogoViewTest, ANewProjectClearsThePictureAndPrintingDrawsTheView) {
    ASSERT_TRUE(view->LoadBitmapFile(Write("grey.bmp", Grey())));
    QImage drawn(960, 600, QImage::Format_RGB32);
    drawn.fill(Qt::blue);
    {
        QPainter p(&drawn);
        view->Draw(p);
    }
    EXPECT_EQ(drawn.pixel(62, 87) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(drawn.pixel(64 + 13, 89) & 0xFFFFFF, 0u);
    view->UpdateFromDocument();
    EXPECT_FALSE(view->HasPicture());
    drawn.fill(Qt::blue);
    {
        QPainter p(&drawn);
        view->Draw(p);
    }
    EXPECT_EQ(drawn.pixel(62, 87) & 0xFFFFFF, 0x0000FFu) << "nothing is drawn without a picture";
}

namespace {
struct SizeDlg {
    CRecordingServices services;
    std::unique_ptr<CLogoSizeDlg> dlg;
    SizeDlg(int height, int widthIndex) {
        dlg = std::make_unique<CLogoSizeDlg>(services);
        dlg->m_nHeight = height;
        dlg->m_nWidthIndex = widthIndex;
        dlg->show();
    }
    QComboBox* Combo() { return dlg->findChild<QComboBox*>("id1029"); }
    QRadioButton* Radio(int id) { return dlg->findChild<QRadioButton*>(QString("id%1").arg(id)); }
    void Ok(const QString& text) {
        Combo()->setEditText(text);
        dlg->findChild<QPushButton*>("id1")->click();
    }
};
} // namespace

TEST(LogoSizeDlg, ControlsAndTheirTexts) {
    SizeDlg d(120, 0);
    EXPECT_EQ(d.dlg->windowTitle(), "Configure Logo Size");
    EXPECT_EQ(d.Radio(1001)->text(), "2-inch (1.89\") 4.80cm 384 dots per line");
    EXPECT_EQ(d.Radio(1003)->text(), "3-inch (2.83\") 7.20cm 576 dots per line  ");
    EXPECT_EQ(d.Radio(1005)->text(), "4-inch (4.09\") 10.40cm 832 dots per line");
    EXPECT_TRUE(d.Radio(1001)->isChecked());
    ASSERT_EQ(d.Combo()->count(), 5) << "120 is one of the list's own";
    EXPECT_EQ(d.Combo()->currentText(), "120");
    EXPECT_EQ(d.Combo()->currentIndex(), 1);
    EXPECT_TRUE(d.Combo()->isEditable());

    SizeDlg other(178, 1);
    ASSERT_EQ(other.Combo()->count(), 6);
    EXPECT_EQ(other.Combo()->itemText(0), "178");
    EXPECT_EQ(other.Combo()->currentIndex(), 0);
    EXPECT_TRUE(other.Radio(1003)->isChecked());
    // The focus starts on the checked width, where a Space changes nothing.
    for (int index : {0, 1, 2}) {
        SizeDlg d(120, index);
        EXPECT_EQ(d.dlg->focusWidget(), d.Radio(1001 + 2 * index)) << index;
    }
}

TEST(LogoSizeDlg, HeightChecks) {
    struct Case {
        QString text;
        QString message; // empty: accepted
        QString caption;
        int height;
    } cases[] = {
        {"299", "", "", 299},
        {"1", "", "", 1},
        {"12a", "", "", 12},
        {" 7", "", "", 7},
        {"+80", "", "", 80},
        {"300", "Please enter a number smaller than 300 in the Height field.", "Pictra", 0},
        {"999", "Please enter a number smaller than 300 in the Height field.", "Pictra", 0},
        {"0", "Please enter a number greater than zero in the Height field.", "Pictra", 0},
        {"-5", "Please enter a number greater than zero in the Height field.", "Pictra", 0},
        {"abc", "Please enter a valid number in the Height field.", "Pictra", 0},
        {"", "Please enter a valid number in the Height field.", "Pictra", 0},
        {"-", "Please enter a valid number in the Height field.", "Pictra", 0},
        {"1000", "Please enter no more than 3 characters.", "KVU", 0},
        {"12345", "Please enter no more than 3 characters.", "KVU", 0},
    };
    for (const Case& c : cases) {
        SizeDlg d(178, 1);
        d.Ok(c.text);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(d.services.MessageTexts().isEmpty()) << c.text.toStdString();
            EXPECT_EQ(d.dlg->result(), QDialog::Accepted) << c.text.toStdString();
            EXPECT_EQ(d.dlg->m_nHeight, c.height) << c.text.toStdString();
        } else {
            ASSERT_EQ(d.services.MessageTexts(), QStringList{c.message}) << c.text.toStdString();
            EXPECT_EQ(d.services.Messages().first().caption, c.caption);
            EXPECT_EQ(d.services.Messages().first().icon, MsgIcon::Exclamation);
            EXPECT_TRUE(d.dlg->isVisible()) << "the dialog stays open";
            EXPECT_EQ(d.dlg->m_nHeight, 178) << c.text.toStdString();
        }
    }
}

TEST(LogoSizeDlg, RunStoresOnOkOnly) {
    CRecordingServices services;
    CLogoRaster raster;
    raster.SetWidthCode(7); // shows the 576-dot button; OK makes the code 3
    raster.m_nHeight = 178;
    // The dialog runs through the services (so that idle processing stays away under it),
    // shown as a modal window would be.
    auto answer = [&](const QString& text, int radio, bool ok) {
        services.SetDialogScript([=](QObject& object) {
            auto* dlg = qobject_cast<CLogoSizeDlg*>(&object);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->show();
            EXPECT_TRUE(dlg->findChild<QRadioButton*>("id1003")->isChecked());
            dlg->findChild<QComboBox*>("id1029")->setEditText(text);
            dlg->findChild<QRadioButton*>(QString("id%1").arg(radio))->setChecked(true);
            dlg->findChild<QPushButton*>(ok ? "id1" : "id2")->click();
            return dlg->result();
        });
    };
    answer("240", 1005, false);
    EXPECT_FALSE(CLogoSizeDlg::Run(raster, services, nullptr));
    EXPECT_TRUE(services.WasBusyInDialog());
    EXPECT_EQ(raster.m_nWidthCode, 7);
    EXPECT_EQ(raster.m_nHeight, 178);
    answer("178", 1003, true);
    EXPECT_TRUE(CLogoSizeDlg::Run(raster, services, nullptr));
    EXPECT_EQ(raster.m_nWidthCode, 3);
    answer("240", 1005, true);
    EXPECT_TRUE(CLogoSizeDlg::Run(raster, services, nullptr));
    EXPECT_EQ(raster.m_nWidthCode, 4);
    EXPECT_EQ(raster.m_nDots, 832);
    EXPECT_EQ(raster.m_nHeight, 240);
}

TEST_F(LogoViewTest, FileAndPrintDialogsRunThroughTheServices) {
    const QString path = Write("grey.bmp", Grey());
    QStringList asked;
    h.Services().SetFileScript([&](const FileRequest& r) {
        asked << r.filter << r.defaultSuffix;
        return path;
    });
    view->OnBitmapOpen();
    EXPECT_TRUE(view->HasPicture());
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].startsWith("Bitmap Files (*.bmp)"));
    EXPECT_EQ(asked[1], "bmp");
    EXPECT_TRUE(h.Services().WasBusyInDialog());

    QStringList dialogs;
    h.Services().SetDialogScript([&](QObject& d) {
        dialogs << d.metaObject()->className();
        return int(QDialog::Rejected);
    });
    view->OnFilePrint();
    view->OnFilePrintPreview();
    EXPECT_EQ(dialogs, (QStringList{"QPrintDialog", "QPrintPreviewDialog"}));

    // Cancelled: the picture stays.
    h.Services().SetFileScript([](const FileRequest&) { return QString(); });
    view->OnBitmapOpen();
    EXPECT_TRUE(view->HasPicture());
}

TEST_F(LogoViewTest, ABlankLogoIsBurnedOnlyWhenTheUserSaysSo) {
    h.Core().m_logo.m_raster.m_nHeight = 4;
    BmpBuilder white;
    white.width = 16;
    white.height = 4;
    // A top-down picture that once loaded no rows and burned blank, and a white one.
    BmpBuilder topDown = Grey();
    topDown.topDown = true;
    struct Case {
        BmpBuilder picture;
        QPoint pan;
        bool blank;
    } cases[] = {{topDown, {}, false}, {white, {}, true}, {Grey(), {2000, 0}, true}};
    const QString question = CLogoTransfer::BlankLogoQuestion(2);
    for (const Case& c : cases) {
        ASSERT_TRUE(view->LoadBitmapFile(Write("pic.bmp", c.picture)));
        if (!c.pan.isNull()) {
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {0, 0});
            Mouse(QEvent::MouseMove, Qt::NoButton, c.pan / 4);
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, c.pan / 4);
            Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {0, 0});
            Mouse(QEvent::MouseMove, Qt::NoButton, c.pan / 4);
            Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, c.pan / 4);
        }
        for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            h.Services().Clear();
            h.TakeReceived();
            if (c.blank)
                h.Services().ScriptAnswer(answer);
            view->Flash(2);
            const QByteArray sent = h.TakeReceived();
            if (!c.blank) {
                EXPECT_FALSE(Messages().contains(question));
                EXPECT_TRUE(sent.contains(QByteArray("\x1BV\x01\x00\x00\x04", 6)))
                    << "the top-down picture's black column, in every line";
                break;
            }
            ASSERT_FALSE(Messages().isEmpty());
            EXPECT_EQ(Messages().first(), question);
            EXPECT_EQ(h.Services().Messages().first().buttons, MsgButtons::YesNo);
            EXPECT_EQ(h.Services().Messages().first().defaultAnswer, MsgAnswer::No);
            EXPECT_EQ(sent.isEmpty(), answer == MsgAnswer::No);
        }
    }
}

TEST_F(LogoViewTest, PicturesBeyondBmpAndDither) {
    // A PNG wider than the 576-dot frame, transparent but for a black stripe at the top.
    QImage image(700, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int x = 0; x < 700; ++x)
        image.setPixel(x, 0, qRgba(0, 0, 0, 255));
    const QString path = dir.filePath("wide.png");
    ASSERT_TRUE(image.save(path, "PNG"));
    ASSERT_TRUE(view->LoadBitmapFile(path));
    ASSERT_TRUE(view->HasPicture());
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(
        h.Services().StatusTexts(),
        (QStringList{"Wait...", "Ready",
                     "The picture is 700 pixels wide; the logo frame holds 576 of them at x1.0."}));
    EXPECT_EQ(Composite(64, 89), CLogoSurfaces::kBlack);
    EXPECT_EQ(Composite(64, 90), CLogoSurfaces::kWhite) << "transparent is white, never black";

    // Dither takes the check from the threshold items and renders at once.
    view->SetDither();
    EXPECT_TRUE(view->IsDither());
    for (int p : {25, 50, 75, 99})
        EXPECT_FALSE(view->IsThreshold(p));
    view->SetThreshold(25);
    EXPECT_FALSE(view->IsDither());
    EXPECT_TRUE(view->IsThreshold(25));

    // Opening a picture thresholds it at 50%: the menu then ticks 50%, not Dither.
    view->SetDither();
    ASSERT_TRUE(view->LoadBitmapFile(path));
    EXPECT_FALSE(view->IsDither());
    EXPECT_TRUE(view->IsThreshold(50));
    EXPECT_FALSE(view->Surfaces().IsDithered());
}
