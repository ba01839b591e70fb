#pragma once

#include "AtConnection.h"
#include "AtReply.h"
#include "FormField.h"
#include "RadioSetting.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>
#include <vector>

// The WLAN settings page without its widgets: the connection settings, the link layer
// (SSID, channel, operational mode, data rate and link adaptation, authentication,
// encryption, user name, active key, key index and key), the network layer (addresses,
// DHCP, DNS servers, host name) and what a Read shows of the MAC address and version.
class CWlanForm : public CAtConnection {
public:
    enum Id {
        IdPassThruFrom = 1127,
        IdPassThruTo = 1125,
        IdActiveKey = 1165,
        IdAuthentication = 1169,
        IdChannel = 1164,
        IdDataRate = 1167,
        IdEncryption = 1170,
        IdKeyIndex = 1172,
        IdOperationalMode = 1166,
        IdSilenceBefore = 1157,
        IdPassThruTimeout = 1156,
        IdSilenceAfter = 1159,
        IdSsid = 1163,
        IdUserName = 1171,
        IdKey = 1173,
        IdEscapeChar = 1158,
        IdLinkAdaptation = 1168,
        IdOutput = 1174,
        IdDeviceAddress = 1162,
        IdVersion = 1160,
        IdIpAddress = 1189,
        IdGateway = 1181,
        IdHostName = 1187,
        IdNetmask = 1180,
        IdDnsPrimary = 1184,
        IdDnsSecondary = 1185,
        IdDhcpDisable = 1190,
        IdDhcpEnable = 1191,
        IdDefault = 1175,
        IdWrite = 1176,
        IdRead = 1177,
        IdClear = 1178,
    };
    using Field = TFormField<CWlanForm>;
    // The controls in data-exchange order; the DHCP group is named by its first button.
    static const std::vector<Field>& Fields();
    static const Field* FindField(int id);
    // The items of a combo, and the item it selects when the dialog opens.
    static QStringList ComboItems(int id);
    static QString InitialItem(int id);
    // The combo rule: the first item that begins with the text, or -1 (an empty text
    // matches none).
    static int MatchingItem(const QStringList& items, const QString& text);

    static constexpr int kSsidLimit = 32;
    static constexpr int kAddressLimit = 15;
    static constexpr int kLargestReply = 1000;

    void InitDialog();
    void Default();
    void Clear();

    // The page's settings, one row each, in the page's order: the Read batch, the set
    // commands, kvuctl's options and JSON come from them.
    using Setting = TRadioSetting<CWlanForm>;
    static const RadioSettings::Rows<CWlanForm>& Settings();

    // The 14 Read queries in table order (the key is never read back), and the label the
    // page gives each query's setting.
    static QStringList Queries();
    static QString Label(const QString& query);
    // The parts of an answer that carries several settings, in their order.
    static QStringList Parts(const QString& command, const QString& value);
    // Fills the fields from a Read reply to `queries` (the whole batch unless given).
    // Settings whose query got no usable answer keep their values and are named.
    AtReply::Taken ParseReply(const QByteArray& reply, const QStringList& queries = Queries());
    // The 13 set commands in table order; false, with a message naming the field, when a
    // value does not fit the module's command.
    bool BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const;
    QString ShownCommand(const QByteArray& command) const override;

    QString m_strActiveKey;
    QString m_strAuthentication;
    QString m_strChannel;
    QString m_strDataRate;
    QString m_strEncryption;
    QString m_strKeyIndex;
    QString m_strOperationalMode;
    QString m_strSsid;
    QString m_strUserName;
    QString m_strKey;
    int m_bLinkAdaptation = 0;
    QString m_strDeviceAddress;
    QString m_strVersion;
    QString m_strIpAddress;
    QString m_strGateway;
    QString m_strHostName;
    QString m_strNetmask;
    QString m_strDnsPrimary;
    QString m_strDnsSecondary;
    int m_nDhcp = -1;
};
