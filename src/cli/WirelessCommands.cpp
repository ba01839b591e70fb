// kvuctl commands of the radio modules: bt read|write and wlan read|write, on the same
// forms and exchange as the Bluetooth and WLAN pages.

#include "CliCommand.h"
#include "CliRun.h"
#include "module1/Notation.h"
#include "wireless/AtExchange.h"
#include "wireless/BluetoothForm.h"
#include "wireless/FormField.h"
#include "wireless/WlanForm.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

namespace {
const QString kJson = QStringLiteral("json");
const QString kVerify = QStringLiteral("verify");
const QString kDefaults = QStringLiteral("defaults");

// One printed setting: its key, the query that reads it, and how it reads from a form.
template <class Form> struct TSetting {
    const char* key;
    const char* query;
    std::function<QString(const Form&)> value;
};
// A set command and the options whose settings it carries. When only some of them are
// given, the others are read first (`query`), or, for the key that is never read back,
// the missing one is refused.
struct CommandOptions {
    const char* command;
    QStringList options;
    const char* query;
};
// An option that fills a field through the page's own range check.
struct FieldOption {
    const char* option;
    int id;
};
// An option that picks a radio button or a check box: 0 to `max`.
template <class Form> struct TChoiceOption {
    const char* option;
    int Form::*member;
    int max;
};

QString Number(int n) {
    return QString::number(n);
}

const std::vector<TSetting<CBluetoothForm>>& BtSettings() {
    using F = CBluetoothForm;
    static const std::vector<TSetting<F>> settings = {
        {"address", "AT*AILBA", [](const F& f) { return f.m_strDeviceAddress; }},
        {"version", "AT*AILVI", [](const F& f) { return f.m_strVersion; }},
        {"name", "AT*AGLN", [](const F& f) { return f.m_strLocalName; }},
        {"class", "AT*AGLC", [](const F& f) { return Number(f.m_nClassOfDevice); }},
        {"pin", "AT*AGFP", [](const F& f) { return f.m_strFixedPin; }},
        {"discoverable", "AT*AGDM", [](const F& f) { return Number(f.m_nDiscoverable); }},
        {"power", "AT*AMPM", [](const F& f) { return Number(f.m_nPowerSaveMode); }},
        {"security", "AT*AGSM", [](const F& f) { return Number(f.m_nSecurityMode); }},
    };
    return settings;
}

const std::vector<TSetting<CWlanForm>>& WlanSettings() {
    using F = CWlanForm;
    // The combos of a digit, "=" and a meaning send and receive only the digit.
    static const std::vector<TSetting<F>> settings = {
        {"address", "AT*AILBA", [](const F& f) { return f.m_strDeviceAddress; }},
        {"version", "AT*AILVI", [](const F& f) { return f.m_strVersion; }},
        {"ssid", "AT*AGSSID", [](const F& f) { return f.m_strSsid; }},
        {"channel", "AT*AGCH", [](const F& f) { return f.m_strChannel; }},
        {"mode", "AT*AGOM", [](const F& f) { return f.m_strOperationalMode.left(1); }},
        {"authentication", "AT*AGAM", [](const F& f) { return f.m_strAuthentication.left(1); }},
        {"encryption", "AT*AGEM", [](const F& f) { return f.m_strEncryption.left(1); }},
        {"rate", "AT*AGRTE", [](const F& f) { return f.m_strDataRate; }},
        {"link_adaptation", "AT*AGRTE", [](const F& f) { return Number(f.m_bLinkAdaptation); }},
        {"user", "AT*AGUN", [](const F& f) { return f.m_strUserName; }},
        {"active_key", "AT*AGAFP", [](const F& f) { return f.m_strActiveKey; }},
        {"ip", "AT*ANIP", [](const F& f) { return f.m_strIpAddress; }},
        {"netmask", "AT*ANIP", [](const F& f) { return f.m_strNetmask; }},
        {"gateway", "AT*ANIP", [](const F& f) { return f.m_strGateway; }},
        {"dhcp", "AT*ANDHCP", [](const F& f) { return Number(f.m_nDhcp); }},
        {"hostname", "AT*ANHN", [](const F& f) { return f.m_strHostName; }},
        {"dns1", "AT*ANDNS", [](const F& f) { return f.m_strDnsPrimary; }},
        {"dns2", "AT*ANDNS", [](const F& f) { return f.m_strDnsSecondary; }},
    };
    return settings;
}

const std::vector<TSetting<CBluetoothForm>>& Settings(const CBluetoothForm*) {
    return BtSettings();
}
const std::vector<TSetting<CWlanForm>>& Settings(const CWlanForm*) {
    return WlanSettings();
}

// The connection options of all four commands, with the page's own checks.
template <class Form> std::vector<FieldOption> ConnectionOptions() {
    return {{"from", Form::IdPassThruFrom},          {"to", Form::IdPassThruTo},
            {"timeout", Form::IdPassThruTimeout},    {"escape", Form::IdEscapeChar},
            {"guard-before", Form::IdSilenceBefore}, {"guard-after", Form::IdSilenceAfter}};
}

std::vector<FieldOption> SettingOptions(const CBluetoothForm*) {
    return {{"name", CBluetoothForm::IdLocalName},
            {"pin", CBluetoothForm::IdFixedPin},
            {"class", CBluetoothForm::IdClassOfDevice}};
}
std::vector<FieldOption> SettingOptions(const CWlanForm*) {
    using F = CWlanForm;
    return {{"ssid", F::IdSsid},
            {"channel", F::IdChannel},
            {"mode", F::IdOperationalMode},
            {"authentication", F::IdAuthentication},
            {"encryption", F::IdEncryption},
            {"rate", F::IdDataRate},
            {"user", F::IdUserName},
            {"active-key", F::IdActiveKey},
            {"key-index", F::IdKeyIndex},
            {"key", F::IdKey},
            {"ip", F::IdIpAddress},
            {"netmask", F::IdNetmask},
            {"gateway", F::IdGateway},
            {"hostname", F::IdHostName},
            {"dns1", F::IdDnsPrimary},
            {"dns2", F::IdDnsSecondary}};
}
std::vector<TChoiceOption<CBluetoothForm>> ChoiceOptions(const CBluetoothForm*) {
    using F = CBluetoothForm;
    return {{"discoverable", &F::m_nDiscoverable, 2},
            {"power", &F::m_nPowerSaveMode, 2},
            {"security", &F::m_nSecurityMode, 1}};
}
std::vector<TChoiceOption<CWlanForm>> ChoiceOptions(const CWlanForm*) {
    using F = CWlanForm;
    return {{"link-adaptation", &F::m_bLinkAdaptation, 1}, {"dhcp", &F::m_nDhcp, 1}};
}

// Takes the given options into the form; false after saying which one is wrong.
template <class Form>
bool TakeOptions(CCliRun& run, Form& form, const std::vector<FieldOption>& options) {
    for (const FieldOption& o : options) {
        const QString name = QLatin1String(o.option);
        if (!run.IsSet(name))
            continue;
        QString message;
        if (!FormField::Take(form, *Form::FindField(o.id), run.Value(name), &message)) {
            run.UsageError(QStringLiteral("--%1: %2").arg(name, message));
            return false;
        }
    }
    return true;
}

template <class Form> bool TakeChoices(CCliRun& run, Form& form) {
    for (const auto& o : ChoiceOptions(&form)) {
        const QString name = QLatin1String(o.option);
        if (!run.IsSet(name))
            continue;
        int value = -1;
        if (!FormField::ParseInteger(run.Value(name), &value) || value < 0 || value > o.max) {
            run.UsageError(QStringLiteral("--%1 takes 0 to %2").arg(name).arg(o.max));
            return false;
        }
        form.*(o.member) = value;
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

std::vector<CommandOptions> Commands(const CBluetoothForm*) {
    return {{"AT*AGLN", {"name"}, nullptr},  {"AT*AGLC", {"class"}, nullptr},
            {"AT*AGFP", {"pin"}, nullptr},   {"AT*AGDM", {"discoverable"}, nullptr},
            {"AT*AMPM", {"power"}, nullptr}, {"AT*AGSM", {"security"}, nullptr}};
}
std::vector<CommandOptions> Commands(const CWlanForm*) {
    return {{"AT*AGSSID", {"ssid"}, nullptr},
            {"AT*AGCH", {"channel"}, nullptr},
            {"AT*AGOM", {"mode"}, nullptr},
            {"AT*AGAM", {"authentication"}, nullptr},
            {"AT*AGEM", {"encryption"}, nullptr},
            {"AT*AGRTE", {"rate", "link-adaptation"}, "AT*AGRTE"},
            {"AT*AGUN", {"user"}, nullptr},
            {"AT*AGAFP", {"active-key"}, nullptr},
            // The key is never read back: --key alone writes key 1 (the page's index).
            {"AT*AGFPWI", {"key"}, nullptr},
            {"AT*ANIP", {"ip", "netmask", "gateway"}, "AT*ANIP"},
            {"AT*ANDHCP", {"dhcp"}, nullptr},
            {"AT*ANHN", {"hostname"}, nullptr},
            {"AT*ANDNS", {"dns1", "dns2"}, "AT*ANDNS"}};
}

// A module's text on one line that the terminal shows and never obeys.
QString Shown(const QString& text) {
    return Notation::VisibleForm(text);
}

// The keys of the printed settings whose query is in `queries`.
template <class Form> QStringList KeysOf(const QStringList& queries) {
    QStringList keys;
    for (const auto& s : Settings(static_cast<const Form*>(nullptr))) {
        if (queries.contains(QLatin1String(s.query)))
            keys << QLatin1String(s.key);
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

// A Read into `form`; `given` tells for each printed setting whether the reply gave it.
template <class Form> CAtExchange::Result ReadInto(CCliRun& run, Form& form, QVector<bool>* given) {
    CAtExchange::Result result;
    QString refusal;
    if (!form.ConnectionCarried(&refusal)) {
        run.Services().Message(refusal);
        result.outcome = CAtExchange::Outcome::Refused;
        return result;
    }
    CAtExchange exchange(run.Link(), run.Services(), form);
    result = exchange.ReadExchange(Form::Queries(), Form::kLargestReply,
                                   [&](const QByteArray& reply) { return form.ParseReply(reply); });
    given->clear();
    for (const auto& s : Settings(&form))
        given->push_back(result.taken.answered.contains(QLatin1String(s.query)));
    return result;
}

template <class Form> int RunRead(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    Form form;
    form.InitDialog();
    form.Clear();
    if (!TakeOptions(run, form, ConnectionOptions<Form>()))
        return KvuCtlExit::Usage;
    QVector<bool> given;
    const CAtExchange::Result result = ReadInto(run, form, &given);
    if (const int rc = LinkExit(result); rc != KvuCtlExit::Ok)
        return rc;
    const auto& settings = Settings(&form);
    if (run.IsSet(kJson)) {
        QJsonObject object;
        for (size_t i = 0; i < settings.size(); ++i)
            object.insert(QLatin1String(settings[i].key),
                          given[int(i)] ? settings[i].value(form) : QString());
        run.Out() << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        // The module's texts may hold control bytes: shown, never obeyed, one per line.
        for (size_t i = 0; i < settings.size(); ++i)
            run.Out() << settings[i].key << '='
                      << (given[int(i)] ? Shown(settings[i].value(form)) : QString()) << '\n';
    }
    const bool answered = AllAnswered<Form>(run, result, Form::Queries(), " (printed empty)");
    return result.ok && answered ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
}

// Compares what was written with what reads back, for the printed settings in `keys`.
template <class Form> int Verify(CCliRun& run, const Form& form, const QStringList& keys) {
    Form back = form;
    back.Clear();
    QVector<bool> given;
    const CAtExchange::Result read = ReadInto(run, back, &given);
    if (const int rc = LinkExit(read); rc != KvuCtlExit::Ok)
        return rc;
    int differing = 0;
    const auto& settings = Settings(&form);
    for (size_t i = 0; i < settings.size(); ++i) {
        const QString key = QLatin1String(settings[i].key);
        if (!keys.contains(key))
            continue;
        const QString wrote = settings[i].value(form);
        const QString got = given[int(i)] ? settings[i].value(back) : QString();
        if (wrote != got) {
            run.Err() << "kvuctl: verify: " << key << " reads back \"" << Shown(got)
                      << "\", wrote \"" << Shown(wrote) << "\"\n";
            ++differing;
        }
    }
    return differing == 0 && read.ok ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
}

template <class Form> int RunWrite(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    // What the page shows when it opens, then the options given: checked here, before
    // anything is sent, and taken again over what the module answers.
    Form form;
    form.InitDialog();
    auto takeSettings = [&run](Form& f) {
        return TakeOptions(run, f, SettingOptions(&f)) && TakeChoices(run, f);
    };
    if (!TakeOptions(run, form, ConnectionOptions<Form>()) || !takeSettings(form))
        return KvuCtlExit::Usage;
    const bool defaults = run.IsSet(kDefaults);

    // The commands that carry a given setting, and what must be read for the rest of
    // their arguments.
    QStringList touched, queries;
    for (const CommandOptions& c : Commands(&form)) {
        int given = 0;
        for (const QString& option : c.options)
            given += run.IsSet(option) ? 1 : 0;
        if (given == 0)
            continue;
        touched << QLatin1String(c.command);
        if (given < c.options.size() && c.query)
            queries << QLatin1String(c.query);
    }
    if (!defaults && run.IsSet(QStringLiteral("key-index")) && !run.IsSet(QStringLiteral("key"))) {
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
                    takeSettings(form);
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
    for (const auto& s : Settings(&form)) {
        const QString key = QLatin1String(s.key);
        const QString option = QString(key).replace(QLatin1Char('_'), QLatin1Char('-'));
        if (key != QLatin1String("address") && key != QLatin1String("version") &&
            (defaults || run.IsSet(option)))
            keys << key;
    }
    return Verify(run, form, keys);
}

const char* const kConnectionHelp =
    "CONNECTION: --from U0 --to U1|U2 (the printer's UARTs; --to defaults to U1 for bt and\n"
    "U2 for wlan), --timeout 999 (the printer's pass-through time-out, 0 to 999),\n"
    "--escape / --guard-before 1100 --guard-after 1100 (the escape text, sent three times\n"
    "between two pauses of 50 to 5000 ms). --port and --baud as for the other commands.\n"
    "Each step is printed with its time on stderr.\n";

QStringList Connection() {
    return {QStringLiteral("port"),         QStringLiteral("baud"),       QStringLiteral("from"),
            QStringLiteral("to"),           QStringLiteral("timeout"),    QStringLiteral("escape"),
            QStringLiteral("guard-before"), QStringLiteral("guard-after")};
}
} // namespace

std::vector<CCliCommand> WirelessCommands() {
    const QString connection = QLatin1String(kConnectionHelp);
    const QString readExit = QStringLiteral(
        "Texts are printed in a visible form: control bytes as ^X pairs (a CR as ^M),\n"
        "so a module's name can neither steer the terminal nor add lines; --json\n"
        "escapes them instead. Exit 0 when every query got its answer with its own OK\n"
        "(\"Success: Received OK.\"), 1 when one did not (those settings print empty and\n"
        "are named on stderr), 4 when the port failed.\n");
    const QString writeExit = QStringLiteral(
        "Only the settings given are changed: the commands that carry them are sent, and\n"
        "the module keeps every other setting. --defaults sends all of the page's commands\n"
        "instead, with the page's opening values for every setting not given. Texts go in\n"
        "the printer's code page (Windows-1252); a character it cannot carry is refused,\n"
        "named. Exit 0 when every command sent got its OK, 1 when one did not (or --verify\n"
        "found a given setting that reads back differently; each is listed), 2 when a\n"
        "value is refused, 4 when the port failed.\n");
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
         QStringLiteral("Prints one key=value line per setting (or a JSON object with --json):\n"
                        "address version name class pin discoverable power security. Radio\n"
                        "groups print the page's button index, -1 when none is set; a setting\n"
                        "the reply did not give prints empty.\n") +
             readExit + connection,
         Connection() << kJson,
         0,
         RunRead<CBluetoothForm>,
         {QStringLiteral("kvuctl bt read --port /dev/ttyUSB0"),
          QStringLiteral("kvuctl bt read --json --to U1")}},
        {QStringLiteral("bt write"),
         QStringLiteral("[SETTINGS] [--defaults] [--verify] ") + connectionSynopsis,
         QStringLiteral("Change the Bluetooth module's settings given\n"
                        "(--defaults: all, as the page's Write); --verify reads back."),
         QStringLiteral("SETTINGS: [--name T] [--pin T] [--class N] [--discoverable 0|1|2]\n"
                        "[--power 0|1|2] [--security 0|1] (the page's radio button indexes).\n"
                        "The commands go in the page's order: name, class, PIN,\n"
                        "discoverability, power save mode, security mode.\n") +
             writeExit + connection,
         Connection() << QStringLiteral("name") << QStringLiteral("pin") << QStringLiteral("class")
                      << QStringLiteral("discoverable") << QStringLiteral("power")
                      << QStringLiteral("security") << kDefaults << kVerify,
         0,
         RunWrite<CBluetoothForm>,
         {QStringLiteral("kvuctl bt write --name Till-3 --pin 4711 --verify --port COM2")}},
        {QStringLiteral("wlan read"),
         QStringLiteral("[--json] ") + connectionSynopsis,
         QStringLiteral("Read the WLAN module's settings, as the WLAN\n"
                        "page's Read button."),
         QStringLiteral("Prints one key=value line per setting (or a JSON object with --json):\n"
                        "address version ssid channel mode authentication encryption rate\n"
                        "link_adaptation user active_key ip netmask gateway dhcp hostname dns1\n"
                        "dns2. The key is never read back.\n") +
             readExit + connection,
         Connection() << kJson,
         0,
         RunRead<CWlanForm>,
         {QStringLiteral("kvuctl wlan read --json --port /dev/ttyUSB0")}},
        {QStringLiteral("wlan write"),
         QStringLiteral("[SETTINGS] [--defaults] [--verify] ") + connectionSynopsis,
         QStringLiteral("Change the WLAN module's settings given\n"
                        "(--defaults: all, as the page's Write); --verify reads back."),
         QStringLiteral("SETTINGS: [--ssid T] [--channel T] [--mode T] [--authentication T]\n"
                        "[--encryption T] [--rate T] [--link-adaptation 0|1] [--user T]\n"
                        "[--active-key T] [--key-index T] [--key T] [--ip T] [--netmask T]\n"
                        "[--gateway T] [--dhcp 0|1] [--hostname T] [--dns1 T] [--dns2 T]\n"
                        "The commands go in the page's order. Of --mode,\n"
                        "--authentication and --encryption only the first character is sent\n"
                        "(\"1 = Managed\" and 1 both send 1).\n") +
             writeExit + wlanWrite + connection,
         Connection() << QStringLiteral("ssid") << QStringLiteral("channel")
                      << QStringLiteral("mode") << QStringLiteral("authentication")
                      << QStringLiteral("encryption") << QStringLiteral("rate")
                      << QStringLiteral("link-adaptation") << QStringLiteral("user")
                      << QStringLiteral("active-key") << QStringLiteral("key-index")
                      << QStringLiteral("key") << QStringLiteral("ip") << QStringLiteral("netmask")
                      << QStringLiteral("gateway") << QStringLiteral("dhcp")
                      << QStringLiteral("hostname") << QStringLiteral("dns1")
                      << QStringLiteral("dns2") << kDefaults << kVerify,
         0,
         RunWrite<CWlanForm>,
         {QStringLiteral(
             "kvuctl wlan write --ssid shop-floor --dhcp 1 --hostname till-3 --verify")}},
    };
    for (CCliCommand& row : rows) {
        const bool bluetooth = row.name.startsWith(QLatin1String("bt"));
        const QString written =
            bluetooth ? QStringLiteral(" --name Till-4") : QStringLiteral(" --ssid shop-floor");
        CCliRun::AllowManyPorts(row, row.name + (row.name.endsWith(QLatin1String("write"))
                                                     ? written
                                                     : QStringLiteral(" --json")));
    }
    return rows;
}
