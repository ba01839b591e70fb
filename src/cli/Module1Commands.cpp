// kvuctl commands of the Custom Attributes module: export, configure, burn, send, notation.

#include "CliCommand.h"
#include "CliRun.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "module1/CommandBuffer.h"
#include "module1/Notation.h"

namespace {
const QString kPort = QStringLiteral("port");
const QString kBaud = QStringLiteral("baud");

int RunNotation(CCliRun& run) {
    run.Out() << Notation::Parse(run.Argument(0)).toHex(' ').toUpper() << '\n';
    return KvuCtlExit::Ok;
}

int RunExport(CCliRun& run) {
    CAttributeForm form;
    if (!run.LoadForm(run.Argument(0), form))
        return KvuCtlExit::FileError;
    const QString target = run.IsSet(QStringLiteral("output")) ? run.Value(QStringLiteral("output"))
                                                               : QStringLiteral("Attributes.prn");
    QString detail;
    const QByteArray bytes = CAttributeProgrammer::ExportBytes(form);
    if (run.IsStdout(target)) {
        if (!run.WriteStdout(bytes, &detail)) {
            run.FileError(QStringLiteral("standard output"),
                          QStringLiteral("Failed to open a file for write."), detail);
            return KvuCtlExit::FileError;
        }
        return KvuCtlExit::Ok;
    }
    if (!CAttributeProgrammer::WriteExportFile(target, bytes, &detail)) {
        run.FileError(target, QStringLiteral("Failed to open a file for write."), detail);
        return KvuCtlExit::FileError;
    }
    return KvuCtlExit::Ok;
}

int RunSend(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CCommandBuffer buffer;
    buffer.ParseNotation(run.Argument(0));
    return buffer.Send(run.Link()) ? KvuCtlExit::Ok : KvuCtlExit::LinkError;
}

int RunConfigure(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CAttributeForm form;
    if (!run.LoadForm(run.Argument(0), form))
        return KvuCtlExit::FileError;
    return CAttributeProgrammer(run.Link(), run.Services()).Configure(form) ? KvuCtlExit::Ok
                                                                            : KvuCtlExit::LinkError;
}

int RunBurn(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    CAttributeForm form;
    if (!run.LoadForm(run.Argument(0), form))
        return KvuCtlExit::FileError;
    switch (CAttributeProgrammer(run.Link(), run.Services()).Burn(form)) {
    case CAttributeProgrammer::BurnResult::Confirmed:
        return KvuCtlExit::Ok;
    case CAttributeProgrammer::BurnResult::OpenFailed:
    case CAttributeProgrammer::BurnResult::WriteFailed:
        return KvuCtlExit::LinkError;
    default:
        return KvuCtlExit::NotConfirmed;
    }
}
} // namespace

std::vector<CCliCommand> Module1Commands() {
    const QString linkHelp = CCliRun::LinkHelp();
    std::vector<CCliCommand> rows = {
        {QStringLiteral("export"),
         QStringLiteral("PROJECT.qpf [-o FILE]"),
         QStringLiteral("Write the attribute programming file that the\n"
                        "Export button writes (default Attributes.prn)."),
         QStringLiteral(
             "Writes ESC EN, ESC XX, ESC DS, ESC SL, the attribute stream, ESC ST 0xFF CR\n"
             "and ESC SB CR to FILE. The old file is replaced only when all was written;\n"
             "what is not a regular file is never replaced. FILE - (or /dev/stdout) writes\n"
             "to standard output, a pipe too.\n"),
         {QStringLiteral("output")},
         1,
         RunExport,
         {QStringLiteral("kvuctl export shop.qpf"),
          QStringLiteral("kvuctl export shop.qpf -o /tmp/shop.prn"),
          QStringLiteral("kvuctl export shop.qpf -o -")}},
        {QStringLiteral("configure"),
         QStringLiteral("PROJECT.qpf [--port P...]"),
         QStringLiteral("Send the project's attributes (ESC EN and the\n"
                        "attribute stream), as the Configure button."),
         QStringLiteral("Sends ESC EN and the attribute stream in one write.\n") + linkHelp,
         {kPort, kBaud},
         1,
         RunConfigure,
         {QStringLiteral("kvuctl configure shop.qpf --port COM2")}},
        {QStringLiteral("burn"),
         QStringLiteral("PROJECT.qpf [--port P...] [--yes]"),
         QStringLiteral("Burn the attributes into the printer, as the Burn\n"
                        "button: about 20 s, each step printed with its time.\n"
                        "--yes goes on when the printer sends no '?'."),
         QStringLiteral("Runs the burn sequence with its pauses and waits for the printer's D!X.\n"
                        "Exit 0 when it came, 1 when it did not (or the burn was not continued\n"
                        "after no '?'; --yes goes on), 4 when the port failed.\n") +
             linkHelp,
         {kPort, kBaud, QStringLiteral("yes")},
         1,
         RunBurn,
         {QStringLiteral("kvuctl burn shop.qpf --port /dev/ttyUSB0 --baud 38400"),
          QStringLiteral("kvuctl burn shop.qpf --yes")}},
        {QStringLiteral("send"),
         QStringLiteral("TEXT [--port P...]"),
         QStringLiteral("Send the bytes that TEXT denotes in the command\n"
                        "notation (^[ is ESC, ^M is CR, \\x41 is 0x41).\n"
                        "TEXT that is valid UTF-8 is mapped to the\n"
                        "printer's code page (Windows-1252: the euro\n"
                        "sign is 80); any other bytes are sent as they are."),
         QStringLiteral("Sends the bytes TEXT denotes, as Try does with the Test Message.\n") +
             linkHelp,
         {kPort, kBaud},
         1,
         RunSend,
         {QStringLiteral("kvuctl send '^[U1Bold text^M^J' --port COM1"),
          QStringLiteral("kvuctl send '\\x1b\\x55\\x30'")}},
        {QStringLiteral("notation"),
         QStringLiteral("TEXT"),
         QStringLiteral("Print those bytes in hexadecimal; nothing is sent."),
         QStringLiteral("Prints the bytes TEXT denotes in the command notation, in hexadecimal.\n"),
         {},
         1,
         RunNotation,
         {QStringLiteral("kvuctl notation '^[SL^M'")}},
    };
    for (CCliCommand& row : rows) {
        if (row.name == QLatin1String("configure") || row.name == QLatin1String("burn"))
            CCliRun::AllowManyPorts(row, row.name == QLatin1String("burn")
                                             ? QStringLiteral("burn site.qpf --yes")
                                             : QStringLiteral("configure site.qpf"));
        else if (row.name == QLatin1String("send"))
            CCliRun::AllowManyPorts(row, QStringLiteral("send '^[@'"));
    }
    return rows;
}
