#include "WlanForm.h"

#include "AtReply.h"
#include "text/CodePage.h"

namespace {
// The Read batch in order, with the label of each query's setting on the page.
const struct {
    const char* query;
    const char* label;
} kQueries[] = {
    {"AT*AILBA", "WLAN MAC Address"},
    {"AT*AILVI", "WLAN Device Version"},
    {"AT*AGSSID", "SSID"},
    {"AT*AGCH", "Channel"},
    {"AT*AGOM", "Operational Mode"},
    {"AT*AGAM", "Authentication"},
    {"AT*AGEM", "Encryption"},
    {"AT*AGRTE", "Data Rate \\ Link"},
    {"AT*AGUN", "User Name"},
    {"AT*AGAFP", "Active Key"},
    {"AT*ANIP", "Network (IP Address, Netmask, Gateway)"},
    {"AT*ANDHCP", "DHCP"},
    {"AT*ANHN", "Host Name"},
    {"AT*ANDNS", "DNS (Primary, Secondary)"},
};
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
        return {QStringLiteral("1 = Managed"), QStringLiteral("2 = Ad-Hoc (default)")};
    case IdAuthentication:
        return {QStringLiteral("0 = None (default)"), QStringLiteral("1 = Shared Secret"),
                QStringLiteral("2 = WPA/WPA2 PSK"), QStringLiteral("3 = LEAP")};
    case IdEncryption:
        return {QStringLiteral("0 = Open (default)"), QStringLiteral("1 = WEP64"),
                QStringLiteral("2 = WEP128"), QStringLiteral("3 = TKIP"),
                QStringLiteral("4 = AES/CCMP")};
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
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].startsWith(text))
            return i;
    }
    return -1;
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

QStringList CWlanForm::Queries() {
    QStringList queries;
    for (const auto& q : kQueries)
        queries << QLatin1String(q.query);
    return queries;
}

QString CWlanForm::Label(const QString& query) {
    for (const auto& q : kQueries) {
        if (query == QLatin1String(q.query))
            return QLatin1String(q.label);
    }
    return query;
}

AtReply::Taken CWlanForm::ParseReply(const QByteArray& reply, const QStringList& queries) {
    AtReply::CTaking taking(reply, queries, &Label);
    QByteArray raw;
    auto plain = [&](const char* query, QString* field, int limit = 0) {
        if (!taking.Get(query, &raw))
            return;
        *field = AtReply::Plain(raw);
        taking.CheckLength(query, *field, limit);
        taking.Took(query);
    };
    auto quoted = [&](const char* query, QString* field, int limit = 0) {
        if (!taking.Get(query, &raw))
            return;
        QString text;
        if (!AtReply::Quoted(raw, &text)) {
            taking.Unusable(query);
            return;
        }
        *field = text;
        taking.CheckLength(query, text, limit);
        taking.Took(query);
    };
    // The combos of a digit, "=" and a meaning take only the digit.
    auto firstCharacter = [&](const char* query, QString* field) {
        if (!taking.Get(query, &raw))
            return;
        *field = AtReply::Plain(raw.left(1));
        taking.Took(query);
    };

    if (taking.Get("AT*AILBA", &raw)) {
        m_strDeviceAddress = AtReply::Plain(raw.left(kAddressLength));
        taking.Took("AT*AILBA");
    }
    plain("AT*AILVI", &m_strVersion);
    quoted("AT*AGSSID", &m_strSsid, kSsidLimit);
    plain("AT*AGCH", &m_strChannel);
    firstCharacter("AT*AGOM", &m_strOperationalMode);
    firstCharacter("AT*AGAM", &m_strAuthentication);
    firstCharacter("AT*AGEM", &m_strEncryption);
    if (taking.Get("AT*AGRTE", &raw)) {
        // The rate, a comma and the link adaptation flag.
        const QString value = AtReply::Plain(raw);
        m_strDataRate = value.size() >= 2 ? value.chopped(2) : QString();
        const int comma = int(value.indexOf(QLatin1Char(',')));
        m_bLinkAdaptation =
            comma >= 0 && comma + 1 < value.size() && value[comma + 1] == QLatin1Char('1') ? 1 : 0;
        taking.Took("AT*AGRTE");
    }
    quoted("AT*AGUN", &m_strUserName);
    firstCharacter("AT*AGAFP", &m_strActiveKey);
    if (taking.Get("AT*ANIP", &raw)) {
        // Address, netmask and gateway, separated by commas. Without a second comma the
        // netmask takes the rest and the gateway stays empty.
        const QString value = AtReply::Plain(raw);
        const int first = int(value.indexOf(QLatin1Char(',')));
        if (first < 0) {
            m_strIpAddress = value;
            m_strNetmask.clear();
            m_strGateway.clear();
        } else {
            m_strIpAddress = value.left(first);
            int second = int(value.indexOf(QLatin1Char(','), first + 1));
            if (second > first + kNetmaskSearch)
                second = -1;
            if (second < 0) {
                m_strNetmask = value.mid(first + 1);
                m_strGateway.clear();
            } else {
                m_strNetmask = value.mid(first + 1, second - first - 1);
                m_strGateway = value.mid(second + 1);
            }
        }
        for (const QString* address : {&m_strIpAddress, &m_strNetmask, &m_strGateway})
            taking.CheckLength("AT*ANIP", *address, kAddressLimit);
        taking.Took("AT*ANIP");
    }
    if (taking.Get("AT*ANDHCP", &raw)) {
        // A non-digit reads as 0; a digit other than 0 or 1 checks neither radio.
        m_nDhcp = qMax(0, AtReply::FirstDigit(AtReply::Plain(raw)));
        taking.Took("AT*ANDHCP");
    }
    quoted("AT*ANHN", &m_strHostName);
    if (taking.Get("AT*ANDNS", &raw)) {
        const QString servers = AtReply::Plain(raw);
        const int comma = int(servers.indexOf(QLatin1Char(',')));
        m_strDnsPrimary = comma < 0 ? servers : servers.left(comma);
        m_strDnsSecondary = comma < 0 ? QString() : servers.mid(comma + 1);
        for (const QString* address : {&m_strDnsPrimary, &m_strDnsSecondary})
            taking.CheckLength("AT*ANDNS", *address, kAddressLimit);
        taking.Took("AT*ANDNS");
    }
    return taking.Result();
}

