// kvuctl commands of the radio modules: bt read|write and wlan read|write, on the same
// forms and exchange as the Bluetooth and WLAN pages.

#include "CliCommand.h"
#include "CliRun.h"
#include "module1/Notation.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"
#include "wireless/FormField.h"
#include "wireless/WlanForm.h"

#include "KvuCtl.h"
#include <QCommandLineOption>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {
const QString kJson = QStringLiteral("json");
const QString kVerify = QStringLiteral("verify");
const QString kDefaults = QStringLiteral("defaults");
// The longest secret file taken: a PIN or key is far shorter.
const qint64 kSecretFileLimit = 4096;

template <class Form> using Rows = RadioSettings::Rows<Form>;
template <class Form> using Setting = TRadioSetting<Form>;

// The settings' option, JSON and printed key: "active_key" is --active-key.
QString OptionOf(const char* key) {
    return QString::fromLatin1(key).replace(QLatin1Char('_'), QLatin1Char('-'));
}
// The group of a form's commands, and of its secrets' environment variable.
QString GroupOf(const CBluetoothForm*) {
    return QStringLiteral("bt");
}
QString GroupOf(const CWlanForm*) {
    return QStringLiteral("wlan");
}
template <class Form> QString Group() {
    return GroupOf(static_cast<const Form*>(nullptr));
}
// A secret's own options and variable: --pin, --pin-file, KVU_BT_PIN.
QString FileOption(const QString& option) {
    return option + QStringLiteral("-file");
}
template <class Form> QString Variable(const Setting<Form>& row) {
    return QStringLiteral("KVU_%1_%2").arg(Group<Form>(), QLatin1String(row.key)).toUpper();
}

QStringList ComboItemsOf(const CBluetoothForm*, int) {
    return {};
}
QStringList ComboItemsOf(const CWlanForm*, int id) {
    return CWlanForm::ComboItems(id);
}

// An option's value as --help, the manual page and completion show it.
template <class Form> QString ValueName(const Setting<Form>& row) {
    if (row.value)
        return QLatin1String(row.value);
    const auto& field = RadioSettings::FieldOf(row);
    QStringList values;
    if (row.json == JsonAs::Choice) {
        for (int i = 0; i < RadioSettings::Choices(row).size(); ++i)
            values << QString::number(row.firstChoice + i);
    } else if (field.kind == FieldKind::Check) {
        values << QStringLiteral("0") << QStringLiteral("1");
    } else if (field.kind == FieldKind::Combo) {
        // A short list of numbers is worth offering; a long one is a number.
        values = ComboItemsOf(static_cast<const Form*>(nullptr), row.fieldId);
        if (values.size() > 5)
            values.clear();
    }
    if (!values.isEmpty())
        return values.join(QLatin1Char('|'));
    return row.json == JsonAs::Number ? QStringLiteral("N") : QStringLiteral("T");
}

// The connection options of all four commands, with the page's own checks.
template <class Form> std::vector<std::pair<const char*, int>> ConnectionOptions() {
    return {{"from", Form::IdPassThruFrom},          {"to", Form::IdPassThruTo},
            {"timeout", Form::IdPassThruTimeout},    {"escape", Form::IdEscapeChar},
            {"guard-before", Form::IdSilenceBefore}, {"guard-after", Form::IdSilenceAfter}};
}

// Takes one typed value into its field through the page's range check; a radio group or
// check box takes its index, 0 to the last. False after saying what is wrong.
template <class Form>
bool TakeValue(CCliRun& run, Form& form, const typename Form::Field& field, const QString& option,
               const QString& value) {
    if (field.kind == FieldKind::Radio || field.kind == FieldKind::Check) {
        int index = -1;
        if (!FormField::ParseInteger(value, &index) || index < 0 || index > field.max) {
            run.UsageError(QStringLiteral("--%1 takes 0 to %2").arg(option).arg(field.max));
            return false;
        }
        form.*(field.number) = index;
        return true;
    }
    QString message;
    if (!FormField::Take(form, field, value, &message)) {
        run.UsageError(QStringLiteral("--%1: %2").arg(option, message));
        return false;
    }
    return true;
}

