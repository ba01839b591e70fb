#include "RadioStepFields.h"

#include "wireless/FormField.h"

namespace {
struct FieldKey {
    const char* key;
    int id;
    bool firstCharacter; // the combos of a digit, "=" and a meaning travel as the digit
};
template <class Form> struct ChoiceKey {
    const char* key;
    int Form::*member;
    int max;
};

template <class Form> const std::vector<FieldKey>& Connection() {
    static const std::vector<FieldKey> keys = {{"from", Form::IdPassThruFrom, false},
                                               {"to", Form::IdPassThruTo, false},
                                               {"timeout", Form::IdPassThruTimeout, false},
                                               {"escape", Form::IdEscapeChar, false},
                                               {"guard-before", Form::IdSilenceBefore, false},
                                               {"guard-after", Form::IdSilenceAfter, false}};
    return keys;
}

const std::vector<FieldKey>& Settings(const CBluetoothForm*) {
    using F = CBluetoothForm;
    static const std::vector<FieldKey> keys = {{"name", F::IdLocalName, false},
                                               {"pin", F::IdFixedPin, false},
                                               {"class", F::IdClassOfDevice, false}};
    return keys;
}
const std::vector<FieldKey>& Settings(const CWlanForm*) {
    using F = CWlanForm;
    static const std::vector<FieldKey> keys = {{"ssid", F::IdSsid, false},
                                               {"channel", F::IdChannel, false},
                                               {"mode", F::IdOperationalMode, true},
                                               {"authentication", F::IdAuthentication, true},
                                               {"encryption", F::IdEncryption, true},
                                               {"rate", F::IdDataRate, false},
                                               {"user", F::IdUserName, false},
                                               {"active-key", F::IdActiveKey, false},
                                               {"key-index", F::IdKeyIndex, false},
                                               {"key", F::IdKey, false},
                                               {"ip", F::IdIpAddress, false},
                                               {"netmask", F::IdNetmask, false},
                                               {"gateway", F::IdGateway, false},
                                               {"hostname", F::IdHostName, false},
                                               {"dns1", F::IdDnsPrimary, false},
                                               {"dns2", F::IdDnsSecondary, false}};
    return keys;
}

const std::vector<ChoiceKey<CBluetoothForm>>& Choices(const CBluetoothForm*) {
    using F = CBluetoothForm;
    static const std::vector<ChoiceKey<F>> keys = {{"discoverable", &F::m_nDiscoverable, 2},
                                                   {"power", &F::m_nPowerSaveMode, 2},
                                                   {"security", &F::m_nSecurityMode, 1}};
    return keys;
}
const std::vector<ChoiceKey<CWlanForm>>& Choices(const CWlanForm*) {
    using F = CWlanForm;
    static const std::vector<ChoiceKey<F>> keys = {{"link-adaptation", &F::m_bLinkAdaptation, 1},
                                                   {"dhcp", &F::m_nDhcp, 1}};
    return keys;
}

const FieldKey* FindField(const std::vector<FieldKey>& keys, const QString& key) {
    for (const FieldKey& k : keys) {
        if (key == QLatin1String(k.key))
            return &k;
    }
    return nullptr;
}

template <class Form>
bool TakeAny(Form& form, const QString& key, const QString& value, QString* error) {
    const FieldKey* f = FindField(Connection<Form>(), key);
    if (!f)
        f = FindField(Settings(&form), key);
    if (f)
        return FormField::Take(form, *Form::FindField(f->id), value, error);
    for (const auto& c : Choices(&form)) {
        if (key != QLatin1String(c.key))
            continue;
        int v = -1;
        if (!FormField::ParseInteger(value, &v) || v < 0 || v > c.max) {
            *error = QStringLiteral("takes 0 to %1").arg(c.max);
            return false;
        }
        form.*(c.member) = v;
        return true;
    }
    *error = QStringLiteral("not a setting");
    return false;
}

template <class Form> QString SettingOf(const Form& form, const QString& key) {
    if (const FieldKey* f = FindField(Settings(&form), key)) {
        const QString shown = FormField::Show(form, *Form::FindField(f->id));
        return f->firstCharacter ? shown.left(1) : shown;
    }
    for (const auto& c : Choices(&form)) {
        if (key == QLatin1String(c.key))
            return QString::number(form.*(c.member));
    }
    return QString();
}

template <class Form> bool IsSetting(const QString& key) {
    const Form* none = nullptr;
    if (FindField(Settings(none), key))
        return true;
    for (const auto& c : Choices(none)) {
        if (key == QLatin1String(c.key))
            return true;
    }
    return false;
}
} // namespace

namespace RadioStepFields {

bool Take(CBluetoothForm& form, const QString& key, const QString& value, QString* error) {
    return TakeAny(form, key, value, error);
}
bool Take(CWlanForm& form, const QString& key, const QString& value, QString* error) {
    return TakeAny(form, key, value, error);
}
QString Setting(const CBluetoothForm& form, const QString& key) {
    return SettingOf(form, key);
}
QString Setting(const CWlanForm& form, const QString& key) {
    return SettingOf(form, key);
}
bool ReadsBack(const CBluetoothForm*, const QString& key) {
    return IsSetting<CBluetoothForm>(key);
}
bool ReadsBack(const CWlanForm*, const QString& key) {
    return IsSetting<CWlanForm>(key) && key != QLatin1String("key") &&
           key != QLatin1String("key-index");
}

} // namespace RadioStepFields
