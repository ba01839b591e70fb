#pragma once

#include <QByteArray>
#include <QString>

namespace LogoPictureIo {

// A PNG or JPEG picture turned into a bitmap file: what the codec module hands back.
struct Converted {
    bool ok = false;
    QByteArray bitmap; // a 24-bit BMP file of at most 1024 x 768
    QString status;    // set when the picture was scaled down to fit
    QString error;     // why it could not be converted
};

} // namespace LogoPictureIo
