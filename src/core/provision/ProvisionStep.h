#pragma once

#include "logo/LogoRaster.h"
#include "module1/AttributeForm.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <memory>

// How a picture becomes a logo: the logo view's zoom, pan, threshold and the logo size.
struct CPictureOptions {
    int widthCode = CLogoRaster::kDefaultWidthCode;
    int height = CLogoRaster::kDefaultHeight;
    int zoom = 4;
    int panX = 0, panY = 0;
    int threshold = 50;
    bool dither = false;
};

// One step of a recipe made ready for one printer: its values with the printer's
// templates filled in, checked, and turned into what the exchange takes (a form, a
// raster, bytes). A value that names {address} is made ready only once the radio module
// has told its address.
struct CPlannedStep {
    int index = 0; // 1-based, in recipe order
    QString kind;
    QMap<QString, QString> values; // key -> text, in the recipe's spelling
    bool needsAddress = false;
    bool ready = false;

    // What each kind needs, filled when ready.
    std::shared_ptr<CAttributeForm> attributes; // burn
    std::shared_ptr<CBluetoothForm> bluetooth;  // bt
    std::shared_ptr<CWlanForm> wlan;            // wlan
    std::shared_ptr<CLogoRaster> raster;        // flash, test-print of a picture
    QByteArray text;                            // test-print of a text
    int slot = -1;                              // flash, print-logo
    int minMillivolts = 0;                      // check-battery
    QString file;                               // the project or picture, resolved

    // What it sends: the most bytes, and how they add up.
    int bytes = 0;
    QString bytesNote;
};

// Which printer: what the system says about its port, and what the printer says.
struct CPrinterIdentity {
    int n = 0;          // 1-based position in the port list
    QString port;       // as given on the command line
    QString device;     // the device behind it
    QString stableName; // /dev/serial/by-id/..., empty when none
    QString serial;     // the USB serial number, empty when none
    QString address;    // the radio module's, once read
    QString firmware;   // the firmware version query's answer, once asked

    // The name the record keeps the printer under: the stable name where there is one,
    // as it survives re-plugging, else the port as given.
    QString RecordName() const { return stableName.isEmpty() ? port : stableName; }
};

// What one step did.
struct CStepResult {
    int index = 0;
    QString kind;
    QString verdict; // "done", "failed", "not run"
    double seconds = 0;
    QString message; // why it failed, or what it found
    // Per key: {"written": ..., "read": ...}; a secret is only "written and verified".
    QJsonObject values;
    bool Done() const { return verdict == QLatin1String("done"); }
};

namespace StepVerdict {
inline const char* const kDone = "done";
inline const char* const kFailed = "failed";
inline const char* const kNotRun = "not run";
// What the record keeps instead of a secret's value.
inline const char* const kSecretVerified = "written and verified";
inline const char* const kSecretWritten = "written, confirmed with OK (never read back)";
} // namespace StepVerdict