template <class Form> bool TakeConnection(CCliRun& run, Form& form) {
    for (const auto& [option, id] : ConnectionOptions<Form>()) {
        const QString name = QLatin1String(option);
        if (run.IsSet(name) && !TakeValue(run, form, *Form::FindField(id), name, run.Value(name)))
            return false;
    }
    return true;
}

// A secret read from a file or standard input ("-"): its one line, without the line end.
int ReadSecretFile(CCliRun& run, const QString& option, const QString& path, QString* secret) {
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        run.FileError(path, QStringLiteral("cannot be read"), file.errorString());
        return KvuCtlExit::FileError;
    }
    QByteArray bytes = file.read(kSecretFileLimit + 1);
    const QString name = path == QLatin1String("-") ? QStringLiteral("standard input") : path;
    if (bytes.size() > kSecretFileLimit)
        return run.UsageError(QStringLiteral("--%1: %2 holds more than %3 bytes")
                                  .arg(FileOption(option), name)
                                  .arg(kSecretFileLimit));
    // The line end an editor or echo leaves is not part of the secret.
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.contains('\n') || bytes.contains('\r'))
        return run.UsageError(
            QStringLiteral("--%1: %2 holds more than one line").arg(FileOption(option), name));
    if (bytes.isEmpty())
        return run.UsageError(QStringLiteral("--%1: %2 is empty").arg(FileOption(option), name));
    *secret = KvuCtlArgument(bytes);
    return KvuCtlExit::Ok;
}

// The settings given, by option: on the command line, and a secret also from its file or
// its environment variable (the command line first). Read once, so that standard input
// is read once.
template <class Form> int GivenSettings(CCliRun& run, QMap<QString, QString>* given) {
    for (const auto& row : Form::Settings()) {
        if (row.write == WriteAs::Never)
            continue;
        const QString option = OptionOf(row.key);
        if (!row.secret) {
            if (run.IsSet(option))
                given->insert(option, run.Value(option));
            continue;
        }
        const QString file = FileOption(option);
        if (run.IsSet(option) && run.IsSet(file))
            return run.UsageError(QStringLiteral("give --%1 or --%2, not both").arg(option, file));
        if (run.IsSet(option)) {
            given->insert(option, run.Value(option));
        } else if (run.IsSet(file)) {
            QString secret;
            if (const int rc = ReadSecretFile(run, option, run.Value(file), &secret);
                rc != KvuCtlExit::Ok)
                return rc;
            given->insert(option, secret);
        } else if (const QString variable = Variable<Form>(row);
                   !qEnvironmentVariable(qPrintable(variable)).isEmpty()) {
            given->insert(option, qEnvironmentVariable(qPrintable(variable)));
            run.Err() << "kvuctl: --" << option << " taken from " << variable << '\n';
        }
    }
    return KvuCtlExit::Ok;
}

template <class Form>
bool TakeSettings(CCliRun& run, Form& form, const QMap<QString, QString>& given) {
    for (const auto& row : Form::Settings()) {
        const QString option = OptionOf(row.key);
        if (given.contains(option) &&
            !TakeValue(run, form, RadioSettings::FieldOf(row), option, given.value(option)))
            return false;
    }
    return true;
}

int LinkExit(const CAtExchange::Result& result) {
    switch (result.outcome) {
    case CAtExchange::Outcome::OpenFailed:
    case CAtExchange::Outcome::WriteFailed:
        return KvuCtlExit::LinkError;
    case CAtExchange::Outcome::Refused:
        return KvuCtlExit::Usage;
    case CAtExchange::Outcome::Interrupted:
        return KvuCtlExit::Interrupted;
    case CAtExchange::Outcome::Completed:
        break;
    }
    return KvuCtlExit::Ok;
}

