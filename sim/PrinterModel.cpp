#include "PrinterModel.h"

#include <algorithm>

namespace {
const char CR = 0x0D;
const char LF = 0x0A;
const char FF = 0x0C;
const char TAB = 0x09;
const QByteArray kEndOfStream("\x1BST\xFF\r", 5);
const int kMaxCollected = 4096; // longest attribute stream the flash area takes
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
            m->SetAnswerOnlyOk(config.faults.moduleOnlyOk);
            m->SetUnitNumber(config.unitNumber);
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
    // A fault lifted while the printer runs (the tests clear it to see the program recover)
    // stops the noise, and the radio modules behave again.
    for (CRadioModule* m : {m_bluetooth.get(), m_wlan.get()}) {
        if (m) {
            m->SetIgnoreEscape(m_config.faults.moduleIgnoresEscape);
            m->SetAnswerWithoutOk(m_config.faults.moduleNoOk);
            m->SetAnswerOnlyOk(m_config.faults.moduleOnlyOk);
        }
    }
    if (m_config.faults.noiseIntervalMs <= 0 || m_config.faults.silent)
        m_nextNoise = -1;
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
        if (!PrinterCommand::StartsCommand(u)) {
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
    const PrinterCommand command = PrinterCommand::Recognise(cmd, m_config.BytesPerLine());
    switch (command.state) {
    case PrinterCommand::State::Incomplete:
        return Parse::Incomplete;
    case PrinterCommand::State::Invalid:
        return Parse::Invalid;
    case PrinterCommand::State::Done:
        break;
    }
    HandleCommand(command.kind, cmd, now, execute, t);
    return Parse::Done;
}

// Acts on one complete command. `execute` is false when a burned stream is replayed into
// the power-up attributes: only the attributes change then, nothing is answered or printed.
void CPrinterModel::HandleCommand(PrinterCommand::Kind kind, const QByteArray& cmd, qint64 now,
                                  bool execute, PrinterAttributes& t) {
    using Kind = PrinterCommand::Kind;
    auto at = [&](int i) { return quint8(cmd[i]); };
    const char sub = cmd.size() > 2 ? cmd[2] : '\0';
    switch (kind) {
    case Kind::DoubleWidth:
    case Kind::NormalWidth:
        t.doubleWidth = kind == Kind::DoubleWidth;
        return;
    case Kind::DoubleHeight:
    case Kind::NormalHeight:
        t.doubleHeight = kind == Kind::DoubleHeight;
        return;
    case Kind::BatteryQuery:
        if (execute)
            Schedule(now, m_config.supervisoryDelayMs, SupervisoryBattery(now));
        return;
    case Kind::BufferQuery:
        if (execute)
            Schedule(now, m_config.supervisoryDelayMs,
                     "\x1B"
                     "B" +
                         QByteArray::number(qlonglong(m_line.size()), 16).toUpper() + "\r\n");
        return;
    case Kind::Style:
        if (sub == 'U' || sub == 'u')
            t.underline = sub == 'U';
        else if (sub == 'R' || sub == 'n')
            t.reverse = sub == 'R';
        else if (sub == '1' || sub == '0')
            t.bold = sub == '1';
        return;
    case Kind::Direction:
        if (sub == 'R' || sub == 'L')
            t.rightToLeft = sub == 'R';
        else if (sub == '2' || sub == '1')
            t.pcLineDraw = sub == '2';
        return;
    case Kind::Font:
        if (sub >= '0' && sub <= '9')
            t.font = sub - '0';
        return;
    case Kind::LineSpacing:
        t.lineSpacing = at(2);
        return;
    case Kind::FormFeed:
        t.formFeed = at(3) | (at(4) << 8);
        return;
    case Kind::Tab:
        (sub == 'V' ? t.verticalTab : t.horizontalTab) = at(3);
        return;
    case Kind::Sensor:
        t.sensorSensitivity = at(3);
        return;
    case Kind::SleepTimer:
        t.sleepTimer = cmd.mid(2, cmd.indexOf(CR, 2) - 2);
        return;
    case Kind::LinePrintMode:
        t.linePrintMode = true;
        return;
    case Kind::CommandMode:
        // Command mode: a programming sequence starts afresh.
        if (execute)
            m_armed = m_programming = m_collecting = m_haveStream = false;
        return;
    case Kind::Arm:
        if (execute)
            m_armed = true;
        return;
    case Kind::ProgramStart:
        if (execute && m_armed) {
            m_programming = true;
            AnswerHandshake(now);
        }
        m_armed = false;
        return;
    case Kind::DownloadStart:
        if (execute && m_armed) {
            m_downloadReady = true;
            m_downloadSlot = -1;
            AnswerHandshake(now);
        }
        m_armed = false;
        return;
    case Kind::StreamStart:
        if (execute && m_programming) {
            m_collecting = true;
            m_collected.clear();
        }
        return;
    case Kind::Burn:
        if (execute && m_haveStream) {
            SetBurnedStream(m_collected);
            const SimFaults& f = m_config.faults;
            const QByteArray reply = f.noDx          ? QByteArray("ERR\r\n")
                                     : f.dxAfterZero ? QByteArray("OK\0D!X\r\n", 8)
                                                     : QByteArray("OK D!X\r\n");
            Schedule(now, f.dxDelayMs, reply);
            m_programming = m_haveStream = false;
        }
        return;
    case Kind::LogoSlot: {
        if (!execute)
            return;
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
        return;
    }
    case Kind::PrintSlot: {
        const quint8 s = at(3);
        if (execute && s >= '0' && s <= '7') {
            EndLine();
            for (const QByteArray& row : m_slots[size_t(s - '0')].rows)
                m_paper.AddBitmapRow(row);
        }
        return;
    }
    case Kind::RasterLine:
        if (execute) {
            const QByteArray row = cmd.mid(4, m_config.BytesPerLine());
            if (m_downloadSlot >= 0) {
                if (m_incoming.rows.size() < kMaxLogoRows)
                    m_incoming.rows.append(row);
            } else {
                m_paper.AddBitmapRow(row);
            }
        }
        return;
    case Kind::Firmware:
    case Kind::Model:
        if (execute) {
            const QByteArray text = kind == Kind::Firmware
                                        ? QByteArray("TARVO3 FW V2.07 2006-11-14\r\n")
                                        : "TARVO3-" + QByteArray::number(m_config.paperDots) +
                                              (m_bluetooth ? "-BT" : "") + (m_wlan ? "-WLAN" : "") +
                                              "\r\n";
            Schedule(now, m_config.supervisoryDelayMs, text);
        }
        return;
    case Kind::EndOfTransmission:
        t.sendEot = sub == '-';
        return;
    case Kind::Contrast:
        t.contrast = sub - '0';
        return;
    case Kind::PassThrough:
        if (execute)
            StartPassThrough(cmd.mid(2, cmd.indexOf(CR, 2) - 2), now);
        return;
    case Kind::CancelCardRead: // no magnetic card reader request is ever pending here
    case Kind::Other:
    case Kind::None:
        return;
    }
}

// Pass-through: ESC "P" <from UART> <to UART> "T" <three digits> CR relays UART0 to a module.
void CPrinterModel::StartPassThrough(const QByteArray& body, qint64 now) {
    if (body.size() != 8 || body[0] != 'U' || body[2] != 'U' || body[4] != 'T')
        return;
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
