#pragma once

#include "app/PortWatcher.h"

#include <QDialog>
#include <QMap>
#include <QStringList>
#include <functional>

class CPortMap;
class IUiServices;
class QPushButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QTimer;
class QTreeWidget;

// "Configure Serial Port": the baud rate with the printer's DIP-switch positions, the
// COM port, and the device each COM name stands for on this computer.
class CSerialPortDlg : public QDialog {
public:
    CSerialPortDlg(const CPortMap& ports, QWidget* parent = nullptr);

    // Exchanged with the controls: -1 when nothing is checked or selected.
    int m_nBaudIndex = -1;
    int m_nPortIndex = -1;

    // Where Detect shows its wait cursor and reports a port that cannot be opened.
    void SetServices(IUiServices* services) { m_services = services; }

    // The device table as edited: COM name -> device (empty: the default).
    const QMap<QString, QString>& EditedDevices() const { return m_devices; }

    // Dialog initialisation: the fields shown in the controls (call after setting them).
    void ShowFields();
    // The controls taken into the fields (done by OK).
    void TakeFields();

    void accept() override;

    // The devices offered for a port, found again: run while the dialog is open, so an
    // adapter plugged in or pulled shows at once. Says in the dialog what came and went.
    void RefreshFoundDevices();
    // Where the ports come from: the system's, or a test's. Call before the dialog is shown.
    using PortLister = std::function<QList<CPortInfo>()>;
    void SetPortLister(PortLister lister);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnPortSelected();
    // Finds the rate the printer on the selected port answers at, and checks it.
    void OnDetect();
    void OnDeviceEdited(const QString& text);
    void UpdateDeviceNote(int index);
    QString EffectiveDevice(int index) const;

    const CPortMap& m_ports;
    QMap<QString, QString> m_devices;
    QButtonGroup* m_baudGroup = nullptr;
    QTreeWidget* m_portList = nullptr;
    QComboBox* m_device = nullptr;
    QLabel* m_deviceNote = nullptr;
    QLabel* m_foundNote = nullptr;
    QTimer* m_watch = nullptr;
    CPortWatcher m_watcher;
    bool m_filled = false;
    QPushButton* m_detect = nullptr;
    QLabel* m_detectStatus = nullptr;
    IUiServices* m_services = nullptr;
    bool m_updating = false;
};