// A module's text on one line that the terminal shows and never obeys.
QString Shown(const QString& text) {
    return Notation::VisibleForm(text);
}

// The settings a Read prints, in the page's order: all that are read back.
template <class Form> Rows<Form> Printed() {
    Rows<Form> printed;
    for (const auto& row : Form::Settings()) {
        if (row.read != ReadAs::Never)
            printed.push_back(row);
    }
    return printed;
}

// The keys of the printed settings that a command in `commands` carries.
template <class Form> QStringList KeysOf(const QStringList& commands) {
    QStringList keys;
    for (const auto& row : Printed<Form>()) {
        if (commands.contains(QLatin1String(row.command)))
            keys << QLatin1String(row.key);
    }
    return keys;
}

// Says on stderr which settings a Read part got no usable answer for; false then.
template <class Form>
bool AllAnswered(CCliRun& run, const CAtExchange::Result& result, const QStringList& queries,
                 const char* consequence) {
    QStringList missing;
    for (const QString& q : queries) {
        if (!result.taken.answered.contains(q))
            missing << q;
    }
    if (missing.isEmpty())
        return true;
    run.Err() << "kvuctl: no usable answer from the module for: "
              << KeysOf<Form>(missing).join(QLatin1Char(' ')) << consequence << '\n';
    return false;
}

// A Read into `form`; the result names the settings the reply gave.
template <class Form> CAtExchange::Result ReadInto(CCliRun& run, Form& form) {
    CAtExchange exchange(run.Link(), run.Services(), form);
    return exchange.Read(form);
}

// One printed setting as JSON: see the manual page's bt and wlan paragraphs.
template <class Form> QJsonValue JsonOf(const Form& form, const Setting<Form>& row) {
    const auto& field = RadioSettings::FieldOf(row);
    const QString text = RadioSettings::Shown(form, row);
    int number = 0;
    switch (row.json) {
    case JsonAs::Text:
        break;
    case JsonAs::Number:
        // A module may hold a text that is no number in a combo that lists numbers.
        if (FormField::ParseInteger(text, &number))
            return number;
        break;
    case JsonAs::Flag:
        return form.*(field.number) != 0;
    case JsonAs::Choice: {
        QJsonValue value;
        if (field.number)
            number = form.*(field.number);
        else
            number = AtReply::FirstDigit(text);
        if (field.number || number >= 0)
            value = number;
        else
            value = text; // a character that is no digit
        const QStringList choices = RadioSettings::Choices(row);
        const int index = number - row.firstChoice;
        const bool named = value.isDouble() && index >= 0 && index < choices.size();
        return QJsonObject{{QStringLiteral("value"), value},
                           {QStringLiteral("text"),
                            named ? QJsonValue(choices[index]) : QJsonValue(QJsonValue::Null)}};
    }
    }
    return text;
}

// What bt read and wlan read print with --json, from the same rows as JsonOf: the manual
// page lists it and the JSON test checks the output against it. A setting the reply did not
// give is null.
template <class Form> CJsonShape JsonShapeOf() {
    CJsonShape shape;
    for (const auto& row : Printed<Form>()) {
        const QString key = QLatin1String(row.key);
        const QString label = QLatin1String(row.label);
        switch (row.json) {
        case JsonAs::Text:
            shape.append({key, QStringLiteral("string|null"), label});
            break;
        case JsonAs::Number:
            shape.append({key, QStringLiteral("integer|string|null"),
                          label + QStringLiteral(" (a text that is no number stays a string)")});
            break;
        case JsonAs::Flag:
            shape.append({key, QStringLiteral("boolean|null"), label});
            break;
        case JsonAs::Choice:
            shape.append({key, QStringLiteral("object|null"), label});
            shape.append({key + QStringLiteral(".value"), QStringLiteral("integer|string"),
                          QStringLiteral("its number on the page")});
            shape.append({key + QStringLiteral(".text"), QStringLiteral("string|null"),
                          QStringLiteral("the page's text for it; null when it names none")});
            break;
        }
    }
    return shape;
}

