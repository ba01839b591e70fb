#pragma once

#include <QByteArray>
#include <QString>

class CLogoRaster;
class CSerialPort;
class IUiServices;

// The four printer operations of the logo module: Test Print, Flash 0 to 7, Print Logo 0
// to 7 and Test Feed. Each opens the link and closes it before it returns.
class CLogoTransfer {
public:
    enum class Result {
        Done,
        OpenFailed,  // the link did not open
        WriteFailed, // a write failed; the link was closed
        NoQuestion,  // no "?" came after the download prologue
        BadSlot,     // a slot other than 0 to 7: nothing sent
        Interrupted, // the user asked for it to end; the link was closed
    };

    static constexpr int kSlotCount = 8;
    static constexpr int kQuestionReads = 50;
    static constexpr int kAfterSlotPauseMs = 1000;
    static constexpr int kLinePauseMs = 1;
    static constexpr int kBeforeEpiloguePauseMs = 4000;
    static constexpr int kAfterEpiloguePauseMs = 2500;
    // The flash's fixed pauses for `lines` raster rows (the benchmark's reference).
    static constexpr int FlashPauseMs(int lines) {
        return kAfterSlotPauseMs + lines * kLinePauseMs + kBeforeEpiloguePauseMs +
               kAfterEpiloguePauseMs;
    }

    CLogoTransfer(CSerialPort& link, IUiServices& services) : m_link(link), m_services(services) {}
    virtual ~CLogoTransfer() = default;

    // Before a Flash: a raster without one black dot would burn a blank logo over the
    // slot's stored one, which is hardly ever meant (a picture panned out of the frame, a
    // white or colour-preview-only picture). The user is asked; false unless they go on.
    static bool BlankLogoConfirmed(const CLogoRaster& raster, int slot, IUiServices& services);
    static QString BlankLogoQuestion(int slot);

    Result TestPrint(const CLogoRaster& raster);
    Result FlashLogo(const CLogoRaster& raster, int slot);
    Result PrintSlot(int slot);
    Result TestFeed();

    // The wire elements.
    static QByteArray DownloadPrologue();                            // ESC "XX" ESC "DL" CR
    static QByteArray SlotSelect(int slot);                          // ESC "LG" digit CR
    static QByteArray DownloadEpilogue();                            // ESC "LG" FF CR
    static QByteArray LineBlock(const CLogoRaster& raster, int row); // ESC "V" 01 00 + row
    static QByteArray PrintStoredSlot(int slot);                     // ESC "Lg" digit, no CR
    static QByteArray LineFeed();                                    // CR LF

private:
    CSerialPort& m_link;
    IUiServices& m_services;
};
