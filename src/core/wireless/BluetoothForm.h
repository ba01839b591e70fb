#pragma once

#include "AtConnection.h"
#include "AtReply.h"
#include "FormField.h"
#include "RadioSetting.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>
#include <vector>

// The Bluetooth settings page without its widgets: the connection settings, the module's
// local name, class of device, fixed PIN, discoverability, power save mode and security
// mode, and what a Read shows of its address and version. The page and kvuctl both work
// on one of these.
class CBluetoothForm : public CAtConnection {
public:
    // Control IDs.
    enum Id {
        IdEscapeChar = 1114,
        IdSilenceBefore = 1113,
        IdLocalName = 1088,
        IdDeviceAddress = 1091,
        IdFixedPin = 1097,
        IdSilenceAfter = 1115,
        IdPassThruFrom = 1127,
        IdPassThruTo = 1125,
        IdPassThruTimeout = 1126,
        IdSecurityNone = 1106,
        IdSecurityLinkLevel = 1007,
        IdNotDiscoverable = 1085,
        IdLimitedDiscoverable = 1086,
        IdGeneralDiscoverable = 1087,
        IdOnlineMode = 1108,
        IdSleepMode = 1109,
        IdStopMode = 1110,
        IdOutput = 1130,
        IdVersion = 1131,
        IdClassOfDevice = 1089,
        IdWrite = 1098,
        IdRead = 1099,
        IdClear = 1100,
        IdDefault = 1120,
    };
    using Field = TFormField<CBluetoothForm>;
    // The controls in data-exchange order; a radio group is named by its first button.
    static const std::vector<Field>& Fields();
    static const Field* FindField(int id);

    static constexpr int kNameLimit = 16;
    static constexpr int kPinLimit = 16;
    static constexpr int kClassMax = 16777215; // 0xFFFFFF
    // Bluetooth assigned numbers: Rendering service, Imaging major class, Printer minor.
    static constexpr int kDefaultClass = 263808; // 0x040680
    static const char* const kDefaultName;       // "BT Printer"
    static const char* const kDefaultPin;        // the built-in default PIN: "0"
    static constexpr int kLargestReply = 500;

    // The page as it opens: the Default values, and the UART combos on U0 and U1.
    void InitDialog();
    void Default();
    void Clear();

    // The page's settings, one row each, in the page's order: the Read batch, the set
    // commands, kvuctl's options and JSON come from them.
    using Setting = TRadioSetting<CBluetoothForm>;
    static const RadioSettings::Rows<CBluetoothForm>& Settings();

    // The Read batch, in order, and the label the page gives each query's setting.
    static QStringList Queries();
    static QString Label(const QString& query);
    // Every answer is one setting.
    static QStringList Parts(const QString&, const QString& value) { return {value}; }
    // Fills the fields from a Read reply to `queries` (the whole batch unless given).
    // Settings whose query got no usable answer keep their values and are named.
    AtReply::Taken ParseReply(const QByteArray& reply, const QStringList& queries = Queries());

    // The six set commands in the page's order. False, with a message naming the field,
    // when a value does not fit the module's command; then nothing may be sent.
    bool BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const;
    QString ShownCommand(const QByteArray& command) const override;

    QString m_strLocalName;
    QString m_strDeviceAddress;
    QString m_strFixedPin;
    int m_nSecurityMode = -1;
    int m_nDiscoverable = -1;
    int m_nPowerSaveMode = -1;
    QString m_strVersion;
    int m_nClassOfDevice = 0;
};
