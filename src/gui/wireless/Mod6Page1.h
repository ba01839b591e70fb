#pragma once

#include "RadioPage.h"
#include "wireless/WlanForm.h"

// Module 6, the settings page "Basic Settings": the WLAN module's link layer (SSID,
// channel, operational mode, data rate and link adaptation, authentication, encryption,
// user name, keys) and network layer (addresses, DHCP, DNS, host name), read and written
// through the printer's pass-through mode; the module's MAC address and version.
class CMod6Page1 : public TRadioPage<CWlanForm> {
public:
    CMod6Page1(CAppCore& core, IUiServices& services, QWidget* parent = nullptr);
    static QString Title() { return QStringLiteral("Basic Settings"); }

private:
    QGroupBox* BuildGeneral();
    QGroupBox* BuildLinkLayer(QWidget* parent);
    QGroupBox* BuildNetworkLayer(QWidget* parent);
    QComboBox* WlanCombo(int id, QWidget* parent) {
        return Combo(id, CWlanForm::ComboItems(id), parent);
    }
};
