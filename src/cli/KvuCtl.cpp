#include "KvuCtl.h"

#include "ConsoleServices.h"
#include "app/AppCore.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeForm.h"
#include "module1/AttributeProgrammer.h"
#include "module1/CommandBuffer.h"
#include "module1/Notation.h"
#include "text/CodePage.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringDecoder>
#include <QTextStream>
#include <cstdio>

namespace {
const char* const kUsage =
    "Usage: kvuctl COMMAND [ARGUMENTS] [OPTIONS]\n"
    "\n"
    "The KVU core from a terminal, for provisioning Tarvo3 printers by script.\n"
    "\n"
    "Commands:\n"
    "  export PROJECT.qpf [-o FILE]      Write the attribute programming file that the\n"
    "                                    Export button writes (default Attributes.prn).\n"
    "  configure PROJECT.qpf [--port P]  Send the project's attributes (ESC EN and the\n"
    "                                    attribute stream), as the Configure button.\n"
    "  burn PROJECT.qpf [--port P] [--yes]\n"
    "                                    Burn the attributes into the printer, as the Burn\n"
    "                                    button: about 20 s, each step printed with its time.\n"
    "                                    --yes goes on when the printer sends no '?'.\n"
    "  send TEXT [--port P]              Send the bytes that TEXT denotes in the command\n"
    "                                    notation (^[ is ESC, ^M is CR, \\x41 is 0x41).\n"
    "                                    TEXT that is valid UTF-8 is mapped to the\n"
    "                                    printer's code page (Windows-1252: the euro\n"
    "                                    sign is 80); any other bytes are sent as they are.\n"
    "  notation TEXT                     Print those bytes in hexadecimal; nothing is sent.\n"
    "  project show FILE                 Print a project's values.\n"
    "  project new FILE [--force]        Write a new, empty project.\n"
    "\n"
    "Options:\n"
    "  --port PORT     COM1 to COM20 (through KVU's port table) or a device path such as\n"
    "                  /dev/ttyUSB0. Default: the port KVU last used.\n"
    "  --baud RATE     1200, 2400, 9600, 14400, 19200, 38400, 57600 or 115200.\n"
    "                  Default: the rate KVU last used.\n"
    "  --yes           Answer Yes when the printer does not send '?' during a burn.\n"
    "  -o, --output F  The export file.\n"
    "  --force         Let 'project new' replace an existing file.\n"
    "  -h, --help      Show this help.\n"
    "  -v, --version   Show the version.\n"
    "\n"
    "Exit codes:\n"
    "  0  success (for burn: the printer answered D!X)\n"
    "  1  the printer did not confirm the burn, or it was not continued after no '?'\n"
    "  2  the command line is wrong\n"
    "  3  a project or output file cannot be read or written\n"
    "  4  the serial port cannot be opened or written\n";

// stdout and stderr, or the streams a caller gave.
class CConsoleOut {
public:
    explicit CConsoleOut(KvuCtlContext& c) : m_context(c) {
        if (!c.out)
            m_ownOut = std::make_unique<QTextStream>(stdout);
        if (!c.err)
            m_ownErr = std::make_unique<QTextStream>(stderr);
    }
    QTextStream& Out() { return m_context.out ? *m_context.out : *m_ownOut; }
    QTextStream& Err() { return m_context.err ? *m_context.err : *m_ownErr; }

private:
    KvuCtlContext& m_context;
    std::unique_ptr<QTextStream> m_ownOut, m_ownErr;
};

bool IsComName(const QString& port) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9]|1[0-9]|20)$"));
    return com.match(port).hasMatch();
}

// Values as they will be sent: a flag counts by its low byte, a number as the field reads
// it, a list index only when the list can show it. A stored value that differs is named.
QString YesNo(int flag) {
    QString text = (flag & 0xFF) ? QStringLiteral("checked") : QStringLiteral("-");
    if (flag != 0 && flag != 1)
        text += QStringLiteral(" (stored %1)").arg(flag);
    return text;
}
QString NumberText(int v) {
    return v == -1 ? QStringLiteral("blank") : QString::number(v);
}
QString SentNumberText(int sent, int stored) {
    QString text = NumberText(sent);
    if (sent != stored)
        text += QStringLiteral(" (stored %1)").arg(stored);
    return text;
}
QString ComboText(const char* prefix, int formIndex, int stored) {
    const int index = CAttributeForm::ComboIndexOrBlank(formIndex);
    QString text = index == 0 ? QStringLiteral("blank")
                              : QLatin1String(prefix) + QString::number(index - 1);
    if (index == 0 && stored != -1)
        text += QStringLiteral(" (stored %1, not in the list)").arg(stored);
    return text;
}
// Texts from the file may hold control bytes: shown in the notation, never obeyed.
QString Quoted(const QString& s) {
    return QLatin1Char('"') + Notation::VisibleForm(s) + QLatin1Char('"');
}

