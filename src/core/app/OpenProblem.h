#pragma once

#include <QString>

// Why a serial port could not be opened, in words the user can act on. The link's fixed
// messages ("Error: Couldn't open serial port.") say that it failed; this says why.
struct COpenProblem {
    enum class Kind { None, NotFound, PermissionDenied, InUse, Other };

    Kind kind = Kind::None;
    QString text; // one line, naming the port and the device

    // What the platform reported, as Qt's serial port gives it: its error code (a
    // QSerialPort::SerialPortError), its error text, and what the file system says about
    // the device (whether it exists, whether this user may read and write it, and the
    // group that owns it).
    struct Facts {
        int serialError = 0;
        QString errorString;
        bool exists = true;
        bool accessible = true;
        QString group;
        // Whether members of that group may read and write the device; when not, joining
        // the group would not help (a device only its owner may use).
        bool groupMayUse = true;
        QString owner;
    };

    // `portName` is the COMn the user chose, empty when the device was given directly.
    static COpenProblem Classify(const QString& portName, const QString& device,
                                 const Facts& facts);
    // The facts for a device that just failed to open with the given error.
    static Facts Gather(const QString& device, int serialError, const QString& errorString);
};
