#include "LogoTransfer.h"

#include "LogoRaster.h"
#include "app/Exchange.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"

#include <algorithm>

namespace {
// Test Print reports in the link's words, Flash in its own.
const char* const kTransmissionError = "Serial transmission error.";
const char* const kCommunicationError = "Serial communication error.";

int Lines(const CLogoRaster& raster) {
    return std::clamp(raster.m_nHeight, 0, CLogoRaster::kMaxRows);
}
} // namespace

QByteArray CLogoTransfer::DownloadPrologue() {
    return QByteArray("\x1BXX\x1B"
                      "DL\r");
}

QByteArray CLogoTransfer::SlotSelect(int slot) {
    return QByteArray("\x1BLG") + char('0' + slot) + '\r';
}

QByteArray CLogoTransfer::DownloadEpilogue() {
    return QByteArray("\x1BLG\xFF\r", 5);
}

QByteArray CLogoTransfer::LineBlock(const CLogoRaster& raster, int row) {
    const int bytes = std::clamp(raster.m_nBytesPerLine, 0, CLogoRaster::kRowStride);
    return QByteArray("\x1BV\x01\x00", 4) +
           QByteArray(reinterpret_cast<const char*>(raster.Row(row)), bytes);
}

QByteArray CLogoTransfer::PrintStoredSlot(int slot) {
    return QByteArray("\x1BLg") + char('0' + slot);
}

QByteArray CLogoTransfer::LineFeed() {
    return QByteArray("\r\n");
}

QString CLogoTransfer::BlankLogoQuestion(int slot) {
    return QStringLiteral("The logo inside the frame has no black dot: slot %1 would store a "
                          "blank logo in place of the one it holds.\nBurn the blank logo?")
        .arg(slot);
}

bool CLogoTransfer::BlankLogoConfirmed(const CLogoRaster& raster, int slot, IUiServices& services) {
    if (!raster.IsBlank())
        return true;
    return services.Message(BlankLogoQuestion(slot), MsgIcon::Question, MsgButtons::YesNo,
                            MsgAnswer::No) == MsgAnswer::Yes;
}

CLogoTransfer::Result CLogoTransfer::TestPrint(const CLogoRaster& raster) {
    CExchange exchange(m_link, m_services);
    exchange.Start();
    if (!exchange.Open(kTransmissionError))
        return Result::OpenFailed;
    exchange.SetCutNote(QStringLiteral("The printer may have printed part of the logo."));
    // The blocks follow one another without a pause: the printer prints as they come.
    for (int y = 0; y < Lines(raster); ++y) {
        if (!exchange.Write(LineBlock(raster, y), kTransmissionError))
            return exchange.WasInterrupted() ? Result::Interrupted : Result::WriteFailed;
    }
    return Result::Done;
}

CLogoTransfer::Result CLogoTransfer::FlashLogo(const CLogoRaster& raster, int slot) {
    if (slot < 0 || slot >= kSlotCount)
        return Result::BadSlot;
    const int lines = Lines(raster);
    // Prologue, slot select, one step per line, epilogue: the indicator moves line by line.
    CExchange exchange(m_link, m_services, lines + 3);
    auto notWritten = [&exchange] {
        return exchange.WasInterrupted() ? Result::Interrupted : Result::WriteFailed;
    };
    exchange.Start();
    if (!exchange.Open(kCommunicationError))
        return Result::OpenFailed;
    exchange.Status(QStringLiteral("Sent ESC-DLn"));
    if (!exchange.Write(DownloadPrologue(), kCommunicationError))
        return notWritten();
    exchange.SetCutNote(QStringLiteral("The printer may be waiting for a logo download: switch it "
                                       "off and on before the next command."));
    exchange.Step();

    // Any byte but "?" is discarded and uses up one of the reads.
    if (!exchange.WaitForByte('?', kQuestionReads)) {
        if (exchange.WasInterrupted())
            return Result::Interrupted;
        exchange.Message(QStringLiteral("Timed out waiting for a '?' character."));
        exchange.Link().Close();
        exchange.Message(QLatin1String(kCommunicationError));
        return Result::NoQuestion;
    }
    exchange.Status(QStringLiteral("Received a '?' character."));
    if (!exchange.Write(SlotSelect(slot), kCommunicationError))
        return notWritten();
    exchange.SetCutNote(
        QStringLiteral("The printer may still be waiting for logo data for slot %1, "
                       "which may keep a partial logo: switch it off and on, "
                       "then flash the logo again.")
            .arg(slot));
    exchange.Step();
    exchange.Pause(kAfterSlotPauseMs);
    exchange.Status(QStringLiteral("Received a '?' character. Sending image data."));

    for (int y = 0; y < lines; ++y) {
        if (!exchange.Write(LineBlock(raster, y), kCommunicationError))
            return notWritten();
        exchange.Step();
        exchange.Pause(kLinePauseMs);
    }
    exchange.Pause(kBeforeEpiloguePauseMs);
    if (!exchange.Write(DownloadEpilogue(), kCommunicationError))
        return notWritten();
    exchange.SetCutNote(QStringLiteral("The printer may still be storing the logo in slot %1: "
                                       "leave it on for a few seconds before the next command.")
                            .arg(slot));
    exchange.Step();
    exchange.Pause(kAfterEpiloguePauseMs);
    if (exchange.Interrupted())
        return Result::Interrupted;
    exchange.Finish();
    exchange.Message(QStringLiteral("Done.\nShut off printer."));
    return Result::Done;
}

CLogoTransfer::Result CLogoTransfer::PrintSlot(int slot) {
    if (slot < 0 || slot >= kSlotCount)
        return Result::BadSlot;
    return m_link.SendBlock(PrintStoredSlot(slot)) ? Result::Done : Result::WriteFailed;
}

CLogoTransfer::Result CLogoTransfer::TestFeed() {
    return m_link.SendBlock(LineFeed()) ? Result::Done : Result::WriteFailed;
}
