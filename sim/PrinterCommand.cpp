#include "PrinterCommand.h"

namespace {
const char CR = 0x0D;
using Kind = PrinterCommand::Kind;
using State = PrinterCommand::State;

PrinterCommand Make(State state, Kind kind = Kind::None) {
    PrinterCommand c;
    c.state = state;
    c.kind = kind;
    return c;
}
PrinterCommand Done(Kind kind) {
    return Make(State::Done, kind);
}
PrinterCommand Incomplete() {
    return Make(State::Incomplete);
}
PrinterCommand Invalid() {
    return Make(State::Invalid);
}
// A command that ends at a CR: incomplete until it comes, invalid once it is too long.
PrinterCommand UntilCr(const QByteArray& cmd, Kind kind, int longest) {
    if (cmd.indexOf(CR, 2) >= 0)
        return Done(kind);
    return cmd.size() > longest ? Invalid() : Incomplete();
}
} // namespace

bool PrinterCommand::StartsCommand(quint8 u) {
    return u == 0x1B || u == kCtrlV || u == kCtrlB || u == 0x0E || u == 0x0F || u == 0x1C ||
           u == 0x1D;
}

PrinterCommand PrinterCommand::Recognise(const QByteArray& cmd, int bytesPerLine) {
    const int n = int(cmd.size());
    if (n == 0)
        return Incomplete();
    auto at = [&](int i) { return quint8(cmd[i]); };
    switch (at(0)) {
    case 0x0E:
        return Done(Kind::DoubleWidth);
    case 0x0F:
        return Done(Kind::NormalWidth);
    case 0x1C:
        return Done(Kind::DoubleHeight);
    case 0x1D:
        return Done(Kind::NormalHeight);
    case kCtrlV:
        return Done(Kind::BatteryQuery);
    case kCtrlB:
        return Done(Kind::BufferQuery);
    case 0x1B:
        break;
    default:
        return Invalid();
    }
    if (n < 2)
        return Incomplete();
    const char kind = cmd[1];
    if (kind == 'C')
        return Done(Kind::CancelCardRead);
    // An escape sequence the printer does not know is the two bytes: waiting for a third
    // would swallow the command after it (ESC @ then CTRL-V left the query unanswered).
    static const QByteArray kLonger("UFkaTQMEXDSLVP");
    if (!kLonger.contains(kind))
        return Done(Kind::Other);
    if (n < 3)
        return Incomplete();
    const char sub = cmd[2];
    switch (kind) {
    case 'U':
        return Done(Kind::Style);
    case 'F':
        return Done(Kind::Direction);
    case 'k':
        return Done(Kind::Font);
    case 'a':
        return Done(Kind::LineSpacing);
    case 'T':
        if (sub == 'F')
            return n < 5 ? Incomplete() : Done(Kind::FormFeed);
        if (sub == 'V' || sub == 'H')
            return n < 4 ? Incomplete() : Done(Kind::Tab);
        return Done(Kind::Other);
    case 'Q':
        if (sub == 'Q')
            return n < 4 ? Incomplete() : Done(Kind::Sensor);
        return Done(Kind::Other);
    case 'M':
        return UntilCr(cmd, Kind::SleepTimer, kMaxSleepCommand);
    case 'E':
        return Done(sub == 'O'   ? Kind::LinePrintMode
                    : sub == 'N' ? Kind::CommandMode
                                 : Kind::Other);
    case 'X':
        return Done(sub == 'X' ? Kind::Arm : Kind::Other);
    case 'D':
        if (sub == 'S')
            return Done(Kind::ProgramStart);
        if (sub == 'L') {
            if (n < 4)
                return Incomplete();
            return cmd[3] == CR ? Done(Kind::DownloadStart) : Invalid();
        }
        return Done(Kind::Other);
    case 'S':
        if (sub == 'L')
            return Done(Kind::StreamStart);
        if (sub == 'B')
            return n < 4 ? Incomplete() : Done(Kind::Burn);
        if (sub == 'T' && n < 5)
            return Incomplete();
        return Done(Kind::Other);
    case 'L':
        if (sub == 'G') {
            if (n < 5)
                return Incomplete();
            return cmd[4] == CR ? Done(Kind::LogoSlot) : Invalid();
        }
        if (sub == 'g')
            return n < 4 ? Incomplete() : Done(Kind::PrintSlot);
        return Done(Kind::Other);
    case 'V':
        if (n < 4)
            return Incomplete();
        if (at(2) != 0x01 || at(3) != 0x00)
            return Invalid();
        return n < 4 + bytesPerLine ? Incomplete() : Done(Kind::RasterLine);
    case 'P':
        if (sub == '(')
            return Done(Kind::Firmware);
        if (sub == ')')
            return Done(Kind::Model);
        if (sub == '-' || sub == '+')
            return Done(Kind::EndOfTransmission);
        if (sub >= '0' && sub <= '9')
            return Done(Kind::Contrast);
        return UntilCr(cmd, Kind::PassThrough, kMaxShortCommand);
    default:
        return Done(Kind::Other);
    }
}