void ShowProject(const CKVUDoc& d, QTextStream& out) {
    const struct {
        const char* name;
        int value;
    } checks[] = {
        {"Underline", d.m_bUnderline},
        {"No Underline", d.m_bNoUnderline},
        {"Bold", d.m_bBold},
        {"No Bold", d.m_bNoBold},
        {"White on Black", d.m_bWhiteOnBlack},
        {"Black on White", d.m_bBlackOnWhite},
        {"Double Width", d.m_bDoubleWidth},
        {"Normal Width", d.m_bNormalWidth},
        {"Double Height", d.m_bDoubleHeight},
        {"Normal Height", d.m_bNormalHeight},
        {"Send EOT", d.m_bSendEot},
        {"Don't send EOT", d.m_bNoSendEot},
        {"Right-to-Left", d.m_bRightToLeft},
        {"Left-to-Right", d.m_bLeftToRight},
        {"PC Line Draw", d.m_bPcLineDraw},
        {"International", d.m_bInternational},
        {"Line Print Mode", d.m_bLinePrint},
    };
    auto row = [&out](const QString& name, const QString& value) {
        out << name.leftJustified(20) << ' ' << value << '\n';
    };
    CAttributeForm form;
    form.FromDocument(d);
    for (const auto& c : checks)
        row(QLatin1String(c.name), YesNo(c.value));
    row(QStringLiteral("Font"), ComboText("K", form.m_nFont, d.m_nFont));
    row(QStringLiteral("Contrast"), ComboText("", form.m_nContrast, d.m_nContrast));
    const struct {
        const char* name;
        CAttributeForm::Field field;
        int stored;
    } numbers[] = {
        {"Line Spacing", CAttributeForm::LineSpacing, d.m_nLineSpacing},
        {"Form Feed", CAttributeForm::FormFeed, d.m_nFormFeed},
        {"Vertical Tab", CAttributeForm::VerticalTab, d.m_nVerticalTab},
        {"Horizontal tab", CAttributeForm::HorizontalTab, d.m_nHorizontalTab},
        {"Sensor Sensitivity", CAttributeForm::SensorSensitivity, d.m_nSensorSensitivity},
    };
    for (const auto& n : numbers)
        row(QLatin1String(n.name), SentNumberText(form.Number(n.field), n.stored));
    row(QStringLiteral("Sleep Timer"),
        QStringLiteral("%1 h %2 min %3 s")
            .arg(SentNumberText(form.Number(CAttributeForm::SleepHours), d.m_nSleepHours),
                 SentNumberText(form.Number(CAttributeForm::SleepMinutes), d.m_nSleepMinutes),
                 SentNumberText(form.Number(CAttributeForm::SleepSeconds), d.m_nSleepSeconds)));
    row(QStringLiteral("Test Message"), Quoted(d.m_strTestMessage));
    for (int i = 0; i < CKVUDoc::kMacroCount; ++i)
        row(QStringLiteral("Macro %1").arg(i + 1), Quoted(d.m_strMacroCaption[size_t(i)]) +
                                                       QStringLiteral(": ") +
                                                       Quoted(d.m_strMacroText[size_t(i)]));
    for (int i = 0; i < CKVUDoc::kSendFileCount; ++i)
        row(QStringLiteral("Send file %1").arg(i + 1), Quoted(d.m_strSendFile[size_t(i)]));
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);
    row(QStringLiteral("Attribute stream"),
        stream.GetSize() ? QString::fromLatin1(stream.Bytes().toHex(' ').toUpper())
                         : QStringLiteral("(empty)"));
}
} // namespace

QString KvuCtlArgument(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(raw);
    return utf8.hasError() ? CodePage::FromBytes(raw) : text;
}

