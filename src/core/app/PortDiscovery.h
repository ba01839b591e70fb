#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CPortMap;

// One serial port the system reports, with what identifies it beyond its device name.
struct CPortInfo {
    QString device;       // /dev/ttyUSB0, COM3
    QString stableName;   // /dev/serial/by-id/usb-FTDI_..., which survives re-plugging
    QString description;  // "FT232R USB UART"
    QString manufacturer; // "FTDI"
    QString usbId;        // "0403:6001", empty when not a USB device
    QString serialNumber;
    QStringList comNames; // the COMn of KVU's port table that lead to this device
};

// Finding the serial ports of this computer and relating them to KVU's port table.
namespace PortDiscovery {

// Where Linux keeps the links that name a USB serial device by its maker and serial
// number; they stay the same when the adapter is plugged into another socket.
inline const char* const kStableFolder = "/dev/serial/by-id";

// Every port Qt Serial Port finds, sorted by device name.
QList<CPortInfo> Available(const CPortMap& map);

// The link in `folder` that leads to `device`, or empty when none does (always empty
// where the folder does not exist, as on Windows and macOS).
QString StableName(const QString& device, const QString& folder = QLatin1String(kStableFolder));

// The COM names (COM1 to COM20) whose device, through the map, is `device`: the same
// path, or a link to the same file.
QStringList ComNamesFor(const QString& device, const CPortMap& map);

// Whether two device names lead to the same device.
bool SameDevice(const QString& a, const QString& b);

} // namespace PortDiscovery
