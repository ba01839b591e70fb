#include "WlanForm.h"

#include "AtReply.h"
#include "text/CodePage.h"
#include "text/FirstMatch.h"

namespace {
const int kAddressLength = 12;
// The netmask's comma is looked for this far after the address's.
const int kNetmaskSearch = 16;

// Longest commands the module takes, CR included.
const int kChannelCommandLimit = 19;
const int kShortCommandLimit = 31; // data rate, active key
const int kTextCommandLimit = 255;

QStringList Numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    return items;
}

// The items of a combo of choices: each value, " = " and its meaning.
QStringList ChoiceItems(int id) {
    QStringList items;
    for (const auto& row : CWlanForm::Settings()) {
        if (row.fieldId != id)
            continue;
        const QStringList meanings = RadioSettings::Choices(row);
        for (int i = 0; i < meanings.size(); ++i)
            items << QStringLiteral("%1 = %2").arg(row.firstChoice + i).arg(meanings[i]);
    }
    return items;
}
} // namespace

const std::vector<CWlanForm::Field>& CWlanForm::Fields() {
    using F = CWlanForm;
    static const std::vector<Field> fields = {
        {IdPassThruFrom, FieldKind::Combo, 0, 0, 0, &F::m_strPassThruFrom, nullptr},
        {IdPassThruTo, FieldKind::Combo, 0, 0, 0, &F::m_strPassThruTo, nullptr},
        {IdActiveKey, FieldKind::Combo, 0, 0, 0, &F::m_strActiveKey, nullptr},
        {IdAuthentication, FieldKind::Combo, 0, 0, 0, &F::m_strAuthentication, nullptr},
        {IdChannel, FieldKind::Combo, 0, 0, 0, &F::m_strChannel, nullptr},
        {IdDataRate, FieldKind::Combo, 0, 0, 0, &F::m_strDataRate, nullptr},
        {IdEncryption, FieldKind::Combo, 0, 0, 0, &F::m_strEncryption, nullptr},
        {IdKeyIndex, FieldKind::Combo, 0, 0, 0, &F::m_strKeyIndex, nullptr},
        {IdOperationalMode, FieldKind::Combo, 0, 0, 0, &F::m_strOperationalMode, nullptr},
        {IdSilenceBefore, FieldKind::Integer, 0, kSilenceMin, kSilenceMax, nullptr,
         &F::m_nSilenceBefore},
        {IdPassThruTimeout, FieldKind::Integer, 0, 0, kTimeoutMax, nullptr, &F::m_nPassThruTimeout},
        {IdSilenceAfter, FieldKind::Integer, 0, kSilenceMin, kSilenceMax, nullptr,
         &F::m_nSilenceAfter},
        {IdSsid, FieldKind::Text, kSsidLimit, 0, 0, &F::m_strSsid, nullptr},
        {IdUserName, FieldKind::Text, 0, 0, 0, &F::m_strUserName, nullptr},
        {IdKey, FieldKind::Text, 0, 0, 0, &F::m_strKey, nullptr},
        {IdEscapeChar, FieldKind::Text, 0, 0, 0, &F::m_strEscapeChar, nullptr},
        {IdLinkAdaptation, FieldKind::Check, 0, 0, 1, nullptr, &F::m_bLinkAdaptation},
        {IdOutput, FieldKind::ReadOnly, 0, 0, 0, &F::m_strOutput, nullptr},
        {IdDeviceAddress, FieldKind::ReadOnly, 0, 0, 0, &F::m_strDeviceAddress, nullptr},
        {IdVersion, FieldKind::ReadOnly, 0, 0, 0, &F::m_strVersion, nullptr},
        {IdIpAddress, FieldKind::Text, kAddressLimit, 0, 0, &F::m_strIpAddress, nullptr},
        {IdGateway, FieldKind::Text, kAddressLimit, 0, 0, &F::m_strGateway, nullptr},
        {IdHostName, FieldKind::Text, 0, 0, 0, &F::m_strHostName, nullptr},
        {IdNetmask, FieldKind::Text, kAddressLimit, 0, 0, &F::m_strNetmask, nullptr},
        {IdDnsPrimary, FieldKind::Text, kAddressLimit, 0, 0, &F::m_strDnsPrimary, nullptr},
        {IdDnsSecondary, FieldKind::Text, kAddressLimit, 0, 0, &F::m_strDnsSecondary, nullptr},
        {IdDhcpDisable, FieldKind::Radio, 0, 0, 1, nullptr, &F::m_nDhcp},
    };
    return fields;
}

const CWlanForm::Field* CWlanForm::FindField(int id) {
    for (const Field& f : Fields()) {
        if (f.id == id)
            return &f;
    }
    return nullptr;
}