template <class Form> int RunRead(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    Form form;
    form.InitDialog();
    form.Clear();
    if (!TakeConnection(run, form))
        return KvuCtlExit::Usage;
    const CAtExchange::Result result = ReadInto(run, form);
    if (const int rc = LinkExit(result); rc != KvuCtlExit::Ok)
        return rc;
    const QStringList& given = result.taken.given;
    if (run.IsSet(kJson)) {
        QJsonObject object;
        for (const auto& row : Printed<Form>()) {
            const QString key = QLatin1String(row.key);
            object.insert(key,
                          given.contains(key) ? JsonOf(form, row) : QJsonValue(QJsonValue::Null));
        }
        run.Out() << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        // The module's texts may hold control bytes: shown, never obeyed, one per line.
        for (const auto& row : Printed<Form>()) {
            const QString key = QLatin1String(row.key);
            run.Out() << key << '='
                      << (given.contains(key) ? Shown(RadioSettings::Shown(form, row)) : QString())
                      << '\n';
        }
    }
    const bool answered = AllAnswered<Form>(run, result, Form::Queries(), " (printed empty)");
    return result.ok && answered ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
}

// Compares what was written with what reads back, for the printed settings in `keys`.
// A secret that differs is named, never shown.
template <class Form> int Verify(CCliRun& run, const Form& form, const QStringList& keys) {
    Form back = form;
    back.Clear();
    const CAtExchange::Result read = ReadInto(run, back);
    if (const int rc = LinkExit(read); rc != KvuCtlExit::Ok)
        return rc;
    int differing = 0;
    for (const auto& row : Printed<Form>()) {
        const QString key = QLatin1String(row.key);
        if (!keys.contains(key))
            continue;
        const QString wrote = RadioSettings::Shown(form, row);
        const QString got =
            read.taken.given.contains(key) ? RadioSettings::Shown(back, row) : QString();
        if (wrote == got)
            continue;
        ++differing;
        if (row.secret)
            run.Err() << "kvuctl: verify: " << key << " reads back differently (not shown)\n";
        else
            run.Err() << "kvuctl: verify: " << key << " reads back \"" << Shown(got)
                      << "\", wrote \"" << Shown(wrote) << "\"\n";
    }
    return differing == 0 && read.ok ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
}

