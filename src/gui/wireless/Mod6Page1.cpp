#include "Mod6Page1.h"

namespace {
using F = CWlanForm;

// A label and its control in one grid row.
void AddRow(QGridLayout* grid, int row, const char* label, QWidget* control) {
    grid->addWidget(new QLabel(QLatin1String(label), control->parentWidget()), row, 0);
    grid->addWidget(control, row, 1);
}
} // namespace

CMod6Page1::CMod6Page1(CAppCore& core, IUiServices& services, QWidget* parent)
    : TRadioPage(core, services, parent) {
    setObjectName(QStringLiteral("id148"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildConnection(F::IdPassThruTimeout, F::IdSilenceBefore, F::IdEscapeChar,
                                      F::IdSilenceAfter));
    layout->addWidget(BuildGeneral());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildInformational(), 2);
    bottom->addWidget(BuildOutput(F::IdOutput), 3);
    layout->addLayout(bottom, 1);
    layout->addLayout(BuildButtons(F::IdDefault, F::IdClear, F::IdRead, F::IdWrite));

    // Dialog initialisation: its values, then the combos filled and their items selected.
    m_form.InitDialog();
    ShowFields();
}

QGroupBox* CMod6Page1::BuildGeneral() {
    auto* box =
        new QGroupBox(QStringLiteral("General Settings (Link and Network Layer Commands)"), this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 4, 6, 4);
    row->addWidget(BuildLinkLayer(box));
    row->addWidget(BuildNetworkLayer(box));
    return box;
}

QGroupBox* CMod6Page1::BuildLinkLayer(QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Link Layer Commands"), parent);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    AddRow(grid, 0, "SSID (AT* AGSSID)", Edit(F::IdSsid, box));
    AddRow(grid, 1, "Channel (AT*AGCH)", WlanCombo(F::IdChannel, box));
    AddRow(grid, 2, "Operational Mode (AT*AGOM)", WlanCombo(F::IdOperationalMode, box));
    auto* rate = new QWidget(box);
    auto* r = new QHBoxLayout(rate);
    r->setContentsMargins(0, 0, 0, 0);
    r->addWidget(WlanCombo(F::IdDataRate, rate));
    r->addWidget(
        Register(F::IdLinkAdaptation, new QCheckBox(QStringLiteral("Link Adaptation"), rate)));
    AddRow(grid, 3, "Data Rate \\ Link (AT*AGRTE)", rate);

    auto* security = new QGroupBox(QStringLiteral("Security"), box);
    auto* s = new QGridLayout(security);
    s->setContentsMargins(6, 2, 6, 2);
    AddRow(s, 0, "Authentication (AT*AGAM)", WlanCombo(F::IdAuthentication, security));
    AddRow(s, 1, "Encryption (AT*AGEM)", WlanCombo(F::IdEncryption, security));
    AddRow(s, 2, "User Name (AT*AGUN)", Edit(F::IdUserName, security));
    AddRow(s, 3, "Active Key (AT*AGAFP)", WlanCombo(F::IdActiveKey, security));
    auto* key = new QGroupBox(QStringLiteral("Key (AT*AGFPWI)"), security);
    auto* k = new QGridLayout(key);
    k->setContentsMargins(6, 2, 6, 2);
    AddRow(k, 0, "Index", WlanCombo(F::IdKeyIndex, key));
    AddRow(k, 1, "Key", Edit(F::IdKey, key));
    s->addWidget(key, 4, 0, 1, 2);
    grid->addWidget(security, 4, 0, 1, 2);
    return box;
}

QGroupBox* CMod6Page1::BuildNetworkLayer(QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Network Layer Commands"), parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* network = new QGroupBox(QStringLiteral("Network (AT*ANIP)"), box);
    auto* n = new QGridLayout(network);
    n->setContentsMargins(6, 2, 6, 2);
    AddRow(n, 0, "IP Address", Edit(F::IdIpAddress, network));
    AddRow(n, 1, "Netmask", Edit(F::IdNetmask, network));
    AddRow(n, 2, "Gateway", Edit(F::IdGateway, network));
    layout->addWidget(network);
    layout->addWidget(
        RadioGroup(QStringLiteral("DHCP (AT*ANDHCP)"), {F::IdDhcpDisable, F::IdDhcpEnable},
                   {QStringLiteral("Disable (default)"), QStringLiteral("Enable")}, box));
    auto* host = new QGridLayout;
    host->addWidget(new QLabel(QStringLiteral("Host Name (AT*ANHN)"), box), 0, 0);
    host->addWidget(Edit(F::IdHostName, box), 0, 1);
    layout->addLayout(host);
    auto* dns = new QGroupBox(QStringLiteral("DNS (AT*ANDNS)"), box);
    auto* d = new QGridLayout(dns);
    d->setContentsMargins(6, 2, 6, 2);
    AddRow(d, 0, "Primary", Edit(F::IdDnsPrimary, dns));
    AddRow(d, 1, "Secondary", Edit(F::IdDnsSecondary, dns));
    layout->addWidget(dns);
    layout->addStretch(1);
    return box;
}

QGroupBox* CMod6Page1::BuildInformational() {
    auto* box = new QGroupBox(QStringLiteral("Informational Commands"), this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    const struct {
        const char* group;
        const char* label;
        int id;
    } rows[] = {{"WLAN MAC Address (AT*AILBA)", "Device MAC Address:", F::IdDeviceAddress},
                {"Local Version Information (AT*AILVI)", "WLAN Device Version:", F::IdVersion}};
    for (const auto& r : rows) {
        auto* group = new QGroupBox(QLatin1String(r.group), box);
        auto* g = new QVBoxLayout(group);
        g->setContentsMargins(6, 2, 6, 2);
        g->addWidget(new QLabel(QLatin1String(r.label), group));
        g->addWidget(Edit(r.id, group, true));
        layout->addWidget(group);
    }
    layout->addStretch(1);
    return box;
}
