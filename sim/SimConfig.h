#pragma once

#include <QString>

// How the simulated printer is built and how it may be told to misbehave.
struct SimFaults {
    bool noQuestion = false;     // never answer the handshakes with "?"
    int questionDelayMs = 300;   // delay of the "?" after ESC "DS" or ESC "DL" CR
    int noiseBeforeQuestion = 0; // this many noise bytes come before the "?"
    bool noDx = false;           // no "D!X" after a burn
    bool dxAfterZero = false;    // "D!X" only after a zero byte
    int dxDelayMs = 400;         // delay of the burn confirmation
    bool moduleIgnoresEscape = false;
    bool moduleNoOk = false;   // the radio module answers without "OK"
    bool moduleOnlyOk = false; // the radio module answers every query with "OK" alone
    int cutReplyAt = -1;       // every reply is cut to this many bytes
    int noiseIntervalMs = 0;   // a random noise byte every so often (0: never)
    int dropAfterBytes = -1;   // the link is dropped after this many received bytes
    bool silent = false;       // nothing is ever sent back
};

struct SimConfig {
    int paperDots = 576;   // 384, 576 or 832
    int baudRate = 38400;  // the DIP-switch rate; 0 accepts any rate
    int bluetoothUart = 1; // the UART that holds the Bluetooth module (-1: none)
    int wlanUart = 2;      // the UART that holds the WLAN module (-1: none)
    int supervisoryDelayMs = 20;
    // Take in bytes no faster than the line carries them (11 bits a byte for 8N2 at the
    // rate the program set), so that the pty fills and a sender is throttled as on a real
    // port; otherwise the printer takes whatever is written at once.
    bool pacedLine = false;
    // The printer's place in a batch served at once (tarvo3-sim --count): the radio
    // modules' addresses end in their own number, as real modules' addresses differ.
    int unitNumber = 0;
    SimFaults faults;

    int BytesPerLine() const { return paperDots / 8; }
};
