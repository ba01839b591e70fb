// kvuctl commands of the radio modules: bt read|write and wlan read|write, on the same
// forms and exchange as the Bluetooth and WLAN pages.

#include "CliCommand.h"
#include "CliRun.h"
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

// One printed setting: its key and how it reads from a form.
template <class Form> struct TSetting {
    const char* key;
    std::function<QString(const Form&)> value;
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
        {"address", [](const F& f) { return f.m_strDeviceAddress; }},
        {"version", [](const F& f) { return f.m_strVersion; }},
        {"name", [](const F& f) { return f.m_strLocalName; }},
        {"class", [](const F& f) { return Number(f.m_nClassOfDevice); }},
        {"pin", [](const F& f) { return f.m_strFixedPin; }},
        {"discoverable", [](const F& f) { return Number(f.m_nDiscoverable); }},
        {"power", [](const F& f) { return Number(f.m_nPowerSaveMode); }},
        {"security", [](const F& f) { return Number(f.m_nSecurityMode); }},
    };
    return settings;
}

const std::vector<TSetting<CWlanForm>>& WlanSettings() {
    using F = CWlanForm;
    // The combos of a digit, "=" and a meaning send and receive only the digit.
    static const std::vector<TSetting<F>> settings = {
        {"address", [](const F& f) { return f.m_strDeviceAddress; }},
        {"version", [](const F& f) { return f.m_strVersion; }},
        {"ssid", [](const F& f) { return f.m_strSsid; }},
        {"channel", [](const F& f) { return f.m_strChannel; }},
        {"mode", [](const F& f) { return f.m_strOperationalMode.left(1); }},
        {"authentication", [](const F& f) { return f.m_strAuthentication.left(1); }},
        {"encryption", [](const F& f) { return f.m_strEncryption.left(1); }},
        {"rate", [](const F& f) { return f.m_strDataRate; }},
        {"link_adaptation", [](const F& f) { return Number(f.m_bLinkAdaptation); }},
        {"user", [](const F& f) { return f.m_strUserName; }},
        {"active_key", [](const F& f) { return f.m_strActiveKey; }},
        {"ip", [](const F& f) { return f.m_strIpAddress; }},
        {"netmask", [](const F& f) { return f.m_strNetmask; }},
        {"gateway", [](const F& f) { return f.m_strGateway; }},
        {"dhcp", [](const F& f) { return Number(f.m_nDhcp); }},
        {"hostname", [](const F& f) { return f.m_strHostName; }},
        {"dns1", [](const F& f) { return f.m_strDnsPrimary; }},
        {"dns2", [](const F& f) { return f.m_strDnsSecondary; }},
    };
    return settings;
}

// Start values that no answer can produce, to tell an answer from its absence.
void Unlikely(CBluetoothForm& f) {
    const QString none = QStringLiteral("\x01");
    f.m_strDeviceAddress = f.m_strVersion = f.m_strLocalName = f.m_strFixedPin = none;
    f.m_nClassOfDevice = f.m_nDiscoverable = f.m_nPowerSaveMode = f.m_nSecurityMode = -99;
}
void Unlikely(CWlanForm& f) {
    const QString none = QStringLiteral("\x01");
    for (QString* s :
         {&f.m_strDeviceAddress, &f.m_strVersion, &f.m_strSsid, &f.m_strChannel,
          &f.m_strOperationalMode, &f.m_strAuthentication, &f.m_strEncryption, &f.m_strDataRate,
          &f.m_strUserName, &f.m_strActiveKey, &f.m_strIpAddress, &f.m_strNetmask, &f.m_strGateway,
          &f.m_strHostName, &f.m_strDnsPrimary, &f.m_strDnsSecondary})
        *s = none;
    f.m_bLinkAdaptation = f.m_nDhcp = -99;
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

// A Read into `form`; `given` tells for each printed setting whether the reply gave it.
template <class Form> CAtExchange::Result ReadInto(CCliRun& run, Form& form, QVector<bool>* given) {
    Form probe;
    Unlikely(probe);
    CAtExchange exchange(run.Link(), run.Services(), form);
    const CAtExchange::Result result = exchange.ReadExchange(
        Form::Queries(), Form::kLargestReply, [&](const QByteArray& reply, bool* ok) {
            form.ParseReply(reply, ok);
            bool unused = true;
            probe.ParseReply(reply, &unused);
        });
    given->clear();
    for (const auto& s : Settings(&form))
        given->push_back(s.value(form) == s.value(probe));
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
        for (size_t i = 0; i < settings.size(); ++i)
            run.Out() << settings[i].key << '='
                      << (given[int(i)] ? settings[i].value(form) : QString()) << '\n';
    }
    return result.ok ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
}

