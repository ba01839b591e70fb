#pragma once

#include <QMap>
#include <QString>

class QSettings;

// Maps the port names the user sees (COM1 to COM20) to the platform's devices.
// Lookup order: a session mapping (kvu --simulator, kvuctl --port /dev/...), the user's
// stored table (settings section "Ports"), the environment (KVU_PORT_COMn), and finally
// the platform default (/dev/ttyS<n-1> on Linux, the name itself on Windows).
class CPortMap {
public:
    QString Device(const QString& portName) const;

    QString StoredDevice(const QString& portName) const;
    // An empty device removes the stored entry.
    void SetStoredDevice(const QString& portName, const QString& device);
    // Not written to the settings store; lasts for this run only.
    void SetSessionDevice(const QString& portName, const QString& device);
    void ClearSessionDevices() { m_session.clear(); }
    QString SessionDevice(const QString& portName) const { return m_session.value(portName); }

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

    static QString DefaultDevice(const QString& portName);

    // Whether the text is one of the names COM1 to COM20 (exactly, in capitals).
    static bool IsPortName(const QString& text);
    // Whether the text names a device directly (/dev/ttyUSB0, \\.\COM31).
    static bool IsDevicePath(const QString& text);
    // The port to use for what a user gave: a port name stands for itself; a device path
    // is mapped to COM1 for this run only (the stored table is left alone). Empty when
    // the text is neither.
    QString UsePortOrDevice(const QString& text);

private:
    QMap<QString, QString> m_stored;
    QMap<QString, QString> m_session;
};
