#include "PrinterModel.h"

#include <algorithm>

namespace {
const char CR = 0x0D;
const char LF = 0x0A;
const char FF = 0x0C;
const char TAB = 0x09;
const quint8 kCtrlV = 0x16; // battery status query
const quint8 kCtrlB = 0x02; // buffer status query
const QByteArray kEndOfStream("\x1BST\xFF\r", 5);
const int kMaxCollected = 4096; // longest attribute stream the flash area takes
const int kMaxShortCommand = 64;
const QByteArray kPassThroughEnd("###");

int CharsPerLine(int dots, bool doubleWidth) {
    const int chars = dots / 12;
    return doubleWidth ? chars / 2 : chars;
}
} // namespace

CPrinterModel::CPrinterModel(const SimConfig& config, qint64 now) : m_config(config) {
    m_poweredOn = now;
    if (config.bluetoothUart >= 0)
        m_bluetooth = std::make_unique<CRadioModule>(CRadioModule::Kind::Bluetooth);
    if (config.wlanUart >= 0 && config.wlanUart != config.bluetoothUart)
        m_wlan = std::make_unique<CRadioModule>(CRadioModule::Kind::Wlan);
    for (CRadioModule* m : {m_bluetooth.get(), m_wlan.get()}) {
        if (m) {
            m->SetIgnoreEscape(config.faults.moduleIgnoresEscape);
            m->SetAnswerWithoutOk(config.faults.moduleNoOk);
        }
    }
    if (config.faults.noiseIntervalMs > 0 && !config.faults.silent)
        m_nextNoise = now + config.faults.noiseIntervalMs;
}

CRadioModule* CPrinterModel::Module(int uart) {
    if (uart < 0)
        return nullptr;
    if (uart == m_config.bluetoothUart)
        return m_bluetooth.get();
    if (uart == m_config.wlanUart)
        return m_wlan.get();
    return nullptr;
}

void CPrinterModel::Schedule(qint64 now, int delayMs, const QByteArray& bytes) {
    if (m_config.faults.silent || bytes.isEmpty())
        return;
    QByteArray out = bytes;
    if (m_config.faults.cutReplyAt >= 0 && out.size() > m_config.faults.cutReplyAt)
        out.truncate(m_config.faults.cutReplyAt);
    Scheduled item{now + qMax(0, delayMs), out};
    // Keep the queue in due order; equal times stay in the order they were scheduled.
    auto pos = std::upper_bound(m_out.begin(), m_out.end(), item.due,
                                [](qint64 due, const Scheduled& s) { return due < s.due; });
    m_out.insert(pos, std::move(item));
}

QByteArray CPrinterModel::TakeDue(qint64 now) {
    QByteArray out;
    while (!m_out.empty() && m_out.front().due <= now) {
        out += m_out.front().bytes;
        m_out.pop_front();
    }
    return out;
}

qint64 CPrinterModel::NextEventMs() const {
    qint64 next = -1;
    auto consider = [&](qint64 t) {
        if (t >= 0 && (next < 0 || t < next))
            next = t;
    };
    if (!m_out.empty())
        consider(m_out.front().due);
    consider(m_nextNoise);
    if (m_passThrough.active) {
        if (const CRadioModule* m = const_cast<CPrinterModel*>(this)->Module(m_passThrough.toUart))
            consider(m->NextEventMs());
        if (m_passThrough.timeoutS > 0)
            consider(m_passThrough.lastActivity + qint64(m_passThrough.timeoutS) * 1000 + 1);
    }
    return next;
}

void CPrinterModel::Tick(qint64 now) {
    if (m_passThrough.active) {
        if (CRadioModule* m = Module(m_passThrough.toUart))
            m->Tick(now);
        if (m_passThrough.timeoutS > 0 &&
            now - m_passThrough.lastActivity > qint64(m_passThrough.timeoutS) * 1000)
            m_passThrough.active = false;
    }
    // Catch up on every noise byte that fell due, also across a long virtual pause.
    for (int burst = 0; m_nextNoise >= 0 && now >= m_nextNoise && burst < 1000; ++burst) {
        // Line noise, never one of the bytes the program waits for.
        m_noiseSeed = m_noiseSeed * 1103515245u + 12345u;
        char c = char((m_noiseSeed >> 16) & 0xFF);
        if (c == '?' || c == 'D' || c == '!' || c == 'X' || c == 0)
            c = char(0xA5);
        Schedule(now, 0, QByteArray(1, c));
        m_nextNoise += m_config.faults.noiseIntervalMs;
    }
}