QStringList CWlanForm::ComboItems(int id) {
    switch (id) {
    case IdPassThruFrom:
    case IdPassThruTo:
        return UartItems();
    case IdActiveKey:
    case IdKeyIndex:
        return Numbers(1, 4);
    case IdChannel:
        return Numbers(0, 14);
    case IdOperationalMode:
    case IdAuthentication:
    case IdEncryption:
        return ChoiceItems(id);
    case IdDataRate:
        return Numbers(1, 12);
    }
    return {};
}

QString CWlanForm::InitialItem(int id) {
    switch (id) {
    case IdPassThruFrom:
        return QStringLiteral("U0");
    case IdPassThruTo:
        return QStringLiteral("U2");
    case IdActiveKey:
    case IdKeyIndex:
        return QStringLiteral("1");
    case IdChannel:
        return QStringLiteral("0");
    case IdOperationalMode:
        return QStringLiteral("2 = Ad-Hoc (default)");
    case IdAuthentication:
        return QStringLiteral("0 = None (default)");
    case IdEncryption:
        return QStringLiteral("0 = Open (default)");
    case IdDataRate:
        return QStringLiteral("12");
    }
    return {};
}

int CWlanForm::MatchingItem(const QStringList& items, const QString& text) {
    return FirstItemStartingWith(items, text);
}

void CWlanForm::InitDialog() {
    DefaultConnection();
    m_strSsid = QStringLiteral("WLAN Printer");
    m_bLinkAdaptation = 1;
    m_strIpAddress = QStringLiteral("192.168.1.96");
    m_strNetmask = QStringLiteral("255.255.255.0");
    m_strGateway = QStringLiteral("192.168.1.1");
    m_nDhcp = 0; // Disable
    m_strDnsPrimary = m_strDnsSecondary = QStringLiteral("0.0.0.0");
    m_strHostName = QStringLiteral("connectBlue");
    // Then the combos are filled and their items selected, which is what their fields
    // take in at the next data exchange.
    for (const Field& f : Fields()) {
        if (f.kind == FieldKind::Combo)
            this->*(f.text) = InitialItem(f.id);
    }
}

void CWlanForm::Default() {
    const QString from = m_strPassThruFrom, to = m_strPassThruTo;
    InitDialog();
    m_strPassThruFrom = from;
    m_strPassThruTo = to;
    m_strActiveKey = QStringLiteral("1");
    m_strAuthentication = QStringLiteral("0");
    m_strChannel = QStringLiteral("0");
    m_strDataRate = QStringLiteral("12");
    m_strEncryption = QStringLiteral("0");
    m_strKeyIndex.clear();
    m_strOperationalMode = QStringLiteral("2");
    m_strUserName.clear();
    m_strKey.clear();
}

void CWlanForm::Clear() {
    m_strVersion.clear();
    m_strDeviceAddress.clear();
    for (QString* s : {&m_strActiveKey, &m_strAuthentication, &m_strChannel, &m_strDataRate,
                       &m_strEncryption, &m_strKeyIndex, &m_strOperationalMode, &m_strSsid,
                       &m_strUserName, &m_strKey, &m_strIpAddress, &m_strNetmask, &m_strGateway,
                       &m_strDnsPrimary, &m_strDnsSecondary, &m_strHostName, &m_strOutput})
        s->clear();
    m_bLinkAdaptation = 0;
    m_nDhcp = -1;
}

