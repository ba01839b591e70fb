#include "Mod6Page1.h"

namespace {
using F = CWlanForm;

// A radio group's button texts, as its setting's row names them.
QStringList Buttons(int id) {
    return RadioSettings::Choices(F::Settings(), id);
}

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
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    // The module's client area is wide but short: the connection settings, the
    // informational commands and the Output box share the top row, each group stacking
    // its parts, and the general settings take the full width below.
    auto* top = new QHBoxLayout;
    top->addWidget(BuildConnection(F::IdPassThruTimeout, F::IdSilenceBefore, F::IdEscapeChar,
                                   F::IdSilenceAfter));
    top->addWidget(BuildInformational("WLAN MAC Address (AT*AILBA)",
                                      "Device MAC Address:", "WLAN Device Version:"));
    top->addWidget(BuildOutput(F::IdOutput), 1);
    layout->addLayout(top);
    layout->addWidget(BuildGeneral());
    layout->addLayout(BuildButtons(F::IdDefault, F::IdClear, F::IdRead, F::IdWrite));

    // The connection's two groups one above the other, its edits as wide as their values.
    for (QGroupBox* box : findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly)) {
        const bool connection = box->title() == QLatin1String("Connection Settings");
        if (!connection && box->title() != QLatin1String("Informational Commands"))
            continue;
        if (auto* row = qobject_cast<QBoxLayout*>(box->layout()); row && connection)
            row->setDirection(QBoxLayout::TopToBottom);
        // The groups inside as titled rows without a frame of their own.
        for (QGroupBox* inner : box->findChildren<QGroupBox*>()) {
            inner->setFlat(true);
            if (QLayout* l = inner->layout())
                l->setContentsMargins(6, 0, 0, 0);
        }
    }
    for (int id : {int(F::IdPassThruTimeout), int(F::IdSilenceBefore), int(F::IdSilenceAfter),
                   int(F::IdEscapeChar)}) {
        if (QWidget* w = findChild<QWidget*>(QStringLiteral("id%1").arg(id)))
            w->setMaximumWidth(52);
    }
    // Dialog initialisation: its values, then the combos filled and their items selected.
    Compact();
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
    // The active key and the key it selects share one row.
    auto* keys = new QHBoxLayout;
    keys->addWidget(new QLabel(QStringLiteral("Active Key (AT*AGAFP)"), security));
    keys->addWidget(WlanCombo(F::IdActiveKey, security));
    auto* key = new QGroupBox(QStringLiteral("Key (AT*AGFPWI)"), security);
    auto* k = new QHBoxLayout(key);
    k->setContentsMargins(6, 2, 6, 2);
    k->addWidget(new QLabel(QStringLiteral("Index"), key));
    k->addWidget(WlanCombo(F::IdKeyIndex, key));
    k->addWidget(new QLabel(QStringLiteral("Key"), key));
    k->addWidget(Edit(F::IdKey, key), 1);
    keys->addWidget(key, 1);
    s->addLayout(keys, 3, 0, 1, 2);
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
    layout->addWidget(RadioGroup(QStringLiteral("DHCP (AT*ANDHCP)"),
                                 {F::IdDhcpDisable, F::IdDhcpEnable}, Buttons(F::IdDhcpDisable),
                                 box, true));
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
