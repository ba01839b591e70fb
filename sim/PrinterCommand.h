#pragma once

#include <QByteArray>

// One command the Tarvo3 printer recognises at the head of its input, without acting on
// it: which command it is and whether its bytes are complete. CPrinterModel handles it.
struct PrinterCommand {
    enum class State { Incomplete, Done, Invalid };
    enum class Kind {
        None,
        DoubleWidth,
        NormalWidth,
        DoubleHeight,
        NormalHeight,
        BatteryQuery,      // ^V
        BufferQuery,       // ^B
        Style,             // ESC U x: underline, reverse, bold
        Direction,         // ESC F x: direction, character set
        Font,              // ESC k digit
        LineSpacing,       // ESC a n
        FormFeed,          // ESC T F lo hi
        Tab,               // ESC T V n, ESC T H n
        Sensor,            // ESC Q Q n
        SleepTimer,        // ESC M digits CR
        LinePrintMode,     // ESC E O
        CommandMode,       // ESC E N
        Arm,               // ESC X X
        ProgramStart,      // ESC D S: the programming handshake
        DownloadStart,     // ESC D L CR: the logo download handshake
        StreamStart,       // ESC S L
        Burn,              // ESC S B CR
        LogoSlot,          // ESC L G slot CR (0xFF ends the download)
        PrintSlot,         // ESC L g slot
        RasterLine,        // ESC V 01 00 and one line of dots
        Firmware,          // ESC P (
        Model,             // ESC P )
        EndOfTransmission, // ESC P - and ESC P +
        Contrast,          // ESC P digit
        PassThrough,       // ESC P U from U to T ddd CR
        CancelCardRead,    // ESC C
        Other,             // an ESC command with no effect here
    };

    State state = State::Invalid;
    Kind kind = Kind::None;

    // What the bytes at the head of `cmd` are. `bytesPerLine` is the raster line length.
    static PrinterCommand Recognise(const QByteArray& cmd, int bytesPerLine);

    // Bytes a command may start with, and the longest text-terminated command.
    static bool StartsCommand(quint8 byte);
    static constexpr quint8 kCtrlV = 0x16; // battery status query
    static constexpr quint8 kCtrlB = 0x02; // buffer status query
    static constexpr int kMaxShortCommand = 64;
    static constexpr int kMaxSleepCommand = 24;
};