const RadioSettings::Rows<CWlanForm>& CWlanForm::Settings() {
    using R = ReadAs;
    using W = WriteAs;
    using J = JsonAs;
    const int text = kTextCommandLimit;
    static const char* const kRate = "Data Rate \\ Link";
    static const char* const kNetwork = "Network (IP Address, Netmask, Gateway)";
    static const char* const kAddress = "A.B.C.D";
    static const char* const kDns = "DNS (Primary, Secondary)";
    // The combos of a digit, "=" and a meaning send and receive only the digit; channel,
    // data rate, active key and key index travel as their whole text.
    static const RadioSettings::Rows<CWlanForm> rows = {
        {"address", "WLAN MAC Address", "AT*AILBA", 0, IdDeviceAddress, R::Text, W::Never, J::Text,
         kAddressLength},
        {"version", "WLAN Device Version", "AT*AILVI", 0, IdVersion, R::Text, W::Never, J::Text},
        {"ssid", "SSID", "AT*AGSSID", 0, IdSsid, R::Quoted, W::Quoted, J::Text, 0, text},
        {"channel", "Channel", "AT*AGCH", 0, IdChannel, R::Text, W::Text, J::Number, 0,
         kChannelCommandLimit},
        {"mode", "Operational Mode", "AT*AGOM", 0, IdOperationalMode, R::Text, W::FirstCharacter,
         J::Choice, 1, 0, nullptr, "Managed|Ad-Hoc (default)", 1},
        {"authentication", "Authentication", "AT*AGAM", 0, IdAuthentication, R::Text,
         W::FirstCharacter, J::Choice, 1, 0, nullptr,
         "None (default)|Shared Secret|WPA/WPA2 PSK|LEAP"},
        {"encryption", "Encryption", "AT*AGEM", 0, IdEncryption, R::Text, W::FirstCharacter,
         J::Choice, 1, 0, nullptr, "Open (default)|WEP64|WEP128|TKIP|AES/CCMP"},
        {"rate", "Data Rate", "AT*AGRTE", 0, IdDataRate, R::Text, W::Text, J::Number, 0,
         kShortCommandLimit, kRate},
        {"link_adaptation", "Link Adaptation", "AT*AGRTE", 1, IdLinkAdaptation, R::Digit, W::Number,
         J::Flag, 0, kShortCommandLimit, kRate},
        {"user", "User Name", "AT*AGUN", 0, IdUserName, R::Quoted, W::Quoted, J::Text, 0, text},
        {"active_key", "Active Key", "AT*AGAFP", 0, IdActiveKey, R::Text, W::Text, J::Number, 1,
         kShortCommandLimit},
        {"key_index", "Key Index", "AT*AGFPWI", 0, IdKeyIndex, R::Never, W::Text, J::Number, 0,
         text},
        {"key", "Key", "AT*AGFPWI", 1, IdKey, R::Never, W::Quoted, J::Text, 0, text, nullptr,
         nullptr, 0, true},
        {"ip", "IP Address", "AT*ANIP", 0, IdIpAddress, R::Text, W::Text, J::Text, 0, text,
         kNetwork, nullptr, 0, false, kAddress},
        {"netmask", "Netmask", "AT*ANIP", 1, IdNetmask, R::Text, W::Text, J::Text, 0, text,
         kNetwork, nullptr, 0, false, kAddress},
        {"gateway", "Gateway", "AT*ANIP", 2, IdGateway, R::Text, W::Text, J::Text, 0, text,
         kNetwork, nullptr, 0, false, kAddress},
        {"dhcp", "DHCP", "AT*ANDHCP", 0, IdDhcpDisable, R::Digit, W::Number, J::Choice, 0, 0,
         nullptr, "Disable (default)|Enable"},
        {"hostname", "Host Name", "AT*ANHN", 0, IdHostName, R::Quoted, W::Quoted, J::Text, 0, text},
        {"dns1", "Primary DNS", "AT*ANDNS", 0, IdDnsPrimary, R::Text, W::Text, J::Text, 0, text,
         kDns, nullptr, 0, false, kAddress},
        {"dns2", "Secondary DNS", "AT*ANDNS", 1, IdDnsSecondary, R::Text, W::Text, J::Text, 0, text,
         kDns, nullptr, 0, false, kAddress},
    };
    return rows;
}

QStringList CWlanForm::Queries() {
    return RadioSettings::Commands(Settings(), true);
}

QString CWlanForm::Label(const QString& query) {
    return RadioSettings::Label(Settings(), query);
}

QStringList CWlanForm::Parts(const QString& command, const QString& value) {
    if (command == QLatin1String("AT*AGRTE")) {
        // The rate, a comma and the link adaptation flag.
        const int comma = int(value.indexOf(QLatin1Char(',')));
        const bool adapts =
            comma >= 0 && comma + 1 < value.size() && value[comma + 1] == QLatin1Char('1');
        return {value.size() >= 2 ? value.chopped(2) : QString(),
                adapts ? QStringLiteral("1") : QStringLiteral("0")};
    }
    const int first = int(value.indexOf(QLatin1Char(',')));
    if (first < 0)
        return {value};
    if (command == QLatin1String("AT*ANIP")) {
        // Address, netmask and gateway. Without a second comma close enough to the first
        // the netmask takes the rest and the gateway stays empty.
        int second = int(value.indexOf(QLatin1Char(','), first + 1));
        if (second > first + kNetmaskSearch)
            second = -1;
        if (second < 0)
            return {value.left(first), value.mid(first + 1)};
        return {value.left(first), value.mid(first + 1, second - first - 1), value.mid(second + 1)};
    }
    // The DNS servers: the primary before the first comma, the secondary after it.
    return {value.left(first), value.mid(first + 1)};
}

AtReply::Taken CWlanForm::ParseReply(const QByteArray& reply, const QStringList& queries) {
    return RadioSettings::Parse(*this, Settings(), reply, queries);
}

bool CWlanForm::BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const {
    return RadioSettings::Build(*this, Settings(), commands, refusal);
}

QString CWlanForm::ShownCommand(const QByteArray& command) const {
    return RadioSettings::Masked(Settings(), command);
}