void CPrinterModel::Receive(const QByteArray& bytes, qint64 now) {
    // A command cut short is dropped once the line has been quiet for a while, so the
    // next command is not taken as its missing bytes.
    if (!m_cmd.isEmpty() && now - m_lastReceived > kCommandTimeoutMs)
        m_cmd.clear();
    if (m_collecting && now - m_lastReceived > kStreamTimeoutMs) {
        m_collecting = m_programming = false;
        m_collected.clear();
    }
    if (!bytes.isEmpty())
        m_lastReceived = now;
    for (int i = 0; i < bytes.size(); ++i) {
        if (m_passThrough.active) {
            ReceivePassThrough(bytes.mid(i), now);
            return;
        }
        ReceiveNormal(bytes[i], now);
    }
}

void CPrinterModel::ReceivePassThrough(const QByteArray& bytes, qint64 now) {
    CRadioModule* module = Module(m_passThrough.toUart);
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        m_passThrough.lastActivity = now;
        if (module)
            Schedule(now, 0, module->Receive(QByteArray(1, c), now));
        m_passThrough.tail = (m_passThrough.tail + c).right(kPassThroughEnd.size());
        if (m_passThrough.tail == kPassThroughEnd) {
            m_passThrough.active = false;
            m_passThrough.tail.clear();
            Receive(bytes.mid(i + 1), now);
            return;
        }
    }
}

void CPrinterModel::ReceiveNormal(char c, qint64 now) {
    if (m_collecting) {
        m_collected += c;
        if (m_collected.endsWith(kEndOfStream)) {
            m_collected.chop(kEndOfStream.size());
            m_collecting = false;
            m_haveStream = true;
        } else if (m_collected.size() > kMaxCollected) {
            // Too long for the flash area: the programming is abandoned.
            m_collecting = m_programming = false;
            m_collected.clear();
        }
        return;
    }
    const quint8 u = quint8(c);
    if (m_cmd.isEmpty()) {
        const bool starts = u == 0x1B || u == kCtrlV || u == kCtrlB || u == 0x0E || u == 0x0F ||
                            u == 0x1C || u == 0x1D;
        if (!starts) {
            PrintByte(c);
            return;
        }
    }
    m_cmd += c;
    switch (ParseCommand(m_cmd, now, true, m_attributes)) {
    case Parse::Done:
        m_cmd.clear();
        break;
    case Parse::Incomplete:
        break;
    case Parse::Invalid: {
        // Not a command after all: drop the lead byte and look at the rest again.
        const QByteArray rest = m_cmd.mid(1);
        m_cmd.clear();
        for (char r : rest)
            ReceiveNormal(r, now);
        break;
    }
    }
}

