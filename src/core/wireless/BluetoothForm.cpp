#include "BluetoothForm.h"

#include "AtReply.h"

namespace {
const int kAddressLength = 12;

// Longest commands the module takes, CR included.
const int kNameCommandLimit = 255;
const int kPinCommandLimit = 31;
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

const RadioSettings::Rows<CBluetoothForm>& CBluetoothForm::Settings() {
    using R = ReadAs;
    using W = WriteAs;
    using J = JsonAs;
    static const RadioSettings::Rows<CBluetoothForm> rows = {
        {"address", "Bluetooth Device Address", "AT*AILBA", 0, IdDeviceAddress, R::Text, W::Never,
         J::Text, kAddressLength},
        {"version", "Bluetooth Device Version", "AT*AILVI", 0, IdVersion, R::Text, W::Never,
         J::Text},
        {"name", "Local Name", "AT*AGLN", 0, IdLocalName, R::Quoted, W::Quoted, J::Text, 0,
         kNameCommandLimit},
        {"class", "Class of Device", "AT*AGLC", 0, IdClassOfDevice, R::Decimal, W::Number,
         J::Number},
        {"pin",
         "Fixed PIN",
         "AT*AGFP",
         0,
         IdFixedPin,
         R::Quoted,
         W::Quoted,
         J::Text,
         0,
         kPinCommandLimit,
         nullptr,
         {},
         0,
         true},
        {"discoverable", "Discoverable", "AT*AGDM", 0, IdNotDiscoverable, R::Button, W::Button,
         J::Choice, 0, 0, nullptr,
         "Not Discoverable|Limited Discoverability|General Disc. (default)"},
        {"power", "Power Save Mode", "AT*AMPM", 0, IdOnlineMode, R::Button, W::Button, J::Choice, 0,
         0, nullptr, "Online Mode|Sleep Mode (default)|Stop Mode"},
        {"security", "Security Mode", "AT*AGSM", 0, IdSecurityNone, R::Button, W::Button, J::Choice,
         0, 0, nullptr, "None (default)|Link Level"},
    };
    return rows;
}

QStringList CBluetoothForm::Queries() {
    return RadioSettings::Commands(Settings(), true);
}

QString CBluetoothForm::Label(const QString& query) {
    return RadioSettings::Label(Settings(), query);
}

AtReply::Taken CBluetoothForm::ParseReply(const QByteArray& reply, const QStringList& queries) {
    return RadioSettings::Parse(*this, Settings(), reply, queries);
}

bool CBluetoothForm::BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const {
    return RadioSettings::Build(*this, Settings(), commands, refusal);
}

QString CBluetoothForm::ShownCommand(const QByteArray& command) const {
    return RadioSettings::Masked(Settings(), command);
}