template <class Form> int RunWrite(CCliRun& run) {
    // The secrets' files are read before the port is opened.
    QMap<QString, QString> given;
    if (const int rc = GivenSettings<Form>(run, &given); rc != KvuCtlExit::Ok)
        return rc;
    run.Err().flush();
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    // What the page shows when it opens, then the settings given: checked here, before
    // anything is sent, and taken again over what the module answers.
    Form form;
    form.InitDialog();
    if (!TakeConnection(run, form) || !TakeSettings(run, form, given))
        return KvuCtlExit::Usage;
    const bool defaults = run.IsSet(kDefaults);

    // The commands that carry a given setting, and what must be read for the rest of
    // their arguments. A command that is never read back (the key) writes the page's
    // value of an argument not given.
    const Rows<Form>& rows = Form::Settings();
    const QStringList read = RadioSettings::Commands(rows, true);
    QStringList touched, queries;
    for (const QString& command : RadioSettings::Commands(rows, false)) {
        const Rows<Form> of = RadioSettings::RowsOf(rows, command);
        int count = 0;
        for (const auto& row : of)
            count += given.contains(OptionOf(row.key)) ? 1 : 0;
        if (count == 0)
            continue;
        touched << command;
        if (count < int(of.size()) && read.contains(command))
            queries << command;
    }
    if (!defaults && given.contains(QStringLiteral("key-index")) &&
        !given.contains(QStringLiteral("key"))) {
        run.UsageError(QStringLiteral("--key-index names the key that --key writes; give "
                                      "--key too (the module never reads a key back)"));
        return KvuCtlExit::Usage;
    }
    if (!defaults && touched.isEmpty()) {
        run.UsageError(QStringLiteral("nothing to write: give a setting, or --defaults to "
                                      "write every setting with the page's opening values"));
        return KvuCtlExit::Usage;
    }

    CAtExchange::Result result;
    {
        CAtExchange exchange(run.Link(), run.Services(), form);
        if (defaults) {
            result = exchange.Write(form);
        } else {
            // The given values are checked before anything is sent; the module's values
            // read in are checked again once they are there.
            QString refusal;
            QVector<QByteArray> unused;
            if (!form.ConnectionCarried(&refusal) || !form.BuildWriteCommands(&unused, &refusal)) {
                run.Services().Message(refusal);
                return KvuCtlExit::Usage;
            }
            // One exchange: the module's values of the other arguments, then only the
            // commands that carry what was given.
            result = exchange.UpdateExchange(
                queries, Form::kLargestReply,
                [&](const QByteArray& reply) {
                    AtReply::Taken taken = form.ParseReply(reply, queries);
                    TakeSettings(run, form, given);
                    return taken;
                },
                int(touched.size()),
                [&](QVector<QByteArray>* commands, QString* why) {
                    QVector<QByteArray> all;
                    if (!form.BuildWriteCommands(&all, why))
                        return false;
                    commands->clear();
                    for (const QByteArray& c : all) {
                        if (touched.contains(QString::fromLatin1(c.left(c.indexOf('=')))))
                            *commands << c;
                    }
                    return true;
                });
        }
    }
    if (const int rc = LinkExit(result); rc != KvuCtlExit::Ok)
        return rc;
    if (!AllAnswered<Form>(run, result, queries, "; nothing was written"))
        return KvuCtlExit::NotConfirmed;
    if (!result.ok) {
        run.Err() << "kvuctl: " << (result.replies.size() - result.answered) << " of "
                  << result.replies.size() << " settings were not confirmed with OK\n";
        return KvuCtlExit::NotConfirmed;
    }
    if (!run.IsSet(kVerify))
        return KvuCtlExit::Ok;
    // Read-only settings were not written; without --defaults only the given ones were.
    QStringList keys;
    for (const auto& row : Printed<Form>()) {
        if (row.write != WriteAs::Never && (defaults || given.contains(OptionOf(row.key))))
            keys << QLatin1String(row.key);
    }
    return Verify(run, form, keys);
}