template <class Form> int RunWrite(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    // What the page shows when it opens, then the options given.
    Form form;
    form.InitDialog();
    if (!TakeOptions(run, form, ConnectionOptions<Form>()) ||
        !TakeOptions(run, form, SettingOptions(&form)) || !TakeChoices(run, form))
        return KvuCtlExit::Usage;
    CAtExchange::Result result;
    {
        CAtExchange exchange(run.Link(), run.Services(), form);
        result = exchange.Write(form);
    }
    if (const int rc = LinkExit(result); rc != KvuCtlExit::Ok)
        return rc;
    if (!result.ok) {
        run.Err() << "kvuctl: " << (result.replies.size() - result.answered) << " of "
                  << result.replies.size() << " settings were not confirmed with OK\n";
        return KvuCtlExit::NotConfirmed;
    }
    if (!run.IsSet(kVerify))
        return KvuCtlExit::Ok;

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
        if (key == QLatin1String("address") || key == QLatin1String("version"))
            continue; // read-only: nothing was written
        const QString wrote = settings[i].value(form);
        const QString got = given[int(i)] ? settings[i].value(back) : QString();
        if (wrote != got) {
            run.Err() << "kvuctl: verify: " << key << " reads back \"" << got << "\", wrote \""
                      << wrote << "\"\n";
            ++differing;
        }
    }
    return differing == 0 && read.ok ? KvuCtlExit::Ok : KvuCtlExit::NotConfirmed;
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
        "Exit 0 when the module's reply held every OK (\"Success: Received OK.\"),\n"
        "1 when it did not (\"Error: Did not receive OK.\"), 4 when the port failed.\n");
    const QString writeExit = QStringLiteral(
        "Settings not given keep the values the page opens with. Exit 0 when every command\n"
        "got OK, 1 when one did not (or --verify found a setting that reads back differently;\n"
        "each is listed), 2 when a value is refused, 4 when the port failed.\n");
    const QString connectionSynopsis = QStringLiteral("[CONNECTION] [--port P...]");
    std::vector<CCliCommand> rows = {
        {QStringLiteral("bt read"), QStringLiteral("[--json] ") + connectionSynopsis,
         QStringLiteral("Read the Bluetooth module's settings, as the\n"
                        "Bluetooth page's Read button."),
         QStringLiteral("Prints one key=value line per setting (or a JSON object with --json):\n"
                        "address version name class pin discoverable power security. Radio\n"
                        "groups print the page's button index, -1 when none is set; a setting\n"
                        "the reply did not give prints empty.\n") +
             readExit + connection,
         Connection() << kJson, 0, RunRead<CBluetoothForm>,
         {QStringLiteral("kvuctl bt read --port /dev/ttyUSB0"),
          QStringLiteral("kvuctl bt read --json --to U1")}},
        {QStringLiteral("bt write"), QStringLiteral("[SETTINGS] [--verify] ") + connectionSynopsis,
         QStringLiteral("Write the Bluetooth module's settings, as the\n"
                        "Bluetooth page's Write button; --verify reads back."),
         QStringLiteral("SETTINGS: [--name T] [--pin T] [--class N] [--discoverable 0|1|2]\n"
                        "[--power 0|1|2] [--security 0|1] (the page's radio button indexes).\n"
                        "Sends the page's six set commands in its order: name, class, PIN,\n"
                        "discoverability, power save mode, security mode.\n") +
             writeExit + connection,
         Connection() << QStringLiteral("name") << QStringLiteral("pin") << QStringLiteral("class")
                      << QStringLiteral("discoverable") << QStringLiteral("power")
                      << QStringLiteral("security") << kVerify,
         0, RunWrite<CBluetoothForm>,
         {QStringLiteral("kvuctl bt write --name Till-3 --pin 4711 --verify --port COM2")}},
        {QStringLiteral("wlan read"), QStringLiteral("[--json] ") + connectionSynopsis,
         QStringLiteral("Read the WLAN module's settings, as the WLAN\n"
                        "page's Read button."),
         QStringLiteral("Prints one key=value line per setting (or a JSON object with --json):\n"
                        "address version ssid channel mode authentication encryption rate\n"
                        "link_adaptation user active_key ip netmask gateway dhcp hostname dns1\n"
                        "dns2. The key is never read back.\n") +
             readExit + connection,
         Connection() << kJson, 0, RunRead<CWlanForm>,
         {QStringLiteral("kvuctl wlan read --json --port /dev/ttyUSB0")}},
        {QStringLiteral("wlan write"),
         QStringLiteral("[SETTINGS] [--verify] ") + connectionSynopsis,
         QStringLiteral("Write the WLAN module's settings, as the WLAN\n"
                        "page's Write button; --verify reads back."),
         QStringLiteral("SETTINGS: [--ssid T] [--channel T] [--mode T] [--authentication T]\n"
                        "[--encryption T] [--rate T] [--link-adaptation 0|1] [--user T]\n"
                        "[--active-key T] [--key-index T] [--key T] [--ip T] [--netmask T]\n"
                        "[--gateway T] [--dhcp 0|1] [--hostname T] [--dns1 T] [--dns2 T]\n"
                        "Sends the page's thirteen set commands in its order. Of --mode,\n"
                        "--authentication and --encryption only the first character is sent\n"
                        "(\"1 = Managed\" and 1 both send 1).\n") +
             writeExit + connection,
         Connection() << QStringLiteral("ssid") << QStringLiteral("channel")
                      << QStringLiteral("mode") << QStringLiteral("authentication")
                      << QStringLiteral("encryption") << QStringLiteral("rate")
                      << QStringLiteral("link-adaptation") << QStringLiteral("user")
                      << QStringLiteral("active-key") << QStringLiteral("key-index")
                      << QStringLiteral("key") << QStringLiteral("ip") << QStringLiteral("netmask")
                      << QStringLiteral("gateway") << QStringLiteral("dhcp")
                      << QStringLiteral("hostname") << QStringLiteral("dns1")
                      << QStringLiteral("dns2") << kVerify,
         0, RunWrite<CWlanForm>,
         {QStringLiteral("kvuctl wlan write --ssid shop-floor --dhcp 1 --hostname till-3 --verify")}},
    };
    for (CCliCommand& row : rows) {
        const bool bluetooth = row.name.startsWith(QLatin1String("bt"));
        const QString written = bluetooth ? QStringLiteral(" --name Till-4")
                                          : QStringLiteral(" --ssid shop-floor");
        CCliRun::AllowManyPorts(row, row.name + (row.name.endsWith(QLatin1String("write"))
                                                     ? written
                                                     : QStringLiteral(" --json")));
    }
    return rows;
}
