#pragma once

#include <QByteArray>
#include <QString>

// The print attributes the simulated printer keeps; -1 means "never set".
struct PrinterAttributes {
    bool underline = false;
    bool reverse = false; // white on black
    bool bold = false;
    bool doubleWidth = false;
    bool doubleHeight = false;
    bool sendEot = false;
    bool rightToLeft = false;
    bool pcLineDraw = true;
    bool linePrintMode = false;
    int font = 0;
    int contrast = 5;
    int lineSpacing = -1;
    int formFeed = -1;
    int verticalTab = -1;
    int horizontalTab = -1;
    int sensorSensitivity = -1;
    QByteArray sleepTimer; // the digits of the last ESC "M" command

    QString Describe() const;
    bool operator==(const PrinterAttributes& o) const { return Describe() == o.Describe(); }
};