// Words wrapped into lines of at most 80 characters, each line ended.
QString Wrapped(const QStringList& words, const QString& first = QString()) {
    QString text, line = first;
    for (const QString& w : words) {
        if (!line.isEmpty() && line.size() + 1 + w.size() > 80) {
            text += line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + w;
    }
    return line.isEmpty() ? text : text + line + QLatin1Char('\n');
}

// The --help paragraph that lists what a Read prints.
template <class Form> QString PrintedHelp() {
    QStringList keys;
    for (const auto& row : Printed<Form>())
        keys << QLatin1String(row.key);
    return Wrapped(keys, QStringLiteral("Prints one key=value line per setting (or a JSON object "
                                        "with --json):"));
}

// The settings a Write takes, with their values, as the synopsis shows them.
template <class Form> QString SettingsHelp() {
    QStringList words;
    for (const auto& row : Form::Settings()) {
        if (row.write == WriteAs::Never)
            continue;
        const QString option = OptionOf(row.key);
        words << QStringLiteral("[--%1 %2]").arg(option, ValueName(row));
        if (row.secret)
            words << QStringLiteral("[--%1 FILE]").arg(FileOption(option));
    }
    return Wrapped(words, QStringLiteral("SETTINGS:"));
}

// The secrets' paragraph of --help.
template <class Form> QString SecretsHelp() {
    QString text;
    for (const auto& row : Form::Settings()) {
        if (!row.secret)
            continue;
        const QString option = OptionOf(row.key);
        text += QStringLiteral(
                    "--%1 is seen by every user in the process list; --%2 FILE reads it from\n"
                    "the file's one line instead (- for standard input), and without either\n"
                    "it is taken from %3 when that is set. It is never shown in status\n"
                    "lines or messages.\n")
                    .arg(option, FileOption(option), Variable<Form>(row));
    }
    return text;
}

template <class Form> QStringList SettingOptions() {
    QStringList options;
    for (const auto& row : Form::Settings()) {
        if (row.write == WriteAs::Never)
            continue;
        options << OptionOf(row.key);
        if (row.secret)
            options << FileOption(OptionOf(row.key));
    }
    return options;
}

template <class Form> void AddOptions(QList<QCommandLineOption>* options) {
    for (const auto& row : Form::Settings()) {
        if (row.write == WriteAs::Never)
            continue;
        options->append({OptionOf(row.key), QString(), ValueName(row)});
        if (row.secret)
            options->append({FileOption(OptionOf(row.key)), QString(), QStringLiteral("FILE")});
    }
}

const char* const kConnectionHelp =
    "CONNECTION: --from U0 --to U1|U2 (the printer's UARTs; --to defaults to U1 for bt and\n"
    "U2 for wlan), --timeout 999 (the printer's pass-through time-out, 0 to 999),\n"
    "--escape / --guard-before 1100 --guard-after 1100 (the escape text, sent three times\n"
    "between two pauses of 50 to 5000 ms). --port and --baud as for the other commands.\n"
    "Each step is printed with its time on stderr.\n";

// The connection options with their values.
const struct {
    const char* name;
    const char* value;
} kConnection[] = {{"from", "U0|U1|U2|U3|U4"}, {"to", "U0|U1|U2|U3|U4"},
                   {"timeout", "S"},           {"escape", "T"},
                   {"guard-before", "MS"},     {"guard-after", "MS"}};

QStringList Connection() {
    QStringList options = {QStringLiteral("port"), QStringLiteral("baud")};
    for (const auto& c : kConnection)
        options << QLatin1String(c.name);
    return options;
}
} // namespace

QList<QCommandLineOption> WirelessOptions() {
    QList<QCommandLineOption> options;
    for (const auto& c : kConnection)
        options.append({QLatin1String(c.name), QString(), QLatin1String(c.value)});
    AddOptions<CBluetoothForm>(&options);
    AddOptions<CWlanForm>(&options);
    return options;
}

