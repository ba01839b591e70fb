#include "BluetoothForm.h"

#include "AtReply.h"

namespace {
// The Read batch in order, with the label of each query's setting on the page.
const struct {
    const char* query;
    const char* label;
} kQueries[] = {
    {"AT*AILBA", "Bluetooth Device Address"},
    {"AT*AILVI", "Bluetooth Device Version"},
    {"AT*AGLN", "Local Name"},
    {"AT*AGLC", "Class of Device"},
    {"AT*AGFP", "Fixed PIN"},
    {"AT*AGDM", "Discoverable"},
    {"AT*AMPM", "Power Save Mode"},
    {"AT*AGSM", "Security Mode"},
};
const int kAddressLength = 12;

// Longest commands the module takes, CR included.
const int kNameCommandLimit = 255;
const int kPinCommandLimit = 31;

// The module numbers the radio buttons from 1: answer 1 is the first button.
bool TakeRadio(const QString& value, int buttons, int* field) {
    const int digit = AtReply::FirstDigit(value);
    if (digit < 1 || digit > buttons)
        return false;
    *field = digit - 1;
    return true;
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
    QStringList queries;
    for (const auto& q : kQueries)
        queries << QLatin1String(q.query);
    return queries;
}

QString CBluetoothForm::Label(const QString& query) {
    for (const auto& q : kQueries) {
        if (query == QLatin1String(q.query))
            return QLatin1String(q.label);
    }
    return query;
}

AtReply::Taken CBluetoothForm::ParseReply(const QByteArray& reply, const QStringList& queries) {
    AtReply::CTaking taking(reply, queries, &Label);
    QByteArray raw;
    QString text;
    // Each answer is taken only when it came whole with its own "OK"; one that is of no
    // use (a class that is no number, a digit with no button) leaves its field too.
    auto use = [&](const char* query, bool taken) {
        if (taken)
            taking.Took(query);
        else
            taking.Unusable(query);
    };
    if (taking.Get("AT*AILBA", &raw)) {
        m_strDeviceAddress = AtReply::Plain(raw.left(kAddressLength));
        taking.Took("AT*AILBA");
    }
    if (taking.Get("AT*AILVI", &raw)) {
        m_strVersion = AtReply::Plain(raw);
        taking.Took("AT*AILVI");
    }
    if (taking.Get("AT*AGLN", &raw)) {
        const bool quoted = AtReply::Quoted(raw, &text);
        if (quoted) {
            m_strLocalName = text;
            taking.CheckLength("AT*AGLN", text, kNameLimit);
        }
        use("AT*AGLN", quoted);
    }
    if (taking.Get("AT*AGLC", &raw)) {
        int number = 0;
        const bool isNumber = AtReply::ReadDecimal(AtReply::Plain(raw), &number);
        if (isNumber)
            m_nClassOfDevice = number;
        use("AT*AGLC", isNumber);
    }
    if (taking.Get("AT*AGFP", &raw)) {
        const bool quoted = AtReply::Quoted(raw, &text);
        if (quoted) {
            m_strFixedPin = text;
            taking.CheckLength("AT*AGFP", text, kPinLimit);
        }
        use("AT*AGFP", quoted);
    }
    if (taking.Get("AT*AGDM", &raw))
        use("AT*AGDM", TakeRadio(AtReply::Plain(raw), 3, &m_nDiscoverable));
    if (taking.Get("AT*AMPM", &raw))
        use("AT*AMPM", TakeRadio(AtReply::Plain(raw), 3, &m_nPowerSaveMode));
    if (taking.Get("AT*AGSM", &raw))
        use("AT*AGSM", TakeRadio(AtReply::Plain(raw), 2, &m_nSecurityMode));
    return taking.Result();
}

bool CBluetoothForm::BuildWriteCommands(QVector<QByteArray>* commands, QString* refusal) const {
    const QByteArray name = SetCommand("AT*AGLN", AtReply::Quote(m_strLocalName));
    const QByteArray pin = SetCommand("AT*AGFP", AtReply::Quote(m_strFixedPin));
    if (!Carried(m_strLocalName, QStringLiteral("Local Name"), refusal) ||
        !Carried(m_strFixedPin, QStringLiteral("Fixed PIN"), refusal) ||
        !Fits(name, kNameCommandLimit, QStringLiteral("Local Name"), refusal) ||
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