CPrinterModel::Parse CPrinterModel::ParseCommand(const QByteArray& cmd, qint64 now, bool execute,
                                                 PrinterAttributes& t) {
    const int n = int(cmd.size());
    auto at = [&](int i) { return quint8(cmd[i]); };
    switch (at(0)) {
    case 0x0E:
        t.doubleWidth = true;
        return Parse::Done;
    case 0x0F:
        t.doubleWidth = false;
        return Parse::Done;
    case 0x1C:
        t.doubleHeight = true;
        return Parse::Done;
    case 0x1D:
        t.doubleHeight = false;
        return Parse::Done;
    case kCtrlV:
        if (execute)
            Schedule(now, m_config.supervisoryDelayMs, SupervisoryBattery(now));
        return Parse::Done;
    case kCtrlB:
        if (execute)
            Schedule(now, m_config.supervisoryDelayMs,
                     "\x1B"
                     "B" +
                         QByteArray::number(qlonglong(m_line.size()), 16).toUpper() + "\r\n");
        return Parse::Done;
    case 0x1B:
        break;
    default:
        return Parse::Invalid;
    }
    if (n < 2)
        return Parse::Incomplete;
    const char kind = cmd[1];
    if (n < 3 && kind != 'C')
        return Parse::Incomplete;
    switch (kind) {
    case 'U':
        switch (cmd[2]) {
        case 'U':
            t.underline = true;
            break;
        case 'u':
            t.underline = false;
            break;
        case 'R':
            t.reverse = true;
            break;
        case 'n':
            t.reverse = false;
            break;
        case '1':
            t.bold = true;
            break;
        case '0':
            t.bold = false;
            break;
        default:
            break;
        }
        return Parse::Done;
    case 'F':
        switch (cmd[2]) {
        case 'R':
            t.rightToLeft = true;
            break;
        case 'L':
            t.rightToLeft = false;
            break;
        case '2':
            t.pcLineDraw = true;
            break;
        case '1':
            t.pcLineDraw = false;
            break;
        default:
            break;
        }
        return Parse::Done;
    case 'k':
        if (cmd[2] >= '0' && cmd[2] <= '9')
            t.font = cmd[2] - '0';
        return Parse::Done;
    case 'a':
        t.lineSpacing = at(2);
        return Parse::Done;
    case 'T':
        if (cmd[2] == 'F') {
            if (n < 5)
                return Parse::Incomplete;
            t.formFeed = at(3) | (at(4) << 8);
        } else if (cmd[2] == 'V' || cmd[2] == 'H') {
            if (n < 4)
                return Parse::Incomplete;
            (cmd[2] == 'V' ? t.verticalTab : t.horizontalTab) = at(3);
        }
        return Parse::Done;
    case 'Q':
        if (cmd[2] == 'Q') {
            if (n < 4)
                return Parse::Incomplete;
            t.sensorSensitivity = at(3);
        }
        return Parse::Done;
    case 'M': {
        const int cr = int(cmd.indexOf(CR, 2));
        if (cr < 0)
            return n > 24 ? Parse::Invalid : Parse::Incomplete;
        t.sleepTimer = cmd.mid(2, cr - 2);
        return Parse::Done;
    }
    case 'E':
        if (cmd[2] == 'O') {
            t.linePrintMode = true;
        } else if (cmd[2] == 'N' && execute) {
            // Command mode: a programming sequence starts afresh.
            m_armed = m_programming = m_collecting = m_haveStream = false;
        }
        return Parse::Done;
    case 'X':
        if (cmd[2] == 'X' && execute)
            m_armed = true;
        return Parse::Done;
    case 'D':
        if (cmd[2] == 'S') {
            if (execute && m_armed) {
                m_programming = true;
                AnswerHandshake(now);
            }
            m_armed = false;
            return Parse::Done;
        }
        if (cmd[2] == 'L') {
            if (n < 4)
                return Parse::Incomplete;
            if (cmd[3] != CR)
                return Parse::Invalid;
            if (execute && m_armed) {
                m_downloadReady = true;
                m_downloadSlot = -1;
                AnswerHandshake(now);
            }
            m_armed = false;
        }
        return Parse::Done;
    case 'S':
        if (cmd[2] == 'L') {
            if (execute && m_programming) {
                m_collecting = true;
                m_collected.clear();
            }
            return Parse::Done;
        }
        if (cmd[2] == 'B') {
            if (n < 4)
                return Parse::Incomplete;
            if (execute && m_haveStream) {
                SetBurnedStream(m_collected);
                const SimFaults& f = m_config.faults;
                const QByteArray reply = f.noDx          ? QByteArray("ERR\r\n")
                                         : f.dxAfterZero ? QByteArray("OK\0D!X\r\n", 8)
                                                         : QByteArray("OK D!X\r\n");
                Schedule(now, f.dxDelayMs, reply);
                m_programming = m_haveStream = false;
            }
            return Parse::Done;
        }
        if (cmd[2] == 'T' && n < 5)
            return Parse::Incomplete;
        return Parse::Done;
    case 'L':
        if (cmd[2] == 'G') {
            if (n < 5)
                return Parse::Incomplete;
            if (cmd[4] != CR)
                return Parse::Invalid;
            if (!execute)
                return Parse::Done;
            const quint8 s = at(3);
            if (s >= '0' && s <= '7' && m_downloadReady) {
                m_downloadSlot = s - '0';
                m_incoming = LogoSlot{};
                m_incoming.bytesPerLine = m_config.BytesPerLine();
            } else if (s == 0xFF && m_downloadSlot >= 0) {
                m_incoming.stored = true;
                m_slots[size_t(m_downloadSlot)] = m_incoming;
                m_downloadSlot = -1;
                m_downloadReady = false;
            }
            return Parse::Done;
        }
        if (cmd[2] == 'g') {
            if (n < 4)
                return Parse::Incomplete;
            const quint8 s = at(3);
            if (execute && s >= '0' && s <= '7') {
                EndLine();
                for (const QByteArray& row : m_slots[size_t(s - '0')].rows)
                    m_paper.AddBitmapRow(row);
            }
        }
        return Parse::Done;
    case 'V': {
        if (n < 4)
            return Parse::Incomplete;
        if (at(2) != 0x01 || at(3) != 0x00)
            return Parse::Invalid;
        const int bpl = m_config.BytesPerLine();
        if (n < 4 + bpl)
            return Parse::Incomplete;
        if (execute) {
            const QByteArray row = cmd.mid(4, bpl);
            if (m_downloadSlot >= 0) {
                if (m_incoming.rows.size() < kMaxLogoRows)
                    m_incoming.rows.append(row);
            } else {
                m_paper.AddBitmapRow(row);
            }
        }
        return Parse::Done;
    }
    case 'P': {
        const char p = cmd[2];
        if (p == '(' || p == ')') {
            if (execute) {
                const QByteArray text =
                    p == '(' ? QByteArray("TARVO3 FW V2.07 2006-11-14\r\n")
                             : "TARVO3-" + QByteArray::number(m_config.paperDots) +
                                   (m_bluetooth ? "-BT" : "") + (m_wlan ? "-WLAN" : "") + "\r\n";
                Schedule(now, m_config.supervisoryDelayMs, text);
            }
            return Parse::Done;
        }
        if (p == '-' || p == '+') {
            t.sendEot = p == '-';
            return Parse::Done;
        }
        if (p >= '0' && p <= '9') {
            t.contrast = p - '0';
            return Parse::Done;
        }
        // Pass-through: ESC "P" <from UART> <to UART> "T" <three digits> CR.
        const int cr = int(cmd.indexOf(CR, 2));
        if (cr < 0)
            return n > kMaxShortCommand ? Parse::Invalid : Parse::Incomplete;
        const QByteArray body = cmd.mid(2, cr - 2);
        if (execute && body.size() == 8 && body[0] == 'U' && body[2] == 'U' && body[4] == 'T') {
            bool ok = false;
            const int timeout = body.mid(5, 3).toInt(&ok);
            const int from = body[1] - '0', to = body[3] - '0';
            if (ok && from == 0 && Module(to)) {
                m_passThrough = PassThrough{};
                m_passThrough.active = true;
                m_passThrough.toUart = to;
                m_passThrough.timeoutS = timeout;
                m_passThrough.lastActivity = now;
                Module(to)->Attach(now);
            }
        }
        return Parse::Done;
    }
    case 'C': // cancel the magnetic card reader request: nothing is pending here
        return Parse::Done;
    default:
        return Parse::Done;
    }
}

