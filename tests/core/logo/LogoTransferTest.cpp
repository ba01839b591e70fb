// Test Print, Flash, Print Logo and Test Feed against the simulated printer on the
// virtual clock: the bytes on the wire, the texts and pauses, and both failure columns.

#include "BmpBuilder.h"
#include "SimHarness.h"
#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoTransfer.h"
#include "logo/SourceBitmap.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
using Result = CLogoTransfer::Result;

// A raster with a pattern that tells rows and bytes apart.
CLogoRaster Pattern(int code, int height) {
    CLogoRaster r;
    r.SetWidthCode(code);
    r.m_nHeight = height;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < r.m_nBytesPerLine; ++i)
            r.Row(y)[i] = quint8(y * 7 + i * 3 + 1);
    return r;
}

QByteArray Blocks(const CLogoRaster& r) {
    QByteArray all;
    for (int y = 0; y < r.m_nHeight; ++y)
        all += QByteArray("\x1B\x56\x01\x00", 4) +
               QByteArray(reinterpret_cast<const char*>(r.Row(y)), r.m_nBytesPerLine);
    return all;
}

const QByteArray kPrologue = QByteArray::fromHex("1B58581B444C0D");
const QByteArray kEpilogue = QByteArray::fromHex("1B4C47FF0D");
const QStringList kFlashSteps = {"Wait...", "Sent ESC-DLn", "Received a '?' character.",
                                 "Received a '?' character. Sending image data.", "Ready"};

QList<int> Pauses(const CRecordingServices& s) {
    QList<int> pauses;
    for (const auto& e : s.Events())
        if (e.kind == CRecordingServices::Event::Pause)
            pauses << e.value;
    return pauses;
}
} // namespace

TEST(LogoWire, Elements) {
    EXPECT_EQ(CLogoTransfer::DownloadPrologue(), kPrologue);
    EXPECT_EQ(CLogoTransfer::DownloadEpilogue(), kEpilogue);
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(CLogoTransfer::SlotSelect(s), QByteArray::fromHex("1B4C47") + char(0x30 + s) + '\r');
        EXPECT_EQ(CLogoTransfer::PrintStoredSlot(s), QByteArray::fromHex("1B4C67") + char(0x30 + s));
    }
    EXPECT_EQ(CLogoTransfer::LineFeed(), QByteArray::fromHex("0D0A"));
    for (auto [code, size] : {std::pair{2, 52}, {3, 76}, {4, 108}}) {
        const CLogoRaster r = Pattern(code, 3);
        const QByteArray block = CLogoTransfer::LineBlock(r, 2);
        ASSERT_EQ(block.size(), size) << code;
        EXPECT_EQ(block.left(4), QByteArray::fromHex("1B560100"));
        EXPECT_EQ(quint8(block[4]), r.Row(2)[0]);
        EXPECT_EQ(quint8(block[size - 1]), r.Row(2)[r.m_nBytesPerLine - 1]);
    }
}

TEST(LogoTransfer, FlashSlot3SendsTheDownloadExactly) {
    CSimHarness h;
    ASSERT_TRUE(h.Started());
    const CLogoRaster raster = Pattern(3, 178);
    CLogoTransfer transfer(h.Link(), h.Services());
    EXPECT_EQ(transfer.FlashLogo(raster, 3), Result::Done);
    EXPECT_EQ(h.TakeReceived(),
              kPrologue + QByteArray::fromHex("1B4C47330D") + Blocks(raster) + kEpilogue);
    EXPECT_EQ(h.Services().StatusTexts(), kFlashSteps);
    ASSERT_EQ(h.Services().MessageTexts(), QStringList{"Done.\nShut off printer."});
    EXPECT_EQ(h.Services().Messages().first().caption, "KVU");
    EXPECT_EQ(h.Services().Messages().first().icon, MsgIcon::Exclamation);
    QList<int> expected{1000};
    for (int i = 0; i < 178; ++i)
        expected << 1;
    expected << 4000 << 2500;
    EXPECT_EQ(Pauses(h.Services()), expected);
    EXPECT_EQ(h.Services().TotalPausedMs(), CLogoTransfer::FlashPauseMs(178));
    EXPECT_EQ(h.Link().m_bOpen, 0);
    EXPECT_EQ(h.Services().WaitDepth(), 0);
    h.Sim().WithPrinter([&](CPrinterModel& p) {
        const auto& slot = p.Slot(3);
        ASSERT_TRUE(slot.stored);
        ASSERT_EQ(slot.rows.size(), 178);
        EXPECT_EQ(slot.rows[177], QByteArray(reinterpret_cast<const char*>(raster.Row(177)), 72));
        EXPECT_FALSE(p.Slot(2).stored);
    });
}