int RunKvuCtl(const QStringList& arguments, KvuCtlContext context) {
    CConsoleOut io(context);
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("port"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("rate"));
    const QCommandLineOption yes(QStringLiteral("yes"), QString());
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("file"));
    parser.addOptions({help, version, port, baud, yes, force, output});
    auto usageError = [&](const QString& text) {
        io.Err() << "kvuctl: " << text << " (see kvuctl --help)\n";
        io.Err().flush();
        return KvuCtlExit::Usage;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        io.Out() << kUsage;
        return KvuCtlExit::Ok;
    }
    if (parser.isSet(version)) {
        io.Out() << "kvuctl 1.20\n";
        return KvuCtlExit::Ok;
    }
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        io.Err() << kUsage;
        return KvuCtlExit::Usage;
    }
    const QString command = args.first();

    auto needArgs = [&](int count, const char* what) {
        return args.size() == count + 1
                   ? QString()
                   : QStringLiteral("'%1' takes %2").arg(command, QLatin1String(what));
    };
    auto loadProject = [&](const QString& path, CKVUDoc& doc) {
        QString detail;
        const CProjectFile::Result r = CProjectFile::Load(path, doc, &detail);
        if (r != CProjectFile::Result::Ok) {
            io.Err() << "kvuctl: " << path << ": " << CProjectFile::Message(r)
                     << (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail))
                     << '\n';
            return false;
        }
        return true;
    };

    if (command == QLatin1String("notation")) {
        if (const QString e = needArgs(1, "one TEXT"); !e.isEmpty())
            return usageError(e);
        io.Out() << Notation::Parse(args[1]).toHex(' ').toUpper() << '\n';
        return KvuCtlExit::Ok;
    }

    if (command == QLatin1String("project")) {
        if (args.size() != 3 ||
            (args[1] != QLatin1String("show") && args[1] != QLatin1String("new")))
            return usageError(QStringLiteral("use 'project show FILE' or 'project new FILE'"));
        CKVUDoc doc;
        if (args[1] == QLatin1String("show")) {
            if (!loadProject(args[2], doc))
                return KvuCtlExit::FileError;
            ShowProject(doc, io.Out());
            return KvuCtlExit::Ok;
        }
        if (QFileInfo::exists(args[2]) && !parser.isSet(force)) {
            io.Err() << "kvuctl: " << args[2] << " exists (use --force to replace it)\n";
            return KvuCtlExit::FileError;
        }
        QString detail;
        if (CProjectFile::Save(args[2], doc, &detail) != CProjectFile::Result::Ok) {
            io.Err() << "kvuctl: " << args[2] << ": Failed to save document. (" << detail << ")\n";
            return KvuCtlExit::FileError;
        }
        return KvuCtlExit::Ok;
    }

    if (command == QLatin1String("export")) {
        if (const QString e = needArgs(1, "one PROJECT file"); !e.isEmpty())
            return usageError(e);
        CKVUDoc doc;
        if (!loadProject(args[1], doc))
            return KvuCtlExit::FileError;
        CAttributeForm form;
        form.FromDocument(doc);
        const QString target =
            parser.isSet(output) ? parser.value(output) : QStringLiteral("Attributes.prn");
        QString detail;
        if (!CAttributeProgrammer::WriteExportFile(target, CAttributeProgrammer::ExportBytes(form),
                                                   &detail)) {
            io.Err() << "kvuctl: " << target << ": Failed to open a file for write. (" << detail
                     << ")\n";
            return KvuCtlExit::FileError;
        }
        return KvuCtlExit::Ok;
    }

    const bool linkCommand = command == QLatin1String("configure") ||
                             command == QLatin1String("burn") || command == QLatin1String("send");
    if (!linkCommand)
        return usageError(QStringLiteral("unknown command '%1'").arg(command));
    if (const QString e =
            needArgs(1, command == QLatin1String("send") ? "one TEXT" : "one PROJECT file");
        !e.isEmpty())
        return usageError(e);

    // The link as KVU would open it: the user's port table and last port and rate.
    CAppCore core;
    std::unique_ptr<QSettings> ownSettings;
    QSettings* settings = context.settings;
    if (!settings) {
        ownSettings = CAppCore::OpenUserSettings();
        settings = ownSettings.get();
    }
    core.LoadSettings(*settings);
    if (parser.isSet(port)) {
        const QString p = parser.value(port);
        if (IsComName(p)) {
            core.m_serial.SetPortName(p);
        } else if (p.contains(QLatin1Char('/')) || p.contains(QLatin1Char('\\'))) {
            core.m_ports.SetSessionDevice(QStringLiteral("COM1"), p);
            core.m_serial.SetPortName(QStringLiteral("COM1"));
        } else {
            return usageError(QStringLiteral("--port takes COM1 to COM20 or a device path"));
        }
    }
    if (parser.isSet(baud)) {
        const QString rate = parser.value(baud);
        bool known = false;
        for (const auto& row : CSerialPort::kBaudTable)
            known |= rate == QLatin1String(row.text);
        if (!known)
            return usageError(QStringLiteral("--baud takes 1200, 2400, 9600, 14400, 19200, "
                                             "38400, 57600 or 115200"));
        core.m_serial.SetBaudRateText(rate);
    }
    std::unique_ptr<IUiServices> services =
        context.makeServices ? context.makeServices(parser.isSet(yes))
                             : std::make_unique<CConsoleServices>(parser.isSet(yes));
    core.SetServices(services.get());
    io.Err() << "kvuctl: " << core.m_serial.GetPortName() << " (" << core.m_serial.DeviceName()
             << ") at " << core.m_serial.GetBaudRateText() << " bit/s\n";
    io.Err().flush();

    if (command == QLatin1String("send")) {
        CCommandBuffer buffer;
        buffer.ParseNotation(args[1]);
        return buffer.Send(core.m_serial) ? KvuCtlExit::Ok : KvuCtlExit::LinkError;
    }
    CKVUDoc doc;
    if (!loadProject(args[1], doc))
        return KvuCtlExit::FileError;
    CAttributeForm form;
    form.FromDocument(doc);
    CAttributeProgrammer programmer(core.m_serial, *services);
    if (command == QLatin1String("configure"))
        return programmer.Configure(form) ? KvuCtlExit::Ok : KvuCtlExit::LinkError;
    switch (programmer.Burn(form)) {
    case CAttributeProgrammer::BurnResult::Confirmed:
        return KvuCtlExit::Ok;
    case CAttributeProgrammer::BurnResult::OpenFailed:
    case CAttributeProgrammer::BurnResult::WriteFailed:
        return KvuCtlExit::LinkError;
    default:
        return KvuCtlExit::NotConfirmed;
    }
}
