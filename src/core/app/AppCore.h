#pragma once

#include "PortMap.h"
#include "RecentFileList.h"
#include "SerialPort.h"
#include "logo/LogoImage.h"

#include <memory>

class QSettings;
class IUiServices;

// What every module shares for the whole run, without any window: the serial link, the
// logo image, the port table and the recent files, with their persisted settings.
// The GUI's application object and kvuctl each own one.
class CAppCore {
public:
    CAppCore();

    // The settings store of this user: company "Velqor Vuzuvurizod", application "KVU".
    // The registry on Windows, an INI file in the user's configuration folder elsewhere.
    static std::unique_ptr<QSettings> OpenUserSettings();

    // Start-up: communication settings through the link's conversions, logo size
    // bounded to what the raster holds, the port table and the recent files.
    void LoadSettings(QSettings& settings);
    // Exit: the same entries from the in-memory values. The port and rate are left as
    // stored when they belong to this run only.
    void SaveSettings(QSettings& settings) const;

    void SetServices(IUiServices* services);

    CSerialPort m_serial;
    CLogoImage m_logo;
    CPortMap m_ports;
    CRecentFileList m_recentFiles;
    // Set while the link's port and rate were chosen for this run (kvu --simulator): the
    // user's stored port and rate are not replaced by them.
    bool m_bLinkForThisRunOnly = false;
};