TEST(LogoTransfer, FlashOrderOfEventsAndProgress) {
    CSimHarness h;
    const CLogoRaster raster = Pattern(2, 5);
    CLogoTransfer(h.Link(), h.Services()).FlashLogo(raster, 0);
    // The "Done." box comes after "Ready", while the wait cursor is still held.
    const auto& events = h.Services().Events();
    int ready = -1, done = -1, endWait = -1, lastProgress = 0, progressCount = 0, full = 0;
    for (int i = 0; i < events.size(); ++i) {
        const auto& e = events[i];
        if (e.kind == CRecordingServices::Event::Status && e.text == "Ready")
            ready = i;
        if (e.kind == CRecordingServices::Event::Message)
            done = i;
        if (e.kind == CRecordingServices::Event::EndWait)
            endWait = i;
        if (e.kind == CRecordingServices::Event::Progress) {
            ++progressCount;
            full += e.value == 100;
            lastProgress = e.value;
        }
    }
    EXPECT_LT(ready, done);
    EXPECT_LT(done, endWait);
    EXPECT_GE(progressCount, 5 + 3) << "the indicator moves at least once a line";
    EXPECT_EQ(full, 1) << "it is full once the epilogue is sent";
    EXPECT_EQ(lastProgress, -1) << "and gone at the end";
    // The slot select is sent only after the "?" (the simulator answers after 300 ms).
    const CTranscript& t = h.Sim().Transcript();
    EXPECT_GE(t.ReceivedTimeAt(7) - t.ReceivedTimeAt(0), 300);
}

TEST(LogoTransfer, NoiseBeforeTheQuestionIsSkipped) {
    struct Case {
        int noise;
        Result result;
    } cases[] = {{0, Result::Done}, {10, Result::Done}, {60, Result::NoQuestion}};
    for (const Case& c : cases) {
        SimConfig config;
        config.faults.noiseBeforeQuestion = c.noise;
        CSimHarness h(config);
        const CLogoRaster raster = Pattern(3, 4);
        EXPECT_EQ(CLogoTransfer(h.Link(), h.Services()).FlashLogo(raster, 5), c.result) << c.noise;
        const QByteArray sent = h.TakeReceived();
        EXPECT_EQ(sent.startsWith(kPrologue + QByteArray::fromHex("1B4C47350D")),
                  c.result == Result::Done)
            << c.noise;
    }
}

TEST(LogoTransfer, NoQuestionGivesBothMessagesAndSendsNoSlot) {
    SimConfig config;
    config.faults.noQuestion = true;
    CSimHarness h(config);
    const CLogoRaster raster = Pattern(3, 10);
    EXPECT_EQ(CLogoTransfer(h.Link(), h.Services()).FlashLogo(raster, 1), Result::NoQuestion);
    EXPECT_EQ(h.TakeReceived(), kPrologue);
    EXPECT_EQ(h.Services().MessageTexts(),
              (QStringList{"Timed out waiting for a '?' character.", "Serial communication error."}));
    EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Sent ESC-DLn", "Ready"}));
    EXPECT_EQ(h.Services().TotalPausedMs(), 0);
    EXPECT_EQ(h.Link().m_bOpen, 0);
    EXPECT_EQ(h.Services().WaitDepth(), 0);
    // The program stays usable: the next flash on a printer that answers goes through.
    h.Sim().WithPrinter([](CPrinterModel& p) { p.Config().faults.noQuestion = false; });
    h.Services().Clear();
    EXPECT_EQ(CLogoTransfer(h.Link(), h.Services()).FlashLogo(raster, 1), Result::Done);
}

TEST(LogoTransfer, FailuresOfBothColumns) {
    const CLogoRaster raster = Pattern(3, 20);
    {
        CSimHarness h;
        h.Core().m_ports.SetSessionDevice("COM1", "/dev/nonexistent-kvu");
        CLogoTransfer transfer(h.Link(), h.Services());
        EXPECT_EQ(transfer.TestPrint(raster), Result::OpenFailed);
        EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Serial transmission error."});
        EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
        h.Services().Clear();
        EXPECT_EQ(transfer.FlashLogo(raster, 2), Result::OpenFailed);
        EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Serial communication error."});
        EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
        EXPECT_EQ(h.Services().WaitDepth(), 0);
    }
    {
        // The link drops in the middle of the lines; the flash pauses between them, so the
        // next write finds it gone.
        SimConfig config;
        config.faults.dropAfterBytes = 7 + 5 + 76 * 3;
        CSimHarness h(config);
        CLogoTransfer transfer(h.Link(), h.Services());
        EXPECT_EQ(transfer.FlashLogo(raster, 4), Result::WriteFailed);
        EXPECT_EQ(h.Services().MessageTexts(), QStringList{"Serial communication error."});
        EXPECT_EQ(h.Services().StatusTexts().last(), "Ready");
        EXPECT_EQ(h.Link().m_bOpen, 0);
        EXPECT_EQ(h.Services().WaitDepth(), 0);
    }
    {
        // Test Print writes without pauses: the blocks may all be in the link's buffer
        // before the drop is seen. Either way it ends cleanly, and a failure speaks in the
        // link's words.
        SimConfig config;
        config.faults.dropAfterBytes = 76 * 2;
        CSimHarness h(config);
        CLogoTransfer transfer(h.Link(), h.Services());
        const Result r = transfer.TestPrint(Pattern(4, 300));
        EXPECT_TRUE(r == Result::Done || r == Result::WriteFailed);
        EXPECT_EQ(h.Services().MessageTexts(),
                  r == Result::Done ? QStringList() : QStringList{"Serial transmission error."});
        EXPECT_EQ(h.Services().StatusTexts().last(), "Ready");
        EXPECT_EQ(h.Link().m_bOpen, 0);
    }
}

