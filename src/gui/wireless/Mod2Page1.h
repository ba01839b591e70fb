#pragma once

#include "RadioPage.h"
#include "wireless/BluetoothForm.h"

// Module 2, the one page "Basic Settings": the serial Bluetooth module's local name, class
// of device, fixed PIN, discoverability, power save mode and security mode, read and
// written through the printer's pass-through mode; the module's address and version.
class CMod2Page1 : public TRadioPage<CBluetoothForm> {
public:
    CMod2Page1(CAppCore& core, IUiServices& services, QWidget* parent = nullptr);
    static QString Title() { return QStringLiteral("Basic Settings"); }

private:
    QGroupBox* BuildGeneral();
};