std::vector<CCliCommand> WirelessCommands() {
    const QString connection = QLatin1String(kConnectionHelp);
    const QString readExit = QStringLiteral(
        "Texts are printed in a visible form: control bytes as ^X pairs (a CR as ^M),\n"
        "so a module's name can neither steer the terminal nor add lines; --json\n"
        "escapes them instead. Exit 0 when every query got its answer with its own OK\n"
        "(\"Success: Received OK.\"), 1 when one did not (those settings print empty and\n"
        "are named on stderr, null in JSON), 4 when the port failed.\n");
    const QString json = QStringLiteral(
        "JSON: texts as strings, numbers as numbers, a radio group or a combo of choices as\n"
        "{\"value\": N, \"text\": \"the page's text\"} (text null when N names none),\n"
        "link_adaptation as true or false.\n");
    const QString writeExit = QStringLiteral(
        "Only the settings given are changed: the commands that carry them are sent, and\n"
        "the module keeps every other setting. --defaults sends all of the page's commands\n"
        "instead, with the page's opening values for every setting not given. Texts go in\n"
        "the printer's code page (Windows-1252); a character it cannot carry is refused,\n"
        "named. Exit 0 when every command sent got its OK, 1 when one did not (or --verify\n"
        "found a given setting that reads back differently; each is listed), 2 when a\n"
        "value is refused, 3 when a secret's file cannot be read, 4 when the port failed.\n");
    const QString wlanWrite = QStringLiteral(
        "Where one command carries several settings (--rate and --link-adaptation; --ip,\n"
        "--netmask and --gateway; --dns1 and --dns2), the module's values of those not\n"
        "given are read first, in the same exchange; without that answer nothing is\n"
        "written. --key-index needs --key (a key is never read back; --key alone writes\n"
        "key 1).\n");
    const QString connectionSynopsis = QStringLiteral("[CONNECTION] [--port P...]");
    std::vector<CCliCommand> rows = {
        {QStringLiteral("bt read"),
         QStringLiteral("[--json] ") + connectionSynopsis,
         QStringLiteral("Read the Bluetooth module's settings, as the\n"
                        "Bluetooth page's Read button."),
         PrintedHelp<CBluetoothForm>() +
             QStringLiteral("Radio groups print the page's button index; a setting the reply\n"
                            "did not give prints empty.\n") +
             json + readExit + connection,
         Connection() << kJson,
         0,
         RunRead<CBluetoothForm>,
         {QStringLiteral("kvuctl bt read --port /dev/ttyUSB0"),
          QStringLiteral("kvuctl bt read --json --to U1")}},
        {QStringLiteral("bt write"),
         QStringLiteral("[SETTINGS] [--defaults] [--verify] ") + connectionSynopsis,
         QStringLiteral("Change the Bluetooth module's settings given\n"
                        "(--defaults: all, as the page's Write); --verify reads back."),
         SettingsHelp<CBluetoothForm>() +
             QStringLiteral("Radio groups take the page's button index. The commands go in the\n"
                            "page's order: name, class, PIN, discoverability, power save mode,\n"
                            "security mode.\n") +
             SecretsHelp<CBluetoothForm>() + writeExit + connection,
         Connection() << SettingOptions<CBluetoothForm>() << kDefaults << kVerify,
         0,
         RunWrite<CBluetoothForm>,
         {QStringLiteral("kvuctl bt write --name Till-3 --pin-file pin.txt --verify --port COM2")}},
        {QStringLiteral("wlan read"),
         QStringLiteral("[--json] ") + connectionSynopsis,
         QStringLiteral("Read the WLAN module's settings, as the WLAN\n"
                        "page's Read button."),
         PrintedHelp<CWlanForm>() + QStringLiteral("The key is never read back.\n") + json +
             readExit + connection,
         Connection() << kJson,
         0,
         RunRead<CWlanForm>,
         {QStringLiteral("kvuctl wlan read --json --port /dev/ttyUSB0")}},
        {QStringLiteral("wlan write"),
         QStringLiteral("[SETTINGS] [--defaults] [--verify] ") + connectionSynopsis,
         QStringLiteral("Change the WLAN module's settings given\n"
                        "(--defaults: all, as the page's Write); --verify reads back."),
         SettingsHelp<CWlanForm>() +
             QStringLiteral("The commands go in the page's order. Of --mode, --authentication\n"
                            "and --encryption only the first character is sent (\"1 = Managed\"\n"
                            "and 1 both send 1).\n") +
             SecretsHelp<CWlanForm>() + writeExit + wlanWrite + connection,
         Connection() << SettingOptions<CWlanForm>() << kDefaults << kVerify,
         0,
         RunWrite<CWlanForm>,
         {QStringLiteral(
             "kvuctl wlan write --ssid shop-floor --dhcp 1 --hostname till-3 --verify")}},
    };
    for (CCliCommand& row : rows) {
        const bool bluetooth = row.name.startsWith(QLatin1String("bt"));
        if (row.name.endsWith(QLatin1String("read")))
            row.json = bluetooth ? JsonShapeOf<CBluetoothForm>() : JsonShapeOf<CWlanForm>();
        const QString written =
            bluetooth ? QStringLiteral(" --name Till-4") : QStringLiteral(" --ssid shop-floor");
        CCliRun::AllowManyPorts(row, row.name + (row.name.endsWith(QLatin1String("write"))
                                                     ? written
                                                     : QStringLiteral(" --json")));
    }
    return rows;
}