TEST(LogoTransfer, TestPrintSendsTheBlocksWithoutPauses) {
    for (auto [code, height] : {std::pair{3, 178}, {2, 1}, {4, 300}}) {
        CSimHarness h;
        const CLogoRaster raster = Pattern(code, height);
        EXPECT_EQ(CLogoTransfer(h.Link(), h.Services()).TestPrint(raster), Result::Done);
        const QByteArray sent = h.TakeReceived();
        EXPECT_EQ(sent, Blocks(raster));
        EXPECT_EQ(sent.size(), height * (4 + raster.m_nBytesPerLine));
        EXPECT_EQ(h.Services().StatusTexts(), (QStringList{"Wait...", "Ready"}));
        EXPECT_TRUE(h.Services().MessageTexts().isEmpty());
        EXPECT_EQ(h.Services().TotalPausedMs(), 0);
        EXPECT_EQ(h.Link().m_bOpen, 0);
    }
}

TEST(LogoTransfer, PrintSlotAndFeed) {
    CSimHarness h;
    CLogoTransfer transfer(h.Link(), h.Services());
    EXPECT_EQ(transfer.PrintSlot(7), Result::Done);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B4C6737"));
    EXPECT_EQ(transfer.PrintSlot(0), Result::Done);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("1B4C6730"));
    for (int bad : {-1, 8, 100}) {
        EXPECT_EQ(transfer.PrintSlot(bad), Result::BadSlot);
        EXPECT_EQ(transfer.FlashLogo(Pattern(3, 2), bad), Result::BadSlot);
    }
    EXPECT_EQ(h.TakeReceived(), QByteArray());
    EXPECT_EQ(transfer.TestFeed(), Result::Done);
    EXPECT_EQ(h.TakeReceived(), QByteArray::fromHex("0D0A"));
    EXPECT_TRUE(h.Services().StatusTexts().isEmpty()) << "no status texts for these";
    EXPECT_TRUE(h.Services().MessageTexts().isEmpty());
    EXPECT_EQ(h.Link().m_bOpen, 0);

    h.Core().m_ports.SetSessionDevice("COM1", "/dev/nonexistent-kvu");
    EXPECT_EQ(transfer.TestFeed(), Result::WriteFailed);
    EXPECT_EQ(transfer.PrintSlot(1), Result::WriteFailed);
}

TEST(LogoTransfer, AFlashedLogoPrintsBackDotForDot) {
    for (int code : {2, 3, 4}) {
        SimConfig config;
        config.paperDots = CLogoRaster::DotsForWidthCode(code);
        CSimHarness h(config);
        // A picture read, rendered, composed and packed as the view does it.
        BmpBuilder b;
        b.width = 300;
        b.height = 120;
        b.pixel = [](int x, int y) {
            return ((x / 7 + y / 5) % 3 == 0 || x == y) ? 0x102030u : 0xE0F0FFu;
        };
        auto bmp = std::make_unique<CSourceBitmap>();
        bmp->ReadBytes(b.Build());
        ASSERT_EQ(bmp->m_bLoaded, 1);
        auto surfaces = std::make_unique<CLogoSurfaces>();
        surfaces->RenderSurfaces(*bmp, 50, nullptr);
        CLogoRaster raster;
        raster.SetWidthCode(code);
        raster.m_nHeight = 150;
        surfaces->ComposeView(*bmp, raster, 13, -4, 6);
        surfaces->BuildRaster(*bmp, raster);

        CLogoTransfer transfer(h.Link(), h.Services());
        ASSERT_EQ(transfer.FlashLogo(raster, 6), Result::Done);
        h.Sim().WithPrinter([](CPrinterModel& p) { p.Paper().Clear(); });
        ASSERT_EQ(transfer.PrintSlot(6), Result::Done);
        h.TakeReceived();
        QByteArray expected;
        for (int y = 0; y < raster.m_nHeight; ++y)
            expected += QByteArray(reinterpret_cast<const char*>(raster.Row(y)), raster.m_nBytesPerLine);
        h.Sim().WithPrinter([&](CPrinterModel& p) { EXPECT_EQ(p.Paper().BitmapRows(), expected) << code; });
        int black = 0;
        for (char c : expected)
            black += c != 0;
        EXPECT_GT(black, expected.size() / 4) << "the picture left dots in the raster";
    }
}
