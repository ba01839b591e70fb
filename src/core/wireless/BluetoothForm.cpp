#include "BluetoothForm.h"

#include "AtReply.h"

namespace {
using Rule = AtReply::Rule;
using Found = AtReply::Found;

const char* const kAddressPrefix = "AILBA:";
const int kAddressLength = 12;
const Rule kVersion{"AILVI:", "AGLN?", false};
const Rule kLocalName{"AGLN:", "AGLC?", true};
const Rule kClassOfDevice{"AGLC:", "AGFP?", false};
const Rule kFixedPin{"AGFP:", "AGDM?", true};
const Rule kDiscoverable{"AGDM:", "AMPM?", false};
const Rule kPowerSave{"AMPM:", "AGSM?", false};
const char* const kSecurityPrefix = "AGSM:";

// Longest commands the module takes, CR included.
const int kNameCommandLimit = 255;
const int kPinCommandLimit = 31;

// The module numbers the radio buttons from 1: answer 1 is the first button.
void TakeRadio(const QString& value, int buttons, int* field) {
    const int digit = AtReply::FirstDigit(value);
    if (digit >= 1 && digit <= buttons)
        *field = digit - 1;
}
} // namespace

const char* const CBluetoothForm::kDefaultName = "BT Printer";
const char* const CBluetoothForm::kDefaultPin = "0";

const std::vector<CBluetoothForm::Field>& CBluetoothForm::Fields() {
    using F = CBluetoothForm;
    static const std::vector<Field> fields = {
        {IdEscapeChar, FieldKind::Text, 1, 0, 0, &F::m_strEscapeChar, nullptr},
        {IdSilenceBefore, FieldKind::Integer, 0, kSilenceMin, kSilenceMax, nullptr,
         &F::m_nSilenceBefore},
        {IdLocalName, FieldKind::Text, kNameLimit, 0, 0, &F::m_strLocalName, nullptr},
        {IdDeviceAddress, FieldKind::ReadOnly, 0, 0, 0, &F::m_strDeviceAddress, nullptr},
        {IdFixedPin, FieldKind::Text, kPinLimit, 0, 0, &F::m_strFixedPin, nullptr},
        {IdSilenceAfter, FieldKind::Integer, 0, kSilenceMin, kSilenceMax, nullptr,
         &F::m_nSilenceAfter},
        {IdPassThruFrom, FieldKind::Combo, 0, 0, 0, &F::m_strPassThruFrom, nullptr},
        {IdPassThruTo, FieldKind::Combo, 0, 0, 0, &F::m_strPassThruTo, nullptr},
        {IdPassThruTimeout, FieldKind::Integer, 0, 0, kTimeoutMax, nullptr, &F::m_nPassThruTimeout},
        {IdSecurityNone, FieldKind::Radio, 0, 0, 1, nullptr, &F::m_nSecurityMode},
        {IdNotDiscoverable, FieldKind::Radio, 0, 0, 2, nullptr, &F::m_nDiscoverable},
        {IdOnlineMode, FieldKind::Radio, 0, 0, 2, nullptr, &F::m_nPowerSaveMode},
        {IdOutput, FieldKind::ReadOnly, 0, 0, 0, &F::m_strOutput, nullptr},
        {IdVersion, FieldKind::ReadOnly, 0, 0, 0, &F::m_strVersion, nullptr},
        {IdClassOfDevice, FieldKind::Integer, 0, 0, kClassMax, nullptr, &F::m_nClassOfDevice},
    };
    return fields;
}

const CBluetoothForm::Field* CBluetoothForm::FindField(int id) {
    for (const Field& f : Fields()) {
        if (f.id == id)
            return &f;
    }
    return nullptr;
}

void CBluetoothForm::InitDialog() {
    Default();
    m_strPassThruFrom = QStringLiteral("U0");
    m_strPassThruTo = QStringLiteral("U1");
}

void CBluetoothForm::Default() {
    DefaultConnection();
    m_strLocalName = QLatin1String(kDefaultName);
    m_strFixedPin = QLatin1String(kDefaultPin);
    m_nClassOfDevice = kDefaultClass;
    m_nPowerSaveMode = 1; // Sleep Mode
    m_nDiscoverable = 2;  // General Disc.
    m_nSecurityMode = 0;  // None
}

void CBluetoothForm::Clear() {
    m_strVersion.clear();
    m_strDeviceAddress.clear();
    m_strLocalName.clear();
    m_strFixedPin.clear();
    m_nClassOfDevice = 0;
    m_nSecurityMode = m_nDiscoverable = m_nPowerSaveMode = -1;
    m_strOutput.clear();
}

QStringList CBluetoothForm::Queries() {
    return {QStringLiteral("AT*AILBA"), QStringLiteral("AT*AILVI"), QStringLiteral("AT*AGLN"),
            QStringLiteral("AT*AGLC"),  QStringLiteral("AT*AGFP"),  QStringLiteral("AT*AGDM"),
            QStringLiteral("AT*AMPM"),  QStringLiteral("AT*AGSM")};
}

void CBluetoothForm::ParseReply(const QByteArray& reply, bool* ok) {
    // The address is taken as it stands, without an "OK" check.
    AtReply::FixedLength(reply, kAddressPrefix, kAddressLength, &m_strDeviceAddress);

    auto take = [&](const Rule& rule, QString* value) {
        return AtReply::Take(reply, rule, value, ok);
    };
    QString value;
    if (take(kVersion, &value))
        m_strVersion = value;
    if (take(kLocalName, &value))
        m_strLocalName = value;
    if (take(kClassOfDevice, &value)) {
        int number = 0;
        if (AtReply::ReadDecimal(value, &number))
            m_nClassOfDevice = number;
    }
    if (take(kFixedPin, &value))
        m_strFixedPin = value;
    if (take(kDiscoverable, &value))
        TakeRadio(value, 3, &m_nDiscoverable);
    if (take(kPowerSave, &value))
        TakeRadio(value, 3, &m_nPowerSaveMode);
    // The last answer has no next echo: its check is "OK" anywhere in the reply.
    if (AtReply::FixedLength(reply, kSecurityPrefix, 1, &value)) {
        if (!reply.contains("OK"))
            *ok = false;
        else
            TakeRadio(value, 2, &m_nSecurityMode);
    }
}

bool CBluetoothForm::BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const {
    const QByteArray name = SetCommand("AT*AGLN", AtReply::Quote(m_strLocalName));
    const QByteArray pin = SetCommand("AT*AGFP", AtReply::Quote(m_strFixedPin));
    if (!Fits(name, kNameCommandLimit, QStringLiteral("Local Name"), refusal) ||
        !Fits(pin, kPinCommandLimit, QStringLiteral("Fixed PIN"), refusal))
        return false;
    // A Read may bring in a class the range check would refuse; it is not sent on.
    if (m_nClassOfDevice < 0 || m_nClassOfDevice > kClassMax) {
        if (refusal)
            *refusal = QStringLiteral("Class of Device must lie between 0 and %1 to be "
                                      "written; it is %2. Nothing was sent.")
                           .arg(kClassMax)
                           .arg(m_nClassOfDevice);
        return false;
    }
    commands->clear();
    *commands << name << SetCommand("AT*AGLC", QByteArray::number(m_nClassOfDevice)) << pin
              << SetCommand("AT*AGDM", QByteArray::number(m_nDiscoverable + 1))
              << SetCommand("AT*AMPM", QByteArray::number(m_nPowerSaveMode + 1))
              << SetCommand("AT*AGSM", QByteArray::number(m_nSecurityMode + 1));
    return true;
}
