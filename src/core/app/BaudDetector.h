#pragma once

#include "OpenProblem.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>

class CSerialPort;
class IUiServices;

// Finds the rate the printer's DIP switches are set to: the battery status query (CTRL-V,
// which changes nothing on the printer) is sent at one rate after another until a
// well-formed battery reply comes back. A printer at another rate sees only framing
// errors and stays silent, or sends what reads as noise here.
class CBaudDetector {
public:
    static const QByteArray kProbe; // 0x16, the battery status query
    // One read of up to 100 bytes with the exchanges' time-outs: at most 510 ms per rate.
    static constexpr int kReplySize = 100;

    struct Result {
        int rate = 0;         // the rate that got an answer; 0 when none did
        int tried = 0;        // how many rates were tried
        COpenProblem problem; // set when the port could not be opened at all
        bool writeFailed = false;
        QByteArray reply; // the answer that was accepted
        bool Found() const { return rate != 0; }
    };

    // The order the rates are tried in: `first` (the rate last used, when it is one of
    // the eight), then the common rates before the rare ones.
    static QVector<int> RateOrder(int first = 0);

    // Whether a reply is a battery status answer: a line of ESC "V" and decimal
    // millivolts, lines ended by CR, LF or CR LF. Noise from a wrong rate is not.
    static bool IsBatteryReply(const QByteArray& reply);

    CSerialPort& Link() { return m_link; }
    CBaudDetector(CSerialPort& link, IUiServices& services) : m_link(link), m_services(services) {}

    // Told before each rate is tried.
    void SetOnTry(std::function<void(int rate)> onTry) { m_onTry = std::move(onTry); }

    // Tries the rates in RateOrder(the link's rate). The link keeps its own rate
    // afterwards and is closed; a port that cannot be opened ends the search at once.
    Result Detect();

private:
    CSerialPort& m_link;
    IUiServices& m_services;
    std::function<void(int)> m_onTry;
};