void CPrinterModel::AnswerHandshake(qint64 now) {
    const SimFaults& f = m_config.faults;
    if (f.noQuestion)
        return;
    QByteArray reply;
    for (int i = 0; i < f.noiseBeforeQuestion; ++i)
        reply += char(0x80 | (i & 0x3F)); // never "?"
    reply += '?';
    Schedule(now, f.questionDelayMs, reply);
}

QByteArray CPrinterModel::SupervisoryBattery(qint64 now) {
    // The battery drains a little with every query; the timer counts seconds since power-up.
    m_batteryMv = qMax(6000, m_batteryMv - 1 - int((now / 1000) % 3));
    m_temperature = 30 + int((now / 60000) % 4);
    const qint64 seconds = qMax<qint64>(0, (now - m_poweredOn) / 1000);
    return "\x1BV" + QByteArray::number(m_batteryMv) + "\r\n\x1BM" +
           QByteArray::number(seconds, 16).toUpper() + "\r\n\x1BT" +
           QByteArray::number(m_temperature) + "\r\n";
}

void CPrinterModel::PrintByte(char c) {
    if (c == CR) {
        EndLine();
        m_lastWasCr = true;
        return;
    }
    if (c == LF) {
        if (!m_lastWasCr)
            EndLine();
        m_lastWasCr = false;
        return;
    }
    m_lastWasCr = false;
    if (c == FF) {
        EndLine();
        return;
    }
    if (c == TAB) {
        do
            m_line += ' ';
        while (m_line.size() % 8);
    } else if (quint8(c) >= 0x20) {
        if (m_line.isEmpty())
            m_lineAttributes = m_attributes; // a line prints with the attributes it began with
        m_line += c;
    }
    if (m_line.size() >= CharsPerLine(m_config.paperDots, m_attributes.doubleWidth))
        EndLine();
}

void CPrinterModel::EndLine() {
    m_paper.AddText(m_line, m_line.isEmpty() ? m_attributes : m_lineAttributes);
    m_line.clear();
}

void CPrinterModel::SetBurnedStream(const QByteArray& stream) {
    m_burnedStream = stream;
    PrinterAttributes powerUp;
    QByteArray cmd;
    for (char c : stream) {
        if (cmd.isEmpty() && quint8(c) != 0x1B && quint8(c) != 0x0E && quint8(c) != 0x0F &&
            quint8(c) != 0x1C && quint8(c) != 0x1D)
            continue;
        cmd += c;
        const Parse r = ParseCommand(cmd, 0, false, powerUp);
        if (r != Parse::Incomplete)
            cmd.clear();
    }
    m_powerUp = powerUp;
}

void CPrinterModel::PowerCycle(qint64 now) {
    m_attributes = m_powerUp;
    m_passThrough = PassThrough{};
    m_cmd.clear();
    m_line.clear();
    m_out.clear();
    m_armed = m_programming = m_collecting = m_haveStream = m_downloadReady = false;
    m_downloadSlot = -1;
    m_poweredOn = now;
    for (CRadioModule* m : {m_bluetooth.get(), m_wlan.get()}) {
        if (m)
            m->PowerCycle();
    }
}