bool CWlanForm::BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const {
    auto plain = [](const QString& text) { return CodePage::ToBytes(text); };
    const QByteArray ssid = SetCommand("AT*AGSSID", AtReply::Quote(m_strSsid));
    const QByteArray channel = SetCommand("AT*AGCH", plain(m_strChannel));
    const QByteArray mode = SetCommand("AT*AGOM", plain(m_strOperationalMode.left(1)));
    const QByteArray authentication = SetCommand("AT*AGAM", plain(m_strAuthentication.left(1)));
    const QByteArray encryption = SetCommand("AT*AGEM", plain(m_strEncryption.left(1)));
    const QByteArray rate =
        SetCommand("AT*AGRTE", plain(m_strDataRate) + ',' + QByteArray::number(m_bLinkAdaptation));
    const QByteArray user = SetCommand("AT*AGUN", AtReply::Quote(m_strUserName));
    const QByteArray activeKey = SetCommand("AT*AGAFP", plain(m_strActiveKey));
    const QByteArray key =
        SetCommand("AT*AGFPWI", plain(m_strKeyIndex) + ',' + AtReply::Quote(m_strKey));
    const QByteArray network = SetCommand(
        "AT*ANIP", plain(m_strIpAddress) + ',' + plain(m_strNetmask) + ',' + plain(m_strGateway));
    const QByteArray dhcp = SetCommand("AT*ANDHCP", QByteArray::number(m_nDhcp));
    const QByteArray host = SetCommand("AT*ANHN", AtReply::Quote(m_strHostName));
    const QByteArray dns =
        SetCommand("AT*ANDNS", plain(m_strDnsPrimary) + ',' + plain(m_strDnsSecondary));

    // Unquoted texts go out as they stand; one that could end its command is refused.
    const struct {
        const QString& text;
        const char* label;
    } plainTexts[] = {
        {m_strChannel, "Channel"},
        {m_strOperationalMode, "Operational Mode"},
        {m_strAuthentication, "Authentication"},
        {m_strEncryption, "Encryption"},
        {m_strDataRate, "Data Rate"},
        {m_strActiveKey, "Active Key"},
        {m_strKeyIndex, "Key Index"},
        {m_strIpAddress, "IP Address"},
        {m_strNetmask, "Netmask"},
        {m_strGateway, "Gateway"},
        {m_strDnsPrimary, "Primary DNS"},
        {m_strDnsSecondary, "Secondary DNS"},
    };
    for (const auto& p : plainTexts) {
        if (!IsPlain(p.text, QLatin1String(p.label), refusal) ||
            !Carried(p.text, QLatin1String(p.label), refusal))
            return false;
    }
    const struct {
        const QString& text;
        const char* label;
    } quotedTexts[] = {
        {m_strSsid, "SSID"},
        {m_strUserName, "User Name"},
        {m_strKey, "Key"},
        {m_strHostName, "Host Name"},
    };
    for (const auto& q : quotedTexts) {
        if (!Carried(q.text, QLatin1String(q.label), refusal))
            return false;
    }
    const struct {
        const QByteArray& command;
        int limit;
        const char* label;
    } limits[] = {
        {ssid, kTextCommandLimit, "SSID"},
        {channel, kChannelCommandLimit, "Channel"},
        {rate, kShortCommandLimit, "Data Rate"},
        {user, kTextCommandLimit, "User Name"},
        {activeKey, kShortCommandLimit, "Active Key"},
        {key, kTextCommandLimit, "Key"},
        {network, kTextCommandLimit, "Network (IP Address, Netmask, Gateway)"},
        {host, kTextCommandLimit, "Host Name"},
        {dns, kTextCommandLimit, "DNS (Primary, Secondary)"},
    };
    for (const auto& l : limits) {
        if (!Fits(l.command, l.limit, QLatin1String(l.label), refusal))
            return false;
    }
    commands->clear();
    *commands << ssid << channel << mode << authentication << encryption << rate << user
              << activeKey << key << network << dhcp << host << dns;
    return true;
}
